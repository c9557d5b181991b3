#include "platform/kernel/CodePages.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/kernel/WinError.h"

namespace {

std::u16string ToWide(UINT codePage, const std::string& bytes, DWORD flags = 0) {
  const int needed = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(needed), u'\0');
  if (needed > 0) MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), needed);
  return out;
}

std::string ToBytes(UINT codePage, const std::u16string& text, BOOL* usedDefault = nullptr) {
  const int needed = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, usedDefault);
  std::string out(static_cast<size_t>(needed), '\0');
  if (needed > 0) WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), needed, nullptr, usedDefault);
  return out;
}

TEST(CodePages, RoundTrips) {
  struct Case {
    const char* name;
    UINT codePage;
    std::string bytes;
    std::u16string text;
  };
  const Case cases[] = {
      {"1252", 1252, "caf\xE9 \x80 \x9F", u"café € Ÿ"},
      {"1252 undefined bytes", 1252, "\x81\x8D", u"\u0081\u008D"},
      {"932 Shift-JIS", 932, "\x93\xFA\x96\x7B\x8C\xEA ABC \xB1", u"日本語 ABC ｱ"},
      {"50220 ISO-2022-JP returns to ASCII", 50220, "\x1B$BF|K\\\x1B(B abc", u"日本 abc"},
      {"51932 EUC-JP", 51932, "\xC6\xFC\xCB\xDC", u"日本"},
      {"UTF-8", CP_UTF8, "\xF0\x9F\x8E\xAC", u"\U0001F3AC"},
      {"ACP is UTF-8", CP_ACP, "\xC3\xA9", u"é"},
      {"1251", 1251, "\xCF\xF0\xE8", u"При"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToWide(c.codePage, c.bytes), c.text);
    if (c.codePage != 1252 || c.text[0] != u'\u0081') {
      EXPECT_EQ(ToBytes(c.codePage, c.text), c.bytes);
    }
  }
}

TEST(CodePages, SizesTerminatorsAndBuffers) {
  // -1: zero-terminated, the terminator converted and counted.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0), 4);
  char16_t wide[4];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 4), 4);
  EXPECT_EQ(std::u16string(wide), u"abc");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"日本", -1, nullptr, 0, nullptr, nullptr), 5);
  char bytes[2];
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"日本", 2, bytes, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  // Each call is made inside the loop, so the last error is the call's own.
  struct Bad {
    const char* name;
    std::function<int()> call;
    DWORD error;
  };
  BOOL used = FALSE;
  const Bad bad[] = {
      {"unknown code page", [&] { return MultiByteToWideChar(4242, 0, "a", 1, wide, 4); }, ERROR_INVALID_PARAMETER},
      {"zero length", [&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4); }, ERROR_INVALID_PARAMETER},
      {"invalid UTF-8, strict", [&] { return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, wide, 4); },
       ERROR_NO_UNICODE_TRANSLATION},
      {"invalid Shift-JIS, strict", [&] { return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "\x81", 1, wide, 4); },
       ERROR_NO_UNICODE_TRANSLATION},
      {"default char with UTF-8", [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 2, "?", &used); },
       ERROR_INVALID_PARAMETER},
      {"lone surrogate, strict",
       [&] { return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"\xD800", 1, bytes, 2, nullptr, nullptr); },
       ERROR_NO_UNICODE_TRANSLATION},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.call(), 0);
    EXPECT_EQ(GetLastError(), c.error);
  }

  // Without the strict flag, bad input becomes a replacement character.
  EXPECT_EQ(ToWide(CP_UTF8, "a\xFF"), u"a\uFFFD");
}

TEST(CodePages, DefaultCharacterForWhatThePageLacks) {
  BOOL used = FALSE;
  EXPECT_EQ(ToBytes(1252, u"a日b", &used), "a?b");
  EXPECT_TRUE(used);
  used = FALSE;
  EXPECT_EQ(ToBytes(1252, u"plain", &used), "plain");
  EXPECT_FALSE(used);
  char bytes[8] = {};
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"x日", 2, bytes, 8, "#", &used), 2);
  EXPECT_EQ(std::string(bytes, 2), "x#");
  // A stateful page goes back to ASCII before the default character.
  EXPECT_EQ(ToBytes(50220, u"日\U0001F3AC", &used), "\x1B$BF|\x1B(B?");
}

TEST(CodePages, Queries) {
  EXPECT_EQ(GetACP(), CP_UTF8);
  EXPECT_TRUE(IsValidCodePage(1252));
  EXPECT_TRUE(IsValidCodePage(932));
  EXPECT_FALSE(IsValidCodePage(4242));
  CPINFO info{};
  ASSERT_TRUE(GetCPInfo(932, &info));
  EXPECT_EQ(info.MaxCharSize, 2u);
  EXPECT_EQ(info.LeadByte[0], 0x81);
  ASSERT_TRUE(GetCPInfo(1252, &info));
  EXPECT_EQ(info.MaxCharSize, 1u);
  EXPECT_FALSE(GetCPInfo(4242, &info));
}

}  // namespace
