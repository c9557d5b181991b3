#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "engines/media/DvdWriter.h"
#include "engines/media/FrameConvert.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

using namespace engines::media;
namespace fs = std::filesystem;

namespace {

FramePtr SilentAudioFrame(const DvdWriter& writer, int64_t pts) {
  FramePtr frame = MakeFrame();
  frame->nb_samples = writer.AudioFrameSize();
  frame->format = writer.AudioFormat();
  frame->sample_rate = 48000;
  av_channel_layout_default(&frame->ch_layout, 2);
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  for (int plane = 0; plane < AV_NUM_DATA_POINTERS && frame->buf[plane]; ++plane) {
    std::fill_n(frame->buf[plane]->data, frame->buf[plane]->size, uint8_t(0));
  }
  frame->pts = pts;
  return frame;
}

}  // namespace

fs::path TestFolder() {
  const fs::path folder = fs::path(BRANTWELL_TEST_BIN_DIR) / ("dvdwriter-" + std::to_string(getpid()));
  fs::create_directories(folder);
  return folder;
}

// An abort that arrives once the last picture is queued, while the end is being written,
// leaves an unfinished file: finishing must not report it as written.
TEST(DvdWriter, FinishingAfterAnAbortIsNoSuccess) {
  const fs::path folder = TestFolder();
  std::atomic<bool> abort{false};
  DvdWriter::Settings settings;
  settings.path = (folder / "aborted.mpg").string();
  settings.abort = &abort;

  DvdWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(settings, error)) << error;
  writer.StartThread();
  for (int64_t i = 0; i < 4; ++i) {
    FramePtr picture = MakeBlackFrame(AV_PIX_FMT_YUV420P, settings.width, settings.height);
    ASSERT_TRUE(picture);
    picture->pts = i;
    ASSERT_TRUE(writer.Push(std::move(picture), true));
    FramePtr sound = SilentAudioFrame(writer, i * writer.AudioFrameSize());
    ASSERT_TRUE(sound);
    ASSERT_TRUE(writer.Push(std::move(sound), false));
  }
  abort = true;
  EXPECT_FALSE(writer.Finish(error));
  EXPECT_TRUE(error.empty()) << "an abort is not a failure: " << error;
  fs::remove_all(folder);
}

// The reader waits for room in a full queue when the job is aborted: the encoder thread
// stops on the abort and must wake it, or the job never reports its end.
TEST(DvdWriter, AnAbortWakesAPushWaitingForRoom) {
  const fs::path folder = TestFolder();
  std::atomic<bool> abort{false};
  DvdWriter::Settings settings;
  settings.path = (folder / "full.mpg").string();
  settings.abort = &abort;

  DvdWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(settings, error)) << error;
  auto picture = [&] { return MakeBlackFrame(AV_PIX_FMT_YUV420P, settings.width, settings.height); };
  // The encoder thread is not running yet, so the queue fills up.
  int queued = 0;
  auto fill = std::async(std::launch::async, [&] {
    for (;; ++queued) {
      FramePtr frame = picture();
      frame->pts = queued;
      if (!writer.Push(std::move(frame), true)) return;
    }
  });
  ASSERT_EQ(fill.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout) << "the queue has no bound";
  abort = true;
  writer.StartThread();
  const bool woke = fill.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!woke) writer.Stop();  // the watchdog: release the push so that the test can end
  EXPECT_TRUE(woke) << "the push stayed blocked after the abort";
  fill.wait();
  EXPECT_GT(queued, 0);
  fs::remove_all(folder);
}
