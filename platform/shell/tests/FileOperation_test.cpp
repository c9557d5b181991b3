// Deleting with the shell: whole trees, links removed and never followed, and the refusals
// that delete nothing.

#include "platform/shell/FileOperation.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/kernel/Unicode.h"
#include "platform/kernel/WinError.h"

namespace {

namespace fs = std::filesystem;

class FileOperationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("brantwell-fileop-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "outside");
    std::ofstream(root / "outside" / "precious") << "keep";
  }
  void TearDown() override {
    std::error_code error;
    fs::remove_all(root, error);
  }
  static int Delete(const std::string& list, FILEOP_FLAGS flags = FOF_NOCONFIRMATION | FOF_NOERRORUI) {
    const std::string paths = list + '\0';
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = paths.c_str();
    operation.fFlags = flags;
    return SHFileOperationA(&operation);
  }
  fs::path root;
};

TEST_F(FileOperationTest, DeletesTreesAndLinksWithoutFollowingThem) {
  const fs::path tree = root / "tree";
  fs::create_directories(tree / "a" / "b");
  std::ofstream(tree / "a" / "b" / "f") << "x";
  std::ofstream(tree / "g") << "x";
  fs::create_directory_symlink(root / "outside", tree / "a" / "to-folder");
  fs::create_symlink(root / "outside" / "precious", tree / "to-file");
  std::ofstream(root / "single") << "x";
  fs::create_directory_symlink(root / "outside", root / "top-link");

  // Two paths in one list, the second a file; then a link given itself.
  EXPECT_EQ(Delete(tree.string() + '\0' + (root / "single").string()), 0);
  EXPECT_FALSE(fs::exists(tree));
  EXPECT_FALSE(fs::exists(root / "single"));
  EXPECT_EQ(Delete((root / "top-link").string()), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(root / "top-link")));
  EXPECT_TRUE(fs::exists(root / "outside" / "precious"));

  // Wide form, with "\" delimiters.
  fs::create_directories(root / "w" / "x");
  std::u16string wide = platform::Utf8ToUtf16(root.string() + "\\w");
  wide += u'\0';
  wide += u'\0';
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = wide.c_str();
  EXPECT_EQ(SHFileOperationW(&operation), 0);
  EXPECT_FALSE(fs::exists(root / "w"));
}

TEST_F(FileOperationTest, RefusalsDeleteNothing) {
  fs::create_directories(root / "kept");
  const std::string kept = (root / "kept").string();
  struct Case {
    std::string list;
    UINT function;
    FILEOP_FLAGS flags;
    int code;
  } cases[] = {
      {kept + '\0' + (root / "missing").string(), FO_DELETE, 0, int(ERROR_FILE_NOT_FOUND)},
      {kept + '\0' + "relative/path", FO_DELETE, 0, int(ERROR_INVALID_PARAMETER)},
      {"", FO_DELETE, 0, int(ERROR_INVALID_PARAMETER)},
      {"/", FO_DELETE, 0, int(ERROR_ACCESS_DENIED)},
      {kept, FO_DELETE, FOF_ALLOWUNDO, int(ERROR_NOT_SUPPORTED)},
      {kept, FO_COPY, 0, int(ERROR_NOT_SUPPORTED)},
  };
  for (const Case& c : cases) {
    const std::string paths = c.list + '\0';
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = c.function;
    operation.pFrom = paths.c_str();
    operation.fFlags = c.flags;
    operation.fAnyOperationsAborted = TRUE;
    EXPECT_EQ(SHFileOperationA(&operation), c.code) << c.list;
    EXPECT_FALSE(operation.fAnyOperationsAborted);
    EXPECT_TRUE(fs::exists(root / "kept")) << c.list;
  }
  EXPECT_EQ(SHFileOperationA(nullptr), int(ERROR_INVALID_PARAMETER));
}

TEST_F(FileOperationTest, WhatCannotBeRemovedIsReportedAndTheRestGoes) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  fs::create_directories(root / "t" / "locked");
  std::ofstream(root / "t" / "locked" / "f") << "x";
  std::ofstream(root / "t" / "free") << "x";
  fs::permissions(root / "t" / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(Delete((root / "t").string()), int(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(fs::exists(root / "t" / "free"));
  EXPECT_TRUE(fs::exists(root / "t" / "locked" / "f"));
  fs::permissions(root / "t" / "locked", fs::perms::owner_all);
}

}  // namespace
