#include "vcl/Collection.h"

#include <algorithm>

#include "rtl/Numbers.h"
#include "vcl/Fixups.h"

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() {
  if (FCollection) FCollection->RemoveItem(this);
  vcl::detail::PersistentDestroyed(this);
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (value == FCollection) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (value) value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& items = FCollection->FItems;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  int current = Index();
  if (current < 0 || current == value) return;
  auto& items = FCollection->FItems;
  if (value < 0 || value >= static_cast<int>(items.size()))
    throw EListError::CreateFmt("List index out of bounds (%d)", {value});
  items.erase(items.begin() + current);
  items.insert(items.begin() + value, this);
  Changed(true);
}

AnsiString TCollectionItem::GetDisplayName() { return ClassName(); }

AnsiString TCollectionItem::GetNamePath() {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + "[" + IntToStr(Index()) + "]";
}

void TCollectionItem::Changed(bool allItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(allItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

TCollection::TCollection(TClass itemClass) : FItemClass(itemClass) {}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no updates while going away
  Clear();
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass || !FItemClass->CreateItem)
    throw EInvalidOperation::CreateFmt("Cannot create an item of %s",
                                       {FItemClass ? FItemClass->Name : AnsiString("nil")});
  auto* item = static_cast<TCollectionItem*>(FItemClass->CreateItem(this));
  Added(item);
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  if (index < 0 || index > Count())
    throw EListError::CreateFmt("List index out of bounds (%d)", {index});
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) { delete Items(index); }

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();
  EndUpdate();
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count())
    throw EListError::CreateFmt("List index out of bounds (%d)", {index});
  return FItems[index];
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == id) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCollection*>(source);
  if (!other) return TPersistent::Assign(source);
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->FItems) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

AnsiString TCollection::GetNamePath() {
  TPersistent* owner = GetOwner();
  if (!owner) return ClassName();
  AnsiString path = owner->GetNamePath();
  return path.empty() ? ClassName() : path;
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Notify(TCollectionItem*, bool) {}

void TCollection::Added(TCollectionItem* item) {
  Notify(item, true);
  Changed();
}

void TCollection::InsertItem(TCollectionItem* item) {
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
}

void TCollection::RemoveItem(TCollectionItem* item) {
  Notify(item, false);
  std::erase(FItems, item);
  item->FCollection = nullptr;
  Changed();
}
