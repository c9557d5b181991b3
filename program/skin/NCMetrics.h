#pragma once

// TNCMetrics: the thicknesses of a skinned form's frame in pixels: the sizing borders on the
// four sides and the caption band below the top border. The client area begins at row
// Top + CaptionHeight of the window. Every setter that changes a value fires OnChanging before
// and OnChange after the change, unless updates are suspended (BeginUpdate/EndUpdate, which
// only count and fire nothing themselves). GUI thread.

#include "vcl/Event.h"
#include "vcl/Persistent.h"

class TNCMetrics : public TPersistent {
  BRANTWELL_CLASS(TNCMetrics, TPersistent)

 public:
  static constexpr int DefaultCaptionHeight = 24;
  static constexpr int DefaultSide = 4;

  TNCMetrics() = default;
  static void DescribeClass(TClassBuilder<TNCMetrics>& c);

  // The five values, between one OnChanging and one OnChange.
  void Assign(TPersistent* source) override;
  // Back to CaptionHeight 24 and sides 4, between one OnChanging and one OnChange.
  void Reset();
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
  }

  int Right() const { return FRight; }
  int CaptionHeight() const { return FCaptionHeight; }
  int Bottom() const { return FBottom; }
  int Top() const { return FTop; }
  int Left() const { return FLeft; }
  void SetRight(int value) { SetValue(FRight, value); }
  void SetCaptionHeight(int value) { SetValue(FCaptionHeight, value); }
  void SetBottom(int value) { SetValue(FBottom, value); }
  void SetTop(int value) { SetValue(FTop, value); }
  void SetLeft(int value) { SetValue(FLeft, value); }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 private:
  void SetValue(int32_t& field, int value);
  void Changing();
  void Changed();

  int32_t FRight = DefaultSide;
  int32_t FCaptionHeight = DefaultCaptionHeight;
  int32_t FBottom = DefaultSide;
  int32_t FTop = DefaultSide;
  int32_t FLeft = DefaultSide;
  int32_t FUpdateCount = 0;
};
