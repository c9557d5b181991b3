#include "engines/common/EngineGuard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_lines;

void Capture(const char* line) { g_lines.emplace_back(line); }

// A hook that fails inside itself, as a log engine that cannot write would.
void LogsAgain(const char* line) {
  g_lines.emplace_back(line);
  engines::LogLine("the hook's own failure");
}

struct HookScope {
  explicit HookScope(engines::LogHook hook) {
    g_lines.clear();
    engines::SetLogHook(hook);
  }
  ~HookScope() { engines::SetLogHook(nullptr); }
};

TEST(EngineGuard, AnExceptionBecomesTheFailureValueAndOneLogLineNamingTheEntry) {
  HookScope scope(&Capture);
  EXPECT_EQ(-1, engines::Guarded("QEStart", -1, []() -> int { throw engines::EngineError("no output file set"); }));
  EXPECT_EQ(0, engines::Guarded("QECreate", 0, []() -> int { throw 42; }));
  engines::Guarded("QEDestroy", [] { throw std::bad_alloc(); });
  ASSERT_EQ(3u, g_lines.size());
  EXPECT_EQ("QEStart failed: no output file set", g_lines[0]);
  EXPECT_EQ("QECreate failed: unexpected failure", g_lines[1]);
  EXPECT_EQ(0u, g_lines[2].find("QEDestroy failed: "));
}

TEST(EngineGuard, ABodyThatSucceedsLogsNothing) {
  HookScope scope(&Capture);
  EXPECT_EQ(7, engines::Guarded("QEWait", 0, [] { return 7; }));
  EXPECT_TRUE(g_lines.empty());
}

TEST(EngineGuard, ALineLoggedFromInsideTheHookDoesNotReenterIt) {
  HookScope scope(&LogsAgain);
  engines::Guarded("QMLog", [] { throw engines::EngineError("disk full"); });
  ASSERT_EQ(1u, g_lines.size());  // the hook's own line went to stderr, not back into it
  EXPECT_EQ("QMLog failed: disk full", g_lines[0]);
}

}  // namespace
