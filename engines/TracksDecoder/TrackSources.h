#pragma once

// The two track decoders of a title: its pictures composed on a frame-rate grid and its sound
// mixed at 48 kHz stereo. Each owns a copy of the title (TitlePlan) and the readers of the
// clips it is in (at most the two clips of a transition plus the next one); each is read by one
// consumer thread (see MediaSource).

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engines/TracksDecoder/ClipReaders.h"
#include "engines/TracksDecoder/TitlePlan.h"
#include "engines/media/FrameConvert.h"
#include "engines/media/MediaSource.h"

namespace tracks {

class VideoTrack final : public engines::media::MediaSource {
 public:
  // `outputFrame`: a DVD frame displayed at the consumer's aspect (4:3 until SetOutputFormat);
  // otherwise square pixels.
  VideoTrack(TitlePlan plan, int width, int height, double fps, bool outputFrame);

  bool HasVideo() const override { return true; }
  bool HasAudio() const override { return false; }
  double Duration() const override { return m_plan.length; }
  const engines::media::TVideoInfo* VideoInfo() const override { return &m_info; }
  const engines::media::TAudioInfo* AudioInfo() const override { return &m_noAudio; }
  bool ReadVideo(engines::media::VideoFrame& out) override;
  bool ReadAudio(engines::media::AudioBlock&) override { return false; }
  bool Seek(double seconds) override;
  std::string LastError() const override { return m_error; }
  void SetOutputFormat(int width, int height, double displayAspect) override;

  int64_t FrameCount() const { return m_frameCount; }
  // Clips whose readers are open now (for tests of how much stays open).
  size_t OpenClipCount() const { return m_readers.size(); }

 private:
  void Describe();
  // The clip's picture at title time `t` placed into a new black frame of `format`.
  engines::media::FramePtr PlaceClip(size_t index, double t, AVPixelFormat format);
  engines::media::FramePtr Compose(double t);
  ClipVideo* Reader(size_t index, double t);
  // Closes the readers no longer needed at `t` and opens the next clip ahead of its start.
  void KeepReaders(double t);

  TitlePlan m_plan;
  int m_width, m_height;
  double m_fps;
  bool m_outputFrame;  // a DVD frame: interlaced clips are deinterlaced
  double m_display;
  int64_t m_frameCount = 0;
  int64_t m_nextFrame = 0;
  std::map<size_t, std::unique_ptr<ClipVideo>> m_readers;
  size_t m_openedAhead = SIZE_MAX;  // the clip last opened ahead of its start
  engines::media::FrameConverter m_converter;
  engines::media::TVideoInfo m_info{};
  engines::media::TAudioInfo m_noAudio{};
  std::string m_error;
};

class AudioTrack final : public engines::media::MediaSource {
 public:
  explicit AudioTrack(TitlePlan plan);

  bool HasVideo() const override { return false; }
  bool HasAudio() const override { return true; }
  double Duration() const override { return m_plan.length; }
  const engines::media::TVideoInfo* VideoInfo() const override { return &m_noVideo; }
  const engines::media::TAudioInfo* AudioInfo() const override { return &m_info; }
  bool ReadVideo(engines::media::VideoFrame&) override { return false; }
  bool ReadAudio(engines::media::AudioBlock& out) override;
  bool Seek(double seconds) override;
  std::string LastError() const override { return m_error; }

  int64_t SampleCount() const { return m_sampleCount; }

 private:
  // The gain of clip `index` at title sample `n`: its fades and the crossfades it is in.
  double Gain(size_t index, int64_t n) const;
  bool MixClip(size_t index, int64_t from, size_t count, float* out);

  TitlePlan m_plan;
  int64_t m_sampleCount = 0;
  int64_t m_nextSample = 0;
  std::map<size_t, std::unique_ptr<ClipAudio>> m_readers;
  std::vector<float> m_scratch;
  engines::media::TVideoInfo m_noVideo{};
  engines::media::TAudioInfo m_info{};
  std::string m_error;
};

}  // namespace tracks
