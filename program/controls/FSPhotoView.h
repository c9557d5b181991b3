#pragma once

// TFSCustomPhotoView: the thumbnail list. A skinned list view whose thumbnail style shows
// every item as a picture the thumbnail thread draws (PhotoItems.h) into the view's image list
// of thumbnail size: image 0 is the error thumbnail, image 1 the empty one, every other image
// one item's. Thumbnails are built when the list control asks for an item's image.
//
// GUI thread only.

#include <memory>

#include "program/controls/FSListView.h"
#include "program/controls/PhotoItems.h"
#include "vcl/ImageList.h"

BRANTWELL_ENUM(TFSViewStyle, fvsIcon, fvsSmallIcon, fvsList, fvsReport, fvsThumbnail)
// The sizes are square: ts40x30 gives 40 x 40 (and so on); tsCustom is ThumbWidth x ThumbHeight.
BRANTWELL_ENUM(TThumbnailSize, ts40x30, ts80x60, ts120x90, ts160x120, ts320x240, tsCustom)

class TFSCustomPhotoView : public TFSCustomListView {
  BRANTWELL_CLASS(TFSCustomPhotoView, TFSCustomListView)

 public:
  explicit TFSCustomPhotoView(TComponent* owner);
  ~TFSCustomPhotoView() override;

  TFSPhotoList* PhotoItems() const { return static_cast<TFSPhotoList*>(Items()); }
  TImageList* ThumbImages() const { return FThumbImages.get(); }

  TFSViewStyle PhotoViewStyle() const { return FPhotoViewStyle; }
  void SetPhotoViewStyle(TFSViewStyle value);
  TThumbnailSize ThumbnailSize() const { return FThumbnailSize; }
  void SetThumbnailSize(int value);
  int ThumbWidth() const { return FThumbWidth; }
  void SetThumbWidth(int value);
  int ThumbHeight() const { return FThumbHeight; }
  void SetThumbHeight(int value);
  bool ThumbBorder() const { return FThumbBorder; }
  void SetThumbBorder(bool value);
  TColor ThumbBorderColor() const { return FThumbBorderColor; }
  void SetThumbBorderColor(TColor value);
  int ThumbQuality() const { return FThumbQuality; }
  void SetThumbQuality(int value);
  // Left, top, right and bottom margins inside every thumbnail.
  TRect IconMargins() const { return FIconMargins; }
  void SetIconMargins(const TRect& value);

  // The thumbnail size in pixels, the border included.
  TPoint GetThumbSize() const;
  void RebuildThumbnails(bool recreate);

  bool CanChangeOrder() const { return FCanChangeOrder; }
  void SetCanChangeOrder(bool value) { FCanChangeOrder = value; }
  bool CanDragPhoto() const { return FCanDragPhoto; }
  void SetCanDragPhoto(bool value) { FCanDragPhoto = value; }
  bool AcceptDropFiles() const { return FAcceptDropFiles; }
  void SetAcceptDropFiles(bool value);

  TNotifyEvent OnThumbSizeChange;
  TNotifyEvent OnOrderChange;
  // False refuses a dropped file; unassigned accepts every one.
  TEvent<bool(TObject* Sender, const WideString& FileName)> OnCheckAddFile;

  void DragDrop(TObject* source, int x, int y) override;

 protected:
  void CreateWnd() override;
  void GetImageIndex(TFSListItem* item) override;
  TFSListItem* CreateListItem() override;
  std::unique_ptr<TFSListItems> CreateListItems() override;
  void UpdateExStyles();
  void Dispatch(TMessage& message) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DragOver(TObject* source, int x, int y, TDragState state, bool& accept) override;
  void DoEndDrag(TObject* target, int x, int y) override;

 private:
  void CreateThumbImages();
  friend class TFSPhotoList;
  static TFSListItem* MakePhotoItem(TFSListItems* owner);

  std::unique_ptr<TImageList> FThumbImages;
  TThumbnailSize FThumbnailSize = ts40x30;
  TFSViewStyle FPhotoViewStyle = fvsThumbnail;
  int FThumbQuality = 0;
  bool FThumbBorder = true;
  TColor FThumbBorderColor = static_cast<TColor>(0xEED4CA);
  int FThumbWidth = 0;
  int FThumbHeight = 0;
  TRect FIconMargins{0, 0, 0, 0};
  bool FCanChangeOrder = false;
  bool FCanDragPhoto = false;
  bool FAcceptDropFiles = false;
  bool FMousePressed = false;
  TPoint FMouseDownPoint;
};

class TFSPhotoView : public TFSCustomPhotoView {
  BRANTWELL_CLASS(TFSPhotoView, TFSCustomPhotoView)

 public:
  explicit TFSPhotoView(TComponent* owner) : TFSCustomPhotoView(owner) {}
};
