#pragma once

// TFSVideoTrackBar: the seek and trim bar. A window-less control drawn from a skin item whose
// parts, by list position, are the track (state 0 empty, state 1 filled), the thumb and the
// two cut markers that bound the part of a clip to keep. It shows an optional row of ticks at
// the multiples of TickStep, follows the mouse while the thumb or a marker is dragged, and
// reports changes through its events (OnChanging while Position moves, OnChange when the mouse
// lets go of the thumb, OnCutRangeChanging/OnCutRangeChange for the markers).
//
// A range of one value (Max = Min) or a control too narrow for a part's travel keeps the
// thumb and markers at the left end and maps every x to Min. The pixel arithmetic is done in
// wide integers, so a range such as 0..200000000 is exact.
//
// GUI thread only. The skin item and parts belong to the skin engine and are looked up again
// on every skin change.

#include <cstdint>

#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinItem.h"
#include "vcl/GraphicControl.h"

BRANTWELL_ENUM(TTickStyle, tkStandard, tkOwnerDraw)
BRANTWELL_ENUM(TCutPointer, cpCutStart, cpCutEnd)

class TFSVideoTrackBar;
// Location is the tick's top point, AMaxTickHeight its length, Index the value it stands
// for. True lets the control draw its standard tick line as well.
using TDrawTickEvent = TEvent<bool(TObject* Sender, TPoint Location, int AMaxTickHeight, int Index)>;
using TCutChangeEvent = TEvent<void(TObject* Sender, TCutPointer CutPointer)>;

// ---- pixel arithmetic (pure) -----------------------------------------------------------------

namespace track_bar {

// a * b / c rounded to the nearest integer, halves to even; 0 for c = 0.
int64_t MulDivRound(int64_t a, int64_t b, int64_t c);

// The pixels a part of the given width and insets can travel in a control of width `width`.
inline int64_t Travel(int width, int partWidth, int insetLeft, int insetRight) {
  return int64_t{width} - partWidth - insetLeft - insetRight;
}

// The left edge of a part standing for `value`: insetLeft plus its share of the travel; the
// left end when the range or the travel is empty.
int PartLeft(int insetLeft, int64_t travel, int value, int min, int max);

// The value under client x for a part whose left edge sits `anchor` pixels left of the
// pointer (the thumb centres on the pointer, markers follow it with their left edge): below
// 0 gives min, beyond `width` gives max; Min for an empty range or travel. The result may lie
// outside [min, max]; it is brought into the int range.
int ValueAt(int x, int width, int insetLeft, int anchor, int64_t travel, int min, int max);

// One tick of the row: its x and the value it stands for.
struct Tick {
  int X;
  int Value;
};

// The multiples of `step` inside [min, max], each at insetLeft + (value - min) * span /
// (max - min) truncated, span being the track width minus one. Nothing for an empty range,
// a span of 0 or less, or a step below 1. `visit` returns false to stop.
template <class F> void ForEachTick(int min, int max, int step, int insetLeft, int64_t span, F visit);

// The first multiple of step at or above value (step >= 1).
int64_t FirstMultipleAtOrAbove(int64_t value, int64_t step);

template <class F> void ForEachTick(int min, int max, int step, int insetLeft, int64_t span, F visit) {
  if (max <= min || span <= 0 || step < 1) return;
  const int64_t range = int64_t{max} - min;
  for (int64_t i = FirstMultipleAtOrAbove(min, step); i <= max; i += step) {
    const int64_t x = insetLeft + static_cast<int64_t>((static_cast<__int128>(i - min) * span) / range);
    if (!visit(Tick{static_cast<int>(x), static_cast<int>(i)})) return;
  }
}

// The smallest multiple of step above `value` whose tick lands right of pixel `x` (used to
// skip ticks that would draw on a pixel already drawn).
int64_t FirstTickRightOf(int64_t x, int min, int max, int step, int insetLeft, int64_t span);

}  // namespace track_bar

class TFSVideoTrackBar : public TGraphicControl {
  BRANTWELL_CLASS(TFSVideoTrackBar, TGraphicControl)

 public:
  explicit TFSVideoTrackBar(TComponent* owner);
  ~TFSVideoTrackBar() override;
  static void DescribeClass(TClassBuilder<TFSVideoTrackBar>& c);

  TSkinName SkinName() const { return FSkinName; }
  void SetSkinName(const TSkinName& value);
  int Min() const { return FMin; }
  void SetMin(int value);
  int Max() const { return FMax; }
  void SetMax(int value);
  int Position() const { return FPosition; }
  void SetPosition(int value);
  bool SlideVisible() const { return FSlideVisible; }
  void SetSlideVisible(bool value);
  bool CutRangeSlide() const { return FCutRangeSlide; }
  void SetCutRangeSlide(bool value);
  bool ShowCuts() const { return FShowCuts; }
  void SetShowCuts(bool value);
  int CutStartPos() const { return FCutStartPos; }
  void SetCutStartPos(int value);
  int CutEndPos() const { return FCutEndPos; }
  void SetCutEndPos(int value);
  TColor CutRangeColor() const { return FCutRangeColor; }
  void SetCutRangeColor(TColor value);
  bool ShowTicks() const { return FShowTicks; }
  void SetShowTicks(bool value);
  TTickStyle TickStyle() const { return FTickStyle; }
  void SetTickStyle(TTickStyle value);
  TColor TickColor() const { return FTickColor; }
  void SetTickColor(TColor value);
  int TickStep() const { return FTickStep; }
  void SetTickStep(int value);

  // Looks the skin item up again and takes its parts 0 to 3; repaints.
  void UpdateSkin();

  // The rectangles of the thumb and the markers in client coordinates; empty without the part.
  TRect ThumbRect() const;
  TRect CutStartRect() const;
  TRect CutEndRect() const;
  // The tick row as Paint draws it: the x of each tick and its value (no ticks without a
  // track part or with ShowTicks off).
  std::vector<track_bar::Tick> TickPositions() const;

  TSkinItem* SkinItem() const { return FSkinItem; }
  bool ThumbHot() const { return FThumbHot; }
  bool ThumbPressed() const { return FThumbPressed; }

  TDrawTickEvent OnDrawTick;
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;
  TCutChangeEvent OnCutRangeChanging;
  TCutChangeEvent OnCutRangeChange;
  TNotifyEvent OnCutButtonDown;
  TNotifyEvent OnCutButtonUp;
  TNotifyEvent OnTrackButtonDown;
  TNotifyEvent OnTrackButtonUp;

  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void Loaded() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;
  void CMSkinChanged(TMessage& m);

  void DoChange();
  void DoCutRangeChange(TCutPointer pointer);

 private:
  bool IsSkinNameStored() const { return FSkinName != "VideoTrackBar"; }
  // Position brought into [Min, Max] (and the cut range when CutRangeSlide); OnChanging when
  // it moved.
  void ClampPosition(int value);
  TRect PartRect(TSkinItemPart* part, int value) const;
  int ThumbValueAt(int x) const;
  int MarkerValueAt(TSkinItemPart* part, int x) const;
  void SetFlag(bool& flag, bool value);
  void PaintTicks();

  TSkinItem* FSkinItem = nullptr;
  TSkinItemPart* FTrackPart = nullptr;
  TSkinItemPart* FThumbPart = nullptr;
  TSkinItemPart* FCutStartPart = nullptr;
  TSkinItemPart* FCutEndPart = nullptr;
  TSkinName FSkinName;
  int FMin = 0;
  int FMax = 100;
  int FPosition = 0;
  int FCutStartPos = 0;
  int FCutEndPos = 0;
  int FSavedCutStart = 0;
  int FSavedCutEnd = 0;
  bool FShowCuts = false;
  bool FShowTicks = false;
  bool FThumbHot = false;
  bool FThumbPressed = false;
  bool FCutStartPressed = false;
  bool FCutEndPressed = false;
  TColor FCutRangeColor = clBlue;
  TColor FTickColor = clBtnShadow;
  int FTickStep = 1;
  TTickStyle FTickStyle = tkStandard;
  bool FCutStartHot = false;
  bool FCutEndHot = false;
  bool FSlideVisible = true;
  bool FCutRangeSlide = false;
};
