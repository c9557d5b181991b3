#include "vcl/ScrollingWinControl.h"

#include <algorithm>

#include "platform/user/ScrollBars.h"
#include "rtl/Exceptions.h"
#include "rtl/SysUtils.h"

TScrollingWinControl::TScrollingWinControl(TComponent* owner) : TWinControl(owner) {
  FHorzScrollBar = std::make_unique<TControlScrollBar>(this, sbHorizontal);
  FVertScrollBar = std::make_unique<TControlScrollBar>(this, sbVertical);
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::DescribeClass(TClassBuilder<TScrollingWinControl>& c) {
  c.Property("AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll).Default(true);
  c.Property("HorzScrollBar", &TScrollingWinControl::HorzScrollBar, &TScrollingWinControl::SetHorzScrollBar);
  c.Property("VertScrollBar", &TScrollingWinControl::VertScrollBar, &TScrollingWinControl::SetVertScrollBar);
}

void TScrollingWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (m.LParam == 0) {  // the control's own bar; a scroll bar control's message is reflected
        (m.Msg == WM_HSCROLL ? FHorzScrollBar : FVertScrollBar)->ScrollMessage(LOWORD(m.WParam));
        m.Result = 0;
        return;
      }
      inherited::Dispatch(m);
      return;
    default: inherited::Dispatch(m); return;
  }
}

void TScrollingWinControl::EnableAutoRange() {
  if (FAutoRangeCount == 0) return;
  if (--FAutoRangeCount == 0 && FAutoScroll) UpdateScrollBars();
}

void TScrollingWinControl::ResetScrollBars() {
  FHorzScrollBar->FApplied = {};
  FVertScrollBar->FApplied = {};
  FHorzScrollBar->FShown = FVertScrollBar->FShown = false;
  UpdateScrollBars();
}

void TScrollingWinControl::AlignControls(TControl* control, TRect& rect) {
  inherited::AlignControls(control, rect);
  UpdateScrollBars();
}

void TScrollingWinControl::WMSize(TWMSize& m) {
  inherited::WMSize(m);
  UpdateScrollBars();
}

// ---- scroll bars ---------------------------------------------------------------------------------------

void TControlScrollBar::DescribeClass(TClassBuilder<TControlScrollBar>& c) {
  c.Property("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement).Default(8);
  c.Property("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange).Default(0);
  c.Property("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition).Default(0);
  c.Property("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible).Default(true);
}

void TControlScrollBar::Assign(TPersistent* source) {
  if (auto* bar = dynamic_cast<TControlScrollBar*>(source)) {
    SetVisible(bar->FVisible);
    SetRange(bar->FRange);
    SetPosition(bar->FPosition);
    SetIncrement(bar->FIncrement);
    return;
  }
  inherited::Assign(source);
}

// A range of its own ends the automatic one.
void TControlScrollBar::SetRange(int value) {
  value = std::max(value, 0);
  FControl->FAutoScroll = false;
  if (value == FRange) return;
  FRange = value;
  FControl->UpdateScrollBars();
}

void TControlScrollBar::SetIncrement(int value) {
  if (value < 1) throw EInvalidOperation(Format("Scroll bar increment must be at least 1 (not %d)", {value}));
  FIncrement = value;
}

void TControlScrollBar::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  FControl->UpdateScrollBars();
}

int TControlScrollBar::ControlExtent() const {
  TRect r = FControl->ClientRect();
  return FKind == sbHorizontal ? r.Right - r.Left : r.Bottom - r.Top;
}

// Clamped to what the range leaves beyond the client area; the controls move with it. A
// position read from a form file waits for the bars to be laid out.
void TControlScrollBar::SetPosition(int value) {
  if (FControl->FControlState.Contains(csReadingState) || FControl->ComponentState().Contains(csLoading)) {
    FPosition = std::max(value, 0);
    return;
  }
  value = FShown ? std::clamp(value, 0, std::max(FRange - ControlExtent(), 0)) : 0;
  if (value == FPosition) return;
  const int delta = FPosition - value;
  FPosition = value;
  if (FKind == sbHorizontal) FControl->ScrollControls(delta, 0);
  else FControl->ScrollControls(0, delta);
  if (FControl->FHandle) {
    SetScrollPos(FControl->FHandle, FKind == sbHorizontal ? SB_HORZ : SB_VERT, value, TRUE);
    FApplied.pos = value;
  }
}

void TControlScrollBar::ScrollMessage(WORD code) {
  const int extent = ControlExtent();
  int pos = FPosition;
  switch (code) {
    case SB_LINEUP: pos -= FIncrement; break;
    case SB_LINEDOWN: pos += FIncrement; break;
    case SB_PAGEUP: pos -= extent; break;
    case SB_PAGEDOWN: pos += extent; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      // The 16-bit position of the message would cut long ranges short.
      SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      if (!GetScrollInfo(FControl->FHandle, FKind == sbHorizontal ? SB_HORZ : SB_VERT, &info)) return;
      pos = info.nTrackPos;
      break;
    }
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = FRange; break;
    default: return;
  }
  SetPosition(pos);
}

void TScrollingWinControl::SetAutoScroll(bool value) {
  if (value == FAutoScroll) return;
  FAutoScroll = value;
  if (!value) {
    FHorzScrollBar->FRange = 0;
    FVertScrollBar->FRange = 0;
  }
  UpdateScrollBars();
}


// The scrolled area reaches the far edge of every control that stands at the near edge
// (left- or top-aligned, or anchored to the near edge only), plus the controls aligned to
// the far edge.
void TScrollingWinControl::CalcAutoRange() {
  int horizontal = 0, vertical = 0, right = 0, bottom = 0;
  const int x = FHorzScrollBar->FPosition, y = FVertScrollBar->FPosition;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    const TAnchors anchors = c->Anchors();
    switch (c->Align()) {
      case alNone:
        if (anchors.Contains(akLeft) && !anchors.Contains(akRight)) horizontal = std::max(horizontal, x + c->Left() + c->Width());
        if (anchors.Contains(akTop) && !anchors.Contains(akBottom)) vertical = std::max(vertical, y + c->Top() + c->Height());
        break;
      case alLeft: horizontal = std::max(horizontal, x + c->Left() + c->Width()); break;
      case alRight: right += c->Width(); break;
      case alTop: vertical = std::max(vertical, y + c->Top() + c->Height()); break;
      case alBottom: bottom += c->Height(); break;
      default: break;
    }
  }
  FHorzScrollBar->FRange = horizontal + right;
  FVertScrollBar->FRange = vertical + bottom;
}

// A bar shows when its range exceeds the client area that is left once the other bar is
// accounted for; a bar that goes away scrolls the controls back.
void TScrollingWinControl::UpdateScrollBars() {
  if (FUpdatingScrollBars || ComponentState().Contains(csDestroying) || ComponentState().Contains(csLoading)) return;
  FUpdatingScrollBars = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{FUpdatingScrollBars};
  if (FAutoScroll && FAutoRangeCount == 0) CalcAutoRange();
  if (!FHandle) return;
  TControlScrollBar& h = *FHorzScrollBar;
  TControlScrollBar& v = *FVertScrollBar;
  RECT client{};
  GetClientRect(FHandle, &client);
  const int barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
  const int width = client.right + (v.FShown ? barWidth : 0);
  const int height = client.bottom + (h.FShown ? barHeight : 0);
  bool horizontal = false, vertical = false;
  for (int pass = 0; pass < 2; ++pass) {
    const int w = width - (vertical ? barWidth : 0), ht = height - (horizontal ? barHeight : 0);
    horizontal = h.FVisible && h.FRange > w;
    vertical = v.FVisible && v.FRange > ht;
  }
  const int extents[2] = {width - (vertical ? barWidth : 0), height - (horizontal ? barHeight : 0)};
  const bool shown[2] = {horizontal, vertical};
  TControlScrollBar* bars[2] = {&h, &v};
  for (int i = 0; i < 2; ++i) {
    TControlScrollBar& bar = *bars[i];
    bar.FShown = shown[i];
    const int position = shown[i] ? std::clamp(bar.FPosition, 0, std::max(bar.FRange - extents[i], 0)) : 0;
    if (position != bar.FPosition) {
      const int delta = bar.FPosition - position;
      bar.FPosition = position;
      if (i == 0) ScrollControls(delta, 0);
      else ScrollControls(0, delta);
    }
    const int which = i == 0 ? SB_HORZ : SB_VERT;
    const TControlScrollBar::Applied wanted{shown[i], shown[i] ? bar.FRange - 1 : 0,
                                            static_cast<UINT>(shown[i] ? extents[i] : 0), position};
    if (wanted == bar.FApplied) continue;
    bar.FApplied = wanted;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, wanted.max, wanted.page, wanted.pos, 0};
    SetScrollInfo(FHandle, which, &info, TRUE);
    ShowScrollBar(FHandle, which, shown[i]);
  }
}

// Controls at fixed places move; aligned ones keep their edges.
void TScrollingWinControl::ScrollControls(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  DisableAlign();
  try {
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (c->Align() == alNone) c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
    }
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
  Invalidate();
}
