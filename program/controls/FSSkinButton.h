#pragma once

// TFSSkinButton: a window-less button drawn from a body skin part and a glyph skin part, with
// the speed-button behaviour of groups and a latched down state (the clip editor's
// transport and tool buttons). Buttons of one parent with the same non-zero GroupIndex
// release each other when one goes down; an Exclusive button latches on a click. It takes
// no focus and has no default skin reference; it resolves its references in Loaded and in
// its setters. Without a body state it draws the classic push-button face only when
// ThemedFrame is set.
//
// Owns its skin-part records (and their frame animators), its fade animator and its glyph
// picture. GUI thread only.

#include <memory>

#include "program/controls/ControlTypes.h"
#include "program/controls/SkinnedControl.h"
#include "vcl/GraphicControl.h"
#include "vcl/Picture.h"

// up, disabled, down (held by the mouse), exclusive (latched down).
BRANTWELL_ENUM(TFSSkinButtonState, sbsUp, sbsDisabled, sbsDown, sbsExclusive)

class TFSSkinButton : public TGraphicControl {
  BRANTWELL_CLASS(TFSSkinButton, TGraphicControl)

 public:
  explicit TFSSkinButton(TComponent* owner);
  ~TFSSkinButton() override;
  static void DescribeClass(TClassBuilder<TFSSkinButton>& c);

  AnsiString SkinName() const { return FSkinPart.GetSkinName(); }
  void SetSkinName(const AnsiString& value);
  AnsiString GlyphSkinName() const { return FGlyphSkinPart.GetSkinName(); }
  void SetGlyphSkinName(const AnsiString& value);
  // Sets the glyph reference to part `partId` of item `name` and resolves it (the play
  // button switches between its play and pause glyphs this way).
  void SetSkinPart(const AnsiString& name, int partId);
  TSkinItemPart* BodyPart() const { return FSkinPart.Part; }
  TSkinItemPart* GlyphPart() const { return FGlyphSkinPart.Part; }

  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool Down() const { return FDown; }
  void SetDown(bool value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  bool Exclusive() const { return FExclusive; }
  void SetExclusive(bool value) { FExclusive = value; }
  TFSButtonLayout Layout() const { return FLayout; }
  void SetLayout(TFSButtonLayout value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);
  // Values below -1 are refused (left unchanged).
  int Margin() const { return FMargin; }
  void SetMargin(int value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
  void SetVerticalAlignment(TVerticalAlignment value);
  int DownOffset() const { return FDownOffset; }
  void SetDownOffset(int value) { FDownOffset = value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool ThemedFrame() const { return FThemedFrame; }
  void SetThemedFrame(bool value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  TPicture* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TPicture* value);

  TFSSkinButtonState State() const { return FState; }
  bool Hot() const { return FHot; }
  bool Dragging() const { return FDragging; }
  // The caption as drawn: a word-wrapped caption too tall for the button loses trailing
  // words until it fits.
  AnsiString FittedCaption() const { return FFittedCaption; }

  void Click() override;
  void Dispatch(TMessage& message) override;

 protected:
  void Loaded() override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;
  void CMSysColorChange(TMessage& m) override;
  void CMMouseEnter(TCMMouseEnterLeave& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;
  virtual void CMButtonPressed(TMessage& m);
  virtual void CMDialogChar(TWMKey& m);
  virtual void CMSkinChanged(TMessage& m);

  void UpdateSkin();
  void UpdateGlyphSkin();
  void SetState(TFSSkinButtonState value);
  void SetHot(bool value);
  bool LookCanChange() const;
  void AnnounceGroup();

  int FGroupIndex = 0;
  bool FDown = false;
  bool FDragging = false;
  bool FAllowAllUp = false;
  TFSButtonLayout FLayout = blGlyphLeft;
  int FSpacing = 4;
  bool FTransparent = true;
  int FMargin = 4;
  bool FHot = false;
  TVerticalAlignment FVerticalAlignment = taVerticalCenter;
  bool FExclusive = false;
  int FDownOffset = 1;
  TAlignment FAlignment = taCenter;
  bool FWordWrap = false;
  std::unique_ptr<TPicture> FGlyph;
  bool FBodyStretch = false;
  bool FStretch = true;
  bool FThemedFrame = false;
  TFSSkinButtonState FState = sbsUp;
  TControlSkinPart FSkinPart;
  TControlSkinPart FGlyphSkinPart;
  std::unique_ptr<TControlSkinFadeAnimator> FFadeAnimator;
  AnsiString FFittedCaption;
};
