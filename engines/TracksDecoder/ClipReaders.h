#pragma once

// The readers of one clip inside a title: its pictures (a file decoder, with a video processor
// of the data process engine over it when the clip has picture settings) and its sound (a file
// decoder with an audio processor for the volume). Times are seconds into the clip; a reader
// reads forward from where it was opened. Owned and used by one decoder's consumer thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engines/TracksDecoder/TitlePlan.h"
#include "engines/media/MediaSource.h"

namespace tracks {

// A source of the handle space made for one clip, released with its entry when the reader goes.
struct HandleSource {
  engines::EngineHandle decoder = 0, processor = 0;
  bool video = true;
  std::shared_ptr<engines::media::MediaSource> source;  // what is read: the processor or the decoder
  ~HandleSource();
};

class ClipVideo {
 public:
  // Opens the clip's pictures positioned at `local`; nullptr with `error` naming the file.
  // `deinterlace`: an interlaced clip whose own settings do not deinterlace it gives a picture
  // per field (so each moment is shown whole, as for a DVD frame).
  static std::unique_ptr<ClipVideo> Open(const ClipPlan& clip, double local, bool deinterlace, std::string& error);

  // The picture shown at `local` (the last one that started at or before it; a still's only
  // picture). False with `error` naming the file when the clip cannot be read.
  bool PictureAt(double local, engines::media::VideoFrame& out, std::string& error);
  // The clip's picture settings are applied by a processor (pictures come as BGRA).
  bool Processed() const { return m_handles.processor != 0; }

 private:
  const ClipPlan* m_clip = nullptr;
  HandleSource m_handles;
  engines::media::VideoFrame m_current, m_next;
  bool m_haveCurrent = false, m_haveNext = false, m_ended = false;
};

class ClipAudio {
 public:
  // Opens the clip's sound positioned at `local`; a clip without sound reads silence. nullptr
  // with `error` naming the file when the file cannot be opened.
  static std::unique_ptr<ClipAudio> Open(const ClipPlan& clip, double local, std::string& error);

  // `count` stereo samples from sample `from` of the clip (counted from its first sample) into
  // `out` (interleaved, overwritten). Reads forward: `from` never goes back.
  bool Take(int64_t from, size_t count, float* out, std::string& error);

 private:
  const ClipPlan* m_clip = nullptr;
  HandleSource m_handles;  // no source: silence
  int64_t m_sourceOffset = 0;  // the source's sample at the clip's first sample
  std::vector<float> m_buffer;  // samples from m_bufferStart on (source samples)
  int64_t m_bufferStart = 0;
  bool m_ended = false;
};

}  // namespace tracks
