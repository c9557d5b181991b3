#pragma once

// TControl: the base of everything visible. A control has a parent (a windowed control that
// lays it out and, for window-less controls, paints it and routes the mouse to it), bounds
// in its parent's client coordinates, alignment and anchors, the shared look (colour, font)
// that it may take from its parent, a text, a hint, a popup menu and a cursor.
//
// Messages: Perform sends a message to the control through WindowProc (replaceable; it is
// WndProc until someone hooks it). WndProc does the work common to every message (mouse
// state) and calls Dispatch, which switches on the message number once, unpacks the
// parameters into a typed view and calls the class's typed handler. Subclasses override the
// typed handlers and call the inherited one as their inherited step; a subclass that handles
// messages of its own overrides Dispatch with its own switch and passes everything else to
// inherited::Dispatch. What nobody handles reaches DefaultHandler.
//
// GUI thread only. A control is a component: its owner frees it; its parent only lays it
// out and paints it (a parent that is destroyed frees the controls it still holds, as
// their owner would, when they are not owned elsewhere).

#include <functional>
#include <memory>

#include "vcl/Colors.h"
#include "vcl/Component.h"
#include "vcl/Event.h"
#include "vcl/Font.h"
#include "vcl/Margins.h"
#include "vcl/Messages.h"
#include "vcl/Types.h"

class TWinControl;
class TCustomForm;
class TPopupMenu;
class TBasicAction;
class TControlActionLink;
class TDragObject;
class TDragImageList;
class TDragDockObject;

BRANTWELL_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
BRANTWELL_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom)
using TAnchors = TSet<TAnchorKind>;

BRANTWELL_ENUM(TControlStateItem, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded,
               csFocusing, csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking,
               csRecreating, csAligning)
using TControlState = TSet<TControlStateItem>;

BRANTWELL_ENUM(TControlStyleItem, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents,
               csFramed, csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight,
               csNoDesignVisible, csReplicatable, csNoStdEvents, csDisplayDragImage, csReflector,
               csActionClient, csMenuEvents, csNeedsBorderPaint, csParentBackground, csPannable,
               csAlignWithMargins)
using TControlStyle = TSet<TControlStyleItem>;

BRANTWELL_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle)
BRANTWELL_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)
BRANTWELL_ENUM(TVerticalAlignment, taAlignTop, taAlignBottom, taVerticalCenter)
// Reading order and alignment of text: right-to-left reading with right alignment, without
// it, or reading only.
BRANTWELL_ENUM(TBiDiMode, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)
// Kept for form files; nothing shows help, an input method, or docks yet.
BRANTWELL_ENUM(THelpType, htKeyword, htContext)
BRANTWELL_ENUM(TDragMode, dmManual, dmAutomatic)
BRANTWELL_ENUM(TDragKind, dkDrag, dkDock)
BRANTWELL_ENUM(TDragState, dsDragEnter, dsDragLeave, dsDragMove)
BRANTWELL_ENUM(TMouseActivate, maDefault, maActivate, maActivateAndEat, maNoActivate, maNoActivateAndEat)
// Which window owns a form's window (TCustomForm::PopupMode, TApplication::ModalPopupMode).
BRANTWELL_ENUM(TPopupMode, pmNone, pmAuto, pmExplicit)
BRANTWELL_ENUM(TShiftStateItem, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = TSet<TShiftStateItem>;

using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSize = -22;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelpCursor = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    TEvent<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TKeyEvent = TEvent<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, char16_t& Key)>;
using TContextPopupEvent = TEvent<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent =
    TEvent<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDragEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;
using TStartDockEvent = TEvent<void(TObject* Sender, TDragDockObject*& DragObject)>;
using TMouseActivateEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y,
                                        int HitTest, TMouseActivate& MouseActivate)>;

// What the hint machinery asks a control before it shows a hint (CM_HINTSHOW's LParam).
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint HintPos;            // screen
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;          // client coordinates of HintControl: the hint stays while the pointer is inside
  TPoint CursorPos;          // client coordinates
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  AnsiString HintStr;
};

// Minimum and maximum sizes; 0 means no limit.
class TSizeConstraints : public TPersistent {
  BRANTWELL_CLASS(TSizeConstraints, TPersistent)

 public:
  explicit TSizeConstraints(TControl* control) : FControl(control) {}
  static void DescribeClass(TClassBuilder<TSizeConstraints>& c);
  void Assign(TPersistent* source) override;

  int MaxHeight() const { return FMaxHeight; }
  int MaxWidth() const { return FMaxWidth; }
  int MinHeight() const { return FMinHeight; }
  int MinWidth() const { return FMinWidth; }
  void SetMaxHeight(int value);
  void SetMaxWidth(int value);
  void SetMinHeight(int value);
  void SetMinWidth(int value);
  // Width and height brought inside the limits.
  void Apply(int& width, int& height) const;

 private:
  void Changed();
  TControl* FControl;
  int FMaxHeight = 0;
  int FMaxWidth = 0;
  int FMinHeight = 0;
  int FMinWidth = 0;
};

class TControl : public TComponent {
  BRANTWELL_CLASS(TControl, TComponent)

 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  static void DescribeClass(TClassBuilder<TControl>& c);

  // ---- messages
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  std::function<void(TMessage&)> WindowProc;
  virtual void WndProc(TMessage& message);
  virtual void Dispatch(TMessage& message);
  virtual void DefaultHandler(TMessage& message);

  // ---- parent and geometry
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* value);
  TComponent* GetParentComponent() override;
  bool HasParent() override { return true; }
  void SetParentComponent(TComponent* value) override;

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
  void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
  void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
  void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }
  virtual void SetBounds(int left, int top, int width, int height);
  virtual TRect ClientRect();
  int ClientWidth() { return ClientRect().Right; }
  int ClientHeight() { return ClientRect().Bottom; }
  virtual void SetClientWidth(int value);
  virtual void SetClientHeight(int value);
  TPoint ClientOrigin();
  TPoint ClientToScreen(TPoint p);
  TPoint ScreenToClient(TPoint p);

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors value);
  TSizeConstraints* Constraints() const { return FConstraints.get(); }
  void SetConstraints(TSizeConstraints* value) { FConstraints->Assign(value); }

  // ---- state and look
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent up to the top-level window visible.
  virtual bool IsShowing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value);
  AnsiString Caption() { return GetText(); }
  void SetCaption(const AnsiString& value) { SetText(value); }
  AnsiString GetText();
  void SetText(const AnsiString& value);
  int GetTextLen();
  int GetTextBuf(char* buffer, int bufSize);
  void SetTextBuf(const char* buffer);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& value) { FHint = value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor value);
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState value) { FControlState = value; }
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle value) { FControlStyle = value; }
  bool MouseCapture();
  void SetMouseCapture(bool value);
  // The pointer is over the control: for a windowed control from its first mouse move inside
  // until WM_MOUSELEAVE (cleared before CM_MOUSELEAVE is sent); for a window-less one from
  // CM_MOUSEENTER to CM_MOUSELEAVE.
  bool MouseInClient() const { return FMouseInClient; }

  // ---- reading order
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode value);
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool value);
  // Text reads right to left (every mode but bdLeftToRight).
  bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  // Text and content align to the right (bdRightToLeft).
  bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
  bool UseRightToLeftScrollBar() const { return FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign; }
  // DrawText flags for this control's mode: DT_LEFT and DT_RIGHT swapped when it aligns to the
  // right (DT_CENTER stays), DT_RTLREADING added when it reads right to left.
  UINT DrawTextBiDiModeFlags(UINT flags) const;
  UINT DrawTextBiDiModeFlagsReadingOnly() const;

  // ---- margins (taken into account by the parent's alignment when AlignWithMargins is set)
  TMargins* Margins() const { return FMargins.get(); }
  void SetMargins(TMargins* value) { FMargins->Assign(value); }
  bool AlignWithMargins() const { return FControlStyle.Contains(csAlignWithMargins); }
  void SetAlignWithMargins(bool value);

  // ---- kept for form files, without behaviour yet
  THelpType HelpType() const { return FHelpType; }
  void SetHelpType(THelpType value) { FHelpType = value; }
  const AnsiString& HelpKeyword() const { return FHelpKeyword; }
  void SetHelpKeyword(const AnsiString& value);
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int value);
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode value) { FDragMode = value; }
  TDragKind DragKind() const { return FDragKind; }
  void SetDragKind(TDragKind value) { FDragKind = value; }
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor value) { FDragCursor = value; }

  // ---- dragging (the drag manager is in vcl/Drag.h)
  // Starts a drag from this control: at once, or once the pointer has moved `threshold`
  // pixels (-1: Mouse->DragThreshold()) with the button held.
  void BeginDrag(bool immediate, int threshold = -1);
  // Ends this control's drag: a drop on the target under the pointer, or a cancel.
  void EndDrag(bool drop);
  // This control's drag is running or waiting for its threshold.
  bool Dragging() const;
  // A drop on this control: OnDragDrop.
  virtual void DragDrop(TObject* source, int x, int y);
  // The images shown while this control is dragged; none by default.
  virtual TDragImageList* GetDragImages() { return nullptr; }
  // OnStartDrag, which may hand a drag object.
  virtual void DoStartDrag(TDragObject*& dragObject);
  // OnEndDrag: the drag ended on `target` (null when cancelled or refused).
  virtual void DoEndDrag(TObject* target, int x, int y);

  // ---- actions
  TBasicAction* Action() const;
  void SetAction(TBasicAction* value);
  // Brings the linked action's state up to date (done on idle for visible controls).
  virtual void InitiateAction();

  // ---- painting
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  virtual void Click();
  virtual void DblClick();

  // ---- events
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TContextPopupEvent OnContextPopup;
  TMouseActivateEvent OnMouseActivate;
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TEndDragEvent OnEndDrag;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDock;
  TStartDockEvent OnStartDock;

  // The top-level form that holds a control, or null.
  friend TCustomForm* GetParentForm(TControl* control);

 protected:
  // ---- typed message handlers
  virtual void WMLButtonDown(TWMMouse& m);
  virtual void WMLButtonUp(TWMMouse& m);
  virtual void WMLButtonDblClk(TWMMouse& m);
  virtual void WMRButtonDown(TWMMouse& m);
  virtual void WMRButtonUp(TWMMouse& m);
  virtual void WMRButtonDblClk(TWMMouse& m);
  virtual void WMMButtonDown(TWMMouse& m);
  virtual void WMMButtonUp(TWMMouse& m);
  virtual void WMMouseMove(TWMMouse& m);
  virtual void WMMouseWheel(TWMMouseWheel& m);
  virtual void WMContextMenu(TWMMouse& m);
  virtual void WMCancelMode(TMessage& m);
  virtual void CMEnabledChanged(TMessage& m);
  virtual void CMVisibleChanged(TMessage& m);
  virtual void CMColorChanged(TMessage& m);
  virtual void CMFontChanged(TMessage& m);
  virtual void CMTextChanged(TMessage& m);
  virtual void CMMouseEnter(TCMMouseEnterLeave& m);
  virtual void CMMouseLeave(TCMMouseEnterLeave& m);
  virtual void CMParentColorChanged(TMessage& m);
  virtual void CMParentFontChanged(TMessage& m);
  virtual void CMShowHintChanged(TMessage& m);
  virtual void CMParentShowHintChanged(TMessage& m);
  virtual void CMHintShow(TMessage& m);
  virtual void CMSysColorChange(TMessage& m);
  virtual void CMHitTest(TMessage& m);
  virtual void CMInvalidate(TMessage& m);
  virtual void CMBiDiModeChanged(TMessage& m);
  virtual void CMParentBiDiModeChanged(TMessage& m);

  // ---- steps subclasses refine
  // Whether the control accepts a drag over it: false, or OnDragOver's answer (which starts
  // at true).
  virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
  // CM_DRAG: enter, move and leave ask DragOver; a drop calls DragDrop; dmFindTarget answers
  // the control itself (a windowed control: its window-less child under the point).
  virtual void CMDrag(TMessage& m);
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void Resize();
  virtual void ChangeScale(int m, int d) { (void)m; (void)d; }
  // The parent laid the control out again, or its bounds changed.
  void RequestAlign();
  // Stores the bounds the anchors keep relative to the parent's client area.
  void UpdateAnchorRules();
  virtual void VisibleChanging() {}
  virtual void FontChanged();
  // Reading from a form file: the reader's parent becomes the control's parent, and the
  // control is marked csReadingState while its own values are read.
  void ReadState(TReader* reader) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  // The control's own text store for window-less controls and controls without a window.
  virtual void SetTextStore(const AnsiString& value) { FText = value; }
  virtual TControlActionLink* CreateActionLink();
  virtual void ActionChange(TBasicAction* sender, bool checkDefaults);
  void DoMouseDown(TWMMouse& m, TMouseButton button, TShiftState shift);
  void DoMouseUp(TWMMouse& m, TMouseButton button);
  void InvalidateControl(bool isVisible, bool isOpaque);
  bool IsColorStored() const;
  bool IsFontStored() const;
  bool IsShowHintStored() const;
  bool IsBiDiModeStored() const;
  bool IsHelpContextStored() const;

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  // The right and bottom edges the anchors keep, and the parent's client size they were taken at.
  TPoint FAnchorOrigin;
  TPoint FOriginalParentSize;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  AnsiString FText;
  AnsiString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TPopupMenu* FPopupMenu = nullptr;
  TCursor FCursor = crDefault;
  TControlState FControlState;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  std::unique_ptr<TSizeConstraints> FConstraints;
  std::unique_ptr<TControlActionLink> FActionLink;
  bool FMouseInClient = false;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  std::unique_ptr<TMargins> FMargins;
  THelpType FHelpType = htContext;
  AnsiString FHelpKeyword;
  int FHelpContext = 0;
  TDragMode FDragMode = dmManual;
  TDragKind FDragKind = dkDrag;
  TCursor FDragCursor = crDrag;

  friend class TWinControl;
  friend class TControlActionLink;
  friend class TSizeConstraints;
};

TCustomForm* GetParentForm(TControl* control);
// The shift state of mouse key flags (MK_*) together with the keyboard's shift keys.
TShiftState KeysToShiftState(WPARAM keys);
// The shift state of a key message's key data (Alt from bit 29) and the keyboard.
TShiftState KeyDataToShiftState(LONG keyData);

// Whether `caption` marks `key` as its accelerator: an "&" before the character (letter case
// ignored; "&&" is a literal ampersand and marks nothing).
bool IsAccel(WORD key, const AnsiString& caption);

// The control that has the mouse captured (a window-less control captures through its
// parent's window), or null.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// Ends a drag in progress without a drop (vcl/Drag.cpp).
void CancelDrag();
// The control under the mouse as the hint and mouse-enter machinery last saw it.
TControl* GetMouseControl();
// Makes `control` the control under the mouse: the previous one gets CM_MOUSELEAVE, the new
// one CM_MOUSEENTER (each with itself in LParam).
void SetMouseControl(TControl* control);
