#pragma once

// A sound device of SDL2 fed from a queue: 48 kHz interleaved stereo float samples. Open
// answers null when no device opens (no sound server, a headless machine) or when
// BRANTWELL_AUDIO=null asks for silence; the playback then times itself on a steady clock.
// Opened and closed on the GUI thread; Queue, QueuedSeconds, Pause and Clear on any one
// thread at a time (SDL locks the device itself).

#include <cstddef>
#include <cstdint>
#include <memory>

namespace player {

class AudioOutput {
 public:
  static std::unique_ptr<AudioOutput> Open();
  ~AudioOutput();
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  bool Queue(const float* samples, size_t frames);
  double QueuedSeconds() const;
  void Pause(bool paused);
  void Clear();

 private:
  explicit AudioOutput(uint32_t device) : m_device(device) {}
  uint32_t m_device;
};

}  // namespace player
