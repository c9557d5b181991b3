#pragma once

// TIdentList: a map of integer keys to integer values, unsorted (first added wins on look-up)
// or sorted (binary search; Duplicates says what an existing key does). OnChange fires after
// each insertion. GUI thread (no lock).

#include <vector>

#include "vcl/Event.h"
#include "vcl/List.h"

class TIdentList : public TObject {
  BRANTWELL_CLASS(TIdentList, TObject)

 public:
  TIdentList() = default;
  ~TIdentList() override;

  // Index of the new pair; for a sorted list and an existing key: the existing index when
  // duplicates are ignored, EListError when they are errors, a new pair before the equal keys
  // when they are accepted.
  int Add(int32_t key, int32_t value);
  int IndexOf(int32_t key) const;  // -1 when absent
  int32_t ValueOf(int32_t key) const;  // 0 when absent
  int32_t Keys(int index) const;
  int32_t Values(int index) const;
  int Count() const { return FCount; }
  int Capacity() const { return static_cast<int>(FList.size()); }

  bool Sorted = false;  // set before adding: the pairs are kept in ascending key order
  TDuplicates Duplicates = dupIgnore;
  TNotifyEvent OnChange;

 private:
  struct TIdentPair {
    int32_t Key;
    int32_t Value;
  };
  // The index of the first key not below `key` (with found telling whether it is equal).
  int Find(int32_t key, bool& found) const;
  void InsertAt(int index, int32_t key, int32_t value);
  void CheckIndex(int index) const;

  std::vector<TIdentPair> FList;  // Capacity pairs, the first Count in use
  int FCount = 0;
};
