#pragma once

// TFSProgressBar: a window-less progress bar drawn from a skin part (state 0 the track,
// state 1 the bar), optionally with the percentage. Position changes smaller than one pixel
// of the bar's width (the repaint step, set by WM_SIZE) only fire OnChange; the ends always
// repaint. A range with Min at or above Max draws an empty bar.
//
// GUI thread only. The resolved part belongs to the skin engine.

#include "program/controls/FSSkinGraphicControl.h"

// |max - min| div clientWidth, at least 1 (also for a client width of 0 or less).
int ProgressRepaintStep(int min, int max, int clientWidth);

class TFSProgressBar : public TFSSkinGraphicControl {
  BRANTWELL_CLASS(TFSProgressBar, TFSSkinGraphicControl)

 public:
  explicit TFSProgressBar(TComponent* owner);
  static void DescribeClass(TClassBuilder<TFSProgressBar>& c);

  int Max() const { return FMax; }
  void SetMax(int value);
  int Min() const { return FMin; }
  void SetMin(int value);
  int Position() const { return FPosition; }
  void SetPosition(int value);
  bool ShowPercent() const { return FShowPercent; }
  void SetShowPercent(bool value);

  void UpdateSkin() override;
  int RepaintStep() const { return FStep; }

  TNotifyEvent OnChange;

  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;

 private:
  bool IsSkinNameStored() const { return FSkinItemName != "ProgressBar" || FPartId != 0; }
  void Changed();

  int FMax = 100;
  int FMin = 0;
  int FPosition = 0;
  int FStep = 0;
  int FLastPaintedPosition = 0;
  bool FShowPercent = false;
};
