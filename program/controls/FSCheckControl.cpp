#include "program/controls/FSCheckControl.h"

#include <algorithm>

#include "program/controls/ButtonDraw.h"
#include "program/skin/DrawUtils.h"

namespace {

constexpr WORD kButtonClicked = 0;  // BN_CLICKED
constexpr int kClassicBoxSize = 13;

}  // namespace

TFSCheckControl::TFSCheckControl(TComponent* owner, const char* defaultSkinName)
    : TCustomControl(owner), FSkinName(defaultSkinName), FDefaultSkinName(defaultSkinName) {
  // Clicks come from the handlers, not from the platform.
  FControlStyle.Exclude(csClickEvents);
  SetParentColor(true);
  SetParentFont(true);
  SetTabStop(true);
  SetBounds(0, 0, 121, 17);
  FHideFocus = !GetKeyboardCues();
  UpdateSkin();
}

TFSCheckControl::~TFSCheckControl() {
  Destroying();
  FFadeAnimator.reset();
  FFrameAnimator.reset();
}

// ---- skin ---------------------------------------------------------------------------------------

AnsiString TFSCheckControl::SkinName() const { return TFSSkinEngine::FormatSkinName(FSkinName, FPartId); }

void TFSCheckControl::SetSkinName(const AnsiString& value) {
  if (!SetSkinReference(FSkinName, FPartId, value)) return;
  FSkinItem = nullptr;
  UpdateSkin();
}

void TFSCheckControl::UpdateSkin() {
  FSkinItem = ResolveSkinItem(this, FSkinName);
  if (FSkinItem)
    if (TSkinItemPart* first = FSkinItem->GetPart(0)) first->ApplyToControl(this);
  // The box may have another size in the new skin.
  AdjustBounds();
  Invalidate();
}

void TFSCheckControl::Loaded() {
  inherited::Loaded();
  UpdateSkin();
}

void TFSCheckControl::CMSkinChanged(TMessage& m) {
  inherited::Dispatch(m);
  UpdateSkin();
}

// ---- properties ---------------------------------------------------------------------------------

void TFSCheckControl::SetShadow(bool value) {
  if (value == FShadow) return;
  FShadow = value;
  Invalidate();
}

void TFSCheckControl::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  AdjustBounds();
  Invalidate();
}

void TFSCheckControl::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  AdjustBounds();
  Invalidate();
}

void TFSCheckControl::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  AdjustBounds();
  Invalidate();
}

void TFSCheckControl::SetLayout(TTextLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  AdjustBounds();
  Invalidate();
}

void TFSCheckControl::SetSpacing(int value) {
  if (value == FSpacing) return;
  FSpacing = value;
  AdjustBounds();
  Invalidate();
}

void TFSCheckControl::SetPressed(bool value) {
  if (value == FPressed) return;
  FPressed = value;
  Invalidate();
}

// ---- measuring ----------------------------------------------------------------------------------

UINT TFSCheckControl::TextFlags() {
  UINT flags = DT_EXPANDTABS;
  if (FWordWrap) flags |= DT_WORDBREAK;
  if (FHandle && !IsAccelVisible(FHandle)) flags |= DT_HIDEPREFIX;
  return flags;
}

TSize TFSCheckControl::BoxSize() {
  if (!FSkinItem) return TSize(kClassicBoxSize, kClassicBoxSize);
  TSkinItemState* state = FSkinItem->GetPartState(FChecked ? 0 : 1, FEnabled, FMouseInClient, FPressed);
  return state ? TSize(state->GetWidth(), state->GetHeight()) : TSize(0, 0);
}

void TFSCheckControl::AdjustBounds() {
  if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading) || !FAutoSize) return;
  const TSize box = BoxSize();
  TScreenMeasureCanvas measure(Font());
  TRect text(0, 0, FWidth - box.cx - FSpacing, FHeight);
  const AnsiString caption = Caption();
  DrawCanvasText(measure.Canvas(), caption, text, TextFlags() | DT_CALCRECT);
  const int captionWidth = text.Width() + 1, captionHeight = text.Height() + 2;
  SetBounds(FLeft, FTop, box.cx + FSpacing + captionWidth, std::max(captionHeight, static_cast<int>(box.cy)));
}

// ---- painting -----------------------------------------------------------------------------------

void TFSCheckControl::DrawBox(TCanvas* canvas, const TRect& box) {
  if (!FSkinItem) {
    DrawFallbackBox(canvas, box);
    return;
  }
  TSkinItemState* state = FSkinItem->GetPartState(FChecked ? 0 : 1, FEnabled, FMouseInClient, FPressed);
  if (!state) return;
  if (!FFrameAnimator) FFrameAnimator = std::make_unique<TControlSkinFrameAnimator>(this, true);
  FFrameAnimator->SetSkinState(state);
  FFrameAnimator->SetActive(true);
  state->Draw(canvas, box, FFrameAnimator->FrameIndex);
}

void TFSCheckControl::DrawCaption(TCanvas* canvas, const TRect& rect, UINT flags) {
  const AnsiString caption = Caption();
  canvas->Brush()->SetStyle(bsClear);
  auto draw = [&](int dx, int dy, TColor colour) {
    canvas->Font()->SetColor(colour);
    TRect r(rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy);
    DrawCanvasText(canvas, caption, r, flags);
  };
  if (!FEnabled) {
    draw(1, 1, clBtnHighlight);
    draw(0, 0, clBtnShadow);
  } else if (FShadow) {
    draw(1, 1, clBlack);
    draw(0, 0, clWhite);
  } else {
    draw(0, 0, Font()->Color());
  }
}

void TFSCheckControl::Paint() {
  TCanvas* canvas = Canvas();
  const TRect client = ClientRect();
  const bool focused = Focused();
  TSkinFadePaint fade(FFadeAnimator, this, canvas, client, {FEnabled, FMouseInClient, FPressed, focused});
  if (!fade.Painting()) return;

  canvas->SetFont(Font());
  const TSize box = BoxSize();
  const UINT flags = TextFlags();
  const int height = client.Height();
  auto offset = [&](int contentHeight) {
    return FLayout == tlTop ? 0 : FLayout == tlCenter ? (height - contentHeight) / 2 : height - contentHeight;
  };

  TRect boxRect, captionRect;
  // Right-to-left reading puts the box at the right whatever the alignment.
  if (FAlignment != taLeftJustify && !UseRightToLeftReading()) {
    boxRect = TRect(client.Left, client.Top, client.Left + box.cx, client.Top + box.cy);
    const int dy = offset(box.cy);
    boxRect.Top += dy, boxRect.Bottom += dy;
    const int left = boxRect.Right + FSpacing;
    TRect measured(left, client.Top, client.Right, client.Bottom);
    DrawCanvasText(canvas, Caption(), measured, flags | DT_CALCRECT);
    captionRect = TRect(left, client.Top, client.Right, client.Bottom);
    const int cy = offset(measured.Height());
    captionRect.Top += cy, captionRect.Bottom += cy;
  } else {
    boxRect = TRect(client.Right - box.cx, client.Top, client.Right, client.Top + box.cy);
    const int dy = offset(box.cy);
    boxRect.Top += dy, boxRect.Bottom += dy;
    // Measured within the box's rectangle (as the other arrangement measures from its
    // left edge); its height places it.
    TRect measured = boxRect;
    DrawCanvasText(canvas, Caption(), measured, flags | DT_CALCRECT);
    captionRect = TRect(client.Left, client.Top, boxRect.Left - FSpacing, client.Bottom);
    const int cy = offset(measured.Height());
    captionRect.Top += cy, captionRect.Bottom += cy;
  }
  DrawBox(canvas, boxRect);
  DrawCaption(canvas, captionRect, flags);

  const AnsiString caption = Caption();
  if (!FHideFocus && focused && !caption.empty()) {
    TRect measured(0, 0, captionRect.Width(), client.Height());
    canvas->SetFont(Font());
    DrawCanvasText(canvas, caption, measured, flags | DT_CALCRECT);
    const TRect focus(captionRect.Left - 1, client.Top, captionRect.Left + measured.Width() + 1, client.Bottom);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FColor);
    canvas->DrawFocusRect(focus);
  }
}

void TFSCheckControl::WMEraseBkgnd(TWMEraseBkgnd& m) {
  if (!EraseTransparentBackground(this, m)) inherited::WMEraseBkgnd(m);
}

// ---- window and messages ------------------------------------------------------------------------

void TFSCheckControl::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WindowClass.style |= CS_PARENTDC | CS_HREDRAW | CS_VREDRAW;
  if (!ComponentState().Contains(csDesigning)) params.WindowClass.style &= ~CS_DBLCLKS;
}

void TFSCheckControl::CreateWnd() {
  inherited::CreateWnd();
  SendMessageA(FHandle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
}

void TFSCheckControl::CMEnabledChanged(TMessage& m) {
  inherited::CMEnabledChanged(m);
  if (!FEnabled) FPressed = false;
  StopSkinFade(FFadeAnimator);
  Invalidate();
}

void TFSCheckControl::CMFontChanged(TMessage& m) {
  inherited::CMFontChanged(m);
  StopSkinFade(FFadeAnimator);
  AdjustBounds();
}

void TFSCheckControl::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  AdjustBounds();
  StopSkinFade(FFadeAnimator);
  Invalidate();
}

void TFSCheckControl::CMMouseEnter(TCMMouseEnterLeave& m) {
  inherited::CMMouseEnter(m);
  if ((!m.Sender || m.Sender == this) && FEnabled) Invalidate();
}

void TFSCheckControl::CMMouseLeave(TCMMouseEnterLeave& m) {
  inherited::CMMouseLeave(m);
  if ((!m.Sender || m.Sender == this) && FEnabled) Invalidate();
}

void TFSCheckControl::CMSysColorChange(TMessage& m) {
  inherited::CMSysColorChange(m);
  Invalidate();
}

void TFSCheckControl::CNCommand(TWMCommand& m) {
  if (m.NotifyCode == kButtonClicked) Click();
}

void TFSCheckControl::CNKeyDown(TWMKey& m) {
  inherited::CNKeyDown(m);
  if (m.CharCode == VK_SPACE) SetPressed(true);
}

void TFSCheckControl::WMSetFocus(TWMFocus& m) {
  inherited::WMSetFocus(m);
  if (Focused()) Invalidate();
}

void TFSCheckControl::WMKillFocus(TWMFocus& m) {
  inherited::WMKillFocus(m);
  if (!Focused()) Repaint();
}

void TFSCheckControl::WMUpdateUIState(TMessage& m) {
  DefaultHandler(m);
  const WORD action = LOWORD(m.WParam);
  if (action != UIS_SET && action != UIS_CLEAR) return;
  if (HIWORD(m.WParam) & UISF_HIDEFOCUS) FHideFocus = action == UIS_SET;
  Invalidate();
}

void TFSCheckControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND: { TWMCommand v(m); CNCommand(v); return; }
    case WM_UPDATEUISTATE: WMUpdateUIState(m); return;
    case CM_SKINCHANGED: CMSkinChanged(m); return;
    default: inherited::Dispatch(m); return;
  }
}
