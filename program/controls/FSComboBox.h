#pragma once

// TFSCustomComboBox: the standard combo box drawn from the skin item "ComboBox": the whole
// control (frame and background), the drop button's face with a hover fade, and the button's
// glyph. The dropped list gets skinned scroll bars; in the editable style the skin shows
// through the edit field when Color is clNone. The edge the standard control adds is dropped.
// Without a skin item the control paints as the standard combo box. TFSComboBox publishes it.
//
// Item roles by the skin item's layout: when its first part is a "Button" part with more
// than two states and its third part has fewer than three states (or is named "Frame"), the
// face is part 0, the glyph part 1 and the whole control part 2; otherwise the whole control
// is part 0, the face part 1 and the glyph part 2.
//
// Owns the drop list's scroll bar object and its fade animator; never the skin item. GUI
// thread only.

#include <memory>

#include "program/controls/SkinnedControl.h"
#include "program/skin/NCScrollBar.h"
#include "vcl/ComboBox.h"

class TFSCustomComboBox : public TCustomComboBox {
  BRANTWELL_CLASS(TFSCustomComboBox, TCustomComboBox)

 public:
  explicit TFSCustomComboBox(TComponent* owner);
  ~TFSCustomComboBox() override;

  // The item name; a part id in the text is ignored.
  AnsiString SkinName() const { return FSkinName; }
  void SetSkinName(const AnsiString& value);
  TSkinItem* SkinItem() const { return FSkinItem; }
  bool ButtonSeparate() const { return FButtonSeparate; }
  // The part ids of the three roles under the current layout.
  int FramePartId() const { return FButtonSeparate ? 2 : 0; }
  int ButtonPartId() const { return FButtonSeparate ? 0 : 1; }
  int GlyphPartId() const { return FButtonSeparate ? 1 : 2; }

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  bool EnableResizing() const { return FEnableResizing; }
  void SetEnableResizing(bool value);
  bool NoIntegralHeight() const { return FNoIntegralHeight; }
  void SetNoIntegralHeight(bool value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  bool Transparent() const { return ParentBackground(); }
  void SetTransparent(bool value) { SetParentBackground(value); }

  // The pointer is over the drop button.
  bool Hot() const { return FHot; }
  // True while focus rectangles are hidden.
  bool HideFocusCues() const { return FHideFocus; }
  TNCScrollBar* ListScrollBar() const { return FListScrollBar.get(); }

  // The drop button and the content field in client coordinates.
  TRect ButtonRect();
  TRect ContentRect();

  // Resolves the skin item again and repaints.
  void UpdateSkin();

  void Dispatch(TMessage& message) override;

 protected:
  void Loaded() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void PaintWindow(HDC dc) override;
  virtual void PaintSkin();
  void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override;
  void MouseMove(TShiftState shift, int x, int y) override;

  void WMPaint(TWMPaint& m) override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  void WMSetFocus(TWMFocus& m) override;
  void WMKillFocus(TWMFocus& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void WMParentNotify(TMessage& m) override;
  void CNCtlColor(TMessage& m) override;
  void CNCommand(TWMCommand& m) override;
  virtual void WMNCMouseMove(TMessage& m);
  virtual void WMNCMouseLeave(TMessage& m);
  virtual void WMUpdateUIState(TMessage& m);
  virtual void CMSkinChanged(TMessage& m);

  void SetHot(bool value);
  bool IsSkinNameStored() const { return FSkinName != "ComboBox"; }

  TSkinItem* FSkinItem = nullptr;
  AnsiString FSkinName = "ComboBox";
  bool FButtonSeparate = false;
  std::unique_ptr<TNCScrollBar> FListScrollBar;
  bool FHot = false;
  TBorderStyle FBorderStyle = bsSingle;
  bool FEnableResizing = false;
  bool FNoIntegralHeight = true;
  bool FHideFocus = false;
  std::unique_ptr<TControlSkinFadeAnimator> FFadeAnimator;
  bool FReadOnly = false;

 private:
  // The skin of the whole control drawn under the edit child's text (into the edit's DC).
  void PaintSkinUnderEdit(HDC editDc);
};

class TFSComboBox : public TFSCustomComboBox {
  BRANTWELL_CLASS(TFSComboBox, TFSCustomComboBox)

 public:
  using TFSCustomComboBox::TFSCustomComboBox;
  static void DescribeClass(TClassBuilder<TFSComboBox>& c);
};
