#include "platform/kernel/SysInfo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "platform/kernel/WinError.h"

namespace {

TEST(SysInfo, MulDivRoundsHalfAwayFromZeroAndReportsOverflow) {
  struct Case {
    int number, numerator, denominator, result;
  };
  const Case cases[] = {
      {1, 1, 2, 1},          {-1, 1, 2, -1},        {3, 1, 2, 2},
      {5, 1, -2, -3},        {2, 3, 4, 2},          {-2, 3, 4, -2},
      {1, 1, 3, 0},          {2, 1, 3, 1},          {10, 1, 3, 3},
      {300, 96, 72, 400},    {0, 5, -3, 0},         {5, 5, 0, -1},
      {INT_MAX, 2, 2, INT_MAX}, {INT_MAX, 2, 1, -1}, {INT_MIN, 1, 1, INT_MIN},
      {INT_MIN, -1, 1, -1},  {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.result)
        << c.number << " * " << c.numerator << " / " << c.denominator;
  }
}

TEST(SysInfo, VersionIsWindows7ServicePack1) {
  OSVERSIONINFOEXA ex{};
  ex.dwOSVersionInfoSize = sizeof ex;
  ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&ex)));
  EXPECT_EQ(ex.dwMajorVersion, 6u);
  EXPECT_EQ(ex.dwMinorVersion, 1u);
  EXPECT_EQ(ex.dwBuildNumber, 7601u);
  EXPECT_EQ(ex.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_STREQ(ex.szCSDVersion, "Service Pack 1");
  EXPECT_EQ(ex.wServicePackMajor, 1);
  EXPECT_EQ(ex.wProductType, VER_NT_WORKSTATION);

  OSVERSIONINFOW wide{};
  wide.dwOSVersionInfoSize = sizeof wide;
  ASSERT_TRUE(GetVersionExW(&wide));
  EXPECT_EQ(std::u16string(wide.szCSDVersion), u"Service Pack 1");

  OSVERSIONINFOA wrong{};
  wrong.dwOSVersionInfoSize = sizeof wrong - 1;
  EXPECT_FALSE(GetVersionExA(&wrong));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(GetVersion(), 0x1DB10106u);
}

TEST(SysInfo, MachineFacts) {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  EXPECT_GE(info.dwNumberOfProcessors, 1u);
  EXPECT_EQ(info.dwPageSize, static_cast<DWORD>(sysconf(_SC_PAGESIZE)));

  MEMORYSTATUSEX memory{};
  EXPECT_FALSE(GlobalMemoryStatusEx(&memory));  // dwLength not set
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  memory.dwLength = sizeof memory;
  ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
  EXPECT_GT(memory.ullTotalPhys, 0u);
  EXPECT_LE(memory.ullAvailPhys, memory.ullTotalPhys);
  EXPECT_LE(memory.dwMemoryLoad, 100u);

  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
}

}  // namespace
