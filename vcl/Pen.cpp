#include "vcl/Pen.h"

int PenModeToROP2(TPenMode mode) {
  static constexpr int kModes[] = {R2_BLACK,       R2_WHITE,       R2_NOP,         R2_NOT,
                                   R2_COPYPEN,     R2_NOTCOPYPEN,  R2_MERGEPENNOT, R2_MASKPENNOT,
                                   R2_MERGENOTPEN, R2_MASKNOTPEN,  R2_MERGEPEN,    R2_NOTMERGEPEN,
                                   R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,      R2_NOTXORPEN};
  return mode >= 0 && mode <= pmNotXor ? kModes[mode] : R2_COPYPEN;
}

TPen::~TPen() { DeleteGdiObject(FHandle); }

void TPen::DescribeClass(TClassBuilder<TPen>& c) {
  c.Property("Color", &TPen::Color, &TPen::SetColor).Type(ColorTypeInfo()).Default(clBlack);
  c.Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
  c.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
  c.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TPen::Change(bool dropHandle) {
  HPEN old = nullptr;
  if (dropHandle) std::swap(old, FHandle);
  Changed();
  DeleteGdiObject(old);
}

void TPen::Assign(TPersistent* source) {
  if (auto* pen = dynamic_cast<TPen*>(source)) {
    if (pen == this) return;
    TGraphicsObjectLock lock(OwnerCriticalSection());
    FColor = pen->FColor;
    FWidth = pen->FWidth;
    FStyle = pen->FStyle;
    FMode = pen->FMode;
    Change(true);
    return;
  }
  inherited::Assign(source);
}

HPEN TPen::Handle() {
  if (!FHandle) {
    static constexpr int kStyles[] = {PS_SOLID, PS_DASH,        PS_DOT,  PS_DASHDOT,  PS_DASHDOTDOT,
                                      PS_NULL,  PS_INSIDEFRAME, PS_SOLID, PS_ALTERNATE};
    FHandle = CreatePen(kStyles[FStyle], FWidth, ColorToRGB(FColor));
    if (!FHandle) throw EOutOfResources("Cannot create a pen");
  }
  return FHandle;
}

void TPen::SetHandle(HPEN value) {
  LOGPEN pen{};
  if (!value || GetObjectA(value, sizeof(pen), &pen) != sizeof(pen)) throw EInvalidGraphic("Invalid pen handle");
  TGraphicsObjectLock lock(OwnerCriticalSection());
  FColor = static_cast<TColor>(pen.lopnColor);
  FWidth = pen.lopnWidth.x;
  const int style = static_cast<int>(pen.lopnStyle & PS_STYLE_MASK);
  FStyle = style == PS_NULL ? psClear : style <= PS_INSIDEFRAME ? static_cast<TPenStyle>(style) : psSolid;
  Change(true);
  FHandle = value;
}

void TPen::SetColor(TColor value) {
  TGraphicsObjectLock lock(OwnerCriticalSection());
  if (FColor == value) return;
  FColor = value;
  Change(true);
}

void TPen::SetWidth(int value) {
  TGraphicsObjectLock lock(OwnerCriticalSection());
  if (value < 0 || FWidth == value) return;
  FWidth = value;
  Change(true);
}

void TPen::SetStyle(TPenStyle value) {
  TGraphicsObjectLock lock(OwnerCriticalSection());
  if (FStyle == value) return;
  FStyle = value;
  Change(true);
}

void TPen::SetMode(TPenMode value) {
  TGraphicsObjectLock lock(OwnerCriticalSection());
  if (FMode == value) return;
  FMode = value;
  Change(false);
}
