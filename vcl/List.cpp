#include "vcl/List.h"

#include <algorithm>

void TList::Error(const char* message, int data) {
  throw EListError::CreateFmt(message, {data});
}

int TList::Add(void* item) {
  int index = Count();
  if (index == FCapacity) Grow();
  FList.push_back(item);
  if (item) Notify(item, lnAdded);
  return index;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) Error("List index out of bounds (%d)", index);
  if (Count() == FCapacity) Grow();
  FList.insert(FList.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
  void* item = FList[index];
  FList.erase(FList.begin() + index);
  if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

int TList::IndexOf(void* item) const {
  auto it = std::find(FList.begin(), FList.end(), item);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  void* found = FList[index];
  FList.erase(FList.begin() + index);
  Notify(found, lnExtracted);
  return found;
}

void TList::Exchange(int index1, int index2) {
  if (index1 < 0 || index1 >= Count()) Error("List index out of bounds (%d)", index1);
  if (index2 < 0 || index2 >= Count()) Error("List index out of bounds (%d)", index2);
  std::swap(FList[index1], FList[index2]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (newIndex < 0 || newIndex >= Count()) Error("List index out of bounds (%d)", newIndex);
  void* item = Items(curIndex);
  FList.erase(FList.begin() + curIndex);
  FList.insert(FList.begin() + newIndex, item);
}

void TList::Pack() {
  for (int i = Count() - 1; i >= 0; --i)
    if (!FList[i]) FList.erase(FList.begin() + i);
}

void TList::Sort(TListSortCompare compare) {
  std::stable_sort(FList.begin(), FList.end(),
                   [compare](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

void* TList::First() const { return Items(0); }
void* TList::Last() const { return Items(Count() - 1); }

TList* TList::Expand() {
  if (Count() == FCapacity) Grow();
  return this;
}

void TList::SetCount(int newCount) {
  if (newCount < 0 || newCount > MaxListSize) Error("List count out of bounds (%d)", newCount);
  if (newCount > FCapacity) SetCapacity(newCount);
  if (newCount > Count()) {
    FList.resize(newCount, nullptr);
  } else {
    // Deleted one by one, last first, so that subclasses hear of each item.
    for (int i = Count() - 1; i >= newCount; --i) Delete(i);
  }
}

void TList::SetCapacity(int newCapacity) {
  if (newCapacity < Count() || newCapacity > MaxListSize)
    Error("List capacity out of bounds (%d)", newCapacity);
  FCapacity = newCapacity;
  FList.reserve(newCapacity);
  if (newCapacity == 0) FList.shrink_to_fit();
}

void* TList::Items(int index) const {
  if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
  return FList[index];
}

void TList::SetItems(int index, void* item) {
  if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
  void* old = FList[index];
  if (old == item) return;
  FList[index] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

void TList::Notify(void*, TListNotification) {}

void TList::Grow() {
  int delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
  SetCapacity(FCapacity + delta);
}

void TObjectList::Notify(void* item, TListNotification action) {
  if (FOwnsObjects && action == lnDeleted) delete static_cast<TObject*>(item);
  TList::Notify(item, action);
}
