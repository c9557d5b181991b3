// The skin button: groups and latching, the mouse protocol's edges, the refused margin, a
// body part drawn at its natural size, and a word-wrapped caption cut to fit.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "program/controls/FSSkinButton.h"

using namespace controls_test;
using platform::testing::RunUntil;
using platform::testing::RunUntilIdle;

namespace {

constexpr uint32_t kUp = 0xC0C0C0, kHot = 0xFFFF00, kDown = 0xFF8000, kSmall = 0x2080FF;

class SkinButtons : public ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    WriteCells(folder / "cells.bmp", {kUp, kHot, kDown, kSmall});
    WriteSkin("Controls", {{"Tool", CellPart(0, "cells.bmp", 0, 3)},
                        {"Natural", CellPart(0, "cells.bmp", 3, 1, "FillMode=\"none\"")}});
    UseFolder();
    form = MakeForm();
  }
  TFSSkinButton* Add(int left, int top, int group = 0, bool exclusive = false) {
    auto* button = new TFSSkinButton(form);
    button->SetParent(form);
    button->SetBounds(left, top, 60, 24);
    button->SetSkinName("Tool");
    button->SetGroupIndex(group);
    button->SetExclusive(exclusive);
    button->OnClick = TNotifyEvent([this, button](TObject*) { clicked.push_back(button); });
    return button;
  }
  // A press and release at points of the button's own coordinates.
  void Press(TFSSkinButton* b, int x, int y, int releaseX, int releaseY) {
    using namespace platform::testing;
    MouseDown(ScreenPoint(form->Handle(), b->Left() + x, b->Top() + y));
    RunUntilIdle();
    MouseMove(ScreenPoint(form->Handle(), b->Left() + releaseX, b->Top() + releaseY));
    MouseUp(ScreenPoint(form->Handle(), b->Left() + releaseX, b->Top() + releaseY));
    RunUntilIdle();
  }
  void ClickOn(TFSSkinButton* b) { Press(b, 10, 10, 10, 10); }

  TForm* form = nullptr;
  std::vector<TFSSkinButton*> clicked;
};

TEST_F(SkinButtons, ExclusiveButtonsOfAGroupReleaseEachOtherAndStayLatched) {
  TFSSkinButton* first = Add(10, 10, 1, true);
  TFSSkinButton* second = Add(80, 10, 1, true);
  TFSSkinButton* otherGroup = Add(150, 10, 2, true);
  ClickOn(first);
  ClickOn(otherGroup);
  EXPECT_TRUE(first->Down());
  EXPECT_TRUE(otherGroup->Down());

  ClickOn(second);
  EXPECT_TRUE(second->Down());
  EXPECT_EQ(second->State(), sbsExclusive);
  EXPECT_FALSE(first->Down()) << "released by the group";
  EXPECT_EQ(first->State(), sbsUp);
  EXPECT_TRUE(otherGroup->Down()) << "another group is left alone";

  ClickOn(second);
  EXPECT_TRUE(second->Down()) << "clicking a latched button keeps it latched";
  EXPECT_EQ(clicked, (std::vector<TFSSkinButton*>{first, otherGroup, second, second}));

  second->SetAllowAllUp(true);
  EXPECT_TRUE(first->AllowAllUp()) << "the group shares AllowAllUp";
  first->SetDown(true);
  EXPECT_FALSE(second->Down()) << "setting Down announces the group too";
}

TEST_F(SkinButtons, PlainAndUngroupedButtonsFollowTheMouseProtocol) {
  TFSSkinButton* plain = Add(10, 10);
  plain->SetDown(true);
  ClickOn(plain);
  EXPECT_FALSE(plain->Down()) << "a plain button that was Down comes up when clicked";
  EXPECT_EQ(plain->State(), sbsUp);

  TFSSkinButton* toggle = Add(80, 10, 0, true);
  ClickOn(toggle);
  EXPECT_TRUE(toggle->Down());
  ClickOn(toggle);
  EXPECT_FALSE(toggle->Down()) << "an ungrouped exclusive button toggles";
  ClickOn(toggle);
  clicked.clear();
  Press(toggle, 10, 10, 100, 10);
  EXPECT_FALSE(toggle->Down()) << "released outside: up";
  EXPECT_TRUE(clicked.empty());

  Press(plain, 10, 10, 10, 24);  // Y = ClientHeight
  EXPECT_TRUE(clicked.empty()) << "just below the client area is outside";
  Press(plain, 10, 10, 59, 23);
  EXPECT_EQ(clicked.size(), 1u) << "the last pixel is inside";
  EXPECT_FALSE(plain->Dragging());
}

TEST_F(SkinButtons, TheStateDrawnFollowsHoverAndPress) {
  TFSSkinButton* button = Add(10, 10);
  RunUntilIdle();
  ASSERT_NE(button->BodyPart(), nullptr);
  auto shows = [&](uint32_t colour) {
    return RunUntil([&] { return Near(WindowPixel(form->Handle(), 15, 15), colour); }, 3000);
  };
  EXPECT_TRUE(shows(kUp));
  platform::testing::MouseMove(platform::testing::ScreenPoint(form->Handle(), 20, 20));
  RunUntilIdle();
  EXPECT_TRUE(button->Hot());
  EXPECT_TRUE(shows(kHot));
  platform::testing::MouseDown(platform::testing::ScreenPoint(form->Handle(), 20, 20));
  RunUntilIdle();
  EXPECT_TRUE(shows(kDown));
  platform::testing::MouseUp(platform::testing::ScreenPoint(form->Handle(), 20, 20));
  platform::testing::MouseMove(platform::testing::ScreenPoint(form->Handle(), 300, 180));
  RunUntilIdle();
  EXPECT_FALSE(button->Hot());
  EXPECT_TRUE(shows(kUp));
}

TEST_F(SkinButtons, AMarginBelowMinusOneIsRefused) {
  TFSSkinButton* button = Add(10, 10);
  button->SetMargin(-2);
  EXPECT_EQ(button->Margin(), 4);
  button->SetMargin(-1);
  EXPECT_EQ(button->Margin(), -1);
}

TEST_F(SkinButtons, ABodyPartThatDoesNotStretchIsDrawnCentredAndMakesTheButtonTransparent) {
  TFSSkinButton* button = Add(10, 10);
  button->SetTransparent(false);
  button->SetSkinName("Natural");
  EXPECT_TRUE(button->Transparent());
  RunUntilIdle();
  // 60 x 24 button, 20 x 20 state: at (20, 2) of the button, i.e. (30, 12) on the form.
  EXPECT_EQ(WindowPixel(form->Handle(), 30, 12), kSmall);
  EXPECT_EQ(WindowPixel(form->Handle(), 49, 31), kSmall);
  EXPECT_EQ(WindowPixel(form->Handle(), 29, 12), 0xFFFFFFu) << "the form shows around it";
  EXPECT_EQ(WindowPixel(form->Handle(), 50, 12), 0xFFFFFFu);

  button->SetSkinName("Tool");
  EXPECT_FALSE(button->Transparent()) << "an opaque part drawn stretched";
}

TEST_F(SkinButtons, AWrappedCaptionTooTallLosesWholeTrailingWords) {
  TFSSkinButton* button = Add(10, 10);
  button->SetWordWrap(true);
  button->SetBounds(10, 10, 60, 40);
  button->SetCaption("Cut the clip here now please");
  RunUntilIdle();
  const AnsiString fitted = button->FittedCaption();
  EXPECT_FALSE(fitted.empty());
  EXPECT_LT(fitted.size(), button->Caption().size());
  EXPECT_EQ(button->Caption().rfind(fitted, 0), 0u) << "a leading part of the caption";
  EXPECT_EQ(button->Caption()[fitted.size()], ' ') << "cut before a blank, never inside a word";

  button->SetHeight(200);
  RunUntilIdle();
  EXPECT_EQ(button->FittedCaption(), button->Caption()) << "room enough: nothing is cut";
}

}  // namespace
