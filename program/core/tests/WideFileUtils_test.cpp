#include "program/core/WideFileUtils.h"

#include <gtest/gtest.h>

#include "BrantwellVersion.h"
#include "TestFolder.h"
#include "platform/kernel/FileApi.h"
#include "rtl/DateTime.h"

namespace {

TEST(WideFileUtilsTest, PlatformFlagsReportNT61) {
  EXPECT_TRUE(IsNT);
  EXPECT_TRUE(IsXPOrLater);
  EXPECT_TRUE(IsVista);
}

// The root "/" stands where the original rules speak of a drive root such as "C:\".
TEST(WideFileUtilsTest, PathStrings) {
  struct Case {
    std::u16string name, dir, path, file, ext;
  } cases[] = {
      {u"/", u"/", u"/", u"", u""},
      {u"/dir/file.txt", u"/dir", u"/dir/", u"file.txt", u".txt"},
      {u"/a.b/file", u"/a.b", u"/a.b/", u"file", u""},
      {u"a/b", u"a", u"a/", u"b", u""},
      {u"C:\\dir\\file.txt", u"C:\\dir", u"C:\\dir\\", u"file.txt", u".txt"},
      {u"file", u"", u"", u"file", u""},
      {u"//server", u"//", u"//", u"server", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::Utf16ToUtf8(c.name));
    EXPECT_EQ(WideExtractFileDir(c.name), c.dir);
    EXPECT_EQ(WideExtractFilePath(c.name), c.path);
    EXPECT_EQ(WideExtractFileName(c.name), c.file);
    EXPECT_EQ(WideExtractFileExt(c.name), c.ext);
  }
  EXPECT_EQ(WideChangeFileExt(u"/a.b/file", u".ini"), u"/a.b/file.ini");
  EXPECT_EQ(WideChangeFileExt(u"x.txt", u""), u"x");
  EXPECT_EQ(WideChangeFileExt(u"/p/x.txt", u".ini"), u"/p/x.ini");
  EXPECT_EQ(WideIncludeTrailingBackslash(u""), u"/");
  EXPECT_EQ(WideIncludeTrailingBackslash(u"/tmp"), u"/tmp/");
  EXPECT_EQ(WideIncludeTrailingBackslash(u"/tmp/"), u"/tmp/");
  EXPECT_EQ(WideLastDelimiter(u"/.", u"/a/b.c"), 5);
  EXPECT_EQ(WideLastDelimiter(u"x", u"abc"), 0);
  EXPECT_EQ(WideLastDelimiter(std::u16string(1, u'\0'), std::u16string(u"a\0b", 3)), 0);
}

TEST(WideFileUtilsTest, CommandLineScanner) {
  struct Case {
    std::u16string line;
    int index;
    std::u16string expected;
  } cases[] = {
      {u"\"/opt/my app/brantwell\" \"/home/u/my project.kzm\"", 1, u"/home/u/my project.kzm"},
      {u"prog ab\"c d\"e", 1, u"abc de"},
      {u"prog   one\ttwo", 2, u"two"},
      {u"prog one", 2, u""},
      {u"prog \"\" one", 1, u"one"},               // an empty quoted pair is skipped
      // A backslash is an ordinary character, also before a quote: a quoted folder may end in one.
      {u"prog \"dir with blank\\\" next", 1, u"dir with blank\\"},
      {u"prog \"dir with blank\\\" next", 2, u"next"},
      {u"prog a\\\"b c\"", 1, u"a\\b c"},
      {u"prog a\\b\\c", 1, u"a\\b\\c"},
      {u"prog \"unterminated quote", 1, u"unterminated quote"},
      {u"prog x", -1, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::Utf16ToUtf8(c.line));
    EXPECT_EQ(core::detail::ParamFromCommandLine(c.line, c.index), c.expected);
  }
  // No fixed buffer: a parameter far longer than any classic limit comes back whole.
  const std::u16string longParam(20000, u'x');
  EXPECT_EQ(core::detail::ParamFromCommandLine(u"prog \"" + longParam + u"\" next", 1), longParam);
  EXPECT_EQ(core::detail::ParamFromCommandLine(u"prog \"" + longParam + u"\" next", 2), u"next");
}

TEST(WideFileUtilsTest, ProgramPathsComeFromTheProgramFolder) {
  const WideString program = WideParamStr(0);
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(WideGetModuleFileName(nullptr), program);
  const WideString folder = WideExtractFileDir(program);
  EXPECT_EQ(platform::Utf16ToUtf8(folder), std::string(BRANTWELL_BIN_DIR));
  WideString folderPath, filePath;
  WideGetAppPaths(u"Log", u"Log.txt", folderPath, filePath);
  EXPECT_EQ(folderPath, folder + u"/Log");
  EXPECT_EQ(filePath, folder + u"/Log/Log.txt");
  AnsiString ansiFolder, ansiFile;
  GetAppPaths("Log", "Log.txt", ansiFolder, ansiFile);
  EXPECT_EQ(ansiFile, std::string(BRANTWELL_BIN_DIR) + "/Log/Log.txt");
  EXPECT_EQ(GetAppFilePath("x.ini"), std::string(BRANTWELL_BIN_DIR) + "/x.ini");
}

TEST(WideFileUtilsTest, FileVersionOnlyForTheProgram) {
  const uint64_t expected = (uint64_t(BRANTWELL_VERSION_MAJOR) << 48) | (uint64_t(BRANTWELL_VERSION_MINOR) << 32) |
                            (uint64_t(BRANTWELL_VERSION_PATCH) << 16);
  EXPECT_EQ(GetFileVersion(WideParamStr(0)), expected);
  TestFolder folder;
  folder.Write("plain.txt", "no version here");
  EXPECT_EQ(GetFileVersion(folder.WPath("plain.txt")), 0u);
  EXPECT_EQ(GetFileVersion(folder.WPath("missing.exe")), 0u);
  EXPECT_EQ(GetFileVersion(u""), 0u);
}

TEST(WideFileUtilsTest, OpenModesAndSharing) {
  TestFolder folder;
  folder.Write("f.txt", "data");
  const WideString name = folder.WPath("f.txt");
  struct Case {
    Word mode;
    bool secondReaderAllowed;
  } cases[] = {
      {0x00, false}, {0x10, false}, {0x20, true}, {0x30, false}, {0x40, true},
      {0x50, false}, {0xF0, false},  // beyond the table: share nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    HANDLE first = WideFileOpen(name, c.mode);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE second = WideFileOpen(name, 0x40);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondReaderAllowed);
    if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
    CloseHandle(first);
  }
  SetLastError(0);
  EXPECT_EQ(WideFileOpen(name, 0x03), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(WideFileOpen(folder.WPath("missing"), 0), INVALID_HANDLE_VALUE);

  HANDLE created = WideFileCreate(name);  // truncates
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  CloseHandle(created);
  EXPECT_EQ(folder.Read("f.txt"), "");
}

TEST(WideFileUtilsTest, FileInUse) {
  TestFolder folder;
  folder.Write("f.txt", "data");
  const WideString name = folder.WPath("f.txt");
  EXPECT_FALSE(IsFileInUse(u""));
  EXPECT_FALSE(IsFileInUse(u"   "));
  EXPECT_FALSE(IsFileInUse(folder.WPath("missing.txt")));
  EXPECT_FALSE(IsFileInUse(name));
  HANDLE holder = WideFileOpen(name, 0x11);  // write, share nothing
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(IsFileInUse(name));
  CloseHandle(holder);
  EXPECT_FALSE(IsFileInUse(name));
}

TEST(WideFileUtilsTest, FindFirstSkipsSpecialEntriesUnlessAsked) {
  TestFolder folder;
  folder.Write("a_dir/inner.txt", "x");
  folder.Write(".b_hidden", "x");
  folder.Write("c_file.dat", "12345");

  TSearchRecW rec;
  ASSERT_EQ(WideFindFirst(folder.WPath("*"), 0, rec), 0);
  EXPECT_EQ(rec.Name, u"c_file.dat");
  EXPECT_EQ(rec.Size, 5);
  EXPECT_NE(rec.Time, 0);
  WideFindClose(rec);
  EXPECT_EQ(rec.FindHandle, INVALID_HANDLE_VALUE);

  ASSERT_EQ(WideFindFirst(folder.WPath("a_*"), FILE_ATTRIBUTE_DIRECTORY, rec), 0);
  EXPECT_EQ(rec.Name, u"a_dir");
  EXPECT_TRUE(rec.Attr & FILE_ATTRIBUTE_DIRECTORY);
  WideFindClose(rec);

  EXPECT_NE(WideFindFirst(folder.WPath("a_*"), 0, rec), 0);  // only a directory matches
  EXPECT_EQ(rec.FindHandle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideFindFirst(folder.WPath("nothing*"), 0, rec), static_cast<int>(ERROR_FILE_NOT_FOUND));
  WideFindClose(rec);  // closing a closed record does nothing

  EXPECT_TRUE(WideFileExists(folder.WPath("c_file.dat")));
  EXPECT_FALSE(WideFileExists(folder.WPath("a_dir")));
  EXPECT_TRUE(WideDirectoryExists(folder.WPath("a_dir")));
  EXPECT_EQ(WideFileGetAttr(folder.WPath("none")), INVALID_FILE_ATTRIBUTES);
}

TEST(WideFileUtilsTest, FileTimesRoundTrip) {
  TestFolder folder;
  folder.Write("f.txt", "data");
  const TDateTime access = EncodeDate(2019, 7, 14) + EncodeTime(10, 20, 30, 0);
  const TDateTime write = EncodeDate(2021, 1, 2) + EncodeTime(3, 4, 6, 0);
  ASSERT_TRUE(SetFileTimes(folder.WPath("f.txt"), nullptr, &access, &write));
  TDateTime c = 0, a = 0, w = 0;
  ASSERT_TRUE(GetFileTimes(folder.Path("f.txt"), c, a, w));
  EXPECT_NEAR(a, access, 1.0 / 86400000);
  EXPECT_NEAR(w, write, 1.0 / 86400000);
  // No time given: the file is still opened and closed, and the call succeeds.
  EXPECT_TRUE(SetFileTimes(folder.WPath("f.txt"), nullptr, nullptr, nullptr));
  ASSERT_TRUE(GetFileTimes(folder.Path("f.txt"), c, a, w));
  EXPECT_NEAR(w, write, 1.0 / 86400000);

  EXPECT_FALSE(SetFileTimes(folder.WPath("missing.txt"), nullptr, &access, nullptr));
  EXPECT_FALSE(GetFileTimes(folder.Path("missing.txt"), c, a, w));
  EXPECT_FALSE(GetFileTimes(folder.Root(), c, a, w));  // a folder

  const FILETIME utc = LocalDateTimeToFileTime(write);
  EXPECT_NEAR(FileTimeToLocalDateTime(utc), write, 1.0 / 86400000);
}

TEST(WideFileUtilsTest, TempNamesAndRename) {
  TestFolder folder;
  const WideString temp = WideGetTempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), u'/');
  WideString name;
  WideGetTempFileName(platform::Utf8ToUtf16(folder.Root()), u"bwl", 0, name);
  ASSERT_FALSE(name.empty());
  EXPECT_TRUE(WideFileExists(name));
  WideGetTempFileName(folder.WPath("no/such/folder"), u"bwl", 0, name);
  EXPECT_TRUE(name.empty());

  folder.Write("old.txt", "x");
  EXPECT_TRUE(WideRenameFile(folder.WPath("old.txt"), folder.WPath("new.txt"), 0));
  EXPECT_TRUE(WideFileExists(folder.WPath("new.txt")));
  EXPECT_FALSE(WideRenameFile(folder.WPath("old.txt"), folder.WPath("other.txt"), 0));
}

TEST(WideFileUtilsTest, TokensAndCharacterSets) {
  const TSysCharSet comma = MakeCharSet(",");
  struct Step {
    std::string token;
    int posAfter;
  };
  const Step steps[] = {{"a", 3}, {"b", 5}, {"", 6}, {"c", 7}, {"", 7}};
  int pos = 1;
  AnsiString token = "stale";
  for (const Step& step : steps) {
    NextToken("a,b,,c", pos, comma, token);
    EXPECT_EQ(token, step.token);
    EXPECT_EQ(pos, step.posAfter);
  }
  pos = 1;
  NextToken("abc,", pos, comma, token);
  EXPECT_EQ(token, "abc");
  EXPECT_EQ(pos, 5);

  TSysCharSet all;
  all.set();
  EXPECT_FALSE(WideCharInSet(u'\u0100', all));
  EXPECT_FALSE(WideCharInSet(u'\u4e2d', all));
  EXPECT_TRUE(WideCharInSet(u',', comma));
  EXPECT_FALSE(WideCharInSet(u'a', comma));
  EXPECT_TRUE(CharInSet(',', comma));
  EXPECT_TRUE(CharInSet('\xE9', MakeCharSet("\xE9")));
  EXPECT_EQ(WideFormatStr(u"%s=%d", {u"n", 5}), u"n=5");
}

}  // namespace
