#pragma once

// TFSCustomTreeView: the standard tree view with skinned scroll bars, a one-colour border
// (BorderColor, drawn when the border is single and Ctl3D is off), transparency over the
// parent, a row height of the program's choosing, check boxes whose clicks go to
// OnCheckItem instead of toggling, and expanding a node with one click (ClickExpand).
// TFSTreeView publishes it. TFSToolBar: the standard tool bar, double-buffered, and drawn
// over its parent's picture when Transparent.
//
// The tree owns its scroll bar object, which re-attaches on every window creation. GUI
// thread only.

#include <memory>

#include "program/controls/SkinnedControl.h"
#include "program/skin/NCScrollBar.h"
#include "vcl/ToolBar.h"
#include "vcl/TreeView.h"

// A click on a node's check box, with the box's state before the click.
using TTVCheckItemEvent = TEvent<void(TObject* Sender, TTreeNode* Node, bool AChecked)>;

class TFSCustomTreeView : public TCustomTreeView {
  BRANTWELL_CLASS(TFSCustomTreeView, TCustomTreeView)

 public:
  explicit TFSCustomTreeView(TComponent* owner);
  ~TFSCustomTreeView() override;

  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  // -1: the control's own row height.
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);
  bool ClickExpand() const { return FClickExpand; }
  void SetClickExpand(bool value) { FClickExpand = value; }
  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool value);
  bool Transparent() const { return ParentBackground(); }
  void SetTransparent(bool value) { SetParentBackground(value); }
  TNCScrollBar* ScrollBars() const { return FScrollBars.get(); }

  // Whether a node's check box is ticked (false for a node being deleted).
  bool NodeChecked(TTreeNode* node);

  TTVCheckItemEvent OnCheckItem;

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  void WMNCPaint(TMessage& m) override;
  // Space on a node with a check box goes to OnCheckItem as a click does.
  void WMKeyDown(TWMKey& m) override;
  // A press on a check box: reported, and kept from the window. True when consumed.
  bool CheckBoxClick(TMessage& m);
  virtual void WMPrint(TMessage& m);

  std::unique_ptr<TNCScrollBar> FScrollBars;
  TColor FBorderColor = clWindowFrame;
  int FItemHeight = -1;
  bool FClickExpand = false;
  bool FCheckboxes = false;
};

class TFSTreeView : public TFSCustomTreeView {
  BRANTWELL_CLASS(TFSTreeView, TFSCustomTreeView)

 public:
  using TFSCustomTreeView::TFSCustomTreeView;
  static void DescribeClass(TClassBuilder<TFSTreeView>& c);
};

class TFSToolBar : public TToolBar {
  BRANTWELL_CLASS(TFSToolBar, TToolBar)

 public:
  explicit TFSToolBar(TComponent* owner) : TToolBar(owner) {}
  static void DescribeClass(TClassBuilder<TFSToolBar>& c);

 protected:
  void Loaded() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
};
