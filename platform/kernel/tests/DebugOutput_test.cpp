#include "platform/kernel/DebugOutput.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Runs `body` with standard error going to a pipe and returns what it wrote.
template <typename Body>
std::string CaptureStandardError(Body body) {
  int pipeEnds[2];
  EXPECT_EQ(::pipe(pipeEnds), 0);
  const int saved = ::dup(STDERR_FILENO);
  ::dup2(pipeEnds[1], STDERR_FILENO);
  body();
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  ::close(pipeEnds[1]);
  std::string text;
  char buffer[256];
  ssize_t n;
  while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  ::close(pipeEnds[0]);
  return text;
}

TEST(DebugOutput, GoesToStandardErrorOnlyWhenAskedFor) {
  ::unsetenv("BRANTWELL_DEBUG_OUTPUT");
  EXPECT_EQ(CaptureStandardError([] { OutputDebugStringA("dropped\n"); }), "");
  ::setenv("BRANTWELL_DEBUG_OUTPUT", "1", 1);
  EXPECT_EQ(CaptureStandardError([] {
              OutputDebugStringA("Http Request Host: a, URL: /b");
              OutputDebugStringW(u" \u00e9t\u00e9\n");
              OutputDebugStringA(nullptr);
            }),
            "Http Request Host: a, URL: /b \xc3\xa9t\xc3\xa9\n");
  ::unsetenv("BRANTWELL_DEBUG_OUTPUT");
}

}  // namespace
