#pragma once

// System colours (the classic scheme), their brushes, and the system-wide settings the
// program reads or changes through SystemParametersInfo. Any thread may call these; the
// settings are process-wide and guarded by one mutex.

#include "platform/gdi/GdiTypes.h"
#include "platform/user/UserTypes.h"

// ---- system colours ------------------------------------------------------------------------

constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_DESKTOP = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_3DSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_BTNHILIGHT = 20;
constexpr int COLOR_3DHIGHLIGHT = 20;
constexpr int COLOR_3DHILIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29;
constexpr int COLOR_MENUBAR = 30;

// The colour of an index; 0 for an index without a colour (25 and beyond 30).
DWORD GetSysColor(int index);
// A solid brush of the colour, owned by the layer (never delete it); null for an index
// without a colour.
HBRUSH GetSysColorBrush(int index);
// Changes colours and sends WM_SYSCOLORCHANGE to every top-level window.
BOOL SetSysColors(int count, const INT* indexes, const COLORREF* colors);

// ---- SystemParametersInfo -----------------------------------------------------------------

constexpr UINT SPI_GETBEEP = 0x0001;
constexpr UINT SPI_GETMOUSE = 0x0003;
constexpr UINT SPI_GETBORDER = 0x0005;
constexpr UINT SPI_GETKEYBOARDSPEED = 0x000A;
constexpr UINT SPI_ICONHORIZONTALSPACING = 0x000D;
constexpr UINT SPI_GETSCREENSAVETIMEOUT = 0x000E;
constexpr UINT SPI_GETSCREENSAVEACTIVE = 0x0010;
constexpr UINT SPI_SETDESKWALLPAPER = 0x0014;
constexpr UINT SPI_GETKEYBOARDDELAY = 0x0016;
constexpr UINT SPI_ICONVERTICALSPACING = 0x0018;
constexpr UINT SPI_GETICONTITLEWRAP = 0x0019;
constexpr UINT SPI_GETMENUDROPALIGNMENT = 0x001B;
constexpr UINT SPI_SETDOUBLECLKWIDTH = 0x001D;
constexpr UINT SPI_SETDOUBLECLKHEIGHT = 0x001E;
constexpr UINT SPI_GETICONTITLELOGFONT = 0x001F;
constexpr UINT SPI_SETDOUBLECLICKTIME = 0x0020;
constexpr UINT SPI_GETDRAGFULLWINDOWS = 0x0026;
constexpr UINT SPI_SETDRAGFULLWINDOWS = 0x0025;
constexpr UINT SPI_GETNONCLIENTMETRICS = 0x0029;
constexpr UINT SPI_SETWORKAREA = 0x002F;
constexpr UINT SPI_GETWORKAREA = 0x0030;
constexpr UINT SPI_GETHIGHCONTRAST = 0x0042;
constexpr UINT SPI_GETANIMATION = 0x0048;
constexpr UINT SPI_SETANIMATION = 0x0049;
constexpr UINT SPI_GETFONTSMOOTHING = 0x004A;
constexpr UINT SPI_SETDRAGWIDTH = 0x004C;
constexpr UINT SPI_SETDRAGHEIGHT = 0x004D;
constexpr UINT SPI_GETSHOWSOUNDS = 0x0038;
constexpr UINT SPI_GETMOUSEHOVERWIDTH = 0x0062;
constexpr UINT SPI_GETMOUSEHOVERHEIGHT = 0x0064;
constexpr UINT SPI_GETMOUSEHOVERTIME = 0x0066;
constexpr UINT SPI_SETMOUSEHOVERTIME = 0x0067;
constexpr UINT SPI_GETWHEELSCROLLLINES = 0x0068;
constexpr UINT SPI_SETWHEELSCROLLLINES = 0x0069;
constexpr UINT SPI_GETMENUSHOWDELAY = 0x006A;
constexpr UINT SPI_GETSCREENREADER = 0x0046;
constexpr UINT SPI_GETACTIVEWINDOWTRACKING = 0x1000;
constexpr UINT SPI_GETMENUANIMATION = 0x1002;
constexpr UINT SPI_SETMENUANIMATION = 0x1003;
constexpr UINT SPI_GETCOMBOBOXANIMATION = 0x1004;
constexpr UINT SPI_SETCOMBOBOXANIMATION = 0x1005;
constexpr UINT SPI_GETLISTBOXSMOOTHSCROLLING = 0x1006;
constexpr UINT SPI_SETLISTBOXSMOOTHSCROLLING = 0x1007;
constexpr UINT SPI_GETGRADIENTCAPTIONS = 0x1008;
constexpr UINT SPI_GETKEYBOARDCUES = 0x100A;
constexpr UINT SPI_SETKEYBOARDCUES = 0x100B;
constexpr UINT SPI_GETMENUUNDERLINES = 0x100A;
constexpr UINT SPI_SETMENUUNDERLINES = 0x100B;
constexpr UINT SPI_GETHOTTRACKING = 0x100E;
constexpr UINT SPI_SETHOTTRACKING = 0x100F;
constexpr UINT SPI_GETMENUFADE = 0x1012;
constexpr UINT SPI_SETMENUFADE = 0x1013;
constexpr UINT SPI_GETSELECTIONFADE = 0x1014;
constexpr UINT SPI_GETTOOLTIPANIMATION = 0x1016;
constexpr UINT SPI_SETTOOLTIPANIMATION = 0x1017;
constexpr UINT SPI_GETTOOLTIPFADE = 0x1018;
constexpr UINT SPI_SETTOOLTIPFADE = 0x1019;
constexpr UINT SPI_GETCURSORSHADOW = 0x101A;
constexpr UINT SPI_GETUIEFFECTS = 0x103E;
constexpr UINT SPI_SETUIEFFECTS = 0x103F;
constexpr UINT SPI_GETFLATMENU = 0x1022;
constexpr UINT SPI_GETDROPSHADOW = 0x1024;
constexpr UINT SPI_GETFOREGROUNDLOCKTIMEOUT = 0x2000;
constexpr UINT SPI_SETFOREGROUNDLOCKTIMEOUT = 0x2001;
constexpr UINT SPI_GETCARETWIDTH = 0x2006;
constexpr UINT SPI_SETCARETWIDTH = 0x2007;
constexpr UINT SPI_GETFOCUSBORDERWIDTH = 0x200E;
constexpr UINT SPI_GETFOCUSBORDERHEIGHT = 0x2010;

constexpr UINT SPIF_UPDATEINIFILE = 0x0001;
constexpr UINT SPIF_SENDWININICHANGE = 0x0002;
constexpr UINT SPIF_SENDCHANGE = 0x0002;

struct ANIMATIONINFO {
  UINT cbSize;
  int iMinAnimate;
};

// Reads (SPI_GET*) into `param` or `value`, or changes (SPI_SET*) a setting. With
// SPIF_SENDCHANGE a change is announced to every top-level window with WM_SETTINGCHANGE.
// An unknown action, a missing buffer or a wrong cbSize fail with ERROR_INVALID_PARAMETER.
BOOL SystemParametersInfoW(UINT action, UINT value, PVOID param, UINT winIni);
BOOL SystemParametersInfoA(UINT action, UINT value, PVOID param, UINT winIni);

UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT ms);

// Plays nothing: the program runs silent. Always succeeds.
BOOL MessageBeep(UINT type);

namespace platform::detail {
// The drag threshold set by SPI_SETDRAGWIDTH/HEIGHT (4 by default).
SIZE DragThreshold();
}  // namespace platform::detail
