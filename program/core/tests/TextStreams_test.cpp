#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "program/core/TextStreams.h"

namespace {

std::u16string ReadAll(TStream& bytes, Word codePage, Byte flags = 0, int32_t chunk = 4096) {
  bytes.SetPosition(0);
  TVokTextStream text(&bytes, tsaRead, flags, codePage);
  std::u16string result;
  std::u16string buffer(static_cast<size_t>(chunk) / 2, u'\0');
  for (;;) {
    const int32_t n = text.Read(buffer.data(), chunk);
    if (n <= 0) break;
    result.append(buffer.data(), static_cast<size_t>(n) / 2);
  }
  return result;
}

std::string WriteAll(const std::u16string& text, Word codePage, Byte flags = 0) {
  TStringStream bytes;
  {
    TVokTextStream stream(&bytes, tsaWrite, flags, codePage);
    EXPECT_EQ(stream.Write(text.data(), static_cast<int32_t>(text.size() * 2)), static_cast<int32_t>(text.size() * 2));
  }
  return bytes.DataString();
}

// Each encoding, with and without its byte-order mark, decodes to the same text; the mark
// decides over the code page given.
TEST(TVokTextStream, ReadsEachEncodingWithAndWithoutMark) {
  const std::u16string expected = u"A\u00e9\u20ac\U0001F600z";
  struct Case { const char* name; std::string bytes; Word codePage; Word detected; };
  const Case cases[] = {
      {"utf-8 with mark", "\xEF\xBB\xBF" "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z", 1252, 65001},
      {"utf-8 without mark", "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z", 65001, 65001},
      {"utf-16le with mark", std::string("\xFF\xFE" "A\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE" "z\0", 14), 65001, 1200},
      {"utf-16le without mark", std::string("A\0\xE9\0\xAC\x20\x3D\xD8\x00\xDE" "z\0", 12), 1200, 1200},
      {"utf-16be with mark", std::string("\xFE\xFF\0A\0\xE9\x20\xAC\xD8\x3D\xDE\x00\0z", 14), 65001, 1200},
      {"32-bit with mark", std::string("\xFF\xFE\0\0" "A\0\0\0\xE9\0\0\0\xAC\x20\0\0\x00\xF6\x01\0z\0\0\0", 24), 65001, 12000},
  };
  for (const Case& c : cases) {
    TStringStream bytes(c.bytes);
    EXPECT_EQ(ReadAll(bytes, c.codePage), expected) << c.name;
    bytes.SetPosition(0);
    TVokTextStream probe(&bytes, tsaRead, 0, c.codePage);
    EXPECT_EQ(probe.Codepage(), c.detected) << c.name;
  }
  TStringStream latin("A\xE9\x80z");
  EXPECT_EQ(ReadAll(latin, 1252), u"A\u00e9\u20acz");
}

TEST(TVokTextStream, SequencesSplitAcrossReadsArriveOnce) {
  std::string bytes;
  std::u16string expected;
  for (int i = 0; i < 3000; ++i) {
    bytes += "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    expected += u"\u00e9\u20ac\U0001F600";
  }
  for (int32_t chunk : {2, 6, 4096}) {
    TStringStream stream(bytes);
    EXPECT_EQ(ReadAll(stream, 65001, 0, chunk), expected) << chunk;
  }
  // A double-byte code page keeps its state across small reads.
  std::string pairs;
  for (int i = 0; i < 300; ++i) pairs += "\x82\xA0";
  TStringStream japanese(pairs);
  EXPECT_EQ(ReadAll(japanese, 932, 0, 2), std::u16string(300, u'\u3042'));
  // A stateful code page keeps its shift state across small reads.
  TStringStream jis("\x1B$B$\"$\"$\"\x1B(Bab");
  EXPECT_EQ(ReadAll(jis, 50220, 0, 2), u"\u3042\u3042\u3042ab");
}

// Hands out at most `limit` bytes a read, as a pipe may, and notes the largest request.
class TTrickleStream : public TStringStream {
 public:
  TTrickleStream(RawByteString data, int32_t limit) : TStringStream(std::move(data)), m_limit(limit) {}
  int32_t Read(void* buffer, int32_t count) override {
    largestRequest = std::max(largestRequest, count);
    return TStringStream::Read(buffer, std::min(count, m_limit));
  }
  int32_t largestRequest = 0;

 private:
  int32_t m_limit;
};

// Read unit by unit, the text arrives whole whatever the reads hand out; the bytes read ahead
// are taken again in a code page chosen halfway; the end answers every time it is asked; and a
// short input is read with a short buffer.
TEST(TVokTextStream, ReadsUnitByUnitAcrossRefillsAndACodePageSwitch) {
  std::string head;
  std::u16string expectedHead;
  for (int i = 0; i < 20000; ++i) {
    head += "x\xC3\xA9\xF0\x9F\x98\x80";
    expectedHead += u"x\u00e9\U0001F600";
  }
  for (int32_t limit : {7, 1 << 20}) {
    SCOPED_TRACE(limit);
    TTrickleStream bytes(head + "\xE9t\xE9", limit);
    TVokTextStream text(&bytes, tsaRead, 0, 65001);
    std::u16string got;
    char16_t unit = 0;
    while (got.size() < expectedHead.size() && text.ReadUnit(unit)) got += unit;
    ASSERT_EQ(got, expectedHead);
    text.SetCodepage(1252);
    got.clear();
    while (text.ReadUnit(unit)) got += unit;
    EXPECT_EQ(got, u"\u00e9t\u00e9");
    for (int probe = 0; probe < 100; ++probe) EXPECT_FALSE(text.ReadUnit(unit));
    EXPECT_EQ(text.UnitsRead(), static_cast<int64_t>(expectedHead.size() + 3));
  }
  TTrickleStream tiny("<a/>", 1 << 20);
  TVokTextStream text(&tiny, tsaRead, 0, 65001);
  char16_t unit = 0;
  while (text.ReadUnit(unit)) {
  }
  for (int probe = 0; probe < 100; ++probe) EXPECT_FALSE(text.ReadUnit(unit));
  EXPECT_LE(tiny.largestRequest, 16 << 10);
}

TEST(TVokTextStream, WritesMarksAndEncodings) {
  EXPECT_EQ(WriteAll(u"\u00e9", 65001), "\xC3\xA9");
  EXPECT_EQ(WriteAll(u"\u00e9", 65001, tsfWriteUtf8Mark), "\xEF\xBB\xBF\xC3\xA9");
  EXPECT_EQ(WriteAll(u"\U0001F600", 65001), "\xF0\x9F\x98\x80");
  EXPECT_EQ(WriteAll(std::u16string(1, u'\0'), 65001), "\xE0\x80\x80");
  EXPECT_EQ(WriteAll(u"A", 1200), std::string("\xFF\xFE" "A\0", 4));
  EXPECT_EQ(WriteAll(u"\U0001F600", 12000), std::string("\xFF\xFE\0\0\x00\xF6\x01\0", 8));
  EXPECT_EQ(WriteAll(u"A\u20ac\u4e00", 1252), "A\x80?");
  EXPECT_EQ(WriteAll(u"\u3042", 50220), "\x1B$B$\"\x1B(B");

  // Reading back what was written gives the text again, E0 80 80 included.
  TStringStream zero("\xE0\x80\x80");
  EXPECT_EQ(ReadAll(zero, 65001), std::u16string(1, u'\0'));
}

TEST(TVokTextStream, AppendingToBigEndianTextKeepsItsByteOrder) {
  TStringStream bytes(std::string("\xFE\xFF\0A", 4));
  {
    TVokTextStream text(&bytes, tsaAppend, 0, 65001);
    const std::u16string more = u"B";
    EXPECT_EQ(text.Write(more.data(), 2), 2);
  }
  EXPECT_EQ(bytes.DataString(), std::string("\xFE\xFF\0A\0B", 6));
  EXPECT_EQ(ReadAll(bytes, 65001), u"AB");
}

TEST(TVokTextStream, Errors) {
  TStringStream bytes("abc");
  TVokTextStream text(&bytes, tsaRead, 0, 1252);
  char16_t buffer[4];
  try {
    text.Read(buffer, 3);
    FAIL();
  } catch (const EVokTextStream& error) {
    EXPECT_EQ(error.HelpContext(), tsErrOddBytes);
    EXPECT_NE(error.Message().find(": 3"), std::string::npos);
  }
  for (Word codePage : {Word(65001), Word(1200), Word(12000), Word(1252)}) {
    TStringStream out;
    TVokTextStream writer(&out, tsaWrite, 0, codePage);
    EXPECT_EQ(writer.Write(buffer, 0), 0) << codePage;
  }
  TStringStream out;
  TVokTextStream unknown(&out, tsaWrite, 0, 9999);  // no such code page (1 is the OEM page: UTF-8 here)
  const std::u16string x = u"x";
  try {
    unknown.Write(x.data(), 2);
    FAIL();
  } catch (const EVokTextStream& error) {
    EXPECT_EQ(error.HelpContext(), tsErrSystem);
    EXPECT_EQ(error.Message().rfind("TVokTextStream.Write failed. System Error.", 0), 0u) << error.Message();
  }
  TStringStream empty;
  EXPECT_TRUE(WriteWideString(empty, u""));
  EXPECT_EQ(empty.Size(), 0);
}

TEST(TVokTextStream, MarkLikeBytesWithoutTheirEndAreText) {
  TStringStream bytes("\xEF\xBBxy");
  EXPECT_EQ(ReadAll(bytes, 1252), u"\u00ef\u00bbxy");
}

TEST(TVokStreamWrapper, PositionQueriesDoNotMoveTheWrappedStream) {
  TStringStream bytes("0123456789");
  bytes.SetPosition(3);
  TVokStreamWrapper wrapper(&bytes);
  EXPECT_EQ(wrapper.Seek(0, soFromCurrent), 3);
  EXPECT_EQ(wrapper.Seek(0, soFromEnd), 10);
  EXPECT_EQ(bytes.Position(), 3);
  EXPECT_EQ(wrapper.Seek(3, soFromBeginning), 3);
  EXPECT_EQ(bytes.Position(), 3);
  EXPECT_EQ(wrapper.Seek(5, soFromBeginning), 5);
  EXPECT_EQ(bytes.Position(), 5);
}

}  // namespace
