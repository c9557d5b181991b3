#include "program/controls/FSPhotoView.h"

#include <cstdlib>

#include "platform/comctl/ListView.h"
#include "platform/ole/Ole.h"
#include "platform/user/DropFiles.h"
#include "vcl/Drag.h"

using namespace platform;

TFSListItem* TFSCustomPhotoView::MakePhotoItem(TFSListItems* owner) { return new TFSPhotoItem(owner); }

TFSCustomPhotoView::TFSCustomPhotoView(TComponent* owner)
    : TFSCustomListView(owner), FThumbImages(std::make_unique<TImageList>(nullptr)) {
  SetHideSelection(false);
  SetBorderSelect(true);
  IconOptions()->SetAutoArrange(true);
  SetSystemImages(true);
  CreateThumbImages();
  SetLargeImages(FThumbImages.get());
}

TFSCustomPhotoView::~TFSCustomPhotoView() {
  // The thread goes before the items and the image list it feeds.
  if (Items()) PhotoItems()->StopThread();
  // The window outlives this part of the view: its drop target and OLE go now.
  if (FDropTargetRegistered && HandleAllocated()) RevokeDragDrop(Handle());
  if (FOleInitialized) OleUninitialize();
  SetLargeImages(nullptr);
}

TFSListItem* TFSCustomPhotoView::CreateListItem() {
  TFSListItemFactory factory = &MakePhotoItem;
  if (OnCreateItemClass) OnCreateItemClass(this, factory);
  return factory(Items());
}

std::unique_ptr<TFSListItems> TFSCustomPhotoView::CreateListItems() {
  return std::make_unique<TFSPhotoList>(this, true);
}

TPoint TFSCustomPhotoView::GetThumbSize() const {
  static const int kSizes[] = {40, 80, 120, 160, 320};
  TPoint size = FThumbnailSize == tsCustom ? TPoint{FThumbWidth, FThumbHeight}
                                           : TPoint{kSizes[FThumbnailSize], kSizes[FThumbnailSize]};
  if (FThumbBorder) size = {size.X + 2, size.Y + 2};
  return size;
}

void TFSCustomPhotoView::CreateThumbImages() {
  const TPoint size = GetThumbSize();
  FThumbImages->Clear();
  if (size.X <= 0 || size.Y <= 0) return;
  FThumbImages->SetSize(size.X, size.Y);
}

void TFSCustomPhotoView::CreateWnd() {
  TFSCustomListView::CreateWnd();
  UpdateExStyles();
  Perform(LVM_SETINSERTMARKCOLOR, 0, 255);
  UpdateOutlineColor();
  if (FAcceptDropFiles) DragAcceptFiles(Handle(), TRUE);
  if (OnGetDropTarget) {
    IDropTarget* target = nullptr;
    if (OnGetDropTarget(nullptr, target) == S_OK && target) {
      // Drop targets need OLE on this thread; the view's start is undone with the window.
      FOleInitialized = SUCCEEDED(OleInitialize(nullptr));
      FDropTargetRegistered = SUCCEEDED(RegisterDragDrop(Handle(), target));
      target->Release();  // the registration keeps its own reference
      if (!FDropTargetRegistered && FOleInitialized) {
        OleUninitialize();
        FOleInitialized = false;
      }
    }
  }
}

void TFSCustomPhotoView::UpdateOutlineColor() {
  // The outline of the thumbnails that are not selected: the background hides it.
  if (HandleAllocated()) Perform(LVM_SETOUTLINECOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color())));
}

void TFSCustomPhotoView::SetHideLabels(bool value) {
  FHideLabels = value;
  UpdateExStyles();
}

void TFSCustomPhotoView::Resize() {
  TFSCustomListView::Resize();
  // Auto-arranged thumbnails move with the width: paint them all again.
  if (IconOptions()->AutoArrange() && HandleAllocated()) Invalidate();
}

void TFSCustomPhotoView::SetAcceptDropFiles(bool value) {
  FAcceptDropFiles = value;
  if (HandleAllocated()) DragAcceptFiles(Handle(), value);
}

void TFSCustomPhotoView::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
      // Whoever sets the whole style (the list view does on many changes), the view's own
      // bits follow its style, border selection and labels.
      if (message.WParam == 0)
        message.LParam = static_cast<LPARAM>((static_cast<DWORD>(message.LParam) &
                                              ~(LVS_EX_LABELTIP | LVS_EX_BORDERSELECT | LVS_EX_HIDELABELS)) |
                                             PhotoExStyles());
      break;
    case WM_DESTROY:
      if (FDropTargetRegistered) RevokeDragDrop(Handle());
      FDropTargetRegistered = false;
      if (FOleInitialized) OleUninitialize();
      FOleInitialized = false;
      PhotoItems()->StopThread();
      break;
    case CM_VISIBLECHANGED:
      TFSCustomListView::Dispatch(message);
      if (OnShowHide) OnShowHide(this);
      return;
    case CM_COLORCHANGED:
      TFSCustomListView::Dispatch(message);
      UpdateOutlineColor();
      return;
    default: break;
  }
  if (message.Msg == WM_DROPFILES) {
    auto drop = reinterpret_cast<HDROP>(message.WParam);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      // Each name read at its full length, however long.
      const UINT length = DragQueryFileW(drop, i, nullptr, 0);
      WideString name(length, u'\0');
      DragQueryFileW(drop, i, name.data(), length + 1);
      if (!OnCheckAddFile || OnCheckAddFile(this, name)) PhotoItems()->Add(name);
    }
    DragFinish(drop);
    message.Result = 0;
    return;
  }
  TFSCustomListView::Dispatch(message);
}

void TFSCustomPhotoView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TFSCustomListView::MouseDown(button, shift, x, y);
  FMousePressed = true;
  FMouseDownPoint = {x, y};
}

void TFSCustomPhotoView::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TFSCustomListView::MouseUp(button, shift, x, y);
  FMousePressed = false;
}

void TFSCustomPhotoView::MouseMove(TShiftState shift, int x, int y) {
  TFSCustomListView::MouseMove(shift, x, y);
  if (!FMousePressed || Mouse->IsDragging() || !shift.Contains(ssLeft) || shift.Contains(ssDouble)) return;
  if (!FCanChangeOrder && !FCanDragPhoto) return;
  const int threshold = Mouse->DragThreshold();
  if (DragMode() == dmManual &&
      (std::abs(x - FMouseDownPoint.X) > threshold || std::abs(y - FMouseDownPoint.Y) > threshold))
    BeginDrag(false, threshold);
}

void TFSCustomPhotoView::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
  if (!OnDragOver) TFSCustomListView::DragOver(source, x, y, state, accept);
  const TRect client = ClientRect();
  const bool inside = x >= client.Left && x < client.Right && y >= client.Top && y < client.Bottom;
  if (inside && state != dsDragLeave && Mouse->IsDragging() && FCanChangeOrder && source == this) {
    bool after = false;
    int index = GetInsertMarkIndex(x, y, after);
    if (!after && index > 0 && !GetItemAt(x, y)) {
      --index;
      after = true;
    }
    if (AutoScrolling()) index = -1;
    SetInsertMark(index, after);
    accept = true;
  } else if (state == dsDragLeave) {
    SetInsertMark(-1, false);
  }
  if (OnDragOver) TFSCustomListView::DragOver(source, x, y, state, accept);
}

void TFSCustomPhotoView::DragDrop(TObject* source, int x, int y) {
  if (source != this) {
    TFSCustomListView::DragDrop(source, x, y);
    return;
  }
  SetInsertMark(-1, false);
  const int selected = GetSelCount();
  if (selected > 0 && selected >= PhotoItems()->Count()) {
    TFSCustomListView::DragDrop(source, x, y);
    return;
  }
  bool after = false;
  int index = GetInsertMarkIndex(x, y, after);
  if (after) ++index;
  if (FCanChangeOrder && selected == 1) {
    const int from = Selected()->Index();
    // Only a move towards the end shifts the target: an item dropped just before itself stays.
    if (from < index) --index;
    ClearSelection();
    PhotoItems()->Move(from, index);
    if (index < 0 || index >= PhotoItems()->Count()) index = PhotoItems()->Count() - 1;
    Perform(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
    TFSListItem* item = PhotoItems()->GetItem(index);
    item->SetSelected(true);
    item->SetFocused(true);
    if (OnOrderChange) OnOrderChange(this);
    Invalidate();
  } else if (FCanChangeOrder && selected > 1) {
    PhotoItems()->BeginUpdate();
    PhotoItems()->MoveSelectedTo(index);
    Perform(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
    if (OnOrderChange) OnOrderChange(this);
    PhotoItems()->EndUpdate();
  }
  TFSCustomListView::DragDrop(source, x, y);
}

void TFSCustomPhotoView::DoEndDrag(TObject* target, int x, int y) {
  TFSCustomListView::DoEndDrag(target, x, y);  // the list view's drag image and auto-scroll end
  SetInsertMark(-1, false);
}

DWORD TFSCustomPhotoView::PhotoExStyles() const {
  DWORD styles = 0;
  if (FPhotoViewStyle == fvsReport) styles |= LVS_EX_LABELTIP;
  if (FPhotoViewStyle == fvsThumbnail && BorderSelect())
    styles |= LVS_EX_BORDERSELECT;
  if (FHideLabels) styles |= LVS_EX_HIDELABELS;
  return styles;
}

void TFSCustomPhotoView::UpdateExStyles() {
  if (!HandleAllocated()) return;
  // Dispatch puts the view's own bits in.
  Perform(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, Perform(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  UpdateOutlineColor();
  const TPoint size = GetThumbSize();
  if (FPhotoViewStyle == fvsThumbnail) Perform(LVM_SETICONSPACING, 0, MAKELPARAM(size.X + 17, size.Y + 34));
  else Perform(LVM_SETICONSPACING, 0, MAKELPARAM(0xFFFF, 0xFFFF));
  UpdateItemSpacing();
}

void TFSCustomPhotoView::GetImageIndex(TFSListItem* item) {
  if (auto* photo = dynamic_cast<TFSPhotoItem*>(item)) PhotoItems()->QueueThumb(photo, !IsOwnerData());
  TFSCustomListView::GetImageIndex(item);
}

void TFSCustomPhotoView::RebuildThumbnails(bool recreate) {
  PhotoItems()->StopThread();
  PhotoItems()->BeginUpdate();
  if (recreate) {
    // The window is handed the list again: a new size makes a new platform list.
    SetLargeImages(nullptr);
    CreateThumbImages();
    SetLargeImages(FThumbImages.get());
  }
  PhotoItems()->RebuildThumbs(recreate);
  PhotoItems()->EndUpdate();
  if (HandleAllocated()) Invalidate();
}

void TFSCustomPhotoView::SetPhotoViewStyle(TFSViewStyle value) {
  if (value == FPhotoViewStyle) return;
  const TFSViewStyle old = FPhotoViewStyle;
  FPhotoViewStyle = value;
  SetViewStyle(value == fvsThumbnail ? vsIcon : static_cast<TViewStyle>(static_cast<int>(value)));
  RebuildThumbnails(false);
  UpdateExStyles();
  if (value == fvsIcon && old == fvsThumbnail) {
    // The control lays out again when it passes through another style.
    SetViewStyle(vsSmallIcon);
    SetViewStyle(vsIcon);
  }
}

void TFSCustomPhotoView::SetThumbnailSize(int value) {
  const auto size = static_cast<TThumbnailSize>(value < 0 ? 0 : value > 5 ? 5 : value);
  if (size == FThumbnailSize) return;
  FThumbnailSize = size;
  if (OnThumbSizeChange) OnThumbSizeChange(this);
  UpdateExStyles();
  RebuildThumbnails(true);
}

void TFSCustomPhotoView::SetThumbWidth(int value) {
  if (value == FThumbWidth) return;
  FThumbWidth = value;
  UpdateExStyles();
  if (FThumbnailSize == tsCustom) RebuildThumbnails(true);
}

void TFSCustomPhotoView::SetThumbHeight(int value) {
  if (value == FThumbHeight) return;
  FThumbHeight = value;
  UpdateExStyles();
  if (FThumbnailSize == tsCustom) RebuildThumbnails(true);
}

void TFSCustomPhotoView::SetThumbBorder(bool value) {
  if (value == FThumbBorder) return;
  FThumbBorder = value;
  RebuildThumbnails(true);
}

void TFSCustomPhotoView::SetThumbBorderColor(TColor value) {
  if (value == FThumbBorderColor) return;
  FThumbBorderColor = value;
  Invalidate();
}

void TFSCustomPhotoView::SetThumbQuality(int value) {
  if (value < 0 || value > 7 || value == FThumbQuality) return;
  FThumbQuality = value;
  if (FThumbImages->Count() >= 2) RebuildThumbnails(false);
}

void TFSCustomPhotoView::SetIconMargins(const TRect& value) {
  if (value == FIconMargins) return;
  FIconMargins = value;
  if (FThumbImages->Count() > 0) RebuildThumbnails(false);
}
