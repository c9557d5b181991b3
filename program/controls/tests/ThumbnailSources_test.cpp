// The thumbnail sources: picture kinds by extension, StrCatA within its buffer, icons at
// their real size and stretched, the desktop's file icons and the error picture.

#include "program/controls/ThumbnailSources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "ControlsTestSupport.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Pictures.h"
#include "program/skin/DrawUtils.h"
#include "vcl/Bitmap.h"

namespace {

TEST(ThumbnailSources, KindsFollowTheExtensionTable) {
  const struct {
    const char* ext;
    int kind;
  } kinds[] = {{"JPG", 2}, {"jpeg", 2}, {"Tiff", 6}, {"tif", 6}, {"Png", 4}, {"gif", 3}, {"DIB", 1}, {"bmp", 1},
               {"ico", 7}, {"jp2", 5},  {"wmf", 8},  {"emf", 9}, {"jpe", 2}, {"", 2}};
  for (const auto& k : kinds) EXPECT_EQ(GetImageKind(k.ext), k.kind) << k.ext;
  const struct {
    const char16_t* name;
    int kind;
  } files[] = {{u"/photos/holiday.2009/noextension", 2}, {u"/photos/scan.DIB", 1}, {u"C:\\a.b\\icon.ico", 7},
               {u"plain.png", 4}};
  for (const auto& f : files) EXPECT_EQ(GetImageFileKind(f.name), f.kind);
}

// StrCatA never writes past the destination's capacity and never splits a character.
TEST(ThumbnailSources, StrCatAKeepsToItsBuffer) {
  const struct {
    const char* start;
    const char* source;
    size_t capacity;
    const char* expected;
  } cases[] = {
      {"abc", "def", 16, "abcdef"},
      {"abc", "defgh", 6, "abcde"},
      {"abc", "xyz", 4, "abc"},
      {"ab", "\xC3\xA9\xC3\xA9", 5, "ab\xC3\xA9"},  // "éé" cut to one whole é
      {"", "", 1, ""},
  };
  for (const auto& c : cases) {
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    std::strcpy(buffer, c.start);
    EXPECT_EQ(StrCatA(buffer, c.capacity, c.source), buffer);
    EXPECT_STREQ(buffer, c.expected) << c.source << " into " << c.capacity;
    for (size_t i = c.capacity; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#') << "wrote at " << i;
  }
}

TEST(ThumbnailSources, AnIconReportsItsOwnSizeAndFillsARectangleItIsDrawnInto) {
  TBitmap colour;
  colour.SetPixelFormat(pf32bit);
  colour.SetSize(48, 48);
  colour.Canvas()->Brush()->SetColor(clRed);
  colour.Canvas()->FillRect(TRect{0, 0, 48, 48});
  TIcon source;
  source.SetBitmaps(&colour, nullptr);
  TIconEx icon;
  icon.SetHandle(CopyIcon(source.Handle()));
  EXPECT_EQ(icon.Width(), 48);
  EXPECT_EQ(icon.Height(), 48);

  TBitmap target;
  target.SetPixelFormat(pf32bit);
  target.SetSize(100, 100);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(TRect{0, 0, 100, 100});
  target.Canvas()->StretchDraw(TRect{0, 0, 100, 100}, &icon);
  const auto image = platform::testing::CaptureBitmap(target.Handle());
  for (auto [x, y] : {std::pair{1, 1}, std::pair{98, 98}, std::pair{50, 50}})
    EXPECT_EQ(image.At(x, y) & 0xFFFFFF, 0xFF0000u) << x << "," << y;
}

TEST(ThumbnailSources, FileIconsComeFromTheShellAndMissingFilesGiveNone) {
  const auto folder = controls_test::FreshFolder("thumbnail-sources");
  std::ofstream(folder / "clip.mp4") << "not really";
  const WideString clip = platform::Utf8ToUtf16((folder / "clip.mp4").string());
  HICON icon = nullptr;
  ASSERT_TRUE(GetFileIcon(clip, 64, icon));
  int width = 0, height = 0;
  GetIconSize(icon, width, height);
  EXPECT_EQ(width, 64);
  DestroyIcon(icon);
  EXPECT_GE(GetSystemIconIndex(clip, false), 0);
  EXPECT_EQ(GetSystemIconIndex(clip + u".missing", false), -1);
  EXPECT_FALSE(GetFileIcon(clip + u".missing", 32, icon));
  EXPECT_EQ(icon, nullptr);

  const auto error = LoadErrorPicture();
  EXPECT_GT(error->Width(), 16);
}

}  // namespace
