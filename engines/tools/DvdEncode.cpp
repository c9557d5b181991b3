// dvd-encode: one file to a DVD-Video MPEG-2 program stream through the engines, as the
// program's output job drives them.

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "engines/QM_Converter/ConverterApi.h"
#include "engines/media/DecoderApi.h"
#include "platform/kernel/Unicode.h"

namespace {

struct Job {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  int code = -1;
  int lastPercent = -1;
};

int32_t Progress(void* userData, int32_t message, int32_t code, QEProgress* progress) {
  auto* job = static_cast<Job*>(userData);
  if (message == kQEMessageProgress && progress && progress->percent != job->lastPercent) {
    job->lastPercent = progress->percent;
    std::fprintf(stderr, "\r%3d%%  %6.1f s  %lld KiB", progress->percent, progress->secondsDone,
                 static_cast<long long>(progress->bytesWritten / 1024));
  } else if (message == kQEMessageEnd) {
    std::lock_guard lock(job->mutex);
    job->done = true;
    job->code = code;
    job->ended.notify_all();
  }
  return -1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: dvd-encode [--pal] [--bitrate KBITS] [--maxrate KBITS] [--audio ac3|mp2]\n"
               "                  [--aspect auto|4:3|16:9] INPUT OUTPUT.mpg\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QEEncodeParam param;
  QEInitEncodeParam(&param);
  std::string input, output;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (argument == "--pal") {
      param.height = 576;
      param.frameRate = 25.0;
      param.gopSize = 15;
    } else if (argument == "--bitrate") {
      param.videoBitrate = std::atoi(value().c_str()) * 1000;
      if (param.maxBitrate < param.videoBitrate) param.maxBitrate = std::min(9800000, param.videoBitrate * 3 / 2);
    } else if (argument == "--maxrate") {
      param.maxBitrate = std::atoi(value().c_str()) * 1000;
    } else if (argument == "--audio") {
      const std::string codec = value();
      if (codec != "ac3" && codec != "mp2") return Usage();
      param.audioCodec = codec == "mp2" ? 1 : 0;
    } else if (argument == "--aspect") {
      const std::string aspect = value();
      param.aspect = aspect == "4:3" ? 2 : aspect == "16:9" ? 3 : aspect == "auto" ? 0 : -1;
      if (param.aspect < 0) return Usage();
    } else if (!argument.empty() && argument[0] == '-') {
      return Usage();
    } else if (input.empty()) {
      input = argument;
    } else if (output.empty()) {
      output = argument;
    } else {
      return Usage();
    }
  }
  if (input.empty() || output.empty()) return Usage();

  QDMStart();
  const std::u16string wideInput = platform::Utf8ToUtf16(input);
  EngineHandle video = QVDCreate(wideInput.c_str(), nullptr, nullptr, 0);
  EngineHandle audio = QADCreate(wideInput.c_str(), nullptr, nullptr, 0);
  EngineHandle converter = QECreate(video, audio);
  int status = 1;
  if (!converter) {
    std::fprintf(stderr, "dvd-encode: cannot read '%s'\n", input.c_str());
  } else if (!QESetOutputFile(converter, platform::Utf8ToUtf16(output).c_str()) ||
             !QESetEncodeParam(converter, &param)) {
    std::fprintf(stderr, "dvd-encode: the output settings were refused\n");
  } else {
    Job job;
    if (QEStart(converter, 0.0, 0.0, 0, &Progress, &job) != 0) {
      std::fprintf(stderr, "dvd-encode: the encoding did not start\n");
    } else {
      std::unique_lock lock(job.mutex);
      job.ended.wait(lock, [&] { return job.done; });
      std::fprintf(stderr, "\n");
      if (job.code == kQEEndDone) {
        status = 0;
      } else {
        std::fprintf(stderr, "dvd-encode: the encoding failed (code %d)\n", job.code);
      }
    }
  }
  QEDestroy(converter);
  QVDDestroy(video);
  QADDestroy(audio);
  QDMStop();
  return status;
}
