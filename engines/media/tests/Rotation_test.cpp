#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "engines/media/FileInfo.h"
#include "engines/media/FileSource.h"
#include "engines/media/testing/ShapedFixtures.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

using namespace engines::media;
using namespace engines::media::testing;

namespace {

enum class Corner { TopLeft, TopRight, BottomLeft, BottomRight };

// The corner of the picture that holds the white block (luma near 235 where the rest is 128).
std::optional<Corner> BrightCorner(const AVFrame* frame) {
  const int w = frame->width, h = frame->height;
  auto luma = [&](int x, int y) { return frame->data[0][ptrdiff_t(y) * frame->linesize[0] + x]; };
  const std::pair<Corner, std::pair<int, int>> corners[] = {
      {Corner::TopLeft, {w / 8, h / 8}},
      {Corner::TopRight, {w - 1 - w / 8, h / 8}},
      {Corner::BottomLeft, {w / 8, h - 1 - h / 8}},
      {Corner::BottomRight, {w - 1 - w / 8, h - 1 - h / 8}}};
  std::optional<Corner> found;
  for (const auto& [corner, at] : corners) {
    if (luma(at.first, at.second) > 200) {
      if (found) return std::nullopt;
      found = corner;
    }
  }
  return found;
}

struct RotationCase {
  const char* name;
  std::function<std::string()> fixture;
  int width, height;  // upright
  Corner block;       // where the stored top-left block is shown
};

void PrintTo(const RotationCase& c, std::ostream* out) { *out << c.name; }

class UprightPictures : public ::testing::TestWithParam<RotationCase> {};

// A picture stored on its side comes out the way up it is shown, and the file information
// and the source describe that upright picture.
TEST_P(UprightPictures, AreDeliveredAndDescribedUpright) {
  const RotationCase& c = GetParam();
  const std::string path = c.fixture();
  ASSERT_FALSE(path.empty()) << "the fixture could not be made";

  std::string error;
  TMediaFileInfo* info = CreateFileInfo(path, error);
  ASSERT_NE(info, nullptr) << error;
  const TVideoInfo described = info->programs[0].video->video;
  FreeFileInfo(info);
  EXPECT_EQ(described.Width, c.width);
  EXPECT_EQ(described.Height, c.height);
  ASSERT_GT(described.yratio, 0);
  EXPECT_NEAR(double(described.xratio) / described.yratio, double(c.width) / c.height, 0.01);

  auto source = FileSource::Open(path, StreamKind::Video, {}, error);
  ASSERT_TRUE(source) << error;
  EXPECT_EQ(source->VideoInfo()->Width, c.width);
  EXPECT_EQ(source->VideoInfo()->Height, c.height);
  VideoFrame picture;
  ASSERT_TRUE(source->ReadVideo(picture)) << source->LastError();
  ASSERT_EQ(picture.frame->width, c.width);
  ASSERT_EQ(picture.frame->height, c.height);
  EXPECT_NEAR(picture.Aspect(), double(c.width) / c.height, 0.01);
  EXPECT_EQ(BrightCorner(picture.frame.get()), c.block);
  EXPECT_EQ(av_frame_get_side_data(picture.frame.get(), AV_FRAME_DATA_DISPLAYMATRIX), nullptr)
      << "a turned picture still says it is to be turned";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UprightPictures,
    ::testing::Values(
        RotationCase{"PhoneClipTag90", [] { return RotatedClip(90); }, 180, 320, Corner::BottomLeft},
        RotationCase{"PhoneClipTag270", [] { return RotatedClip(270); }, 180, 320, Corner::TopRight},
        RotationCase{"RotateTagOnly", [] { return RotateTaggedClip(); }, 180, 320, Corner::TopRight},
        RotationCase{"PhoneClipTag180", [] { return RotatedClip(180); }, 320, 180, Corner::BottomRight},
        RotationCase{"PhotoExifRotated90", [] { return ExifPhoto(6); }, 36, 64, Corner::TopRight},
        RotationCase{"PhotoExifRotated180", [] { return ExifPhoto(3); }, 64, 36, Corner::BottomRight},
        RotationCase{"PhotoExifRotated270", [] { return ExifPhoto(8); }, 36, 64, Corner::BottomLeft},
        RotationCase{"PhotoExifMirrored", [] { return ExifPhoto(2); }, 64, 36, Corner::TopRight},
        RotationCase{"PhotoExifTransposed", [] { return ExifPhoto(5); }, 36, 64, Corner::TopLeft},
        RotationCase{"PhotoExifUpright", [] { return ExifPhoto(1); }, 64, 36, Corner::TopLeft}),
    [](const auto& info) { return std::string(info.param.name); });

// Turning works plane by plane on formats whose chroma a turn keeps, and through a
// conversion on the others; each keeps its picture.
TEST(Reorient, TurnsEveryKindOfPixelFormat) {
  for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_NV12, AV_PIX_FMT_BGRA,
                               AV_PIX_FMT_RGB24, AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUYV422}) {
    SCOPED_TRACE(av_get_pix_fmt_name(format));
    // 40x20 with a white block in the top-left corner, converted from YUV 4:2:0.
    FramePtr grey = MakeBlackFrame(AV_PIX_FMT_YUV420P, 40, 20);
    ASSERT_TRUE(grey);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 40; ++x) grey->data[0][y * grey->linesize[0] + x] = (x < 10 && y < 5) ? 235 : 128;
    FrameConverter converter;
    FramePtr source =
        format == AV_PIX_FMT_YUV420P ? RefFrame(grey.get()) : converter.Convert(grey.get(), format, 40, 20);
    ASSERT_TRUE(source);
    source->sample_aspect_ratio = {4, 3};
    FramePtr turned = Reorient(source.get(), {1, false});
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->width, 20);
    EXPECT_EQ(turned->height, 40);
    EXPECT_EQ(av_cmp_q(turned->sample_aspect_ratio, AVRational{3, 4}), 0);
    FramePtr yuv = converter.Convert(turned.get(), AV_PIX_FMT_YUV420P, 20, 40);
    ASSERT_TRUE(yuv);
    EXPECT_EQ(BrightCorner(yuv.get()), Corner::TopRight);
  }
}

TEST(Orientation, FromTagsAndExifValues) {
  EXPECT_EQ(OrientationFromDegrees(90), (Orientation{1, false}));
  EXPECT_EQ(OrientationFromDegrees(-90), (Orientation{3, false}));
  EXPECT_EQ(OrientationFromDegrees(450), (Orientation{1, false}));
  EXPECT_EQ(OrientationFromDegrees(std::nan("")), Orientation{});
  EXPECT_EQ(OrientationFromExif(0), Orientation{});
  EXPECT_EQ(OrientationFromExif(9), Orientation{});
  EXPECT_EQ(OrientationFromExif(7), (Orientation{1, true}));
}

}  // namespace
