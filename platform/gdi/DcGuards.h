#pragma once

// Scope guards for device context state and GDI handles, so that no return path (or exception)
// leaves a DC with a changed origin, clip or selected object, or leaks a GDI object:
//
//   SavedDcState saved(dc);            // SaveDC now, RestoreDC when the scope ends
//   SelectedObject font(dc, newFont);  // SelectObject now, the previous object back at the end
//   OwnedGdiObject<HBRUSH> brush(CreateSolidBrush(color));  // DeleteObject at the end
//   OwnedDc memory(CreateCompatibleDC(dc));                 // DeleteDC at the end
//   BitmapDc source(bitmap);  // a memory DC with the bitmap selected, for blits from it
//
// Guards are not copied or moved; they belong to the thread that uses the DC.

#include "platform/gdi/WinGdi.h"
#include "platform/kernel/UniqueHandle.h"

namespace platform {

class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) : m_dc(dc), m_saved(SaveDC(dc)) {}
  ~SavedDcState() {
    if (m_saved) RestoreDC(m_dc, m_saved);
  }
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;

 private:
  HDC m_dc;
  int m_saved;  // 0 when SaveDC failed: nothing to restore
};

class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {
    if (m_previous == HGDI_ERROR) m_previous = nullptr;
  }
  ~SelectedObject() {
    if (m_previous) SelectObject(m_dc, m_previous);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  // The object that was selected before (null when the selection failed).
  HGDIOBJ previous() const { return m_previous; }

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

namespace detail {
template <typename Object>
void DeleteGdiObject(Object object) {
  DeleteObject(object);
}
inline void DeleteDcHandle(HDC dc) { DeleteDC(dc); }
}  // namespace detail

template <typename Object>
using OwnedGdiObject = UniqueHandle<Object, detail::DeleteGdiObject<Object>>;
using OwnedDc = UniqueHandle<HDC, detail::DeleteDcHandle>;

// A memory DC (compatible with `reference`, the screen when null) with one bitmap selected; the
// bitmap is selected out before the DC is deleted, and must outlive it.
class BitmapDc {
 public:
  explicit BitmapDc(HBITMAP bitmap, HDC reference = nullptr)
      : m_dc(CreateCompatibleDC(reference)), m_selected(m_dc.get(), bitmap) {}
  HDC get() const { return m_dc.get(); }
  // True once the bitmap is selected.
  bool Ready() const { return m_dc && m_selected.previous(); }

 private:
  OwnedDc m_dc;
  SelectedObject m_selected;  // declared after the DC, so it is undone first
};

}  // namespace platform
