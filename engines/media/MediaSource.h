#pragma once

// MediaSource: what every object in the engine handle space that yields pictures or sound
// implements, so that one engine can read from an object another engine made. The decoder
// manager's decoders, the data process engine's processors and the timeline's track decoders
// are MediaSources; the converter and the player take any of them by handle
// (engines::Lookup<MediaSource>(handle)).
//
// Contract:
// - A source is read by one thread at a time (its consumer: a converter thread or a player
//   thread). Setters of processors may be called from other threads; they take the
//   processor's own lock.
// - ReadVideo delivers the next picture in presentation order, at the source's own size, in
//   any pixel format FFmpeg knows (decoders give the codec's format, processors BGRA), with
//   its time in seconds from the start of the source and the aspect at which it is displayed.
//   A still picture delivers one frame at time 0 and then reports the end; its consumer holds
//   it for Duration().
// - ReadAudio delivers the next block of 48 kHz interleaved stereo float samples with the
//   time of its first sample.
// - Seek positions both streams so that the next frame read is the one shown at `seconds`
//   (frames before it are decoded and dropped), and the next audio sample is the one at
//   `seconds`.
// - At the end, or on a decoding failure that cannot be passed over, Read* return false;
//   LastError() then says what failed (empty at a plain end).

#include <string>
#include <vector>

#include "engines/common/EngineHandles.h"
#include "engines/media/AvPtr.h"
#include "engines/media/MediaRecords.h"

namespace engines::media {

constexpr int kAudioRate = 48000;
constexpr int kAudioChannels = 2;

// How a picture is placed into an output frame (the clip's resize style). The values mirror
// the player view's display modes.
enum class ResizeStyle : int32_t {
  Stretch = 0,     // fill the whole frame, aspect ignored
  KeepAspect = 1,  // the picture's own aspect, letterboxed or pillarboxed
  Wide = 2,        // shown as a 16:9 picture
  Standard = 3,    // shown as a 4:3 picture
  Fill = 4,        // the picture's aspect, cut to fill the whole frame
  FillHeight = 5,  // the picture's aspect, scaled to the frame's height (sides cut or padded)
};

struct VideoFrame {
  FramePtr frame;
  double time = 0.0;           // seconds from the start of the source
  double displayAspect = 0.0;  // width / height as displayed; 0 = square pixels
  ResizeStyle style = ResizeStyle::KeepAspect;

  double Aspect() const {
    if (displayAspect > 0.0) return displayAspect;
    return frame && frame->height > 0 ? double(frame->width) / frame->height : 4.0 / 3.0;
  }
};

struct AudioBlock {
  std::vector<float> samples;  // interleaved stereo, kAudioRate per second
  double time = 0.0;

  size_t SampleCount() const { return samples.size() / kAudioChannels; }
};

class __attribute__((visibility("default"))) MediaSource : public engines::EngineObject {
 public:
  virtual bool HasVideo() const = 0;
  virtual bool HasAudio() const = 0;
  // Seconds; for a still picture the time it is shown by default.
  virtual double Duration() const = 0;
  // Records owned by the source, valid while it lives (all zero for a missing stream).
  virtual const TVideoInfo* VideoInfo() const = 0;
  virtual const TAudioInfo* AudioInfo() const = 0;

  virtual bool ReadVideo(VideoFrame& out) = 0;
  virtual bool ReadAudio(AudioBlock& out) = 0;
  virtual bool Seek(double seconds) = 0;
  virtual std::string LastError() const = 0;
};

}  // namespace engines::media
