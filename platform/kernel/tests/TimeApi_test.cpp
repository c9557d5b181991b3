#include "platform/kernel/TimeApi.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>

#include "platform/kernel/WinError.h"

namespace {

ULONGLONG Ticks(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }
FILETIME FileTime(ULONGLONG ticks) { return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}; }

// Switches the C library's time zone for one test.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = getenv("TZ")) m_old = old, m_hadOld = true;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (m_hadOld) setenv("TZ", m_old.c_str(), 1); else unsetenv("TZ");
    tzset();
  }

 private:
  std::string m_old;
  bool m_hadOld = false;
};

// Central European time, given as a rule so that no zone database is needed.
constexpr char kBerlin[] = "CET-1CEST,M3.5.0,M10.5.0/3";

TEST(TimeApi, FileTimeAndSystemTimeRoundTrip) {
  struct Case {
    SYSTEMTIME time;  // year, month, day of the week, day, ...
    ULONGLONG ticks;
  };
  const Case cases[] = {
      {{1601, 1, 1, 1, 0, 0, 0, 0}, 0},
      {{1970, 1, 4, 1, 0, 0, 0, 0}, 116444736000000000ull},
      {{2000, 2, 2, 29, 12, 34, 56, 789}, 125963012967890000ull},
      {{2024, 12, 2, 31, 23, 59, 59, 999}, 133801631999990000ull},
      {{30827, 12, 5, 31, 23, 59, 59, 999}, 0x7FFF35F4F06C58F0ull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time.wYear);
    FILETIME file{};
    ASSERT_TRUE(SystemTimeToFileTime(&c.time, &file));
    EXPECT_EQ(Ticks(file), c.ticks);
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&file, &back));
    EXPECT_EQ(0, memcmp(&back, &c.time, sizeof back));
  }
}

TEST(TimeApi, InvalidCalendarFieldsAreRejected) {
  const SYSTEMTIME bad[] = {
      {2024, 13, 0, 1, 0, 0, 0, 0},   {2024, 0, 0, 1, 0, 0, 0, 0},   {2024, 1, 0, 0, 0, 0, 0, 0},
      {2023, 2, 0, 29, 0, 0, 0, 0},   {2024, 2, 0, 30, 0, 0, 0, 0},  {2024, 4, 0, 31, 0, 0, 0, 0},
      {2024, 1, 0, 1, 24, 0, 0, 0},   {2024, 1, 0, 1, 0, 60, 0, 0},  {2024, 1, 0, 1, 0, 0, 60, 0},
      {2024, 1, 0, 1, 0, 0, 0, 1000}, {1600, 12, 0, 31, 0, 0, 0, 0}, {30828, 1, 0, 1, 0, 0, 0, 0},
  };
  for (const SYSTEMTIME& time : bad) {
    FILETIME file{};
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&time, &file)) << time.wYear << "-" << time.wMonth << "-" << time.wDay;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  const FILETIME tooLate = FileTime(0x8000000000000000ull);
  SYSTEMTIME out{};
  EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &out));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(TimeApi, LocalFileTimesUseTheOffsetOfTheirOwnDate) {
  TimeZone zone(kBerlin);
  constexpr ULONGLONG kHour = 36000000000ull;
  struct Case {
    SYSTEMTIME utc;
    ULONGLONG offset;
  };
  const Case cases[] = {
      {{2024, 1, 0, 15, 12, 0, 0, 250}, kHour},     // winter
      {{2024, 7, 0, 15, 12, 0, 0, 250}, 2 * kHour},  // summer
  };
  for (const Case& c : cases) {
    FILETIME utc{}, local{}, back{};
    ASSERT_TRUE(SystemTimeToFileTime(&c.utc, &utc));
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(Ticks(local) - Ticks(utc), c.offset);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(Ticks(back), Ticks(utc));

    SYSTEMTIME viaZone{}, viaNull{};
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &c.utc, &viaNull));
    TIME_ZONE_INFORMATION info{};
    GetTimeZoneInformation(&info);
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(&info, &c.utc, &viaZone));
    EXPECT_EQ(viaNull.wHour, c.utc.wHour + c.offset / kHour);
    EXPECT_EQ(0, memcmp(&viaNull, &viaZone, sizeof viaZone));
  }
}

TEST(TimeApi, TimeZoneInformationDescribesTheRules) {
  TimeZone zone(kBerlin);
  TIME_ZONE_INFORMATION info{};
  const DWORD id = GetTimeZoneInformation(&info);
  EXPECT_TRUE(id == TIME_ZONE_ID_STANDARD || id == TIME_ZONE_ID_DAYLIGHT);
  EXPECT_EQ(info.Bias, -60);
  EXPECT_EQ(info.DaylightBias, -60);
  // Summer time starts on the last Sunday of March at 02:00 and ends on the last Sunday of
  // October at 03:00 (summer wall time).
  EXPECT_EQ(info.DaylightDate.wMonth, 3);
  EXPECT_EQ(info.DaylightDate.wDayOfWeek, 0);
  EXPECT_EQ(info.DaylightDate.wDay, 5);
  EXPECT_EQ(info.DaylightDate.wHour, 2);
  EXPECT_EQ(info.StandardDate.wMonth, 10);
  EXPECT_EQ(info.StandardDate.wDay, 5);
  EXPECT_EQ(info.StandardDate.wHour, 3);
  EXPECT_EQ(std::u16string(info.StandardName), u"CET");

  TimeZone utc("UTC0");
  EXPECT_EQ(GetTimeZoneInformation(&info), TIME_ZONE_ID_UNKNOWN);
  EXPECT_EQ(info.Bias, 0);
  EXPECT_EQ(info.DaylightDate.wMonth, 0);
}

TEST(TimeApi, ClocksMoveForward) {
  ULONGLONG previous = GetTickCount64();
  LARGE_INTEGER counter{}, later{}, frequency{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_GT(frequency.QuadPart, 0);
  ASSERT_TRUE(QueryPerformanceCounter(&counter));
  for (int i = 0; i < 5; ++i) {
    Sleep(2);
    const ULONGLONG now = GetTickCount64();
    EXPECT_GE(now, previous);
    previous = now;
  }
  EXPECT_GT(previous, 0u);
  // The 32-bit count is the low half of the 64-bit one (allowing for a tick in between).
  EXPECT_LE(static_cast<DWORD>(GetTickCount() - static_cast<DWORD>(previous)), 1000u);
  ASSERT_TRUE(QueryPerformanceCounter(&later));
  EXPECT_GT(later.QuadPart, counter.QuadPart);

  SYSTEMTIME now{};
  GetSystemTime(&now);
  FILETIME file{}, direct{};
  ASSERT_TRUE(SystemTimeToFileTime(&now, &file));
  GetSystemTimeAsFileTime(&direct);
  const long long seconds = static_cast<long long>(Ticks(file) / 10000000ull) - 11644473600ll;
  EXPECT_LE(std::llabs(seconds - static_cast<long long>(time(nullptr))), 5);
  EXPECT_GE(Ticks(direct), Ticks(file));
  EXPECT_EQ(SleepEx(0, TRUE), 0u);
}

}  // namespace
