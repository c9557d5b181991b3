// The framed panel on the headless display: frame insets, caption placement, the grid,
// children's enabled states kept while disabled, transparency, the edge a bottom-aligned panel
// keeps, and docking captions.

#include <gtest/gtest.h>

#include "platform/testing/Synthetic.h"
#include "program/fc/FcColors.h"
#include "program/fc/FcPanel.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

namespace {

namespace pt = platform::testing;

uint32_t Shown(TColor c) {
  COLORREF v = ColorToRGB(c);
  return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

class TTestPanel : public TFcCustomPanel {
  BRANTWELL_CLASS(TTestPanel, TFcCustomPanel)
 public:
  using TFcCustomPanel::TFcCustomPanel;
};

class FcPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = TCustomForm::CreateNew<TForm>(Application);
    form->SetBorderStyle(bsNone);
    form->SetBounds(40, 40, 400, 300);
    form->SetColor(clWhite);
  }
  void TearDown() override { DoneApplication(); }
  TTestPanel* NewPanel(int left, int top, int width, int height) {
    auto* panel = new TTestPanel(form);
    panel->SetParent(form);
    panel->SetBounds(left, top, width, height);
    return panel;
  }
  void Show() {
    form->Show();
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  TForm* form = nullptr;
};

TEST_F(FcPanelTest, FrameInsetsPerStyleAndChildrenSitInside) {
  TTestPanel* panel = NewPanel(0, 0, 100, 80);
  struct Case {
    TFrameStyleEx outer, inner;
    int borderWidth;
    TSides sides;
    TRect expected;
  };
  const Case cases[] = {
      {fsRaised, fsNone, 0, AllSides, TRect(2, 2, 98, 78)},
      {fsFlat, fsPopup, 3, AllSides, TRect(5, 5, 95, 75)},
      {fsNone, fsNone, 0, AllSides, TRect(0, 0, 100, 80)},
      {fsGroove, fsFlat, 1, TSides{sdLeft, sdTop}, TRect(4, 4, 99, 79)},
  };
  for (const Case& c : cases) {
    panel->SetBorderOuter(c.outer);
    panel->SetBorderInner(c.inner);
    panel->SetBorderWidth(c.borderWidth);
    panel->SetBorderSides(c.sides);
    EXPECT_EQ(panel->FrameInset(panel->OuterRect(), true), c.expected);
  }
  panel->SetBorderSides(AllSides);
  panel->SetBorderOuter(fsRaised);
  panel->SetBorderInner(fsNone);
  panel->SetBorderWidth(2);
  auto* child = new TTestPanel(form);
  child->SetParent(panel);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), TRect(4, 4, 96, 76));
}

TEST_F(FcPanelTest, CaptionPlacementGridAndDisabledCaption) {
  TTestPanel* panel = NewPanel(10, 10, 120, 100);
  panel->SetBorderOuter(fsNone);
  panel->SetColor(clWhite);
  panel->Font()->SetColor(clBlack);
  panel->SetCaption("Xy");
  Show();
  auto rows = [&] {
    const auto image = pt::ReadWindow(panel->Handle());
    int top = -1, bottom = -1;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 120; ++x)
        if (const uint32_t p = image.At(x, y); ((p >> 16) & 0xFF) < 90 && ((p >> 8) & 0xFF) < 90 && (p & 0xFF) < 90) {
          if (top < 0) top = y;
          bottom = y;
        }
    return std::pair{top, bottom};
  };
  struct Case {
    TFcCaptionPlacement placement;
    int minTop, maxBottom;
  };
  for (const Case& c : {Case{cpTop, 0, 25}, Case{cpCentre, 35, 65}, Case{cpBottom, 75, 99}}) {
    panel->SetCaptionPlacement(c.placement);
    ASSERT_TRUE(pt::RunUntilIdle());
    const auto [top, bottom] = rows();
    EXPECT_GE(top, c.minTop) << "placement " << c.placement;
    EXPECT_LE(bottom, c.maxBottom) << "placement " << c.placement;
  }
  panel->SetEnabled(false);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(rows().first, -1) << "a disabled caption is not drawn in the font colour";

  panel->SetCaption("");
  panel->SetGridVisible(true);
  panel->SetGridColor(clRed);
  panel->SetGridStepX(10);
  panel->SetGridStepY(20);
  ASSERT_TRUE(pt::RunUntilIdle());
  auto image = pt::ReadWindow(panel->Handle());
  EXPECT_EQ(image.At(9, 19), Shown(clRed)) << "a dot at the first crossing";
  EXPECT_EQ(image.At(119, 99), Shown(clRed));
  EXPECT_EQ(image.At(9, 18), Shown(clWhite)) << "dots only";
  panel->SetGridStyle(2);
  ASSERT_TRUE(pt::RunUntilIdle());
  image = pt::ReadWindow(panel->Handle());
  EXPECT_EQ(image.At(9, 5), Shown(clRed)) << "solid vertical line";
  EXPECT_EQ(image.At(50, 19), Shown(clRed)) << "solid horizontal line";
  panel->SetGridStepX(0);
  panel->SetGridStyle(0);
  ASSERT_TRUE(pt::RunUntilIdle());
  image = pt::ReadWindow(panel->Handle());
  EXPECT_EQ(image.At(9, 19), Shown(clWhite)) << "step 0: no dots";
}

TEST_F(FcPanelTest, DisablingKeepsTheChildrensStates) {
  TTestPanel* panel = NewPanel(0, 0, 200, 100);
  TTestPanel* a = new TTestPanel(form);
  TTestPanel* b = new TTestPanel(form);
  a->SetParent(panel);
  b->SetParent(panel);
  b->SetEnabled(false);
  panel->SetEnabled(false);
  EXPECT_FALSE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  TTestPanel* late = new TTestPanel(form);
  late->SetParent(panel);
  late->SetEnabled(false);
  panel->SetEnabled(true);
  EXPECT_TRUE(a->Enabled());
  EXPECT_FALSE(b->Enabled()) << "disabled before stays disabled";
  EXPECT_TRUE(late->Enabled()) << "a child added while disabled is enabled";
}

TEST_F(FcPanelTest, TransparentShowsTheParentAndBottomAlignedKeepsItsEdge) {
  form->SetColor(clLime);
  TTestPanel* panel = NewPanel(10, 10, 100, 60);
  panel->SetBorderOuter(fsNone);
  panel->SetColor(clBlue);
  Show();
  EXPECT_EQ(pt::ReadWindow(panel->Handle()).At(50, 30), Shown(clBlue));
  panel->SetTransparent(true);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(pt::ReadWindow(panel->Handle()).At(50, 30), Shown(clLime));

  TTestPanel* bottom = NewPanel(0, 0, 100, 40);
  bottom->SetAlign(alBottom);
  const int edge = bottom->Top() + bottom->Height();
  bottom->SetHeight(70);
  EXPECT_EQ(bottom->Top() + bottom->Height(), edge);
  EXPECT_EQ(bottom->Height(), 70);
}

// Two controls docked into an Fc panel get 14-pixel caption bands in the caption colours of
// their focus state, turned when the panel is aligned to the top; the glyph undocks.
TEST_F(FcPanelTest, DockedControlsShowCaptionBands) {
  TTestPanel* site = NewPanel(0, 0, 200, 200);
  site->SetBorderOuter(fsNone);
  site->SetDockSite(true);
  auto* first = new TTestPanel(form);
  first->SetCaption("First");
  auto* second = new TTestPanel(form);
  second->SetCaption("Second");
  ASSERT_TRUE(ManualDock(first, site));
  ASSERT_TRUE(ManualDock(second, site));
  EXPECT_EQ(first->BoundsRect(), TRect(0, 14, 200, 100));
  EXPECT_EQ(second->BoundsRect(), TRect(0, 114, 200, 200));
  Show();
  first->SetFocus();
  site->Invalidate();
  ASSERT_TRUE(pt::RunUntilIdle());
  auto image = pt::ReadWindow(site->Handle());
  EXPECT_EQ(image.At(150, 2), Shown(clActiveCaption)) << "the focused control's band";
  EXPECT_EQ(image.At(150, 102), Shown(clInactiveCaption)) << "the other band";
  pt::SaveWindowPng(form->Handle(), std::string(BRANTWELL_TEST_BIN_DIR) + "/fc-docked.png");

  site->SetAlign(alTop);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(first->Left(), 14) << "a top-aligned panel's bands stand on the left";
  image = pt::ReadWindow(site->Handle());
  int text = 0;
  for (int y = 20; y < site->Height(); ++y)
    for (int x = 0; x < 14; ++x)
      if (const uint32_t p = image.At(x, y); ((p >> 16) & 0xFF) > 180 && ((p >> 8) & 0xFF) > 180 && (p & 0xFF) > 180) ++text;
  EXPECT_GT(text, 5) << "turned caption text inside the band";

  const TRect glyph = site->DockManager()->CloseGlyphRect(site->DockManager()->ZoneRect(second));
  pt::Click(pt::ScreenPoint(site->Handle(), (glyph.Left + glyph.Right) / 2, (glyph.Top + glyph.Bottom) / 2));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(HostDockSite(second), nullptr);
  EXPECT_EQ(site->DockManager()->DockClients().size(), 1u);
}

}  // namespace

TEST_F(FcPanelTest, FollowsTheControllerWhileItsFrameIsVisibleAndLeavesItCleanly) {
  auto* controller = new TFcFrameController(form);
  TTestPanel* panel = NewPanel(0, 0, 100, 60);
  panel->SetFrameController(controller);
  EXPECT_TRUE(controller->HasControl(panel));
  controller->SetFrameStyle(fsBump);
  EXPECT_EQ(panel->BorderOuter(), fsRaised) << "the controller's frame is not visible";

  controller->SetFrameVisible(true);
  controller->SetFrameSides(TSides{sdLeft});
  controller->SetColor(0x204060);
  EXPECT_EQ(panel->BorderOuter(), fsBump);
  EXPECT_EQ(panel->BorderSides(), TSides{sdLeft});
  EXPECT_EQ(panel->FlatColor(), clBtnShadow);
  EXPECT_EQ(panel->FlatColorAdjustment(), 0);
  EXPECT_EQ(panel->Color(), 0x204060);
  EXPECT_EQ(panel->BorderHighlight(), LighterColor(0x204060, 100));
  EXPECT_EQ(panel->BorderShadow(), DarkerColor(0x204060, 50));

  auto* other = new TFcFrameController(form);
  panel->SetFrameController(other);
  EXPECT_FALSE(controller->HasControl(panel));
  EXPECT_TRUE(other->HasControl(panel));
  delete other;
  EXPECT_EQ(panel->FrameController(), nullptr);
}
