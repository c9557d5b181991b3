#pragma once

// Shared by the tests of the engine wrappers: generated media (made with the ffmpeg tool into
// the test binary folder, as the media engines' own tests make theirs), a scratch folder, an
// encoding run with a watchdog, and a BMP pixel reader.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "engines/media/testing/MediaFixtures.h"
#include "platform/kernel/Unicode.h"
#include "program/engine/EngineBinding.h"
#include "program/engine/MediaEncode.h"

namespace enginetest {

namespace fs = std::filesystem;
using engines::media::testing::Fixture;

// Binds the media engines as the program's start-up does (the player is not needed here).
inline void BindMediaEngines() {
  DataProcessLibrary.Load();
  EncoderLibrary.Load();
  ConverterLibrary.Load();
  DecoderLibrary.Load(nullptr);
  DecoderLibrary.Start();
  EncoderLibrary.Start();
}

// A 1 s 320x240 clip at 30000/1001 with 48 kHz stereo sound; empty when ffmpeg failed.
inline std::string OneSecondClip() {
  const fs::path path = engines::media::testing::FixtureFolder() / "wrappers_clip_1s.mp4";
  if (fs::exists(path)) return path.string();
  const fs::path temporary = path.parent_path() / ("tmp-" + std::to_string(getpid()) + "-" + path.filename().string());
  const int status = engines::media::testing::RunProgram(
      {"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
       "testsrc2=size=320x240:rate=30000/1001:duration=1", "-f", "lavfi", "-i",
       "sine=frequency=440:sample_rate=48000:duration=1", "-ac", "2", "-c:v", "libx264", "-preset", "ultrafast",
       "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", temporary.string()});
  if (status != 0) {
    fs::remove(temporary);
    return {};
  }
  fs::rename(temporary, path);
  return path.string();
}

// A fresh folder under the test binary folder, removed afterwards.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) {
    m_path = fs::path(BRANTWELL_TEST_BIN_DIR) / ("engine-wrappers-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(m_path);
    fs::create_directories(m_path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  const fs::path& path() const { return m_path; }
  fs::path operator/(const std::string& name) const { return m_path / fs::u8path(name); }

 private:
  fs::path m_path;
};

// What the converter's callback reported; filled on the converter's thread.
struct EncodeLog {
  std::mutex mutex;
  std::condition_variable ended;
  int progressCalls = 0;
  int endCalls = 0;
  int endCode = -1;
  int lastPercent = -1;
  bool percentWentBack = false;
  bool progressAfterEnd = false;

  static int32_t Callback(void* userData, int32_t message, int32_t code, void* progress) {
    auto* log = static_cast<EncodeLog*>(userData);
    std::lock_guard lock(log->mutex);
    if (message == 1) {  // the end
      ++log->endCalls;
      log->endCode = code;
      log->ended.notify_all();
    } else if (message == 0) {
      if (log->endCalls) log->progressAfterEnd = true;
      ++log->progressCalls;
      if (progress) {
        int32_t percent = 0;
        std::memcpy(&percent, static_cast<const char*>(progress) + 16, sizeof percent);
        if (percent < log->lastPercent) log->percentWentBack = true;
        log->lastPercent = percent;
      }
    }
    return 0;
  }

  // Waits for the end report; false when none came within the watchdog's time.
  bool WaitForEnd() {
    std::unique_lock lock(mutex);
    return ended.wait_for(lock, std::chrono::seconds(120), [&] { return endCalls > 0; });
  }
};

// The 112-byte encoding parameter block; all zero asks the converter for its defaults (NTSC,
// the source's aspect, 6 Mbit/s, AC-3).
struct EncodeParamBlock {
  alignas(8) uint8_t bytes[112] = {};
};

// Encodes with `encoder` and waits for the end; fails the test when it does not start.
inline int EncodeAndWait(TMediaEncoder& encoder, const fs::path& output, EncodeLog& log, double begin = 0.0,
                         double length = 0.0) {
  EncodeParamBlock params;
  const TEncodeStartResult start = encoder.Start(platform::Utf8ToUtf16(output.string()), params.bytes,
                                                 &EncodeLog::Callback, &log, begin, length);
  EXPECT_TRUE(start.Started()) << start.Message;
  if (!start.Started()) return -1;
  EXPECT_TRUE(log.WaitForEnd()) << "no end report";
  std::lock_guard lock(log.mutex);
  return log.endCode;
}

// One pixel (B, G, R) of an uncompressed 24-bit BMP file.
struct Bgr {
  int b, g, r;
};
inline Bgr BmpPixel(const fs::path& file, int x, int y) {
  std::ifstream in(file, std::ios::binary);
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto read32 = [&](size_t at) {
    int32_t value = 0;
    std::memcpy(&value, data.data() + at, 4);
    return value;
  };
  if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return {-1, -1, -1};
  const int32_t offset = read32(10), width = read32(18), height = read32(22);
  const int rowBytes = (width * 3 + 3) & ~3;
  const int row = height > 0 ? height - 1 - y : y;  // bottom-up unless the height is negative
  const size_t at = size_t(offset) + size_t(row) * rowBytes + size_t(x) * 3;
  if (at + 3 > data.size()) return {-1, -1, -1};
  return {data[at], data[at + 1], data[at + 2]};
}

}  // namespace enginetest
