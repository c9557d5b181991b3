#pragma once

// TFSSkinImage: a window-less control that shows state 0 of a skin part, animated when the
// state has several frames: at its natural size, centred, stretched, shrunk proportionally or
// tiled, as the part's fill mode and the control's properties say.
//
// GUI thread only. The control owns its frame animator; the part belongs to the skin engine.

#include <memory>

#include "program/controls/FSSkinGraphicControl.h"
#include "program/skin/SkinAnimator.h"

// Where a state of size w x h goes in a client of cw x ch (pure): the whole client when tiled
// or for an empty state; stretched, or shrunk keeping its proportions when proportional and
// larger than the client; moved to the middle when centred.
TRect SkinImageDestRect(int w, int h, int cw, int ch, bool tile, bool stretch, bool proportional, bool center);

// The size auto-sizing gives a control aligned `align` for a picture of w x h: the width for
// alNone, alLeft and alRight, the height for alNone, alTop and alBottom.
void AutoSizeForAlign(TAlign align, int w, int h, int& width, int& height);

class TFSSkinImage : public TFSSkinGraphicControl {
  BRANTWELL_CLASS(TFSSkinImage, TFSSkinGraphicControl)

 public:
  explicit TFSSkinImage(TComponent* owner);
  ~TFSSkinImage() override;
  static void DescribeClass(TClassBuilder<TFSSkinImage>& c);

  bool Center() const { return FCenter; }
  void SetCenter(bool value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  bool Tiled() const { return FTile; }

  void UpdateSkin() override;
  // The rectangle state 0 is drawn in (empty without a state).
  TRect DestRect();

 protected:
  void Paint() override;

 private:
  void ApplyAutoSize();

  bool FCenter = true;
  bool FStretch = false;
  bool FTile = false;
  bool FProportional = false;
  bool FAutoSize = false;
  std::unique_ptr<TControlSkinFrameAnimator> FAnimator;
};
