#include <gtest/gtest.h>

#include <string>

#include "platform/testing/Pictures.h"

using platform::testing::Alpha;
using platform::testing::CompareImages;
using platform::testing::Image;

namespace {

Image Solid(int width, int height, uint32_t pixel) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height, pixel);
  return image;
}

}  // namespace

TEST(Pictures, CompareNamesTheFirstDifferenceBeyondTheTolerance) {
  Image a = Solid(3, 2, 0x00102030), b = a;
  b.pixels[4] = 0x00102033;  // (1, 1), blue off by 3
  EXPECT_TRUE(CompareImages(a, b, 3).same);
  const auto strict = CompareImages(a, b, 2);
  EXPECT_FALSE(strict.same);
  EXPECT_NE(strict.message.find("(1, 1)"), std::string::npos) << strict.message;
  // Alpha counts only when asked for.
  b = a;
  b.pixels[0] = 0xFF102030;
  EXPECT_TRUE(CompareImages(a, b).same);
  EXPECT_FALSE(CompareImages(a, b, 0, Alpha::Keep).same);
  const auto sizes = CompareImages(a, Solid(2, 3, 0));
  EXPECT_FALSE(sizes.same);
  EXPECT_NE(sizes.message.find("size"), std::string::npos);
}

TEST(Pictures, PngsRoundTripAndFailuresAreDescribed) {
  Image image = Solid(4, 3, 0x00FF8000);
  image.pixels[5] = 0x00000000;
  const std::string file = std::string(BRANTWELL_TEST_BIN_DIR) + "/pictures-roundtrip.png";
  std::string error;
  ASSERT_TRUE(platform::testing::SavePng(image, file, &error)) << error;
  Image loaded;
  ASSERT_TRUE(platform::testing::LoadPng(file, &loaded, &error)) << error;
  EXPECT_TRUE(CompareImages(image, loaded).same);

  EXPECT_FALSE(platform::testing::SavePng(image, "/nonexistent-folder/x.png", &error));
  EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos);
  EXPECT_FALSE(platform::testing::LoadPng(std::string(BRANTWELL_TEST_BIN_DIR) + "/missing.png", &loaded, &error));
  EXPECT_FALSE(platform::testing::SavePng(Image{}, file, &error));
  // Wider than cairo can hold, and a size its pixels do not fill: refused, not written out of bounds.
  EXPECT_FALSE(platform::testing::SavePng(Solid(40000, 1, 0), file, &error));
  EXPECT_NE(error.find(file), std::string::npos) << error;
  EXPECT_FALSE(platform::testing::SavePng(Image{4, 3, {}}, file, &error));
  EXPECT_NE(error.find(file), std::string::npos) << error;
  EXPECT_FALSE(platform::testing::SaveDcPng(nullptr, file, &error));
}

TEST(Pictures, CaptureReadsDcsAndBitmapsOfAnyDepth) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetPixel(dc, 1, 0, RGB(255, 0, 0));
  const Image captured = platform::testing::CaptureDc(dc);
  ASSERT_EQ(captured.width, 2);
  EXPECT_EQ(captured.At(1, 0), 0x00FF0000u);
  SelectObject(dc, old);
  const Image fromBitmap = platform::testing::CaptureBitmap(bitmap);
  EXPECT_TRUE(CompareImages(captured, fromBitmap).same);
  DeleteObject(bitmap);
  DeleteDC(dc);
}
