#include "program/controls/FSListItemData.h"

#include <cstring>
#include <limits>

#include "rtl/Exceptions.h"
#include "rtl/Strings.h"

namespace {

constexpr size_t kVersion1Head = 31;  // the record's fixed part with the 1-byte caption length
constexpr size_t kVersion2Head = 38;
constexpr size_t kLegacyHead = 30;

[[noreturn]] void Damaged(const char* what) {
  throw EReadError(AnsiString("List item data is damaged: ") + what);
}

// Reads from a block of bytes that must not be overrun.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : m_data(data), m_left(size) {}

  size_t Left() const { return m_left; }
  void Need(size_t count, const char* what) const {
    if (count > m_left) Damaged(what);
  }
  template <class T> T Read(const char* what) {
    Need(sizeof(T), what);
    T value;
    std::memcpy(&value, m_data, sizeof(T));
    m_data += sizeof(T);
    m_left -= sizeof(T);
    return value;
  }
  WideString ReadWide(size_t units, const char* what) {
    if (units > m_left / 2) Damaged(what);
    WideString text(units, u'\0');
    if (units) std::memcpy(text.data(), m_data, units * 2);
    m_data += units * 2;
    m_left -= units * 2;
    return text;
  }
  AnsiString ReadAnsi(size_t count, const char* what) {
    Need(count, what);
    AnsiString text(reinterpret_cast<const char*>(m_data), count);
    m_data += count;
    m_left -= count;
    return text;
  }

 private:
  const uint8_t* m_data;
  size_t m_left;
};

class ByteWriter {
 public:
  template <class T> void Write(T value) {
    const size_t at = m_bytes.size();
    m_bytes.resize(at + sizeof(T));
    std::memcpy(m_bytes.data() + at, &value, sizeof(T));
  }
  void WriteWide(const WideString& text) {
    const size_t at = m_bytes.size();
    m_bytes.resize(at + text.size() * 2);
    if (!text.empty()) std::memcpy(m_bytes.data() + at, text.data(), text.size() * 2);
  }
  RawByteString& Bytes() { return m_bytes; }

 private:
  RawByteString m_bytes;
};

bool FitsVersion1(const TListItemRecord& item) {
  if (item.Data < std::numeric_limits<int32_t>::min() || item.Data > std::numeric_limits<int32_t>::max()) return false;
  if (item.Caption.size() > 255) return false;
  for (const WideString& text : item.SubItems)
    if (text.size() > 255) return false;
  for (int image : item.SubItemImages)
    if (image < std::numeric_limits<int16_t>::min() || image > std::numeric_limits<int16_t>::max()) return false;
  return true;
}

// The fixed part of a record after its version's head fields, shared by every form.
void ReadHead(ByteReader& in, TListItemRecord& item, int& subCount, bool wideData) {
  item.ImageIndex = in.Read<int32_t>("item record");
  item.StateIndex = in.Read<int32_t>("item record");
  item.OverlayIndex = in.Read<int32_t>("item record");
  subCount = in.Read<int32_t>("item record");
  item.GroupID = in.Read<int32_t>("item record");
  item.Tag = in.Read<int32_t>("item record");
  item.ShowCheckbox = in.Read<uint8_t>("item record") != 0;
  item.Checked = in.Read<uint8_t>("item record") != 0;
  item.Data = wideData ? in.Read<int64_t>("item record") : in.Read<int32_t>("item record");
  if (subCount < 0) Damaged("negative sub-item count");
}

// The sub-item image block after the records: absent (images stay -1) or complete.
void ReadSubItemImages(ByteReader& in, std::vector<TListItemRecord>& items, bool wide) {
  if (in.Left() == 0) return;
  size_t total = 0;
  for (const TListItemRecord& item : items) total += item.SubItems.size();
  const size_t width = wide ? 4 : 2;
  if (total > in.Left() / width) Damaged("sub-item images cut short");
  for (TListItemRecord& item : items)
    for (int& image : item.SubItemImages)
      image = wide ? in.Read<int32_t>("sub-item images") : in.Read<int16_t>("sub-item images");
}

}  // namespace

int ListItemDataVersion(const std::vector<TListItemRecord>& items) {
  for (const TListItemRecord& item : items)
    if (!FitsVersion1(item)) return 2;
  return 1;
}

RawByteString WriteListItemData(const std::vector<TListItemRecord>& items) {
  const int version = ListItemDataVersion(items);
  ByteWriter records;
  for (const TListItemRecord& item : items) {
    records.Write<int32_t>(item.ImageIndex);
    records.Write<int32_t>(item.StateIndex);
    records.Write<int32_t>(item.OverlayIndex);
    records.Write<int32_t>(static_cast<int32_t>(item.SubItems.size()));
    records.Write<int32_t>(item.GroupID);
    records.Write<int32_t>(item.Tag);
    records.Write<uint8_t>(item.ShowCheckbox ? 1 : 0);
    records.Write<uint8_t>(item.Checked ? 1 : 0);
    if (version == 1) {
      records.Write<int32_t>(static_cast<int32_t>(item.Data));
      records.Write<uint8_t>(static_cast<uint8_t>(item.Caption.size()));
    } else {
      records.Write<int64_t>(item.Data);
      records.Write<uint32_t>(static_cast<uint32_t>(item.Caption.size()));
    }
    records.WriteWide(item.Caption);
    for (const WideString& text : item.SubItems) {
      if (version == 1) records.Write<uint8_t>(static_cast<uint8_t>(text.size()));
      else records.Write<uint32_t>(static_cast<uint32_t>(text.size()));
      records.WriteWide(text);
    }
  }
  ByteWriter out;
  out.Write<uint8_t>(static_cast<uint8_t>(version));
  out.Write<uint32_t>(static_cast<uint32_t>(records.Bytes().size()));
  out.Write<uint32_t>(static_cast<uint32_t>(items.size()));
  out.Bytes() += records.Bytes();
  for (const TListItemRecord& item : items)
    for (size_t i = 0; i < item.SubItems.size(); ++i) {
      const int image = i < item.SubItemImages.size() ? item.SubItemImages[i] : -1;
      if (version == 1) out.Write<int16_t>(static_cast<int16_t>(image));
      else out.Write<int32_t>(image);
    }
  return std::move(out.Bytes());
}

std::vector<TListItemRecord> ReadListItemData(const uint8_t* data, size_t size, bool* known) {
  if (known) *known = false;
  ByteReader in(data, size);
  const uint8_t version = in.Read<uint8_t>("no version");
  if (version != 1 && version != 2) return {};
  if (known) *known = true;
  const bool wide = version == 2;
  in.Read<uint32_t>("no size");  // older writers filled it wrongly: not relied upon
  const uint32_t count = in.Read<uint32_t>("no item count");
  const size_t head = wide ? kVersion2Head : kVersion1Head;
  if (count > in.Left() / head) Damaged("item count larger than the data");
  std::vector<TListItemRecord> items(count);
  for (TListItemRecord& item : items) {
    int subCount = 0;
    ReadHead(in, item, subCount, wide);
    const size_t captionLength = wide ? in.Read<uint32_t>("item record") : in.Read<uint8_t>("item record");
    item.Caption = in.ReadWide(captionLength, "caption cut short");
    const size_t lengthWidth = wide ? 4 : 1;
    if (static_cast<size_t>(subCount) > in.Left() / lengthWidth) Damaged("sub-item count larger than the data");
    item.SubItems.resize(static_cast<size_t>(subCount));
    item.SubItemImages.assign(static_cast<size_t>(subCount), -1);
    for (WideString& text : item.SubItems) {
      const size_t length = wide ? in.Read<uint32_t>("sub-item") : in.Read<uint8_t>("sub-item");
      text = in.ReadWide(length, "sub-item cut short");
    }
  }
  ReadSubItemImages(in, items, wide);
  if (in.Left() != 0) Damaged("bytes after the sub-item images");
  return items;
}

std::vector<TListItemRecord> ReadLegacyListItemData(const uint8_t* data, size_t size) {
  ByteReader outer(data, size);
  const uint32_t total = outer.Read<uint32_t>("no size");
  if (total < 4 || total - 4 > outer.Left()) Damaged("size larger than the data");
  ByteReader in(data + 4, total - 4);
  const uint32_t count = in.Read<uint32_t>("no item count");
  if (count > in.Left() / (kLegacyHead + 1)) Damaged("item count larger than the data");
  std::vector<TListItemRecord> items(count);
  for (TListItemRecord& item : items) {
    int subCount = 0;
    ReadHead(in, item, subCount, false);
    item.Caption = UTF8ToWide(in.ReadAnsi(in.Read<uint8_t>("caption"), "caption cut short"));
    if (static_cast<size_t>(subCount) > in.Left()) Damaged("sub-item count larger than the data");
    item.SubItems.resize(static_cast<size_t>(subCount));
    item.SubItemImages.assign(static_cast<size_t>(subCount), -1);
    for (WideString& text : item.SubItems) text = UTF8ToWide(in.ReadAnsi(in.Read<uint8_t>("sub-item"), "sub-item cut short"));
  }
  ReadSubItemImages(in, items, false);
  if (in.Left() != 0) Damaged("bytes after the sub-item images");
  return items;
}
