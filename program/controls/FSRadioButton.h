#pragma once

// TFSRadioButton: the skinned radio button (item "RadioButton"). Checking one unchecks every
// other radio button of the same parent with the same GroupIndex; a checked one is not
// unchecked by a click, and only a checked one is a tab stop. See TFSCheckControl for what
// it shares with the check box. GUI thread only.

#include "program/controls/FSCheckControl.h"

class TFSRadioButton : public TFSCheckControl {
  BRANTWELL_CLASS(TFSRadioButton, TFSCheckControl)

 public:
  explicit TFSRadioButton(TComponent* owner);
  static void DescribeClass(TClassBuilder<TFSRadioButton>& c);

  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value) { FGroupIndex = value; }
  void SetChecked(bool value) override;
  void SetSkinName(const AnsiString& value);
  void Click() override;

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CNKeyUp(TWMKey& m) override;
  void CMDialogChar(TWMKey& m) override;
  void DrawFallbackBox(TCanvas* canvas, const TRect& box) override;
  bool IsSkinNameStored() const { return FSkinName != FDefaultSkinName || FPartId != 0; }

  int FGroupIndex = 0;
};
