// FFmpeg's messages reach the log as whole lines, however FFmpeg sends them in pieces and from
// however many threads.

#include "engines/media/MediaLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "engines/media/testing/LogCapture.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

const char* DemuxerName(void*) { return "mov"; }
const AVClass kDemuxerClass = [] {
  AVClass demuxerClass{};
  demuxerClass.class_name = "mov";
  demuxerClass.item_name = DemuxerName;
  demuxerClass.version = LIBAVUTIL_VERSION_INT;
  return demuxerClass;
}();
struct Demuxer {
  const AVClass* avClass = &kDemuxerClass;
} demuxer;

TEST(MediaLog, FfmpegMessagesArriveAsWholeLinesPerThread) {
  engines::media::testing::LogCapture log;
  engines::media::RouteAvLog();
  // One line in two pieces, the second carrying the newline: one log line, one prefix.
  av_log(&demuxer, AV_LOG_ERROR, "Packet corrupt (stream = %d, dts = %d)", 0, 7);
  // Another thread's whole line meanwhile is neither glued to nor split from the first.
  std::thread other([] {
    av_log(&demuxer, AV_LOG_WARNING, "stream 1: ");
    av_log(&demuxer, AV_LOG_WARNING, "missing picture\n");
  });
  other.join();
  av_log(&demuxer, AV_LOG_ERROR, ".\n");
  // Below warning level nothing is logged, and it does not disturb a line in progress.
  av_log(&demuxer, AV_LOG_INFO, "a note\n");
  av_log(nullptr, AV_LOG_ERROR, "two lines\nat once\n");
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "ffmpeg: [mov @ %p] ", static_cast<void*>(&demuxer));
  const std::string p = prefix;
  EXPECT_EQ(log.Text(), p + "stream 1: missing picture\n" + p + "Packet corrupt (stream = 0, dts = 7).\n" +
                            "ffmpeg: two lines\nffmpeg: at once\n");
}

}  // namespace
