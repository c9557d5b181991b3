#pragma once

// StreamProbe: what an engine needs to know of a media file's container and streams without
// decoding it: the container, the first video stream's codec and picture format, each audio
// stream, the length. Failing FFmpeg calls are logged through MediaLog; FFmpeg's own log is
// routed there, never silenced. Any thread.

#include <string>
#include <vector>

namespace engines::media {

struct ProbedAudio {
  std::string codec;  // libavcodec's name: "ac3", "pcm_dvd", "mp2" ...
  int channels = 0;
  int sampleRate = 0;
  bool operator==(const ProbedAudio&) const = default;
};

struct ProbedFile {
  std::string container;   // libavformat's short name: "mpeg" for a program stream
  std::string videoCodec;  // empty: no video stream
  int width = 0;
  int height = 0;
  double frameRate = 0;
  double displayAspect = 0;  // width / height as shown, after the pixel aspect
  std::vector<ProbedAudio> audio;
  double seconds = 0;  // 0 when the container does not say
};

// Empty on success; otherwise what failed on which file ("cannot open 'x.mpg': ...").
__attribute__((visibility("default"))) std::string ProbeStreams(const std::string& path, ProbedFile& probed);

}  // namespace engines::media
