// The image engine: pictures decoded through the platform's GDI+ layer into 32-bit bottom-up
// DIBs, turned upright by their EXIF orientation, or handed over by another engine of ours.

#include "engines/QM_ImageProc/QM_ImageProc.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engines/QM_ImageProc/ImagePicture.h"
#include "engines/common/EngineGuard.h"
#include "platform/gdiplus/Gdiplus.h"

namespace {

using engines::EngineHandle;

// One picture: its header and its bottom-up BGRA rows. Empty while width is 0.
struct Picture {
  BITMAPINFO info{};
  std::vector<uint8_t> bits;
};

class DibImage : public engines::EngineObject {
 public:
  std::mutex mutex;
  Picture picture;
};

std::shared_ptr<DibImage> Find(EngineHandle handle) { return engines::Lookup<DibImage>(handle); }

// The GDI+ layer decodes only while started; the engine starts it once for its lifetime.
void EnsureGdiplus() {
  static const bool started = [] {
    ULONG_PTR token = 0;
    GdiplusStartupInput input;
    return GdiplusStartup(&token, &input, nullptr) == Ok;
  }();
  if (!started) throw engines::EngineError("the GDI+ layer did not start");
}

// Frees a GDI+ image when the decoding ends, however it ends.
struct BitmapOwner {
  GpBitmap* bitmap = nullptr;
  ~BitmapOwner() {
    if (bitmap) GdipDisposeImage(bitmap);
  }
};

// The EXIF orientation (1..8) of a decoded photo; 1 when it has none or an unknown one.
int Orientation(GpBitmap* bitmap) {
  UINT size = 0;
  if (GdipGetPropertyItemSize(bitmap, PropertyTagOrientation, &size) != Ok || size < sizeof(PropertyItem)) return 1;
  std::vector<uint8_t> buffer(size);
  auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
  if (GdipGetPropertyItem(bitmap, PropertyTagOrientation, size, item) != Ok || !item->value) return 1;
  int value = 0;
  if (item->type == PropertyTagTypeShort && item->length >= 2) {
    uint16_t shortValue = 0;
    std::memcpy(&shortValue, item->value, 2);
    value = shortValue;
  } else if (item->type == PropertyTagTypeLong && item->length >= 4) {
    uint32_t longValue = 0;
    std::memcpy(&longValue, item->value, 4);
    value = static_cast<int>(longValue);
  }
  return value >= 1 && value <= 8 ? value : 1;
}

// The header of a 32-bit bottom-up picture of that size, whose bits are already in place.
void FillHeader(Picture& picture, size_t width, size_t height) {
  BITMAPINFOHEADER& header = picture.info.bmiHeader;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = static_cast<LONG>(width);
  header.biHeight = static_cast<LONG>(height);
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(std::min<size_t>(picture.bits.size(), UINT32_MAX));
}

// Decodes a file into an upright bottom-up picture; throws with the reason on failure.
Picture Decode(const std::u16string& fileName) {
  EnsureGdiplus();
  BitmapOwner owner;
  if (GdipCreateBitmapFromFile(fileName.c_str(), &owner.bitmap) != Ok || !owner.bitmap)
    throw engines::EngineError("the file could not be read as a picture");
  UINT width = 0, height = 0;
  GdipGetImageWidth(owner.bitmap, &width);
  GdipGetImageHeight(owner.bitmap, &height);
  if (width == 0 || height == 0 || width > INT32_MAX / 4 || height > INT32_MAX)
    throw engines::EngineError("the picture has no usable size");
  const int orientation = Orientation(owner.bitmap);

  GpRect rect{0, 0, static_cast<INT>(width), static_cast<INT>(height)};
  BitmapData locked{};
  if (GdipBitmapLockBits(owner.bitmap, &rect, ImageLockModeRead, PixelFormat32bppARGB, &locked) != Ok)
    throw engines::EngineError("the picture's pixels could not be read");
  struct Unlocker {
    GpBitmap* bitmap;
    BitmapData* data;
    ~Unlocker() { GdipBitmapUnlockBits(bitmap, data); }
  } unlocker{owner.bitmap, &locked};

  // Orientations 5 to 8 swap the sides.
  const bool swapped = orientation >= 5;
  const size_t outWidth = swapped ? height : width;
  const size_t outHeight = swapped ? width : height;
  Picture picture;
  picture.bits.resize(outWidth * outHeight * 4);
  const auto* source = static_cast<const uint8_t*>(locked.Scan0);
  const size_t w = width, h = height;
  for (size_t dy = 0; dy < outHeight; ++dy) {
    // Bottom-up: the picture's top row is the last row of the bits.
    uint8_t* row = picture.bits.data() + (outHeight - 1 - dy) * outWidth * 4;
    for (size_t dx = 0; dx < outWidth; ++dx) {
      // The stored pixel that shows at (dx, dy) once the picture is upright.
      size_t sx = dx, sy = dy;
      switch (orientation) {
        case 2: sx = w - 1 - dx; break;
        case 3: sx = w - 1 - dx; sy = h - 1 - dy; break;
        case 4: sy = h - 1 - dy; break;
        case 5: sx = dy; sy = dx; break;
        case 6: sx = dy; sy = h - 1 - dx; break;
        case 7: sx = w - 1 - dy; sy = h - 1 - dx; break;
        case 8: sx = w - 1 - dy; sy = dx; break;
        default: break;
      }
      std::memcpy(row + dx * 4, source + static_cast<ptrdiff_t>(sy) * locked.Stride + sx * 4, 4);
    }
  }

  FillHeader(picture, outWidth, outHeight);
  return picture;
}

int32_t Load(const char* entry, EngineHandle handle, const char16_t* fileName) {
  return engines::Guarded(entry, int32_t{0}, [&]() -> int32_t {
    const auto image = Find(handle);
    if (!image || !fileName) return 0;
    const std::u16string name = engines::ReadText(fileName);
    if (name.empty()) return 0;
    Picture picture = Decode(name);
    const std::lock_guard lock(image->mutex);
    image->picture = std::move(picture);
    return 1;
  });
}

}  // namespace

namespace engines::imageproc {

bool SetPicture(EngineHandle image, int width, int height, const uint8_t* bgraTopDown, size_t stride) noexcept {
  return engines::Guarded("SetPicture", false, [&] {
    const auto found = Find(image);
    // The header's image size is 32 bits wide.
    if (!found || !bgraTopDown || width <= 0 || height <= 0 ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4 > UINT32_MAX)
      return false;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    if (stride < rowBytes) return false;
    Picture picture;
    picture.bits.resize(rowBytes * static_cast<size_t>(height));
    for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
      std::memcpy(picture.bits.data() + (static_cast<size_t>(height) - 1 - y) * rowBytes, bgraTopDown + y * stride,
                  rowBytes);
    }
    FillHeader(picture, static_cast<size_t>(width), static_cast<size_t>(height));
    const std::lock_guard lock(found->mutex);
    found->picture = std::move(picture);
    return true;
  });
}

}  // namespace engines::imageproc

ENGINE_API EngineHandle DICreate() {
  return engines::Guarded("DICreate", EngineHandle{0},
                          [] { return engines::RegisterObject(std::make_shared<DibImage>()); });
}

ENGINE_API void DIDestroy(EngineHandle image) {
  engines::Guarded("DIDestroy", [&] { engines::Lookup<DibImage>(image) && engines::UnregisterObject(image); });
}

ENGINE_API int32_t DILoadImage(EngineHandle image, const char16_t* fileName) {
  return Load("DILoadImage", image, fileName);
}

ENGINE_API int32_t DILoadImage32B(EngineHandle image, const char16_t* fileName) {
  return Load("DILoadImage32B", image, fileName);
}

ENGINE_API int32_t DICopyImage(EngineHandle destination, EngineHandle source) {
  return engines::Guarded("DICopyImage", int32_t{0}, [&]() -> int32_t {
    const auto to = Find(destination);
    const auto from = Find(source);
    if (!to || !from) return 0;
    if (to == from) return 1;
    Picture copy;
    {
      const std::lock_guard lock(from->mutex);
      copy = from->picture;
    }
    const std::lock_guard lock(to->mutex);
    to->picture = std::move(copy);
    return 1;
  });
}

ENGINE_API BITMAPINFO* DIGetBitmapInfo(EngineHandle image) {
  return engines::Guarded("DIGetBitmapInfo", static_cast<BITMAPINFO*>(nullptr), [&]() -> BITMAPINFO* {
    const auto found = Find(image);
    if (!found) return nullptr;
    const std::lock_guard lock(found->mutex);
    return found->picture.bits.empty() ? nullptr : &found->picture.info;
  });
}

ENGINE_API void* DIGetBits(EngineHandle image) {
  return engines::Guarded("DIGetBits", static_cast<void*>(nullptr), [&]() -> void* {
    const auto found = Find(image);
    if (!found) return nullptr;
    const std::lock_guard lock(found->mutex);
    return found->picture.bits.empty() ? nullptr : found->picture.bits.data();
  });
}

ENGINE_API int32_t DIGetWidth(EngineHandle image) {
  return engines::Guarded("DIGetWidth", int32_t{0}, [&]() -> int32_t {
    const auto found = Find(image);
    if (!found) return 0;
    const std::lock_guard lock(found->mutex);
    return found->picture.info.bmiHeader.biWidth;
  });
}

ENGINE_API int32_t DIGetHeight(EngineHandle image) {
  return engines::Guarded("DIGetHeight", int32_t{0}, [&]() -> int32_t {
    const auto found = Find(image);
    if (!found) return 0;
    const std::lock_guard lock(found->mutex);
    return found->picture.info.bmiHeader.biHeight;
  });
}
