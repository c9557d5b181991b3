// Panels on the headless window manager: bevels, the BorderWidth ring and the caption in
// pixels, children aligned inside the frame, the strips a resize repaints, fitting around
// the children, the parent's picture behind a ParentBackground panel, docking through the
// dock tree (zones, grabbers, the close glyph), and a scrolling control's held ranges.

#include <gtest/gtest.h>

#include "platform/testing/Synthetic.h"
#include "platform/user/PaintApi.h"
#include "vcl/Application.h"
#include "vcl/DockTree.h"
#include "vcl/Form.h"
#include "vcl/Panel.h"

namespace {

using platform::testing::ReadWindow;
using platform::testing::RunUntilIdle;

class PanelTest : public ::testing::Test {
 protected:
  void TearDown() override { DoneApplication(); }
};

uint32_t Rgb(TColor color) {
  const COLORREF c = ColorToRGB(color);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TForm* NewForm(int width = 300, int height = 200) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(50, 50, width, height);
  form->SetColor(clWhite);
  return form;
}

TPanel* NewPanel(TWinControl* parent, int left, int top, int width, int height) {
  auto* panel = new TPanel(parent);
  panel->SetParent(parent);
  panel->SetBounds(left, top, width, height);
  return panel;
}

TEST_F(PanelTest, BevelsRingAndCaptionArePainted) {
  TForm* form = NewForm();
  TPanel* panel = NewPanel(form, 10, 10, 120, 60);
  panel->SetBevelInner(bvLowered);
  panel->SetBevelWidth(2);
  panel->SetBorderWidth(3);
  panel->SetCaption("Panel");
  panel->Font()->SetColor(clRed);
  form->Show();
  ASSERT_TRUE(RunUntilIdle());
  const auto image = ReadWindow(panel->Handle());
  struct Case {
    int x, y;
    TColor color;
    const char* what;
  };
  const Case cases[] = {
      {0, 0, clBtnHighlight, "outer raised bevel, top left"},   {1, 30, clBtnHighlight, "its second ring"},
      {119, 59, clBtnShadow, "outer bevel, bottom right"},      {118, 30, clBtnShadow, "its second ring"},
      {3, 30, clBtnFace, "the BorderWidth ring"},                {5, 5, clBtnShadow, "inner lowered bevel, top left"},
      {114, 54, clBtnHighlight, "inner lowered bevel, bottom right"}, {8, 10, clBtnFace, "the inside"},
  };
  for (const Case& c : cases) EXPECT_EQ(image.At(c.x, c.y), Rgb(c.color)) << c.what;
  int red = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x)
      if (const uint32_t p = image.At(x, y); ((p >> 16) & 0xFF) > 150 && ((p >> 8) & 0xFF) < 110 && (p & 0xFF) < 110) {
        ++red;
        EXPECT_GT(x, 30);
        EXPECT_LT(x, 90);
      }
  EXPECT_GT(red, 10) << "the caption is drawn, centred";
}

TEST_F(PanelTest, ChildrenAlignInsideTheFrameAndAutoSizeFitsThem) {
  TForm* form = NewForm();
  TPanel* panel = NewPanel(form, 0, 0, 100, 80);
  panel->SetBevelInner(bvRaised);
  panel->SetBorderWidth(2);
  auto* child = new TPanel(form);
  child->SetParent(panel);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), TRect(4, 4, 96, 76));  // 1 + 2 + 1 on each side

  TPanel* fitting = NewPanel(form, 0, 100, 10, 10);
  auto* content = new TPanel(form);
  content->SetParent(fitting);
  content->SetBounds(1, 1, 70, 30);  // the frame of the default bevel is 1
  fitting->SetAutoSize(true);
  EXPECT_EQ(fitting->Width(), 72);
  EXPECT_EQ(fitting->Height(), 32);
  content->SetBounds(1, 1, 40, 50);
  EXPECT_EQ(fitting->Width(), 42);
  EXPECT_EQ(fitting->Height(), 52);
}

// Without FullRepaint and caption a resize repaints only the frame's strips along the
// right and bottom edges, where they were and where they are; a caption repaints all.
TEST_F(PanelTest, ResizeRepaintsTheEdgeStripsOnly) {
  TForm* form = NewForm();
  TPanel* panel = NewPanel(form, 10, 10, 100, 60);
  panel->SetFullRepaint(false);
  form->Show();
  ASSERT_TRUE(RunUntilIdle());
  auto updated = [&](int x, int y) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(panel->Handle(), region, FALSE);
    const bool inside = PtInRegion(region, x, y) != FALSE;
    DeleteObject(region);
    return inside;
  };
  // Sized without the window manager's own repaint, so that only the panel's shows.
  auto resize = [&](int width, int height) {
    SetWindowPos(panel->Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  };
  resize(80, 60);
  EXPECT_TRUE(updated(78, 30)) << "the new right edge";
  EXPECT_FALSE(updated(40, 30)) << "the middle stays";
  ASSERT_TRUE(RunUntilIdle());
  resize(80, 90);
  EXPECT_TRUE(updated(40, 58)) << "the old bottom edge";
  EXPECT_TRUE(updated(40, 88)) << "the new bottom edge";
  EXPECT_FALSE(updated(40, 20));
  ASSERT_TRUE(RunUntilIdle());
  panel->SetCaption("text");
  ASSERT_TRUE(RunUntilIdle());
  resize(70, 90);
  EXPECT_TRUE(updated(30, 30)) << "a caption moves with the size";
}

TEST_F(PanelTest, ParentBackgroundShowsTheParentsPainting) {
  TForm* form = NewForm();
  TPanel* outer = NewPanel(form, 0, 0, 200, 150);
  outer->SetColor(clLime);
  outer->SetBevelOuter(bvNone);
  TPanel* inner = NewPanel(outer, 20, 20, 100, 80);
  inner->SetColor(clBlue);
  inner->SetBevelOuter(bvNone);
  form->Show();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadWindow(inner->Handle()).At(50, 40), Rgb(clBlue));
  inner->SetParentBackground(true);
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(ReadWindow(inner->Handle()).At(50, 40), Rgb(clLime));
}

TEST_F(PanelTest, ManualDockLaysOutZonesAndTheCloseGlyphUndocks) {
  TForm* form = NewForm(300, 300);
  TPanel* site = NewPanel(form, 0, 0, 200, 200);
  site->SetBevelOuter(bvNone);
  auto* first = new TPanel(form);
  first->SetCaption("first");
  first->SetParent(form);
  auto* second = new TPanel(form);
  second->SetCaption("second");
  second->SetParent(form);
  EXPECT_FALSE(ManualDock(first, site)) << "not a dock site yet";
  site->SetDockSite(true);
  ASSERT_TRUE(ManualDock(first, site));
  ASSERT_TRUE(ManualDock(second, site));
  EXPECT_EQ(HostDockSite(first), site);
  ASSERT_NE(site->DockManager(), nullptr);
  EXPECT_EQ(first->Parent(), site);
  const int grabber = site->DockManager()->GrabberSize();
  EXPECT_EQ(first->BoundsRect(), TRect(0, grabber, 200, 100));
  EXPECT_EQ(second->BoundsRect(), TRect(0, 100 + grabber, 200, 200));
  form->Show();
  ASSERT_TRUE(RunUntilIdle());

  // The first zone's close glyph: pressed and released on it, the control leaves.
  const TRect glyph = site->DockManager()->CloseGlyphRect(TRect(0, 0, 200, 100));
  platform::testing::Click(platform::testing::ScreenPoint(site->Handle(), (glyph.Left + glyph.Right) / 2,
                                                           (glyph.Top + glyph.Bottom) / 2));
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(HostDockSite(first), nullptr);
  EXPECT_EQ(first->Parent(), nullptr);
  EXPECT_EQ(site->DockManager()->DockClients(), std::vector<TControl*>{second});
  EXPECT_EQ(second->BoundsRect(), TRect(0, grabber, 200, 200)) << "the other zone takes the room";

  // A docked control that is freed leaves its zone too; floating makes a tool window.
  ASSERT_TRUE(ManualFloat(second, TRect(400, 400, 500, 450)));
  EXPECT_EQ(HostDockSite(second), nullptr);
  auto* host = dynamic_cast<TCustomForm*>(second->Parent());
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->ClientWidth(), 100);
  ASSERT_TRUE(ManualDock(second, site));
  EXPECT_EQ(second->Parent(), site);
  delete second;
  EXPECT_TRUE(site->DockManager()->DockClients().empty());
  delete first;
}

TEST_F(PanelTest, HeldAutoRangeKeepsTheScrollRanges) {
  TForm* form = NewForm(200, 200);
  TPanel* panel = NewPanel(form, 0, 0, 50, 50);
  form->Show();
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(form->VertScrollBar()->Range(), 50);
  form->DisableAutoRange();
  form->DisableAutoRange();
  panel->SetTop(300);
  EXPECT_EQ(form->VertScrollBar()->Range(), 50);
  form->EnableAutoRange();
  EXPECT_EQ(form->VertScrollBar()->Range(), 50);
  form->EnableAutoRange();
  EXPECT_EQ(form->VertScrollBar()->Range(), 350);
  EXPECT_TRUE(form->VertScrollBar()->IsScrollBarVisible());
}

}  // namespace
