#include "program/controls/FSListColumns.h"

#include <algorithm>
#include <vector>

#include "platform/comctl/ListView.h"
#include "program/controls/FSListView.h"
#include "rtl/Exceptions.h"
#include "rtl/Strings.h"
#include "vcl/Filer.h"
#include "vcl/Reader.h"
#include "vcl/Writer.h"

using namespace platform;

// ---- TFSListColumn ---------------------------------------------------------------------------

void TFSListColumn::DescribeClass(TClassBuilder<TFSListColumn>& c) {
  c.Property("Alignment", &TFSListColumn::Alignment, &TFSListColumn::SetAlignment).Default(taLeftJustify);
  c.Property("AutoSize", &TFSListColumn::AutoSize, &TFSListColumn::SetAutoSize).Default(0);
  c.Property("Caption", &TFSListColumn::Caption, &TFSListColumn::SetCaption);
  c.Property("ImageIndex", &TFSListColumn::ImageIndex, &TFSListColumn::SetImageIndex).Default(-1);
  c.Property("MaxWidth", &TFSListColumn::MaxWidth, &TFSListColumn::SetMaxWidth).Default(0);
  c.Property("MinWidth", &TFSListColumn::MinWidth, &TFSListColumn::SetMinWidth).Default(0);
  c.Property("Tag", &TFSListColumn::Tag, &TFSListColumn::SetTag).Default(0);
  c.Property("SortMark", &TFSListColumn::SortMark, &TFSListColumn::SetSortMark).Default(smsNone);
  c.Property("Width", &TFSListColumn::StoredWidth, &TFSListColumn::SetWidth)
      .Default(50)
      .Stored(&TFSListColumn::IsWidthStored);
}

TFSListColumn::TFSListColumn(TCollection* collection)
    : TCollectionItem(nullptr), FOrderTag(collection ? collection->Count() : 0) {
  SetCollection(collection);
  TFSCustomListView* view = View();
  if (view && view->HandleAllocated()) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH;
    column.cx = FWidth;
    view->Perform(LVM_INSERTCOLUMNA, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&column));
  }
}

TFSListColumn::~TFSListColumn() {
  TFSCustomListView* view = View();
  auto* columns = dynamic_cast<TFSListColumns*>(Collection());
  if (view && view->HandleAllocated()) view->Perform(LVM_DELETECOLUMN, static_cast<WPARAM>(Index()), 0);
  SetCollection(nullptr);
  if (columns && columns->UpdateCount() == 0) columns->UpdateCols();
}

TFSCustomListView* TFSListColumn::View() const {
  auto* columns = dynamic_cast<TFSListColumns*>(Collection());
  return columns ? columns->Owner() : nullptr;
}

void TFSListColumn::DefineProperties(TFiler* filer) {
  inherited::DefineProperties(filer);
  filer->DefineProperty(
      "WidthType", [this](TReader* reader) { FWidth = reader->ReadInteger(); },
      [this](TWriter* writer) { writer->WriteInteger(FWidth); }, FWidth < 0);
}

void TFSListColumn::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TFSListColumn*>(source);
  if (!other) return TPersistent::Assign(source);
  SetAlignment(other->Alignment());
  SetAutoSize(other->AutoSize());
  SetCaption(other->Caption());
  SetImageIndex(other->ImageIndex());
  SetMaxWidth(other->MaxWidth());
  SetMinWidth(other->MinWidth());
  SetWidth(other->Width());
}

AnsiString TFSListColumn::GetDisplayName() { return FCaption.empty() ? inherited::GetDisplayName() : FCaption; }

void TFSListColumn::SetIndex(int value) {
  inherited::SetIndex(value);
  TFSCustomListView* view = View();
  if (!view || !view->HandleAllocated()) return;
  std::vector<int> order;
  for (int i = 0; i < Collection()->Count(); ++i)
    order.push_back(static_cast<TFSListColumn*>(Collection()->Items(i))->FOrderTag);
  view->Perform(LVM_SETCOLUMNORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
}

int TFSListColumn::Width() {
  TFSCustomListView* view = View();
  if (FWidth == 0 || (!FAutoSize && view && view->HandleAllocated() && view->ViewStyle() == vsReport &&
                      FWidth != -1 && view->HeaderHandle())) {
    if (view && view->HandleAllocated())
      FWidth = static_cast<int>(view->Perform(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(FOrderTag), 0));
  }
  return FWidth;
}

void TFSListColumn::SetWidth(int value) {
  if (value < FMinWidth && value >= 0) value = FMinWidth;
  if (FMaxWidth >= 1 && value > FMaxWidth) value = FMaxWidth;
  FWidth = value;
  DoChange();
}

void TFSListColumn::DoChange() {
  bool allItems = false;
  for (int i = 0; Collection() && i < Collection()->Count(); ++i)
    if (static_cast<TFSListColumn*>(Collection()->Items(i))->FWidth < 0) allItems = true;
  Changed(allItems);
}

void TFSListColumn::SetCaption(const AnsiString& value) {
  FCaption = value;
  DoChange();
}

void TFSListColumn::SetImageIndex(int value) {
  FImageIndex = value;
  DoChange();
}

void TFSListColumn::SetMaxWidth(int value) {
  FMaxWidth = value;
  Changed(false);
}

void TFSListColumn::SetMinWidth(int value) {
  FMinWidth = value;
  Changed(false);
}

void TFSListColumn::SetAlignment(TAlignment value) {
  if (!Collection()) return;
  FAlignment = value;
  Changed(false);
  if (TFSCustomListView* view = View()) view->Repaint();
}

void TFSListColumn::SetAutoSize(bool value) {
  FAutoSize = value;
  if (TFSCustomListView* view = View()) view->DoAutoSize();
  DoChange();
}

void TFSListColumn::SetSortMark(TFSColumnSortStyle value) {
  if (FSortMark == value) return;
  FSortMark = value;
  TFSCustomListView* view = View();
  if (!view) return;
  view->InvalidateHeader();
  view->DoSortMarkChange(this);
}

void TFSListColumn::ToggleSortMark() { SetSortMark(FSortMark == smsAsc ? smsDesc : smsAsc); }

// ---- TFSListColumns --------------------------------------------------------------------------

TFSListColumns::TFSListColumns(TFSCustomListView* owner) : TCollection(TFSListColumn::StaticClass()), FOwner(owner) {}

TPersistent* TFSListColumns::GetOwner() { return FOwner; }

void TFSListColumns::ClearSortMarks(TFSListColumn* except) {
  for (int i = 0; i < Count(); ++i)
    if (Items(i) != except) Items(i)->SetSortMark(smsNone);
}

void TFSListColumns::Update(TCollectionItem* item) {
  if (!FOwner) return;
  if (!item) FOwner->UpdateColumns();
  else FOwner->UpdateColumn(item->Index());
}

void TFSListColumns::UpdateCols() {
  if (!FOwner || !FOwner->HandleAllocated()) return;
  BeginUpdate();
  const int windowColumns = FOwner->HeaderHandle()
                                ? static_cast<int>(SendMessageA(FOwner->HeaderHandle(), HDM_GETITEMCOUNT, 0, 0))
                                : Count();
  for (int i = std::max(windowColumns, Count()) - 1; i >= 0; --i)
    FOwner->Perform(LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
  for (int i = 0; i < Count(); ++i) {
    TFSListColumn* column = Items(i);
    LVCOLUMNA info{};
    info.mask = LVCF_FMT | LVCF_WIDTH;
    info.cx = column->FWidth;
    column->FOrderTag = i;
    FOwner->Perform(LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
  }
  // The end of the bracket sends every column's text, format and width (Update (nil)).
  EndUpdate();
}

// ---- TFSListGroup ----------------------------------------------------------------------------

void TFSListGroup::DescribeClass(TClassBuilder<TFSListGroup>& c) {
  c.Property("Header", &TFSListGroup::Header, &TFSListGroup::SetHeader);
  c.Property("Footer", &TFSListGroup::Footer, &TFSListGroup::SetFooter);
  c.Property("GroupID", &TFSListGroup::GroupID, &TFSListGroup::SetGroupID);
  c.Property("State", &TFSListGroup::State, &TFSListGroup::SetState);
  c.Property("HeaderAlign", &TFSListGroup::HeaderAlign, &TFSListGroup::SetHeaderAlign);
  c.Property("FooterAlign", &TFSListGroup::FooterAlign, &TFSListGroup::SetFooterAlign);
  c.Property("Subtitle", &TFSListGroup::Subtitle, &TFSListGroup::SetSubtitle);
  c.Property("Task", &TFSListGroup::Task, &TFSListGroup::SetTask);
  c.Property("TopDescription", &TFSListGroup::TopDescription, &TFSListGroup::SetTopDescription);
  c.Property("BottomDescription", &TFSListGroup::BottomDescription, &TFSListGroup::SetBottomDescription);
  c.Property("TitleImage", &TFSListGroup::TitleImage, &TFSListGroup::SetTitleImage);
  c.Property("ExtendedImage", &TFSListGroup::ExtendedImage, &TFSListGroup::SetExtendedImage);
  c.Property("SubsetTitle", &TFSListGroup::SubsetTitle, &TFSListGroup::SetSubsetTitle);
}

TFSListGroup::TFSListGroup(TCollection* collection) : TCollectionItem(nullptr) {
  if (auto* groups = dynamic_cast<TFSListGroups*>(collection)) FGroupID = groups->NextGroupID();
  SetCollection(collection);
  TFSCustomListView* view = View();
  if (view && view->HandleAllocated()) {
    LVGROUP group{};
    group.cbSize = LVGROUP_V6_MINSIZE;
    group.mask = LVGF_GROUPID | LVGF_STATE;
    group.iGroupId = FGroupID;
    view->Perform(LVM_INSERTGROUP, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&group));
  }
}

TFSListGroup::~TFSListGroup() {
  TFSCustomListView* view = View();
  auto* groups = dynamic_cast<TFSListGroups*>(Collection());
  if (view) {
    if (view->HandleAllocated()) view->Perform(LVM_REMOVEGROUP, static_cast<WPARAM>(FGroupID), 0);
    // Rows of a group that goes belong to none.
    TFSListItems* items = view->Items();
    const int count = items->Count();
    for (int i = 0; i < count; ++i)
      if (TFSListItem* item = items->Item(i); item && item->GroupID() == FGroupID) item->SetGroupID(-1);
  }
  SetCollection(nullptr);
  if (groups && view && view->HandleAllocated() && groups->UpdateCount() == 0 && !view->ComponentState().Contains(csDestroying)) {
    groups->BeginUpdate();
    view->UpdateGroups();
    groups->EndUpdate();
  }
}

TFSCustomListView* TFSListGroup::View() const {
  auto* groups = dynamic_cast<TFSListGroups*>(Collection());
  return groups ? groups->Owner() : nullptr;
}

void TFSListGroup::Changed() {
  TFSCustomListView* view = View();
  if (view && !view->ComponentState().Contains(csLoading)) view->UpdateGroups();
}

template <class T> void TFSListGroup::Store(T& field, const T& value) {
  if (field == value) return;
  field = value;
  Changed();
}

void TFSListGroup::SetHeader(const AnsiString& value) { Store(FHeader, value); }
void TFSListGroup::SetFooter(const AnsiString& value) { Store(FFooter, value); }
void TFSListGroup::SetState(TListGroupStateSet value) { Store(FState, value); }
void TFSListGroup::SetHeaderAlign(TAlignment value) { Store(FHeaderAlign, value); }
void TFSListGroup::SetFooterAlign(TAlignment value) { Store(FFooterAlign, value); }
void TFSListGroup::SetSubtitle(const AnsiString& value) { Store(FSubtitle, value); }
void TFSListGroup::SetTask(const AnsiString& value) { Store(FTask, value); }
void TFSListGroup::SetTopDescription(const AnsiString& value) { Store(FTopDescription, value); }
void TFSListGroup::SetBottomDescription(const AnsiString& value) { Store(FBottomDescription, value); }
void TFSListGroup::SetTitleImage(int value) { Store(FTitleImage, value); }
void TFSListGroup::SetExtendedImage(int value) { Store(FExtendedImage, value); }
void TFSListGroup::SetSubsetTitle(const AnsiString& value) { Store(FSubsetTitle, value); }

void TFSListGroup::SetGroupID(int value) {
  if (value == FGroupID) return;
  auto* groups = dynamic_cast<TFSListGroups*>(Collection());
  if (groups && groups->FindGroup(value)) return;
  TFSCustomListView* view = View();
  const bool loading = view && view->ComponentState().Contains(csLoading);
  std::vector<TFSListItem*> members;
  if (view) {
    TFSListItems* items = view->Items();
    const int count = items->Count();
    for (int i = 0; i < count; ++i)
      if (TFSListItem* item = items->Item(i); item && item->GroupID() == FGroupID) members.push_back(item);
    if (!loading && view->HandleAllocated()) view->Perform(LVM_REMOVEGROUP, static_cast<WPARAM>(FGroupID), 0);
  }
  FGroupID = value;
  if (view && !loading) view->UpdateGroups();
  for (TFSListItem* item : members) item->SetGroupID(value);
}

namespace {

constexpr std::pair<TListGroupState, UINT> kGroupStateBits[] = {
    {lgsHidden, LVGS_HIDDEN},       {lgsCollapsed, LVGS_COLLAPSED}, {lgsNoHeader, LVGS_NOHEADER},
    {lgsCollapsible, LVGS_COLLAPSIBLE}, {lgsFocused, LVGS_FOCUSED}, {lgsSelected, LVGS_SELECTED},
    {lgsSubseted, LVGS_SUBSETED},   {lgsSubSetLinkFocused, LVGS_SUBSETLINKFOCUSED}};

}  // namespace

UINT GroupStateBits(TListGroupStateSet state) {
  UINT bits = 0;
  for (const auto& [member, bit] : kGroupStateBits)
    if (state.Contains(member)) bits |= bit;
  return bits;
}

TListGroupStateSet TFSListGroup::State() {
  TFSCustomListView* view = View();
  if (!view || !view->HandleAllocated()) return FState;
  const auto bits = static_cast<UINT>(view->Perform(LVM_GETGROUPSTATE, static_cast<WPARAM>(FGroupID), static_cast<LPARAM>(-1)));
  // The window knows these; lgsNormal, lgsNoHeader and lgsCollapsible stay as stored.
  for (const auto& [member, bit] : kGroupStateBits) {
    if (member == lgsNoHeader || member == lgsCollapsible) continue;
    if (bits & bit) FState.Include(member);
    else FState.Exclude(member);
  }
  return FState;
}

void TFSListGroup::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TFSListGroup*>(source);
  if (!other) return TPersistent::Assign(source);
  SetHeader(other->Header());
  SetFooter(other->Footer());
  SetState(other->FState);
  SetHeaderAlign(other->HeaderAlign());
  SetFooterAlign(other->FooterAlign());
  SetSubtitle(other->Subtitle());
  SetTask(other->Task());
}

AnsiString TFSListGroup::GetDisplayName() { return FHeader.empty() ? inherited::GetDisplayName() : FHeader; }

// ---- TFSListGroups ---------------------------------------------------------------------------

TFSListGroups::TFSListGroups(TFSCustomListView* owner) : TCollection(TFSListGroup::StaticClass()), FOwner(owner) {}

TPersistent* TFSListGroups::GetOwner() { return FOwner; }

int TFSListGroups::NextGroupID() const {
  int id = 0;
  while (FindGroup(id)) ++id;
  return id;
}

TFSListGroup* TFSListGroups::FindGroup(int groupID) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->GroupID() == groupID) return Items(i);
  return nullptr;
}

void TFSListGroups::Update(TCollectionItem* item) {
  if (!FOwner) return;
  if (!item) FOwner->UpdateGroups();
  else FOwner->UpdateGroup(item->Index());
}

// ---- TFSWorkArea -----------------------------------------------------------------------------

void TFSWorkArea::DescribeClass(TClassBuilder<TFSWorkArea>& c) {
  c.Property("DisplayName", &TFSWorkArea::DisplayName, &TFSWorkArea::SetDisplayName);
  c.Property("Color", &TFSWorkArea::Color, &TFSWorkArea::SetColor).Default(clWindowText);
}

TFSWorkArea::TFSWorkArea(TCollection* collection) : TCollectionItem(collection) {}

void TFSWorkArea::SetRect(const TRect& value) {
  FRect = value;
  Changed(true);
}

void TFSWorkArea::SetDisplayName(const AnsiString& value) {
  FDisplayName = value;
  Changed(true);
}

TFSWorkAreas::TFSWorkAreas(TFSCustomListView* owner) : TOwnedCollection(owner, TFSWorkArea::StaticClass()), FView(owner) {}

void TFSWorkAreas::Update(TCollectionItem*) {
  if (!FView || !FView->HandleAllocated()) return;
  std::vector<RECT> rects;
  for (int i = 0; i < Count(); ++i) {
    const TRect& r = Items(i)->Rect();
    rects.push_back(RECT{r.Left, r.Top, r.Right, r.Bottom});
  }
  FView->Perform(LVM_SETWORKAREAS, rects.size(), reinterpret_cast<LPARAM>(rects.empty() ? nullptr : rects.data()));
  FView->Invalidate();
}

// ---- TFSIconOptions --------------------------------------------------------------------------

void TFSIconOptions::DescribeClass(TClassBuilder<TFSIconOptions>& c) {
  c.Property("Arrangement", &TFSIconOptions::Arrangement, &TFSIconOptions::SetArrangement).Default(iaTop);
  c.Property("AutoArrange", &TFSIconOptions::AutoArrange, &TFSIconOptions::SetAutoArrange).Default(0);
  c.Property("WrapText", &TFSIconOptions::WrapText, &TFSIconOptions::SetWrapText).Default(1);
}

TFSIconOptions::TFSIconOptions(TFSCustomListView* owner) : FListView(owner) {
  if (!owner) throw EInvalidOperation("Invalid owner");
}

void TFSIconOptions::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TFSIconOptions*>(source);
  if (!other) return TPersistent::Assign(source);
  SetArrangement(other->Arrangement());
  SetAutoArrange(other->AutoArrange());
  SetWrapText(other->WrapText());
}

void TFSIconOptions::SetArrangement(TIconArrangement value) {
  if (FArrangement == value) return;
  FArrangement = value;
  FListView->RecreateIfAllocated();
}

void TFSIconOptions::SetAutoArrange(bool value) {
  if (FAutoArrange == value) return;
  FAutoArrange = value;
  FListView->RecreateIfAllocated();
}

void TFSIconOptions::SetWrapText(bool value) {
  if (FWrapText == value) return;
  FWrapText = value;
  FListView->RecreateIfAllocated();
}
