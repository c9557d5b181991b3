#pragma once

// Format and WideFormat: Pascal's format language over an array of TVarRec arguments.
//
//   "%" [index ":"] ["-"] [width] ["." precision] type
//
// index, width and precision are decimal numbers or "*" (taken from the next argument,
// which must be an integer). An index selects the argument and the following specifiers go
// on from the one after it. "-" justifies left within the width. "%%" is a percent sign.
//
//   d  integer; precision = minimum digits          u  integer as unsigned
//   x  integer in upper-case hex; a negative 32-bit value prints its two's complement
//   e  scientific, precision = significant digits (15), exponent "E+ddd"
//   f  fixed, precision = decimals (2)              n  as f with thousands separators
//   g  general, precision = significant digits (15) m  currency (TFormatSettings)
//   p  pointer (16 hex digits)                      s  string or character; precision =
//                                                      maximum characters
//
// A specifier that is malformed, names a missing argument, or does not fit its argument
// raises EConvertError "Format '<format>' invalid or incompatible with argument".
// In Format, widths and string precisions count characters (UTF-8 sequences), so a
// string is never cut inside a character; in WideFormat they count UTF-16 units.
// Any thread; the forms without settings read the global FormatSettings.

#include <initializer_list>
#include <string_view>
#include <variant>
#include <vector>

#include "rtl/FormatSettings.h"
#include "rtl/SysTypes.h"

// One argument of Format: an integer, a 64-bit integer, a floating point value, a narrow
// or wide character, a narrow or wide string, or a pointer. The argument holds a copy.
class TVarRec {
 public:
  enum class Kind { Integer, Int64, Extended, Char, WideChar, String, WideString, Pointer };

  TVarRec(int value) : m_value(static_cast<Integer>(value)) {}
  TVarRec(unsigned value) : m_value(static_cast<Int64>(value)) {}
  TVarRec(long value) : m_value(static_cast<Int64>(value)) {}
  TVarRec(unsigned long value) : m_value(static_cast<Int64>(value)) {}
  TVarRec(long long value) : m_value(static_cast<Int64>(value)) {}
  TVarRec(unsigned long long value) : m_value(static_cast<Int64>(value)) {}
  TVarRec(double value) : m_value(value) {}
  TVarRec(long double value) : m_value(static_cast<double>(value)) {}
  TVarRec(char value) : m_value(value) {}
  TVarRec(char16_t value) : m_value(value) {}
  TVarRec(const char* value) : m_value(AnsiString(value ? value : "")) {}
  TVarRec(std::string_view value) : m_value(AnsiString(value)) {}
  TVarRec(const AnsiString& value) : m_value(value) {}
  TVarRec(const char16_t* value) : m_value(WideString(value ? value : u"")) {}
  TVarRec(std::u16string_view value) : m_value(WideString(value)) {}
  TVarRec(const WideString& value) : m_value(value) {}
  TVarRec(const void* value) : m_value(value) {}
  TVarRec(std::nullptr_t) : m_value(static_cast<const void*>(nullptr)) {}

  Kind VType() const { return static_cast<Kind>(m_value.index()); }
  const auto& Value() const { return m_value; }

 private:
  std::variant<Integer, Int64, double, char, char16_t, AnsiString, WideString, const void*>
      m_value;
};

using TVarRecs = std::vector<TVarRec>;

AnsiString Format(std::string_view format, std::initializer_list<TVarRec> args = {});
AnsiString Format(std::string_view format, const TVarRecs& args);
AnsiString Format(std::string_view format, const TVarRecs& args,
                  const TFormatSettings& settings);

WideString WideFormat(std::u16string_view format, std::initializer_list<TVarRec> args = {});
WideString WideFormat(std::u16string_view format, const TVarRecs& args);
WideString WideFormat(std::u16string_view format, const TVarRecs& args,
                      const TFormatSettings& settings);
