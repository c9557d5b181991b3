#include "program/skin/BaseForm.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/DcGuards.h"
#include "platform/ole/ComClasses.h"
#include "platform/shell/TaskbarList.h"
#include "program/skin/DrawUtils.h"
#include "program/skin/FSHintWindow.h"
#include "program/skin/FSSkinEngine.h"
#include "rtl/SysUtils.h"
#include "vcl/Application.h"
#include "vcl/Screen.h"
#include "vcl/TypInfo.h"

namespace {

constexpr UINT kFrameOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
// Windows' flags for a frame recalculation of the skin switch: no size, no move, no z-order,
// no activation, frame changed.
constexpr UINT kFrameRecalc = kFrameOnly | SWP_FRAMECHANGED;

HWND ApplicationWindow() { return Application->Handle(); }

}  // namespace

// ---- free routines ------------------------------------------------------------------------------

void HideApplicationTaskButton() {
  HWND app = ApplicationWindow();
  if (!app) return;
  LONG_PTR ex = GetWindowLongPtrW(app, GWL_EXSTYLE);
  SetWindowLongPtrW(app, GWL_EXSTYLE, (ex | WS_EX_TOOLWINDOW) & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
}

void MoveWindowIntoWorkArea(const RECT& work, int width, int height, int& x, int& y) {
  if (x + width > work.right) x = work.right - width;
  if (x < work.left) x = work.left;
  if (y + height > work.bottom) y = work.bottom - height;
  if (y < work.top) y = work.top;
}

void CenterWindowOn(HWND parentWnd, HWND wnd) {
  RECT own{};
  if (!GetWindowRect(wnd, &own)) return;
  const int width = own.right - own.left, height = own.bottom - own.top;
  RECT around{};
  HMONITOR monitor = nullptr;
  if (parentWnd) {
    GetWindowRect(parentWnd, &around);
    monitor = MonitorFromWindow(parentWnd, MONITOR_DEFAULTTONEAREST);
  } else {
    TCustomForm* main = Application->MainForm();
    TCustomForm* on = main ? (Screen->ActiveForm() ? Screen->ActiveForm() : main) : nullptr;
    if (on && on->HandleAllocated()) monitor = MonitorFromWindow(on->Handle(), MONITOR_DEFAULTTONEAREST);
    else monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    around = info.rcMonitor;
  }
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!monitor) monitor = MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST);
  GetMonitorInfoW(monitor, &info);
  int x = around.left + ((around.right - around.left) - width) / 2;
  int y = around.top + ((around.bottom - around.top) - height) / 2;
  MoveWindowIntoWorkArea(info.rcWork, width, height, x, y);
  SetWindowPos(wnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- construction -------------------------------------------------------------------------------

TBaseForm::TBaseForm(TComponent* owner) : TForm(owner) { InitNonClient(); }

TBaseForm::TBaseForm(TComponent* owner, int dummy) : TForm(owner, dummy) { InitNonClient(); }

TBaseForm::~TBaseForm() {
  // The window goes before the buttons and metrics its messages use.
  Destroying();
  if (FDockTimer && FHandle) KillTimer(FHandle, AutoDockTimerId);
  FDockTimer = 0;
  // The bars give the form's window procedure back while the form still exists.
  FScrollBars.reset();
}

void TBaseForm::DescribeClass(TClassBuilder<TBaseForm>& c) {
  c.Property("OnBeforeDock", &TBaseForm::OnBeforeDock);
  c.Property("OnAfterDock", &TBaseForm::OnAfterDock);
}

void TBaseForm::InitNonClient() {
  FScrollBars = std::make_unique<TNCScrollBar>(this, SkinEngine);
  FNCMetrics = std::make_unique<TNCMetrics>();
  FPrevSystemMetrics = std::make_unique<TNCMetrics>();
  FSystemMetrics = std::make_unique<TNCMetrics>();
  FNCMetrics->OnChanging = TNotifyEvent([this](TObject*) { SaveClientSize(); });
  FNCMetrics->OnChange = TNotifyEvent([this](TObject*) {
    UpdateNonClient(true);
    RedrawAll();
  });

  auto make = [this](WPARAM command, LRESULT hit, TRect bounds) {
    auto button = std::make_unique<TCaptionButton>(this);
    button->SetSysCommand(command);
    button->SetHitTestCode(hit);
    button->SetBoundsRect(bounds);
    return button;
  };
  FSysMenuIcon = make(0, HTSYSMENU, TRect(12, 10, 28, 26));
  FMinButton = make(SC_MINIMIZE, HTMINBUTTON, TRect(0, 0, 20, 20));
  FMaxButton = make(SC_MAXIMIZE, HTMAXBUTTON, TRect(0, 0, 20, 20));
  FRestoreButton = make(SC_RESTORE, HTMAXBUTTON, TRect(0, 0, 20, 20));
  FCloseButton = make(SC_CLOSE, HTCLOSE, TRect(0, 0, 20, 20));
  FCustomButton = make(0, HTCAPTIONBUTTON, TRect(0, 0, 20, 20));
  FCustomButton->SetVisible(false);

  FMinButton->OnClick = TNotifyEvent([this](TObject*) {
    if (!FHandle) return;
    ShowWindow(FHandle, SW_MINIMIZE);
    Resizing(WindowState());
  });
  FMaxButton->OnClick = TNotifyEvent([this](TObject*) {
    if (FHandle) ShowWindow(FHandle, IsZoomed(FHandle) ? SW_RESTORE : SW_MAXIMIZE);
  });
  FRestoreButton->OnClick = TNotifyEvent([this](TObject*) {
    if (FHandle) ShowWindow(FHandle, SW_RESTORE);
  });
  FCloseButton->OnClick = TNotifyEvent([this](TObject*) { Close(); });
  SetShowHint(true);
}

void TBaseForm::AfterConstruction() {
  if (FBaseConstructed) return;
  FBaseConstructed = true;
  // The skin goes over the design, so the design comes first: Create and CreateNew have read
  // it already; a form made with a bare new reads it here (read once either way).
  ReadDesign();
  if (FWindowState == wsMaximized && FHandle) RecreateWnd();
  if (FSkinEnabled && !FSkinActive && !IsDesigning()) DoLoadSkin();
  ArrangeCaptionButtons();
  inherited::AfterConstruction();
}

void TBaseForm::Loaded() {
  // Desktop composition is never on here, so the show animation stays as set.
  UpdateSystemMetrics();
  inherited::Loaded();
}

// ---- metrics ------------------------------------------------------------------------------------

bool TBaseForm::IsSkinActive() { return FHandle && !IsIconic(FHandle) && FSkinEnabled && FSkinActive; }

void TBaseForm::UpdateSystemMetrics() {
  FPrevSystemMetrics->Assign(FSystemMetrics.get());
  FSmCaption = GetSystemMetrics(SM_CYSMCAPTION);
  FCaption = GetSystemMetrics(SM_CYCAPTION);
  FMenuHeight = GetSystemMetrics(SM_CYMENU);
  FFixedFrameX = GetSystemMetrics(SM_CXFIXEDFRAME);
  FFixedFrameY = GetSystemMetrics(SM_CYFIXEDFRAME);
  FSizeFrameX = GetSystemMetrics(SM_CXSIZEFRAME);
  FSizeFrameY = GetSystemMetrics(SM_CYSIZEFRAME);

  TFormBorderStyle style = FBorderStyle;
  bool toolWindow;
  if (FHandle) {
    toolWindow = (GetWindowLongPtrW(FHandle, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    if (toolWindow) {
      if (style == bsSingle || style == bsDialog) style = bsToolWindow;
      else if (style == bsSizeable) style = bsSizeToolWin;
    } else {
      if (style == bsToolWindow) style = bsDialog;
      else if (style == bsSizeToolWin) style = bsSizeable;
    }
  } else {
    toolWindow = style == bsToolWindow || style == bsSizeToolWin;
  }
  TNCMetrics& sys = *FSystemMetrics;
  sys.BeginUpdate();
  if (style != bsNone) sys.SetCaptionHeight(toolWindow ? FSmCaption : FCaption);
  else FCaption = 0;
  switch (style) {
    case bsNone:
      sys.SetLeft(0), sys.SetRight(0), sys.SetTop(0), sys.SetBottom(0);
      break;
    case bsSingle:
    case bsDialog:
    case bsToolWindow:
      sys.SetLeft(FFixedFrameX), sys.SetRight(FFixedFrameX), sys.SetTop(FFixedFrameY), sys.SetBottom(FFixedFrameY);
      break;
    case bsSizeable:
    case bsSizeToolWin:
      sys.SetLeft(FSizeFrameX), sys.SetRight(FSizeFrameX), sys.SetTop(FSizeFrameY), sys.SetBottom(FSizeFrameY);
      break;
  }
  sys.EndUpdate();
}

void TBaseForm::AdjustNCCalcSize(TMessage& m) {
  if (!IsSkinActive() || FBorderStyle == bsNone || !m.LParam) return;
  const TNCMetrics& nc = *FNCMetrics;
  const TNCMetrics& sys = *FSystemMetrics;
  // Both forms of the message carry the client rectangle first: the one with wParam for a
  // move or size, the bare rectangle when the window is made.
  RECT& r = m.WParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : *reinterpret_cast<RECT*>(m.LParam);
  r.left += nc.Left() - sys.Left();
  r.top += nc.Top() - sys.Top() + nc.CaptionHeight() - sys.CaptionHeight();
  r.right += sys.Right() - nc.Right();
  r.bottom += sys.Bottom() - nc.Bottom();
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  if (m.WParam) {
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
    params->rgrc[1] = params->rgrc[0];
    m.Result = WVR_VALIDRECTS;
  } else {
    m.Result = 0;
  }
}

TRect TBaseForm::ClientRect() {
  if (FHandle || !FSkinEnabled || !FSkinActive || FBorderStyle == bsNone) return inherited::ClientRect();
  const TNCMetrics& nc = *FNCMetrics;
  return TRect(0, 0, std::max(0, FWidth - nc.Left() - nc.Right()),
               std::max(0, FHeight - nc.Top() - nc.CaptionHeight() - nc.Bottom()));
}

void TBaseForm::UpdateNonClient(bool frameChanged) {
  if (!FHandle) return;
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, kFrameOnly | SWP_NOOWNERZORDER | (frameChanged ? SWP_FRAMECHANGED : 0));
}

void TBaseForm::RedrawAll() {
  if (FHandle) RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_NOFRAME);
}

TPoint TBaseForm::ScreenToWindow(TPoint p) {
  RECT r{};
  if (FHandle) GetWindowRect(FHandle, &r);
  return TPoint(p.X - r.left, p.Y - r.top);
}

TPoint TBaseForm::WindowToScreen(TPoint p) {
  RECT r{};
  if (FHandle) GetWindowRect(FHandle, &r);
  return TPoint(p.X + r.left, p.Y + r.top);
}

TPoint TBaseForm::ClientToScreenPoint(TPoint p) {
  POINT q{p.X, p.Y};
  if (FHandle) ::ClientToScreen(FHandle, &q);
  return TPoint(q.x, q.y);
}

TPoint TBaseForm::ScreenToClientPoint(TPoint p) {
  POINT q{p.X, p.Y};
  if (FHandle) ::ScreenToClient(FHandle, &q);
  return TPoint(q.x, q.y);
}

TPoint TBaseForm::ClientToWindow(TPoint p) { return ScreenToWindow(ClientToScreenPoint(p)); }
TPoint TBaseForm::WindowToClient(TPoint p) { return ScreenToClientPoint(WindowToScreen(p)); }

HICON TBaseForm::FormIcon() {
  HICON icon = GetIconHandle();
  return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

// ---- size keeping ------------------------------------------------------------------------------

void TBaseForm::SaveClientSize() {
  if (IsLoading() && !IsDesigning()) return;
  if (FHandle) {
    RECT client{};
    GetClientRect(FHandle, &client);
    FKeptClientWidth = client.right;
    FKeptClientHeight = client.bottom;
    FKeptClientValid = true;
  }
  FKeptWidth = FWidth;
  FKeptHeight = FHeight;
}

void TBaseForm::SetClientSizeKept() {
  RECT client{};
  GetClientRect(FHandle, &client);
  SetBounds(FLeft, FTop, FWidth - client.right + FKeptClientWidth, FHeight - client.bottom + FKeptClientHeight);
}

void TBaseForm::RestoreKeptSize(int reason) {
  if ((FHandle && IsZoomed(FHandle)) || reason > 3) return;
  if (FKeepingSize == kstWindow) SetBounds(FLeft, FTop, FKeptWidth, FKeptHeight);
  else if (FKeptClientValid && FHandle) SetClientSizeKept();
  SaveClientSize();
}

void TBaseForm::SetBounds(int left, int top, int width, int height) {
  const bool sizing = FHandle && IsSkinActive() && (width != FWidth || height != FHeight) && !IsLoading();
  if (sizing) SaveClientSize();
  if (FFormState.Contains(fsShowing) && FFormState.Contains(fsModal)) {
    const TRect work = MonitorRect(true);
    int x = left, y = top;
    MoveWindowIntoWorkArea(RECT{work.Left, work.Top, work.Right, work.Bottom}, width, height, x, y);
    left = x, top = y;
  }
  inherited::SetBounds(left, top, width, height);
  if (sizing) {
    ArrangeCaptionButtons();
    UpdateRegion(true);
  }
}

// ---- skin switches ------------------------------------------------------------------------------

void TBaseForm::SetSkinActive(bool value) {
  if (FSkinActive == value) return;
  FSkinActive = value;
  if (!FHandle || !FSkinEnabled || (IsLoading() && !IsDesigning())) return;
  if (value) SaveClientSize();
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, kFrameRecalc);
  Application->ProcessMessages();
  RestoreKeptSize(value ? 0 : 2);
}

void TBaseForm::SetSkinEnabled(bool value) {
  if (FSkinEnabled == value) return;
  FSkinEnabled = value;
  if (!FHandle || !FSkinActive || IsLoading()) return;
  SaveClientSize();
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, kFrameRecalc);
  if (value && !FSkinActive) DoLoadSkin();
  RestoreKeptSize(value ? 0 : 2);
  UpdateRegion(true);
  RedrawAll();
}

void TBaseForm::DoLoadSkin() {
  if (!FSkinEnabled || !FSkinActive) return;
  UpdateCaptionButtons();
  if (FCustomButton->HasOwnSkinName()) FCustomButton->UpdatePart();
}

// ---- window --------------------------------------------------------------------------------------

void TBaseForm::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  if (IsDesigning()) return;
  if (FTaskIcon) {
    // Unowned, which is what the desktop as owner means (the window manager does not take the
    // desktop window as an owner).
    params.WndParent = nullptr;
    params.ExStyle |= WS_EX_APPWINDOW;
  } else if (FOwnerWindow) {
    params.WndParent = FOwnerWindow;
  }
}

void TBaseForm::CreateWnd() {
  inherited::CreateWnd();
  SaveClientSize();
  if (IsDesigning()) return;
  if (FTaskIcon) {
    HideApplicationTaskButton();
    TCustomForm* main = Application->MainForm();
    if (!main || main == this) SetWindowLongPtrW(ApplicationWindow(), GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(FHandle));
  }
  if (FAutoDock) SetAutoDockTimer(true);
  // Desktop composition is absent: nothing to tell it about our frame.
  UpdateSystemMetrics();
  FScrollBars->AttachControl(this, true);
  ArrangeCaptionButtons();
}

void TBaseForm::DestroyWindowHandle() {
  if (FTaskIcon && FHandle) {
    HWND app = ApplicationWindow();
    if (app && reinterpret_cast<HWND>(GetWindowLongPtrW(app, GWL_HWNDPARENT)) == FHandle)
      SetWindowLongPtrW(app, GWL_HWNDPARENT, 0);
  }
  if (FDockTimer) SetAutoDockTimer(false);
  inherited::DestroyWindowHandle();
}

void TBaseForm::SetTaskIcon(bool value) {
  if (FTaskIcon == value) return;
  FTaskIcon = value;
  if (!FHandle || IsDesigning()) return;
  LONG_PTR ex = GetWindowLongPtrW(FHandle, GWL_EXSTYLE);
  HWND owner = reinterpret_cast<HWND>(GetWindowLongPtrW(FHandle, GWL_HWNDPARENT));
  if (value) {
    SetWindowLongPtrW(FHandle, GWL_EXSTYLE, ex | WS_EX_APPWINDOW);
    if (owner == ApplicationWindow()) SetWindowLongPtrW(FHandle, GWL_HWNDPARENT, 0);
  } else {
    SetWindowLongPtrW(FHandle, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
    if (!owner || owner == GetDesktopWindow())
      SetWindowLongPtrW(FHandle, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(ApplicationWindow()));
  }
  // A visible form gets or loses its button at once, through the shell's task-bar list.
  if (!IsWindowVisible(FHandle)) return;
  ITaskbarList* list = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList,
                              reinterpret_cast<void**>(&list))))
    return;
  if (SUCCEEDED(list->HrInit())) {
    if (value) list->AddTab(FHandle);
    else list->DeleteTab(FHandle);
  }
  list->Release();
}

void TBaseForm::SetRedrawState(bool on) {
  FRedrawOff = !on;
  if (FHandle) SendMessageW(FHandle, WM_SETREDRAW, on ? TRUE : FALSE, 0);
}

bool TBaseForm::IsMaximizable() const {
  return (FBorderStyle == bsSingle || FBorderStyle == bsSizeable) && FBorderIcons.Contains(biMaximize);
}

TRect TBaseForm::MonitorRect(bool workArea) {
  HMONITOR monitor = FHandle ? MonitorFromWindow(FHandle, MONITOR_DEFAULTTONEAREST)
                             : MonitorFromPoint(POINT{FLeft, FTop}, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  const RECT& r = workArea ? info.rcWork : info.rcMonitor;
  return TRect(r.left, r.top, r.right, r.bottom);
}

// ---- caption buttons ---------------------------------------------------------------------------

TCaptionButton* const* TBaseForm::ActionButtons(int& count) const {
  static thread_local TCaptionButton* buttons[5];
  buttons[0] = FMinButton.get();
  buttons[1] = FMaxButton.get();
  buttons[2] = FRestoreButton.get();
  buttons[3] = FCloseButton.get();
  buttons[4] = FCustomButton.get();
  count = 5;
  return buttons;
}

void TBaseForm::ClearHotButtons() {
  FSysMenuIcon->MouseLeave();
  int count;
  TCaptionButton* const* buttons = ActionButtons(count);
  for (int i = 0; i < count; ++i) buttons[i]->MouseLeave();
}

void TBaseForm::ArrangeCaptionButtons() {
  if (!FHandle) return;
  const TRect bounds(0, 0, FWidth, FHeight);
  for (TCaptionButton* b : {FSysMenuIcon.get(), FMinButton.get(), FMaxButton.get(), FRestoreButton.get(),
                            FCloseButton.get(), FCustomButton.get()})
    if (b->Part()) b->SetBoundsRect(b->Part()->Position.CalcRect(bounds));
}

void TBaseForm::UpdateCaptionButtons() {
  const bool plain = FBorderStyle == bsSingle || FBorderStyle == bsSizeable;
  // A button without a part of the skin has nothing to show.
  auto shown = [](TCaptionButton* b, bool rule) { return rule && b->Part() != nullptr; };
  FSysMenuIcon->SetVisible(FSysMenuIcon->Visible() && FBorderIcons.Contains(biSystemMenu));
  FMinButton->SetVisible(shown(FMinButton.get(), FBorderIcons.Contains(biMinimize) && plain));
  FMaxButton->SetVisible(shown(FMaxButton.get(), FMinButton->Visible() && plain));
  FMaxButton->SetEnabled(FMaxButton->Visible() && FBorderIcons.Contains(biMaximize));
  FRestoreButton->SetVisible(shown(FRestoreButton.get(), !FMaxButton->Visible() && plain));
  FCloseButton->SetVisible(shown(FCloseButton.get(), FBorderIcons.Contains(biSystemMenu)));
  Resizing(WindowState());
}

void TBaseForm::Resizing(TWindowState state) {
  inherited::Resizing(state);
  FUserMoving = false;
  FLastState = state;
  if (!FSkinEnabled) return;
  const bool maximizable = IsMaximizable();
  switch (state) {
    case wsNormal:
      if (maximizable) FMaxButton->SetVisible(true);
      FRestoreButton->SetVisible(false);
      break;
    case wsMinimized:
      if (maximizable) FRestoreButton->SetVisible(true);
      break;
    case wsMaximized:
      FMaxButton->SetVisible(false);
      if (maximizable) FRestoreButton->SetVisible(true);
      break;
  }
  if (state != wsMinimized && !IsLoading()) {
    ArrangeCaptionButtons();
    UpdateRegion(true);
  }
}

// ---- painting -----------------------------------------------------------------------------------

void TBaseForm::PaintNonClient(HRGN updateRegion, bool excludeClient, bool buffered) {
  if (!IsSkinActive()) return;
  // The whole frame is painted into the buffer (the frame picture is stretched as one); the
  // DC lets only the update region through.
  HDC dc = GetNCPaintDC(FHandle, updateRegion);
  if (!dc) return;
  if (HRGN shape = CreateFormRegion()) {
    ExtSelectClipRgn(dc, shape, RGN_AND);
    DeleteObject(shape);
  }
  BufferedPaint(dc, TRect(0, 0, FWidth, FHeight), &TBaseForm::PaintCaption, buffered, excludeClient);
  ReleaseDC(FHandle, dc);
}

void TBaseForm::PaintNonClientNow() { PaintNonClient(nullptr, true, true); }

void TBaseForm::BufferedPaint(HDC dc, const TRect& r, TPaintProc paintProc, bool buffered, bool excludeClient) {
  TCanvas* canvas = Canvas();
  TCanvasLock lock(canvas);
  HDC savedHandle = canvas->HandleAllocated() ? canvas->Handle() : nullptr;
  const platform::SavedDcState savedTarget(dc);
  struct RestoreCanvas {
    TCanvas* canvas;
    HDC handle;
    ~RestoreCanvas() { canvas->SetHandle(handle); }
  } restore{canvas, savedHandle};

  if (!buffered) {
    canvas->SetHandle(dc);
    (this->*paintProc)();
    return;
  }
  const int w = r.Right - r.Left, h = r.Bottom - r.Top;
  if (w <= 0 || h <= 0) return;
  PrepareDC(dc, excludeClient);

  platform::OwnedGdiObject<HBITMAP> maskBitmap(CreateBitmap(w, h, 1, 1, nullptr));
  HDC screen = GetDC(nullptr);
  platform::OwnedGdiObject<HBITMAP> colourBitmap(CreateCompatibleBitmap(screen, w, h));
  ReleaseDC(nullptr, screen);
  const RECT rect{r.Left, r.Top, r.Right, r.Bottom};
  {
    // The mask is white where PrepareDC clips painting away (the client area) and black
    // where the frame is painted.
    platform::BitmapDc mask(maskBitmap.get());
    SetWindowOrgEx(mask.get(), r.Left, r.Top, nullptr);
    FillRect(mask.get(), &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const platform::SavedDcState savedMask(mask.get());
    PrepareDC(mask.get(), excludeClient);
    FillRect(mask.get(), &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  platform::BitmapDc colour(colourBitmap.get(), dc);
  SetWindowOrgEx(colour.get(), r.Left, r.Top, nullptr);
  canvas->SetHandle(colour.get());
  {
    const platform::SavedDcState savedColour(colour.get());
    PrepareDC(colour.get(), excludeClient);
    (this->*paintProc)();
    FinishDC(colour.get(), excludeClient);
  }
  canvas->SetHandle(nullptr);
  SetWindowOrgEx(colour.get(), 0, 0, nullptr);
  // Destination kept where the mask is white, the painted frame copied where it is black.
  MaskBlt(dc, r.Left, r.Top, w, h, colour.get(), 0, 0, maskBitmap.get(), 0, 0, 0xCCAA0000);
}

// ---- modal ---------------------------------------------------------------------------------------

HWND TBaseForm::GetModalOwnerWindow() {
  if (FParent) return nullptr;
  HWND candidate = GetActiveWindow();
  if (!candidate) candidate = GetLastActivePopup(ApplicationWindow());
  if (candidate && (IsIconic(candidate) || !IsWindowVisible(candidate) || !IsWindowEnabled(candidate))) candidate = nullptr;
  if (candidate && (GetWindowLongPtrW(candidate, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
    HWND up = GetParent(candidate);
    while (up && (GetWindowLongPtrW(up, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) up = GetParent(up);
    if (!up) {
      TCustomForm* main = Application->MainForm();
      if (main && main->HandleAllocated() && !(GetWindowLongPtrW(main->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
        up = main->Handle();
      else
        up = ApplicationWindow();
    }
    candidate = up;
  }
  if (candidate) return candidate;
  if (auto* ownerForm = dynamic_cast<TCustomForm*>(Owner()); ownerForm && !ownerForm->Parent())
    return ownerForm->Handle();
  TCustomForm* main = Application->MainForm();
  if (main && main != this) return main->Handle();
  return ApplicationWindow();
}

TModalResult TBaseForm::ShowModal() {
  HWND owner = nullptr;
  if (auto* ownerControl = dynamic_cast<TWinControl*>(Owner())) {
    if (TCustomForm* form = GetParentForm(ownerControl)) owner = form->Handle();
  }
  if (!owner) owner = GetModalOwnerWindow();
  if (FVisible || !FEnabled || FFormState.Contains(fsModal))
    throw EInvalidOperation("Cannot make a visible window modal");
  HandleNeeded();
  if (FAutoModalOwner && owner && owner != FHandle && !FOwnerWindow)
    SetWindowLongPtrW(FHandle, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));

  if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  Application->ModalStarted();
  FFormState.Include(fsModal);
  HWND activeWindow = GetActiveWindow();
  const TCursor savedCursor = Screen->Cursor();
  Screen->SetCursor(crDefault);
  HWND ownerWnd = GetWindow(FHandle, GW_OWNER);
  auto restore = [&] {
    if (FHandle) Hide();
    if (ownerWnd && IsWindow(ownerWnd)) EnableWindow(ownerWnd, TRUE);
    Screen->SetCursor(savedCursor);
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
    FFormState.Exclude(fsModal);
    Application->ModalFinished();
  };
  try {
    FModalResult = mrNone;
    Show();
    // Only the owner is disabled; the program's other windows stay usable.
    if (ownerWnd && ownerWnd != ApplicationWindow()) EnableWindow(ownerWnd, FALSE);
    else ownerWnd = nullptr;
    RunModalLoop();
    if (GetActiveWindow() != FHandle) activeWindow = nullptr;
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return FModalResult;
}

// ---- the system menu ------------------------------------------------------------------------------

void TBaseForm::ShowSystemMenu(HWND owner, int x, int y) {
  HMENU menu = GetSystemMenu(FHandle, FALSE);
  FTrackedSysMenu = menu;
  if (menu) TrackPopupMenuEx(menu, TPM_RIGHTBUTTON, x, y, owner, nullptr);
}

void TBaseForm::StartCaptionDrag(const TMessage& m) {
  // The window manager's move loop, as a press on a plain caption would start it.
  SendMessageW(FHandle, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, m.LParam);
}
