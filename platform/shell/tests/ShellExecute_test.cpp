// Opening documents and addresses: what reaches the desktop's handler (a stand-in script on
// PATH records its arguments and its process id), the failure codes, and the handler being
// reaped once it ends.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/kernel/WinError.h"
#include "platform/shell/ShellApi.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ShellExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("shell-execute-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "bin");
    fs::create_directories(folder / "docs");
    record = folder / "record.txt";
    const char* path = std::getenv("PATH");
    savedPath = path ? path : "";
    setenv("PATH", (folder / "bin").c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", savedPath.c_str(), 1);
    fs::remove_all(folder);
  }

  // A stand-in handler: writes its process id, its argument count and each argument on a
  // line of its own, then the line "end".
  void InstallHandler() {
    const fs::path script = folder / "bin" / "xdg-open";
    std::ofstream out(script);
    out << "#!/bin/sh\n{ echo $$; echo $#; for a in \"$@\"; do echo \"$a\"; done; echo end; } > '"
        << (record.string() + ".part") << "'\n/bin/mv '" << record.string() << ".part' '" << record.string() << "'\n";
    out.close();
    fs::permissions(script, fs::perms::owner_all);
  }

  // The handler's record once it is complete (empty after 10 s).
  std::vector<std::string> WaitForRecord() {
    for (int i = 0; i < 1000 && !fs::exists(record); ++i) std::this_thread::sleep_for(10ms);
    std::vector<std::string> lines;
    std::ifstream in(record);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    fs::remove(record);
    return lines;
  }

  fs::path folder;
  fs::path record;
  std::string savedPath;
};

UINT_PTR Code(HINSTANCE result) { return reinterpret_cast<UINT_PTR>(result); }

TEST_F(ShellExecuteTest, AddressesAndDocumentsReachTheHandlerAsOneArgument) {
  InstallHandler();
  // Shell syntax in an address is never interpreted: it arrives as written.
  const std::string address = "https://example.org/a b?x=1&y=$(touch pwned);`id`";
  ASSERT_GT(Code(ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, 1)), 32u);
  std::vector<std::string> lines = WaitForRecord();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "1");
  EXPECT_EQ(lines[2], address);
  EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));

  // The handler was reaped: its process is gone, not left as a zombie.
  const std::string proc = "/proc/" + lines[0];
  for (int i = 0; i < 500 && fs::exists(proc); ++i) std::this_thread::sleep_for(10ms);
  EXPECT_FALSE(fs::exists(proc));

  // A relative document name is found in the given folder, with "\" as a delimiter and a
  // letter case that differs, and arrives as an absolute path.
  std::ofstream(folder / "docs" / "Menu Notes.txt") << "x";
  const std::u16string dir = (folder.u16string());
  ASSERT_GT(Code(ShellExecuteW(nullptr, nullptr, u"DOCS\\menu notes.txt", u"ignored", dir.c_str(), 5)), 32u);
  lines = WaitForRecord();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], (folder / "docs" / "Menu Notes.txt").string());

  // A file whose name looks like an option cannot be read as one.
  std::ofstream(folder / "docs" / "-n") << "x";
  ASSERT_GT(Code(ShellExecuteA(nullptr, "OPEN", "-n", nullptr, (folder / "docs").c_str(), 5)), 32u);
  lines = WaitForRecord();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], (folder / "docs" / "-n").string());
}

TEST_F(ShellExecuteTest, FailuresReturnTheirCodes) {
  InstallHandler();
  struct Case {
    const char* what;
    const char* verb;
    std::string file;
    UINT_PTR code;
  } cases[] = {
      {"empty name", "open", "", SE_ERR_FNF},
      {"missing file", "open", (folder / "docs" / "none.txt").string(), SE_ERR_FNF},
      {"missing folder", nullptr, (folder / "nowhere" / "none.txt").string(), SE_ERR_PNF},
      {"other verb", "print", "https://example.org", SE_ERR_NOASSOC},
      {"edit verb", "edit", "mailto:someone@example.org", SE_ERR_NOASSOC},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(Code(ShellExecuteA(nullptr, c.verb, c.file.c_str(), nullptr, nullptr, 1)), c.code) << c.what;
    EXPECT_EQ(GetLastError(), c.code) << c.what;
  }
  EXPECT_FALSE(fs::exists(record));  // nothing was handed on
  // Without a handler program on PATH, nothing can open anything.
  fs::remove(folder / "bin" / "xdg-open");
  EXPECT_EQ(Code(ShellExecuteW(nullptr, u"open", u"https://example.org", nullptr, nullptr, 1)), SE_ERR_NOASSOC);
}

}  // namespace
