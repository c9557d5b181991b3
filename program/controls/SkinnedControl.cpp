#include "program/controls/SkinnedControl.h"

#include "program/skin/DrawUtils.h"
#include "vcl/Canvas.h"
#include "vcl/Control.h"
#include "vcl/WinControl.h"

bool SetSkinReference(TControlSkinPart& record, const AnsiString& text) {
  if (text == record.GetSkinName()) return false;
  record.SetSkinName(text);
  record.Part = nullptr;
  return true;
}

bool SetSkinReference(AnsiString& name, int& id, const AnsiString& text) {
  if (text == TFSSkinEngine::FormatSkinName(name, id)) return false;
  AnsiString parsedName;
  int parsedId = 0;
  TFSSkinEngine::ParseSkinName(text, parsedName, parsedId);
  name = parsedName;
  id = parsedId;
  return true;
}

bool SetSkinReference(AnsiString& name, int& id, TSkinItemPart*& part, const AnsiString& text) {
  if (!SetSkinReference(name, id, text)) return false;
  part = nullptr;
  return true;
}

void ApplySkinTransparency(TWinControl* control, const TSkinItemPart* part) {
  if (!control || !part) return;
  control->SetParentBackground(part->IsTransparent());
  if (control->ParentBackground()) control->SetDoubleBuffered(true);
}

namespace {

TSkinItemPart* FinishResolving(TControl* control, TSkinItemPart* part, const TSkinResolveSteps& steps) {
  if (part && control) part->ApplyToControl(control);
  if (steps.Adopt) steps.Adopt(part);
  else if (auto* windowed = dynamic_cast<TWinControl*>(control)) ApplySkinTransparency(windowed, part);
  if (control) control->Invalidate();
  return part;
}

}  // namespace

TSkinItemPart* ResolveSkinPart(TControl* control, const AnsiString& name, int id, const TSkinResolveSteps& steps) {
  TSkinItemPart* part = SkinEngine ? SkinEngine->GetSkinPart(name, id) : nullptr;
  if (part && steps.BeforeApply) steps.BeforeApply(*part);
  return FinishResolving(control, part, steps);
}

void ResolveSkinPart(TControl* control, TControlSkinPart& record, const TSkinResolveSteps& steps) {
  record.Part = SkinEngine ? SkinEngine->GetSkinPart(record.SkinName, record.PartId) : nullptr;
  if (record.Part && steps.BeforeApply) steps.BeforeApply(*record.Part);
  FinishResolving(control, record.Part, steps);
}

TSkinItem* ResolveSkinItem(TControl* control, const AnsiString& name) {
  TSkinItem* item = SkinEngine ? SkinEngine->GetSkinItem(name) : nullptr;
  if (control) control->Invalidate();
  return item;
}

int SkinStateCount(const TSkinItemPart* part) { return part ? part->GetStateCount() : 0; }

bool HoverChangesLook(const TControl* control, const TSkinItemPart* body, const TSkinItemPart* glyph,
                      bool fallbackShowsHover) {
  if (!control || !control->Enabled()) return false;
  if (!body && fallbackShowsHover) return true;
  return SkinStateCount(body) > 1 || SkinStateCount(glyph) > 1;
}

bool EraseTransparentBackground(TWinControl* control, bool transparent, TWMEraseBkgnd& message) {
  if (!transparent) return false;
  // While double-buffered the picture is made in the buffer; the screen's erase would only
  // flicker.
  const bool screenRequest = message.Message.WParam != static_cast<WPARAM>(message.Message.LParam);
  if (!(control->DoubleBuffered() && screenRequest)) DrawParentImage(control, message.DC);
  message.SetResult(1);
  return true;
}

bool EraseTransparentBackground(TWinControl* control, TWMEraseBkgnd& message) {
  return EraseTransparentBackground(control, control->ParentBackground(), message);
}

TSkinFadePaint::TSkinFadePaint(std::unique_ptr<TControlSkinFadeAnimator>& animator, TControl* control,
                               TCanvas* canvas, const TRect& rect, const TSkinStateFlags& flags) {
  if (!animator) animator = std::make_unique<TControlSkinFadeAnimator>(control, true);
  m_animator = animator.get();
  m_animator->SetStates(flags.Enabled, flags.Hot, flags.Pressed, flags.Focused);
  m_painting = m_animator->BeginPaint(canvas, rect);
}

TSkinFadePaint::~TSkinFadePaint() {
  if (m_painting) m_animator->EndPaint(true);
}

void StopSkinFade(const std::unique_ptr<TControlSkinFadeAnimator>& animator) {
  if (animator) animator->StopFade();
}
