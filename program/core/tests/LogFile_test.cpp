#include "program/core/LogFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "TestFolder.h"
#include "platform/kernel/Modules.h"
#include "program/core/WideFileUtils.h"
#include "rtl/Exceptions.h"
#include "rtl/SysErrors.h"

namespace {

TEST(LogFileTest, FreeNameSkipsFilesHeldByOtherCopies) {
  TestFolder folder;
  const WideString logFolder = platform::Utf8ToUtf16(folder.Root());
  EXPECT_EQ(core::detail::FreeLogName(u"", logFolder), u"Log.txt");
  folder.Write("Log.txt", "");
  folder.Write("Log(1).txt", "");
  EXPECT_EQ(core::detail::FreeLogName(u"", logFolder), u"Log.txt");  // present but not held

  HANDLE first = WideFileOpen(folder.WPath("Log.txt"), 0x11);
  HANDLE second = WideFileOpen(folder.WPath("Log(1).txt"), 0x11);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  ASSERT_NE(second, INVALID_HANDLE_VALUE);
  EXPECT_EQ(core::detail::FreeLogName(u"", logFolder), u"Log(2).txt");
  EXPECT_EQ(core::detail::FreeLogName(u"Log.txt", logFolder), u"Log(2).txt");
  CloseHandle(second);
  EXPECT_EQ(core::detail::FreeLogName(u"", logFolder), u"Log(1).txt");
  CloseHandle(first);

  folder.Write("Trace", "");
  HANDLE trace = WideFileOpen(folder.WPath("Trace"), 0x11);
  EXPECT_EQ(core::detail::FreeLogName(u"Trace", logFolder), u"Trace(1).txt");  // no extension: ".txt"
  CloseHandle(trace);
  // A missing folder holds nothing.
  EXPECT_EQ(core::detail::FreeLogName(u"x.log", logFolder + u"/missing"), u"x.log");
}

TEST(LogFileTest, LinesReachTheEnginesFile) {
  const std::string name = "CoreLogTest-" + std::to_string(getpid()) + ".txt";
  const std::string folder = std::string(BRANTWELL_BIN_DIR) + "/Log";
  const std::string path = folder + "/" + name;
  // The engine makes the folder when it is missing; the test leaves the program folder as it was.
  const bool folderExisted = std::filesystem::exists(folder);
  InitLog(platform::Utf8ToUtf16(name), -1, 0, 0);
  WriteLog("first line \xC3\xA4");
  WriteLog("second line");
  std::ifstream in(path, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(content.find("first line \xC3\xA4"), std::string::npos);
  EXPECT_LT(content.find("first line"), content.find("second line"));
  EXPECT_NE(content.find("second line"), std::string::npos);
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  if (!folderExisted) std::filesystem::remove(folder, ignored);  // only when empty
}

TEST(LogFileTest, LoadErrorNamesTheLibrary) {
  ASSERT_EQ(LoadLibraryA("NoSuchEngine.dll"), nullptr);
  const DWORD code = GetLastError();
  ASSERT_NE(code, 0u);
  try {
    RaiseLoadLibraryError("NoSuchEngine.dll");
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    const std::string prefix = "System Error.  Code: " + std::to_string(code) + ".\r\n";
    EXPECT_EQ(e.Message().rfind(prefix, 0), 0u) << e.Message();
    EXPECT_EQ(e.Message().substr(e.Message().size() - 18), "\r\nNoSuchEngine.dll");
    EXPECT_EQ(e.Message().find("\r\n", prefix.size()), e.Message().size() - 18);  // three lines
    EXPECT_EQ(e.ErrorCode, 0u);
  }
  // A failed load that left no error code is still an error.
  SetLastError(0);
  EXPECT_THROW(RaiseLoadLibraryError("Other.dll"), EOSError);
}

TEST(LogFileTest, SystemTextsLoseTheirTrailingDot) {
  const AnsiString text = SysErrorMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '.');
  EXPECT_NE(text.back(), '\n');
}

}  // namespace
