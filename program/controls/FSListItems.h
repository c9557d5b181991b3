#pragma once

// The rows of the skinned list view: TFSListItem (one row: caption, images, state, check mark,
// group, user values) with TSubItems (the texts of the further columns and their images), and
// TFSListItems, the collection of one view.
//
// Where the rows live: normally the view's window holds them, each row's lParam being its item
// object, and texts and images are handed to the window when it asks (LVN_GETDISPINFO). In
// owner-data mode, and for a collection without a view, the collection keeps the item objects
// itself in an internal list and the window knows only the count.
//
// The items stream themselves as the binary property "ItemData" (see FSListItemData.h) and read
// the old "Data" property too.
//
// GUI thread only, except SetImageIndexDirect, which the thumbnail thread may call.

#include <atomic>
#include <memory>
#include <vector>

#include "program/controls/FSListItemData.h"
#include "vcl/StringList.h"
#include "vcl/TypInfo.h"
#include "vcl/Types.h"

class TFSCustomListView;
class TFSListItems;
class TFSListItem;

BRANTWELL_ENUM(TFSItemState, isNone, isCut, isDropHilited, isFocused, isSelected, isActivating, isChecked)
using TFSItemStates = TSet<TFSItemState>;
BRANTWELL_ENUM(TDisplayCode, drBounds, drIcon, drLabel, drSelectBounds)

// A list-view state word as a set (isChecked is never derived from it).
TFSItemStates ItemStatesFromWord(unsigned state);

// The texts of columns 1..n of an item, with one image index per text (-1 for new texts).
// Changes reach the item's row in the window.
class TSubItems : public TStringList {
  BRANTWELL_CLASS(TSubItems, TStringList)

 public:
  explicit TSubItems(TFSListItem* owner) : FOwner(owner) {}

  void Put(int index, const AnsiString& value) override;
  int Add(const AnsiString& value) override;
  void Insert(int index, const AnsiString& value) override;
  void Delete(int index) override;
  void Clear() override;

  int SubItemImages(int index) const;
  void SetSubItemImages(int index, int value);

 protected:
  void SetUpdateState(bool updating) override;

 private:
  void RefreshColumn(int column);

  TFSListItem* FOwner;
  std::vector<int> FImageIndices;
};

class TFSListItem : public TPersistent {
  BRANTWELL_CLASS(TFSListItem, TPersistent)

 public:
  explicit TFSListItem(TFSListItems* owner);
  ~TFSListItem() override;

  TFSListItems* Owner() const { return FOwner; }
  TFSCustomListView* ListView() const;
  virtual int GetIndex();
  int Index() { return GetIndex(); }
  virtual TRect DisplayRect(TDisplayCode code);
  virtual int GetStateIndex() { return FStateIndex; }
  void Assign(TPersistent* source) override;

  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& value);
  intptr_t Data() const { return FData; }
  void SetData(intptr_t value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  // Stores the image index without telling the window (the thumbnail thread's way in).
  void SetImageIndexDirect(int value);
  int SmallImageIndex() const { return FSmallImageIndex; }
  void SetSmallImageIndex(int value);
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int value);
  int StateIndex() const { return FStateIndex; }
  void SetStateIndex(int value);
  int Indent() const { return FIndent; }
  void SetIndent(int value);
  int GroupID() const { return FGroupID; }
  void SetGroupID(int value);
  bool ShowCheckbox() const { return FShowCheckbox; }
  void SetShowCheckbox(bool value);
  int Tag() const { return FTag; }
  void SetTag(int value) { FTag = value; }
  TSubItems* SubItems() const { return FSubItems.get(); }
  void SetSubItems(TStrings* value);
  int SubItemImages(int index) const { return FSubItems->SubItemImages(index); }
  void SetSubItemImages(int index, int value);

  bool Checked();
  void SetChecked(bool value);
  // The stored check mark, whatever the window says.
  bool StoredChecked() const { return FChecked; }

  bool GetState(int index);
  void SetState(int index, bool value);
  bool Cut() { return GetState(0); }
  void SetCut(bool value) { SetState(0, value); }
  bool DropTarget() { return GetState(1); }
  void SetDropTarget(bool value) { SetState(1, value); }
  bool Focused() { return GetState(2); }
  void SetFocused(bool value) { SetState(2, value); }
  bool Selected() { return GetState(3); }
  void SetSelected(bool value) { SetState(3, value); }

  void MakeVisible(bool partialOK);
  bool Update();
  void Redraw();
  bool IsEqual(TFSListItem* item) const;
  void Delete();
  bool Deleting() const { return FDeleting; }

  // The record this item streams as, and the reverse (through the setters).
  TListItemRecord ToRecord() const;
  void FromRecord(const TListItemRecord& record);

 private:
  friend class TFSListItems;
  friend class TSubItems;
  friend class TFSCustomListView;
  bool HasWindow() const;
  void SetImage(int which, int value);
  void SendItemImage(int image);
  void SendState(unsigned state, unsigned mask);

  TFSListItems* FOwner;
  std::unique_ptr<TSubItems> FSubItems;
  intptr_t FData = 0;
  int FIndexCache = -1;
  std::atomic<int> FImageIndex{-1};
  int FSmallImageIndex = -1;
  int FOverlayIndex = -1;
  int FStateIndex = -1;
  int FIndent = 0;
  AnsiString FCaption;
  bool FDeleting = false;
  bool FProcessedDeleting = false;
  bool FChecked = false;
  int FGroupID = 0;
  bool FShowCheckbox = true;
  int FTag = 0;
};

class TFSListItems : public TPersistent {
  BRANTWELL_CLASS(TFSListItems, TPersistent)

 public:
  // A collection without an owner keeps its items in an internal list from the start.
  TFSListItems(TFSCustomListView* owner, bool ownsObjects);
  ~TFSListItems() override;

  TFSCustomListView* Owner() const { return FOwner; }
  void Assign(TPersistent* source) override;
  virtual int GetCount();
  int Count() { return GetCount(); }
  virtual TFSListItem* GetItem(int index);
  TFSListItem* Item(int index) { return GetItem(index); }
  TFSListItem* operator[](int index) { return GetItem(index); }
  virtual void SetItem(int index, TFSListItem* value);
  int IndexOf(TFSListItem* item);

  TFSListItem* Add();
  TFSListItem* Insert(int index);
  TFSListItem* AddItem(TFSListItem* item, int index = -1);
  void Delete(int index);
  // Takes the item out without freeing it.
  void Extract(TFSListItem* item);
  void Clear();
  virtual void Changed();
  void SetCount(int value);

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  bool FinishingUpdate() const { return FFinishingUpdate; }
  bool Moving() const { return FMoving; }
  bool HasInternalList() const { return FList != nullptr; }
  // The item used for moves and owner-data fetches (made on first use).
  TFSListItem* ScratchItem();

  void Move(int curIndex, int newIndex);
  void MoveSelectedTo(int index);

  // The items as records and back (clearing first); what the streams and window re-creation use.
  std::vector<TListItemRecord> ToRecords();
  void FromRecords(const std::vector<TListItemRecord>& records);
  void ReadItemData(TStream* stream);
  void WriteItemData(TStream* stream);
  void ReadLegacyData(TStream* stream);

 protected:
  void DefineProperties(TFiler* filer) override;

 private:
  friend class TFSListItem;
  friend class TSubItems;
  friend class TFSCustomListView;
  void CreateInternalList(int capacity);
  void SetUpdateState(bool updating);
  void SetLightUpdate(bool updating);
  void SortRowsByIndex();

  std::unique_ptr<std::vector<TFSListItem*>> FList;
  bool FOwnsObjects;
  TFSCustomListView* FOwner;
  int FUpdateCount = 0;
  bool FFinishingUpdate = false;
  TFSListItem* FScratch = nullptr;
  bool FMoving = false;
};
