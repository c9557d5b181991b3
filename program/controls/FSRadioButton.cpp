#include "program/controls/FSRadioButton.h"

#include "platform/user/DrawControls.h"

void TFSRadioButton::DescribeClass(TClassBuilder<TFSRadioButton>& c) {
  c.Property("SkinName", &TFSRadioButton::SkinName, &TFSRadioButton::SetSkinName)
      .Stored(&TFSRadioButton::IsSkinNameStored);
  c.Property("GroupIndex", &TFSRadioButton::GroupIndex, &TFSRadioButton::SetGroupIndex).Default(0);
  DescribeCheckControl(c);
}

TFSRadioButton::TFSRadioButton(TComponent* owner) : TFSCheckControl(owner, "RadioButton") {}

void TFSRadioButton::SetSkinName(const AnsiString& value) {
  const AnsiString before = SkinName();
  TFSCheckControl::SetSkinName(value);
  if (SkinName() != before && HandleAllocated()) Invalidate();
}

void TFSRadioButton::SetChecked(bool value) {
  if (value == FChecked) return;
  SetTabStop(value);
  FChecked = value;
  if (value && FParent) {
    for (int i = 0; i < FParent->ControlCount(); ++i) {
      auto* other = dynamic_cast<TFSRadioButton*>(FParent->Controls(i));
      if (other && other != this && other->FGroupIndex == FGroupIndex) other->SetChecked(false);
    }
  }
  Invalidate();
}

void TFSRadioButton::Click() {
  SetChecked(true);
  inherited::Click();
}

void TFSRadioButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // Only the left button of an enabled radio button reaches the handlers.
  if (button != mbLeft || !FEnabled) return;
  if (!Focused() && CanFocus()) SetFocus();
  SetPressed(true);
  inherited::MouseDown(button, shift, x, y);
}

void TFSRadioButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (button != mbLeft || !FEnabled || !FPressed) return;
  SetPressed(false);
  if (!FChecked) Click();
}

void TFSRadioButton::CNKeyUp(TWMKey& m) {
  inherited::CNKeyUp(m);
  if (m.CharCode != VK_SPACE) return;
  SetPressed(false);
  if (!FChecked) {
    SetChecked(true);
    Click();
  }
}

void TFSRadioButton::CMDialogChar(TWMKey& m) {
  if (IsAccel(m.CharCode, Caption()) && CanFocus()) {
    SetFocus();
    m.SetResult(1);
    return;
  }
  inherited::CMDialogChar(m);
}

void TFSRadioButton::DrawFallbackBox(TCanvas* canvas, const TRect& box) {
  UINT state = DFCS_BUTTONRADIO;
  if (!FEnabled) state |= DFCS_INACTIVE;
  else if (FPressed || FChecked) state |= DFCS_CHECKED;
  RECT r = box;
  DrawFrameControl(canvas->Handle(), &r, DFC_BUTTON, state);
}
