#include <gtest/gtest.h>

#include <cmath>

#include "IndicatorTestSupport.h"
#include "program/controls/FSImage.h"
#include "program/controls/FSSkinImage.h"
#include "vcl/Bitmap.h"

using namespace indicator_test;
namespace pt = platform::testing;

namespace {

TEST(SkinImagePlacement, StretchShrinkAndCentre) {
  struct Case {
    int w, h, cw, ch;
    bool tile, stretch, proportional, center;
    TRect expected;
  } cases[] = {
      {20, 10, 100, 50, false, false, false, true, TRect(40, 20, 60, 30)},    // natural size, centred
      {20, 10, 100, 50, false, false, false, false, TRect(0, 0, 20, 10)},     // natural size at the corner
      {20, 10, 100, 50, false, true, false, false, TRect(0, 0, 100, 50)},     // stretched
      {20, 10, 100, 50, true, false, false, true, TRect(0, 0, 100, 50)},      // tiled: the client
      {200, 100, 100, 80, false, false, true, true, TRect(0, 15, 100, 65)},   // wide, shrunk to the width
      {100, 200, 100, 80, false, false, true, true, TRect(30, 0, 70, 80)},    // tall, shrunk to the height
      {300, 100, 100, 20, false, false, true, false, TRect(0, 0, 60, 20)},    // wide, then capped by the height
      {20, 10, 100, 50, false, false, true, true, TRect(40, 20, 60, 30)},     // proportional but fits: kept
      {0, 10, 100, 50, false, false, false, true, TRect(0, 0, 100, 50)},      // empty state: the client
  };
  for (const Case& c : cases) {
    const TRect r = SkinImageDestRect(c.w, c.h, c.cw, c.ch, c.tile, c.stretch, c.proportional, c.center);
    EXPECT_EQ(r, c.expected) << c.w << "x" << c.h << " in " << c.cw << "x" << c.ch;
  }
}

using SkinImage = IndicatorFixture;

TEST_F(SkinImage, APartWithoutFillIsTransparentAndDrawnCentredAtItsSize) {
  WriteItem("Deco", R"(<Part FillMode="none"><State type="box" Left="0" Top="0" Right="20" Bottom="10">
      <Pen Color="clRed"/><Brush Color="clRed"/></State></Part>)");
  UseSkin();
  TForm* form = ShowForm();
  auto* image = Place<TFSSkinImage>(form, 10, 10, 100, 50);
  image->SetStretch(true);
  image->SetTransparent(false);
  image->SetSkinName("Deco");
  EXPECT_FALSE(image->Stretch()) << "fill mode none clears Stretch";
  EXPECT_TRUE(image->Transparent());
  EXPECT_EQ(image->DestRect(), TRect(40, 20, 60, 30));
  pt::Image pixels = Capture(form);
  EXPECT_EQ(Rgb(pixels, 10 + 45, 10 + 25), 0xFF0000u);
  EXPECT_EQ(Rgb(pixels, 10 + 35, 10 + 25), kWhite);
  image->SetSkinName("Missing");
  EXPECT_EQ(image->SkinPart(), nullptr);
  Capture(form);  // nothing to draw, nothing fails
}

// ---- picture viewer ---------------------------------------------------------------------------

TEST(ImageViewerArithmetic, ZoomKeepsTheCentreOrCentresANewlyScrollablePicture) {
  // 150 x 100 at 100 % in a 200 x 200 view, zoomed to 400 %: centred.
  EXPECT_EQ(ZoomScrollPosition(0, 200, 150, 600), 200);
  EXPECT_EQ(ZoomScrollPosition(0, 200, 100, 400), 100);
  // 400 x 300 scrolled to (0, 0), zoomed to 200 %: the view's centre point stays.
  EXPECT_EQ(ZoomScrollPosition(0, 200, 400, 800), 100);
  EXPECT_EQ(ZoomScrollPosition(0, 200, 300, 600), 100);
  // Zoomed out until it fits: no scroll.
  EXPECT_EQ(ZoomScrollPosition(150, 200, 800, 200), 0);
  EXPECT_EQ(ZoomedSize(150, 400.0f), 600);
  EXPECT_EQ(ZoomedSize(5, 50.0f), 2) << "halves to even";
  EXPECT_EQ(ZoomedSize(7, 50.0f), 4);
}

TEST(ImageViewerArithmetic, RotationTurnsAboutTheViewsCentre) {
  const XFORM t = ImageRotationTransform(200, 100, 0, 0, 50, 50, 90.0f);
  auto apply = [&](float x, float y) {
    return std::pair<float, float>(x * t.eM11 + y * t.eM21 + t.eDx, x * t.eM12 + y * t.eM22 + t.eDy);
  };
  const auto centre = apply(100, 50);
  EXPECT_NEAR(centre.first, 100, 1e-3);
  EXPECT_NEAR(centre.second, 50, 1e-3);
  const auto right = apply(110, 50);  // a quarter turn takes +x to +y
  EXPECT_NEAR(right.first, 100, 1e-3);
  EXPECT_NEAR(right.second, 60, 1e-3);
  // A scrolled axis moves the centre by the scroll position.
  const XFORM scrolled = ImageRotationTransform(200, 100, 30, 40, 500, 50, 90.0f);
  EXPECT_NEAR(130 * scrolled.eM11 + 50 * scrolled.eM21 + scrolled.eDx, 130, 1e-3);
}

class ImageViewer : public IndicatorFixture {
 protected:
  // A viewer of 200 x 200 holding a picture whose left half is red and right half blue.
  TFSImage* MakeViewer(int pictureWidth, int pictureHeight) {
    form = ShowForm(300, 300);
    auto* viewer = Place<TFSImage>(form, 0, 0, 200, 200);
    TBitmap picture(pictureWidth, pictureHeight, pf32bit);
    for (int y = 0; y < pictureHeight; ++y)
      for (int x = 0; x < pictureWidth; ++x)
        static_cast<uint32_t*>(picture.ScanLine(y))[x] = x < pictureWidth / 2 ? 0xFFFF0000u : 0xFF0000FFu;
    viewer->Picture()->SetGraphic(&picture);
    return viewer;
  }
  TForm* form = nullptr;
};

TEST_F(ImageViewer, RotationSetterAddsOneTurnToNegativeAngles) {
  TFSImage* viewer = MakeViewer(10, 10);
  viewer->SetRotation(-30);
  EXPECT_FLOAT_EQ(viewer->Rotation(), 330);
  viewer->SetRotation(400);
  EXPECT_FLOAT_EQ(viewer->Rotation(), 400);
}

TEST_F(ImageViewer, ZoomingScrollsAndNotifies) {
  TFSImage* viewer = MakeViewer(150, 100);
  int zooms = 0;
  viewer->OnZoomChange = [&](TObject*) { ++zooms; };
  viewer->SetZoom(400);
  EXPECT_EQ(viewer->ScrollX(), 200);
  EXPECT_EQ(viewer->ScrollY(), 100);
  EXPECT_EQ(viewer->MaxScrollX(), 400);
  EXPECT_EQ(zooms, 1);

  TFSImage* second = MakeViewer(400, 300);
  second->SetZoom(200);
  EXPECT_EQ(second->ScrollX(), 100);
  EXPECT_EQ(second->ScrollY(), 100);
}

TEST_F(ImageViewer, PanningStopsAtTheEdgeAndTurnsBackWithoutLag) {
  TFSImage* viewer = MakeViewer(400, 300);
  int scrolls = 0;
  viewer->OnScroll = [&](TObject*) { ++scrolls; };
  ASSERT_EQ(viewer->MaxScrollX(), 200);
  pt::MouseDown(At(viewer, 100, 100));
  pt::MouseMove(At(viewer, 60, 100));
  pt::RunUntilIdle();
  EXPECT_TRUE(viewer->Panning());
  EXPECT_EQ(viewer->ScrollX(), 40);
  pt::MouseMove(At(viewer, -300, 100));  // far past the right edge of the picture
  pt::RunUntilIdle();
  EXPECT_EQ(viewer->ScrollX(), 200);
  pt::MouseMove(At(viewer, -290, 100));  // ten pixels back: the picture follows at once
  pt::RunUntilIdle();
  EXPECT_EQ(viewer->ScrollX(), 190);
  pt::MouseUp(At(viewer, -290, 100));
  pt::RunUntilIdle();
  EXPECT_FALSE(viewer->Panning());
  EXPECT_EQ(scrolls, 3);
  // The scrolled picture is on the screen: at scroll 190 the red half ends at x 10.
  pt::Image image = Capture(form);
  EXPECT_EQ(Rgb(image, 5, 50), 0xFF0000u);
  EXPECT_EQ(Rgb(image, 15, 50), 0x0000FFu);
}

TEST_F(ImageViewer, AHalfTurnDrawsThePictureMirroredAboutTheCentre) {
  TFSImage* viewer = MakeViewer(200, 200);
  pt::Image upright = Capture(form);
  EXPECT_EQ(Rgb(upright, 20, 100), 0xFF0000u);
  viewer->SetRotation(180);
  pt::Image turned = Capture(form);
  EXPECT_EQ(Rgb(turned, 20, 100), 0x0000FFu);
  EXPECT_EQ(Rgb(turned, 180, 100), 0xFF0000u);
}

}  // namespace
