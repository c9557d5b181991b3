#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/kernel/FileApi.h"
#include "platform/kernel/KernelObject.h"
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

// Share modes hold against every other open of the file, the kernel's own included.
TEST(FileStream, ShareModesHoldAgainstOtherOpens) {
  const std::string path = TempPath("shared.bin");
  { TFileStream file(path, fmCreate); }
  {
    TFileStream reader(path, fmOpenRead | fmShareDenyWrite);
    EXPECT_THROW(TFileStream(path, fmOpenReadWrite | fmShareDenyNone), EFOpenError);
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    TFileStream secondReader(path, fmOpenRead | fmShareDenyWrite);
  }
  {
    TFileStream exclusive(path, fmOpenReadWrite | fmShareExclusive);
    EXPECT_THROW(TFileStream(path, fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  TFileStream afterwards(path, fmOpenReadWrite | fmShareDenyNone);
  afterwards.WriteBuffer("x", 1);
  EXPECT_EQ(afterwards.Size(), 1);
  std::remove(path.c_str());
}

}  // namespace
