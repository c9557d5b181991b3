#include "engines/media/StreamProbe.h"

#include "engines/media/AvPtr.h"
#include "engines/media/FileSource.h"
#include "engines/media/MediaLog.h"

namespace engines::media {

std::string ProbeStreams(const std::string& path, ProbedFile& probed) {
  probed = ProbedFile{};
  RouteAvLog();
  // The same open as the file decoders and the file information (and its log lines).
  std::string error;
  InputContextPtr context = OpenInput(path, error);
  if (!context) return error;
  probed.container = context->iformat ? context->iformat->name : "";
  if (context->duration > 0) probed.seconds = double(context->duration) / AV_TIME_BASE;
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const AVStream* stream = context->streams[i];
    const AVCodecParameters* par = stream->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO && probed.videoCodec.empty() &&
        !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
      probed.videoCodec = avcodec_get_name(par->codec_id);
      probed.width = par->width;
      probed.height = par->height;
      const AVRational rate = stream->avg_frame_rate.num ? stream->avg_frame_rate : stream->r_frame_rate;
      probed.frameRate = rate.den ? av_q2d(rate) : 0;
      AVRational sar = par->sample_aspect_ratio.num ? par->sample_aspect_ratio : stream->sample_aspect_ratio;
      if (!sar.num || !sar.den) sar = AVRational{1, 1};
      probed.displayAspect = par->height ? double(par->width) * av_q2d(sar) / par->height : 0;
    } else if (par->codec_type == AVMEDIA_TYPE_AUDIO) {
      probed.audio.push_back({avcodec_get_name(par->codec_id), par->ch_layout.nb_channels, par->sample_rate});
    }
  }
  return {};
}

}  // namespace engines::media
