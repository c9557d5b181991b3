#include "program/controls/FSImage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/gdi/DC.h"
#include "platform/gdi/DcGuards.h"
#include "platform/gdi/Regions.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/SysInfo.h"
#include "platform/user/Messages.h"
#include "platform/user/PaintApi.h"
#include "platform/user/WinUser.h"
#include "program/skin/DrawUtils.h"
#include "vcl/Application.h"
#include "vcl/Form.h"
#include "vcl/Screen.h"
#include "vcl/TypInfo.h"

// ---- arithmetic -----------------------------------------------------------------------------------

int ZoomedSize(int size, float zoom) {
  return static_cast<int>(std::nearbyint(static_cast<double>(size) * static_cast<double>(zoom) / 100.0));
}

int ZoomScrollPosition(int scroll, int client, int oldZoomed, int newZoomed) {
  if (oldZoomed <= client) {
    // Not scrollable before: a picture that now exceeds the view starts centred.
    return newZoomed > client ? MulDiv(newZoomed - client, 1, 2) : 0;
  }
  if (newZoomed <= client) return 0;
  const int half = MulDiv(client, 1, 2);
  return MulDiv(scroll + half, newZoomed, oldZoomed) - half;
}

XFORM ImageRotationTransform(int clientWidth, int clientHeight, int scrollX, int scrollY, int zoomedWidth,
                             int zoomedHeight, float degrees) {
  float cx = static_cast<float>(MulDiv(clientWidth, 1, 2));
  float cy = static_cast<float>(MulDiv(clientHeight, 1, 2));
  if (zoomedWidth > clientWidth) cx += static_cast<float>(scrollX);
  if (zoomedHeight > clientHeight) cy += static_cast<float>(scrollY);
  const float angle = degrees * std::numbers::pi_v<float> / 180.0f;
  const float c = std::cos(angle), s = std::sin(angle);
  // x' = (x - cx) cos - (y - cy) sin + cx;  y' = (x - cx) sin + (y - cy) cos + cy
  XFORM t;
  t.eM11 = c;
  t.eM12 = s;
  t.eM21 = -s;
  t.eM22 = c;
  t.eDx = cx - cx * c + cy * s;
  t.eDy = cy - cx * s - cy * c;
  return t;
}

// ---- cursors --------------------------------------------------------------------------------------

int crImageHandleUp = 0;
int crImageHandleDown = 0;

namespace {
HCURSOR g_handUp = nullptr;
HCURSOR g_handDown = nullptr;

// A cursor of the program's resources in a free slot of the screen's table; slot 0 (none)
// when the resource is missing.
int AddResourceCursor(const char* name, HCURSOR& handle) {
  handle = LoadCursorA(GetModuleHandleA(nullptr), name);
  return handle ? AddCursor(handle) : 0;
}

void FreeResourceCursor(int& index, HCURSOR& handle) {
  // The screen may have been made anew since (it then no longer holds the cursor).
  if (index != 0 && Screen->Cursors(index) == handle) Screen->SetCursors(index, nullptr);
  if (handle) DestroyCursor(handle);
  index = 0;
  handle = nullptr;
}
}  // namespace

void LoadImageViewerCursors() {
  crImageHandleUp = AddResourceCursor("ImageHandleUp", g_handUp);
  crImageHandleDown = AddResourceCursor("ImageHandleDown", g_handDown);
}

void FreeImageViewerCursors() {
  FreeResourceCursor(crImageHandleUp, g_handUp);
  FreeResourceCursor(crImageHandleDown, g_handDown);
}

// ---- TFSImage ----------------------------------------------------------------------------------

void TFSImage::DescribeClass(TClassBuilder<TFSImage>& c) {
  c.Property("AutoSize", &TFSImage::AutoSize, &TFSImage::SetAutoSize).Default(0);
  c.Property("Center", &TFSImage::Center, &TFSImage::SetCenter).Default(0);
  c.Property("IncrementalDisplay", &TFSImage::IncrementalDisplay, &TFSImage::SetIncrementalDisplay).Default(0);
  c.Property("Picture", &TFSImage::Picture, &TFSImage::SetPicture);
  c.Property("Proportional", &TFSImage::Proportional, &TFSImage::SetProportional).Default(0);
  c.Property("Stretch", &TFSImage::Stretch, &TFSImage::SetStretch).Default(0);
  c.Property("Transparent", &TFSImage::Transparent, &TFSImage::SetTransparent).Default(0);
  c.Property("Zoom", &TFSImage::Zoom, &TFSImage::SetZoom);
  c.Property("Rotation", &TFSImage::Rotation, &TFSImage::SetRotation);
  c.Property("OnProgress", &TFSImage::OnProgress);
  c.Property("OnScroll", &TFSImage::OnScroll);
  c.Property("OnZoomChange", &TFSImage::OnZoomChange);
}

TFSImage::TFSImage(TComponent* owner) : TCustomControl(owner), FPicture(std::make_unique<TPicture>()) {
  TControlStyle style = ControlStyle();
  style.Include(csReplicatable);
  style.Include(csPannable);
  SetControlStyle(style);
  FPicture->SetOnChange(TNotifyEvent(this, &TFSImage::PictureChanged));
  FPicture->SetOnProgress(TProgressEvent(this, &TFSImage::Progress));
  SetBounds(FLeft, FTop, 105, 105);
}

TFSImage::~TFSImage() {
  FPicture->SetOnChange(nullptr);
  FPicture->SetOnProgress(nullptr);
}

void TFSImage::Dispatch(TMessage& message) {
  if (message.Msg == WM_PRINT) {
    // A print renders straight into the caller's DC, not through the buffer.
    const bool buffered = DoubleBuffered();
    FDoubleBuffered = false;
    inherited::Dispatch(message);
    FDoubleBuffered = buffered;
    return;
  }
  inherited::Dispatch(message);
}

void TFSImage::UpdateZoomSizes() {
  FZoomedWidth = ZoomedSize(FPicture->Width(), FZoom);
  FZoomedHeight = ZoomedSize(FPicture->Height(), FZoom);
  const TRect client = ClientRect();
  FMaxScrollX = std::max(0, FZoomedWidth - client.Right);
  FMaxScrollY = std::max(0, FZoomedHeight - client.Bottom);
  FScrollX = std::clamp(FScrollX, 0, FMaxScrollX);
  FScrollY = std::clamp(FScrollY, 0, FMaxScrollY);
}

void TFSImage::UpdateTransform() {
  const TRect client = ClientRect();
  FTransform =
      ImageRotationTransform(client.Right, client.Bottom, FScrollX, FScrollY, FZoomedWidth, FZoomedHeight, FRotation);
}

void TFSImage::RefreshCursor() {
  if (HandleAllocated()) Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()), HTCLIENT);
}

void TFSImage::PictureChanged(TObject*) {
  UpdateZoomSizes();
  TGraphic* graphic = FPicture->Graphic();
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
  if (graphic && !dynamic_cast<TIcon*>(graphic)) graphic->SetTransparent(FTransparent);
  if (graphic && graphic->PaletteModified()) {
    // 32-bit surfaces have no palette to realise; the form is told all the same.
    TCustomForm* form = GetParentForm(this);
    if (form && form->Active() && form->HandleAllocated()) {
      if (FDrawing)
        SendMessageW(form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
      else
        PostMessageW(form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
    }
    graphic->SetPaletteModified(false);
    if (FDrawing && HandleAllocated()) ::UpdateWindow(Handle());
  }
  RefreshCursor();
  if (!FDrawing) Invalidate();
}

void TFSImage::SetCenter(bool value) {
  if (value == FCenter) return;
  FCenter = value;
  PictureChanged(this);
}

void TFSImage::SetStretch(bool value) {
  if (value == FStretch) return;
  FStretch = value;
  PictureChanged(this);
}

void TFSImage::SetProportional(bool value) {
  if (value == FProportional) return;
  FProportional = value;
  PictureChanged(this);
}

void TFSImage::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  PictureChanged(this);
}

void TFSImage::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  if (value && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
}

void TFSImage::SetRotation(float value) {
  if (value == FRotation) return;
  if (value < 0) value += 360.0f;
  if (value == FRotation) return;
  FRotation = value;
  UpdateTransform();
  Invalidate();
}

void TFSImage::SetZoom(float value) {
  if (value == FZoom) return;
  const TRect client = ClientRect();
  const int newWidth = ZoomedSize(FPicture->Width(), value);
  const int newHeight = ZoomedSize(FPicture->Height(), value);
  FScrollX = ZoomScrollPosition(FScrollX, client.Right, FZoomedWidth, newWidth);
  FScrollY = ZoomScrollPosition(FScrollY, client.Bottom, FZoomedHeight, newHeight);
  FZoom = value;
  UpdateZoomSizes();
  RefreshCursor();
  DoZoomChange();
  Invalidate();
}

void TFSImage::DoZoomChange() {
  if (OnZoomChange) OnZoomChange(this);
  UpdateTransform();
}

void TFSImage::DoScroll() {
  if (OnScroll) OnScroll(this);
}

void TFSImage::Resize() {
  inherited::Resize();
  UpdateZoomSizes();
  UpdateTransform();
}

TRect TFSImage::DestRect() {
  const TRect client = ClientRect();
  TRect r(0, 0, FZoomedWidth, FZoomedHeight);
  if (FCenter && FZoomedWidth <= client.Right) {
    const int dx = (client.Right - FZoomedWidth) / 2;
    r.Left += dx;
    r.Right += dx;
  }
  if (FCenter && FZoomedHeight <= client.Bottom) {
    const int dy = (client.Bottom - FZoomedHeight) / 2;
    r.Top += dy;
    r.Bottom += dy;
  }
  return r;
}

void TFSImage::Paint() {
  FDrawing = true;
  TCanvas* canvas = Canvas();
  HDC dc = canvas->Handle();
  {
    platform::SavedDcState saved(dc);
    if (FRotation != 0) {
      SetGraphicsMode(dc, GM_ADVANCED);
      SetWorldTransform(dc, &FTransform);
    }
    if (ComponentState().Contains(csDesigning)) {
      canvas->Pen()->SetStyle(psDash);
      canvas->Brush()->SetStyle(bsClear);
      canvas->Rectangle(0, 0, FWidth, FHeight);
    }
    SetViewportOrgEx(dc, -FScrollX, -FScrollY, nullptr);
    SetStretchBltMode(dc, Scrollable() ? FStretchMode : HALFTONE);
    if (TGraphic* graphic = FPicture->Graphic(); graphic && !graphic->Empty()) canvas->StretchDraw(DestRect(), graphic);
  }
  FDrawing = false;
}

// ---- panning and scrolling -------------------------------------------------------------------------

void TFSImage::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  FPanStartScroll = TPoint(FScrollX, FScrollY);
  FPanStartMouse = TPoint(x, y);
  FPanning = true;
  RefreshCursor();
}

void TFSImage::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  if (!FPanning) return;
  const TRect client = ClientRect();
  int newX = FScrollX, newY = FScrollY;
  // A candidate beyond an edge is clamped and the drag starts afresh from there, so turning
  // back moves the picture at once.
  if (FZoomedWidth > client.Right) {
    newX = FPanStartScroll.X + FPanStartMouse.X - x;
    if (newX < 0 || newX > FMaxScrollX) {
      newX = std::clamp(newX, 0, FMaxScrollX);
      FPanStartScroll.X = newX;
      FPanStartMouse.X = x;
    }
  }
  if (FZoomedHeight > client.Bottom) {
    newY = FPanStartScroll.Y + FPanStartMouse.Y - y;
    if (newY < 0 || newY > FMaxScrollY) {
      newY = std::clamp(newY, 0, FMaxScrollY);
      FPanStartScroll.Y = newY;
      FPanStartMouse.Y = y;
    }
  }
  if (newX != FScrollX || newY != FScrollY) ScrollBy(newX - FScrollX, newY - FScrollY);
}

void TFSImage::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  FPanning = false;
  RefreshCursor();
}

void TFSImage::ScrollBy(int dx, int dy) {
  dx = std::clamp(FScrollX + dx, 0, FMaxScrollX) - FScrollX;
  dy = std::clamp(FScrollY + dy, 0, FMaxScrollY) - FScrollY;
  if (dx == 0 && dy == 0) return;
  FScrollX += dx;
  FScrollY += dy;
  if (HandleAllocated()) {
    const bool buffered = DoubleBuffered();
    FDoubleBuffered = false;
    const TRect client = ClientRect();
    // The pixels that stay visible move within the client area; what comes into view is
    // painted afresh.
    const RECT clientRect = client;
    ScrollWindowEx(Handle(), -dx, -dy, &clientRect, &clientRect, nullptr, nullptr, SW_INVALIDATE);
    HRGN uncovered = CreateRectRgn(0, 0, 0, 0);
    if (dx != 0) {
      const TRect strip = dx > 0 ? TRect(client.Right - dx, 0, client.Right, client.Bottom)
                                 : TRect(0, 0, -dx, client.Bottom);
      HRGN part = CreateRectRgn(strip.Left, strip.Top, strip.Right, strip.Bottom);
      CombineRgn(uncovered, uncovered, part, RGN_OR);
      DeleteObject(part);
    }
    if (dy != 0) {
      const TRect strip = dy > 0 ? TRect(0, client.Bottom - dy, client.Right, client.Bottom)
                                 : TRect(0, 0, client.Right, -dy);
      HRGN part = CreateRectRgn(strip.Left, strip.Top, strip.Right, strip.Bottom);
      CombineRgn(uncovered, uncovered, part, RGN_OR);
      DeleteObject(part);
    }
    InvalidateRgn(Handle(), uncovered, FALSE);
    DeleteObject(uncovered);
    ::UpdateWindow(Handle());
    FDoubleBuffered = buffered;
  }
  DoScroll();
}

void TFSImage::WMSetCursor(TMessage& m) {
  inherited::WMSetCursor(m);
  if (m.Result != 0 || !Scrollable() || !HandleAllocated()) return;
  if (reinterpret_cast<HWND>(m.WParam) != Handle() || LOWORD(m.LParam) != HTCLIENT) return;
  const int cursor = FPanning ? crImageHandleDown : crImageHandleUp;
  if (cursor != 0) ::SetCursor(Screen->Cursors(cursor));
  m.Result = 1;
}

void TFSImage::Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
                        const AnsiString& msg) {
  if (FIncrementalDisplay && redrawNow) {
    TGraphic* graphic = FPicture->Graphic();
    if (graphic && graphic->PaletteModified()) {
      if (HandleAllocated()) ::UpdateWindow(Handle());
    } else {
      Repaint();
    }
  }
  if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}
