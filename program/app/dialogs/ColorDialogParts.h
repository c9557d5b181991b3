#pragma once

// The drawn parts of the colour dialog: a grid of colour swatches (the basic and the custom
// colours) that the arrows move in, the hue/saturation field with its cross, the luminosity
// bar with its pointer, and the preview. Each tells the dialog what the user chose.
// GUI thread only.

#include <functional>
#include <vector>

#include "vcl/GraphicControl.h"

class TColorDialogForm;

class TColorSwatchGrid : public TCustomControl {
  BRANTWELL_CLASS(TColorSwatchGrid, TCustomControl)

 public:
  TColorSwatchGrid(TComponent* owner, int columns, int rows);
  static constexpr int CellWidth = 25;
  static constexpr int CellHeight = 21;

  void SetColors(const std::vector<COLORREF>& colors);
  COLORREF ColorAt(int index) const { return FColors[static_cast<size_t>(index)]; }
  void SetColorAt(int index, COLORREF color);
  int Selected() const { return FSelected; }
  void SetSelected(int index);
  // The first of the given colour, or -1.
  int IndexOf(COLORREF color) const;
  // The cell at a client point, or -1.
  int CellAt(int x, int y) const;
  TRect CellRect(int index) const;
  // The user chose a cell (click or arrow).
  std::function<void(int index)> OnPick;

 protected:
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void WMLButtonDown(TWMMouse& m) override;
  void WMSetFocus(TWMFocus& m) override;
  void WMKillFocus(TWMFocus& m) override;
  void Dispatch(TMessage& message) override;

 private:
  int FColumns;
  int FRows;
  std::vector<COLORREF> FColors;
  int FSelected = -1;
};

// Hue across, saturation up.
class THueSatField : public TCustomControl {
  BRANTWELL_CLASS(THueSatField, TCustomControl)

 public:
  explicit THueSatField(TComponent* owner);
  void SetHueSat(int hue, int sat);
  // The hue and saturation at a client point (clamped).
  void HueSatAt(int x, int y, int& hue, int& sat) const;
  TPoint PointOf(int hue, int sat) const;
  std::function<void(int hue, int sat)> OnPick;

 protected:
  void Paint() override;
  void WMLButtonDown(TWMMouse& m) override;
  void WMMouseMove(TWMMouse& m) override;

 private:
  int FHue = 0;
  int FSat = 0;
};

// Luminosity from 240 at the top to 0 at the bottom, for the current hue and saturation;
// the pointer stands to the right of the bar. The bar has fewer rows than values: a press
// takes the nearest value of its row, and the keys (Up and Down one step, Page Up and Page
// Down ten, Home and End the ends) and the wheel reach every value.
class TLumBar : public TCustomControl {
  BRANTWELL_CLASS(TLumBar, TCustomControl)

 public:
  explicit TLumBar(TComponent* owner);
  static constexpr int BarWidth = 10;
  void SetHls(int hue, int sat, int lum);
  int Lum() const { return FLum; }
  int LumAt(int y) const;
  int YOf(int lum) const;
  std::function<void(int lum)> OnPick;

 protected:
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void Dispatch(TMessage& message) override;
  void WMLButtonDown(TWMMouse& m) override;
  void WMMouseMove(TWMMouse& m) override;
  void WMMouseWheel(TWMMouseWheel& m) override;
  void WMSetFocus(TWMFocus& m) override;
  void WMKillFocus(TWMFocus& m) override;

 private:
  int FHue = 0, FSat = 0, FLum = 0;
};

// A one-line caption beside a part of the dialog (an "&" marks its accelerator letter).
class TDialogCaption : public TGraphicControl {
  BRANTWELL_CLASS(TDialogCaption, TGraphicControl)

 public:
  explicit TDialogCaption(TComponent* owner) : TGraphicControl(owner) {}

 protected:
  void Paint() override;
};

class TColorPreview : public TCustomControl {
  BRANTWELL_CLASS(TColorPreview, TCustomControl)

 public:
  explicit TColorPreview(TComponent* owner) : TCustomControl(owner) {}
  void SetPreviewColor(COLORREF color);

 protected:
  void Paint() override;

 private:
  COLORREF FPreviewColor = 0;
};
