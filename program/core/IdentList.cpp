#include "program/core/IdentList.h"

#include "program/core/FSEventList.h"

TIdentList::~TIdentList() { OnChange = nullptr; }

int TIdentList::Find(int32_t key, bool& found) const {
  found = false;
  int low = 0;
  int high = FCount - 1;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    // Compared, not subtracted: keys at both ends of the range cannot overflow.
    if (FList[middle].Key < key) {
      low = middle + 1;
    } else {
      high = middle - 1;
      if (FList[middle].Key == key) {
        found = true;
        if (Duplicates != dupAccept) low = middle;
      }
    }
  }
  return low;
}

int TIdentList::Add(int32_t key, int32_t value) {
  int index = FCount;
  if (Sorted) {
    bool found = false;
    index = Find(key, found);
    if (found) {
      if (Duplicates == dupIgnore) return index;
      if (Duplicates == dupError) throw EListError("String list does not allow duplicates");
    }
  }
  InsertAt(index, key, value);
  return index;
}

void TIdentList::InsertAt(int index, int32_t key, int32_t value) {
  if (FCount == Capacity()) FList.resize(Capacity() + GrowthDelta(Capacity()));
  for (int i = FCount; i > index; --i) FList[i] = FList[i - 1];
  FList[index] = {key, value};
  ++FCount;
  if (OnChange) OnChange(this);
}

int TIdentList::IndexOf(int32_t key) const {
  if (Sorted) {
    bool found = false;
    const int index = Find(key, found);
    return found ? index : -1;
  }
  for (int i = 0; i < FCount; ++i)
    if (FList[i].Key == key) return i;
  return -1;
}

int32_t TIdentList::ValueOf(int32_t key) const {
  const int index = IndexOf(key);
  return index >= 0 ? FList[index].Value : 0;
}

void TIdentList::CheckIndex(int index) const {
  if (index < 0 || index >= FCount) throw EListError::CreateFmt("List index out of bounds (%d)", {index});
}

int32_t TIdentList::Keys(int index) const {
  CheckIndex(index);
  return FList[index].Key;
}

int32_t TIdentList::Values(int index) const {
  CheckIndex(index);
  return FList[index].Value;
}
