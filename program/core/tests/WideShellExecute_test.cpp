// WideShellExecute hands its texts to the shell, an empty text as none, and returns the
// shell's result unchanged.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "program/core/WideShellExecute.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

UINT_PTR Code(HINSTANCE result) { return reinterpret_cast<UINT_PTR>(result); }

TEST(WideShellExecute, PassesTextsOnAndReturnsTheShellsResult) {
  const fs::path folder = fs::temp_directory_path() / ("wide-shell-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", folder.c_str(), 1);
  const fs::path record = folder / "opened.txt";
  {
    std::ofstream script(folder / "xdg-open");
    script << "#!/bin/sh\necho \"$1\" > '" << record.string() << ".part'; /bin/mv '" << record.string() << ".part' '"
           << record.string() << "'\n";
  }
  fs::permissions(folder / "xdg-open", fs::perms::owner_all);

  // An empty verb is the default verb; an empty name is no file at all.
  EXPECT_EQ(Code(WideShellExecute(nullptr, u"", u"", u"", u"", 5)), 2u);
  EXPECT_EQ(Code(WideShellExecute(nullptr, u"print", u"https://example.org", u"", u"", 5)), 31u);
  EXPECT_GT(Code(WideShellExecute(nullptr, u"open", u"https://example.org/\u00e9t\u00e9", u"", u"", 5)), 32u);
  for (int i = 0; i < 1000 && !fs::exists(record); ++i) std::this_thread::sleep_for(10ms);
  std::ifstream in(record);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "https://example.org/\xc3\xa9t\xc3\xa9");

  setenv("PATH", savedPath.c_str(), 1);
  fs::remove_all(folder);
}

}  // namespace
