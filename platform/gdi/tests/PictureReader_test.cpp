// The picture reader on small files built here: every BMP depth and coding it reads, icons and
// cursors with DIB and PNG entries, PNG, and the damaged shapes that must fail cleanly.

#include "platform/gdi/PictureReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

using namespace platform::picture;

namespace {

using Bytes = std::vector<uint8_t>;

void U16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void U32(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }

// An info header (40 bytes) for a DIB.
Bytes InfoHeader(int32_t width, int32_t height, int bits, uint32_t compression = kDibRgb, uint32_t colors = 0,
                 uint32_t sizeImage = 0) {
  Bytes h;
  U32(h, 40), U32(h, uint32_t(width)), U32(h, uint32_t(height)), U16(h, 1), U16(h, bits), U32(h, compression);
  U32(h, sizeImage), U32(h, 2835), U32(h, 2835), U32(h, colors), U32(h, 0);
  return h;
}

// A BMP file: file header, then the DIB body; the pixel offset points right after `head`.
Bytes Bmp(const Bytes& head, const Bytes& pixels) {
  Bytes file{'B', 'M'};
  U32(file, uint32_t(14 + head.size() + pixels.size())), U32(file, 0), U32(file, uint32_t(14 + head.size()));
  file.insert(file.end(), head.begin(), head.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kBlack = 0xFF000000,
                   kWhite = 0xFFFFFFFF;
const Bytes kRedGreenTable = {0, 0, 255, 0, 0, 255, 0, 0};  // index 0 red, 1 green

struct BmpCase {
  const char* name;
  Bytes file;
  int bits;
  std::vector<uint32_t> argb;  // top-down, 2 x 2 unless the case says otherwise
};

std::vector<BmpCase> BmpCases() {
  std::vector<BmpCase> cases;
  // Bottom-up rows: the file's first row is the picture's last.
  cases.push_back({"1 bit", Bmp(Concat({InfoHeader(2, 2, 1, kDibRgb, 2), kRedGreenTable}),
                                {0x40, 0, 0, 0, 0x80, 0, 0, 0}),
                   1, {kGreen, kRed, kRed, kGreen}});
  cases.push_back({"4 bits", Bmp(Concat({InfoHeader(2, 2, 4, kDibRgb, 2), kRedGreenTable}),
                                 {0x10, 0, 0, 0, 0x01, 0, 0, 0}),
                   4, {kRed, kGreen, kGreen, kRed}});
  {
    // The core header: 3-byte colour entries, 16-bit sizes.
    Bytes core;
    U32(core, 12), U16(core, 2), U16(core, 2), U16(core, 1), U16(core, 8);
    cases.push_back({"8 bits, core header", Bmp(Concat({core, {0, 0, 255, 255, 0, 0}}), {1, 0, 0, 0, 0, 1, 0, 0}),
                     8, {kRed, kBlue, kBlue, kRed}});
  }
  {
    // 5-6-5 bit fields after the info header.
    Bytes masks;
    U32(masks, 0xF800), U32(masks, 0x07E0), U32(masks, 0x001F);
    Bytes rows;
    U16(rows, 0x001F), U16(rows, 0xF800), U16(rows, 0x07E0), U16(rows, 0xFFFF);
    cases.push_back({"16 bits 5-6-5", Bmp(Concat({InfoHeader(2, 2, 16, kDibBitfields), masks}), rows), 16,
                     {kGreen, kWhite, kBlue, kRed}});
  }
  cases.push_back({"24 bits top-down",
                   Bmp(InfoHeader(2, -2, 24), {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0}), 24,
                   {kRed, kGreen, kBlue, kBlack}});
  {
    // A version 5 header: alpha bit fields in the header, masks in RGBA byte order.
    Bytes v5(124, 0);
    auto put = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) v5[at + i] = uint8_t(v >> (8 * i)); };
    put(0, 124), put(4, 1), put(8, uint32_t(-1)), put(12, 1 | (32 << 16)), put(16, kDibBitfields);
    put(40, 0xFF), put(44, 0xFF00), put(48, 0xFF0000), put(52, 0xFF000000);
    cases.push_back({"32 bits, version 5 with alpha", Bmp(v5, {0x10, 0x20, 0x30, 0x80}), 32, {0x80102030}});
  }
  // RLE8: a run of two reds, end of line; a green and a red, end of bitmap.
  cases.push_back({"RLE8", Bmp(Concat({InfoHeader(2, 2, 8, kDibRle8, 2), kRedGreenTable}),
                               {2, 0, 0, 0, 1, 1, 1, 0, 0, 1}),
                   8, {kGreen, kRed, kRed, kRed}});
  // RLE4: a delta past the first row leaves it index 0; then a run alternating green and red.
  cases.push_back({"RLE4 with a delta", Bmp(Concat({InfoHeader(2, 2, 4, kDibRle4, 2), kRedGreenTable}),
                                            {0, 2, 0, 1, 2, 0x10, 0, 1}),
                   4, {kGreen, kRed, kRed, kRed}});
  // An index past the colour table reads as black, not as memory after it.
  cases.push_back({"palette index out of range", Bmp(Concat({InfoHeader(2, 1, 8, kDibRgb, 2), kRedGreenTable}),
                                                     {1, 200, 0, 0}),
                   8, {kGreen, kBlack}});
  return cases;
}

TEST(PictureReader, ReadsEveryBmpDepthAndCoding) {
  for (const BmpCase& c : BmpCases()) {
    SCOPED_TRACE(c.name);
    Dib dib;
    const PictureResult result = ReadBmp(c.file, &dib);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(dib.bitsPerPixel, c.bits);
    EXPECT_EQ(size_t(dib.width) * dib.height, c.argb.size());
    EXPECT_EQ(DibToArgb(dib), c.argb);
  }
}

TEST(PictureReader, DamagedBmpFilesFailWithAReason) {
  const Bytes good = Bmp(Concat({InfoHeader(2, 2, 8, kDibRgb, 2), kRedGreenTable}), {0, 1, 0, 0, 1, 0, 0, 0});
  Dib dib;
  ASSERT_TRUE(ReadBmp(good, &dib));

  struct Case {
    const char* name;
    Bytes file;
    PictureStatus status;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}, PictureStatus::Invalid});
  cases.push_back({"truncated file header", Bytes(good.begin(), good.begin() + 10), PictureStatus::Invalid});
  cases.push_back({"truncated info header", Bytes(good.begin(), good.begin() + 30), PictureStatus::Invalid});
  cases.push_back({"truncated pixels", Bytes(good.begin(), good.end() - 1), PictureStatus::Invalid});
  auto patched = [&](size_t at, uint32_t value) {
    Bytes b = good;
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(value >> (8 * i));
    return b;
  };
  cases.push_back({"pixel offset past the end", patched(10, 100000), PictureStatus::Invalid});
  cases.push_back({"header size past the end", patched(14, 120), PictureStatus::Invalid});
  cases.push_back({"unknown header size", patched(14, 200), PictureStatus::Invalid});
  cases.push_back({"zero width", patched(18, 0), PictureStatus::Invalid});
  cases.push_back({"huge width", patched(18, 1'000'000), PictureStatus::TooLarge});
  cases.push_back({"huge height", patched(22, 0x7FFFFFFF), PictureStatus::TooLarge});
  cases.push_back({"most negative height", patched(22, 0x80000000), PictureStatus::TooLarge});
  cases.push_back({"unknown depth", patched(28, 7), PictureStatus::Invalid});
  cases.push_back({"JPEG inside", patched(30, 4), PictureStatus::Unsupported});
  cases.push_back({"RLE8 with 24 bits", Bmp(InfoHeader(2, 2, 24, kDibRle8), {0, 1}), PictureStatus::Invalid});
  cases.push_back({"top-down RLE", Bmp(Concat({InfoHeader(2, -2, 8, kDibRle8, 2), kRedGreenTable}), {0, 1}),
                   PictureStatus::Invalid});
  cases.push_back({"RLE literal past the end",
                   Bmp(Concat({InfoHeader(2, 2, 8, kDibRle8, 2), kRedGreenTable}), {0, 200, 1, 1}),
                   PictureStatus::Invalid});
  cases.push_back({"bit-field masks missing", Bmp(InfoHeader(2, 2, 32, kDibBitfields), {}), PictureStatus::Invalid});
  {
    // 256 colours declared and the file ends inside the table (no pixel offset to trim it).
    Bytes file = Bmp(InfoHeader(2, 2, 8, kDibRgb, 256), Bytes(20, 0));
    file[10] = file[11] = file[12] = file[13] = 0;
    cases.push_back({"colour table too short", file, PictureStatus::Invalid});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PictureResult result = ReadBmp(c.file, &dib);
    EXPECT_EQ(result.status, c.status);
    EXPECT_FALSE(result.reason.empty());
  }
  // Smaller limits refuse what the defaults take.
  EXPECT_EQ(ReadBmp(good, &dib, PictureLimits{1, 100}).status, PictureStatus::TooLarge);
}

// A 2 x 1 RGBA PNG (opaque red, half-clear blue) with 2835 pixels a metre, and a 2 x 1
// palette PNG (green, white).
const Bytes kRgbaPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0xF4, 0x22, 0x7F, 0x8A, 0x00, 0x00, 0x00, 0x09, 0x70,
    0x48, 0x59, 0x73, 0x00, 0x00, 0x0B, 0x13, 0x00, 0x00, 0x0B, 0x13, 0x01, 0x00, 0x9A, 0x9C, 0x18, 0x00, 0x00, 0x00,
    0x0E, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0x00, 0x42, 0x0D, 0x00, 0x0F, 0x7A, 0x03, 0x7E,
    0x77, 0xE9, 0x7F, 0x97, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
const Bytes kPalettePng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x03, 0x00, 0x00, 0x00, 0xC3, 0xFC, 0x8F, 0xB8, 0x00, 0x00, 0x00,
    0x06, 0x50, 0x4C, 0x54, 0x45, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x6F, 0xBD, 0x58, 0x51, 0x00, 0x00, 0x00,
    0x0B, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x60, 0x60, 0x04, 0x00, 0x00, 0x04, 0x00, 0x02, 0xBF, 0x7A,
    0x3F, 0x4A, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

std::vector<uint32_t> Argb(const Png& png) {
  std::vector<uint32_t> out(size_t(png.width) * png.height);
  std::memcpy(out.data(), png.pixels.data(), out.size() * 4);
  return out;
}

TEST(PictureReader, PngAsArgbOrInItsOwnLayout) {
  Png png;
  ASSERT_TRUE(ReadPng(kRgbaPng, &png));
  EXPECT_EQ(Argb(png), (std::vector<uint32_t>{kRed, 0x800000FF}));
  EXPECT_EQ(png.pixelsPerMetreX, 2835u);

  ASSERT_TRUE(ReadPng(kPalettePng, &png, PngLayout::Native));
  EXPECT_EQ(png.format, Png::Format::Indexed8);
  EXPECT_EQ(png.palette, (std::vector<uint32_t>{kGreen, kWhite}));
  EXPECT_EQ(png.pixels, (Bytes{0, 1}));
  ASSERT_TRUE(ReadPng(kPalettePng, &png, PngLayout::Argb));
  EXPECT_EQ(Argb(png), (std::vector<uint32_t>{kGreen, kWhite}));

  Bytes cut(kRgbaPng.begin(), kRgbaPng.end() - 20);
  EXPECT_EQ(ReadPng(cut, &png).status, PictureStatus::Invalid);
  Bytes huge = kRgbaPng;
  huge[16] = 0x00, huge[17] = 0x01;  // width 65538; the header's CRC is wrong too
  EXPECT_FALSE(ReadPng(huge, &png));
  EXPECT_EQ(ReadPng(kRgbaPng, &png, PngLayout::Argb, PictureLimits{1, 1}).status, PictureStatus::TooLarge);
}

// An icon file (or a cursor with hot spot 1,0) of the given entries.
Bytes IconFile(const std::vector<Bytes>& images, bool cursor = false) {
  Bytes file;
  U16(file, 0), U16(file, cursor ? 2 : 1), U16(file, uint16_t(images.size()));
  uint32_t offset = uint32_t(6 + 16 * images.size());
  for (const Bytes& image : images) {
    file.insert(file.end(), {2, 2, 0, 0});
    U16(file, cursor ? 1 : 1), U16(file, cursor ? 0 : 32), U32(file, uint32_t(image.size())), U32(file, offset);
    offset += uint32_t(image.size());
  }
  for (const Bytes& image : images) file.insert(file.end(), image.begin(), image.end());
  return file;
}

TEST(PictureReader, IconEntriesTakeTheirMaskOrTheirOwnAlpha) {
  // 2 x 2, 24 bits, with a mask that clears the top-left pixel (stored as the last row).
  const Bytes masked = Concat({InfoHeader(2, 4, 24), {0, 0, 255, 0, 255, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0},
                               {0, 0, 0, 0, 0x80, 0, 0, 0}});
  // 1 x 1, 32 bits, with its own alpha; its mask says transparent and does not count.
  const Bytes alpha = Concat({InfoHeader(1, 2, 32), {0x10, 0x20, 0x30, 0x40}, {0x80, 0, 0, 0}});
  const Bytes file = IconFile({masked, alpha, kRgbaPng});

  IconDirectory directory;
  ASSERT_TRUE(ReadIconDirectory(file, &directory));
  EXPECT_FALSE(directory.cursor);
  ASSERT_EQ(directory.entries.size(), 3u);
  IconImage image;
  ASSERT_TRUE(ReadIconImage(file, directory.entries[0], &image));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0, kWhite, kRed, kGreen}));
  EXPECT_EQ(image.dib.bitsPerPixel, 24);
  ASSERT_TRUE(ReadIconImage(file, directory.entries[1], &image));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0x40302010}));
  ASSERT_TRUE(ReadIconImage(file, directory.entries[2], &image));
  EXPECT_TRUE(image.png);
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{kRed, 0x800000FF}));

  // A 32-bit entry without a mask and without alpha is opaque.
  const Bytes noMask = IconFile({Concat({InfoHeader(1, 2, 32), {1, 2, 3, 0}})});
  ASSERT_TRUE(ReadIconDirectory(noMask, &directory));
  ASSERT_TRUE(ReadIconImage(noMask, directory.entries[0], &image));
  EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF030201}));

  const Bytes cursor = IconFile({masked}, true);
  ASSERT_TRUE(ReadIconDirectory(cursor, &directory));
  EXPECT_TRUE(directory.cursor);
  EXPECT_EQ(directory.entries[0].hotspotX(), 1);
  EXPECT_EQ(directory.entries[0].hotspotY(), 0);
}

TEST(PictureReader, DamagedIconsFailEntryByEntry) {
  const Bytes good = Concat({InfoHeader(1, 2, 24), {1, 2, 3, 0}, {0, 0, 0, 0}});
  Bytes file = IconFile({good, good});
  // The second entry points past the end; the first still reads.
  file[6 + 16 + 12] = 0xF0;
  IconDirectory directory;
  ASSERT_TRUE(ReadIconDirectory(file, &directory));
  IconImage image;
  EXPECT_TRUE(ReadIconImage(file, directory.entries[0], &image));
  EXPECT_EQ(ReadIconImage(file, directory.entries[1], &image).status, PictureStatus::Invalid);

  struct Case {
    const char* name;
    Bytes file;
  };
  const Bytes one = IconFile({good});
  const std::vector<Case> directories = {
      {"too short", {0, 0, 1, 0}},
      {"wrong type", {0, 0, 3, 0, 1, 0}},
      {"no entries", {0, 0, 1, 0, 0, 0}},
      {"directory past the end", Bytes(one.begin(), one.begin() + 12)},
  };
  for (const Case& c : directories) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadIconDirectory(c.file, &directory).status, PictureStatus::Invalid);
  }
  const std::vector<Case> entries = {
      {"colour rows cut", IconFile({Bytes(good.begin(), good.end() - 6)})},
      {"huge entry", IconFile({Concat({InfoHeader(4096, 8192, 24), Bytes(64, 0)})})},
      {"compressed entry", IconFile({Concat({InfoHeader(1, 2, 8, kDibRle8), Bytes(1024 + 8, 0)})})},
      {"cut PNG entry", IconFile({Bytes(kRgbaPng.begin(), kRgbaPng.begin() + 40)})},
  };
  for (const Case& c : entries) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(ReadIconDirectory(c.file, &directory));
    EXPECT_FALSE(ReadIconImage(c.file, directory.entries[0], &image));
  }
}

TEST(PictureReader, MaskedChannelsScaleToFullRange) {
  EXPECT_EQ(MaskedChannel(0x001F, 0x001F), 255);
  EXPECT_EQ(MaskedChannel(0x0010, 0x001F), 132);  // 16/31, rounded
  EXPECT_EQ(MaskedChannel(0xFFFFFFFF, 0xFFFFFFFF), 255);
  EXPECT_EQ(MaskedChannel(0x12345678, 0), 0);
}

}  // namespace
