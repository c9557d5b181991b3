#include "rtl/FileNames.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNames, SplitPaths) {
  struct Case {
    const char* name;
    const char* path;
    const char* dir;
    const char* file;
    const char* ext;
  } const cases[] = {
      {"/home/u/clip.mpg", "/home/u/", "/home/u", "clip.mpg", ".mpg"},
      {"Languages\\English.dat", "Languages\\", "Languages", "English.dat", ".dat"},
      {"a/b\\c.tar.gz", "a/b\\", "a/b", "c.tar.gz", ".gz"},
      {"clip", "", "", "clip", ""},
      {"/clip", "/", "/", "clip", ""},
      {"dir.v2/clip", "dir.v2/", "dir.v2", "clip", ""},
      {"a//b", "a//", "a//", "b", ""},
      {"/videos/\xC3\xA9t\xC3\xA9.vob", "/videos/", "/videos", "\xC3\xA9t\xC3\xA9.vob", ".vob"},
      {"/x/.hidden", "/x/", "/x", ".hidden", ".hidden"},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExtractFilePath(c.name), c.path);
    EXPECT_EQ(ExtractFileDir(c.name), c.dir);
    EXPECT_EQ(ExtractFileName(c.name), c.file);
    EXPECT_EQ(ExtractFileExt(c.name), c.ext);
  }
}

TEST(FileNames, WidePaths) {
  const WideString name = u"C\u00F6ln\\\U0001F3AC film.mp4";
  EXPECT_EQ(ExtractFilePath(name), u"C\u00F6ln\\");
  EXPECT_EQ(ExtractFileName(name), u"\U0001F3AC film.mp4");
  EXPECT_EQ(ExtractFileExt(name), u".mp4");
  EXPECT_EQ(ChangeFileExt(name, u".vob"), u"C\u00F6ln\\\U0001F3AC film.vob");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"\u00E9"), u"\u00E9/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"\u00E9\\"), u"\u00E9");
}

TEST(FileNames, ChangeExtAndDelimiters) {
  EXPECT_EQ(ChangeFileExt("a/b.mpg", ".vob"), "a/b.vob");
  EXPECT_EQ(ChangeFileExt("a.d/b", ".vob"), "a.d/b.vob");
  EXPECT_EQ(ChangeFileExt("b.tar.gz", ""), "b.tar");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp"), "/tmp/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp/"), "/tmp/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("dir\\"), "dir\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), "/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/tmp/"), "/tmp");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/tmp"), "/tmp");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");  // the root stays the root
  EXPECT_EQ(PathDelim, '/');
}

}  // namespace
