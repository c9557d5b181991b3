#pragma once

// TFSGaugeBar: the disc-space gauge. It shows how many megabytes a project needs against the
// capacity of a single-layer (4483 MB) or dual-layer (8152 MB) disc on a megabyte scale with
// ticks and labels: the part that fits in green, the part over the capacity in red, the rest
// in BarColor, and a hint per area. Its skin part only places and colours the control.
//
// A gauge narrower than one tick spacing (or 0 pixels wide) has no scale and draws its white
// background only.
//
// GUI thread only. The gauge owns its hint window and its tick list.

#include <memory>
#include <vector>

#include "program/controls/FSSkinGraphicControl.h"
#include "vcl/HintWindow.h"
#include "vcl/StringList.h"

BRANTWELL_ENUM(TGaugeMode, GMD5, GMD9)

constexpr int GaugeD5Mark = 4483;
constexpr int GaugeD9Mark = 8152;

// ---- scale and layout (pure) -------------------------------------------------------------------

struct TGaugeScale {
  int64_t ScaleMax = 0;    // megabytes at the right end
  int64_t MBPerPixel = 0;
  int64_t TickStep = 0;    // megabytes between ticks
  int64_t TickSpacing = 0; // pixels between ticks
};

// All zero for a width of 0 or less.
TGaugeScale CalcGaugeScale(int position, TGaugeMode mode, int width);

struct TGaugeTick {
  int X;
  int64_t MB;
};

struct TGaugeLayout {
  TRect Used{0, 0, 0, 0};
  TRect Over{0, 0, 0, 0};
  TRect Free{0, 0, 0, 0};
  int D5MarkX = 0;
  int D9MarkX = 0;
  std::vector<TGaugeTick> Ticks;
};

// The areas, the mark positions and the ticks; empty when the gauge is narrower than one tick
// spacing (the marks then stay at 0).
TGaugeLayout CalcGaugeLayout(const TGaugeScale& scale, int position, TGaugeMode mode, int width, int height);

class TFSGaugeBar : public TFSSkinGraphicControl {
  BRANTWELL_CLASS(TFSGaugeBar, TFSSkinGraphicControl)

 public:
  explicit TFSGaugeBar(TComponent* owner);
  ~TFSGaugeBar() override;
  static void DescribeClass(TClassBuilder<TFSGaugeBar>& c);

  int Position() const { return FPosition; }
  void SetPosition(int value);
  TGaugeMode GaugeMode() const { return FGaugeMode; }
  void SetGaugeMode(TGaugeMode value);
  TColor D5LineColor() const { return FD5LineColor; }
  void SetD5LineColor(TColor value) { FD5LineColor = value; }
  TColor D9LineColor() const { return FD9LineColor; }
  void SetD9LineColor(TColor value) { FD9LineColor = value; }
  TColor BarColor() const { return FBarColor; }
  void SetBarColor(TColor value) { FBarColor = value; }

  void UpdateSkin() override;
  const TGaugeScale& Scale() const { return FScale; }
  // The layout of the last paint.
  const TGaugeLayout& Layout() const { return FLayout; }
  THintWindow* HintWindow() const { return FHintWindow.get(); }

  AnsiString D5Hint;
  AnsiString D9Hint;
  AnsiString OutHint;
  AnsiString BarHint;

 protected:
  void Paint() override;
  void Resize() override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void CMMouseEnter(TCMMouseEnterLeave& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;

 private:
  bool IsSkinNameStored() const { return FSkinItemName != "GaugeBar" || FPartId != 0; }
  void Recalculate();

  TGaugeMode FGaugeMode = GMD5;
  int FPosition = 0;
  TGaugeScale FScale;
  TColor FD5LineColor = clRed;
  TColor FD9LineColor = clRed;
  TColor FBarColor = clWindow;
  TGaugeLayout FLayout;
  std::unique_ptr<THintWindow> FHintWindow;
};
