#pragma once

// TFSCustomSpinEdit: a skinned integer edit with up and down arrows in its non-client area
// (item "SpinEdit": up button 1, up arrow 2, down button 3, down arrow 4).
//
// Values are 32-bit and one bound rule serves reading and writing: a value is raised to
// MinValue and, unless MaxValue is 0 (no upper bound), capped at MaxValue, so the text
// always equals Value. A text that is not a number counts as MinValue, also when the edit
// is left. Steps saturate at the 32-bit limits. A form's MinValue and MaxValue are applied
// together once it is read.
//
// Holding an arrow (or the Up/Down key) steps at once, again after the caret blink time,
// then every 100 ms (30 ms from the keyboard); the repeat is the window's timer 1.
//
// TFSSpinEdit publishes it. GUI thread only.

#include "program/controls/FSEdit.h"
#include "vcl/UpDownTypes.h"

class TFSCustomSpinEdit : public TFSCustomEdit {
  BRANTWELL_CLASS(TFSCustomSpinEdit, TFSCustomEdit)

 public:
  static constexpr int kButtonWidth = 19;
  static constexpr UINT_PTR kRepeatTimer = 1;
  static constexpr UINT kKeyboardRepeatMs = 30;
  static constexpr UINT kMouseRepeatMs = 100;

  explicit TFSCustomSpinEdit(TComponent* owner);

  int Value();
  void SetValue(int value);
  int MinValue() const { return FMinValue; }
  void SetMinValue(int value);
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int value) { FIncrement = value; }

  bool UpHot() const { return FUpHot; }
  bool DownHot() const { return FDownHot; }
  bool UpPressed() const { return FUpPressed; }
  bool DownPressed() const { return FDownPressed; }

  // The arrows' rectangle in screen coordinates (`screen`) or relative to the window, and
  // its halves.
  TRect ButtonsRect(bool screen);
  static TRect UpHalf(const TRect& buttons);
  static TRect DownHalf(const TRect& buttons);

  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;
  TUDChangingEventEx OnChangingEx;

 protected:
  void Loaded() override;
  void PaintButtons(const TRect& rect) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;

  void Dispatch(TMessage& message) override;
  void WMNCCalcSize(TMessage& m) override;
  void WMMouseLeave(TMessage& m) override;
  void WMLButtonUp(TWMMouse& m) override;
  void CMExit(TMessage& m) override;
  virtual void WMNCHitTest(TMessage& m);
  virtual void WMNCMouseMove(TMessage& m);
  virtual void WMNCLButtonDown(TMessage& m);
  virtual void WMNCLButtonUp(TMessage& m);
  virtual void WMNCMouseLeave(TMessage& m);
  virtual void WMTimer(TMessage& m);

  // The text as a number (saturated to 32 bits), or MinValue.
  int TextValue();
  // A value within the bounds.
  int Bounded(int64_t value) const;
  // OnChanging and OnChangingEx; false when refused.
  bool CanChange(int newValue, int64_t step);
  // One step up or down from the current value.
  void Step(bool up);
  void SetUpHot(bool value);
  void SetDownHot(bool value);
  void SetUpPressed(bool value);
  void SetDownPressed(bool value);
  void RedrawButtons();

  bool FUpHot = false;
  bool FDownHot = false;
  bool FUpPressed = false;
  bool FDownPressed = false;
  int FMinValue = 0;
  int FIncrement = 1;
  int FMaxValue = 100;
  bool FKeyboard = false;

 private:
  void StartRepeat();
  void StopRepeatWhenReleased();
  // Bounds read from a form, applied in Loaded.
  int FLoadedMin = 0;
  int FLoadedMax = 100;
  bool FLoadedBounds = false;
};

class TFSSpinEdit : public TFSCustomSpinEdit {
  BRANTWELL_CLASS(TFSSpinEdit, TFSCustomSpinEdit)

 public:
  explicit TFSSpinEdit(TComponent* owner) : TFSCustomSpinEdit(owner) {}
  static void DescribeClass(TClassBuilder<TFSSpinEdit>& c);
};
