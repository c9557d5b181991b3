#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "program/skin/DrawUtils.h"
#include "vcl/Form.h"

using namespace skin_test;

namespace {

using SkinAttributes = SkinFixture;

TEST_F(SkinAttributes, LengthsScaleToTheScreenWhereMarked) {
  Screen->SetPixelsPerInch(144);
  EXPECT_EQ(ScaleToScreenDPI(4), 6);
  EXPECT_EQ(ScaleToScreenDPI(-3), -5) << "halves round away from zero";
  int value = 10;
  ScaleToScreenDPIVar(value);
  EXPECT_EQ(value, 15);

  TSkinItem* item = LoadItem("Dpi", "Dpi", R"(<Part>
      <Margins Left="4"/><Padding Left="4"/><Position X="2" Y="2" Width="10" Height="8"/><Font Size="8"/>
      <State Width="4" Height="4"><Margins Left="4"/><Margins Left="4"/><Spaces Left="4"/></State>
      <State Width="4" Height="4"><Margins Left="4" Scale="True"/></State>
    </Part><Part><Margins Left="4" Scale="False"/><Position X="2" Scale="0"/></Part>
    <Slice Id="s" rect="0,0,4,4"><Margins Left="4"/></Slice>)");
  ASSERT_NE(item, nullptr);
  TSkinItemPart* part = item->GetPart(0);
  EXPECT_EQ(part->Margins.Left, 6) << "a part's margins scale by default";
  EXPECT_EQ(part->Padding.Left, 6);
  EXPECT_EQ(part->Position.X, 3);
  EXPECT_EQ(part->Position.Width, 15);
  EXPECT_EQ(part->Position.Height, 12);
  EXPECT_EQ(part->Font.Size, 12);
  EXPECT_EQ(part->GetState(0)->Margins.Left, 4) << "a state's first margins are image pixels";
  EXPECT_EQ(part->GetState(0)->DestMargins.Left, 6);
  EXPECT_EQ(part->GetState(0)->Spaces.Left, 6);
  EXPECT_EQ(part->GetState(1)->Margins.Left, 6);
  EXPECT_EQ(item->GetPart(1)->Margins.Left, 4);
  EXPECT_EQ(item->GetPart(1)->Position.X, 2);
  EXPECT_EQ(item->GetPart(1)->Position.RelPos, TSkinItemPos::NoRule);
}

TEST(SkinItemPosRules, CalcRectPlacesEveryRule) {
  const TRect parent(0, 0, 100, 50);
  struct Case {
    uint8_t relPos;
    TRect expected;
  };
  // X 2, Y 3, X2 4, Y2 5, Width 10, Height 8.
  const Case cases[] = {{0, TRect(2, 3, 12, 11)},   {1, TRect(88, 3, 98, 11)},  {2, TRect(2, 39, 12, 47)},
                        {3, TRect(88, 39, 98, 47)}, {4, TRect(2, 3, 12, 45)},   {5, TRect(2, 3, 96, 11)},
                        {6, TRect(88, 3, 98, 45)},  {7, TRect(2, 39, 96, 47)},  {8, TRect(2, 3, 96, 45)},
                        {9, TRect(2, 3, 12, 11)},   {255, TRect(2, 3, 12, 11)}};
  for (const Case& c : cases) {
    TSkinItemPos pos;
    pos.RelPos = c.relPos;
    pos.X = 2, pos.Y = 3, pos.X2 = 4, pos.Y2 = 5, pos.Width = 10, pos.Height = 8;
    EXPECT_EQ(pos.CalcRect(parent), c.expected) << "RelPos " << int(c.relPos);
  }
}

TEST_F(SkinAttributes, ApplyToControlAnchorsAndSizesInTheParent) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  const int cw = form.ClientWidth(), ch = form.ClientHeight();
  struct Case {
    uint8_t relPos;
    TAnchors anchors;
    TRect bounds;
  };
  // X 2, Y 3, X2 4, Y2 5, Width 10, Height 8 on a control of 20 x 30 at (7, 9).
  const Case cases[] = {
      {0, TAnchors{akLeft, akTop}, TRect(2, 3, 12, 11)},
      {1, TAnchors{akTop, akRight}, TRect(cw - 12, 3, cw - 2, 11)},
      {3, TAnchors{akRight, akBottom}, TRect(cw - 12, ch - 11, cw - 2, ch - 3)},
      {8, TAnchors{akLeft, akTop, akRight, akBottom}, TRect(2, 3, cw - 4, ch - 5)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.relPos));
    TControl control(nullptr);
    control.SetBounds(7, 9, 20, 30);
    control.SetParent(&form);
    TSkinItemPos pos;
    pos.RelPos = c.relPos;
    pos.X = 2, pos.Y = 3, pos.X2 = 4, pos.Y2 = 5, pos.Width = 10, pos.Height = 8;
    pos.ApplyToControl(&control);
    EXPECT_EQ(control.Anchors(), c.anchors);
    EXPECT_EQ(control.BoundsRect(), c.bounds);
    control.SetParent(nullptr);
  }
  TControl orphan(nullptr);
  orphan.SetBounds(7, 9, 20, 30);
  TSkinItemPos widthOnly;
  widthOnly.Width = 80;
  widthOnly.ApplyToControl(&orphan);
  EXPECT_EQ(orphan.BoundsRect(), TRect(7, 9, 87, 39)) << "no parent: only the size the rule names";
}

TEST_F(SkinAttributes, FontsPensBrushesAndFrames) {
  TSkinItem* item = LoadItem("Fnt", "Fnt", R"(
    <Part><Font Color="clRed"/><State Width="1" Height="1"><Pen Style="dash"/><Brush Style="cross"/></State></Part>
    <Part><Font Style="Bold, Underline" Name="Serif" Size="9" Charset="SYMBOL_CHARSET"/>
      <State Width="1" Height="1"><Pen Style="ALTERNATE" Width="3" Color="clBlue"/><Brush Color="clRed"/></State></Part>)");
  ASSERT_NE(item, nullptr);
  TFont font;
  font.SetStyle(TFontStyles{fsItalic});
  font.SetName("Keep");
  item->GetPart(0)->Font.ApplyToFont(&font);
  EXPECT_EQ(font.Color(), clRed);
  EXPECT_EQ(font.Style(), TFontStyles{fsItalic}) << "a font without Style keeps the style";
  EXPECT_EQ(font.Name(), "Keep");
  item->GetPart(1)->Font.ApplyToFont(&font);
  EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(font.Name(), "Serif");
  EXPECT_EQ(font.Size(), 9);
  EXPECT_EQ(font.Charset(), 2);

  TSkinItemState* first = item->GetPart(0)->GetState(0);
  EXPECT_TRUE(first->Pen.IsSet()) << "a dashed pen without colour is set";
  EXPECT_FALSE(first->Brush.IsSet()) << "a brush without colour is not";
  EXPECT_FALSE(first->IsEmpty());
  TSkinItemState* second = item->GetPart(1)->GetState(0);
  EXPECT_EQ(second->Pen.Style, psAlternate);
  TPen pen;
  pen.Assign(&second->Pen);
  EXPECT_EQ(pen.Color(), clBlue);
  EXPECT_EQ(pen.Width(), 3);
  TSkinFont copy;
  copy.Assign(&font);
  EXPECT_TRUE(copy.StyleSet);
  EXPECT_EQ(copy.Name, "Serif");
}

TEST(SkinAnimationFrames, FrameRectStepsAlongTheStrip) {
  TSkinAnimation animation;
  animation.FrameCount = 4;
  const TRect first(0, 0, 16, 16);
  EXPECT_EQ(animation.FrameRect(2, first), TRect(32, 0, 48, 16));
  EXPECT_EQ(animation.FrameRect(4, first), first);
  EXPECT_EQ(animation.FrameRect(-1, first), first);
  animation.Arrange = 1;
  EXPECT_EQ(animation.FrameRect(3, first), TRect(0, 48, 16, 64));
  animation.FrameCount = 1;
  EXPECT_EQ(animation.FrameRect(0, first), first);
}

}  // namespace
