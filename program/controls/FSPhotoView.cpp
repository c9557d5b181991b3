#include "program/controls/FSPhotoView.h"

#include "platform/comctl/ListView.h"

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
}

void TFSCustomPhotoView::UpdateExStyles() {
  if (!HandleAllocated()) return;
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
