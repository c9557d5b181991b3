#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "engines/media/DvdWriter.h"
#include "engines/media/FieldRate.h"
#include "engines/media/FileSource.h"
#include "engines/media/FrameConvert.h"
#include "engines/media/testing/ShapedFixtures.h"

using namespace engines::media;
using namespace engines::media::testing;
namespace fs = std::filesystem;

namespace {

// Each field of a 1080i clip becomes a picture of its own at the field's time, holding one
// sharp bar where that field shows it: the motion of all 50 fields a second is kept.
TEST(FieldRateSource, GivesEachFieldItsOwnSharpPicture) {
  const std::string path = InterlacedBar();
  ASSERT_FALSE(path.empty());
  std::string error;
  auto file = FileSource::Open(path, StreamKind::Video, {}, error);
  ASSERT_TRUE(file) << error;
  ASSERT_EQ(SourceFieldOrder(*file), AV_FIELD_TT);
  FieldRateSource fields(file, AV_FIELD_TT);

  int count = 0;
  VideoFrame picture;
  while (fields.ReadVideo(picture)) {
    SCOPED_TRACE("field " + std::to_string(count));
    ASSERT_LT(count, 60) << "more pictures than fields";
    EXPECT_NEAR(picture.time, count / 50.0, 0.005);
    ASSERT_EQ(picture.frame->width, 1920);
    ASSERT_EQ(picture.frame->height, 1080);
    for (int y : {1, 540, 1077}) {
      const BarOnRow bar = FindBar(picture.frame->data[0] + ptrdiff_t(y) * picture.frame->linesize[0], 1920);
      ASSERT_EQ(bar.runs, 1) << "row " << y;
      EXPECT_NEAR(bar.left, BarLeftInField(count), 2) << "row " << y;
      EXPECT_NEAR(bar.width, kBarWidth, 4) << "row " << y;
      EXPECT_EQ(bar.ghostPixels, 0) << "row " << y;
    }
    ++count;
  }
  EXPECT_TRUE(fields.LastError().empty()) << fields.LastError();
  EXPECT_EQ(count, 50);

  // After a seek the fields start again, each still at its own time.
  ASSERT_TRUE(fields.Seek(0.4));
  ASSERT_TRUE(fields.ReadVideo(picture)) << fields.LastError();
  const BarOnRow bar = FindBar(picture.frame->data[0] + 540 * ptrdiff_t(picture.frame->linesize[0]), 1920);
  EXPECT_NEAR(bar.left, BarLeftInField(int(std::lround(picture.time * 50))), 2);
}

TEST(SourceFieldOrder, ProgressiveForProgressiveFiles) {
  std::string error;
  auto file = FileSource::Open(Fixture("h264_aac.mp4"), StreamKind::Video, {}, error);
  ASSERT_TRUE(file) << error;
  EXPECT_EQ(SourceFieldOrder(*file), AV_FIELD_PROGRESSIVE);
}

// Two 720x576 pictures of which every line says which field it is woven from.
TEST(WeaveFields, TakesEachFieldFromItsPicture) {
  FramePtr first = MakeBlackFrame(AV_PIX_FMT_YUV420P, 720, 576);
  FramePtr second = MakeBlackFrame(AV_PIX_FMT_YUV420P, 720, 576);
  FramePtr woven = MakeBlackFrame(AV_PIX_FMT_YUV420P, 720, 576);
  ASSERT_TRUE(first && second && woven);
  std::fill_n(first->data[0], size_t(first->linesize[0]) * 576, uint8_t(50));
  std::fill_n(second->data[0], size_t(second->linesize[0]) * 576, uint8_t(200));
  for (bool topFirst : {true, false}) {
    WeaveFields(first.get(), second.get(), woven.get(), topFirst);
    for (int y = 0; y < 576; ++y) {
      const bool top = y % 2 == 0;
      ASSERT_EQ(woven->data[0][ptrdiff_t(y) * woven->linesize[0] + 360], top == topFirst ? 50 : 200) << y;
    }
  }
}

struct WriterCase {
  const char* name;
  AVFieldOrder settings;
  bool interlaced, topFirst;
};

void PrintTo(const WriterCase& c, std::ostream* out) { *out << c.name; }

class WriterFieldOrder : public ::testing::TestWithParam<WriterCase> {};

// The writer encodes interlaced pictures as such, with the field order it was given, and
// progressive ones as before.
TEST_P(WriterFieldOrder, IsWhatTheFileSays) {
  const WriterCase& c = GetParam();
  const fs::path folder = fs::path(BRANTWELL_TEST_BIN_DIR) / ("interlace-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::atomic<bool> abort{false};
  DvdWriter::Settings settings;
  settings.path = (folder / (std::string(c.name) + ".mpg")).string();
  settings.width = 720;
  settings.height = 576;
  settings.frameRate = {25, 1};
  settings.sampleAspect = {16, 15};
  settings.fieldOrder = c.settings;
  settings.abort = &abort;
  DvdWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(settings, error)) << error;
  writer.StartThread();
  for (int64_t i = 0; i < 6; ++i) {
    FramePtr picture = MakeBlackFrame(AV_PIX_FMT_YUV420P, 720, 576);
    picture->pts = i;
    ASSERT_TRUE(writer.Push(std::move(picture), true));
  }
  ASSERT_TRUE(writer.Finish(error)) << error;

  auto file = FileSource::Open(settings.path, StreamKind::Video, {}, error);
  ASSERT_TRUE(file) << error;
  EXPECT_EQ(file->FieldOrder(), c.interlaced ? (c.topFirst ? AV_FIELD_TT : AV_FIELD_BB) : AV_FIELD_PROGRESSIVE);
  VideoFrame picture;
  int count = 0;
  while (file->ReadVideo(picture)) {
    EXPECT_EQ(bool(picture.frame->interlaced_frame), c.interlaced);
    if (c.interlaced) {
      EXPECT_EQ(bool(picture.frame->top_field_first), c.topFirst);
    }
    ++count;
  }
  EXPECT_EQ(count, 6);
  fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Cases, WriterFieldOrder,
                         ::testing::Values(WriterCase{"TopFirst", AV_FIELD_TT, true, true},
                                           WriterCase{"BottomFirst", AV_FIELD_BB, true, false},
                                           WriterCase{"Progressive", AV_FIELD_PROGRESSIVE, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
