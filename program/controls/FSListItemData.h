#pragma once

// The binary forms of a list view's items in form files and in the stream that keeps them while
// the view's window is made again. Pure data: no window, no control.
//
// "ItemData" (little-endian, packed):
//   byte 0    version: 1 or 2
//   bytes 1-4 the byte size of the item records that follow the count
//   bytes 5-8 the item count
//   the item records, then for every item in order and every sub-item of it in order the
//   sub-item's image index (version 1: signed 16 bits, version 2: signed 32 bits).
// Item record: ImageIndex, StateIndex, OverlayIndex, sub-item count, GroupID, Tag (4 bytes each),
// ShowCheckbox, Checked (1 byte each), Data (version 1: 4 bytes, version 2: 8), the caption's
// length in UTF-16 units (version 1: 1 byte, version 2: 4) and its UTF-16 text, then every
// sub-item's length and text the same way.
//
// Version 1 is written whenever every text fits in 255 units and every Data in 32 signed bits,
// so that older readers keep reading what they can; otherwise version 2, which loses nothing.
//
// "Data" is the oldest form (read only): a 4-byte total size (counting itself), the item count,
// per item the 30-byte head of version 1 (without the caption length), the caption and the
// sub-items as UTF-8 texts with a 1-byte length, and, when bytes remain, the 16-bit sub-item
// images as above.
//
// Readers check every count and length against the bytes left and raise EReadError on a damaged
// stream; they never read past the data they are given.

#include <cstdint>
#include <vector>

#include "rtl/SysTypes.h"

struct TListItemRecord {
  int ImageIndex = -1;
  int StateIndex = -1;
  int OverlayIndex = -1;
  int GroupID = 0;
  int Tag = 0;
  bool ShowCheckbox = true;
  bool Checked = false;
  int64_t Data = 0;
  WideString Caption;
  std::vector<WideString> SubItems;
  std::vector<int> SubItemImages;  // one per sub-item

  bool operator==(const TListItemRecord&) const = default;
};

// The smallest version that holds every record whole (1 or 2).
int ListItemDataVersion(const std::vector<TListItemRecord>& items);
// The "ItemData" bytes of the records.
RawByteString WriteListItemData(const std::vector<TListItemRecord>& items);
// Reads "ItemData". A stream of an unknown version reads as no items (`known` false).
std::vector<TListItemRecord> ReadListItemData(const uint8_t* data, size_t size, bool* known = nullptr);
// Reads the old "Data" form.
std::vector<TListItemRecord> ReadLegacyListItemData(const uint8_t* data, size_t size);
