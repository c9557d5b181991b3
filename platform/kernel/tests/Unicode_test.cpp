#include "platform/kernel/Unicode.h"

#include <gtest/gtest.h>

namespace {

struct RoundTrip {
  const char* name;
  std::string utf8;
  std::u16string utf16;
};

TEST(Unicode, RoundTripsEveryPlane) {
  const RoundTrip cases[] = {
      {"empty", "", u""},
      {"ascii", "Brantwell 1.0", u"Brantwell 1.0"},
      {"latin", "caf\xC3\xA9", u"caf\u00E9"},
      {"cjk", "\xE6\x97\xA5\xE6\x9C\xAC", u"\u65E5\u672C"},
      {"astral", "\xF0\x9F\x8E\xAC clip", u"\U0001F3AC clip"},
      {"top of range", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::Utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(platform::Utf16ToUtf8(c.utf16), c.utf8);
    EXPECT_TRUE(platform::IsValidUtf8(c.utf8));
  }
}

TEST(Unicode, MalformedInputBecomesReplacementCharacters) {
  const struct {
    const char* name;
    std::string utf8;
    std::u16string expected;
  } cases[] = {
      {"lone continuation", "a\x80" "b", u"a\uFFFDb"},
      {"truncated sequence", "a\xE6\x97", u"a\uFFFD"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD"},
      {"invalid lead", "\xFF", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::Utf8ToUtf16(c.utf8), c.expected);
    EXPECT_FALSE(platform::IsValidUtf8(c.utf8));
  }
}

TEST(Unicode, UnpairedSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

}  // namespace
