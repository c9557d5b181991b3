// Loads arbitrary bytes as a picture through the imaging layer (BMP, JPEG with EXIF, PNG, GIF
// with frames, TIFF with pages, icons), the way a user's imported photo is loaded: queries its
// size, format, frames and properties, selects every frame, reads its pixels as 32bppARGB,
// draws it into a small bitmap and saves it as PNG.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gdiplus/Gdiplus.h"

namespace {

// Frames this large are decoded but not converted or drawn, so that one run stays quick.
constexpr uint64_t kMaxConvertedPixels = uint64_t{1} << 22;

const CLSID* PngEncoder() {
  static CLSID clsid{};
  static bool found = [] {
    UINT count = 0, size = 0;
    if (GdipGetImageEncodersSize(&count, &size) != Ok || count == 0) return false;
    std::vector<uint8_t> buffer(size);
    auto* encoders = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (GdipGetImageEncoders(count, size, encoders) != Ok) return false;
    for (UINT i = 0; i < count; ++i)
      if (encoders[i].FormatID == ImageFormatPNG) {
        clsid = encoders[i].Clsid;
        return true;
      }
    return false;
  }();
  return found ? &clsid : nullptr;
}

void QueryProperties(GpImage* image) {
  UINT count = 0;
  if (GdipGetPropertyCount(image, &count) != Ok || count == 0) return;
  std::vector<PROPID> ids(count);
  if (GdipGetPropertyIdList(image, count, ids.data()) != Ok) return;
  for (PROPID id : ids) {
    UINT size = 0;
    if (GdipGetPropertyItemSize(image, id, &size) != Ok || size < sizeof(PropertyItem)) continue;
    std::vector<uint8_t> buffer(size);
    auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
    if (GdipGetPropertyItem(image, id, size, item) != Ok) continue;
    // Touch every byte of the value so that a wrong length shows up as an overflow.
    volatile uint8_t sum = 0;
    const auto* value = static_cast<const uint8_t*>(item->value);
    for (ULONG i = 0; i < item->length && value; ++i) sum = sum + value[i];
  }
}

void ExerciseFrame(GpImage* image) {
  UINT width = 0, height = 0;
  GdipGetImageWidth(image, &width);
  GdipGetImageHeight(image, &height);
  PixelFormat format = 0;
  GdipGetImagePixelFormat(image, &format);
  UINT flags = 0;
  GdipGetImageFlags(image, &flags);
  INT paletteSize = 0;
  if (GdipGetImagePaletteSize(image, &paletteSize) == Ok && paletteSize >= static_cast<INT>(sizeof(ColorPalette))) {
    std::vector<uint8_t> palette(static_cast<size_t>(paletteSize));
    GdipGetImagePalette(image, reinterpret_cast<ColorPalette*>(palette.data()), paletteSize);
  }
  if (width == 0 || height == 0 || uint64_t{width} * height > kMaxConvertedPixels) return;

  auto* bitmap = static_cast<GpBitmap*>(image);
  BitmapData data{};
  if (GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data) == Ok) {
    volatile uint32_t sum = 0;
    for (UINT y = 0; y < data.Height; ++y) {
      const auto* row = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
      sum = sum + row[0] + row[data.Width * 4 - 1];
    }
    GdipBitmapUnlockBits(bitmap, &data);
  }

  GpBitmap* target = nullptr;
  if (GdipCreateBitmapFromScan0(16, 16, 0, PixelFormat32bppARGB, nullptr, &target) == Ok) {
    GpGraphics* graphics = nullptr;
    if (GdipGetImageGraphicsContext(target, &graphics) == Ok) {
      GdipDrawImageRectI(graphics, image, 0, 0, 16, 16);
      GdipDeleteGraphics(graphics);
    }
    GdipDisposeImage(target);
  }

  if (const CLSID* png = PngEncoder()) {
    IStream* out = platform::CreateMemoryStream();
    GdipSaveImageToStream(image, out, png, nullptr);
    out->Release();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static ULONG_PTR token = 0;
  GdiplusStartupInput input;
  GdiplusStartup(&token, &input, nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IStream* stream = platform::CreateMemoryStream(data, size);
  GpImage* image = nullptr;
  GpStatus status = GdipLoadImageFromStream(stream, &image);
  stream->Release();
  if (status != Ok || !image) return 0;

  GUID rawFormat{};
  GdipGetImageRawFormat(image, &rawFormat);
  ImageType type{};
  GdipGetImageType(image, &type);
  GpRectF bounds{};
  GpUnit unit{};
  GdipGetImageBounds(image, &bounds, &unit);
  REAL dpi = 0;
  GdipGetImageHorizontalResolution(image, &dpi);
  GdipGetImageVerticalResolution(image, &dpi);
  QueryProperties(image);

  UINT dimensionCount = 0;
  if (GdipImageGetFrameDimensionsCount(image, &dimensionCount) == Ok && dimensionCount > 0) {
    std::vector<GUID> dimensions(dimensionCount);
    if (GdipImageGetFrameDimensionsList(image, dimensions.data(), dimensionCount) == Ok) {
      for (const GUID& dimension : dimensions) {
        UINT frames = 0;
        if (GdipImageGetFrameCount(image, &dimension, &frames) != Ok) continue;
        // One frame past the end checks that a bad index is refused.
        for (UINT i = 0; i <= frames && i < 64; ++i)
          if (GdipImageSelectActiveFrame(image, &dimension, i) == Ok) ExerciseFrame(image);
      }
    }
  } else {
    ExerciseFrame(image);
  }
  GdipDisposeImage(image);
  return 0;
}
