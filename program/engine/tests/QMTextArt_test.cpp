#include "program/engine/QMTextArt.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

#include "program/engine/EngineBinding.h"
#include "program/engine/MediaDibImage.h"
#include "program/engine/TextArtLibrary.h"
#include "rtl/Exceptions.h"

namespace {

size_t UnitsBeforeZero(const char16_t* field, size_t capacity) {
  size_t length = 0;
  while (length < capacity && field[length]) ++length;
  return length;
}

// Texts and face names are cut so that their fields always end in a zero.
TEST(NormalTextParamTest, FieldsAreCutToLeaveTheirTerminator) {
  struct Case {
    size_t length;
    size_t textKept, faceKept;
  };
  const Case cases[] = {{0, 0, 0},         {5, 5, 5},         {127, 127, 127},  {128, 128, 127},
                        {1023, 1023, 127}, {1024, 1023, 127}, {5000, 1023, 127}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    TNormalTextParam param;
    std::memset(static_cast<void*>(&param), 0x55, sizeof param);  // leftovers of an earlier request
    param.SetText(WideString(c.length, u'x'));
    param.SetFaceName(WideString(c.length, u'F'));
    EXPECT_EQ(UnitsBeforeZero(param.Text, TNormalTextParam::kTextCapacity), c.textKept);
    EXPECT_EQ(UnitsBeforeZero(param.FaceName, TNormalTextParam::kFaceNameCapacity), c.faceKept);
    EXPECT_EQ(param.Text[TNormalTextParam::kTextCapacity - 1], 0);
    EXPECT_EQ(param.FaceName[TNormalTextParam::kFaceNameCapacity - 1], 0);
  }
  // A shorter text leaves nothing of a longer one behind.
  TNormalTextParam param;
  param.SetText(u"a longer text");
  param.SetText(u"ab");
  EXPECT_EQ(std::u16string_view(param.Text, 3), std::u16string_view(u"ab\0", 3));
  EXPECT_EQ(param.Text[5], 0);

  const TNormalTextParam blank;
  const auto* bytes = reinterpret_cast<const uint8_t*>(&blank);
  for (size_t i = 0; i < sizeof blank; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST(NormalTextParamTest, FontStylesAndTextStyleFlags) {
  EXPECT_EQ(FontStylesToTextStyle({fsBold, fsUnderline}), 5);
  EXPECT_EQ(FontStylesToTextStyle({fsBold, fsItalic, fsUnderline, fsStrikeOut}), 15);
  EXPECT_EQ(FontStylesToTextStyle({}), 0);
  EXPECT_EQ(TextStyleToFontStyles(16), TFontStyles{});
  EXPECT_EQ(TextStyleToFontStyles(2 | 8 | 32), (TFontStyles{fsItalic, fsStrikeOut}));
  for (int32_t flags = 0; flags < 16; ++flags) EXPECT_EQ(FontStylesToTextStyle(TextStyleToFontStyles(flags)), flags);
}

TEST(TextArtLibraryTest, GenerateNormalTextExBindsItsLibraryAndAnswersZeroWithoutTheEntry) {
  TTextArtLibrary partial("QM_TestPartial.dll");
  TNormalTextParam param;
  param.SetText(u"Title");
  EXPECT_EQ(partial.GenerateNormalTextEx(&param, 0, 0, 0), 0u);
  EXPECT_TRUE(partial.Loaded());
  partial.Unload();

  TTextArtLibrary missing("NoSuchTextEngine.dll");
  try {
    missing.GenerateNormalTextEx(&param, 0, 0, 0);
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_NE(e.Message().find("NoSuchTextEngine.dll"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(missing.Loaded());
}

// The clip editor's text watermark: a request filled from a text and a font, drawn by the
// text-art engine and wrapped as an owned image.
TEST(TextArtLibraryTest, TheEngineDrawsTheRequestIntoAnImageTheProgramOwns) {
  auto draw = [](const WideString& text, TFontStyles styles) {
    TNormalTextParam param;
    param.SetText(text);
    param.SetFaceName(u"DejaVu Sans");
    param.Color = 0x00281EC8;  // red 200, green 30, blue 40
    param.FontSize = 20;
    param.Style = FontStylesToTextStyle(styles);
    const TEngineHandle handle = TextArtLibrary.GenerateNormalTextEx(&param, 0, 0, 0);
    return handle ? MediaDibImage::TDibImage::CreateFromHandle(handle, true) : nullptr;
  };
  auto plain = draw(u"Brantwell", {});
  const auto bold = draw(u"Brantwell", {fsBold});
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(bold, nullptr);
  EXPECT_GT(bold->GetWidth(), plain->GetWidth());
  const BITMAPINFO* info = plain->GetBitmapInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->bmiHeader.biBitCount, 32);
  const auto* bits = static_cast<const uint8_t*>(plain->GetBits());
  const int width = plain->GetWidth(), height = plain->GetHeight();
  int opaque = 0;
  for (int i = 0; i < width * height; ++i) {
    const uint8_t* pixel = bits + i * 4;
    if (pixel[3] != 255) continue;
    ++opaque;
    EXPECT_EQ((std::array<int, 3>{pixel[0], pixel[1], pixel[2]}), (std::array<int, 3>{40, 30, 200})) << i;
  }
  EXPECT_GT(opaque, 20);
  for (int corner : {0, width - 1, (height - 1) * width, height * width - 1}) EXPECT_EQ(bits[corner * 4 + 3], 0);

  // The image goes with its owner.
  const TEngineHandle handle = plain->Handle();
  plain.reset();
  EXPECT_EQ(ImageProcLibrary.DIGetWidth(handle), 0);

  // A text longer than its field arrives cut and terminated, so the engine still draws it.
  WideString lines;
  while (lines.size() < 1500) lines += u"A line of text\n";
  EXPECT_NE(draw(lines, {}), nullptr);
  EXPECT_EQ(draw(u"", {}), nullptr);  // nothing to draw
}

}  // namespace
