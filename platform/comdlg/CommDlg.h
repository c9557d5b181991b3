#pragma once

// The colour dialog's call (ChooseColorA/W), its record and flags, and the extended error of
// the last common-dialog call. The dialog is shown by the installed presenter: the program's
// own window, or a scripted one in tests.
//
// GUI thread (the presenter runs a modal window on the caller's thread).

#include <functional>

#include "platform/user/WinUser.h"

using LPCCHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct CHOOSECOLORA {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;
  COLORREF* lpCustColors;  // 16 colours
  DWORD Flags;
  LPARAM lCustData;
  LPCCHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
};
struct CHOOSECOLORW {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;
  COLORREF* lpCustColors;
  DWORD Flags;
  LPARAM lCustData;
  LPCCHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
};
using LPCHOOSECOLORA = CHOOSECOLORA*;
using LPCHOOSECOLORW = CHOOSECOLORW*;

constexpr DWORD CC_RGBINIT = 0x00000001;
constexpr DWORD CC_FULLOPEN = 0x00000002;
constexpr DWORD CC_PREVENTFULLOPEN = 0x00000004;
constexpr DWORD CC_SHOWHELP = 0x00000008;
constexpr DWORD CC_ENABLEHOOK = 0x00000010;
constexpr DWORD CC_ENABLETEMPLATE = 0x00000020;
constexpr DWORD CC_ENABLETEMPLATEHANDLE = 0x00000040;
constexpr DWORD CC_SOLIDCOLOR = 0x00000080;
constexpr DWORD CC_ANYCOLOR = 0x00000100;

constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;

// TRUE when the user chose a colour (OK): rgbResult and the 16 custom colours are written
// back. FALSE on Cancel (CommDlgExtendedError 0) or on a failure (its code).
BOOL ChooseColorA(LPCHOOSECOLORA cc);
BOOL ChooseColorW(LPCHOOSECOLORW cc);
DWORD CommDlgExtendedError();

namespace platform::comdlg {

// What the presenter gets: the starting colour and custom colours, and the flags that count.
struct ColorDialogRequest {
  HWND owner = nullptr;
  COLORREF color = 0;           // black unless CC_RGBINIT
  COLORREF customColors[16]{};
  bool fullOpen = false;        // CC_FULLOPEN: the custom-colour part shows at once
  bool preventFullOpen = false; // CC_PREVENTFULLOPEN: its button is disabled
  bool solidColor = false;      // CC_SOLIDCOLOR
  bool anyColor = false;        // CC_ANYCOLOR
};
// Shows the dialog; true on OK with `color` and `customColors` as chosen.
using ColorDialogPresenter = std::function<bool(ColorDialogRequest& request)>;
// Installs the presenter (an empty one: none); the previous one is returned.
ColorDialogPresenter SetColorDialogPresenter(ColorDialogPresenter presenter);

}  // namespace platform::comdlg
