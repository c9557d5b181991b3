#include <gtest/gtest.h>

#include "IndicatorTestSupport.h"
#include "platform/user/Messages.h"
#include "program/controls/FSGaugeBar.h"
#include "program/controls/FSProgressBar.h"
#include "vcl/Reader.h"
#include "vcl/Writer.h"

using namespace indicator_test;
namespace pt = platform::testing;

namespace {

// A progress bar that counts its repaint requests.
class CountingBar : public TFSProgressBar {
 public:
  using TFSProgressBar::TFSProgressBar;
  void Invalidate() override {
    ++invalidations;
    TFSProgressBar::Invalidate();
  }
  int invalidations = 0;
};

TEST(ProgressRepaintStep, IsTheRangePerPixelAndNeverBelowOne) {
  EXPECT_EQ(ProgressRepaintStep(0, 10000, 200), 50);
  EXPECT_EQ(ProgressRepaintStep(10000, 0, 200), 50);
  EXPECT_EQ(ProgressRepaintStep(0, 100, 200), 1);
  EXPECT_EQ(ProgressRepaintStep(0, 10000, 0), 1);
  EXPECT_EQ(ProgressRepaintStep(INT32_MIN, INT32_MAX, 1), INT32_MAX) << "no overflow of the range";
}

using ProgressBar = IndicatorFixture;

TEST_F(ProgressBar, PositionIsClampedAndChangesFireOnce) {
  TFSProgressBar bar(nullptr);
  int changes = 0;
  bar.OnChange = [&](TObject*) { ++changes; };
  bar.SetPosition(150);
  EXPECT_EQ(bar.Position(), 100);
  bar.SetPosition(-5);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetPosition(40);
  bar.SetPosition(40);
  EXPECT_EQ(changes, 3);
  bar.SetMax(0);
  EXPECT_EQ(bar.Max(), 1) << "a maximum not above Min becomes Min + 1";
  EXPECT_EQ(bar.Position(), 1);
}

TEST_F(ProgressBar, SmallStepsAfterASizeOnlyReportTheChange) {
  CountingBar bar(nullptr);
  bar.SetMax(10000);
  bar.SetBounds(0, 0, 200, 16);
  bar.Perform(WM_SIZE, 0, MAKELPARAM(200, 16));
  EXPECT_EQ(bar.RepaintStep(), 50);
  int changes = 0;
  bar.OnChange = [&](TObject*) { ++changes; };
  bar.SetPosition(100);
  bar.invalidations = 0;
  bar.SetPosition(120);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(bar.invalidations, 0);
  bar.SetPosition(10000);
  EXPECT_EQ(bar.invalidations, 1) << "the end always repaints";
  bar.SetBounds(0, 0, 0, 16);
  bar.Perform(WM_SIZE, 0, MAKELPARAM(0, 16));
  EXPECT_EQ(bar.RepaintStep(), 1);
}

TEST_F(ProgressBar, StartsTransparentUntilItsPartSaysOtherwise) {
  TFSProgressBar bare(nullptr);
  EXPECT_TRUE(bare.Transparent()) << "no part: the published default";
  EXPECT_FALSE(bare.ControlStyle().Contains(csOpaque));

  WriteItem("ProgressBar", R"(<Part><State type="box"><Brush Color="clGray"/></State>
      <State type="box"><Brush Color="clRed"/></State></Part>)");
  UseSkin();
  TFSProgressBar skinned(nullptr);
  EXPECT_FALSE(skinned.Transparent());
  EXPECT_TRUE(skinned.ControlStyle().Contains(csOpaque));
}

TEST_F(ProgressBar, AnEmptyRangeDrawsAnEmptyBar) {
  WriteItem("ProgressBar", R"(<Part><State type="box"><Pen Color="clGray"/><Brush Color="clGray"/></State>
      <State type="box"><Pen Color="clRed"/><Brush Color="clRed"/></State></Part>)");
  UseSkin();
  TForm* form = ShowForm();
  auto* bar = Place<TFSProgressBar>(form, 10, 10, 200, 16);
  bar->SetPosition(50);
  EXPECT_EQ(Rgb(Capture(form), 10 + 50, 18), kFilled);
  bar->SetMin(100);  // Min reaches Max: nothing to divide by
  bar->SetMin(300);
  pt::Image image = Capture(form);
  EXPECT_EQ(Rgb(image, 10 + 2, 18), kTrack);
  EXPECT_EQ(Rgb(image, 10 + 150, 18), kTrack);
}

TEST_F(ProgressBar, ThePercentageOverTheTrackLeavesTheTrackAroundItsLetters) {
  WriteItem("ProgressBar", R"(<Part><State type="box"><Pen Color="clGray"/><Brush Color="clGray"/>
      <Font Color="clBlack"/></State>
      <State type="box"><Pen Color="clRed"/><Brush Color="clRed"/><Font Color="clWhite"/></State></Part>)");
  UseSkin();
  TForm* form = ShowForm();
  auto* bar = Place<TFSProgressBar>(form, 10, 10, 200, 18);
  bar->SetShowPercent(true);
  for (int position : {0, 20}) {
    bar->SetPosition(position);
    pt::Image image = Capture(form);
    // Between the letters of the centred text the track shows, never a background box.
    int track = 0;
    for (int x = 80; x < 120; ++x)
      for (int y = 1; y < 17; ++y) {
        EXPECT_NE(Rgb(image, 10 + x, 10 + y), kWhite) << position << ": " << x << "," << y;
        track += Rgb(image, 10 + x, 10 + y) == kTrack;
      }
    EXPECT_GT(track, 0);
  }
}

TEST_F(ProgressBar, WithoutASkinThePercentageIsDrawnOnceOverTheWholeBar) {
  TForm* form = ShowForm();
  auto* bar = Place<TFSProgressBar>(form, 10, 10, 200, 18);
  bar->SetShowPercent(true);
  bar->SetPosition(25);
  pt::Image image = Capture(form);
  // The filled quarter (x 1..49) is plain blue: the text, centred on the bar, lies in the rest.
  for (int x = 1; x < 49; ++x)
    for (int y = 1; y < 17; ++y) ASSERT_EQ(Rgb(image, 10 + x, 10 + y), 0x0000FFu) << x << "," << y;
  int ink = 0;
  for (int x = 80; x < 120; ++x)
    for (int y = 1; y < 17; ++y) ink += Rgb(image, 10 + x, 10 + y) != kWhite;
  EXPECT_GT(ink, 0) << "the percentage at the middle";
}

// ---- gauge ---------------------------------------------------------------------------------------

TEST(GaugeScale, TheMainWindowsGaugeAt1000And5000MB) {
  struct Case {
    int position;
    int64_t scaleMax, mbPerPixel, spacing;
    int markX, usedRight, overLeft, overRight;
  } cases[] = {
      {1000, 5283, 9, 27, 484, 108, 0, 0},
      {5000, 5870, 10, 25, 448, 448, 448, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    const TGaugeScale scale = CalcGaugeScale(c.position, GMD5, 587);
    EXPECT_EQ(scale.ScaleMax, c.scaleMax);
    EXPECT_EQ(scale.MBPerPixel, c.mbPerPixel);
    EXPECT_EQ(scale.TickStep, 250);
    EXPECT_EQ(scale.TickSpacing, c.spacing);
    const TGaugeLayout layout = CalcGaugeLayout(scale, c.position, GMD5, 587, 29);
    EXPECT_EQ(layout.D5MarkX, c.markX);
    EXPECT_EQ(layout.Used.Left, 0);
    EXPECT_EQ(layout.Used.Right, c.usedRight);
    EXPECT_EQ(layout.Used.Bottom, 29);
    EXPECT_EQ(layout.Over.Left, c.overLeft);
    EXPECT_EQ(layout.Over.Right, c.overRight);
    EXPECT_EQ(layout.Free.Left, c.overRight ? c.overRight : c.usedRight);
    EXPECT_EQ(layout.Free.Right, 587);
    EXPECT_EQ(layout.Ticks[1].X, c.spacing);
    EXPECT_EQ(layout.Ticks[1].MB, 250);
  }
}

TEST(GaugeScale, DualLayerOverflowAndNarrowGauges) {
  const TGaugeScale scale = CalcGaugeScale(9000, GMD9, 587);
  const TGaugeLayout layout = CalcGaugeLayout(scale, 9000, GMD9, 587, 29);
  EXPECT_GT(layout.Over.Right, layout.Over.Left) << "a red part beyond the 8152 mark";
  EXPECT_EQ(layout.Over.Left, layout.D9MarkX);
  EXPECT_EQ(layout.Used.Right, layout.D9MarkX);

  // The spacing doubles its step until ticks are 10 pixels apart.
  const TGaugeScale small = CalcGaugeScale(1000, GMD5, 100);
  EXPECT_GE(small.TickSpacing, 10);
  EXPECT_EQ(small.TickStep % 250, 0);

  for (int width : {0, 5, 9}) {
    SCOPED_TRACE(width);
    const TGaugeScale narrow = CalcGaugeScale(1000, GMD5, width);
    const TGaugeLayout none = CalcGaugeLayout(narrow, 1000, GMD5, width, 29);
    EXPECT_TRUE(none.Ticks.empty());
    EXPECT_EQ(none.Used.Right, 0);
    EXPECT_EQ(none.Free.Right, 0);
  }
}

using GaugeBar = IndicatorFixture;

TEST_F(GaugeBar, PaintsFitOverAndFreeAreasAndKeepsLabelsInside) {
  TForm* form = ShowForm(620, 60);
  auto* gauge = Place<TFSGaugeBar>(form, 10, 10, 587, 29);
  gauge->SetBarColor(clYellow);
  gauge->SetPosition(5000);
  pt::Image image = Capture(form);
  EXPECT_EQ(Rgb(image, 10 + 3, 10 + 20), 0x00BE00u) << "first green band: red 0, green 190, blue 0";
  EXPECT_EQ(Rgb(image, 10 + 445, 10 + 20), 0x3FFD3Fu) << "the rest of the fitting part";
  EXPECT_EQ(Rgb(image, 10 + 470, 10 + 20), 0xFF0000u) << "an over part narrower than 64 pixels is plain red";
  EXPECT_EQ(Rgb(image, 10 + 550, 10 + 20), 0xFFFF00u) << "the free part";
  EXPECT_EQ(Rgb(image, 10 + 448, 10 + 2), 0xFF0000u) << "the single-layer mark";
  EXPECT_EQ(Rgb(image, 10 + 75, 10 + 8), 0x000000u) << "a long tick";
  EXPECT_NE(Rgb(image, 10 + 25, 10 + 8), 0x000000u) << "a short tick";
  // The label of the tick at 0 would cross the left end: not drawn, so only green shows there.
  for (int x = 1; x < 12; ++x)
    for (int y = 10; y < 27; ++y) EXPECT_GE((Rgb(image, 10 + x, 10 + y) >> 8) & 0xFF, 190u) << x << "," << y;

  // Narrower than one tick spacing: the white background only.
  gauge->SetWidth(6);
  image = Capture(form);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(Rgb(image, 10 + x, 10 + 5), kWhite);
}

TEST_F(GaugeBar, HintsFollowTheAreaUnderThePointer) {
  TForm* form = ShowForm(620, 60);
  auto* gauge = Place<TFSGaugeBar>(form, 10, 10, 587, 29);
  gauge->D5Hint = "fits";
  gauge->OutHint = "too much";
  gauge->BarHint = "free";
  gauge->SetPosition(5000);
  Capture(form);
  struct Case {
    int x;
    const char* hint;
  } cases[] = {{100, "fits"}, {470, "too much"}, {560, "free"}};
  for (const Case& c : cases) {
    pt::MouseMove(At(gauge, c.x, 15));
    pt::RunUntilIdle();
    EXPECT_EQ(gauge->Hint(), c.hint);
  }
  EXPECT_TRUE(gauge->HintWindow()->HandleAllocated());
  pt::MouseMove(At(gauge, 100, 200));
  pt::RunUntilIdle();
  EXPECT_EQ(gauge->Hint(), "");
}

}  // namespace
