#include "program/controls/FSMemo.h"

#include "platform/gdi/DcGuards.h"
#include "program/skin/DrawUtils.h"
#include "program/skin/FSSkinEngine.h"

using namespace platform;

void TFSMemo::DescribeClass(TClassBuilder<TFSMemo>& c) {
  c.Property("BorderColor", &TFSMemo::BorderColor, &TFSMemo::SetBorderColor).Default(clWindowFrame);
  c.Property("ScrollBar", &TFSMemo::ScrollBar, &TFSMemo::SetScrollBar);
}

TFSCustomMemo::TFSCustomMemo(TComponent* owner)
    : TCustomMemo(owner), FScrollBar(std::make_unique<TNCScrollBar>(this, SkinEngine)) {}

TFSCustomMemo::~TFSCustomMemo() {
  Destroying();
  // The painter lets go of the window before the window goes.
  FScrollBar.reset();
}

void TFSCustomMemo::SetScrollBar(TNCScrollBar* value) {
  if (value) FScrollBar->Assign(value);
}

void TFSCustomMemo::SetBorderColor(TColor value) {
  if (value == FBorderColor) return;
  FBorderColor = value;
  if (HandleAllocated()) RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TFSCustomMemo::CreateWnd() {
  inherited::CreateWnd();
  FScrollBar->AttachControl(this, true);
}

void TFSCustomMemo::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_PRINT: WMPrint(m); return;
    default: inherited::Dispatch(m); return;
  }
}

void TFSCustomMemo::WMPaint(TWMPaint& m) {
  if (!HasFlatFrame()) {
    inherited::WMPaint(m);
    return;
  }
  PAINTSTRUCT ps{};
  HDC dc = m.DC ? m.DC : BeginPaint(FHandle, &ps);
  {
    SavedDcState saved(dc);
    TRect client = ClientRect();
    DrawFrameColors(dc, client, clNone, FBorderColor, false);
    IntersectClipRect(dc, client.Left + 1, client.Top + 1, client.Right - 1, client.Bottom - 1);
    TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(paint);
  }
  if (!m.DC) EndPaint(FHandle, &ps);
}

void TFSCustomMemo::WMPrint(TMessage& m) {
  const bool buffered = DoubleBuffered();
  SetDoubleBuffered(false);
  try {
    inherited::Dispatch(m);
  } catch (...) {
    SetDoubleBuffered(buffered);
    throw;
  }
  SetDoubleBuffered(buffered);
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (!dc) return;
  if ((m.LParam & PRF_CHECKVISIBLE) && !IsWindowVisible(FHandle)) return;
  if (HasFlatFrame() && (m.LParam & PRF_NONCLIENT)) DrawFrameColors(dc, ClientRect(), clNone, FBorderColor, false);
}

void TFSCustomMemo::CMSysColorChange(TMessage& m) {
  inherited::CMSysColorChange(m);
  Invalidate();
}

void TFSCustomMemo::CMParentColorChanged(TMessage& m) {
  inherited::CMParentColorChanged(m);
  Invalidate();
}

void TFSCustomMemo::CMCtl3DChanged(TMessage& m) {
  inherited::CMCtl3DChanged(m);
  // The border is a window style: the window is made again with it.
  if (BorderStyle() == bsSingle) RecreateWnd();
}
