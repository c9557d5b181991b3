#include "program/controls/FSSkinImage.h"

#include <cmath>

#include "program/skin/DrawUtils.h"
#include "program/controls/SkinnedControl.h"
#include "vcl/TypInfo.h"

namespace {
// Fill modes of a skin part.
constexpr uint8_t kFillNone = 1, kFillStretch = 2, kFillCenter = 3, kFillTile = 4;
}  // namespace

TRect SkinImageDestRect(int w, int h, int cw, int ch, bool tile, bool stretch, bool proportional, bool center) {
  if (tile || w == 0 || h == 0) return TRect(0, 0, cw, ch);
  if (stretch || (proportional && (w > cw || h > ch))) {
    if (!proportional || w <= 0 || h <= 0) {
      w = cw;
      h = ch;
    } else {
      const double ratio = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<int>(std::trunc(cw / ratio));
        if (h > ch) {
          h = ch;
          w = static_cast<int>(std::trunc(ch * ratio));
        }
      } else {
        h = ch;
        w = static_cast<int>(std::trunc(ch * ratio));
        if (w > cw) {
          w = cw;
          h = static_cast<int>(std::trunc(cw / ratio));
        }
      }
    }
  }
  TRect r(0, 0, w, h);
  if (center) {
    const int dx = (cw - w) / 2, dy = (ch - h) / 2;
    r = TRect(dx, dy, dx + w, dy + h);
  }
  return r;
}

void AutoSizeForAlign(TAlign align, int w, int h, int& width, int& height) {
  if (align == alNone || align == alLeft || align == alRight) width = w;
  if (align == alNone || align == alTop || align == alBottom) height = h;
}

void TFSSkinImage::DescribeClass(TClassBuilder<TFSSkinImage>& c) {
  c.Property("SkinName", &TFSSkinImage::SkinName, &TFSSkinImage::SetSkinName);
  c.Property("Proportional", &TFSSkinImage::Proportional, &TFSSkinImage::SetProportional).Default(0);
  c.Property("Stretch", &TFSSkinImage::Stretch, &TFSSkinImage::SetStretch).Default(0);
  c.Property("Center", &TFSSkinImage::Center, &TFSSkinImage::SetCenter).Default(1);
  c.Property("Transparent", &TFSSkinImage::Transparent, &TFSSkinImage::SetTransparent).Default(1);
  c.Property("AutoSize", &TFSSkinImage::AutoSize, &TFSSkinImage::SetAutoSize).Default(0);
}

TFSSkinImage::TFSSkinImage(TComponent* owner) : TFSSkinGraphicControl(owner, AnsiString()) {
  SetBounds(FLeft, FTop, 105, 105);
  UpdateSkin();
}

TFSSkinImage::~TFSSkinImage() = default;

void TFSSkinImage::UpdateSkin() {
  TSkinResolveSteps steps;
  steps.BeforeApply = [this](TSkinItemPart& part) {
    FPart = &part;
    if (FAutoSize) ApplyAutoSize();
  };
  steps.Adopt = [this](TSkinItemPart* part) {
    if (part) {
      switch (part->FillMode) {
        case kFillNone: FStretch = false; break;
        case kFillStretch: FStretch = true; break;
        case kFillCenter:
          FCenter = true;
          FStretch = false;
          break;
        case kFillTile: FTile = true; break;
        default: break;
      }
    }
    SetTransparent(!part || part->IsTransparent() || !FStretch);
  };
  FPart = ResolveSkinPart(this, FSkinItemName, FPartId, steps);
}

void TFSSkinImage::ApplyAutoSize() {
  if (!FPart) return;
  const TSize size = FPart->GetSize();
  const bool designing = ComponentState().Contains(csDesigning);
  if (size.cx < 1 || size.cy < 1) {
    if (designing) return;
  }
  int width = FWidth, height = FHeight;
  AutoSizeForAlign(FAlign, size.cx > 0 ? size.cx : FWidth, size.cy > 0 ? size.cy : FHeight, width, height);
  SetBounds(FLeft, FTop, width, height);
}

void TFSSkinImage::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  if (value) ApplyAutoSize();
}

void TFSSkinImage::SetCenter(bool value) {
  if (value == FCenter) return;
  FCenter = value;
  Invalidate();
}

void TFSSkinImage::SetStretch(bool value) {
  if (value == FStretch) return;
  FStretch = value;
  Invalidate();
}

void TFSSkinImage::SetProportional(bool value) {
  if (value == FProportional) return;
  FProportional = value;
  Invalidate();
}

TRect TFSSkinImage::DestRect() {
  TSkinItemState* state = FPart ? FPart->GetState(0) : nullptr;
  if (!state) return TRect(0, 0, 0, 0);
  return SkinImageDestRect(state->GetWidth(), state->GetHeight(), ClientWidth(), ClientHeight(), FTile, FStretch,
                           FProportional, FCenter);
}

void TFSSkinImage::Paint() {
  TSkinItemState* state = FPart ? FPart->GetState(0) : nullptr;
  if (!FAnimator) FAnimator = std::make_unique<TControlSkinFrameAnimator>(this, true);
  FAnimator->SetSkinState(state);
  FAnimator->SetActive(true);
  if (state)
    state->Draw(Canvas(), DestRect(), FAnimator->FrameIndex);
  else
    DrawDesignFrame(this, Canvas());
}
