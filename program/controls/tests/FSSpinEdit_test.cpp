// The spin edit: the value rules (one bound rule, 32 bits saturating, a non-number counts as
// MinValue), the change requests, the bounds of a form applied together, the keys it takes,
// and stepping with auto-repeat on the manual clock by key and by mouse.

#include <gtest/gtest.h>

#include <climits>

#include "EditTestSupport.h"
#include "platform/user/InputSink.h"
#include "program/controls/FSSpinEdit.h"
#include "vcl/Reader.h"
#include "vcl/Writer.h"

using namespace edit_test;
using platform::testing::RunUntilIdle;

namespace {

class SpinEditSkin : public EditFixture {
 protected:
  void TearDown() override {
    platform::testing::UseManualClock(false);
    EditFixture::TearDown();
  }
  void Advance(unsigned ms) {
    platform::testing::AdvanceClock(ms);
    RunUntilIdle();
  }
};

TEST_F(SpinEditSkin, ValueRules) {
  TFSSpinEdit spin(nullptr);
  EXPECT_EQ(spin.Text(), "0");
  struct Case {
    int min, max;
    const char* text;  // null: write `write` through Value
    int write;
    const char* shown;
    int value;
  } cases[] = {
      {0, 100, "abc", 0, "abc", 0},         // not a number: MinValue
      {-5, 100, "abc", 0, "abc", -5},
      {0, 100, "250", 0, "250", 100},       // read through the bounds
      {0, 100, nullptr, 250, "100", 100},   // written through the same bounds
      {0, 0, nullptr, 50, "50", 50},        // MaxValue 0: no upper bound, both ways
      {0, 0, "70000", 0, "70000", 70000},   // 32 bits
      {10, 0, nullptr, 3, "10", 10},
      {0, 100, "99999999999", 0, "99999999999", 100},
  };
  for (const Case& c : cases) {
    spin.SetMaxValue(0);
    spin.SetMinValue(c.min);
    spin.SetMaxValue(c.max);
    if (c.text) spin.SetText(c.text);
    else spin.SetValue(c.write);
    EXPECT_EQ(spin.Text(), c.shown) << c.min << ".." << c.max;
    EXPECT_EQ(spin.Value(), c.value) << c.min << ".." << c.max;
  }

  // A MinValue above MaxValue is refused; equal bounds are taken.
  spin.SetMinValue(0);
  spin.SetMaxValue(3);
  spin.SetMinValue(5);
  EXPECT_EQ(spin.MinValue(), 0);
  spin.SetMaxValue(0);
  spin.SetMinValue(5);
  spin.SetMaxValue(5);
  EXPECT_EQ(spin.MaxValue(), 5);
}

TEST_F(SpinEditSkin, StepsSaturateAndAskFirst) {
  auto* spin = Add<TFSSpinEdit>(10, 10);
  spin->SetMinValue(INT_MIN);
  spin->SetMaxValue(0);
  spin->SetIncrement(40000);
  std::vector<std::pair<int, TUpDownDirection>> asked;
  std::vector<TUDBtnType> clicks;
  bool allow = true;
  spin->OnChangingEx = TUDChangingEventEx([&](TObject*, bool& allowChange, int value, TUpDownDirection direction) {
    asked.emplace_back(value, direction);
    allowChange = allow;
  });
  spin->OnClick = TUDClickEvent([&](TObject*, TUDBtnType button) { clicks.push_back(button); });
  spin->SetFocus();
  RunUntilIdle();

  platform::testing::KeyPress(VK_UP);
  RunUntilIdle();
  EXPECT_EQ(spin->Value(), 40000) << "past 16 bits, no wrap";
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back(), std::make_pair(40000, updUp));
  EXPECT_EQ(clicks, std::vector<TUDBtnType>{btPrev});

  spin->SetValue(INT_MAX - 5);
  platform::testing::KeyPress(VK_UP);
  RunUntilIdle();
  EXPECT_EQ(spin->Value(), INT_MAX);

  allow = false;
  platform::testing::KeyPress(VK_DOWN);
  RunUntilIdle();
  EXPECT_EQ(spin->Value(), INT_MAX) << "refused";
  EXPECT_EQ(asked.back().second, updDown);
}

TEST_F(SpinEditSkin, KeysAndLeaving) {
  auto* spin = Add<TFSSpinEdit>(10, 10);
  auto* other = Add<TFSSpinEdit>(10, 50);
  spin->SetFocus();
  spin->SetText("");
  platform::testing::TypeText(u"-1a2");
  RunUntilIdle();
  EXPECT_EQ(spin->Text(), "12") << "no minus while MinValue is 0, no letters";
  spin->SetMinValue(-10);
  spin->SetText("");
  platform::testing::TypeText(u"-3");
  RunUntilIdle();
  EXPECT_EQ(spin->Text(), "-3");

  // Leaving with a text that is not a number gives MinValue; out of bounds is brought in.
  spin->SetText("x");
  other->SetFocus();
  RunUntilIdle();
  EXPECT_EQ(spin->Text(), "-10");
  other->SetText("500");
  spin->SetFocus();
  RunUntilIdle();
  EXPECT_EQ(other->Text(), "100");
}

TEST_F(SpinEditSkin, AFormsBoundsAreTakenTogether) {
  TFSSpinEdit source(nullptr);
  source.SetName("Burn");
  source.SetMaxValue(300);
  source.SetMinValue(150);
  source.SetValue(200);
  TStringStream stream;
  {
    TWriter writer(&stream, 4096);
    writer.WriteRootComponent(&source);
  }
  TFSSpinEdit read(nullptr);
  TStringStream input(stream.DataString());
  TReader reader(&input, 4096);
  reader.ReadRootComponent(&read);
  EXPECT_EQ(read.MinValue(), 150);
  EXPECT_EQ(read.MaxValue(), 300);
  EXPECT_EQ(read.Value(), 150) << "the text (not stored) is brought into the bounds";
}

TEST_F(SpinEditSkin, HoldingRepeatsAfterTheBlinkTime) {
  platform::testing::UseManualClock(true);
  auto* spin = Add<TFSSpinEdit>(10, 10);
  spin->SetMaxValue(0);
  spin->SetFocus();
  RunUntilIdle();
  const unsigned blink = GetCaretBlinkTime();

  platform::detail::InjectKey(VK_UP, true);
  RunUntilIdle();
  EXPECT_EQ(spin->Value(), 1) << "at once";
  Advance(blink - 1);
  EXPECT_EQ(spin->Value(), 1);
  Advance(1);
  EXPECT_EQ(spin->Value(), 2) << "after the blink time";
  Advance(TFSCustomSpinEdit::kKeyboardRepeatMs);
  EXPECT_EQ(spin->Value(), 3);
  Advance(TFSCustomSpinEdit::kKeyboardRepeatMs);
  EXPECT_EQ(spin->Value(), 4);
  platform::detail::InjectKey(VK_UP, false);
  RunUntilIdle();
  EXPECT_FALSE(spin->UpPressed());
  Advance(1000);
  EXPECT_EQ(spin->Value(), 4) << "released: no more steps";

  // The mouse on the down arrow: 100 ms steps after the first delay.
  const TRect down = TFSCustomSpinEdit::DownHalf(spin->ButtonsRect(false));
  const POINT at = Screen(spin, (down.Left + down.Right) / 2, (down.Top + down.Bottom) / 2);
  platform::testing::MouseMove(at);
  platform::testing::MouseDown(at);
  RunUntilIdle();
  EXPECT_TRUE(spin->DownPressed());
  EXPECT_EQ(FramePixel(spin, down.Left + 2, down.Top + 1), kButtonPressed);
  EXPECT_EQ(spin->Value(), 3);
  Advance(blink);
  EXPECT_EQ(spin->Value(), 2);
  Advance(TFSCustomSpinEdit::kMouseRepeatMs - 1);
  EXPECT_EQ(spin->Value(), 2);
  Advance(1);
  EXPECT_EQ(spin->Value(), 1);
  platform::testing::MouseUp(at);
  RunUntilIdle();
  EXPECT_FALSE(spin->DownPressed());
  EXPECT_EQ(GetCapture(), nullptr);
  Advance(1000);
  EXPECT_EQ(spin->Value(), 1);
}

}  // namespace
