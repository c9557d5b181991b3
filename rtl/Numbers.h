#pragma once

// Conversions between numbers and text, as the Pascal runtime has them. Any thread; the
// forms without settings read the global FormatSettings.
//
// Integer text: optional leading blanks (spaces, tabs), an optional sign, then decimal
// digits or hexadecimal digits after "$", "0x" or "x". Nothing may follow the digits,
// not even blanks. Hexadecimal text may fill all 32 (64) bits and then reads as the two's
// complement ("$FFFFFFFF" is -1); decimal text outside the range is an error. Failures of
// StrToInt raise EConvertError "'<text>' is not a valid integer value".
//
// Floating point text: optional blanks, sign, digits with the settings' decimal separator,
// optional exponent "E[+-]ddd", optional blanks. No thousands separators. Failures raise
// EConvertError "'<text>' is not a valid floating point value".

#include <string_view>

#include "rtl/FormatSettings.h"
#include "rtl/SysTypes.h"

AnsiString IntToStr(Integer value);
AnsiString IntToStr(Int64 value);
AnsiString UIntToStr(uint64_t value);
// Upper-case hex with at least `digits` digits; negative values print their two's
// complement in 32 (or 64) bits.
AnsiString IntToHex(Integer value, int digits);
AnsiString IntToHex(Int64 value, int digits);

Integer StrToInt(std::string_view text);
Integer StrToIntDef(std::string_view text, Integer fallback);
bool TryStrToInt(std::string_view text, Integer& value);
Int64 StrToInt64(std::string_view text);
Int64 StrToInt64Def(std::string_view text, Int64 fallback);
bool TryStrToInt64(std::string_view text, Int64& value);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Shortest text of the value with up to 15 significant digits ("0.1", "1E20").
AnsiString FloatToStr(double value);
AnsiString FloatToStr(double value, const TFormatSettings& settings);
// precision: significant digits (ffGeneral, ffExponent); digits: minimum exponent digits
// (ffGeneral, ffExponent) or decimals (ffFixed, ffNumber, ffCurrency).
AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits);
AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                       const TFormatSettings& settings);

double StrToFloat(std::string_view text);
double StrToFloat(std::string_view text, const TFormatSettings& settings);
double StrToFloatDef(std::string_view text, double fallback);
double StrToFloatDef(std::string_view text, double fallback, const TFormatSettings& settings);
bool TryStrToFloat(std::string_view text, double& value);
bool TryStrToFloat(std::string_view text, double& value, const TFormatSettings& settings);

// Formats with a picture of up to three sections "positive;negative;zero":
//   0  a digit, or 0          #  a digit, or nothing
//   .  the decimal separator  ,  thousands separators in the integer part
//   E+ E- e+ e-  scientific notation; the 0s that follow give the minimum exponent digits
//   "text" 'text'  literal text; any other character stands as itself
// The negative section prints the value without its sign; an empty or missing section
// falls back on the first. A value that rounds to zero prints no minus sign.
AnsiString FormatFloat(std::string_view picture, double value);
AnsiString FormatFloat(std::string_view picture, double value, const TFormatSettings& settings);
