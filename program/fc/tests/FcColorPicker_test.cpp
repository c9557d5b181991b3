#include <gtest/gtest.h>

#include <chrono>

#include "platform/testing/Synthetic.h"
#include "platform/testing/Watchdog.h"
#include "program/fc/FcColorPicker.h"
#include "rtl/Exceptions.h"
#include "vcl/Application.h"
#include "vcl/Form.h"
#include "vcl/HintWindow.h"

namespace {

using namespace std::chrono_literals;
namespace pt = platform::testing;

constexpr TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }
// The picture's 0x00RRGGBB of a colour.
uint32_t Shown(TColor c) {
  COLORREF v = ColorToRGB(c);
  return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

class FcColorPickerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetFcColorDialogHook(nullptr);
    SetSysColorFunc(nullptr);
    DoneApplication();
  }
  // A picker without a frame, in a window of its own when `shown`.
  TFcColorPicker* NewPicker(bool framed = false) {
    form = TCustomForm::CreateNew<TForm>(Application);
    form->SetBounds(40, 40, 320, 320);
    auto* picker = new TFcColorPicker(form);
    if (!framed) {
      picker->SetBorderOuter(fsNone);
      picker->SetBorderWidth(0);
    }
    picker->SetBounds(8, 8, 0, 0);
    picker->SetParent(form);
    picker->OnChange = TNotifyEvent([this](TObject*) { ++changes; });
    picker->OnClick = TNotifyEvent([this](TObject*) { ++clicks; });
    return picker;
  }
  void ShowForm() {
    form->Show();
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  POINT At(TFcColorPicker* picker, int x, int y) {
    return pt::ScreenPoint(form->Handle(), picker->Left() + x, picker->Top() + y);
  }

  TForm* form = nullptr;
  int changes = 0;
  int clicks = 0;
};

}  // namespace

TEST_F(FcColorPickerTest, GridLayoutWithAndWithoutFrame) {
  TFcColorPicker* plain = NewPicker();
  EXPECT_EQ(plain->Width(), 144);
  EXPECT_EQ(plain->Height(), 90);
  EXPECT_EQ(plain->CellRect(0), Rect(0, 0, 18, 18));
  EXPECT_EQ(plain->CellRect(39), Rect(126, 72, 144, 90));

  TFcColorPicker* framed = NewPicker(true);
  EXPECT_EQ(framed->ClientRect(), Rect(4, 4, 148, 94)) << "lowered frame and a 2-pixel ring";
  EXPECT_EQ(framed->Width(), 152);
  EXPECT_EQ(framed->Height(), 98);
  EXPECT_EQ(framed->CellRect(0), Rect(4, 4, 22, 22));

  struct Case {
    TFcColorPicker* picker;
    int x, y, index;
  } cases[] = {
      {plain, 0, 0, 0},       {plain, 143, 89, 39},   {plain, 17, 17, 0},      {plain, 18, 0, 1},
      {plain, 0, 18, 8},      {plain, 144, 0, FcCellNothing},
      {framed, 4, 4, 0},      {framed, 21, 21, 0},    // the last pixel of a painted cell is that cell
      {framed, 22, 4, 1},     {framed, 147, 93, 39},  {framed, 3, 3, FcCellNothing},
      {framed, 148, 50, FcCellNothing},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.picker->CellAtPos(c.x, c.y), c.index) << (c.picker == plain ? "plain " : "framed ") << c.x << "," << c.y;
}

TEST_F(FcColorPickerTest, EveryOptionalRow) {
  TFcColorPicker* p = NewPicker();
  p->SetShowNoColor(true);
  p->SetShowDefaultColor(true);
  p->SetShowSystemColors(true);
  p->SetShowCustomColor(true);
  const int hc = -p->Font()->Height() + 12;
  ASSERT_EQ(hc, 23);
  EXPECT_EQ(p->Width(), 144);
  EXPECT_EQ(p->Height(), 90 + 80 + 24 + 24 + 23);
  EXPECT_EQ(p->CellRect(FcCellNone), Rect(0, 0, 144, 23));
  EXPECT_EQ(p->CellRect(FcCellDefault), Rect(0, 23, 144, 46));
  EXPECT_EQ(p->CellRect(FcCellCustom), Rect(121, 218, 144, 241));
  EXPECT_EQ(p->CellRect(FcCellMoreColors), Rect(0, 218, 121, 241));
  EXPECT_EQ(p->CellRect(0), Rect(0, 46, 18, 64));
  EXPECT_EQ(p->CellRect(40), Rect(0, 146, 18, 164)) << "below the gap of 8 pixels and the remainder";
  EXPECT_EQ(p->CellRect(69), Rect(90, 200, 108, 218));

  struct Case {
    int x, y, index;
  } cases[] = {
      {10, 5, FcCellNone},     {10, 22, FcCellNone},   {10, 30, FcCellDefault}, {140, 30, FcCellDefault},
      {0, 46, 0},              {143, 135, 39},         {0, 136, FcCellDead},    {143, 145, FcCellDead},
      {0, 146, 40},            {143, 163, 47},         {100, 210, 69},          {108, 200, FcCellDead},
      {143, 217, FcCellDead},  {121, 230, FcCellCustom}, {120, 230, FcCellMoreColors}, {0, 240, FcCellMoreColors},
  };
  for (const Case& c : cases) EXPECT_EQ(p->CellAtPos(c.x, c.y), c.index) << c.x << "," << c.y;

  // Hiding the rows gives the height back.
  p->SetShowNoColor(false);
  p->SetShowDefaultColor(false);
  p->SetShowCustomColor(false);
  EXPECT_EQ(p->Height(), 170);
  EXPECT_EQ(p->CellRect(FcCellNone), TRect());
  EXPECT_EQ(p->CellAtPos(0, 0), 0);
  p->SetShowSystemColors(false);
  EXPECT_EQ(p->Height(), 90);
  EXPECT_EQ(p->CellAtPos(0, 89), 32);
}

TEST_F(FcColorPickerTest, SelectedColourLookupOrder) {
  SetSysColorFunc([](int index) -> COLORREF {
    if (index == 15) return Rgb(192, 192, 192);  // button face: Gray 25%
    if (index == 13) return Rgb(0, 0, 128);      // highlight: Dark Blue
    return Rgb(index, index, index);
  });
  TFcColorPicker* p = NewPicker();
  p->SetSelectedColor(clBlack);
  EXPECT_EQ(p->SelectedIndex(), 0);
  p->SetSelectedColor(clBtnFace);
  EXPECT_EQ(p->SelectedIndex(), 31) << "without system colours the RGB is looked up";
  p->SetShowSystemColors(true);
  p->SetSelectedColor(clBtnFace);
  EXPECT_EQ(p->SelectedIndex(), 55);
  EXPECT_EQ(p->GetSelectedColor(), clBtnFace);
  p->SetSelectedColor(Rgb(192, 192, 192));
  EXPECT_EQ(p->SelectedIndex(), 31) << "an RGB value matches no system entry exactly";

  p->SetShowDefaultColor(true);
  p->SetSelectedColor(clHighlight);
  EXPECT_EQ(p->SelectedIndex(), FcCellDefault) << "the default colour comes first";
  EXPECT_EQ(p->GetSelectedColor(), clHighlight);
  p->SetShowDefaultColor(false);

  changes = clicks = 0;
  p->SetSelectedColor(Rgb(1, 2, 3));
  EXPECT_EQ(p->SelectedIndex(), FcCellCustom);
  EXPECT_EQ(p->CustomColor(), Rgb(1, 2, 3));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(clicks, 1);
  // A system colour not in the table becomes its RGB as the custom colour.
  p->SetShowSystemColors(false);
  SetSysColorFunc([](int) -> COLORREF { return Rgb(7, 8, 9); });
  p->SetSelectedColor(clInfoBk);
  EXPECT_EQ(p->SelectedIndex(), FcCellCustom);
  EXPECT_EQ(p->CustomColor(), Rgb(7, 8, 9));

  p->SetSelectedColor(clNone);
  EXPECT_EQ(p->SelectedIndex(), FcCellNone);
  EXPECT_EQ(p->GetSelectedColor(), clNone);
}

TEST_F(FcColorPickerTest, SameIndexFiresNothingButTheCustomSwatchFiresAgain) {
  TFcColorPicker* p = NewPicker();
  p->SetSelectedIndex(5);
  p->SetSelectedIndex(5);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(clicks, 0);
  p->SetSelectedIndex(FcCellCustom);
  p->SetSelectedIndex(FcCellCustom);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(clicks, 2);

  // Custom and default colours are stored whether or not their rows show.
  p->SetCustomColor(Rgb(9, 9, 9));
  p->SetDefaultColor(Rgb(8, 8, 8));
  EXPECT_EQ(p->CustomColor(), Rgb(9, 9, 9));
  EXPECT_EQ(p->DefaultColor(), Rgb(8, 8, 8));
  EXPECT_EQ(p->GetSelectedColor(), Rgb(9, 9, 9));
}

TEST_F(FcColorPickerTest, MouseSelectsOnlyOfferedCells) {
  pt::Watchdog watchdog(30s);
  TFcColorPicker* p = NewPicker(true);
  p->SetShowSystemColors(true);
  p->SetShowNoColor(true);
  p->SetShowColorHints(false);
  ShowForm();
  const int hc = 23;

  // The last pixel of the first painted cell picks that cell.
  pt::Click(At(p, 21, 4 + hc + 17));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(p->SelectedIndex(), 0);
  EXPECT_EQ(changes, 1);

  // The gap, the unused system cells and the frame change nothing, by click or by drag.
  const TRect gap(4, 4 + hc + 90, 148, p->CellRect(40).Top);
  for (POINT dead : {At(p, 50, gap.Top + 2), At(p, 4 + 6 * 18 + 3, p->CellRect(64).Top + 3), At(p, 1, 1)}) {
    pt::Click(dead);
    ASSERT_TRUE(pt::RunUntilIdle());
  }
  EXPECT_EQ(p->SelectedIndex(), 0);
  EXPECT_EQ(changes, 1);
  pt::MouseDown(At(p, 10, gap.Top + 1));
  pt::MouseMove(At(p, 130, gap.Top + 3));
  pt::MouseMove(At(p, 146, p->CellRect(64).Top + 3));
  pt::MouseUp(At(p, 146, p->CellRect(64).Top + 3));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(p->SelectedIndex(), 0);
  EXPECT_EQ(changes, 1);

  // A drag selects every offered cell it crosses.
  pt::Drag(At(p, 10, p->CellRect(8).Top + 3), At(p, 10 + 18 * 2, p->CellRect(8).Top + 3), 2);
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(p->SelectedIndex(), 10);

  // "None" comes only from its row; the hot cell follows the mouse.
  pt::Click(At(p, 60, 10));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(p->SelectedIndex(), FcCellNone);
  EXPECT_EQ(p->GetSelectedColor(), clNone);
  pt::MouseMove(At(p, 4 + 18 + 5, p->CellRect(0).Top + 5));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(p->HotIndex(), 1);
  pt::MouseMove(At(p, 50, gap.Top + 2));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(p->HotIndex(), FcCellNothing);
}

TEST_F(FcColorPickerTest, HintNamesTheCellBelowIt) {
  pt::Watchdog watchdog(30s);
  TFcColorPicker* p = NewPicker(true);
  ShowForm();
  SetActiveWindow(form->Handle());
  const TRect blue = p->CellRect(13);
  pt::MouseMove(At(p, blue.Left + 17, blue.Top + 17));
  ASSERT_TRUE(pt::RunUntilIdle());
  THintWindow* hint = p->HintWindow();
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(IsWindowVisible(hint->Handle()));
  EXPECT_EQ(hint->Caption(), "Blue");
  const TPoint corner = p->ClientToScreen(TPoint(blue.Left + 4, blue.Bottom + 12));
  EXPECT_EQ(hint->Left(), corner.X);
  EXPECT_EQ(hint->Top(), corner.Y);

  const TRect white = p->CellRect(39);
  pt::MouseMove(At(p, white.Left + 2, white.Top + 2));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(hint->Caption(), "White");
  pt::MouseMove(At(p, 1, 1));  // the frame: no cell
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_FALSE(IsWindowVisible(hint->Handle()));
}

TEST_F(FcColorPickerTest, MoreColoursRunsTheInstalledDialog) {
  pt::Watchdog watchdog(30s);
  TFcColorPicker* p = NewPicker(true);
  auto* custom = new TFcCustomColors(form);
  p->SetCustomColors(custom);
  p->SetShowCustomColor(true);
  p->SetShowColorHints(false);
  p->SetSelectedColor(clRed);
  ShowForm();
  changes = clicks = 0;

  TColor offered = 0;
  AnsiString firstLine;
  bool answer = false;
  SetFcColorDialogHook([&](TColor& color, TStrings* lines, TColorDialogOptions options) {
    offered = color;
    firstLine = lines->Strings(0);
    EXPECT_EQ(options, TColorDialogOptions{cdFullOpen});
    color = Rgb(10, 20, 30);
    lines->Put(0, "ColorA=abc");
    return answer;
  });
  const TRect more = p->CellRect(FcCellMoreColors);
  pt::Click(At(p, more.Left + 10, more.Top + 5));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(offered, Rgb(255, 0, 0));
  EXPECT_EQ(firstLine, "ColorA=FFFFFF");
  EXPECT_EQ(changes, 0) << "cancelled: nothing changes";
  EXPECT_EQ(custom->Colors()->Strings(0), "ColorA=FFFFFF");

  answer = true;
  pt::Click(At(p, more.Left + 10, more.Top + 5));
  ASSERT_TRUE(pt::RunUntilIdle());
  EXPECT_EQ(p->SelectedIndex(), FcCellCustom);
  EXPECT_EQ(p->CustomColor(), Rgb(10, 20, 30));
  EXPECT_EQ(custom->Colors()->Strings(0), "ColorA=000ABC");
  EXPECT_EQ(changes, 1);
  // One for the custom swatch, one for the button-up of this click (a modal dialog would
  // have taken the button-up).
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(p->HotIndex(), FcCellNothing);

  // Custom colour lines the dialog spoils reach the caller; nothing else changes.
  SetFcColorDialogHook([](TColor& color, TStrings* lines, TColorDialogOptions) {
    color = Rgb(1, 1, 1);
    lines->Put(1, "ColorB=xyz");
    return true;
  });
  EXPECT_THROW(p->ShowColorDialog(), EConvertError);
  EXPECT_EQ(p->CustomColor(), Rgb(10, 20, 30));
  EXPECT_EQ(custom->Colors()->Strings(1), "ColorB=FFFFFF");

  // The custom colours component may go first.
  delete custom;
  EXPECT_EQ(p->CustomColors(), nullptr);
}

TEST_F(FcColorPickerTest, PaintsCellsSelectionAndNewSystemColours) {
  pt::Watchdog watchdog(30s);
  TFcColorPicker* p = NewPicker(true);
  p->SetShowNoColor(true);
  p->SetShowDefaultColor(true);
  p->SetShowSystemColors(true);
  p->SetShowCustomColor(true);
  p->SetSelectedColor(clBtnFace);
  ShowForm();
  auto image = pt::ReadWindow(form->Handle());
  auto at = [&](const TRect& cell, int dx, int dy) {
    return image.At(p->Left() + cell.Left + dx, p->Top() + cell.Top + dy) & 0xFFFFFF;
  };
  const TRect red = p->CellRect(16), face = p->CellRect(55);
  EXPECT_EQ(at(red, 9, 9), Shown(clRed));
  EXPECT_EQ(at(red, 0, 0), Shown(clWindow));
  EXPECT_EQ(at(face, 9, 9), Shown(clBtnFace));
  EXPECT_EQ(at(face, 0, 0), Shown(clHighlight)) << "the selected cell is outlined";
  EXPECT_EQ(at(p->CellRect(FcCellCustom), 11, 11), Shown(clWhite));
  EXPECT_EQ(at(p->CellRect(FcCellDefault), p->CellRect(FcCellDefault).Width() - 11, 11), Shown(clHighlight));
  pt::SaveWindowPng(form->Handle(), ::testing::TempDir() + "fc_picker.png");

  // New system colours show at the next paint.
  SetSysColorFunc([](int index) -> COLORREF { return index == 15 ? Rgb(200, 30, 30) : GetSysColor(index); });
  p->Perform(CM_SYSCOLORCHANGE);
  ASSERT_TRUE(pt::RunUntilIdle());
  image = pt::ReadWindow(form->Handle());
  EXPECT_EQ(at(face, 9, 9), 0xC81E1Eu);
}
