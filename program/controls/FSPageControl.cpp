#include "program/controls/FSPageControl.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "platform/comctl/TabControl.h"
#include "program/controls/ButtonDraw.h"
#include "program/skin/DrawUtils.h"

using namespace platform;

namespace {

bool SameTextAscii(const AnsiString& a, const char* b) {
  const size_t n = std::char_traits<char>::length(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

RECT ToRect(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }

}  // namespace

template <class Base>
TFSTabSkin<Base>::TFSTabSkin(TComponent* owner) : Base(owner) {
  UpdateSkin();
}

// ---- skin ---------------------------------------------------------------------------------------

template <class Base>
void TFSTabSkin<Base>::UpdateSkin() {
  FSkinItem = SkinEngine ? SkinEngine->GetSkinItem(FSkinName) : nullptr;
  const int count = FSkinItem ? FSkinItem->GetPartCount() : 0;
  TSkinItemPart* first = count > 0 ? FSkinItem->GetPart(0) : nullptr;
  TSkinItemPart* second = count > 1 ? FSkinItem->GetPart(1) : nullptr;
  FFrameSeparate = second && first->GetStateCount() > 2 &&
                   (second->GetStateCount() < 3 || SameTextAscii(second->Name, "Frame"));
  TSkinItemPart* applied = second && first->GetStateCount() > 2 ? second : first;
  if (applied) applied->ApplyToControl(this);
  if (this->HandleAllocated())
    RedrawWindow(this->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

template <class Base>
void TFSTabSkin<Base>::SetSkinName(const AnsiString& value) {
  AnsiString name;
  int id = 0;
  TFSSkinEngine::ParseSkinName(value, name, id);
  if (name == FSkinName) return;
  FSkinName = name;
  FSkinItem = nullptr;
  UpdateSkin();
}

template <class Base>
void TFSTabSkin<Base>::Loaded() {
  Base::Loaded();
  UpdateSkin();
}

template <class Base>
void TFSTabSkin<Base>::CreateWnd() {
  Base::CreateWnd();
  SendMessageA(this->Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
}

// ---- geometry -----------------------------------------------------------------------------------

template <class Base>
TRect TFSTabSkin<Base>::TabStripRect() {
  const TRect display = this->DisplayRect();
  const int dh = display.Height(), dw = display.Width();
  const int width = this->Width(), height = this->Height();
  switch (this->TabPosition()) {
    case tpTop: return TRect(0, 0, width, height - dh - 5);
    case tpBottom: return TRect(0, dh - 5, width, height);
    case tpLeft: return TRect(0, 0, width - dw - 5, height);
    case tpRight: return TRect(dw - 5, 0, width, height);
  }
  return TRect(0, 0, 0, 0);
}

template <class Base>
TRect TFSTabSkin<Base>::FrameRect() {
  TRect r = this->DisplayRect();
  r.Left -= 4;
  r.Top -= 4;
  r.Right += 4;
  r.Bottom += 4;
  switch (this->TabPosition()) {
    case tpTop: r.Top += 1; break;
    case tpBottom: r.Bottom -= 1; break;
    case tpLeft: r.Left += 1; break;
    case tpRight: r.Right -= 1; break;
  }
  return r;
}

// ---- painting -----------------------------------------------------------------------------------

template <class Base>
void TFSTabSkin<Base>::WMPaint(TWMPaint& m) {
  if (!FSkinItem) {
    Base::WMPaint(m);
    return;
  }
  this->FControlState.Include(csCustomPaint);
  Base::WMPaint(m);
  this->FControlState.Exclude(csCustomPaint);
}

template <class Base>
void TFSTabSkin<Base>::PaintWindow(HDC dc) {
  if (!FSkinItem) {
    Base::PaintWindow(dc);
    return;
  }
  TCanvas* canvas = this->Canvas();
  TCanvasLock lock(canvas);
  canvas->SetHandle(dc);
  PaintSkin();
  canvas->SetHandle(nullptr);
}

template <class Base>
void TFSTabSkin<Base>::PaintSkin() {
  TCanvas* canvas = this->Canvas();
  HDC dc = canvas->Handle();
  const int selected = this->TabIndex();
  const int count = this->Tabs()->Count();

  // The frame, kept off the selected tab so that the tab joins its page.
  {
    const int saved = SaveDC(dc);
    if (selected >= 0) {
      const TRect tab = this->TabRect(selected);
      ExcludeClipRect(dc, tab.Left - 2, tab.Top - 2, tab.Right - 2, tab.Bottom + 2);
    }
    const TRect frame = FrameRect();
    if (frame.Height() >= 3)
      if (TSkinItemState* state = FSkinItem->GetPartStateByIndex(FramePartId(), 0)) state->Draw(canvas, frame);
    RestoreDC(dc, saved);
  }

  if (this->MultiLine()) {
    // Rows drawn from the top one down, so that the row with the greatest Top comes last.
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::vector<TRect> rects;
    for (int i = 0; i < count; ++i) rects.push_back(this->TabRect(i));
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return rects[static_cast<size_t>(a)].Top > rects[static_cast<size_t>(b)].Top; });
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
      TRect r = rects[static_cast<size_t>(*it)];
      r.Left -= 2;
      r.Top -= 2;
      r.Bottom += 2;
      DrawTab(*it, r, *it == selected);
    }
    return;
  }
  // An overflowing strip of top or bottom tabs ends in the scroller's two arrows, which the
  // standard painting would draw: the tabs stay clear of them.
  const bool horizontal = this->TabPosition() == tpTop || this->TabPosition() == tpBottom;
  const int arrowWidth = GetSystemMetrics(SM_CXVSCROLL);
  const int usable = this->ClientWidth() - 2 * arrowWidth - 2;
  const bool overflow = horizontal && count > 0 &&
                        this->TabRect(count - 1).Right - this->TabRect(0).Left > this->ClientWidth() - 4;
  const TRect strip = TabStripRect();
  const int saved = SaveDC(dc);
  if (overflow) ExcludeClipRect(dc, usable, strip.Top, this->ClientWidth(), strip.Bottom);
  for (int i = 0; i < count; ++i) {
    TRect r = this->TabRect(i);
    r.Left -= 2;
    r.Right -= 2;
    r.Top -= 2;
    r.Bottom += 2;
    DrawTab(i, r, i == selected);
  }
  RestoreDC(dc, saved);
  if (!overflow) return;
  const TRect row = this->TabRect(count - 1);
  const int height = std::min<int>(row.Height(), GetSystemMetrics(SM_CYHSCROLL));
  const int top = this->TabPosition() == tpBottom ? row.Top + 2 : row.Bottom - height - 2;
  RECT right{this->ClientWidth() - arrowWidth, top, this->ClientWidth(), top + height};
  RECT left{right.left - arrowWidth, top, right.left, top + height};
  const bool enabled = this->Enabled();
  DrawFrameControl(dc, &left, DFC_SCROLL,
                   DFCS_SCROLLLEFT | (this->TabRect(0).Left < 0 && enabled ? 0 : DFCS_INACTIVE));
  DrawFrameControl(dc, &right, DFC_SCROLL,
                   DFCS_SCROLLRIGHT | (this->TabRect(count - 1).Right > usable && enabled ? 0 : DFCS_INACTIVE));
}

template <class Base>
void TFSTabSkin<Base>::DrawTab(int tabIndex, const TRect& rect, bool active) {
  if (!FSkinItem) {
    Base::DrawTab(tabIndex, rect, active);
    return;
  }
  TCanvas* canvas = this->Canvas();
  const int stateIndex = active ? 2 : tabIndex == FHotTab ? 1 : 0;
  if (TSkinItemState* state = FSkinItem->GetPartStateByIndex(TabPartId(), stateIndex)) state->Draw(canvas, rect);
  if (this->OwnerDraw()) {
    Base::DrawTab(tabIndex, rect, active);
    return;
  }

  TRect r = rect;
  canvas->SetFont(this->Font());
  const TTabPosition position = this->TabPosition();
  switch (position) {
    case tpTop: r.Top += 2; break;
    case tpBottom: r.Bottom -= 2; break;
    case tpLeft:
      r.Left += 2;
      canvas->Font()->SetOrientation(900);
      break;
    case tpRight:
      r.Right -= 2;
      canvas->Font()->SetOrientation(2700);
      break;
  }
  const int w = r.Width(), h = r.Height();
  const AnsiString caption = this->Tabs()->Get(tabIndex);
  // The extent of the unrotated caption: its length along the text and its height across.
  const TSize extent = [&] {
    const int orientation = canvas->Font()->Orientation();
    canvas->Font()->SetOrientation(0);
    const TSize size = canvas->TextExtent(caption);
    canvas->Font()->SetOrientation(orientation);
    return size;
  }();
  const int tw = extent.cx, th = extent.cy;
  TCustomImageList* images = this->Images();
  const int imageIndex = images ? this->GetImageIndex(tabIndex) : -1;
  const int iw = images ? images->Width() : 0, ih = images ? images->Height() : 0, gap = images ? 4 : 0;
  canvas->Brush()->SetStyle(bsClear);
  auto drawImage = [&](int x, int y) {
    if (images && imageIndex >= 0) images->Draw(canvas, x, y, imageIndex, true);
  };
  switch (position) {
    case tpTop:
    case tpBottom: {
      const int x = r.Left + (w - tw - iw - gap) / 2;
      drawImage(x, r.Top + (h - ih) / 2);
      canvas->TextRect(r, x + iw + gap, r.Top + (h - th) / 2, caption);
      break;
    }
    case tpLeft: {
      const int y = r.Top + tw + (h - tw - ih - gap) / 2;
      canvas->TextRect(r, r.Left + (w - th) / 2, y, caption);
      drawImage(r.Left + (w - iw) / 2, y + gap);
      break;
    }
    case tpRight: {
      const int y0 = (h - tw - ih - gap) / 2;
      drawImage(r.Left + (w - iw) / 2, r.Top + y0);
      canvas->TextRect(r, r.Left + th + (w - th) / 2, r.Top + y0 + ih + gap, caption);
      break;
    }
  }
  canvas->Font()->SetOrientation(0);

  if (active && this->HandleAllocated() && this->Focused() && IsFocusRectVisible(this->Handle())) {
    TRect focus = rect;
    const bool across = position == tpTop || position == tpBottom;
    focus.Left += across ? 3 : 1;
    focus.Right -= across ? 3 : 1;
    focus.Top += across ? 1 : 3;
    focus.Bottom -= across ? 1 : 3;
    canvas->Brush()->SetColor(this->Color());
    DrawFocusRectCanvas(canvas, focus);
  }
}

template <class Base>
void TFSTabSkin<Base>::WMEraseBkgnd(TWMEraseBkgnd& m) {
  const TRect display = this->DisplayRect();
  if (this->ParentBackground()) {
    const bool screenRequest = m.Message.WParam != static_cast<WPARAM>(m.Message.LParam);
    if (!(this->DoubleBuffered() && screenRequest)) {
      const int saved = SaveDC(m.DC);
      ExcludeClipRect(m.DC, display.Left, display.Top, display.Right, display.Bottom);
      DrawParentImage(this, m.DC);
      RestoreDC(m.DC, saved);
    }
    m.SetResult(1);
    return;
  }
  if (this->Tabs()->Count() > 0) {
    const int saved = SaveDC(m.DC);
    ExcludeClipRect(m.DC, display.Left, display.Top, display.Right, display.Bottom);
    Base::WMEraseBkgnd(m);
    RestoreDC(m.DC, saved);
    return;
  }
  Base::WMEraseBkgnd(m);
}

// ---- hover --------------------------------------------------------------------------------------

template <class Base>
void TFSTabSkin<Base>::SetHotTab(int value) {
  if (value == FHotTab) return;
  FHotTab = value;
  if (!FSkinItem || !this->HandleAllocated()) return;
  const RECT strip = ToRect(TabStripRect());
  InvalidateRect(this->Handle(), &strip, FALSE);
}

template <class Base>
void TFSTabSkin<Base>::MouseMove(TShiftState shift, int x, int y) {
  Base::MouseMove(shift, x, y);
  SetHotTab(this->IndexOfTabAt(x, y));
}

template <class Base>
void TFSTabSkin<Base>::CMMouseLeave(TCMMouseEnterLeave& m) {
  Base::CMMouseLeave(m);
  SetHotTab(-1);
}

template <class Base>
void TFSTabSkin<Base>::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL: {
      Base::Dispatch(m);
      const RECT strip = ToRect(TabStripRect());
      if (this->HandleAllocated()) InvalidateRect(this->Handle(), &strip, TRUE);
      return;
    }
    case TCM_SETIMAGELIST:
      Base::Dispatch(m);
      if (this->HandleAllocated())
        RedrawWindow(this->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return;
    case CM_SKINCHANGED:
      Base::Dispatch(m);
      UpdateSkin();
      return;
    default: Base::Dispatch(m); return;
  }
}

template class TFSTabSkin<TCustomTabControl>;
template class TFSTabSkin<TPageControl>;

// ---- the page control ---------------------------------------------------------------------------

void TFSPageControl::DescribeClass(TClassBuilder<TFSPageControl>& c) {
  c.Property("SkinName", &TFSPageControl::SkinName, &TFSPageControl::SetSkinName)
      .Stored(&TFSPageControl::IsSkinNameStored);
  c.Property("Transparent", &TFSPageControl::Transparent, &TFSPageControl::SetTransparent).Default(0);
}

TFSPageControl::TFSPageControl(TComponent* owner) : TFSTabSkin<TPageControl>(owner) { SetParentColor(true); }

// ---- the sheet ----------------------------------------------------------------------------------

void TFSTabSheet::DescribeClass(TClassBuilder<TFSTabSheet>& c) { (void)c; }

bool TFSTabSheet::PageControlSkinned() const {
  auto* pages = dynamic_cast<TFSPageControl*>(PageControl());
  return pages && pages->SkinItem();
}

void TFSTabSheet::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WindowClass.style |= CS_PARENTDC;
  params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TFSTabSheet::WMEraseBkgnd(TWMEraseBkgnd& m) {
  if (!PageControlSkinned()) {
    inherited::WMEraseBkgnd(m);
    return;
  }
  const bool screenRequest = m.Message.WParam != static_cast<WPARAM>(m.Message.LParam);
  if (!(DoubleBuffered() && screenRequest)) DrawParentImage(this, m.DC);
  m.SetResult(1);
}

void TFSTabSheet::WMNCPaint(TMessage& m) {
  if (!PageControlSkinned() || BorderWidth() == 0) {
    inherited::WMNCPaint(m);
    return;
  }
  // The border shows the page control's picture under it.
  HDC dc = GetWindowDC(Handle());
  RECT client{};
  GetClientRect(Handle(), &client);
  ExcludeClipRect(dc, BorderWidth(), BorderWidth(), BorderWidth() + client.right, BorderWidth() + client.bottom);
  SetWindowOrgEx(dc, -BorderWidth(), -BorderWidth(), nullptr);
  DrawParentImage(this, dc);
  ReleaseDC(Handle(), dc);
  m.Result = 0;
}
