// The colour dialog answered by synthetic input through ChooseColor: a basic cell with OK,
// the full part's field, bar and number edits, custom colours added and kept, Cancel and
// Esc, and a dialog that may not open its full part. Also the 0..240 colour arithmetic.

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <functional>

#include "platform/comdlg/CommDlg.h"
#include "platform/testing/Synthetic.h"
#include "program/app/dialogs/ColorDialogForm.h"
#include "program/app/dialogs/ColorDialogParts.h"
#include "program/controls/FSButton.h"
#include "vcl/Application.h"
#include "vcl/Screen.h"
#include "vcl/StdCtrls.h"

namespace {

namespace pt = platform::testing;

class ColorDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallColorDialogPresenter();
    owner = TCustomForm::CreateNew<TForm>(Application);
    owner->SetBounds(100, 100, 600, 500);
    owner->Show();
    ASSERT_TRUE(pt::RunUntilIdle());
    std::fill(custom, custom + 16, RGB(255, 255, 255));
  }
  void TearDown() override {
    platform::comdlg::SetColorDialogPresenter(nullptr);
    DoneApplication();
  }
  // Runs ChooseColor with `script` acting on the dialog once it waits for input.
  BOOL Choose(DWORD flags, COLORREF start, std::function<void(TColorDialogForm*)> script) {
    TWindowHook hook = [&](TMessage& m) {
      if (m.Msg != WM_APP + 5) return false;
      auto* dialog = dynamic_cast<TColorDialogForm*>(Screen->ActiveForm());
      EXPECT_NE(dialog, nullptr);
      if (dialog) {
        seen = dialog;
        EXPECT_FALSE(IsWindowEnabled(owner->Handle())) << "the owner waits";
        script(dialog);
      }
      return true;
    };
    Application->HookMainWindow(&hook);
    PostMessageA(Application->Handle(), WM_APP + 5, 0, 0);
    cc = CHOOSECOLORA{sizeof(cc), owner->Handle(), nullptr, start, custom, flags, 0, nullptr, nullptr};
    const BOOL result = ChooseColorA(&cc);
    Application->UnhookMainWindow(&hook);
    return result;
  }
  static POINT Center(TControl* control, TRect r) {
    auto* win = dynamic_cast<TWinControl*>(control);
    return pt::ScreenPoint(win->Handle(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  // Clicks and lets the dialog handle it (inside its modal loop).
  static void ClickButton(TFSButton* button) {
    pt::Click(Center(button, button->ClientRect()));
    ASSERT_TRUE(pt::RunUntilIdle());
  }

  TForm* owner = nullptr;
  TColorDialogForm* seen = nullptr;
  COLORREF custom[16];
  CHOOSECOLORA cc{};
};

TEST(DialogHls, ConvertsBothWays) {
  struct Case {
    COLORREF rgb;
    int hue, sat, lum;
  };
  const Case cases[] = {
      {RGB(255, 0, 0), 0, 240, 120},   {RGB(0, 255, 0), 80, 240, 120}, {RGB(0, 0, 255), 160, 240, 120},
      {RGB(255, 255, 255), 160, 0, 240}, {RGB(0, 0, 0), 160, 0, 0},     {RGB(127, 127, 127), 160, 0, 120},
  };
  for (const Case& c : cases) {
    const TDialogHls hls = RgbToDialogHls(c.rgb);
    EXPECT_EQ(hls.Hue, c.hue) << std::hex << c.rgb;
    EXPECT_EQ(hls.Sat, c.sat);
    EXPECT_EQ(hls.Lum, c.lum);
    EXPECT_EQ(DialogHlsToRgb(hls), c.rgb);
  }
}

TEST_F(ColorDialogTest, BasicCellAndOk) {
  const BOOL ok = Choose(CC_RGBINIT, RGB(0, 0, 0), [](TColorDialogForm* d) {
    EXPECT_FALSE(d->FullOpen());
    TColorSwatchGrid* grid = d->BasicGrid();
    pt::Click(Center(grid, grid->CellRect(9)));  // second row, second cell: yellow
    ASSERT_TRUE(pt::RunUntilIdle());
    EXPECT_EQ(d->CurrentColor(), RGB(255, 255, 0));
    pt::KeyPress(VK_RETURN);
  });
  ASSERT_TRUE(ok);
  EXPECT_EQ(cc.rgbResult, RGB(255, 255, 0));
  ASSERT_NE(seen, nullptr);
}

TEST_F(ColorDialogTest, FullPartFieldBarEditsAndCustomColours) {
  const BOOL ok = Choose(CC_RGBINIT, RGB(255, 0, 0), [](TColorDialogForm* d) {
    EXPECT_FALSE(d->FullOpen());
    ClickButton(d->DefineButton());
    EXPECT_TRUE(d->FullOpen());
    EXPECT_FALSE(d->DefineButton()->Enabled());
    // Hue 80 (green) at full saturation, then luminosity from the bar's middle.
    THueSatField* field = d->HueSatField();
    const TPoint p = field->PointOf(80, 240);
    pt::Click(pt::ScreenPoint(field->Handle(), p.X, p.Y));
    TLumBar* bar = d->LumBar();
    pt::Click(pt::ScreenPoint(bar->Handle(), 4, bar->YOf(60)));
    ASSERT_TRUE(pt::RunUntilIdle());
    EXPECT_NEAR(std::atoi(d->NumberEdit(2)->Text().c_str()), 60, 1) << "the bar sets the luminosity";
    // The number edits set it as well.
    d->NumberEdit(2)->SetFocus();
    d->NumberEdit(2)->SelectAll();
    pt::TypeText(u"120");
    ASSERT_TRUE(pt::RunUntilIdle());
    EXPECT_EQ(d->CurrentColor(), RGB(0, 255, 0));
    EXPECT_EQ(d->NumberEdit(4)->Text(), "255");
    ClickButton(d->AddButton());
    // Blue typed into the Red/Green/Blue edits.
    d->NumberEdit(4)->SetFocus();
    d->NumberEdit(4)->SelectAll();
    pt::TypeText(u"0");
    d->NumberEdit(5)->SetFocus();
    d->NumberEdit(5)->SelectAll();
    pt::TypeText(u"200");
    ASSERT_TRUE(pt::RunUntilIdle());
    EXPECT_EQ(d->CurrentColor(), RGB(0, 0, 200));
    EXPECT_EQ(d->NumberEdit(0)->Text(), "160");
    ClickButton(d->AddButton());
    ClickButton(d->OkButton());
  });
  ASSERT_TRUE(ok);
  EXPECT_EQ(cc.rgbResult, RGB(0, 0, 200));
  EXPECT_EQ(custom[0], RGB(0, 255, 0));
  EXPECT_EQ(custom[1], RGB(0, 0, 200));
  EXPECT_EQ(custom[2], RGB(255, 255, 255));

  // Opened again: the custom colours are there, and picking one sets the colour.
  const BOOL again = Choose(CC_FULLOPEN, 0, [](TColorDialogForm* d) {
    EXPECT_TRUE(d->FullOpen());
    TColorSwatchGrid* grid = d->CustomGrid();
    EXPECT_EQ(grid->ColorAt(1), RGB(0, 0, 200));
    pt::Click(Center(grid, grid->CellRect(1)));
    pt::KeyPress(VK_RETURN);
  });
  ASSERT_TRUE(again);
  EXPECT_EQ(cc.rgbResult, RGB(0, 0, 200));
}

TEST_F(ColorDialogTest, CancelAndEscKeepEverything) {
  for (bool byKey : {false, true}) {
    const BOOL ok = Choose(CC_RGBINIT | CC_FULLOPEN, RGB(1, 2, 3), [byKey](TColorDialogForm* d) {
      pt::Click(Center(d->BasicGrid(), d->BasicGrid()->CellRect(0)));
      ASSERT_TRUE(pt::RunUntilIdle());
      ClickButton(d->AddButton());
      if (byKey) pt::KeyPress(VK_ESCAPE);
      else ClickButton(d->CancelButton());
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(cc.rgbResult, RGB(1, 2, 3));
    EXPECT_EQ(custom[0], RGB(255, 255, 255));
  }
}

TEST_F(ColorDialogTest, PreventFullOpenKeepsTheBasicPart) {
  const BOOL ok = Choose(CC_FULLOPEN | CC_PREVENTFULLOPEN, 0, [](TColorDialogForm* d) {
    EXPECT_FALSE(d->FullOpen());
    EXPECT_FALSE(d->DefineButton()->Enabled());
    ClickButton(d->DefineButton());
    EXPECT_FALSE(d->FullOpen());
    EXPECT_LT(d->ClientWidth(), TColorDialogForm::FullWidth);
    pt::KeyPress(VK_RETURN);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(cc.rgbResult, RGB(0, 0, 0));
}

}  // namespace

namespace {

TEST_F(ColorDialogTest, ArrowKeysMoveInTheGrids) {
  const BOOL ok = Choose(CC_RGBINIT, RGB(0, 0, 0), [](TColorDialogForm* d) {
    // The grid holding the colour has the focus from the start.
    TColorSwatchGrid* grid = d->BasicGrid();
    EXPECT_EQ(grid->Selected(), 40) << "black";
    EXPECT_TRUE(grid->Focused());
    pt::KeyPress(VK_RIGHT);
    pt::KeyPress(VK_UP);
    Application->ProcessMessages();
    EXPECT_EQ(grid->Selected(), 33);
    EXPECT_EQ(d->CurrentColor(), grid->ColorAt(33));
    // A click on the custom grid moves the focus there, and the arrows with it.
    TColorSwatchGrid* custom = d->CustomGrid();
    pt::Click(Center(custom, custom->CellRect(0)));
    Application->ProcessMessages();
    pt::KeyPress(VK_RIGHT);
    Application->ProcessMessages();
    EXPECT_EQ(custom->Selected(), 1);
    EXPECT_EQ(grid->Selected(), -1);
    pt::KeyPress(VK_RETURN);
  });
  ASSERT_TRUE(ok);
}

}  // namespace

namespace {

TEST_F(ColorDialogTest, TheLuminosityBarReachesEveryValue) {
  const BOOL ok = Choose(CC_RGBINIT | CC_FULLOPEN, RGB(255, 0, 0), [](TColorDialogForm* d) {
    TLumBar* bar = d->LumBar();
    // A press takes the value nearest its row: the ends and the middle exactly.
    for (int value : {0, 1, 60, 119, 120, 121, 239, 240}) {
      pt::Click(pt::ScreenPoint(bar->Handle(), 4, bar->YOf(value)));
      Application->ProcessMessages();
      if (value % 120 == 0) EXPECT_EQ(bar->Lum(), value);
      else EXPECT_NEAR(bar->Lum(), value, 1);
    }
    EXPECT_TRUE(bar->Focused()) << "a press gives the bar the keys";
    // The keys step through every value.
    pt::KeyPress(VK_HOME);
    Application->ProcessMessages();
    std::set<int> seen;
    for (int i = 0; i <= 240; ++i) {
      seen.insert(bar->Lum());
      pt::KeyPress(VK_DOWN);
      Application->ProcessMessages();
    }
    EXPECT_EQ(seen.size(), 241u);
    EXPECT_EQ(bar->Lum(), 0);
    EXPECT_EQ(d->NumberEdit(2)->Text(), "0");
    pt::KeyPress(VK_PRIOR);
    Application->ProcessMessages();
    EXPECT_EQ(d->NumberEdit(2)->Text(), "10");
    pt::KeyPress(VK_ESCAPE);
  });
  EXPECT_FALSE(ok);
}

}  // namespace

#include <filesystem>

#include "platform/kernel/ProgramFolder.h"
#include "program/skin/FSSkinEngine.h"
#include "program/skin/SkinModule.h"

namespace {

// With the program's skin the form draws its own frame: the client area is still the size
// the dialog asks for, basic and full, however it is opened.
class SkinnedColorDialogTest : public ColorDialogTest {
 protected:
  void SetUp() override {
    StartSkinModule();
    const std::string skin = (std::filesystem::path(platform::ProgramFolder()) / "Skin" / "Default").string();
    SkinEngine->SetSkinPath(skin);
    ASSERT_TRUE(SkinEngine->LoadSkinFile("SkinForm")) << skin;
    ASSERT_TRUE(SkinEngine->LoadSkinFile("Controls")) << skin;
    ColorDialogTest::SetUp();
  }
  void TearDown() override {
    ColorDialogTest::TearDown();
    StopSkinModule();
  }
  static void ExpectClientSize(TColorDialogForm* d, int width) {
    RECT client{};
    GetClientRect(d->Handle(), &client);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, TColorDialogForm::ClientHeightPx);
    // The full part's last controls lie inside it.
    if (width == TColorDialogForm::FullWidth) {
      EXPECT_LE(d->NumberEdit(5)->Left() + d->NumberEdit(5)->Width(), client.right);
      EXPECT_LE(d->AddButton()->Left() + d->AddButton()->Width(), client.right);
    }
  }
};

TEST_F(SkinnedColorDialogTest, ClientAreaIsTheSizeAsked) {
  EXPECT_FALSE(Choose(CC_RGBINIT, 0, [](TColorDialogForm* d) {
    ExpectClientSize(d, TColorDialogForm::BasicWidth);
    ClickButton(d->DefineButton());
    EXPECT_TRUE(d->FullOpen());
    ExpectClientSize(d, TColorDialogForm::FullWidth);
    pt::KeyPress(VK_ESCAPE);
  }));
  EXPECT_FALSE(Choose(CC_FULLOPEN, 0, [](TColorDialogForm* d) {
    ExpectClientSize(d, TColorDialogForm::FullWidth);
    pt::KeyPress(VK_ESCAPE);
  }));
}

}  // namespace
