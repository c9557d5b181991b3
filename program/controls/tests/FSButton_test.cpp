// The push button: the state drawn for hover, press, focus, Default and disabling; the
// keyboard (Enter, Esc, Space) and ModalResult; references and their repaints; glyph
// placement and the disabled glyph; reading a button from a form file.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "program/controls/FSButton.h"

using namespace controls_test;
using platform::testing::RunUntil;
using platform::testing::RunUntilIdle;

namespace {

// State colours of the test skin's "Button" (normal, hot, pressed, disabled, focused).
constexpr uint32_t kNormal = 0xC0C0C0, kHot = 0xFFFF00, kPressed = 0xFF8000, kDisabled = 0x808080,
                   kFocused = 0x00C000;
constexpr uint32_t kPage = 0x3050A0, kCurrentPage = 0xA05030, kSingle = 0x604020, kGlyph = 0x0000FF;

class Buttons : public ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    WriteCells(folder / "cells.bmp", {kNormal, kHot, kPressed, kDisabled, kFocused, kPage, kCurrentPage, kSingle, kGlyph},
               20);
    WriteSkin("Controls", {{"Button", CellPart(0, "cells.bmp", 0, 5)},
                           {"Single", CellPart(0, "cells.bmp", 7, 1)},
                           {"Glyph", "<Part id=\"0\"><Graphic Name=\"cells.bmp\"/><State Left=\"160\" Top=\"0\" "
                                     "Width=\"8\" Height=\"8\"/></Part>"}});
    WriteSkin("MainForm", {{"MainForm", CellPart(10, "cells.bmp", 5, 1) + CellPart(14, "cells.bmp", 6, 1)}});
    UseFolder();
    form = MakeForm();
  }

  TFSButton* AddButton(int left = 20, int top = 20) {
    auto* button = new TFSButton(form);
    button->SetParent(form);
    button->SetLeft(left);
    button->SetTop(top);
    RunUntilIdle();
    return button;
  }
  // The colour the button shows at a point clear of caption and focus rectangle, once any
  // hover fade has run its course.
  static bool Shows(TFSButton* button, uint32_t colour, int x = 10, int y = 10) {
    if (RunUntil([&] { return Near(WindowPixel(button->Handle(), x, y), colour); }, 3000)) return true;
    ADD_FAILURE() << "shows " << std::hex << WindowPixel(button->Handle(), x, y) << " instead of " << colour;
    return false;
  }
  static POINT At(TWinControl* control, int x, int y) { return platform::testing::ScreenPoint(control->Handle(), x, y); }

  TForm* form = nullptr;
};

TEST_F(Buttons, TheDrawnStateFollowsHoverPressFocusDefaultAndEnabled) {
  TFSButton* button = AddButton();
  TFSButton* other = AddButton(120, 20);
  EXPECT_TRUE(Shows(button, kNormal));

  platform::testing::MouseMove(At(button, 30, 12));
  RunUntilIdle();
  EXPECT_TRUE(button->Hot());
  EXPECT_TRUE(Shows(button, kHot)) << "hot";

  platform::testing::MouseDown(At(button, 30, 12));
  RunUntilIdle();
  EXPECT_TRUE(Shows(button, kPressed)) << "pressed";
  EXPECT_TRUE(button->Focused()) << "a press takes the focus";
  platform::testing::MouseUp(At(button, 30, 12));
  platform::testing::MouseMove(At(form, 300, 180));
  RunUntilIdle();
  EXPECT_FALSE(button->Hot());
  EXPECT_TRUE(Shows(button, kFocused)) << "focused, pointer away";

  other->SetFocus();
  RunUntilIdle();
  EXPECT_TRUE(Shows(button, kNormal));
  button->SetDefault(true);
  RunUntilIdle();
  EXPECT_TRUE(Shows(button, kFocused)) << "the Default button is drawn as focused";

  button->SetEnabled(false);
  RunUntilIdle();
  EXPECT_TRUE(Shows(button, kDisabled)) << "disabled wins over everything";
}

TEST_F(Buttons, APressThatLeavesAndComesBackIsNotPressedAndDoesNotClickOutside) {
  TFSButton* button = AddButton();
  int clicks = 0;
  button->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
  platform::testing::MouseDown(At(button, 30, 12));
  RunUntilIdle();
  EXPECT_TRUE(button->Pressed());
  platform::testing::MouseMove(At(form, 300, 180));
  RunUntilIdle();
  platform::testing::MouseMove(At(button, 30, 12));
  RunUntilIdle();
  EXPECT_TRUE(Shows(button, kHot)) << "back inside: hot, not pressed";
  platform::testing::MouseMove(At(button, 30, 25));  // just below the client area
  platform::testing::MouseUp(At(button, 30, 25));
  RunUntilIdle();
  EXPECT_EQ(clicks, 0) << "released outside";

  platform::testing::Click(At(button, 30, 12));
  RunUntilIdle();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(button->Pressed());
}

TEST_F(Buttons, EnterEscapeAndSpaceClickTheRightButtonAndSetTheFormsModalResult) {
  TFSButton* ok = AddButton(20, 20);
  TFSButton* cancel = AddButton(120, 20);
  TFSButton* plain = AddButton(20, 80);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  std::vector<AnsiString> clicks;
  for (TFSButton* b : {ok, cancel, plain}) b->OnClick = TNotifyEvent([&, b](TObject*) { clicks.push_back(b == ok ? "ok" : b == cancel ? "cancel" : "plain"); });
  auto press = [&](int key, bool shift = false) {
    clicks.clear();
    form->SetModalResult(mrNone);
    if (shift) platform::detail::InjectKey(VK_SHIFT, true);
    platform::testing::KeyPress(key);
    if (shift) platform::detail::InjectKey(VK_SHIFT, false);
    Application->ProcessMessages();
  };

  plain->SetFocus();
  RunUntilIdle();
  press(VK_RETURN);
  EXPECT_EQ(clicks, std::vector<AnsiString>{"plain"}) << "Enter clicks the focused button, not the Default one";
  EXPECT_EQ(form->ModalResult(), mrNone);

  ok->SetFocus();
  RunUntilIdle();
  press(VK_RETURN);
  EXPECT_EQ(clicks, std::vector<AnsiString>{"ok"});
  EXPECT_EQ(form->ModalResult(), mrOk);

  press(VK_ESCAPE);
  EXPECT_EQ(clicks, std::vector<AnsiString>{"cancel"});
  EXPECT_EQ(form->ModalResult(), mrCancel);

  press(VK_RETURN, true);
  press(VK_ESCAPE, true);
  EXPECT_TRUE(clicks.empty()) << "not with a modifier";

  plain->SetFocus();
  ok->SetEnabled(false);
  RunUntilIdle();
  press(VK_RETURN);
  EXPECT_EQ(clicks, std::vector<AnsiString>{"plain"}) << "a disabled Default button does not answer";

  clicks.clear();
  plain->SetFocus();
  RunUntilIdle();
  platform::testing::KeyPress(VK_SPACE);
  Application->ProcessMessages();
  EXPECT_EQ(clicks, std::vector<AnsiString>{"plain"}) << "Space clicks the focused button";
  EXPECT_FALSE(plain->Pressed());
}

TEST_F(Buttons, ReferencesResolveOnlyWhenTheyChange) {
  TFSButton* page = AddButton();
  page->SetSkinName("MainForm(10)");
  EXPECT_TRUE(Shows(page, kPage));
  page->SetSkinPart("MainForm", 14);
  EXPECT_EQ(page->SkinName(), "MainForm(14)");
  EXPECT_TRUE(Shows(page, kCurrentPage));

  // The stored look of an equal reference survives: nothing is resolved or repainted.
  page->SetSkinName("MainForm(14)");
  page->SetTransparent(true);
  ValidateRect(page->Handle(), nullptr);
  page->SetSkinName("MainForm(14)");
  EXPECT_TRUE(page->Transparent());
  EXPECT_FALSE(GetUpdateRect(page->Handle(), nullptr, FALSE));
  page->SetSkinName("MainForm(10)");
  EXPECT_FALSE(page->Transparent()) << "a changed reference resolves, and the part decides";
  EXPECT_TRUE(GetUpdateRect(page->Handle(), nullptr, FALSE));

  page->SetSkinName("Nothing");
  EXPECT_EQ(page->BodyPart(), nullptr);
  RunUntilIdle();
  EXPECT_NE(WindowPixel(page->Handle(), 10, 10), kPage) << "the classic face instead";
}

TEST_F(Buttons, HoverRepaintsOnlyWhenTheSkinHasAHotLook) {
  struct Case {
    const char* skin;
    bool repaint;
  } cases[] = {{"Single", false}, {"Button", true}, {"Nothing", true}};
  for (const Case& c : cases) {
    TFSButton* button = AddButton();
    button->SetSkinName(c.skin);
    RunUntilIdle();
    ValidateRect(button->Handle(), nullptr);
    button->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(GetUpdateRect(button->Handle(), nullptr, FALSE) != FALSE, c.repaint) << c.skin;
    delete button;
  }
}

// The first and last columns and rows of a colour inside a window, as (left, top, right,
// bottom); kText stands for the dark pixels of black text.
constexpr uint32_t kText = 0x1000000;
TRect Ink(HWND wnd, uint32_t colour) {
  const auto image = platform::testing::ReadWindow(wnd);
  auto matches = [&](uint32_t pixel) {
    if (colour != kText) return (pixel & 0xFFFFFF) == colour;
    return ((pixel >> 16) & 0xFF) < 0x30 && ((pixel >> 8) & 0xFF) < 0x30 && (pixel & 0xFF) < 0x30;
  };
  TRect r(image.width, image.height, -1, -1);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (matches(image.At(x, y))) {
        r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x), r.Bottom = std::max(r.Bottom, y);
      }
  return r;
}

TEST_F(Buttons, GlyphAndCaptionArePlacedWithSpacingOnlyWhenBothShow) {
  TFSButton* button = AddButton();
  button->SetSkinName("Single");
  button->SetGlyphSkinName("Glyph");
  RunUntilIdle();
  EXPECT_EQ(Ink(button->Handle(), kGlyph), TRect(33, 8, 40, 15)) << "alone, the 8 x 8 glyph is centred in 75 x 25";

  button->SetCaption("Go");
  button->Font()->SetColor(clBlack);
  RunUntilIdle();
  const TRect glyphLeft = Ink(button->Handle(), kGlyph);
  const TRect textLeft = Ink(button->Handle(), kText);
  ASSERT_GE(textLeft.Right, 0) << "the caption is drawn";
  EXPECT_GE(textLeft.Left - glyphLeft.Right - 1, 4) << "Spacing between glyph and caption";
  EXPECT_LT(textLeft.Left - glyphLeft.Right - 1, 8);

  struct Case {
    TFSButtonLayout layout;
    bool glyphBeforeX, glyphBeforeY;
  } cases[] = {{blGlyphRight, false, false}, {blGlyphTop, false, true}, {blGlyphBottom, false, false}};
  for (const Case& c : cases) {
    button->SetLayout(c.layout);
    button->SetHeight(60);
    RunUntilIdle();
    const TRect glyph = Ink(button->Handle(), kGlyph);
    const TRect text = Ink(button->Handle(), kText);
    if (c.layout == blGlyphRight) EXPECT_GT(glyph.Left, text.Right);
    if (c.layout == blGlyphTop) EXPECT_LT(glyph.Bottom, text.Top);
    if (c.layout == blGlyphBottom) EXPECT_GT(glyph.Top, text.Bottom);
  }

  // A glyph without size inserts no spacing: the caption sits where it sits with no glyph.
  button->SetLayout(blGlyphLeft);
  button->SetGlyphSkinName("");
  RunUntilIdle();
  const TRect alone = Ink(button->Handle(), kText);
  button->SetGlyphSkinName("Nothing");
  RunUntilIdle();
  EXPECT_EQ(Ink(button->Handle(), kText), alone);
}

TEST_F(Buttons, ADisabledButtonGraysAPictureGlyphButNotABitmap) {
  TFSButton* button = AddButton();
  button->SetSkinName("Single");
  WriteCells(folder / "red.bmp", {0xFF0000}, 8);
  platform::testing::Image red{8, 8, std::vector<uint32_t>(64, 0xFFFF0000u)};
  ASSERT_TRUE(platform::testing::SavePng(red, (folder / "red.png").string()));

  struct Case {
    const char* file;
    bool grayed;
  } cases[] = {{"red.png", true}, {"red.bmp", false}};
  for (const Case& c : cases) {
    TPicture picture;
    picture.LoadFromFile(AnsiString((folder / c.file).string()));
    button->SetGlyph(&picture);
    button->SetEnabled(true);
    RunUntilIdle();
    EXPECT_EQ(WindowPixel(button->Handle(), 37, 12), 0xFF0000u) << c.file;
    button->SetEnabled(false);
    RunUntilIdle();
    const uint32_t pixel = WindowPixel(button->Handle(), 37, 12);
    const bool gray = ((pixel >> 16) & 0xFF) == ((pixel >> 8) & 0xFF) && (pixel & 0xFF) == ((pixel >> 8) & 0xFF);
    EXPECT_EQ(gray, c.grayed) << c.file << " drew " << std::hex << pixel;
  }

  TPicture empty;
  button->SetGlyph(&empty);
  EXPECT_EQ(button->Glyph(), nullptr) << "an empty picture frees the glyph";
  button->SetGlyph(nullptr);
  EXPECT_EQ(button->Glyph(), nullptr);
}

}  // namespace
