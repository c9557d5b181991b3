// The skinned combo box: the roles of the skin item's parts under either layout, the drop
// button's hover and dropped states, the skin under the edit text lined up with the edit
// child wherever it sits, BeginUpdate keeping the selection in every style, and the skin
// reference's storing rule.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "platform/comctl/ComboBox.h"
#include "platform/comctl/Edit.h"
#include "program/controls/FSComboBox.h"
#include "vcl/TypInfo.h"

using namespace controls_test;
using platform::testing::RunUntil;
using platform::testing::RunUntilIdle;

namespace {

// Cells of the test skin: frame, face normal, hot, pressed, glyph.
constexpr uint32_t kFrame = 0x30A030, kFace = 0xC0C0C0, kFaceHot = 0xFFFF00, kFacePressed = 0xFF8000,
                   kGlyph = 0x0000FF, kFrameEdge = 0x802020;

// A glyph state of 6 x 4 pixels out of the glyph cell.
std::string GlyphPart(int id, int cell) {
  return "<Part id=\"" + std::to_string(id) + "\"><Graphic Name=\"cells.bmp\"/><State Left=\"" +
         std::to_string(cell * 20) + "\" Top=\"0\" Width=\"6\" Height=\"4\"/></Part>";
}

class ComboBoxes : public ControlsFixture {
 protected:
  void SetUp() override {
    ControlsFixture::SetUp();
    WriteCells(folder / "cells.bmp", {kFrame, kFace, kFaceHot, kFacePressed, kGlyph});
    // A frame whose 4-pixel edge differs from its inside, so a shifted copy shows.
    TBitmap edged(20, 20, pf32bit);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        const bool edge = x < 4 || y < 4 || x >= 16 || y >= 16;
        static_cast<uint32_t*>(edged.ScanLine(y))[x] = 0xFF000000u | (edge ? kFrameEdge : kFrame);
      }
    edged.SaveToFile(AnsiString((folder / "edged.bmp").string()));
    // Standard layout: frame 0, face 1, glyph 2.
    WriteSkin("Controls", {{"ComboBox", CellPart(0, "cells.bmp", 0, 1) + CellPart(1, "cells.bmp", 1, 3) + GlyphPart(2, 4)},
                           // Button first: face 0, glyph 1, frame 2.
                           {"ButtonFirst", "<Part id=\"0\" Name=\"Button\" FillMode=\"stretch\"><Graphic Name=\"cells.bmp\"/>"
                                           "<State Left=\"20\" Top=\"0\" Width=\"20\" Height=\"20\"/>"
                                           "<State Left=\"40\" Top=\"0\" Width=\"20\" Height=\"20\"/>"
                                           "<State Left=\"60\" Top=\"0\" Width=\"20\" Height=\"20\"/></Part>" +
                                               GlyphPart(1, 4) + CellPart(2, "cells.bmp", 0, 1)},
                           {"Edged", "<Part id=\"0\" FillMode=\"stretch\"><Graphic Name=\"edged.bmp\"/><State Left=\"0\" "
                                     "Top=\"0\" Width=\"20\" Height=\"20\"><Margins Left=\"4\" Top=\"4\" Right=\"4\" "
                                     "Bottom=\"4\"/></State></Part>" +
                                         CellPart(1, "cells.bmp", 1, 3) + GlyphPart(2, 4)}});
    UseFolder();
    form = MakeForm();
  }

  TFSComboBox* AddCombo(TComboBoxStyle style, const AnsiString& skin = "ComboBox") {
    auto* combo = new TFSComboBox(form);
    combo->SetStyle(style);
    combo->SetSkinName(skin);
    combo->SetParent(form);
    combo->SetBounds(20, 20, 120, 22);
    for (const char* item : {"One", "Two", "Three"}) combo->Items()->Add(item);
    RunUntilIdle();
    return combo;
  }
  static bool Shows(HWND wnd, int x, int y, uint32_t colour) {
    if (RunUntil([&] { return Near(WindowPixel(wnd, x, y), colour); }, 3000)) return true;
    ADD_FAILURE() << "shows " << std::hex << WindowPixel(wnd, x, y) << " instead of " << colour;
    return false;
  }
  static POINT At(TWinControl* control, int x, int y) { return platform::testing::ScreenPoint(control->Handle(), x, y); }

  TForm* form = nullptr;
};

TEST_F(ComboBoxes, EitherLayoutDrawsFrameFaceAndGlyphFromTheirParts) {
  struct Case {
    const char* skin;
    bool buttonSeparate;
  };
  for (const Case& c : {Case{"ComboBox", false}, Case{"ButtonFirst", true}}) {
    SCOPED_TRACE(c.skin);
    TFSComboBox* combo = AddCombo(csDropDownList, c.skin);
    EXPECT_EQ(combo->ButtonSeparate(), c.buttonSeparate);
    const TRect button = combo->ButtonRect();
    HWND wnd = combo->Handle();
    EXPECT_TRUE(Shows(wnd, 1, 11, kFrame)) << "the whole control";
    EXPECT_TRUE(Shows(wnd, button.Left + 2, button.Top + 2, kFace)) << "the button face";
    EXPECT_TRUE(Shows(wnd, (button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2, kGlyph))
        << "the glyph, centred";
    EXPECT_EQ(GetWindowLongPtrA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0) << "no client edge";
    delete combo;
  }
}

TEST_F(ComboBoxes, TheButtonShowsHoverAndTheDroppedList) {
  TFSComboBox* combo = AddCombo(csDropDown);
  combo->SetItemIndex(2);
  RunUntilIdle();
  const TRect button = combo->ButtonRect();
  HWND wnd = combo->Handle();
  const int faceX = button.Left + 2, faceY = button.Top + 2;
  EXPECT_TRUE(Shows(wnd, faceX, faceY, kFace));
  // Whether the edit shows its text: some pixel of it is dark.
  auto editShowsText = [&] {
    const auto image = platform::testing::ReadWindow(combo->EditHandle());
    for (uint32_t pixel : image.pixels)
      if ((pixel & 0xFF) < 0x60 && ((pixel >> 8) & 0xFF) < 0x60) return true;
    return false;
  };
  EXPECT_TRUE(editShowsText());

  platform::testing::MouseMove(At(combo, faceX + 1, faceY + 3));
  RunUntilIdle();
  EXPECT_TRUE(combo->Hot());
  EXPECT_TRUE(Shows(wnd, faceX, faceY, kFaceHot));
  RunUntil([] { return false; }, 400);
  EXPECT_TRUE(editShowsText()) << "the hover leaves the edit's text alone";
  EXPECT_EQ(combo->Text(), "Three");

  platform::testing::MouseMove(At(combo, 10, 10));
  RunUntilIdle();
  EXPECT_FALSE(combo->Hot()) << "the text field is not the button";
  EXPECT_TRUE(Shows(wnd, faceX, faceY, kFace));

  combo->SetDroppedDown(true);
  RunUntilIdle();
  EXPECT_TRUE(combo->DroppedDown());
  EXPECT_TRUE(Shows(wnd, faceX, faceY, kFacePressed)) << "dropped";
  combo->SetDroppedDown(false);
  RunUntilIdle();
  EXPECT_TRUE(Shows(wnd, faceX, faceY, kFace)) << "closed";
}

TEST_F(ComboBoxes, TheSkinUnderTheEditTextFollowsTheEditChildsPlace) {
  TFSComboBox* combo = AddCombo(csDropDown, "Edged");
  combo->SetColor(clNone);
  HWND edit = combo->EditHandle();
  ASSERT_NE(edit, nullptr);
  combo->SetText("");
  // The edit sits elsewhere than the usual (3, 3): its first pixel lies inside the frame's
  // edge; drawn from (3, 3) it would show the edge.
  MoveWindow(edit, 6, 6, 60, 12, TRUE);
  RunUntilIdle();
  EXPECT_TRUE(Shows(edit, 0, 0, kFrame)) << "combo pixel (6, 6)";
  MoveWindow(edit, 3, 3, 60, 12, TRUE);
  RunUntilIdle();
  EXPECT_TRUE(Shows(edit, 0, 0, kFrameEdge)) << "combo pixel (3, 3)";

  combo->SetColor(clWhite);
  InvalidateRect(edit, nullptr, TRUE);
  RunUntilIdle();
  EXPECT_TRUE(Shows(edit, 2, 2, 0xFFFFFF)) << "with a colour the field is plain";

  combo->SetReadOnly(true);
  EXPECT_TRUE(GetWindowLongPtrW(combo->EditHandle(), GWL_STYLE) & platform::ES_READONLY);
  combo->SetBorderStyle(bsNone);  // a new window
  RunUntilIdle();
  EXPECT_NE(combo->EditHandle(), edit);
  EXPECT_TRUE(GetWindowLongPtrW(combo->EditHandle(), GWL_STYLE) & platform::ES_READONLY) << "kept by the new edit";
}

TEST_F(ComboBoxes, BeginUpdateKeepsTheSelectionInEveryStyle) {
  for (TComboBoxStyle style : {csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable}) {
    SCOPED_TRACE(static_cast<int>(style));
    TFSComboBox* combo = AddCombo(style);
    combo->SetItemIndex(1);
    combo->Items()->BeginUpdate();
    combo->Items()->Clear();
    for (const char* item : {"Alpha", "Beta", "Gamma", "Delta"}) combo->Items()->Add(item);
    combo->Items()->EndUpdate();
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Items()->Get(combo->ItemIndex()), "Beta");
    delete combo;
  }
}

TEST_F(ComboBoxes, TheSkinNameDropsAPartIdAndIsStoredOnlyWhenItDiffers) {
  TFSComboBox* combo = AddCombo(csDropDownList);
  const TPropInfo* prop = GetPropInfo(combo, "SkinName");
  ASSERT_NE(prop, nullptr);
  combo->SetSkinName("ComboBox(3)");
  EXPECT_EQ(combo->SkinName(), "ComboBox");
  EXPECT_FALSE(IsStoredProp(combo, prop));
  combo->SetSkinName("Missing");
  EXPECT_EQ(combo->SkinItem(), nullptr);
  EXPECT_TRUE(IsStoredProp(combo, prop));
  combo->Invalidate();
  RunUntilIdle();  // the standard paint without a skin
  combo->SetSkinName("ButtonFirst");
  EXPECT_NE(combo->SkinItem(), nullptr);
}

}  // namespace
