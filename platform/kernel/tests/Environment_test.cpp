#include "platform/kernel/Environment.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

// Run by CommandLineReadsBackWithThePlainScanner in a child process: prints the line.
TEST(Environment, EchoesItsCommandLine) {
  if (!std::getenv("BRANTWELL_ECHO_COMMAND_LINE")) GTEST_SKIP() << "only run as a child";
  std::printf("<<%s>>\n", GetCommandLineA());
}

// The program splits its command line with the plain scanner (a double quote toggles a quoted
// run, nothing is escaped), so the kernel must join arguments that way: a folder with a blank
// and a trailing backslash comes back as written.
TEST(Environment, CommandLineReadsBackWithThePlainScanner) {
  std::string self(4096, '\0');
  self.resize(static_cast<size_t>(readlink("/proc/self/exe", self.data(), self.size())));
  std::vector<std::string> args = {self, "--gtest_filter=Environment.EchoesItsCommandLine",
                                   "C:\\My Videos\\", "plain", "say \"hi\""};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  setenv("BRANTWELL_ECHO_COMMAND_LINE", "1", 1);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, argv.data(), environ);
  unsetenv("BRANTWELL_ECHO_COMMAND_LINE");
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  ASSERT_EQ(spawned, 0);
  std::string text;
  char chunk[512];
  for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  const size_t begin = text.find("<<"), end = text.find(">>");
  ASSERT_NE(begin, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  const std::string line = text.substr(begin + 2, end - begin - 2);
  // What follows the program and the filter: quoted only where blanks need it, no escapes.
  EXPECT_NE(line.find(" \"C:\\My Videos\\\" plain \"say hi\""), std::string::npos) << line;
}

}  // namespace
