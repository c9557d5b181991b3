#pragma once

// TFSImage: a windowed picture viewer with a zoom factor (percent), a rotation angle
// (degrees, about the middle of the view) and panning with the mouse. A picture larger than
// the view at its zoom scrolls: the pointer shows an open hand over it and a closed hand
// while a button drags it. Zooming keeps the picture point at the view's centre in place, and
// centres a picture that has just become larger than the view.
//
// Rotation draws through the DC's advanced world transform; an unscrolled picture is smoothed
// (HALFTONE), a scrollable one takes the faster COLORONCOLOR.
//
// The two hand cursors are loaded by the controls module's start-up (LoadImageViewerCursors)
// and freed at its shut-down.
//
// GUI thread only. The viewer owns its picture.

#include <memory>

#include "platform/gdi/GdiTypes.h"
#include "vcl/GraphicControl.h"
#include "vcl/Picture.h"

// ---- zoom, scroll and rotation arithmetic (pure) --------------------------------------------

// size * zoom / 100 rounded, halves to even.
int ZoomedSize(int size, float zoom);

// The scroll position along one axis after a zoom from oldZoomed to newZoomed pixels in a
// view of `client` pixels: 0 when either size fits, else the point at the view's centre kept
// in place; a picture that did not scroll before and does now starts centred.
int ZoomScrollPosition(int scroll, int client, int oldZoomed, int newZoomed);

// The rotation about the view's centre (shifted by the scroll position along an axis that
// scrolls): translate by -centre, rotate by `degrees`, translate back.
XFORM ImageRotationTransform(int clientWidth, int clientHeight, int scrollX, int scrollY, int zoomedWidth,
                             int zoomedHeight, float degrees);

// Screen cursor numbers of the open and the closed hand (0 before they are loaded).
extern int crImageHandleUp;
extern int crImageHandleDown;
// Loads the "ImageHandleUp" and "ImageHandleDown" cursors of the program's resources into the
// screen's cursor table; Free destroys them. Called by the controls module's start and stop.
void LoadImageViewerCursors();
void FreeImageViewerCursors();

class TFSImage : public TCustomControl {
  BRANTWELL_CLASS(TFSImage, TCustomControl)

 public:
  explicit TFSImage(TComponent* owner);
  ~TFSImage() override;
  static void DescribeClass(TClassBuilder<TFSImage>& c);

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* value) { FPicture->Assign(value); }
  bool Center() const { return FCenter; }
  void SetCenter(bool value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool IncrementalDisplay() const { return FIncrementalDisplay; }
  void SetIncrementalDisplay(bool value) { FIncrementalDisplay = value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  float Zoom() const { return FZoom; }
  void SetZoom(float value);
  float Rotation() const { return FRotation; }
  void SetRotation(float value);

  int ScrollX() const { return FScrollX; }
  int ScrollY() const { return FScrollY; }
  int MaxScrollX() const { return FMaxScrollX; }
  int MaxScrollY() const { return FMaxScrollY; }
  int ZoomedWidth() const { return FZoomedWidth; }
  int ZoomedHeight() const { return FZoomedHeight; }
  bool Panning() const { return FPanning; }
  const XFORM& Transform() const { return FTransform; }
  // Where the zoomed picture lies before scrolling.
  TRect DestRect();
  // Scrolls by (dx, dy), kept inside [0, maximum].
  void ScrollBy(int dx, int dy);

  TProgressEvent OnProgress;
  TNotifyEvent OnZoomChange;
  TNotifyEvent OnScroll;

  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMSetCursor(TMessage& m) override;
  virtual void DoScroll();
  virtual void DoZoomChange();
  virtual void Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
                        const AnsiString& msg);

 private:
  void PictureChanged(TObject* sender);
  void UpdateZoomSizes();
  void UpdateTransform();
  void RefreshCursor();
  bool Scrollable() const { return FMaxScrollX > 0 || FMaxScrollY > 0; }

  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FCenter = false;
  bool FIncrementalDisplay = false;
  bool FTransparent = false;
  bool FDrawing = false;
  bool FProportional = false;
  bool FAutoSize = false;
  float FZoom = 100.0f;
  bool FPanning = false;
  TPoint FPanStartScroll;
  TPoint FPanStartMouse;
  int FStretchMode = 3;  // COLORONCOLOR
  float FRotation = 0.0f;
  XFORM FTransform{1, 0, 0, 1, 0, 0};
  int FScrollY = 0;
  int FScrollX = 0;
  int FMaxScrollY = 0;
  int FMaxScrollX = 0;
  int FZoomedHeight = 0;
  int FZoomedWidth = 0;
};
