#pragma once

// The one reader of the picture files the platform decodes itself: BMP files and bare
// device-independent bitmaps, ICO and CUR files (classic entries with their AND mask, and
// PNG-compressed entries), and PNG. The class library, the window manager and GDI+ all read
// through it, each keeping the pixel layout it hands on.
//
// Every length, offset and count in the input is checked against the bytes given before it is
// used; damaged input ends in a status with a reason, never in a read past the end. Sizes are
// checked against PictureLimits before anything is allocated. Any thread; nothing is kept
// between calls.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform::picture {

using ByteView = std::span<const uint8_t>;

enum class PictureStatus {
  Ok,
  Invalid,      // damaged or not this format
  Unsupported,  // well formed, but a variant that is not read (JPEG inside a BMP, OS/2 Huffman ...)
  TooLarge,     // larger than the limits allow
};

struct PictureResult {
  PictureStatus status = PictureStatus::Ok;
  std::string reason;  // empty when Ok; says what is wrong otherwise ("colour table too short")
  explicit operator bool() const { return status == PictureStatus::Ok; }
};

struct PictureLimits {
  int maxSide = 32768;
  int64_t maxPixels = int64_t{1} << 28;
};

// A DIB's compressions as stored in its header.
constexpr uint32_t kDibRgb = 0, kDibRle8 = 1, kDibRle4 = 2, kDibBitfields = 3;

// A device-independent bitmap in the depth it was stored in. Run-length data is expanded into
// plain 8- or 4-bit rows; rows are top-down whatever the file's order was.
struct Dib {
  int width = 0;
  int height = 0;
  bool topDown = false;          // the file stored its rows top-down (a negative height)
  int bitsPerPixel = 0;          // 1, 4, 8, 16, 24 or 32
  uint32_t compression = kDibRgb;  // kDibRgb, kDibRle8, kDibRle4 or kDibBitfields (alpha bit fields too)
  // Red, green, blue and alpha masks of 16- and 32-bit pixels: the file's own with bit fields,
  // otherwise the depth's defaults (5-5-5, or 8-8-8 with no alpha).
  uint32_t masks[4] = {0, 0, 0, 0};
  // The colour table as stored (at most 1 << bitsPerPixel entries), each 0x00RRGGBB. Pixels
  // may name indices past its end; they read as black.
  std::vector<uint32_t> palette;
  int stride = 0;  // bytes per row, padded to 4 bytes
  std::vector<uint8_t> rows;
  int pixelsPerMetreX = 0;  // 0 when the file gives none
  int pixelsPerMetreY = 0;
  // Icon entries only: the 1-bit AND mask (set: transparent), top-down rows padded to 4 bytes;
  // empty when the entry leaves it out.
  std::vector<uint8_t> mask;
  int maskStride = 0;

  bool Indexed() const { return bitsPerPixel <= 8; }
  const uint8_t* Row(int y) const { return rows.data() + static_cast<size_t>(y) * stride; }
};

// A BMP file ("BM", the file header, then a DIB; the pixels start where the file header says).
PictureResult ReadBmp(ByteView file, Dib* out, const PictureLimits& limits = {});
// A bare DIB: the header, masks, colour table and pixels right after them.
PictureResult ReadDib(ByteView dib, Dib* out, const PictureLimits& limits = {});

// The picture as top-down 0xAARRGGBB pixels (straight alpha). Alpha comes from the alpha mask
// where there is one; pictures without one get opaqueAlpha.
std::vector<uint32_t> DibToArgb(const Dib& dib, uint8_t opaqueAlpha = 0xFF);
// One channel of a masked 16- or 32-bit pixel, scaled to 0..255 (0 for an empty mask).
uint8_t MaskedChannel(uint32_t pixel, uint32_t mask);

// ---- icons and cursors ------------------------------------------------------------------------

struct IconEntry {
  int width = 0;  // from the directory, where 0 means 256
  int height = 0;
  int colorCount = 0;
  int planes = 0;      // icons; a cursor keeps its hot spot here ...
  int bitCount = 0;    // ... and here
  uint32_t size = 0;   // where the entry's picture lies in the file, as the directory says
  uint32_t offset = 0;
  int hotspotX() const { return planes; }
  int hotspotY() const { return bitCount; }
};

struct IconDirectory {
  bool cursor = false;  // a .cur file (type 2) rather than an .ico file (type 1)
  std::vector<IconEntry> entries;  // every entry of the directory, in file order
};

// The directory of an ICO or CUR file. The entries are listed as they stand; one whose bytes lie
// outside the file fails in ReadIconImage, so that a damaged entry cannot hide a good one.
PictureResult ReadIconDirectory(ByteView file, IconDirectory* out);

// One entry's picture. Icons are at most 1024 pixels a side.
struct IconImage {
  int width = 0;
  int height = 0;
  bool png = false;  // a PNG-compressed entry; otherwise dib holds the colour rows and the mask
  Dib dib;
  // Top-down 0xAARRGGBB, straight alpha: a 32-bit entry's own alpha when any of its alpha bytes
  // is set, otherwise opaque where the AND mask is clear and 0 where it is set.
  std::vector<uint32_t> argb;
};

PictureResult ReadIconImage(ByteView file, const IconEntry& entry, IconImage* out, const PictureLimits& limits = {});

// ---- PNG ----------------------------------------------------------------------------------

enum class PngLayout {
  Argb,    // always 32-bit straight ARGB
  Native,  // palette pictures stay 8-bit indexed, pictures without alpha become 24-bit BGR
};

struct Png {
  enum class Format { Indexed8, Bgr24, Argb32 };
  Format format = Format::Argb32;
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes per row, unpadded
  std::vector<uint8_t> pixels;  // top-down
  std::vector<uint32_t> palette;  // Indexed8: 0xAARRGGBB entries
  uint32_t pixelsPerMetreX = 0;  // from the pHYs chunk when its unit is the metre; else 0
  uint32_t pixelsPerMetreY = 0;
};

PictureResult ReadPng(ByteView file, Png* out, PngLayout layout = PngLayout::Argb, const PictureLimits& limits = {});

// True when the bytes start with the PNG signature.
bool IsPng(ByteView bytes);

}  // namespace platform::picture
