#include "vcl/Margins.h"

#include "vcl/TypInfo.h"

void TMargins::DescribeClass(TClassBuilder<TMargins>& c) {
  c.Property("Left", &TMargins::Left, &TMargins::SetLeft).Default(3);
  c.Property("Top", &TMargins::Top, &TMargins::SetTop).Default(3);
  c.Property("Right", &TMargins::Right, &TMargins::SetRight).Default(3);
  c.Property("Bottom", &TMargins::Bottom, &TMargins::SetBottom).Default(3);
}

void TPadding::DescribeClass(TClassBuilder<TPadding>& c) {
  c.Property("Left", &TPadding::Left, &TPadding::SetLeft).Default(0);
  c.Property("Top", &TPadding::Top, &TPadding::SetTop).Default(0);
  c.Property("Right", &TPadding::Right, &TPadding::SetRight).Default(0);
  c.Property("Bottom", &TPadding::Bottom, &TPadding::SetBottom).Default(0);
}

TMargins::TMargins(TControl* control, int initial)
    : FControl(control), FLeft(initial), FTop(initial), FRight(initial), FBottom(initial) {}

void TMargins::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TMargins*>(source)) {
    SetBounds(other->FLeft, other->FTop, other->FRight, other->FBottom);
    return;
  }
  inherited::Assign(source);
}

void TMargins::SetBounds(int left, int top, int right, int bottom) {
  if (left == FLeft && top == FTop && right == FRight && bottom == FBottom) return;
  FLeft = left;
  FTop = top;
  FRight = right;
  FBottom = bottom;
  Change();
}

void TMargins::SetMargin(int& field, int value) {
  if (value == field) return;
  field = value;
  Change();
}

void TMargins::Change() {
  if (OnChange) OnChange(this);
}

TRect TMargins::Outer(const TRect& bounds) const {
  return {bounds.Left - FLeft, bounds.Top - FTop, bounds.Right + FRight, bounds.Bottom + FBottom};
}

TRect TMargins::Inner(const TRect& room) const {
  return {room.Left + FLeft, room.Top + FTop, room.Right - FRight, room.Bottom - FBottom};
}
