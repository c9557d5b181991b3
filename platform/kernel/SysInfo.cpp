#include "platform/kernel/SysInfo.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/kernel/WinError.h"

namespace {

constexpr DWORD kMajorVersion = 6;
constexpr DWORD kMinorVersion = 1;
constexpr DWORD kBuildNumber = 7601;
constexpr char kServicePack[] = "Service Pack 1";

template <typename Info>
void FillVersion(Info* info) {
  info->dwMajorVersion = kMajorVersion;
  info->dwMinorVersion = kMinorVersion;
  info->dwBuildNumber = kBuildNumber;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::fill(std::begin(info->szCSDVersion), std::end(info->szCSDVersion), 0);
  for (size_t i = 0; kServicePack[i]; ++i) info->szCSDVersion[i] = kServicePack[i];
}

template <typename InfoEx>
void FillVersionEx(InfoEx* info) {
  info->wServicePackMajor = 1;
  info->wServicePackMinor = 0;
  info->wSuiteMask = 0;
  info->wProductType = VER_NT_WORKSTATION;
  info->wReserved = 0;
}

// Sizes in bytes from /proc/meminfo (which counts in kB).
std::map<std::string, ULONGLONG> ReadMemInfo() {
  std::map<std::string, ULONGLONG> values;
  std::ifstream file("/proc/meminfo");
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string key;
    ULONGLONG kilobytes = 0;
    if (fields >> key >> kilobytes && !key.empty() && key.back() == ':') {
      key.pop_back();
      values[key] = kilobytes * 1024;
    }
  }
  return values;
}

}  // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  FillVersion(info);
  if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA)) FillVersionEx(reinterpret_cast<OSVERSIONINFOEXA*>(info));
  return TRUE;
}

BOOL GetVersionExW(LPOSVERSIONINFOW info) {
  if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) &&
                info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  FillVersion(info);
  if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW)) FillVersionEx(reinterpret_cast<OSVERSIONINFOEXW*>(info));
  return TRUE;
}

DWORD GetVersion() { return kMajorVersion | (kMinorVersion << 8) | (kBuildNumber << 16); }

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(number) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const uint64_t magnitude = product < 0 ? static_cast<uint64_t>(-product) : static_cast<uint64_t>(product);
  const uint64_t divisor = denominator < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(denominator))
                                           : static_cast<uint64_t>(denominator);
  uint64_t quotient = magnitude / divisor;
  if ((magnitude % divisor) * 2 >= divisor) ++quotient;  // half away from zero
  if (product == 0) return 0;
  if (negative) return quotient > uint64_t{1} << 31 ? -1 : static_cast<int>(-static_cast<int64_t>(quotient));
  return quotient > INT32_MAX ? -1 : static_cast<int>(quotient);
}

void GetSystemInfo(LPSYSTEM_INFO info) {
  if (!info) return;
  std::memset(info, 0, sizeof *info);
#if defined(__aarch64__)
  info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_ARM64;
#else
  info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
  info->dwProcessorType = PROCESSOR_AMD_X8664;
#endif
  info->dwPageSize = static_cast<DWORD>(sysconf(_SC_PAGESIZE));
  info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(uintptr_t{0x10000});
  info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(uintptr_t{0x7FFFFFFEFFFF});
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  DWORD count = 0;
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
      if (!CPU_ISSET(cpu, &allowed)) continue;
      if (cpu < 64) info->dwActiveProcessorMask |= DWORD_PTR{1} << cpu;
      ++count;
    }
  }
  if (count == 0) count = static_cast<DWORD>(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));
  info->dwNumberOfProcessors = count;
  info->dwAllocationGranularity = 65536;
  info->wProcessorLevel = 6;
}

BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX status) {
  if (!status || status->dwLength != sizeof(MEMORYSTATUSEX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto values = ReadMemInfo();
  ULONGLONG total = values["MemTotal"];
  if (total == 0) total = static_cast<ULONGLONG>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE);
  ULONGLONG available = values.count("MemAvailable") ? values["MemAvailable"] : values["MemFree"];
  if (available > total) available = total;
  status->dwMemoryLoad = total ? static_cast<DWORD>((total - available) * 100 / total) : 0;
  status->ullTotalPhys = total;
  status->ullAvailPhys = available;
  status->ullTotalPageFile = total + values["SwapTotal"];
  status->ullAvailPageFile = available + values["SwapFree"];
  status->ullTotalVirtual = 0x7FFFFFFE0000ull;
  status->ullAvailVirtual = 0x7FFFFFFE0000ull;
  status->ullAvailExtendedVirtual = 0;
  return TRUE;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }
