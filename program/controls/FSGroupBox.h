#pragma once

// TFSCustomGroupBox: a container with its caption in the top edge and its children inset
// below it, whose frame is drawn from a skin part (default "GroupBox") when one is found and
// in the look of the platform's group box otherwise. The caption's accelerator focuses the
// first child. TFSGroupBox publishes it.
//
// Holds the resolved part, never owns it. GUI thread only.

#include "program/controls/SkinnedControl.h"
#include "vcl/GraphicControl.h"

class TFSCustomGroupBox : public TCustomControl {
  BRANTWELL_CLASS(TFSCustomGroupBox, TCustomControl)

 public:
  explicit TFSCustomGroupBox(TComponent* owner);

  AnsiString SkinName() const { return TFSSkinEngine::FormatSkinName(FSkinName, FPartId); }
  void SetSkinName(const AnsiString& value);
  TSkinItemPart* SkinPart() const { return FSkinPart; }
  bool Transparent() const { return ParentBackground(); }
  void SetTransparent(bool value) { SetParentBackground(value); }
  bool Hot() const { return FMouseInClient; }

  void Dispatch(TMessage& message) override;

 protected:
  void AdjustClientRect(TRect& rect) override;
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  void WMSize(TWMSize& m) override;
  void CMTextChanged(TMessage& m) override;
  void CMMouseEnter(TCMMouseEnterLeave& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;
  void CMDialogChar(TWMKey& m) override;
  void CMCtl3DChanged(TMessage& m) override;
  virtual void CMSkinChanged(TMessage& m);
  void UpdateSkin();
  bool IsSkinNameStored() const { return FSkinName != "GroupBox" || FPartId != 0; }

  TSkinItemPart* FSkinPart = nullptr;
  AnsiString FSkinName = "GroupBox";
  int FPartId = 0;

 private:
  // The height of the text "0" in the control's font.
  int DigitHeight();
};

class TFSGroupBox : public TFSCustomGroupBox {
  BRANTWELL_CLASS(TFSGroupBox, TFSCustomGroupBox)

 public:
  using TFSCustomGroupBox::TFSCustomGroupBox;
  static void DescribeClass(TClassBuilder<TFSGroupBox>& c);
};
