#include "program/engine/DibImage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/kernel/Unicode.h"

namespace {

namespace fs = std::filesystem;
using DibImage::TDibImage;

// A BMP file put together field by field, so that each test can break exactly one thing.
struct Bmp {
  uint32_t infoSize = 40;
  int32_t width = 2;
  int32_t height = 2;
  uint16_t planes = 1;
  uint16_t bits = 24;
  uint32_t compression = BI_RGB;
  uint32_t sizeImage = 0;
  uint32_t colorsUsed = 0;
  uint32_t headerMasks[4] = {};  // the masks inside a 52-byte or larger header
  std::vector<uint8_t> tables;   // what follows the header: colour table or masks
  std::vector<uint8_t> gap;      // bytes between the tables and the pixels
  std::vector<uint8_t> pixels;
  int64_t pixelOffset = -1;  // bfOffBits; -1: where the pixels are
  size_t cutTo = SIZE_MAX;   // the file ends here

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out;
    auto put16 = [&](uint32_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); };
    auto put32 = [&](uint32_t v) {
      out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
    };
    const uint32_t start = 14 + infoSize + static_cast<uint32_t>(tables.size() + gap.size());
    out.insert(out.end(), {'B', 'M'});
    put32(start + static_cast<uint32_t>(pixels.size()));
    put32(0);
    put32(pixelOffset < 0 ? start : static_cast<uint32_t>(pixelOffset));
    put32(infoSize);
    put32(static_cast<uint32_t>(width));
    put32(static_cast<uint32_t>(height));
    put16(planes);
    put16(bits);
    put32(compression);
    put32(sizeImage);
    put32(2835);
    put32(2835);
    put32(colorsUsed);
    put32(0);
    for (int i = 0; i < 4 && out.size() + 4 <= 14 + infoSize; ++i) put32(headerMasks[i]);
    out.resize(14 + infoSize, 0);
    out.insert(out.end(), tables.begin(), tables.end());
    out.insert(out.end(), gap.begin(), gap.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    if (cutTo < out.size()) out.resize(cutTo);
    return out;
  }
};

// Rows of recognisable bytes (padding included), as a file stores them.
std::vector<uint8_t> PixelBytes(int32_t width, int32_t height, int bits, uint8_t seed = 1) {
  const size_t size = static_cast<size_t>(TDibImage::CalcDibStride(width, bits)) * std::abs(height);
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

std::vector<uint8_t> Palette(int entries) {
  std::vector<uint8_t> table;
  for (int i = 0; i < entries; ++i) table.insert(table.end(), {uint8_t(i), uint8_t(i * 3), uint8_t(255 - i), 0});
  return table;
}

std::vector<uint8_t> Masks(std::initializer_list<uint32_t> masks) {
  std::vector<uint8_t> bytes;
  for (uint32_t m : masks) bytes.insert(bytes.end(), {uint8_t(m), uint8_t(m >> 8), uint8_t(m >> 16), uint8_t(m >> 24)});
  return bytes;
}

class DibImageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = fs::path(BRANTWELL_TEST_BIN_DIR) / ("dibimage-" + std::to_string(getpid()));
    fs::create_directories(m_folder);
  }
  void TearDown() override { fs::remove_all(m_folder); }

  WideString Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = m_folder / (name + ".bmp");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return platform::Utf8ToUtf16(path.string());
  }

  fs::path m_folder;
};

TEST(DibImageTest, StrideSizesAndBlankImages) {
  EXPECT_EQ(TDibImage::CalcDibStride(1, 24), 4);
  EXPECT_EQ(TDibImage::CalcDibStride(3, 8), 4);
  EXPECT_EQ(TDibImage::CalcDibStride(33, 1), 8);
  EXPECT_EQ(TDibImage::CalcDibStride(5, 32), 20);

  TDibImage image;
  EXPECT_EQ(image.GetBitmapInfoPtr(), nullptr);
  EXPECT_EQ(image.GetDibWidth(), 0);
  ASSERT_TRUE(image.CreateBlank(10, 10, 8));
  EXPECT_EQ(image.HeaderBlockSize(), 1064u);
  EXPECT_EQ(image.BitsBlockSize(), 12u * 10 + 1024);
  EXPECT_EQ(image.GetSizeImage(), 120u);
  EXPECT_EQ(image.GetBitmapInfoPtr()->bmiHeader.biPlanes, 1);
  EXPECT_EQ(image.GetBitmapInfoPtr()->bmiHeader.biSize, 40u);
  void* bits = image.GetBitsPtr();
  static_cast<uint8_t*>(bits)[0] = 9;
  ASSERT_TRUE(image.CreateBlank(10, 10, 8));  // the same picture: kept as it is
  EXPECT_EQ(image.GetBitsPtr(), bits);
  EXPECT_EQ(static_cast<uint8_t*>(image.GetBitsPtr())[0], 9);

  ASSERT_TRUE(image.CreateBlank(3, -2, 24));  // top-down
  EXPECT_EQ(image.GetDibHeight(), -2);
  EXPECT_EQ(image.GetSizeImage(), 24u);
  EXPECT_EQ(image.HeaderBlockSize(), 40u);

  // Sizes no picture can have leave the image alone.
  for (const auto& [w, h, b] : {std::tuple{0, 5, 24}, {5, 0, 24}, {5, 5, 7}, {40000, 1, 8}, {30000, 30000, 32}}) {
    EXPECT_FALSE(image.CreateBlank(w, h, b)) << w << "x" << h << "x" << b;
    EXPECT_EQ(image.GetDibWidth(), 3);
  }
  image.Clear();
  EXPECT_EQ(image.GetBitsPtr(), nullptr);
  EXPECT_EQ(image.GetBitCount(), 0);
}

// Files that declare what the image cannot hold, or that are no BMP, are refused, and the
// picture the image had stays.
TEST_F(DibImageFiles, RefusesWhatItCannotHoldAndKeepsThePicture) {
  struct Case {
    const char* name;
    const char* reason;
    Bmp bmp;
  };
  auto with = [](auto change) {
    Bmp bmp;
    bmp.pixels = PixelBytes(2, 2, 24);
    change(bmp);
    return bmp;
  };
  const Case cases[] = {
      {"width 0", "bad width", with([](Bmp& b) { b.width = 0; })},
      {"negative width", "bad width", with([](Bmp& b) { b.width = -3; })},
      {"height 0", "bad height", with([](Bmp& b) { b.height = 0; })},
      {"no planes", "planes", with([](Bmp& b) { b.planes = 0; })},
      {"two planes", "planes", with([](Bmp& b) { b.planes = 2; })},
      {"bit count 0", "bit count", with([](Bmp& b) { b.bits = 0; })},
      {"bit count 2", "bit count", with([](Bmp& b) { b.bits = 2; })},
      {"bit count 48", "bit count", with([](Bmp& b) { b.bits = 48; })},
      {"3 colours for 1 bit", "colours", with([](Bmp& b) { b.bits = 1, b.colorsUsed = 3, b.tables = Palette(3); })},
      {"257 colours for 8 bits", "colours",
       with([](Bmp& b) { b.bits = 8, b.colorsUsed = 257, b.tables = Palette(257); })},
      {"run-length 8", "compression",
       with([](Bmp& b) { b.bits = 8, b.compression = BI_RLE8, b.tables = Palette(256); })},
      {"JPEG inside", "compression", with([](Bmp& b) { b.compression = 4; })},
      {"alpha bit fields", "compression", with([](Bmp& b) {
         b.bits = 32, b.compression = 6, b.tables = Masks({0xFF0000, 0xFF00, 0xFF, 0xFF000000});
       })},
      {"bit fields at 24 bits", "bit fields", with([](Bmp& b) {
         b.compression = BI_BITFIELDS, b.tables = Masks({0xFF0000, 0xFF00, 0xFF});
       })},
      {"size beyond its block", "more pixel data", with([](Bmp& b) { b.sizeImage = 16 + 1025; })},
      {"side too long", "too large", with([](Bmp& b) { b.width = 40000; })},
      {"rows beyond 32 bits", "too large", with([](Bmp& b) { b.width = 30000, b.height = 30000, b.bits = 32; })},
      {"most negative height", "too large", with([](Bmp& b) { b.height = INT32_MIN; })},
      {"core header", "header", with([](Bmp& b) { b.infoSize = 12; })},
      {"unknown header", "header", with([](Bmp& b) { b.infoSize = 200; })},
      {"pixels past the end", "outside the file", with([](Bmp& b) { b.pixelOffset = 100000; })},
      {"no signature", "not a BMP", with([](Bmp& b) { b.cutTo = 1; })},
      {"empty file", "not a BMP", with([](Bmp& b) { b.cutTo = 0; })},
  };

  TDibImage image;
  Bmp good;
  good.width = 3, good.height = 1, good.pixels = PixelBytes(3, 1, 24);
  ASSERT_TRUE(image.LoadBmpFile(Write("good", good.Bytes()))) << image.LoadError();
  const void* bits = image.GetBitsPtr();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(image.LoadBmpFile(Write(c.name, c.bmp.Bytes())));
    // The reason names the file and what is wrong with it.
    EXPECT_NE(image.LoadError().find(c.name), std::string::npos) << image.LoadError();
    EXPECT_NE(image.LoadError().find(c.reason), std::string::npos) << image.LoadError();
    EXPECT_EQ(image.GetDibWidth(), 3);
    EXPECT_EQ(image.GetBitsPtr(), bits);
  }
  EXPECT_FALSE(image.LoadBmpFile(platform::Utf8ToUtf16((m_folder / "missing.bmp").string())));
  EXPECT_NE(image.LoadError().find("cannot open"), std::string::npos) << image.LoadError();
  EXPECT_EQ(image.GetDibWidth(), 3);
}

// What each kind of file gives: the header with biSize 40 and the picture's size, the colour
// table or the masks after it, and the file's rows as stored.
TEST_F(DibImageFiles, ReadsEveryDepthHeaderVersionAndLayout) {
  struct Case {
    const char* name;
    Bmp bmp;
    std::vector<uint8_t> afterHeader;  // expected start of the block after the 40 header bytes
  };
  auto make = [](int32_t width, int32_t height, uint16_t bits, auto change) {
    Bmp bmp;
    bmp.width = width, bmp.height = height, bmp.bits = bits;
    bmp.pixels = PixelBytes(width, height, bits);
    change(bmp);
    return bmp;
  };
  auto none = [](Bmp&) {};
  const Case cases[] = {
      {"1 bit", make(9, 3, 1, [](Bmp& b) { b.tables = Palette(2); }), Palette(2)},
      {"4 bits", make(5, 2, 4, [](Bmp& b) { b.tables = Palette(16); }), Palette(16)},
      {"8 bits with 3 colours", make(3, 3, 8, [](Bmp& b) { b.colorsUsed = 3, b.tables = Palette(3); }), Palette(3)},
      {"24 bits, size 0", make(3, 2, 24, none), {}},
      {"24 bits top-down", make(3, -2, 24, none), {}},
      {"24 bits with its size", make(3, 2, 24, [](Bmp& b) { b.sizeImage = 18; }), {}},
      {"32 bits", make(2, 2, 32, none), {}},
      {"16-bit fields",
       make(3, 2, 16,
            [](Bmp& b) {
              b.compression = BI_BITFIELDS, b.tables = Masks({0xF800, 0x07E0, 0x001F});
            }),
       Masks({0xF800, 0x07E0, 0x001F})},
      {"version 5, 32-bit fields",
       make(2, 3, 32,
            [](Bmp& b) {
              b.infoSize = 124, b.compression = BI_BITFIELDS;
              const uint32_t masks[4] = {0xFF, 0xFF00, 0xFF0000, 0xFF000000};
              std::memcpy(b.headerMasks, masks, sizeof masks);
            }),
       Masks({0xFF, 0xFF00, 0xFF0000})},
      {"version 4, 8 bits", make(4, 2, 8, [](Bmp& b) { b.infoSize = 108, b.colorsUsed = 2, b.tables = Palette(2); }),
       Palette(2)},
      {"colour table cut short by the pixel offset", make(3, 2, 8, [](Bmp& b) { b.tables = Palette(4); }), Palette(4)},
      {"pixels further on", make(3, 2, 24, [](Bmp& b) { b.gap = std::vector<uint8_t>(6, 0xEE); }), {}},
      {"size at the limit", make(2, 2, 24, [](Bmp& b) { b.sizeImage = 16 + 1024; }), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDibImage image;
    ASSERT_TRUE(image.LoadBmpFile(Write(c.name, c.bmp.Bytes()))) << image.LoadError();
    EXPECT_TRUE(image.LoadError().empty());
    const BITMAPINFOHEADER& header = image.GetBitmapInfoPtr()->bmiHeader;
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(image.GetDibWidth(), c.bmp.width);
    EXPECT_EQ(image.GetDibHeight(), c.bmp.height);
    EXPECT_EQ(image.GetBitCount(), c.bmp.bits);
    EXPECT_EQ(header.biCompression, c.bmp.compression);
    EXPECT_EQ(header.biXPelsPerMeter, 2835);
    EXPECT_EQ(image.GetSizeImage(), c.bmp.pixels.size());
    EXPECT_EQ(image.GetStride(), TDibImage::CalcDibStride(c.bmp.width, c.bmp.bits));
    ASSERT_GE(image.HeaderBlockSize(), 40 + c.afterHeader.size());
    const auto* block = reinterpret_cast<const uint8_t*>(image.GetBitmapInfoPtr());
    EXPECT_EQ(std::vector<uint8_t>(block + 40, block + 40 + c.afterHeader.size()), c.afterHeader);
    for (size_t i = 40 + c.afterHeader.size(); i < image.HeaderBlockSize(); ++i) ASSERT_EQ(block[i], 0) << i;
    ASSERT_EQ(image.BitsBlockSize(), c.bmp.pixels.size() + 1024);
    const auto* bits = static_cast<const uint8_t*>(image.GetBitsPtr());
    EXPECT_EQ(std::vector<uint8_t>(bits, bits + c.bmp.pixels.size()), c.bmp.pixels);
    for (size_t i = c.bmp.pixels.size(); i < image.BitsBlockSize(); ++i) ASSERT_EQ(bits[i], 0) << i;
  }
}

// A file cut short loads, and what it lacks is zero: nothing of the picture read before shows.
TEST_F(DibImageFiles, AShortFileLeavesZerosNeverOlderPixels) {
  Bmp full;
  full.width = 3, full.height = 4, full.pixels = PixelBytes(3, 4, 24, 50);
  TDibImage image;
  ASSERT_TRUE(image.LoadBmpFile(Write("full", full.Bytes())));

  Bmp cut = full;
  cut.pixels = PixelBytes(3, 4, 24, 90);
  cut.cutTo = 14 + 40 + 18;  // a row and a half
  ASSERT_TRUE(image.LoadBmpFile(Write("cut pixels", cut.Bytes()))) << image.LoadError();
  const auto* bits = static_cast<const uint8_t*>(image.GetBitsPtr());
  EXPECT_EQ(std::vector<uint8_t>(bits, bits + 18), std::vector<uint8_t>(cut.pixels.begin(), cut.pixels.begin() + 18));
  for (size_t i = 18; i < image.BitsBlockSize(); ++i) ASSERT_EQ(bits[i], 0) << i;

  Bmp table;
  table.width = 2, table.height = 2, table.bits = 8, table.tables = Palette(256);
  table.pixels = PixelBytes(2, 2, 8);
  table.cutTo = 14 + 40 + 3 * 4;  // three colours, no pixels
  ASSERT_TRUE(image.LoadBmpFile(Write("cut table", table.Bytes()))) << image.LoadError();
  const auto* header = reinterpret_cast<const uint8_t*>(image.GetBitmapInfoPtr());
  EXPECT_EQ(std::vector<uint8_t>(header + 40, header + 52), Palette(3));
  for (size_t i = 52; i < image.HeaderBlockSize(); ++i) ASSERT_EQ(header[i], 0) << i;
  bits = static_cast<const uint8_t*>(image.GetBitsPtr());
  for (size_t i = 0; i < image.BitsBlockSize(); ++i) ASSERT_EQ(bits[i], 0) << i;
}

}  // namespace
