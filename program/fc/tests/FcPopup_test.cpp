// The drop-down on the headless display, driven by synthetic input from inside its loop:
// acceptance, Esc, a press outside, the program or the form losing the activation, a second
// Popup, placement inside a work area, the content going back, and objects freed while the
// drop-down is open.

#include <gtest/gtest.h>

#include <functional>

#include "platform/testing/Synthetic.h"
#include "platform/user/Monitors.h"
#include "program/fc/FcPopup.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

namespace {

namespace pt = platform::testing;

// A windowed content control that counts its clicks and keys.
class TContent : public TCustomControl {
  BRANTWELL_CLASS(TContent, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  int keys = 0;

 protected:
  void KeyDown(WORD& key, TShiftState shift) override {
    ++keys;
    TCustomControl::KeyDown(key, shift);
  }
};

class FcPopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = TCustomForm::CreateNew<TForm>(Application);
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, 300, 200);
    anchor = new TContent(form);
    anchor->SetParent(form);
    anchor->SetBounds(150, 20, 100, 22);
    panel = new TFcPopupPanel(form);
    panel->SetParent(form);
    content = new TContent(panel);
    content->SetParent(panel);
    content->SetBounds(2, 2, 80, 60);
    form->Show();
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  void TearDown() override {
    platform::detail::SetMonitorAreas({});
    DoneApplication();
  }
  // Runs `step` once the drop-down's loop is waiting (a posted call reaches it as a message).
  bool PopupWith(std::function<void()> step) {
    pending = std::move(step);
    Application->HookMainWindow(&hook);
    PostMessageA(Application->Handle(), kRunStep, 0, 0);
    const bool result = panel->Popup(anchor);
    Application->UnhookMainWindow(&hook);
    return result;
  }
  static constexpr UINT kRunStep = WM_APP + 77;
  TWindowHook hook = [this](TMessage& m) {
    if (m.Msg != kRunStep) return false;
    auto step = std::move(pending);
    pending = nullptr;
    if (step) step();
    return true;
  };
  POINT InContent(int x, int y) { return pt::ScreenPoint(content->Handle(), x, y); }

  TForm* form = nullptr;
  TContent* anchor = nullptr;
  TFcPopupPanel* panel = nullptr;
  TContent* content = nullptr;
  std::function<void()> pending;
};

TEST_F(FcPopupTest, AcceptPlacesAndGivesTheContentBack) {
  RECT seen{};
  bool secondPopup = true;
  content->OnClick = [&](TObject*) { panel->ClosePopup(); };
  const bool accepted = PopupWith([&] {
    GetWindowRect(panel->PopupWindow()->Handle(), &seen);
    EXPECT_EQ(content->Parent(), panel->PopupWindow());
    secondPopup = panel->Popup(anchor);
    EXPECT_FALSE(IsWindowVisible(panel->Handle()));
    pt::Click(InContent(10, 10));
  });
  EXPECT_TRUE(accepted);
  EXPECT_FALSE(secondPopup) << "a running drop-down refuses a second one";
  // Right-aligned under the anchor: its right edge on the anchor's.
  const int anchorRight = 100 + 150 + 100, anchorBottom = 100 + 20 + 22;
  EXPECT_EQ(seen.right, anchorRight);
  EXPECT_EQ(seen.top, anchorBottom);
  EXPECT_EQ(seen.right - seen.left, panel->Width());
  EXPECT_EQ(content->Parent(), panel);
  EXPECT_EQ(panel->PopupWindow(), nullptr);
}

TEST_F(FcPopupTest, CancelledByEscPressOutsideAndDeactivation) {
  struct Case {
    const char* what;
    std::function<void()> step;
  };
  const Case cases[] = {
      {"Esc", [] { pt::KeyPress(VK_ESCAPE); }},
      {"press outside", [this] { pt::Click(pt::ScreenPoint(form->Handle(), 10, 10)); }},
      {"the program loses the desktop", [] { pt::SimulateDesktopActivation(false); }},
      {"the form is deactivated", [] {
         TForm* other = TCustomForm::CreateNew<TForm>(Application);
         other->SetBounds(600, 500, 50, 50);
         other->Show();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int keysBefore = content->keys;
    bool clicked = false;
    content->OnClick = [&](TObject*) { clicked = true; };
    EXPECT_FALSE(PopupWith(c.step));
    EXPECT_FALSE(clicked);
    EXPECT_EQ(content->Parent(), panel);
    if (std::string(c.what) == "Esc") {
      EXPECT_EQ(content->keys, keysBefore + 1) << "keys go to the content";
    }
    ASSERT_TRUE(pt::RunUntilIdle());
    pt::SimulateDesktopActivation(true);
    SetActiveWindow(form->Handle());
    ASSERT_TRUE(pt::RunUntilIdle());
  }
}

// A work area that does not start at (0, 0): the drop-down opens above an anchor near its
// bottom and moves left off its right edge.
TEST_F(FcPopupTest, StaysInsideAWorkAreaAwayFromTheOrigin) {
  platform::detail::SetMonitorAreas({{RECT{0, 0, 1024, 768}, RECT{200, 100, 500, 400}}});
  anchor->SetBounds(230, 170, 60, 20);  // screen 330..390, 270..290; the panel is taller than 110
  content->SetBounds(2, 2, 200, 150);
  RECT seen{};
  panel->SetAlignment(taLeftJustify);
  PopupWith([&] {
    GetWindowRect(panel->PopupWindow()->Handle(), &seen);
    pt::KeyPress(VK_ESCAPE);
  });
  EXPECT_EQ(seen.right, 500) << "shifted left to the work area's right edge";
  EXPECT_EQ(seen.bottom, 100 + 170) << "above the anchor";
}

TEST_F(FcPopupTest, FreeingTheCallerOrThePanelEndsTheLoopSafely) {
  // The calling control freed while dropped: the loop goes on and ends normally.
  EXPECT_FALSE(PopupWith([&] {
    delete anchor;
    anchor = nullptr;
    pt::KeyPress(VK_ESCAPE);
  }));
  anchor = new TContent(form);
  anchor->SetParent(form);
  anchor->SetBounds(10, 10, 50, 20);
  // The panel freed (content and window with it): Popup returns without touching it.
  EXPECT_FALSE(PopupWith([&] { delete panel; }));
  ASSERT_TRUE(pt::RunUntilIdle()) << "the late close message finds no window";
  // The form freed while dropped.
  panel = new TFcPopupPanel(form);
  panel->SetParent(form);
  content = new TContent(panel);
  content->SetParent(panel);
  content->SetBounds(2, 2, 20, 20);
  EXPECT_FALSE(PopupWith([&] { delete form; }));
  ASSERT_TRUE(pt::RunUntilIdle());
}

}  // namespace
