#pragma once

// TFcCustomPanel: the container base of the Fc set. The class library's panel with the Fc
// frame set (outer style, BorderWidth ring, inner style) in place of its bevels, a solid,
// gradient or transparent background, an optional grid, a caption placed at the top, centre
// or bottom with margins, the enabled states of its children kept while it is disabled, and
// docking captions drawn by its own dock manager (TFcPanelDockManager). It can follow a
// TFcFrameController (IFrameSettingsReceiver).
//
// TFcPanelDockManager: the dock tree of an Fc panel: 14-pixel caption bands with the docked
// control's text (turned by 90 degrees when the panel is aligned to the top or bottom) in
// the caption colours of the focus state, and a close glyph.
//
// GUI thread only. The panel owns its child-state list and its dock manager.

#include <memory>

#include "program/fc/FcDraw.h"
#include "program/fc/FcFrameController.h"
#include "vcl/DockTree.h"
#include "vcl/Panel.h"
#include "vcl/StringList.h"

BRANTWELL_ENUM(TFcCaptionPlacement, cpTop, cpCentre, cpBottom)

class TFcCustomPanel;

class TFcPanelDockManager : public TDockTree {
 public:
  explicit TFcPanelDockManager(TFcCustomPanel* panel);
  ~TFcPanelDockManager() override;

  void AdjustDockRect(TControl* control, TRect& rect) override;
  void PaintDockFrame(TCanvas* canvas, TControl* control, const TRect& rect) override;
  TRect CloseGlyphRect(const TRect& rect) override;
  TFont* CaptionFont() const { return FCaptionFont.get(); }

 protected:
  void WindowProc(TMessage& message) override;

  TFcCustomPanel* FPanel;
  std::unique_ptr<TFont> FCaptionFont;
};

class TFcCustomPanel : public TCustomPanel, public IFrameSettingsReceiver {
  BRANTWELL_CLASS(TFcCustomPanel, TCustomPanel)

 public:
  explicit TFcCustomPanel(TComponent* owner);
  ~TFcCustomPanel() override;
  static void DescribeClass(TClassBuilder<TFcCustomPanel>& c);

  void SetBounds(int left, int top, int width, int height) override;
  void Dispatch(TMessage& message) override;
  void FrameSettingsChanged() override { ApplyFrameController(); }

  // The client rectangle less the frame (and with `includeBorderWidth` the BorderWidth ring).
  virtual TRect FrameInset(TRect rect, bool includeBorderWidth);
  virtual TRect OuterRect() { return TRect(0, 0, Width(), Height()); }
  virtual void GradientColors(TColor& first, TColor& second);
  virtual void FrameColors(TColor& color, int& adjustment);
  virtual void ApplyFrameController();

  TFcCaptionPlacement CaptionPlacement() const { return FCaptionPlacement; }
  virtual void SetCaptionPlacement(TFcCaptionPlacement value);
  TFrameStyleEx BorderInner() const { return FBorderInner; }
  virtual void SetBorderInner(TFrameStyleEx value);
  TFrameStyleEx BorderOuter() const { return FBorderOuter; }
  virtual void SetBorderOuter(TFrameStyleEx value);
  TSides BorderSides() const { return FBorderSides; }
  virtual void SetBorderSides(TSides value);
  TColor BorderColor() const { return FBorderColor; }
  virtual void SetBorderColor(TColor value);
  TColor BorderHighlight() const { return FBorderHighlight; }
  virtual void SetBorderHighlight(TColor value);
  TColor BorderShadow() const { return FBorderShadow; }
  virtual void SetBorderShadow(TColor value);
  TColor FlatColor() const { return FFlatColor; }
  virtual void SetFlatColor(TColor value);
  int FlatColorAdjustment() const { return FFlatColorAdjustment; }
  virtual void SetFlatColorAdjustment(int value);
  bool PaintBackground() const { return FPaintBackground; }
  virtual void SetPaintBackground(bool value);
  int FillStyle() const { return FFillStyle; }
  virtual void SetFillStyle(int value);
  int GradientSource() const { return FGradientSource; }
  virtual void SetGradientSource(int value);
  TColor GradientFromColor() const { return FGradientFromColor; }
  virtual void SetGradientFromColor(TColor value);
  TColor GradientToColor() const { return FGradientToColor; }
  virtual void SetGradientToColor(TColor value);
  int GradientKind() const { return FGradientKind; }
  virtual void SetGradientKind(int value);
  TColor GridColor() const { return FGridColor; }
  virtual void SetGridColor(TColor value);
  int GridStyle() const { return FGridStyle; }
  virtual void SetGridStyle(int value);
  int GridStepX() const { return FGridStepX; }
  virtual void SetGridStepX(int value);
  int GridStepY() const { return FGridStepY; }
  virtual void SetGridStepY(int value);
  bool GridVisible() const { return FGridVisible; }
  virtual void SetGridVisible(bool value);
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  int TextMarginX() const { return FTextMarginX; }
  virtual void SetTextMarginX(int value);
  int TextMarginY() const { return FTextMarginY; }
  virtual void SetTextMarginY(int value);
  bool CaptionWordWrap() const { return FCaptionWordWrap; }
  virtual void SetCaptionWordWrap(bool value);
  bool DockCaptions() const { return FDockCaptions; }
  void SetDockCaptions(bool value);
  TFcFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TFcFrameController* value);
  TFcFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TFcFrameControllerNotifications value) { FFrameControllerNotifications = value; }

  TNotifyEvent OnPaintDone;

 protected:
  void DefineProperties(TFiler* filer) override;
  void Notification(TComponent* component, TOperation operation) override;
  void AdjustClientRect(TRect& rect) override;
  void Paint() override;
  TDockTree* CreateDockManager() override;
  // The cursor position in client coordinates.
  virtual TPoint CursorPosition();
  virtual void PaintCaption(TRect inner);
  virtual void PaintGrid(const TRect& rect);
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMSysColorChange(TMessage& m) override;
  void CMMouseEnter(TCMMouseEnterLeave& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;

  TFcCaptionPlacement FCaptionPlacement = cpCentre;
  TFrameStyleEx FBorderInner = fsNone;
  TFrameStyleEx FBorderOuter = fsRaised;
  TSides FBorderSides = AllSides;
  TColor FBorderColor = clBtnFace;
  TColor FBorderHighlight = clBtnHighlight;
  TColor FBorderShadow = clBtnShadow;
  TColor FFlatColor = clBtnShadow;
  int FFlatColorAdjustment = 30;
  bool FPaintBackground = true;
  int FFillStyle = 1;
  int FGradientSource = 0;
  TColor FGradientFromColor = 0xFFFFFF;
  TColor FGradientToColor = clBtnFace;
  int FGradientKind = 2;
  TColor FGridColor = clBtnShadow;
  int FGridStyle = 0;
  int FGridStepX = 8;
  int FGridStepY = 8;
  bool FGridVisible = false;
  bool FTransparent = false;
  int FTextMarginX = 0;
  int FTextMarginY = 0;
  bool FCaptionWordWrap = true;
  bool FDockCaptions = true;
  // "1" or "0" per child, the child as the object: the states kept while disabled.
  std::unique_ptr<TStringList> FChildStates;
  TFcFrameController* FFrameController = nullptr;
  TFcFrameControllerNotifications FFrameControllerNotifications =
      TFcFrameControllerNotifications::FromBits(AllFrameNotifications);

 private:
  void Changed();
};
