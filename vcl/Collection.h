#pragma once

// TCollection: an owned, ordered set of items of one item class (TCollectionItem
// descendants), streamed as a whole. Items are created by the collection (Add, Insert) and
// freed by it (Delete, Clear, destruction); deleting an item yourself also takes it out.
// Each item has an ID unique within its collection for the collection's lifetime.
// Update(item) tells a subclass what changed (nil: everything), once per
// BeginUpdate/EndUpdate bracket.

#include <vector>

#include "vcl/Persistent.h"

class TCollection;

class TCollectionItem : public TPersistent {
  BRANTWELL_CLASS(TCollectionItem, TPersistent)

 public:
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* value);
  int ID() const { return FID; }
  int Index() const;
  virtual void SetIndex(int value);
  virtual AnsiString GetDisplayName();
  AnsiString GetNamePath() override;

 protected:
  void Changed(bool allItems);
  TPersistent* GetOwner() override;

 private:
  TCollection* FCollection = nullptr;
  int FID = 0;
  friend class TCollection;
};

class TCollection : public TPersistent {
  BRANTWELL_CLASS(TCollection, TPersistent)

 public:
  explicit TCollection(TClass itemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  TCollectionItem* Items(int index) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* FindItemID(int id) const;
  TClass ItemClass() const { return FItemClass; }
  virtual void BeginUpdate();
  virtual void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  void Assign(TPersistent* source) override;
  AnsiString GetNamePath() override;

 protected:
  // A change of item (nil: the whole collection).
  virtual void Update(TCollectionItem* item);
  void Changed();
  virtual void Notify(TCollectionItem* item, bool added);

 private:
  void Added(TCollectionItem* item);
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);

  TClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
  friend class TCollectionItem;
};

// A collection with an owner: the object whose property it is (for name paths).
class TOwnedCollection : public TCollection {
  BRANTWELL_CLASS(TOwnedCollection, TCollection)

 public:
  TOwnedCollection(TPersistent* owner, TClass itemClass) : TCollection(itemClass), FOwner(owner) {}

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
};
