#include "platform/comctl/ControlSupport.h"

#include <algorithm>

#include "platform/comctl/CommonMessages.h"
#include "platform/comctl/Edit.h"
#include "platform/gdi/Text.h"
#include "platform/gdi/WinGdi.h"
#include "platform/kernel/Unicode.h"

namespace platform::comctl_detail {

void RegisterControlClass(const ClassShape& shape) {
  WNDCLASSW wc{};
  wc.style = shape.style;
  wc.lpfnWndProc = shape.procedure;
  wc.cbWndExtra = sizeof(void*);
  wc.hCursor = LoadCursorW(nullptr, shape.cursor);
  wc.hbrBackground = shape.background;
  wc.lpszClassName = shape.name;
  RegisterClassW(&wc);
}

void CopyOut(const std::u16string& text, LPWSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
  if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
}

void CopyOut(const std::string& text, LPSTR buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
  while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
}

NotifyText::NotifyText(const std::u16string& text, bool unicode)
    : m_unicode(unicode), m_wide(text), m_ansi(unicode ? std::string() : Utf16ToUtf8(text)) {}

LPWSTR NotifyText::Text() { return m_unicode ? m_wide.data() : reinterpret_cast<LPWSTR>(m_ansi.data()); }

int NotifyText::Capacity() const { return static_cast<int>(m_unicode ? m_wide.size() : m_ansi.size()) + 1; }

std::u16string WindowTextOf(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::u16string text(static_cast<size_t>(std::max(length, 0)) + 1, u'\0');
  const int got = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::clamp(got, 0, std::max(length, 0))));
  return text;
}

HWND CreateLabelEdit(const LabelEditShape& shape, SUBCLASSPROC subclass, UINT_PTR subclassId, DWORD_PTR data) {
  const RECT& r = shape.bounds;
  HWND edit = CreateWindowExW(0, WC_EDITW, shape.text, shape.style, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, shape.parent, reinterpret_cast<HMENU>(shape.childId), nullptr, nullptr);
  if (!edit) return nullptr;
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(shape.font), FALSE);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SetWindowSubclass(edit, subclass, subclassId, data);
  return edit;
}

bool ParentTakesUnicode(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  if (!parent) return false;
  const LRESULT format = SendMessageW(parent, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(hwnd), NF_QUERY);
  return format == NFR_UNICODE || (format != NFR_ANSI && IsWindowUnicode(parent));
}

void RequeryNotifyFormat(HWND hwnd, bool& unicode) {
  HWND parent = GetParent(hwnd);
  const LRESULT format = parent ? SendMessageW(parent, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(hwnd), NF_QUERY) : 0;
  if (format == NFR_UNICODE || format == NFR_ANSI) unicode = format == NFR_UNICODE;
}

int FontCellHeight(HWND hwnd, HFONT font) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return tm.tmHeight;
}

}  // namespace platform::comctl_detail
