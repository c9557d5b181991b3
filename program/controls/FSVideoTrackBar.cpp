#include "program/controls/FSVideoTrackBar.h"

#include <algorithm>
#include <limits>

#include "program/controls/SkinnedControl.h"
#include "program/skin/DrawUtils.h"
#include "program/skin/SkinDraw.h"
#include "vcl/TypInfo.h"

namespace track_bar {

namespace {

int ToInt(__int128 value) {
  constexpr __int128 lo = std::numeric_limits<int>::min();
  constexpr __int128 hi = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(value, lo, hi));
}

// n / d rounded to nearest, halves to even (d > 0).
__int128 RoundDiv(__int128 n, __int128 d) {
  __int128 q = n / d;
  __int128 r = n % d;
  if (r < 0) {
    r += d;
    --q;
  }
  // q = floor(n / d), 0 <= r < d
  if (2 * r > d || (2 * r == d && (q & 1) != 0)) ++q;
  return q;
}

}  // namespace

int64_t MulDivRound(int64_t a, int64_t b, int64_t c) {
  if (c == 0) return 0;
  __int128 n = static_cast<__int128>(a) * b;
  __int128 d = c;
  if (d < 0) {
    n = -n;
    d = -d;
  }
  __int128 q = RoundDiv(n, d);
  constexpr __int128 lo = std::numeric_limits<int64_t>::min();
  constexpr __int128 hi = std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(std::clamp(q, lo, hi));
}

int PartLeft(int insetLeft, int64_t travel, int value, int min, int max) {
  if (max <= min || travel <= 0) return insetLeft;
  return ToInt(insetLeft + static_cast<__int128>(MulDivRound(travel, int64_t{value} - min, int64_t{max} - min)));
}

int ValueAt(int x, int width, int insetLeft, int anchor, int64_t travel, int min, int max) {
  if (max <= min || travel <= 0) return min;
  if (x < 0) return min;
  if (x > width) return max;
  const int64_t offset = int64_t{x} - insetLeft - anchor;
  return ToInt(min + static_cast<__int128>(MulDivRound(offset, int64_t{max} - min, travel)));
}

int64_t FirstMultipleAtOrAbove(int64_t value, int64_t step) {
  int64_t q = value / step;
  if (q * step < value) ++q;
  return q * step;
}

int64_t FirstTickRightOf(int64_t x, int min, int max, int step, int insetLeft, int64_t span) {
  // The smallest value v with insetLeft + floor((v - min) * span / range) > x, that is
  // (v - min) * span >= (x - insetLeft + 1) * range.
  const int64_t range = int64_t{max} - min;
  const __int128 need = static_cast<__int128>(x - insetLeft + 1) * range;
  __int128 offset = need / span;
  if (offset * span < need) ++offset;
  const __int128 value = min + offset;
  if (value > max) return int64_t{max} + 1;
  return FirstMultipleAtOrAbove(static_cast<int64_t>(value), step);
}

}  // namespace track_bar

using namespace track_bar;

void TFSVideoTrackBar::DescribeClass(TClassBuilder<TFSVideoTrackBar>& c) {
  c.Property("SkinName", &TFSVideoTrackBar::SkinName, &TFSVideoTrackBar::SetSkinName)
      .Stored(&TFSVideoTrackBar::IsSkinNameStored);
  c.Property("Min", &TFSVideoTrackBar::Min, &TFSVideoTrackBar::SetMin).Default(0);
  c.Property("Max", &TFSVideoTrackBar::Max, &TFSVideoTrackBar::SetMax).Default(100);
  c.Property("Position", &TFSVideoTrackBar::Position, &TFSVideoTrackBar::SetPosition).Default(0);
  c.Property("SlideVisible", &TFSVideoTrackBar::SlideVisible, &TFSVideoTrackBar::SetSlideVisible).Default(1);
  c.Property("CutRangeSlide", &TFSVideoTrackBar::CutRangeSlide, &TFSVideoTrackBar::SetCutRangeSlide).Default(0);
  c.Property("ShowCuts", &TFSVideoTrackBar::ShowCuts, &TFSVideoTrackBar::SetShowCuts).Default(0);
  // The end first: the start can never pass it, so a stored range reads back whole.
  c.Property("CutEndPos", &TFSVideoTrackBar::CutEndPos, &TFSVideoTrackBar::SetCutEndPos).Default(0);
  c.Property("CutStartPos", &TFSVideoTrackBar::CutStartPos, &TFSVideoTrackBar::SetCutStartPos).Default(0);
  c.Property("CutRangeColor", &TFSVideoTrackBar::CutRangeColor, &TFSVideoTrackBar::SetCutRangeColor)
      .Type(ColorTypeInfo())
      .Default(clBlue);
  c.Property("ShowTicks", &TFSVideoTrackBar::ShowTicks, &TFSVideoTrackBar::SetShowTicks).Default(0);
  c.Property("TickStyle", &TFSVideoTrackBar::TickStyle, &TFSVideoTrackBar::SetTickStyle).Default(tkStandard);
  c.Property("TickColor", &TFSVideoTrackBar::TickColor, &TFSVideoTrackBar::SetTickColor)
      .Type(ColorTypeInfo())
      .Default(clBtnShadow);
  c.Property("TickStep", &TFSVideoTrackBar::TickStep, &TFSVideoTrackBar::SetTickStep).Default(1);
  c.Property("OnDrawTick", &TFSVideoTrackBar::OnDrawTick);
  c.Property("OnChanging", &TFSVideoTrackBar::OnChanging);
  c.Property("OnChange", &TFSVideoTrackBar::OnChange);
  c.Property("OnCutRangeChanging", &TFSVideoTrackBar::OnCutRangeChanging);
  c.Property("OnCutRangeChange", &TFSVideoTrackBar::OnCutRangeChange);
  c.Property("OnCutButtonDown", &TFSVideoTrackBar::OnCutButtonDown);
  c.Property("OnCutButtonUp", &TFSVideoTrackBar::OnCutButtonUp);
  c.Property("OnTrackButtonDown", &TFSVideoTrackBar::OnTrackButtonDown);
  c.Property("OnTrackButtonUp", &TFSVideoTrackBar::OnTrackButtonUp);
}

TFSVideoTrackBar::TFSVideoTrackBar(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(FLeft, FTop, 360, 24);
  FSkinName = "VideoTrackBar";
  UpdateSkin();
}

TFSVideoTrackBar::~TFSVideoTrackBar() = default;

void TFSVideoTrackBar::Dispatch(TMessage& message) {
  if (message.Msg == CM_SKINCHANGED) {
    CMSkinChanged(message);
    return;
  }
  inherited::Dispatch(message);
}

void TFSVideoTrackBar::CMSkinChanged(TMessage& m) {
  inherited::Dispatch(m);
  UpdateSkin();
}

void TFSVideoTrackBar::Loaded() {
  inherited::Loaded();
  UpdateSkin();
}

void TFSVideoTrackBar::UpdateSkin() {
  FSkinItem = ResolveSkinItem(this, FSkinName);
  auto part = [this](int index) { return FSkinItem ? FSkinItem->GetPart(index) : nullptr; };
  FTrackPart = part(0);
  FThumbPart = part(1);
  FCutStartPart = part(2);
  FCutEndPart = part(3);
  Invalidate();
}

// ---- properties ----------------------------------------------------------------------------------

void TFSVideoTrackBar::SetSkinName(const TSkinName& value) {
  if (value == FSkinName) return;
  FSkinName = value;
  FSkinItem = nullptr;
  UpdateSkin();
}

void TFSVideoTrackBar::SetMin(int value) {
  if (value > FMax || value == FMin) return;
  FMin = value;
  if (FCutStartPos < FMin) FCutStartPos = FMin;
  ClampPosition(FPosition);
  Invalidate();
}

void TFSVideoTrackBar::SetMax(int value) {
  if (value < FMin || value == FMax) return;
  FMax = value;
  if (FCutEndPos > FMax) FCutEndPos = FMax;
  ClampPosition(FPosition);
  Invalidate();
}

void TFSVideoTrackBar::SetPosition(int value) { ClampPosition(value); }

void TFSVideoTrackBar::ClampPosition(int value) {
  int v = std::min(std::max(value, FMin), FMax);
  if (FCutRangeSlide) v = std::min(std::max(v, FCutStartPos), FCutEndPos);
  if (v == FPosition) return;
  FPosition = v;
  if (OnChanging) OnChanging(this);
  Invalidate();
}

void TFSVideoTrackBar::SetSlideVisible(bool value) {
  if (value == FSlideVisible) return;
  FSlideVisible = value;
  Invalidate();
}

void TFSVideoTrackBar::SetCutRangeSlide(bool value) {
  if (value == FCutRangeSlide) return;
  FCutRangeSlide = value;
  ClampPosition(FPosition);
}

void TFSVideoTrackBar::SetShowCuts(bool value) {
  if (value == FShowCuts) return;
  FShowCuts = value;
  Invalidate();
}

void TFSVideoTrackBar::SetCutStartPos(int value) {
  value = std::min(value, FCutEndPos);
  if (value < FMin || value == FCutStartPos) return;
  FCutStartPos = value;
  ClampPosition(FPosition);
  if (OnCutRangeChanging) OnCutRangeChanging(this, cpCutStart);
  Invalidate();
}

void TFSVideoTrackBar::SetCutEndPos(int value) {
  value = std::max(value, FCutStartPos);
  if (value > FMax || value == FCutEndPos) return;
  FCutEndPos = value;
  ClampPosition(FPosition);
  if (OnCutRangeChanging) OnCutRangeChanging(this, cpCutEnd);
  Invalidate();
}

void TFSVideoTrackBar::SetCutRangeColor(TColor value) {
  if (value == FCutRangeColor) return;
  FCutRangeColor = value;
  Invalidate();
}

void TFSVideoTrackBar::SetShowTicks(bool value) {
  if (value == FShowTicks) return;
  FShowTicks = value;
  Invalidate();
}

void TFSVideoTrackBar::SetTickStyle(TTickStyle value) {
  if (value == FTickStyle) return;
  FTickStyle = value;
  Invalidate();
}

void TFSVideoTrackBar::SetTickColor(TColor value) {
  if (value == FTickColor) return;
  FTickColor = value;
  Invalidate();
}

void TFSVideoTrackBar::SetTickStep(int value) {
  if (value < 1 || value == FTickStep) return;
  FTickStep = value;
  Invalidate();
}

void TFSVideoTrackBar::DoChange() {
  if (OnChange) OnChange(this);
}

void TFSVideoTrackBar::DoCutRangeChange(TCutPointer pointer) {
  if (OnCutRangeChange) OnCutRangeChange(this, pointer);
}

// ---- geometry ----------------------------------------------------------------------------------

TRect TFSVideoTrackBar::PartRect(TSkinItemPart* part, int value) const {
  if (!part) return TRect(0, 0, 0, 0);
  const TSkinItemPos& p = part->Position;
  const int left = PartLeft(p.X, Travel(FWidth, p.Width, p.X, p.X2), value, FMin, FMax);
  return TRect(left, p.Y, left + p.Width, p.Y + p.Height);
}

TRect TFSVideoTrackBar::ThumbRect() const { return PartRect(FThumbPart, FPosition); }
TRect TFSVideoTrackBar::CutStartRect() const { return PartRect(FCutStartPart, FCutStartPos); }
TRect TFSVideoTrackBar::CutEndRect() const { return PartRect(FCutEndPart, FCutEndPos); }

int TFSVideoTrackBar::ThumbValueAt(int x) const {
  if (FThumbPart) {
    const TSkinItemPos& p = FThumbPart->Position;
    return ValueAt(x, FWidth, p.X, p.Width / 2, Travel(FWidth, p.Width, p.X, p.X2), FMin, FMax);
  }
  return ValueAt(x, FWidth, 1, 0, int64_t{FWidth} - 2, FMin, FMax);
}

int TFSVideoTrackBar::MarkerValueAt(TSkinItemPart* part, int x) const {
  if (!part) return FMin;
  const TSkinItemPos& p = part->Position;
  return ValueAt(x, FWidth, p.X, 0, Travel(FWidth, p.Width, p.X, p.X2), FMin, FMax);
}

std::vector<Tick> TFSVideoTrackBar::TickPositions() const {
  std::vector<Tick> ticks;
  if (!FShowTicks || !FTrackPart) return ticks;
  const TSkinItemPos& p = FTrackPart->Position;
  ForEachTick(FMin, FMax, FTickStep, p.X, int64_t{FWidth} - p.X - p.X2 - 1, [&](const Tick& tick) {
    ticks.push_back(tick);
    return true;
  });
  return ticks;
}

// ---- mouse ------------------------------------------------------------------------------------

namespace {
bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }
}  // namespace

void TFSVideoTrackBar::SetFlag(bool& flag, bool value) {
  if (flag == value) return;
  flag = value;
  Invalidate();
}

void TFSVideoTrackBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (Inside(ThumbRect(), x, y)) {
    SetFlag(FThumbPressed, true);
    if (OnTrackButtonDown) OnTrackButtonDown(this);
  } else if (Inside(CutStartRect(), x, y)) {
    SetFlag(FCutStartPressed, true);
    FSavedCutStart = FCutStartPos;
    if (OnCutButtonDown) OnCutButtonDown(this);
  } else if (Inside(CutEndRect(), x, y)) {
    SetFlag(FCutEndPressed, true);
    FSavedCutEnd = FCutEndPos;
    if (OnCutButtonDown) OnCutButtonDown(this);
  } else if (FSlideVisible) {
    SetFlag(FThumbHot, true);
    SetFlag(FThumbPressed, true);
    if (OnTrackButtonDown) OnTrackButtonDown(this);
    SetPosition(ThumbValueAt(x));
  }
}

void TFSVideoTrackBar::MouseMove(TShiftState shift, int x, int y) {
  if (FThumbPressed) SetPosition(ThumbValueAt(x));
  SetFlag(FThumbHot, Inside(ThumbRect(), x, y));
  SetFlag(FCutStartHot, Inside(CutStartRect(), x, y));
  SetFlag(FCutEndHot, Inside(CutEndRect(), x, y));
  if (FCutStartPressed) SetCutStartPos(MarkerValueAt(FCutStartPart, x));
  if (FCutEndPressed) SetCutEndPos(MarkerValueAt(FCutEndPart, x));
  inherited::MouseMove(shift, x, y);
}

void TFSVideoTrackBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (FThumbPressed) {
    SetFlag(FThumbPressed, false);
    if (OnTrackButtonUp) OnTrackButtonUp(this);
    DoChange();
  }
  if (FCutStartPressed) {
    if (FCutStartPos != FSavedCutStart) DoCutRangeChange(cpCutStart);
    if (OnCutButtonUp) OnCutButtonUp(this);
  }
  if (FCutEndPressed) {
    if (FCutEndPos != FSavedCutEnd) DoCutRangeChange(cpCutEnd);
    if (OnCutButtonUp) OnCutButtonUp(this);
  }
  SetFlag(FCutStartPressed, false);
  SetFlag(FCutEndPressed, false);
  inherited::MouseUp(button, shift, x, y);
}

void TFSVideoTrackBar::CMMouseLeave(TCMMouseEnterLeave& m) {
  inherited::CMMouseLeave(m);
  SetFlag(FThumbHot, false);
  SetFlag(FCutStartHot, false);
  SetFlag(FCutEndHot, false);
}

// ---- painting -----------------------------------------------------------------------------------

void TFSVideoTrackBar::Paint() {
  TCanvas* canvas = Canvas();
  DrawDesignFrame(this, canvas);
  const TRect client(0, 0, FWidth, FHeight);

  if (FTrackPart && FTrackPart->GetState(0) && FTrackPart->GetState(1)) {
    const TSkinItemPos& p = FTrackPart->Position;
    TRect r = client;
    r.Left += p.X;
    r.Top += p.Y;
    r.Right -= p.X2;
    if (p.Height > 0) r.Bottom = r.Top + p.Height;
    DrawSkinProgressStates(canvas, r, FTrackPart->GetState(0), FTrackPart->GetState(1), FPosition, FMin, FMax,
                           false);
  } else {
    DrawSkinProgress(canvas, client, FTrackPart, FPosition, FMin, FMax, false);
  }

  if (FShowTicks && FTrackPart) PaintTicks();

  if (FSlideVisible && FThumbPart) {
    if (TSkinItemState* state = FThumbPart->GetStateFor(FEnabled, FThumbHot, FThumbPressed))
      state->Draw(canvas, ThumbRect());
  }

  if (FShowCuts && FCutStartPart && FCutEndPart) {
    const TRect startRect = CutStartRect();
    const TRect endRect = CutEndRect();
    if (TSkinItemState* state = FCutStartPart->GetStateFor(FEnabled, FCutStartHot, FCutStartPressed))
      state->Draw(canvas, startRect);
    if (TSkinItemState* state = FCutEndPart->GetStateFor(FEnabled, FCutEndHot, FCutEndPressed))
      state->Draw(canvas, endRect);
    if (FCutRangeColor != clNone && !(FCutStartPos == FMin && FCutEndPos == FMax)) {
      // The end marker's size serves at both ends of the line.
      const TSkinItemPos& e = FCutEndPart->Position;
      canvas->Pen()->SetColor(FCutRangeColor);
      canvas->MoveTo(startRect.Left + e.Width, FCutStartPart->Position.Y + e.Height / 2);
      canvas->LineTo(endRect.Left, e.Y + e.Height / 2);
    }
  }
}

void TFSVideoTrackBar::PaintTicks() {
  TCanvas* canvas = Canvas();
  const TSkinItemPos& p = FTrackPart->Position;
  int top, length;
  if (p.Y > 0) {
    top = 0;
    length = p.Y - 1;
  } else if (p.Y2 > 0) {
    top = FHeight - (p.Y2 - 1);
    length = p.Y2 - 1;
  } else if (p.Height > 0) {
    top = p.Height;
    length = FHeight - p.Height - 2;
  } else {
    TSkinItemState* state = FTrackPart->GetState(0);
    top = 2;
    length = (state ? state->GetHeight() : 0) - 2;
  }
  canvas->Pen()->SetColor(FTickColor);
  const int64_t span = int64_t{FWidth} - p.X - p.X2 - 1;
  if (FMax <= FMin || span <= 0) return;

  if (FTickStyle == tkOwnerDraw) {
    ForEachTick(FMin, FMax, FTickStep, p.X, span, [&](const Tick& tick) {
      const bool drawLine = OnDrawTick ? OnDrawTick(this, TPoint(tick.X, top), length, tick.Value) : true;
      if (drawLine) {
        canvas->MoveTo(tick.X, top);
        canvas->LineTo(tick.X, top + length);
      }
      return true;
    });
    return;
  }
  // Standard ticks are plain lines: once a pixel column is drawn, the ticks that land on it
  // again are skipped, so a long range costs one line per column at most.
  const int64_t range = int64_t{FMax} - FMin;
  for (int64_t i = FirstMultipleAtOrAbove(FMin, FTickStep); i <= FMax;) {
    const int64_t x = p.X + static_cast<int64_t>((static_cast<__int128>(i - FMin) * span) / range);
    canvas->MoveTo(static_cast<int>(x), top);
    canvas->LineTo(static_cast<int>(x), top + length);
    i = std::max(i + FTickStep, FirstTickRightOf(x, FMin, FMax, FTickStep, p.X, span));
  }
}
