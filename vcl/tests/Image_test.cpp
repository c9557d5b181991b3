// The image control: where the picture goes (natural, centred, stretched, shrunk to its
// proportions) and that it paints there.

#include "vcl/Image.h"

#include <gtest/gtest.h>

#include "platform/testing/Synthetic.h"
#include "vcl/Application.h"
#include "vcl/Form.h"

namespace {

class ImageTest : public ::testing::Test {
 protected:
  void TearDown() override { DoneApplication(); }
};

TEST_F(ImageTest, PlacesThePicture) {
  struct Case {
    int pictureWidth, pictureHeight;
    bool center, stretch, proportional;
    TRect dest;
  } cases[] = {
      {40, 20, false, false, false, {0, 0, 40, 20}},    // natural size, top left
      {40, 20, true, false, false, {30, 40, 70, 60}},   // centred
      {40, 20, false, true, false, {0, 0, 100, 100}},   // stretched over the control
      {40, 20, false, true, true, {0, 0, 100, 50}},     // stretched, keeping 2:1
      {20, 40, true, true, true, {25, 0, 75, 100}},     // centred and 1:2
      {400, 100, false, false, true, {0, 0, 100, 25}},  // proportional shrinks what is too large
      {40, 20, false, false, true, {0, 0, 40, 20}},     // and leaves the rest
      {300, 200, true, false, false, {-100, -50, 200, 150}},
  };
  TImage image(nullptr);
  image.SetBounds(0, 0, 100, 100);
  for (const Case& c : cases) {
    TBitmap bitmap;
    bitmap.SetSize(c.pictureWidth, c.pictureHeight);
    image.Picture()->SetGraphic(&bitmap);
    image.SetCenter(c.center);
    image.SetStretch(c.stretch);
    image.SetProportional(c.proportional);
    EXPECT_EQ(image.DestRect(), c.dest) << c.pictureWidth << "x" << c.pictureHeight << " " << c.center << c.stretch
                                        << c.proportional;
  }
}

TEST_F(ImageTest, PaintsItsPictureWhereItGoes) {
  TForm* form = TCustomForm::CreateNew<TForm>(Application);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 60, 60);
  form->SetColor(clWhite);
  auto* image = new TImage(form);
  image->SetParent(form);
  image->SetBounds(10, 10, 40, 40);
  TBitmap bitmap;
  bitmap.SetSize(20, 20);
  bitmap.Canvas()->Brush()->SetColor(clRed);
  bitmap.Canvas()->FillRect(TRect(0, 0, 20, 20));
  image->Picture()->SetGraphic(&bitmap);
  image->SetCenter(true);
  form->Show();
  platform::testing::RunUntilIdle();
  const auto pixels = platform::testing::ReadWindow(form->Handle());
  EXPECT_EQ(pixels.At(30, 30) & 0xFFFFFF, 0xFF0000u);  // the middle
  EXPECT_EQ(pixels.At(15, 15) & 0xFFFFFF, 0xFFFFFFu);  // the control, outside the picture
  EXPECT_EQ(image->Picture()->Width(), 20);
}

}  // namespace
