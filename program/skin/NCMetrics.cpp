#include "program/skin/NCMetrics.h"

#include "vcl/TypInfo.h"

void TNCMetrics::DescribeClass(TClassBuilder<TNCMetrics>& c) {
  c.Property("CaptionHeight", &TNCMetrics::CaptionHeight, &TNCMetrics::SetCaptionHeight).Default(DefaultCaptionHeight);
  c.Property("Top", &TNCMetrics::Top, &TNCMetrics::SetTop).Default(DefaultSide);
  c.Property("Left", &TNCMetrics::Left, &TNCMetrics::SetLeft).Default(DefaultSide);
  c.Property("Right", &TNCMetrics::Right, &TNCMetrics::SetRight).Default(DefaultSide);
  c.Property("Bottom", &TNCMetrics::Bottom, &TNCMetrics::SetBottom).Default(DefaultSide);
}

void TNCMetrics::Changing() {
  if (FUpdateCount == 0 && OnChanging) OnChanging(this);
}

void TNCMetrics::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TNCMetrics::SetValue(int32_t& field, int value) {
  if (field == value) return;
  Changing();
  field = value;
  Changed();
}

void TNCMetrics::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TNCMetrics*>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  Changing();
  FRight = other->FRight;
  FCaptionHeight = other->FCaptionHeight;
  FBottom = other->FBottom;
  FTop = other->FTop;
  FLeft = other->FLeft;
  Changed();
}

void TNCMetrics::Reset() {
  Changing();
  FRight = FBottom = FTop = FLeft = DefaultSide;
  FCaptionHeight = DefaultCaptionHeight;
  Changed();
}
