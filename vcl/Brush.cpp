#include "vcl/Brush.h"

#include "vcl/Bitmap.h"

TBrush::~TBrush() { DeleteGdiObject(FHandle); }

void TBrush::DescribeClass(TClassBuilder<TBrush>& c) {
  c.Property("Color", &TBrush::Color, &TBrush::SetColor).Type(ColorTypeInfo()).Default(clWhite);
  c.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::Change() {
  HBRUSH old = FHandle;
  FHandle = nullptr;
  Changed();
  DeleteGdiObject(old);
}

void TBrush::Assign(TPersistent* source) {
  if (auto* brush = dynamic_cast<TBrush*>(source)) {
    if (brush == this) return;
    TGraphicsObjectLock lock(OwnerCriticalSection());
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    FBitmap = brush->FBitmap;
    Change();
    return;
  }
  inherited::Assign(source);
}

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    if (FBitmap && !FBitmap->Empty()) {
      FHandle = CreatePatternBrush(FBitmap->Handle());
    } else if (FStyle == bsClear) {
      LOGBRUSH brush{BS_NULL, 0, 0};
      FHandle = CreateBrushIndirect(&brush);
    } else if (FStyle == bsSolid) {
      FHandle = CreateSolidBrush(ColorToRGB(FColor));
    } else {
      FHandle = CreateHatchBrush(FStyle - bsHorizontal + HS_HORIZONTAL, ColorToRGB(FColor));
    }
    if (!FHandle) throw EOutOfResources("Cannot create a brush");
  }
  return FHandle;
}

void TBrush::SetHandle(HBRUSH value) {
  LOGBRUSH brush{};
  if (!value || GetObjectA(value, sizeof(brush), &brush) != sizeof(brush))
    throw EInvalidGraphic("Invalid brush handle");
  TGraphicsObjectLock lock(OwnerCriticalSection());
  FColor = static_cast<TColor>(brush.lbColor);
  FBitmap = nullptr;
  if (brush.lbStyle == BS_NULL)
    FStyle = bsClear;
  else if (brush.lbStyle == BS_HATCHED && brush.lbHatch <= HS_DIAGCROSS)
    FStyle = static_cast<TBrushStyle>(bsHorizontal + brush.lbHatch);
  else
    FStyle = bsSolid;
  Change();
  FHandle = value;
}

void TBrush::SetColor(TColor value) {
  TGraphicsObjectLock lock(OwnerCriticalSection());
  if (FColor == value) return;
  FColor = value;
  if (FStyle == bsClear) FStyle = bsSolid;
  Change();
}

void TBrush::SetStyle(TBrushStyle value) {
  TGraphicsObjectLock lock(OwnerCriticalSection());
  if (FStyle == value) return;
  FStyle = value;
  Change();
}

void TBrush::SetBitmap(TBitmap* value) {
  TGraphicsObjectLock lock(OwnerCriticalSection());
  if (FBitmap == value) return;
  FBitmap = value;
  Change();
}
