#include "vcl/ImageList.h"

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::DescribeClass(TClassBuilder<TCustomImageList>& c) {
  c.Property("BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor).Type(ColorTypeInfo()).Default(clNone);
  c.Property("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight).Default(16);
  c.Property("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked).Default(true);
  c.Property("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth).Default(16);
}

void TCustomImageList::Change() {
  if (FOnChange) FOnChange(this);
}

void TCustomImageList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EInvalidOperation("Invalid ImageList Index");
}

void TCustomImageList::SetSize(int width, int height) {
  if (width <= 0 || height <= 0) throw EInvalidOperation("Invalid image size");
  if (width == FWidth && height == FHeight) return;
  FWidth = width;
  FHeight = height;
  FImages.clear();
  Change();
}

void TCustomImageList::SetMasked(bool value) {
  if (value == FMasked) return;
  FMasked = value;
  Change();
}

void TCustomImageList::SetBkColor(TColor value) {
  if (value == FBkColor) return;
  FBkColor = value;
  Change();
}

TCustomImageList::Entry TCustomImageList::MakeEntry(TBitmap* image, int column, TBitmap* mask, TColor maskColor,
                                                    bool byColor) {
  Entry entry;
  entry.image = std::make_unique<TBitmap>(FWidth, FHeight, pf32bit);
  const TRect cell = Bounds(column * FWidth, 0, FWidth, FHeight);
  const TRect whole(0, 0, FWidth, FHeight);
  entry.image->Canvas()->CopyRect(whole, image->Canvas(), cell);
  if (byColor) {
    // Pixels of the key colour become the mask's 1s and black in the image, so that the
    // XOR of the drawing leaves the background as it was.
    const COLORREF key = ColorToRGB(maskColor) & 0xFFFFFF;
    entry.mask = std::make_unique<TBitmap>(FWidth, FHeight, pf1bit);
    auto* maskCanvas = entry.mask->Canvas();
    for (int y = 0; y < FHeight; ++y) {
      auto* row = static_cast<uint8_t*>(entry.image->ScanLine(y));
      for (int x = 0; x < FWidth; ++x) {
        uint8_t* p = row + 4 * x;
        const COLORREF color = RGB(p[2], p[1], p[0]);
        const bool transparent = color == key;
        maskCanvas->SetPixels(x, y, transparent ? clWhite : clBlack);
        if (transparent) p[0] = p[1] = p[2] = 0;
      }
    }
  } else if (mask && !mask->Empty()) {
    entry.mask = std::make_unique<TBitmap>(FWidth, FHeight, pf1bit);
    entry.mask->Canvas()->CopyRect(whole, mask->Canvas(), cell);
    // Where the mask shows the background the image must be black for the XOR.
    for (int y = 0; y < FHeight; ++y) {
      auto* row = static_cast<uint8_t*>(entry.image->ScanLine(y));
      for (int x = 0; x < FWidth; ++x)
        if (entry.mask->Canvas()->Pixels(x, y) != clBlack) row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = 0;
    }
  }
  return entry;
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image || image->Empty()) return -1;
  const int first = Count();
  const int columns = std::max(1, image->Width() / FWidth);
  for (int column = 0; column < columns; ++column) FImages.push_back(MakeEntry(image, column, mask, clNone, false));
  Change();
  return first;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!image || image->Empty()) return -1;
  if (maskColor == clDefault) maskColor = image->Canvas()->Pixels(0, image->Height() - 1);
  const int first = Count();
  const int columns = std::max(1, image->Width() / FWidth);
  for (int column = 0; column < columns; ++column) FImages.push_back(MakeEntry(image, column, nullptr, maskColor, true));
  Change();
  return first;
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
  CheckIndex(index);
  if (!image || image->Empty()) throw EInvalidOperation("Failed to replace image");
  FImages[index] = MakeEntry(image, 0, mask, clNone, false);
  Change();
}

void TCustomImageList::Delete(int index) {
  CheckIndex(index);
  FImages.erase(FImages.begin() + index);
  Change();
}

void TCustomImageList::Clear() {
  if (FImages.empty()) return;
  FImages.clear();
  Change();
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  if (!canvas || index < 0 || index >= Count()) return;
  Entry& entry = FImages[index];
  TBitmap* image = entry.image.get();
  std::unique_ptr<TBitmap> gray;
  if (!enabled) {
    gray = std::make_unique<TBitmap>();
    gray->Assign(image);
    for (int row = 0; row < FHeight; ++row) {
      auto* p = static_cast<uint8_t*>(gray->ScanLine(row));
      for (int column = 0; column < FWidth; ++column, p += 4) {
        const uint8_t level = static_cast<uint8_t>((77 * p[2] + 150 * p[1] + 29 * p[0] + 128) >> 8);
        p[0] = p[1] = p[2] = level;
      }
    }
    image = gray.get();
  }
  HDC dc = canvas->Handle();
  const bool useMask = FMasked && entry.mask && FBkColor == clNone;
  if (FBkColor != clNone) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(FBkColor));
    RECT cell{x, y, x + FWidth, y + FHeight};
    ::FillRect(dc, &cell, brush);
    DeleteObject(brush);
  }
  if (!useMask && !(entry.mask && FBkColor != clNone)) {
    BitBlt(dc, x, y, FWidth, FHeight, image->Canvas()->Handle(), 0, 0, SRCCOPY);
    return;
  }
  // Mask AND clears the image's place, the image XOR puts it in (its masked pixels are black).
  const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF back = ::SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, x, y, FWidth, FHeight, entry.mask->Canvas()->Handle(), 0, 0, SRCAND);
  BitBlt(dc, x, y, FWidth, FHeight, image->Canvas()->Handle(), 0, 0, SRCINVERT);
  SetTextColor(dc, text);
  ::SetBkColor(dc, back);
}

bool TCustomImageList::GetBitmap(int index, TBitmap* image) {
  if (!image || index < 0 || index >= Count()) return false;
  image->SetSize(FWidth, FHeight);
  image->Canvas()->Brush()->SetColor(FBkColor == clNone ? clBlack : FBkColor);
  image->Canvas()->FillRect(Rect(0, 0, FWidth, FHeight));
  Draw(image->Canvas(), 0, 0, index);
  return true;
}
