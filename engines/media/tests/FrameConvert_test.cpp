#include <gtest/gtest.h>

#include <string>

#include "engines/media/FrameConvert.h"

using namespace engines::media;

namespace {

// A picture of one flat colour (white in limited-range YUV).
FramePtr WhitePicture(AVPixelFormat format, int width, int height) {
  FramePtr frame = MakeBlackFrame(format, width, height);
  if (!frame) return nullptr;
  std::fill_n(frame->data[0], size_t(frame->linesize[0]) * height, uint8_t(235));
  return frame;
}

struct BorderCase {
  const char* name;
  int sourceWidth, sourceHeight;
  AVPixelFormat sourceFormat;
  int frameWidth, frameHeight;
  PixelRect into;
};

void PrintTo(const BorderCase& c, std::ostream* out) { *out << c.name; }

class PillarboxBorders : public ::testing::TestWithParam<BorderCase> {};

// The bars beside a pillarboxed picture are black to the last pixel and equal on both sides:
// nothing of the scaler's output may land outside the picture's rectangle.
TEST_P(PillarboxBorders, AreExactBlackAndSymmetric) {
  const BorderCase& c = GetParam();
  FramePtr source = WhitePicture(c.sourceFormat, c.sourceWidth, c.sourceHeight);
  FramePtr target = MakeBlackFrame(AV_PIX_FMT_YUV420P, c.frameWidth, c.frameHeight);
  ASSERT_TRUE(source && target);
  FrameConverter converter;
  ASSERT_TRUE(converter.ScaleInto(source.get(), target.get(), c.into));

  for (int y = 0; y < c.frameHeight; ++y) {
    const uint8_t* row = target->data[0] + ptrdiff_t(y) * target->linesize[0];
    int left = 0, right = 0;
    while (left < c.frameWidth && row[left] == 16) ++left;
    while (right < c.frameWidth && row[c.frameWidth - 1 - right] == 16) ++right;
    ASSERT_LT(left + right, c.frameWidth) << "row " << y << " is all black";
    for (int x = left; x < c.frameWidth - right; ++x)
      ASSERT_GE(row[x], 200) << "row " << y << " column " << x << ": not part of the picture";
    ASSERT_EQ(left, c.into.left & ~1) << "row " << y;
    ASSERT_LE(std::abs(left - right), 2) << "row " << y << ": bars of " << left << " and " << right;
  }
  for (int plane = 1; plane < 3; ++plane) {
    for (int y = 0; y < c.frameHeight / 2; ++y) {
      const uint8_t* row = target->data[plane] + ptrdiff_t(y) * target->linesize[plane];
      for (int x = 0; x < c.frameWidth / 2; ++x) ASSERT_EQ(row[x], 128) << "chroma plane " << plane;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PillarboxBorders,
    ::testing::Values(
        // 4:3 (640x480) in a 16:9 NTSC frame: 540 columns in the middle.
        BorderCase{"FourThreeInWideNtsc", 640, 480, AV_PIX_FMT_YUV420P, 720, 480, {90, 0, 540, 480}},
        BorderCase{"FourThreeHdInWidePal", 1440, 1080, AV_PIX_FMT_YUV420P, 720, 576, {90, 0, 540, 576}},
        // 5:4 DV PAL (720x576, square pixels) in a 4:3 PAL frame: 676 columns.
        BorderCase{"DvPalInFourThree", 720, 576, AV_PIX_FMT_YUV420P, 720, 576, {22, 0, 676, 576}},
        BorderCase{"DvNtsc411InFourThree", 720, 480, AV_PIX_FMT_YUV411P, 720, 480, {22, 0, 676, 480}},
        BorderCase{"OddOffset", 320, 240, AV_PIX_FMT_YUV420P, 720, 576, {101, 0, 518, 576}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
