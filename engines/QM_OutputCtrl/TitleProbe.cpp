#include "engines/QM_OutputCtrl/TitleProbe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <sys/stat.h>

#include <cmath>
#include <memory>

namespace outputctrl {
namespace {

struct InputCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace

std::string ProbeTitle(const std::string& file, TitleInfo& info) {
  info = TitleInfo{};
  info.file = file;
  struct stat st{};
  if (stat(file.c_str(), &st) != 0) return "cannot find '" + file + "'";
  info.bytes = st.st_size;
  av_log_set_level(AV_LOG_QUIET);
  AVFormatContext* raw = nullptr;
  int result = avformat_open_input(&raw, file.c_str(), nullptr, nullptr);
  if (result < 0) return "cannot open '" + file + "': " + AvError(result);
  std::unique_ptr<AVFormatContext, InputCloser> context(raw);
  result = avformat_find_stream_info(context.get(), nullptr);
  if (result < 0) return "cannot read the streams of '" + file + "': " + AvError(result);
  info.container = context->iformat ? context->iformat->name : "";
  if (context->duration > 0) info.seconds = double(context->duration) / AV_TIME_BASE;
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const AVStream* stream = context->streams[i];
    const AVCodecParameters* par = stream->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO && info.videoCodec.empty()) {
      info.videoCodec = avcodec_get_name(par->codec_id);
      info.width = par->width;
      info.height = par->height;
      const AVRational rate = stream->avg_frame_rate.num ? stream->avg_frame_rate : stream->r_frame_rate;
      info.frameRate = rate.den ? av_q2d(rate) : 0;
      AVRational sar = par->sample_aspect_ratio.num ? par->sample_aspect_ratio : stream->sample_aspect_ratio;
      if (!sar.num || !sar.den) sar = AVRational{1, 1};
      info.displayAspect = par->height ? double(par->width) * av_q2d(sar) / par->height : 0;
      info.wide = info.displayAspect > 1.55;
    } else if (par->codec_type == AVMEDIA_TYPE_AUDIO) {
      info.audio.push_back({avcodec_get_name(par->codec_id), par->ch_layout.nb_channels, par->sample_rate});
    }
  }
  if (info.videoCodec.empty()) return "'" + file + "' holds no video";
  return {};
}

}  // namespace outputctrl
