// A title encoded by the real converter: the compositor composes into the converter's DVD frame
// at its aspect, shapes stay round, dvdauthor takes the file, and the title's length is kept.

#include <gtest/gtest.h>

#include <filesystem>

#include "TitleFixture.h"
#include "engines/QM_Converter/ConverterApi.h"
#include "engines/QM_Converter/tests/ConvertedPictures.h"
#include "engines/media/testing/LogCapture.h"
#include "engines/media/testing/MediaFixtures.h"
#include "platform/kernel/Unicode.h"
#include "platform/testing/Watchdog.h"

using namespace title_test;
namespace fs = std::filesystem;

namespace {

class ThroughConverter : public TitleTest {};

// The bounds of the bright pixels of a picture's luma (the circle on black).
struct Bounds {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

Bounds Bright(const AVFrame* frame) {
  Bounds b;
  for (int y = 0; y < frame->height; ++y) {
    const uint8_t* row = converted::LumaRow(frame, y);
    for (int x = 0; x < frame->width; ++x)
      if (row[x] > 128) {
        b.left = std::min(b.left, x), b.right = std::max(b.right, x);
        b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
      }
  }
  return b;
}

// The circle photo (its aspect kept) 1 s, a 0.5 s cross fade, the red clip with its tone 1 s: 1.5 s.
TEST_F(ThroughConverter, AWideAndAStandardJobKeepTheCircleRoundAndTheTitleLength) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(240));
  TCSetResizeStyle(Add(Clip("circle.png"), 1.0, 0.5), int32_t(engines::media::ResizeStyle::KeepAspect));
  Add(Clip("red.mp4"), 1.0);
  const double fps = 30000.0 / 1001.0;
  const fs::path folder = converted::OutputFolder("title-encode");
  struct Case {
    const char* name;
    int aspect;  // the parameter block's code
    double display;
  };
  for (const Case& c : {Case{"wide", 3, 16.0 / 9.0}, Case{"standard", 2, 4.0 / 3.0}}) {
    SCOPED_TRACE(c.name);
    const EngineHandle video = MTDVideoCreate(doc, 720, 480, 29.97002997, kMTDOutputFrame);
    const EngineHandle audio = MTDAudioCreate(doc, 48000, 2);
    ASSERT_TRUE(video && audio);
    videos.push_back(video);
    audios.push_back(audio);
    const EngineHandle converter = QECreate(video, audio);
    ASSERT_NE(converter, 0u);
    const std::string output = (folder / (std::string(c.name) + ".mpg")).string();
    QESetOutputFile(converter, platform::Utf8ToUtf16(output).c_str());
    QEEncodeParam param;
    QEInitEncodeParam(&param);
    param.width = 720;
    param.height = 480;
    param.frameRate = fps;
    param.aspect = c.aspect;
    ASSERT_EQ(QESetEncodeParam(converter, &param), 1);
    converted::EndWaiter waiter;
    ASSERT_EQ(QEStart(converter, 0.0, 0.0, 0, &converted::EndWaiter::Callback, &waiter), 0);
    {
      std::unique_lock lock(waiter.mutex);
      waiter.changed.wait(lock, [&] { return waiter.endCode >= 0; });
    }
    QEDestroy(converter);
    ASSERT_EQ(waiter.endCode, kQEEndDone);

    const converted::Decoded decoded = converted::Decode(output);
    EXPECT_NEAR(double(decoded.frames.size()), 1.5 * fps, 1.0);
    ASSERT_GT(decoded.frames.size(), 10u);
    const AVFrame* still = decoded.frames[10].get();
    ASSERT_EQ(still->width, 720);
    ASSERT_EQ(still->height, 480);
    const Bounds circle = Bright(still);
    // Shown at the job's aspect, the circle is as wide as it is high.
    const double shownWidth = circle.Width() * c.display * 480.0 / 720.0;
    EXPECT_NEAR(shownWidth / circle.Height(), 1.0, 0.04) << circle.Width() << "x" << circle.Height();
    EXPECT_NEAR(circle.Height(), 360, 8);  // 3/4 of the photo's height, the photo filling the height
    EXPECT_NEAR((circle.left + circle.right) / 2.0, 360, 4);

    // A picture to look at, shown at its aspect.
    engines::media::testing::RunProgram({"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-i", output, "-vf",
                                         "select=eq(n\\,10),scale=iw*sar:ih", "-frames:v", "1",
                                         (folder / (std::string(c.name) + ".png")).string()});

    const fs::path dvd = folder / (std::string(c.name) + "-dvd");
    fs::remove_all(dvd);
    EXPECT_EQ(engines::media::testing::RunProgram({"dvdauthor", "-o", dvd.string(), "-t", output}), 0);
    EXPECT_TRUE(fs::exists(dvd / "VIDEO_TS" / "VTS_01_1.VOB"));
    fs::remove_all(dvd);
  }
}

// A title with a clip that cannot be read is not encoded with a gap: the job fails naming the
// file and leaves no output behind.
TEST_F(ThroughConverter, AnUnreadableClipFailsTheJobWithItsFileNamed) {
  platform::testing::Watchdog watchdog(std::chrono::seconds(120));
  Add(Clip("red.mp4"), 1.0, 0.5);
  Add("/nonexistent/gone.mp4", 1.0);
  engines::media::testing::LogCapture log;
  const EngineHandle video = MTDVideoCreate(doc, 720, 576, 25.0, kMTDOutputFrame);
  const EngineHandle audio = MTDAudioCreate(doc, 48000, 2);
  ASSERT_TRUE(video && audio);
  videos.push_back(video);
  audios.push_back(audio);
  const EngineHandle converter = QECreate(video, audio);
  ASSERT_NE(converter, 0u);
  const std::string output = (converted::OutputFolder("title-encode") / "gap.mpg").string();
  QESetOutputFile(converter, platform::Utf8ToUtf16(output).c_str());
  QEEncodeParam param;
  QEInitEncodeParam(&param);
  param.width = 720;
  param.height = 576;
  param.frameRate = 25.0;
  ASSERT_EQ(QESetEncodeParam(converter, &param), 1);
  converted::EndWaiter waiter;
  ASSERT_EQ(QEStart(converter, 0.0, 0.0, 0, &converted::EndWaiter::Callback, &waiter), 0);
  {
    std::unique_lock lock(waiter.mutex);
    waiter.changed.wait(lock, [&] { return waiter.endCode >= 0; });
  }
  QEDestroy(converter);
  EXPECT_EQ(waiter.endCode, kQEEndFailed);
  EXPECT_NE(log.Text().find("/nonexistent/gone.mp4"), std::string::npos) << log.Text();
  EXPECT_FALSE(fs::exists(output));
}

}  // namespace
