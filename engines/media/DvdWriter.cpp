#include "engines/media/DvdWriter.h"

#include "engines/media/MediaLog.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

using namespace engines::media;

namespace {

// The queue is bounded in pictures (half a second of them, about 8 MB at 720x576): frame
// threaded decoding delivers pictures in bursts, and a shallower queue left the encoder
// idle after each burst while the reader stalled the decoders before it. Audio frames are
// small and at most a few per picture; their own bound only guards against a runaway.
constexpr size_t kVideoQueueLimit = 16;
constexpr size_t kAudioQueueLimit = 64;
constexpr int kVideoEncoderThreads = 2;

int InterruptCallback(void* opaque) {
  const auto* abort = static_cast<const std::atomic<bool>*>(opaque);
  return abort && abort->load() ? 1 : 0;
}

}  // namespace

DvdWriter::~DvdWriter() { Stop(); }

bool DvdWriter::Open(const Settings& settings, std::string& error) {
  m_settings = settings;
  const std::string& path = settings.path;
  AVFormatContext* raw = nullptr;
  int result = avformat_alloc_output_context2(&raw, nullptr, "dvd", path.c_str());
  if (result < 0 || !raw) {
    error = LogAvError("avformat_alloc_output_context2", result, path);
    return false;
  }
  m_output.reset(raw);
  m_output->interrupt_callback = {InterruptCallback, const_cast<std::atomic<bool>*>(settings.abort)};

  // Video: MPEG-2 main profile, main level, within the DVD limits.
  const AVCodec* videoCodec = avcodec_find_encoder(AV_CODEC_ID_MPEG2VIDEO);
  if (!videoCodec) {
    error = "no MPEG-2 video encoder in this FFmpeg";
    LogLine(error);
    return false;
  }
  m_video.reset(avcodec_alloc_context3(videoCodec));
  AVCodecContext* v = m_video.get();
  v->width = settings.width;
  v->height = settings.height;
  v->pix_fmt = AV_PIX_FMT_YUV420P;
  v->time_base = av_inv_q(settings.frameRate);
  v->framerate = settings.frameRate;
  v->sample_aspect_ratio = settings.sampleAspect;
  v->gop_size = settings.gopSize;
  v->max_b_frames = settings.bFrames;
  v->bit_rate = settings.bitRate;
  v->rc_max_rate = settings.constantRate ? settings.bitRate : settings.maxRate;
  v->rc_min_rate = settings.constantRate ? settings.bitRate : settings.minRate;
  v->rc_buffer_size = settings.bufferSize;
  // Two slice threads. The encoder is the pipeline's narrowest stage, and on noisy pictures
  // one thread left the decoders waiting for it; more than two only competed with the
  // decoders for the cores. The count is fixed, not taken from the machine, so the same
  // input gives the same file everywhere.
  v->thread_count = kVideoEncoderThreads;
  v->thread_type = FF_THREAD_SLICE;
  v->color_range = AVCOL_RANGE_MPEG;
  if (m_output->oformat->flags & AVFMT_GLOBALHEADER) v->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  // The encoder thread is the pipeline's narrowest stage. Refining both vectors of every
  // bidirectional macroblock costs about a third of its time for no measurable gain in
  // quality or size at DVD rates, so B-frames take the plain forward and backward search.
  AVDictionary* videoOptions = nullptr;
  av_dict_set(&videoOptions, "bidir_refine", "0", 0);
  if (Interlaced()) {
    // Field pictures that move: interlaced DCT and motion estimation, and the scan order made
    // for interlaced blocks; each picture says which field comes first.
    v->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
    v->field_order = settings.fieldOrder;
    av_dict_set(&videoOptions, "alternate_scan", "1", 0);
  }
  std::unique_ptr<AVDictionary, DictionaryDeleter> videoHolder(videoOptions);
  AVDictionary* passVideo = videoHolder.release();
  result = avcodec_open2(v, videoCodec, &passVideo);
  videoHolder.reset(passVideo);
  if (result < 0) {
    error = LogAvError("avcodec_open2 (mpeg2video)", result, path);
    return false;
  }
  if (const AVDictionaryEntry* left = av_dict_get(videoHolder.get(), "", nullptr, AV_DICT_IGNORE_SUFFIX)) {
    // Only the speed depends on it: say so and encode anyway.
    LogLine(std::string("the MPEG-2 encoder ignored its option '") + left->key + "' for '" + path +
            "'; encoding at its default, more slowly");
  }

  // Audio: AC-3, or MPEG-1 Layer II where PAL allows it; 48 kHz.
  const AVCodec* audioCodec = avcodec_find_encoder(settings.mp2Audio ? AV_CODEC_ID_MP2 : AV_CODEC_ID_AC3);
  if (!audioCodec) {
    error = std::string("no ") + (settings.mp2Audio ? "MP2" : "AC-3") + " audio encoder in this FFmpeg";
    LogLine(error);
    return false;
  }
  m_audio.reset(avcodec_alloc_context3(audioCodec));
  AVCodecContext* a = m_audio.get();
  a->sample_rate = 48000;
  av_channel_layout_default(&a->ch_layout, settings.channels);
  a->sample_fmt = settings.mp2Audio ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
  a->bit_rate = settings.audioBitRate;
  a->time_base = {1, 48000};
  a->thread_count = 1;
  result = avcodec_open2(a, audioCodec, nullptr);
  if (result < 0) {
    error = LogAvError("avcodec_open2 (audio)", result, path);
    return false;
  }

  m_videoStream = avformat_new_stream(m_output.get(), nullptr);
  m_audioStream = avformat_new_stream(m_output.get(), nullptr);
  if (!m_videoStream || !m_audioStream) {
    error = LogAvError("avformat_new_stream", AVERROR(ENOMEM), path);
    return false;
  }
  avcodec_parameters_from_context(m_videoStream->codecpar, v);
  avcodec_parameters_from_context(m_audioStream->codecpar, a);
  m_videoStream->time_base = v->time_base;
  m_videoStream->sample_aspect_ratio = v->sample_aspect_ratio;
  m_videoStream->avg_frame_rate = settings.frameRate;
  m_audioStream->time_base = a->time_base;
  m_audioTimeBase = a->time_base;
  // The muxer sizes the video buffer of its system header from the encoder's CPB properties.
  for (int i = 0; i < v->nb_coded_side_data; ++i) {
    const AVPacketSideData& side = v->coded_side_data[i];
    uint8_t* copy = av_stream_new_side_data(m_videoStream, side.type, side.size);
    if (copy) memcpy(copy, side.data, side.size);
  }

  AVIOContext* io = nullptr;
  result = avio_open2(&io, path.c_str(), AVIO_FLAG_WRITE, &m_output->interrupt_callback, nullptr);
  if (result < 0) {
    error = LogAvError("avio_open2", result, path);
    return false;
  }
  m_output->pb = io;

  AVDictionary* options = nullptr;
  av_dict_set(&options, "packetsize", "2048", 0);
  av_dict_set(&options, "muxrate", "10080000", 0);
  std::unique_ptr<AVDictionary, DictionaryDeleter> holder(options);
  AVDictionary* pass = holder.release();
  result = avformat_write_header(m_output.get(), &pass);
  holder.reset(pass);
  if (result < 0) {
    error = LogAvError("avformat_write_header", result, path);
    return false;
  }
  if (const AVDictionaryEntry* left = av_dict_get(holder.get(), "", nullptr, AV_DICT_IGNORE_SUFFIX)) {
    error = std::string("the dvd muxer ignored its option '") + left->key + "' for '" + path + "'";
    LogLine(error);
    return false;
  }
  return true;
}

void DvdWriter::StartThread() {
  m_thread = std::thread([this] {
    Work();
    // However the thread ended (finished, failed or aborted), a push waiting for room must
    // not wait for it any longer.
    std::lock_guard lock(m_mutex);
    m_done = true;
    m_changed.notify_all();
  });
}

bool DvdWriter::Push(FramePtr frame, bool video) {
  if (!video) return EncodeAudio(frame.get());
  return Enqueue({std::move(frame), nullptr, false});
}

bool DvdWriter::Enqueue(Item item) {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [&] {
    const bool room = item.end || (item.frame ? m_videoQueued < kVideoQueueLimit
                                              : m_queue.size() - m_videoQueued < kAudioQueueLimit);
    return room || m_failed || m_done || m_settings.abort->load();
  });
  if (m_failed || m_done || m_settings.abort->load()) return false;
  if (item.frame) ++m_videoQueued;
  m_queue.push_back(std::move(item));
  m_changed.notify_all();
  return true;
}

bool DvdWriter::EncodeAudio(const AVFrame* frame) {
  int result = avcodec_send_frame(m_audio.get(), frame);
  if (result < 0 && result != AVERROR_EOF) {
    return Fail(LogAvError("avcodec_send_frame (audio)", result, m_settings.path));
  }
  for (;;) {
    PacketPtr packet = MakePacket();
    if (!packet) return Fail(LogAvError("av_packet_alloc", AVERROR(ENOMEM), m_settings.path));
    result = avcodec_receive_packet(m_audio.get(), packet.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
    if (result < 0) return Fail(LogAvError("avcodec_receive_packet (audio)", result, m_settings.path));
    if (!Enqueue({nullptr, std::move(packet), false})) return false;
  }
}

bool DvdWriter::Finish(std::string& error) {
  // The audio encoder's last packets go into the queue before its end.
  if (!EncodeAudio(nullptr) || !Enqueue({nullptr, nullptr, true})) {
    Stop();
  } else if (m_thread.joinable()) {
    m_thread.join();
  }
  std::lock_guard lock(m_mutex);
  error = m_error;
  return !m_failed && m_finished;
}

void DvdWriter::Stop() {
  {
    std::lock_guard lock(m_mutex);
    m_done = true;
    m_changed.notify_all();
  }
  if (m_thread.joinable()) m_thread.join();
}

bool DvdWriter::Fail(const std::string& text) {
  std::lock_guard lock(m_mutex);
  if (!m_failed) m_error = text;
  m_failed = true;
  m_changed.notify_all();
  return false;
}

bool DvdWriter::EncodeVideo(const AVFrame* frame) {
  int result = avcodec_send_frame(m_video.get(), frame);
  if (result < 0 && result != AVERROR_EOF) {
    return Fail(LogAvError("avcodec_send_frame (video)", result, m_settings.path));
  }
  for (;;) {
    result = avcodec_receive_packet(m_video.get(), m_packet.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
    if (result < 0) return Fail(LogAvError("avcodec_receive_packet (video)", result, m_settings.path));
    if (!Mux(m_packet.get(), m_video->time_base, m_videoStream)) return false;
  }
}

bool DvdWriter::Mux(AVPacket* packet, AVRational timeBase, AVStream* stream) {
  av_packet_rescale_ts(packet, timeBase, stream->time_base);
  packet->stream_index = stream->index;
  int result = av_interleaved_write_frame(m_output.get(), packet);
  if (result < 0) {
    if (result == AVERROR(ENOSPC)) m_noSpace = true;
    if (m_settings.abort->load()) return false;
    return Fail(LogAvError("av_interleaved_write_frame", result, m_settings.path));
  }
  if (m_output->pb) m_bytes = avio_tell(m_output->pb);
  return true;
}

void DvdWriter::Work() {
  for (;;) {
    Item item;
    {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [&] { return !m_queue.empty() || m_done || m_failed || m_settings.abort->load(); });
      if (m_settings.abort->load() || m_done || m_failed) return;
      item = std::move(m_queue.front());
      m_queue.pop_front();
      if (item.frame) --m_videoQueued;
      m_changed.notify_all();
    }
    if (item.end) {
      if (!EncodeVideo(nullptr)) return;
      int result = av_write_trailer(m_output.get());
      if (result < 0) {
        Fail(LogAvError("av_write_trailer", result, m_settings.path));
        return;
      }
      if (m_output->pb) {
        avio_flush(m_output->pb);
        m_bytes = avio_tell(m_output->pb);
        if (m_output->pb->error < 0) {
          if (m_output->pb->error == AVERROR(ENOSPC)) m_noSpace = true;
          Fail(LogAvError("avio_flush", m_output->pb->error, m_settings.path));
        }
      }
      std::lock_guard lock(m_mutex);
      m_done = true;
      m_finished = true;
      return;
    }
    if (item.frame && Interlaced()) {
      item.frame->interlaced_frame = 1;
      item.frame->top_field_first = m_settings.fieldOrder == AV_FIELD_TT ? 1 : 0;
    }
    const bool ok = item.frame ? EncodeVideo(item.frame.get()) : Mux(item.packet.get(), m_audioTimeBase, m_audioStream);
    if (!ok) return;
  }
}
