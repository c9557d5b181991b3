#pragma once

// THtmlView: the what's-new page of the update window. It reads a small part of HTML — p, b,
// br, ul, li, a href and character references; any other tag is dropped and its text kept —
// and shows it as word-wrapped text (DejaVu Sans 9 pt, links in the accent colour) on white
// with a vertical scroll bar. A click on a link opens it through the desktop's handler, and
// only when it is an http or https address.
//
// The reader (ParseHtml) is separate from the control, so it can be tested and fuzzed alone.
//
// GUI thread only.

#include <vector>

#include "vcl/GraphicControl.h"

// One piece of text with the look it is drawn in.
struct THtmlRun {
  WideString Text;
  bool Bold = false;
  WideString Href;  // set inside <a href>
};

// A paragraph, a line of a list (Bullet), or an empty line of a <br> between blocks.
struct THtmlBlock {
  std::vector<THtmlRun> Runs;
  bool Bullet = false;
  int Indent = 0;  // list depth
};

// The blocks of a document. Never fails: malformed markup reads as text.
std::vector<THtmlBlock> ParseHtml(const WideString& html);
// The text with "&amp;", "&#233;", "&#xE9;" ... replaced; an unknown reference stays as it is.
WideString DecodeCharacterReferences(const WideString& text);

class THtmlView : public TCustomControl {
  BRANTWELL_CLASS(THtmlView, TCustomControl)

 public:
  explicit THtmlView(TComponent* owner);
  ~THtmlView() override;

  void SetHtml(const WideString& html);
  const std::vector<THtmlBlock>& Blocks() const { return FBlocks; }
  // The address of the link at a client point, empty when none.
  WideString LinkAt(int x, int y);
  // Total height of the laid-out text, and the first pixel row shown.
  int ContentHeight();
  int ScrollPosition() const { return FScroll; }
  void ScrollTo(int position);

  // Opens a link: true when it was handed to the desktop (http and https only).
  static bool OpenLink(const WideString& href);

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void WndProc(TMessage& message) override;
  void WMLButtonUp(TWMMouse& m) override;
  void WMMouseWheel(TWMMouseWheel& m) override;
  void SetBounds(int left, int top, int width, int height) override;

 private:
  struct TFragment {
    int X, Y, Width;
    WideString Text;
    bool Bold;
    WideString Href;
  };
  void Layout();
  void UpdateScrollBar();
  void DropFonts();

  std::vector<THtmlBlock> FBlocks;
  std::vector<TFragment> FFragments;
  int FLayoutWidth = -1;
  int FContentHeight = 0;
  int FLineHeight = 14;
  int FScroll = 0;
  HFONT FNormalFont = nullptr;
  HFONT FBoldFont = nullptr;
};
