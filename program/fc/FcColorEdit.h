#pragma once

// TFcColorEdit: a one-line field that shows a colour instead of text. Its client area is one
// swatch of SelectedColor (a hatched box for clNone); a left press anywhere on it, or
// Alt+Down, opens a drop-down with a colour picker (TFcColorPicker on a TFcPopupPanel made
// for that one drop-down); a colour picked there becomes SelectedColor and fires OnChange.
// Esc, a press outside or the program losing the activation close the drop-down and change
// nothing. It takes no typed input; read-only, it hides its button and opens nothing.
//
// The picker settings (the Show flags, captions, CustomColor, DefaultColor, CustomColors,
// ColorDlgOptions) are handed to the picker when it opens; CustomColor and CustomColors come
// back when a colour is picked.
//
// GUI thread only. CustomColors is a reference, cleared when that component goes.

#include "program/fc/FcCustomColors.h"
#include "program/fc/FcCustomEdit.h"
#include "vcl/ColorDialogOptions.h"

class TFcColorPicker;
class TFcPopupPanel;

class TFcColorEdit : public TFcCustomEdit {
  BRANTWELL_CLASS(TFcColorEdit, TFcCustomEdit)

 public:
  explicit TFcColorEdit(TComponent* owner);
  static void DescribeClass(TClassBuilder<TFcColorEdit>& c);

  // Opens the picker under the edit and runs it until it closes; nothing on no form.
  virtual void DropDown();

  TColor CustomColor() const { return FCustomColor; }
  void SetCustomColor(TColor value) { FCustomColor = value; }
  TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor value) { FDefaultColor = value; }
  TColorDialogOptions ColorDlgOptions() const { return FColorDlgOptions; }
  void SetColorDlgOptions(TColorDialogOptions value) { FColorDlgOptions = value; }
  TFcCustomColors* CustomColors() const { return FCustomColors; }
  virtual void SetCustomColors(TFcCustomColors* value);
  AnsiString CustomColorCaption() const { return FCustomColorCaption; }
  void SetCustomColorCaption(const AnsiString& value) { FCustomColorCaption = value; }
  AnsiString NoColorCaption() const { return FNoColorCaption; }
  void SetNoColorCaption(const AnsiString& value) { FNoColorCaption = value; }
  AnsiString DefaultColorCaption() const { return FDefaultColorCaption; }
  void SetDefaultColorCaption(const AnsiString& value) { FDefaultColorCaption = value; }
  bool ShowCustomColor() const { return FShowCustomColor; }
  void SetShowCustomColor(bool value) { FShowCustomColor = value; }
  bool ShowNoColor() const { return FShowNoColor; }
  void SetShowNoColor(bool value) { FShowNoColor = value; }
  bool ShowDefaultColor() const { return FShowDefaultColor; }
  void SetShowDefaultColor(bool value) { FShowDefaultColor = value; }
  bool ShowSystemColors() const { return FShowSystemColors; }
  void SetShowSystemColors(bool value) { FShowSystemColors = value; }
  TColor SelectedColor() const { return FSelectedColor; }
  // Repaints; fires no OnChange.
  virtual void SetSelectedColor(TColor value);
  bool ShowColorHints() const { return FShowColorHints; }
  void SetShowColorHints(bool value) { FShowColorHints = value; }

  // The drop-down's panel and picker while a drop-down runs (else nullptr).
  TFcPopupPanel* DropDownPanel() const { return FPanel; }
  TFcColorPicker* DropDownPicker() const { return FPicker; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void WndProc(TMessage& message) override;
  void EnterReadOnly() override { SetDropButtonVisible(false); }
  void LeaveReadOnly() override { SetDropButtonVisible(true); }
  void DoDropDown() override;
  void WMPaint(TWMPaint& m) override;
  void WMSetFocus(TWMFocus& m) override;
  void WMKillFocus(TWMFocus& m) override;
  void WMNCHitTest(TMessage& m) override;

 private:
  void PaintSwatch(HDC dc);

  TColor FCustomColor = clWhite;
  TColor FDefaultColor = clHighlight;
  TColorDialogOptions FColorDlgOptions{cdFullOpen};
  TFcCustomColors* FCustomColors = nullptr;
  AnsiString FCustomColorCaption;
  AnsiString FNoColorCaption;
  AnsiString FDefaultColorCaption;
  bool FShowCustomColor = false;
  bool FShowNoColor = false;
  bool FShowDefaultColor = false;
  bool FShowSystemColors = false;
  TColor FSelectedColor = clNone;
  bool FShowColorHints = true;
  TFcPopupPanel* FPanel = nullptr;
  TFcColorPicker* FPicker = nullptr;
};
