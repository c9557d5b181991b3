#pragma once

// What every skinned control shares, so that each control spends its own code only on where
// it differs:
//
// - A skin reference is set by comparing the new text with the current formatted reference
//   and doing nothing when they are equal; otherwise the text is parsed into item name and
//   part id, the resolved part is forgotten and the control resolves again
//   (SetSkinReference).
// - Resolving asks SkinEngine for the part, applies it to the control (position, colour,
//   font, Enabled/Visible) and, when a part was found, lets its transparency mode decide
//   Transparent (the window's ParentBackground); a transparent control is double-buffered.
//   A reference that resolves to nothing leaves the part nil: the control draws its
//   fallback and nothing fails (ResolveSkinPart, ApplySkinTransparency).
// - WM_ERASEBKGND of a transparent control paints the parent's image under it
//   (EraseTransparentBackground).
// - Entering or leaving with the pointer repaints only when the look can change with the
//   hover state (HoverChangesLook).
// - A control with hover fades feeds its flags to its fade animator at the start of every
//   paint; when the animator has already put a blended frame on the screen the paint ends
//   there (TSkinFadePaint).
//
// Controls resolve in their constructor, in Loaded, in every reference setter and on
// CM_SKINCHANGED (after the inherited handling). They own their skin-part records, fade
// animators and pictures, never the skin's items, parts or states, which the engine may
// replace on every skin change.
//
// GUI thread only.

#include <functional>
#include <memory>

#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinAnimator.h"
#include "program/skin/SkinItem.h"
#include "program/skin/SkinSlice.h"
#include "vcl/Messages.h"

class TCanvas;
class TControl;
class TWinControl;

// The flags a skin state is chosen by, in the order the skin takes them.
struct TSkinStateFlags {
  bool Enabled = true;
  bool Hot = false;
  bool Pressed = false;
  bool Focused = false;
};

// Sets a skin-part record's reference. False, with nothing changed, when `text` equals the
// record's current formatted reference; else the record takes the parsed name and id, its
// part is forgotten, and the caller resolves again.
bool SetSkinReference(TControlSkinPart& record, const AnsiString& text);
// The same for a control that keeps the item name, part id and resolved part in fields of
// its own.
bool SetSkinReference(AnsiString& name, int& id, TSkinItemPart*& part, const AnsiString& text);
// The same for a control that resolves a whole item (it forgets the item itself).
bool SetSkinReference(AnsiString& name, int& id, const AnsiString& text);

// The transparency a resolved part decides for a windowed control: with a part,
// ParentBackground (the control's Transparent) becomes the part's IsTransparent (Mask and
// Alpha modes), overriding a value read from a form; a transparent control then becomes
// double-buffered. Without a part nothing changes.
void ApplySkinTransparency(TWinControl* control, const TSkinItemPart* part);

// What a control does around resolving beyond the shared steps.
struct TSkinResolveSteps {
  // Runs with a found part before it is applied to the control (a skin image takes the
  // part's size first, so that the part's own position rules have the last word).
  std::function<void(TSkinItemPart& part)> BeforeApply;
  // Runs after applying, with nil when nothing was found: what the part decides for the
  // control beyond position, colour and font (a window-less control's own Transparent, fill
  // modes). Without it a windowed control takes the part's transparency as its
  // ParentBackground (ApplySkinTransparency) and a window-less control keeps its flags.
  std::function<void(TSkinItemPart* part)> Adopt;
};

// Resolves a reference: the part from SkinEngine, applied to
// the control, the steps above, and a repaint. Returns the part (nil when none).
TSkinItemPart* ResolveSkinPart(TControl* control, const AnsiString& name, int id, const TSkinResolveSteps& steps = {});
// The same for a skin-part record, which keeps the part.
void ResolveSkinPart(TControl* control, TControlSkinPart& record, const TSkinResolveSteps& steps = {});
// For a control that draws several parts of one item: the item from SkinEngine (nil when
// none) and a repaint. What the control takes from the item's parts is its own business.
TSkinItem* ResolveSkinItem(TControl* control, const AnsiString& name);

// The number of states a part can show (0 for none).
int SkinStateCount(const TSkinItemPart* part);
// Whether the control's look can change with the pointer over it: it is enabled, and it
// either draws a themed fallback (no body part, `fallbackShowsHover`) or has a body or glyph
// part with more than one state.
bool HoverChangesLook(const TControl* control, const TSkinItemPart* body, const TSkinItemPart* glyph,
                      bool fallbackShowsHover);

// WM_ERASEBKGND of a control whose Transparent is `transparent`. A transparent control gets
// the parent's image under it and the erase is reported done (for a double-buffered control
// an erase request for the screen, whose DC differs from its LParam, is only reported done).
// Returns false, with the message untouched, for a non-transparent control: the caller
// erases as it needs.
bool EraseTransparentBackground(TWinControl* control, bool transparent, TWMEraseBkgnd& message);
// The same for a windowed control whose Transparent is its ParentBackground.
bool EraseTransparentBackground(TWinControl* control, TWMEraseBkgnd& message);

// The hover fade around one paint. Made at the top of Paint: creates the control's fade
// animator when it has none, hands it the flags and begins the paint. When Painting() is
// false the animator has already put the current blended frame on the screen and Paint
// returns at once; otherwise the control paints everything on the canvas (which may now
// draw into the animator's capture) and the guard ends the paint when it goes.
class TSkinFadePaint {
 public:
  TSkinFadePaint(std::unique_ptr<TControlSkinFadeAnimator>& animator, TControl* control, TCanvas* canvas,
                 const TRect& rect, const TSkinStateFlags& flags);
  ~TSkinFadePaint();
  TSkinFadePaint(const TSkinFadePaint&) = delete;
  TSkinFadePaint& operator=(const TSkinFadePaint&) = delete;

  bool Painting() const { return m_painting; }

 private:
  TControlSkinFadeAnimator* m_animator;
  bool m_painting;
};

// Stops a running fade (enabling and text changes repaint at once in the new look).
void StopSkinFade(const std::unique_ptr<TControlSkinFadeAnimator>& animator);
