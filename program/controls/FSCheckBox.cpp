#include "program/controls/FSCheckBox.h"

#include "program/skin/DrawUtils.h"

void TFSCheckBox::DescribeClass(TClassBuilder<TFSCheckBox>& c) {
  c.Property("SkinName", &TFSCheckBox::SkinName, &TFSCheckBox::SetSkinName).Stored(&TFSCheckBox::IsSkinNameStored);
  DescribeCheckControl(c);
}

TFSCheckBox::TFSCheckBox(TComponent* owner) : TFSCheckControl(owner, "CheckBox") {}

void TFSCheckBox::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  Invalidate();
}

void TFSCheckBox::Click() {
  SetChecked(!FChecked);
  inherited::Click();
}

void TFSCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (button != mbLeft || !FEnabled) return;
  if (!Focused() && CanFocus()) SetFocus();
  SetPressed(true);
}

void TFSCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (button != mbLeft || !FEnabled) return;
  SetPressed(false);
  Click();
}

void TFSCheckBox::CNKeyUp(TWMKey& m) {
  inherited::CNKeyUp(m);
  if (m.CharCode != VK_SPACE) return;
  SetPressed(false);
  Click();
}

void TFSCheckBox::CMDialogChar(TWMKey& m) {
  if (IsAccel(m.CharCode, Caption()) && CanFocus()) {
    SetFocus();
    SetChecked(!FChecked);
    m.SetResult(1);
    return;
  }
  inherited::CMDialogChar(m);
}

void TFSCheckBox::DrawFallbackBox(TCanvas* canvas, const TRect& box) {
  DrawCheckBoxFrame(this, canvas->Handle(), box, FEnabled, FMouseInClient, FPressed, FChecked, Transparent());
}
