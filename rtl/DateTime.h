#pragma once

// TDateTime routines: a TDateTime counts days since 1899-12-30 and its fraction is the
// time of day. For values before that day the integral part is the day and the fraction,
// counted as absolute, is still the time: -1.25 is 1899-12-29 06:00. Years 1 to 9999.
// Now, Date and Time read the local time through the C library. Any thread; the forms
// without settings read the global FormatSettings.
//
// FormatDateTime pictures:
//   c        short date, then the long time unless the time is midnight
//   d dd     day (1, 01)            ddd dddd  short/long day name
//   ddddd    short date             dddddd    long date
//   m mm     month (1, 01), or minutes right after an h or hh
//   mmm mmmm short/long month name  yy yyyy   year (2 or 4 digits)
//   h hh     hour (12-hour when the picture has am/pm, a/p or ampm)
//   n nn     minutes                s ss      seconds
//   z zzz    milliseconds           t tt      short/long time
//   am/pm a/p ampm  the 12-hour marker (case follows the picture; ampm uses the settings)
//   /        date separator         :         time separator
//   "text" 'text'  literal text; any other character stands as itself

#include <string_view>

#include "rtl/FormatSettings.h"
#include "rtl/SysTypes.h"

inline constexpr Integer HoursPerDay = 24;
inline constexpr Integer MinsPerDay = 24 * 60;
inline constexpr Integer SecsPerDay = 24 * 60 * 60;
inline constexpr Integer MSecsPerDay = 24 * 60 * 60 * 1000;

bool IsLeapYear(Word year);
Word DaysInAMonth(Word year, Word month);

// Raise EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(Word year, Word month, Word day);
TDateTime EncodeTime(Word hour, Word minute, Word second, Word millisecond);
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
bool TryEncodeTime(Word hour, Word minute, Word second, Word millisecond, TDateTime& time);
// Joins a date and a time of day, following the rule for days before 1899-12-30.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

// Raise EConvertError for values outside years 1..9999 (and NaN).
void DecodeDate(TDateTime value, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime value, Word& hour, Word& minute, Word& second, Word& millisecond);
void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour,
                    Word& minute, Word& second, Word& millisecond);

// 1 = Sunday ... 7 = Saturday.
Word DayOfWeek(TDateTime value);
// Adds months; the day is clamped to the length of the target month; the time is kept.
TDateTime IncMonth(TDateTime value, Integer months = 1);

TDateTime Now();
TDateTime Date();
TDateTime Time();

AnsiString FormatDateTime(std::string_view picture, TDateTime value);
AnsiString FormatDateTime(std::string_view picture, TDateTime value,
                          const TFormatSettings& settings);
AnsiString DateTimeToStr(TDateTime value);
AnsiString DateToStr(TDateTime value);
AnsiString TimeToStr(TDateTime value);
