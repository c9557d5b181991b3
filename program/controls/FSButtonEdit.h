#pragma once

// TFSCustomButtonEdit: a skinned edit with one button at its right edge, in the non-client
// area (item "ButtonEdit"; dialogs use "BrowseEdit" for folder and file choosers). The button
// takes the non-client mouse (the hit test answers HTOBJECT over it); a click on it, or
// Alt+Up/Down, fires OnButtonClick. In ButtonMode the whole edit is the button: no caret, a
// focus rectangle, and a press anywhere shows the pressed frame and button.
//
// TFSButtonEdit publishes it. GUI thread only.

#include "program/controls/FSEdit.h"

class TFSCustomButtonEdit : public TFSCustomEdit {
  BRANTWELL_CLASS(TFSCustomButtonEdit, TFSCustomEdit)

 public:
  explicit TFSCustomButtonEdit(TComponent* owner);

  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int value);
  bool ButtonMode() const { return FButtonMode; }
  void SetButtonMode(bool value);
  AnsiString ButtonCaption() const { return FButtonCaption; }
  void SetButtonCaption(const AnsiString& value);
  bool ButtonHot() const { return FButtonHot; }
  bool ButtonPressed() const { return FButtonPressed; }

  // The button in screen coordinates (`screen`) or relative to the window rectangle.
  TRect ButtonRect(bool screen);

  TNotifyEvent OnButtonClick;
  TMouseEvent OnButtonMouseDown;
  TMouseEvent OnButtonMouseUp;

 protected:
  void PaintButtons(const TRect& rect) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  virtual void ButtonMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void ButtonMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void ButtonClick();

  void Dispatch(TMessage& message) override;
  void WMNCCalcSize(TMessage& m) override;
  void WMMouseLeave(TMessage& m) override;
  void WMKillFocus(TWMFocus& m) override;
  virtual void WMNCHitTest(TMessage& m);
  virtual void WMNCMouseMove(TMessage& m);
  virtual void WMNCLButtonDown(TMessage& m);
  virtual void WMNCLButtonUp(TMessage& m);
  virtual void WMNCMouseLeave(TMessage& m);
  virtual void WMCaptureChanged(TMessage& m);

  void SetButtonHot(bool value);
  void SetButtonPressed(bool value);
  // Whether a screen point is on the button (ButtonMode: anywhere on the window).
  bool OnButton(POINT screen);

  bool FButtonHot = false;
  bool FButtonPressed = false;
  int FButtonWidth = 20;
  bool FButtonMode = false;
  AnsiString FButtonCaption;
};

class TFSButtonEdit : public TFSCustomButtonEdit {
  BRANTWELL_CLASS(TFSButtonEdit, TFSCustomButtonEdit)

 public:
  explicit TFSButtonEdit(TComponent* owner) : TFSCustomButtonEdit(owner) {}
  static void DescribeClass(TClassBuilder<TFSButtonEdit>& c);
};
