#pragma once

// TFSCustomButton: the windowed push button of the skinned control set, drawn from a body
// skin part (default "Button") in the state its flags choose, with an optional glyph (a
// picture, or a second skin part) placed beside, above or below its caption. Enter clicks
// the focused or Default button, Esc the Cancel button, Space and the caption's accelerator
// click it too, and a click hands ModalResult to the parent form. Without a body part the
// button draws the classic push-button face. TFSButton publishes it.
//
// Its references, glyph and caption placement are the button face's (ButtonFace.h). Owns its
// fade animator besides; never the skin's parts. GUI thread only.

#include <memory>

#include "program/controls/ButtonFace.h"
#include "vcl/Form.h"
#include "vcl/GraphicControl.h"

class TFSCustomButton : public TButtonFace<TCustomControl> {
  BRANTWELL_CLASS(TFSCustomButton, TCustomControl)

 public:
  explicit TFSCustomButton(TComponent* owner);
  ~TFSCustomButton() override;

  // Sets the body reference to part `partId` of item `name` and resolves it.
  void SetSkinPart(const AnsiString& name, int partId);

  bool DownOffset() const { return FDownOffset; }
  void SetDownOffset(bool value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  bool Default() const { return FDefault; }
  void SetDefault(bool value);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
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

  void UpdateSkin() override;
  void UpdateGlyphSkin() override;
  void SetPressed(bool value);
  bool IsSkinNameStored() const { return SkinName() != "Button"; }

  bool FActive = false;
  bool FDownOffset = true;
  bool FPressed = false;
  bool FCancel = false;
  bool FDefault = false;
  TModalResult FModalResult = mrNone;
  std::unique_ptr<TControlSkinFadeAnimator> FFadeAnimator;
};

class TFSButton : public TFSCustomButton {
  BRANTWELL_CLASS(TFSButton, TFSCustomButton)

 public:
  using TFSCustomButton::TFSCustomButton;
  static void DescribeClass(TClassBuilder<TFSButton>& c);
};
