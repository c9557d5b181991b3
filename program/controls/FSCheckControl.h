#pragma once

// TFSCheckControl: what the skinned radio button and check box share. A box drawn from a
// skin item (part 0 the checked box, part 1 the unchecked one) followed by the caption,
// with the keyboard and mouse behaviour of a button, hover fades, an optional white text
// with a black shadow, and bounds that follow the content while AutoSize is set. The
// reference names a whole item (its part id is kept and shown, the parts used are fixed).
// Without the item the box is the classic one, 13 x 13. TFSRadioButton and TFSCheckBox
// (each in its own file) differ in how a click and Space change Checked, in the order of
// their mouse handling and in the fallback box.
//
// Owns its frame and fade animators; never the skin item. GUI thread only.

#include <memory>

#include "program/controls/ControlTypes.h"
#include "program/controls/SkinnedControl.h"
#include "vcl/GraphicControl.h"

class TFSCheckControl : public TCustomControl {
  BRANTWELL_CLASS(TFSCheckControl, TCustomControl)

 public:
  TFSCheckControl(TComponent* owner, const char* defaultSkinName);
  ~TFSCheckControl() override;

  AnsiString SkinName() const;
  void SetSkinName(const AnsiString& value);
  TSkinItem* SkinItem() const { return FSkinItem; }

  bool Checked() const { return FChecked; }
  virtual void SetChecked(bool value) = 0;
  bool Shadow() const { return FShadow; }
  void SetShadow(bool value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool value);
  // taRightJustify: box left, caption right; taLeftJustify: caption left, box at the right edge.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);
  bool Transparent() const { return ParentBackground(); }
  void SetTransparent(bool value) { SetParentBackground(value); }

  bool Pressed() const { return FPressed; }
  bool Hot() const { return FMouseInClient; }
  bool HideFocus() const { return FHideFocus; }

  void Dispatch(TMessage& message) override;

 protected:
  void Loaded() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Paint() override;

  // Re-measures the bounds from the box and the caption (AutoSize).
  virtual void AdjustBounds();
  // The classic box without a skin item.
  virtual void DrawFallbackBox(TCanvas* canvas, const TRect& box) = 0;
  // Resolves the item and re-measures.
  void UpdateSkin();
  void SetPressed(bool value);

  void CMEnabledChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;
  void CMMouseEnter(TCMMouseEnterLeave& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;
  void CMSysColorChange(TMessage& m) override;
  void CNKeyDown(TWMKey& m) override;
  void WMSetFocus(TWMFocus& m) override;
  void WMKillFocus(TWMFocus& m) override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  virtual void CNCommand(TWMCommand& m);
  virtual void WMUpdateUIState(TMessage& m);
  virtual void CMSkinChanged(TMessage& m);

  bool FPressed = false;
  bool FChecked = false;
  bool FShadow = false;
  bool FWordWrap = false;
  bool FAutoSize = true;
  TAlignment FAlignment = taRightJustify;
  TSkinItem* FSkinItem = nullptr;
  AnsiString FSkinName;
  int FPartId = 0;
  AnsiString FDefaultSkinName;
  TTextLayout FLayout = tlCenter;
  int FSpacing = 4;
  bool FHideFocus = false;
  std::unique_ptr<TControlSkinFrameAnimator> FFrameAnimator;
  std::unique_ptr<TControlSkinFadeAnimator> FFadeAnimator;

 private:
  UINT TextFlags();
  // The box's size for the current flags; 13 x 13 without a skin item, 0 x 0 for an item
  // without the state.
  TSize BoxSize();
  void DrawBox(TCanvas* canvas, const TRect& box);
  void DrawCaption(TCanvas* canvas, const TRect& rect, UINT flags);
};

// The published properties the radio button and the check box share.
template <class T> void DescribeCheckControl(TClassBuilder<T>& c) {
  c.Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(1);
  c.Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taRightJustify);
  c.Property("Caption", &T::Caption, &T::SetCaption);
  c.Property("Checked", &T::Checked, &T::SetChecked).Default(0);
  c.Property("Spacing", &T::Spacing, &T::SetSpacing).Default(4);
  c.Property("Layout", &T::Layout, &T::SetLayout).Default(tlCenter);
  c.Property("Shadow", &T::Shadow, &T::SetShadow).Default(0);
  c.Property("Transparent", &T::Transparent, &T::SetTransparent).Default(0);
  c.Property("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(0);
  c.Property("TabStop", &T::TabStop, &T::SetTabStop).Default(1);
}
