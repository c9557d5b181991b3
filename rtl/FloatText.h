#pragma once

// Decimal digits of a double and the texts made from them; shared by Format, FloatToStr,
// FormatFloat and FloatToStrF. Rounding to the requested number of digits is half away
// from zero on the value's 18 significant digits, as users read decimal numbers.

#include <string>

#include "rtl/FormatSettings.h"

namespace rtl::detail {

// value = 0.<digits> x 10^exponent; digits has no trailing zeros and is empty for zero.
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

DecimalDigits ToDigits(double value);

// Rounds to `keep` significant digits (keep <= 0 leaves zero or a carried 1).
void RoundDigits(DecimalDigits& number, int keep);

// UTF-8 of one separator character; empty for 0.
std::string SeparatorText(char16_t separator);

// "NAN", "INF", "-INF" for values that have no digits; empty for finite values.
std::string NonFiniteText(double value);

// [-]ddd[,ddd].ddd with exactly `decimals` decimals; thousands separators when asked.
std::string FixedText(double value, int decimals, bool thousands, const TFormatSettings& settings);

// [-]d.ddddE+ddd with `precision` significant digits; the exponent has at least
// `exponentDigits` digits and always a sign.
std::string ExponentText(double value, int precision, int exponentDigits,
                         const TFormatSettings& settings);

// Shortest of fixed and scientific with at most `precision` significant digits; the
// scientific exponent has at least `exponentDigits` digits and a sign only when negative.
std::string GeneralText(double value, int precision, int exponentDigits,
                        const TFormatSettings& settings);

// Currency text with the settings' currency string and layouts.
std::string CurrencyText(double value, int decimals, const TFormatSettings& settings);

}  // namespace rtl::detail
