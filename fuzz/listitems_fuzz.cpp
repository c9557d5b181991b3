// Reads arbitrary bytes as a list view's stored items: the first byte picks the form ("ItemData"
// or the old "Data"). What reads must write and read again to the same items; what does not
// must be refused with EReadError, never read past its bytes.

#include <cstddef>
#include <cstdint>

#include "program/controls/FSListItemData.h"
#include "rtl/Exceptions.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool legacy = data[0] & 1;
  std::vector<TListItemRecord> items;
  try {
    items = legacy ? ReadLegacyListItemData(data + 1, size - 1) : ReadListItemData(data + 1, size - 1);
  } catch (const EReadError&) {
    return 0;
  }
  const RawByteString again = WriteListItemData(items);
  Check(ReadListItemData(reinterpret_cast<const uint8_t*>(again.data()), again.size()) == items);
  return 0;
}
