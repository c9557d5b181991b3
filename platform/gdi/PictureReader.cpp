// BMP and DIB: the core header (12 bytes, 3-byte colour entries), the info header and its
// version 2 to 5 extensions, OS/2 2.x headers without their own compressions; 1, 4, 8, 16, 24
// and 32 bits; RLE8 and RLE4; bit fields and alpha bit fields; bottom-up and top-down rows.
// ICO and CUR directories with DIB and PNG entries. PNG through libpng's simplified interface.

#include "platform/gdi/PictureReader.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace platform::picture {
namespace {

constexpr uint32_t kDibAlphaBitfields = 6;
constexpr uint32_t kDibJpeg = 4, kDibPng = 5;
constexpr int kMaxIconSide = 1024;

// Little-endian reads; every caller checks Has first.
struct Reader {
  ByteView bytes;
  bool Has(size_t offset, size_t count) const { return offset <= bytes.size() && count <= bytes.size() - offset; }
  uint16_t U16(size_t at) const { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); }
  uint32_t U32(size_t at) const {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
  }
};

PictureResult Fail(PictureStatus status, const char* reason) { return PictureResult{status, reason}; }
PictureResult Invalid(const char* reason) { return Fail(PictureStatus::Invalid, reason); }

PictureResult CheckSize(int64_t width, int64_t height, const PictureLimits& limits) {
  if (width <= 0 || height <= 0) return Invalid("bad size");
  if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels)
    return Fail(PictureStatus::TooLarge, "picture too large");
  return {};
}

bool WindowsHeaderSize(uint32_t size) { return size == 40 || size == 52 || size == 56 || size == 108 || size == 124; }

// Expands RLE8/RLE4 data into top-down index rows. Pixels the data skips keep index 0; data
// that ends without its end-of-bitmap mark leaves the rest so.
PictureResult ExpandRle(ByteView data, bool four, Dib* dib) {
  const int width = dib->width, height = dib->height;
  int x = 0, y = 0;  // y counts rows from the bottom, as the data does
  auto put = [&](uint8_t index) {
    if (x < width && y < height) {
      uint8_t* row = dib->rows.data() + static_cast<size_t>(height - 1 - y) * dib->stride;
      if (four) {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0xF << shift)) | ((index & 0xF) << shift));
      } else {
        row[x] = index;
      }
    }
    if (x < width) ++x;  // anything past the row's end is dropped
  };
  size_t p = 0;
  while (p + 1 < data.size() && y < height) {
    const uint8_t count = data[p], value = data[p + 1];
    p += 2;
    if (count) {
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // move right and up
      if (p + 1 >= data.size()) return Invalid("truncated run-length data");
      x = std::min(x + data[p], width);
      y += data[p + 1];
      p += 2;
    } else {  // literal pixels, padded to 16 bits
      const size_t bytes = four ? (value + 1u) / 2 : value;
      if (bytes > data.size() - p) return Invalid("truncated run-length data");
      for (int i = 0; i < value; ++i) {
        const uint8_t b = data[p + (four ? i / 2 : i)];
        put(four ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
      }
      p += (bytes + 1) & ~size_t{1};
    }
  }
  return {};
}

// The header, masks, colour table and pixels of a DIB. pixelOffset is where a file header says
// the pixels start (0: right after the colour table). An icon entry's height counts its colour
// rows and its mask rows.
PictureResult ParseDib(ByteView bytes, size_t pixelOffset, bool iconEntry, const PictureLimits& limits, Dib* out) {
  const Reader r{bytes};
  if (!r.Has(0, 4)) return Invalid("bitmap header too short");
  const uint32_t headerSize = r.U32(0);
  if (headerSize != 12 && (headerSize < 16 || headerSize > 124)) return Invalid("unknown bitmap header");
  if (!r.Has(0, headerSize)) return Invalid("bitmap header too short");
  // Fields past the end of a short OS/2 header read as 0.
  auto field = [&](size_t at) { return at + 4 <= headerSize ? r.U32(at) : 0u; };

  Dib dib;
  int64_t width, height;
  size_t entrySize = 4;
  if (headerSize == 12) {
    width = r.U16(4);
    height = r.U16(6);
    dib.bitsPerPixel = r.U16(10);
    entrySize = 3;
  } else {
    width = static_cast<int32_t>(field(4));
    height = static_cast<int32_t>(field(8));
    dib.bitsPerPixel = headerSize >= 16 ? r.U16(14) : 0;
    dib.compression = field(16);
    dib.pixelsPerMetreX = static_cast<int32_t>(field(24));
    dib.pixelsPerMetreY = static_cast<int32_t>(field(28));
    // OS/2 2.x headers use 3 and 4 for Huffman and RLE24 coding.
    if (!WindowsHeaderSize(headerSize) && dib.compression >= kDibBitfields)
      return Fail(PictureStatus::Unsupported, "unsupported compression");
  }
  const uint32_t colorsUsed = field(32);
  const uint32_t sizeImage = field(20);
  const int bits = dib.bitsPerPixel;
  const uint32_t compression = dib.compression;
  if (compression == kDibJpeg || compression == kDibPng ||
      (compression > kDibBitfields && compression != kDibAlphaBitfields))
    return Fail(PictureStatus::Unsupported, "unsupported compression");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return Invalid("unsupported bits per pixel");
  const bool rle = compression == kDibRle8 || compression == kDibRle4;
  const bool fields = compression == kDibBitfields || compression == kDibAlphaBitfields;
  if (compression == kDibRle8 && bits != 8) return Invalid("RLE8 needs 8 bits per pixel");
  if (compression == kDibRle4 && bits != 4) return Invalid("RLE4 needs 4 bits per pixel");
  if (fields && bits != 16 && bits != 32) return Invalid("bit fields need 16 or 32 bits per pixel");
  dib.topDown = height < 0;
  if (dib.topDown && rle) return Invalid("top-down bitmaps cannot be compressed");
  if (rle && iconEntry) return Invalid("compressed icon image");
  height = height < 0 ? -height : height;
  if (iconEntry) height /= 2;
  if (PictureResult size = CheckSize(width, height, limits); !size) return size;
  dib.width = static_cast<int>(width);
  dib.height = static_cast<int>(height);

  size_t offset = headerSize;
  if (fields) {
    dib.compression = kDibBitfields;
    if (headerSize >= 52) {
      for (int i = 0; i < 3; ++i) dib.masks[i] = r.U32(40 + 4 * i);
      if (headerSize >= 56) dib.masks[3] = r.U32(52);
    } else {
      const int count = compression == kDibAlphaBitfields ? 4 : 3;
      if (!r.Has(offset, 4 * count)) return Invalid("bit-field masks missing");
      for (int i = 0; i < count; ++i) dib.masks[i] = r.U32(offset + 4 * i);
      offset += 4 * count;
    }
  } else if (bits == 16) {
    dib.masks[0] = 0x7C00, dib.masks[1] = 0x03E0, dib.masks[2] = 0x001F;
  } else if (bits == 32) {
    dib.masks[0] = 0xFF0000, dib.masks[1] = 0xFF00, dib.masks[2] = 0xFF;
  }

  // A file header's pixel offset counts only where it lies past the headers.
  if (pixelOffset && pixelOffset < offset) pixelOffset = 0;
  if (bits <= 8) {
    const uint32_t capacity = 1u << bits;
    size_t count = colorsUsed && colorsUsed <= capacity ? colorsUsed : capacity;
    // The table cannot reach into the pixels: older writers leave out the unused entries.
    if (pixelOffset) count = std::min(count, (pixelOffset - offset) / entrySize);
    if (!r.Has(offset, count * entrySize)) return Invalid("colour table too short");
    dib.palette.resize(count);
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* e = bytes.data() + offset + i * entrySize;
      dib.palette[i] = uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0];
    }
    offset += count * entrySize;
  }
  if (pixelOffset) offset = pixelOffset;
  if (offset > bytes.size()) return Invalid("pixel data outside the file");

  dib.stride = static_cast<int>(((static_cast<int64_t>(dib.width) * bits + 31) / 32) * 4);
  const size_t imageBytes = static_cast<size_t>(dib.stride) * dib.height;
  const ByteView pixels = bytes.subspan(offset);
  if (rle) {
    dib.rows.assign(imageBytes, 0);
    const size_t length = sizeImage && sizeImage <= pixels.size() ? sizeImage : pixels.size();
    if (PictureResult expanded = ExpandRle(pixels.first(length), compression == kDibRle4, &dib); !expanded)
      return expanded;
  } else {
    if (pixels.size() < imageBytes) return Invalid("pixel data too short");
    dib.rows.resize(imageBytes);
    for (int y = 0; y < dib.height; ++y) {
      const int stored = dib.topDown ? y : dib.height - 1 - y;
      std::memcpy(dib.rows.data() + static_cast<size_t>(y) * dib.stride,
                  pixels.data() + static_cast<size_t>(stored) * dib.stride, dib.stride);
    }
  }
  if (iconEntry) {
    // The AND mask follows the colour rows; some writers leave it out of 32-bit entries.
    dib.maskStride = ((dib.width + 31) / 32) * 4;
    const size_t maskBytes = static_cast<size_t>(dib.maskStride) * dib.height;
    if (pixels.size() - imageBytes >= maskBytes) {
      const uint8_t* mask = pixels.data() + imageBytes;
      dib.mask.resize(maskBytes);
      for (int y = 0; y < dib.height; ++y) {
        const int stored = dib.topDown ? y : dib.height - 1 - y;
        std::memcpy(dib.mask.data() + static_cast<size_t>(y) * dib.maskStride,
                    mask + static_cast<size_t>(stored) * dib.maskStride, dib.maskStride);
      }
    }
  }
  *out = std::move(dib);
  return {};
}

struct PngReadState {
  png_image image;
  PngReadState() {
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
  }
  ~PngReadState() { png_image_free(&image); }
  PngReadState(const PngReadState&) = delete;
  PngReadState& operator=(const PngReadState&) = delete;
};

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// The pHYs chunk, which the simplified interface does not report. It comes before the data.
void ReadPhysicalSize(ByteView bytes, Png* png) {
  size_t p = 8;
  while (bytes.size() >= 12 && p <= bytes.size() - 12) {
    const uint32_t length = Be32(bytes.data() + p);
    if (length > bytes.size() - p - 12) return;
    const uint8_t* type = bytes.data() + p + 4;
    if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) return;
    if (std::memcmp(type, "pHYs", 4) == 0 && length == 9) {
      const uint8_t* d = type + 4;
      if (d[8] != 1) return;  // the unit must be the metre
      png->pixelsPerMetreX = Be32(d);
      png->pixelsPerMetreY = Be32(d + 4);
      return;
    }
    p += 12 + size_t{length};
  }
}

}  // namespace

uint8_t MaskedChannel(uint32_t pixel, uint32_t mask) {
  if (!mask) return 0;
  const int shift = std::countr_zero(mask);
  const uint64_t max = mask >> shift;
  const uint64_t value = (pixel & mask) >> shift;
  return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

PictureResult ReadDib(ByteView dib, Dib* out, const PictureLimits& limits) {
  return ParseDib(dib, 0, false, limits, out);
}

PictureResult ReadBmp(ByteView file, Dib* out, const PictureLimits& limits) {
  const Reader r{file};
  if (!r.Has(0, 14)) return Invalid("file header too short");
  if (file[0] != 'B' || file[1] != 'M') return Invalid("no BM signature");
  const uint32_t pixelOffset = r.U32(10);
  if (pixelOffset > file.size()) return Invalid("pixel data outside the file");
  return ParseDib(file.subspan(14), pixelOffset > 14 ? pixelOffset - 14 : 0, false, limits, out);
}

std::vector<uint32_t> DibToArgb(const Dib& dib, uint8_t opaqueAlpha) {
  std::vector<uint32_t> argb(static_cast<size_t>(dib.width) * dib.height);
  const uint32_t opaque = uint32_t{opaqueAlpha} << 24;
  const int bits = dib.bitsPerPixel;
  auto color = [&](unsigned index) { return index < dib.palette.size() ? opaque | dib.palette[index] : opaque; };
  const bool plain32 = bits == 32 && dib.masks[0] == 0xFF0000 && dib.masks[1] == 0xFF00 && dib.masks[2] == 0xFF;
  for (int y = 0; y < dib.height; ++y) {
    const uint8_t* row = dib.Row(y);
    uint32_t* to = argb.data() + static_cast<size_t>(y) * dib.width;
    for (int x = 0; x < dib.width; ++x) {
      uint32_t value;
      switch (bits) {
        case 1: to[x] = color((row[x >> 3] >> (7 - (x & 7))) & 1); continue;
        case 4: to[x] = color((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF); continue;
        case 8: to[x] = color(row[x]); continue;
        case 24: to[x] = opaque | uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x]; continue;
        case 16: value = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8; break;
        default: std::memcpy(&value, row + 4 * x, 4); break;
      }
      const uint32_t alpha = dib.masks[3] ? uint32_t{MaskedChannel(value, dib.masks[3])} << 24 : opaque;
      if (plain32) {
        to[x] = alpha | (value & 0xFFFFFF);
      } else {
        to[x] = alpha | uint32_t{MaskedChannel(value, dib.masks[0])} << 16 |
                uint32_t{MaskedChannel(value, dib.masks[1])} << 8 | MaskedChannel(value, dib.masks[2]);
      }
    }
  }
  return argb;
}

PictureResult ReadIconDirectory(ByteView file, IconDirectory* out) {
  const Reader r{file};
  if (!r.Has(0, 6)) return Invalid("icon header too short");
  const uint16_t type = r.U16(2), count = r.U16(4);
  if (r.U16(0) != 0 || (type != 1 && type != 2)) return Invalid("not an icon or cursor file");
  if (count == 0) return Invalid("icon directory is empty");
  if (!r.Has(6, size_t{count} * 16)) return Invalid("icon directory too short");
  IconDirectory directory;
  directory.cursor = type == 2;
  directory.entries.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = file.data() + 6 + i * 16;
    IconEntry& entry = directory.entries[i];
    entry.width = e[0] ? e[0] : 256;
    entry.height = e[1] ? e[1] : 256;
    entry.colorCount = e[2];
    entry.planes = r.U16(6 + i * 16 + 4);
    entry.bitCount = r.U16(6 + i * 16 + 6);
    entry.size = r.U32(6 + i * 16 + 8);
    entry.offset = r.U32(6 + i * 16 + 12);
  }
  *out = std::move(directory);
  return {};
}

PictureResult ReadIconImage(ByteView file, const IconEntry& entry, IconImage* out, const PictureLimits& limits) {
  const Reader r{file};
  if (!r.Has(entry.offset, entry.size)) return Invalid("icon image outside the file");
  const ByteView bytes = file.subspan(entry.offset, entry.size);
  PictureLimits iconLimits = limits;
  iconLimits.maxSide = std::min(limits.maxSide, kMaxIconSide);
  IconImage image;
  if (IsPng(bytes)) {
    Png png;
    if (PictureResult result = ReadPng(bytes, &png, PngLayout::Argb, iconLimits); !result) return result;
    image.png = true;
    image.width = png.width;
    image.height = png.height;
    image.argb.resize(static_cast<size_t>(png.width) * png.height);
    std::memcpy(image.argb.data(), png.pixels.data(), image.argb.size() * 4);
  } else {
    if (PictureResult result = ParseDib(bytes, 0, true, iconLimits, &image.dib); !result) return result;
    const Dib& dib = image.dib;
    image.width = dib.width;
    image.height = dib.height;
    image.argb = DibToArgb(dib);
    bool ownAlpha = false;
    if (dib.bitsPerPixel == 32)
      for (int y = 0; y < dib.height && !ownAlpha; ++y)
        for (int x = 0; x < dib.width && !ownAlpha; ++x) ownAlpha = dib.Row(y)[4 * x + 3] != 0;
    for (int y = 0; y < dib.height; ++y) {
      uint32_t* to = image.argb.data() + static_cast<size_t>(y) * dib.width;
      const uint8_t* mask = dib.mask.empty() ? nullptr : dib.mask.data() + static_cast<size_t>(y) * dib.maskStride;
      for (int x = 0; x < dib.width; ++x) {
        if (ownAlpha)
          to[x] = uint32_t(dib.Row(y)[4 * x + 3]) << 24 | (to[x] & 0xFFFFFF);
        else if (mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1))
          to[x] = 0;
        else
          to[x] |= 0xFF000000u;
      }
    }
  }
  *out = std::move(image);
  return {};
}

bool IsPng(ByteView bytes) { return bytes.size() >= 8 && std::memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8) == 0; }

PictureResult ReadPng(ByteView file, Png* out, PngLayout layout, const PictureLimits& limits) {
  if (!IsPng(file)) return Invalid("no PNG signature");
  PngReadState state;
  png_image& image = state.image;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return Invalid("damaged PNG header");
  if (PictureResult size = CheckSize(image.width, image.height, limits); !size) return size;
  Png png;
  png.width = static_cast<int>(image.width);
  png.height = static_cast<int>(image.height);
  std::vector<uint8_t> colormap;
  if (layout == PngLayout::Native && (image.format & PNG_FORMAT_FLAG_COLORMAP)) {
    png.format = Png::Format::Indexed8;
    image.format = PNG_FORMAT_BGRA_COLORMAP;
    colormap.resize(PNG_IMAGE_COLORMAP_SIZE(image));
  } else if (layout == PngLayout::Native && !(image.format & PNG_FORMAT_FLAG_ALPHA)) {
    png.format = Png::Format::Bgr24;
    image.format = PNG_FORMAT_BGR;
  } else {
    png.format = Png::Format::Argb32;
    image.format = PNG_FORMAT_BGRA;
  }
  png.stride = static_cast<int>(PNG_IMAGE_ROW_STRIDE(image));
  png.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, png.pixels.data(), 0, colormap.empty() ? nullptr : colormap.data()))
    return Invalid("damaged PNG data");
  if (png.format == Png::Format::Indexed8) {
    png.palette.resize(image.colormap_entries);
    for (size_t i = 0; i < png.palette.size(); ++i) {
      const uint8_t* c = colormap.data() + 4 * i;
      png.palette[i] = uint32_t(c[3]) << 24 | uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
    }
  }
  ReadPhysicalSize(file, &png);
  *out = std::move(png);
  return {};
}

}  // namespace platform::picture
