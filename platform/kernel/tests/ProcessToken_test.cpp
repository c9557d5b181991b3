// The process token: opening, privilege look-up and adjustment succeed and change nothing;
// only the process's own pseudo-handle opens a token, and the token closes like any handle.

#include "platform/kernel/ProcessToken.h"

#include <gtest/gtest.h>

#include "platform/kernel/KernelObject.h"
#include "platform/kernel/WinError.h"

namespace {

TEST(ProcessToken, ShutdownPrivilegeIsAcceptedAndChangesNothing) {
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
  ASSERT_NE(token, nullptr);

  TOKEN_PRIVILEGES privileges{};
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid));
  LUID again{};
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &again));
  EXPECT_EQ(again.LowPart, privileges.Privileges[0].Luid.LowPart);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  TOKEN_PRIVILEGES previous{};
  DWORD length = 0;
  EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, sizeof previous, &previous, &length));
  EXPECT_EQ(previous.PrivilegeCount, 0u);

  EXPECT_TRUE(CloseHandle(token));
  EXPECT_FALSE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));  // closed
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(ProcessToken, RefusesWhatItCannotServe) {
  HANDLE token = nullptr;
  EXPECT_FALSE(OpenProcessToken(reinterpret_cast<HANDLE>(intptr_t{1234}), TOKEN_QUERY, &token));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  LUID luid{};
  EXPECT_FALSE(LookupPrivilegeValueA(nullptr, "", &luid));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
