#include "rtl/Strings.h"

#include <glib.h>

#include <algorithm>

#include "platform/kernel/Unicode.h"

namespace {

template <typename Char>
bool IsBlank(Char c) {
  return static_cast<std::make_unsigned_t<Char>>(c) <= ' ';
}

template <typename View>
View TrimLeftView(View text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return text.substr(start);
}

template <typename View>
View TrimRightView(View text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Maps every code point of a UTF-16 text; a mapping that would change the number of
// UTF-16 units keeps the original character, so positions stay valid.
template <typename Map>
WideString MapWide(std::u16string_view text, Map map) {
  WideString result(text);
  for (size_t i = 0; i < result.size(); ++i) {
    const char16_t unit = result[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < result.size() && result[i + 1] >= 0xDC00 &&
        result[i + 1] <= 0xDFFF) {
      const char32_t cp = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (result[i + 1] - 0xDC00);
      const char32_t mapped = map(cp);
      if (mapped > 0xFFFF) {
        result[i] = static_cast<char16_t>(0xD800 + ((mapped - 0x10000) >> 10));
        result[i + 1] = static_cast<char16_t>(0xDC00 + ((mapped - 0x10000) & 0x3FF));
      }
      ++i;
    } else if (unit < 0xD800 || unit > 0xDFFF) {
      const char32_t mapped = map(unit);
      if (mapped <= 0xFFFF && (mapped < 0xD800 || mapped > 0xDFFF))
        result[i] = static_cast<char16_t>(mapped);
    }
  }
  return result;
}

char32_t UnicodeUpper(char32_t c) { return g_unichar_toupper(c); }
char32_t UnicodeLower(char32_t c) { return g_unichar_tolower(c); }

// Unicode case mapping of UTF-8 text. Malformed UTF-8 is not rewritten (nothing of the
// caller's bytes is lost): only its ASCII letters are mapped.
AnsiString MapUtf8(std::string_view text, char32_t (*map)(char32_t), char (*ascii)(char)) {
  if (!platform::IsValidUtf8(text)) {
    AnsiString result(text);
    std::transform(result.begin(), result.end(), result.begin(), ascii);
    return result;
  }
  return WideToUTF8(MapWide(UTF8ToWide(text), map));
}

template <typename View>
int CompareUnits(View a, View b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<std::make_unsigned_t<typename View::value_type>>(a[i]);
    const auto cb = static_cast<std::make_unsigned_t<typename View::value_type>>(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename String, typename View>
String Replace(View text, View oldPattern, View newPattern, TReplaceFlags flags,
               const String& searchText, const String& searchPattern) {
  String result;
  if (oldPattern.empty()) return String(text);
  size_t from = 0;
  while (true) {
    const size_t at = searchText.find(searchPattern, from);
    if (at == String::npos) break;
    result.append(text.substr(from, at - from));
    result.append(newPattern);
    from = at + oldPattern.size();
    if (!flags.Contains(rfReplaceAll)) break;
  }
  result.append(text.substr(from));
  return result;
}

}  // namespace

WideString UTF8ToWide(std::string_view text) { return platform::Utf8ToUtf16(text); }
AnsiString WideToUTF8(std::u16string_view text) { return platform::Utf16ToUtf8(text); }

AnsiString Trim(std::string_view text) { return AnsiString(TrimRightView(TrimLeftView(text))); }
AnsiString TrimLeft(std::string_view text) { return AnsiString(TrimLeftView(text)); }
AnsiString TrimRight(std::string_view text) { return AnsiString(TrimRightView(text)); }
WideString Trim(std::u16string_view text) { return WideString(TrimRightView(TrimLeftView(text))); }
WideString TrimLeft(std::u16string_view text) { return WideString(TrimLeftView(text)); }
WideString TrimRight(std::u16string_view text) { return WideString(TrimRightView(text)); }

AnsiString UpperCase(std::string_view text) {
  AnsiString result(text);
  std::transform(result.begin(), result.end(), result.begin(), AsciiUpper);
  return result;
}

AnsiString LowerCase(std::string_view text) {
  AnsiString result(text);
  std::transform(result.begin(), result.end(), result.begin(), AsciiLower);
  return result;
}

AnsiString AnsiUpperCase(std::string_view text) { return MapUtf8(text, UnicodeUpper, AsciiUpper); }
AnsiString AnsiLowerCase(std::string_view text) { return MapUtf8(text, UnicodeLower, AsciiLower); }
WideString WideUpperCase(std::u16string_view text) { return MapWide(text, UnicodeUpper); }
WideString WideLowerCase(std::u16string_view text) { return MapWide(text, UnicodeLower); }

int CompareStr(std::string_view a, std::string_view b) { return CompareUnits(a, b); }

int CompareText(std::string_view a, std::string_view b) {
  return CompareUnits(std::string_view(UpperCase(a)), std::string_view(UpperCase(b)));
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

int AnsiCompareText(std::string_view a, std::string_view b) {
  return WideCompareText(UTF8ToWide(a), UTF8ToWide(b));
}

bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }

int WideCompareStr(std::u16string_view a, std::u16string_view b) { return CompareUnits(a, b); }

int WideCompareText(std::u16string_view a, std::u16string_view b) {
  const WideString lowerA = WideLowerCase(a);
  const WideString lowerB = WideLowerCase(b);
  // UTF-16 unit order differs from code point order only for U+E000..U+FFFF against
  // surrogates; fix that up so the order is by code point.
  const auto key = [](char16_t c) -> uint32_t {
    if (c >= 0xD800 && c <= 0xDFFF) return c + 0x2000u;
    if (c >= 0xE000) return c - 0x800u;
    return c;
  };
  const size_t n = std::min(lowerA.size(), lowerB.size());
  for (size_t i = 0; i < n; ++i) {
    if (lowerA[i] != lowerB[i]) return key(lowerA[i]) < key(lowerB[i]) ? -1 : 1;
  }
  return lowerA.size() == lowerB.size() ? 0 : (lowerA.size() < lowerB.size() ? -1 : 1);
}

bool WideSameText(std::u16string_view a, std::u16string_view b) {
  return WideCompareText(a, b) == 0;
}

int Pos(std::string_view sub, std::string_view text) {
  if (sub.empty()) return 0;
  const size_t at = text.find(sub);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

int Pos(std::u16string_view sub, std::u16string_view text) {
  if (sub.empty()) return 0;
  const size_t at = text.find(sub);
  return at == std::u16string_view::npos ? 0 : static_cast<int>(at) + 1;
}

WideString StringReplace(std::u16string_view text, std::u16string_view oldPattern,
                         std::u16string_view newPattern, TReplaceFlags flags) {
  if (flags.Contains(rfIgnoreCase)) {
    // The upper-cased copies keep the length of the originals, so offsets carry over.
    return Replace<WideString>(text, oldPattern, newPattern, flags, WideUpperCase(text),
                               WideUpperCase(oldPattern));
  }
  return Replace<WideString>(text, oldPattern, newPattern, flags, WideString(text),
                             WideString(oldPattern));
}

AnsiString StringReplace(std::string_view text, std::string_view oldPattern,
                         std::string_view newPattern, TReplaceFlags flags) {
  if (!flags.Contains(rfIgnoreCase))
    return Replace<AnsiString>(text, oldPattern, newPattern, flags, AnsiString(text),
                               AnsiString(oldPattern));
  if (platform::IsValidUtf8(text) && platform::IsValidUtf8(oldPattern) &&
      platform::IsValidUtf8(newPattern)) {
    // Upper-casing may change UTF-8 byte lengths, so match in UTF-16 where it does not.
    return WideToUTF8(StringReplace(UTF8ToWide(text), UTF8ToWide(oldPattern),
                                    UTF8ToWide(newPattern), flags));
  }
  return Replace<AnsiString>(text, oldPattern, newPattern, flags, UpperCase(text),
                             UpperCase(oldPattern));
}

AnsiString AnsiQuotedStr(std::string_view text, char quote) {
  AnsiString result(1, quote);
  for (char c : text) {
    result += c;
    if (c == quote) result += c;
  }
  result += quote;
  return result;
}

AnsiString QuotedStr(std::string_view text) { return AnsiQuotedStr(text, '\''); }

WideString QuotedStr(std::u16string_view text) {
  WideString result(1, u'\'');
  for (char16_t c : text) {
    result += c;
    if (c == u'\'') result += c;
  }
  result += u'\'';
  return result;
}

AnsiString AnsiDequotedStr(std::string_view text, char quote) {
  if (text.empty() || text[0] != quote) return AnsiString(text);
  AnsiString result;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] != quote) {
      result += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == quote) {
      result += quote;
      ++i;
    } else {
      return result;
    }
  }
  return AnsiString(text);
}
