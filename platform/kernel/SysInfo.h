#pragma once

// Version queries and small system facts. The layer reports Windows NT 6.1 build 7601 with
// Service Pack 1 (a workstation), whatever Linux runs underneath. Any thread.

#include "platform/kernel/WinTypes.h"

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
constexpr BYTE VER_NT_WORKSTATION = 1;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};
struct OSVERSIONINFOEXA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
static_assert(sizeof(OSVERSIONINFOA) == 148 && sizeof(OSVERSIONINFOW) == 276);
static_assert(sizeof(OSVERSIONINFOEXA) == 156 && sizeof(OSVERSIONINFOEXW) == 284);
using LPOSVERSIONINFOA = OSVERSIONINFOA*;
using LPOSVERSIONINFOW = OSVERSIONINFOW*;

// dwOSVersionInfoSize must be the size of the plain or the EX record (ERROR_INSUFFICIENT_BUFFER
// otherwise); the EX fields are filled only for the EX size.
BOOL GetVersionExA(LPOSVERSIONINFOA info);
BOOL GetVersionExW(LPOSVERSIONINFOW info);
// Major version in the low byte, minor in the next, build in the high word.
DWORD GetVersion();

// number * numerator / denominator with a 64-bit intermediate, rounded half away from zero;
// -1 when the denominator is 0 or the result does not fit 32 bits.
int MulDiv(int number, int numerator, int denominator);

constexpr WORD PROCESSOR_ARCHITECTURE_INTEL = 0;
constexpr WORD PROCESSOR_ARCHITECTURE_ARM = 5;
constexpr WORD PROCESSOR_ARCHITECTURE_AMD64 = 9;
constexpr WORD PROCESSOR_ARCHITECTURE_ARM64 = 12;
constexpr DWORD PROCESSOR_AMD_X8664 = 8664;

struct SYSTEM_INFO {
  union {
    DWORD dwOemId;
    struct {
      WORD wProcessorArchitecture;
      WORD wReserved;
    };
  };
  DWORD dwPageSize;
  LPVOID lpMinimumApplicationAddress;
  LPVOID lpMaximumApplicationAddress;
  DWORD_PTR dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
};
using LPSYSTEM_INFO = SYSTEM_INFO*;

// dwNumberOfProcessors: the processors this process may run on.
void GetSystemInfo(LPSYSTEM_INFO info);

struct MEMORYSTATUSEX {
  DWORD dwLength;  // sizeof(MEMORYSTATUSEX), set by the caller
  DWORD dwMemoryLoad;
  ULONGLONG ullTotalPhys;
  ULONGLONG ullAvailPhys;
  ULONGLONG ullTotalPageFile;
  ULONGLONG ullAvailPageFile;
  ULONGLONG ullTotalVirtual;
  ULONGLONG ullAvailVirtual;
  ULONGLONG ullAvailExtendedVirtual;
};
static_assert(sizeof(MEMORYSTATUSEX) == 64);
using LPMEMORYSTATUSEX = MEMORYSTATUSEX*;

// Physical memory and swap from /proc/meminfo ("available" is what can be had without
// swapping); the page file is memory plus swap.
BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX status);

DWORD GetCurrentProcessId();
