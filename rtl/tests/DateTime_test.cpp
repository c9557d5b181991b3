#include "rtl/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>

#include "rtl/Exceptions.h"

namespace {

TEST(DateTime, EncodeDecodeRoundTrips) {
  struct Case {
    Word year, month, day;
    double serial;
  } const cases[] = {
      {1899, 12, 30, 0},    {1899, 12, 31, 1},      {1900, 1, 1, 2},   {1899, 12, 29, -1},
      {2000, 2, 29, 36585}, {2024, 3, 1, 45352},    {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
      {1600, 2, 29, -109512},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.serial);
    EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.serial);
    Word y, m, d;
    DecodeDate(c.serial, y, m, d);
    EXPECT_EQ(y, c.year);
    EXPECT_EQ(m, c.month);
    EXPECT_EQ(d, c.day);
  }
}

TEST(DateTime, InvalidDatesAndTimes) {
  TDateTime value = 0;
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, value));  // 1900 is not a leap year
  EXPECT_FALSE(TryEncodeDate(2023, 4, 31, value));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, value));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, value));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, value));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, value));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, value));
  try {
    EncodeDate(2023, 13, 1);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Invalid argument to date encode");
  }
  EXPECT_THROW(EncodeTime(25, 0, 0, 0), EConvertError);
  Word y, m, d;
  EXPECT_THROW(DecodeDate(NAN, y, m, d), EConvertError);
  EXPECT_THROW(DecodeDate(1e9, y, m, d), EConvertError);
}

TEST(DateTime, LeapYears) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DaysInAMonth(2100, 2), 28);
}

TEST(DateTime, TimesAndNegativeDates) {
  Word h, n, s, ms;
  DecodeTime(EncodeTime(13, 45, 30, 250), h, n, s, ms);
  EXPECT_EQ(h, 13);
  EXPECT_EQ(n, 45);
  EXPECT_EQ(s, 30);
  EXPECT_EQ(ms, 250);

  // -1.25: the day before 1899-12-30 at 06:00; the fraction counts as absolute.
  Word y, m, d;
  DecodeDateTime(-1.25, y, m, d, h, n, s, ms);
  EXPECT_EQ(y, 1899);
  EXPECT_EQ(m, 12);
  EXPECT_EQ(d, 29);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(ComposeDateTime(-1, 0.25), -1.25);
  EXPECT_EQ(ComposeDateTime(EncodeDate(2020, 1, 1), EncodeTime(12, 0, 0, 0)), 43831.5);

  // 23:59:59.9996 rounds to the next day, not to 24:00.
  DecodeDateTime(1 - 0.0004 / SecsPerDay, y, m, d, h, n, s, ms);
  EXPECT_EQ(d, 31);
  EXPECT_EQ(h, 0);
}

TEST(DateTime, DayOfWeekAndIncMonth) {
  EXPECT_EQ(DayOfWeek(0), 7);                          // 1899-12-30 was a Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 6, 2)), 1);     // Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(1800, 1, 1)), 4);     // Wednesday, a negative date
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31)), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 15), -3), EncodeDate(2023, 12, 15));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 1) + 0.5, 12), EncodeDate(2025, 1, 1) + 0.5);
}

TEST(DateTime, NowIsLocalTimeToday) {
  const TDateTime now = Now();
  EXPECT_GT(now, EncodeDate(2020, 1, 1));
  EXPECT_LE(Date(), now);
  EXPECT_GE(Time(), 0);
  EXPECT_LT(Time(), 1);
}

TEST(DateTime, FormatDateTimePictures) {
  const TDateTime value = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
  struct Case {
    const char* picture;
    const char* expected;
  } const cases[] = {
      {"yyyy-mm-dd hh:mm:ss", "2024-03-05 14:07:09"},  // mm after hh is minutes
      {"d/m/yy", "5/3/24"},
      {"h:m", "14:7"},
      {"dd mmm yyyy", "05 Mar 2024"},
      {"dddd, mmmm d", "Tuesday, March 5"},
      {"ddd", "Tue"},
      {"hh:nn:ss.zzz", "14:07:09.045"},
      {"z", "45"},
      {"h:nn am/pm", "2:07 pm"},
      {"h:nn AM/PM", "2:07 PM"},
      {"hh a/p", "02 p"},
      {"h ampm", "2 PM"},
      {"c", "3/5/2024 14:07:09"},
      {"ddddd", "3/5/2024"},
      {"dddddd", "Tuesday, March 5, 2024"},
      {"t|tt", "14:07|14:07:09"},
      {"\"day\" d 'of' mmmm", "day 5 of March"},
      {"yyyymmddhhnnss", "20240305140709"},
      {"hh'h'mm", "14h07"},
      {"", "3/5/2024 14:07:09"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.picture);
    EXPECT_EQ(FormatDateTime(c.picture, value), c.expected);
  }
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5)), "3/5/2024");
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(0, 30, 0, 0)), "12 am");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", -1.25), "1899-12-29 06:00");

  TFormatSettings european;
  european.DateSeparator = '.';
  european.ShortDateFormat = "dd/mm/yyyy";
  european.LongMonthNames[2] = "M\xC3\xA4rz";
  EXPECT_EQ(FormatDateTime("ddddd mmmm", value, european), "05.03.2024 M\xC3\xA4rz");
  european.ShortDateFormat = "ddddd";  // a picture naming itself must not recurse forever
  EXPECT_NO_THROW(FormatDateTime("c", value, european));
}

TEST(DateTime, DateTimeToStr) {
  const TDateTime value = EncodeDate(2001, 12, 24) + EncodeTime(8, 5, 0, 0);
  EXPECT_EQ(DateTimeToStr(value), "12/24/2001 08:05:00");
  EXPECT_EQ(DateToStr(value), "12/24/2001");
  EXPECT_EQ(TimeToStr(value), "08:05:00");
}

}  // namespace
