#pragma once

// The skinned tab and page controls, drawn from the skin item "TabControl": a frame around
// the page area, clipped round the selected tab so that the tab joins its page, and one face
// per tab in state 0 (normal), 1 (the pointer over it) or 2 (selected), with the caption and
// image drawn by the control (rotated for tabs on the left and right) unless OwnerDraw hands
// the tab to OnDrawTab. Without a skin item the standard tab control paints.
//
// Item layout: when the item has two parts or more, its first part has more than two states
// and its second fewer than three (or is named "Frame"), the tab face is part 0 and the frame
// part 1; otherwise the frame is part 0 and the face part 1.
//
// TFSTabSkin adds the skin to a standard tab control class; TFSCustomTabControl is the
// skinned tab control, TFSPageControl the skinned page control (the standard page logic:
// pages, ActivePage, tab and page indexes over hidden tabs) and TFSTabSheet its page, which
// lets the page control's skin show through its background.
//
// Never owns the skin item. GUI thread only.

#include "program/controls/SkinnedControl.h"
#include "vcl/TabControl.h"

template <class Base>
class TFSTabSkin : public Base {
 public:
  explicit TFSTabSkin(TComponent* owner);

  // The item name; a part id in the text is ignored.
  AnsiString SkinName() const { return FSkinName; }
  void SetSkinName(const AnsiString& value);
  TSkinItem* SkinItem() const { return FSkinItem; }
  bool FrameSeparate() const { return FFrameSeparate; }
  int TabPartId() const { return FFrameSeparate ? 0 : 1; }
  int FramePartId() const { return FFrameSeparate ? 1 : 0; }
  // The tab under the pointer, -1 for none.
  int HotTab() const { return FHotTab; }
  bool Transparent() const { return this->ParentBackground(); }
  void SetTransparent(bool value) { this->SetParentBackground(value); }
  bool DoubleBufferedFlag() const { return this->DoubleBuffered(); }

  // The strip the tabs stand in (client coordinates).
  TRect TabStripRect();
  // The rectangle the frame is drawn into.
  TRect FrameRect();
  void UpdateSkin();

  void Dispatch(TMessage& message) override;

 protected:
  void Loaded() override;
  void CreateWnd() override;
  void PaintWindow(HDC dc) override;
  virtual void PaintSkin();
  void DrawTab(int tabIndex, const TRect& rect, bool active) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void WMPaint(TWMPaint& m) override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;

  void SetHotTab(int value);
  bool IsSkinNameStored() const { return FSkinName != "TabControl"; }

  bool FFrameSeparate = false;
  TSkinItem* FSkinItem = nullptr;
  AnsiString FSkinName = "TabControl";
  int FHotTab = -1;
};

class TFSCustomTabControl : public TFSTabSkin<TCustomTabControl> {
  BRANTWELL_CLASS(TFSCustomTabControl, TCustomTabControl)

 public:
  explicit TFSCustomTabControl(TComponent* owner) : TFSTabSkin<TCustomTabControl>(owner) {}
};

class TFSPageControl : public TFSTabSkin<TPageControl> {
  BRANTWELL_CLASS(TFSPageControl, TPageControl)

 public:
  explicit TFSPageControl(TComponent* owner);
  static void DescribeClass(TClassBuilder<TFSPageControl>& c);
};

class TFSTabSheet : public TTabSheet {
  BRANTWELL_CLASS(TFSTabSheet, TTabSheet)

 public:
  explicit TFSTabSheet(TComponent* owner) : TTabSheet(owner) {}
  static void DescribeClass(TClassBuilder<TFSTabSheet>& c);

 protected:
  void CreateParams(TCreateParams& params) override;
  // The sheet shows its background only.
  void PaintWindow(HDC dc) override { (void)dc; }
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  void WMNCPaint(TMessage& m) override;

 private:
  bool PageControlSkinned() const;
};
