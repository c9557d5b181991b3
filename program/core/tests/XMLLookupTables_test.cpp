#include <gtest/gtest.h>

#include "program/core/XMLLookupTables.h"

namespace {

TEST(XMLCharClasses, ClassSizesMatchTheXMLProductions) {
  int base = 0, combining = 0, digit = 0, ideographic = 0, extender = 0;
  for (uint32_t c = 0; c < 65536; ++c) {
    const uint8_t v = XMLCharClasses()[c];
    base += (v & xmlclass::BaseChar) != 0;
    combining += (v & xmlclass::CombiningChar) != 0;
    digit += (v & xmlclass::Digit) != 0;
    ideographic += (v & xmlclass::Ideographic) != 0;
    extender += (v & xmlclass::Extender) != 0;
    if (v != 0) EXPECT_TRUE(v & xmlclass::Char) << c;
  }
  EXPECT_EQ(base, 13602);
  EXPECT_EQ(combining, 437);
  EXPECT_EQ(digit, 149);
  EXPECT_EQ(ideographic, 20912);
  EXPECT_EQ(extender, 18);
}

TEST(XMLCharClasses, SampleCharacters) {
  struct Case { uint32_t c; bool letter, nameChar, isChar; };
  const Case cases[] = {
      {u'A', true, true, true},     {u'_', false, true, true},   {u':', false, true, true},
      {0x00B7, false, true, true},  {0x0300, false, true, true}, {0x3007, true, true, true},
      {0x4E00, true, true, true},   {0x0660, false, true, true}, {u',', false, false, true},
      {0xD800, false, false, false}, {0xFFFE, false, false, false}, {0xFFFF, false, false, false},
      {0xFFFD, false, false, true}, {0x0001, false, false, false}, {0x10041, true, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsXMLLetter(c.c), c.letter) << std::hex << c.c;
    EXPECT_EQ(IsXMLNameChar(c.c), c.nameChar) << std::hex << c.c;
    EXPECT_EQ(IsXMLChar(c.c), c.isChar) << std::hex << c.c;
  }
  EXPECT_TRUE(IsXMLNameStart(u':', true));
  EXPECT_FALSE(IsXMLNameStart(u'-', true));
  EXPECT_TRUE(IsXMLNameStart(u'-', false));
}

}  // namespace
