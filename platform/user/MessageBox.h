#pragma once

// MessageBox: a modal "#32770" window with a message, an icon and a row of buttons, drawn
// with the classic look. It runs its own message loop on the calling thread; the owner (or,
// for MB_TASKMODAL without one, every top-level window of the thread) is disabled meanwhile.

#include <string>
#include <vector>

#include "platform/user/UserTypes.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_CANCELTRYCONTINUE = 0x00000006;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_USERICON = 0x00000080;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_DEFBUTTON4 = 0x00000300;
constexpr UINT MB_DEFMASK = 0x00000F00;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr UINT MB_HELP = 0x00004000;
constexpr UINT MB_NOFOCUS = 0x00008000;
constexpr UINT MB_SETFOREGROUND = 0x00010000;
constexpr UINT MB_DEFAULT_DESKTOP_ONLY = 0x00020000;
constexpr UINT MB_TOPMOST = 0x00040000;
constexpr UINT MB_RIGHT = 0x00080000;
constexpr UINT MB_RTLREADING = 0x00100000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDCLOSE = 8;
constexpr int IDHELP = 9;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;

// MessageBoxW goes through the function table (FunctionTable.h): a replacement installed
// there sees every box, the A and Ex forms included.
// Returns the id of the button chosen (Escape and the close button give IDCANCEL when the
// box has a Cancel button, IDOK for a lone OK button), or 0 with the last error set when
// the box cannot be shown (a bad owner, an unknown button set).
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int MessageBoxExW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type, WORD language);
int MessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD language);

namespace platform::detail {

// The layout of a box, in client coordinates, for painting and hit testing.
struct MessageBoxLayout {
  SIZE client{};
  RECT icon{};  // empty without an icon
  RECT text{};
  std::vector<int> buttonIds;
  std::vector<RECT> buttons;
};

// The window manager's own box, the table's original entry.
int RealMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

MessageBoxLayout LayoutMessageBox(const std::u16string& text, UINT type);
// Paints the client area; `focused` is the index of the button with the focus.
void PaintMessageBox(HDC dc, const std::u16string& text, UINT type, const MessageBoxLayout& layout, int focused,
                     int pressed);

}  // namespace platform::detail
