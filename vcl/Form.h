#pragma once

// TCustomForm / TForm: a top-level window of the program.
//
// Construction: a form made with Create<TMyForm>(owner) reads its design after its most
// derived constructor has run (AfterConstruction): the registered design reader (the form
// file reader installs itself with SetInitInheritedComponentProc) fills in the components and
// properties of every class level below TForm, and a form class without a design raises
// EResNotFound "Resource <class> not found". CreateNew<TMyForm>(owner) makes the form empty,
// without a design. OnCreate runs once the design is read; OnDestroy when the form is freed.
//
// A form is hidden until Show (or Visible); ShowModal runs a nested message loop with the
// thread's other top-level windows disabled until ModalResult is set (or the application
// terminates) and returns it. Close asks OnCloseQuery, then OnClose decides the action
// (hide, free, minimize, nothing); closing the main form terminates the application.
//
// Keys: with KeyPreview the form sees a control's key events first. Tab and the arrow keys
// move the focus through CM_DIALOGKEY; other dialog keys (Enter, Esc) are broadcast to the
// controls, where the default and cancel buttons take them.
//
// A form's own scroll bars (HorzScrollBar, VertScrollBar) show when their Range exceeds the
// client area; scrolling moves the form's controls. With AutoScroll the ranges follow the
// controls (those not aligned to the far edge or anchored to it). Width and Height are
// stored in form files while AutoScroll is on or a bar has a range; ClientWidth and
// ClientHeight otherwise (a border style read after them keeps the client size).
//
// Icon, AlphaBlend and TransparentColor reach the window as WM_SETICON and the layered
// attributes. PopupMode picks the owner window: pmNone the main form (or the application
// window), pmAuto the active form, pmExplicit the main form; a modal form without its own
// mode takes the application's ModalPopupMode while it is shown.
//
// GUI thread only.

#include "vcl/Canvas.h"
#include "vcl/ScrollingWinControl.h"

class TMainMenu;
class TIcon;
class TMonitor;
class TCustomForm;

BRANTWELL_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
BRANTWELL_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon>;
BRANTWELL_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
               poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
BRANTWELL_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
BRANTWELL_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized)
BRANTWELL_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize)
BRANTWELL_ENUM(TFormStateItem, fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated)
using TFormState = TSet<TFormStateItem>;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = TEvent<void(TWMKey& Msg, bool& Handled)>;

// Reads the design of `instance` for every class level below `rootAncestor`; false when
// there is none.
using TInitInheritedComponentProc = bool (*)(TComponent* instance, TClass rootAncestor);
void SetInitInheritedComponentProc(TInitInheritedComponentProc proc);
TInitInheritedComponentProc GetInitInheritedComponentProc();

class TCustomForm : public TScrollingWinControl {
  BRANTWELL_CLASS(TCustomForm, TScrollingWinControl)

 public:
  // The form with its design (read in AfterConstruction).
  explicit TCustomForm(TComponent* owner);
  // The empty form (CreateNew): no design is read.
  TCustomForm(TComponent* owner, int dummy);
  ~TCustomForm() override;
  static void DescribeClass(TClassBuilder<TCustomForm>& c);

  // Makes a form and reads its design; the form is freed again when that fails.
  template <class T, class... A> static T* Create(TComponent* owner, A&&... args) {
    T* form = new T(owner, std::forward<A>(args)...);
    try {
      form->ReadDesign();
      form->AfterConstruction();
    } catch (...) {
      delete form;
      throw;
    }
    return form;
  }
  template <class T> static T* CreateNew(TComponent* owner) {
    T* form = new T(owner, 0);
    try {
      form->ReadDesign();
      form->AfterConstruction();
    } catch (...) {
      delete form;
      throw;
    }
    return form;
  }
  // Runs OnCreate (DoCreate) unless OldCreateOrder ran it right after the design was read.
  virtual void AfterConstruction();

  void Show();
  void Hide() { SetVisible(false); }
  virtual TModalResult ShowModal();
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages already queued for it are handled.
  void Release();

  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  TFormState FormState() const { return FFormState; }
  bool Active() const { return FActive; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* control);
  void FocusControl(TWinControl* control);
  // Called when a control of the form gets the focus; false refuses it.
  virtual bool SetFocusedControl(TWinControl* control);
  // A control that leaves (removing) or can no longer hold the focus gives it back.
  void DefocusControl(TWinControl* control, bool removing);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool value) { FKeyPreview = value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition value) { FPosition = value; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle value);
  TWindowState WindowState();
  void SetWindowState(TWindowState value);
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* value);
  TCanvas* Canvas() const { return FCanvas.get(); }
  TRect ClientRect() override;
  void SetClientWidth(int value) override;
  void SetClientHeight(int value) override;
  // Menu and action shortcuts of the form.
  virtual bool IsShortCut(TWMKey& m);
  // Brings the form's actions up to date (the application does it when idle).
  void UpdateActions();
  bool IsShowing() const override;

  // The form's icon (empty: the application's icon shows).
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(TIcon* value);
  // The icon handle the window shows: the form's, else the application's.
  HICON GetIconHandle();
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool value);
  uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(uint8_t value);
  bool TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(bool value);
  TColor TransparentColorValue() const { return FTransparentColorValue; }
  void SetTransparentColorValue(TColor value);
  TPopupMode PopupMode() const { return FPopupMode; }
  void SetPopupMode(TPopupMode value);
  // How near (pixels) a moved form snaps to an edge.
  int SnapBuffer() const { return FSnapBuffer; }
  void SetSnapBuffer(int value) { FSnapBuffer = value; }
  // The monitor that holds most of the form.
  TMonitor* Monitor();
  // Moves the form inside the work area of the monitor (its own monitor when none is given).
  void MakeFullyVisible(TMonitor* monitor = nullptr);
  bool OldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool value) { FOldCreateOrder = value; }
  // Width and Height go to form files (else ClientWidth and ClientHeight).
  virtual bool IsFormSizeStored() const;
  bool IsClientSizeStored() const { return !IsFormSizeStored(); }

  // Reads the design (unless made with CreateNew); with OldCreateOrder, OnCreate follows.
  void ReadDesign();

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TShortCutEvent OnShortCut;

 protected:
  // The loop of a modal form: handles messages until ModalResult is set and the close is
  // allowed (OnCloseQuery, OnClose; caNone keeps the form open, caFree releases it), or the
  // application ends (mrCancel). Brackets it with CM_ACTIVATE and CM_DEACTIVATE.
  void RunModalLoop();
  // Reads the design through the registered reader (a form class without one raises).
  virtual void InitDesign();
  // Runs OnCreate.
  virtual void DoCreate();
  // The window state changed (WM_SIZE); the form keeps it.
  virtual void Resizing(TWindowState state);
  void ReadState(TReader* reader) override;
  void WMSize(TWMSize& m) override;
  // The owner window a popup mode gives (nullptr: the main form or application window).
  HWND PopupOwnerWindow(TPopupMode mode);
  void SetLayeredAttribs();
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void UpdateShowing() override;
  void Dispatch(TMessage& message) override;
  void WndProc(TMessage& message) override;
  virtual void Paint();
  void PaintWindow(HDC dc) override;
  void WMPaint(TWMPaint& m) override;
  void WMSetFocus(TWMFocus& m) override;
  void WMCommand(TWMCommand& m) override;
  void CMDialogKey(TWMKey& m) override;
  virtual void WMClose(TMessage& m);
  virtual void WMActivate(TWMActivate& m);
  virtual void WMSysCommand(TWMSysCommand& m);
  virtual void CMRelease(TMessage& m);
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  virtual void Activate();
  virtual void Deactivate();
  void Notification(TComponent* component, TOperation operation) override;
  void SetWindowFocus();
  void ApplyPosition();
  void DestroyWnd() override;

  TFormState FFormState;
  TModalResult FModalResult = mrNone;
  bool FActive = false;
  bool FKeyPreview = false;
  bool FCreatedNew = false;
  bool FConstructed = false;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TFormStyle FFormStyle = fsNormal;
  TWindowState FWindowState = wsNormal;
  TMainMenu* FMenu = nullptr;
  std::unique_ptr<TControlCanvas> FCanvas;
  std::unique_ptr<TIcon> FIcon;
  bool FAlphaBlend = false;
  uint8_t FAlphaBlendValue = 255;
  bool FTransparentColor = false;
  TColor FTransparentColorValue = 0;
  TPopupMode FPopupMode = pmNone;
  int FSnapBuffer = 10;
  bool FOldCreateOrder = false;
  // ClientWidth and ClientHeight as read from a form file, kept while the form is read.
  int FReadClientWidth = 0;
  int FReadClientHeight = 0;

 private:
  void Init();
  void IconChanged(TObject* sender);
  bool FDesignRead = false;
  bool FAfterConstructionDone = false;


  friend class TWinControl;
  friend class TApplication;
};

class TForm : public TCustomForm {
  BRANTWELL_CLASS(TForm, TCustomForm)

 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
  TForm(TComponent* owner, int dummy) : TCustomForm(owner, dummy) {}
};
