#pragma once

// TFSSkinGraphicControl: what the window-less skinned controls (the progress bar, the skin
// image, the disc gauge) share around their skin reference. The reference is an item name and
// a part id, written "Item" or "Item.N" (SkinName); setting it to a different text resolves
// again and repaints. The control resolves in Loaded and on CM_SKINCHANGED (after the
// inherited handling) through UpdateSkin, which each control writes for what it takes from the
// part; a control resolves in its own constructor too. Transparent takes csOpaque off.
//
// GUI thread only. The resolved part belongs to the skin engine.

#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinItem.h"
#include "vcl/GraphicControl.h"

class TFSSkinGraphicControl : public TGraphicControl {
  BRANTWELL_CLASS(TFSSkinGraphicControl, TGraphicControl)

 public:
  TFSSkinGraphicControl(TComponent* owner, const AnsiString& skinItemName);

  TSkinName SkinName() const;
  void SetSkinName(const TSkinName& value);
  TSkinItemPart* SkinPart() const { return FPart; }
  // Resolves the reference again and takes what the control uses from the part.
  virtual void UpdateSkin() = 0;

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

  void Dispatch(TMessage& message) override;

 protected:
  void Loaded() override;

  TSkinItemPart* FPart = nullptr;
  AnsiString FSkinItemName;
  int FPartId = 0;
  bool FTransparent = true;
};
