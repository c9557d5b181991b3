#pragma once

// TFSCustomButton: the windowed push button of the skinned control set, drawn from a body
// skin part (default "Button") in the state its flags choose, with an optional glyph (a
// picture, or a second skin part) placed beside, above or below its caption. Enter clicks
// the focused or Default button, Esc the Cancel button, Space and the caption's accelerator
// click it too, and a click hands ModalResult to the parent form. Without a body part the
// button draws the classic push-button face. TFSButton publishes it.
//
// Owns its two skin-part records (and their frame animators), its fade animator and its
// glyph picture; never the skin's parts. GUI thread only.

#include <memory>

#include "program/controls/ControlTypes.h"
#include "program/controls/SkinnedControl.h"
#include "vcl/Form.h"
#include "vcl/GraphicControl.h"
#include "vcl/Picture.h"

class TFSCustomButton : public TCustomControl {
  BRANTWELL_CLASS(TFSCustomButton, TCustomControl)

 public:
  explicit TFSCustomButton(TComponent* owner);
  ~TFSCustomButton() override;

  // The body and glyph references "Name(Id)".
  AnsiString SkinName() const { return FSkinPart.GetSkinName(); }
  void SetSkinName(const AnsiString& value);
  AnsiString GlyphSkinName() const { return FGlyphSkinPart.GetSkinName(); }
  void SetGlyphSkinName(const AnsiString& value);
  // Sets the body reference to part `partId` of item `name` and resolves it.
  void SetSkinPart(const AnsiString& name, int partId);
  TSkinItemPart* BodyPart() const { return FSkinPart.Part; }
  TSkinItemPart* GlyphPart() const { return FGlyphSkinPart.Part; }

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
  void SetVerticalAlignment(TVerticalAlignment value);
  TFSButtonLayout Layout() const { return FLayout; }
  void SetLayout(TFSButtonLayout value);
  bool DownOffset() const { return FDownOffset; }
  void SetDownOffset(bool value);
  int Margin() const { return FMargin; }
  void SetMargin(int value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  bool Default() const { return FDefault; }
  void SetDefault(bool value);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  // Nil after an empty picture was assigned, until a picture is assigned again.
  TPicture* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TPicture* value);
  bool Transparent() const { return ParentBackground(); }
  void SetTransparent(bool value) { SetParentBackground(value); }

  // The flags the button is drawn by.
  bool Active() const { return FActive; }
  bool Pressed() const { return FPressed; }
  bool Hot() const { return FMouseInClient; }
  TSkinStateFlags StateFlags();

  void Click() override;
  void Dispatch(TMessage& message) override;

 protected:
  void Loaded() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

  void CMDialogKey(TWMKey& m) override;
  void CMDialogChar(TWMKey& m) override;
  void CMFocusChanged(TCMFocusChanged& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;
  void CMMouseEnter(TCMMouseEnterLeave& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;
  void CNKeyDown(TWMKey& m) override;
  void CNKeyUp(TWMKey& m) override;
  void WMSetFocus(TWMFocus& m) override;
  void WMKillFocus(TWMFocus& m) override;
  void WMLButtonUp(TWMMouse& m) override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  virtual void CNCommand(TWMCommand& m);
  virtual void WMUpdateUIState(TMessage& m);
  virtual void CMSkinChanged(TMessage& m);

  void UpdateSkin();
  void UpdateGlyphSkin();
  void SetPressed(bool value);
  bool IsSkinNameStored() const { return SkinName() != "Button"; }

  bool FActive = false;
  bool FDownOffset = true;
  bool FPressed = false;
  TFSButtonLayout FLayout = blGlyphLeft;
  TAlignment FAlignment = taCenter;
  std::unique_ptr<TPicture> FGlyph;
  bool FCancel = false;
  bool FDefault = false;
  TModalResult FModalResult = mrNone;
  int FSpacing = 4;
  int FMargin = 4;
  TVerticalAlignment FVerticalAlignment = taVerticalCenter;
  TControlSkinPart FSkinPart;
  TControlSkinPart FGlyphSkinPart;
  std::unique_ptr<TControlSkinFadeAnimator> FFadeAnimator;

 private:
  void GlyphChanged(TObject* sender);
};

class TFSButton : public TFSCustomButton {
  BRANTWELL_CLASS(TFSButton, TFSCustomButton)

 public:
  using TFSCustomButton::TFSCustomButton;
  static void DescribeClass(TClassBuilder<TFSButton>& c);
};
