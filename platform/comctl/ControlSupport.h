#pragma once

// What the window classes of this module share inside the module: the window procedure that
// runs one control object per window, class registration, the texts handed back to callers'
// buffers, and the in-place label editor of the list and tree views.
//
// GUI thread only, like the windows themselves.

#include <string>

#include "platform/user/Subclass.h"
#include "platform/user/WinUser.h"

namespace platform::comctl_detail {

// The window procedure of a class whose every window is run by one `Control` object: made
// with the window (WM_NCCREATE, `Control(HWND)`), kept in the window's first extra pointer,
// handed every later message through `Control::Handle`, and freed with the window
// (WM_NCDESTROY). Messages that come before WM_NCCREATE or after WM_NCDESTROY get the default
// handling.
template <class Control>
LRESULT ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(new Control(hwnd)));
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  auto* control = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, 0));
  if (!control) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, 0, 0);
    delete control;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return control->Handle(msg, wParam, lParam);
}

// The control object of a window of a class run by ControlWindowProc<Control> (null before it
// is made and after it is freed).
template <class Control>
Control* ControlOfWindow(HWND hwnd) {
  return reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, 0));
}

// What a class registration differs in; every class keeps one pointer of extra window bytes.
struct ClassShape {
  LPCWSTR name;
  WNDPROC procedure;
  UINT style;
  LPCWSTR cursor = IDC_ARROW;
  HBRUSH background = nullptr;
};

void RegisterControlClass(const ClassShape& shape);

// Copies text into a caller's buffer of `capacity` units, always terminated when there is
// room for the terminator; a cut never leaves half a surrogate pair (UTF-16) or half a
// UTF-8 sequence at the end.
void CopyOut(const std::u16string& text, LPWSTR buffer, int capacity);
void CopyOut(const std::string& text, LPSTR buffer, int capacity);

// An item's text as a notification carries it to the parent: UTF-16 when the parent takes
// Unicode, UTF-8 otherwise, in a buffer of this object's own that the parent may read (and, for
// LVN_/TVN_BEGINLABELEDIT, write) while the notification is sent.
class NotifyText {
 public:
  NotifyText(const std::u16string& text, bool unicode);
  // For the record's pszText.
  LPWSTR Text();
  // For the record's cchTextMax: the buffer's length with its terminator.
  int Capacity() const;

 private:
  bool m_unicode;
  std::u16string m_wide;
  std::string m_ansi;
};

// A window's whole text, however long.
std::u16string WindowTextOf(HWND hwnd);

// The in-place editor of an item's label: an edit child of `parent` at `bounds` with the
// parent's font, showing `text` all selected, subclassed by `subclass` (id and data as given).
// It is created hidden; the caller keeps it, then shows and focuses it. Null when it cannot be
// made.
struct LabelEditShape {
  HWND parent;
  LPCWSTR text;
  DWORD style;
  RECT bounds;
  HFONT font;
  UINT_PTR childId;
};
HWND CreateLabelEdit(const LabelEditShape& shape, SUBCLASSPROC subclass, UINT_PTR subclassId, DWORD_PTR data);

// Whether the parent of `hwnd` takes its notifications in UTF-16: the parent's answer to
// WM_NOTIFYFORMAT (NF_QUERY), else whether the parent is a Unicode window; false without one.
bool ParentTakesUnicode(HWND hwnd);
// WM_NOTIFYFORMAT with NF_REQUERY: asks the parent again and takes its answer when it gives
// one (NFR_UNICODE or NFR_ANSI); `unicode` stays otherwise.
void RequeryNotifyFormat(HWND hwnd, bool& unicode);

// What a label editor does with its keys and its focus; its subclass procedure hands every
// message here. Return ends the edit keeping the text and Escape ends it dropping the text
// (both on the key press; their characters are swallowed); losing the focus ends it keeping
// the text. `current`: the editor is still its owner's one; `ending`: the owner is ending it
// already; `end(cancel)` ends it.
template <class EndEdit>
LRESULT LabelEditMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool current, bool ending, EndEdit&& end) {
  switch (msg) {
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, msg, wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
        if (current) end(wParam == VK_ESCAPE);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == u'\r' || wParam == 0x1B) return 0;
      break;
    case WM_KILLFOCUS:
      if (current && !ending) {
        DefSubclassProc(hwnd, msg, wParam, lParam);
        end(false);
        return 0;
      }
      break;
    default: break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// The height of a character cell of `font` as drawn in `hwnd` (tmHeight).
int FontCellHeight(HWND hwnd, HFONT font);

}  // namespace platform::comctl_detail
