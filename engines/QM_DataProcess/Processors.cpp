#include "engines/QM_DataProcess/Processors.h"

#include <cstdio>

#include "engines/QM_DataProcess/Subtitles.h"
#include "engines/media/MediaLog.h"

using namespace engines::media;

namespace dataprocess {

bool VideoProcessor::ReadVideo(VideoFrame& out) {
  const PictureSettings settings = Settings();
  // The source delivers the cues of the subtitle stream the style names (none without one).
  const int32_t subtitleStream = settings.subtitles.shown ? settings.subtitles.streamId : 0;
  if (subtitleStream != m_subtitleStream) {
    m_source->SelectSubtitles(subtitleStream);
    m_subtitleStream = subtitleStream;
  }
  VideoFrame in;
  if (!m_source->ReadVideo(in)) return false;
  FramePtr bgra = m_converter.Convert(in.frame.get(), AV_PIX_FMT_BGRA, in.frame->width, in.frame->height);
  if (!bgra) return false;
  FramePtr picture = CropPicture(settings.crop, std::move(bgra));
  if (!picture) return false;
  ApplyPicture(settings, picture.get());
  // Subtitles go over the finished picture, so that effects do not change their colours.
  DrawSubtitles(settings.subtitles, in.subtitles, picture.get(), in.frame->width, in.frame->height);
  // The crop keeps the source's pixel shape.
  const double pixelAspect = in.Aspect() * in.frame->height / in.frame->width;
  out.displayAspect = pixelAspect * picture->width / picture->height;
  out.time = in.time;
  out.style = settings.style;
  out.frame = RefFrame(picture.get());
  std::lock_guard lock(m_mutex);
  m_last = std::move(picture);
  return true;
}

bool VideoProcessor::SaveSnapshot(const std::string& path, bool jpeg) {
  FramePtr picture;
  {
    std::lock_guard lock(m_mutex);
    if (m_last) picture = RefFrame(m_last.get());
  }
  if (!picture) {
    LogLine("cannot save a snapshot to '" + path + "': no picture shown yet");
    return false;
  }
  const AVCodec* codec = avcodec_find_encoder(jpeg ? AV_CODEC_ID_MJPEG : AV_CODEC_ID_BMP);
  if (!codec) {
    LogLine(std::string("cannot save a snapshot: no ") + (jpeg ? "JPEG" : "BMP") + " encoder");
    return false;
  }
  const AVPixelFormat format = jpeg ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_BGR24;
  FrameConverter converter;
  FramePtr image = converter.Convert(picture.get(), format, picture->width, picture->height);
  if (!image) return false;
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) {
    LogLine("cannot save a snapshot to '" + path + "': out of memory");
    return false;
  }
  context->width = image->width;
  context->height = image->height;
  context->pix_fmt = format;
  context->time_base = {1, 25};
  if (jpeg) {
    context->flags |= AV_CODEC_FLAG_QSCALE;
    context->global_quality = FF_QP2LAMBDA * 3;
  }
  int result = avcodec_open2(context.get(), codec, nullptr);
  if (result < 0) {
    LogAvError("avcodec_open2 (snapshot)", result, path);
    return false;
  }
  PacketPtr packet = MakePacket();
  result = avcodec_send_frame(context.get(), image.get());
  if (result >= 0) result = avcodec_receive_packet(context.get(), packet.get());
  if (result < 0) {
    LogAvError("avcodec_receive_packet (snapshot)", result, path);
    return false;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file || std::fwrite(packet->data, 1, size_t(packet->size), file.get()) != size_t(packet->size)) {
    LogLine("cannot write the snapshot '" + path + "'");
    return false;
  }
  return true;
}

bool AudioProcessor::ReadAudio(AudioBlock& out) {
  if (!m_source->ReadAudio(out)) return false;
  const int volume = m_volume.load();
  if (volume != 100) {
    const float gain = float(volume) / 100.0f;
    for (float& sample : out.samples) sample = std::clamp(sample * gain, -1.0f, 1.0f);
  }
  return true;
}

}  // namespace dataprocess
