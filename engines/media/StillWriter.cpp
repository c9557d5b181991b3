#include "engines/media/StillWriter.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cmath>
#include <memory>

#include "engines/media/AvPtr.h"
#include "engines/media/DvdWriter.h"
#include "engines/media/MediaLog.h"

namespace engines::media {
namespace {

// Menu music longer than this is cut: a menu page is not a title.
constexpr double kMaxMenuMusicSeconds = 120;

struct FifoFree {
  void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

// The page's music, decoded to 48 kHz stereo planar float.
class MusicSource {
 public:
  std::string Open(const std::string& file) {
    AVFormatContext* raw = nullptr;
    int r = avformat_open_input(&raw, file.c_str(), nullptr, nullptr);
    if (r < 0) return "cannot open the menu music: " + LogAvError("avformat_open_input", r, file);
    m_input.reset(raw);
    if ((r = avformat_find_stream_info(raw, nullptr)) < 0)
      return LogAvError("avformat_find_stream_info", r, file);
    m_stream = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (m_stream < 0) return "the menu music '" + file + "' holds no sound";
    const AVCodecParameters* par = raw->streams[m_stream]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    if (!decoder) return "no decoder for the menu music '" + file + "'";
    m_decoder.reset(avcodec_alloc_context3(decoder));
    if (!m_decoder) return LogAvError("avcodec_alloc_context3", AVERROR(ENOMEM), file);
    if ((r = avcodec_parameters_to_context(m_decoder.get(), par)) < 0)
      return LogAvError("avcodec_parameters_to_context", r, file);
    if ((r = avcodec_open2(m_decoder.get(), decoder, nullptr)) < 0)
      return LogAvError("avcodec_open2", r, file);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrPtr swr;
    r = swr_alloc_set_opts2(swr.put(), &stereo, AV_SAMPLE_FMT_FLTP, 48000, &m_decoder->ch_layout,
                            m_decoder->sample_fmt, m_decoder->sample_rate, 0, nullptr);
    if (r < 0 || swr_init(swr.get()) < 0) return "cannot convert the menu music to 48 kHz stereo";
    m_resampler = std::move(swr);
    return {};
  }

  // Appends decoded samples to `fifo` until it holds `wanted` or the music ends.
  void Fill(AVAudioFifo* fifo, int wanted) {
    PacketPtr packet = MakePacket();
    FramePtr frame = MakeFrame();
    if (!packet || !frame) {
      m_ended = true;
      return;
    }
    while (!m_ended && av_audio_fifo_size(fifo) < wanted) {
      if (av_read_frame(m_input.get(), packet.get()) < 0) {
        avcodec_send_packet(m_decoder.get(), nullptr);
        m_ended = true;
      } else if (packet->stream_index == m_stream) {
        avcodec_send_packet(m_decoder.get(), packet.get());
      }
      av_packet_unref(packet.get());
      while (avcodec_receive_frame(m_decoder.get(), frame.get()) == 0) {
        const int capacity = swr_get_out_samples(m_resampler.get(), frame->nb_samples);
        uint8_t** data = nullptr;
        if (av_samples_alloc_array_and_samples(&data, nullptr, 2, capacity, AV_SAMPLE_FMT_FLTP, 0) < 0) return;
        const int got = swr_convert(m_resampler.get(), data, capacity, const_cast<const uint8_t**>(frame->extended_data),
                                    frame->nb_samples);
        if (got > 0) av_audio_fifo_write(fifo, reinterpret_cast<void**>(data), got);
        av_freep(&data[0]);
        av_freep(&data);
      }
    }
  }

  double Seconds() const {
    const AVStream* s = m_input->streams[m_stream];
    if (s->duration > 0) return s->duration * av_q2d(s->time_base);
    return m_input->duration > 0 ? double(m_input->duration) / AV_TIME_BASE : 0;
  }

 private:
  InputContextPtr m_input;
  CodecContextPtr m_decoder;
  SwrPtr m_resampler;
  int m_stream = -1;
  bool m_ended = false;
};

}  // namespace

std::string WriteStill(const StillPicture& picture, const StillSettings& format, const std::string& outputFile,
                       const std::atomic<bool>& cancel) {
  RouteAvLog();
  if (!picture.bgra || picture.width <= 0 || picture.height <= 0 || picture.stride < picture.width * 4)
    return "the still picture is empty";
  MusicSource music;
  double seconds = format.seconds > 0 ? format.seconds : 1;
  if (!format.musicFile.empty()) {
    std::string error = music.Open(format.musicFile);
    if (!error.empty()) return error;
    seconds = std::min(std::max(music.Seconds(), 0.5), kMaxMenuMusicSeconds);
  }

  // A still page: every picture is an I or P picture of the same frame, at a modest rate.
  DvdWriter::Settings settings;
  settings.path = outputFile;
  settings.width = 720;
  settings.height = format.pal ? 576 : 480;
  settings.frameRate = format.pal ? AVRational{25, 1} : AVRational{30000, 1001};
  // Pixel aspect of a 720-wide DVD frame for the display aspect.
  settings.sampleAspect = format.pal ? (format.wide ? AVRational{64, 45} : AVRational{16, 15})
                                     : (format.wide ? AVRational{32, 27} : AVRational{8, 9});
  settings.gopSize = format.pal ? 12 : 15;
  settings.bFrames = 0;
  settings.bitRate = 4000000;
  settings.maxRate = 8000000;
  settings.audioBitRate = 192000;
  settings.channels = 2;
  settings.abort = &cancel;
  const AVRational frameRate = settings.frameRate;

  // The still picture, converted once; each encoded picture is a new reference to it.
  FramePtr still = MakeFrame();
  if (!still) return "out of memory for the menu picture";
  still->format = AV_PIX_FMT_YUV420P;
  still->width = settings.width;
  still->height = settings.height;
  still->color_range = AVCOL_RANGE_MPEG;
  if (av_frame_get_buffer(still.get(), 0) < 0) return "out of memory for the menu picture";
  SwsPtr scaler(sws_getContext(picture.width, picture.height, AV_PIX_FMT_BGRA, settings.width, settings.height,
                               AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler) return "cannot convert the menu picture";
  const uint8_t* source[1] = {picture.bgra};
  const int sourceStride[1] = {picture.stride};
  sws_scale(scaler.get(), source, sourceStride, 0, picture.height, still->data, still->linesize);

  DvdWriter writer;
  std::string error;
  if (!writer.Open(settings, error)) return "encoding the menu page failed: " + error;
  writer.StartThread();

  std::unique_ptr<AVAudioFifo, FifoFree> fifo(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 2, 48000));
  if (!fifo) return "out of memory for the menu sound";
  const int64_t frames = std::max<int64_t>(1, std::llround(seconds * av_q2d(frameRate)));
  const int64_t samples = std::llround(double(frames) / av_q2d(frameRate) * 48000);
  const int audioFrameSize = writer.AudioFrameSize() > 0 ? writer.AudioFrameSize() : 1536;
  int64_t samplesWritten = 0;
  bool pushing = true;
  for (int64_t i = 0; i < frames && pushing && !cancel.load(); ++i) {
    FramePtr picture = RefFrame(still.get());
    if (!picture) return "out of memory for the menu picture";
    picture->pts = i;
    pushing = writer.Push(std::move(picture), true);
    // Keep the sound up with the picture.
    const int64_t soundUntil = std::min<int64_t>(samples, std::llround(double(i + 1) / av_q2d(frameRate) * 48000));
    while (pushing && samplesWritten < soundUntil) {
      FramePtr sound = MakeFrame();
      if (!sound) return "out of memory for the menu sound";
      sound->format = writer.AudioFormat();
      sound->nb_samples = audioFrameSize;
      sound->sample_rate = 48000;
      const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
      av_channel_layout_copy(&sound->ch_layout, &stereo);
      if (av_frame_get_buffer(sound.get(), 0) < 0) return "out of memory for the menu sound";
      av_samples_set_silence(sound->extended_data, 0, audioFrameSize, 2, writer.AudioFormat());
      if (!format.musicFile.empty()) {
        music.Fill(fifo.get(), audioFrameSize);
        av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(sound->extended_data), audioFrameSize);
      }
      sound->pts = samplesWritten;
      samplesWritten += audioFrameSize;
      pushing = writer.Push(std::move(sound), false);
    }
  }
  if (cancel.load()) {
    writer.Stop();
    return "cancelled";
  }
  if (!writer.Finish(error)) {
    if (cancel.load()) return "cancelled";
    return "encoding the menu page failed: " + (error.empty() ? writer.Error() : error);
  }
  return {};
}

}  // namespace engines::media
