#include <gtest/gtest.h>

#include "IndicatorTestSupport.h"
#include "program/controls/FSVideoTrackBar.h"
#include "vcl/Bitmap.h"

using namespace indicator_test;
using namespace track_bar;
namespace pt = platform::testing;

namespace {

TEST(TrackBarArithmetic, PartPositionsAndValuesUseWideExactArithmetic) {
  // Halves round to even.
  EXPECT_EQ(MulDivRound(5, 1, 2), 2);
  EXPECT_EQ(MulDivRound(7, 1, 2), 4);
  EXPECT_EQ(MulDivRound(-5, 1, 2), -2);
  // The clip editor's range: 350 pixels of travel over 0..200000000 is exact.
  EXPECT_EQ(PartLeft(0, 350, 100000000, 0, 200000000), 175);
  EXPECT_EQ(PartLeft(5, 350, 200000000, 0, 200000000), 355);
  EXPECT_EQ(ValueAt(180, 360, 0, 5, 350, 0, 200000000), 100000000);
  // The full int range does not overflow.
  EXPECT_EQ(PartLeft(0, 1000, INT32_MAX, INT32_MIN, INT32_MAX), 1000);
  EXPECT_EQ(ValueAt(1000, 1000, 0, 0, 1000, INT32_MIN, INT32_MAX), INT32_MAX);
}

TEST(TrackBarArithmetic, AnEmptyRangeOrTravelKeepsPartsLeftAndMapsToMin) {
  struct Case {
    int64_t travel;
    int min, max;
  } cases[] = {{100, 5, 5}, {0, 0, 100}, {-7, 0, 100}};
  for (const Case& c : cases) {
    EXPECT_EQ(PartLeft(3, c.travel, c.max, c.min, c.max), 3);
    for (int x : {-5, 0, 50, 400}) EXPECT_EQ(ValueAt(x, 100, 3, 0, c.travel, c.min, c.max), c.min);
    int count = 0;
    ForEachTick(c.min, c.max, 1, 0, c.travel, [&](const Tick&) { return ++count, true; });
    EXPECT_EQ(count, 0);
  }
  // Outside the control: the ends.
  EXPECT_EQ(ValueAt(-1, 100, 0, 0, 90, 10, 20), 10);
  EXPECT_EQ(ValueAt(101, 100, 0, 0, 90, 10, 20), 20);
}

std::vector<int> TickValues(int min, int max, int step) {
  std::vector<int> values;
  ForEachTick(min, max, step, 0, 359, [&](const Tick& t) { return values.push_back(t.Value), true; });
  return values;
}

TEST(TrackBarArithmetic, TicksStandAtTheMultiplesOfTheStep) {
  EXPECT_EQ(TickValues(0, 100, 20), (std::vector<int>{0, 20, 40, 60, 80, 100}));
  EXPECT_EQ(TickValues(5, 100, 20), (std::vector<int>{20, 40, 60, 80, 100}));
  EXPECT_EQ(TickValues(-100, 100, 20).front(), -100);
  EXPECT_EQ(TickValues(-99, 99, 20).front(), -80);
  EXPECT_EQ(TickValues(-99, 99, 20).back(), 80);
  EXPECT_EQ(TickValues(INT32_MAX - 3, INT32_MAX, 1).size(), 4u) << "no overflow past the top";
  std::vector<Tick> ticks;
  ForEachTick(0, 100, 20, 4, 351, [&](const Tick& t) { return ticks.push_back(t), true; });
  ASSERT_EQ(ticks.size(), 6u);
  EXPECT_EQ(ticks[1].X, 4 + 70);  // 20 * 351 / 100 = 70.2, truncated
  EXPECT_EQ(ticks[5].X, 4 + 351);
}

// ---- the control -------------------------------------------------------------------------------

struct EventLog {
  std::vector<std::string> events;
  void Attach(TFSVideoTrackBar* bar) {
    bar->OnChanging = [this](TObject*) { events.push_back("changing"); };
    bar->OnChange = [this](TObject*) { events.push_back("change"); };
    bar->OnTrackButtonDown = [this](TObject*) { events.push_back("track-down"); };
    bar->OnTrackButtonUp = [this](TObject*) { events.push_back("track-up"); };
    bar->OnCutButtonDown = [this](TObject*) { events.push_back("cut-down"); };
    bar->OnCutButtonUp = [this](TObject*) { events.push_back("cut-up"); };
    bar->OnCutRangeChanging = [this](TObject*, TCutPointer p) {
      events.push_back(p == cpCutStart ? "start-changing" : "end-changing");
    };
    bar->OnCutRangeChange = [this](TObject*, TCutPointer p) {
      events.push_back(p == cpCutStart ? "start-change" : "end-change");
    };
  }
  std::vector<std::string> Take() { return std::exchange(events, {}); }
};

using TrackBarSetters = IndicatorFixture;

TEST_F(TrackBarSetters, PositionAndCutPointsAreClampedOrIgnoredAsTheRangeSays) {
  TFSVideoTrackBar bar(nullptr);
  EventLog log;
  log.Attach(&bar);
  bar.SetPosition(150);
  EXPECT_EQ(bar.Position(), 100);
  bar.SetPosition(150);
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"changing"}));

  bar.SetCutStartPos(30);
  EXPECT_EQ(bar.CutStartPos(), 0) << "a fresh bar's cut end holds the start at 0";
  bar.SetCutEndPos(80);
  bar.SetCutStartPos(30);
  EXPECT_EQ(bar.CutStartPos(), 30);
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"end-changing", "start-changing"}));
  bar.SetCutEndPos(150);
  bar.SetCutStartPos(-5);
  EXPECT_EQ(bar.CutEndPos(), 80);
  EXPECT_EQ(bar.CutStartPos(), 30);
  bar.SetMax(50);
  EXPECT_EQ(bar.CutEndPos(), 50);
  EXPECT_EQ(bar.Position(), 50);
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"changing"})) << "no cut event when Max moves the end";
  bar.SetMax(-1);
  EXPECT_EQ(bar.Max(), 50) << "below Min: ignored";
  bar.SetTickStep(0);
  EXPECT_EQ(bar.TickStep(), 1);

  bar.SetPosition(10);
  bar.SetCutRangeSlide(true);
  EXPECT_EQ(bar.Position(), 30) << "turning the slide range on pulls Position in";
  bar.SetPosition(45);
  bar.SetPosition(90);
  EXPECT_EQ(bar.Position(), 50);
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"changing", "changing", "changing", "changing"}));
}

TEST_F(TrackBarSetters, ASingleValueRangeKeepsPartsAtTheLeftAndEveryPointAtMin) {
  WriteItem("VideoTrackBar", kTrackBarItem);
  UseSkin();
  TForm* form = ShowForm();
  auto* bar = Place<TFSVideoTrackBar>(form, 10, 10, 360, 24);
  bar->SetMax(0);
  bar->SetShowTicks(true);
  bar->SetShowCuts(true);
  EXPECT_EQ(bar->ThumbRect().Left, 0);
  EXPECT_EQ(bar->CutEndRect().Left, 0);
  EXPECT_TRUE(bar->TickPositions().empty());
  pt::Click(At(bar, 200, 12));
  pt::RunUntilIdle();
  EXPECT_EQ(bar->Position(), 0);
  // Narrower than the thumb: no travel.
  bar->SetMax(100);
  bar->SetWidth(8);
  EXPECT_EQ(bar->ThumbRect().Left, 0);
  EXPECT_TRUE(bar->TickPositions().empty());
  Capture(form);  // paints without faulting
}

class TrackBarMouse : public IndicatorFixture {
 protected:
  void SetUp() override {
    IndicatorFixture::SetUp();
    WriteItem("VideoTrackBar", kTrackBarItem);
    UseSkin();
    form = ShowForm();
    bar = Place<TFSVideoTrackBar>(form, 10, 10, 360, 24);
    log.Attach(bar);
  }
  TForm* form = nullptr;
  TFSVideoTrackBar* bar = nullptr;
  EventLog log;
};

TEST_F(TrackBarMouse, ClickingTheThumbReportsAChangeWithoutMovingIt) {
  bar->SetPosition(50);
  log.Take();
  const TRect thumb = bar->ThumbRect();
  EXPECT_EQ(thumb.Left, 175);  // 350 * 50 / 100
  pt::Click(At(bar, thumb.Left + 2, 10));
  pt::RunUntilIdle();
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"track-down", "track-up", "change"}));
  EXPECT_EQ(bar->Position(), 50);
}

TEST_F(TrackBarMouse, ClickingTheTrackJumpsThereAndDragsUntilRelease) {
  pt::MouseDown(At(bar, 90, 12));  // thumb centred on x: 90 - 5 = 85 of 350 -> 24.28
  pt::RunUntilIdle();
  EXPECT_EQ(bar->Position(), 24);
  EXPECT_TRUE(bar->ThumbPressed());
  pt::MouseMove(At(bar, 600, 12));  // beyond the control: Max
  pt::RunUntilIdle();
  EXPECT_EQ(bar->Position(), 100);
  pt::MouseUp(At(bar, 600, 12));
  pt::RunUntilIdle();
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"track-down", "changing", "changing", "track-up", "change"}));
  EXPECT_FALSE(bar->ThumbPressed());
}

TEST_F(TrackBarMouse, AMarkerBroughtBackToItsStartReportsNoRangeChange) {
  bar->SetCutEndPos(100);
  bar->SetCutStartPos(20);
  bar->SetShowCuts(true);
  bar->SetSlideVisible(false);
  bar->SetPosition(100);  // the thumb out of the marker's way
  log.Take();
  const int left = bar->CutStartRect().Left;  // 354 * 20 / 100 = 70.8 -> 71
  EXPECT_EQ(left, 71);
  pt::MouseDown(At(bar, left + 1, 3));
  pt::MouseMove(At(bar, left + 60, 3));
  pt::RunUntilIdle();
  const int moved = bar->CutStartPos();
  EXPECT_GT(moved, 20);
  pt::MouseMove(At(bar, left, 3));
  pt::MouseUp(At(bar, left, 3));
  pt::RunUntilIdle();
  EXPECT_EQ(bar->CutStartPos(), 20);
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"cut-down", "start-changing", "start-changing", "cut-up"}));

  pt::MouseDown(At(bar, left + 1, 3));
  pt::MouseMove(At(bar, left + 36, 3));
  pt::MouseUp(At(bar, left + 36, 3));
  pt::RunUntilIdle();
  EXPECT_EQ(log.Take(), (std::vector<std::string>{"cut-down", "start-changing", "start-change", "cut-up"}));
}

TEST_F(TrackBarMouse, TheThumbIsDrawnInTheStateOfThePointer) {
  bar->SetPosition(0);
  auto thumbColour = [&] { return Rgb(Capture(form), 10 + 5, 10 + 12); };
  EXPECT_EQ(thumbColour(), kThumbNormal);
  pt::MouseMove(At(bar, 5, 12));
  EXPECT_EQ(thumbColour(), kThumbHot);
  pt::MouseDown(At(bar, 5, 12));
  EXPECT_EQ(thumbColour(), kThumbPressed);
  pt::MouseUp(At(bar, 5, 12));
  pt::MouseMove(At(bar, 5, 100));
  EXPECT_EQ(thumbColour(), kThumbNormal);
  bar->SetEnabled(false);
  EXPECT_EQ(thumbColour(), kThumbDisabled);
}

TEST_F(TrackBarMouse, TrackFillsToThePositionAndTheRangeLineOnlyForAPartialRange) {
  bar->SetPosition(50);
  bar->SetSlideVisible(false);
  pt::Image image = Capture(form);
  EXPECT_EQ(Rgb(image, 10 + 100, 10 + 12), kFilled);
  EXPECT_EQ(Rgb(image, 10 + 300, 10 + 12), kTrack);
  EXPECT_EQ(Rgb(image, 10 + 2, 10 + 12), kWhite) << "inset from the left";

  bar->SetShowCuts(true);
  bar->SetCutEndPos(100);
  bar->SetCutRangeColor(clBlack);
  // Whole range: no line between the markers at the markers' middle height (y 5).
  EXPECT_EQ(Rgb(Capture(form), 10 + 100, 10 + 5), kWhite);
  bar->SetCutStartPos(10);
  bar->SetCutEndPos(90);
  EXPECT_EQ(Rgb(Capture(form), 10 + 100, 10 + 5), 0x000000u);
  bar->SetCutRangeColor(clNone);
  EXPECT_EQ(Rgb(Capture(form), 10 + 100, 10 + 5), kWhite);
}

TEST_F(TrackBarMouse, OwnerDrawnTicksSeeEachValueAndMayLeaveTheLineOut) {
  bar->SetMin(-100);
  bar->SetMax(100);
  bar->SetTickStep(20);
  bar->SetShowTicks(true);
  bar->SetTickStyle(tkOwnerDraw);
  bar->SetTickColor(clBlack);
  bar->SetSlideVisible(false);
  std::vector<int> indices;
  std::vector<int> tops;
  bar->OnDrawTick = [&](TObject*, TPoint at, int length, int index) {
    indices.push_back(index);
    tops.push_back(at.Y);
    EXPECT_EQ(length, 7);  // above the track: Y 8 - 1
    return index == 0;
  };
  pt::Image image = Capture(form);
  EXPECT_EQ(indices, (std::vector<int>{-100, -80, -60, -40, -20, 0, 20, 40, 60, 80, 100}));
  EXPECT_EQ(tops.front(), 0);
  const auto ticks = bar->TickPositions();
  EXPECT_EQ(Rgb(image, 10 + ticks[5].X, 10 + 3), 0x000000u) << "the handler asked for the line at 0";
  EXPECT_NE(Rgb(image, 10 + ticks[4].X, 10 + 3), 0x000000u);
}

TEST_F(TrackBarMouse, StandardTicksOverAHugeRangeDrawOneLinePerColumn) {
  // Each column of the track gets its line; a loop over every value would take seconds.
  bar->SetMax(200000000);
  bar->SetShowTicks(true);
  bar->SetTickColor(clBlack);
  bar->SetSlideVisible(false);
  pt::Image image = Capture(form);
  for (int x : {4, 5, 100, 354}) EXPECT_EQ(Rgb(image, 10 + x, 10 + 3), 0x000000u) << x;
  EXPECT_NE(Rgb(image, 10 + 356, 10 + 3), 0x000000u);
}

TEST_F(TrackBarMouse, ASecondSkinFolderRepaintsInTheNewLook) {
  bar->SetPosition(0);
  EXPECT_EQ(Rgb(Capture(form), 10 + 5, 10 + 12), kThumbNormal);
  const auto second = folder / "second";
  std::string item = kTrackBarItem;
  item.replace(item.find("clBlue"), 6, "clNavy");
  item.replace(item.find("clBlue"), 6, "clNavy");
  WriteItem("VideoTrackBar", item, second);
  UseSkin(second);
  TFSSkinEngine::BroadcastSkinChanged(form);
  EXPECT_EQ(Rgb(Capture(form), 10 + 5, 10 + 12), 0x000080u);
}

}  // namespace
