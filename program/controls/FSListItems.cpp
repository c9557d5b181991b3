#include "program/controls/FSListItems.h"

#include <algorithm>
#include <map>

#include "platform/comctl/ListView.h"
#include "program/controls/FSListView.h"
#include "rtl/Exceptions.h"
#include "rtl/Strings.h"
#include "vcl/Filer.h"

using namespace platform;

TFSItemStates ItemStatesFromWord(unsigned state) {
  TFSItemStates result;
  if (state & LVIS_CUT) result.Include(isCut);
  if (state & LVIS_DROPHILITED) result.Include(isDropHilited);
  if (state & LVIS_FOCUSED) result.Include(isFocused);
  if (state & LVIS_SELECTED) result.Include(isSelected);
  if (state & LVIS_ACTIVATING) result.Include(isActivating);
  return result;
}

namespace {

// The rows of the view's window: only when the window holds them (no internal list, no owner
// data) and exists.
bool WindowHoldsRows(TFSListItems* items) {
  TFSCustomListView* view = items ? items->Owner() : nullptr;
  return view && !items->HasInternalList() && !view->IsOwnerData() && view->HandleAllocated();
}

}  // namespace

// ---- TSubItems -------------------------------------------------------------------------------

void TSubItems::RefreshColumn(int column) {
  TFSCustomListView* view = FOwner->ListView();
  if (!view || !view->RedrawEnabled() || view->IsOwnerData() || !view->HandleAllocated()) return;
  const int row = FOwner->GetIndex();
  if (row < 0) return;
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = LPSTR_TEXTCALLBACKA;
  view->Perform(LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  if (view->ViewStyle() == vsReport && view->Columns()->Count() > column &&
      view->Columns()->Items(column)->StoredWidth() == -1)
    view->UpdateColumn(column);
}

void TSubItems::Put(int index, const AnsiString& value) {
  TStringList::Put(index, value);
  RefreshColumn(index + 1);
}

int TSubItems::Add(const AnsiString& value) {
  const int index = TStringList::Add(value);
  FImageIndices.push_back(-1);
  RefreshColumn(index + 1);
  return index;
}

void TSubItems::Insert(int index, const AnsiString& value) {
  TStringList::Insert(index, value);
  FImageIndices.insert(FImageIndices.begin() + index, -1);
  for (int column = index + 1; column <= Count(); ++column) RefreshColumn(column);
}

void TSubItems::Delete(int index) {
  TStringList::Delete(index);
  if (index >= 0 && index < static_cast<int>(FImageIndices.size())) FImageIndices.erase(FImageIndices.begin() + index);
  FOwner->Update();
}

void TSubItems::Clear() {
  TStringList::Clear();
  FImageIndices.clear();
}

void TSubItems::SetUpdateState(bool updating) {
  if (FOwner->Owner()) FOwner->Owner()->SetUpdateState(updating);
}

int TSubItems::SubItemImages(int index) const {
  if (index < 0 || index >= static_cast<int>(FImageIndices.size()))
    throw EListError::CreateFmt("List index out of bounds (%d)", {index});
  return FImageIndices[static_cast<size_t>(index)];
}

void TSubItems::SetSubItemImages(int index, int value) {
  if (index < 0 || index >= static_cast<int>(FImageIndices.size()))
    throw EListError::CreateFmt("List index out of bounds (%d)", {index});
  if (FImageIndices[static_cast<size_t>(index)] == value) return;
  FImageIndices[static_cast<size_t>(index)] = value;
  TFSCustomListView* view = FOwner->ListView();
  if (!WindowHoldsRows(FOwner->Owner())) return;
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = FOwner->GetIndex();
  item.iSubItem = index + 1;
  item.iImage = I_IMAGECALLBACK;
  view->Perform(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

// ---- TFSListItem -----------------------------------------------------------------------------

TFSListItem::TFSListItem(TFSListItems* owner) : FOwner(owner), FSubItems(std::make_unique<TSubItems>(this)) {}

TFSListItem::~TFSListItem() {
  FDeleting = true;
  if (TFSCustomListView* view = ListView()) {
    if (view->FLastDropTarget == this) view->FLastDropTarget = nullptr;
    if (view->FEditingItem == this) view->FEditingItem = nullptr;
    if (FOwner->HasInternalList()) {
      view->Delete(this);
    } else if (view->HandleAllocated() && view->FRowsGoing == 0) {
      const int row = GetIndex();
      if (row >= 0) view->Perform(LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    }
  }
  if (FOwner && FOwner->FList && FOwner->FOwnsObjects) {
    auto& list = *FOwner->FList;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

TFSCustomListView* TFSListItem::ListView() const { return FOwner ? FOwner->Owner() : nullptr; }

bool TFSListItem::HasWindow() const { return WindowHoldsRows(FOwner); }

int TFSListItem::GetIndex() {
  TFSCustomListView* view = ListView();
  if ((view && view->FOwnerDataItem == this) || !FOwner) return FIndexCache;
  if (!FOwner->HasInternalList() && (!view || view->IsOwnerData())) return FIndexCache;
  if (!FOwner->HasInternalList() && !view->HandleAllocated()) return FIndexCache;
  return FOwner->IndexOf(this);
}

TRect TFSListItem::DisplayRect(TDisplayCode code) {
  TFSCustomListView* view = ListView();
  if (!view || !view->HandleAllocated()) return TRect{};
  RECT rect{};
  rect.left = static_cast<int>(code);
  if (!view->Perform(LVM_GETITEMRECT, static_cast<WPARAM>(GetIndex()), reinterpret_cast<LPARAM>(&rect)))
    return TRect{};
  return TRect(rect);
}

bool TFSListItem::GetState(int index) {
  static constexpr UINT masks[] = {LVIS_CUT, LVIS_DROPHILITED, LVIS_FOCUSED, LVIS_SELECTED, LVIS_ACTIVATING};
  TFSCustomListView* view = ListView();
  if (!view || !view->HandleAllocated() || index < 0 || index > 4) return false;
  const int row = GetIndex();
  if (row < 0) return false;
  return view->Perform(LVM_GETITEMSTATE, static_cast<WPARAM>(row), masks[index]) != 0;
}

void TFSListItem::SetState(int index, bool value) {
  static constexpr UINT masks[] = {LVIS_CUT, LVIS_DROPHILITED, LVIS_FOCUSED, LVIS_SELECTED, LVIS_ACTIVATING};
  if (index < 0 || index > 4) return;
  SendState(value ? masks[index] : 0, masks[index]);
}

void TFSListItem::SendState(unsigned state, unsigned mask) {
  TFSCustomListView* view = ListView();
  if (!view || !view->HandleAllocated()) return;
  const int row = GetIndex();
  if (row < 0) return;
  LVITEMA item{};
  item.state = state;
  item.stateMask = mask;
  view->Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void TFSListItem::MakeVisible(bool partialOK) {
  TFSCustomListView* view = ListView();
  if (view && view->HandleAllocated()) view->Perform(LVM_ENSUREVISIBLE, static_cast<WPARAM>(GetIndex()), partialOK);
}

bool TFSListItem::Update() {
  TFSCustomListView* view = ListView();
  if (!view || !view->HandleAllocated()) return false;
  return view->Perform(LVM_UPDATE, static_cast<WPARAM>(GetIndex()), 0) != 0;
}

void TFSListItem::Redraw() {
  TFSCustomListView* view = ListView();
  if (!view || !view->RedrawEnabled() || !view->HandleAllocated()) return;
  const int row = GetIndex();
  if (row >= 0) view->Perform(LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
}

bool TFSListItem::IsEqual(TFSListItem* item) const {
  return item && FCaption == item->FCaption && FData == item->FData;
}

void TFSListItem::Delete() {
  if (FDeleting) return;
  if (FOwner && FOwner->FScratch == this) return;
  delete this;
}

void TFSListItem::SetCaption(const AnsiString& value) {
  if (FCaption == value) return;
  FCaption = value;
  TFSCustomListView* view = ListView();
  if (!HasWindow()) return;
  LVITEMA item{};
  item.iSubItem = 0;
  item.pszText = LPSTR_TEXTCALLBACKA;
  view->Perform(LVM_SETITEMTEXTA, static_cast<WPARAM>(GetIndex()), reinterpret_cast<LPARAM>(&item));
  if (view->ViewStyle() == vsReport && view->Columns()->Count() > 0 && view->Columns()->Items(0)->StoredWidth() < 0)
    view->UpdateColumns();
  if (view->SortType() == stText || view->SortType() == stBoth) view->AlphaSort();
}

void TFSListItem::SetData(intptr_t value) {
  if (FData == value) return;
  FData = value;
  TFSCustomListView* view = ListView();
  if (HasWindow() && (view->SortType() == stData || view->SortType() == stBoth)) view->AlphaSort();
}

void TFSListItem::SendItemImage(int image) {
  if (!HasWindow()) return;
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = GetIndex();
  item.iImage = image;
  ListView()->Perform(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TFSListItem::SetImage(int which, int value) {
  switch (which) {
    case 0:
      if (FImageIndex == value) return;
      FImageIndex = value;
      SendItemImage(value);
      break;
    case 1:
      if (FSmallImageIndex == value) return;
      FSmallImageIndex = value;
      SendItemImage(value);
      break;
    case 2:
      if (FOverlayIndex == value) return;
      FOverlayIndex = value;
      if (HasWindow()) SendState(static_cast<unsigned>(value + 1) << 8, LVIS_OVERLAYMASK);
      break;
    default: {
      if (FStateIndex == value) return;
      FStateIndex = value;
      if (HasWindow()) {
        const int sent = (value == -1 && ListView()->Checkboxes()) ? 0 : value + 1;
        SendState(static_cast<unsigned>(sent) << 12, LVIS_STATEIMAGEMASK);
      }
      break;
    }
  }
  if (HasWindow() && ListView()->RedrawEnabled() && GetIndex() >= 0) Redraw();
}

void TFSListItem::SetImageIndex(int value) { SetImage(0, value); }
void TFSListItem::SetSmallImageIndex(int value) { SetImage(1, value); }
void TFSListItem::SetOverlayIndex(int value) { SetImage(2, value); }
void TFSListItem::SetStateIndex(int value) { SetImage(3, value); }

void TFSListItem::SetImageIndexDirect(int value) {
  int current = FImageIndex.load();
  if (current != value) FImageIndex.exchange(value);
}

void TFSListItem::SetIndent(int value) {
  if (FIndent == value) return;
  FIndent = value;
  if (!HasWindow()) return;
  LVITEMA item{};
  item.mask = LVIF_INDENT;
  item.iItem = GetIndex();
  item.iIndent = value;
  ListView()->Perform(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  ListView()->Perform(LVM_REDRAWITEMS, static_cast<WPARAM>(item.iItem), item.iItem);
}

void TFSListItem::SetGroupID(int value) {
  if (FGroupID == value) return;
  FGroupID = value;
  if (!HasWindow()) return;
  LVITEMA item{};
  item.mask = LVIF_GROUPID;
  item.iItem = GetIndex();
  item.iGroupId = value;
  ListView()->Perform(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  ListView()->Perform(LVM_REDRAWITEMS, static_cast<WPARAM>(item.iItem), item.iItem);
}

// A row without its check box has no state image in the window (and reads its stored mark).
void TFSListItem::SetShowCheckbox(bool value) {
  if (FShowCheckbox == value) return;
  if (!value) FChecked = Checked();
  FShowCheckbox = value;
  if (HasWindow() && ListView()->Checkboxes() && !ListView()->StateImages() && GetIndex() >= 0)
    SendState(value ? INDEXTOSTATEIMAGEMASK(FChecked ? 2 : 1) : 0, LVIS_STATEIMAGEMASK);
  Redraw();
}

void TFSListItem::SetSubItems(TStrings* value) {
  if (value) FSubItems->Assign(value);
}

void TFSListItem::SetSubItemImages(int index, int value) { FSubItems->SetSubItemImages(index, value); }

bool TFSListItem::Checked() {
  TFSCustomListView* view = ListView();
  if (!HasWindow()) return FChecked;
  const int row = GetIndex();
  if (row < 0) return FChecked;
  const auto image = static_cast<UINT>(view->Perform(LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK)) >> 12;
  // Only the checked box (state image 2) reads as checked; a row without a state image keeps
  // what the item stored.
  if (image == 0) return FChecked;
  return image == 2;
}

void TFSListItem::SetChecked(bool value) {
  FChecked = value;
  TFSCustomListView* view = ListView();
  if (!view) return;
  if (!view->IsOwnerData()) {
    if (HasWindow() && GetIndex() >= 0 && FShowCheckbox)
      SendState(INDEXTOSTATEIMAGEMASK(value ? 2 : 1), LVIS_STATEIMAGEMASK);
    return;
  }
  if (!view->RedrawEnabled() || !view->HandleAllocated() || view->FFetching > 0) return;
  Redraw();
  const int row = GetIndex();
  TFSItemStates state = ItemStatesFromWord(static_cast<UINT>(
      view->Perform(LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_FOCUSED | LVIS_SELECTED | LVIS_CUT |
                                                                     LVIS_DROPHILITED | LVIS_ACTIVATING)));
  TFSItemStates oldState = state, newState = state;
  if (value) {
    newState.Include(isChecked);
    oldState.Exclude(isChecked);
  } else {
    oldState.Include(isChecked);
    newState.Exclude(isChecked);
  }
  view->OwnerDataStateChange(row, row, oldState, newState);
}

void TFSListItem::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TFSListItem*>(source);
  if (!other) return TPersistent::Assign(source);
  FIndexCache = other->GetIndex();
  SetCaption(other->Caption());
  SetData(other->Data());
  SetImageIndex(other->ImageIndex());
  SetIndent(other->Indent());
  SetOverlayIndex(other->OverlayIndex());
  SetStateIndex(other->GetStateIndex());
  FSubItems->Assign(other->SubItems());
  for (int i = 0; i < other->SubItems()->Count() && i < FSubItems->Count(); ++i)
    FSubItems->SetSubItemImages(i, other->SubItems()->SubItemImages(i));
  SetChecked(other->Checked());
  SetGroupID(other->GroupID());
}

TListItemRecord TFSListItem::ToRecord() const {
  TListItemRecord record;
  record.ImageIndex = FImageIndex;
  record.StateIndex = FStateIndex;
  record.OverlayIndex = FOverlayIndex;
  record.GroupID = FGroupID;
  record.Tag = FTag;
  record.ShowCheckbox = FShowCheckbox;
  record.Checked = const_cast<TFSListItem*>(this)->Checked();
  record.Data = FData;
  record.Caption = UTF8ToWide(FCaption);
  for (int i = 0; i < FSubItems->Count(); ++i) {
    record.SubItems.push_back(UTF8ToWide(FSubItems->Get(i)));
    record.SubItemImages.push_back(FSubItems->SubItemImages(i));
  }
  return record;
}

void TFSListItem::FromRecord(const TListItemRecord& record) {
  SetImageIndex(record.ImageIndex);
  SetOverlayIndex(record.OverlayIndex);
  SetStateIndex(record.StateIndex);
  SetGroupID(record.GroupID);
  FTag = record.Tag;
  SetShowCheckbox(record.ShowCheckbox);
  SetChecked(record.Checked);
  SetData(static_cast<intptr_t>(record.Data));
  SetCaption(WideToUTF8(record.Caption));
  for (size_t i = 0; i < record.SubItems.size(); ++i) {
    FSubItems->Add(WideToUTF8(record.SubItems[i]));
    if (i < record.SubItemImages.size()) FSubItems->SetSubItemImages(static_cast<int>(i), record.SubItemImages[i]);
  }
}

// ---- TFSListItems ----------------------------------------------------------------------------

TFSListItems::TFSListItems(TFSCustomListView* owner, bool ownsObjects) : FOwnsObjects(ownsObjects), FOwner(owner) {
  if (!owner) FList = std::make_unique<std::vector<TFSListItem*>>();
}

TFSListItems::~TFSListItems() {
  delete FScratch;
  FScratch = nullptr;
  Clear();
  FList.reset();
}

void TFSListItems::CreateInternalList(int capacity) {
  FList = std::make_unique<std::vector<TFSListItem*>>();
  if (capacity > 0) FList->reserve(static_cast<size_t>(capacity));
}

int TFSListItems::GetCount() {
  if (FList) return static_cast<int>(FList->size());
  if (!FOwner || !FOwner->HandleAllocated()) return 0;
  return static_cast<int>(FOwner->Perform(LVM_GETITEMCOUNT));
}

TFSListItem* TFSListItems::GetItem(int index) {
  if (index == -1) return nullptr;
  if (FList) {
    if (index < 0 || index >= static_cast<int>(FList->size())) return nullptr;
    return (*FList)[static_cast<size_t>(index)];
  }
  if (!FOwner) return nullptr;
  FOwner->HandleNeeded();
  if (FOwner->IsOwnerData()) return FOwner->ItemOfRow(index, 0, nullptr);
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  if (!FOwner->Perform(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<TFSListItem*>(item.lParam);
}

void TFSListItems::SetItem(int index, TFSListItem* value) {
  if (TFSListItem* item = GetItem(index)) item->Assign(value);
}

int TFSListItems::IndexOf(TFSListItem* item) {
  if (FList) {
    auto it = std::find(FList->begin(), FList->end(), item);
    return it == FList->end() ? -1 : static_cast<int>(it - FList->begin());
  }
  if (!FOwner || !FOwner->HandleAllocated()) return -1;
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = reinterpret_cast<LPARAM>(item);
  return static_cast<int>(FOwner->Perform(LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

TFSListItem* TFSListItems::Add() { return AddItem(nullptr, -1); }

TFSListItem* TFSListItems::Insert(int index) { return AddItem(nullptr, index); }

TFSListItem* TFSListItems::AddItem(TFSListItem* item, int index) {
  if (FOwner && FOwner->IsOwnerData() && !FList) CreateInternalList(FOwner->AllocBy());
  if (FList) {
    if (!item) item = FOwner ? FOwner->CreateListItem() : new TFSListItem(this);
    if (index >= 0 && index <= static_cast<int>(FList->size())) {
      FList->insert(FList->begin() + index, item);
      item->FIndexCache = index;
    } else {
      FList->push_back(item);
      item->FIndexCache = static_cast<int>(FList->size()) - 1;
    }
    Changed();
    if (FOwner) FOwner->InsertItem(item);
    return item;
  }
  bool checked = false;
  if (item) checked = item->FChecked;
  else item = FOwner->CreateListItem();
  LVITEMA row{};
  row.mask = LVIF_IMAGE | LVIF_PARAM;
  row.iItem = index < 0 ? 0x7FFFFFFF : index;
  row.iImage = I_IMAGECALLBACK;
  row.lParam = reinterpret_cast<LPARAM>(item);
  if (!item->FCaption.empty()) {
    row.mask |= LVIF_TEXT;
    row.pszText = LPSTR_TEXTCALLBACKA;
  }
  item->FIndexCache = static_cast<int>(FOwner->Perform(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
  if (checked) item->SetChecked(true);
  return item;
}

void TFSListItems::Changed() {
  if (FUpdateCount != 0 || !FList || !FOwner || !FOwner->IsOwnerData() || !FOwner->HandleAllocated()) return;
  if (Count() != static_cast<int>(FOwner->Perform(LVM_GETITEMCOUNT))) SetCount(Count());
  FOwner->Invalidate();
}

void TFSListItems::SetCount(int value) {
  if (!FOwner || !FOwner->HandleAllocated()) return;
  FOwner->Perform(LVM_SETITEMCOUNT, static_cast<WPARAM>(value), value != 0 ? LVSICF_NOINVALIDATEALL : 0);
}

void TFSListItems::Delete(int index) {
  if (FList) {
    if (index < 0 || index >= static_cast<int>(FList->size())) return;
    TFSListItem* item = (*FList)[static_cast<size_t>(index)];
    FList->erase(FList->begin() + index);
    if (FOwnsObjects) delete item;
    Changed();
    return;
  }
  if (TFSListItem* item = GetItem(index)) item->Delete();
}

void TFSListItems::Extract(TFSListItem* item) {
  if (!item) return;
  if (FList) {
    FList->erase(std::remove(FList->begin(), FList->end(), item), FList->end());
    Changed();
    return;
  }
  if (!FOwner || !FOwner->HandleAllocated()) return;
  const int row = IndexOf(item);
  if (row < 0) return;
  LVITEMA info{};
  info.mask = LVIF_PARAM;
  info.iItem = row;
  info.lParam = 0;
  FOwner->Perform(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&info));
  FOwner->Perform(LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void TFSListItems::Clear() {
  if (FList) {
    if (FOwnsObjects) {
      FOwnsObjects = false;
      std::vector<TFSListItem*> items = *FList;
      for (auto it = items.rbegin(); it != items.rend(); ++it)
        if (!(*it)->FDeleting && *it != FScratch) delete *it;
      FList->clear();
      FOwnsObjects = true;
    } else {
      FList->clear();
    }
    Changed();
    return;
  }
  if (!FOwner) return;
  if (!FOwner->HandleAllocated()) {
    FOwner->FSavedItems.clear();
    FOwner->FHasSavedItems = false;
    return;
  }
  FOwner->Perform(LVM_DELETEALLITEMS);
}

void TFSListItems::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TFSListItems*>(source);
  if (!other) return TPersistent::Assign(source);
  BeginUpdate();
  try {
    Clear();
    const int count = other->Count();
    for (int i = 0; i < count; ++i) Add()->Assign(other->Item(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TFSListItems::BeginUpdate() {
  if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TFSListItems::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) SetUpdateState(false);
}

void TFSListItems::SetUpdateState(bool updating) {
  TFSCustomListView* view = FOwner;
  if (!view || !view->HandleAllocated()) return;
  TFSListColumns* columns = view->Columns();
  if (updating) {
    view->FSavedSortType = view->FSortType;
    view->FSortType = stNone;
    for (int i = 0; i < columns->Count(); ++i) {
      TFSListColumn* column = columns->Items(i);
      if (column->FWidth < 0) {
        column->FPrivateWidth = column->FWidth;
        column->FWidth = column->Width();
        if (column->FWidth < 0) column->FWidth = static_cast<int>(view->Perform(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i)));
      }
    }
    view->SetRedraw(false);
    if (view->ViewStyle() == vsReport && view->HeaderHandle()) SendMessageA(view->HeaderHandle(), WM_SETREDRAW, FALSE, 0);
    return;
  }
  if (FUpdateCount != 0) return;
  view->SetSortType(view->FSavedSortType);
  for (int i = 0; i < columns->Count(); ++i) {
    TFSListColumn* column = columns->Items(i);
    if (column->FPrivateWidth < 0) {
      column->SetWidth(column->FPrivateWidth);
      column->FPrivateWidth = 0;
    }
  }
  FFinishingUpdate = true;
  view->SetRedraw(true);
  Changed();
  view->Invalidate();
  FFinishingUpdate = false;
  if (view->ViewStyle() == vsReport && view->HeaderHandle()) {
    SendMessageA(view->HeaderHandle(), WM_SETREDRAW, TRUE, 0);
    view->InvalidateHeader();
  }
}

// Only the redraw flag: for moves, which keep the sort order and column widths as they are.
void TFSListItems::SetLightUpdate(bool updating) {
  if (updating) {
    if (FUpdateCount++ == 0 && FOwner) FOwner->SetRedraw(false);
    return;
  }
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FOwner) {
    FOwner->SetRedraw(true);
    FOwner->Invalidate();
  }
}

namespace {

thread_local const std::map<LPARAM, int>* g_rowOrder = nullptr;

int CompareByIndex(LPARAM a, LPARAM b, LPARAM) {
  auto at = [](LPARAM item) {
    auto it = g_rowOrder->find(item);
    return it == g_rowOrder->end() ? 0 : it->second;
  };
  return at(a) - at(b);
}

}  // namespace

// Re-orders the window's rows by their items' indexes. The indexes are read before the window
// starts sorting, so that the comparison never asks the window while it moves rows.
void TFSListItems::SortRowsByIndex() {
  if (!FOwner || FOwner->IsOwnerData() || !FOwner->HandleAllocated() || FList) return;
  std::map<LPARAM, int> order;
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = i;
    if (FOwner->Perform(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) order[item.lParam] = i;
  }
  const auto* saved = g_rowOrder;
  g_rowOrder = &order;
  FOwner->Perform(LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&CompareByIndex));
  g_rowOrder = saved;
}

void TFSListItems::Move(int curIndex, int newIndex) {
  if (FList) {
    const int count = static_cast<int>(FList->size());
    if (curIndex < 0 || curIndex >= count) return;
    if (newIndex < 0 || newIndex >= count) newIndex = count - 1;
    TFSListItem* item = (*FList)[static_cast<size_t>(curIndex)];
    FList->erase(FList->begin() + curIndex);
    FList->insert(FList->begin() + newIndex, item);
    Changed();
    return;
  }
  if (!FOwner) return;
  SetLightUpdate(true);
  FMoving = true;
  try {
    if (curIndex != newIndex) {
      TFSListItem* scratch = ScratchItem();
      TFSListItem* item = GetItem(curIndex);
      if (item && scratch) {
        scratch->FSubItems->Clear();
        scratch->Assign(item);
        scratch->FTag = item->FTag;
        scratch->FSmallImageIndex = item->FSmallImageIndex;
        scratch->FShowCheckbox = item->FShowCheckbox;
        Delete(curIndex);
        TFSListItem* moved = AddItem(nullptr, newIndex);
        moved->Assign(scratch);
        moved->FTag = scratch->FTag;
        moved->FSmallImageIndex = scratch->FSmallImageIndex;
        moved->FShowCheckbox = scratch->FShowCheckbox;
      }
    }
    SortRowsByIndex();
  } catch (...) {
    FMoving = false;
    SetLightUpdate(false);
    throw;
  }
  FMoving = false;
  SetLightUpdate(false);
}

void TFSListItems::MoveSelectedTo(int index) {
  if (!FOwner) return;
  BeginUpdate();
  FMoving = true;
  try {
    const bool atEnd = index > Count() - 1 || index == -1;
    std::vector<TFSListItem*> selected;
    for (TFSListItem* item = FOwner->GetNextItem(nullptr, sdAll, TFSItemStates{isSelected}); item;
         item = FOwner->GetNextItem(item, sdAll, TFSItemStates{isSelected})) {
      if (std::find(selected.begin(), selected.end(), item) != selected.end()) break;
      item->FIndexCache = item->GetIndex();
      selected.push_back(item);
    }
    if (!selected.empty()) {
      FOwner->ClearSelection();
      for (TFSListItem* item : selected) Extract(item);
      if (!atEnd)
        for (auto it = selected.rbegin(); it != selected.rend(); ++it)
          if ((*it)->FIndexCache < index) --index;
      if (atEnd) {
        for (TFSListItem* item : selected) AddItem(item, -1);
      } else {
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) AddItem(*it, index);
      }
      for (TFSListItem* item : selected) item->SetState(3, true);
    }
    SortRowsByIndex();
  } catch (...) {
    FMoving = false;
    EndUpdate();
    throw;
  }
  FMoving = false;
  EndUpdate();
}

TFSListItem* TFSListItems::ScratchItem() {
  if (!FScratch && FOwner) FScratch = FOwner->CreateListItem();
  return FScratch;
}

// ---- streaming -------------------------------------------------------------------------------

std::vector<TListItemRecord> TFSListItems::ToRecords() {
  std::vector<TListItemRecord> records;
  const int count = Count();
  records.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    if (TFSListItem* item = Item(i)) records.push_back(item->ToRecord());
  return records;
}

void TFSListItems::FromRecords(const std::vector<TListItemRecord>& records) {
  BeginUpdate();
  try {
    Clear();
    for (const TListItemRecord& record : records) Add()->FromRecord(record);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

namespace {

RawByteString ReadAll(TStream* stream) {
  const int64_t size = stream->Size() - stream->Position();
  RawByteString bytes(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

}  // namespace

// A damaged stream raises before anything is cleared, so the items already here stay.
void TFSListItems::ReadItemData(TStream* stream) {
  const RawByteString bytes = ReadAll(stream);
  FromRecords(ReadListItemData(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

void TFSListItems::ReadLegacyData(TStream* stream) {
  const RawByteString bytes = ReadAll(stream);
  FromRecords(ReadLegacyListItemData(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

void TFSListItems::WriteItemData(TStream* stream) {
  const RawByteString bytes = WriteListItemData(ToRecords());
  stream->WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

void TFSListItems::DefineProperties(TFiler* filer) {
  inherited::DefineProperties(filer);
  bool write = false;
  if (auto* ancestor = dynamic_cast<TFSListItems*>(filer->Ancestor())) {
    const int count = Count();
    write = ancestor->Count() != count;
    for (int i = 0; !write && i < count; ++i)
      write = !Item(i)->IsEqual(ancestor->Item(i));
  } else {
    write = Count() > 0;
  }
  filer->DefineBinaryProperty("Data", [this](TStream* stream) { ReadLegacyData(stream); }, nullptr, false);
  filer->DefineBinaryProperty(
      "ItemData", [this](TStream* stream) { ReadItemData(stream); },
      [this](TStream* stream) { WriteItemData(stream); }, write);
}
