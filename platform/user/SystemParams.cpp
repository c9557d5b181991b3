// System colours, their brushes, and the settings behind SystemParametersInfo.

#include "platform/user/SystemParams.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/gdi/WinGdi.h"
#include "platform/kernel/WinError.h"
#include "platform/user/Monitors.h"
#include "platform/user/WinUser.h"

namespace platform::detail {
namespace {

constexpr int kColorCount = 31;
constexpr COLORREF kNoColor = CLR_INVALID;

// The classic scheme. Index 25 has no colour.
constexpr std::array<COLORREF, kColorCount> kClassicColors = {
    RGB(212, 208, 200),  // scroll bar
    RGB(58, 110, 165),   // desktop
    RGB(10, 36, 106),    // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(212, 208, 200),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(212, 208, 200),  // active border
    RGB(212, 208, 200),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(10, 36, 106),    // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(212, 208, 200),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(212, 208, 200),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(64, 64, 64),     // 3D dark shadow
    RGB(212, 208, 200),  // 3D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
    kNoColor,            // (none)
    RGB(0, 0, 128),      // hot-tracked item
    RGB(166, 202, 240),  // active caption gradient
    RGB(192, 192, 192),  // inactive caption gradient
    RGB(10, 36, 106),    // menu highlight
    RGB(212, 208, 200),  // menu bar
};

struct Settings {
  std::array<COLORREF, kColorCount> colors = kClassicColors;
  std::array<HBRUSH, kColorCount> brushes{};
  bool keyboardCues = false;  // cues shown only after the keyboard is used
  int minAnimate = 0;         // window minimise/restore animation
  bool menuAnimation = false, menuFade = false, comboAnimation = false, listSmoothScrolling = false;
  bool tooltipAnimation = false, tooltipFade = false, hotTracking = true, uiEffects = false;
  bool dragFullWindows = true;
  SIZE dragThreshold{4, 4};
  UINT caretBlinkMs = 530;
  DWORD caretWidth = 1;
  UINT hoverTimeMs = 400;
  UINT wheelLines = 3;
  UINT menuShowDelayMs = 400;
  UINT foregroundLockTimeout = 0;
};

std::mutex g_mutex;
Settings& State() {
  static auto* settings = new Settings;
  return *settings;
}

bool ValidColor(int index) { return index >= 0 && index < kColorCount && kClassicColors[index] != kNoColor; }

void AnnounceToTopLevels(UINT msg, WPARAM wParam, LPARAM lParam) {
  std::vector<HWND> windows;
  EnumWindows([](HWND h, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&windows));
  for (HWND h : windows) SendNotifyMessageW(h, msg, wParam, lParam);
}

BOOL Fail() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

template <typename T>
BOOL Put(PVOID param, T value) {
  if (!param) return Fail();
  std::memcpy(param, &value, sizeof(T));
  return TRUE;
}

}  // namespace

SIZE DragThreshold() {
  std::lock_guard lock(g_mutex);
  return State().dragThreshold;
}

}  // namespace platform::detail

using namespace platform::detail;

DWORD GetSysColor(int index) {
  if (!ValidColor(index)) return 0;
  std::lock_guard lock(g_mutex);
  return State().colors[index];
}

HBRUSH GetSysColorBrush(int index) {
  if (!ValidColor(index)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard lock(g_mutex);
  HBRUSH& brush = State().brushes[index];
  // A caller that deleted the brush by mistake gets a fresh one instead of a stale handle.
  if (!brush || GetObjectType(brush) != OBJ_BRUSH) brush = CreateSolidBrush(State().colors[index]);
  return brush;
}

BOOL SetSysColors(int count, const INT* indexes, const COLORREF* colors) {
  if (count < 0 || (count > 0 && (!indexes || !colors))) return Fail();
  for (int i = 0; i < count; ++i)
    if (!ValidColor(indexes[i])) return Fail();
  {
    std::lock_guard lock(g_mutex);
    for (int i = 0; i < count; ++i) {
      State().colors[indexes[i]] = colors[i] & 0x00FFFFFF;
      // Brushes already handed out keep their colour; new callers get the new one.
      State().brushes[indexes[i]] = nullptr;
    }
  }
  AnnounceToTopLevels(WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}

BOOL SystemParametersInfoW(UINT action, UINT value, PVOID param, UINT winIni) {
  if (action == SPI_GETWORKAREA) return Put(param, PrimaryWorkArea());
  BOOL ok = TRUE;
  bool changed = false;
  {
    std::lock_guard lock(g_mutex);
    Settings& s = State();
    auto setFlag = [&](bool& flag) {
      // The "set" actions of boolean effects take the value in `param` itself.
      flag = param != nullptr;
      changed = true;
      return TRUE;
    };
    switch (action) {
      case SPI_SETWORKAREA: {
        if (!param) return Fail();
        RECT area;
        std::memcpy(&area, param, sizeof area);
        if (!SetWorkArea(area)) return Fail();
        changed = true;
        break;
      }
      case SPI_GETKEYBOARDCUES: return Put<BOOL>(param, s.keyboardCues);
      case SPI_SETKEYBOARDCUES: ok = setFlag(s.keyboardCues); break;
      case SPI_GETANIMATION: {
        if (!param) return Fail();
        auto* info = static_cast<ANIMATIONINFO*>(param);
        if (info->cbSize != sizeof(ANIMATIONINFO) || value != sizeof(ANIMATIONINFO)) return Fail();
        info->iMinAnimate = s.minAnimate;
        return TRUE;
      }
      case SPI_SETANIMATION: {
        if (!param) return Fail();
        auto* info = static_cast<const ANIMATIONINFO*>(param);
        if (info->cbSize != sizeof(ANIMATIONINFO) || value != sizeof(ANIMATIONINFO)) return Fail();
        s.minAnimate = info->iMinAnimate ? 1 : 0;
        changed = true;
        break;
      }
      case SPI_GETMENUANIMATION: return Put<BOOL>(param, s.menuAnimation);
      case SPI_SETMENUANIMATION: ok = setFlag(s.menuAnimation); break;
      case SPI_GETMENUFADE: return Put<BOOL>(param, s.menuFade);
      case SPI_SETMENUFADE: ok = setFlag(s.menuFade); break;
      case SPI_GETCOMBOBOXANIMATION: return Put<BOOL>(param, s.comboAnimation);
      case SPI_SETCOMBOBOXANIMATION: ok = setFlag(s.comboAnimation); break;
      case SPI_GETLISTBOXSMOOTHSCROLLING: return Put<BOOL>(param, s.listSmoothScrolling);
      case SPI_SETLISTBOXSMOOTHSCROLLING: ok = setFlag(s.listSmoothScrolling); break;
      case SPI_GETTOOLTIPANIMATION: return Put<BOOL>(param, s.tooltipAnimation);
      case SPI_SETTOOLTIPANIMATION: ok = setFlag(s.tooltipAnimation); break;
      case SPI_GETTOOLTIPFADE: return Put<BOOL>(param, s.tooltipFade);
      case SPI_SETTOOLTIPFADE: ok = setFlag(s.tooltipFade); break;
      case SPI_GETHOTTRACKING: return Put<BOOL>(param, s.hotTracking);
      case SPI_SETHOTTRACKING: ok = setFlag(s.hotTracking); break;
      case SPI_GETUIEFFECTS: return Put<BOOL>(param, s.uiEffects);
      case SPI_SETUIEFFECTS: ok = setFlag(s.uiEffects); break;
      case SPI_GETSELECTIONFADE: case SPI_GETCURSORSHADOW: case SPI_GETFLATMENU: case SPI_GETDROPSHADOW:
      case SPI_GETGRADIENTCAPTIONS: case SPI_GETSCREENREADER: case SPI_GETACTIVEWINDOWTRACKING:
      case SPI_GETFONTSMOOTHING: case SPI_GETBEEP: case SPI_GETSHOWSOUNDS: case SPI_GETSCREENSAVEACTIVE:
      case SPI_GETMENUDROPALIGNMENT:
        return Put<BOOL>(param, action == SPI_GETGRADIENTCAPTIONS || action == SPI_GETFONTSMOOTHING);
      case SPI_GETDRAGFULLWINDOWS: return Put<BOOL>(param, s.dragFullWindows);
      case SPI_SETDRAGFULLWINDOWS: s.dragFullWindows = value != 0; changed = true; break;
      case SPI_SETDRAGWIDTH:
      case SPI_SETDRAGHEIGHT:
        if (value == 0 || value > 1000) return Fail();
        (action == SPI_SETDRAGWIDTH ? s.dragThreshold.cx : s.dragThreshold.cy) = static_cast<LONG>(value);
        changed = true;
        break;
      case SPI_GETMOUSEHOVERWIDTH: case SPI_GETMOUSEHOVERHEIGHT: return Put<UINT>(param, 4);
      case SPI_GETMOUSEHOVERTIME: return Put<UINT>(param, s.hoverTimeMs);
      case SPI_SETMOUSEHOVERTIME: s.hoverTimeMs = std::max<UINT>(value, USER_TIMER_MINIMUM); changed = true; break;
      case SPI_GETWHEELSCROLLLINES: return Put<UINT>(param, s.wheelLines);
      case SPI_SETWHEELSCROLLLINES: s.wheelLines = value; changed = true; break;
      case SPI_GETMENUSHOWDELAY: return Put<UINT>(param, s.menuShowDelayMs);
      case SPI_GETCARETWIDTH: return Put<DWORD>(param, s.caretWidth);
      case SPI_SETCARETWIDTH: {
        const auto width = static_cast<DWORD>(reinterpret_cast<uintptr_t>(param));
        if (width == 0 || width > 100) return Fail();
        s.caretWidth = width;
        changed = true;
        break;
      }
      case SPI_GETFOCUSBORDERWIDTH: case SPI_GETFOCUSBORDERHEIGHT: return Put<UINT>(param, 1);
      case SPI_GETFOREGROUNDLOCKTIMEOUT: return Put<DWORD>(param, s.foregroundLockTimeout);
      case SPI_SETFOREGROUNDLOCKTIMEOUT:
        s.foregroundLockTimeout = static_cast<UINT>(reinterpret_cast<uintptr_t>(param));
        changed = true;
        break;
      case SPI_GETBORDER: return Put<INT>(param, 1);
      case SPI_GETKEYBOARDDELAY: return Put<INT>(param, 1);
      case SPI_GETKEYBOARDSPEED: return Put<DWORD>(param, 31);
      case SPI_GETICONTITLEWRAP: return Put<BOOL>(param, TRUE);
      case SPI_GETHIGHCONTRAST: return Fail();  // not offered: callers keep the normal scheme
      default: return Fail();
    }
  }
  if (ok && changed && (winIni & SPIF_SENDCHANGE)) AnnounceToTopLevels(WM_SETTINGCHANGE, action, 0);
  return ok;
}

BOOL SystemParametersInfoA(UINT action, UINT value, PVOID param, UINT winIni) {
  // No action the program uses carries text, so both forms are the same.
  return SystemParametersInfoW(action, value, param, winIni);
}

UINT GetCaretBlinkTime() {
  std::lock_guard lock(g_mutex);
  return State().caretBlinkMs;
}

BOOL SetCaretBlinkTime(UINT ms) {
  if (ms == 0) return Fail();
  std::lock_guard lock(g_mutex);
  State().caretBlinkMs = ms;
  return TRUE;
}

BOOL MessageBeep(UINT) { return TRUE; }
