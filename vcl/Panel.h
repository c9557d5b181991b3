#pragma once

// TCustomPanel / TPanel: a container with bevels and an optional caption. The outer bevel,
// a ring of BorderWidth pixels in the panel's colour and the inner bevel are painted inside
// the client area; the children are aligned inside all three. The caption is drawn on one
// line, centred vertically, placed by Alignment. BorderStyle bsSingle gives the window a
// border (a sunken client edge with Ctl3D). With ParentBackground the panel shows its parent's
// painting instead of filling itself. AutoSize makes the panel take the size of its children
// plus its frame.
//
// Resizing: with FullRepaint (or a caption) the whole panel is painted again; otherwise only
// the strips along the right and bottom edges that hold the frame.
//
// A panel that is a dock site uses a dock manager (TDockTree, made by CreateDockManager).
//
// GUI thread only.

#include "vcl/Form.h"
#include "vcl/GraphicControl.h"

class TDockTree;

using TPanelBevel = TBevelCut;
// A panel's border: bsNone or bsSingle.
using TBorderStyle = TFormBorderStyle;

// Draws `width` rings of a 3-D frame inside `rect` (top and left in `topColor`, bottom and
// right in `bottomColor`) and leaves `rect` inside them.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

class TCustomPanel : public TCustomControl {
  BRANTWELL_CLASS(TCustomPanel, TCustomControl)

 public:
  explicit TCustomPanel(TComponent* owner);
  ~TCustomPanel() override;
  static void DescribeClass(TClassBuilder<TCustomPanel>& c);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel value);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  bool FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(bool value) { FFullRepaint = value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  void SetParentBackground(bool value) override;
  TRect ClientRect() override;

  // The dock manager of a dock site that uses one (made on first use), or null.
  TDockTree* DockManager();

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void AdjustClientRect(TRect& rect) override;
  void AlignControls(TControl* control, TRect& rect) override;
  void Paint() override;
  // Makes the dock manager (a TDockTree unless a subclass makes its own).
  virtual TDockTree* CreateDockManager();
  // Fits the panel around its children when AutoSize is on.
  virtual void AdjustSize();
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  void WMWindowPosChanged(TWMWindowPosMsg& m) override;
  void WMNCCalcSize(TMessage& m) override;
  void WMNCPaint(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;
  void Loaded() override;
  // The width of the bevels and the BorderWidth ring on each side.
  int FrameWidth() const;

  TAlignment FAlignment = taCenter;
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  TBorderStyle FBorderStyle = bsNone;
  bool FFullRepaint = true;
  bool FAutoSize = false;
  bool FAutoSizing = false;
  // The window's size as last seen, for the strips a resize repaints.
  TPoint FWindowSize{-1, -1};
  std::unique_ptr<TDockTree> FDockManager;
};

class TPanel : public TCustomPanel {
  BRANTWELL_CLASS(TPanel, TCustomPanel)

 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};
