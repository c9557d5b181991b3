#pragma once

// TFSPanel: a container that paints one skin part (default "Panel") over its whole client
// area; it draws no border and no caption (the main window's page areas are panels). A part
// in a transparent mode makes the panel show its parent's picture under the part.
//
// Holds the resolved part, never owns it. GUI thread only.

#include "program/controls/SkinnedControl.h"
#include "vcl/GraphicControl.h"

class TFSPanel : public TCustomControl {
  BRANTWELL_CLASS(TFSPanel, TCustomControl)

 public:
  explicit TFSPanel(TComponent* owner);
  static void DescribeClass(TClassBuilder<TFSPanel>& c);

  AnsiString SkinName() const { return TFSSkinEngine::FormatSkinName(FSkinName, FPartId); }
  void SetSkinName(const AnsiString& value);
  TSkinItemPart* SkinPart() const { return FSkinPart; }
  bool Transparent() const { return ParentBackground(); }
  void SetTransparent(bool value) { SetParentBackground(value); }

  void Dispatch(TMessage& message) override;

 protected:
  void Loaded() override;
  void Paint() override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  virtual void CMSkinChanged(TMessage& m);
  void UpdateSkin();
  bool IsSkinNameStored() const { return FSkinName != "Panel" || FPartId != 0; }

  AnsiString FSkinName = "Panel";
  int FPartId = 0;
  TSkinItemPart* FSkinPart = nullptr;
};
