#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "program/skin/SkinSlice.h"
#include "vcl/Control.h"

using namespace skin_test;

namespace {

using SkinSlices = SkinFixture;

// A 2 x 1 image: an opaque red pixel and a transparent (premultiplied black) one.
std::unique_ptr<TBitmap> AlphaImage() {
  return MakeImage(2, 1, [](int x, int) { return x == 0 ? 0xFFFF0000u : 0x00000000u; });
}

std::unique_ptr<TBitmap> OpaqueImage24() {
  auto image = std::make_unique<TBitmap>(2, 1, pf24bit);
  auto* row = static_cast<uint8_t*>(image->ScanLine(0));
  const uint8_t pixels[] = {0, 0, 255, 0, 0, 0};  // red, black (blue, green, red)
  std::memcpy(row, pixels, sizeof(pixels));
  return image;
}

TEST_F(SkinSlices, SlicesDrawWithAlphaColourKeyOrOpaque) {
  WriteSkin("S.xml", R"(<Skin>
    <Item name="A"><Graphic Name="alpha.bmp"/><Slice Id="s" rect="0,0,2,1"/></Item>
    <Item name="O"><Graphic Name="opaque.bmp"/><Slice Id="s" rect="0,0,2,1"/></Item>
    <Item name="K"><Graphic Name="alpha.bmp"/><Slice Id="s" rect="0,0,2,1" TransparentColor="clRed"/></Item>
    <Item name="N"><Slice Id="s" rect="0,0,2,1"/></Item></Skin>)");
  UseFolder();
  ASSERT_TRUE(SkinEngine->LoadSkinFile("S"));
  SkinEngine->AddSharedImage("alpha.bmp", AlphaImage());
  SkinEngine->AddSharedImage("opaque.bmp", OpaqueImage24());
  auto draw = [&](const char* item) {
    Surface surface(2, 1);
    surface.canvas()->StretchDraw(TRect(0, 0, 2, 1), SkinEngine->FindSkinItem(item)->Slices->Items(0));
    return std::make_pair(surface.Pixel(0, 0), surface.Pixel(1, 0));
  };
  EXPECT_EQ(draw("A"), std::make_pair(0xFF0000u, 0xFFFFFFu)) << "32 bits: with its alpha";
  EXPECT_EQ(draw("O"), std::make_pair(0xFF0000u, 0x000000u)) << "24 bits: opaque";
  EXPECT_EQ(draw("K"), std::make_pair(0xFFFFFFu, 0x000000u)) << "colour key; alpha made opaque";
  EXPECT_EQ(draw("N"), std::make_pair(0xFFFFFFu, 0xFFFFFFu)) << "no image: nothing";

  TBitmap copy(3, 3, pf32bit);
  copy.Assign(SkinEngine->FindSkinItem("N")->Slices->Items(0));
  EXPECT_EQ(copy.Width(), 3) << "left unchanged without an image";
  copy.Assign(SkinEngine->FindSkinItem("K")->Slices->Items(0));
  EXPECT_EQ(copy.Width(), 2);
  EXPECT_EQ(copy.Height(), 1);
  EXPECT_EQ(copy.TransparentColor(), clRed);
  EXPECT_EQ(static_cast<uint32_t*>(copy.ScanLine(0))[0] & 0xFFFFFF, 0xFF0000u);
}

TEST_F(SkinSlices, CopiesCompareBySizeNameAndOwner) {
  TSkinItem* item = LoadItem("Eq", "Eq", R"(<Slice Id="a" Left="1" Top="2" Width="3" Height="4" TransparentColor="clLime">
      <Margins Left="1"/></Slice>)");
  ASSERT_NE(item, nullptr);
  TSkinItemSlice* slice = item->Slices->Items(0);
  EXPECT_EQ(slice->Width(), 3);
  EXPECT_EQ(slice->Height(), 4);
  TSkinItemSlice copy(item);
  copy.Assign(slice);
  EXPECT_TRUE(copy.Equals(slice));
  EXPECT_EQ(copy.TransparentColor, clLime);
  EXPECT_EQ(copy.Margins.Left, 1);
  copy.SetWidth(5);
  EXPECT_EQ(copy.Rect.Right, 6);
  EXPECT_FALSE(copy.Equals(slice));
  TSkinItemSlice stranger(nullptr);
  stranger.Assign(slice);
  EXPECT_FALSE(stranger.Equals(slice)) << "another owner";
  EXPECT_FALSE(TSkinItemSlice(item).Equals(slice));
  EXPECT_TRUE(TSkinItemSlice(item).Empty());
}

TEST_F(SkinSlices, ControlSkinPartsHoldAReference) {
  WriteSkin("Controls.xml", R"(<Skin><Item name="Button"><Part><State Width="2" Height="2"/></Part>
      <Part id="3"><State Width="2" Height="2"/></Part></Item></Skin>)");
  UseFolder();
  TControl control(nullptr);
  TControlSkinPart record;
  record.Init(&control);
  record.SetSkin("Button", 0);
  ASSERT_TRUE(record.HasPart());
  TSkinItemPart* first = record.Part;
  EXPECT_EQ(record.GetSkinName(), "Button");
  record.SetSkinName("Button");
  EXPECT_EQ(record.Part, first) << "the same reference changes nothing";
  record.SetSkinName("Button(3)");
  EXPECT_EQ(record.SkinName, "Button");
  EXPECT_EQ(record.PartId, 3);
  EXPECT_EQ(record.Part, first) << "resolved only by UpdatePart";
  record.UpdatePart();
  EXPECT_EQ(record.Part->Id, 3);
  record.SetSkinName("Nothing(2)");
  record.UpdatePart();
  EXPECT_FALSE(record.HasPart());

  record.UpdateAnimation(nullptr, true);
  ASSERT_NE(record.Animator, nullptr);
  EXPECT_EQ(record.Animator->FrameCount, 1);
  EXPECT_FALSE(record.Animator->Running);
  record.Clear();
  EXPECT_EQ(record.GetSkinName(), "");
  record.Done();
  EXPECT_EQ(record.Animator, nullptr);
}

}  // namespace
