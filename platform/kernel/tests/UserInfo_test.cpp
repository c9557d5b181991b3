#include "platform/kernel/UserInfo.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>

#include "platform/kernel/WinError.h"

namespace {

TEST(UserInfo, UserNameFollowsTheBufferRules) {
  const passwd* entry = getpwuid(geteuid());
  ASSERT_NE(entry, nullptr);
  const std::string name = entry->pw_name;

  char narrow[256];
  DWORD size = sizeof narrow;
  ASSERT_TRUE(GetUserNameA(narrow, &size));
  EXPECT_EQ(narrow, name);
  EXPECT_EQ(size, name.size() + 1);

  char16_t wide[256];
  size = 256;
  ASSERT_TRUE(GetUserNameW(wide, &size));
  EXPECT_EQ(size, name.size() + 1);

  size = static_cast<DWORD>(name.size());  // no room for the terminator
  EXPECT_FALSE(GetUserNameA(narrow, &size));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, name.size() + 1);
  size = 0;
  EXPECT_FALSE(GetUserNameW(nullptr, &size));
  EXPECT_EQ(size, name.size() + 1);
  EXPECT_FALSE(GetUserNameW(wide, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(UserInfo, TheWindowsFolderIsTheRoot) {
  char16_t wide[8];
  EXPECT_EQ(GetWindowsDirectoryW(wide, 8), 1u);
  EXPECT_EQ(std::u16string(wide), u"/");
  char narrow[1];
  EXPECT_EQ(GetWindowsDirectoryA(narrow, 1), 2u);
}

}  // namespace
