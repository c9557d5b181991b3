// The colour edit on the headless display, driven by synthetic input from inside its
// drop-down: the swatch and the hatch, keys, picking and cancelling, read-only, no form,
// Tab, new system colours in a shown picker, and the form freed while dropped.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "platform/user/InputSink.h"
#include "program/fc/FcColorEdit.h"
#include "program/fc/FcColorPicker.h"
#include "program/fc/FcModule.h"
#include "program/fc/FcPopup.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

namespace {

using namespace std::chrono_literals;
namespace pt = platform::testing;

uint32_t Shown(TColor c) {
  COLORREF v = ColorToRGB(c);
  return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

class FcColorEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = TCustomForm::CreateNew<TForm>(Application);
    form->SetBorderStyle(bsNone);
    form->SetBounds(80, 80, 400, 300);
    edit = new TFcColorEdit(form);
    edit->SetParent(form);
    edit->SetBounds(200, 20, 120, 22);
    // As the main window sets its colour edit.
    edit->SetCustomColor(clBlack);
    edit->SetDefaultColor(clBlack);
    edit->SetSelectedColor(clBlack);
    edit->SetShowCustomColor(true);
    edit->SetColor(clWhite);
    edit->SetFlatButtons(true);
    edit->SetFrameVisible(true);
    edit->SetFrameHotStyle(fsFlat);
    edit->OnChange = [this](TObject*) { ++changes; };
    // The step of a test runs from inside the drop-down's loop: posted as it opens.
    edit->OnDropDown = [this](TObject*) {
      ++drops;
      if (pending) PostMessageA(Application->Handle(), kRunStep, 0, 0);
    };
    edit->OnCloseUp = [this](TObject*) { ++closeUps; };
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(20, 20, 100, 22);
    form->Show();
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  void TearDown() override { DoneApplication(); }

  // Presses on the edit; `step` runs once the picker shows (the drop-down's loop reaches
  // the posted call), with the loop still running around it.
  void DropWith(std::function<void(TFcColorPicker*)> step, bool byKey = false) {
    pending = std::move(step);
    ran = false;
    Application->HookMainWindow(&hook);
    if (byKey) {
      edit->SetFocus();
      platform::detail::InjectKey(VK_MENU, true);
      pt::KeyPress(VK_DOWN);
      platform::detail::InjectKey(VK_MENU, false);
    } else {
      pt::Click(pt::ScreenPoint(edit->Handle(), 10, 8));
    }
    pt::RunUntil([&] { return ran; }, 5000);
    pt::RunUntilIdle();
    Application->UnhookMainWindow(&hook);
  }
  static constexpr UINT kRunStep = WM_APP + 78;
  TWindowHook hook = [this](TMessage& m) {
    if (m.Msg != kRunStep) return false;
    TFcColorPicker* picker = edit ? edit->DropDownPicker() : nullptr;
    EXPECT_TRUE(picker && picker->Parent() && IsWindowVisible(picker->Parent()->Handle())) << "the picker shows";
    if (!picker) return true;
    auto step = std::move(pending);
    pending = nullptr;
    ran = true;
    if (step) step(picker);
    return true;
  };
  static POINT CellCentre(TFcColorPicker* picker, int index) {
    const TRect cell = picker->CellRect(index);
    const TPoint p = picker->ClientToScreen(TPoint((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2));
    return POINT{p.X, p.Y};
  }
  // How many pixels of the swatch area (inside the 2-pixel margin and the outline) show c.
  int CountInside(TColor c) {
    const pt::Image image = pt::ReadWindow(edit->Handle());
    int count = 0;
    for (int y = 4; y < edit->ClientHeight() - 4; ++y)
      for (int x = 4; x < edit->ClientWidth() - 4; ++x)
        if ((image.At(x, y) & 0xFFFFFF) == Shown(c)) ++count;
    return count;
  }

  TForm* form = nullptr;
  TFcColorEdit* edit = nullptr;
  TEdit* other = nullptr;
  int changes = 0, drops = 0, closeUps = 0;
  std::function<void(TFcColorPicker*)> pending;
  bool ran = false;
};

TEST_F(FcColorEditTest, PaintsTheSwatchOrTheHatch) {
  edit->SetSelectedColor(clRed);
  ASSERT_TRUE(pt::RunUntilIdle());
  const pt::Image image = pt::ReadWindow(edit->Handle());
  EXPECT_EQ(image.At(edit->ClientWidth() / 2, edit->ClientHeight() / 2) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(image.At(0, 0) & 0xFFFFFF, Shown(clWhite)) << "the margin in the edit's colour";

  edit->SetSelectedColor(clNone);
  other->SetFocus();
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_GT(CountInside(clBtnFace), 10) << "hatched in the button face";
  EXPECT_EQ(CountInside(clBtnShadow), 0);
  EXPECT_GT(CountInside(clWhite), 10) << "between the hatch lines";
  edit->SetFocus();
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_GT(CountInside(clBtnShadow), 10) << "focused: hatched in the shadow";
  EXPECT_EQ(CountInside(clBtnFace), 0);
}

TEST_F(FcColorEditTest, TakesNoKeysButAltDown) {
  pt::Watchdog watchdog(30s);
  edit->SetFocus();
  pt::TypeText(u"abc");
  pt::KeyPress(VK_DELETE);
  pt::KeyPress(VK_DOWN);
  Application->ProcessMessages();
  EXPECT_EQ(edit->EditText(), "");
  EXPECT_EQ(edit->SelectedColor(), clBlack);
  EXPECT_EQ(drops, 0) << "Down without Alt opens nothing";

  bool opened = false;
  DropWith([&](TFcColorPicker*) {
    opened = true;
    pt::KeyPress(VK_ESCAPE);
  }, true);
  EXPECT_TRUE(opened);
  EXPECT_EQ(drops, 1);
  EXPECT_EQ(closeUps, 1);

  // The desktop's system keys still work: Alt+F4 closes the window.
  bool closing = false;
  form->OnCloseQuery = [&](TObject*, bool& canClose) {
    closing = true;
    canClose = false;
  };
  edit->SetFocus();
  platform::detail::InjectKey(VK_MENU, true);
  pt::KeyPress(VK_F4);
  platform::detail::InjectKey(VK_MENU, false);
  Application->ProcessMessages();
  EXPECT_TRUE(closing);
  EXPECT_EQ(drops, 1);
}

TEST_F(FcColorEditTest, PickingAColourTakesItAndFiresOnChangeEachTime) {
  pt::Watchdog watchdog(30s);
  auto* custom = new TFcCustomColors(form);
  edit->SetCustomColors(custom);
  RECT dropDown{};
  TFcColorPicker* seen = nullptr;
  DropWith([&](TFcColorPicker* picker) {
    seen = picker;
    GetWindowRect(picker->Parent()->Handle(), &dropDown);
    EXPECT_TRUE(picker->ShowCustomColor());
    EXPECT_EQ(picker->SelectedIndex(), 0) << "black";
    EXPECT_EQ(picker->CustomColors(), custom);
    EXPECT_EQ(picker->BorderOuter(), fsFlat) << "a flat edit gets a flat drop-down";
    EXPECT_EQ(picker->FlatColor(), edit->FrameColor());
    EXPECT_EQ(edit->ButtonState(), 2);
    pt::Click(CellCentre(picker, 16));  // red
  });
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(edit->SelectedColor(), clRed);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(closeUps, 1);
  EXPECT_EQ(edit->DropDownPanel(), nullptr) << "the panel and the picker went with the drop-down";
  EXPECT_EQ(edit->ButtonState(), 0);
  RECT window{};
  GetWindowRect(edit->Handle(), &window);
  EXPECT_EQ(dropDown.right, window.right) << "right edges line up";
  EXPECT_EQ(dropDown.top, window.bottom);

  DropWith([&](TFcColorPicker* picker) { pt::Click(CellCentre(picker, 16)); });
  EXPECT_EQ(edit->SelectedColor(), clRed);
  EXPECT_EQ(changes, 2) << "the same colour picked again";
}

TEST_F(FcColorEditTest, EscOrAPressOutsideChangesNothing) {
  pt::Watchdog watchdog(30s);
  struct Case {
    const char* what;
    std::function<void()> act;
  };
  const Case cases[] = {
      {"Esc", [] { pt::KeyPress(VK_ESCAPE); }},
      {"press outside", [this] { pt::Click(pt::ScreenPoint(form->Handle(), 30, 200)); }},
      {"the program loses the desktop", [] { pt::SimulateDesktopActivation(false); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    drops = closeUps = changes = 0;
    DropWith([&](TFcColorPicker* picker) {
      pt::MouseMove(CellCentre(picker, 16));
      pt::RunUntilIdle();
      c.act();
    });
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(closeUps, 1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(edit->SelectedColor(), clBlack);
    pt::SimulateDesktopActivation(true);
    SetActiveWindow(form->Handle());
    ASSERT_TRUE(pt::RunUntilIdle());
  }
}

TEST_F(FcColorEditTest, ReadOnlyHidesTheButtonAndOpensNothing) {
  const int withButton = edit->ClientWidth();
  edit->SetReadOnly(true);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_FALSE(edit->DropButtonVisible());
  EXPECT_EQ(edit->ClientWidth(), withButton + GetSystemMetrics(SM_CXVSCROLL));
  other->SetFocus();
  pt::Click(pt::ScreenPoint(edit->Handle(), 10, 8));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_TRUE(edit->Focused()) << "the press only takes the focus";
  EXPECT_EQ(drops, 0);
  EXPECT_EQ(closeUps, 0);

  edit->SetReadOnly(false);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_TRUE(edit->DropButtonVisible());
  EXPECT_EQ(edit->ClientWidth(), withButton);
}

TEST_F(FcColorEditTest, WithoutAFormNothingOpens) {
  auto* loose = new TFcColorEdit(form);
  loose->DropDown();
  EXPECT_EQ(loose->DropDownPanel(), nullptr);
  EXPECT_EQ(form->ComponentCount(), 3) << "no panel was made";
  delete loose;
}

TEST_F(FcColorEditTest, TabAndShiftTabLeaveTheEdit) {
  edit->SetFocus();
  pt::KeyPress(VK_TAB);
  Application->ProcessMessages();
  EXPECT_TRUE(other->Focused());
  edit->SetFocus();
  Application->ProcessMessages();
  platform::detail::InjectKey(VK_SHIFT, true);
  pt::KeyPress(VK_TAB);
  platform::detail::InjectKey(VK_SHIFT, false);
  Application->ProcessMessages();
  EXPECT_TRUE(other->Focused());
}

TEST_F(FcColorEditTest, NewSystemColoursRepaintAShownPicker) {
  pt::Watchdog watchdog(30s);
  edit->SetShowSystemColors(true);
  const COLORREF oldFace = GetSysColor(COLOR_BTNFACE);
  uint32_t before = 0, after = 0;
  DropWith([&](TFcColorPicker* picker) {
    const HWND dropDown = picker->Parent()->Handle();
    pt::RunUntilIdle();
    const TRect face = picker->CellRect(55);
    const int x = picker->Left() + (face.Left + face.Right) / 2, y = picker->Top() + (face.Top + face.Bottom) / 2;
    before = pt::ReadWindow(dropDown).At(x, y) & 0xFFFFFF;
    const INT index = COLOR_BTNFACE;
    const COLORREF red = RGB(200, 30, 30);
    SetSysColors(1, &index, &red);
    pt::RunUntilIdle();
    after = pt::ReadWindow(dropDown).At(x, y) & 0xFFFFFF;
    SetSysColors(1, &index, &oldFace);
    pt::KeyPress(VK_ESCAPE);
  });
  EXPECT_EQ(before, ((oldFace & 0xFF) << 16) | (oldFace & 0xFF00) | ((oldFace >> 16) & 0xFF));
  EXPECT_EQ(after, 0xC81E1Eu);
  ASSERT_TRUE(pt::RunUntilIdle());
}

TEST_F(FcColorEditTest, TheFormFreedWhileDroppedEndsEverythingSafely) {
  pt::Watchdog watchdog(30s);
  DropWith([&](TFcColorPicker*) {
    delete form;
    form = nullptr;
    edit = nullptr;
  });
  ASSERT_TRUE(pt::RunUntilIdle());
}

TEST(FcColorEditClass, IsRegisteredWithItsDefaults) {
  RegisterFcClasses();
  ASSERT_NE(GetClass("TFcColorEdit"), nullptr);
  TComponent owner(nullptr);
  TComponent* made = CreateComponent(FindClass("TFcColorEdit"), &owner);
  auto* edit = dynamic_cast<TFcColorEdit*>(made);
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(edit->DropButtonVisible());
  EXPECT_FALSE(edit->ParentColor());
  EXPECT_EQ(edit->SelectedColor(), clNone);
  EXPECT_EQ(edit->ColorDlgOptions(), TColorDialogOptions{cdFullOpen});
  // A new edit writes none of these to a form file.
  for (const char* name : {"DropButtonVisible", "ParentColor", "SelectedColor", "ColorDlgOptions", "FrameStyle",
                           "FrameHotStyle", "FrameSides", "ShowColorHints", "FlatButtons", "DefaultColor"}) {
    const TPropInfo* prop = GetPropInfo(edit, name);
    ASSERT_NE(prop, nullptr) << name;
    EXPECT_EQ(GetOrdProp(edit, prop), prop->Default) << name;
  }
}

}  // namespace
