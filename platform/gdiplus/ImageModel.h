#pragma once

// The decoded image behind GpImage/GpBitmap: frames of pixels in a GDI+ pixel format, the
// format the image was decoded from, its frame dimension, resolution and properties, and the
// state of a pending LockBits. Internal to the imaging layer.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/gdiplus/GdiplusTypes.h"

namespace platform::detail {

// The largest image the layer decodes or creates (in pixels, and per side): larger requests
// come from corrupt headers far more often than from real pictures.
constexpr int64_t kMaxImagePixels = int64_t{1} << 28;
constexpr int kMaxImageSide = 65535;

bool ImageSizeAcceptable(int64_t width, int64_t height);

struct Frame {
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat32bppARGB;
  int stride = 0;  // bytes from one row to the next, always positive and a multiple of 4
  std::vector<uint8_t> pixels;
  std::vector<ARGB> palette;  // indexed formats only
  UINT paletteFlags = 0;

  uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * stride; }
  const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * stride; }
};

// A frame of the given size and format with zeroed pixels (and for indexed formats a palette:
// black and white, a 16-colour or a 256-colour default). Throws std::bad_alloc on failure.
Frame MakeFrame(int width, int height, PixelFormat format);
int StrideFor(int width, PixelFormat format);
bool IsSupportedPixelFormat(PixelFormat format);

struct Property {
  PROPID id = 0;
  WORD type = 0;
  std::vector<uint8_t> value;
};

struct DecodedImage {
  GUID rawFormat = ImageFormatUndefined;
  GUID dimension = FrameDimensionPage;
  std::vector<Frame> frames;
  size_t activeFrame = 0;
  REAL dpiX = 96;
  REAL dpiY = 96;
  bool hasRealDpi = false;
  UINT colorSpaceFlags = ImageFlagsColorSpaceRGB;
  std::vector<Property> properties;
};

struct ImageObject : GpBitmap {
  DecodedImage data;
  bool readOnlyFlag = false;  // decoded from a file or stream: the source is not written back

  // A JPEG read from a file or stream keeps its encoded bytes and decodes its pixels on first
  // use (AsImage): until then its one frame has its size, format and stride but no pixel
  // bytes. A thumbnail of a pending JPEG decodes it at the smallest scale that covers the
  // thumbnail, and the image stays pending. decodeLock guards the decode and the two fields.
  std::atomic<bool> pending{false};
  std::shared_ptr<const std::vector<uint8_t>> pendingBytes;
  std::mutex decodeLock;

  // LockBits state.
  bool locked = false;
  GpRect lockRect{};
  UINT lockFlags = 0;
  PixelFormat lockFormat = 0;
  std::vector<uint8_t> lockBuffer;  // used unless the caller gave its own buffer
  uint8_t* lockScan0 = nullptr;
  INT lockStride = 0;

  Frame& Active() { return data.frames[data.activeFrame]; }
  const Frame& Active() const { return data.frames[data.activeFrame]; }
};

// Live objects, so that stale or foreign pointers are refused instead of followed.
enum class ObjectKind { Image, Graphics, Attributes };
void RegisterObject(const void* object, ObjectKind kind);
void UnregisterObject(const void* object);
bool IsLiveObject(const void* object, ObjectKind kind);
// A live image with its pixels (a pending JPEG is decoded first; one that fails to decode
// shows mid-grey, as libjpeg shows data it cannot read). Nullptr for anything else.
ImageObject* AsImage(const GpImage* image);
// A live image as it is: for what needs only its size, format, resolution and properties.
ImageObject* AsImageInfo(const GpImage* image);

// Per-pixel conversion between a pixel format's bytes and 32-bit ARGB (not premultiplied).
// Indexed formats go through the palette; writing an ARGB value into an indexed format takes
// the nearest palette entry.
void RowToArgb(PixelFormat format, const uint8_t* row, int x, int count, const std::vector<ARGB>& palette,
               ARGB* out);
void RowFromArgb(PixelFormat format, uint8_t* row, int x, int count, const std::vector<ARGB>& palette,
                 const ARGB* in);
// Index access for indexed formats.
uint8_t ReadIndex(PixelFormat format, const uint8_t* row, int x);
void WriteIndex(PixelFormat format, uint8_t* row, int x, uint8_t index);

// A whole frame as ARGB pixels, row after row, no padding.
std::vector<ARGB> FrameToArgb(const Frame& frame);
// A frame in the given format made from ARGB pixels (nearest palette entry for indexed).
Frame FrameFromArgb(const std::vector<ARGB>& pixels, int width, int height, PixelFormat format);
bool FrameHasAlpha(const Frame& frame);

ARGB Premultiply(ARGB color);
ARGB Unpremultiply(ARGB color);

}  // namespace platform::detail
