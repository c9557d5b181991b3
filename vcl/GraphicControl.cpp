#include "vcl/GraphicControl.h"

void PaintOnCanvas(TControlCanvas& canvas, HDC dc, const std::function<void()>& paint) {
  TCanvasLock lock(&canvas);
  struct Unbind {
    TControlCanvas& canvas;
    ~Unbind() { canvas.SetHandle(nullptr); }
  } unbind{canvas};
  canvas.SetHandle(dc);
  paint();
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), FCanvas(std::make_unique<TControlCanvas>()) {
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() {
  Destroying();
  FCanvas->FreeHandle();
}

void TGraphicControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: { TWMPaint v(m); WMPaint(v); return; }
    default: inherited::Dispatch(m); return;
  }
}

void TGraphicControl::WMPaint(TWMPaint& m) {
  if (m.DC) PaintOnCanvas(*FCanvas, m.DC, [this] { Paint(); });
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), FCanvas(std::make_unique<TControlCanvas>()) {
  FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() {
  Destroying();
  FCanvas->FreeHandle();
}

void TCustomControl::WMPaint(TWMPaint& m) {
  FControlState.Include(csCustomPaint);
  try {
    inherited::WMPaint(m);
  } catch (...) {
    FControlState.Exclude(csCustomPaint);
    throw;
  }
  FControlState.Exclude(csCustomPaint);
}

void TCustomControl::PaintWindow(HDC dc) { PaintOnCanvas(*FCanvas, dc, [this] { Paint(); }); }

void TCustomControl::DestroyWnd() {
  FCanvas->FreeHandle();
  inherited::DestroyWnd();
}
