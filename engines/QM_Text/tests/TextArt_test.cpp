#include "engines/QM_Text/TextApi.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engines/QM_ImageProc/QM_ImageProc.h"
#include "platform/testing/Pictures.h"
#include "platform/testing/Watchdog.h"

namespace {

using engines::EngineHandle;

constexpr uint32_t Rgb(int red, int green, int blue) { return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16; }

TNormalTextParam Record(const std::u16string& text, int32_t points = 48, int32_t style = 0,
                        const std::u16string& face = u"DejaVu Sans", uint32_t colour = Rgb(0, 0, 0)) {
  TNormalTextParam record;
  std::memset(&record, 0, sizeof(record));
  std::copy_n(text.begin(), std::min<size_t>(text.size(), 1023), record.text);
  std::copy_n(face.begin(), std::min<size_t>(face.size(), 127), record.faceName);
  record.colour = colour;
  record.pointSize = points;
  record.styleFlags = style;
  return record;
}

// The picture of a rendered text, read through the image engine's entry points, top row first.
struct Pixel {
  uint8_t b, g, r, a;
};
struct Picture {
  int width = 0, height = 0;
  std::vector<Pixel> pixels;
  const Pixel& At(int x, int y) const { return pixels[size_t(y) * width + x]; }
  bool Inked(int x, int y) const { return At(x, y).a != 0; }
  int FirstInkedRow() const {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (Inked(x, y)) return y;
    return -1;
  }
  int LastInkedRow() const {
    for (int y = height - 1; y >= 0; --y)
      for (int x = 0; x < width; ++x)
        if (Inked(x, y)) return y;
    return -1;
  }
  // Rows inked from the leftmost to the rightmost ink column without a gap: the lines an
  // underline or strike-out draws across a text with blanks in it.
  std::vector<int> SolidRows() const {
    std::vector<int> rows;
    for (int y = 0; y < height; ++y) {
      bool solid = true;
      for (int x = 3; x < width - 3 && solid; ++x) solid = Inked(x, y);
      if (solid) rows.push_back(y);
    }
    return rows;
  }
  // The middle of the ink in one row, in pixels from the left; -1 without ink.
  double InkCentre(int y) const {
    double sum = 0, weight = 0;
    for (int x = 0; x < width; ++x) sum += x * At(x, y).a, weight += At(x, y).a;
    return weight ? sum / weight : -1;
  }
};

// Owns an image of the image engine, as the program does the ones it gets.
struct Image {
  EngineHandle handle = 0;
  explicit Image(EngineHandle h) : handle(h) {}
  Image(const Image&) = delete;
  ~Image() {
    if (handle) DIDestroy(handle);
  }
};

Picture Read(EngineHandle image) {
  Picture picture;
  const BITMAPINFO* info = DIGetBitmapInfo(image);
  const auto* bits = static_cast<const uint8_t*>(DIGetBits(image));
  if (!info || !bits) return picture;
  const BITMAPINFOHEADER& header = info->bmiHeader;
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biBitCount, 32);
  EXPECT_EQ(header.biPlanes, 1);
  EXPECT_EQ(header.biCompression, DWORD(BI_RGB));
  EXPECT_GT(header.biHeight, 0) << "bottom-up";
  EXPECT_EQ(header.biWidth, DIGetWidth(image));
  EXPECT_EQ(header.biHeight, DIGetHeight(image));
  EXPECT_EQ(header.biSizeImage, DWORD(header.biWidth * header.biHeight * 4));
  picture.width = header.biWidth;
  picture.height = header.biHeight;
  picture.pixels.resize(size_t(picture.width) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(&picture.pixels[size_t(y) * picture.width], bits + size_t(picture.height - 1 - y) * picture.width * 4,
                size_t(picture.width) * 4);
  }
  return picture;
}

Picture Render(const TNormalTextParam& record) {
  const Image image(GenerateNormalTextEx(&record, 0));
  EXPECT_NE(image.handle, 0u);
  return image.handle ? Read(image.handle) : Picture{};
}

TEST(TextArt, PictureIsTheInkWithATransparentTwoPixelBorderInTheAskedColour) {
  const uint32_t colour = Rgb(0xE0, 0x9A, 0x12);
  const Picture picture = Render(Record(u"Brantwell 1.0", 36, 0, u"DejaVu Sans", colour));
  ASSERT_GT(picture.width, 100);
  ASSERT_GT(picture.height, 20);

  // Ink touches the third row and column from every edge, and nothing lies outside them.
  bool inkLeft = false, inkRight = false, inkTop = false, inkBottom = false;
  int opaque = 0, partial = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Pixel& p = picture.At(x, y);
      const bool border = x < 2 || y < 2 || x >= picture.width - 2 || y >= picture.height - 2;
      if (border) {
        ASSERT_EQ(p.a, 0) << "ink in the border at " << x << "," << y;
        continue;
      }
      inkLeft |= x == 2 && p.a, inkRight |= x == picture.width - 3 && p.a;
      inkTop |= y == 2 && p.a, inkBottom |= y == picture.height - 3 && p.a;
      if (p.a == 0) {
        ASSERT_TRUE(p.r == 0 && p.g == 0 && p.b == 0) << "colour without ink at " << x << "," << y;
        continue;
      }
      // Straight alpha: every inked pixel, opaque or antialiased, has the colour itself.
      ASSERT_TRUE(p.r == 0xE0 && p.g == 0x9A && p.b == 0x12)
          << "pixel " << x << "," << y << " is " << int(p.r) << "," << int(p.g) << "," << int(p.b) << " alpha "
          << int(p.a);
      (p.a == 255 ? opaque : partial)++;
    }
  }
  EXPECT_TRUE(inkLeft && inkRight && inkTop && inkBottom) << "the bounds are not tight";
  EXPECT_GT(opaque, 100);
  EXPECT_GT(partial, 20) << "the edges are not antialiased";

  // A picture to look at.
  platform::testing::Image png;
  png.width = picture.width;
  png.height = picture.height;
  for (const Pixel& p : picture.pixels) png.pixels.push_back(uint32_t(p.a) << 24 | p.r << 16 | p.g << 8 | p.b);
  std::string error;
  EXPECT_TRUE(platform::testing::SavePng(png, BRANTWELL_TEST_BIN_DIR "/text-art.png", &error,
                                         platform::testing::Alpha::Keep))
      << error;
}

TEST(TextArt, SizeIsInPointsAtNinetySixPixelsPerInch) {
  // DejaVu Sans' capitals are 0.729 em tall: 70 pixels for 72 points (96 pixels).
  const Picture large = Render(Record(u"H", 72));
  EXPECT_NEAR(large.height - 4, 70, 2);
  const Picture small = Render(Record(u"H", 36));
  EXPECT_NEAR(small.height - 4, 35, 2);
}

TEST(TextArt, FaceAndBoldAndItalicChangeTheGlyphs) {
  // A monospaced face gives narrow and wide letters the same room; the proportional one does not.
  const int monoNarrow = Render(Record(u"iiii", 24, 0, u"DejaVu Sans Mono")).width;
  const int monoWide = Render(Record(u"mmmm", 24, 0, u"DejaVu Sans Mono")).width;
  const int sansNarrow = Render(Record(u"iiii", 24, 0, u"DejaVu Sans")).width;
  const int sansWide = Render(Record(u"mmmm", 24, 0, u"DejaVu Sans")).width;
  EXPECT_GT(monoNarrow, sansNarrow + 20);
  EXPECT_LT(monoWide, sansWide);

  const Picture regular = Render(Record(u"Bold text", 36));
  const Picture bold = Render(Record(u"Bold text", 36, kTextBold));
  EXPECT_GT(bold.width, regular.width + 5);

  // An upright stem has its top over its foot; a slanted one leans right.
  const Picture upright = Render(Record(u"l", 72));
  const Picture slanted = Render(Record(u"l", 72, kTextItalic));
  const auto lean = [](const Picture& p) { return p.InkCentre(p.FirstInkedRow()) - p.InkCentre(p.LastInkedRow()); };
  EXPECT_NEAR(lean(upright), 0, 1.0);
  EXPECT_GT(lean(slanted), 8);
}

TEST(TextArt, UnderlineRunsBelowTheBaselineAndStrikeOutThroughTheMiddle) {
  // Letters of x-height only and no descenders: the plain text's ink ends at the baseline, and
  // its top is the top of the x-height in all three pictures.
  const std::u16string text = u"xox oxo xox";
  const Picture plain = Render(Record(text, 48));
  const Picture underlined = Render(Record(text, 48, kTextUnderline));
  const Picture struck = Render(Record(text, 48, kTextStrikeOut));
  ASSERT_GT(plain.height, 20);
  EXPECT_TRUE(plain.SolidRows().empty()) << "the blanks leave every plain row with a gap";

  const int baseline = plain.LastInkedRow();
  const std::vector<int> underline = underlined.SolidRows();
  ASSERT_FALSE(underline.empty());
  EXPECT_GT(underline.front(), baseline) << "the underline lies below the baseline";
  EXPECT_LT(underline.back(), baseline + 16);
  EXPECT_EQ(underlined.FirstInkedRow(), plain.FirstInkedRow());

  const int xTop = plain.FirstInkedRow(), xHeight = baseline - xTop;
  const std::vector<int> strike = struck.SolidRows();
  ASSERT_FALSE(strike.empty());
  EXPECT_EQ(struck.height, plain.height);
  for (int row : strike) {
    EXPECT_GT(row, xTop + xHeight / 4) << "the strike-out lies near the middle of the x-height";
    EXPECT_LT(row, baseline - xHeight / 4);
  }
}

TEST(TextArt, LinesBreakAtEveryLineEnd) {
  const int one = Render(Record(u"Line", 24)).height;
  int two = 0;
  for (const char16_t* text : {u"Line\nLine", u"Line\r\nLine", u"Line\rLine"}) {
    const Picture picture = Render(Record(text, 24));
    EXPECT_GT(picture.height, one * 3 / 2) << "two lines";
    EXPECT_LT(picture.width, Render(Record(u"LineLine", 24)).width) << "the lines stand under each other";
    if (two) {
      EXPECT_EQ(picture.height, two) << "CR LF ends one line, not two";
    }
    two = picture.height;
  }
}

TEST(TextArt, TextsBeyondAsciiAreDrawn) {
  const Picture latin = Render(Record(u"Grüße"));
  const Picture mixed = Render(Record(u"Grüße 日本"));
  // Two ideographs of about an em (64 pixels) each, and a blank.
  EXPECT_GT(mixed.width, latin.width + 100);
  EXPECT_EQ(latin.FirstInkedRow(), 2);
}

TEST(TextArt, UnusableRecordsGiveNoImage) {
  TNormalTextParam unterminatedText = Record(u"x");
  std::fill(std::begin(unterminatedText.text), std::end(unterminatedText.text), u'A');
  TNormalTextParam unterminatedFace = Record(u"x");
  std::fill(std::begin(unterminatedFace.faceName), std::end(unterminatedFace.faceName), u'A');
  // Long lines in large sizes would be pictures of many gigabytes; the longest lie beyond the
  // range in which text can be laid out at all.
  const TNormalTextParam wide = Record(std::u16string(300, u'W'), 200);
  const TNormalTextParam huge = Record(std::u16string(1000, u'W'), 8000);
  const struct {
    const char* what;
    TNormalTextParam record;
  } cases[] = {
      {"empty text", Record(u"")},
      {"text without terminator", unterminatedText},
      {"face without terminator", unterminatedFace},
      {"size 0", Record(u"x", 0)},
      {"negative size", Record(u"x", -12)},
      {"size beyond any font", Record(u"x", 100000)},
      {"picture too large", wide},
      {"line too long to lay out", huge},
      {"blanks only", Record(u" \n  ")},
  };
  for (const auto& c : cases) EXPECT_EQ(GenerateNormalTextEx(&c.record, 0), 0u) << c.what;
  EXPECT_EQ(GenerateNormalTextEx(nullptr, 0), 0u);

  // Fields filled up to their last unit, terminator included, are taken whole.
  TNormalTextParam full = Record(u"", 8, 0, std::u16string(127, u'Q'));
  std::fill_n(full.text, 1023, u'.');
  const Image image(GenerateNormalTextEx(&full, 0));
  EXPECT_NE(image.handle, 0u);
  EXPECT_GT(DIGetWidth(image.handle), 1000);
}

// Threads draw at the same time, each the same picture as one thread alone.
TEST(TextArt, ThreadsDrawAtTheSameTime) {
  const platform::testing::Watchdog watchdog(std::chrono::seconds(60));
  const TNormalTextParam record = Record(u"Grüße 日本\nzwei", 30, kTextBold | kTextUnderline);
  const std::vector<Pixel> expected = Render(record).pixels;
  ASSERT_FALSE(expected.empty());
  std::vector<int> same(4, 0);
  std::vector<std::thread> threads;
  for (int& count : same) {
    threads.emplace_back([&record, &expected, &count] {
      for (int i = 0; i < 10; ++i) {
        const Image image(GenerateNormalTextEx(&record, 0));
        const auto* bits = static_cast<const uint8_t*>(DIGetBits(image.handle));
        if (!bits || size_t(DIGetWidth(image.handle)) * DIGetHeight(image.handle) != expected.size()) continue;
        // Compare bottom-up bits against the top-down pixels row by row.
        const int width = DIGetWidth(image.handle), height = DIGetHeight(image.handle);
        bool equal = true;
        for (int y = 0; y < height && equal; ++y)
          equal = std::memcmp(bits + size_t(height - 1 - y) * width * 4, &expected[size_t(y) * width], width * 4) == 0;
        count += equal;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(same, std::vector<int>(4, 10));
}

TEST(TextArt, OnlyTheEntryTheProgramCallsIsExported) {
  void* library = dlopen("QM_Text.so", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(dlsym(library, "GenerateNormalTextEx"), reinterpret_cast<void*>(&GenerateNormalTextEx));
  for (const char* name : {"GenerateNormalText", "GetSupportFontCount", "GenerateArtText", "GenerateArtTextEx"})
    EXPECT_EQ(dlsym(library, name), nullptr) << name;
  dlclose(library);
}

}  // namespace
