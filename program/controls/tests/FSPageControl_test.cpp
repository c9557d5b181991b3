// The skinned page control: which parts are frame and tab face, the hover state of a tab,
// the frame kept off the selected tab, captions rotated on side tabs, the scroller's arrows of
// an overflowing strip, the parent shown beside the tabs of a transparent control, and
// setting TabIndex activating the page of that tab when hidden tabs stand before it.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "program/controls/FSPageControl.h"

using namespace controls_test;
using platform::testing::RunUntil;
using platform::testing::RunUntilIdle;

namespace {

// Tab face normal, hot, active (the mask colour: nothing drawn), the frame.
constexpr uint32_t kTab = 0xC0C0C0, kTabHot = 0xFFFF00, kMask = 0xFF00FF, kFrame = 0x30A030;

class PageControls : public ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    WriteCells(folder / "cells.bmp", {kTab, kTabHot, kMask, kFrame});
    WriteSkin("Controls",
              {{"TabControl", CellPart(0, "cells.bmp", 0, 3, "TransparentMode=\"Mask\"") + CellPart(1, "cells.bmp", 3, 1)},
               {"FrameFirst", CellPart(0, "cells.bmp", 3, 2) + CellPart(1, "cells.bmp", 0, 3)}});
    UseFolder();
    form = MakeForm(360, 240);
  }

  TFSPageControl* AddPages(const std::vector<const char*>& captions, TTabPosition position = tpTop) {
    auto* pages = new TFSPageControl(form);
    pages->SetTabPosition(position);
    pages->SetParent(form);
    pages->SetBounds(10, 10, 300, 200);
    for (const char* caption : captions) {
      auto* sheet = new TFSTabSheet(form);
      sheet->SetCaption(caption);
      sheet->SetPageControl(pages);
    }
    RunUntilIdle();
    return pages;
  }
  static bool Shows(HWND wnd, int x, int y, uint32_t colour) {
    if (RunUntil([&] { return Near(WindowPixel(wnd, x, y), colour); }, 3000)) return true;
    ADD_FAILURE() << "shows " << std::hex << WindowPixel(wnd, x, y) << " instead of " << colour;
    return false;
  }

  TForm* form = nullptr;
};

TEST_F(PageControls, TheItemLayoutDecidesFrameAndFace) {
  TFSPageControl* pages = AddPages({"One"});
  EXPECT_TRUE(pages->FrameSeparate());
  EXPECT_EQ(pages->TabPartId(), 0);
  EXPECT_EQ(pages->FramePartId(), 1);
  pages->SetSkinName("FrameFirst(4)");
  EXPECT_EQ(pages->SkinName(), "FrameFirst");
  EXPECT_FALSE(pages->FrameSeparate()) << "a first part of two states is the frame";
  EXPECT_EQ(pages->FramePartId(), 0);
  EXPECT_EQ(pages->TabPartId(), 1);
}

TEST_F(PageControls, HoveringATabShowsItsHotFaceUntilThePointerLeaves) {
  TFSPageControl* pages = AddPages({"One", "Two", "Three"});
  HWND wnd = pages->Handle();
  const TRect tab = pages->TabRect(1);
  const int x = tab.Left + 3, y = tab.Top + 1;
  EXPECT_TRUE(Shows(wnd, x, y, kTab));
  platform::testing::MouseMove(platform::testing::ScreenPoint(wnd, x + 4, y + 3));
  RunUntilIdle();
  EXPECT_EQ(pages->HotTab(), 1);
  EXPECT_TRUE(Shows(wnd, x, y, kTabHot));
  const TRect strip = pages->TabStripRect();
  EXPECT_LE(strip.Bottom, pages->DisplayRect().Top) << "the hover repaints the strip above the page area";

  platform::testing::MouseMove(platform::testing::ScreenPoint(form->Handle(), 350, 230));
  RunUntilIdle();
  EXPECT_EQ(pages->HotTab(), -1);
  EXPECT_TRUE(Shows(wnd, x, y, kTab));
}

TEST_F(PageControls, TheFrameIsClippedRoundTheSelectedTab) {
  TFSPageControl* pages = AddPages({"One", "Two", "Three"});
  pages->SetActivePageIndex(1);
  RunUntilIdle();
  HWND wnd = pages->Handle();
  const TRect frame = pages->FrameRect();
  const TRect selected = pages->TabRect(1);
  ASSERT_LT(frame.Top, selected.Bottom + 2) << "the selected tab reaches into the frame's band";
  // The selected face is the mask colour, so what lies under it shows: never the frame.
  const int y = frame.Top;
  EXPECT_FALSE(Near(WindowPixel(wnd, (selected.Left + selected.Right) / 2, y), kFrame));
  EXPECT_TRUE(Shows(wnd, frame.Right - 6, y, kFrame)) << "beyond the tabs the frame shows";
  EXPECT_TRUE(Shows(wnd, frame.Left + 6, frame.Bottom - 2, kFrame));
}

TEST_F(PageControls, SideTabsDrawTheirCaptionsRotated) {
  for (TTabPosition position : {tpLeft, tpRight}) {
    SCOPED_TRACE(static_cast<int>(position));
    TFSPageControl* pages = AddPages({"A long caption", "B"}, position);
    pages->SetActivePageIndex(1);
    RunUntilIdle();
    const TRect tab = pages->TabRect(0);
    const auto image = platform::testing::ReadWindow(pages->Handle());
    int left = tab.Right, right = tab.Left, top = tab.Bottom, bottom = tab.Top;
    for (int y = tab.Top; y < tab.Bottom; ++y)
      for (int x = tab.Left; x < tab.Right; ++x) {
        const uint32_t pixel = image.At(x, y) & 0xFFFFFF;
        if (Near(pixel, kTab, 40)) continue;
        left = std::min(left, x);
        right = std::max(right, x + 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y + 1);
      }
    ASSERT_LT(left, right) << "the caption is drawn";
    EXPECT_GT(bottom - top, 2 * (right - left)) << "the caption runs along the tab";
    delete pages;
  }
}

TEST_F(PageControls, AnOverflowingStripKeepsItsScrollerArrows) {
  TFSPageControl* pages = AddPages({"Crop", "Effect", "Trim", "Watermark", "Subtitle", "Audio", "Chapters"});
  pages->SetBounds(10, 10, 180, 100);
  RunUntilIdle();
  const int arrow = GetSystemMetrics(SM_CXVSCROLL);
  const TRect tab = pages->TabRect(0);
  const auto image = platform::testing::ReadWindow(pages->Handle());
  // The right arrow's glyph is dark; no tab face is drawn over the scroller.
  int dark = 0;
  for (int y = tab.Top; y < tab.Bottom; ++y)
    for (int x = pages->Width() - arrow; x < pages->Width(); ++x)
      if ((image.At(x, y) & 0xFFFFFF) == 0) ++dark;
  EXPECT_GT(dark, 3);
  EXPECT_FALSE(Near(WindowPixel(pages->Handle(), pages->Width() - arrow / 2, tab.Top + 1), kTab));
}

TEST_F(PageControls, ATransparentControlShowsItsParentBesideTheTabs) {
  form->SetColor(TColor(0x00336699));
  TFSPageControl* pages = AddPages({"One", "Two"});
  pages->SetColor(clRed);
  pages->SetTransparent(true);
  pages->Invalidate();
  RunUntilIdle();
  const int x = pages->Width() - 5, y = pages->TabRect(0).Top + 2;
  EXPECT_TRUE(Shows(pages->Handle(), x, y, 0x996633)) << "the form's colour";
}

TEST_F(PageControls, SettingTabIndexActivatesThePageOfThatTab) {
  TFSPageControl* pages = AddPages({"Hidden", "Second", "Third"});
  TTabSheet* hidden = pages->Pages(0);
  TTabSheet* third = pages->Pages(2);
  int thirdShown = 0;
  third->OnShow = [&](TObject*) { ++thirdShown; };
  hidden->SetTabVisible(false);
  pages->SetActivePage(pages->Pages(1));
  RunUntilIdle();

  pages->SetTabIndex(1);  // the second tab belongs to the third page
  EXPECT_EQ(pages->ActivePage(), third);
  EXPECT_EQ(pages->TabIndex(), 1);
  EXPECT_EQ(thirdShown, 1) << "one activation";

  pages->SetTabIndex(0);
  EXPECT_EQ(pages->ActivePage(), pages->Pages(1));
}

}  // namespace
