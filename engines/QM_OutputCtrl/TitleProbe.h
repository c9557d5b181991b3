#pragma once

// What authoring needs to know of an encoded title, read through the media engines' probe
// (engines/media/StreamProbe.h): its video format, its audio streams and its length. Any thread.

#include <string>
#include <vector>

namespace outputctrl {

struct AudioStreamInfo {
  std::string codec;  // libavcodec's name: "ac3", "pcm_dvd", "mp2" ...
  int channels = 0;
  int sampleRate = 0;
  bool operator==(const AudioStreamInfo&) const = default;
};

struct TitleInfo {
  std::string file;
  std::string container;  // "mpeg" for a program stream
  std::string videoCodec;
  int width = 0;
  int height = 0;
  double frameRate = 0;
  bool wide = false;  // display aspect 16:9 (else 4:3)
  double displayAspect = 0;
  std::vector<AudioStreamInfo> audio;
  double seconds = 0;
  long long bytes = 0;
};

// Empty error on success.
std::string ProbeTitle(const std::string& file, TitleInfo& info);

}  // namespace outputctrl
