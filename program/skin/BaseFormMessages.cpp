// TBaseForm's message handlers: the non-client protocol of the self-drawn frame, the system
// menu, size keeping around style changes, printing, and the window-state bookkeeping.

#include <algorithm>

#include "platform/gdi/DcGuards.h"
#include "platform/kernel/TimeApi.h"
#include "program/skin/BaseForm.h"
#include "program/skin/DrawUtils.h"
#include "program/skin/FSHintWindow.h"
#include "vcl/Application.h"
#include "vcl/Screen.h"

namespace {

bool IsSizingHit(WPARAM hit) { return hit == HTSIZE || (hit >= HTLEFT && hit <= HTBOTTOMRIGHT); }

// A style change that moves the frame: WS_MINIMIZE, WS_CHILD or WS_POPUP, or WS_VISIBLE with
// any lower bit.
bool IsFrameStyleChange(const TMessage& m) {
  if (static_cast<int>(m.WParam) != GWL_STYLE || !m.LParam) return false;
  const auto* change = reinterpret_cast<const STYLESTRUCT*>(m.LParam);
  return (static_cast<uint32_t>(change->styleOld) ^ static_cast<uint32_t>(change->styleNew)) > 0x10000000u;
}

constexpr WPARAM kPrintNonClientExtra = 0x200;

}  // namespace

void TBaseForm::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE:
      inherited::Dispatch(m);
      AdjustNCCalcSize(m);
      return;
    case WM_NCHITTEST: WMNCHitTest(m); return;
    case WM_NCPAINT: WMNCPaint(m); return;
    case WM_NCACTIVATE: WMNCActivate(m); return;
    case WM_NCLBUTTONDOWN: WMNCLButtonDown(m); return;
    case WM_NCLBUTTONUP: WMNCLButtonUp(m); return;
    case WM_NCLBUTTONDBLCLK: WMNCLButtonDblClk(m); return;
    case WM_NCMOUSEMOVE: WMNCMouseMove(m); return;
    case WM_NCMOUSELEAVE: WMNCMouseLeave(m); return;
    case WM_SYSMENU: WMSysMenu(m); return;
    case WM_INITMENU: WMInitMenu(m); return;
    case WM_INITMENUPOPUP: WMInitMenuPopup(m); return;
    case WM_UNINITMENUPOPUP: WMUninitMenuPopup(m); return;
    case WM_SETTEXT:
    case WM_SETICON: WMSetTextOrIcon(m); return;
    case WM_STYLECHANGING: WMStyleChanging(m); return;
    case WM_STYLECHANGED: WMStyleChanged(m); return;
    case WM_SETTINGCHANGE: WMSettingChange(m); return;
    case WM_GETMINMAXINFO: WMGetMinMaxInfo(m); return;
    case WM_ENTERSIZEMOVE:
      if (IsSkinActive()) SetRedrawState(true);
      DefaultHandler(m);
      return;
    case WM_SIZING:
      FUserMoving = true;
      SaveClientSize();
      DefaultHandler(m);
      return;
    case WM_MOVING:
      FUserMoving = true;
      FDockPos = dpNone;
      DefaultHandler(m);
      return;
    case WM_EXITSIZEMOVE:
      if (FRedrawOff) SetRedrawState(true);
      inherited::Dispatch(m);
      return;
    case WM_WINDOWPOSCHANGING: WMWindowPosChanging(m); return;
    case WM_PARENTNOTIFY: WMParentNotify(m); return;
    case WM_ENABLE: WMEnable(m); return;
    case WM_SHOWWINDOW: WMShowWindow(m); return;
    case WM_TIMER: WMTimer(m); return;
    case WM_PRINT: WMPrint(m); return;
    case WM_PRINTCLIENT: WMPrintClient(m); return;
    case WM_SIZE: WMSizeNotify(m); return;
    case CM_SHOWINGCHANGED: CMShowingChanged(m); return;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (FCaptionPress) {
        // While a caption button holds the capture, the pointer's moves and the release
        // arrive as client messages; they are the frame's.
        if (m.Msg == WM_CAPTURECHANGED) {
          FCaptionPress = false;
          ClearHotButtons();
          for (TCaptionButton* b : {FMinButton.get(), FMaxButton.get(), FRestoreButton.get(), FCloseButton.get(), FCustomButton.get()})
            b->SetDown(false);
          inherited::Dispatch(m);
          return;
        }
        const TPoint screen = ClientToScreenPoint(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
        TMessage frame;
        frame.Msg = m.Msg == WM_MOUSEMOVE ? WM_NCMOUSEMOVE : WM_NCLBUTTONUP;
        frame.LParam = MAKELPARAM(screen.X, screen.Y);
        frame.WParam = SendMessageW(FHandle, WM_NCHITTEST, 0, frame.LParam);
        if (frame.Msg == WM_NCLBUTTONUP) {
          FCaptionPress = false;
          WMNCLButtonUp(frame);
        } else {
          WMNCMouseMove(frame);
        }
        return;
      }
      inherited::Dispatch(m);
      return;
    default: inherited::Dispatch(m); return;
  }
}

// ---- the frame -----------------------------------------------------------------------------------

void TBaseForm::WMNCHitTest(TMessage& m) {
  inherited::Dispatch(m);
  if (!IsSkinActive()) return;
  const TPoint p = ScreenToWindow(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
  const TPoint c = ScreenToClientPoint(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
  const TNCMetrics& nc = *FNCMetrics;
  // The caption band runs from the top border down to where the client area begins.
  if (p.Y >= nc.Top() && p.Y < nc.Top() + nc.CaptionHeight()) m.Result = HTCAPTION;
  if (TControl* child = ControlAtPos(c, false, false);
      child && !child->ControlStyle().Contains(csNoStdEvents) && child->Enabled() && child->Visible())
    m.Result = HTCLIENT;
  if (m.Result == HTSYSMENU || m.Result == HTMINBUTTON || m.Result == HTMAXBUTTON || m.Result == HTCLOSE ||
      m.Result == HTHELP)
    m.Result = HTCAPTION;
  if (FBorderStyle == bsSingle || FBorderStyle == bsSizeable) {
    if (FSysMenuIcon->NCHitTest(m)) return;
  }
  int count;
  TCaptionButton* const* buttons = ActionButtons(count);
  for (int i = 0; i < count; ++i)
    if (buttons[i]->NCHitTest(m)) return;
  if ((FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin) && !IsZoomed(FHandle)) {
    const int w = FWidth, h = FHeight, x = p.X, y = p.Y;
    if (x < nc.Left() && y < nc.Top()) m.Result = HTTOPLEFT;
    else if (x > w - nc.Right() && y < nc.Top()) m.Result = HTTOPRIGHT;
    else if (x > w - nc.Right() && y > h - nc.Bottom()) m.Result = HTBOTTOMRIGHT;
    else if (x < nc.Left() && y > h - nc.Bottom()) m.Result = HTBOTTOMLEFT;
    else if (x < nc.Left()) m.Result = HTLEFT;
    else if (y < nc.Top()) m.Result = HTTOP;
    else if (x > w - nc.Right()) m.Result = HTRIGHT;
    else if (y > h - nc.Bottom()) m.Result = HTBOTTOM;
  }
}

void TBaseForm::WMNCPaint(TMessage& m) {
  if (IsSkinActive() && IsWindowVisible(FHandle)) {
    PaintNonClient(reinterpret_cast<HRGN>(m.WParam), true, true);
    m.Result = 0;
    return;
  }
  inherited::WMNCPaint(m);
}

void TBaseForm::WMNCActivate(TMessage& m) {
  FNCActive = m.WParam != 0;
  if (!IsSkinActive()) {
    DefaultHandler(m);
    return;
  }
  int count;
  TCaptionButton* const* buttons = ActionButtons(count);
  for (int i = 0; i < count; ++i) buttons[i]->StopFade();
  if (FShowingChange) {
    DefaultHandler(m);
    if (!FShowAnimate) UpdateRegion(false);
    return;
  }
  // The frame is ours: the window manager never paints its caption.
  PaintNonClient(nullptr, true, true);
  m.Result = 1;
}

void TBaseForm::WMNCLButtonDown(TMessage& m) {
  if (!IsSkinActive()) {
    inherited::Dispatch(m);
    return;
  }
  if (FSysMenuIcon->NCLButtonDown(m)) {
    // The icon opens the system menu like the caption's icon box.
    m.WParam = HTSYSMENU;
  } else {
    int count;
    TCaptionButton* const* buttons = ActionButtons(count);
    for (int i = 0; i < count; ++i)
      if (buttons[i]->NCLButtonDown(m)) {
        if (buttons[i]->Down()) {
          SetCapture(FHandle);
          FCaptionPress = true;
        }
        m.Result = 0;
        return;
      }
  }
  switch (m.WParam) {
    case HTCAPTION:
      BringWindowToTop(FHandle);
      if (FCaptionDrag && !IsZoomed(FHandle)) StartCaptionDrag(m);
      m.Result = 0;
      return;
    case HTSYSMENU:
      if (!FSysMenuTracking) {
        FSysMenuTick = GetTickCount();
        FSysMenuTracking = true;
        const TPoint at = WindowToScreen(TPoint(12, 26));
        ShowSystemMenu(FHandle, at.X, at.Y);
      }
      m.Result = 0;
      return;
    case HTMENU:
      inherited::Dispatch(m);
      PaintNonClientNow();
      return;
    default:
      if (IsSizingHit(m.WParam)) SetRedrawState(false);
      inherited::Dispatch(m);
      return;
  }
}

void TBaseForm::WMNCLButtonUp(TMessage& m) {
  if (IsSkinActive()) {
    if (m.WParam == HTMINBUTTON || m.WParam == HTMAXBUTTON || m.WParam == HTCLOSE || m.WParam == HTHELP)
      m.WParam = HTCAPTIONBUTTON;
    if (IsSizingHit(m.WParam)) SetRedrawState(true);
    FCaptionPress = false;
    if (GetCapture() == FHandle) ReleaseCapture();
    bool taken = false;
    if (FBorderStyle == bsSingle || FBorderStyle == bsSizeable) taken = FSysMenuIcon->NCLButtonUp(m);
    int count;
    TCaptionButton* const* buttons = ActionButtons(count);
    for (int i = 0; i < count && !taken; ++i) taken = buttons[i]->NCLButtonUp(m);
    // Every other button forgets a press that did not end on it.
    for (int i = 0; i < count; ++i) buttons[i]->SetDown(false);
    if (taken) return;
  }
  DefaultHandler(m);
  ReleaseCapture();
}

void TBaseForm::WMNCLButtonDblClk(TMessage& m) {
  if (IsSkinActive() && m.WParam == HTCAPTION) {
    const TWindowState state = WindowState();
    if (state == wsNormal) {
      if (FMaxButton->Visible() && FMaxButton->Enabled()) ShowWindow(FHandle, SW_MAXIMIZE);
    } else {
      ShowWindow(FHandle, SW_RESTORE);
    }
    m.Result = 0;
    return;
  }
  DefaultHandler(m);
}

void TBaseForm::WMNCMouseMove(TMessage& m) {
  DefaultHandler(m);
  if (!IsSkinActive()) return;
  // The hint machinery hears of the pointer over the frame as a move at its client point,
  // so caption-button hints show, and follow the pointer from one button to the next.
  const TPoint client = ScreenToClientPoint(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
  TMessage move{WM_MOUSEMOVE, 0, MAKELPARAM(client.X, client.Y), 0};
  Application->HintMouseMessage(this, move);
  m.Result = 0;
  FSysMenuIcon->NCMouseMove(m);
  int count;
  TCaptionButton* const* buttons = ActionButtons(count);
  for (int i = 0; i < count; ++i) buttons[i]->NCMouseMove(m);
  if (m.Result == 1) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE | TME_NONCLIENT;
    track.hwndTrack = FHandle;
    track.dwHoverTime = HOVER_DEFAULT;
    TrackMouseEvent(&track);
  }
  m.Result = 0;
  FMouseWasOver = true;
  if (FDockedIn) SlideDock(false);
}

void TBaseForm::WMNCMouseLeave(TMessage& m) {
  DefaultHandler(m);
  ClearHotButtons();
}

void TBaseForm::WMSetCursor(TMessage& m) {
  const LRESULT hit = static_cast<SHORT>(LOWORD(m.LParam));
  if (hit == HTERROR) {
    DefaultHandler(m);
    return;
  }
  if (IsSkinActive()) {
    LPCWSTR cursor = nullptr;
    switch (hit) {
      case HTLEFT: case HTRIGHT: cursor = IDC_SIZEWE; break;
      case HTTOP: case HTBOTTOM: cursor = IDC_SIZENS; break;
      case HTTOPLEFT: case HTBOTTOMRIGHT: cursor = IDC_SIZENWSE; break;
      case HTTOPRIGHT: case HTBOTTOMLEFT: cursor = IDC_SIZENESW; break;
      default: break;
    }
    if (cursor) {
      ::SetCursor(LoadCursorW(nullptr, cursor));
      m.Result = 1;
      return;
    }
  }
  inherited::WMSetCursor(m);
}

void TBaseForm::WMSysCommand(TWMSysCommand& m) {
  if (!IsDesigning()) {
    TCaptionButton* button = nullptr;
    switch (m.CmdType) {
      case SC_MINIMIZE: button = FMinButton.get(); break;
      case SC_MAXIMIZE: button = FMaxButton.get(); break;
      case SC_RESTORE: button = FRestoreButton.get(); break;
      case SC_CLOSE: button = FCloseButton.get(); break;
      case SC_KEYMENU:
        if (m.Message.LParam == VK_SPACE && FHandle) {
          const TPoint at = WindowToScreen(TPoint(12, 26));
          ShowSystemMenu(FHandle, at.X, at.Y);
        }
        m.SetResult(0);
        return;
      default: break;
    }
    if (button) {
      button->Click();
      m.SetResult(0);
      return;
    }
  }
  inherited::WMSysCommand(m);
}

void TBaseForm::WMCommand(TWMCommand& m) {
  inherited::WMCommand(m);
  // A command chosen in the system menu the form showed itself.
  if (IsSkinActive() && m.Message.WParam >= 0xF000 && !m.Ctl) PostMessageW(FHandle, WM_SYSCOMMAND, m.Message.WParam, 0);
}

void TBaseForm::WMContextMenu(TWMMouse& m) {
  if (IsSkinActive() && m.XPos != -1) {
    const LRESULT hit = SendMessageW(FHandle, WM_NCHITTEST, 0, m.Message.LParam);
    if (hit == HTCAPTION || hit == HTSYSMENU) {
      ShowSystemMenu(FHandle, m.XPos, m.YPos);
      m.SetResult(0);
      return;
    }
  }
  inherited::WMContextMenu(m);
}

void TBaseForm::WMSysMenu(TMessage& m) {
  if (IsSkinActive() && IsWindowEnabled(FHandle)) {
    SetForegroundWindow(FHandle);
    ShowSystemMenu(FHandle, GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
    m.Result = 0;
    return;
  }
  DefaultHandler(m);
}

void TBaseForm::WMInitMenu(TMessage& m) {
  if (IsSkinActive() && reinterpret_cast<HMENU>(m.WParam) == FTrackedSysMenu && FTrackedSysMenu) {
    const LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
    SetWindowLongPtrW(FHandle, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
    DefaultHandler(m);
    SetWindowLongPtrW(FHandle, GWL_STYLE, style);
    return;
  }
  inherited::Dispatch(m);
}

void TBaseForm::WMInitMenuPopup(TMessage& m) {
  HMENU menu = reinterpret_cast<HMENU>(m.WParam);
  const bool systemMenu = HIWORD(m.LParam) != 0 || (menu && menu == FTrackedSysMenu);
  if (!FSkinEnabled || !FSkinActive || !FHandle || !systemMenu) {
    inherited::Dispatch(m);
    return;
  }
  const bool active = IsSkinActive();
  const LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
  if (active) SetWindowLongPtrW(FHandle, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(FHandle, &placement);
  const TWindowState state =
      placement.showCmd == SW_SHOWMINIMIZED ? wsMinimized : placement.showCmd == SW_SHOWMAXIMIZED ? wsMaximized : wsNormal;
  auto enable = [menu](UINT item, bool on) { EnableMenuItem(menu, item, MF_BYCOMMAND | (on ? 0 : MF_GRAYED | MF_DISABLED)); };
  const bool sizeable = FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin;
  enable(SC_MINIMIZE, state != wsMinimized && FMinButton->Visible() && FMinButton->Enabled());
  enable(SC_SIZE, state == wsNormal && sizeable);
  enable(SC_MOVE, state == wsNormal);
  enable(SC_RESTORE, state != wsNormal && FRestoreButton->Enabled());
  enable(SC_MAXIMIZE, state != wsMaximized && FMaxButton->Visible() && FMaxButton->Enabled());
  SetMenuDefaultItem(menu, state != wsNormal ? SC_RESTORE : SC_MAXIMIZE, FALSE);
  inherited::Dispatch(m);
  if (active) SetWindowLongPtrW(FHandle, GWL_STYLE, style);
}

void TBaseForm::WMUninitMenuPopup(TMessage& m) {
  DefaultHandler(m);
  if (!FSysMenuTracking) return;
  FSysMenuTracking = false;
  // A second press on the icon while its menu was open closes the form, as a double click on
  // the icon would.
  POINT cursor{};
  GetCursorPos(&cursor);
  if ((GetKeyState(VK_LBUTTON) < 0 || GetMessageTime() != 0) && FSysMenuIcon->ContainsPoint(cursor) &&
      GetTickCount() - FSysMenuTick <= GetDoubleClickTime() && GetKeyState(VK_LBUTTON) < 0)
    SendMessageW(FHandle, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void TBaseForm::WMSetTextOrIcon(TMessage& m) {
  if (!IsSkinActive()) {
    inherited::Dispatch(m);
    return;
  }
  const LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
  SetWindowLongPtrW(FHandle, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
  inherited::Dispatch(m);
  SetWindowLongPtrW(FHandle, GWL_STYLE, style);
  if (m.Msg == WM_SETTEXT) UpdateRegion(true);
  // The caption shows the new text or icon now (the window manager no longer paints it).
  if (IsWindowVisible(FHandle)) PaintNonClientNow();
  Update();
}

void TBaseForm::WMStyleChanging(TMessage& m) {
  if (IsFrameStyleChange(m)) SaveClientSize();
  DefaultHandler(m);
}

void TBaseForm::WMStyleChanged(TMessage& m) {
  DefaultHandler(m);
  UpdateSystemMetrics();
  if (IsSkinActive() && IsFrameStyleChange(m)) RestoreKeptSize(3);
}

void TBaseForm::WMSettingChange(TMessage& m) {
  inherited::Dispatch(m);
  UpdateSystemMetrics();
  if (IsSkinActive()) {
    RestoreKeptSize(3);
    Repaint();
  }
}

void TBaseForm::WMGetMinMaxInfo(TMessage& m) {
  inherited::Dispatch(m);
  if (!IsSkinActive() || !m.LParam) return;
  auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
  const TRect monitor = MonitorRect(false);
  const TRect work = MonitorRect(true);
  const TNCMetrics& sys = *FSystemMetrics;
  // The window's frame hangs over the work area's edges; the rest covers it exactly. The
  // position is the work area's origin within its monitor.
  info->ptMaxPosition = POINT{work.Left - monitor.Left - sys.Left(), work.Top - monitor.Top - sys.Top()};
  info->ptMaxSize = POINT{(work.Right - work.Left) + sys.Left() + sys.Right(), (work.Bottom - work.Top) + sys.Top() + sys.Bottom()};
  m.Result = 0;
}

void TBaseForm::WMWindowPosChanging(TMessage& m) {
  auto* pos = reinterpret_cast<WINDOWPOS*>(m.LParam);
  if (pos && FAutoDock && !FDockedIn && !FSliding && !(IsDesigning() && FParent) && !(pos->flags & SWP_NOMOVE) &&
      !(pos->x == 0 && pos->y == 0) && ((pos->flags & SWP_NOSIZE) || (pos->cx == FWidth && pos->cy == FHeight))) {
    int x = pos->x, y = pos->y;
    SnapToDockEdges(x, y);
    pos->x = x;
    pos->y = y;
    FUserMoving = false;
  }
  inherited::Dispatch(m);
}

void TBaseForm::WMActivate(TWMActivate& m) {
  inherited::WMActivate(m);
  if (m.Active != WA_INACTIVE) {
    if (!FSliding && FDockedIn) SlideDock(false);
  } else if (HWND dialog = m.ActiveWindow; dialog && dialog != FLastCenteredDialog) {
    char name[16] = {};
    GetClassNameA(dialog, name, sizeof(name));
    if (std::string_view(name) == "#32770" && GetWindow(dialog, GW_OWNER) == FHandle) {
      CenterWindowOn(FHandle, dialog);
      FLastCenteredDialog = dialog;
    }
  }
  FWasActive = m.Active != WA_INACTIVE;
}

void TBaseForm::WMParentNotify(TMessage& m) {
  inherited::Dispatch(m);
  if (LOWORD(m.WParam) == WM_DESTROY && reinterpret_cast<HWND>(m.LParam) == FLastCenteredDialog) FLastCenteredDialog = nullptr;
}

void TBaseForm::WMEnable(TMessage& m) {
  DefaultHandler(m);
  if (!IsDesigning()) FEnabled = m.WParam != 0;
}

void TBaseForm::WMShowWindow(TMessage& m) {
  if (IsDesigning()) {
    inherited::Dispatch(m);
    return;
  }
  const bool show = m.WParam != 0;
  if (show && FFormState.Contains(fsModal) && WindowState() == wsNormal) {
    // A modal form opens fully on its monitor.
    const TRect work = MonitorRect(true);
    int x = FLeft, y = FTop;
    MoveWindowIntoWorkArea(RECT{work.Left, work.Top, work.Right, work.Bottom}, FWidth, FHeight, x, y);
    if (x != FLeft || y != FTop) SetBounds(x, y, FWidth, FHeight);
  }
  // AnimateWindow shows or hides the window itself, which sends this message again.
  if (FShowAnimate && !FSliding && m.LParam == 0 && !(FHandle && IsZoomed(FHandle))) {
    if (show) {
      FNCActive = true;
      Resizing(WindowState());
      AnimateForm(2, FAnimateTime, 0, 0);
    } else {
      AnimateForm(1, FAnimateTime, 0, 0);
    }
  }
  inherited::Dispatch(m);
  if (show) {
    ArrangeCaptionButtons();
    if (FAutoDock) CheckDockPos();
  }
}

void TBaseForm::WMTimer(TMessage& m) {
  // The form's window runs only its own timer; others are dropped.
  if (m.WParam == AutoDockTimerId) AutoDockPoll();
}

void TBaseForm::WMSizeNotify(TMessage& m) {
  inherited::Dispatch(m);
  TWindowState state = m.WParam == SIZE_MINIMIZED ? wsMinimized : m.WParam == SIZE_MAXIMIZED ? wsMaximized : wsNormal;
  if (state != FLastState) Resizing(state);
  else if (state != wsMinimized && IsSkinActive()) ArrangeCaptionButtons();
}

void TBaseForm::CMHintShow(TMessage& m) {
  Application->HintWindowClass = &CreateFSHintWindow;
  if (auto* info = reinterpret_cast<THintInfo*>(m.LParam)) {
    for (TCaptionButton* b : {FCustomButton.get(), FMinButton.get(), FMaxButton.get(), FRestoreButton.get(), FCloseButton.get()})
      if (b->HintShow(*info)) {
        m.Result = 0;
        return;
      }
  }
  inherited::CMHintShow(m);
}

void TBaseForm::CMShowingChanged(TMessage& m) {
  FShowingChange = true;
  inherited::Dispatch(m);
  if (IsShowing()) ArrangeCaptionButtons();
  FShowingChange = false;
}

// ---- printing ------------------------------------------------------------------------------------

void TBaseForm::WMPrint(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (!dc || !FHandle) {
    DefaultHandler(m);
    return;
  }
  const bool doubleBuffered = FDoubleBuffered;
  FDoubleBuffered = false;
  const LPARAM flags = m.LParam | PRF_CHECKVISIBLE;
  const bool invisible = !IsWindowVisible(FHandle);
  const LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
  if (invisible) SetWindowLongPtrW(FHandle, GWL_STYLE, style | WS_VISIBLE);
  FControlState.Include(csPaintCopy);
  m.Result = 1;
  HRGN region = CreateFormRegion();
  try {
    const platform::SavedDcState saved(dc);
    if (region) {
      // The shape's corners show what lies under the window.
      RECT window{};
      GetWindowRect(FHandle, &window);
      CopyScreenRect(dc, TRect(window.left, window.top, window.right, window.bottom));
      ExtSelectClipRgn(dc, region, RGN_AND);
    }
    if (flags & PRF_NONCLIENT) {
      if (!IsSkinActive()) {
        TMessage frame = m;
        frame.LParam = flags & ~static_cast<LPARAM>(PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN | PRF_OWNED | kPrintNonClientExtra);
        DefaultHandler(frame);
      } else {
        BufferedPaint(dc, TRect(0, 0, FWidth, FHeight), &TBaseForm::PaintCaption, false, true);
      }
    }
    RECT window{}, client{};
    GetWindowRect(FHandle, &window);
    POINT origin{0, 0};
    ::ClientToScreen(FHandle, &origin);
    GetClientRect(FHandle, &client);
    POINT previous{};
    OffsetWindowOrgEx(dc, -(origin.x - window.left), -(origin.y - window.top), &previous);
    {
      const platform::SavedDcState clientState(dc);
      IntersectClipRect(dc, 0, 0, client.right, client.bottom);
      if (flags & PRF_ERASEBKGND) SendMessageW(FHandle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
      if (flags & PRF_CLIENT) SendMessageW(FHandle, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    }
    if (flags & PRF_CHILDREN) {
      TMessage children = m;
      children.LParam = flags;
      PrintChildWindows(this, children);
    }
    SetWindowOrgEx(dc, previous.x, previous.y, nullptr);
  } catch (...) {
    if (region) DeleteObject(region);
    FDoubleBuffered = doubleBuffered;
    FControlState.Exclude(csPaintCopy);
    if (invisible) SetWindowLongPtrW(FHandle, GWL_STYLE, style);
    throw;
  }
  if (region) DeleteObject(region);
  FDoubleBuffered = doubleBuffered;
  FControlState.Exclude(csPaintCopy);
  if (invisible) SetWindowLongPtrW(FHandle, GWL_STYLE, style);
}

void TBaseForm::WMPrintClient(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (m.Result != 1 && dc) {
    const platform::SavedDcState saved(dc);
    PaintWindow(dc);
    PaintControls(dc, nullptr);
    return;
  }
  inherited::Dispatch(m);
}
