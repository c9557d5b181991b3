// Powering off through the login manager on a private system bus: one interactive PowerOff per
// request, whatever the force flags say, and every way it can fail answered FALSE with the
// bus's reason kept for FormatMessage.

#include "platform/user/ExitWindows.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/kernel/ErrorText.h"
#include "platform/kernel/WinError.h"
#include "platform/testing/LoginManagerStandIn.h"
#include "platform/testing/Processes.h"

namespace {

using platform::testing::LoginManagerStandIn;

std::string LastErrorText() {
  char text[1024] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, text,
                 sizeof text, nullptr);
  return text;
}

std::filesystem::path Folder(const char* name) {
  return std::filesystem::path(BRANTWELL_TEST_BIN_DIR) / ("exitwindows-" + std::to_string(getpid())) / name;
}

TEST(ExitWindowsEx, PowerOffAsksTheLoginManagerOnceAndInteractively) {
  platform::testing::ScratchFolder scratch(Folder("accept"));
  LoginManagerStandIn login(scratch.path);
  ASSERT_TRUE(login.Ok()) << login.Error();

  // Shut-down, force and power-off, as the program asks: the force is not passed on.
  EXPECT_TRUE(ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE | EWX_POWEROFF, 0xFFFF));
  const auto calls = login.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].method, "PowerOff");
  EXPECT_TRUE(calls[0].interactive);
  EXPECT_TRUE(calls[0].allowsInteractiveAuthorization);

  EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT, 0));
  ASSERT_EQ(login.Calls().size(), 2u);
  EXPECT_EQ(login.Calls()[1].method, "Reboot");
}

TEST(ExitWindowsEx, FailuresAnswerFalseWithTheReason) {
  struct Case {
    const char* name;
    bool serve;
    const char* refusal;  // a D-Bus error name the stand-in answers with, or null
    bool bus;             // false: DBUS_SYSTEM_BUS_ADDRESS names a socket nobody listens on
    DWORD code;
    const char* reason;   // part of FormatMessage's text
  } cases[] = {
      {"refused by policy", true, "org.freedesktop.DBus.Error.AccessDenied", true, ERROR_ACCESS_DENIED,
       "org.freedesktop.DBus.Error.AccessDenied: not allowed here"},
      {"not authorised", true, "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", true,
       ERROR_ACCESS_DENIED, "InteractiveAuthorizationRequired"},
      {"login manager failed", true, "org.freedesktop.DBus.Error.Failed", true, ERROR_NOT_SUPPORTED,
       "org.freedesktop.DBus.Error.Failed: not allowed here"},
      {"no login manager", false, nullptr, true, ERROR_NOT_SUPPORTED, "org.freedesktop.login1"},
      {"no bus", false, nullptr, false, ERROR_NOT_SUPPORTED, "system bus"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::testing::ScratchFolder scratch(Folder("refuse"));
    LoginManagerStandIn login(scratch.path, c.serve);
    ASSERT_TRUE(login.Ok()) << login.Error();
    if (c.refusal) login.Refuse(c.refusal, "not allowed here");
    if (!c.bus) setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (scratch.path / "nobody").string()).c_str(), 1);

    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE | EWX_POWEROFF, 0xFFFF));
    EXPECT_EQ(GetLastError(), c.code);
    EXPECT_NE(LastErrorText().find(c.reason), std::string::npos) << LastErrorText();
    if (c.refusal) {
      EXPECT_EQ(login.Calls().size(), 1u);
    }
  }
  // Logging off is not the login manager's to do for us.
  EXPECT_FALSE(ExitWindowsEx(EWX_LOGOFF, 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

}  // namespace
