#pragma once

// The data process engine's objects: a video processor and an audio processor, each placed
// over another source of the handle space and itself a MediaSource, so players and the
// converter take it in place of the decoder. The consumer thread reads; setters may come
// from another thread (the clip editor's GUI thread) and take m_mutex, which guards the
// settings and the last picture.

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "engines/QM_DataProcess/PictureSettings.h"
#include "engines/media/FrameConvert.h"

namespace dataprocess {

class VideoProcessor final : public engines::media::MediaSource {
 public:
  explicit VideoProcessor(std::shared_ptr<engines::media::MediaSource> source) : m_source(std::move(source)) {}

  template <typename Change>
  void Update(Change change) {
    std::lock_guard lock(m_mutex);
    change(m_settings);
  }
  PictureSettings Settings() const {
    std::lock_guard lock(m_mutex);
    return m_settings;
  }
  // Saves the last picture delivered (JPEG when `jpeg`, else BMP); false with a logged reason.
  bool SaveSnapshot(const std::string& path, bool jpeg);

  bool HasVideo() const override { return true; }
  bool HasAudio() const override { return false; }
  double Duration() const override { return m_source->Duration(); }
  const engines::media::TVideoInfo* VideoInfo() const override { return m_source->VideoInfo(); }
  const engines::media::TAudioInfo* AudioInfo() const override { return m_source->AudioInfo(); }
  bool ReadVideo(engines::media::VideoFrame& out) override;
  bool ReadAudio(engines::media::AudioBlock&) override { return false; }
  bool Seek(double seconds) override { return m_source->Seek(seconds); }
  std::string LastError() const override { return m_source->LastError(); }

 private:
  std::shared_ptr<engines::media::MediaSource> m_source;
  mutable std::mutex m_mutex;
  PictureSettings m_settings;
  engines::media::FramePtr m_last;
  engines::media::FrameConverter m_converter;  // reader thread only
  int32_t m_subtitleStream = -1;               // reader thread only; -1: never chosen here
};

class AudioProcessor final : public engines::media::MediaSource {
 public:
  explicit AudioProcessor(std::shared_ptr<engines::media::MediaSource> source) : m_source(std::move(source)) {}

  void SetVolume(int percent) { m_volume = std::clamp(percent, 0, 200); }

  bool HasVideo() const override { return false; }
  bool HasAudio() const override { return true; }
  double Duration() const override { return m_source->Duration(); }
  const engines::media::TVideoInfo* VideoInfo() const override { return m_source->VideoInfo(); }
  const engines::media::TAudioInfo* AudioInfo() const override { return m_source->AudioInfo(); }
  bool ReadVideo(engines::media::VideoFrame&) override { return false; }
  bool ReadAudio(engines::media::AudioBlock& out) override;
  bool Seek(double seconds) override { return m_source->Seek(seconds); }
  std::string LastError() const override { return m_source->LastError(); }

 private:
  std::shared_ptr<engines::media::MediaSource> m_source;
  std::atomic<int> m_volume{100};
};

}  // namespace dataprocess
