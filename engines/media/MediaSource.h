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

#include <memory>
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

// One subtitle of a source's subtitle stream: a text (UTF-8, lines split by '\n') or a
// picture (BGRA, straight alpha) placed on a canvas of `canvasWidth` x `canvasHeight` (the
// stream's own frame size; 0 when it has none), shown from `start` to `end` (seconds from the
// start of the source).
struct SubtitleCue {
  double start = 0.0, end = 0.0;
  std::string text;
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> bgra;
  int canvasWidth = 0, canvasHeight = 0;
};

struct VideoFrame {
  FramePtr frame;
  double time = 0.0;           // seconds from the start of the source
  double displayAspect = 0.0;  // width / height as displayed; 0 = square pixels
  ResizeStyle style = ResizeStyle::KeepAspect;
  // The subtitles of the selected subtitle stream on screen at this picture, in the order
  // they started; drawn by whoever shows the subtitles (the data process engine).
  std::vector<std::shared_ptr<const SubtitleCue>> subtitles;
  // The picture is already the consumer's whole output frame (the size and display aspect it
  // asked for through SetOutputFormat), placed and bordered: it is not placed again.
  bool composed = false;

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
  // Chooses the subtitle stream whose cues come with the pictures (the stream identifier of
  // the file information; 0 = none). Called by the consumer thread. False when the source has
  // no such stream; sources without subtitles accept only 0.
  virtual bool SelectSubtitles(int32_t streamId) { return streamId == 0; }
  // The consumer's output frame: `width` x `height` pixels displayed at `displayAspect`.
  // Called by the consumer before its first read. A source that composes whole frames (a
  // title's track decoder) then delivers pictures of exactly that frame, marked `composed`;
  // others ignore it.
  virtual void SetOutputFormat(int width, int height, double displayAspect) {
    (void)width, (void)height, (void)displayAspect;
  }
};

}  // namespace engines::media
