#include "platform/kernel/Environment.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/kernel/WinError.h"

namespace {

TEST(Environment, VariablesFollowTheBufferRules) {
  ASSERT_TRUE(SetEnvironmentVariableA("BRANTWELL_TEST_VAR", "value"));
  char buffer[16];
  EXPECT_EQ(GetEnvironmentVariableA("BRANTWELL_TEST_VAR", buffer, sizeof buffer), 5u);
  EXPECT_STREQ(buffer, "value");
  EXPECT_EQ(GetEnvironmentVariableA("BRANTWELL_TEST_VAR", buffer, 5), 6u);  // needs room for the zero
  char16_t wide[16];
  EXPECT_EQ(GetEnvironmentVariableW(u"BRANTWELL_TEST_VAR", wide, 16), 5u);
  EXPECT_EQ(std::u16string(wide), u"value");

  char expanded[64];
  EXPECT_EQ(ExpandEnvironmentStringsA("[%BRANTWELL_TEST_VAR%] %NOT_SET_ANYWHERE%", expanded, sizeof expanded), 27u);
  EXPECT_STREQ(expanded, "[value] %NOT_SET_ANYWHERE%");
  EXPECT_EQ(ExpandEnvironmentStringsA("%BRANTWELL_TEST_VAR%", expanded, 2), 6u);

  ASSERT_TRUE(SetEnvironmentVariableA("BRANTWELL_TEST_VAR", nullptr));
  EXPECT_EQ(GetEnvironmentVariableA("BRANTWELL_TEST_VAR", buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
}

TEST(Environment, CommandLineQuotesArgumentsWithBlanks) {
  // The test executable runs with gtest arguments from CTest; its first token is the program.
  const std::string line = GetCommandLineA();
  ASSERT_FALSE(line.empty());
  EXPECT_NE(line.find("platform_kernel_tests"), std::string::npos);
  EXPECT_EQ(std::u16string(GetCommandLineW()).size(), line.size());
}

}  // namespace
