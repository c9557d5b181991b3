// The radio button and the check box: groups, what a click or Space does to Checked, which
// mouse presses reach the events, auto-size arithmetic with and without a skin item, the
// states drawn, the disabled and shadowed caption.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "program/controls/FSCheckBox.h"
#include "program/controls/FSRadioButton.h"

using namespace controls_test;
using platform::testing::RunUntil;
using platform::testing::RunUntilIdle;

namespace {

// Box cells: checked normal, hot, pressed, disabled; unchecked normal, hot, pressed, disabled.
constexpr uint32_t kOn = 0x008000, kOnHot = 0x00FF00, kOnPressed = 0x004000, kOnDisabled = 0x608060;
constexpr uint32_t kOff = 0x800000, kOffHot = 0xFF0000, kOffPressed = 0x400000, kOffDisabled = 0x806060;

class CheckControls : public ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    WriteCells(folder / "box.bmp", {kOn, kOnHot, kOnPressed, kOnDisabled, kOff, kOffHot, kOffPressed, kOffDisabled}, 16);
    const std::string box = CellPart(0, "box.bmp", 0, 4, "", 16) + CellPart(1, "box.bmp", 4, 4, "", 16);
    WriteSkin("Controls", {{"CheckBox", box}, {"RadioButton", box}});
    UseFolder();
    form = MakeForm();
  }
  template <class T> T* Add(int left, int top, const char* caption = "Option") {
    auto* control = new T(form);
    control->SetParent(form);
    control->SetLeft(left);
    control->SetTop(top);
    control->SetCaption(caption);
    control->Font()->SetColor(clBlack);
    RunUntilIdle();
    return control;
  }
  POINT At(TWinControl* c, int x, int y) { return platform::testing::ScreenPoint(c->Handle(), x, y); }
  // The box's colour (the box is at the left, vertically centred).
  static uint32_t Box(TWinControl* c) { return WindowPixel(c->Handle(), 8, c->Height() / 2); }
  static bool ShowsBox(TWinControl* c, uint32_t colour) {
    return RunUntil([&] { return Near(Box(c), colour); }, 3000);
  }

  TForm* form = nullptr;
};

TEST_F(CheckControls, CheckingARadioButtonUnchecksItsGroupOnly) {
  auto* a = Add<TFSRadioButton>(10, 10);
  auto* b = Add<TFSRadioButton>(10, 30);
  auto* c = Add<TFSRadioButton>(10, 50);
  auto* other = Add<TFSRadioButton>(10, 70);
  for (auto* r : {a, b, c}) r->SetGroupIndex(1);
  other->SetGroupIndex(2);
  a->SetChecked(true);
  b->SetChecked(true);
  other->SetChecked(true);
  c->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_FALSE(b->Checked());
  EXPECT_TRUE(c->Checked());
  EXPECT_TRUE(other->Checked()) << "another group index";
  EXPECT_TRUE(c->TabStop());
  EXPECT_FALSE(a->TabStop()) << "only the checked one is a tab stop";
}

TEST_F(CheckControls, ClicksAndSpaceChangeCheckedAsEachControlDoes) {
  auto* radio = Add<TFSRadioButton>(10, 10);
  auto* box = Add<TFSCheckBox>(10, 40);
  int radioClicks = 0, boxClicks = 0, radioDowns = 0, boxDowns = 0;
  radio->OnClick = TNotifyEvent([&](TObject*) { ++radioClicks; });
  box->OnClick = TNotifyEvent([&](TObject*) { ++boxClicks; });
  radio->OnMouseDown = TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) { ++radioDowns; });
  box->OnMouseDown = TMouseEvent([&](TObject*, TMouseButton, TShiftState, int, int) { ++boxDowns; });

  platform::testing::Click(At(radio, 5, 8));
  RunUntilIdle();
  EXPECT_TRUE(radio->Checked());
  EXPECT_EQ(radioClicks, 1);
  platform::testing::Click(At(radio, 5, 8));
  RunUntilIdle();
  EXPECT_TRUE(radio->Checked()) << "a checked radio button stays checked";
  EXPECT_EQ(radioClicks, 1) << "and does not click";

  platform::testing::MouseDown(At(box, 5, 8));
  RunUntilIdle();
  EXPECT_TRUE(box->Pressed());
  platform::testing::MouseMove(At(form, 300, 180));
  platform::testing::MouseUp(At(form, 300, 180));
  RunUntilIdle();
  EXPECT_TRUE(box->Checked()) << "released outside, still toggled";
  EXPECT_EQ(boxClicks, 1);

  platform::testing::Click(At(radio, 5, 8), platform::testing::MouseButton::Right);
  platform::testing::Click(At(box, 5, 8), platform::testing::MouseButton::Right);
  RunUntilIdle();
  EXPECT_EQ(radioDowns, 2) << "left presses only";
  EXPECT_EQ(boxDowns, 2) << "every press";
  EXPECT_TRUE(box->Checked()) << "a right click does not toggle";

  box->SetFocus();
  RunUntilIdle();
  platform::testing::KeyPress(VK_SPACE);
  Application->ProcessMessages();
  EXPECT_FALSE(box->Checked()) << "Space toggles a check box";
  EXPECT_FALSE(box->Pressed());

  auto* second = Add<TFSRadioButton>(10, 70);
  second->SetFocus();
  RunUntilIdle();
  platform::testing::KeyPress(VK_SPACE);
  Application->ProcessMessages();
  EXPECT_TRUE(second->Checked()) << "Space checks a radio button";
  EXPECT_FALSE(radio->Checked());
}

TEST_F(CheckControls, TheBoxStateFollowsCheckedHoverPressAndEnabled) {
  auto* box = Add<TFSCheckBox>(10, 10);
  EXPECT_TRUE(ShowsBox(box, kOff));
  platform::testing::MouseMove(At(box, 30, 8));
  RunUntilIdle();
  EXPECT_TRUE(ShowsBox(box, kOffHot));
  platform::testing::MouseDown(At(box, 30, 8));
  RunUntilIdle();
  EXPECT_TRUE(ShowsBox(box, kOffPressed));
  platform::testing::MouseUp(At(box, 30, 8));
  RunUntilIdle();
  EXPECT_TRUE(ShowsBox(box, kOnHot)) << "checked, pointer still over it";
  platform::testing::MouseMove(At(form, 300, 180));
  RunUntilIdle();
  EXPECT_TRUE(ShowsBox(box, kOn));
  box->SetEnabled(false);
  RunUntilIdle();
  EXPECT_TRUE(ShowsBox(box, kOnDisabled));
}

TEST_F(CheckControls, AutoSizeFitsBoxAndCaption) {
  // Text extent of a caption as the controls measure it.
  auto measure = [](TFont* font, const AnsiString& text) {
    TCanvas canvas;
    HDC dc = GetDC(nullptr);
    canvas.SetHandle(dc);
    canvas.SetFont(font);
    canvas.RequiredState(TCanvasState{csHandleValid, csFontValid});
    RECT r{0, 0, 1000, 100};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_EXPANDTABS);
    canvas.SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    return TSize(r.right - r.left, r.bottom - r.top);
  };
  auto* skinned = Add<TFSCheckBox>(10, 10, "Burn a copy");
  auto* classic = Add<TFSRadioButton>(10, 40, "Burn a copy");
  classic->SetSkinName("Nothing");
  classic->SetSpacing(6);
  const TSize text = measure(classic->Font(), "Burn a copy");
  EXPECT_EQ(classic->Width(), 13 + 6 + text.cx + 1);
  EXPECT_EQ(classic->Height(), std::max(13, static_cast<int>(text.cy) + 2));
  EXPECT_EQ(skinned->Width(), 16 + 4 + text.cx + 1);

  classic->SetAutoSize(false);
  classic->SetCaption("A much longer caption than before");
  EXPECT_EQ(classic->Width(), 13 + 6 + text.cx + 1) << "no re-measuring without AutoSize";
}

TEST_F(CheckControls, DisabledCaptionsAreEmbossedAndShadowedOnesWhite) {
  auto* box = Add<TFSCheckBox>(10, 10, "WWWW");
  auto colours = [&] {
    const auto image = platform::testing::ReadWindow(box->Handle());
    std::set<uint32_t> found;
    for (int y = 0; y < image.height; ++y)
      for (int x = 20; x < image.width; ++x) found.insert(image.At(x, y) & 0xFFFFFF);
    return found;
  };
  const uint32_t highlight = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
  auto rgb = [](uint32_t colorref) { return ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF); };
  box->SetEnabled(false);
  RunUntilIdle();
  auto found = colours();
  EXPECT_TRUE(found.count(rgb(shadow))) << "the caption in the shadow colour";
  EXPECT_TRUE(found.count(rgb(highlight)) || rgb(highlight) == 0xFFFFFF) << "over its highlight copy";

  box->SetEnabled(true);
  box->SetShadow(true);
  box->Font()->SetColor(clRed);
  form->SetColor(clBlue);
  RunUntilIdle();
  found = colours();
  EXPECT_TRUE(found.count(0xFFFFFF)) << "white text";
  EXPECT_TRUE(std::any_of(found.begin(), found.end(), [](uint32_t c) { return ((c >> 16) & 0xFF) < 0x30 && ((c >> 8) & 0xFF) < 0x30 && (c & 0xFF) < 0x30; }))
      << "a black shadow";
  EXPECT_FALSE(found.count(0xFF0000)) << "the font colour is not used";
}

}  // namespace
