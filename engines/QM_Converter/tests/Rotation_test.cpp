#include <gtest/gtest.h>

#include "engines/QM_Converter/tests/ConvertedPictures.h"
#include "engines/media/testing/ShapedFixtures.h"

namespace {

struct RotationCase {
  const char* name;
  int degrees;               // the clip's rotate tag
  bool blockOnTheLeft, blockAtTheTop;  // where the stored top-left block is shown
};

void PrintTo(const RotationCase& c, std::ostream* out) { *out << c.name; }

class PortraitClip : public ::testing::TestWithParam<RotationCase> {};

// A phone clip stored 320x180 and shown upright (180x320) becomes an upright picture
// pillarboxed in a 16:9 frame: 9:16 of the frame's 16:9 is 228 of 720 columns.
TEST_P(PortraitClip, IsPillarboxedUpright) {
  const RotationCase& c = GetParam();
  const std::string input = engines::media::testing::RotatedClip(c.degrees);
  ASSERT_FALSE(input.empty());
  const auto output = (converted::OutputFolder("rotation") / (std::string(c.name) + ".mpg")).string();
  ASSERT_EQ(converted::Convert(input, output, true, 3), kQEEndDone);
  const converted::Decoded decoded = converted::Decode(output);
  std::filesystem::remove_all(std::filesystem::path(output).parent_path());
  ASSERT_FALSE(decoded.frames.empty());
  const AVFrame* frame = decoded.frames.front().get();
  const int middle = frame->height / 2;
  const auto [left, right] = converted::PictureColumns(frame, middle);
  EXPECT_NEAR(left, 246, 3);
  EXPECT_NEAR(right, 474, 3);
  // The block covers a quarter of each side of the upright picture.
  const int x = c.blockOnTheLeft ? 246 + 228 / 8 : 474 - 228 / 8;
  const int y = c.blockAtTheTop ? 576 / 8 : 576 - 576 / 8;
  const int otherX = c.blockOnTheLeft ? 474 - 228 / 8 : 246 + 228 / 8;
  const int otherY = c.blockAtTheTop ? 576 - 576 / 8 : 576 / 8;
  EXPECT_GT(converted::LumaRow(frame, y)[x], 200) << "the block is not where it is shown";
  EXPECT_LT(converted::LumaRow(frame, otherY)[otherX], 160) << "the picture is not turned the right way";
}

INSTANTIATE_TEST_SUITE_P(Cases, PortraitClip,
                         ::testing::Values(RotationCase{"Tag90", 90, true, false},
                                           RotationCase{"Tag270", 270, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
