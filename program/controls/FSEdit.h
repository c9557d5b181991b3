#pragma once

// TFSCustomEdit: the base of every skinned single-line edit. The platform's edit does all the
// editing; this class replaces its frame. The frame (and the buttons a descendant adds) is
// painted in the non-client area from a whole skin item ("Edit" by default), and the client
// area keeps the platform's text drawing over a background the skin shows through: while the
// edit does not have the focus it answers its colour request by painting the parent and the
// skin into the DC and handing back the null brush; with the focus it is the plain Color.
//
// Skin item layout, parts by id:
//   plain:         frame 0, button 1, button glyph 2
//   button layout: button 0, button glyph 1, frame 2
//   spin arrows (both layouts): up button 1, up arrow 2, down button 3, down arrow 4
// An item follows the button layout when it has at least three parts, its first part has
// more than two states and is named "Button" (any case), and its third part has fewer than
// three states or is named "Frame".
//
// The frame shows the hot state (the pointer in the client area) when it is next painted;
// entering and leaving do not repaint it. A press repaints it at once.
//
// TFSEdit publishes it. Owns its canvas; never the skin item. GUI thread only.

#include <memory>

#include "program/controls/SkinnedControl.h"
#include "vcl/Canvas.h"
#include "vcl/StdCtrls.h"

class TFSCustomEdit : public TCustomEdit {
  BRANTWELL_CLASS(TFSCustomEdit, TCustomEdit)

 public:
  explicit TFSCustomEdit(TComponent* owner, const char* defaultSkinName = "Edit");
  ~TFSCustomEdit() override;

  // The whole item's name; a part id in the text is dropped.
  AnsiString SkinName() const { return FSkinName; }
  void SetSkinName(const AnsiString& value);
  TSkinItem* SkinItem() const { return FSkinItem; }
  bool ButtonLayout() const { return FButtonLayout; }

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool NumberOnly() const { return FNumberOnly; }
  void SetNumberOnly(bool value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  bool Transparent() const { return ParentBackground(); }
  void SetTransparent(bool value) { SetParentBackground(value); }
  // The height follows the font: its text height plus 8 pixels.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);

  bool Pressed() const { return FPressed; }
  bool SelfDrawn() const { return FSelfDrawn; }
  // The non-client frame's width and height on each side (0, 1 or 2).
  int FrameWidth() const { return FFrameWidth; }
  int FrameHeight() const { return FFrameHeight; }

  // The frame painting with the client through the platform's own painting (and, at design
  // time, the frame drawn into the client DC). The canvas must be bound.
  virtual void RedrawBorder();

 bool IsSkinNameStored() const { return FSkinName != FDefaultSkinName; }

 protected:
  // Parts of the item by the layout.
  int FramePart() const { return FButtonLayout ? 2 : 0; }
  int ButtonPart() const { return FButtonLayout ? 0 : 1; }
  int GlyphPart() const { return FButtonLayout ? 1 : 2; }

  void Loaded() override;
  bool UsesCtl3D() const override { return FCtl3D; }
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void PaintWindow(HDC dc) override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

  // Paints the buttons of the non-client area into the canvas; `rect` is the whole window
  // (0, 0, Width, Height). None here.
  virtual void PaintButtons(const TRect& rect) { (void)rect; }

  // Resolves the item: a frame redraw when the item stays present or stays absent, else the
  // window is made again.
  void UpdateSkin();
  void SetPressed(bool value);
  void SetSelfDrawn(bool value) { FSelfDrawn = value; }
  TCanvas* Canvas() const { return FCanvas.get(); }
  // RedrawWindow on this edit's window (nothing without one).
  void Redraw(UINT flags);
  // The frame and buttons over `rect`, and, when `drawClient`, the client through the
  // platform's painting; into the DC the canvas is bound to.
  void PaintFrame(bool drawFrame, bool drawClient);
  void AdjustHeight();

  void Dispatch(TMessage& message) override;
  void WMPaint(TWMPaint& m) override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  void WMNCCalcSize(TMessage& m) override;
  void WMNCPaint(TMessage& m) override;
  void WMSetFocus(TWMFocus& m) override;
  void WMLButtonUp(TWMMouse& m) override;
  void CNCtlColor(TMessage& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;
  void CMSysColorChange(TMessage& m) override;
  void CMParentColorChanged(TMessage& m) override;
  void CMCtl3DChanged(TMessage& m) override;
  virtual void WMPrint(TMessage& m);
  virtual void CMSkinChanged(TMessage& m);

  TSkinItem* FSkinItem = nullptr;
  AnsiString FSkinName;
  AnsiString FDefaultSkinName;
  bool FButtonLayout = false;
  std::unique_ptr<TControlCanvas> FCanvas;
  TAlignment FAlignment = taLeftJustify;
  bool FSelfDrawn = false;
  bool FNumberOnly = false;
  bool FPressed = false;
  TColor FBorderColor = clWindowFrame;
  WideString FPasswordMask;
  int FFrameWidth = 0;
  int FFrameHeight = 0;
  bool FAutoSize = true;

 private:
  // The skinned frame (or its fallback) into `rect`.
  void PaintBorder(const TRect& rect);
  void PaintFallbackFrame(const TRect& rect);
  // The text (or the password mask) for WM_PRINT.
  void PrintText();
  const WideString& PasswordMask();
};

class TFSEdit : public TFSCustomEdit {
  BRANTWELL_CLASS(TFSEdit, TFSCustomEdit)

 public:
  explicit TFSEdit(TComponent* owner) : TFSCustomEdit(owner) {}
  static void DescribeClass(TClassBuilder<TFSEdit>& c);
};

// The published properties the skinned edits share (all but NumberOnly and Text).
template <class T> void DescribeSkinnedEdit(TClassBuilder<T>& c) {
  c.Property("SkinName", &T::SkinName, &T::SetSkinName).Stored(&T::IsSkinNameStored);
  c.Property("BorderColor", &T::BorderColor, &T::SetBorderColor).Default(clWindowFrame);
  c.Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
  c.Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(1);
  c.Property("Transparent", &T::Transparent, &T::SetTransparent).Default(0);
}
