// Caption buttons and frame metrics: which press and release clicks, what a disabled button
// does with a press, the skin's (x, y, width, height) bounds, copying a button's settings, the
// change notifications of the metrics, and the hot and pressed looks on the screen.

#include <gtest/gtest.h>

#include "SkinFormTestSupport.h"

using namespace skin_form_test;
using platform::testing::RunUntilIdle;

namespace {

using CaptionButtons = SkinFormFixture;

TEST_F(CaptionButtons, APressClicksOnlyWhenItIsReleasedOnTheSameEnabledButton) {
  TSkinForm* form = ShowForm();
  TCaptionButton* button = form->CustomButton();
  button->SetVisible(true);
  button->SetEnabled(true);
  button->SetBoundsRect(TRect(100, 6, 116, 22));
  int clicks = 0;
  button->OnClick = TNotifyEvent([&](TObject* sender) {
    EXPECT_EQ(sender, form);
    ++clicks;
  });
  const POINT inside = At(form, 105, 10), outside = At(form, 150, 10);
  struct Case {
    bool enabled;
    POINT press, release;
    bool pressTaken, downAfterPress, releaseTaken;
    int clicks;
    const char* what;
  } cases[] = {
      {true, inside, inside, true, true, true, 1, "press and release on the button"},
      {true, inside, outside, true, true, false, 0, "released elsewhere"},
      {true, outside, inside, false, false, true, 0, "released on it without a press"},
      {false, inside, inside, true, false, false, 0, "a disabled button swallows the press"},
  };
  for (const Case& c : cases) {
    clicks = 0;
    button->SetEnabled(c.enabled);
    TMessage down = NcMessage(WM_NCLBUTTONDOWN, HTCAPTIONBUTTON, c.press);
    EXPECT_EQ(button->NCLButtonDown(down), c.pressTaken) << c.what;
    EXPECT_EQ(button->Down(), c.downAfterPress) << c.what;
    TMessage up = NcMessage(WM_NCLBUTTONUP, HTCAPTIONBUTTON, c.release);
    EXPECT_EQ(button->NCLButtonUp(up), c.releaseTaken) << c.what;
    EXPECT_FALSE(button->Down()) << c.what;
    EXPECT_EQ(clicks, c.clicks) << c.what;
  }

  button->SetEnabled(true);
  TMessage hit = NcMessage(WM_NCHITTEST, 0, inside);
  button->SetVisible(false);
  EXPECT_FALSE(button->NCHitTest(hit)) << "an invisible button claims nothing";
  button->SetVisible(true);
  EXPECT_TRUE(button->NCHitTest(hit));
  EXPECT_EQ(hit.Result, HTCAPTIONBUTTON);
}

TEST_F(CaptionButtons, TheCloseButtonSendsItsCommandAndTheFormCloses) {
  TSkinForm* form = ShowForm();
  const POINT close = At(form, form->Width() - 10, 12);
  platform::testing::Click(close);
  RunUntilIdle();
  EXPECT_FALSE(form->Visible()) << "the click became SC_CLOSE and the form hid";
}

TEST_F(CaptionButtons, HoverAndPressShowTheirStatesAndTheFrameForgetsHotOnLeave) {
  TSkinForm* form = ShowForm();
  const int x = form->Width() - 10, y = 12;
  platform::testing::MouseMove(At(form, x, y));
  RunUntilIdle();
  EXPECT_TRUE(form->CloseButton()->Hot());
  // The fade's last blended frame may differ from the state by a rounding step.
  auto near = [](uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8)
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) return false;
    return true;
  };
  auto shows = [&](uint32_t colour) {
    return platform::testing::RunUntil(
        [&] { return near(platform::testing::ReadWindow(form->Handle(), true).At(x, y), colour); }, 5000);
  };
  EXPECT_TRUE(shows(kButtonHot)) << "the hot look fades in";
  platform::testing::MouseDown(At(form, x, y));
  RunUntilIdle();
  EXPECT_TRUE(form->CloseButton()->Down());
  EXPECT_TRUE(shows(kButtonPressed));
  platform::testing::MouseMove(At(form, 200, 150));
  platform::testing::MouseUp(At(form, 200, 150));
  RunUntilIdle();
  EXPECT_FALSE(form->CloseButton()->Hot());
  EXPECT_FALSE(form->CloseButton()->Down());
  EXPECT_TRUE(form->Visible()) << "released outside: no click";
}

TEST_F(CaptionButtons, BoundsGivenAsWidthAndHeightBecomeARectangle) {
  TSkinForm* form = MakeForm();
  TCaptionButton* button = form->CustomButton();
  button->SetBoundsRect(TRect(40, 26, 16, 16));
  EXPECT_EQ(button->BoundsRect(), TRect(40, 26, 56, 42));
  button->SetBoundsRect(TRect(10, 20, 30, 40));
  EXPECT_EQ(button->BoundsRect(), TRect(10, 20, 30, 40));
}

TEST_F(CaptionButtons, AssignCopiesSettingsButNotTheOwnerOrThePart) {
  TSkinForm* form = MakeForm();
  TSkinForm* other = MakeForm();
  TCaptionButton* source = other->CloseButton();
  source->SetHint("Shut the window");
  source->SetBoundsRect(TRect(1, 2, 3, 4));
  source->SetSysCommand(SC_MINIMIZE);
  TCaptionButton* target = form->CloseButton();
  TSkinItemPart* part = target->Part();
  ASSERT_NE(part, nullptr);
  target->Assign(source);
  EXPECT_EQ(target->Form(), form);
  EXPECT_EQ(target->Part(), part) << "the resolved part stays the button's own";
  EXPECT_EQ(target->Hint(), "Shut the window");
  EXPECT_EQ(target->BoundsRect(), TRect(1, 2, 3, 4));
  EXPECT_EQ(target->SysCommand(), SC_MINIMIZE);
}

TEST(NCMetrics, ChangesAreAnnouncedUnlessUpdatesAreSuspended) {
  TNCMetrics metrics;
  std::vector<std::string> events;
  metrics.OnChanging = TNotifyEvent([&](TObject*) { events.push_back("changing"); });
  metrics.OnChange = TNotifyEvent([&](TObject*) { events.push_back("change"); });
  metrics.SetLeft(4);
  EXPECT_TRUE(events.empty()) << "the same value";
  metrics.SetTop(7);
  EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
  events.clear();
  metrics.BeginUpdate();
  metrics.SetCaptionHeight(30);
  metrics.SetRight(9);
  metrics.EndUpdate();
  EXPECT_TRUE(events.empty()) << "nothing between BeginUpdate and EndUpdate, nor at the end";
  EXPECT_EQ(metrics.CaptionHeight(), 30);
  metrics.Reset();
  EXPECT_EQ(events, (std::vector<std::string>{"changing", "change"}));
  EXPECT_EQ(metrics.CaptionHeight(), 24);
  EXPECT_EQ(metrics.Top(), 4);
  EXPECT_EQ(metrics.Right(), 4);
}

}  // namespace
