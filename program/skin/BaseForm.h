#pragma once

// TBaseForm: a form that draws its own caption and border. The window keeps its style bits
// and the window manager's frame logic, but while a skin is active (IsSkinActive: a window
// that exists and is not minimized, with SkinEnabled and SkinActive) the form answers the
// non-client messages itself: the frame metrics come from NCMetrics instead of the system,
// the frame is painted through a buffered paint of PaintCaption (drawn by TSkinForm), and
// hit testing, cursors, the caption buttons, the system menu, maximizing and sizing follow
// that frame. Without an active skin every handler falls back to the default behaviour and
// the form looks like any other window.
//
// The same class carries the edge auto-dock (a form slides into the screen edge it was
// moved to when the mouse leaves it), the task-bar button option (TaskIcon), a modal loop
// that disables only the owner window, and the centring of standard message boxes on the
// form.
//
// Ownership: the form owns its three TNCMetrics and its six caption buttons. GUI thread.

#include <memory>

#include "platform/user/WinUser.h"
#include "program/skin/CaptionButton.h"
#include "program/skin/NCMetrics.h"
#include "program/skin/NCScrollBar.h"
#include "program/skin/SkinItem.h"
#include "vcl/Form.h"

BRANTWELL_ENUM(TAutoDockPos, dpNone, dpTop, dpLeft, dpRight, dpBottom)

// The id of the auto-dock polling timer.
constexpr UINT_PTR AutoDockTimerId = 101;
// The form's own non-client hit code of caption buttons without a system meaning.
constexpr LRESULT HTCAPTIONBUTTON = 19;

class TBaseForm : public TForm {
  BRANTWELL_CLASS(TBaseForm, TForm)

 public:
  using TPaintProc = void (TBaseForm::*)();

  explicit TBaseForm(TComponent* owner);
  TBaseForm(TComponent* owner, int dummy);
  ~TBaseForm() override;
  static void DescribeClass(TClassBuilder<TBaseForm>& c);

  void AfterConstruction() override;
  void SetBounds(int left, int top, int width, int height) override;
  TModalResult ShowModal() override;
  // With the skin active and no window yet: what the skin's frame leaves.
  TRect ClientRect() override;

  // ---- frame
  bool IsSkinActive();
  // Makes the window manager recalculate (with frameChanged) and repaint the frame.
  void UpdateNonClient(bool frameChanged);
  // Invalidates the client area and every child, not the frame.
  void RedrawAll();
  TPoint ScreenToWindow(TPoint p);
  TPoint WindowToScreen(TPoint p);
  TPoint ClientToWindow(TPoint p);
  TPoint WindowToClient(TPoint p);
  // Between the window's client coordinates and the screen, through its window.
  TPoint ClientToScreenPoint(TPoint p);
  TPoint ScreenToClientPoint(TPoint p);
  // Paints the frame now into the window's DC (buffered, client excluded).
  void PaintNonClientNow();
  void PaintNonClient(HRGN updateRegion, bool excludeClient, bool buffered);
  // The system metrics for the current border style, read again.
  void UpdateSystemMetrics();
  void SaveClientSize();
  virtual void RestoreKeptSize(int reason);
  // The icon of the system-menu button: the form's, else the application's, else the stock
  // application icon.
  virtual HICON FormIcon();

  // ---- properties
  TNCMetrics* NCMetrics() const { return FNCMetrics.get(); }
  void SetNCMetrics(TNCMetrics* value) { FNCMetrics->Assign(value); }
  TNCMetrics* SystemMetrics() const { return FSystemMetrics.get(); }
  TNCMetrics* PreviousSystemMetrics() const { return FPrevSystemMetrics.get(); }
  bool TaskIcon() const { return FTaskIcon; }
  void SetTaskIcon(bool value);
  bool SkinActive() const { return FSkinActive; }
  void SetSkinActive(bool value);
  bool SkinEnabled() const { return FSkinEnabled; }
  void SetSkinEnabled(bool value);
  bool NCActive() const { return FNCActive; }
  bool ShowCaptionText() const { return FShowCaptionText; }
  void SetShowCaptionText(bool value) { FShowCaptionText = value; }
  bool ShowAnimate() const { return FShowAnimate; }
  void SetShowAnimate(bool value) { FShowAnimate = value; }
  int AnimateTime() const { return FAnimateTime; }
  void SetAnimateTime(int value) { FAnimateTime = value; }
  bool AutoModalOwner() const { return FAutoModalOwner; }
  void SetAutoModalOwner(bool value) { FAutoModalOwner = value; }
  HWND OwnerWindow() const { return FOwnerWindow; }
  void SetOwnerWindow(HWND value) { FOwnerWindow = value; }
  bool CaptionDrag() const { return FCaptionDrag; }
  void SetCaptionDrag(bool value) { FCaptionDrag = value; }
  bool AutoDock() const { return FAutoDock; }
  void SetAutoDock(bool value);
  TAutoDockPos DockPos() const { return FDockPos; }
  void SetDockPos(TAutoDockPos value) { FDockPos = value; }
  bool DockedIn() const { return FDockedIn; }
  bool Sliding() const { return FSliding; }
  TKeepingSizeType KeepingSize() const { return FKeepingSize; }
  void SetKeepingSize(TKeepingSizeType value) { FKeepingSize = value; }
  bool RedrawOff() const { return FRedrawOff; }

  // The skinned scroll bars of the form's own window.
  TNCScrollBar* ScrollBars() const { return FScrollBars.get(); }
  TCaptionButton* SysMenuIcon() const { return FSysMenuIcon.get(); }
  TCaptionButton* CloseButton() const { return FCloseButton.get(); }
  TCaptionButton* MinButton() const { return FMinButton.get(); }
  TCaptionButton* MaxButton() const { return FMaxButton.get(); }
  TCaptionButton* RestoreButton() const { return FRestoreButton.get(); }
  TCaptionButton* CustomButton() const { return FCustomButton.get(); }

  TNotifyEvent OnBeforeDock;
  TNotifyEvent OnAfterDock;

  // ---- caption buttons, animation and docking
  virtual void ArrangeCaptionButtons();
  virtual void UpdateCaptionButtons();
  // Kind 0 show, 1 hide, 2 activate; effect 0 blend, 1 slide; direction 0 centre,
  // 1 right, 2 left, 3 down, 4 up.
  void AnimateForm(int kind, int time, int effect, int direction);
  void SnapToDockEdges(int& x, int& y);
  void CheckDockPos();
  void SlideDock(bool hide);
  void ShowSystemMenu(HWND owner, int x, int y);

  // The window-state change the form reacts to (maximize and restore buttons swap).
  void Resizing(TWindowState state) override;

 protected:
  void Loaded() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void Dispatch(TMessage& message) override;

  // ---- painting steps
  virtual void BufferedPaint(HDC dc, const TRect& rect, TPaintProc paintProc, bool buffered, bool excludeClient);
  virtual void PrepareDC(HDC dc, bool excludeClient) { (void)dc; (void)excludeClient; }
  virtual void FinishDC(HDC dc, bool excludeClient) { (void)dc; (void)excludeClient; }
  virtual void PaintCaption() {}

  virtual void DoLoadSkin();
  // A new region for the window's shape, or 0.
  virtual HRGN CreateFormRegion() { return nullptr; }
  virtual void UpdateRegion(bool repaint) { (void)repaint; }
  virtual void AdjustNCCalcSize(TMessage& m);

  // ---- message handlers
  virtual void WMNCHitTest(TMessage& m);
  void WMNCPaint(TMessage& m) override;
  virtual void WMNCActivate(TMessage& m);
  virtual void WMNCLButtonDown(TMessage& m);
  virtual void WMNCLButtonUp(TMessage& m);
  virtual void WMNCLButtonDblClk(TMessage& m);
  virtual void WMNCMouseMove(TMessage& m);
  virtual void WMNCMouseLeave(TMessage& m);
  void WMSetCursor(TMessage& m) override;
  void WMSysCommand(TWMSysCommand& m) override;
  void WMCommand(TWMCommand& m) override;
  void WMActivate(TWMActivate& m) override;
  void WMContextMenu(TWMMouse& m) override;
  virtual void WMSysMenu(TMessage& m);
  virtual void WMInitMenu(TMessage& m);
  virtual void WMInitMenuPopup(TMessage& m);
  virtual void WMUninitMenuPopup(TMessage& m);
  virtual void WMSetTextOrIcon(TMessage& m);
  virtual void WMStyleChanging(TMessage& m);
  virtual void WMStyleChanged(TMessage& m);
  virtual void WMSettingChange(TMessage& m);
  virtual void WMGetMinMaxInfo(TMessage& m);
  virtual void WMWindowPosChanging(TMessage& m);
  virtual void WMParentNotify(TMessage& m);
  virtual void WMEnable(TMessage& m);
  virtual void WMShowWindow(TMessage& m);
  virtual void WMTimer(TMessage& m);
  virtual void WMPrint(TMessage& m);
  virtual void WMPrintClient(TMessage& m);
  virtual void WMSizeNotify(TMessage& m);
  void CMHintShow(TMessage& m) override;
  virtual void CMShowingChanged(TMessage& m);

  bool IsDesigning() const { return ComponentState().Contains(csDesigning); }
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  // WM_SETREDRAW to the window, remembered.
  void SetRedrawState(bool on);
  bool IsMaximizable() const;
  // The window-state change seen by the caption buttons last.
  TWindowState FLastState = wsNormal;

  // ---- fields
  int FSmCaption = 0, FCaption = 0, FMenuHeight = 0, FFixedFrameX = 0, FFixedFrameY = 0, FSizeFrameX = 0,
      FSizeFrameY = 0;
  std::unique_ptr<TNCMetrics> FNCMetrics;
  std::unique_ptr<TNCMetrics> FPrevSystemMetrics;
  std::unique_ptr<TNCMetrics> FSystemMetrics;
  int FKeptClientWidth = 0, FKeptClientHeight = 0;
  int FKeptWidth = 0, FKeptHeight = 0;
  bool FKeptClientValid = false;
  bool FTaskIcon = false;
  bool FSkinActive = false;
  bool FSkinEnabled = false;
  bool FWasActive = false;
  bool FNCActive = false;
  bool FRedrawOff = false;
  bool FShowCaptionText = true;
  bool FShowAnimate = true;
  bool FAutoModalOwner = true;
  HWND FOwnerWindow = nullptr;
  HMENU FTrackedSysMenu = nullptr;
  bool FCaptionDrag = true;
  HWND FLastCenteredDialog = nullptr;
  int FAnimateTime = 200;
  bool FAutoDock = false;
  UINT_PTR FDockTimer = 0;
  TAutoDockPos FDockPos = dpNone;
  bool FDockedIn = false;
  bool FMouseWasOver = false;
  bool FUserMoving = false;
  bool FSliding = false;
  bool FShowingChange = false;
  TKeepingSizeType FKeepingSize = kstUndefine;
  bool FSysMenuTracking = false;
  DWORD FSysMenuTick = 0;
  // A caption button took the press and the form holds the capture until the release.
  bool FCaptionPress = false;
  std::unique_ptr<TNCScrollBar> FScrollBars;
  std::unique_ptr<TCaptionButton> FSysMenuIcon;
  std::unique_ptr<TCaptionButton> FCloseButton;
  std::unique_ptr<TCaptionButton> FMinButton;
  std::unique_ptr<TCaptionButton> FMaxButton;
  std::unique_ptr<TCaptionButton> FRestoreButton;
  std::unique_ptr<TCaptionButton> FCustomButton;

 private:
  // AfterConstruction ran (it runs once, whoever calls it).
  bool FBaseConstructed = false;
  void InitNonClient();
  void StartCaptionDrag(const TMessage& m);
  void SetAutoDockTimer(bool on);
  void AutoDockPoll();
  void SetClientSizeKept();
  HWND GetModalOwnerWindow();
  // The six buttons in the order minimize, maximize, restore, close, custom.
  TCaptionButton* const* ActionButtons(int& count) const;
  void ClearHotButtons();
  TRect MonitorRect(bool workArea);
};

// The hidden application window loses its task-bar button.
void HideApplicationTaskButton();
// Centres wnd on parentWnd's window rectangle (or, for 0, on the monitor of the active or the
// main form, or on the first monitor), kept inside the work area.
void CenterWindowOn(HWND parentWnd, HWND wnd);
// x and y moved so that a width x height rectangle lies inside the work area.
void MoveWindowIntoWorkArea(const RECT& workArea, int width, int height, int& x, int& y);
