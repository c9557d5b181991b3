// Pixel format conversions, frame allocation and the registry of live objects.

#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>

#include "platform/gdiplus/Codecs.h"
#include "platform/gdiplus/ImageModel.h"

namespace platform::detail {

bool ImageSizeAcceptable(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

bool IsSupportedPixelFormat(PixelFormat format) {
  switch (format) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
    case PixelFormat16bppGrayScale:
    case PixelFormat16bppRGB555:
    case PixelFormat16bppRGB565:
    case PixelFormat16bppARGB1555:
    case PixelFormat24bppRGB:
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
    case PixelFormat48bppRGB:
    case PixelFormat64bppARGB:
    case PixelFormat64bppPARGB:
      return true;
    default:
      return false;
  }
}

int StrideFor(int width, PixelFormat format) {
  int64_t bits = int64_t{width} * GetPixelFormatSize(format);
  return static_cast<int>(((bits + 31) / 32) * 4);
}

static std::vector<ARGB> DefaultPalette(PixelFormat format) {
  std::vector<ARGB> palette;
  if (format == PixelFormat1bppIndexed) return {0xFF000000, 0xFFFFFFFF};
  // The 16 colours of the classic system palette, then for 8 bits a 6x6x6 cube and grays.
  static const ARGB sixteen[16] = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                                   0xFF008080, 0xFF808080, 0xFFC0C0C0, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                                   0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
  palette.assign(sixteen, sixteen + 16);
  if (format == PixelFormat4bppIndexed) return palette;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        palette.push_back(0xFF000000u | (r * 51u) << 16 | (g * 51u) << 8 | (b * 51u));
  while (palette.size() < 256) {
    uint32_t v = static_cast<uint32_t>((palette.size() - 232) * 255 / 23);
    palette.push_back(0xFF000000u | v << 16 | v << 8 | v);
  }
  return palette;
}

Frame MakeFrame(int width, int height, PixelFormat format) {
  Frame frame;
  frame.width = width;
  frame.height = height;
  frame.format = format;
  frame.stride = StrideFor(width, format);
  frame.pixels.assign(static_cast<size_t>(frame.stride) * height, 0);
  if (IsIndexedPixelFormat(format)) frame.palette = DefaultPalette(format);
  return frame;
}

ARGB Premultiply(ARGB color) {
  uint32_t a = color >> 24;
  if (a == 255) return color;
  if (a == 0) return 0;
  auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
  return a << 24 | mul((color >> 16) & 0xFF) << 16 | mul((color >> 8) & 0xFF) << 8 | mul(color & 0xFF);
}

ARGB Unpremultiply(ARGB color) {
  uint32_t a = color >> 24;
  if (a == 255) return color;
  if (a == 0) return 0;
  auto div = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + a / 2) / a); };
  return a << 24 | div((color >> 16) & 0xFF) << 16 | div((color >> 8) & 0xFF) << 8 | div(color & 0xFF);
}

static int NearestIndex(const std::vector<ARGB>& palette, ARGB color) {
  int best = 0;
  int64_t bestDistance = INT64_MAX;
  for (size_t i = 0; i < palette.size(); ++i) {
    ARGB p = palette[i];
    int64_t d = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      int64_t delta = int64_t((color >> shift) & 0xFF) - int64_t((p >> shift) & 0xFF);
      d += delta * delta;
    }
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  return best;
}

uint8_t ReadIndex(PixelFormat format, const uint8_t* row, int x) {
  switch (format) {
    case PixelFormat1bppIndexed: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case PixelFormat4bppIndexed: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default: return row[x];
  }
}

void WriteIndex(PixelFormat format, uint8_t* row, int x, uint8_t index) {
  switch (format) {
    case PixelFormat1bppIndexed: {
      uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<uint8_t>((index & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
      break;
    }
    case PixelFormat4bppIndexed:
      if (x & 1)
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (index & 0x0F));
      else
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | (index & 0x0F) << 4);
      break;
    default: row[x] = index;
  }
}

static inline uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
static inline uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }

void RowToArgb(PixelFormat format, const uint8_t* row, int x, int count, const std::vector<ARGB>& palette,
               ARGB* out) {
  for (int i = 0; i < count; ++i) {
    int px = x + i;
    ARGB c = 0;
    switch (format) {
      case PixelFormat1bppIndexed:
      case PixelFormat4bppIndexed:
      case PixelFormat8bppIndexed: {
        uint8_t index = ReadIndex(format, row, px);
        c = index < palette.size() ? palette[index] : 0xFF000000;
        break;
      }
      case PixelFormat16bppGrayScale: {
        const uint8_t* p = row + px * 2;
        uint32_t v = p[1];
        c = 0xFF000000u | v << 16 | v << 8 | v;
        break;
      }
      case PixelFormat16bppRGB555:
      case PixelFormat16bppARGB1555: {
        const uint8_t* p = row + px * 2;
        uint32_t v = p[0] | p[1] << 8;
        uint32_t a = format == PixelFormat16bppARGB1555 ? ((v & 0x8000) ? 0xFF : 0) : 0xFF;
        c = a << 24 | Expand5((v >> 10) & 31) << 16 | Expand5((v >> 5) & 31) << 8 | Expand5(v & 31);
        break;
      }
      case PixelFormat16bppRGB565: {
        const uint8_t* p = row + px * 2;
        uint32_t v = p[0] | p[1] << 8;
        c = 0xFF000000u | Expand5(v >> 11) << 16 | Expand6((v >> 5) & 63) << 8 | Expand5(v & 31);
        break;
      }
      case PixelFormat24bppRGB: {
        const uint8_t* p = row + px * 3;
        c = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        break;
      }
      case PixelFormat32bppRGB: {
        const uint8_t* p = row + px * 4;
        c = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        break;
      }
      case PixelFormat32bppARGB:
      case PixelFormat32bppPARGB: {
        const uint8_t* p = row + px * 4;
        c = uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        if (format == PixelFormat32bppPARGB) c = Unpremultiply(c);
        break;
      }
      case PixelFormat48bppRGB: {
        const uint8_t* p = row + px * 6;
        c = 0xFF000000u | uint32_t(p[5]) << 16 | uint32_t(p[3]) << 8 | p[1];
        break;
      }
      case PixelFormat64bppARGB:
      case PixelFormat64bppPARGB: {
        const uint8_t* p = row + px * 8;
        c = uint32_t(p[7]) << 24 | uint32_t(p[5]) << 16 | uint32_t(p[3]) << 8 | p[1];
        if (format == PixelFormat64bppPARGB) c = Unpremultiply(c);
        break;
      }
      default: break;
    }
    out[i] = c;
  }
}

void RowFromArgb(PixelFormat format, uint8_t* row, int x, int count, const std::vector<ARGB>& palette,
                 const ARGB* in) {
  for (int i = 0; i < count; ++i) {
    int px = x + i;
    ARGB c = in[i];
    uint32_t a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    switch (format) {
      case PixelFormat1bppIndexed:
      case PixelFormat4bppIndexed:
      case PixelFormat8bppIndexed:
        WriteIndex(format, row, px, static_cast<uint8_t>(palette.empty() ? 0 : NearestIndex(palette, c)));
        break;
      case PixelFormat16bppGrayScale: {
        uint32_t v = (r * 77 + g * 150 + b * 29 + 128) >> 8;
        row[px * 2] = static_cast<uint8_t>(v);
        row[px * 2 + 1] = static_cast<uint8_t>(v);
        break;
      }
      case PixelFormat16bppRGB555:
      case PixelFormat16bppARGB1555: {
        uint32_t v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        if (format == PixelFormat16bppARGB1555 && a >= 128) v |= 0x8000;
        row[px * 2] = static_cast<uint8_t>(v);
        row[px * 2 + 1] = static_cast<uint8_t>(v >> 8);
        break;
      }
      case PixelFormat16bppRGB565: {
        uint32_t v = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
        row[px * 2] = static_cast<uint8_t>(v);
        row[px * 2 + 1] = static_cast<uint8_t>(v >> 8);
        break;
      }
      case PixelFormat24bppRGB: {
        uint8_t* p = row + px * 3;
        p[0] = static_cast<uint8_t>(b), p[1] = static_cast<uint8_t>(g), p[2] = static_cast<uint8_t>(r);
        break;
      }
      case PixelFormat32bppRGB: {
        uint8_t* p = row + px * 4;
        p[0] = static_cast<uint8_t>(b), p[1] = static_cast<uint8_t>(g), p[2] = static_cast<uint8_t>(r), p[3] = 0xFF;
        break;
      }
      case PixelFormat32bppARGB:
      case PixelFormat32bppPARGB: {
        if (format == PixelFormat32bppPARGB) c = Premultiply(c);
        std::memcpy(row + px * 4, &c, 4);  // little-endian: B, G, R, A
        break;
      }
      case PixelFormat48bppRGB: {
        uint8_t* p = row + px * 6;
        p[0] = p[1] = static_cast<uint8_t>(b), p[2] = p[3] = static_cast<uint8_t>(g), p[4] = p[5] = static_cast<uint8_t>(r);
        break;
      }
      case PixelFormat64bppARGB:
      case PixelFormat64bppPARGB: {
        if (format == PixelFormat64bppPARGB) c = Premultiply(c);
        uint8_t* p = row + px * 8;
        for (int k = 0; k < 4; ++k) p[2 * k] = p[2 * k + 1] = static_cast<uint8_t>(c >> (8 * k));
        break;
      }
      default: break;
    }
  }
}

std::vector<ARGB> FrameToArgb(const Frame& frame) {
  std::vector<ARGB> out(static_cast<size_t>(frame.width) * frame.height);
  for (int y = 0; y < frame.height; ++y)
    RowToArgb(frame.format, frame.Row(y), 0, frame.width, frame.palette, out.data() + size_t(y) * frame.width);
  return out;
}

Frame FrameFromArgb(const std::vector<ARGB>& pixels, int width, int height, PixelFormat format) {
  Frame frame = MakeFrame(width, height, format);
  for (int y = 0; y < height; ++y)
    RowFromArgb(format, frame.Row(y), 0, width, frame.palette, pixels.data() + size_t(y) * width);
  return frame;
}

bool FrameHasAlpha(const Frame& frame) {
  if (IsIndexedPixelFormat(frame.format)) {
    for (ARGB c : frame.palette)
      if ((c >> 24) != 0xFF) return true;
    return false;
  }
  return IsAlphaPixelFormat(frame.format);
}

// Live objects.
namespace {
std::mutex g_objectsLock;
std::unordered_map<const void*, ObjectKind>& Objects() {
  static auto* objects = new std::unordered_map<const void*, ObjectKind>;
  return *objects;
}
}  // namespace

void RegisterObject(const void* object, ObjectKind kind) {
  std::lock_guard lock(g_objectsLock);
  Objects()[object] = kind;
}

void UnregisterObject(const void* object) {
  std::lock_guard lock(g_objectsLock);
  Objects().erase(object);
}

bool IsLiveObject(const void* object, ObjectKind kind) {
  if (!object) return false;
  std::lock_guard lock(g_objectsLock);
  auto found = Objects().find(object);
  return found != Objects().end() && found->second == kind;
}

ImageObject* AsImageInfo(const GpImage* image) {
  if (!IsLiveObject(image, ObjectKind::Image)) return nullptr;
  return static_cast<ImageObject*>(const_cast<GpImage*>(image));
}

ImageObject* AsImage(const GpImage* image) {
  ImageObject* object = AsImageInfo(image);
  if (!object || !object->pending.load(std::memory_order_acquire)) return object;
  std::lock_guard guard(object->decodeLock);
  if (!object->pending.load(std::memory_order_relaxed)) return object;
  Frame& frame = object->data.frames[0];
  try {
    Frame decoded;
    const std::vector<uint8_t>& bytes = *object->pendingBytes;
    if (DecodeJpegPixels(ByteSpan(bytes.data(), bytes.size()), 8, &decoded) == Ok && decoded.width == frame.width &&
        decoded.height == frame.height && decoded.stride == frame.stride) {
      frame.pixels = std::move(decoded.pixels);
    } else {
      frame.pixels.assign(static_cast<size_t>(frame.stride) * frame.height, 0x80);
    }
  } catch (const std::bad_alloc&) {
    return nullptr;  // stays pending: a later call may find the memory
  }
  object->pendingBytes.reset();
  object->pending.store(false, std::memory_order_release);
  return object;
}

}  // namespace platform::detail
