// Start-up, images and bitmaps: loading, creation, queries, frames, properties, locked pixels
// and palettes.

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/gdiplus/CairoBridge.h"
#include "platform/gdiplus/Codecs.h"
#include "platform/gdiplus/Gdiplus.h"
#include "platform/gdiplus/GdiplusInternal.h"
#include "platform/kernel/PathResolve.h"
#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"

namespace platform::detail {
namespace {

std::atomic<int> g_startCount{0};
std::atomic<ULONG_PTR> g_nextToken{1};

GpStatus HookNotification(ULONG_PTR* token) {
  if (token) *token = 0;
  return Ok;
}
void UnhookNotification(ULONG_PTR) {}

GpStatus StatusFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return FileNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return AccessDenied;
    case ENOMEM: return OutOfMemory;
    default: return Win32Error;
  }
}

GpStatus ReadWholeFile(const WCHAR* fileName, Bytes* bytes) {
  if (!fileName) return InvalidParameter;
  std::string path = ResolvePath(Utf16ToUtf8(fileName));
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    int error = errno;
    SetLastErrorFromErrno(error, path);
    return StatusFromErrno(error);
  }
  uint8_t buffer[65536];
  GpStatus status = Ok;
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      status = StatusFromErrno(errno == EISDIR ? EACCES : errno);
      break;
    }
    if (n == 0) break;
    bytes->insert(bytes->end(), buffer, buffer + n);
  }
  ::close(fd);
  return status;
}

GpStatus ReadWholeStream(IStream* stream, Bytes* bytes) {
  if (!stream) return InvalidParameter;
  uint8_t buffer[65536];
  for (;;) {
    ULONG read = 0;
    HRESULT result = stream->Read(buffer, sizeof buffer, &read);
    if (FAILED(result)) return Win32Error;
    bytes->insert(bytes->end(), buffer, buffer + std::min<ULONG>(read, sizeof buffer));
    if (read == 0 || result == S_FALSE) break;
  }
  return Ok;
}

template <typename Result>
GpStatus MakeImage(GpStatus readStatus, Bytes&& bytes, Result** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  if (!Started()) return GdiplusNotInitialized;
  if (readStatus != Ok) return readStatus;
  try {
    auto image = std::make_unique<ImageObject>();
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
      // A JPEG's pixels wait for their first use: a thumbnail then decodes only what it needs.
      GpStatus status = ReadJpegHeader(ByteSpan(bytes.data(), bytes.size()), &image->data);
      if (status != Ok) return status;
      image->pendingBytes = std::make_shared<const Bytes>(std::move(bytes));
      image->pending = true;
      image->readOnlyFlag = true;
      *out = RegisterImage(std::move(image));
      return Ok;
    }
    GpStatus status = DecodeImage(ByteSpan(bytes.data(), bytes.size()), &image->data);
    if (status != Ok) return status;
    image->readOnlyFlag = true;
    *out = RegisterImage(std::move(image));
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

// Copies the rows of the locked rectangle between the frame and a buffer in another format.
void CopyRows(Frame& frame, const GpRect& rect, PixelFormat format, uint8_t* scan0, INT stride, bool toBuffer) {
  std::vector<ARGB> argb(rect.Width);
  bool indexed = IsIndexedPixelFormat(format) && IsIndexedPixelFormat(frame.format);
  for (int y = 0; y < rect.Height; ++y) {
    uint8_t* bufferRow = scan0 + static_cast<ptrdiff_t>(y) * stride;
    uint8_t* frameRow = frame.Row(rect.Y + y);
    if (format == frame.format && GetPixelFormatSize(format) >= 8) {
      size_t bytesPerPixel = GetPixelFormatSize(format) / 8;
      uint8_t* at = frameRow + size_t(rect.X) * bytesPerPixel;
      if (toBuffer) std::memcpy(bufferRow, at, size_t(rect.Width) * bytesPerPixel);
      else std::memcpy(at, bufferRow, size_t(rect.Width) * bytesPerPixel);
    } else if (indexed) {
      for (int x = 0; x < rect.Width; ++x) {
        if (toBuffer) WriteIndex(format, bufferRow, x, ReadIndex(frame.format, frameRow, rect.X + x));
        else WriteIndex(frame.format, frameRow, rect.X + x, ReadIndex(format, bufferRow, x));
      }
    } else if (toBuffer) {
      RowToArgb(frame.format, frameRow, rect.X, rect.Width, frame.palette, argb.data());
      RowFromArgb(format, bufferRow, 0, rect.Width, frame.palette, argb.data());
    } else {
      RowToArgb(format, bufferRow, 0, rect.Width, frame.palette, argb.data());
      RowFromArgb(frame.format, frameRow, rect.X, rect.Width, frame.palette, argb.data());
    }
  }
}

}  // namespace

bool Started() { return g_startCount.load() > 0; }

GpImage* RegisterImage(std::unique_ptr<ImageObject> image) {
  ImageObject* raw = image.release();
  RegisterObject(static_cast<GpImage*>(raw), ObjectKind::Image);
  return raw;
}

UINT ImageFlagsOf(const ImageObject& image) {
  UINT flags = 0;
  const Frame& frame = image.Active();
  if (FrameHasAlpha(frame)) flags |= ImageFlagsHasAlpha;
  if (image.readOnlyFlag) {
    flags |= image.data.colorSpaceFlags | ImageFlagsHasRealPixelSize | ImageFlagsReadOnly;
    if (image.data.hasRealDpi) flags |= ImageFlagsHasRealDPI;
  }
  return flags;
}

}  // namespace platform::detail

using namespace platform::detail;

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion != 1 && input->GdiplusVersion != 2) return UnsupportedGdiplusVersion;
  if (input->SuppressBackgroundThread && !output) return InvalidParameter;
  if (output) {
    output->NotificationHook = HookNotification;
    output->NotificationUnhook = UnhookNotification;
  }
  *token = g_nextToken++;
  ++g_startCount;
  return Ok;
}

void GdiplusShutdown(ULONG_PTR token) {
  if (token == 0) return;
  int count = g_startCount.load();
  while (count > 0 && !g_startCount.compare_exchange_weak(count, count - 1)) {
  }
}

void* GdipAlloc(size_t size) { return std::malloc(size ? size : 1); }
void GdipFree(void* pointer) { std::free(pointer); }

GpStatus GdipLoadImageFromFile(const WCHAR* fileName, GpImage** image) {
  Bytes bytes;
  GpStatus status = image ? ReadWholeFile(fileName, &bytes) : InvalidParameter;
  return MakeImage(status, std::move(bytes), image);
}
GpStatus GdipLoadImageFromFileICM(const WCHAR* fileName, GpImage** image) { return GdipLoadImageFromFile(fileName, image); }

GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image) {
  Bytes bytes;
  GpStatus status = image ? ReadWholeStream(stream, &bytes) : InvalidParameter;
  return MakeImage(status, std::move(bytes), image);
}
GpStatus GdipLoadImageFromStreamICM(IStream* stream, GpImage** image) { return GdipLoadImageFromStream(stream, image); }

GpStatus GdipCreateBitmapFromFile(const WCHAR* fileName, GpBitmap** bitmap) {
  GpImage* image = nullptr;
  GpStatus status = GdipLoadImageFromFile(fileName, bitmap ? &image : nullptr);
  if (bitmap) *bitmap = static_cast<GpBitmap*>(image);
  return status;
}
GpStatus GdipCreateBitmapFromFileICM(const WCHAR* fileName, GpBitmap** bitmap) { return GdipCreateBitmapFromFile(fileName, bitmap); }

GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap) {
  GpImage* image = nullptr;
  GpStatus status = GdipLoadImageFromStream(stream, bitmap ? &image : nullptr);
  if (bitmap) *bitmap = static_cast<GpBitmap*>(image);
  return status;
}
GpStatus GdipCreateBitmapFromStreamICM(IStream* stream, GpBitmap** bitmap) { return GdipCreateBitmapFromStream(stream, bitmap); }

GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                   GpBitmap** bitmap) {
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  if (!Started()) return GdiplusNotInitialized;
  if (width <= 0 || height <= 0 || !IsSupportedPixelFormat(format)) return InvalidParameter;
  if (!ImageSizeAcceptable(width, height)) return OutOfMemory;
  size_t rowBytes = (size_t(width) * GetPixelFormatSize(format) + 7) / 8;
  if (scan0 && (stride == 0 || size_t(std::abs(int64_t{stride})) < rowBytes)) return InvalidParameter;
  try {
    auto image = std::make_unique<ImageObject>();
    image->data.rawFormat = ImageFormatMemoryBMP;
    image->data.frames.push_back(MakeFrame(width, height, format));
    Frame& frame = image->data.frames[0];
    if (scan0)
      for (int y = 0; y < height; ++y) std::memcpy(frame.Row(y), scan0 + static_cast<ptrdiff_t>(y) * stride, rowBytes);
    *bitmap = static_cast<GpBitmap*>(RegisterImage(std::move(image)));
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

GpStatus GdipCloneImage(GpImage* image, GpImage** clone) {
  ImageObject* source = AsImageInfo(image);
  if (!source || !clone) return InvalidParameter;
  try {
    auto copy = std::make_unique<ImageObject>();
    {
      // A pending JPEG is cloned pending: both share its encoded bytes.
      std::lock_guard guard(source->decodeLock);
      copy->data = source->data;
      copy->pendingBytes = source->pendingBytes;
      copy->pending = source->pending.load();
    }
    copy->readOnlyFlag = source->readOnlyFlag;
    *clone = RegisterImage(std::move(copy));
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

GpStatus GdipDisposeImage(GpImage* image) {
  ImageObject* object = AsImageInfo(image);
  if (!object) return InvalidParameter;
  UnregisterObject(static_cast<GpImage*>(object));
  delete object;
  return Ok;
}

GpStatus GdipGetImageType(GpImage* image, ImageType* type) {
  if (!AsImageInfo(image) || !type) return InvalidParameter;
  *type = ImageTypeBitmap;
  return Ok;
}

GpStatus GdipGetImageBounds(GpImage* image, GpRectF* bounds, GpUnit* unit) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !bounds || !unit) return InvalidParameter;
  *bounds = {0, 0, static_cast<REAL>(object->Active().width), static_cast<REAL>(object->Active().height)};
  *unit = UnitPixel;
  return Ok;
}

GpStatus GdipGetImageFlags(GpImage* image, UINT* flags) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !flags) return InvalidParameter;
  *flags = ImageFlagsOf(*object);
  return Ok;
}

GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !format) return InvalidParameter;
  *format = object->data.rawFormat;
  return Ok;
}

GpStatus GdipGetImageWidth(GpImage* image, UINT* width) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !width) return InvalidParameter;
  *width = static_cast<UINT>(object->Active().width);
  return Ok;
}

GpStatus GdipGetImageHeight(GpImage* image, UINT* height) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !height) return InvalidParameter;
  *height = static_cast<UINT>(object->Active().height);
  return Ok;
}

GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !format) return InvalidParameter;
  *format = object->Active().format;
  return Ok;
}

GpStatus GdipGetImageHorizontalResolution(GpImage* image, REAL* resolution) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !resolution) return InvalidParameter;
  *resolution = object->data.dpiX;
  return Ok;
}

GpStatus GdipGetImageVerticalResolution(GpImage* image, REAL* resolution) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !resolution) return InvalidParameter;
  *resolution = object->data.dpiY;
  return Ok;
}

GpStatus GdipBitmapSetResolution(GpBitmap* bitmap, REAL xdpi, REAL ydpi) {
  ImageObject* object = AsImageInfo(bitmap);
  if (!object || !(xdpi > 0) || !(ydpi > 0)) return InvalidParameter;
  object->data.dpiX = xdpi;
  object->data.dpiY = ydpi;
  return Ok;
}

GpStatus GdipGetImageThumbnail(GpImage* image, UINT width, UINT height, GpImage** thumbnail,
                               GetThumbnailImageAbort, void*) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !thumbnail) return InvalidParameter;
  *thumbnail = nullptr;
  if (object->locked) return WrongState;
  if (width == 0 || height == 0) width = height = 120;  // the customary default size
  if (!ImageSizeAcceptable(width, height)) return OutOfMemory;
  try {
    // A pending JPEG is decoded for the thumbnail alone, at the smallest scale that covers it.
    Frame reduced;
    std::shared_ptr<const Bytes> pendingBytes;
    {
      std::lock_guard guard(object->decodeLock);
      if (object->pending.load()) pendingBytes = object->pendingBytes;
    }
    if (pendingBytes) {
      const Frame& shape = object->Active();
      const int eighths = JpegScaleFor(shape.width, shape.height, static_cast<int>(width), static_cast<int>(height));
      if (DecodeJpegPixels(ByteSpan(pendingBytes->data(), pendingBytes->size()), eighths, &reduced) != Ok)
        return GenericError;
    } else if (!AsImage(image)) {
      return InvalidParameter;
    }
    const Frame& frame = pendingBytes ? reduced : object->Active();
    std::vector<ARGB> pixels = FrameToArgb(frame);
    SurfacePtr source = SurfaceFromArgb(pixels.data(), frame.width, frame.height);
    SurfacePtr target(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height)));
    if (!source || cairo_surface_status(target.get()) != CAIRO_STATUS_SUCCESS) return OutOfMemory;
    ContextPtr context(cairo_create(target.get()));
    DrawSurface(context.get(), source.get(), 0, 0, frame.width, frame.height, 0, 0, width, height,
                InterpolationModeHighQualityBicubic);
    context.reset();
    auto result = std::make_unique<ImageObject>();
    result->data.rawFormat = ImageFormatMemoryBMP;
    result->data.frames.push_back(FrameFromArgb(ArgbFromSurface(target.get()), static_cast<int>(width),
                                                static_cast<int>(height), PixelFormat32bppPARGB));
    *thumbnail = RegisterImage(std::move(result));
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

// Frames.

GpStatus GdipImageGetFrameDimensionsCount(GpImage* image, UINT* count) {
  if (!AsImageInfo(image) || !count) return InvalidParameter;
  *count = 1;
  return Ok;
}

GpStatus GdipImageGetFrameDimensionsList(GpImage* image, GUID* dimensions, UINT count) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !dimensions || count != 1) return InvalidParameter;
  dimensions[0] = object->data.dimension;
  return Ok;
}

GpStatus GdipImageGetFrameCount(GpImage* image, const GUID* dimension, UINT* count) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !dimension || !count) return InvalidParameter;
  // A dimension the image does not have holds just the frame shown.
  *count = *dimension == object->data.dimension ? static_cast<UINT>(object->data.frames.size()) : 1;
  return Ok;
}

GpStatus GdipImageSelectActiveFrame(GpImage* image, const GUID* dimension, UINT index) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !dimension) return InvalidParameter;
  if (object->locked) return WrongState;
  if (*dimension != object->data.dimension) return index == 0 ? Ok : InvalidParameter;
  if (index >= object->data.frames.size()) return InvalidParameter;
  object->data.activeFrame = index;
  return Ok;
}

// Properties.

GpStatus GdipGetPropertyCount(GpImage* image, UINT* count) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !count) return InvalidParameter;
  *count = static_cast<UINT>(object->data.properties.size());
  return Ok;
}

GpStatus GdipGetPropertyIdList(GpImage* image, UINT count, PROPID* list) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !list || count != object->data.properties.size()) return InvalidParameter;
  for (UINT i = 0; i < count; ++i) list[i] = object->data.properties[i].id;
  return Ok;
}

static const Property* FindProperty(const ImageObject& image, PROPID id) {
  for (const Property& property : image.data.properties)
    if (property.id == id) return &property;
  return nullptr;
}

GpStatus GdipGetPropertyItemSize(GpImage* image, PROPID id, UINT* size) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !size) return InvalidParameter;
  const Property* property = FindProperty(*object, id);
  if (!property) return PropertyNotFound;
  *size = static_cast<UINT>(sizeof(PropertyItem) + property->value.size());
  return Ok;
}

GpStatus GdipGetPropertyItem(GpImage* image, PROPID id, UINT size, PropertyItem* buffer) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !buffer) return InvalidParameter;
  const Property* property = FindProperty(*object, id);
  if (!property) return PropertyNotFound;
  if (size < sizeof(PropertyItem) + property->value.size()) return InvalidParameter;
  buffer->id = property->id;
  buffer->length = static_cast<ULONG>(property->value.size());
  buffer->type = property->type;
  buffer->value = reinterpret_cast<uint8_t*>(buffer) + sizeof(PropertyItem);
  if (!property->value.empty()) std::memcpy(buffer->value, property->value.data(), property->value.size());
  return Ok;
}

// Pixels and palettes.

GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format,
                            BitmapData* lockedData) {
  ImageObject* object = AsImage(bitmap);
  if (!object || !lockedData) return InvalidParameter;
  if (object->locked) return WrongState;
  Frame& frame = object->Active();
  GpRect area = rect ? *rect : GpRect{0, 0, frame.width, frame.height};
  if (area.X < 0 || area.Y < 0 || area.Width <= 0 || area.Height <= 0 || area.Width > frame.width - area.X ||
      area.Height > frame.height - area.Y)
    return InvalidParameter;
  if (!(flags & (ImageLockModeRead | ImageLockModeWrite)) || !IsSupportedPixelFormat(format)) return InvalidParameter;
  if (IsIndexedPixelFormat(format) && !IsIndexedPixelFormat(frame.format)) return InvalidParameter;
  size_t rowBytes = (size_t(area.Width) * GetPixelFormatSize(format) + 7) / 8;
  uint8_t* scan0;
  INT stride;
  try {
    if (flags & ImageLockModeUserInputBuf) {
      scan0 = static_cast<uint8_t*>(lockedData->Scan0);
      stride = lockedData->Stride;
      if (!scan0 || size_t(std::abs(int64_t{stride})) < rowBytes) return InvalidParameter;
      object->lockBuffer.clear();
    } else {
      stride = StrideFor(area.Width, format);
      object->lockBuffer.assign(size_t(stride) * area.Height, 0);
      scan0 = object->lockBuffer.data();
    }
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  // Rows are addressed as scan0 + row * stride with a signed stride, so a caller's bottom-up
  // buffer (negative stride, scan0 on its last row in memory) works as well as a top-down one.
  if ((flags & ImageLockModeRead) || !(flags & ImageLockModeUserInputBuf))
    CopyRows(frame, area, format, scan0, stride, true);
  object->locked = true;
  object->lockRect = area;
  object->lockFlags = flags;
  object->lockFormat = format;
  object->lockScan0 = scan0;
  object->lockStride = stride;
  *lockedData = {static_cast<UINT>(area.Width), static_cast<UINT>(area.Height), stride, format, scan0, 0};
  return Ok;
}

GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* lockedData) {
  ImageObject* object = AsImage(bitmap);
  if (!object || !lockedData) return InvalidParameter;
  if (!object->locked) return WrongState;
  if (object->lockFlags & ImageLockModeWrite)
    CopyRows(object->Active(), object->lockRect, object->lockFormat, object->lockScan0, object->lockStride, false);
  object->locked = false;
  object->lockBuffer = {};
  object->lockScan0 = nullptr;
  return Ok;
}

GpStatus GdipGetImagePaletteSize(GpImage* image, INT* size) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !size) return InvalidParameter;
  *size = static_cast<INT>(2 * sizeof(UINT) + object->Active().palette.size() * sizeof(ARGB));
  return Ok;
}

GpStatus GdipGetImagePalette(GpImage* image, ColorPalette* palette, INT size) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !palette) return InvalidParameter;
  const Frame& frame = object->Active();
  if (size < 0 || size_t(size) < 2 * sizeof(UINT) + frame.palette.size() * sizeof(ARGB)) return InvalidParameter;
  palette->Flags = frame.paletteFlags | (FrameHasAlpha(frame) && IsIndexedPixelFormat(frame.format) ? UINT{PaletteFlagsHasAlpha} : 0u);
  palette->Count = static_cast<UINT>(frame.palette.size());
  if (!frame.palette.empty()) std::memcpy(palette->Entries, frame.palette.data(), frame.palette.size() * sizeof(ARGB));
  return Ok;
}

GpStatus GdipSetImagePalette(GpImage* image, const ColorPalette* palette) {
  ImageObject* object = AsImage(image);
  if (!object || !palette || palette->Count == 0 || palette->Count > 256) return InvalidParameter;
  Frame& frame = object->Active();
  frame.palette.assign(palette->Entries, palette->Entries + palette->Count);
  frame.paletteFlags = palette->Flags;
  return Ok;
}
