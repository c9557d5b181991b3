// The skinned edit: the item reference and its layout rule, re-creation against frame redraw
// on a skin change, the frame's states, and the skin behind the text only while the edit
// does not have the focus.

#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "program/controls/FSEdit.h"

using namespace edit_test;
using platform::testing::RunUntilIdle;

namespace {

using EditSkin = EditFixture;

TEST_F(EditSkin, TheReferenceNamesAWholeItemAndItsLayoutFollowsItsParts) {
  const std::string button3 = CellPart(0, "edit.bmp", 4, 3, "Name=\"button\"");
  const std::string button2 = CellPart(0, "edit.bmp", 4, 2, "Name=\"Button\"");
  const std::string knob3 = CellPart(0, "edit.bmp", 4, 3, "Name=\"Knob\"");
  const std::string glyph = CellPart(1, "glyph.bmp", 0, 1, "", 4);
  // Each item in a file of its name, read when the item is first asked for.
  const std::pair<std::string, std::string> items[] = {
      {"FramedButton", button3 + glyph + CellPart(2, "edit.bmp", 0, 4, "Name=\"Frame\"")},
      {"FewStates", button3 + glyph + CellPart(2, "edit.bmp", 0, 2)},
      {"ManyStates", button3 + glyph + CellPart(2, "edit.bmp", 0, 4)},
      {"TwoStateButton", button2 + glyph + CellPart(2, "edit.bmp", 0, 4, "Name=\"Frame\"")},
      {"NotAButton", knob3 + glyph + CellPart(2, "edit.bmp", 0, 4, "Name=\"Frame\"")},
      {"TwoParts", button3 + glyph}};
  for (const auto& item : items) WriteSkin(item.first, {item});
  UseFolder();
  auto* edit = Add<TFSEdit>(10, 10);
  struct Case {
    const char* item;
    bool buttonLayout;
  } cases[] = {{"FramedButton", true}, {"FewStates", true},   {"ManyStates", false},
               {"TwoStateButton", false}, {"NotAButton", false}, {"TwoParts", false}, {"Edit", false}};
  for (const Case& c : cases) {
    edit->SetSkinName(c.item);
    EXPECT_EQ(edit->ButtonLayout(), c.buttonLayout) << c.item;
  }
  // The frame of a button-layout item is its third part.
  edit->SetSkinName("FramedButton");
  Repaint(edit);
  EXPECT_EQ(FramePixel(edit, 0, 10), kFrame);

  edit->SetSkinName("BrowseEdit(3)");
  EXPECT_EQ(edit->SkinName(), "BrowseEdit");
  EXPECT_EQ(edit->SkinItem(), nullptr);
}

TEST_F(EditSkin, ASkinChangeRecreatesOnlyWhenTheItemComesOrGoes) {
  auto* edit = Add<TFSEdit>(10, 10);
  const auto bare = FreshFolder("bare");
  WriteSkin("Controls", {{"Panel", CellPart(0, "edit.bmp", 0, 1)}}, bare);
  struct Step {
    bool withItem;
    bool recreated;
  } steps[] = {{true, false}, {false, true}, {false, false}, {true, true}};
  for (const Step& s : steps) {
    UseFolder(s.withItem ? folder : bare);
    HWND before = edit->Handle();
    edit->Perform(CM_SKINCHANGED);
    EXPECT_EQ(edit->Handle() != before, s.recreated) << s.withItem;
    EXPECT_EQ(edit->SkinItem() != nullptr, s.withItem);
  }
  // The setter forgets the item it had: another item means a new window.
  HWND before = edit->Handle();
  edit->SetSkinName("ButtonEdit");
  EXPECT_NE(edit->Handle(), before);
}

TEST_F(EditSkin, TheFrameShowsTheStatesAndTheSkinShowsBehindTheTextUntilFocused) {
  auto* edit = Add<TFSEdit>(10, 10);
  auto* other = Add<TFSEdit>(10, 50);
  edit->SetText("ab");
  Repaint(edit);
  const int inside = edit->Width() - 8;  // client area, clear of the text
  EXPECT_EQ(FramePixel(edit, 0, 10), kFrame);
  EXPECT_EQ(FramePixel(edit, inside, 10), kFrame) << "the skin behind the text";

  platform::testing::MouseMove(Screen(edit, inside, 10));
  RunUntilIdle();
  Repaint(edit);
  EXPECT_EQ(FramePixel(edit, 0, 10), kFrameHot);
  platform::testing::MouseDown(Screen(edit, inside, 10));
  RunUntilIdle();
  EXPECT_TRUE(edit->Pressed());
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(FramePixel(edit, 0, 10), kFramePressed) << "a press redraws at once";
  EXPECT_EQ(FramePixel(edit, inside, 10), 0xFFFFFFu) << "focused: the plain colour";
  platform::testing::MouseUp(Screen(edit, inside, 10));
  RunUntilIdle();
  EXPECT_FALSE(edit->Pressed());

  other->SetFocus();
  edit->SetEnabled(false);
  Repaint(edit);
  EXPECT_EQ(FramePixel(edit, 0, 10), kFrameDisabled);

  // Without Ctl3D the frame is one flat line in BorderColor.
  other->SetCtl3D(false);
  other->SetBorderColor(clRed);
  Repaint(other);
  EXPECT_EQ(FramePixel(other, 0, 10), 0xFF0000u);
  EXPECT_EQ(other->FrameWidth(), 1);
}

TEST_F(EditSkin, WithoutAnItemTheClassicFrameAndTheOwnColour) {
  auto* edit = Add<TFSEdit>(10, 10);
  edit->SetSkinName("Missing");
  edit->SetColor(clYellow);
  Repaint(edit);
  EXPECT_EQ(FramePixel(edit, edit->Width() - 8, 10), 0xFFFF00u);
  EXPECT_NE(FramePixel(edit, 0, 10), kFrame);
  // Printing draws the frame and the text.
  edit->SetSkinName("Edit");
  edit->SetText("WWWW");
  TBitmap print(edit->Width(), edit->Height(), pf32bit);
  edit->Perform(WM_PRINT, reinterpret_cast<WPARAM>(print.Canvas()->Handle()), PRF_NONCLIENT | PRF_CLIENT);
  EXPECT_EQ(static_cast<uint32_t*>(print.ScanLine(10))[0] & 0xFFFFFF, kFrame);
  bool ink = false;
  for (int x = 2; x < 40; ++x) ink = ink || (static_cast<uint32_t*>(print.ScanLine(10))[x] & 0xFFFFFF) == 0;
  EXPECT_TRUE(ink);
}

}  // namespace
