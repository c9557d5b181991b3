#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "vcl/Classes.h"

namespace {

std::string TempPath(const char* name) {
  return std::string(::testing::TempDir()) + "brantwell_streams_" + name;
}

TEST(MemoryStream, WriteSeekReadAndSize) {
  TMemoryStream stream;
  stream.WriteBuffer("hello world", 11);
  EXPECT_EQ(stream.Size(), 11);
  EXPECT_EQ(stream.Seek(-5, soFromEnd), 6);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(stream.Read(buffer, 8), 0);
  EXPECT_THROW(stream.ReadBuffer(buffer, 1), EReadError);
  stream.SetSize(5);
  EXPECT_EQ(stream.Position(), 5);
  stream.SetPosition(0);
  EXPECT_EQ(stream.Read(buffer, 8), 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
}

TEST(StringStream, OverwritesAndExtends) {
  TStringStream stream("abcdef");
  stream.Seek(4, soFromBeginning);
  stream.WriteBuffer("XYZ", 3);
  EXPECT_EQ(stream.DataString(), "abcdXYZ");
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(stream, 0), 7);
  EXPECT_EQ(std::string(static_cast<char*>(copy.Memory()), 7), "abcdXYZ");
}

TEST(FileStream, CreateWriteReopenRead) {
  const std::string path = TempPath("file.bin");
  {
    TFileStream file(path, fmCreate);
    file.WriteBuffer("0123456789", 10);
  }
  {
    TFileStream file(path, fmOpenReadWrite);
    EXPECT_EQ(file.Size(), 10);
    file.Seek(2, soFromBeginning);
    file.WriteBuffer("ab", 2);
    file.SetSize(6);
  }
  TMemoryStream memory;
  memory.LoadFromFile(path);
  EXPECT_EQ(std::string(static_cast<char*>(memory.Memory()), static_cast<size_t>(memory.Size())), "01ab45");
  std::remove(path.c_str());
}

TEST(FileStream, OpenErrorsNameTheFile) {
  try {
    TFileStream file(TempPath("missing/none.bin"), fmOpenRead);
    FAIL() << "opened a missing file";
  } catch (const EFOpenError& error) {
    EXPECT_NE(error.Message().find("none.bin"), std::string::npos);
  }
  EXPECT_THROW(TFileStream(TempPath("missing/none.bin"), fmCreate), EFCreateError);
  EXPECT_THROW(TFileStream(::testing::TempDir(), fmOpenRead), EFOpenError);
}

}  // namespace
