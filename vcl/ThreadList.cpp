#include "vcl/ThreadList.h"

void TThreadList::Add(void* item) {
  std::lock_guard guard(FLock);
  if (FDuplicates == dupAccept || FList.IndexOf(item) < 0)
    FList.Add(item);
  else if (FDuplicates == dupError)
    throw EListError("Duplicate item in list");
}

void TThreadList::Remove(void* item) {
  std::lock_guard guard(FLock);
  FList.Remove(item);
}

void TThreadList::Clear() {
  std::lock_guard guard(FLock);
  FList.Clear();
}

TList* TThreadList::LockList() {
  FLock.lock();
  return &FList;
}

void TThreadList::UnlockList() { FLock.unlock(); }
