#pragma once

// TGraphicControl: a control without a window. Its parent paints it (PaintControls hands it
// WM_PAINT with the parent's DC, the origin moved to the control's corner and the clip cut
// to its bounds) and routes the mouse to it. Subclasses draw in Paint on Canvas.
//
// TCustomControl: a windowed control that draws itself in Paint on its Canvas.
//
// GUI thread only.

#include <functional>

#include "vcl/Canvas.h"
#include "vcl/WinControl.h"

// Runs `paint` with `canvas` bound to `dc` (locked meanwhile), and unbinds it afterwards
// whatever happens.
void PaintOnCanvas(TControlCanvas& canvas, HDC dc, const std::function<void()>& paint);

class TGraphicControl : public TControl {
  BRANTWELL_CLASS(TGraphicControl, TControl)

 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return FCanvas.get(); }
  void Dispatch(TMessage& message) override;

 protected:
  virtual void Paint() {}
  virtual void WMPaint(TWMPaint& m);

  std::unique_ptr<TControlCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
  BRANTWELL_CLASS(TCustomControl, TWinControl)

 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return FCanvas.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;
  void WMPaint(TWMPaint& m) override;
  void DestroyWnd() override;

  std::unique_ptr<TControlCanvas> FCanvas;
};
