#include "program/engine/QMTextArt.h"

#include <gtest/gtest.h>

#include <cstring>

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

}  // namespace
