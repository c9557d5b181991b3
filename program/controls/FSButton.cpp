#include "program/controls/FSButton.h"

#include "program/controls/ButtonDraw.h"
#include "program/skin/DrawUtils.h"

namespace {
// The button notification of a click (BN_CLICKED) reflected as CN_COMMAND.
constexpr WORD kButtonClicked = 0;
}  // namespace

void TFSButton::DescribeClass(TClassBuilder<TFSButton>& c) {
  c.Property("SkinName", &TFSButton::SkinName, &TFSButton::SetSkinName).Stored(&TFSButton::IsSkinNameStored);
  c.Property("GlyphSkinName", &TFSButton::GlyphSkinName, &TFSButton::SetGlyphSkinName);
  c.Property("Alignment", &TFSButton::Alignment, &TFSButton::SetAlignment).Default(taCenter);
  c.Property("Cancel", &TFSButton::Cancel, &TFSButton::SetCancel).Default(0);
  c.Property("Default", &TFSButton::Default, &TFSButton::SetDefault).Default(0);
  c.Property("ModalResult", &TFSButton::ModalResult, &TFSButton::SetModalResult).Default(0);
  c.Property("Glyph", &TFSButton::Glyph, &TFSButton::SetGlyph);
  c.Property("Layout", &TFSButton::Layout, &TFSButton::SetLayout).Default(blGlyphLeft);
  c.Property("DownOffset", &TFSButton::DownOffset, &TFSButton::SetDownOffset).Default(1);
  c.Property("Transparent", &TFSButton::Transparent, &TFSButton::SetTransparent).Default(0);
  c.Property("Margin", &TFSButton::Margin, &TFSButton::SetMargin).Default(4);
  c.Property("Spacing", &TFSButton::Spacing, &TFSButton::SetSpacing).Default(4);
  c.Property("VerticalAlignment", &TFSButton::VerticalAlignment, &TFSButton::SetVerticalAlignment)
      .Default(taVerticalCenter);
  c.Property("TabStop", &TFSButton::TabStop, &TFSButton::SetTabStop).Default(1);
  c.Property("Height", &TFSButton::Height, &TFSButton::SetHeight).Default(25);
  c.Property("Caption", &TFSButton::Caption, &TFSButton::SetCaption);
}

TFSCustomButton::TFSCustomButton(TComponent* owner) : TButtonFace<TCustomControl>(owner) {
  SetBounds(FLeft, FTop, 75, 25);
  SetTabStop(true);
  FSkinPart.SkinName = "Button";
  UpdateSkin();
}

TFSCustomButton::~TFSCustomButton() {
  Destroying();
  FFadeAnimator.reset();
}

// ---- skin ---------------------------------------------------------------------------------------

void TFSCustomButton::UpdateSkin() {
  ResolveSkinPart(this, FSkinPart);
}

void TFSCustomButton::UpdateGlyphSkin() {
  // The glyph decides nothing about the button's transparency.
  ResolveSkinPart(this, FGlyphSkinPart, {.Adopt = [](TSkinItemPart*) {}});
}

void TFSCustomButton::SetSkinPart(const AnsiString& name, int partId) {
  FSkinPart.SetSkin(name, partId);
  UpdateSkin();
}

void TFSCustomButton::Loaded() {
  inherited::Loaded();
  UpdateSkin();
  UpdateGlyphSkin();
}

void TFSCustomButton::CMSkinChanged(TMessage& m) {
  inherited::Dispatch(m);
  UpdateSkin();
  UpdateGlyphSkin();
}

// ---- properties ---------------------------------------------------------------------------------

void TFSCustomButton::SetDownOffset(bool value) {
  if (value == FDownOffset) return;
  FDownOffset = value;
  Invalidate();
}

void TFSCustomButton::SetDefault(bool value) {
  FDefault = value;
  if (!HandleAllocated()) return;
  if (TCustomForm* form = GetParentForm(this))
    form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
  Invalidate();
}

void TFSCustomButton::SetPressed(bool value) {
  if (value == FPressed) return;
  FPressed = value;
  if (HoverChangesLook(this, FSkinPart.Part, FGlyphSkinPart.Part, true)) Invalidate();
}

TSkinStateFlags TFSCustomButton::StateFlags() {
  return {Enabled(), FMouseInClient, FMouseInClient && FPressed, Focused() || FDefault};
}

// ---- window -------------------------------------------------------------------------------------

void TFSCustomButton::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  params.WindowClass.style |= CS_PARENTDC;
  // Without double clicks a fast second click arrives as a second click.
  if (!ComponentState().Contains(csDesigning)) params.WindowClass.style &= ~CS_DBLCLKS;
}

void TFSCustomButton::CreateWnd() {
  inherited::CreateWnd();
  SendMessageA(FHandle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
}

// ---- painting -----------------------------------------------------------------------------------

void TFSCustomButton::Paint() {
  TCanvas* canvas = Canvas();
  const TRect client = ClientRect();
  const bool hot = FMouseInClient;
  const bool down = hot && FPressed;
  const bool focused = Focused();
  TSkinFadePaint fade(FFadeAnimator, this, canvas, client, {Enabled(), hot, FPressed, focused || FDefault});
  if (!fade.Painting()) return;

  const int pressOffset = down && FDownOffset ? 1 : 0;
  canvas->SetFont(Font());

  TSkinItemPart* body = FSkinPart.Part;
  TSkinItemState* state = body ? body->GetStateEx(Enabled(), hot, down, focused || FDefault) : nullptr;
  if (body) FSkinPart.UpdateAnimation(state, true);
  if (state) {
    state->Font.ApplyToFont(canvas->Font());
    if (state->IsEmpty()) DrawDesignFrame(this, canvas);
    else state->Draw(canvas, client, FSkinPart.Animator ? FSkinPart.Animator->FrameIndex.load() : 0);
  } else {
    DrawButtonFrame(this, canvas->Handle(), client, Enabled(), hot, down, focused, FDefault, true);
    if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  }

  UINT flags = ButtonAlignmentFlags(FAlignment, FVerticalAlignment) | DT_EXPANDTABS;
  if (!IsAccelVisible(FHandle)) flags |= DT_HIDEPREFIX;

  const TButtonContent content = LayOutContent(
      Caption(),
      [&](const AnsiString& caption) {
        TRect measured(0, 0, client.Right, client.Bottom);
        DrawCanvasText(canvas, caption, measured, flags | DT_CALCRECT);
        return TSize(measured.Width(), measured.Height());
      },
      pressOffset);
  TSkinItemPart* glyphPart = FGlyphSkinPart.Part;
  DrawButtonGlyph(canvas, FGlyph.get(), FGlyphSkinPart,
                  glyphPart ? glyphPart->GetStateEx(Enabled(), hot, down, focused || FDefault) : nullptr, content,
                  Enabled());
  DrawButtonCaption(canvas, content, flags);

  if (focused && IsFocusRectVisible(FHandle)) DrawFocusRectCanvas(canvas, TRect(3, 3, Width() - 3, Height() - 3));
}

void TFSCustomButton::WMEraseBkgnd(TWMEraseBkgnd& m) {
  // Visual themes are never active, so the themed frame never paints everything itself.
  if (!EraseTransparentBackground(this, m)) inherited::WMEraseBkgnd(m);
}

// ---- clicks, keys and the mouse -----------------------------------------------------------------

void TFSCustomButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  inherited::Click();
}

void TFSCustomButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  if (!Focused() && CanFocus()) SetFocus();
  FActive = true;
  SetPressed(true);
}

void TFSCustomButton::WMLButtonUp(TWMMouse& m) {
  inherited::WMLButtonUp(m);
  SetPressed(false);
}

void TFSCustomButton::CMDialogKey(TWMKey& m) {
  const TShiftState shift = KeyDataToShiftState(m.KeyData);
  const bool plain = !shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
  // The Default button answers Enter unless another push button has the focus: that one
  // answers for itself.
  bool otherButtonFocused = false;
  if (TCustomForm* form = GetParentForm(this))
    otherButtonFocused = form->ActiveControl() != this && dynamic_cast<TFSCustomButton*>(form->ActiveControl());
  const bool enter = m.CharCode == VK_RETURN && (FActive || (FDefault && !otherButtonFocused));
  const bool escape = m.CharCode == VK_ESCAPE && FCancel;
  if ((enter || escape) && plain && CanFocus()) {
    Click();
    m.SetResult(1);
    Invalidate();
    return;
  }
  inherited::CMDialogKey(m);
}

void TFSCustomButton::CMDialogChar(TWMKey& m) {
  if (IsAccel(m.CharCode, Caption()) && CanFocus()) {
    Click();
    m.SetResult(1);
    return;
  }
  inherited::CMDialogChar(m);
}

void TFSCustomButton::CMFocusChanged(TCMFocusChanged& m) {
  if (auto* button = dynamic_cast<TFSCustomButton*>(m.Sender)) {
    const bool active = button == this;
    if (active != FActive) {
      FActive = active;
      Invalidate();
    }
  }
  inherited::CMFocusChanged(m);
}

void TFSCustomButton::CMEnabledChanged(TMessage& m) {
  if (!Enabled()) {
    FActive = false;
    FPressed = false;
  }
  inherited::CMEnabledChanged(m);
  StopSkinFade(FFadeAnimator);
  Invalidate();
}

void TFSCustomButton::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  StopSkinFade(FFadeAnimator);
  Invalidate();
}

void TFSCustomButton::CMMouseEnter(TCMMouseEnterLeave& m) {
  inherited::CMMouseEnter(m);
  if (m.Sender && m.Sender != this) return;
  if (HoverChangesLook(this, FSkinPart.Part, FGlyphSkinPart.Part, true)) Invalidate();
}

void TFSCustomButton::CMMouseLeave(TCMMouseEnterLeave& m) {
  inherited::CMMouseLeave(m);
  if (m.Sender && m.Sender != this) return;
  FPressed = false;
  if (HoverChangesLook(this, FSkinPart.Part, FGlyphSkinPart.Part, true)) Invalidate();
}

void TFSCustomButton::CNCommand(TWMCommand& m) {
  if (m.NotifyCode == kButtonClicked) Click();
}

void TFSCustomButton::CNKeyDown(TWMKey& m) {
  inherited::CNKeyDown(m);
  if (m.CharCode == VK_SPACE) SetPressed(true);
}

void TFSCustomButton::CNKeyUp(TWMKey& m) {
  inherited::CNKeyUp(m);
  if (m.CharCode != VK_SPACE) return;
  Click();
  SetPressed(false);
}

void TFSCustomButton::WMSetFocus(TWMFocus& m) {
  if (Enabled()) FActive = true;
  inherited::WMSetFocus(m);
  if (Focused()) Invalidate();
}

void TFSCustomButton::WMKillFocus(TWMFocus& m) {
  FActive = false;
  inherited::WMKillFocus(m);
  if (!Focused()) Repaint();
}

void TFSCustomButton::WMUpdateUIState(TMessage& m) {
  DefaultHandler(m);
  const WORD action = LOWORD(m.WParam);
  if (action == UIS_SET || action == UIS_CLEAR) Invalidate();
}

void TFSCustomButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND: { TWMCommand v(m); CNCommand(v); return; }
    case WM_UPDATEUISTATE: WMUpdateUIState(m); return;
    case CM_SKINCHANGED: CMSkinChanged(m); return;
    default: inherited::Dispatch(m); return;
  }
}
