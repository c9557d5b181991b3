#include "program/controls/FSGaugeBar.h"

#include <algorithm>

#include "platform/user/WinUser.h"
#include "rtl/Numbers.h"
#include "program/controls/SkinnedControl.h"
#include "vcl/TypInfo.h"

TGaugeScale CalcGaugeScale(int position, TGaugeMode mode, int width) {
  TGaugeScale scale;
  if (width <= 0) return scale;
  const int64_t base = std::max<int64_t>(position, mode == GMD9 ? GaugeD9Mark : GaugeD5Mark);
  // The base and a tenth, rounded up to the next whole multiple of the width, so that every
  // pixel stands for the same whole number of megabytes.
  scale.ScaleMax = ((base + base / 10) / width + 1) * width;
  scale.MBPerPixel = scale.ScaleMax / width;
  scale.TickStep = 250;
  scale.TickSpacing = scale.TickStep / scale.MBPerPixel;
  while (scale.TickSpacing < 10) {
    scale.TickStep *= 2;
    scale.TickSpacing = scale.TickStep / scale.MBPerPixel;
  }
  return scale;
}

TGaugeLayout CalcGaugeLayout(const TGaugeScale& scale, int position, TGaugeMode mode, int width, int height) {
  TGaugeLayout layout;
  const int64_t spacing = scale.TickSpacing;
  if (width <= 0 || spacing <= 0 || width < spacing) return layout;
  const int64_t mbPerPixel = scale.MBPerPixel;
  const int64_t step = scale.TickStep;
  const int64_t mark = mode == GMD9 ? GaugeD9Mark : GaugeD5Mark;
  // The pixels left over after the whole tick spacings are spread over the scale: one extra
  // pixel every `everyK` ticks.
  const int64_t everyK = (width % spacing) / (width / spacing);
  int64_t x = 0, m = 0, counter = 0;
  while (x < width) {
    if (counter == everyK && x != 0) {
      counter = 0;
      ++x;
    }
    ++counter;
    if (m < GaugeD5Mark && GaugeD5Mark < m + step) layout.D5MarkX = static_cast<int>((GaugeD5Mark - m) / mbPerPixel + x);
    if (m < GaugeD9Mark && GaugeD9Mark < m + step) layout.D9MarkX = static_cast<int>((GaugeD9Mark - m) / mbPerPixel + x);
    if (m <= position && position < m + step) {
      const int markX = mode == GMD9 ? layout.D9MarkX : layout.D5MarkX;
      const int positionX = static_cast<int>((position - m) / mbPerPixel + x);
      layout.Used = TRect(0, 0, 0, height);
      layout.Over = TRect(0, 0, 0, height);
      if (position > mark) {
        layout.Used.Right = markX;
        layout.Over.Left = markX;
        layout.Over.Right = positionX;
      } else {
        layout.Used.Right = positionX;
        layout.Over = TRect(0, 0, 0, 0);
      }
    }
    layout.Ticks.push_back(TGaugeTick{static_cast<int>(x), m});
    x += spacing;
    m += step;
  }
  const int freeLeft = layout.Over.Left > 0 ? layout.Over.Right : layout.Used.Right;
  layout.Free = TRect(freeLeft, 0, width, height);
  return layout;
}

// ---- TFSGaugeBar -----------------------------------------------------------------------------

void TFSGaugeBar::DescribeClass(TClassBuilder<TFSGaugeBar>& c) {
  c.Property("Position", &TFSGaugeBar::Position, &TFSGaugeBar::SetPosition).Default(0);
  c.Property("GaugeMode", &TFSGaugeBar::GaugeMode, &TFSGaugeBar::SetGaugeMode).Default(GMD5);
  c.Property("SkinName", &TFSGaugeBar::SkinName, &TFSGaugeBar::SetSkinName).Stored(&TFSGaugeBar::IsSkinNameStored);
  c.Property("D5LineColor", &TFSGaugeBar::D5LineColor, &TFSGaugeBar::SetD5LineColor).Type(ColorTypeInfo()).Default(clRed);
  c.Property("D9LineColor", &TFSGaugeBar::D9LineColor, &TFSGaugeBar::SetD9LineColor).Type(ColorTypeInfo()).Default(clRed);
  c.Property("BarColor", &TFSGaugeBar::BarColor, &TFSGaugeBar::SetBarColor).Type(ColorTypeInfo()).Default(clWindow);
  c.Property("D5Hint", &TFSGaugeBar::D5Hint);
  c.Property("D9Hint", &TFSGaugeBar::D9Hint);
  c.Property("OutHint", &TFSGaugeBar::OutHint);
  c.Property("BarHint", &TFSGaugeBar::BarHint);
}

TFSGaugeBar::TFSGaugeBar(TComponent* owner) : TFSSkinGraphicControl(owner, "GaugeBar") {
  UpdateSkin();
  SetBounds(0, 0, 200, 16);
  FHintWindow = std::make_unique<THintWindow>(nullptr);
  FHintWindow->SetColor(clInfoBk);
  Recalculate();
}

TFSGaugeBar::~TFSGaugeBar() {
  if (FHintWindow) FHintWindow->ReleaseHandle();
}

void TFSGaugeBar::UpdateSkin() {
  // The part only places and colours the gauge; it is never drawn.
  FPart = ResolveSkinPart(this, FSkinItemName, FPartId);
}

void TFSGaugeBar::Recalculate() {
  FScale = CalcGaugeScale(FPosition, FGaugeMode, FWidth);
  FLayout = CalcGaugeLayout(FScale, FPosition, FGaugeMode, FWidth, FHeight);
}

void TFSGaugeBar::SetPosition(int value) {
  FPosition = value;
  Recalculate();
  Invalidate();
}

void TFSGaugeBar::SetGaugeMode(TGaugeMode value) {
  FGaugeMode = value;
  Recalculate();
  Invalidate();
}

void TFSGaugeBar::Resize() {
  inherited::Resize();
  Recalculate();
}

namespace {

bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }
bool EmptyArea(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

// Bands of one colour step each over the first 63 * w pixels, the last colour to the right
// edge; an area narrower than 64 pixels takes one plain colour.
void FillGradient(TCanvas* canvas, const TRect& area, TColor (*band)(int), TColor plain) {
  const int w = (area.Right - area.Left) / 64;
  canvas->Brush()->SetStyle(bsSolid);
  if (w <= 0) {
    canvas->Brush()->SetColor(plain);
    canvas->FillRect(area);
    return;
  }
  int x = area.Left;
  for (int i = 0; i < 63; ++i, x += w) {
    canvas->Brush()->SetColor(band(i));
    canvas->FillRect(TRect(x, area.Top, x + w, area.Bottom));
  }
  canvas->Brush()->SetColor(band(63));
  canvas->FillRect(TRect(x, area.Top, area.Right, area.Bottom));
}

TColor GreenBand(int i) { return RGB(static_cast<BYTE>(i), static_cast<BYTE>(190 + i), static_cast<BYTE>(i)); }
TColor RedBand(int i) { return RGB(static_cast<BYTE>(190 + i), static_cast<BYTE>(i), static_cast<BYTE>(i)); }

}  // namespace

void TFSGaugeBar::Paint() {
  TCanvas* canvas = Canvas();
  Recalculate();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clWhite);
  canvas->FillRect(TRect(0, 0, FWidth, FHeight));
  if (FLayout.Ticks.empty()) return;

  if (!EmptyArea(FLayout.Used)) FillGradient(canvas, FLayout.Used, GreenBand, clLime);
  if (!EmptyArea(FLayout.Over)) FillGradient(canvas, FLayout.Over, RedBand, clRed);
  if (!EmptyArea(FLayout.Free)) {
    canvas->Brush()->SetColor(FBarColor);
    canvas->FillRect(FLayout.Free);
  }

  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  if (FGaugeMode == GMD5 && FWidth > FLayout.D5MarkX) {
    canvas->Pen()->SetColor(FD5LineColor);
    canvas->MoveTo(FLayout.D5MarkX, 0);
    canvas->LineTo(FLayout.D5MarkX, FHeight - 2);
  } else if (FGaugeMode == GMD9 && FWidth > FLayout.D9MarkX) {
    canvas->Pen()->SetColor(FD9LineColor);
    canvas->MoveTo(FLayout.D9MarkX, 0);
    canvas->LineTo(FLayout.D9MarkX, FHeight - 2);
  }

  canvas->Pen()->SetColor(clBlack);
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  int64_t distance = 0;
  for (const TGaugeTick& tick : FLayout.Ticks) {
    const bool isLong = distance > 60 || tick.X == 0;
    canvas->MoveTo(tick.X, 0);
    canvas->LineTo(tick.X, isLong ? 9 : 4);
    if (isLong) {
      const AnsiString text = IntToStr(static_cast<Int64>(tick.MB)) + "MB";
      const int half = canvas->TextWidth(text) / 2;
      TRect r(tick.X - half, 9, tick.X + half, FHeight - 2);
      if (r.Left > 0 && r.Right < FWidth) {
        canvas->TextRect(r, r.Left, r.Top, text);
      }
      distance = 0;
    }
    distance += FScale.TickSpacing;
  }
}

// ---- hints ------------------------------------------------------------------------------------

void TFSGaugeBar::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  AnsiString text;
  if (Inside(FLayout.Used, x, y))
    text = FGaugeMode == GMD9 ? D9Hint : D5Hint;
  else if (Inside(FLayout.Over, x, y))
    text = OutHint;
  else if (Inside(FLayout.Free, x, y))
    text = BarHint;
  if (text.empty() || text == Hint()) return;
  SetHint(text);
  POINT cursor{0, 0};
  GetCursorPos(&cursor);
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  const TSize size = canvas->TextExtent(text);
  FHintWindow->ActivateHint(TRect(cursor.x, cursor.y + 20, cursor.x + size.cx + 20, cursor.y + 20 + size.cy + 2), text);
}

void TFSGaugeBar::CMMouseEnter(TCMMouseEnterLeave& m) {
  inherited::CMMouseEnter(m);
  if (FHintWindow->HandleAllocated()) ShowWindow(FHintWindow->Handle(), SW_SHOWNOACTIVATE);
}

void TFSGaugeBar::CMMouseLeave(TCMMouseEnterLeave& m) {
  inherited::CMMouseLeave(m);
  SetHint("");
  if (FHintWindow->HandleAllocated()) ShowWindow(FHintWindow->Handle(), SW_HIDE);
}
