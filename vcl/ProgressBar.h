#pragma once
// TProgressBar: the standard progress bar over the platform's msctls_progress32: Min, Max,
// Position and Step, smooth or in blocks, and the marquee style that runs while the bar
// shows (MarqueeInterval milliseconds a move). The values are kept while there is no window
// and handed to the next one.
//
// GUI thread only.

#include "vcl/WinControl.h"

BRANTWELL_ENUM(TProgressBarStyle, pbstNormal, pbstMarquee)
BRANTWELL_ENUM(TProgressBarOrientation, pbHorizontal, pbVertical)

class TProgressBar : public TWinControl {
  BRANTWELL_CLASS(TProgressBar, TWinControl)

 public:
  explicit TProgressBar(TComponent* owner);
  static void DescribeClass(TClassBuilder<TProgressBar>& c);

  int Min() const { return FMin; }
  void SetMin(int value) { SetParams(FPosition, value, FMax); }
  int Max() const { return FMax; }
  void SetMax(int value) { SetParams(FPosition, FMin, value); }
  // The window's position when there is one.
  int Position();
  void SetPosition(int value) { SetParams(value, FMin, FMax); }
  // Sets all three at once (Min ≤ Max), so no intermediate clamp is seen.
  void SetParams(int position, int min, int max);
  int Step() const { return FStep; }
  void SetStep(int value);
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool value);
  TProgressBarStyle Style() const { return FStyle; }
  void SetStyle(TProgressBarStyle value);
  int MarqueeInterval() const { return FMarqueeInterval; }
  void SetMarqueeInterval(int value);
  TProgressBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TProgressBarOrientation value);

  void StepIt();
  void StepBy(int delta);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  void ApplyMarquee();

  int FMin = 0;
  int FMax = 100;
  int FPosition = 0;
  int FStep = 10;
  bool FSmooth = false;
  TProgressBarStyle FStyle = pbstNormal;
  int FMarqueeInterval = 10;
  TProgressBarOrientation FOrientation = pbHorizontal;
};
