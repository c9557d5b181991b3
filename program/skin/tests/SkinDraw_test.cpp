#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "platform/gdi/Regions.h"
#include "platform/gdi/WinGdi.h"
#include "program/skin/SkinDraw.h"

using namespace skin_test;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xFF0000;    // as read back: 0x00RRGGBB
constexpr uint32_t kGreen = 0x00FF00;

using SkinDraw = SkinFixture;

std::string Picture(std::initializer_list<const char*> rows) {
  std::string text;
  for (const char* row : rows) text += std::string(row) + "\n";
  return text;
}

TEST_F(SkinDraw, DrawnRectanglesIncludeTheirEdgesUnlessAShadowTakesThem) {
  TSkinItem* item = LoadItem("Box", "Box", R"(<Part>
      <State type="box" Left="0" Top="0" Right="4" Bottom="3"><Pen Color="clBlack"/><Brush Color="clBlack"/></State>
      <State type="box" Left="0" Top="0" Right="4" Bottom="3"><Pen Color="clBlack"/><Brush Color="clBlack"/>
        <Shadow X="2" Y="0" Color="clLime"/></State>
      <State type="rectangle" Left="0" Top="0" Right="4" Bottom="3"><Pen Color="clBlack"/><Brush Style="clear"/><Frame top="True"/></State>
    </Part>)");
  ASSERT_NE(item, nullptr);
  {
    Surface surface(8, 6);
    EXPECT_FALSE(item->GetPart(0)->GetState(0)->Draw(surface.canvas(), TRect(1, 1, 5, 4))) << "drawn states report false";
    EXPECT_EQ(surface.Rows(8, 6, kBlack), Picture({"........", ".#####..", ".#####..", ".#####..", ".#####..", "........"}));
  }
  {
    Surface surface(10, 6);
    item->GetPart(0)->GetState(1)->Draw(surface.canvas(), TRect(1, 1, 5, 4));
    EXPECT_EQ(surface.Rows(10, 6, kBlack),
              Picture({"..........", ".####.....", ".####.....", ".####.....", ".####.....", ".........."}))
        << "right edge exclusive, bottom inclusive";
    EXPECT_EQ(surface.Pixel(5, 1), kGreen) << "the shadow shows beside it";
    EXPECT_EQ(surface.Pixel(6, 4), kGreen);
    EXPECT_EQ(surface.Pixel(7, 1), kWhite);
  }
  {
    Surface surface(8, 6);
    item->GetPart(0)->GetState(2)->Draw(surface.canvas(), TRect(1, 1, 5, 4));
    EXPECT_EQ(surface.Rows(8, 6, kBlack), Picture({"........", ".####...", "........", "........", "........", "........"}))
        << "a single top line";
  }
}

class SkinImageDraw : public SkinFixture {
 protected:
  // An item over a 16 x 16 red image with a 10 x 10 green one beside it.
  TSkinItem* Load(const std::string& parts) {
    TSkinItem* item = LoadItem("Img", "Img", R"(<Graphic Name="img.bmp"/>)" + parts);
    SkinEngine->AddSharedImage("img.bmp", MakeImage(26, 16, [](int x, int y) {
      return x < 16 ? 0xFFFF0000u : y < 10 ? 0xFF00FF00u : 0xFF0000FFu;
    }));
    return item;
  }
};

TEST_F(SkinImageDraw, CentredImagesLandInTheMiddleOrShrinkOrAreSkipped) {
  TSkinItem* item = Load(R"(<Part><State Width="16" Height="16"/></Part>)");
  TSkinItemState* state = item->GetPart(0)->GetState(0);
  {
    Surface surface(40, 30);
    EXPECT_TRUE(state->Draw(surface.canvas(), TRect(0, 0, 40, 30), 0, 0, nullptr, true));
    EXPECT_EQ(surface.Pixel(12, 7), kRed);
    EXPECT_EQ(surface.Pixel(11, 7), kWhite);
    EXPECT_EQ(surface.Pixel(12, 6), kWhite);
    EXPECT_EQ(surface.Pixel(27, 22), kRed);
    EXPECT_EQ(surface.Pixel(28, 22), kWhite);
  }
  {
    Surface surface(10, 10);
    EXPECT_FALSE(state->Draw(surface.canvas(), TRect(0, 0, 10, 10), 0, 0, nullptr, true, true));
    EXPECT_EQ(surface.Rows(10, 10, kWhite, '.').find('#'), std::string::npos) << "nothing drawn";
    EXPECT_TRUE(state->Draw(surface.canvas(), TRect(0, 0, 10, 10), 0, 0, nullptr, true, false));
    EXPECT_EQ(surface.Pixel(0, 0), kWhite);
    EXPECT_EQ(surface.Pixel(1, 1), kRed);
    EXPECT_EQ(surface.Pixel(8, 8), kRed);
    EXPECT_EQ(surface.Pixel(9, 9), kWhite) << "stretched into (1, 1, 9, 9)";
  }
}

TEST_F(SkinImageDraw, TilesRunPastTheTargetAndZeroDivisorsDrawNothing) {
  TSkinItem* item = Load(R"(<Part FillMode="tile"><State Left="16" Top="0" Width="10" Height="10"/></Part>
      <Part FillMode="tile"><State Left="16" Top="0" Width="0" Height="10"/></Part>
      <Part FillMode="HCenterTile"><State Left="0" Top="0" Width="16" Height="16"><Margins Left="8" Right="8"/></State></Part>
      <Part FillMode="VCenterTile"><State Left="0" Top="0" Width="16" Height="16"><Margins Top="9" Bottom="9"/></State></Part>)");
  {
    Surface surface(40, 30);
    EXPECT_TRUE(item->GetPart(0)->GetState(0)->Draw(surface.canvas(), TRect(0, 0, 25, 10)));
    EXPECT_EQ(surface.Pixel(29, 19), kGreen) << "3 columns and 2 rows";
    EXPECT_EQ(surface.Pixel(30, 0), kWhite);
    EXPECT_EQ(surface.Pixel(0, 20), kWhite);
  }
  for (int part = 1; part <= 3; ++part) {
    SCOPED_TRACE(part);
    Surface surface(40, 30);
    EXPECT_FALSE(item->GetPart(part)->GetState(0)->Draw(surface.canvas(), TRect(0, 0, 40, 30)));
    EXPECT_EQ(surface.Pixel(20, 15), kWhite);
    EXPECT_EQ(surface.Pixel(0, 0), kWhite);
  }
}

TEST_F(SkinImageDraw, HorizontalCentreTilesRepeatTheMiddle) {
  TSkinItem* item = LoadItem("Strip", "Strip", R"(<Graphic Name="strip.bmp"/><Part FillMode="HCenterTile">
      <State Width="6" Height="2"><Margins Left="2" Right="2"/></State></Part>)");
  // Columns: two black, one red, one green, two black.
  SkinEngine->AddSharedImage("strip.bmp", MakeImage(6, 2, [](int x, int) {
    return x == 2 ? 0xFFFF0000u : x == 3 ? 0xFF00FF00u : 0xFF000000u;
  }));
  Surface surface(12, 2);
  EXPECT_TRUE(item->GetPart(0)->GetState(0)->Draw(surface.canvas(), TRect(0, 0, 12, 2)));
  std::string row;
  for (int x = 0; x < 12; ++x) row += surface.Pixel(x, 0) == kRed ? 'r' : surface.Pixel(x, 0) == kGreen ? 'g' : surface.Pixel(x, 0) == kBlack ? 'k' : '.';
  EXPECT_EQ(row, "kkrgrgrgrgkk");
}

TEST_F(SkinImageDraw, DisabledPartsDrawAGrayedCopy) {
  TSkinItem* item = LoadItem("Gray", "Gray", R"(<Graphic Name="gray.bmp"/><Part><State Width="16" Height="16"/>
      <State Width="16" Height="16" Left="0" Top="0"/><State Width="16" Height="16" Left="0" Top="0"/>
      <State type="box"/></Part>)");
  // Red, with a blue bottom-left pixel: an opaque part's copy keeps the colour of that pixel.
  SkinEngine->AddSharedImage("gray.bmp", MakeImage(16, 16, [](int x, int y) {
    return x == 0 && y == 15 ? 0xFF0000FFu : 0xFFFF0000u;
  }));
  TSkinItemPart* part = item->GetPart(0);
  ASSERT_TRUE(part->GetState(3)->IsEmpty()) << "neither pen nor brush";
  TSkinItemState* disabled = part->GetStateEx(false, false, false, false);
  ASSERT_TRUE(disabled->Grayed);
  Surface surface(16, 16);
  EXPECT_TRUE(disabled->Draw(surface.canvas(), TRect(0, 0, 16, 16)));
  EXPECT_EQ(surface.Pixel(5, 5), 0x4D4D4Du) << "red as gray";
  EXPECT_EQ(surface.Pixel(0, 15), 0x0000FFu);
  Surface normal(16, 16);
  part->GetState(0)->Draw(normal.canvas(), TRect(0, 0, 16, 16));
  EXPECT_EQ(normal.Pixel(5, 5), kRed) << "the shared image is not grayed";
}

TEST_F(SkinImageDraw, AlphaStatesBlendAndOpaquePartsDoNot) {
  TSkinItem* item = LoadItem("Alpha", "Alpha", R"(<Graphic Name="alpha.bmp"/>
      <Part TransparentMode="Alpha"><State Width="2" Height="1"/></Part>
      <Part><State Width="2" Height="1"/></Part>)");
  // Premultiplied: an opaque red pixel and a transparent one.
  SkinEngine->AddSharedImage("alpha.bmp", MakeImage(2, 1, [](int x, int) { return x == 0 ? 0xFFFF0000u : 0x00000000u; }));
  Surface surface(2, 1);
  item->GetPart(0)->GetState(0)->Draw(surface.canvas(), TRect(0, 0, 2, 1));
  EXPECT_EQ(surface.Pixel(0, 0), kRed);
  EXPECT_EQ(surface.Pixel(1, 0), kWhite);
  item->GetPart(1)->GetState(0)->Draw(surface.canvas(), TRect(0, 0, 2, 1));
  EXPECT_EQ(surface.Pixel(1, 0), kBlack) << "an opaque part copies every pixel";
}

TEST_F(SkinDraw, RegionsAtOwnSizeAndStretched) {
  TSkinItem* item = LoadItem("Rgn", "Rgn", R"(<Graphic Name="rgn.bmp"/><Part TransparentColor="clFuchsia">
      <State Width="6" Height="6"><Margins Left="2" Right="2" Top="2" Bottom="2"/></State></Part>)");
  // A 6 x 6 shape whose top-left corner pixel is the key colour.
  SkinEngine->AddSharedImage("rgn.bmp", MakeImage(6, 6, [](int x, int y) { return x == 0 && y == 0 ? 0xFFFF00FFu : 0xFF123456u; }));
  TSkinItemState* state = item->GetPart(0)->GetState(0);
  HRGN own = state->CreateRegion(6, 6);
  ASSERT_NE(own, nullptr);
  EXPECT_FALSE(PtInRegion(own, 0, 0));
  EXPECT_TRUE(PtInRegion(own, 1, 0));
  EXPECT_TRUE(PtInRegion(own, 5, 5));
  DeleteObject(own);
  HRGN twice = state->CreateRegion(12, 12);
  ASSERT_NE(twice, nullptr);
  EXPECT_FALSE(PtInRegion(twice, 0, 0)) << "the corner keeps its size";
  EXPECT_TRUE(PtInRegion(twice, 1, 0));
  EXPECT_TRUE(PtInRegion(twice, 0, 1));
  EXPECT_TRUE(PtInRegion(twice, 11, 11));
  EXPECT_FALSE(PtInRegion(twice, 13, 13));
  DeleteObject(twice);
}

TEST(SkinProgressText, PercentagesAreClampedIntoTheRange) {
  struct Case {
    int position, min, max;
    const char* text;
  };
  const Case cases[] = {{50, 0, 200, "25%"}, {-50, 0, 100, "0%"}, {150, 0, 100, "100%"},
                        {5, 5, 5, "0%"},     {7, 9, 3, "0%"},     {1, 0, 3, "33%"}, {2, 0, 3, "67%"}};
  for (const Case& c : cases)
    EXPECT_EQ(FormatSkinProgressPercent(c.position, c.min, c.max), c.text) << c.position << " in " << c.min << ".." << c.max;
}

TEST_F(SkinDraw, ProgressFillsTheBarShareAndTheTrackTheRest) {
  TSkinItem* item = LoadItem("Prog", "Prog", R"(<Part>
      <State type="box" Left="0" Top="0" Right="10" Bottom="4"><Pen Color="clLime"/><Brush Color="clLime"/><Spaces Left="2"/></State>
      <State type="box" Left="0" Top="0" Right="10" Bottom="4"><Pen Color="clRed"/><Brush Color="clRed"/><Spaces Right="2"/></State>
    </Part>)");
  struct Case {
    int position, min, max;
    int firstTrackColumn;
  };
  // Fill = (20 - 2 - 2) x share + 2.
  const Case cases[] = {{50, 0, 100, 10}, {-5, 0, 100, 2}, {500, 0, 100, 18}, {3, 3, 3, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    Surface surface(20, 4);
    DrawSkinProgress(surface.canvas(), TRect(0, 0, 20, 4), item->GetPart(0), c.position, c.min, c.max, false);
    EXPECT_EQ(surface.Pixel(c.firstTrackColumn, 2), kGreen);
    if (c.firstTrackColumn > 0) {
      EXPECT_EQ(surface.Pixel(c.firstTrackColumn - 1, 2), kRed);
    }
  }
  // Too narrow for its states: nothing is drawn.
  Surface narrow(8, 4);
  DrawSkinProgress(narrow.canvas(), TRect(0, 0, 8, 4), item->GetPart(0), 50, 0, 100, false);
  EXPECT_EQ(narrow.Pixel(4, 2), kWhite);
}

}  // namespace

namespace {

TEST_F(SkinDraw, UserStylePensDrawSolidAndAlternatePensEveryOtherPixel) {
  TSkinItem* item = LoadItem("Pens", "Pens", R"(<Part>
      <State type="horizontalline" Left="0" Top="0" Right="8" Bottom="0"><Pen Color="clBlack" Style="userstyle"/></State>
      <State type="horizontalline" Left="0" Top="0" Right="8" Bottom="0"><Pen Color="clBlack" Style="alternate"/></State>
    </Part>)");
  ASSERT_NE(item, nullptr);
  Surface solid(8, 1);
  item->GetPart(0)->GetState(0)->Draw(solid.canvas(), TRect(0, 0, 8, 1));
  EXPECT_EQ(solid.Rows(8, 1, kBlack), "########\n");
  Surface alternate(8, 1);
  item->GetPart(0)->GetState(1)->Draw(alternate.canvas(), TRect(0, 0, 8, 1));
  EXPECT_EQ(alternate.Rows(8, 1, kBlack), "#.#.#.#.\n");
}

TEST_F(SkinDraw, ImageReferencesGiveBitmapsOrGdiPlusPicturesOnRequest) {
  auto image = MakeImage(3, 2, [](int, int) { return 0xFF00FF00u; });
  image->SaveToFile((folder / "pic.bmp").string());
  TSkinItem* item = LoadItem("Kinds", "Kinds", R"(<Graphic Name="pic.bmp"/><Part/>)");
  ASSERT_NE(item, nullptr);
  TGraphic* picture = item->Graphic.GetImage(TSkinImageRef::KindGPGraphic, true);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(dynamic_cast<TBitmap*>(picture), nullptr);
  EXPECT_EQ(picture->Width(), 3);
  TGraphic* bitmap = item->Graphic.GetImage(TSkinImageRef::KindBitmap, true);
  ASSERT_NE(dynamic_cast<TBitmap*>(bitmap), nullptr) << "an entry of the other class is replaced";
  EXPECT_EQ(SkinEngine->SharedImages.Count(), 1);
  std::unique_ptr<TGraphic> own(item->Graphic.GetImage(TSkinImageRef::KindAny, false));
  ASSERT_NE(own, nullptr);
  EXPECT_NE(own.get(), bitmap) << "without sharing the caller owns a new one";
  TSkinImageRef none(SkinEngine);
  EXPECT_EQ(none.GetImage(TSkinImageRef::KindBitmap, true), nullptr);
  EXPECT_EQ(SkinFileType("a.b/c"), "");
  EXPECT_EQ(SkinFileType("dir.x\\pic.PNG"), "PNG");
}

}  // namespace
