#pragma once

// Text routines of the runtime: conversion between AnsiString (UTF-8) and WideString
// (UTF-16), trimming, case conversion, comparison, searching and replacing, quoting.
// All functions are pure and may be called from any thread.
//
// Conversions:
//   UTF8ToWide(text)  UTF-8 -> UTF-16; characters above U+FFFF become surrogate pairs.
//   WideToUTF8(text)  UTF-16 -> UTF-8; a surrogate pair becomes one 4-byte character.
// Both are lossless for well-formed text; malformed input (bad UTF-8 sequences, unpaired
// surrogates) becomes U+FFFD instead of failing.
//
// Case: UpperCase/LowerCase/CompareText/SameText touch ASCII letters only. The Ansi* and
// Wide* forms map every Unicode letter (simple one-to-one case mapping, so lengths in
// characters never change). Case-insensitive Ansi/Wide comparison orders by the code points
// of the lower-cased texts; it does not follow the user's language collation.

#include <initializer_list>
#include <string_view>

#include "rtl/SysTypes.h"

WideString UTF8ToWide(std::string_view text);
AnsiString WideToUTF8(std::u16string_view text);

// Remove characters <= ' ' (spaces and control characters) from the ends.
AnsiString Trim(std::string_view text);
AnsiString TrimLeft(std::string_view text);
AnsiString TrimRight(std::string_view text);
WideString Trim(std::u16string_view text);
WideString TrimLeft(std::u16string_view text);
WideString TrimRight(std::u16string_view text);

AnsiString UpperCase(std::string_view text);
AnsiString LowerCase(std::string_view text);
AnsiString AnsiUpperCase(std::string_view text);
AnsiString AnsiLowerCase(std::string_view text);
WideString WideUpperCase(std::u16string_view text);
WideString WideLowerCase(std::u16string_view text);

// Comparisons return < 0, 0 or > 0.
int CompareStr(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
int WideCompareStr(std::u16string_view a, std::u16string_view b);
int WideCompareText(std::u16string_view a, std::u16string_view b);
bool WideSameText(std::u16string_view a, std::u16string_view b);

// 1-based position of the first occurrence of sub in text, 0 when absent (or sub empty).
// Ansi positions count bytes, wide positions count UTF-16 units.
int Pos(std::string_view sub, std::string_view text);
int Pos(std::u16string_view sub, std::u16string_view text);

enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };

// A set of replace flags: StringReplace(s, a, b, {rfReplaceAll, rfIgnoreCase}).
class TReplaceFlags {
 public:
  TReplaceFlags() = default;
  TReplaceFlags(TReplaceFlag flag) : m_bits(flag) {}
  TReplaceFlags(std::initializer_list<TReplaceFlag> flags) {
    for (TReplaceFlag flag : flags) m_bits |= flag;
  }
  bool Contains(TReplaceFlag flag) const { return (m_bits & flag) != 0; }

 private:
  unsigned m_bits = 0;
};

// Replaces the first (or, with rfReplaceAll, every) occurrence of oldPattern. With
// rfIgnoreCase, letters match regardless of case (all Unicode letters). An empty pattern
// leaves the text as it is.
AnsiString StringReplace(std::string_view text, std::string_view oldPattern,
                         std::string_view newPattern, TReplaceFlags flags = {});
WideString StringReplace(std::u16string_view text, std::u16string_view oldPattern,
                         std::u16string_view newPattern, TReplaceFlags flags = {});

// 'text' with embedded quotes doubled.
AnsiString QuotedStr(std::string_view text);
WideString QuotedStr(std::u16string_view text);
AnsiString AnsiQuotedStr(std::string_view text, char quote);
// Removes the quotes added by AnsiQuotedStr and undoubles embedded quotes. Text that does
// not start with the quote, or whose closing quote is missing, comes back unchanged.
AnsiString AnsiDequotedStr(std::string_view text, char quote);
