#include "engines/media/FileSource.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>

#include "engines/media/MediaLog.h"

#include <libexif/exif-data.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace engines::media {
namespace {

// Decoding errors in a row after which a file counts as broken rather than damaged in places.
constexpr int kMaxDecodeErrors = 64;
// Damage this close to where decoding started is passed over: streams cut at their start (and
// decoding that starts after a seek) often begin with pictures that refer to missing ones.
constexpr double kDamageGraceSeconds = 1.0;

uint32_t FourCCFor(const AVCodecParameters* parameters) {
  if (parameters->codec_tag) return parameters->codec_tag;
  switch (parameters->codec_id) {
    case AV_CODEC_ID_H264: return MKTAG('H', '2', '6', '4');
    case AV_CODEC_ID_HEVC: return MKTAG('H', 'E', 'V', 'C');
    case AV_CODEC_ID_MPEG4: return MKTAG('F', 'M', 'P', '4');
    case AV_CODEC_ID_MPEG2VIDEO: return MKTAG('M', 'P', 'G', '2');
    case AV_CODEC_ID_MPEG1VIDEO: return MKTAG('M', 'P', 'G', '1');
    case AV_CODEC_ID_MJPEG: return MKTAG('M', 'J', 'P', 'G');
    case AV_CODEC_ID_VP8: return MKTAG('V', 'P', '8', '0');
    case AV_CODEC_ID_VP9: return MKTAG('V', 'P', '9', '0');
    default: return 0;
  }
}

double StreamSeconds(const AVStream* stream, int64_t value) {
  return value == AV_NOPTS_VALUE ? 0.0 : value * av_q2d(stream->time_base);
}

AVRational DisplayAspect(int width, int height, AVRational sar) {
  if (sar.num <= 0 || sar.den <= 0) sar = {1, 1};
  AVRational dar{0, 1};
  if (width > 0 && height > 0) {
    av_reduce(&dar.num, &dar.den, int64_t(width) * sar.num, int64_t(height) * sar.den, 1000);
  }
  return dar;
}

// The text of an ASS dialogue event as FFmpeg gives it ("ReadOrder,Layer,Style,Name,MarginL,
// MarginR,MarginV,Effect,Text"), without override blocks, with its line breaks as '\n'.
std::string PlainTextOfAss(const char* event) {
  if (!event) return {};
  const char* text = event;
  for (int commas = 0; commas < 8 && *text; ++text)
    if (*text == ',') ++commas;
  std::string out;
  for (const char* c = text; *c; ++c) {
    if (*c == '{') {
      const char* close = std::strchr(c, '}');
      if (close) {
        c = close;
        continue;
      }
    }
    if (*c == '\\' && (c[1] == 'N' || c[1] == 'n')) {
      out += '\n';
      ++c;
    } else if (*c == '\\' && c[1] == 'h') {
      out += ' ';
      ++c;
    } else if (*c != '\r') {
      out += *c;
    }
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

// How long the file says `stream` lasts, when that can be trusted: the stream's own length, or
// the file's when no other stream of pictures or sound shares it (a shorter soundtrack is no
// damage). 0 for lengths guessed from the bit rate and for cover pictures.
double DeclaredStreamDuration(const AVFormatContext* context, const AVStream* stream) {
  if (context->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE) return 0.0;
  if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) return 0.0;
  if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) return StreamSeconds(stream, stream->duration);
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const AVStream* other = context->streams[i];
    const AVMediaType type = other->codecpar->codec_type;
    if (other != stream && (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO) &&
        !(other->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
      return 0.0;
    }
  }
  return context->duration != AV_NOPTS_VALUE && context->duration > 0 ? double(context->duration) / AV_TIME_BASE : 0.0;
}

}  // namespace

InputContextPtr OpenInput(const std::string& path, std::string& error) {
  AVFormatContext* raw = nullptr;
  int result = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (result < 0) {
    error = LogAvError("avformat_open_input", result, path);
    return nullptr;
  }
  InputContextPtr context(raw);
  result = avformat_find_stream_info(context.get(), nullptr);
  if (result < 0) {
    error = LogAvError("avformat_find_stream_info", result, path);
    return nullptr;
  }
  return context;
}

bool IsStillPicture(const AVFormatContext* context) {
  const std::string name = context->iformat->name;
  return name == "image2" || name == "gif" ||
         (name.size() > 5 && name.compare(name.size() - 5, 5, "_pipe") == 0);
}

double FileDuration(const AVFormatContext* context) {
  if (IsStillPicture(context)) return kStillSeconds;
  if (context->duration != AV_NOPTS_VALUE && context->duration > 0) {
    return double(context->duration) / AV_TIME_BASE;
  }
  double longest = 0.0;
  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const AVStream* stream = context->streams[i];
    if (stream->duration != AV_NOPTS_VALUE) longest = std::max(longest, StreamSeconds(stream, stream->duration));
  }
  return longest;
}

namespace {

// The EXIF orientation of a photo file (JPEG); 1 (upright) when it has none.
int ExifOrientation(const char* path) {
  if (!path || !*path) return 1;
  std::unique_ptr<ExifData, decltype(&exif_data_unref)> data(exif_data_new_from_file(path), &exif_data_unref);
  if (!data) return 1;
  ExifEntry* entry = exif_data_get_entry(data.get(), EXIF_TAG_ORIENTATION);
  if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || entry->size < 2) return 1;
  return exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
}

}  // namespace

Orientation StreamOrientation(const AVFormatContext* context, const AVStream* stream) {
  if (IsStillPicture(context)) return OrientationFromExif(ExifOrientation(context->url));
  size_t size = 0;
  const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
  if (matrix && size >= 9 * sizeof(int32_t)) {
    int32_t values[9];
    std::memcpy(values, matrix, sizeof(values));
    return OrientationFromMatrix(values);
  }
  // Older writers leave a tag: the clockwise angle the picture is to be turned by.
  const AVDictionaryEntry* rotate = av_dict_get(stream->metadata, "rotate", nullptr, 0);
  if (rotate && rotate->value) {
    char* end = nullptr;
    const double degrees = std::strtod(rotate->value, &end);
    if (end != rotate->value) return OrientationFromDegrees(degrees);
  }
  return {};
}

TVideoInfo DescribeVideo(const AVFormatContext* context, const AVStream* stream) {
  TVideoInfo info{};
  const AVCodecParameters* parameters = stream->codecpar;
  info.Width = parameters->width;
  info.Height = parameters->height;
  const bool still = IsStillPicture(context);
  AVRational rate = stream->avg_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) rate = stream->r_frame_rate;
  info.frame_rate = still ? 25.0 : (rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0.0);
  if (still) {
    info.total_frames = 1;
  } else if (stream->nb_frames > 0) {
    info.total_frames = int32_t(stream->nb_frames);
  } else {
    info.total_frames = int32_t(std::lround(FileDuration(context) * info.frame_rate));
  }
  AVRational sar = av_guess_sample_aspect_ratio(const_cast<AVFormatContext*>(context),
                                                const_cast<AVStream*>(stream), nullptr);
  AVRational dar = DisplayAspect(info.Width, info.Height, sar);
  info.xratio = dar.num;
  info.yratio = dar.den;
  if (StreamOrientation(context, stream).Swaps()) {
    std::swap(info.Width, info.Height);
    std::swap(info.xratio, info.yratio);
  }
  info.dwFourCC = FourCCFor(parameters);
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(AVPixelFormat(parameters->format));
  info.nBitsDepth = descriptor ? av_get_bits_per_pixel(descriptor) : 24;
  info.dwCapsFlag = still ? kCapsStillPicture : 0;
  if (!still && (context->pb == nullptr || !(context->pb->seekable & AVIO_SEEKABLE_NORMAL))) {
    info.dwCapsFlag |= kCapsNotSeekable;
  }
  return info;
}

TAudioInfo DescribeAudio(const AVFormatContext* context, const AVStream* stream) {
  TAudioInfo info{};
  const AVCodecParameters* parameters = stream->codecpar;
  info.sample_rate = parameters->sample_rate;
  info.channels = parameters->ch_layout.nb_channels;
  int bits = parameters->bits_per_raw_sample;
  if (bits <= 0) bits = parameters->bits_per_coded_sample;
  if (bits <= 0) bits = av_get_bytes_per_sample(AVSampleFormat(parameters->format)) * 8;
  if (bits <= 0) bits = 16;
  info.bitspersample = bits;
  info.bytespersecond = parameters->bit_rate > 0 ? int32_t(parameters->bit_rate / 8)
                                                 : info.sample_rate * info.channels * bits / 8;
  info.length = stream->duration != AV_NOPTS_VALUE ? StreamSeconds(stream, stream->duration)
                                                   : FileDuration(context);
  info.dwCapsFlag = 0;
  return info;
}

struct FileSource::State {
  std::string path;
  StreamKind kind = StreamKind::Video;
  InputContextPtr format;
  CodecContextPtr codec;
  AVStream* stream = nullptr;
  int streamIndex = -1;
  bool still = false;
  double duration = 0.0;
  double startOffset = 0.0;  // the file's start time, subtracted from every timestamp
  TVideoInfo videoInfo{};
  TAudioInfo audioInfo{};
  DecoderOptions options;
  std::string lastError;

  PacketPtr packet = MakePacket();
  FramePtr decoded = MakeFrame();
  bool demuxEnded = false;
  bool decoderEnded = false;
  int errorsInRow = 0;

  // How far the stream was read (seconds, the end of the furthest packet or frame), where the
  // current run of decoding started, and how long the file says the stream is (0: not known
  // well enough to hold the file to it). A stream that ends well short of its declared length,
  // or is damaged past its first second, fails instead of ending quietly, so that nobody makes
  // a title of a frozen picture or silence out of a cut-off download.
  double reached = 0.0;
  double decodeStart = 0.0;
  double declaredDuration = 0.0;
  bool cutOff = false;  // failed for damage or an early end, until the next seek

  // Video: the frame held back while seeking, and the cached picture of a still.
  FramePtr pending;
  double pendingTime = 0.0;
  FramePtr stillFrame;
  bool stillDelivered = false;
  double seekTarget = -1.0;  // >= 0 while frames before it are being dropped
  double lastVideoTime = 0.0;
  Orientation orientation;  // how every picture is turned upright

  // Subtitles of a video source: the selected stream, its decoder, and the cues read so far
  // that have not ended yet (in the order they start).
  int subtitleIndex = -1;
  CodecContextPtr subtitleCodec;
  std::deque<std::shared_ptr<SubtitleCue>> cues;

  // Audio.
  SwrPtr resampler;
  AVChannelLayout resamplerLayout{};
  int resamplerFormat = -1;
  int resamplerRate = 0;
  double audioClock = -1.0;  // time of the next sample produced; < 0 until the first frame

  ~State() { av_channel_layout_uninit(&resamplerLayout); }

  double FrameTime(const AVFrame* frame) const {
    int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) pts = frame->pts;
    if (pts == AV_NOPTS_VALUE) return -1.0;
    return pts * av_q2d(stream->time_base) - startOffset;
  }

  // Decodes the next frame of the stream into `decoded`. False at the end or on failure.
  bool DecodeNext() {
    if (cutOff) return false;
    for (;;) {
      int result = avcodec_receive_frame(codec.get(), decoded.get());
      if (result == 0) {
        errorsInRow = 0;
        Reach(FrameTime(decoded.get()), FrameSeconds(decoded.get()));
        if (decoded->decode_error_flags || (decoded->flags & AV_FRAME_FLAG_CORRUPT)) {
          if (!PassOverDamage("the decoder reports damaged data")) return false;
        }
        return true;
      }
      if (result == AVERROR_EOF) {
        decoderEnded = true;
        CheckEndedEarly();
        return false;
      }
      if (result != AVERROR(EAGAIN)) {
        LogAvError("avcodec_receive_frame", result, path);
        if (!PassOverDamage("damaged data (" + AvErrorText(result) + ")")) return false;
        if (++errorsInRow > kMaxDecodeErrors) return Fail("too many decoding errors in '" + path + "'");
        continue;
      }
      if (demuxEnded) {
        // Flush already sent and the decoder wants more: nothing left.
        decoderEnded = true;
        CheckEndedEarly();
        return false;
      }
      result = av_read_frame(format.get(), packet.get());
      if (result == AVERROR_EOF || (result < 0 && avio_feof(format->pb))) {
        demuxEnded = true;
        avcodec_send_packet(codec.get(), nullptr);
        continue;
      }
      if (result < 0) {
        LogAvError("av_read_frame", result, path);
        if (!PassOverDamage("damaged data (" + AvErrorText(result) + ")")) return false;
        if (++errorsInRow > kMaxDecodeErrors) return Fail("cannot read '" + path + "': " + AvErrorText(result));
        continue;
      }
      if (packet->stream_index != streamIndex) {
        if (packet->stream_index == subtitleIndex) DecodeSubtitle(packet.get());
        av_packet_unref(packet.get());
        continue;
      }
      if (packet->pts != AV_NOPTS_VALUE) {
        Reach(packet->pts * av_q2d(stream->time_base) - startOffset, packet->duration * av_q2d(stream->time_base));
      }
      result = avcodec_send_packet(codec.get(), packet.get());
      av_packet_unref(packet.get());
      if (result < 0 && result != AVERROR(EAGAIN)) {
        // A damaged packet near the start: pass over it, as a player would.
        LogAvError("avcodec_send_packet", result, path);
        if (!PassOverDamage("damaged data (" + AvErrorText(result) + ")")) return false;
        if (++errorsInRow > kMaxDecodeErrors) return Fail("too many decoding errors in '" + path + "'");
      }
    }
  }

  double FrameSeconds(const AVFrame* frame) const {
    if (kind == StreamKind::Audio) return frame->sample_rate > 0 ? double(frame->nb_samples) / frame->sample_rate : 0.0;
    return videoInfo.frame_rate > 0 ? 1.0 / videoInfo.frame_rate : 0.0;
  }

  void Reach(double time, double length) {
    if (time >= 0.0) reached = std::max(reached, time + std::max(0.0, length));
  }

  std::string ReachedText() const {
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f s", reached);
    return text;
  }

  // Damage within the first second of decoding is passed over; later it fails the stream.
  bool PassOverDamage(const std::string& what) {
    if (reached <= decodeStart + kDamageGraceSeconds) return true;
    cutOff = true;
    return Fail("cannot read '" + path + "' past " + ReachedText() + ": " + what);
  }

  // At the end of the stream: fails it when it stopped well before its declared length.
  void CheckEndedEarly() {
    if (declaredDuration <= 0.0 || still) return;
    const double allowance = std::max(1.0, declaredDuration * 0.02);
    if (reached >= declaredDuration - allowance) return;
    char declared[32];
    std::snprintf(declared, sizeof(declared), "%.1f s", declaredDuration);
    cutOff = true;
    Fail("cannot read '" + path + "' past " + ReachedText() + ": the file ends there, but declares " + declared);
  }

  // Turns a packet of the selected subtitle stream into cues. A damaged packet is passed over.
  void DecodeSubtitle(AVPacket* subtitlePacket) {
    AVSubtitle subtitle{};
    int got = 0;
    const int result = avcodec_decode_subtitle2(subtitleCodec.get(), &subtitle, &got, subtitlePacket);
    if (result < 0) {
      LogAvError("avcodec_decode_subtitle2", result, path);
      return;
    }
    if (!got) return;
    const AVStream* subtitleStream = format->streams[subtitleIndex];
    const int64_t pts = subtitlePacket->pts != AV_NOPTS_VALUE ? subtitlePacket->pts : subtitlePacket->dts;
    const double base = pts != AV_NOPTS_VALUE ? pts * av_q2d(subtitleStream->time_base) - startOffset : lastVideoTime;
    const double start = base + subtitle.start_display_time / 1000.0;
    double end = -1.0;  // not known yet: until the next subtitle
    if (subtitle.end_display_time > subtitle.start_display_time && subtitle.end_display_time != UINT32_MAX) {
      end = base + subtitle.end_display_time / 1000.0;
    } else if (subtitlePacket->duration > 0) {
      end = base + subtitlePacket->duration * av_q2d(subtitleStream->time_base);
    }
    // A subtitle whose end was not known ends where the next one (or an empty one) starts.
    for (auto& cue : cues)
      if (cue->end < 0.0) cue->end = std::max(cue->start, start);
    for (unsigned i = 0; i < subtitle.num_rects; ++i) {
      const AVSubtitleRect* rect = subtitle.rects[i];
      auto cue = std::make_shared<SubtitleCue>();
      cue->start = start;
      cue->end = end;
      if (rect->type == SUBTITLE_BITMAP) {
        if (rect->w <= 0 || rect->h <= 0 || !rect->data[0] || !rect->data[1]) continue;
        cue->left = rect->x;
        cue->top = rect->y;
        cue->width = rect->w;
        cue->height = rect->h;
        cue->canvasWidth = subtitleCodec->width;
        cue->canvasHeight = subtitleCodec->height;
        cue->bgra.resize(size_t(rect->w) * rect->h * 4);
        const auto* palette = reinterpret_cast<const uint32_t*>(rect->data[1]);
        for (int y = 0; y < rect->h; ++y) {
          const uint8_t* indices = rect->data[0] + ptrdiff_t(y) * rect->linesize[0];
          for (int x = 0; x < rect->w; ++x) {
            // Palette entries are native 0xAARRGGBB words: B, G, R, A in memory.
            const uint32_t colour = indices[x] < rect->nb_colors ? palette[indices[x]] : 0;
            uint8_t* out = &cue->bgra[(size_t(y) * rect->w + x) * 4];
            out[0] = uint8_t(colour), out[1] = uint8_t(colour >> 8), out[2] = uint8_t(colour >> 16);
            out[3] = uint8_t(colour >> 24);
          }
        }
      } else {
        cue->text = rect->type == SUBTITLE_ASS ? PlainTextOfAss(rect->ass) : std::string(rect->text ? rect->text : "");
        if (cue->text.empty()) continue;
      }
      cues.push_back(std::move(cue));
    }
    avsubtitle_free(&subtitle);
  }

  // The cues on screen at `time`; those that ended before it are forgotten.
  void AttachSubtitles(VideoFrame& out) {
    if (subtitleIndex < 0) return;
    const double time = out.time;
    std::erase_if(cues, [&](const auto& cue) { return cue->end >= 0.0 && cue->end <= time; });
    for (const auto& cue : cues)
      if (cue->start <= time + 0.001) out.subtitles.push_back(cue);
  }

  bool Fail(const std::string& text) {
    lastError = text;
    LogLine(text);
    return false;
  }

  double DisplayAspectOf(const AVFrame* frame) const {
    AVRational sar = av_guess_sample_aspect_ratio(format.get(), stream, const_cast<AVFrame*>(frame));
    AVRational dar = DisplayAspect(frame->width, frame->height, sar);
    return dar.den ? av_q2d(dar) : 0.0;
  }
};

FileSource::FileSource(std::unique_ptr<State> state) : m_state(std::move(state)) {}
FileSource::~FileSource() = default;

std::shared_ptr<FileSource> FileSource::Open(const std::string& path, StreamKind kind,
                                             const DecoderOptions& options, std::string& error) {
  auto state = std::make_unique<State>();
  state->path = path;
  state->kind = kind;
  state->options = options;
  state->format = OpenInput(path, error);
  if (!state->format) return nullptr;
  AVFormatContext* format = state->format.get();

  const AVMediaType type = kind == StreamKind::Video ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO;
  const AVCodec* decoder = nullptr;
  int index = av_find_best_stream(format, type, -1, -1, &decoder, 0);
  if (index < 0) {
    error = std::string("no ") + (kind == StreamKind::Video ? "video" : "audio") + " stream in '" + path + "'";
    if (index != AVERROR_STREAM_NOT_FOUND) error += ": " + AvErrorText(index);
    LogLine(error);
    return nullptr;
  }
  state->streamIndex = index;
  state->stream = format->streams[index];
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    if (int(i) != index) format->streams[i]->discard = AVDISCARD_ALL;
  }
  if (!decoder) {
    error = "no decoder for the " + std::string(avcodec_get_name(state->stream->codecpar->codec_id)) +
            " stream of '" + path + "'";
    LogLine(error);
    return nullptr;
  }
  state->codec.reset(avcodec_alloc_context3(decoder));
  if (!state->codec) {
    error = LogAvError("avcodec_alloc_context3", AVERROR(ENOMEM), path);
    return nullptr;
  }
  int result = avcodec_parameters_to_context(state->codec.get(), state->stream->codecpar);
  if (result < 0) {
    error = LogAvError("avcodec_parameters_to_context", result, path);
    return nullptr;
  }
  state->codec->pkt_timebase = state->stream->time_base;
  state->codec->thread_count = options.threads;
  state->codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  result = avcodec_open2(state->codec.get(), decoder, nullptr);
  if (result < 0) {
    error = LogAvError("avcodec_open2", result, path);
    return nullptr;
  }

  state->still = kind == StreamKind::Video && IsStillPicture(format);
  state->duration = FileDuration(format);
  state->startOffset = (format->start_time != AV_NOPTS_VALUE && !state->still)
                           ? double(format->start_time) / AV_TIME_BASE
                           : 0.0;
  if (kind == StreamKind::Video) {
    state->videoInfo = DescribeVideo(format, state->stream);
    state->orientation = StreamOrientation(format, state->stream);
  } else {
    state->audioInfo = DescribeAudio(format, state->stream);
  }
  if (!state->still) state->declaredDuration = DeclaredStreamDuration(format, state->stream);
  std::shared_ptr<FileSource> source(new FileSource(std::move(state)));
  // A subtitle stream that cannot be used leaves the pictures without subtitles (logged).
  if (kind == StreamKind::Video && options.subtitleStreamId != 0) source->SelectSubtitles(options.subtitleStreamId);
  return source;
}

bool FileSource::HasVideo() const { return m_state->kind == StreamKind::Video; }
bool FileSource::HasAudio() const { return m_state->kind == StreamKind::Audio; }
double FileSource::Duration() const { return m_state->duration; }
const TVideoInfo* FileSource::VideoInfo() const { return &m_state->videoInfo; }
const TAudioInfo* FileSource::AudioInfo() const { return &m_state->audioInfo; }
std::string FileSource::LastError() const { return m_state->lastError; }

AVFieldOrder FileSource::FieldOrder() const {
  const State& s = *m_state;
  if (s.kind != StreamKind::Video || s.still) return AV_FIELD_PROGRESSIVE;
  const AVCodecParameters* parameters = s.stream->codecpar;
  switch (parameters->field_order) {
    case AV_FIELD_TT:
    case AV_FIELD_BB:
    case AV_FIELD_TB:
    case AV_FIELD_BT:
      return parameters->field_order;
    case AV_FIELD_UNKNOWN:
      // Standard-definition DV is always interlaced, bottom field first.
      return parameters->codec_id == AV_CODEC_ID_DVVIDEO && parameters->height <= 576 ? AV_FIELD_BB
                                                                                      : AV_FIELD_PROGRESSIVE;
    default:
      return AV_FIELD_PROGRESSIVE;
  }
}

bool FileSource::ReadVideo(VideoFrame& out) {
  out.subtitles.clear();
  if (!ReadPicture(*m_state, out)) return false;
  const Orientation orientation = m_state->orientation;
  if (!orientation.IsUpright()) {
    // A phone holds its pictures as the sensor saw them and says how they are shown; the
    // consumers get them the way up they are shown.
    out.frame = Reorient(out.frame.get(), orientation);
    if (!out.frame) return m_state->Fail("cannot turn a picture of '" + m_state->path + "' upright");
    if (orientation.Swaps() && out.displayAspect > 0.0) out.displayAspect = 1.0 / out.displayAspect;
  }
  m_state->AttachSubtitles(out);
  return true;
}

bool FileSource::SelectSubtitles(int32_t streamId) {
  State& s = *m_state;
  if (s.kind != StreamKind::Video) return streamId == 0;
  const int index = streamId - 1;
  if (index == s.subtitleIndex) return true;
  if (s.subtitleIndex >= 0) s.format->streams[s.subtitleIndex]->discard = AVDISCARD_ALL;
  s.subtitleIndex = -1;
  s.subtitleCodec.reset();
  s.cues.clear();
  if (streamId == 0) return true;
  if (index < 0 || unsigned(index) >= s.format->nb_streams ||
      s.format->streams[index]->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE) {
    LogLine("'" + s.path + "' has no subtitle stream " + std::to_string(streamId));
    return false;
  }
  AVStream* stream = s.format->streams[index];
  const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!decoder) {
    LogLine("no decoder for the " + std::string(avcodec_get_name(stream->codecpar->codec_id)) +
            " subtitles of '" + s.path + "'");
    return false;
  }
  CodecContextPtr codec(avcodec_alloc_context3(decoder));
  if (!codec) {
    LogAvError("avcodec_alloc_context3", AVERROR(ENOMEM), s.path);
    return false;
  }
  int result = avcodec_parameters_to_context(codec.get(), stream->codecpar);
  if (result < 0) {
    LogAvError("avcodec_parameters_to_context (subtitles)", result, s.path);
    return false;
  }
  codec->pkt_timebase = stream->time_base;
  result = avcodec_open2(codec.get(), decoder, nullptr);
  if (result < 0) {
    LogAvError("avcodec_open2 (subtitles)", result, s.path);
    return false;
  }
  s.subtitleCodec = std::move(codec);
  s.subtitleIndex = index;
  stream->discard = AVDISCARD_DEFAULT;
  return true;
}

bool FileSource::ReadPicture(State& s, VideoFrame& out) {
  if (s.kind != StreamKind::Video) return false;
  if (s.still) {
    if (!s.stillFrame) {
      if (!s.DecodeNext()) {
        if (s.lastError.empty()) s.Fail("no picture in '" + s.path + "'");
        return false;
      }
      s.stillFrame = RefFrame(s.decoded.get());
      av_frame_unref(s.decoded.get());
    }
    if (s.stillDelivered) return false;
    s.stillDelivered = true;
    out.frame = RefFrame(s.stillFrame.get());
    out.time = 0.0;
    out.displayAspect = s.DisplayAspectOf(s.stillFrame.get());
    return true;
  }
  const double frameSeconds = s.videoInfo.frame_rate > 0 ? 1.0 / s.videoInfo.frame_rate : 0.04;
  for (;;) {
    if (!s.DecodeNext()) {
      // At the end of a seek that passed the last frame, deliver the last one there is.
      if (s.pending) {
        out.frame = std::move(s.pending);
        out.time = s.pendingTime;
        out.displayAspect = s.DisplayAspectOf(out.frame.get());
        s.seekTarget = -1.0;
        return true;
      }
      return false;
    }
    double time = s.FrameTime(s.decoded.get());
    if (time < 0.0) time = s.lastVideoTime + frameSeconds;
    if (s.seekTarget >= 0.0) {
      // Keep the latest frame at or before the target; deliver it once one after it comes.
      if (time <= s.seekTarget + frameSeconds * 0.25) {
        s.pending = RefFrame(s.decoded.get());
        s.pendingTime = time;
        av_frame_unref(s.decoded.get());
        continue;
      }
      s.seekTarget = -1.0;
      if (s.pending) {
        FramePtr next = RefFrame(s.decoded.get());
        av_frame_unref(s.decoded.get());
        out.frame = std::move(s.pending);
        out.time = s.pendingTime;
        out.displayAspect = s.DisplayAspectOf(out.frame.get());
        s.pending = std::move(next);
        s.pendingTime = time;
        s.lastVideoTime = out.time;
        return true;
      }
    }
    if (s.pending) {
      // The frame that ended a seek was held back: it comes first.
      FramePtr next = RefFrame(s.decoded.get());
      av_frame_unref(s.decoded.get());
      out.frame = std::move(s.pending);
      out.time = s.pendingTime;
      s.pending = std::move(next);
      s.pendingTime = time;
    } else {
      out.frame = RefFrame(s.decoded.get());
      out.time = time;
      av_frame_unref(s.decoded.get());
    }
    out.displayAspect = s.DisplayAspectOf(out.frame.get());
    s.lastVideoTime = out.time;
    return true;
  }
}

bool FileSource::ReadAudio(AudioBlock& out) {
  State& s = *m_state;
  if (s.kind != StreamKind::Audio) return false;
  for (;;) {
    if (!s.DecodeNext()) return false;
    AVFrame* frame = s.decoded.get();
    AVChannelLayout inLayout{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels == 0) {
      av_channel_layout_default(&inLayout, std::max(1, frame->ch_layout.nb_channels));
    } else {
      av_channel_layout_copy(&inLayout, &frame->ch_layout);
    }
    if (!s.resampler || s.resamplerFormat != frame->format || s.resamplerRate != frame->sample_rate ||
        av_channel_layout_compare(&s.resamplerLayout, &inLayout) != 0) {
      SwrContext* raw = nullptr;
      AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
      int result = swr_alloc_set_opts2(&raw, &stereo, AV_SAMPLE_FMT_FLT, kAudioRate, &inLayout,
                                       AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
      s.resampler.reset(raw);
      const char* failedCall = result < 0 ? "swr_alloc_set_opts2" : "swr_init";
      if (result >= 0) result = swr_init(raw);
      if (result < 0) {
        // No half-made resampler stays behind for the next frame to use.
        s.resampler.reset();
        av_channel_layout_uninit(&inLayout);
        s.lastError = LogAvError(failedCall, result, s.path);
        return false;
      }
      av_channel_layout_uninit(&s.resamplerLayout);
      av_channel_layout_copy(&s.resamplerLayout, &inLayout);
      s.resamplerFormat = frame->format;
      s.resamplerRate = frame->sample_rate;
    }
    av_channel_layout_uninit(&inLayout);

    const double frameTime = s.FrameTime(frame);
    if (s.audioClock < 0.0) s.audioClock = frameTime >= 0.0 ? frameTime : 0.0;
    const int capacity = swr_get_out_samples(s.resampler.get(), frame->nb_samples);
    out.samples.resize(size_t(std::max(capacity, 0)) * kAudioChannels);
    uint8_t* output = reinterpret_cast<uint8_t*>(out.samples.data());
    int produced = swr_convert(s.resampler.get(), &output, capacity,
                               const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    av_frame_unref(frame);
    if (produced < 0) {
      s.lastError = LogAvError("swr_convert", produced, s.path);
      return false;
    }
    out.samples.resize(size_t(produced) * kAudioChannels);
    out.time = s.audioClock;
    s.audioClock += double(produced) / kAudioRate;
    if (s.seekTarget >= 0.0) {
      const double skip = s.seekTarget - out.time;
      if (skip > 0.0) {
        const size_t drop = std::min(out.SampleCount(), size_t(std::lround(skip * kAudioRate)));
        out.samples.erase(out.samples.begin(), out.samples.begin() + long(drop * kAudioChannels));
        out.time += double(drop) / kAudioRate;
      }
      if (out.samples.empty()) continue;
      s.seekTarget = -1.0;
    }
    if (produced == 0) continue;
    return true;
  }
}

bool FileSource::Seek(double seconds) {
  State& s = *m_state;
  if (seconds < 0.0) seconds = 0.0;
  s.pending.reset();
  s.lastError.clear();
  if (s.still) {
    s.stillDelivered = false;
    return true;
  }
  const int64_t target = int64_t((seconds + s.startOffset) / av_q2d(s.stream->time_base));
  int result = av_seek_frame(s.format.get(), s.streamIndex, target, AVSEEK_FLAG_BACKWARD);
  if (result < 0) {
    // Some files only seek by byte or from the start; fall back to the start and decode on.
    int again = av_seek_frame(s.format.get(), s.streamIndex, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
    if (again < 0) {
      s.lastError = LogAvError("av_seek_frame", result, s.path);
      return false;
    }
  }
  avcodec_flush_buffers(s.codec.get());
  if (s.subtitleCodec) avcodec_flush_buffers(s.subtitleCodec.get());
  s.cues.clear();
  s.demuxEnded = false;
  s.decoderEnded = false;
  s.errorsInRow = 0;
  s.decodeStart = s.reached = seconds;
  s.cutOff = false;
  s.seekTarget = seconds;
  s.audioClock = -1.0;
  if (s.resampler) s.resampler.reset();
  return true;
}

}  // namespace engines::media
