#include "platform/kernel/TimeApi.h"

#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerMillisecond = 10'000;
constexpr int64_t kSecondsPerDay = 86'400;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochSeconds = 11'644'473'600;
constexpr int64_t kMaxTicks = INT64_MAX;

int64_t Ticks(const FILETIME& time) {
  return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

FILETIME FromTicks(int64_t ticks) {
  const auto value = static_cast<uint64_t>(ticks);
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFF), static_cast<DWORD>(value >> 32)};
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = FloorDiv(year, 400);
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
  days += 719468;
  const int64_t era = FloorDiv(days, 146097);
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  day = static_cast<unsigned>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  month = static_cast<unsigned>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  year = yearOfEra + era * 400 + (month <= 2);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(int year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Ticks since 1601 of a calendar time; nothing when a field is out of range.
std::optional<int64_t> TicksFromSystemTime(const SYSTEMTIME& time) {
  if (time.wYear < 1601 || time.wYear > 30827 || time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 ||
      time.wDay > DaysInMonth(time.wYear, time.wMonth) || time.wHour > 23 || time.wMinute > 59 || time.wSecond > 59 ||
      time.wMilliseconds > 999) {
    return std::nullopt;
  }
  const int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) + kUnixEpochSeconds / kSecondsPerDay;
  const int64_t seconds = days * kSecondsPerDay + time.wHour * 3600 + time.wMinute * 60 + time.wSecond;
  return seconds * kTicksPerSecond + time.wMilliseconds * kTicksPerMillisecond;
}

SYSTEMTIME SystemTimeFromTicks(int64_t ticks) {
  const int64_t seconds = ticks / kTicksPerSecond;
  const int64_t daysSince1601 = seconds / kSecondsPerDay;
  const int64_t secondOfDay = seconds % kSecondsPerDay;
  int64_t year;
  unsigned month, day;
  CivilFromDays(daysSince1601 - kUnixEpochSeconds / kSecondsPerDay, year, month, day);
  SYSTEMTIME out{};
  out.wYear = static_cast<WORD>(year);
  out.wMonth = static_cast<WORD>(month);
  // 1601-01-01 was a Monday.
  out.wDayOfWeek = static_cast<WORD>((daysSince1601 + 1) % 7);
  out.wDay = static_cast<WORD>(day);
  out.wHour = static_cast<WORD>(secondOfDay / 3600);
  out.wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  out.wSecond = static_cast<WORD>(secondOfDay % 60);
  out.wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / kTicksPerMillisecond);
  return out;
}

BOOL InvalidParameter() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

int64_t NowTicks() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return (now.tv_sec + kUnixEpochSeconds) * kTicksPerSecond + now.tv_nsec / 100;
}

// The C library's UTC offset in seconds at a UTC instant given as Unix seconds.
std::optional<long> OffsetAt(time_t unixSeconds, bool* daylight = nullptr) {
  tm local{};
  if (!localtime_r(&unixSeconds, &local)) return std::nullopt;
  if (daylight) *daylight = local.tm_isdst > 0;
  return local.tm_gmtoff;
}

// The UTC instant of a rule of a TIME_ZONE_INFORMATION in a year, as ticks of the rule's
// own wall clock (the caller adds the bias).
std::optional<int64_t> RuleWallTicks(const SYSTEMTIME& rule, int year) {
  if (rule.wMonth < 1 || rule.wMonth > 12) return std::nullopt;
  unsigned day = rule.wDay;
  if (rule.wYear == 0) {
    // wDay is the week: the n-th wDayOfWeek of the month, 5 meaning the last one.
    const int64_t first = DaysFromCivil(year, rule.wMonth, 1);
    const unsigned firstWeekday = static_cast<unsigned>((first % 7 + 7 + 4) % 7);  // 1970-01-01 was a Thursday
    day = 1 + (rule.wDayOfWeek + 7 - firstWeekday) % 7 + (std::max<unsigned>(rule.wDay, 1) - 1) * 7;
    while (day > DaysInMonth(year, rule.wMonth)) day -= 7;
  }
  SYSTEMTIME wall{static_cast<WORD>(year), rule.wMonth, 0, static_cast<WORD>(day), rule.wHour, rule.wMinute,
                  rule.wSecond, rule.wMilliseconds};
  return TicksFromSystemTime(wall);
}

void CopyName(WCHAR (&target)[32], const char* name) {
  std::memset(target, 0, sizeof target);
  const std::u16string text = platform::Utf8ToUtf16(name ? name : "");
  std::memcpy(target, text.data(), std::min<size_t>(text.size(), 31) * sizeof(WCHAR));
}

// The wall time just before a transition at a Unix instant, in the day-in-month form.
SYSTEMTIME TransitionRule(time_t instant) {
  const time_t before = instant - 1;
  tm local{};
  localtime_r(&before, &local);
  SYSTEMTIME rule{};
  rule.wMonth = static_cast<WORD>(local.tm_mon + 1);
  rule.wDayOfWeek = static_cast<WORD>(local.tm_wday);
  const int year = local.tm_year + 1900;
  rule.wDay = static_cast<WORD>(local.tm_mday + 7 > static_cast<int>(DaysInMonth(year, rule.wMonth)) ? 5 : (local.tm_mday - 1) / 7 + 1);
  // One second after 01:59:59 is 02:00.
  const int secondOfDay = (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + 1) % 86400;
  rule.wHour = static_cast<WORD>(secondOfDay / 3600);
  rule.wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  return rule;
}

}  // namespace

void Sleep(DWORD milliseconds) {
  if (milliseconds == INFINITE) {
    for (;;) pause();
  }
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DWORD SleepEx(DWORD milliseconds, BOOL) {
  Sleep(milliseconds);
  return 0;
}

ULONGLONG GetTickCount64() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<ULONGLONG>(now.tv_sec) * 1000 + static_cast<ULONGLONG>(now.tv_nsec) / 1'000'000;
}

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return InvalidParameter();
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  count->QuadPart = static_cast<LONGLONG>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return InvalidParameter();
  frequency->QuadPart = 1'000'000'000;
  return TRUE;
}

void GetSystemTimeAsFileTime(FILETIME* time) {
  if (time) *time = FromTicks(NowTicks());
}

void GetSystemTime(SYSTEMTIME* time) {
  if (time) *time = SystemTimeFromTicks(NowTicks());
}

void GetLocalTime(SYSTEMTIME* time) {
  if (!time) return;
  const FILETIME now = FromTicks(NowTicks());
  FILETIME local{};
  if (!FileTimeToLocalFileTime(&now, &local)) local = now;
  *time = SystemTimeFromTicks(Ticks(local));
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
  if (!fileTime || !systemTime || Ticks(*fileTime) < 0) return InvalidParameter();
  const SYSTEMTIME result = SystemTimeFromTicks(Ticks(*fileTime));
  if (result.wYear > 30827) return InvalidParameter();
  *systemTime = result;
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime) {
  if (!systemTime || !fileTime) return InvalidParameter();
  const auto ticks = TicksFromSystemTime(*systemTime);
  if (!ticks) return InvalidParameter();
  *fileTime = FromTicks(*ticks);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime) {
  if (!fileTime || !localFileTime || Ticks(*fileTime) < 0) return InvalidParameter();
  const int64_t ticks = Ticks(*fileTime);
  const auto offset = OffsetAt(static_cast<time_t>(ticks / kTicksPerSecond - kUnixEpochSeconds));
  if (!offset) return InvalidParameter();
  const int64_t delta = static_cast<int64_t>(*offset) * kTicksPerSecond;
  if ((delta < 0 && ticks < -delta) || (delta > 0 && ticks > kMaxTicks - delta)) return InvalidParameter();
  *localFileTime = FromTicks(ticks + delta);
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, FILETIME* fileTime) {
  if (!localFileTime || !fileTime || Ticks(*localFileTime) < 0) return InvalidParameter();
  const int64_t ticks = Ticks(*localFileTime);
  const SYSTEMTIME wall = SystemTimeFromTicks(ticks);
  tm local{};
  local.tm_year = wall.wYear - 1900;
  local.tm_mon = wall.wMonth - 1;
  local.tm_mday = wall.wDay;
  local.tm_hour = wall.wHour;
  local.tm_min = wall.wMinute;
  local.tm_sec = wall.wSecond;
  local.tm_isdst = -1;
  const time_t unixSeconds = mktime(&local);
  if (unixSeconds == static_cast<time_t>(-1) && local.tm_year != 69) return InvalidParameter();
  const int64_t result = (static_cast<int64_t>(unixSeconds) + kUnixEpochSeconds) * kTicksPerSecond + ticks % kTicksPerSecond;
  if (result < 0) return InvalidParameter();
  *fileTime = FromTicks(result);
  return TRUE;
}

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION zone) {
  if (!zone) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return TIME_ZONE_ID_INVALID;
  }
  tzset();
  const time_t now = time(nullptr);
  tm today{};
  localtime_r(&now, &today);
  *zone = TIME_ZONE_INFORMATION{};

  // Walk the year hour by hour to find its transitions and both offsets.
  const int64_t yearStart = (DaysFromCivil(today.tm_year + 1900, 1, 1) - 1) * kSecondsPerDay;
  const int64_t yearEnd = (DaysFromCivil(today.tm_year + 1901, 1, 1) + 1) * kSecondsPerDay;
  std::optional<long> standardOffset, daylightOffset;
  bool previousDaylight = false;
  for (int64_t t = yearStart; t < yearEnd; t += 3600) {
    bool daylight = false;
    const auto offset = OffsetAt(static_cast<time_t>(t), &daylight);
    if (!offset) break;
    (daylight ? daylightOffset : standardOffset) = *offset;
    if (t != yearStart && daylight != previousDaylight) {
      (daylight ? zone->DaylightDate : zone->StandardDate) = TransitionRule(static_cast<time_t>(t));
    }
    previousDaylight = daylight;
  }
  const long standard = standardOffset.value_or(today.tm_gmtoff);
  zone->Bias = static_cast<LONG>(-standard / 60);
  CopyName(zone->StandardName, tzname[0]);
  CopyName(zone->DaylightName, tzname[1]);
  if (!daylightOffset || zone->DaylightDate.wMonth == 0 || zone->StandardDate.wMonth == 0) {
    zone->DaylightDate = zone->StandardDate = SYSTEMTIME{};
    return TIME_ZONE_ID_UNKNOWN;
  }
  zone->DaylightBias = static_cast<LONG>(-(*daylightOffset - standard) / 60);
  return today.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME* universalTime,
                                     SYSTEMTIME* localTime) {
  if (!universalTime || !localTime) return InvalidParameter();
  FILETIME utc{};
  if (!SystemTimeToFileTime(universalTime, &utc)) return FALSE;
  if (!zone) {
    FILETIME local{};
    if (!FileTimeToLocalFileTime(&utc, &local)) return FALSE;
    return FileTimeToSystemTime(&local, localTime);
  }
  const int64_t ticks = Ticks(utc);
  const int64_t minute = 60 * kTicksPerSecond;
  LONG bias = zone->Bias + zone->StandardBias;
  if (zone->DaylightDate.wMonth != 0 && zone->StandardDate.wMonth != 0) {
    // Summer time starts at a standard wall time and ends at a summer wall time.
    const auto start = RuleWallTicks(zone->DaylightDate, universalTime->wYear);
    const auto end = RuleWallTicks(zone->StandardDate, universalTime->wYear);
    if (!start || !end) return InvalidParameter();
    const int64_t startUtc = *start + (zone->Bias + zone->StandardBias) * minute;
    const int64_t endUtc = *end + (zone->Bias + zone->DaylightBias) * minute;
    const bool daylight = startUtc < endUtc ? (ticks >= startUtc && ticks < endUtc) : (ticks >= startUtc || ticks < endUtc);
    if (daylight) bias = zone->Bias + zone->DaylightBias;
  }
  const int64_t local = ticks - bias * minute;
  if (local < 0) return InvalidParameter();
  FILETIME localFile = FromTicks(local);
  return FileTimeToSystemTime(&localFile, localTime);
}
