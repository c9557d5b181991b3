#pragma once

// TFSCheckBox: the skinned check box (item "CheckBox"). A click or Space toggles Checked,
// and a press dragged out of the box still toggles it on release. See TFSCheckControl for
// what it shares with the radio button. GUI thread only.

#include "program/controls/FSCheckControl.h"

class TFSCheckBox : public TFSCheckControl {
  BRANTWELL_CLASS(TFSCheckBox, TFSCheckControl)

 public:
  explicit TFSCheckBox(TComponent* owner);
  static void DescribeClass(TClassBuilder<TFSCheckBox>& c);

  void SetChecked(bool value) override;
  void Click() override;

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CNKeyUp(TWMKey& m) override;
  void CMDialogChar(TWMKey& m) override;
  void DrawFallbackBox(TCanvas* canvas, const TRect& box) override;
  bool IsSkinNameStored() const { return FSkinName != FDefaultSkinName; }
};
