#pragma once

// TFcColorPicker: a window-less palette from which the user picks one colour with the mouse.
// From top to bottom: an optional "None" row, an optional "Default" row (caption and a
// swatch of DefaultColor), 40 standard colours (8 x 5), an optional gap and 30 system colours
// (8 x 4, the last row holding 6), and an optional bottom row with a "More Colors..." button
// and a swatch of CustomColor. Every change of the selection fires OnChange; picking the
// custom swatch fires OnClick as well. A hint window names the colour under the mouse.
//
// Cell indexes (selected and hot index share them): 0 to 39 standard cells, 40 to 69 system
// cells, -1 the "None" row (and nothing chosen), -2 the custom swatch, -3 the "More
// Colors..." button, -4 the "Default" row, -5 a dead zone (the gap above the system grid and
// the two unused system cells), -6 no cell at all (outside every offered cell; as hot index:
// nothing is hot). Presses and drags over -5 and -6 change nothing.
//
// Layout, hit tests and hints all work in the painted coordinates: inside the client
// rectangle left by the frame.
//
// GUI thread only. The hint window is owned by the picker; CustomColors is a reference.

#include <functional>

#include "program/fc/FcBorder.h"
#include "program/fc/FcCustomColors.h"
#include "vcl/ColorDialogOptions.h"

class THintWindow;

constexpr int FcCellNone = -1;
constexpr int FcCellCustom = -2;
constexpr int FcCellMoreColors = -3;
constexpr int FcCellDefault = -4;
constexpr int FcCellDead = -5;
constexpr int FcCellNothing = -6;

struct TFcColorData {
  TColor Color;
  const char* Name;
};
// The 40 standard and 30 system colours with their names, in cell order.
extern const TFcColorData FcPickerColors[70];
AnsiString FcNoColorText();        // "None"
AnsiString FcDefaultColorText();   // "Default"
AnsiString FcMoreColorsText();     // "More Colors..."

// Runs the colour dialog for the picker's "More Colors..." button: starts from `color` and
// the custom colour lines ("ColorA=RRGGBB" ...), and on OK returns true with both updated.
// None installed: the button opens nothing.
using TFcColorDialogHook =
    std::function<bool(TColor& color, TStrings* customColors, TColorDialogOptions options)>;
void SetFcColorDialogHook(TFcColorDialogHook hook);

class TFcColorPicker : public TFcBorder {
  BRANTWELL_CLASS(TFcColorPicker, TFcBorder)

 public:
  explicit TFcColorPicker(TComponent* owner);
  ~TFcColorPicker() override;
  static void DescribeClass(TClassBuilder<TFcColorPicker>& c);

  // The cell at a point in control coordinates (the index encoding above).
  int CellAtPos(int x, int y);
  // The painted rectangle of a cell index, empty when that cell is not shown.
  TRect CellRect(int index);

  virtual void ShowColorDialog();

  TColor ButtonColor() const { return FButtonColor; }
  virtual void SetButtonColor(TColor value);
  AnsiString CustomColorCaption() const { return FCustomColorCaption; }
  virtual void SetCustomColorCaption(const AnsiString& value);
  TColor CustomColor() const { return FCustomColor; }
  virtual void SetCustomColor(TColor value);
  TFcCustomColors* CustomColors() const { return FCustomColors; }
  virtual void SetCustomColors(TFcCustomColors* value);
  TColor DefaultColor() const { return FDefaultColor; }
  virtual void SetDefaultColor(TColor value);
  AnsiString NoColorCaption() const { return FNoColorCaption; }
  virtual void SetNoColorCaption(const AnsiString& value);
  AnsiString DefaultColorCaption() const { return FDefaultColorCaption; }
  virtual void SetDefaultColorCaption(const AnsiString& value);
  bool ShowCustomColor() const { return FShowCustomColor; }
  virtual void SetShowCustomColor(bool value);
  bool ShowNoColor() const { return FShowNoColor; }
  virtual void SetShowNoColor(bool value);
  bool ShowDefaultColor() const { return FShowDefaultColor; }
  virtual void SetShowDefaultColor(bool value);
  bool ShowSystemColors() const { return FShowSystemColors; }
  virtual void SetShowSystemColors(bool value);
  bool ShowColorHints() const { return FShowColorHints; }
  void SetShowColorHints(bool value) { FShowColorHints = value; }
  TColorDialogOptions ColorDlgOptions() const { return FColorDlgOptions; }
  void SetColorDlgOptions(TColorDialogOptions value) { FColorDlgOptions = value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);

  int SelectedIndex() const { return FSelectedIndex; }
  virtual void SetSelectedIndex(int index);
  int HotIndex() const { return FHotIndex; }
  virtual void SetHotIndex(int index);
  virtual TColor GetSelectedColor() const;
  virtual void SetSelectedColor(TColor value);

  // The size that shows every cell at 18 x 18 pixels with the frame and the shown rows.
  bool CanAutoSize(int& width, int& height);
  void SetBounds(int left, int top, int width, int height) override;

  // The hint window, once a hint has been shown.
  THintWindow* HintWindow() const { return FHintWindow; }

  TNotifyEvent OnChange;

 protected:
  TColor FrameControlColor() override { return Color(); }
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void CMMouseEnter(TCMMouseEnterLeave& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMSysColorChange(TMessage& m) override;
  virtual void Change();

 private:
  struct TLayout;
  TLayout Layout();
  int CaptionHeight() const;
  void AdjustSize();
  void UpdateHint(int x, int y);
  void HideHint();
  void PaintCell(const TRect& cell, TColor color, int index, bool system);
  void PaintCaptionButton(const TRect& rect, const AnsiString& caption);
  void MarkSelected(const TRect& rect);
  void Exclude(const TRect& rect);

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
  int FSelectedIndex = FcCellNone;
  int FHotIndex = FcCellNothing;
  TColor FThemeFrameColor = clBtnShadow;
  bool FShowColorHints = true;
  THintWindow* FHintWindow = nullptr;
  TColor FButtonColor = clBtnFace;
  bool FAutoSize = true;
};
