#include "program/controls/FSListView.h"

#include <algorithm>

#include "platform/comctl/Header.h"
#if __has_include("platform/shell/FileInfo.h")
#include "platform/shell/FileInfo.h"
#define BRANTWELL_HAS_FILE_INFO 1
#endif
#include "program/skin/FSSkinEngine.h"
#include "program/skin/NCScrollBar.h"
#include "rtl/Strings.h"
#include "vcl/Colors.h"

using namespace platform;

namespace {

TFSListItem* MakeListItem(TFSListItems* owner) { return new TFSListItem(owner); }

// The system image lists, fetched once and shared (never destroyed here).
HIMAGELIST SystemImageList(bool small) {
  static HIMAGELIST lists[2] = {nullptr, nullptr};
  HIMAGELIST& list = lists[small ? 1 : 0];
#ifdef BRANTWELL_HAS_FILE_INFO
  if (!list) {
    SHFILEINFOA info{};
    list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("/", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : 0)));
  }
#endif
  return list;
}

}  // namespace

void TFSCustomListView::DescribeClass(TClassBuilder<TFSCustomListView>& c) { (void)c; }

TFSCustomListView::TFSCustomListView(TComponent* owner)
    : TCustomMultiSelectListControl(owner),
      FListColumns(std::make_unique<TFSListColumns>(this)),
      FListGroups(std::make_unique<TFSListGroups>(this)),
      FWorkAreas(std::make_unique<TFSWorkAreas>(this)),
      FIconOptions(std::make_unique<TFSIconOptions>(this)),
      FCanvas(std::make_unique<TCanvas>()),
      FHeaderCanvas(std::make_unique<TCanvas>()),
      FLargeChangeLink(std::make_unique<TChangeLink>()),
      FSmallChangeLink(std::make_unique<TChangeLink>()),
      FStateChangeLink(std::make_unique<TChangeLink>()),
      FGroupHeaderChangeLink(std::make_unique<TChangeLink>()) {
  SetBounds(Left(), Top(), 250, 150);
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
  FScrollBars = std::make_unique<TNCScrollBar>(this, SkinEngine);
  for (TChangeLink* link : {FLargeChangeLink.get(), FSmallChangeLink.get(), FStateChangeLink.get(),
                            FGroupHeaderChangeLink.get()})
    link->OnChange = TNotifyEvent([this](TObject* sender) { ImageListChange(sender); });
  UpdateHeaderSkin();
}

TFSCustomListView::~TFSCustomListView() {
  for (auto [list, link] : {std::pair{FLargeImages, FLargeChangeLink.get()}, std::pair{FSmallImages, FSmallChangeLink.get()},
                            std::pair{FStateImages, FStateChangeLink.get()},
                            std::pair{FGroupHeaderImages, FGroupHeaderChangeLink.get()}})
    if (list) list->UnRegisterChanges(link);
  delete FAnimate;
  FAnimate = nullptr;
  if (HandleAllocated()) {
    ++FRowsGoing;  // the window's own deletions free nothing: the collection frees below
    DestroyHandle();
    --FRowsGoing;
  }
  if (FCaretBitmap) DeleteObject(FCaretBitmap);
  FListItems.reset();
  FListGroups.reset();
  FListColumns.reset();
}

TFSListItems* TFSCustomListView::Items() const {
  if (!FListItems) FListItems = const_cast<TFSCustomListView*>(this)->CreateListItems();
  return FListItems.get();
}

TFSListItem* TFSCustomListView::CreateListItem() {
  TFSListItemFactory factory = &MakeListItem;
  if (OnCreateItemClass) OnCreateItemClass(this, factory);
  return factory(Items());
}

std::unique_ptr<TFSListItems> TFSCustomListView::CreateListItems() { return std::make_unique<TFSListItems>(this, true); }

// ---- window ----------------------------------------------------------------------------------

void TFSCustomListView::CreateParams(TCreateParams& params) {
  InitCommonControls();
  inherited::CreateParams(params);
  CreateSubClass(params, WC_LISTVIEWA);
  params.Style |= WS_CLIPCHILDREN | LVS_SHAREIMAGELISTS;
  static constexpr DWORD viewBits[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  params.Style |= viewBits[FViewStyle];
  if (FBorderStyle == bsSingle) params.Style |= WS_BORDER;
  if (FIconOptions->Arrangement() == iaLeft) params.Style |= LVS_ALIGNLEFT;
  if (!FReadOnly) params.Style |= LVS_EDITLABELS;
  if (!FMultiSelect) params.Style |= LVS_SINGLESEL;
  if (!FHideSelection) params.Style |= LVS_SHOWSELALWAYS;
  if (FIconOptions->AutoArrange()) params.Style |= LVS_AUTOARRANGE;
  if (!FIconOptions->WrapText()) params.Style |= LVS_NOLABELWRAP;
  if (!FShowColumnHeaders) params.Style |= LVS_NOCOLUMNHEADER;
  if (!FColumnClick) params.Style |= LVS_NOSORTHEADER;
  if (FOwnerData) params.Style |= LVS_OWNERDATA;
  if (FOwnerDraw) params.Style |= LVS_OWNERDRAWFIXED;
  if (FNoScroll) params.Style |= LVS_NOSCROLL;
  if (Ctl3D() && FBorderStyle == bsSingle) {
    params.Style &= ~WS_BORDER;
    params.ExStyle |= WS_EX_CLIENTEDGE;
  }
  params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
  params.WindowClass.style |= CS_DBLCLKS;
}

void TFSCustomListView::ResetExStyles() {
  if (!HandleAllocated()) return;
  DWORD styles = LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP;
  // In owner-data mode the control draws the boxes from the state each row's display
  // information reports.
  if (FCheckboxes) styles = FOwnerData ? styles | LVS_EX_CHECKBOXES : LVS_EX_CHECKBOXES;
  if (FGridLines) styles |= LVS_EX_GRIDLINES;
  if (FHotTrack) styles |= LVS_EX_TRACKSELECT;
  if (FRowSelect) styles |= LVS_EX_FULLROWSELECT;
  if (FFlatScrollBars) styles |= LVS_EX_FLATSB;
  if (FFullDrag) styles |= LVS_EX_HEADERDRAGDROP;
  if (FShowWorkAreas) styles |= LVS_EX_MULTIWORKAREAS;
  if (FBorderSelect) styles |= LVS_EX_BORDERSELECT;
  if (FHotTrackStyles.Contains(htHandPoint)) styles |= LVS_EX_ONECLICKACTIVATE;
  else if (FHotTrackStyles.Contains(htUnderlineCold) || FHotTrackStyles.Contains(htUnderlineHot))
    styles |= LVS_EX_TWOCLICKACTIVATE;
  if (FHotTrackStyles.Contains(htUnderlineHot)) styles |= LVS_EX_UNDERLINEHOT;
  if (FHotTrackStyles.Contains(htUnderlineCold)) styles |= LVS_EX_UNDERLINECOLD;
  if (FSysDoubleBuffered) styles |= LVS_EX_DOUBLEBUFFER;
  // The control makes its own check-box images into the state list: the program's state list
  // is put back afterwards.
  if (FStateImages) Perform(LVM_SETIMAGELIST, LVSIL_STATE, 0);
  Perform(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(styles));
  if (FStateImages) SendImageList(LVSIL_STATE, FStateImages);
}

void TFSCustomListView::CreateWnd() {
  inherited::CreateWnd();
  ResetExStyles();
  if (ParentBackground()) {
    Perform(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
    Perform(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
  } else {
    Perform(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
    Perform(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
  }
  Perform(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FFont->Color())));
  if (FAllocBy > 0) Perform(LVM_SETITEMCOUNT, static_cast<WPARAM>(FAllocBy), 0);
  if (FHoverTime != -1) Perform(LVM_SETHOVERTIME, 0, FHoverTime);
  if (!FHeaderHandle) {
    if (HWND header = reinterpret_cast<HWND>(Perform(LVM_GETHEADER))) SubclassHeader(header);
  }
  TFSListItems* items = Items();
  if (FHasSavedItems) {
    items->BeginUpdate();
    FReading = true;
    try {
      items->FromRecords(FSavedItems);
    } catch (...) {
      FReading = false;
      items->EndUpdate();
      throw;
    }
    FSavedItems.clear();
    FHasSavedItems = false;
    if (FOwnerData) items->SetCount(FSavedOwnerDataCount);
    if (FCheckboxes) RestoreCheckMarks();
    FReading = false;
    items->EndUpdate();
    if (FSavedSelected != -1) {
      if (TFSListItem* item = items->Item(FSavedSelected)) {
        item->SetSelected(true);
        item->MakeVisible(false);
      }
    }
  } else {
    if (FOwnerData && FSavedOwnerDataCount > 0) items->SetCount(FSavedOwnerDataCount);
    items->Changed();
  }
  FListColumns->UpdateCols();
  SendImageList(LVSIL_NORMAL, FLargeImages);
  SendImageList(LVSIL_SMALL, FSmallImages);
  SendImageList(LVSIL_STATE, FStateImages);
  SendImageList(LVSIL_GROUPHEADER, FGroupHeaderImages);
  DoAutoSize();
  Perform(LVM_ENABLEGROUPVIEW, FGroupView ? 1 : 0, 0);
  UpdateGroups();
  FScrollBars->AttachControl(this, false);
  UpdateSystemImages();
  UpdateItemSpacing();
  if (FWorkAreas->Count() > 0) FWorkAreas->Update(nullptr);
}

void TFSCustomListView::DestroyWnd() {
  if (ControlState().Contains(csRecreating)) {
    TFSListItems* items = Items();
    if (items->Count() > 0 && !items->HasInternalList()) {
      FSavedItems = items->ToRecords();
      FHasSavedItems = true;
      if (FCheckboxes) {
        FSavedChecks.clear();
        for (const TListItemRecord& record : FSavedItems) FSavedChecks.push_back(record.Checked);
        FHasSavedChecks = true;
      }
    }
    if (FOwnerData) FSavedOwnerDataCount = items->Count();
    TFSListItem* selected = Selected();
    FSavedSelected = selected ? selected->Index() : -1;
  }
  delete FAnimate;
  FAnimate = nullptr;
  FShowAnimate = false;
  ++FRowsGoing;  // the rows go with the window; the items are kept as records above
  try {
    inherited::DestroyWnd();
  } catch (...) {
    --FRowsGoing;
    throw;
  }
  --FRowsGoing;
}

void TFSCustomListView::DestroyWindowHandle() {
  DestroyInsertMarkCaret();
  SetAutoScroll(false);
  inherited::DestroyWindowHandle();
}

void TFSCustomListView::RecreateIfAllocated() {
  if (HandleAllocated()) RecreateWnd();
}

void TFSCustomListView::Loaded() {
  inherited::Loaded();
  if (HandleAllocated()) {
    Perform(LVM_ENABLEGROUPVIEW, FGroupView ? 1 : 0, 0);
    UpdateGroups();
  }
  UpdateHeaderSkin();
  ResolveProgressPart();
}

void TFSCustomListView::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FLargeImages) SetLargeImages(nullptr);
  if (component == FSmallImages) SetSmallImages(nullptr);
  if (component == FStateImages) SetStateImages(nullptr);
  if (component == FGroupHeaderImages) SetGroupHeaderImages(nullptr);
}

// ---- image lists -----------------------------------------------------------------------------

void TFSCustomListView::SendImageList(int which, TCustomImageList* list) {
  if (!HandleAllocated()) return;
  if ((which == static_cast<int>(LVSIL_NORMAL) || which == static_cast<int>(LVSIL_SMALL)) && !list && FSystemImages) return;
  Perform(LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(list ? list->Handle() : nullptr));
}

void TFSCustomListView::SetImageList(TCustomImageList*& field, TChangeLink* link, int which, TCustomImageList* value) {
  if (field == value) return;
  if (field) {
    field->UnRegisterChanges(link);
    field->RemoveFreeNotification(this);
  }
  field = value;
  if (field) {
    field->RegisterChanges(link);
    field->FreeNotification(this);
  }
  if (HandleAllocated()) {
    Perform(LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(value ? value->Handle() : nullptr));
    if (which == static_cast<int>(LVSIL_NORMAL) || which == static_cast<int>(LVSIL_SMALL)) UpdateSystemImages();
    Invalidate();
  }
}

void TFSCustomListView::SetLargeImages(TCustomImageList* value) {
  SetImageList(FLargeImages, FLargeChangeLink.get(), LVSIL_NORMAL, value);
}

void TFSCustomListView::SetSmallImages(TCustomImageList* value) {
  SetImageList(FSmallImages, FSmallChangeLink.get(), LVSIL_SMALL, value);
}

void TFSCustomListView::SetGroupHeaderImages(TCustomImageList* value) {
  SetImageList(FGroupHeaderImages, FGroupHeaderChangeLink.get(), LVSIL_GROUPHEADER, value);
}

void TFSCustomListView::SetStateImages(TCustomImageList* value) {
  if (FStateImages == value) return;
  const bool keepChecks = FCheckboxes && HandleAllocated();
  if (keepChecks) ReadCheckMarks();
  SetImageList(FStateImages, FStateChangeLink.get(), LVSIL_STATE, value);
  if (keepChecks) {
    if (!value) {
      // The control's own check boxes come back.
      SetCheckboxes(false);
      SetCheckboxes(true);
    } else {
      RestoreCheckMarks();
    }
  }
}

void TFSCustomListView::ImageListChange(TObject* sender) {
  if (!HandleAllocated()) return;
  if (sender == FLargeImages) SendImageList(LVSIL_NORMAL, FLargeImages);
  else if (sender == FSmallImages) SendImageList(LVSIL_SMALL, FSmallImages);
  else if (sender == FStateImages) SendImageList(LVSIL_STATE, FStateImages);
  else if (sender == FGroupHeaderImages) SendImageList(LVSIL_GROUPHEADER, FGroupHeaderImages);
}

void TFSCustomListView::SetSystemImages(bool value) {
  if (FSystemImages == value) return;
  FSystemImages = value;
  UpdateSystemImages();
}

void TFSCustomListView::UpdateSystemImages() {
  if (!HandleAllocated()) return;
  HIMAGELIST small = FSmallImages ? FSmallImages->Handle() : (FSystemImages ? SystemImageList(true) : nullptr);
  Perform(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
  HIMAGELIST large = FLargeImages ? FLargeImages->Handle() : (FSystemImages ? SystemImageList(false) : nullptr);
  Perform(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large));
}

// ---- properties ------------------------------------------------------------------------------

void TFSCustomListView::SetOwnerData(bool value) {
  if (FOwnerData == value) return;
  FOwnerData = value;
  RecreateIfAllocated();
}

void TFSCustomListView::SetRedraw(bool value) {
  FRedraw = value;
  if (HandleAllocated()) Perform(WM_SETREDRAW, value ? TRUE : FALSE, 0);
}

void TFSCustomListView::SetViewStyle(TViewStyle value) {
  if (FViewStyle == value && !HandleAllocated()) return;
  FViewStyle = value;
  if (!HandleAllocated()) return;
  static constexpr DWORD viewBits[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  const LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
  SetWindowLongPtrA(Handle(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | viewBits[value]);
  UpdateColumns();
  if (value == vsIcon || value == vsSmallIcon)
    Perform(LVM_ARRANGE, FIconOptions->Arrangement() == iaLeft ? LVA_ALIGNLEFT : LVA_ALIGNTOP, 0);
}

void TFSCustomListView::SetGroupView(bool value) {
  if (FGroupView == value) return;
  FGroupView = value;
  if (HandleAllocated()) Perform(LVM_ENABLEGROUPVIEW, value ? 1 : 0, 0);
}

void TFSCustomListView::SetShowWorkAreas(bool value) {
  if (FShowWorkAreas == value) return;
  FShowWorkAreas = value;
  ResetExStyles();
  Invalidate();
}

void TFSCustomListView::SetBorderStyle(TBorderStyle value) {
  if (FBorderStyle == value) return;
  FBorderStyle = value;
  RecreateIfAllocated();
}

void TFSCustomListView::SetBorderColor(TColor value) {
  if (FBorderColor == value) return;
  FBorderColor = value;
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

#define BRANTWELL_RECREATING_SETTER(Name, Field) \
  void TFSCustomListView::Set##Name(bool value) { \
    if (Field == value) return;                   \
    Field = value;                                \
    RecreateIfAllocated();                        \
  }
BRANTWELL_RECREATING_SETTER(ColumnClick, FColumnClick)
BRANTWELL_RECREATING_SETTER(ShowColumnHeaders, FShowColumnHeaders)
BRANTWELL_RECREATING_SETTER(HideSelection, FHideSelection)
BRANTWELL_RECREATING_SETTER(ReadOnly, FReadOnly)
BRANTWELL_RECREATING_SETTER(OwnerDraw, FOwnerDraw)
BRANTWELL_RECREATING_SETTER(NoScroll, FNoScroll)
BRANTWELL_RECREATING_SETTER(MultiSelect, FMultiSelect)
#undef BRANTWELL_RECREATING_SETTER

#define BRANTWELL_EXSTYLE_SETTER(Name, Field) \
  void TFSCustomListView::Set##Name(bool value) { \
    if (Field == value) return;                   \
    Field = value;                                \
    ResetExStyles();                              \
  }
BRANTWELL_EXSTYLE_SETTER(GridLines, FGridLines)
BRANTWELL_EXSTYLE_SETTER(HotTrack, FHotTrack)
BRANTWELL_EXSTYLE_SETTER(RowSelect, FRowSelect)
BRANTWELL_EXSTYLE_SETTER(FlatScrollBars, FFlatScrollBars)
BRANTWELL_EXSTYLE_SETTER(FullDrag, FFullDrag)
BRANTWELL_EXSTYLE_SETTER(SysDoubleBuffered, FSysDoubleBuffered)
#undef BRANTWELL_EXSTYLE_SETTER

void TFSCustomListView::SetHotTrackStyles(TListHotTrackStyles value) {
  if (FHotTrackStyles == value) return;
  FHotTrackStyles = value;
  ResetExStyles();
}

void TFSCustomListView::SetBorderSelect(bool value) {
  if (FBorderSelect == value) return;
  FBorderSelect = value;
  ResetExStyles();
  Invalidate();
}

void TFSCustomListView::SetCheckboxes(bool value) {
  if (FCheckboxes == value) return;
  if (!value && HandleAllocated()) ReadCheckMarks();
  FCheckboxes = value;
  ResetExStyles();
  if (value && HandleAllocated()) RestoreCheckMarks();
}

void TFSCustomListView::SetAllocBy(int value) {
  FAllocBy = value;
  if (HandleAllocated() && value > 0 && !FOwnerData) Perform(LVM_SETITEMCOUNT, static_cast<WPARAM>(value), 0);
}

int TFSCustomListView::HoverTime() {
  if (!HandleAllocated()) return FHoverTime;
  return static_cast<int>(Perform(LVM_GETHOVERTIME));
}

void TFSCustomListView::SetHoverTime(int value) {
  if (!HandleAllocated()) {
    FHoverTime = value;
    return;
  }
  Perform(LVM_SETHOVERTIME, 0, value);
}

void TFSCustomListView::SetSortType(TSortType value) {
  FSortType = value;
  if (((value == stData || value == stBoth) && OnCompare) || value == stText || value == stBoth) AlphaSort();
}

void TFSCustomListView::SetHeaderHeight(int value) {
  if (FHeaderHeight == value) return;
  FHeaderHeight = value;
  if (HandleAllocated() && Visible()) {
    // A size change makes the list lay its header out again.
    SetWindowPos(Handle(), nullptr, 0, 0, Width(), Height() + 1, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(Handle(), nullptr, 0, 0, Width(), Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  Invalidate();
}

void TFSCustomListView::SetOwnerDrawHeader(bool value) {
  FOwnerDrawHeader = value;
  InvalidateHeader();
}

void TFSCustomListView::SetProgressColumn(int value) {
  FProgressColumn = value < 1 ? -1 : value;
  Invalidate();
}

#define BRANTWELL_INVALIDATING_SETTER(Name, Type, Field) \
  void TFSCustomListView::Set##Name(Type value) {        \
    Field = value;                                       \
    Invalidate();                                        \
  }
BRANTWELL_INVALIDATING_SETTER(ProgLabelCenter, bool, FProgLabelCenter)
BRANTWELL_INVALIDATING_SETTER(ColLines, bool, FColLines)
BRANTWELL_INVALIDATING_SETTER(RowLines, bool, FRowLines)
BRANTWELL_INVALIDATING_SETTER(LinesColor, TColor, FLinesColor)
BRANTWELL_INVALIDATING_SETTER(LinesWidth, int, FLinesWidth)
#undef BRANTWELL_INVALIDATING_SETTER

void TFSCustomListView::SetShowSortMark(bool value) {
  FShowSortMark = value;
  InvalidateHeader();
}

// ---- list-control operations -----------------------------------------------------------------

int TFSCustomListView::GetCount() { return Items()->Count(); }

int TFSCustomListView::GetItemIndex() {
  TFSListItem* item = Selected();
  return item ? item->Index() : -1;
}

void TFSCustomListView::DoSetItemIndex(int value) {
  if (value < 0) {
    if (TFSListItem* item = Selected()) item->SetSelected(false);
    return;
  }
  if (!HandleAllocated()) return;
  LVITEMA state{};
  state.state = LVIS_SELECTED;
  state.stateMask = LVIS_SELECTED;
  Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(value), reinterpret_cast<LPARAM>(&state));
}

void TFSCustomListView::AddItem(const AnsiString& item, TObject* object) {
  TFSListItem* added = Items()->Add();
  added->SetCaption(item);
  added->SetData(reinterpret_cast<intptr_t>(object));
}

void TFSCustomListView::Clear() {
  Items()->BeginUpdate();
  try {
    Items()->Clear();
  } catch (...) {
    Items()->EndUpdate();
    throw;
  }
  Items()->EndUpdate();
}

void TFSCustomListView::ClearSelection() {
  if (!HandleAllocated()) return;
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED;
  Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

void TFSCustomListView::CopySelection(TCustomListControl* destination) {
  if (!destination) return;
  for (TFSListItem* item = GetNextItem(nullptr, sdAll, TFSItemStates{isSelected}); item;
       item = GetNextItem(item, sdAll, TFSItemStates{isSelected}))
    destination->AddItem(item->Caption(), reinterpret_cast<TObject*>(item->Data()));
}

void TFSCustomListView::DeleteSelected() {
  TFSListItems* items = Items();
  items->BeginUpdate();
  try {
    for (int i = items->Count() - 1; i >= 0; --i)
      if (TFSListItem* item = items->Item(i); item && item->Selected()) items->Delete(i);
  } catch (...) {
    items->EndUpdate();
    throw;
  }
  items->EndUpdate();
}

void TFSCustomListView::SelectAll() {
  if (!HandleAllocated()) return;
  LVITEMA state{};
  state.state = LVIS_SELECTED;
  state.stateMask = LVIS_SELECTED;
  Perform(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

int TFSCustomListView::GetSelCount() {
  return HandleAllocated() ? static_cast<int>(Perform(LVM_GETSELECTEDCOUNT)) : 0;
}

// ---- selection and lookup --------------------------------------------------------------------

TFSListItem* TFSCustomListView::ItemFromIndex(int index) { return index < 0 ? nullptr : Items()->Item(index); }

TFSListItem* TFSCustomListView::Selected() { return GetNextItem(nullptr, sdAll, TFSItemStates{isSelected}); }

void TFSCustomListView::SetSelected(TFSListItem* value) {
  if (value) {
    value->SetSelected(true);
    return;
  }
  while (TFSListItem* item = Selected()) {
    item->SetSelected(false);
    if (item->Selected()) break;
  }
}

TFSListItem* TFSCustomListView::DropTarget() {
  TFSListItem* item = GetNextItem(nullptr, sdAll, TFSItemStates{isDropHilited});
  return item ? item : FLastDropTarget;
}

void TFSCustomListView::SetDropTarget(TFSListItem* value) {
  if (!HandleAllocated()) return;
  if (value) {
    value->SetDropTarget(true);
  } else if (TFSListItem* current = GetNextItem(nullptr, sdAll, TFSItemStates{isDropHilited})) {
    current->SetDropTarget(false);
  }
}

TFSListItem* TFSCustomListView::GetItemAt(int x, int y) {
  if (!HandleAllocated()) return nullptr;
  LVHITTESTINFO info{};
  info.pt = POINT{x, y};
  const int row = static_cast<int>(Perform(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  return row >= 0 ? ItemFromIndex(row) : nullptr;
}

TFSListItem* TFSCustomListView::GetNearestItem(TPoint point, TSearchDirection direction) {
  if (!HandleAllocated()) return nullptr;
  static constexpr UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 0};
  LVFINDINFOA find{};
  find.flags = LVFI_NEARESTXY;
  find.pt = POINT{point.X, point.Y};
  find.vkDirection = keys[direction];
  return ItemFromIndex(static_cast<int>(Perform(LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find))));
}

TFSListItem* TFSCustomListView::GetNextItem(TFSListItem* startItem, TSearchDirection direction, TFSItemStates states) {
  if (!HandleAllocated()) return nullptr;
  static constexpr UINT directions[] = {LVNI_TOLEFT, LVNI_TORIGHT, LVNI_ABOVE, LVNI_BELOW, LVNI_ALL};
  UINT flags = directions[direction];
  if (states.Contains(isCut)) flags |= LVNI_CUT;
  if (states.Contains(isDropHilited)) flags |= LVNI_DROPHILITED;
  if (states.Contains(isFocused)) flags |= LVNI_FOCUSED;
  if (states.Contains(isSelected)) flags |= LVNI_SELECTED;
  const int start = startItem ? startItem->Index() : -1;
  return ItemFromIndex(static_cast<int>(Perform(LVM_GETNEXTITEM, static_cast<WPARAM>(start), static_cast<LPARAM>(flags))));
}

TFSListItem* TFSCustomListView::TopItem() {
  if (!HandleAllocated() || (FViewStyle != vsReport && FViewStyle != vsList)) return nullptr;
  return ItemFromIndex(static_cast<int>(Perform(LVM_GETTOPINDEX)));
}

namespace {

int CompareItems(LPARAM a, LPARAM b, LPARAM view) {
  auto* listView = reinterpret_cast<TFSCustomListView*>(view);
  auto* item1 = reinterpret_cast<TFSListItem*>(a);
  auto* item2 = reinterpret_cast<TFSListItem*>(b);
  if (listView->OnCompare) {
    int compare = 0;
    listView->OnCompare(listView, item1, item2, 0, compare);
    return compare;
  }
  if (!item1 || !item2) return 0;
  const int text = AnsiCompareText(item1->Caption(), item2->Caption());
  return text != 0 ? text : CompareStr(item1->Caption(), item2->Caption());
}

}  // namespace

bool TFSCustomListView::AlphaSort() {
  if (!HandleAllocated() || FOwnerData) return false;
  return Perform(LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&CompareItems)) != 0;
}

void TFSCustomListView::Arrange(UINT code) {
  if (HandleAllocated()) Perform(LVM_ARRANGE, code, 0);
}

void TFSCustomListView::UpdateItemSpacing() {
  int horizontal = 1, vertical = 1;
  if (HandleAllocated() && (FViewStyle == vsIcon || FViewStyle == vsSmallIcon)) {
    const auto spacing = static_cast<DWORD>(Perform(LVM_GETITEMSPACING, FViewStyle == vsSmallIcon ? 1 : 0, 0));
    horizontal = LOWORD(spacing);
    vertical = HIWORD(spacing);
  }
  FScrollBars->SetHorzScrollUnit(horizontal);
  FScrollBars->SetVertScrollUnit(vertical);
}

int TFSCustomListView::GetCountPerLine(bool vertical, int extraX, int extraY, bool partial) {
  if (!HandleAllocated()) return 0;
  if (FViewStyle != vsIcon && FViewStyle != vsSmallIcon) return static_cast<int>(Perform(LVM_GETCOUNTPERPAGE));
  UpdateItemSpacing();
  const TRect client = ClientRect();
  int cx = FScrollBars->HorzScrollUnit(), cy = FScrollBars->VertScrollUnit();
  if (cx == 0) cx = 1;
  if (cy == 0) cy = 1;
  int width = client.Width() + extraX, height = client.Height() + extraY;
  if (partial) {
    // An item of which at least a third shows counts.
    width += cx - cx / 3;
    height += cy - cy / 3;
  }
  const bool top = (FIconOptions->Arrangement() == iaTop) != vertical;
  return std::max(1, top ? width / cx : height / cy);
}

// ---- columns and groups to the window --------------------------------------------------------

void TFSCustomListView::UpdateColumns() {
  if (!HandleAllocated() || FUpdatingColumnOrder) return;
  for (int i = 0; i < FListColumns->Count(); ++i) UpdateColumn(i);
}

void TFSCustomListView::UpdateColumn(int index) {
  if (!HandleAllocated() || index < 0 || index >= FListColumns->Count()) return;
  TFSListColumn* column = FListColumns->Items(index);
  LVCOLUMNA info{};
  info.mask = LVCF_FMT | LVCF_TEXT | LVCF_IMAGE;
  AnsiString caption = column->Caption();
  info.pszText = caption.data();
  info.iImage = column->ImageIndex();
  if (index != 0) {
    TAlignment alignment = column->Alignment();
    if (UseRightToLeftReading()) {
      if (alignment == taLeftJustify) alignment = taRightJustify;
      else if (alignment == taRightJustify) alignment = taLeftJustify;
    }
    static constexpr int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
    info.fmt = formats[alignment];
  }
  if (column->ImageIndex() != -1) info.fmt |= LVCFMT_IMAGE | LVCFMT_COL_HAS_IMAGES;
  else info.mask &= ~LVCF_IMAGE;
  const int width = column->StoredWidth();
  if (width < 0) {
    Perform(LVM_SETCOLUMNA, static_cast<WPARAM>(column->OrderTag()), reinterpret_cast<LPARAM>(&info));
    if (FViewStyle == vsList) Perform(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(-1), width);
    else if (FViewStyle == vsReport && !FOwnerData)
      Perform(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column->OrderTag()), width);
  } else {
    info.mask |= LVCF_WIDTH;
    info.cx = width;
    Perform(LVM_SETCOLUMNA, static_cast<WPARAM>(column->OrderTag()), reinterpret_cast<LPARAM>(&info));
  }
}

void TFSCustomListView::UpdateGroup(int index) {
  if (!HandleAllocated() || index < 0 || index >= FListGroups->Count()) return;
  TFSListGroup* group = FListGroups->Items(index);
  Perform(LVM_REMOVEGROUP, static_cast<WPARAM>(group->GroupID()), 0);
  WideString header = UTF8ToWide(group->Header()), footer = UTF8ToWide(group->Footer());
  WideString subtitle = UTF8ToWide(group->Subtitle()), top = UTF8ToWide(group->TopDescription());
  WideString bottom = UTF8ToWide(group->BottomDescription());
  LVGROUP info{};
  info.cbSize = LVGROUP_V6_MINSIZE;
  info.mask = LVGF_STATE | LVGF_ALIGN | LVGF_TITLEIMAGE | LVGF_EXTENDEDIMAGE | LVGF_GROUPID;
  if (!header.empty()) {
    info.mask |= LVGF_HEADER;
    info.pszHeader = header.data();
    info.cchHeader = static_cast<int>(header.size());
  }
  if (!footer.empty()) {
    info.mask |= LVGF_FOOTER;
    info.pszFooter = footer.data();
    info.cchFooter = static_cast<int>(footer.size());
  }
  if (!subtitle.empty()) info.mask |= LVGF_SUBTITLE;
  info.pszSubtitle = subtitle.data();
  info.cchSubtitle = static_cast<UINT>(subtitle.size());
  if (!top.empty()) info.mask |= LVGF_DESCRIPTIONTOP;
  info.pszDescriptionTop = top.data();
  info.cchDescriptionTop = static_cast<UINT>(top.size());
  if (!bottom.empty()) info.mask |= LVGF_DESCRIPTIONBOTTOM;
  info.pszDescriptionBottom = bottom.data();
  info.cchDescriptionBottom = static_cast<UINT>(bottom.size());
  info.state = GroupStateBits(group->FState);
  info.stateMask = 0xFF;
  static constexpr UINT footerAlign[] = {LVGA_FOOTER_LEFT, LVGA_FOOTER_RIGHT, LVGA_FOOTER_CENTER};
  static constexpr UINT headerAlign[] = {LVGA_HEADER_LEFT, LVGA_HEADER_RIGHT, LVGA_HEADER_CENTER};
  info.uAlign = footerAlign[group->FooterAlign()] | headerAlign[group->HeaderAlign()];
  info.iTitleImage = group->TitleImage();
  info.iExtendedImage = group->ExtendedImage();
  info.iGroupId = group->GroupID();
  Perform(LVM_INSERTGROUP, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
}

void TFSCustomListView::UpdateGroups() {
  if (!HandleAllocated()) return;
  TFSListItems* items = Items();
  const int count = items->Count();
  std::vector<std::pair<TFSListItem*, int>> kept;
  kept.reserve(static_cast<size_t>(count));
  if (!FOwnerData)
    for (int i = 0; i < count; ++i)
      if (TFSListItem* item = items->Item(i)) {
        kept.emplace_back(item, item->GroupID());
        item->SetGroupID(-1);
      }
  for (int i = 0; i < FListGroups->Count(); ++i) UpdateGroup(i);
  for (auto& [item, id] : kept) item->SetGroupID(id);
}

void TFSCustomListView::DoAutoSize() {
  if (!HandleAllocated() || ComponentState().Contains(csLoading)) return;
  int remaining = ClientWidth();
  std::vector<TFSListColumn*> shared;
  for (int i = 0; i < FListColumns->Count(); ++i) {
    TFSListColumn* column = FListColumns->Items(i);
    if (column->AutoSize()) shared.push_back(column);
    else remaining -= column->Width();
  }
  if (shared.empty()) return;
  FListColumns->BeginUpdate();
  try {
    for (;;) {
      const int n = static_cast<int>(shared.size());
      // A share below nothing would hand the first column a negative width: the columns get
      // at least their smallest width, and never less than zero.
      const int share = std::max(remaining, 0) / n;
      const int extra = std::max(remaining, 0) % n;
      std::vector<int> given(shared.size());
      for (int i = n - 1; i >= 0; --i) {
        given[static_cast<size_t>(i)] = i == 0 ? share + extra : share;
        shared[static_cast<size_t>(i)]->SetWidth(std::max(given[static_cast<size_t>(i)], std::max(0, shared[static_cast<size_t>(i)]->MinWidth())));
      }
      bool left = false;
      for (int i = n - 1; i >= 0; --i) {
        TFSListColumn* column = shared[static_cast<size_t>(i)];
        if (column->StoredWidth() != given[static_cast<size_t>(i)]) {
          remaining -= column->StoredWidth();
          shared.erase(shared.begin() + i);
          left = true;
        }
      }
      if (shared.empty() || !left) break;
    }
  } catch (...) {
    FListColumns->EndUpdate();
    throw;
  }
  FListColumns->EndUpdate();
}

void TFSCustomListView::Resize() {
  inherited::Resize();
  CenterAnimation();
}

void TFSCustomListView::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (FClicked && !GetItemAt(x, y)) return;
  inherited::MouseUp(button, shift, x, y);
}

// ---- events ----------------------------------------------------------------------------------

namespace {

bool ChangeOfMask(UINT mask, TItemChange& change) {
  if (mask == LVIF_TEXT) change = ctText;
  else if (mask == LVIF_IMAGE) change = ctImage;
  else if (mask == LVIF_STATE) change = ctState;
  else return false;
  return true;
}

}  // namespace

bool TFSCustomListView::CanChange(TFSListItem* item, UINT change) {
  bool allow = true;
  TItemChange kind;
  if (ChangeOfMask(change, kind) && OnChanging) OnChanging(this, item, kind, allow);
  return allow;
}

void TFSCustomListView::Change(TFSListItem* item, UINT change) {
  TItemChange kind;
  if (ChangeOfMask(change, kind) && OnChange) OnChange(this, item, kind);
}

bool TFSCustomListView::CanEdit(TFSListItem* item) {
  bool allow = true;
  if (OnEditing) OnEditing(this, item, allow);
  return allow;
}

void TFSCustomListView::InsertItem(TFSListItem* item) {
  if (!Items()->Moving() && OnInsert) OnInsert(this, item);
}

void TFSCustomListView::ColClick(TFSListColumn* column) {
  if (OnColumnClick) OnColumnClick(this, column);
}

void TFSCustomListView::ColRightClick(TFSListColumn* column, TPoint point) {
  if (OnColumnRightClick) OnColumnRightClick(this, column, point);
}

void TFSCustomListView::GetImageIndex(TFSListItem* item) {
  if (OnGetImageIndex) OnGetImageIndex(this, item);
}

void TFSCustomListView::DoInfoTip(TFSListItem* item, AnsiString& infoTip) {
  if (OnInfoTip) OnInfoTip(this, item, infoTip);
}

void TFSCustomListView::DrawItem(TFSListItem* item, const TRect& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, item, rect, state);
    return;
  }
  FCanvas->FillRect(rect);
  if (item) FCanvas->TextOut(rect.Left + 2, rect.Top, item->Caption());
}

bool TFSCustomListView::OwnerDataFetch(TFSListItem* item, TItemRequest) {
  if (!OnData) return false;
  OnData(this, item);
  return true;
}

int TFSCustomListView::OwnerDataFind(TItemFind find, const AnsiString& findString, const TPoint& findPosition,
                                     void* findData, int startIndex, TSearchDirection direction, bool wrap) {
  int index = -1;
  if (OnDataFind) OnDataFind(this, find, findString, findPosition, findData, startIndex, direction, wrap, index);
  return index;
}

bool TFSCustomListView::OwnerDataHint(int startIndex, int endIndex) {
  if (!OnDataHint) return false;
  OnDataHint(this, startIndex, endIndex);
  return true;
}

bool TFSCustomListView::OwnerDataStateChange(int startIndex, int endIndex, TFSItemStates oldState,
                                             TFSItemStates newState) {
  if (!OnDataStateChange) return false;
  OnDataStateChange(this, startIndex, endIndex, oldState, newState);
  return true;
}

void TFSCustomListView::DoSortMarkChange(TFSListColumn* column) {
  if (OnSortMarkChange) OnSortMarkChange(column);
}
