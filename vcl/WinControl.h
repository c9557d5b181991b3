#pragma once

// TWinControl: a control with a window of its own. The window is made on demand
// (HandleNeeded) from CreateParams, in a window class registered once per class name whose
// procedure hands every message to the control's WindowProc; RecreateWnd destroys and makes
// it again, keeping the control's state (text, bounds, visibility, enabling, focus).
//
// A windowed control holds child controls: windowed ones (their windows are children of
// this one, in tab order) and window-less ones (painted by PaintControls into this window's
// DC with the window origin moved to the child, and given the mouse through this window's
// hit testing). It aligns its children (AlignControls) whenever its size or a child's
// bounds, alignment or visibility change.
//
// Erasing: WM_ERASEBKGND fills the client area with the control's colour. A DoubleBuffered
// control paints into a memory bitmap and copies it out; the buffer's erase comes with the
// same DC in wParam and lParam, and an erase for the screen (lParam different) is reported
// as done without painting, so nothing flickers.
//
// GUI thread only.

#include <vector>

#include "vcl/Brush.h"
#include "vcl/Control.h"

// What CreateParams fills in for CreateWnd.
struct TCreateParams {
  AnsiString Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};
  AnsiString WinClassName;
};

// Kept for form files; edges are not bevelled and no input method is driven yet.
BRANTWELL_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)
BRANTWELL_ENUM(TBevelEdge, beLeft, beTop, beRight, beBottom)
using TBevelEdges = TSet<TBevelEdge>;
BRANTWELL_ENUM(TBevelKind, bkNone, bkTile, bkSoft, bkFlat)
BRANTWELL_ENUM(TImeMode, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
               imChinese, imSHanguel, imHanguel)

using TDockDropEvent = TEvent<void(TObject* Sender, TDragDockObject* Source, int X, int Y)>;
using TDockOverEvent =
    TEvent<void(TObject* Sender, TDragDockObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TUnDockEvent = TEvent<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;
using TGetSiteInfoEvent =
    TEvent<void(TObject* Sender, TControl* DockClient, TRect& InfluenceRect, TPoint MousePos, bool& CanDock)>;

class TWinControl : public TControl {
  BRANTWELL_CLASS(TWinControl, TControl)

 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  static void DescribeClass(TClassBuilder<TWinControl>& c);

  // ---- window
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys the window and makes it again when it exists.
  void RecreateWnd();
  // The control whose window this is, or null.
  static TWinControl* FindControl(HWND handle);

  // ---- children
  int ControlCount() const { return static_cast<int>(FControls.size()) + static_cast<int>(FWinControls.size()); }
  TControl* Controls(int index) const;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(TControl* control) const;
  // The visible, enabled (unless allowDisabled) window-less child at a client point; the
  // one drawn last (on top) wins.
  TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false);
  void Broadcast(TMessage& message);
  void NotifyControls(UINT msg);
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  void Realign();
  void PaintControls(HDC dc, TControl* first);

  // ---- tab order and focus
  int TabOrder() const;
  void SetTabOrder(int value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value);
  void GetTabOrderList(std::vector<TWinControl*>& list);
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent);
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
  virtual bool CanFocus();
  virtual bool Focused();
  virtual void SetFocus();

  // ---- look
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool value);
  bool ParentBackground() const { return FControlStyle.Contains(csParentBackground); }
  virtual void SetParentBackground(bool value);
  TBrush* Brush() const { return FBrush.get(); }
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool value);
  // A ring of this many pixels inside the bounds, outside the client area, in the control's colour.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);
  // Room kept free inside the client area when the children are aligned.
  TPadding* Padding() const { return FPadding.get(); }
  void SetPadding(TPadding* value) { FPadding->Assign(value); }

  // ---- kept for form files, without behaviour yet
  TBevelEdges BevelEdges() const { return FBevelEdges; }
  void SetBevelEdges(TBevelEdges value) { FBevelEdges = value; }
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut value) { FBevelInner = value; }
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value) { FBevelOuter = value; }
  TBevelKind BevelKind() const { return FBevelKind; }
  void SetBevelKind(TBevelKind value) { FBevelKind = value; }
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value) { FBevelWidth = value < 1 ? 1 : value; }
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode value) { FImeMode = value; }
  const AnsiString& ImeName() const { return FImeName; }
  void SetImeName(const AnsiString& value) { FImeName = value; }
  bool DockSite() const { return FDockSite; }
  void SetDockSite(bool value) { FDockSite = value; }
  bool UseDockManager() const { return FUseDockManager; }
  void SetUseDockManager(bool value) { FUseDockManager = value; }
  TRect ClientRect() override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* value) override;
  bool IsShowing() const override;
  void Invalidate() override;
  void Update() override;
  void Repaint() override;

  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  // ---- events
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TDockDropEvent OnDockDrop;
  TDockOverEvent OnDockOver;
  TUnDockEvent OnUnDock;
  TGetSiteInfoEvent OnGetSiteInfo;

 protected:
  virtual void CreateParams(TCreateParams& params);
  // Takes the class procedure of a standard window class (an edit, a button ...) as the
  // default procedure of this control's class.
  void CreateSubClass(TCreateParams& params, const char* controlClassName);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void CreateHandle();
  virtual void DestroyHandle();
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  // For a CreateWindowHandle that takes a window made elsewhere (a player engine's view):
  // the control becomes that window's owner, its procedure goes on the window and the one
  // found there becomes the default procedure; style, extended style, class style and text
  // come from params. ReleaseWindowHandle puts the window's own procedure back and forgets
  // the window without destroying it, for a DestroyWindowHandle that hands it back.
  void AdoptWindowHandle(HWND window, const TCreateParams& params);
  HWND ReleaseWindowHandle();
  bool HasAdoptedWindow() const { return m_adopted; }
  // Recreating an adopted window while it shows keeps its children: the old window gets its
  // own procedure back and WM_NCDESTROY, the new one is made, the children move over and the
  // old window goes through this (the engine destroys its view); by default DestroyWindow.
  virtual void DestroyReplacedWindow(HWND oldWindow);
  virtual void AlignControls(TControl* control, TRect& rect);
  virtual void AdjustClientRect(TRect& rect) { (void)rect; }
  // The window's showing state follows Visible and the parent.
  virtual void UpdateShowing();
  virtual void PaintWindow(HDC dc);
  void PaintHandler(TWMPaint& m);
  virtual bool DoKeyDown(TWMKey& m);
  virtual bool DoKeyPress(TWMKey& m);
  virtual bool DoKeyUp(TWMKey& m);
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(char16_t& key);
  void FontChanged() override;
  void SetTextStore(const AnsiString& value) override;
  // Alignment waits until the control and its children are read; the tab order read for
  // the children is applied once they all exist.
  void ReadState(TReader* reader) override;
  void Loaded() override;

  // ---- typed message handlers
  virtual void WMPaint(TWMPaint& m);
  virtual void WMEraseBkgnd(TWMEraseBkgnd& m);
  virtual void WMSize(TWMSize& m);
  virtual void WMMove(TMessage& m);
  virtual void WMWindowPosChanged(TWMWindowPosMsg& m);
  virtual void WMSetFocus(TWMFocus& m);
  virtual void WMKillFocus(TWMFocus& m);
  virtual void WMKeyDown(TWMKey& m);
  virtual void WMKeyUp(TWMKey& m);
  virtual void WMChar(TWMKey& m);
  virtual void WMSysKeyDown(TWMKey& m);
  virtual void WMCommand(TWMCommand& m);
  virtual void WMNotify(TWMNotify& m);
  virtual void WMCtlColor(TMessage& m);
  virtual void WMDrawItem(TMessage& m);
  virtual void WMSetCursor(TMessage& m);
  virtual void WMMouseLeave(TMessage& m);
  virtual void WMNCCalcSize(TMessage& m);
  virtual void WMNCPaint(TMessage& m);
  virtual void WMNCDestroy(TMessage& m);
  virtual void CNKeyDown(TWMKey& m);
  virtual void CNKeyUp(TWMKey& m);
  virtual void CNChar(TWMKey& m);
  virtual void CMDialogKey(TWMKey& m);
  virtual void CMDialogChar(TWMKey& m);
  virtual void CMFocusChanged(TCMFocusChanged& m);
  virtual void CMEnter(TMessage& m);
  virtual void CMExit(TMessage& m);
  virtual void CMRecreateWnd(TMessage& m);
  virtual void CMControlChange(TCMControlChange& m);
  virtual void CMControlListChange(TCMControlChange& m);
  void CMEnabledChanged(TMessage& m) override;
  void CMVisibleChanged(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMShowHintChanged(TMessage& m) override;
  void CMSysColorChange(TMessage& m) override;
  void CMInvalidate(TMessage& m) override;
  void CMBiDiModeChanged(TMessage& m) override;
  virtual void CMCtl3DChanged(TMessage& m);
  virtual void CMParentCtl3DChanged(TMessage& m);

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;        // window-less children, bottom first
  std::vector<TWinControl*> FWinControls;  // windowed children, bottom first
  std::vector<TWinControl*> FTabList;
  bool FTabStop = false;
  bool FDoubleBuffered = false;
  std::unique_ptr<TBrush> FBrush;
  int FAlignLevel = 0;
  // The tab order read from a form file, applied by the parent's FixupTabList (-1: none).
  int FReadTabOrder = -1;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  int FBorderWidth = 0;
  std::unique_ptr<TPadding> FPadding;
  TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
  TBevelCut FBevelInner = bvRaised;
  TBevelCut FBevelOuter = bvLowered;
  TBevelKind FBevelKind = bkNone;
  int FBevelWidth = 1;
  TImeMode FImeMode = imDontCare;
  AnsiString FImeName;
  bool FDockSite = false;
  bool FUseDockManager = false;

 private:
  void FixupTabList();
  static LRESULT InitWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void MainWndProc(TMessage& message);
  bool IsControlMouseMsg(TMessage& message);
  void UpdateBoundsFromWindow();
  void InsertTabList(TWinControl* control);
  void AlignAll();
  bool IsCtl3DStored() const { return !FParentCtl3D; }
  bool m_recreatingFocus = false;
  bool m_adopted = false;
  void RecreateAdoptedWnd();

  friend class TControl;
  friend class TApplication;
};

// Raised when a control that needs a parent window has none.
AnsiString ControlHasNoParentMessage(const AnsiString& name);

// Full screen for a window of this program (a player's view): the window moves into a
// borderless topmost pop-up that covers the monitor it is on, and back again. The pop-up is
// a tool window with the default window procedure, made on Enter and destroyed on Leave.
class TFullScreenHost {
 public:
  TFullScreenHost() = default;
  TFullScreenHost(const TFullScreenHost&) = delete;
  TFullScreenHost& operator=(const TFullScreenHost&) = delete;
  ~TFullScreenHost();

  // Moves view into the pop-up and shows both maximised; view keeps the focus.
  void Enter(HWND view, const AnsiString& title);
  // Moves view back under parent at bounds and destroys the pop-up.
  void Leave(HWND view, HWND parent, const TRect& bounds);
  // Destroys the pop-up (view, if still inside, goes with it: call Leave first).
  void Release();
  bool Active() const { return FWindow != nullptr; }
  HWND Window() const { return FWindow; }

 private:
  HWND FWindow = nullptr;
  LONG FSavedStyle = 0;
};
