#pragma once

// Messages as the controls see them: TMessage (number, parameters, result), the typed views
// the message handlers take, and the control messages (CM_*) and reflected notifications
// (CN_*) with their documented numbers, one table each.
//
// A typed view unpacks the parameters of one message and refers to the TMessage it came
// from, so a handler sets Result on the view and the caller sees it in the message.

#include "platform/user/WinUser.h"
#include "vcl/Types.h"

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// ---- control messages -----------------------------------------------------------------------

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_MENUCHANGED = CM_BASE + 21;
constexpr UINT CM_APPKEYDOWN = CM_BASE + 22;
constexpr UINT CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_DESIGNHITTEST = CM_BASE + 28;
constexpr UINT CM_ICONCHANGED = CM_BASE + 29;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr UINT CM_INVOKEHELP = CM_BASE + 31;
constexpr UINT CM_WINDOWHOOK = CM_BASE + 32;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr UINT CM_WININICHANGE = CM_BASE + 37;
constexpr UINT CM_FONTCHANGE = CM_BASE + 38;
constexpr UINT CM_TIMECHANGE = CM_BASE + 39;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_UIACTIVATE = CM_BASE + 41;
constexpr UINT CM_UIDEACTIVATE = CM_BASE + 42;
constexpr UINT CM_DOCWINDOWACTIVATE = CM_BASE + 43;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr UINT CM_GETDATALINK = CM_BASE + 45;
constexpr UINT CM_CHILDKEY = CM_BASE + 46;
constexpr UINT CM_DRAG = CM_BASE + 47;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_DIALOGHANDLE = CM_BASE + 49;
constexpr UINT CM_ISTOOLCONTROL = CM_BASE + 50;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;
constexpr UINT CM_SYSFONTCHANGED = CM_BASE + 53;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;
constexpr UINT CM_CHANGED = CM_BASE + 55;
constexpr UINT CM_DOCKCLIENT = CM_BASE + 56;
constexpr UINT CM_UNDOCKCLIENT = CM_BASE + 57;
constexpr UINT CM_FLOAT = CM_BASE + 58;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 59;
constexpr UINT CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr UINT CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
constexpr UINT CM_ALLCHILDRENFLIPPED = CM_BASE + 62;
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 63;
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 64;
constexpr UINT CM_HINTSHOWPAUSE = CM_BASE + 65;
constexpr UINT CM_DOCKNOTIFICATION = CM_BASE + 66;
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;
constexpr UINT CM_ISSHORTCUT = CM_BASE + 68;

// ---- reflected notifications: a parent hands a child's notification back to the child -----

constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + 0x002F;  // WM_CHARTOITEM
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + 0x002E;  // WM_VKEYTOITEM
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

// ---- typed views ----------------------------------------------------------------------------

// The common part: the message number, the original message, and its result.
struct TMessageView {
  explicit TMessageView(TMessage& message) : Msg(message.Msg), Message(message) {}
  UINT Msg;
  TMessage& Message;
  void SetResult(LRESULT value) { Message.Result = value; }
  LRESULT Result() const { return Message.Result; }
};

// Mouse buttons and moves: key state and client point.
struct TWMMouse : TMessageView {
  explicit TWMMouse(TMessage& m)
      : TMessageView(m), Keys(m.WParam), XPos(GET_X_LPARAM(m.LParam)), YPos(GET_Y_LPARAM(m.LParam)) {}
  WPARAM Keys;
  int XPos;
  int YPos;
  TPoint Pos() const { return {XPos, YPos}; }
};

struct TWMMouseWheel : TMessageView {
  explicit TWMMouseWheel(TMessage& m)
      : TMessageView(m), Keys(LOWORD(m.WParam)), WheelDelta(GET_WHEEL_DELTA_WPARAM(m.WParam)),
        XPos(GET_X_LPARAM(m.LParam)), YPos(GET_Y_LPARAM(m.LParam)) {}
  WORD Keys;
  short WheelDelta;
  int XPos;  // screen coordinates
  int YPos;
};

// Keys and characters (WM_KEYDOWN, WM_CHAR, CN_KEYDOWN, CM_DIALOGKEY ...). A handler that
// changes CharCode changes what the later steps see.
struct TWMKey : TMessageView {
  explicit TWMKey(TMessage& m)
      : TMessageView(m), CharCode(static_cast<WORD>(m.WParam)), KeyData(static_cast<LONG>(m.LParam)) {}
  WORD CharCode;
  LONG KeyData;
};

struct TWMSize : TMessageView {
  explicit TWMSize(TMessage& m)
      : TMessageView(m), SizeType(m.WParam), Width(LOWORD(m.LParam)), Height(HIWORD(m.LParam)) {}
  WPARAM SizeType;
  int Width;
  int Height;
};

// WM_PAINT, WM_ERASEBKGND, WM_PRINTCLIENT: a DC given by the caller, or none.
struct TWMPaint : TMessageView {
  explicit TWMPaint(TMessage& m) : TMessageView(m), DC(reinterpret_cast<HDC>(m.WParam)) {}
  HDC DC;
};
using TWMEraseBkgnd = TWMPaint;

struct TWMCommand : TMessageView {
  explicit TWMCommand(TMessage& m)
      : TMessageView(m), ItemID(LOWORD(m.WParam)), NotifyCode(HIWORD(m.WParam)),
        Ctl(reinterpret_cast<HWND>(m.LParam)) {}
  WORD ItemID;
  WORD NotifyCode;
  HWND Ctl;
};

struct TWMNotify : TMessageView {
  explicit TWMNotify(TMessage& m)
      : TMessageView(m), IDCtrl(static_cast<int>(m.WParam)), NMHdr(reinterpret_cast<NMHDR*>(m.LParam)) {}
  int IDCtrl;
  NMHDR* NMHdr;
};

// WM_SETFOCUS / WM_KILLFOCUS: the window losing or getting the focus.
struct TWMFocus : TMessageView {
  explicit TWMFocus(TMessage& m) : TMessageView(m), FocusedWnd(reinterpret_cast<HWND>(m.WParam)) {}
  HWND FocusedWnd;
};

struct TWMActivate : TMessageView {
  explicit TWMActivate(TMessage& m)
      : TMessageView(m), Active(LOWORD(m.WParam)), Minimized(HIWORD(m.WParam) != 0),
        ActiveWindow(reinterpret_cast<HWND>(m.LParam)) {}
  WORD Active;
  bool Minimized;
  HWND ActiveWindow;
};

struct TWMWindowPosMsg : TMessageView {
  explicit TWMWindowPosMsg(TMessage& m) : TMessageView(m), WindowPos(reinterpret_cast<WINDOWPOS*>(m.LParam)) {}
  WINDOWPOS* WindowPos;
};

struct TWMTimer : TMessageView {
  explicit TWMTimer(TMessage& m) : TMessageView(m), TimerID(m.WParam) {}
  WPARAM TimerID;
};

struct TWMSysCommand : TMessageView {
  explicit TWMSysCommand(TMessage& m)
      : TMessageView(m), CmdType(m.WParam & 0xFFF0), XPos(GET_X_LPARAM(m.LParam)), YPos(GET_Y_LPARAM(m.LParam)) {}
  WPARAM CmdType;
  int XPos;
  int YPos;
};

class TControl;

// CM_FOCUSCHANGED, CM_MOUSEENTER, CM_MOUSELEAVE: the control concerned travels in LParam.
struct TCMFocusChanged : TMessageView {
  explicit TCMFocusChanged(TMessage& m) : TMessageView(m), Sender(reinterpret_cast<TControl*>(m.LParam)) {}
  TControl* Sender;
};
using TCMMouseEnterLeave = TCMFocusChanged;

// CM_CONTROLCHANGE, CM_CONTROLLISTCHANGE: the control in WParam, inserting (1) or removing in LParam.
struct TCMControlChange : TMessageView {
  explicit TCMControlChange(TMessage& m)
      : TMessageView(m), Control(reinterpret_cast<TControl*>(m.WParam)), Inserting(m.LParam != 0) {}
  TControl* Control;
  bool Inserting;
};
