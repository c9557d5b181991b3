#include "rtl/DateTime.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>

#include "rtl/Exceptions.h"
#include "rtl/Strings.h"

namespace {

constexpr int64_t kFirstDay = -693593;  // 0001-01-01
constexpr int64_t kLastDay = 2958465;   // 9999-12-31

// Days between 1970-01-01 and the given date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, Word& year, Word& month, Word& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<Word>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<Word>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<Word>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

constexpr int64_t kUnixDay = 25569;  // 1970-01-01 as a TDateTime

struct Split {
  int64_t day;      // days since 1899-12-30
  int64_t msecs;    // milliseconds into the day
};

Split SplitDateTime(TDateTime value) {
  if (!std::isfinite(value) || value < kFirstDay - 1 || value > kLastDay + 1)
    throw EConvertError("Invalid date/time value");
  const int64_t total = std::llround(value * MSecsPerDay);
  Split split{total / MSecsPerDay, (total < 0 ? -total : total) % MSecsPerDay};
  if (split.day < kFirstDay || split.day > kLastDay)
    throw EConvertError("Invalid date/time value");
  return split;
}

std::string Padded(int value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), '0');
  return text;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word) {
  if (text.size() - at < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(text[at + i]) != word[i]) return false;
  return true;
}

// Length of the am/pm marker at `at`, or 0.
size_t AmPmLength(std::string_view picture, size_t at) {
  if (StartsWithNoCase(picture, at, "am/pm")) return 5;
  if (StartsWithNoCase(picture, at, "ampm")) return 4;
  if (StartsWithNoCase(picture, at, "a/p")) return 3;
  return 0;
}

bool HasAmPm(std::string_view picture) {
  char quote = 0;
  for (size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (AmPmLength(picture, i) > 0) {
      return true;
    }
  }
  return false;
}

class DateTimeWriter {
 public:
  DateTimeWriter(TDateTime value, const TFormatSettings& settings)
      : m_settings(settings) {
    const Split split = SplitDateTime(value);
    CivilFromDays(split.day - kUnixDay, m_year, m_month, m_day);
    m_dayOfWeek = static_cast<int>(((split.day % 7) + 7 + 6) % 7);  // 0 = Sunday
    m_hour = static_cast<int>(split.msecs / 3600000);
    m_minute = static_cast<int>(split.msecs / 60000 % 60);
    m_second = static_cast<int>(split.msecs / 1000 % 60);
    m_msec = static_cast<int>(split.msecs % 1000);
    m_midnight = split.msecs == 0;
  }

  void Write(std::string_view picture, std::string& out, int depth) {
    // Nested pictures (c, ddddd, t ...) may name each other; stop a loop of settings.
    if (depth > 3) return;
    const bool twelveHour = HasAmPm(picture);
    bool afterHour = false;
    size_t i = 0;
    while (i < picture.size()) {
      const char c = picture[i];
      const char token = Lower(c);
      size_t count = 1;
      while (i + count < picture.size() && Lower(picture[i + count]) == token &&
             token >= 'a' && token <= 'z')
        ++count;
      bool hourToken = false;
      switch (token) {
        case '"':
        case '\'': {
          const size_t end = picture.find(c, i + 1);
          const size_t stop = end == std::string_view::npos ? picture.size() : end;
          out.append(picture.substr(i + 1, stop - i - 1));
          i = end == std::string_view::npos ? picture.size() : end + 1;
          continue;
        }
        case 'c':
          count = 1;
          Write(m_settings.ShortDateFormat, out, depth + 1);
          if (!m_midnight) {
            out += ' ';
            Write(m_settings.LongTimeFormat, out, depth + 1);
          }
          break;
        case 'd':
          switch (count) {
            case 1: out += std::to_string(m_day); break;
            case 2: out += Padded(m_day, 2); break;
            case 3: out += m_settings.ShortDayNames[m_dayOfWeek]; break;
            case 4: out += m_settings.LongDayNames[m_dayOfWeek]; break;
            case 5: Write(m_settings.ShortDateFormat, out, depth + 1); break;
            default:
              count = std::min<size_t>(count, 6);
              Write(m_settings.LongDateFormat, out, depth + 1);
              break;
          }
          break;
        case 'm':
          if (count <= 2 && afterHour) {
            out += count == 1 ? std::to_string(m_minute) : Padded(m_minute, 2);
          } else {
            count = std::min<size_t>(count, 4);
            switch (count) {
              case 1: out += std::to_string(m_month); break;
              case 2: out += Padded(m_month, 2); break;
              case 3: out += m_settings.ShortMonthNames[m_month - 1]; break;
              default: out += m_settings.LongMonthNames[m_month - 1]; break;
            }
          }
          break;
        case 'y':
          out += count <= 2 ? Padded(m_year % 100, 2) : Padded(m_year, 4);
          break;
        case 'h': {
          count = std::min<size_t>(count, 2);
          int hour = m_hour;
          if (twelveHour) {
            hour %= 12;
            if (hour == 0) hour = 12;
          }
          out += count == 1 ? std::to_string(hour) : Padded(hour, 2);
          hourToken = true;
          break;
        }
        case 'n':
          count = std::min<size_t>(count, 2);
          out += count == 1 ? std::to_string(m_minute) : Padded(m_minute, 2);
          break;
        case 's':
          count = std::min<size_t>(count, 2);
          out += count == 1 ? std::to_string(m_second) : Padded(m_second, 2);
          break;
        case 'z':
          count = std::min<size_t>(count, 3);
          out += count < 3 ? std::to_string(m_msec) : Padded(m_msec, 3);
          break;
        case 't':
          count = std::min<size_t>(count, 2);
          Write(count == 1 ? m_settings.ShortTimeFormat : m_settings.LongTimeFormat, out,
                depth + 1);
          break;
        case 'a': {
          const size_t length = AmPmLength(picture, i);
          if (length == 0) {
            out += c;
            count = 1;
            break;
          }
          const bool pm = m_hour >= 12;
          const std::string_view marker = picture.substr(i, length);
          if (length == 4) {
            out += pm ? m_settings.TimePMString : m_settings.TimeAMString;
          } else if (length == 5) {
            out.append(marker.substr(pm ? 3 : 0, 2));
          } else {
            out += marker[pm ? 2 : 0];
          }
          count = length;
          hourToken = afterHour;  // "h am/pm m" still reads m as minutes
          break;
        }
        case '/':
          out += rtl_separator(m_settings.DateSeparator);
          break;
        case ':':
          out += rtl_separator(m_settings.TimeSeparator);
          break;
        default:
          // Literal text keeps "hh:mm" and "h 'h' mm" reading m as minutes.
          for (size_t k = 0; k < count; ++k) out += picture[i + k];
          i += count;
          continue;
      }
      if (token >= 'a' && token <= 'z') afterHour = hourToken;
      i += count;
    }
  }

 private:
  static std::string rtl_separator(char16_t c) {
    return c == 0 ? std::string() : WideToUTF8(std::u16string_view(&c, 1));
  }

  const TFormatSettings& m_settings;
  Word m_year = 0, m_month = 0, m_day = 0;
  int m_dayOfWeek = 0, m_hour = 0, m_minute = 0, m_second = 0, m_msec = 0;
  bool m_midnight = false;
};

}  // namespace

bool IsLeapYear(Word year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

Word DaysInAMonth(Word year, Word month) {
  static constexpr Word kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInAMonth(year, month))
    return false;
  date = static_cast<TDateTime>(DaysFromCivil(year, month, day) + kUnixDay);
  return true;
}

bool TryEncodeTime(Word hour, Word minute, Word second, Word millisecond, TDateTime& time) {
  if (hour >= 24 || minute >= 60 || second >= 60 || millisecond >= 1000) return false;
  time = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime date;
  if (!TryEncodeDate(year, month, day, date))
    throw EConvertError("Invalid argument to date encode");
  return date;
}

TDateTime EncodeTime(Word hour, Word minute, Word second, Word millisecond) {
  TDateTime time;
  if (!TryEncodeTime(hour, minute, second, millisecond, time))
    throw EConvertError("Invalid argument to time encode");
  return time;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
  const double day = std::trunc(date);
  const double fraction = std::fabs(time - std::trunc(time));
  return day < 0 ? day - fraction : day + fraction;
}

void DecodeDate(TDateTime value, Word& year, Word& month, Word& day) {
  CivilFromDays(SplitDateTime(value).day - kUnixDay, year, month, day);
}

void DecodeTime(TDateTime value, Word& hour, Word& minute, Word& second, Word& millisecond) {
  const int64_t msecs = SplitDateTime(value).msecs;
  hour = static_cast<Word>(msecs / 3600000);
  minute = static_cast<Word>(msecs / 60000 % 60);
  second = static_cast<Word>(msecs / 1000 % 60);
  millisecond = static_cast<Word>(msecs % 1000);
}

void DecodeDateTime(TDateTime value, Word& year, Word& month, Word& day, Word& hour,
                    Word& minute, Word& second, Word& millisecond) {
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, minute, second, millisecond);
}

Word DayOfWeek(TDateTime value) {
  const int64_t day = SplitDateTime(value).day;
  return static_cast<Word>(((day % 7) + 7 + 6) % 7 + 1);
}

TDateTime IncMonth(TDateTime value, Integer months) {
  Word year, month, day;
  DecodeDate(value, year, month, day);
  const int64_t index = int64_t(year) * 12 + (month - 1) + months;
  const int64_t newYear = index / 12;
  if (index < 0 || newYear < 1 || newYear > 9999)
    throw EConvertError("Invalid argument to date encode");
  const Word newMonth = static_cast<Word>(index % 12 + 1);
  const Word newDay = std::min(day, DaysInAMonth(static_cast<Word>(newYear), newMonth));
  return ComposeDateTime(EncodeDate(static_cast<Word>(newYear), newMonth, newDay), value);
}

TDateTime Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return EncodeDate(static_cast<Word>(local.tm_year + 1900), static_cast<Word>(local.tm_mon + 1),
                    static_cast<Word>(local.tm_mday)) +
         EncodeTime(static_cast<Word>(local.tm_hour), static_cast<Word>(local.tm_min),
                    static_cast<Word>(std::min(local.tm_sec, 59)),
                    static_cast<Word>(now.tv_nsec / 1000000));
}

TDateTime Date() { return std::trunc(Now()); }
TDateTime Time() {
  const TDateTime now = Now();
  return now - std::trunc(now);
}

AnsiString FormatDateTime(std::string_view picture, TDateTime value,
                          const TFormatSettings& settings) {
  std::string out;
  DateTimeWriter(value, settings).Write(picture.empty() ? std::string_view("c") : picture, out, 0);
  return out;
}

AnsiString FormatDateTime(std::string_view picture, TDateTime value) {
  return FormatDateTime(picture, value, FormatSettings);
}

AnsiString DateTimeToStr(TDateTime value) { return FormatDateTime("c", value); }
AnsiString DateToStr(TDateTime value) { return FormatDateTime("ddddd", value); }
AnsiString TimeToStr(TDateTime value) { return FormatDateTime("tt", value); }
