#include "engines/QM_OutputCtrl/TitleProbe.h"

#include <sys/stat.h>

#include "engines/media/StreamProbe.h"

namespace outputctrl {

std::string ProbeTitle(const std::string& file, TitleInfo& info) {
  info = TitleInfo{};
  info.file = file;
  struct stat st{};
  if (stat(file.c_str(), &st) != 0) return "cannot find '" + file + "'";
  info.bytes = st.st_size;
  engines::media::ProbedFile probed;
  std::string error = engines::media::ProbeStreams(file, probed);
  if (!error.empty()) return error;
  if (probed.videoCodec.empty()) return "'" + file + "' holds no video";
  info.container = probed.container;
  info.videoCodec = probed.videoCodec;
  info.width = probed.width;
  info.height = probed.height;
  info.frameRate = probed.frameRate;
  info.displayAspect = probed.displayAspect;
  info.wide = probed.displayAspect > 1.55;
  info.seconds = probed.seconds;
  for (const engines::media::ProbedAudio& audio : probed.audio)
    info.audio.push_back({audio.codec, audio.channels, audio.sampleRate});
  return {};
}

}  // namespace outputctrl
