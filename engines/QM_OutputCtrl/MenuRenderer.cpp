#include "engines/QM_OutputCtrl/MenuRenderer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <png.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace outputctrl {
namespace {

// Menu music longer than this is cut: a menu page is not a title.
constexpr double kMaxMenuMusicSeconds = 120;

struct CodecFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct InputClose {
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct OutputFree {
  void operator()(AVFormatContext* f) const {
    if (f->pb) avio_closep(&f->pb);
    avformat_free_context(f);
  }
};
struct SwrFree {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FifoFree {
  void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
struct SwsFree {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using Codec = std::unique_ptr<AVCodecContext, CodecFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;

std::string AvError(const char* call, int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return std::string(call) + " failed: " + text;
}

// The page's music, decoded to 48 kHz stereo planar float.
class MusicSource {
 public:
  std::string Open(const std::string& file) {
    AVFormatContext* raw = nullptr;
    int r = avformat_open_input(&raw, file.c_str(), nullptr, nullptr);
    if (r < 0) return "cannot open the menu music '" + file + "': " + AvError("avformat_open_input", r);
    m_input.reset(raw);
    if ((r = avformat_find_stream_info(raw, nullptr)) < 0) return AvError("avformat_find_stream_info", r);
    m_stream = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (m_stream < 0) return "the menu music '" + file + "' holds no sound";
    const AVCodecParameters* par = raw->streams[m_stream]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    if (!decoder) return "no decoder for the menu music '" + file + "'";
    m_decoder.reset(avcodec_alloc_context3(decoder));
    avcodec_parameters_to_context(m_decoder.get(), par);
    if ((r = avcodec_open2(m_decoder.get(), decoder, nullptr)) < 0) return AvError("avcodec_open2", r);
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* swr = nullptr;
    r = swr_alloc_set_opts2(&swr, &stereo, AV_SAMPLE_FMT_FLTP, 48000, &m_decoder->ch_layout,
                            m_decoder->sample_fmt, m_decoder->sample_rate, 0, nullptr);
    if (r < 0 || swr_init(swr) < 0) {
      swr_free(&swr);
      return "cannot convert the menu music to 48 kHz stereo";
    }
    m_resampler.reset(swr);
    return {};
  }

  // Appends decoded samples to `fifo` until it holds `wanted` or the music ends.
  void Fill(AVAudioFifo* fifo, int wanted) {
    Packet packet(av_packet_alloc());
    Frame frame(av_frame_alloc());
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
  std::unique_ptr<AVFormatContext, InputClose> m_input;
  Codec m_decoder;
  std::unique_ptr<SwrContext, SwrFree> m_resampler;
  int m_stream = -1;
  bool m_ended = false;
};

std::string Drain(AVCodecContext* codec, AVFrame* frame, AVStream* stream, AVFormatContext* output) {
  int r = avcodec_send_frame(codec, frame);
  if (r < 0) return AvError("avcodec_send_frame", r);
  Packet packet(av_packet_alloc());
  while ((r = avcodec_receive_packet(codec, packet.get())) == 0) {
    av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    if ((r = av_interleaved_write_frame(output, packet.get())) < 0) return AvError("av_interleaved_write_frame", r);
  }
  return r == AVERROR(EAGAIN) || r == AVERROR_EOF ? std::string() : AvError("avcodec_receive_packet", r);
}

}  // namespace

std::string EncodeMenuPage(const MenuPage& page, const MenuVideoFormat& format, const std::string& outputFile,
                           const std::atomic<bool>& cancel) {
  av_log_set_level(AV_LOG_QUIET);
  const Picture& picture = page.background;
  MusicSource music;
  double seconds = format.stillSeconds > 0 ? format.stillSeconds : 1;
  if (!page.audioFile.empty()) {
    std::string error = music.Open(page.audioFile);
    if (!error.empty()) return error;
    seconds = std::min(std::max(music.Seconds(), 0.5), kMaxMenuMusicSeconds);
  }

  AVFormatContext* rawOutput = nullptr;
  int r = avformat_alloc_output_context2(&rawOutput, nullptr, "dvd", outputFile.c_str());
  if (r < 0 || !rawOutput) return AvError("avformat_alloc_output_context2", r);
  std::unique_ptr<AVFormatContext, OutputFree> output(rawOutput);
  output->packet_size = 2048;
  av_opt_set_int(output->priv_data, "muxrate", 10080000, 0);

  const AVCodec* videoEncoder = avcodec_find_encoder(AV_CODEC_ID_MPEG2VIDEO);
  const AVCodec* audioEncoder = avcodec_find_encoder(AV_CODEC_ID_AC3);
  if (!videoEncoder || !audioEncoder) return "FFmpeg lacks the MPEG-2 or AC-3 encoder";
  const AVRational frameRate = format.pal ? AVRational{25, 1} : AVRational{30000, 1001};
  const int height = format.pal ? 576 : 480;
  // Pixel aspect of a 720-wide DVD frame for the display aspect.
  const AVRational pixelAspect = format.pal ? (format.wide ? AVRational{64, 45} : AVRational{16, 15})
                                            : (format.wide ? AVRational{32, 27} : AVRational{8, 9});

  Codec video(avcodec_alloc_context3(videoEncoder));
  video->width = 720;
  video->height = height;
  video->time_base = av_inv_q(frameRate);
  video->framerate = frameRate;
  video->pix_fmt = AV_PIX_FMT_YUV420P;
  video->sample_aspect_ratio = pixelAspect;
  video->bit_rate = 4000000;
  video->rc_max_rate = 8000000;
  video->rc_buffer_size = 1835008;
  video->gop_size = format.pal ? 12 : 15;
  video->max_b_frames = 0;
  if ((r = avcodec_open2(video.get(), videoEncoder, nullptr)) < 0) return AvError("avcodec_open2 (MPEG-2)", r);

  Codec audio(avcodec_alloc_context3(audioEncoder));
  audio->sample_rate = 48000;
  audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
  const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  av_channel_layout_copy(&audio->ch_layout, &stereo);
  audio->bit_rate = 192000;
  audio->time_base = AVRational{1, 48000};
  if ((r = avcodec_open2(audio.get(), audioEncoder, nullptr)) < 0) return AvError("avcodec_open2 (AC-3)", r);

  AVStream* videoStream = avformat_new_stream(output.get(), nullptr);
  AVStream* audioStream = avformat_new_stream(output.get(), nullptr);
  avcodec_parameters_from_context(videoStream->codecpar, video.get());
  avcodec_parameters_from_context(audioStream->codecpar, audio.get());
  videoStream->time_base = video->time_base;
  videoStream->sample_aspect_ratio = pixelAspect;
  audioStream->time_base = audio->time_base;
  if ((r = avio_open(&output->pb, outputFile.c_str(), AVIO_FLAG_WRITE)) < 0)
    return "cannot write '" + outputFile + "': " + AvError("avio_open", r);
  if ((r = avformat_write_header(output.get(), nullptr)) < 0) return AvError("avformat_write_header", r);

  // The still picture, converted once.
  Frame yuv(av_frame_alloc());
  yuv->format = AV_PIX_FMT_YUV420P;
  yuv->width = 720;
  yuv->height = height;
  if (av_frame_get_buffer(yuv.get(), 0) < 0) return "out of memory for the menu picture";
  std::unique_ptr<SwsContext, SwsFree> scaler(sws_getContext(picture.width, picture.height, AV_PIX_FMT_BGRA, 720, height,
                                                              AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler) return "cannot convert the menu picture";
  const uint8_t* source[1] = {picture.bgra.data()};
  const int sourceStride[1] = {picture.width * 4};
  sws_scale(scaler.get(), source, sourceStride, 0, picture.height, yuv->data, yuv->linesize);

  std::unique_ptr<AVAudioFifo, FifoFree> fifo(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 2, 48000));
  const int64_t frames = std::max<int64_t>(1, std::llround(seconds * av_q2d(frameRate)));
  const int64_t samples = std::llround(double(frames) / av_q2d(frameRate) * 48000);
  const int audioFrameSize = audio->frame_size > 0 ? audio->frame_size : 1536;
  int64_t samplesWritten = 0;
  Frame audioFrame(av_frame_alloc());
  std::string error;
  for (int64_t i = 0; i < frames && error.empty(); ++i) {
    if (cancel.load()) return "cancelled";
    yuv->pts = i;
    error = Drain(video.get(), yuv.get(), videoStream, output.get());
    // Keep the sound up with the picture.
    const int64_t soundUntil = std::min<int64_t>(samples, std::llround(double(i + 1) / av_q2d(frameRate) * 48000));
    while (error.empty() && samplesWritten < soundUntil) {
      av_frame_unref(audioFrame.get());
      audioFrame->format = AV_SAMPLE_FMT_FLTP;
      audioFrame->nb_samples = audioFrameSize;
      audioFrame->sample_rate = 48000;
      av_channel_layout_copy(&audioFrame->ch_layout, &audio->ch_layout);
      if (av_frame_get_buffer(audioFrame.get(), 0) < 0) return "out of memory for the menu sound";
      av_samples_set_silence(audioFrame->extended_data, 0, audioFrameSize, 2, AV_SAMPLE_FMT_FLTP);
      if (!page.audioFile.empty()) {
        music.Fill(fifo.get(), audioFrameSize);
        av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(audioFrame->extended_data), audioFrameSize);
      }
      audioFrame->pts = samplesWritten;
      samplesWritten += audioFrameSize;
      error = Drain(audio.get(), audioFrame.get(), audioStream, output.get());
    }
  }
  if (error.empty()) error = Drain(video.get(), nullptr, videoStream, output.get());
  if (error.empty()) error = Drain(audio.get(), nullptr, audioStream, output.get());
  if (!error.empty()) return "encoding the menu page failed: " + error;
  if ((r = av_write_trailer(output.get())) < 0) return AvError("av_write_trailer", r);
  return {};
}

std::string WritePng(const Picture& picture, const std::string& file) {
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return "cannot write '" + file + "'";
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    return "cannot write the PNG '" + file + "'";
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < picture.height; ++y)
    png_write_row(png, const_cast<png_bytep>(picture.bgra.data() + static_cast<size_t>(y) * picture.width * 4));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0 ? std::string() : "cannot write '" + file + "'";
}

Picture ButtonFrames(const MenuPage& page, uint32_t rgb, int thickness) {
  Picture overlay;
  overlay.width = page.background.width;
  overlay.height = page.background.height;
  overlay.bgra.assign(static_cast<size_t>(overlay.width) * overlay.height * 4, 0);
  for (const OCMenuButton& b : page.buttons) {
    for (int y = b.top; y < b.bottom; ++y) {
      for (int x = b.left; x < b.right; ++x) {
        const bool edge = x < b.left + thickness || x >= b.right - thickness || y < b.top + thickness ||
                          y >= b.bottom - thickness;
        if (!edge) continue;
        uint8_t* p = overlay.bgra.data() + (static_cast<size_t>(y) * overlay.width + x) * 4;
        p[0] = rgb & 0xFF;
        p[1] = (rgb >> 8) & 0xFF;
        p[2] = (rgb >> 16) & 0xFF;
        p[3] = 255;
      }
    }
  }
  return overlay;
}

}  // namespace outputctrl
