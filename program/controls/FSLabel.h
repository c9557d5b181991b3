#pragma once

// TFSLabel: the program's label. It keeps its caption as UTF-16 (Caption, SetCaption) beside
// the class library's 8-bit text, can act as a hyperlink (the caption, or a separate
// HyperLink address, opened by the desktop on a click), and can show a second, trailing
// piece of text right of the caption with a click event of its own (TrailLabel,
// OnTrailLabelClick). It has no skin reference and no hover fades: it draws with the
// window's fonts and colours, the link in ActiveFontColor while the pointer is over it and
// InactiveFontColor otherwise, underlined as UnderLineType says.
//
// A link opens only as a web or mail address (http:, https:, mailto:); any other text is
// never handed to the desktop, and a link the desktop cannot open is written to the log.
//
// GUI thread only.

#include "rtl/SysTypes.h"
#include "vcl/Label.h"

// When the link text is underlined: never, always, or while the pointer covers it.
BRANTWELL_ENUM(THyperLinkUnderlineType, hlNever, hlAlways, hlCover)

class TFSLabel : public TCustomLabel {
  BRANTWELL_CLASS(TFSLabel, TCustomLabel)

 public:
  explicit TFSLabel(TComponent* owner);
  static void DescribeClass(TClassBuilder<TFSLabel>& c);

  // The displayed text. Setting it also sets the class library's text to its 8-bit form and
  // keeps the exact wide text, even where the 8-bit form loses something.
  WideString Caption() const { return FCaption; }
  void SetCaption(const WideString& value);
  // The 8-bit form: sets the class library's text, which the wide caption then follows.
  using TCustomLabel::SetCaption;

  bool IsHyperLink() const { return FIsHyperLink; }
  void SetIsHyperLink(bool value);
  THyperLinkUnderlineType UnderLineType() const { return FUnderLineType; }
  void SetUnderLineType(THyperLinkUnderlineType value);
  // The address a click opens; empty: the caption.
  WideString HyperLink() const { return FHyperLink; }
  void SetHyperLink(const WideString& value);
  TColor ActiveFontColor() const { return FActiveFontColor; }
  void SetActiveFontColor(TColor value);
  TColor InactiveFontColor() const { return FInactiveFontColor; }
  void SetInactiveFontColor(TColor value);
  WideString TrailLabel() const { return FTrailLabel; }
  void SetTrailLabel(const WideString& value);
  int TrailSpacing() const { return FTrailSpacing; }
  void SetTrailSpacing(int value);

  // The pointer is over the label / over its trailing text.
  bool Hot() const { return FHot; }
  bool TrailHot() const { return FTrailHot; }
  // The trailing text's size, as measured by the last draw or measurement.
  TSize TrailSize() const { return FTrailSize; }

  // The trailing text's click, when set and the pointer is over that text; else the
  // label's click, which in hyperlink mode without an OnClick handler opens the link.
  void Click() override;

  TNotifyEvent OnTrailLabelClick;

 protected:
  void DoDrawText(TRect& rect, UINT flags) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void CMMouseEnter(TCMMouseEnterLeave& m) override;
  void CMMouseLeave(TCMMouseEnterLeave& m) override;
  void CMEnabledChanged(TMessage& m) override;
  void CMTextChanged(TMessage& m) override;
  void CMHintShow(TMessage& m) override;

 private:
  bool IsHyperLinkStored() const { return FHyperLink != FCaption; }
  // The canvas font for the caption or the trailing text, `hot` for its own hover.
  void ApplyLinkFont(bool hot);
  // Hands the link to the desktop when it is a web or mail address.
  void OpenLink(const WideString& link);

  THyperLinkUnderlineType FUnderLineType = hlCover;
  bool FIsHyperLink = false;
  bool FHot = false;
  WideString FHyperLink;
  TColor FActiveFontColor = static_cast<TColor>(204);
  TColor FInactiveFontColor = static_cast<TColor>(0x990000);
  WideString FTrailLabel;
  int FTrailSpacing = 10;
  TSize FTrailSize{0, 0};
  bool FTrailHot = false;
  WideString FCaption;
  // Set while SetCaption hands the 8-bit form on, so the text change keeps the wide caption.
  bool FSettingCaption = false;
};

// Whether a link may be handed to the desktop: an address whose scheme is http, https or
// mailto (in any case), with something after the colon.
bool IsOpenableLink(const WideString& link);
