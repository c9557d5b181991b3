#pragma once

// TCustomLabel: a line (or, with WordWrap, a block) of text without a window of its own,
// drawn on its parent. It can size itself to its text (AutoSize), place the text left, right
// or centred and top, centre or bottom (Alignment, Layout), cut it with an ellipsis, show an
// accelerator whose key focuses another control (FocusControl), and leave its background
// unpainted (Transparent). A disabled label draws its text embossed.
//
// All text goes through DoDrawText, both to measure (DT_CALCRECT) and to draw; a subclass
// that draws its text otherwise replaces that one step and keeps auto-sizing and layout.
//
// TLabel publishes it. GUI thread only.

#include "vcl/GraphicControl.h"

BRANTWELL_ENUM(TTextLayout, tlTop, tlCenter, tlBottom)
BRANTWELL_ENUM(TEllipsisPosition, epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis)

class TCustomLabel : public TGraphicControl {
  BRANTWELL_CLASS(TCustomLabel, TGraphicControl)

 public:
  explicit TCustomLabel(TComponent* owner);
  ~TCustomLabel() override;
  static void DescribeClass(TClassBuilder<TCustomLabel>& c);
  void Dispatch(TMessage& message) override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool value);
  bool Transparent() const { return !FControlStyle.Contains(csOpaque); }
  void SetTransparent(bool value);
  TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
  void SetEllipsisPosition(TEllipsisPosition value);
  // The control that the label's accelerator focuses; the label follows its removal.
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* value);

  // Fits the bounds to the text when AutoSize is on (a right-aligned label keeps its right
  // edge). Nothing happens while the label is being read from a form file.
  virtual void AdjustBounds();

 protected:
  // The text DoDrawText shows.
  virtual AnsiString GetLabelText();
  // Measures (DT_CALCRECT: `rect` becomes the text's extent) or draws the text into `rect`
  // on Canvas, with the DrawText `flags` the caller chose plus the label's own (no prefix,
  // reading order, ellipsis).
  virtual void DoDrawText(TRect& rect, UINT flags);
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  virtual void CMDialogChar(TWMKey& m);
  void CMTextChanged(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;

  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  TEllipsisPosition FEllipsisPosition = epNone;
  TWinControl* FFocusControl = nullptr;

 private:
  bool IsTransparentStored() const { return FTransparentSet; }
  bool FTransparentSet = false;
};

class TLabel : public TCustomLabel {
  BRANTWELL_CLASS(TLabel, TCustomLabel)

 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};
