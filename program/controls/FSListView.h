#pragma once

// TFSCustomListView: the program's list view, over the platform's "SysListView32". Rows are
// TFSListItem objects (FSListItems.h); report columns, groups, work areas and icon options are
// in FSListColumns.h. Beyond a plain list view it has: groups, a header painted from the skin
// (item "Header") with hot and pressed sections and sort arrows, a progress column drawn from a
// skin part, column lines, a transparent look, a one-colour border, skinned non-client scroll
// bars, a searching animation, an insert mark, auto-scroll while dragging, a custom in-place
// editor and sub-item editing, and check boxes that work in owner-data mode too.
//
// The code is split by concern: FSListView.cpp (window, styles, properties, selection,
// sorting), FSListViewNotify.cpp (notifications from the window and its header, display
// information, check boxes, clicks), FSListViewDraw.cpp (header paint, custom draw, progress
// cells, column lines, border, animation), FSListViewEdit.cpp (label editing, drag, auto-scroll,
// insert mark).
//
// Ownership: the view owns its items, columns, groups, work areas, icon options, header canvas
// and scroll bars; image lists are only referenced (with free notification). An editor window
// handed out by OnGetEditControl belongs to the view until the edit ends.
//
// GUI thread only.

#include <memory>

#include "platform/comctl/ListView.h"
#include "program/controls/FSListColumns.h"
#include "program/controls/FSListItems.h"
#include "program/skin/SkinItem.h"
#include "vcl/Canvas.h"
#include "vcl/ComboBox.h"
#include "vcl/ImageList.h"
#include "vcl/ListControl.h"
#include "vcl/StdCtrls.h"
#include "vcl/TreeView.h"

class TNCScrollBar;
class TAnimate;

BRANTWELL_ENUM(TViewStyle, vsIcon, vsSmallIcon, vsList, vsReport)
BRANTWELL_ENUM(TItemChange, ctText, ctImage, ctState)
BRANTWELL_ENUM(TSearchDirection, sdLeft, sdRight, sdAbove, sdBelow, sdAll)
BRANTWELL_ENUM(TItemFind, ifData, ifPartialString, ifExactString, ifNearest)
BRANTWELL_ENUM(TItemRequestItem, irText, irImage, irParam, irState, irIndent, irGroupID)
using TItemRequest = TSet<TItemRequestItem>;
BRANTWELL_ENUM(TCustomDrawTarget, dtControl, dtItem, dtSubItem)
BRANTWELL_ENUM(TCustomDrawStage, cdPrePaint, cdPostPaint, cdPreErase, cdPostErase)
BRANTWELL_ENUM(TListHotTrackStyle, htHandPoint, htUnderlineCold, htUnderlineHot)
using TListHotTrackStyles = TSet<TListHotTrackStyle>;

// Makes the item objects of a view (OnCreateItemClass may replace it).
using TFSListItemFactory = TFSListItem* (*)(TFSListItems* owner);

class TFSCustomListView;
using TFSLVDeletedEvent = TEvent<void(TObject* Sender, TFSListItem* Item)>;
using TFSLVChangeEvent = TEvent<void(TObject* Sender, TFSListItem* Item, TItemChange Change)>;
using TFSLVChangingEvent = TEvent<void(TObject* Sender, TFSListItem* Item, TItemChange Change, bool& AllowChange)>;
using TFSLVColumnClickEvent = TEvent<void(TObject* Sender, TFSListColumn* Column)>;
using TFSLVColumnRClickEvent = TEvent<void(TObject* Sender, TFSListColumn* Column, TPoint Point)>;
using TFSLVCompareEvent = TEvent<void(TObject* Sender, TFSListItem* Item1, TFSListItem* Item2, int Data, int& Compare)>;
using TFSLVCustomDrawEvent = TEvent<void(TFSCustomListView* Sender, const TRect& ARect, bool& DefaultDraw)>;
using TFSLVCustomDrawItemEvent =
    TEvent<void(TFSCustomListView* Sender, TFSListItem* Item, TCustomDrawState State, bool& DefaultDraw)>;
using TFSLVCustomDrawSubItemEvent = TEvent<void(TFSCustomListView* Sender, TFSListItem* Item, int SubItem,
                                                TCustomDrawState State, bool& DefaultDraw)>;
using TFSLVAdvancedCustomDrawEvent =
    TEvent<void(TFSCustomListView* Sender, const TRect& ARect, TCustomDrawStage Stage, bool& DefaultDraw)>;
using TFSLVAdvancedCustomDrawItemEvent = TEvent<void(TFSCustomListView* Sender, TFSListItem* Item,
                                                     TCustomDrawState State, TCustomDrawStage Stage, bool& DefaultDraw)>;
using TFSLVAdvancedCustomDrawSubItemEvent =
    TEvent<void(TFSCustomListView* Sender, TFSListItem* Item, int SubItem, TCustomDrawState State,
                TCustomDrawStage Stage, bool& DefaultDraw)>;
using TFSLVOwnerDataEvent = TEvent<void(TObject* Sender, TFSListItem* Item)>;
using TFSLVOwnerDataFindEvent =
    TEvent<void(TObject* Sender, TItemFind Find, const AnsiString& FindString, const TPoint& FindPosition,
                void* FindData, int StartIndex, TSearchDirection Direction, bool Wrap, int& Index)>;
using TFSLVOwnerDataHintEvent = TEvent<void(TObject* Sender, int StartIndex, int EndIndex)>;
using TFSLVOwnerDataStateChangeEvent =
    TEvent<void(TObject* Sender, int StartIndex, int EndIndex, TFSItemStates OldState, TFSItemStates NewState)>;
using TFSLVDrawItemEvent =
    TEvent<void(TFSCustomListView* Sender, TFSListItem* Item, TRect Rect, TOwnerDrawState State)>;
using TFSLVEditingEvent = TEvent<void(TObject* Sender, TFSListItem* Item, bool& AllowEdit)>;
using TFSLVEditedEvent = TEvent<void(TObject* Sender, TFSListItem* Item, AnsiString& S)>;
using TFSLVSubItemImageEvent = TEvent<void(TObject* Sender, TFSListItem* Item, int SubItem, int& ImageIndex)>;
using TFSLVGetEditControlEvent = TEvent<HWND(TObject* Sender)>;
using TFSLVInfoTipEvent = TEvent<void(TObject* Sender, TFSListItem* Item, AnsiString& InfoTip)>;
using TFSLVSelectItemEvent = TEvent<void(TObject* Sender, TFSListItem* Item, bool Selected)>;
using TFSLVCreateItemClassEvent = TEvent<void(TObject* Sender, TFSListItemFactory& ItemClass)>;
using TFSLVItemCheckedEvent = TEvent<void(TObject* Sender, TFSListItem* Item, bool Checked)>;

// The registered cursors of the view's drags (0 until StartListViewCursors ran).
struct TListViewCursors {
  TCursor DragMulti = 0;
  TCursor ScrollUp = 0;
  TCursor ScrollDown = 0;
  TCursor ScrollLeft = 0;
  TCursor ScrollRight = 0;
};
const TListViewCursors& ListViewCursors();
// Counted: the first start loads the five cursors, the last stop frees them.
void StartListViewCursors();
void StopListViewCursors();

class TFSCustomListView : public TCustomMultiSelectListControl {
  BRANTWELL_CLASS(TFSCustomListView, TCustomMultiSelectListControl)

 public:
  static constexpr UINT_PTR kAutoScrollTimer = 11;
  static constexpr int kAutoScrollZone = 40;

  explicit TFSCustomListView(TComponent* owner);
  ~TFSCustomListView() override;
  static void DescribeClass(TClassBuilder<TFSCustomListView>& c);

  // ---- rows and collections
  // Made on first use, through CreateListItems (so a descendant's collection class is used).
  TFSListItems* Items() const;
  void SetItems(TFSListItems* value) { FListItems->Assign(value); }
  TFSListColumns* Columns() const { return FListColumns.get(); }
  void SetColumns(TFSListColumns* value) { FListColumns->Assign(value); }
  TFSListGroups* Groups() const { return FListGroups.get(); }
  void SetGroups(TFSListGroups* value) { FListGroups->Assign(value); }
  TFSWorkAreas* WorkAreas() const { return FWorkAreas.get(); }
  TFSIconOptions* IconOptions() const { return FIconOptions.get(); }
  void SetIconOptions(TFSIconOptions* value) { FIconOptions->Assign(value); }

  // ---- list-control operations
  void AddItem(const AnsiString& item, TObject* object) override;
  void Clear() override;
  void ClearSelection() override;
  void CopySelection(TCustomListControl* destination) override;
  void DeleteSelected() override;
  void SelectAll() override;
  void SetMultiSelect(bool value) override;

  // ---- selection and lookup
  TFSListItem* Selected();
  void SetSelected(TFSListItem* value);
  TFSListItem* DropTarget();
  void SetDropTarget(TFSListItem* value);
  TFSListItem* GetItemAt(int x, int y);
  TFSListItem* GetNearestItem(TPoint point, TSearchDirection direction);
  TFSListItem* GetNextItem(TFSListItem* startItem, TSearchDirection direction, TFSItemStates states);
  TFSListItem* TopItem();
  bool AlphaSort();
  void Arrange(UINT code);
  int GetCountPerLine(bool vertical = false, int extraX = 0, int extraY = 0, bool partial = false);
  void UpdateItemSpacing();
  void UpdateSystemImages();
  void UpdateColumns();
  void UpdateColumn(int index);
  void UpdateGroups();
  void UpdateGroup(int index);
  // Shares the free client width among the auto-size columns.
  void DoAutoSize();

  // ---- properties
  bool GroupView() const { return FGroupView; }
  void SetGroupView(bool value);
  bool ShowWorkAreas() const { return FShowWorkAreas; }
  void SetShowWorkAreas(bool value);
  TViewStyle ViewStyle() const { return FViewStyle; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  bool ColumnClick() const { return FColumnClick; }
  void SetColumnClick(bool value);
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool value);
  bool AllowColumnResize() const { return FAllowColumnResize; }
  void SetAllowColumnResize(bool value) { FAllowColumnResize = value; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool value);
  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool value);
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool value);
  bool FlatScrollBars() const { return FFlatScrollBars; }
  void SetFlatScrollBars(bool value);
  bool FullDrag() const { return FFullDrag; }
  void SetFullDrag(bool value);
  TListHotTrackStyles HotTrackStyles() const { return FHotTrackStyles; }
  void SetHotTrackStyles(TListHotTrackStyles value);
  bool BorderSelect() const { return FBorderSelect; }
  void SetBorderSelect(bool value);
  bool SysDoubleBuffered() const { return FSysDoubleBuffered; }
  void SetSysDoubleBuffered(bool value);
  bool NoScroll() const { return FNoScroll; }
  void SetNoScroll(bool value);
  int AllocBy() const { return FAllocBy; }
  void SetAllocBy(int value);
  int HoverTime();
  void SetHoverTime(int value);
  TSortType SortType() const { return FSortType; }
  void SetSortType(TSortType value);
  TCustomImageList* SmallImages() const { return FSmallImages; }
  void SetSmallImages(TCustomImageList* value);
  TCustomImageList* StateImages() const { return FStateImages; }
  void SetStateImages(TCustomImageList* value);
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* value);
  TCustomImageList* GroupHeaderImages() const { return FGroupHeaderImages; }
  void SetGroupHeaderImages(TCustomImageList* value);
  bool SystemImages() const { return FSystemImages; }
  void SetSystemImages(bool value);
  bool Transparent() const { return ParentBackground(); }
  void SetTransparent(bool value) { SetParentBackground(value); }
  int HeaderHeight() const { return FHeaderHeight; }
  void SetHeaderHeight(int value);
  bool OwnerDrawHeader() const { return FOwnerDrawHeader; }
  void SetOwnerDrawHeader(bool value);
  int ProgressColumn() const { return FProgressColumn; }
  void SetProgressColumn(int value);
  bool ProgLabelCenter() const { return FProgLabelCenter; }
  void SetProgLabelCenter(bool value);
  bool ColLines() const { return FColLines; }
  void SetColLines(bool value);
  bool RowLines() const { return FRowLines; }
  void SetRowLines(bool value);
  TColor LinesColor() const { return FLinesColor; }
  void SetLinesColor(TColor value);
  int LinesWidth() const { return FLinesWidth; }
  void SetLinesWidth(int value);
  bool ShowAnimate() const { return FShowAnimate; }
  void SetShowAnimate(bool value);
  bool ShowSortMark() const { return FShowSortMark; }
  void SetShowSortMark(bool value);
  int EditSubItem() const { return FEditSubItem; }
  void SetEditSubItem(int value) { FEditSubItem = value; }
  TCanvas* Canvas() const { return FCanvas.get(); }
  HWND HeaderHandle() const { return FHeaderHandle; }
  bool RedrawEnabled() const { return FRedraw; }
  bool IsOwnerData() const { return FOwnerData; }
  // The header's hot and pressed display positions (-1: none).
  int HotSection() const { return FHotSection; }
  int PressedSection() const { return FPressedSection; }

  // Skin of the header and of progress cells.
  AnsiString HeaderSkinName = "Header";
  AnsiString ProgressSkinName;
  int ProgressSkinPartIndex = 0;
  void UpdateHeaderSkin();
  void InvalidateHeader();
  // Paints the whole header into `dc` (client coordinates of the header).
  void PaintHeader(HDC dc);

  // ---- editing, drag, insert mark
  void EndEdit(bool save);
  bool IsEditing() const { return FEditingIndex != -1; }
  HWND EditWindow() const { return FEditHandle; }
  void SetInsertMark(int index, bool after);
  int GetInsertMarkIndex(int x, int y, bool& after);
  int InsertMarkIndex() const { return FInsertMarkIndex; }
  bool InsertMarkCaretShown() const { return FCaretShown; }
  // The auto-scroll zone test of a drag at (x, y): whether the point is in a zone; sets the
  // deltas and the drag cursor.
  bool UpdateAutoScroll(int x, int y);
  void SetAutoScroll(bool value);
  bool AutoScrolling() const { return FAutoScrollTimer != 0; }
  TPoint AutoScrollDelta() const { return TPoint{FScrollDeltaX, FScrollDeltaY}; }
  void DestroyInsertMarkCaret();

  // ---- events
  TFSLVAdvancedCustomDrawEvent OnAdvancedCustomDraw;
  TFSLVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;
  TFSLVAdvancedCustomDrawSubItemEvent OnAdvancedCustomDrawSubItem;
  TFSLVChangeEvent OnChange;
  TFSLVChangingEvent OnChanging;
  TFSLVColumnClickEvent OnColumnClick;
  TNotifyEvent OnColumnDragged;
  TFSLVColumnRClickEvent OnColumnRightClick;
  TFSLVCompareEvent OnCompare;
  TFSLVCustomDrawEvent OnCustomDraw;
  TFSLVCustomDrawItemEvent OnCustomDrawItem;
  TFSLVCustomDrawSubItemEvent OnCustomDrawSubItem;
  TFSLVOwnerDataEvent OnData;
  TFSLVOwnerDataFindEvent OnDataFind;
  TFSLVOwnerDataHintEvent OnDataHint;
  TFSLVOwnerDataStateChangeEvent OnDataStateChange;
  TFSLVDeletedEvent OnDeletion;
  TFSLVDrawItemEvent OnDrawItem;
  TFSLVEditedEvent OnEdited;
  TFSLVEditingEvent OnEditing;
  TFSLVDeletedEvent OnGetImageIndex;
  TFSLVSubItemImageEvent OnGetSubItemImage;
  TFSLVGetEditControlEvent OnGetEditControl;
  TFSLVInfoTipEvent OnInfoTip;
  TFSLVDeletedEvent OnInsert;
  TFSLVSelectItemEvent OnSelectItem;
  TNotifyEvent OnEmptyLabelClick;
  TFSLVCreateItemClassEvent OnCreateItemClass;
  TFSLVItemCheckedEvent OnItemChecked;
  TNotifyEvent OnSortMarkChange;  // Sender: the column
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

  void Dispatch(TMessage& message) override;
  void WndProc(TMessage& message) override;

  // ---- hooks for descendants
  virtual void SetViewStyle(TViewStyle value);
  virtual void GetImageIndex(TFSListItem* item);
  virtual void GetDispInfo(TFSListItem* item, platform::LVITEMA& info);
  virtual TFSListItem* CreateListItem();
  virtual std::unique_ptr<TFSListItems> CreateListItems();
  virtual bool CustomDraw(const TRect& rect, TCustomDrawStage stage);
  virtual bool CustomDrawItem(TFSListItem* item, TCustomDrawState state, TCustomDrawStage stage);
  virtual bool CustomDrawSubItem(TFSListItem* item, int subItem, TCustomDrawState state, TCustomDrawStage stage);
  virtual void DoInfoTip(TFSListItem* item, AnsiString& infoTip);
  virtual void DrawItem(TFSListItem* item, const TRect& rect, TOwnerDrawState state);
  virtual bool OwnerDataFetch(TFSListItem* item, TItemRequest request);
  virtual int OwnerDataFind(TItemFind find, const AnsiString& findString, const TPoint& findPosition, void* findData,
                            int startIndex, TSearchDirection direction, bool wrap);
  virtual bool OwnerDataHint(int startIndex, int endIndex);
  virtual bool OwnerDataStateChange(int startIndex, int endIndex, TFSItemStates oldState, TFSItemStates newState);
  virtual bool IsCustomDrawn(TCustomDrawTarget target, TCustomDrawStage stage);
  virtual void DoSortMarkChange(TFSListColumn* column);

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void DestroyWnd() override;
  void PaintWindow(HDC dc) override;
  int GetCount() override;
  int GetItemIndex() override;
  void DoSetItemIndex(int value) override;
  int GetSelCount() override;
  void Resize() override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

  virtual bool CanChange(TFSListItem* item, UINT change);
  virtual void Change(TFSListItem* item, UINT change);
  virtual bool CanEdit(TFSListItem* item);
  virtual void Edit(const platform::LVITEMA& item);
  virtual void Delete(TFSListItem* item);
  virtual void InsertItem(TFSListItem* item);
  virtual void ColClick(TFSListColumn* column);
  virtual void ColRightClick(TFSListColumn* column, TPoint point);
  virtual LRESULT EditWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

  void SetOwnerData(bool value);
  void SetRedraw(bool value);
  void ResetExStyles();

  // Drag hooks (the drag manager calls these).
  virtual void DoStartDrag();
  virtual void DoEndDrag();
  virtual void ListDragOver(TObject* source, int x, int y, TDragState state, bool& accept);

 private:
  friend class TFSListItem;
  friend class TFSListItems;
  friend class TSubItems;
  friend class TFSListColumn;
  friend class TFSListColumns;
  friend class TFSListGroup;
  friend class TFSListGroups;
  friend class TFSWorkAreas;
  friend class TFSIconOptions;

  // Notifications (FSListViewNotify.cpp).
  void CNNotify(TWMNotify& m);
  void HeaderNotify(TWMNotify& m);
  TFSListItem* NotifyItem(const platform::LVITEMA& info);
  TFSListItem* ItemOfRow(int row, int subItem, const platform::LVITEMA* request);
  bool CheckBoxClick(TWMMouse& m);
  void LeftButtonDown(TMessage& m);
  void CustomDrawNotify(TWMNotify& m);
  void ReadCheckMarks();
  void RestoreCheckMarks();
  void HintShow(TMessage& m);

  // Drawing (FSListViewDraw.cpp).
  static LRESULT HeaderProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HeaderWndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT CallHeaderDefault(UINT msg, WPARAM wParam, LPARAM lParam);
  void SubclassHeader(HWND header);
  void DrawHeaderSection(TFSListColumn* column, const TRect& client, const TRect& section, int position, bool first,
                         bool last);
  void DrawSectionCaption(TFSListColumn* column, const TRect& section);
  void DrawSortArrow(bool up, const TRect& rect);
  void DrawColumnLines(TCustomDrawStage stage);
  void DrawWorkAreas(HDC dc);
  TColor GetItemTextColor(TFSListItem* item);
  int SectionAt(int x);
  void SetHotSection(int value);
  void SetPressedSection(int value);
  void TakeOverColumnOrder();
  void ResolveProgressPart();
  void NCPaint(TMessage& m);
  void PrintWindow(TMessage& m);
  void CenterAnimation();

  // Editing and drag (FSListViewEdit.cpp).
  static LRESULT EditProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT EditLabel(WPARAM row, LPARAM text);
  LRESULT GetEditControl();
  void BeginLabelEdit(TWMNotify& m, platform::NMLVDISPINFOA* info);
  void EndLabelEdit(platform::NMLVDISPINFOA* info);
  void PlaceEditor(WINDOWPOS* pos);
  void AutoScrollTimer();
  void CreateCaretBitmap();

  void ImageListChange(TObject* sender);
  void SendImageList(int which, TCustomImageList* list);
  void SetImageList(TCustomImageList*& field, TChangeLink* link, int which, TCustomImageList* value);
  void RecreateIfAllocated();
  TFSListItem* ItemFromIndex(int index);

  mutable std::unique_ptr<TFSListItems> FListItems;
  std::unique_ptr<TFSListColumns> FListColumns;
  std::unique_ptr<TFSListGroups> FListGroups;
  std::unique_ptr<TFSWorkAreas> FWorkAreas;
  std::unique_ptr<TFSIconOptions> FIconOptions;
  std::unique_ptr<TCanvas> FCanvas;
  std::unique_ptr<TCanvas> FHeaderCanvas;
  std::unique_ptr<TChangeLink> FLargeChangeLink;
  std::unique_ptr<TChangeLink> FSmallChangeLink;
  std::unique_ptr<TChangeLink> FStateChangeLink;
  std::unique_ptr<TChangeLink> FGroupHeaderChangeLink;
  std::unique_ptr<TNCScrollBar> FScrollBars;
  TAnimate* FAnimate = nullptr;

  TCustomImageList* FLargeImages = nullptr;
  TCustomImageList* FSmallImages = nullptr;
  TCustomImageList* FStateImages = nullptr;
  TCustomImageList* FGroupHeaderImages = nullptr;
  bool FGroupView = false;
  bool FShowWorkAreas = false;
  TViewStyle FViewStyle = vsIcon;
  TBorderStyle FBorderStyle = bsSingle;
  TColor FBorderColor = clWindowFrame;
  bool FColumnClick = true;
  bool FShowColumnHeaders = true;
  bool FAllowColumnResize = true;
  bool FHideSelection = true;
  bool FReadOnly = false;
  bool FOwnerDraw = false;
  bool FCheckboxes = false;
  bool FGridLines = false;
  bool FHotTrack = false;
  bool FRowSelect = false;
  bool FFlatScrollBars = false;
  bool FFullDrag = false;
  TListHotTrackStyles FHotTrackStyles;
  bool FBorderSelect = false;
  bool FSysDoubleBuffered = true;
  bool FNoScroll = false;
  int FAllocBy = 0;
  int FHoverTime = -1;
  TSortType FSortType = stNone;
  bool FSystemImages = false;
  int FHeaderHeight = -1;
  bool FOwnerDrawHeader = true;
  int FProgressColumn = -1;
  bool FProgLabelCenter = true;
  bool FColLines = false;
  bool FRowLines = false;
  TColor FLinesColor = static_cast<TColor>(0xEDEDED);
  int FLinesWidth = 1;
  bool FShowAnimate = false;
  bool FShowSortMark = false;
  int FEditSubItem = 0;

  bool FOwnerData = false;
  bool FRedraw = true;
  bool FClicked = false;
  bool FRClicked = false;
  int FDragIndex = -1;
  TFSListItem* FLastDropTarget = nullptr;
  TFSListItem* FOwnerDataItem = nullptr;
  // Kept while the window is made again.
  std::vector<TListItemRecord> FSavedItems;
  bool FHasSavedItems = false;
  std::vector<bool> FSavedChecks;
  bool FHasSavedChecks = false;
  int FSavedOwnerDataCount = 0;
  int FSavedSelected = -1;
  bool FReading = false;
  TSortType FSavedSortType = stNone;
  // Set while the window itself removes rows (its deletion notifications): the items freed
  // then must not ask it to delete their rows again.
  int FRowsGoing = 0;
  // Inside OnData: what the owner sets on the item is only stored.
  int FFetching = 0;

  // Header.
  HWND FHeaderHandle = nullptr;
  WNDPROC FDefHeaderProc = nullptr;
  TSkinItem* FHeaderSkin = nullptr;
  TSkinItemPart* FProgressPart = nullptr;
  int FHotSection = -1;
  int FPressedSection = -1;
  bool FUpdatingColumnOrder = false;

  // Editing.
  bool FCustomEditor = false;
  HWND FEditHandle = nullptr;
  WNDPROC FDefEditProc = nullptr;
  TFSListItem* FEditingItem = nullptr;
  int FEditingIndex = -1;

  // Drag, auto-scroll and insert mark.
  TCursor FSavedDragCursor = 0;
  int FScrollDeltaX = 0;
  int FScrollDeltaY = 0;
  UINT_PTR FAutoScrollTimer = 0;
  bool FAutoScrollFlag = false;
  bool FCaretCreated = false;
  bool FCaretShown = false;
  HBITMAP FCaretBitmap = nullptr;
  int FInsertMarkIndex = -1;
};
