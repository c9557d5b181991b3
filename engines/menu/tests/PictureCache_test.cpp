#include "engines/menu/PictureCache.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engines/menu/testing/TestTemplate.h"

namespace {

using namespace engines::menu;

uint32_t PixelAt(const Picture& picture, int x, int y) {
  uint32_t pixel;
  std::memcpy(&pixel,
              cairo_image_surface_get_data(picture.Surface()) + y * cairo_image_surface_get_stride(picture.Surface()) + x * 4,
              4);
  return pixel;
}

TEST(PictureCache, VeryLargePicturesAreKeptReducedAndChangedFilesReadAgain) {
  fixtures::TempFolder folder;
  const auto path = folder.Path() / "huge.png";
  fixtures::WritePng(path, 4096, 1024, [](cairo_t* cr) {
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 0, 0, 2048, 1024);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_rectangle(cr, 2048, 0, 2048, 1024);
    cairo_fill(cr);
  });
  std::string error;
  const auto picture = LoadPicture(fixtures::U16(path), error);
  ASSERT_NE(picture, nullptr) << error;
  EXPECT_EQ(picture->Width(), 2048);
  EXPECT_EQ(picture->Height(), 512);
  EXPECT_DOUBLE_EQ(picture->Scale(), 0.5);
  EXPECT_EQ(PixelAt(*picture, 10, 500), 0xFFFF0000u);  // upright: red on the left
  EXPECT_EQ(PixelAt(*picture, 2040, 10), 0xFF0000FFu);
  EXPECT_EQ(LoadPicture(fixtures::U16(path)), picture);  // from the cache

  fixtures::WritePng(path, 20, 10, [](cairo_t* cr) {
    cairo_set_source_rgba(cr, 0, 1, 0, 0.5);
    cairo_paint(cr);
  });
  const auto changed = LoadPicture(fixtures::U16(path), error);
  ASSERT_NE(changed, nullptr) << error;
  EXPECT_EQ(changed->Width(), 20);
  EXPECT_EQ(changed->AlphaAt(3, 3), 128);
  EXPECT_EQ(changed->AlphaAt(30, 3), 0);

  EXPECT_EQ(LoadPicture(fixtures::U16(folder.Path() / "none.png"), error), nullptr);
  EXPECT_NE(error.find("none.png"), std::string::npos);
}

}  // namespace
