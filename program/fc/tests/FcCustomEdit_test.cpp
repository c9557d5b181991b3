// The framed edit on the headless display: colours by state, the frame and its hot look,
// the drop button's room and hit test, the drop-down sequence from a press and from
// Alt+Down, the capture released by the button-up inside the drop-down, Enter as Tab, the
// validate-error event and the stream rules under a frame controller.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/InputSink.h"
#include "program/fc/FcCustomEdit.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

namespace {

using namespace std::chrono_literals;
namespace pt = platform::testing;

constexpr TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }
uint32_t Shown(TColor c) {
  COLORREF v = ColorToRGB(c);
  return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

class TTestEdit : public TFcCustomEdit {
  BRANTWELL_CLASS(TTestEdit, TFcCustomEdit)
 public:
  using TFcCustomEdit::TFcCustomEdit;
  using TFcCustomEdit::ValidateError;
};

class FcCustomEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = TCustomForm::CreateNew<TForm>(Application);
    form->SetBorderStyle(bsNone);
    form->SetBounds(60, 60, 300, 120);
    edit = new TTestEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 150, 22);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 60, 100, 22);
    form->Show();
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  void TearDown() override { DoneApplication(); }
  void FocusOther() {
    other->SetFocus();
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  void FocusEdit() {
    edit->SetFocus();
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  // A screen point of the edit's window rectangle.
  POINT InWindow(int x, int y) { return pt::ScreenPoint(edit->Handle(), x, y, true); }
  pt::Image WindowImage() { return pt::ReadWindow(edit->Handle(), true); }

  TForm* form = nullptr;
  TTestEdit* edit = nullptr;
  TEdit* other = nullptr;
};

TEST_F(FcCustomEditTest, ColourFollowsTheState) {
  edit->SetColor(Rgb(250, 250, 200));
  edit->SetFocusColor(Rgb(200, 255, 200));
  edit->SetDisabledColor(Rgb(90, 90, 90));
  edit->SetReadOnlyColor(Rgb(255, 240, 200));
  FocusOther();
  EXPECT_EQ(edit->Color(), Rgb(250, 250, 200));

  FocusEdit();
  EXPECT_EQ(edit->Color(), Rgb(200, 255, 200)) << "focused";
  edit->SetEnabled(false);
  EXPECT_EQ(edit->Color(), Rgb(90, 90, 90)) << "disabled";
  edit->SetEnabled(true);
  FocusEdit();
  EXPECT_EQ(edit->Color(), Rgb(200, 255, 200)) << "enabled again, focused";
  FocusOther();
  edit->SetEnabled(false);
  edit->SetEnabled(true);
  EXPECT_EQ(edit->Color(), Rgb(250, 250, 200)) << "enabled again, resting";

  struct Case {
    bool onFocus;
    bool focused;
    TColor expected;
  };
  edit->SetReadOnly(true);
  for (const Case& c : {Case{false, false, Rgb(255, 240, 200)}, Case{false, true, Rgb(200, 255, 200)},
                        Case{true, true, Rgb(255, 240, 200)}, Case{true, false, Rgb(255, 240, 200)}}) {
    SCOPED_TRACE(testing::Message() << "on focus " << c.onFocus << ", focused " << c.focused);
    edit->SetReadOnlyColorOnFocus(c.onFocus);
    if (c.focused) FocusEdit();
    else FocusOther();
    EXPECT_EQ(edit->Color(), c.expected);
  }
  edit->SetReadOnly(false);
  FocusOther();
  EXPECT_EQ(edit->Color(), Rgb(250, 250, 200));
}

TEST_F(FcCustomEditTest, AFocusColourEqualToTheColourMovesWithIt) {
  FocusOther();
  EXPECT_EQ(edit->FocusColor(), clWindow);
  edit->SetColor(Rgb(1, 2, 3));
  EXPECT_EQ(edit->FocusColor(), Rgb(1, 2, 3)) << "it equalled the old colour";
  edit->SetFocusColor(Rgb(9, 9, 9));
  edit->SetColor(Rgb(4, 5, 6));
  EXPECT_EQ(edit->FocusColor(), Rgb(9, 9, 9)) << "a colour of its own stays";
  EXPECT_EQ(edit->NormalColor(), Rgb(4, 5, 6));
}

TEST_F(FcCustomEditTest, FrameAndItsHotLook) {
  edit->SetColor(clWindow);
  edit->SetFrameColor(Rgb(200, 0, 0));
  edit->SetFrameVisible(true);
  FocusOther();
  auto image = WindowImage();
  EXPECT_EQ(image.At(0, 0) & 0xFFFFFF, 0xC80000u) << "one ring in the frame colour";
  EXPECT_EQ(image.At(1, 1) & 0xFFFFFF, Shown(clWindow)) << "the platform's border covered in the edit's colour";

  // Hot tracking makes the frame visible and frames all sides.
  edit->SetFrameVisible(false);
  edit->SetFrameSides(TSides{sdTop});
  edit->SetFrameHotColor(Rgb(0, 0, 200));
  edit->SetFrameHotTrack(true);
  EXPECT_TRUE(edit->FrameVisible());
  EXPECT_EQ(edit->FrameSides(), AllSides);
  FocusEdit();
  image = WindowImage();
  EXPECT_EQ(image.At(1, 1) & 0xFFFFFF, 0x0000C8u) << "focused: the two-pixel hot frame";
  FocusOther();
  image = WindowImage();
  EXPECT_EQ(image.At(0, 0) & 0xFFFFFF, 0xC80000u);
  EXPECT_EQ(image.At(1, 1) & 0xFFFFFF, Shown(clWindow)) << "back to the resting frame";
}

TEST_F(FcCustomEditTest, DropButtonTakesRoomAndTheHitTest) {
  const int cx = GetSystemMetrics(SM_CXVSCROLL);
  const int plainWidth = edit->ClientWidth();
  edit->SetDropButtonVisible(true);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(edit->ClientWidth(), plainWidth - cx);
  const TRect button = edit->DropButtonRect();
  EXPECT_EQ(button, TRect(150 - 2 - cx, 2, 148, 20));

  auto hitAt = [&](POINT p) { return SendMessageA(edit->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)); };
  EXPECT_EQ(hitAt(InWindow(button.Left + 3, 10)), HTCLIENT);
  EXPECT_TRUE(edit->OverButton());
  EXPECT_EQ(hitAt(InWindow(20, 10)), HTCLIENT);
  EXPECT_FALSE(edit->OverButton());
  EXPECT_EQ(hitAt(InWindow(0, 0)), HTBORDER);
  EXPECT_FALSE(edit->OverButton());

  // The button is drawn in the room.
  auto image = WindowImage();
  EXPECT_EQ(image.At(button.Left + 3, button.Top + 3) & 0xFFFFFF, Shown(clBtnFace));
  EXPECT_EQ(image.At(button.Right - 1, button.Bottom - 1) & 0xFFFFFF, Shown(cl3DDkShadow));
}

TEST_F(FcCustomEditTest, DropDownSequenceFromAPressAndFromAltDown) {
  pt::Watchdog watchdog(30s);
  edit->SetDropButtonVisible(true);
  edit->SetText("abcdef");
  FocusOther();
  std::vector<std::string> events;
  int stateSeen = -1;
  bool focusedSeen = false, captureSeen = false;
  edit->OnDropDown = [&](TObject*) {
    events.push_back("drop");
    stateSeen = edit->ButtonState();
    focusedSeen = edit->Focused();
    captureSeen = GetCapture() == edit->Handle();
  };
  edit->OnCloseUp = [&](TObject*) { events.push_back("close"); };

  const TRect button = edit->DropButtonRect();
  pt::Click(InWindow(button.Left + 5, 10));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(events, (std::vector<std::string>{"drop", "close"}));
  EXPECT_EQ(stateSeen, 2) << "pressed while dropping";
  EXPECT_TRUE(focusedSeen) << "the edit takes the focus first";
  EXPECT_TRUE(captureSeen);
  EXPECT_EQ(edit->ButtonState(), 0);
  EXPECT_FALSE(edit->Dropping());
  EXPECT_EQ(GetCapture(), nullptr);

  // The press did not move the caret: it is where taking the focus put it.
  edit->SetSelStart(2);
  edit->SetSelLength(0);
  pt::Click(InWindow(button.Left + 5, 10));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(edit->SelStart(), 2);

  // Alt+Down opens it; Down alone is the edit's.
  events.clear();
  platform::detail::InjectKey(VK_MENU, true);
  pt::KeyPress(VK_DOWN);
  platform::detail::InjectKey(VK_MENU, false);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(events, (std::vector<std::string>{"drop", "close"}));
  events.clear();
  pt::KeyPress(VK_DOWN);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_TRUE(events.empty());

  // Without the button Alt+Down is nothing, and so is the room the button had.
  edit->SetDropButtonVisible(false);
  FocusEdit();
  platform::detail::InjectKey(VK_MENU, true);
  pt::KeyPress(VK_DOWN);
  platform::detail::InjectKey(VK_MENU, false);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_TRUE(events.empty());
}

// The drop-down runs a loop of its own; the button-up of the opening press reaches the edit
// inside it and gives the capture back while the button stays down.
TEST_F(FcCustomEditTest, TheButtonUpInsideTheDropDownReleasesTheCapture) {
  pt::Watchdog watchdog(30s);
  edit->SetDropButtonVisible(true);
  bool releasedInside = false;
  int stateInside = -1;
  edit->OnDropDown = [&](TObject*) {
    pt::RunUntil([&] { return GetCapture() != edit->Handle(); }, 3000);
    releasedInside = GetCapture() == nullptr;
    stateInside = edit->ButtonState();
  };
  const TRect button = edit->DropButtonRect();
  pt::Click(InWindow(button.Left + 5, 10));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_TRUE(releasedInside);
  EXPECT_EQ(stateInside, 2);
  EXPECT_EQ(edit->ButtonState(), 0);
}

TEST_F(FcCustomEditTest, EnterMovesOnLikeTab) {
  edit->SetTabOnEnter(true);
  FocusEdit();
  pt::KeyPress(VK_RETURN);
  Application->ProcessMessages();
  EXPECT_TRUE(other->Focused());
}

TEST_F(FcCustomEditTest, ValidateErrorEventChoosesTheMessage) {
  std::string seen;
  try {
    edit->ValidateError();
  } catch (const EDBEditError& e) {
    seen = e.what();
  }
  const std::string own = seen;
  EXPECT_FALSE(own.empty());
  edit->OnValidateError = [](TObject*, AnsiString& message) { message = "Colour wanted"; };
  EXPECT_THROW(
      {
        try {
          edit->ValidateError();
        } catch (const EDBEditError& e) {
          EXPECT_STREQ(e.what(), "Colour wanted");
          throw;
        }
      },
      EDBEditError);
  edit->OnValidateError = [](TObject*, AnsiString&) {};
  try {
    edit->ValidateError();
  } catch (const EDBEditError& e) {
    seen = e.what();
  }
  EXPECT_EQ(seen, own) << "an empty message leaves the edit's own";
}

TEST_F(FcCustomEditTest, ControllerSettingsArriveAndAreNotStored) {
  auto* controller = new TFcFrameController(form);
  controller->SetFrameColor(Rgb(10, 20, 30));
  controller->SetFocusColor(Rgb(40, 50, 60));
  TFcFrameControllerNotifications mask = TFcFrameControllerNotifications::FromBits(AllFrameNotifications);
  mask.Exclude(fcpFrameStyle);
  edit->SetFrameControllerNotifications(mask);
  edit->SetFrameStyle(fsGroove);
  edit->SetFrameController(controller);
  EXPECT_EQ(edit->FrameColor(), Rgb(10, 20, 30));
  EXPECT_EQ(edit->FocusColor(), Rgb(40, 50, 60));
  EXPECT_EQ(edit->FrameStyle(), fsGroove) << "not in the notification set";
  EXPECT_FALSE(IsStoredProp(edit, GetPropInfo(edit, "FrameColor")));
  EXPECT_TRUE(IsStoredProp(edit, GetPropInfo(edit, "FrameStyle")));
  controller->SetFrameHotColor(Rgb(1, 1, 1));
  EXPECT_EQ(edit->FrameHotColor(), Rgb(1, 1, 1));
  delete controller;
  EXPECT_EQ(edit->FrameController(), nullptr);
  EXPECT_TRUE(IsStoredProp(edit, GetPropInfo(edit, "FrameColor")));
  edit->SetEnabled(false);
  EXPECT_FALSE(IsStoredProp(edit, GetPropInfo(edit, "Color"))) << "disabled: Color is the disabled colour";
}

}  // namespace
