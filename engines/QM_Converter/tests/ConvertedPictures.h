#pragma once

// For tests that look at the pictures a conversion made: converts a file through the engine's
// C API (video and sound from the decoder manager) and decodes the DVD file it wrote.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "engines/QM_Converter/ConverterApi.h"
#include "engines/media/AvPtr.h"
#include "engines/media/DecoderApi.h"
#include "platform/kernel/Unicode.h"

namespace converted {

inline std::filesystem::path OutputFolder(const std::string& prefix) {
  std::filesystem::path folder =
      std::filesystem::path(BRANTWELL_TEST_BIN_DIR) / (prefix + "-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  return folder;
}

struct EndWaiter {
  std::mutex mutex;
  std::condition_variable changed;
  int endCode = -1;

  static int32_t Callback(void* user, int32_t message, int32_t code, QEProgress*) {
    auto* self = static_cast<EndWaiter*>(user);
    if (message != kQEMessageEnd) return -1;
    std::lock_guard lock(self->mutex);
    self->endCode = code;
    self->changed.notify_all();
    return -1;
  }
};

// Converts the whole of `input` into `output` (PAL or NTSC, aspect code 2 = 4:3, 3 = 16:9, 0 =
// automatic); the end code, or -1 when the job did not end within two minutes.
inline int Convert(const std::string& input, const std::string& output, bool pal, int aspect) {
  const std::u16string wide = platform::Utf8ToUtf16(input);
  EngineHandle video = QVDCreate(wide.c_str(), nullptr, nullptr, 0);
  EngineHandle audio = QADCreate(wide.c_str(), nullptr, nullptr, 0);
  EngineHandle converter = QECreate(video, audio);
  int code = -1;
  if (converter) {
    QESetOutputFile(converter, platform::Utf8ToUtf16(output).c_str());
    QEEncodeParam param;
    QEInitEncodeParam(&param);
    param.width = 720;
    param.height = pal ? 576 : 480;
    param.frameRate = pal ? 25.0 : 30000.0 / 1001.0;
    param.aspect = aspect;
    EndWaiter waiter;
    if (QESetEncodeParam(converter, &param) == 1 &&
        QEStart(converter, 0.0, 0.0, 0, &EndWaiter::Callback, &waiter) == 0) {
      std::unique_lock lock(waiter.mutex);
      if (!waiter.changed.wait_for(lock, std::chrono::seconds(120), [&] { return waiter.endCode >= 0; })) {
        lock.unlock();
        QEAbort(converter, 0, 0);  // the watchdog: the job is stopped before it is destroyed
      }
      code = waiter.endCode;
    }
    QEDestroy(converter);
  }
  if (video) QVDDestroy(video);
  if (audio) QADDestroy(audio);
  return code;
}

struct Decoded {
  std::vector<engines::media::FramePtr> frames;  // in presentation order
  AVFieldOrder fieldOrder = AV_FIELD_UNKNOWN;     // as the stream says
  AVRational sampleAspect{0, 1};
};

// Decodes every picture of the video stream of a file.
inline Decoded Decode(const std::string& path) {
  using namespace engines::media;
  Decoded decoded;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return decoded;
  InputContextPtr format(raw);
  if (avformat_find_stream_info(format.get(), nullptr) < 0) return decoded;
  const AVCodec* decoder = nullptr;
  const int index = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (index < 0 || !decoder) return decoded;
  const AVStream* stream = format->streams[index];
  decoded.fieldOrder = stream->codecpar->field_order;
  decoded.sampleAspect = stream->codecpar->sample_aspect_ratio;
  CodecContextPtr codec(avcodec_alloc_context3(decoder));
  avcodec_parameters_to_context(codec.get(), stream->codecpar);
  codec->thread_count = 1;
  if (avcodec_open2(codec.get(), decoder, nullptr) < 0) return decoded;
  PacketPtr packet = MakePacket();
  auto take = [&] {
    for (FramePtr frame = MakeFrame(); avcodec_receive_frame(codec.get(), frame.get()) == 0; frame = MakeFrame())
      decoded.frames.push_back(std::move(frame));
  };
  while (av_read_frame(format.get(), packet.get()) >= 0) {
    if (packet->stream_index == index) {
      avcodec_send_packet(codec.get(), packet.get());
      take();
    }
    av_packet_unref(packet.get());
  }
  avcodec_send_packet(codec.get(), nullptr);
  take();
  return decoded;
}

// Luma of a row of a picture.
inline const uint8_t* LumaRow(const AVFrame* frame, int y) {
  return frame->data[0] + ptrdiff_t(y) * frame->linesize[0];
}

// The columns of a row that are not black (luma above 24): first and one past the last.
inline std::pair<int, int> PictureColumns(const AVFrame* frame, int y) {
  const uint8_t* row = LumaRow(frame, y);
  int left = 0, right = frame->width;
  while (left < right && row[left] <= 24) ++left;
  while (right > left && row[right - 1] <= 24) --right;
  return {left, right};
}

}  // namespace converted
