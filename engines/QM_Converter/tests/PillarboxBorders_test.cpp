#include <gtest/gtest.h>

#include "engines/QM_Converter/tests/ConvertedPictures.h"
#include "engines/media/testing/ShapedFixtures.h"

using engines::media::testing::SteppedFixture;

namespace {

struct BorderCase {
  const char* name;
  std::vector<std::string> recipe;  // ffmpeg arguments of a white 1 s clip
  bool pal;
  int aspect;             // 2 = 4:3, 3 = 16:9
  int pictureLeft, pictureRight;  // where the picture lies in the 720-wide frame
};

void PrintTo(const BorderCase& c, std::ostream* out) { *out << c.name; }

class PillarboxedClip : public ::testing::TestWithParam<BorderCase> {};

// The bars beside a pillarboxed picture are black up to the picture and equally wide: no
// grey stripe on the right, whatever the encoder does at the picture's edge (2 px).
TEST_P(PillarboxedClip, HasBlackEqualBars) {
  const BorderCase& c = GetParam();
  const std::string input = SteppedFixture(std::string(c.name) + ".avi", {c.recipe});
  ASSERT_FALSE(input.empty());
  const auto output = (converted::OutputFolder("pillarbox") / (std::string(c.name) + ".mpg")).string();
  ASSERT_EQ(converted::Convert(input, output, c.pal, c.aspect), kQEEndDone);
  const converted::Decoded decoded = converted::Decode(output);
  std::filesystem::remove_all(std::filesystem::path(output).parent_path());
  ASSERT_FALSE(decoded.frames.empty());
  const AVFrame* frame = decoded.frames.front().get();
  for (int y = 0; y < frame->height; ++y) {
    const uint8_t* row = converted::LumaRow(frame, y);
    for (int x = 0; x < c.pictureLeft - 2; ++x) ASSERT_LE(row[x], 20) << "left bar, row " << y << " column " << x;
    for (int x = c.pictureRight + 2; x < frame->width; ++x)
      ASSERT_LE(row[x], 20) << "right bar, row " << y << " column " << x;
    for (int x = c.pictureLeft + 2; x < c.pictureRight - 2; ++x)
      ASSERT_GE(row[x], 200) << "picture, row " << y << " column " << x;
    const auto [left, right] = converted::PictureColumns(frame, y);
    ASSERT_LE(std::abs(left - (frame->width - right)), 2) << "row " << y << ": bars of " << left << " and "
                                                          << frame->width - right;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PillarboxedClip,
    ::testing::Values(
        BorderCase{"FourThreeIntoWide",
                   {"-f", "lavfi", "-i", "color=c=white:size=640x480:rate=30000/1001:duration=1", "-c:v", "mpeg4",
                    "-q:v", "2", "-pix_fmt", "yuv420p"},
                   false, 3, 90, 630},
        // DV PAL with square pixels: a 5:4 picture, 676 columns of a 4:3 frame.
        BorderCase{"DvFiveFourIntoFourThree",
                   {"-f", "lavfi", "-i", "color=c=white:size=720x576:rate=25:duration=1", "-c:v", "dvvideo",
                    "-pix_fmt", "yuv420p", "-aspect", "5:4"},
                   true, 2, 22, 698}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
