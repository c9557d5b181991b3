#include "vcl/Image.h"

#include <algorithm>

void TImage::DescribeClass(TClassBuilder<TImage>& c) {
  c.Property("Picture", &TImage::Picture, &TImage::SetPicture);
  c.Property("Center", &TImage::Center, &TImage::SetCenter).Default(0);
  c.Property("Stretch", &TImage::Stretch, &TImage::SetStretch).Default(0);
  c.Property("Proportional", &TImage::Proportional, &TImage::SetProportional).Default(0);
  c.Property("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(0);
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(std::make_unique<TPicture>()) {
  FPicture->SetOnChange([this](TObject* sender) { PictureChanged(sender); });
  SetBounds(Left(), Top(), 105, 105);
}

TImage::~TImage() = default;

void TImage::SetCenter(bool value) {
  if (FCenter == value) return;
  FCenter = value;
  Invalidate();
}

void TImage::SetStretch(bool value) {
  if (FStretch == value) return;
  FStretch = value;
  Invalidate();
}

void TImage::SetProportional(bool value) {
  if (FProportional == value) return;
  FProportional = value;
  Invalidate();
}

void TImage::SetTransparent(bool value) {
  if (FTransparent == value) return;
  FTransparent = value;
  if (TGraphic* graphic = FPicture->Graphic()) graphic->SetTransparent(value);
  Invalidate();
}

void TImage::PictureChanged(TObject*) {
  if (TGraphic* graphic = FPicture->Graphic()) {
    if (graphic->Transparent() != FTransparent) graphic->SetTransparent(FTransparent);
  }
  Invalidate();
}

TRect TImage::DestRect() const {
  const int w = FPicture->Width(), h = FPicture->Height();
  const int cw = Width(), ch = Height();  // no frame: the client is the whole control
  int width = w, height = h;
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional && w > 0 && h > 0) {
      // The largest size of the picture's proportions that fits.
      if (static_cast<long long>(cw) * h <= static_cast<long long>(ch) * w) {
        width = cw;
        height = static_cast<int>(static_cast<long long>(h) * cw / w);
      } else {
        height = ch;
        width = static_cast<int>(static_cast<long long>(w) * ch / h);
      }
    } else {
      width = cw;
      height = ch;
    }
  }
  int left = 0, top = 0;
  if (FCenter) {
    left = (cw - width) / 2;
    top = (ch - height) / 2;
  }
  return TRect(left, top, left + width, top + height);
}

void TImage::Paint() {
  TGraphic* graphic = FPicture->Graphic();
  if (!graphic || graphic->Empty()) return;
  Canvas()->StretchDraw(DestRect(), graphic);
}
