#include <gtest/gtest.h>

#include <cstring>

#include "program/controls/FSListItemData.h"
#include "rtl/Exceptions.h"

namespace {

TListItemRecord Record(const char16_t* caption, std::vector<WideString> subItems = {}, int64_t data = 0) {
  TListItemRecord record;
  record.Caption = caption;
  record.SubItems = std::move(subItems);
  record.SubItemImages.assign(record.SubItems.size(), -1);
  record.Data = data;
  return record;
}

std::vector<TListItemRecord> Read(const RawByteString& bytes, bool* known = nullptr) {
  return ReadListItemData(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), known);
}

uint32_t U32(const RawByteString& bytes, size_t at) {
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

TEST(ListItemData, ShortItemsWriteVersionOneWithATrueSizeAndReadBack) {
  std::vector<TListItemRecord> items = {Record(u"clip.mpg", {u"00:01:02", u"720x576"}, -5), Record(u"")};
  items[0].ImageIndex = 3;
  items[0].StateIndex = 1;
  items[0].OverlayIndex = 0;
  items[0].GroupID = 7;
  items[0].Tag = 42;
  items[0].Checked = true;
  items[0].SubItemImages = {4, -1};
  items[1].ShowCheckbox = false;
  const RawByteString bytes = WriteListItemData(items);
  ASSERT_EQ(bytes[0], 1);
  // The records: 31 + 16 (caption) + 1 + 16 + 1 + 14 for the first, 31 for the second.
  EXPECT_EQ(U32(bytes, 1), 31u + 16 + 1 + 16 + 1 + 14 + 31);
  EXPECT_EQ(U32(bytes, 1), bytes.size() - 9 - 2 * 2) << "the size field counts the records exactly";
  EXPECT_EQ(Read(bytes), items);
}

TEST(ListItemData, WhatVersionOneCannotHoldWritesVersionTwoAndLosesNothing) {
  const WideString longText(300, u'x');
  const struct {
    const char* what;
    TListItemRecord record;
  } cases[] = {
      {"long caption", Record(longText.c_str())},
      {"long sub-item", Record(u"a", {u"b", longText})},
      {"wide data", Record(u"a", {}, int64_t{1} << 40)},
      {"negative wide data", Record(u"a", {}, -(int64_t{1} << 33))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const RawByteString bytes = WriteListItemData({c.record});
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(U32(bytes, 1), bytes.size() - 9 - 4 * c.record.SubItems.size());
    EXPECT_EQ(Read(bytes), std::vector<TListItemRecord>{c.record});
  }
  EXPECT_EQ(ListItemDataVersion({Record(WideString(255, u'y').c_str(), {}, INT32_MIN)}), 1) << "at the limits";
}

TEST(ListItemData, AnUnknownVersionReadsAsNoItems) {
  RawByteString bytes = WriteListItemData({Record(u"a")});
  bytes[0] = 3;
  bool known = true;
  EXPECT_TRUE(Read(bytes, &known).empty());
  EXPECT_FALSE(known);
}

// The oldest form: UTF-8 texts with a 1-byte length, 4-byte total size first.
RawByteString Legacy(bool withImages) {
  RawByteString body;
  auto put32 = [&](int32_t v) { body.append(reinterpret_cast<const char*>(&v), 4); };
  put32(1);                                   // count
  for (int32_t v : {2, -1, -1, 2, 5, 9}) put32(v);  // image, state, overlay, sub-items, group, tag
  body += '\1';                               // ShowCheckbox
  body += '\0';                               // Checked
  put32(77);                                  // Data
  body += "\x05" "Caf\xC3\xA9";               // caption, 5 bytes of UTF-8
  body += "\x01" "A";
  body += "\x01" "B";
  if (withImages) {
    const int16_t images[] = {6, -1};
    body.append(reinterpret_cast<const char*>(images), 4);
  }
  RawByteString bytes;
  const int32_t total = static_cast<int32_t>(body.size()) + 4;
  bytes.append(reinterpret_cast<const char*>(&total), 4);
  return bytes + body;
}

TEST(ListItemData, LegacyDataReadsWithAndWithoutTheImageBlock) {
  for (bool withImages : {true, false}) {
    const RawByteString bytes = Legacy(withImages);
    const auto items = ReadLegacyListItemData(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Caption, u"Café");
    EXPECT_EQ(items[0].SubItems, (std::vector<WideString>{u"A", u"B"}));
    EXPECT_EQ(items[0].GroupID, 5);
    EXPECT_EQ(items[0].Tag, 9);
    EXPECT_EQ(items[0].Data, 77);
    EXPECT_EQ(items[0].SubItemImages, withImages ? (std::vector<int>{6, -1}) : (std::vector<int>{-1, -1}));
  }
}

// Every cut of a good stream either reads or says it is damaged; none reads past its end (the
// sanitizer build catches an overrun).
TEST(ListItemData, EveryTruncationIsRefusedCleanly) {
  std::vector<TListItemRecord> items = {Record(u"first", {u"s1", u"s2"}), Record(WideString(300, u'z').c_str(), {u"t"})};
  const std::pair<RawByteString, bool> streams[] = {
      {WriteListItemData({items[0]}), false}, {WriteListItemData(items), false}, {Legacy(true), true}};
  for (const auto& [whole, legacy] : streams) {
    for (size_t length = 0; length < whole.size(); ++length) {
      std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
      try {
        const auto read = legacy ? ReadLegacyListItemData(cut.data(), cut.size()) : ReadListItemData(cut.data(), cut.size());
        // Only a stream cut exactly before its image block may read: its images stay -1.
        for (const TListItemRecord& record : read)
          for (int image : record.SubItemImages) EXPECT_EQ(image, -1) << "length " << length;
      } catch (const EReadError&) {
      }
    }
  }
}

TEST(ListItemData, CountsLargerThanTheDataAreRefused) {
  const struct {
    const char* what;
    size_t offset;
    int32_t value;
  } cases[] = {
      {"item count", 5, 0x7FFFFFFF},
      {"negative sub-item count", 9 + 12, -1},
      {"huge sub-item count", 9 + 12, 0x10000000},
  };
  const RawByteString good = WriteListItemData({Record(u"ab", {u"c"})});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RawByteString bad = good;
    std::memcpy(bad.data() + c.offset, &c.value, 4);
    EXPECT_THROW(Read(bad), EReadError);
  }
  RawByteString longCaption = good;
  longCaption[9 + 30] = static_cast<char>(200);  // the caption's length byte
  EXPECT_THROW(Read(longCaption), EReadError);
}

}  // namespace
