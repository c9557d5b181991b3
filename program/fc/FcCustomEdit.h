#pragma once

// TFcCustomEdit: the masked edit of the Fc set. Beyond TCustomMaskEdit it has colours that
// follow its state (DisabledColor while disabled, FocusColor while focused, ReadOnlyColor
// while read-only, else the colour it was given), a frame of its own drawn in the non-client
// area over the platform's sunken border (optionally hot: another colour and style while
// focused or under the mouse), a drop button in the non-client area at the right (at the left
// for right-to-left reading) that runs a drop-down sequence (OnDropDown, then OnCloseUp), and
// the shared settings of a TFcFrameController.
//
// The drop button is room the edit reserves in WM_NCCALCSIZE: the platform's hit test answers
// HTNOWHERE there, which the edit turns into HTCLIENT with the pointer marked as over the
// button, so presses on it arrive as client presses. A press on the button, or Alt+Down,
// starts the sequence; the edit takes the focus first.
//
// GUI thread only. The edit owns its canvas; the frame controller is a reference, cleared
// when it goes.

#include "program/fc/FcDraw.h"
#include "program/fc/FcFrameController.h"
#include <memory>

#include "vcl/MaskEdit.h"

class TControlCanvas;

// Asked before a text that breaks the mask raises: a message set here is raised instead of
// the masked edit's own.
using TFcValidateErrorEvent = TEvent<void(TObject* Sender, AnsiString& Message)>;

class TFcCustomEdit : public TCustomMaskEdit {
  BRANTWELL_CLASS(TFcCustomEdit, TCustomMaskEdit)

 public:
  explicit TFcCustomEdit(TComponent* owner);
  ~TFcCustomEdit() override;
  static void DescribeClass(TClassBuilder<TFcCustomEdit>& c);

  // Sets Color from the state: disabled, focused (read-only or not), read-only, resting.
  virtual void ApplyStateColor();
  // The mouse over the edit (byMouse) or the focus in it (otherwise) came or went.
  virtual void SetHotState(bool byMouse, bool active);
  // Repaints the frame in the non-client area.
  virtual void InvalidateFrame();
  // Whether the frame is left to the visual style (never in this program: there is none).
  virtual bool UsesVisualStyle() const;

  TAlignment Alignment() const { return FAlignment; }
  virtual void SetAlignment(TAlignment value);
  bool TabOnEnter() const { return FTabOnEnter; }
  void SetTabOnEnter(bool value) { FTabOnEnter = value; }
  TColor DisabledColor() const { return FDisabledColor; }
  virtual void SetDisabledColor(TColor value);
  TColor FocusColor() const { return FFocusColor; }
  virtual void SetFocusColor(TColor value);
  TColor ReadOnlyColor() const { return FReadOnlyColor; }
  virtual void SetReadOnlyColor(TColor value);
  bool ReadOnlyColorOnFocus() const { return FReadOnlyColorOnFocus; }
  void SetReadOnlyColorOnFocus(bool value);
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor value);
  TColor FrameHotColor() const { return FFrameHotColor; }
  virtual void SetFrameHotColor(TColor value);
  TFcFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TFcFrameController* value);
  TFcFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TFcFrameControllerNotifications value) {
    FFrameControllerNotifications = value;
  }
  bool FrameHotTrack() const { return FFrameHotTrack; }
  virtual void SetFrameHotTrack(bool value);
  TFrameStyle FrameHotStyle() const { return FFrameHotStyle; }
  virtual void SetFrameHotStyle(TFrameStyle value);
  TSides FrameSides() const { return FFrameSides; }
  virtual void SetFrameSides(TSides value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle value);
  bool FrameVisible() const { return FFrameVisible; }
  virtual void SetFrameVisible(bool value);
  TFramingPreference FramingPreference() const { return FFramingPreference; }
  virtual void SetFramingPreference(TFramingPreference value);
  bool DropButtonVisible() const { return FDropButtonVisible; }
  virtual void SetDropButtonVisible(bool value);
  bool FlatButtons() const { return FFlatButtons; }
  virtual void SetFlatButtons(bool value);
  TColor FlatButtonColor() const { return FFlatButtonColor; }
  void SetFlatButtonColor(TColor value);

  virtual bool GetReadOnly() const { return TCustomEdit::ReadOnly(); }
  bool ReadOnly() const { return GetReadOnly(); }
  // The platform's, then the edit's own change (colours, button hooks, frame).
  void SetReadOnly(bool value);

  // 0 up, 2 pressed (only kept while the drop button shows).
  int ButtonState() const { return FButtonState; }
  virtual void SetButtonState(int value);
  bool Dropping() const { return FDropping; }
  bool OverButton() const { return FOverButton; }
  bool FocusActive() const { return FFocusActive; }
  bool MouseOver() const { return FMouseOver; }
  // The colour the edit shows at rest (the last Color given to it from outside).
  TColor NormalColor() const { return FNormalColor; }
  // The drop button in window coordinates (empty without one).
  TRect DropButtonRect();
  TControlCanvas* EditCanvas() const { return FCanvas.get(); }

  TFcValidateErrorEvent OnValidateError;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  void CreateParams(TCreateParams& params) override;
  void DefineProperties(TFiler* filer) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void ValidateError() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;

  // The rectangle the text goes in, and the text.
  virtual TRect TextRect() { return ClientRect(); }
  virtual AnsiString TextValue() { return Text(); }
  // Run when the edit becomes read-only and when it stops being read-only.
  virtual void EnterReadOnly() {}
  virtual void LeaveReadOnly() {}
  // Draws the drop button into rect (window coordinates) on the edit's canvas.
  virtual void PaintDropButton(const TRect& rect);
  virtual void ReadOnlyChanged();
  // Fire OnDropDown and OnCloseUp.
  virtual void DoDropDown();
  virtual void DoCloseUp();
  // The drop-down sequence: the button pressed, OnDropDown, OnCloseUp, the button up.
  void RunDropDown();
  // The button goes up (unless a sequence runs) and the capture goes.
  void ReleaseButton();

  void Dispatch(TMessage& message) override;
  virtual void WMNCHitTest(TMessage& m);
  void WMNCPaint(TMessage& m) override;
  void WMNCCalcSize(TMessage& m) override;
  void WMSetCursor(TMessage& m) override;
  void WMSize(TWMSize& m) override;
  void WMKillFocus(TWMFocus& m) override;
  void WMLButtonDown(TWMMouse& m) override;
  void WMLButtonDblClk(TWMMouse& m) override;
  void WMLButtonUp(TWMMouse& m) override;
  void WMRButtonDown(TWMMouse& m) override;
  void CMEnter(TMessage& m) override;
  void CMExit(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  void CMParentColorChanged(TMessage& m) override;
  void CMMouseEnter(TCMMouseEnterLeave& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;

  // Whether the frame controller hands this setting over (then it is not written to the
  // form stream).
  bool Controlled(TFcFrameControllerProperty property) const {
    return FFrameController && FFrameControllerNotifications.Contains(property);
  }

  TAlignment FAlignment = taLeftJustify;
  bool FTabOnEnter = false;
  bool FColorUpdating = false;
  TColor FDisabledColor = clBtnFace;
  TColor FFocusColor = clWindow;
  TColor FNormalColor = clWindow;
  TColor FFrameColor = clBtnShadow;
  TColor FFrameHotColor = clBtnShadow;
  TFcFrameController* FFrameController = nullptr;
  TFcFrameControllerNotifications FFrameControllerNotifications =
      TFcFrameControllerNotifications::FromBits(AllFrameNotifications);
  bool FFrameHotTrack = false;
  TFrameStyle FFrameHotStyle = fsFlatBold;
  TSides FFrameSides = AllSides;
  TFrameStyle FFrameStyle = fsFlat;
  TFramingPreference FFramingPreference = fpXPThemes;
  TColor FReadOnlyColor = clInfoBk;
  bool FReadOnlyColorOnFocus = false;
  bool FDropButtonVisible = false;
  bool FOverButton = false;
  bool FFlatButtons = false;
  TColor FFlatButtonColor = clBtnFace;
  bool FDropping = false;
  int FButtonState = 0;
  std::unique_ptr<TControlCanvas> FCanvas;
  bool FFocusActive = false;
  bool FMouseOver = false;
  bool FFrameVisible = false;
  // Cleared by the destructor: a drop-down sequence that outlived the edit touches nothing.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);

 private:
  // The whole window in client coordinates (what a frame repaint covers).
  TRect WindowAreaInClient();
  // The client rectangle in window coordinates.
  TRect ClientAreaInWindow();
  bool ButtonOnLeft() const { return UseRightToLeftAlignment(); }
  void RedrawFrame();

  bool IsColorStored() const;
  bool IsFocusColorStored() const;
  bool IsDisabledColorStored() const { return !Controlled(fcpDisabledColor); }
  bool IsReadOnlyColorStored() const { return !Controlled(fcpReadOnlyColor); }
  bool IsReadOnlyColorOnFocusStored() const { return !Controlled(fcpReadOnlyColorOnFocus); }
  bool IsFlatButtonColorStored() const { return !Controlled(fcpFlatButtonColor); }
  bool IsFlatButtonsStored() const { return !Controlled(fcpFlatButtons); }
  bool IsFrameColorStored() const { return !Controlled(fcpFrameColor); }
  bool IsFrameHotColorStored() const { return !Controlled(fcpFrameHotColor); }
  bool IsFrameHotTrackStored() const { return !Controlled(fcpFrameHotTrack); }
  bool IsFrameHotStyleStored() const { return !Controlled(fcpFrameHotStyle); }
  bool IsFrameSidesStored() const { return !Controlled(fcpFrameSides); }
  bool IsFrameStyleStored() const { return !Controlled(fcpFrameStyle); }
  bool IsFrameVisibleStored() const { return !Controlled(fcpFrameVisible); }
  bool IsFramingPreferenceStored() const { return !Controlled(fcpFramingPreference); }
};
