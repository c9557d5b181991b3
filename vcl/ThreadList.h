#pragma once

// TThreadList: a pointer list shared between threads. LockList hands the caller the list
// under the lock (re-entrant for the holding thread); UnlockList gives it back. The other
// operations lock for their own duration.

#include <mutex>

#include "vcl/List.h"

class TThreadList : public TObject {
  BRANTWELL_CLASS(TThreadList, TObject)

 public:
  TThreadList() = default;

  // Adds the item unless Duplicates forbids it; dupError raises EListError
  // "Duplicate item in list" for an item already there.
  void Add(void* item);
  void Remove(void* item);
  void Clear();
  TList* LockList();
  void UnlockList();

  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates value) { FDuplicates = value; }

 private:
  std::recursive_mutex FLock;
  TList FList;
  TDuplicates FDuplicates = dupIgnore;
};
