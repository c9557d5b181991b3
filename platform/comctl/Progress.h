#pragma once
// The progress bar ("msctls_progress32"): a position inside a range shown as a row of blocks
// (or one smooth bar) in the highlight colour on a sunken face, or, with PBS_MARQUEE, a group
// of blocks that runs across the bar on a timer while PBM_SETMARQUEE keeps it on. The marquee
// style may be switched at any time with SetWindowLong. Registered by InitCommonControlsEx.
// GUI thread of the window only.

#include "platform/comctl/CommCtrl.h"

namespace platform {

inline constexpr char16_t PROGRESS_CLASSW[] = u"msctls_progress32";
inline constexpr char PROGRESS_CLASSA[] = "msctls_progress32";

constexpr DWORD PBS_SMOOTH = 0x01;
constexpr DWORD PBS_VERTICAL = 0x04;
constexpr DWORD PBS_MARQUEE = 0x08;

constexpr UINT PBM_SETRANGE = WM_USER + 1;    // lParam MAKELPARAM(min, max); the previous range
constexpr UINT PBM_SETPOS = WM_USER + 2;      // wParam position; the previous position
constexpr UINT PBM_DELTAPOS = WM_USER + 3;    // wParam increment; the previous position
constexpr UINT PBM_SETSTEP = WM_USER + 4;     // wParam step; the previous step
constexpr UINT PBM_STEPIT = WM_USER + 5;      // the previous position (wraps past the maximum)
constexpr UINT PBM_SETRANGE32 = WM_USER + 6;  // wParam min, lParam max; the previous range
constexpr UINT PBM_GETRANGE = WM_USER + 7;    // wParam TRUE: the minimum, else the maximum; lParam PBRANGE*
constexpr UINT PBM_GETPOS = WM_USER + 8;
constexpr UINT PBM_SETBARCOLOR = WM_USER + 9;   // lParam COLORREF (CLR_DEFAULT: the highlight colour)
constexpr UINT PBM_SETMARQUEE = WM_USER + 10;   // wParam on, lParam milliseconds (0: 30)
constexpr UINT PBM_GETSTEP = WM_USER + 13;
constexpr UINT PBM_GETBKCOLOR = WM_USER + 14;
constexpr UINT PBM_GETBARCOLOR = WM_USER + 15;
constexpr UINT PBM_SETBKCOLOR = 0x2001;         // CCM_SETBKCOLOR

struct PBRANGE {
  int iLow;
  int iHigh;
};

}  // namespace platform
