#include "rtl/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "rtl/Exceptions.h"
#include "rtl/FloatText.h"

using rtl::detail::DecimalDigits;
using rtl::detail::RoundDigits;
using rtl::detail::SeparatorText;
using rtl::detail::ToDigits;

namespace {

// Reads integer text into a 64-bit pattern. `bits` is 32 or 64. Hex text may use every
// bit; decimal text must fit the signed range.
bool ParseInteger(std::string_view text, int bits, int64_t& out) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  const uint64_t limit = base == 16 ? (bits == 32 ? 0xFFFFFFFFull : ~0ull)
                                    : (uint64_t(1) << (bits - 1)) - (negative ? 0 : 1);
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    if (value > (limit - digit) / base) return false;
    value = value * base + digit;
  }
  if (base == 16 && bits == 32) value = static_cast<uint64_t>(int64_t(int32_t(uint32_t(value))));
  out = negative ? int64_t(uint64_t(0) - value) : int64_t(value);
  return true;
}

[[noreturn]] void InvalidInteger(std::string_view text) {
  throw EConvertError("'" + AnsiString(text) + "' is not a valid integer value");
}

std::string HexDigits(uint64_t value, int digits) {
  std::string result;
  do {
    result.insert(result.begin(), "0123456789ABCDEF"[value & 15]);
    value >>= 4;
  } while (value != 0);
  if (static_cast<int>(result.size()) < digits) result.insert(0, digits - result.size(), '0');
  return result;
}

// ---- FormatFloat pictures ----

std::vector<std::string_view> SplitSections(std::string_view picture) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.push_back(picture.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(picture.substr(start));
  return sections;
}

struct Picture {
  int integerPlaces = 0;   // 0 and # before the decimal point
  int minInteger = 0;      // integer places from the first 0 on
  int decimals = 0;        // places after the decimal point
  int minDecimals = 0;     // up to the last 0 after the decimal point
  bool thousands = false;
  bool scientific = false;
  bool hasDigits = false;
};

Picture Analyse(std::string_view section) {
  Picture p;
  bool afterPoint = false;
  char quote = 0;
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    switch (c) {
      case '"':
      case '\'': quote = c; break;
      case '0':
      case '#':
        p.hasDigits = true;
        if (afterPoint) {
          ++p.decimals;
          if (c == '0') p.minDecimals = p.decimals;
        } else {
          ++p.integerPlaces;
          if (c == '0' && p.minInteger == 0) p.minInteger = 1;
          else if (p.minInteger > 0) ++p.minInteger;
        }
        break;
      case '.': afterPoint = true; break;
      case ',': p.thousands = true; break;
      case 'E':
      case 'e':
        if (i + 1 < section.size() && (section[i + 1] == '+' || section[i + 1] == '-')) {
          p.scientific = true;
          return p;  // the exponent and what follows are handled while printing
        }
        break;
      default: break;
    }
  }
  return p;
}

struct Number {
  std::string integer;   // without leading zeros beyond the picture's minimum
  std::string fraction;  // trailing zeros beyond the picture's minimum removed
  int exponent = 0;      // scientific only
  bool zero = true;
};

Number Digitise(double magnitude, const Picture& p) {
  Number n;
  DecimalDigits d = ToDigits(magnitude);
  const auto digitAt = [&](int index) {
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
  };
  int integerDigits;
  if (p.scientific) {
    integerDigits = std::max(1, p.integerPlaces);
    RoundDigits(d, integerDigits + p.decimals);
    n.exponent = d.digits.empty() ? 0 : d.exponent - integerDigits;
    for (int i = 0; i < integerDigits; ++i) n.integer += digitAt(i);
  } else {
    RoundDigits(d, d.exponent + p.decimals);
    integerDigits = d.exponent;
    for (int i = 0; i < integerDigits; ++i) n.integer += digitAt(i);
    if (static_cast<int>(n.integer.size()) < p.minInteger)
      n.integer.insert(0, p.minInteger - n.integer.size(), '0');
  }
  for (int i = 0; i < p.decimals; ++i) n.fraction += digitAt(integerDigits + i);
  while (static_cast<int>(n.fraction.size()) > p.minDecimals && n.fraction.back() == '0')
    n.fraction.pop_back();
  n.zero = d.digits.empty();
  return n;
}

std::string PrintSection(std::string_view section, const Picture& p, const Number& n,
                         bool minus, const TFormatSettings& settings) {
  std::string out = minus ? "-" : "";
  const std::string thousands = p.thousands ? SeparatorText(settings.ThousandSeparator) : "";
  const int length = static_cast<int>(n.integer.size());
  const auto emitDigit = [&](int fromRight) {
    out += n.integer[length - 1 - fromRight];
    if (!p.scientific && !thousands.empty() && fromRight > 0 && fromRight % 3 == 0)
      out += thousands;
  };
  const auto emitAllInteger = [&] {
    for (int r = length - 1; r >= 0; --r) emitDigit(r);
  };
  int integerSeen = 0;
  int fractionSeen = 0;
  bool afterPoint = false;
  char quote = 0;
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (quote) {
      if (c == quote) quote = 0;
      else out += c;
      continue;
    }
    switch (c) {
      case '"':
      case '\'': quote = c; break;
      case '0':
      case '#':
        if (afterPoint) {
          if (fractionSeen < static_cast<int>(n.fraction.size())) out += n.fraction[fractionSeen];
          ++fractionSeen;
        } else {
          const int fromRight = p.integerPlaces - 1 - integerSeen;
          if (integerSeen == 0) {
            for (int r = length - 1; r >= fromRight; --r) emitDigit(r);
          } else if (fromRight < length) {
            emitDigit(fromRight);
          }
          ++integerSeen;
        }
        break;
      case '.':
        if (!afterPoint) {
          afterPoint = true;
          if (p.integerPlaces == 0) emitAllInteger();
          if (!n.fraction.empty()) out += SeparatorText(settings.DecimalSeparator);
        }
        break;
      case ',': break;
      case 'E':
      case 'e':
        if (p.scientific && i + 1 < section.size() &&
            (section[i + 1] == '+' || section[i + 1] == '-')) {
          out += c;
          if (n.exponent < 0) out += '-';
          else if (section[i + 1] == '+') out += '+';
          i += 2;
          int places = 0;
          while (i < section.size() && section[i] == '0') {
            ++places;
            ++i;
          }
          --i;
          std::string digits = std::to_string(std::abs(n.exponent));
          if (static_cast<int>(digits.size()) < places) digits.insert(0, places - digits.size(), '0');
          out += digits;
          // Digit placeholders after the exponent are text.
          for (size_t j = i + 1; j < section.size(); ++j) {
            if (section[j] == '"' || section[j] == '\'') {
              const size_t end = section.find(section[j], j + 1);
              out += section.substr(j + 1, (end == std::string_view::npos ? section.size() : end) - j - 1);
              j = end == std::string_view::npos ? section.size() : end;
            } else {
              out += section[j];
            }
          }
          return out;
        }
        out += c;
        break;
      default: out += c; break;
    }
  }
  return out;
}

bool ParseFloat(std::string_view text, double& value, const TFormatSettings& settings) {
  // Rebuild the number in the C form that from_chars reads, whatever the separator is.
  const std::string separator = SeparatorText(settings.DecimalSeparator);
  size_t i = 0;
  const auto blank = [&](size_t at) { return static_cast<unsigned char>(text[at]) <= ' '; };
  while (i < text.size() && blank(i)) ++i;
  size_t end = text.size();
  while (end > i && blank(end - 1)) --end;
  std::string canonical;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') canonical += '-';
    ++i;
  }
  int digits = 0;
  while (i < end && text[i] >= '0' && text[i] <= '9') {
    canonical += text[i++];
    ++digits;
  }
  if (!separator.empty() && text.substr(i, separator.size()) == separator) {
    i += separator.size();
    canonical += '.';
    while (i < end && text[i] >= '0' && text[i] <= '9') {
      canonical += text[i++];
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    canonical += 'e';
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
    int exponentDigits = 0;
    while (i < end && text[i] >= '0' && text[i] <= '9') {
      canonical += text[i++];
      ++exponentDigits;
    }
    if (exponentDigits == 0) return false;
  }
  if (i != end) return false;
  double result = 0;
  const auto [ptr, ec] =
      std::from_chars(canonical.data(), canonical.data() + canonical.size(), result);
  if (ptr != canonical.data() + canonical.size()) return false;
  if (ec == std::errc::result_out_of_range) {
    // Too small to hold reads as zero; too large is an error. Which one it is follows from
    // where the first significant digit stands.
    const bool negative = canonical[0] == '-';
    const size_t e = canonical.find('e');
    const std::string mantissa = canonical.substr(negative ? 1 : 0, e == std::string::npos ? std::string::npos : e - (negative ? 1 : 0));
    const long exponent = e == std::string::npos ? 0 : std::strtol(canonical.c_str() + e + 1, nullptr, 10);
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string::npos) return false;
    const long position = first < point ? long(point - first) : -long(first - point - 1);
    if (position + exponent > 0) return false;
    value = negative ? -0.0 : 0.0;
    return true;
  }
  if (ec != std::errc()) return false;
  value = result;
  return true;
}

}  // namespace

AnsiString IntToStr(Integer value) { return std::to_string(value); }
AnsiString IntToStr(Int64 value) { return std::to_string(value); }
AnsiString UIntToStr(uint64_t value) { return std::to_string(value); }
AnsiString IntToHex(Integer value, int digits) { return HexDigits(uint32_t(value), digits); }
AnsiString IntToHex(Int64 value, int digits) { return HexDigits(uint64_t(value), digits); }

bool TryStrToInt(std::string_view text, Integer& value) {
  int64_t result;
  if (!ParseInteger(text, 32, result)) return false;
  value = static_cast<Integer>(result);
  return true;
}

Integer StrToInt(std::string_view text) {
  Integer value;
  if (!TryStrToInt(text, value)) InvalidInteger(text);
  return value;
}

Integer StrToIntDef(std::string_view text, Integer fallback) {
  Integer value;
  return TryStrToInt(text, value) ? value : fallback;
}

bool TryStrToInt64(std::string_view text, Int64& value) {
  int64_t result;
  if (!ParseInteger(text, 64, result)) return false;
  value = result;
  return true;
}

Int64 StrToInt64(std::string_view text) {
  Int64 value;
  if (!TryStrToInt64(text, value)) InvalidInteger(text);
  return value;
}

Int64 StrToInt64Def(std::string_view text, Int64 fallback) {
  Int64 value;
  return TryStrToInt64(text, value) ? value : fallback;
}

AnsiString FloatToStr(double value, const TFormatSettings& settings) {
  return rtl::detail::GeneralText(value, 15, 0, settings);
}

AnsiString FloatToStr(double value) { return FloatToStr(value, FormatSettings); }

AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                       const TFormatSettings& settings) {
  precision = std::clamp(precision, 1, 18);
  switch (format) {
    case ffExponent: return rtl::detail::ExponentText(value, precision, std::clamp(digits, 0, 4), settings);
    case ffFixed: return rtl::detail::FixedText(value, std::clamp(digits, 0, 18), false, settings);
    case ffNumber: return rtl::detail::FixedText(value, std::clamp(digits, 0, 18), true, settings);
    case ffCurrency: return rtl::detail::CurrencyText(value, std::clamp(digits, 0, 18), settings);
    default: return rtl::detail::GeneralText(value, precision, std::clamp(digits, 0, 4), settings);
  }
}

AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  return FloatToStrF(value, format, precision, digits, FormatSettings);
}

bool TryStrToFloat(std::string_view text, double& value, const TFormatSettings& settings) {
  return ParseFloat(text, value, settings);
}

bool TryStrToFloat(std::string_view text, double& value) {
  return TryStrToFloat(text, value, FormatSettings);
}

double StrToFloat(std::string_view text, const TFormatSettings& settings) {
  double value;
  if (!ParseFloat(text, value, settings))
    throw EConvertError("'" + AnsiString(text) + "' is not a valid floating point value");
  return value;
}

double StrToFloat(std::string_view text) { return StrToFloat(text, FormatSettings); }

double StrToFloatDef(std::string_view text, double fallback, const TFormatSettings& settings) {
  double value;
  return ParseFloat(text, value, settings) ? value : fallback;
}

double StrToFloatDef(std::string_view text, double fallback) {
  return StrToFloatDef(text, fallback, FormatSettings);
}

AnsiString FormatFloat(std::string_view picture, double value, const TFormatSettings& settings) {
  if (std::string special = rtl::detail::NonFiniteText(value); !special.empty()) return special;
  if (picture.empty()) return FloatToStr(value, settings);
  const std::vector<std::string_view> sections = SplitSections(picture);
  std::string_view section = sections[0];
  bool ownSign = false;  // the negative section stands for the sign
  if (value < 0 && sections.size() > 1 && !sections[1].empty()) {
    section = sections[1];
    ownSign = true;
  }
  Picture p = Analyse(section);
  Number n = Digitise(std::fabs(value), p);
  if (n.zero && sections.size() > 2 && !sections[2].empty()) {
    section = sections[2];
    p = Analyse(section);
    n = Digitise(0, p);
    ownSign = true;
  }
  if (!p.hasDigits && !p.scientific) return PrintSection(section, p, n, false, settings);
  return PrintSection(section, p, n, value < 0 && !ownSign && !n.zero, settings);
}

AnsiString FormatFloat(std::string_view picture, double value) {
  return FormatFloat(picture, value, FormatSettings);
}
