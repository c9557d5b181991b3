#pragma once

// TList: an ordered list of untyped pointers that it does not own. Subclasses learn of every
// change through Notify (added, extracted, deleted). Index and capacity errors raise
// EListError before anything changes. Not thread-safe: see TThreadList.

#include <vector>

#include "rtl/Exceptions.h"
#include "vcl/Object.h"

// How sorted lists treat an item they already hold.
enum TDuplicates { dupIgnore, dupAccept, dupError };

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Returns < 0, 0 or > 0 as item1 sorts before, with or after item2.
using TListSortCompare = int (*)(void* item1, void* item2);

// The largest capacity a list accepts.
constexpr int MaxListSize = 0x7FFFFFF;

class TList : public TObject {
  BRANTWELL_CLASS(TList, TObject)

 public:
  TList() = default;
  // The base list has nothing to tell anyone at destruction; subclasses that act in Notify
  // clear themselves in their own destructor.
  ~TList() override = default;

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  int Remove(void* item);  // index the item had, or -1
  int IndexOf(void* item) const;
  void* Extract(void* item);  // removes without deleting; nil when absent
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  void Pack();  // removes nil items
  void Sort(TListSortCompare compare);
  virtual void Clear();
  void* First() const;
  void* Last() const;
  TList* Expand();

  int Count() const { return static_cast<int>(FList.size()); }
  void SetCount(int newCount);
  int Capacity() const { return FCapacity; }
  void SetCapacity(int newCapacity);
  void* Items(int index) const;
  void SetItems(int index, void* item);
  void* operator[](int index) const { return Items(index); }
  void* const* List() const { return FList.data(); }

  [[noreturn]] static void Error(const char* message, int data);

 protected:
  virtual void Notify(void* item, TListNotification action);
  virtual void Grow();

 private:
  std::vector<void*> FList;
  int FCapacity = 0;
};

// A pointer list of objects that may own them: with OwnsObjects, an object deleted from the
// list (Delete, Remove, Clear, replacing it, destroying the list) is freed; an extracted one
// is not.
class TObjectList : public TList {
  BRANTWELL_CLASS(TObjectList, TList)

 public:
  explicit TObjectList(bool ownsObjects = true) : FOwnsObjects(ownsObjects) {}
  ~TObjectList() override { Clear(); }

  int Add(TObject* object) { return TList::Add(object); }
  TObject* Items(int index) const { return static_cast<TObject*>(TList::Items(index)); }
  TObject* operator[](int index) const { return Items(index); }
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool owns) { FOwnsObjects = owns; }

 protected:
  void Notify(void* item, TListNotification action) override;

 private:
  bool FOwnsObjects;
};
