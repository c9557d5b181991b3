#pragma once

// The source a view's video processor reads: the player hands it each decoded picture (Put)
// and the processor's next read delivers that picture once. It reports the played source's
// video information, so the processor's information is the source's. Put and ReadVideo come
// from whichever thread processes the view's picture (under the view's process lock);
// m_mutex guards every field.

#include <mutex>

#include "engines/media/MediaSource.h"

namespace player {

// A copy of a picture that shares its pixel buffers.
inline engines::media::VideoFrame ShareFrame(const engines::media::VideoFrame& frame) {
  engines::media::VideoFrame copy;
  if (frame.frame) copy.frame = engines::media::RefFrame(frame.frame.get());
  copy.time = frame.time;
  copy.displayAspect = frame.displayAspect;
  copy.style = frame.style;
  copy.subtitles = frame.subtitles;
  return copy;
}

class FeedSource final : public engines::media::MediaSource {
 public:
  void SetInfo(const engines::media::TVideoInfo& info, double duration) {
    std::lock_guard lock(m_mutex);
    m_info = info;
    m_duration = duration;
  }
  void Put(const engines::media::VideoFrame& frame) {
    std::lock_guard lock(m_mutex);
    m_frame = ShareFrame(frame);
    m_pending = m_frame.frame != nullptr;
  }

  bool HasVideo() const override { return true; }
  bool HasAudio() const override { return false; }
  double Duration() const override {
    std::lock_guard lock(m_mutex);
    return m_duration;
  }
  // The record stays where it is for the life of the feed; its contents change with the sources.
  const engines::media::TVideoInfo* VideoInfo() const override { return &m_info; }
  const engines::media::TAudioInfo* AudioInfo() const override { return &m_audioInfo; }
  bool ReadVideo(engines::media::VideoFrame& out) override {
    std::lock_guard lock(m_mutex);
    if (!m_pending) return false;
    out = ShareFrame(m_frame);
    m_pending = false;
    return out.frame != nullptr;
  }
  bool ReadAudio(engines::media::AudioBlock&) override { return false; }
  bool Seek(double) override { return true; }
  std::string LastError() const override { return {}; }

 private:
  mutable std::mutex m_mutex;
  engines::media::TVideoInfo m_info{};
  engines::media::TAudioInfo m_audioInfo{};
  double m_duration = 0.0;
  engines::media::VideoFrame m_frame;
  bool m_pending = false;
};

}  // namespace player
