#pragma once

// Clocks, sleeping and the conversions between FILETIME (100-nanosecond intervals since
// 1601-01-01 UTC), SYSTEMTIME (calendar fields) and local time. Local time follows the C
// library's time zone (TZ, /etc/localtime). Any thread.
//
// Converting between UTC and local file times uses the offset in force at the instant being
// converted (summer time for a summer date), so a file's local time does not move by an hour
// when the season changes.

#include "platform/kernel/WinTypes.h"

void Sleep(DWORD milliseconds);
// There are no asynchronous procedure calls to run, so this always returns 0.
DWORD SleepEx(DWORD milliseconds, BOOL alertable);

// Milliseconds since boot (CLOCK_MONOTONIC); the 32-bit form wraps after about 49.7 days.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

void GetSystemTime(SYSTEMTIME* time);
void GetLocalTime(SYSTEMTIME* time);
void GetSystemTimeAsFileTime(FILETIME* time);

// Invalid input (a FILETIME beyond year 30827, a SYSTEMTIME field out of range, a null
// pointer) gives FALSE with ERROR_INVALID_PARAMETER.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, FILETIME* fileTime);

struct TIME_ZONE_INFORMATION {
  LONG Bias;  // minutes: UTC = local standard time + Bias
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;  // when summer time ends (wYear 0: wDay is the week 1..5 of the month)
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;  // when summer time starts; wMonth 0 when the zone has none
  LONG DaylightBias;
};
static_assert(sizeof(TIME_ZONE_INFORMATION) == 172);
using LPTIME_ZONE_INFORMATION = TIME_ZONE_INFORMATION*;

constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;
constexpr DWORD TIME_ZONE_ID_STANDARD = 1;
constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;
constexpr DWORD TIME_ZONE_ID_INVALID = 0xFFFFFFFF;

// Describes the current zone from the transitions of the current year.
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION zone);
// zone null: the current zone; otherwise the record's bias and summer-time rules.
BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME* universalTime,
                                     SYSTEMTIME* localTime);
