#pragma once

// TFSCustomPhotoView: the thumbnail list. A skinned list view whose thumbnail style shows
// every item as a picture the thumbnail thread draws (PhotoItems.h) into the view's image list
// of thumbnail size: image 0 is the error thumbnail, image 1 the empty one, every other image
// one item's. Thumbnails are built when the list control asks for an item's image.
//
// GUI thread only.

#include <memory>

#include "platform/kernel/ComBase.h"
#include "program/controls/FSListView.h"
#include "program/controls/PhotoItems.h"
#include "vcl/ImageList.h"

struct IDropTarget;

// The build events of a thumbnail; they run on the GUI thread, the thumbnail thread waiting.
// Before: ARect is the thumbnail inside its border (the margins not yet taken off); clearing
// DefaultDraw leaves the picture undrawn. After: ARect is the picture's area.
using TFSBeforeBuildThumbEvent =
    TEvent<void(TFSPhotoItem* Item, TCanvas* Canvas, TRect& ARect, bool& DefaultDraw)>;
using TFSAfterBuildThumbEvent = TEvent<void(TFSPhotoItem* Item, TCanvas* Canvas, const TRect& ARect)>;
// Asked for an OLE drop target when the window is made (ViewTarget: the view's own, which it
// has not); S_OK with a Target registers it for the window (the view releases its reference).
using TFSGetDropTargetEvent = TEvent<HRESULT(IDropTarget* ViewTarget, IDropTarget*& Target)>;

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
  // Thumbnails without their captions.
  bool HideLabels() const { return FHideLabels; }
  void SetHideLabels(bool value);

  TNotifyEvent OnThumbSizeChange;
  TNotifyEvent OnOrderChange;
  // False refuses a dropped file; unassigned accepts every one.
  TEvent<bool(TObject* Sender, const WideString& FileName)> OnCheckAddFile;
  TFSBeforeBuildThumbEvent OnBeforeBuildThumb;
  TFSAfterBuildThumbEvent OnAfterBuildThumb;
  TFSGetDropTargetEvent OnGetDropTarget;
  // After the view was shown or hidden.
  TNotifyEvent OnShowHide;

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
  void Resize() override;

 private:
  // The extended styles the view decides (label tips, border selection, hidden labels).
  DWORD PhotoExStyles() const;
  void UpdateOutlineColor();
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
  bool FHideLabels = false;
  bool FDropTargetRegistered = false;
  bool FOleInitialized = false;
  bool FMousePressed = false;
  TPoint FMouseDownPoint;
};

class TFSPhotoView : public TFSCustomPhotoView {
  BRANTWELL_CLASS(TFSPhotoView, TFSCustomPhotoView)

 public:
  explicit TFSPhotoView(TComponent* owner) : TFSCustomPhotoView(owner) {}
};
