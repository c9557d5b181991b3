#pragma once

// The number, currency, date and time conventions used by Format, the number conversions
// and the date routines. Every routine that depends on them has a form taking explicit
// settings; the others use the global FormatSettings. The C library's locale is never
// consulted, so a decimal comma in the user's environment cannot leak into settings files.
//
// FormatSettings is set up before any thread starts (the defaults below) and changed, if
// ever, only on the GUI thread while no other thread formats numbers.

#include <array>

#include "rtl/SysTypes.h"

struct TFormatSettings {
  // Separators are single characters; any Unicode character of the BMP may be used.
  char16_t DecimalSeparator = u'.';
  char16_t ThousandSeparator = u',';  // 0: no separator
  char16_t DateSeparator = u'/';
  char16_t TimeSeparator = u':';

  // Currency, used by %m and ffCurrency. CurrencyFormat: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
  // NegCurrFormat 0..15: "($1)" "-$1" "$-1" "$1-" "(1$)" "-1$" "1-$" "1$-" "-1 $" "-$ 1"
  // "1 $-" "$ 1-" "$ -1" "1- $" "($ 1)" "(1 $)".
  AnsiString CurrencyString = "$";
  Byte CurrencyFormat = 0;
  Byte NegCurrFormat = 0;
  Byte CurrencyDecimals = 2;

  // Date and time pictures of FormatDateTime.
  AnsiString ShortDateFormat = "m/d/yyyy";
  AnsiString LongDateFormat = "dddd, mmmm d, yyyy";
  AnsiString ShortTimeFormat = "hh:nn";
  AnsiString LongTimeFormat = "hh:nn:ss";
  AnsiString TimeAMString = "AM";
  AnsiString TimePMString = "PM";

  // Index 0 is January / Sunday.
  std::array<AnsiString, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<AnsiString, 12> LongMonthNames = {"January", "February", "March",     "April",
                                               "May",     "June",     "July",      "August",
                                               "September", "October", "November", "December"};
  std::array<AnsiString, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<AnsiString, 7> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
};

extern TFormatSettings FormatSettings;
