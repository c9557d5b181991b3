#include "vcl/ProgressBar.h"

#include <algorithm>

#include "platform/comctl/Progress.h"

using namespace platform;

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(Left(), Top(), 150, GetSystemMetrics(SM_CYVSCROLL));
}

void TProgressBar::DescribeClass(TClassBuilder<TProgressBar>& c) {
  c.Property("Min", &TProgressBar::Min, &TProgressBar::SetMin).Default(0);
  c.Property("Max", &TProgressBar::Max, &TProgressBar::SetMax).Default(100);
  c.Property("Position", &TProgressBar::Position, &TProgressBar::SetPosition).Default(0);
  c.Property("Step", &TProgressBar::Step, &TProgressBar::SetStep).Default(10);
  c.Property("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth).Default(0);
  c.Property("Style", &TProgressBar::Style, &TProgressBar::SetStyle).Default(pbstNormal);
  c.Property("MarqueeInterval", &TProgressBar::MarqueeInterval, &TProgressBar::SetMarqueeInterval).Default(10);
  c.Property("Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation).Default(pbHorizontal);
}

void TProgressBar::CreateParams(TCreateParams& params) {
  InitCommonControls();
  inherited::CreateParams(params);
  CreateSubClass(params, PROGRESS_CLASSA);
  if (FSmooth) params.Style |= PBS_SMOOTH;
  if (FStyle == pbstMarquee) params.Style |= PBS_MARQUEE;
  if (FOrientation == pbVertical) params.Style |= PBS_VERTICAL;
}

void TProgressBar::CreateWnd() {
  inherited::CreateWnd();
  Perform(PBM_SETRANGE32, static_cast<WPARAM>(FMin), static_cast<LPARAM>(FMax));
  Perform(PBM_SETSTEP, static_cast<WPARAM>(FStep), 0);
  Perform(PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
  ApplyMarquee();
}

int TProgressBar::Position() {
  if (HandleAllocated()) FPosition = static_cast<int>(Perform(PBM_GETPOS, 0, 0));
  return FPosition;
}

void TProgressBar::SetParams(int position, int min, int max) {
  if (max < min) std::swap(min, max);
  position = std::clamp(position, min, max);
  if (min != FMin || max != FMax) {
    FMin = min;
    FMax = max;
    if (HandleAllocated()) Perform(PBM_SETRANGE32, static_cast<WPARAM>(FMin), static_cast<LPARAM>(FMax));
  }
  FPosition = position;
  if (HandleAllocated()) Perform(PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetStep(int value) {
  FStep = value;
  if (HandleAllocated()) Perform(PBM_SETSTEP, static_cast<WPARAM>(value), 0);
}

void TProgressBar::SetSmooth(bool value) {
  if (value == FSmooth) return;
  FSmooth = value;
  RecreateWnd();
}

void TProgressBar::SetOrientation(TProgressBarOrientation value) {
  if (value == FOrientation) return;
  FOrientation = value;
  RecreateWnd();
}

void TProgressBar::SetStyle(TProgressBarStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  if (HandleAllocated()) {
    // The control switches its marquee by style, without a new window.
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style = value == pbstMarquee ? (style | PBS_MARQUEE) : (style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
    ApplyMarquee();
  }
}

void TProgressBar::SetMarqueeInterval(int value) {
  FMarqueeInterval = value;
  ApplyMarquee();
}

void TProgressBar::ApplyMarquee() {
  if (!HandleAllocated()) return;
  Perform(PBM_SETMARQUEE, FStyle == pbstMarquee ? 1 : 0, static_cast<LPARAM>(FMarqueeInterval));
}

void TProgressBar::StepIt() {
  if (HandleAllocated()) {
    Perform(PBM_STEPIT, 0, 0);
    Position();
  } else {
    SetPosition(FPosition + FStep);
  }
}

void TProgressBar::StepBy(int delta) {
  if (HandleAllocated()) {
    Perform(PBM_DELTAPOS, static_cast<WPARAM>(delta), 0);
    Position();
  } else {
    SetPosition(FPosition + delta);
  }
}
