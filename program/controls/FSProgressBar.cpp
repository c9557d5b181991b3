#include "program/controls/FSProgressBar.h"

#include <algorithm>
#include <cstdlib>

#include "platform/user/Messages.h"
#include "program/skin/SkinDraw.h"
#include "program/controls/SkinnedControl.h"
#include "vcl/TypInfo.h"

int ProgressRepaintStep(int min, int max, int clientWidth) {
  if (clientWidth <= 0) return 1;
  const int64_t range = std::llabs(int64_t{max} - min);
  return static_cast<int>(std::clamp<int64_t>(range / clientWidth, 1, INT32_MAX));
}

void TFSProgressBar::DescribeClass(TClassBuilder<TFSProgressBar>& c) {
  c.Property("SkinName", &TFSProgressBar::SkinName, &TFSProgressBar::SetSkinName)
      .Stored(&TFSProgressBar::IsSkinNameStored);
  c.Property("Min", &TFSProgressBar::Min, &TFSProgressBar::SetMin).Default(0);
  c.Property("Max", &TFSProgressBar::Max, &TFSProgressBar::SetMax).Default(100);
  c.Property("Position", &TFSProgressBar::Position, &TFSProgressBar::SetPosition).Default(0);
  c.Property("Transparent", &TFSProgressBar::Transparent, &TFSProgressBar::SetTransparent).Default(1);
  c.Property("ShowPercent", &TFSProgressBar::ShowPercent, &TFSProgressBar::SetShowPercent).Default(0);
  c.Property("OnChange", &TFSProgressBar::OnChange);
}

// The bar starts transparent, its published default, so a form that stores nothing for
// Transparent reads back what it saved.
TFSProgressBar::TFSProgressBar(TComponent* owner) : TFSSkinGraphicControl(owner, "ProgressBar") {
  UpdateSkin();
  SetBounds(0, 0, 200, 16);
}

void TFSProgressBar::Dispatch(TMessage& message) {
  inherited::Dispatch(message);
  if (message.Msg == WM_SIZE) {
    FStep = ProgressRepaintStep(FMin, FMax, ClientWidth());
    Invalidate();
  }
}

void TFSProgressBar::UpdateSkin() {
  FPart = ResolveSkinPart(this, FSkinItemName, FPartId, {.Adopt = [this](TSkinItemPart* part) {
                            if (part) SetTransparent(part->IsTransparent());
                          }});
}

void TFSProgressBar::Changed() {
  if (OnChange) OnChange(this);
}

void TFSProgressBar::SetPosition(int value) {
  value = std::min(std::max(value, FMin), FMax);
  if (value == FPosition) return;
  FPosition = value;
  if (value != 0 && value != FMax && std::llabs(int64_t{value} - FLastPaintedPosition) < FStep) {
    Changed();
    return;
  }
  FLastPaintedPosition = value;
  Invalidate();
  Changed();
}

void TFSProgressBar::SetMax(int value) {
  if (value <= FMin) value = FMin < INT32_MAX ? FMin + 1 : FMin;
  if (value == FMax) return;
  FMax = value;
  if (FPosition > FMax) FPosition = FMax;
  Invalidate();
  Changed();
}

void TFSProgressBar::SetMin(int value) {
  if (value == FMin) return;
  FMin = value;
  if (FPosition < FMin) FPosition = FMin;
  Invalidate();
  Changed();
}

void TFSProgressBar::SetShowPercent(bool value) {
  if (value == FShowPercent) return;
  FShowPercent = value;
  Invalidate();
}

// A range with Min at or above Max is drawn as an empty bar by the progress drawing.
void TFSProgressBar::Paint() {
  DrawSkinProgress(Canvas(), ClientRect(), FPart, FPosition, FMin, FMax, FShowPercent);
}
