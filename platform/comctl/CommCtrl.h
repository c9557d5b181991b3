#pragma once
// Common-control start-up, the notification codes every class shares and the custom-draw
// record. Each class keeps its own styles and messages in its own header.

#include "platform/user/WinUser.h"

namespace platform {

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};

constexpr DWORD ICC_LISTVIEW_CLASSES = 0x00000001;
constexpr DWORD ICC_TREEVIEW_CLASSES = 0x00000002;
constexpr DWORD ICC_BAR_CLASSES = 0x00000004;
constexpr DWORD ICC_TAB_CLASSES = 0x00000008;
constexpr DWORD ICC_UPDOWN_CLASS = 0x00000010;
constexpr DWORD ICC_PROGRESS_CLASS = 0x00000020;
constexpr DWORD ICC_HOTKEY_CLASS = 0x00000040;
constexpr DWORD ICC_ANIMATE_CLASS = 0x00000080;
constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;
constexpr DWORD ICC_DATE_CLASSES = 0x00000100;
constexpr DWORD ICC_USEREX_CLASSES = 0x00000200;
constexpr DWORD ICC_COOL_CLASSES = 0x00000400;
constexpr DWORD ICC_INTERNET_CLASSES = 0x00000800;
constexpr DWORD ICC_PAGESCROLLER_CLASS = 0x00001000;
constexpr DWORD ICC_NATIVEFNTCTL_CLASS = 0x00002000;
constexpr DWORD ICC_STANDARD_CLASSES = 0x00004000;
constexpr DWORD ICC_LINK_CLASS = 0x00008000;

// Registers every class of this library (the flags only say which the caller needs; all are
// registered on the first call). Returns TRUE.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
void InitCommonControls();

// ---- notification codes shared by the classes ---------------------------------------------

constexpr UINT NM_FIRST = 0U;
constexpr UINT NM_OUTOFMEMORY = NM_FIRST - 1;
constexpr UINT NM_CLICK = NM_FIRST - 2;
constexpr UINT NM_DBLCLK = NM_FIRST - 3;
constexpr UINT NM_RETURN = NM_FIRST - 4;
constexpr UINT NM_RCLICK = NM_FIRST - 5;
constexpr UINT NM_RDBLCLK = NM_FIRST - 6;
constexpr UINT NM_SETFOCUS = NM_FIRST - 7;
constexpr UINT NM_KILLFOCUS = NM_FIRST - 8;
constexpr UINT NM_CUSTOMDRAW = NM_FIRST - 12;
constexpr UINT NM_HOVER = NM_FIRST - 13;
constexpr UINT NM_NCHITTEST = NM_FIRST - 14;
constexpr UINT NM_KEYDOWN = NM_FIRST - 15;
constexpr UINT NM_RELEASEDCAPTURE = NM_FIRST - 16;
constexpr UINT NM_SETCURSOR = NM_FIRST - 17;
constexpr UINT NM_CHAR = NM_FIRST - 18;

// First codes of each class's range.
constexpr UINT LVN_FIRST = 0U - 100U;
constexpr UINT HDN_FIRST = 0U - 300U;
constexpr UINT TVN_FIRST = 0U - 400U;
constexpr UINT TTN_FIRST = 0U - 520U;
constexpr UINT TCN_FIRST = 0U - 550U;
constexpr UINT CDN_FIRST = 0U - 601U;
constexpr UINT TBN_FIRST = 0U - 700U;
constexpr UINT UDN_FIRST = 0U - 721U;
constexpr UINT CBEN_FIRST = 0U - 800U;

// ---- item values the tree and list views share -----------------------------------------------

// State image n of an item's state word (bits 12 to 15).
inline constexpr UINT INDEXTOSTATEIMAGEMASK(UINT index) { return index << 12; }

// An image or text the control asks its parent for when it needs it (GETDISPINFO).
constexpr int I_IMAGECALLBACK = -1;
constexpr int I_IMAGENONE = -2;
inline LPWSTR const LPSTR_TEXTCALLBACKW = reinterpret_cast<LPWSTR>(static_cast<LONG_PTR>(-1));
inline LPSTR const LPSTR_TEXTCALLBACKA = reinterpret_cast<LPSTR>(static_cast<LONG_PTR>(-1));

// ---- custom draw --------------------------------------------------------------------------

constexpr DWORD CDDS_PREPAINT = 0x00000001;
constexpr DWORD CDDS_POSTPAINT = 0x00000002;
constexpr DWORD CDDS_PREERASE = 0x00000003;
constexpr DWORD CDDS_POSTERASE = 0x00000004;
constexpr DWORD CDDS_ITEM = 0x00010000;
constexpr DWORD CDDS_ITEMPREPAINT = CDDS_ITEM | CDDS_PREPAINT;
constexpr DWORD CDDS_ITEMPOSTPAINT = CDDS_ITEM | CDDS_POSTPAINT;
constexpr DWORD CDDS_ITEMPREERASE = CDDS_ITEM | CDDS_PREERASE;
constexpr DWORD CDDS_ITEMPOSTERASE = CDDS_ITEM | CDDS_POSTERASE;
constexpr DWORD CDDS_SUBITEM = 0x00020000;

constexpr LRESULT CDRF_DODEFAULT = 0x00000000;
constexpr LRESULT CDRF_NEWFONT = 0x00000002;
constexpr LRESULT CDRF_SKIPDEFAULT = 0x00000004;
constexpr LRESULT CDRF_DOERASE = 0x00000008;
constexpr LRESULT CDRF_SKIPPOSTPAINT = 0x00000100;
constexpr LRESULT CDRF_NOTIFYPOSTPAINT = 0x00000010;
constexpr LRESULT CDRF_NOTIFYITEMDRAW = 0x00000020;
constexpr LRESULT CDRF_NOTIFYSUBITEMDRAW = 0x00000020;
constexpr LRESULT CDRF_NOTIFYPOSTERASE = 0x00000040;

constexpr UINT CDIS_SELECTED = 0x0001;
constexpr UINT CDIS_GRAYED = 0x0002;
constexpr UINT CDIS_DISABLED = 0x0004;
constexpr UINT CDIS_CHECKED = 0x0008;
constexpr UINT CDIS_FOCUS = 0x0010;
constexpr UINT CDIS_DEFAULT = 0x0020;
constexpr UINT CDIS_HOT = 0x0040;
constexpr UINT CDIS_MARKED = 0x0080;
constexpr UINT CDIS_INDETERMINATE = 0x0100;
constexpr UINT CDIS_SHOWKEYBOARDCUES = 0x0200;
constexpr UINT CDIS_NEARHOT = 0x0400;
constexpr UINT CDIS_OTHERSIDEHOT = 0x0800;
constexpr UINT CDIS_DROPHILITED = 0x1000;

struct NMCUSTOMDRAW {
  NMHDR hdr;
  DWORD dwDrawStage;
  HDC hdc;
  RECT rc;
  DWORD_PTR dwItemSpec;
  UINT uItemState;
  LPARAM lItemlParam;
};

constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;
constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

namespace comctl_detail {

// WM_PAINT of a class: a DC in wParam is painted into as it is; otherwise the update region
// is painted between BeginPaint and EndPaint. `paint` gets the DC and the rectangle to paint.
template <class PaintFunction>
LRESULT AnswerPaint(HWND hwnd, WPARAM wParam, PaintFunction&& paint) {
  if (wParam) {
    RECT client{};
    GetClientRect(hwnd, &client);
    paint(reinterpret_cast<HDC>(wParam), client);
    return 0;
  }
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc) paint(dc, ps.rcPaint);
  EndPaint(hwnd, &ps);
  return 0;
}

// A class file announces its registration routine with one static `ClassRegistration`;
// InitCommonControlsEx runs them all once.
struct ClassRegistration {
  explicit ClassRegistration(void (*registerClass)());
};

}  // namespace comctl_detail

}  // namespace platform
