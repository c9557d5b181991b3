// The window-less label: auto-sizing through its text-drawing step, layout and alignment in
// pixels, transparency, the embossed disabled look, ellipsis cutting, and the accelerator that
// focuses another control.

#include <gtest/gtest.h>

#include <chrono>

#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "vcl/Application.h"
#include "vcl/Form.h"
#include "vcl/Label.h"

namespace {

using namespace std::chrono_literals;
using platform::testing::Watchdog;

class LabelTest : public ::testing::Test {
 protected:
  void TearDown() override { DoneApplication(); }
};

TForm* NewForm(int width, int height) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, width, height);
  form->SetColor(clWhite);
  return form;
}

// Counts the measuring calls and what they were asked.
class TCountingLabel : public TLabel {
  BRANTWELL_CLASS(TCountingLabel, TLabel)
 public:
  using TLabel::TLabel;
  int measures = 0;
  UINT lastFlags = 0;

 protected:
  void DoDrawText(TRect& rect, UINT flags) override {
    if (flags & DT_CALCRECT) {
      ++measures;
      lastFlags = flags;
    }
    inherited::DoDrawText(rect, flags);
  }
};

class TFocusBox : public TCustomControl {
  BRANTWELL_CLASS(TFocusBox, TCustomControl)
 public:
  explicit TFocusBox(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 60, 50, 20);
    SetTabStop(true);
  }
};

// The rows (or columns) of a window's picture that hold a pixel other than `background`.
struct Ink {
  int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
};
Ink InkOf(const platform::testing::Image& shot, TRect area, uint32_t background) {
  Ink ink;
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x)
      if ((shot.At(x, y) & 0xFFFFFF) != background) {
        ink.left = std::min(ink.left, x);
        ink.top = std::min(ink.top, y);
        ink.right = std::max(ink.right, x + 1);
        ink.bottom = std::max(ink.bottom, y + 1);
      }
  return ink;
}

TEST_F(LabelTest, AutoSizeMeasuresThroughTheTextStep) {
  TForm* form = NewForm(300, 200);
  auto* label = new TCountingLabel(form);
  label->SetParent(form);
  label->SetCaption("Burn the disc");
  EXPECT_GT(label->measures, 0);
  EXPECT_TRUE(label->lastFlags & DT_CALCRECT);
  const int oneLine = label->Height();
  const int wide = label->Width();
  EXPECT_GT(wide, 40);
  EXPECT_GT(oneLine, 8);
  // An empty caption keeps one line's height; "&&" is one character with accelerators shown.
  label->SetCaption("");
  EXPECT_EQ(label->Height(), oneLine);
  label->SetCaption("a&&b");
  const int withAccel = label->Width();
  label->SetShowAccelChar(false);
  EXPECT_GT(label->Width(), withAccel);
  // Word wrap at a fixed width makes the label taller, not wider.
  label->SetAutoSize(false);
  label->SetCaption("one two three four five six seven eight");
  label->SetWidth(60);
  label->SetWordWrap(true);
  label->SetAutoSize(true);
  EXPECT_LE(label->Width(), 60);
  EXPECT_GT(label->Height(), 2 * oneLine);
  // A right-aligned label keeps its right edge as it grows or shrinks.
  label->SetWordWrap(false);
  label->SetAlignment(taRightJustify);
  label->SetAutoSize(false);
  label->SetBounds(100, 0, 200, oneLine);
  label->SetAutoSize(true);
  EXPECT_EQ(label->Left() + label->Width(), 300);
  // Without AutoSize the bounds stay as set.
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 30, 30);
  label->SetCaption("a much longer caption than before");
  EXPECT_EQ(label->BoundsRect(), Rect(0, 0, 30, 30));
}

TEST_F(LabelTest, LayoutAlignmentAndTransparencyShowInPixels) {
  Watchdog watchdog(20s);
  TForm* form = NewForm(200, 120);
  auto make = [&](int left, TAlignment alignment, TTextLayout layout) {
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetBounds(left, 0, 60, 100);
    label->SetCaption("Wj");
    label->SetAlignment(alignment);
    label->SetLayout(layout);
    label->SetColor(RGB(255, 255, 0));
    return label;
  };
  TLabel* topLeft = make(0, taLeftJustify, tlTop);
  TLabel* centred = make(65, taCenter, tlCenter);
  TLabel* bottomRight = make(130, taRightJustify, tlBottom);
  bottomRight->SetTransparent(true);
  form->Show();
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  const auto shot = platform::testing::ReadWindow(form->Handle());
  platform::testing::SavePng(shot, BRANTWELL_TEST_BIN_DIR "/vcl-labels.png");
  constexpr uint32_t yellow = 0xFFFF00, white = 0xFFFFFF;
  EXPECT_EQ(shot.At(59, 99) & 0xFFFFFF, yellow);  // an opaque label fills with its colour
  EXPECT_EQ(shot.At(131, 1) & 0xFFFFFF, white);   // a transparent one leaves the form showing
  const Ink a = InkOf(shot, topLeft->BoundsRect(), yellow);
  const Ink b = InkOf(shot, centred->BoundsRect(), yellow);
  const Ink c = InkOf(shot, bottomRight->BoundsRect(), white);
  EXPECT_LT(a.left, 3);
  EXPECT_LT(a.top, 5);
  EXPECT_NEAR((b.left + b.right) / 2, 65 + 30, 3);
  EXPECT_NEAR((b.top + b.bottom) / 2, 50, 4);
  EXPECT_GT(c.right, 190 - 3);
  EXPECT_GT(c.bottom, 100 - 5);
  EXPECT_GT(c.top, 70);
}

TEST_F(LabelTest, DisabledTextIsEmbossed) {
  Watchdog watchdog(20s);
  TForm* form = NewForm(120, 40);
  form->SetColor(RGB(0, 0, 255));
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetTransparent(true);
  label->Font()->SetSize(14);
  label->SetCaption("IIII");
  label->SetEnabled(false);
  form->Show();
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  const auto shot = platform::testing::ReadWindow(form->Handle());
  const uint32_t highlight = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
  auto swap = [](uint32_t colorRef) {  // COLORREF (red low) to the pixel's order (red high)
    return ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
  };
  int highlights = 0, shadows = 0, highlightLeft = INT32_MAX, shadowLeft = INT32_MAX;
  for (int y = 0; y < label->Height(); ++y)
    for (int x = 0; x < label->Width(); ++x) {
      const uint32_t p = shot.At(x, y) & 0xFFFFFF;
      if (p == swap(highlight)) ++highlights, highlightLeft = std::min(highlightLeft, x);
      if (p == swap(shadow)) ++shadows, shadowLeft = std::min(shadowLeft, x);
    }
  EXPECT_GT(highlights, 0);
  EXPECT_GT(shadows, 0);
  EXPECT_EQ(highlightLeft, shadowLeft + 1);  // the highlight lies one pixel right of the shadow
}

TEST_F(LabelTest, WrappedEllipsisCutsWholeCharactersAndEnds) {
  Watchdog watchdog(20s);
  TForm* form = NewForm(200, 100);
  auto* label = new TCountingLabel(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  label->SetBounds(0, 0, 50, 18);
  label->SetEllipsisPosition(epEndEllipsis);
  // No blanks at all, accented letters throughout: the cut goes character by character.
  label->SetCaption("\xc3\xa9t\xc3\xa9\xc3\xa9t\xc3\xa9\xc3\xa9t\xc3\xa9\xc3\xa9t\xc3\xa9\xc3\xa9t\xc3\xa9\xc3\xa9t\xc3\xa9");
  form->Show();
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  // And a label too small for even the ellipsis still paints and ends.
  label->SetBounds(0, 0, 2, 2);
  label->SetCaption("word another word");
  form->Update();
  ASSERT_TRUE(platform::testing::RunUntilIdle());
}

TEST_F(LabelTest, AcceleratorFocusesTheFocusControl) {
  Watchdog watchdog(20s);
  TForm* form = NewForm(200, 100);
  auto* target = new TFocusBox(form);
  target->SetParent(form);
  auto* other = new TFocusBox(form);
  other->SetParent(form);
  other->SetLeft(100);
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetCaption("&Name:");
  label->SetFocusControl(target);
  form->Show();
  ASSERT_TRUE(platform::testing::RunUntilIdle());
  other->SetFocus();
  struct Case {
    bool enabled;
    bool showAccel;
    WORD key;
    bool focuses;
  } cases[] = {
      {true, true, 'N', true}, {true, true, 'n', true}, {true, true, 'A', false},
      {false, true, 'N', false}, {true, false, 'N', false},
  };
  for (const Case& c : cases) {
    other->SetFocus();
    label->SetEnabled(c.enabled);
    label->SetShowAccelChar(c.showAccel);
    const LRESULT handled = form->Perform(CM_DIALOGCHAR, c.key, 0);
    EXPECT_EQ(target->Focused(), c.focuses) << c.key << c.enabled << c.showAccel;
    EXPECT_EQ(handled != 0, c.focuses);
  }
  // A freed focus control is forgotten.
  delete target;
  EXPECT_EQ(label->FocusControl(), nullptr);
  label->SetShowAccelChar(true);
  label->SetEnabled(true);
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'N', 0), 0);
}

TEST_F(LabelTest, RightToLeftLabelsGrowToTheLeft) {
  TForm* form = NewForm(300, 100);
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetBiDiMode(bdRightToLeft);
  label->SetAutoSize(false);
  label->SetBounds(100, 0, 200, 20);
  label->SetCaption("abc");
  label->SetAutoSize(true);  // left-justified reads as right in right-to-left
  EXPECT_EQ(label->Left() + label->Width(), 300);
}

}  // namespace
