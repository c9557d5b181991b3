// The button edit: its button takes the non-client mouse (hot, pressed, the click and its
// events in order), ButtonMode makes the whole edit the button, and Alt+Up/Down clicks.

#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "platform/user/InputSink.h"
#include "program/controls/FSButtonEdit.h"

using namespace edit_test;
using platform::testing::RunUntilIdle;

namespace {

class ButtonEditSkin : public EditFixture {
 protected:
  TFSButtonEdit* AddLogged(int left, int top) {
    auto* edit = Add<TFSButtonEdit>(left, top);
    edit->OnButtonMouseDown = TMouseEvent([this](TObject*, TMouseButton, TShiftState, int, int) { log += "down "; });
    edit->OnButtonClick = TNotifyEvent([this](TObject*) { log += "click "; });
    edit->OnButtonMouseUp = TMouseEvent([this](TObject*, TMouseButton, TShiftState, int, int) { log += "up "; });
    return edit;
  }
  std::string log;
};

TEST_F(ButtonEditSkin, TheButtonIsHotPressedAndClickedThroughTheFrame) {
  auto* edit = AddLogged(10, 10);
  const TRect button = edit->ButtonRect(false);
  EXPECT_EQ(button.Right, edit->Width() - 1);
  EXPECT_EQ(button.Width(), 20 + 1);  // ButtonWidth and the frame's extra pixel
  const POINT on = Screen(edit, button.Left + 3, button.Top + 3);
  EXPECT_EQ(FramePixel(edit, button.Left + 3, button.Top + 3), kButton);
  EXPECT_EQ(FramePixel(edit, (button.Left + button.Right) / 2, edit->Height() / 2), kGlyph);

  platform::testing::MouseMove(on);
  RunUntilIdle();
  EXPECT_TRUE(edit->ButtonHot());
  EXPECT_EQ(FramePixel(edit, button.Left + 3, button.Top + 3), kButtonHot);
  platform::testing::MouseDown(on);
  RunUntilIdle();
  EXPECT_TRUE(edit->ButtonPressed());
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(FramePixel(edit, button.Left + 3, button.Top + 3), kButtonPressed);
  platform::testing::MouseUp(on);
  RunUntilIdle();
  EXPECT_EQ(log, "down click up ");
  EXPECT_FALSE(edit->ButtonPressed());

  // The text area is not the button.
  platform::testing::MouseMove(Screen(edit, 10, 10));
  RunUntilIdle();
  EXPECT_FALSE(edit->ButtonHot());
  log.clear();
  platform::testing::Click(Screen(edit, 10, 10));
  RunUntilIdle();
  EXPECT_EQ(log, "");

  platform::detail::InjectKey(VK_MENU, true);
  platform::testing::KeyPress(VK_DOWN);
  platform::detail::InjectKey(VK_MENU, false);
  RunUntilIdle();
  EXPECT_EQ(log, "click ");
}

TEST_F(ButtonEditSkin, InButtonModeAPressAnywhereIsTheButtons) {
  auto* edit = AddLogged(10, 10);
  edit->SetButtonMode(true);
  EXPECT_FALSE(edit->AutoSelect());
  const TRect button = edit->ButtonRect(false);
  const POINT text = Screen(edit, 10, 10);
  platform::testing::MouseMove(text);
  RunUntilIdle();
  EXPECT_TRUE(edit->ButtonHot());
  platform::testing::MouseDown(text);
  RunUntilIdle();
  EXPECT_TRUE(edit->Pressed());
  EXPECT_TRUE(edit->ButtonPressed());
  EXPECT_EQ(FramePixel(edit, 0, 10), kFramePressed);
  EXPECT_EQ(FramePixel(edit, button.Left + 3, button.Top + 3), kButtonPressed);
  platform::testing::MouseUp(text);
  RunUntilIdle();
  EXPECT_EQ(log, "down click up ");
  EXPECT_FALSE(edit->Pressed());
}

}  // namespace
