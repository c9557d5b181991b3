#pragma once

// TFSSkinButton: a window-less button drawn from a body skin part and a glyph skin part, with
// the speed-button behaviour of groups and a latched down state (the clip editor's
// transport and tool buttons). Buttons of one parent with the same non-zero GroupIndex
// release each other when one goes down; an Exclusive button latches on a click. It takes
// no focus and has no default skin reference; it resolves its references in Loaded and in
// its setters. Without a body state it draws the classic push-button face only when
// ThemedFrame is set.
//
// Its references, glyph and caption placement are the button face's (ButtonFace.h). Owns its
// fade animator besides. GUI thread only.

#include <memory>

#include "program/controls/ButtonFace.h"
#include "vcl/GraphicControl.h"

// up, disabled, down (held by the mouse), exclusive (latched down).
BRANTWELL_ENUM(TFSSkinButtonState, sbsUp, sbsDisabled, sbsDown, sbsExclusive)

class TFSSkinButton : public TButtonFace<TGraphicControl> {
  BRANTWELL_CLASS(TFSSkinButton, TGraphicControl)

 public:
  explicit TFSSkinButton(TComponent* owner);
  ~TFSSkinButton() override;
  static void DescribeClass(TClassBuilder<TFSSkinButton>& c);

  // Sets the glyph reference to part `partId` of item `name` and resolves it (the play
  // button switches between its play and pause glyphs this way).
  void SetSkinPart(const AnsiString& name, int partId);

  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool Down() const { return FDown; }
  void SetDown(bool value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  bool Exclusive() const { return FExclusive; }
  void SetExclusive(bool value) { FExclusive = value; }
  // Values below -1 are refused (left unchanged).
  void SetMargin(int value);
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

  void UpdateSkin() override;
  void UpdateGlyphSkin() override;
  void SetState(TFSSkinButtonState value);
  void SetHot(bool value);
  bool LookCanChange() const;
  void AnnounceGroup();

  int FGroupIndex = 0;
  bool FDown = false;
  bool FDragging = false;
  bool FAllowAllUp = false;
  bool FTransparent = true;
  bool FHot = false;
  bool FExclusive = false;
  int FDownOffset = 1;
  bool FWordWrap = false;
  bool FBodyStretch = false;
  bool FStretch = true;
  bool FThemedFrame = false;
  TFSSkinButtonState FState = sbsUp;
  std::unique_ptr<TControlSkinFadeAnimator> FFadeAnimator;
  AnsiString FFittedCaption;
};
