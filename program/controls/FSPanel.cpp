#include "program/controls/FSPanel.h"

#include "program/skin/DrawUtils.h"

namespace {
// No move, no size, no z-order change, no activation, frame changed (and bits SetWindowPos
// does not know): the window recomputes its non-client area.
constexpr UINT kRecomputeFrame = 0x1837;
}  // namespace

void TFSPanel::DescribeClass(TClassBuilder<TFSPanel>& c) {
  c.Property("SkinName", &TFSPanel::SkinName, &TFSPanel::SetSkinName).Stored(&TFSPanel::IsSkinNameStored);
  c.Property("Caption", &TFSPanel::Caption, &TFSPanel::SetCaption);
  c.Property("Transparent", &TFSPanel::Transparent, &TFSPanel::SetTransparent).Default(0);
  c.Property("ParentBackground", &TFSPanel::ParentBackground, &TFSPanel::SetParentBackground).Stored(false);
}

TFSPanel::TFSPanel(TComponent* owner) : TCustomControl(owner) {
  FControlStyle.Include(csAcceptsControls);
  FControlStyle.Include(csReplicatable);
  FControlStyle.Include(csPannable);
  SetBounds(FLeft, FTop, 185, 41);
  UpdateSkin();
}

void TFSPanel::UpdateSkin() { FSkinPart = ResolveSkinPart(this, FSkinName, FPartId); }

void TFSPanel::SetSkinName(const AnsiString& value) {
  if (!SetSkinReference(FSkinName, FPartId, FSkinPart, value)) return;
  UpdateSkin();
  if (HandleAllocated()) SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, kRecomputeFrame);
}

void TFSPanel::Loaded() {
  inherited::Loaded();
  UpdateSkin();
}

void TFSPanel::CMSkinChanged(TMessage& m) {
  inherited::Dispatch(m);
  UpdateSkin();
}

void TFSPanel::Paint() {
  TCanvas* canvas = Canvas();
  const TRect r = ClientRect();
  if (!Transparent()) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FColor);
    canvas->FillRect(r);
  }
  DrawDesignFrame(this, canvas);
  if (FSkinPart)
    if (TSkinItemState* state = FSkinPart->GetState(0)) state->Draw(canvas, r);
}

void TFSPanel::WMEraseBkgnd(TWMEraseBkgnd& m) {
  // A panel that is not transparent fills itself in Paint.
  if (!EraseTransparentBackground(this, m)) m.SetResult(1);
}

void TFSPanel::Dispatch(TMessage& m) {
  if (m.Msg == CM_SKINCHANGED) {
    CMSkinChanged(m);
    return;
  }
  inherited::Dispatch(m);
}
