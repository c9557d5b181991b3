// Loads arbitrary bytes through the class library's own picture readers: TBitmap's BMP reader
// and TIcon's ICO reader. A picture that loads is read row by row, drawn into a small bitmap,
// saved and loaded again. Bad input must end in EInvalidGraphic (or another Exception), never
// in a crash or an out-of-bounds access.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "rtl/Exceptions.h"
#include "vcl/Bitmap.h"
#include "vcl/Canvas.h"
#include "vcl/Classes.h"
#include "vcl/Icon.h"

namespace {

// Pictures this large are loaded but not read back or drawn, so that one run stays quick.
constexpr int64_t kMaxTouchedPixels = int64_t{1} << 22;

void TouchRows(TBitmap& bitmap) {
  const int64_t width = bitmap.Width(), height = bitmap.Height();
  if (width <= 0 || height <= 0 || width * height > kMaxTouchedPixels) return;
  volatile uint8_t sum = 0;
  const int bits = PixelFormatBits(bitmap.PixelFormat());
  const int64_t rowBytes = bits > 0 ? (width * bits + 7) / 8 : 1;
  for (int y = 0; y < height; ++y) {
    const auto* row = static_cast<const uint8_t*>(bitmap.ScanLine(y));
    sum = sum + row[0] + row[rowBytes - 1];
  }
}

void DrawSmall(TGraphic* graphic) {
  const int64_t width = graphic->Width(), height = graphic->Height();
  if (width <= 0 || height <= 0 || width * height > kMaxTouchedPixels) return;
  TBitmap target(16, 16);
  target.Canvas()->StretchDraw(Rect(0, 0, 16, 16), graphic);
  target.Canvas()->Draw(0, 0, graphic);
}

template <typename Graphic>
void RoundTrip(Graphic& graphic) {
  TStringStream saved;
  graphic.SaveToStream(saved);
  saved.SetPosition(0);
  Graphic again;
  again.LoadFromStream(saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const RawByteString bytes(reinterpret_cast<const char*>(data), size);
  try {
    TStringStream stream(bytes);
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    TouchRows(bitmap);
    DrawSmall(&bitmap);
    if (int64_t{bitmap.Width()} * bitmap.Height() <= kMaxTouchedPixels) RoundTrip(bitmap);
  } catch (const Exception&) {
  }
  try {
    TStringStream stream(bytes);
    TIcon icon;
    icon.LoadFromStream(stream);
    if (TBitmap* color = icon.ColorBitmap()) TouchRows(*color);
    if (TBitmap* mask = icon.MaskBitmap()) TouchRows(*mask);
    DrawSmall(&icon);
    RoundTrip(icon);
  } catch (const Exception&) {
  }
  return 0;
}
