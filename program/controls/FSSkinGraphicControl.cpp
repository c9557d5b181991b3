#include "program/controls/FSSkinGraphicControl.h"

#include "program/controls/SkinnedControl.h"

TFSSkinGraphicControl::TFSSkinGraphicControl(TComponent* owner, const AnsiString& skinItemName)
    : TGraphicControl(owner), FSkinItemName(skinItemName) {}

void TFSSkinGraphicControl::Dispatch(TMessage& message) {
  inherited::Dispatch(message);
  if (message.Msg == CM_SKINCHANGED) UpdateSkin();
}

void TFSSkinGraphicControl::Loaded() {
  inherited::Loaded();
  UpdateSkin();
}

TSkinName TFSSkinGraphicControl::SkinName() const { return TFSSkinEngine::FormatSkinName(FSkinItemName, FPartId); }

void TFSSkinGraphicControl::SetSkinName(const TSkinName& value) {
  if (!SetSkinReference(FSkinItemName, FPartId, FPart, value)) return;
  UpdateSkin();
  Invalidate();
}

void TFSSkinGraphicControl::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  TControlStyle style = ControlStyle();
  if (value)
    style.Exclude(csOpaque);
  else
    style.Include(csOpaque);
  SetControlStyle(style);
  Invalidate();
}
