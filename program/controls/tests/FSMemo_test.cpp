// The skinned memo: Clear without a window, the flat frame in BorderColor (shown, printed,
// never painted over by the text), and its scroll bars in the painter's hands.

#include <gtest/gtest.h>

#include "EditTestSupport.h"
#include "program/controls/FSMemo.h"
#include "vcl/Reader.h"
#include "vcl/Writer.h"

using namespace edit_test;
using platform::testing::RunUntilIdle;

namespace {

using MemoSkin = EditFixture;

TEST_F(MemoSkin, ClearWithoutAWindowEmptiesTheLinesAndMakesNone) {
  auto* memo = new TFSMemo(nullptr);
  memo->Lines()->Add("kept");
  memo->Lines()->Add("until cleared");
  memo->Clear();
  EXPECT_EQ(memo->Lines()->Count(), 0);
  EXPECT_FALSE(memo->HandleAllocated());
  delete memo;
}

TEST_F(MemoSkin, FormFilesKeepTheFrameColourAndTheScrollBarSettings) {
  TFSMemo source(nullptr);
  source.SetName("Errors");
  source.SetBorderColor(clRed);
  source.ScrollBar()->SetAddSizeGrid(true);
  source.Lines()->Add("first failure");
  TStringStream stream;
  {
    TWriter writer(&stream, 4096);
    writer.WriteRootComponent(&source);
  }
  TFSMemo read(nullptr);
  TStringStream input(stream.DataString());
  TReader reader(&input, 4096);
  reader.ReadRootComponent(&read);
  EXPECT_EQ(read.BorderColor(), clRed);
  EXPECT_TRUE(read.ScrollBar()->AddSizeGrid());
  EXPECT_EQ(read.Lines()->Count(), 1);
}

TEST_F(MemoSkin, AFlatFrameInBorderColorThatTheTextNeverCovers) {
  auto* memo = new TFSMemo(form);
  memo->SetParent(form);
  memo->SetBounds(10, 10, 150, 80);
  memo->SetCtl3D(false);
  memo->SetBorderColor(clRed);
  memo->SetColor(clWhite);
  memo->Font()->SetColor(clBlack);
  memo->Font()->SetSize(20);
  memo->Lines()->Add("WWWWWWWWWW");
  memo->Lines()->Add("WWWWWWWWWW");
  RunUntilIdle();
  Repaint(memo);
  const platform::testing::Image client = platform::testing::ReadWindow(memo->Handle());
  for (int y = 0; y < client.height; ++y) {
    EXPECT_EQ(client.At(0, y) & 0xFFFFFF, 0xFF0000u) << y;
    EXPECT_EQ(client.At(client.width - 1, y) & 0xFFFFFF, 0xFF0000u) << y;
  }
  for (int x = 0; x < client.width; ++x) EXPECT_EQ(client.At(x, 0) & 0xFFFFFF, 0xFF0000u) << x;

  TBitmap print(memo->Width(), memo->Height(), pf32bit);
  memo->Perform(WM_PRINT, reinterpret_cast<WPARAM>(print.Canvas()->Handle()), PRF_NONCLIENT | PRF_CLIENT);
  EXPECT_EQ(static_cast<uint32_t*>(print.ScanLine(5))[0] & 0xFFFFFF, 0xFF0000u);
}

TEST_F(MemoSkin, ScrollBarsArePaintedByTheSkin) {
  WriteCells(folder / "bars.bmp", {0x00FF00, 0x0000FF, 0xFF00FF});
  std::string parts;
  for (int part = 0; part < 16; ++part) parts += CellPart(part, "bars.bmp", part % 3, 1);
  WriteSkin("ScrollBar", {{"ScrollBar", parts}});
  UseFolder();
  auto* memo = new TFSMemo(form);
  memo->SetParent(form);
  memo->SetBounds(10, 10, 150, 80);
  memo->SetScrollBars(ssVertical);
  for (int i = 0; i < 30; ++i) memo->Lines()->Add("line");
  RunUntilIdle();
  ASSERT_TRUE(memo->ScrollBar()->Attached());
  HWND first = memo->Handle();
  memo->SetWordWrap(false);  // a new window: the painter follows it
  EXPECT_NE(memo->Handle(), first);
  EXPECT_TRUE(memo->ScrollBar()->Attached());
  Repaint(memo);
  // The bar stands at the right edge, inside the border, in the skin's colours.
  const uint32_t bar = FramePixel(memo, memo->Width() - 10, memo->Height() / 2);
  EXPECT_TRUE(bar == 0x00FF00u || bar == 0x0000FFu || bar == 0xFF00FFu) << std::hex << bar;
}

}  // namespace
