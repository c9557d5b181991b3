#include <gtest/gtest.h>

#include "engines/QM_Converter/tests/ConvertedPictures.h"
#include "engines/media/testing/ShapedFixtures.h"

using namespace engines::media::testing;

namespace {

// A 1080i clip of a bar moving 24 px a field becomes interlaced PAL: in every field of every
// output frame one sharp bar (no blended ghost) where that field's moment shows it, and the
// file says its pictures are interlaced, top field first.
TEST(InterlacedSource, KeepsTheMotionOfEachField) {
  const std::string input = InterlacedBar();
  ASSERT_FALSE(input.empty());
  const auto output = (converted::OutputFolder("interlace") / "bar.mpg").string();
  ASSERT_EQ(converted::Convert(input, output, true, 3), kQEEndDone);
  const converted::Decoded decoded = converted::Decode(output);
  std::filesystem::remove_all(std::filesystem::path(output).parent_path());
  EXPECT_EQ(decoded.fieldOrder, AV_FIELD_TT);
  ASSERT_NEAR(int(decoded.frames.size()), 25, 1);

  const double scale = 720.0 / 1920.0;
  for (size_t k = 0; k < decoded.frames.size(); ++k) {
    const AVFrame* frame = decoded.frames[k].get();
    EXPECT_TRUE(frame->interlaced_frame) << "frame " << k;
    EXPECT_TRUE(frame->top_field_first) << "frame " << k;
    for (int field = 0; field < 2; ++field) {
      const int shown = int(2 * k) + field;  // fields counted in the order they are shown
      for (int y : {40 + field, 288 + field, 540 + field}) {
        const BarOnRow bar = FindBar(converted::LumaRow(frame, y), frame->width);
        ASSERT_EQ(bar.runs, 1) << "frame " << k << " field " << field << " row " << y;
        EXPECT_EQ(bar.ghostPixels, 0) << "frame " << k << " field " << field << " row " << y;
        EXPECT_NEAR(bar.left, BarLeftInField(shown) * scale, 2.5) << "frame " << k << " field " << field;
        EXPECT_NEAR(bar.width, kBarWidth * scale, 3) << "frame " << k << " field " << field;
      }
    }
  }
}

// A progressive source stays progressive.
TEST(InterlacedSource, AProgressiveSourceStaysProgressive) {
  const std::string input = Fixture("h264_aac.mp4");
  ASSERT_FALSE(input.empty());
  const auto output = (converted::OutputFolder("progressive") / "clip.mpg").string();
  ASSERT_EQ(converted::Convert(input, output, true, 0), kQEEndDone);
  const converted::Decoded decoded = converted::Decode(output);
  std::filesystem::remove_all(std::filesystem::path(output).parent_path());
  EXPECT_EQ(decoded.fieldOrder, AV_FIELD_PROGRESSIVE);
  ASSERT_FALSE(decoded.frames.empty());
  for (const auto& frame : decoded.frames) EXPECT_FALSE(frame->interlaced_frame);
}

}  // namespace
