#include <gtest/gtest.h>

#include "TestFolder.h"
#include "program/core/TempMemoryStream.h"
#include "program/core/WideFileStream.h"
#include "program/core/WideFileUtils.h"

namespace {

TEST(WideFileStreamTest, CreateEmptiesAndOpenHonoursSharing) {
  TestFolder folder;
  folder.Write("Ä file.bin", "old content");
  for (Word createMode : {Word(0xFFFF), fmCreate}) {
    TWideFileStream stream(folder.WPath("Ä file.bin"), createMode);
    EXPECT_EQ(stream.Size(), 0);
    stream.WriteBuffer("abc", 3);
    EXPECT_EQ(stream.FileName(), folder.WPath("Ä file.bin"));
  }
  EXPECT_EQ(folder.Read("Ä file.bin"), "abc");

  TWideFileStream reader(folder.WPath("Ä file.bin"), fmOpenRead | fmShareDenyWrite);
  char buffer[8] = {};
  EXPECT_EQ(reader.Read(buffer, 8), 3);
  EXPECT_STREQ(buffer, "abc");
  // Another reader may come in; a writer may not.
  EXPECT_NO_THROW(TWideFileStream(folder.WPath("Ä file.bin"), fmOpenRead | fmShareDenyNone));
  EXPECT_THROW(TWideFileStream(folder.WPath("Ä file.bin"), fmOpenWrite | fmShareDenyNone), EFOpenError);
}

TEST(WideFileStreamTest, FailuresNameTheFullPath) {
  TestFolder folder;
  try {
    TWideFileStream stream(folder.WPath("missing.bin"), fmOpenRead);
    FAIL() << "no exception";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot open file \"" + folder.Path("missing.bin") + "\". ", 0), 0u) << e.Message();
    EXPECT_GT(e.Message().size(), folder.Path("missing.bin").size() + 21);  // the system's reason follows
  }
  try {
    TWideFileStream stream(folder.WPath("no/folder/x.bin"), fmCreate);
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot create file \"" + folder.Path("no/folder/x.bin") + "\". ", 0), 0u);
  }
}

TEST(TempMemoryStreamTest, ReadsTheCallersMemoryAndRefusesWrites) {
  const char data[] = "0123456789";
  TTempMemoryStream stream(data, 10);
  char buffer[16] = {};
  stream.SetPosition(6);
  EXPECT_EQ(stream.Read(buffer, 16), 4);  // up to the end
  EXPECT_STREQ(buffer, "6789");
  EXPECT_EQ(stream.Read(buffer, 4), 0);
  EXPECT_EQ(stream.Memory(), data);
  try {
    stream.Write("x", 1);
    FAIL() << "no exception";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Message(), "not support write.");
  }
  EXPECT_THROW(stream.WriteBuffer("x", 1), EStreamError);
  EXPECT_EQ(data[0], '0');
}

}  // namespace
