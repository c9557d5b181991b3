#include "program/controls/FSSkinButton.h"

#include "program/controls/ButtonDraw.h"
#include "program/skin/DrawUtils.h"
#include "vcl/Action.h"
#include "vcl/Icon.h"
#include "vcl/WinControl.h"

namespace {
// Fill modes of a skin part.
constexpr uint8_t kFillNone = 1, kFillStretch = 2;
}  // namespace

void TFSSkinButton::DescribeClass(TClassBuilder<TFSSkinButton>& c) {
  c.Property("SkinName", &TFSSkinButton::SkinName, &TFSSkinButton::SetSkinName);
  c.Property("GlyphSkinName", &TFSSkinButton::GlyphSkinName, &TFSSkinButton::SetGlyphSkinName);
  c.Property("Alignment", &TFSSkinButton::Alignment, &TFSSkinButton::SetAlignment).Default(taCenter);
  c.Property("VerticalAlignment", &TFSSkinButton::VerticalAlignment, &TFSSkinButton::SetVerticalAlignment)
      .Default(taVerticalCenter);
  c.Property("DownOffset", &TFSSkinButton::DownOffset, &TFSSkinButton::SetDownOffset).Default(1);
  c.Property("Exclusive", &TFSSkinButton::Exclusive, &TFSSkinButton::SetExclusive).Default(0);
  c.Property("AllowAllUp", &TFSSkinButton::AllowAllUp, &TFSSkinButton::SetAllowAllUp).Default(0);
  c.Property("GroupIndex", &TFSSkinButton::GroupIndex, &TFSSkinButton::SetGroupIndex).Default(0);
  c.Property("Down", &TFSSkinButton::Down, &TFSSkinButton::SetDown).Default(0);
  c.Property("Caption", &TFSSkinButton::Caption, &TFSSkinButton::SetCaption);
  c.Property("Layout", &TFSSkinButton::Layout, &TFSSkinButton::SetLayout).Default(blGlyphLeft);
  c.Property("Margin", &TFSSkinButton::Margin, &TFSSkinButton::SetMargin).Default(4);
  c.Property("Glyph", &TFSSkinButton::Glyph, &TFSSkinButton::SetGlyph);
  c.Property("Spacing", &TFSSkinButton::Spacing, &TFSSkinButton::SetSpacing).Default(4);
  c.Property("Transparent", &TFSSkinButton::Transparent, &TFSSkinButton::SetTransparent).Default(1);
  c.Property("ThemedFrame", &TFSSkinButton::ThemedFrame, &TFSSkinButton::SetThemedFrame).Default(0);
  c.Property("WordWrap", &TFSSkinButton::WordWrap, &TFSSkinButton::SetWordWrap).Default(0);
  c.Property("Stretch", &TFSSkinButton::Stretch, &TFSSkinButton::SetStretch).Default(1);
}

TFSSkinButton::TFSSkinButton(TComponent* owner) : TButtonFace<TGraphicControl>(owner) {
  // No click events from the platform (the mouse protocol below clicks), no double clicks,
  // not opaque.
  SetControlStyle(TControlStyle{csCaptureMouse});
  SetBounds(FLeft, FTop, 75, 25);
  SetColor(clBtnFace);
}

TFSSkinButton::~TFSSkinButton() {
  Destroying();
  FFadeAnimator.reset();
}

// ---- skin ---------------------------------------------------------------------------------------

void TFSSkinButton::UpdateSkin() {
  ResolveSkinPart(this, FSkinPart, {.Adopt = [this](TSkinItemPart* part) {
                    if (part && part->FillMode == kFillNone) FBodyStretch = false;
                    else if (part && part->FillMode == kFillStretch) FBodyStretch = true;
                    SetTransparent(!part || part->IsTransparent() || !FBodyStretch);
                  }});
}

void TFSSkinButton::UpdateGlyphSkin() {
  ResolveSkinPart(this, FGlyphSkinPart, {.Adopt = [this](TSkinItemPart* part) {
                    if (part && part->FillMode == kFillNone) FStretch = false;
                    else if (part && part->FillMode == kFillStretch) FStretch = true;
                  }});
}

void TFSSkinButton::SetSkinPart(const AnsiString& name, int partId) {
  FGlyphSkinPart.SetSkin(name, partId);
  UpdateGlyphSkin();
}

void TFSSkinButton::Loaded() {
  inherited::Loaded();
  UpdateSkin();
  UpdateGlyphSkin();
}

void TFSSkinButton::CMSkinChanged(TMessage& m) {
  inherited::Dispatch(m);
  UpdateSkin();
  UpdateGlyphSkin();
}

// ---- properties ---------------------------------------------------------------------------------

void TFSSkinButton::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  AnnounceGroup();
}

void TFSSkinButton::SetAllowAllUp(bool value) {
  if (value == FAllowAllUp) return;
  FAllowAllUp = value;
  AnnounceGroup();
}

void TFSSkinButton::SetDown(bool value) {
  if (value == FDown) return;
  FDown = value;
  SetState(value ? sbsExclusive : sbsUp);
  // The caption and glyph move with the down offset whatever the skin shows.
  Invalidate();
  if (value) AnnounceGroup();
}

void TFSSkinButton::AnnounceGroup() {
  if (FGroupIndex == 0 || !FParent) return;
  TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), reinterpret_cast<LPARAM>(this), 0};
  FParent->Broadcast(m);
}

void TFSSkinButton::SetMargin(int value) {
  if (value >= -1) TButtonFace::SetMargin(value);
}

void TFSSkinButton::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  Invalidate();
}

void TFSSkinButton::SetStretch(bool value) {
  if (value == FStretch) return;
  FStretch = value;
  Invalidate();
}

void TFSSkinButton::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  if (value) FControlStyle.Exclude(csOpaque);
  else FControlStyle.Include(csOpaque);
  Invalidate();
}

void TFSSkinButton::SetThemedFrame(bool value) {
  if (value == FThemedFrame) return;
  FThemedFrame = value;
  if (!FSkinPart.Part) Invalidate();
}

bool TFSSkinButton::LookCanChange() const {
  if (!FEnabled) return false;
  if (!FSkinPart.Part && FThemedFrame) return true;
  return SkinStateCount(FSkinPart.Part) > 1 || SkinStateCount(FGlyphSkinPart.Part) > 1;
}

void TFSSkinButton::SetState(TFSSkinButtonState value) {
  if (value == FState) return;
  FState = value;
  if (LookCanChange()) Invalidate();
}

void TFSSkinButton::SetHot(bool value) {
  if (value == FHot) return;
  FHot = value;
  if (LookCanChange()) Invalidate();
}

// ---- mouse --------------------------------------------------------------------------------------

void TFSSkinButton::Click() { inherited::Click(); }

void TFSSkinButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (button != mbLeft || !FEnabled) return;
  if (!FDown) SetState(sbsDown);
  FDragging = true;
}

void TFSSkinButton::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  if (!FDragging) return;
  const bool inside = x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight();
  SetState(FDown ? sbsExclusive : inside ? sbsDown : sbsUp);
}

void TFSSkinButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (!FDragging) return;
  FDragging = false;
  const bool inside = x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight();
  if (FExclusive && FGroupIndex != 0) {
    if (inside) {
      SetDown(true);
      SetState(sbsExclusive);
    } else {
      SetState(FDown ? sbsExclusive : sbsUp);
    }
  } else if (FExclusive && inside) {
    SetDown(!FDown);
  } else {
    FDown = false;
    SetState(sbsUp);
    Invalidate();
  }
  if (inside) Click();
}

// ---- messages -----------------------------------------------------------------------------------

void TFSSkinButton::CMButtonPressed(TMessage& m) {
  auto* sender = reinterpret_cast<TFSSkinButton*>(m.LParam);
  if (static_cast<int>(m.WParam) != FGroupIndex || !sender || sender == this) return;
  if (sender->FDown && FDown) {
    FDown = false;
    SetState(sbsUp);
    Invalidate();
    if (auto* action = dynamic_cast<TCustomAction*>(Action())) action->SetChecked(false);
  }
  FAllowAllUp = sender->FAllowAllUp;
}

void TFSSkinButton::CMDialogChar(TWMKey& m) {
  if (IsAccel(m.CharCode, Caption()) && FEnabled && FVisible && FParent && FParent->IsShowing()) {
    Click();
    m.SetResult(1);
    return;
  }
  inherited::Dispatch(m.Message);
}

void TFSSkinButton::CMEnabledChanged(TMessage& m) {
  inherited::CMEnabledChanged(m);
  StopSkinFade(FFadeAnimator);
  FHot = false;
  if (!FEnabled) SetState(sbsDisabled);
  Invalidate();
}

void TFSSkinButton::CMFontChanged(TMessage& m) {
  inherited::CMFontChanged(m);
  StopSkinFade(FFadeAnimator);
  Invalidate();
}

void TFSSkinButton::CMTextChanged(TMessage& m) {
  inherited::CMTextChanged(m);
  StopSkinFade(FFadeAnimator);
  Invalidate();
}

void TFSSkinButton::CMSysColorChange(TMessage& m) {
  inherited::CMSysColorChange(m);
  Invalidate();
}

void TFSSkinButton::CMMouseEnter(TCMMouseEnterLeave& m) {
  inherited::CMMouseEnter(m);
  if (!m.Sender || m.Sender == this) SetHot(true);
}

void TFSSkinButton::CMMouseLeave(TCMMouseEnterLeave& m) {
  inherited::CMMouseLeave(m);
  if (!m.Sender || m.Sender == this) SetHot(false);
}

void TFSSkinButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_BUTTONPRESSED: CMButtonPressed(m); return;
    case CM_DIALOGCHAR: { TWMKey v(m); CMDialogChar(v); return; }
    case CM_SKINCHANGED: CMSkinChanged(m); return;
    default: inherited::Dispatch(m); return;
  }
}

// ---- painting -----------------------------------------------------------------------------------

void TFSSkinButton::Paint() {
  TCanvas* canvas = Canvas();
  const TRect client = ClientRect();
  const bool pressed = FState == sbsDown || FDown;
  TSkinFadePaint fade(FFadeAnimator, this, canvas, client, {FEnabled, FHot, pressed, false});
  if (!fade.Painting()) return;

  if (!FThemedFrame && (!FGlyphSkinPart.Part || !FTransparent)) DrawDesignFrame(this, canvas);
  canvas->SetFont(Font());

  TSkinItemPart* body = FSkinPart.Part;
  TSkinItemPart* glyphPart = FGlyphSkinPart.Part;
  TSkinItemState* state = body ? body->GetStateFor(FEnabled, FHot, pressed) : nullptr;
  if (state) {
    FSkinPart.UpdateAnimation(state, true);
    TRect target = client;
    if (!FBodyStretch) {
      const int w = state->GetWidth(), h = state->GetHeight();
      const int x = (FWidth - w) / 2, y = (FHeight - h) / 2;
      target = TRect(x, y, x + w, y + h);
    }
    state->Font.ApplyToFont(canvas->Font());
    state->Draw(canvas, target, FSkinPart.Animator ? FSkinPart.Animator->FrameIndex.load() : 0);
  } else if (TSkinItemState* glyphState = glyphPart ? glyphPart->GetStateFor(FEnabled, FHot, pressed) : nullptr) {
    glyphState->Font.ApplyToFont(canvas->Font());
  } else if (FThemedFrame) {
    DrawButtonFrame(this, canvas->Handle(), client, FEnabled, FHot, pressed, false, false, true);
  }

  // Layout.
  const int pressOffset = pressed ? FDownOffset : 0;
  const TSize glyph = ButtonGlyphSize(FGlyph.get(), glyphPart);
  // Measured and drawn without tab expansion, as the reading-order adjustment leaves the flags.
  const UINT flags = (FWordWrap ? DT_WORDBREAK : 0) | ButtonAlignmentFlags(FAlignment, FVerticalAlignment);
  AnsiString caption = Caption();
  TRect available = client;
  if (FWordWrap) {
    if ((FLayout == blGlyphLeft || FLayout == blGlyphRight) && glyph.cx != 0) available.Right -= glyph.cx + FSpacing;
    if ((FLayout == blGlyphTop || FLayout == blGlyphBottom) && glyph.cy != 0) available.Bottom -= glyph.cy + FSpacing;
  }
  auto measure = [&](const AnsiString& text) {
    // An empty caption, or one of just "&", still measures one line.
    const AnsiString measured = text.empty() || text == "&" ? text + " " : text;
    TRect r(0, 0, available.Right - available.Left, available.Bottom - available.Top);
    DrawCanvasText(canvas, measured, r, DrawTextBiDiModeFlags(flags) | DT_CALCRECT);
    return r;
  };
  if (FWordWrap && !caption.empty())
    caption = CutCaptionToFit(
        caption, [&](const AnsiString& text) { return measure(text).Height(); }, available.Bottom - available.Top,
        canvas->Font()->Height());
  FFittedCaption = caption;
  const TButtonContent content = LayOutContent(
      caption,
      [&](const AnsiString& text) {
        const TRect measured = measure(text);
        return TSize(measured.Width(), measured.Height());
      },
      pressOffset);

  TSkinItemState* glyphState = glyphPart ? glyphPart->GetStateFor(FEnabled, FHot, pressed) : nullptr;
  // An icon glyph still lends the glyph part's font to the caption.
  if (glyphState && HasGlyphPicture(FGlyph.get()) && dynamic_cast<TIcon*>(FGlyph->Graphic()))
    glyphState->Font.ApplyToFont(canvas->Font());
  DrawButtonGlyph(canvas, FGlyph.get(), FGlyphSkinPart, glyphState, content, FEnabled);
  DrawButtonCaption(canvas, content, DrawTextBiDiModeFlags(flags));
}
