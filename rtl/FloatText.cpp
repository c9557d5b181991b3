#include "rtl/FloatText.h"

#include <charconv>
#include <cmath>
#include <string>
#include <cstdlib>

#include "platform/kernel/Unicode.h"

namespace rtl::detail {

DecimalDigits ToDigits(double value) {
  DecimalDigits number;
  number.negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  if (magnitude == 0 || !std::isfinite(magnitude)) return number;
  // 18 significant digits: one more than a double holds, so that rounding to fewer digits
  // sees the value's own decimal expansion and not a second rounding of it.
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 17);
  const std::string_view text(buffer, result.ptr - buffer);
  const size_t e = text.find('e');
  number.digits.push_back(text[0]);
  number.digits.append(text.substr(2, e - 2));
  number.exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
  while (!number.digits.empty() && number.digits.back() == '0') number.digits.pop_back();
  return number;
}

void RoundDigits(DecimalDigits& number, int keep) {
  std::string& digits = number.digits;
  if (keep >= static_cast<int>(digits.size())) return;
  if (keep < 0) {
    digits.clear();
    number.exponent = 0;
    return;
  }
  const bool up = digits[keep] >= '5';
  digits.resize(keep);
  if (up) {
    while (!digits.empty() && digits.back() == '9') digits.pop_back();
    if (digits.empty()) {
      digits = "1";
      ++number.exponent;
    } else {
      ++digits.back();
    }
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (digits.empty()) number.exponent = 0;
}

std::string SeparatorText(char16_t separator) {
  if (separator == 0) return {};
  return platform::Utf16ToUtf8(std::u16string_view(&separator, 1));
}

std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return {};
}

namespace {

char DigitAt(const DecimalDigits& number, int index) {
  return index >= 0 && index < static_cast<int>(number.digits.size()) ? number.digits[index] : '0';
}

std::string GroupThousands(const std::string& integer, const TFormatSettings& settings) {
  const std::string separator = SeparatorText(settings.ThousandSeparator);
  if (separator.empty()) return integer;
  std::string result;
  for (size_t i = 0; i < integer.size(); ++i) {
    if (i > 0 && (integer.size() - i) % 3 == 0) result += separator;
    result += integer[i];
  }
  return result;
}

std::string ExponentPart(int exponent, int exponentDigits, bool plusSign) {
  std::string result = "E";
  if (exponent < 0) {
    result += '-';
  } else if (plusSign) {
    result += '+';
  }
  std::string digits = std::to_string(std::abs(exponent));
  if (static_cast<int>(digits.size()) < exponentDigits)
    digits.insert(0, exponentDigits - digits.size(), '0');
  return result + digits;
}

}  // namespace

std::string FixedText(double value, int decimals, bool thousands, const TFormatSettings& settings) {
  if (std::string special = NonFiniteText(value); !special.empty()) return special;
  DecimalDigits number = ToDigits(value);
  RoundDigits(number, number.exponent + decimals);
  std::string integer;
  for (int i = 0; i < number.exponent; ++i) integer += DigitAt(number, i);
  if (integer.empty()) integer = "0";
  std::string result = number.negative && !number.digits.empty() ? "-" : "";
  result += thousands ? GroupThousands(integer, settings) : integer;
  if (decimals > 0) {
    result += SeparatorText(settings.DecimalSeparator);
    for (int i = 0; i < decimals; ++i) result += DigitAt(number, number.exponent + i);
  }
  return result;
}

std::string ExponentText(double value, int precision, int exponentDigits,
                         const TFormatSettings& settings) {
  if (std::string special = NonFiniteText(value); !special.empty()) return special;
  DecimalDigits number = ToDigits(value);
  RoundDigits(number, precision);
  std::string result = number.negative && !number.digits.empty() ? "-" : "";
  result += DigitAt(number, 0);
  if (precision > 1) {
    result += SeparatorText(settings.DecimalSeparator);
    for (int i = 1; i < precision; ++i) result += DigitAt(number, i);
  }
  const int exponent = number.digits.empty() ? 0 : number.exponent - 1;
  return result + ExponentPart(exponent, exponentDigits, true);
}

std::string GeneralText(double value, int precision, int exponentDigits,
                        const TFormatSettings& settings) {
  if (std::string special = NonFiniteText(value); !special.empty()) return special;
  DecimalDigits number = ToDigits(value);
  RoundDigits(number, precision);
  if (number.digits.empty()) return "0";
  std::string result = number.negative ? "-" : "";
  const std::string& digits = number.digits;
  const int size = static_cast<int>(digits.size());
  const int exponent = number.exponent;
  if (exponent > precision || exponent < -3) {
    result += digits[0];
    if (size > 1) result += SeparatorText(settings.DecimalSeparator) + digits.substr(1);
    return result + ExponentPart(exponent - 1, exponentDigits, false);
  }
  if (exponent <= 0) {
    return result + "0" + SeparatorText(settings.DecimalSeparator) +
           std::string(-exponent, '0') + digits;
  }
  for (int i = 0; i < exponent; ++i) result += DigitAt(number, i);
  if (size > exponent) result += SeparatorText(settings.DecimalSeparator) + digits.substr(exponent);
  return result;
}

std::string CurrencyText(double value, int decimals, const TFormatSettings& settings) {
  if (std::string special = NonFiniteText(value); !special.empty()) return special;
  std::string amount = FixedText(value, decimals, true, settings);
  const bool negative = !amount.empty() && amount[0] == '-';
  if (negative) amount.erase(0, 1);
  const std::string& c = settings.CurrencyString;
  if (!negative) {
    switch (settings.CurrencyFormat) {
      case 1: return amount + c;
      case 2: return c + " " + amount;
      case 3: return amount + " " + c;
      default: return c + amount;
    }
  }
  switch (settings.NegCurrFormat) {
    case 1: return "-" + c + amount;
    case 2: return c + "-" + amount;
    case 3: return c + amount + "-";
    case 4: return "(" + amount + c + ")";
    case 5: return "-" + amount + c;
    case 6: return amount + "-" + c;
    case 7: return amount + c + "-";
    case 8: return "-" + amount + " " + c;
    case 9: return "-" + c + " " + amount;
    case 10: return amount + " " + c + "-";
    case 11: return c + " " + amount + "-";
    case 12: return c + " -" + amount;
    case 13: return amount + "- " + c;
    case 14: return "(" + c + " " + amount + ")";
    case 15: return "(" + amount + " " + c + ")";
    default: return "(" + c + amount + ")";
  }
}

}  // namespace rtl::detail
