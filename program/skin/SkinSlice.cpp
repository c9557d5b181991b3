#include "program/skin/SkinSlice.h"

#include "program/imaging/BitmapUtils.h"
#include "program/imaging/NineGrid.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinFile.h"
#include "vcl/Control.h"

// ---- TSkinItemSlice -------------------------------------------------------------------------

void TSkinItemSlice::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TSkinItemSlice*>(source)) {
    Id = other->Id;
    Rect = other->Rect;
    Margins.Assign(&other->Margins);
    TransparentColor = other->TransparentColor;
    return;
  }
  inherited::Assign(source);
}

bool TSkinItemSlice::Equals(TGraphic* graphic) {
  auto* other = dynamic_cast<TSkinItemSlice*>(graphic);
  return other && other->Id == Id && other->Owner == Owner && other->Rect == Rect;
}

TBitmap* TSkinItemSlice::GetImage() {
  if (!Owner) return nullptr;
  TSkinImageRef* ref = nullptr;
  if (Owner->Graphic.NamesFile()) ref = &Owner->Graphic;
  else if (Owner->SkinFile && Owner->SkinFile->Graphic.NamesFile()) ref = &Owner->SkinFile->Graphic;
  if (!ref) return nullptr;
  auto* bitmap = dynamic_cast<TBitmap*>(ref->GetImage(TSkinImageRef::KindBitmap, true));
  if (bitmap && HasColorKey() && !AlphaReady) {
    SetBitmapAlphaRect(bitmap, Rect, 255);
    AlphaReady = true;
  }
  return bitmap;
}

void TSkinItemSlice::Draw(TCanvas* canvas, const TRect& rect) {
  if (!canvas || GetWidth() < 1 || GetHeight() < 1) return;
  TBitmap* image = GetImage();
  if (!image) return;
  const uint8_t mode = HasColorKey()                      ? NineGridMode::ColorKey
                       : image->PixelFormat() == pf32bit ? NineGridMode::Alpha
                                                         : NineGridMode::Copy;
  image->Dormant();
  const TNineGridMargins margins{Margins.Left, Margins.Right, Margins.Top, Margins.Bottom};
  DrawBitmapPart(canvas->Handle(), rect, image->Handle(), Rect, margins, margins, mode,
                 HasColorKey() ? ColorToRGB(TransparentColor) : 0, NineGridPiece::All, nullptr);
}

void TSkinItemSlice::AssignTo(TPersistent* dest) {
  if (auto* slice = dynamic_cast<TSkinItemSlice*>(dest)) {
    slice->Assign(this);
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    TBitmap* image = GetImage();
    if (!image) return;
    CopyBitmapRect(image, Rect, bitmap);
    if (HasColorKey()) bitmap->SetTransparentColor(TransparentColor);
    return;
  }
  inherited::AssignTo(dest);
}

// ---- TControlSkinPart -----------------------------------------------------------------------

void TControlSkinPart::Init(TControl* control) {
  Clear();
  Control = control;
}

void TControlSkinPart::Done() {
  delete Animator;
  Animator = nullptr;
}

void TControlSkinPart::Clear() {
  SkinName.clear();
  PartId = 0;
  Part = nullptr;
}

AnsiString TControlSkinPart::GetSkinName() const { return TFSSkinEngine::FormatSkinName(SkinName, PartId); }

void TControlSkinPart::SetSkin(const AnsiString& name, int id) {
  SkinName = name;
  PartId = id;
  UpdatePart();
}

void TControlSkinPart::SetSkinName(const AnsiString& text) {
  if (text == GetSkinName()) return;
  int id = 0;
  TFSSkinEngine::ParseSkinName(text, SkinName, id);
  PartId = id;
}

void TControlSkinPart::UpdatePart() {
  Part = SkinEngine ? SkinEngine->GetSkinPart(SkinName, PartId) : nullptr;
  if (Control) Control->Invalidate();
}

void TControlSkinPart::ApplyToControl(TControl* control) {
  if (Part) Part->ApplyToControl(control);
}

void TControlSkinPart::UpdateAnimation(TSkinItemState* state, bool active) {
  if (!Animator) Animator = new TControlSkinFrameAnimator(Control, active);
  else if (state) Animator->SetActive(active);
  Animator->SetSkinState(state);
}
