#include "engines/QM_Converter/Converter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "engines/media/DvdWriter.h"
#include "engines/QM_Converter/FrameRateConverter.h"
#include "engines/QM_Converter/VideoReadAhead.h"
#include "engines/media/FieldRate.h"
#include "engines/media/FrameConvert.h"
#include "engines/media/MediaLog.h"
#include "engines/media/Placement.h"

using namespace engines::media;

namespace {

constexpr double kNtscRate = 30000.0 / 1001.0;

bool Near(double a, double b) { return std::fabs(a - b) < 0.01; }

// An aborted or failed title leaves no half-written file behind; only a regular file is
// removed (the output may be a device).
void RemovePartialOutput(const std::string& path) {
  std::error_code ignored;
  if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
}

}  // namespace

Converter::Converter(std::shared_ptr<MediaSource> video, std::shared_ptr<MediaSource> audio)
    : m_video(std::move(video)), m_audio(std::move(audio)) {
  QEEncodeParam zero{};
  std::string unused;
  Normalize(zero, m_param, unused);
}

Converter::~Converter() {
  Abort();
  if (m_thread.joinable()) m_thread.join();
}

bool Converter::SetOutputFile(const std::string& path) {
  if (m_running || path.empty()) return false;
  m_outputPath = path;
  return true;
}

bool Converter::Normalize(const QEEncodeParam& in, QEEncodeParam& out, std::string& error) {
  out = in;
  out.size = sizeof(QEEncodeParam);
  if (out.width == 0) out.width = 720;
  if (out.height == 0) out.height = (out.frameRate != 0.0 && Near(out.frameRate, 25.0)) ? 576 : 480;
  if (out.frameRate == 0.0) out.frameRate = out.height == 576 ? 25.0 : kNtscRate;
  if (out.videoBitrate == 0) out.videoBitrate = 6000000;
  if (out.maxBitrate == 0) out.maxBitrate = std::max(9000000, out.videoBitrate);
  if (out.bufferSize == 0) out.bufferSize = 1835008;
  if (out.gopSize == 0) out.gopSize = 15;
  if (out.bFrames == 0) out.bFrames = 2;
  if (out.audioBitrate == 0) out.audioBitrate = 192000;
  if (out.sampleRate == 0) out.sampleRate = 48000;
  if (out.channels == 0) out.channels = 2;
  if (out.previewEvery <= 0) out.previewEvery = 15;

  const bool pal = out.height == 576;
  if (out.width != 720 && out.width != 704 && out.width != 352) {
    error = "a DVD frame is 720, 704 or 352 pixels wide, not " + std::to_string(out.width);
  } else if (out.height != 480 && out.height != 576) {
    error = "a DVD frame is 480 (NTSC) or 576 (PAL) lines high, not " + std::to_string(out.height);
  } else if (!(pal ? Near(out.frameRate, 25.0) : Near(out.frameRate, kNtscRate))) {
    error = "a " + std::to_string(out.height) + "-line DVD runs at " + (pal ? "25" : "29.97") + " frames a second";
  } else if (out.videoBitrate < 300000 || out.maxBitrate > 9800000 || out.videoBitrate > out.maxBitrate ||
             out.minBitrate < 0 || out.minBitrate > out.videoBitrate) {
    error = "video bit rates out of the DVD range (average " + std::to_string(out.videoBitrate) + ", maximum " +
            std::to_string(out.maxBitrate) + " bit/s)";
  } else if (out.bufferSize < 0 || out.bufferSize > 1835008) {
    error = "the video buffer of a DVD holds at most 1835008 bits";
  } else if (out.aspect != 0 && out.aspect != 2 && out.aspect != 3) {
    error = "aspect code " + std::to_string(out.aspect) + " is neither 4:3 (2) nor 16:9 (3)";
  } else if (out.audioCodec == kEncodeAudioLpcm) {
    error = "the converter writes AC-3 or MPEG audio, not LPCM";
  } else if (out.audioCodec != kEncodeAudioAc3 && out.audioCodec != kEncodeAudioMp2) {
    error = "unknown audio codec " + std::to_string(out.audioCodec);
  } else if (out.audioCodec == kEncodeAudioMp2 && !pal) {
    error = "MPEG audio is allowed on PAL discs only";
  } else if (out.sampleRate != 48000) {
    error = "DVD audio is sampled at 48000 Hz, not " + std::to_string(out.sampleRate);
  } else if (out.channels != 1 && out.channels != 2) {
    error = "the converter writes mono or stereo audio, not " + std::to_string(out.channels) + " channels";
  } else if (out.audioBitrate < 64000 || out.audioBitrate > 448000) {
    error = "audio bit rate " + std::to_string(out.audioBitrate) + " is out of the DVD range";
  }
  if (!error.empty()) return false;
  // A DVD's GOP holds at most 18 (NTSC) or 15 (PAL) frames.
  out.gopSize = std::min(out.gopSize, pal ? 15 : 18);
  if (out.bFrames < 0) out.bFrames = 0;
  out.bFrames = std::min(out.bFrames, 2);
  return true;
}

bool Converter::SetParam(const QEEncodeParam& param) {
  if (m_running) return false;
  std::string error;
  QEEncodeParam normalized;
  if (!Normalize(param, normalized, error)) {
    SetLastError("encoding parameters refused: " + error);
    return false;
  }
  m_param = normalized;
  return true;
}

int Converter::Start(double begin, double length, QECallback callback, void* userData) {
  if (m_running) {
    SetLastError("cannot start an encoding: the converter is already running");
    return 1;
  }
  if (m_thread.joinable()) m_thread.join();
  if (m_outputPath.empty()) {
    SetLastError("cannot start an encoding: no output file set");
    return 2;
  }
  if (begin < 0.0 || length < 0.0 || !std::isfinite(begin) || !std::isfinite(length)) {
    SetLastError("cannot start an encoding: bad time range");
    return 3;
  }
  m_begin = begin;
  m_length = length;
  m_callback = callback;
  m_userData = userData;
  m_abort = false;
  m_paused = false;

  const bool pal = m_param.height == 576;
  m_display = m_param.aspect == 3 ? 16.0 / 9.0 : 4.0 / 3.0;
  if (m_param.aspect == 0) {
    // The nearer of 4:3 and 16:9 to the source's own aspect (their geometric mean divides).
    double source = 4.0 / 3.0;
    if (m_video && m_video->HasVideo()) {
      const TVideoInfo* info = m_video->VideoInfo();
      if (info && info->xratio > 0 && info->yratio > 0) source = double(info->xratio) / info->yratio;
      else if (info && info->Width > 0 && info->Height > 0) source = double(info->Width) / info->Height;
    }
    m_display = source > std::sqrt(4.0 / 3.0 * 16.0 / 9.0) ? 16.0 / 9.0 : 4.0 / 3.0;
  }
  // A source that composes whole frames composes them into this job's frame.
  if (m_video) m_video->SetOutputFormat(m_param.width, m_param.height, m_display);
  DvdWriter::Settings settings;
  settings.path = m_outputPath;
  settings.width = m_param.width;
  settings.height = m_param.height;
  settings.frameRate = pal ? AVRational{25, 1} : AVRational{30000, 1001};
  av_reduce(&settings.sampleAspect.num, &settings.sampleAspect.den,
            int64_t(std::lround(m_display * 9 * 16)) * m_param.height, int64_t(9 * 16) * m_param.width, 1 << 16);
  settings.gopSize = m_param.gopSize;
  settings.bFrames = m_param.bFrames;
  settings.bitRate = m_param.videoBitrate;
  settings.maxRate = m_param.maxBitrate;
  settings.minRate = m_param.minBitrate;
  settings.bufferSize = m_param.bufferSize;
  settings.constantRate = m_param.rateControl == kEncodeRateConstant;
  settings.mp2Audio = m_param.audioCodec == kEncodeAudioMp2;
  settings.audioBitRate = m_param.audioBitrate;
  settings.channels = m_param.channels;
  settings.abort = &m_abort;
  // An interlaced source keeps the motion of its fields: the output is interlaced too, its
  // fields shown in the order the source shows them.
  const AVFieldOrder sourceFields = m_video ? SourceFieldOrder(*m_video) : AV_FIELD_PROGRESSIVE;
  m_fieldOrder = !IsInterlaced(sourceFields)          ? AV_FIELD_PROGRESSIVE
                 : TopFieldShownFirst(sourceFields) ? AV_FIELD_TT
                                                    : AV_FIELD_BB;
  settings.fieldOrder = m_fieldOrder;
  m_writer = std::make_unique<DvdWriter>();
  std::string error;
  if (!m_writer->Open(settings, error)) {
    SetLastError("cannot start an encoding into '" + m_outputPath + "': " + error);
    m_writer.reset();
    RemovePartialOutput(m_outputPath);
    return 4;
  }
  m_progress = {};
  m_progress.size = sizeof(QEProgress);
  SetLastError({}, false);
  m_running = true;
  m_writer->StartThread();
  m_thread = std::thread([this] { Run(); });
  return 0;
}

std::string Converter::LastError() const {
  std::lock_guard lock(m_errorLock);
  return m_lastError;
}

void Converter::SetLastError(std::string text, bool log) {
  if (log) LogLine(text);
  std::lock_guard lock(m_errorLock);
  m_lastError = std::move(text);
}

void Converter::Pause(bool paused) {
  {
    std::lock_guard lock(m_pauseMutex);
    m_paused = paused;
  }
  m_pauseWake.notify_all();
}

void Converter::Abort() {
  {
    std::lock_guard lock(m_pauseMutex);
    m_abort = true;
  }
  m_pauseWake.notify_all();
}

bool Converter::WaitWhilePaused() {
  std::unique_lock lock(m_pauseMutex);
  m_pauseWake.wait(lock, [&] { return !m_paused || m_abort; });
  return !m_abort;
}

void Converter::Report(int message, int code) {
  if (!m_callback) return;
  if (m_writer) m_progress.bytesWritten = m_writer->BytesWritten();
  m_callback(m_userData, message, code, &m_progress);
  m_progress.preview = nullptr;
}

void Converter::FillPreview(const AVFrame* frame) {
  const int width = frame->width, height = frame->height;
  const size_t planes = size_t(width) * height * 3 / 2;
  m_previewBlock.resize(sizeof(QEPreviewBlock) + planes);
  auto* block = reinterpret_cast<QEPreviewBlock*>(m_previewBlock.data());
  block->kind = 2;
  block->valid = 1;
  block->frame = {width, height, 0, width, width / 2, 0};
  uint8_t* out = m_previewBlock.data() + sizeof(QEPreviewBlock);
  for (int plane = 0; plane < 3; ++plane) {
    const int w = plane ? width / 2 : width, h = plane ? height / 2 : height;
    for (int y = 0; y < h; ++y, out += w) std::memcpy(out, frame->data[plane] + ptrdiff_t(y) * frame->linesize[plane], w);
  }
  m_progress.preview = block;
}

// One run of the job on the reader thread: the sources are read, the pictures put onto the
// output frame grid and the sound cut into encoder frames, both pushed to the writer in time
// order, and the end is reported. Lives on the reader thread's stack for the length of the run;
// when the video is read ahead, the read-ahead thread owns the scaler until Finish stops it.
class Converter::Job {
 public:
  explicit Job(Converter& owner);
  void Run();

 private:
  double LengthToEncode() const;
  void SeekSources();
  FramePtr MakePicture(const VideoFrame& in);
  void StartReadAhead();
  void ReadVideo();
  void FillAudio(size_t need);
  bool PushAudioUpTo(int64_t limit);
  bool EmitVideo(const FramePtr& fieldOrFrame);
  int64_t PicturesLeft() const;
  bool EncodeVideo();
  void Finish(bool ok);

  Converter& m_owner;
  DvdWriter& m_writer;
  const double m_rate;
  // Interlaced output: each field of the source is a picture of its own (m_video reads them),
  // placed on a grid of fields, and every two pictures are woven into one output frame.
  const bool m_interlaced;
  const double m_pictureRate;  // of the grid: frames, or fields when interlaced
  std::shared_ptr<MediaSource> m_video;
  FramePtr m_firstField;  // the picture of the field shown first, waiting for the second
  const int m_width, m_height;
  const int m_channels;
  const bool m_mp2;
  const int m_audioFrame;
  int64_t m_frameCount = 0;
  int64_t m_sampleCount = 0;
  std::string m_failure;

  // Video: the picture being repeated onto the grid and the next one read.
  FrameConverter m_scaler;
  FrameRateConverter m_grid;
  FramePtr m_current;
  VideoFrame m_pending;
  bool m_havePending = false;
  bool m_videoEnded;
  int64_t m_framesOut = 0;

  // Audio: interleaved stereo float, starting at sample m_samplesOut.
  std::vector<float> m_fifo;
  int64_t m_samplesOut = 0;
  bool m_audioEnded;
  double m_audioClock = 0.0;  // source time (from begin) of the end of m_fifo

  // Declared last: its thread uses the scaler and must stop first.
  std::unique_ptr<VideoReadAhead> m_ahead;
};

Converter::Job::Job(Converter& owner)
    : m_owner(owner),
      m_writer(*owner.m_writer),
      m_rate(owner.m_param.height == 576 ? 25.0 : kNtscRate),
      m_interlaced(IsInterlaced(owner.m_fieldOrder)),
      m_pictureRate(m_interlaced ? 2.0 * m_rate : m_rate),
      m_video(m_interlaced ? std::make_shared<FieldRateSource>(owner.m_video, owner.m_fieldOrder) : owner.m_video),
      m_width(owner.m_param.width),
      m_height(owner.m_param.height),
      m_channels(owner.m_param.channels),
      m_mp2(owner.m_param.audioCodec == kEncodeAudioMp2),
      m_audioFrame(owner.m_writer->AudioFrameSize()),
      m_grid(m_pictureRate),
      m_videoEnded(!owner.m_video),
      m_audioEnded(!owner.m_audio) {}

void Converter::Run() { Job(*this).Run(); }

void Converter::Job::Run() {
  m_frameCount = std::max<int64_t>(1, std::llround(LengthToEncode() * m_rate));
  m_sampleCount = std::llround(double(m_frameCount) / m_rate * kAudioRate);
  SeekSources();
  if (m_failure.empty()) StartReadAhead();
  bool ok = m_failure.empty() && EncodeVideo();
  if (ok && !m_owner.m_abort) ok = PushAudioUpTo(m_sampleCount) && m_failure.empty();
  Finish(ok);
}

// The length to encode: from begin, `length` seconds or up to the end of the longer source.
double Converter::Job::LengthToEncode() const {
  if (m_owner.m_length > 0.0) return m_owner.m_length;
  double end = 0.0;
  if (m_owner.m_video) end = std::max(end, m_owner.m_video->Duration());
  if (!m_owner.m_video && m_owner.m_audio) end = m_owner.m_audio->Duration();
  return std::max(0.0, end - m_owner.m_begin);
}

void Converter::Job::SeekSources() {
  const double begin = m_owner.m_begin;
  if (begin <= 0.0) return;
  MediaSource* video = m_owner.m_video.get();
  MediaSource* audio = m_owner.m_audio.get();
  if (video && !video->Seek(begin)) m_failure = "cannot seek the video source: " + video->LastError();
  if (audio && !audio->Seek(begin)) m_failure = "cannot seek the audio source: " + audio->LastError();
}

FramePtr Converter::Job::MakePicture(const VideoFrame& in) {
  FramePtr out = MakeBlackFrame(AV_PIX_FMT_YUV420P, m_width, m_height);
  if (!out) return nullptr;
  // A composed picture is already the output frame: only its pixel format may change.
  const bool whole = in.composed && in.frame->width == m_width && in.frame->height == m_height;
  const ResizeStyle style = whole ? ResizeStyle::Stretch : in.style;
  if (!PlaceInto(m_scaler, in.frame.get(), style, in.Aspect(), m_owner.m_display, out.get())) return nullptr;
  return out;
}

// The video is decoded and scaled ahead on a thread of its own unless one object delivers
// both the pictures and the sound (it is read by one thread at a time). Then the scaler
// belongs to that thread; pictures the frame rate conversion drops are scaled as well, but
// off this thread, which paces the encoder.
void Converter::Job::StartReadAhead() {
  if (!m_owner.m_video || m_owner.m_video == m_owner.m_audio) return;
  m_ahead = std::make_unique<VideoReadAhead>(*m_video, [this](VideoFrame& frame, std::string& error) {
    frame.frame = MakePicture(frame);
    if (!frame.frame) error = "cannot scale a picture";
    return bool(frame.frame);
  });
  m_ahead->Start();
}

void Converter::Job::ReadVideo() {
  if (m_videoEnded) return;
  m_havePending = m_ahead ? m_ahead->Read(m_pending) : m_video->ReadVideo(m_pending);
  if (!m_havePending) {
    m_videoEnded = true;
    const std::string error = m_ahead ? m_ahead->LastError() : m_video->LastError();
    if (!error.empty()) m_failure = "the video source failed: " + error;
  } else {
    m_pending.time -= m_owner.m_begin;
  }
}

// Appends audio to the fifo until it holds `need` samples or the source ends.
void Converter::Job::FillAudio(size_t need) {
  MediaSource* audio = m_owner.m_audio.get();  // null without sound: then it has ended
  while (!m_audioEnded && m_fifo.size() / 2 < need && !m_owner.m_abort) {
    AudioBlock block;
    if (!audio->ReadAudio(block)) {
      m_audioEnded = true;
      if (!audio->LastError().empty()) m_failure = "the audio source failed: " + audio->LastError();
      break;
    }
    double start = block.time - m_owner.m_begin;
    size_t skip = 0;
    if (start > m_audioClock + 0.02) {
      // A gap in the source: silence.
      m_fifo.resize(m_fifo.size() + size_t(std::lround((start - m_audioClock) * kAudioRate)) * 2, 0.0f);
      m_audioClock = start;
    } else if (start < m_audioClock - 0.02) {
      skip = std::min(block.SampleCount(), size_t(std::lround((m_audioClock - start) * kAudioRate)));
    }
    m_fifo.insert(m_fifo.end(), block.samples.begin() + long(skip * 2), block.samples.end());
    m_audioClock += double(block.SampleCount() - skip) / kAudioRate;
  }
}

// Encodes audio frames until `limit` samples are out (at the end, up to the last sample).
bool Converter::Job::PushAudioUpTo(int64_t limit) {
  while (m_samplesOut + m_audioFrame <= limit || (limit >= m_sampleCount && m_samplesOut < m_sampleCount)) {
    if (m_owner.m_abort) return false;
    FillAudio(size_t(m_audioFrame));
    if (!m_failure.empty()) return false;  // a failed source ends the job now, not padded to its end
    FramePtr frame = MakeFrame();
    frame->nb_samples = m_audioFrame;
    frame->format = m_mp2 ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = kAudioRate;
    av_channel_layout_default(&frame->ch_layout, m_channels);
    if (av_frame_get_buffer(frame.get(), 0) < 0) {
      m_failure = "out of memory for audio";
      return false;
    }
    const size_t available = std::min(m_fifo.size() / 2, size_t(m_audioFrame));
    for (int i = 0; i < m_audioFrame; ++i) {
      float left = 0.0f, right = 0.0f;
      if (size_t(i) < available) {
        left = m_fifo[size_t(i) * 2];
        right = m_fifo[size_t(i) * 2 + 1];
      }
      if (m_channels == 1) left = right = (left + right) * 0.5f;
      if (m_mp2) {
        auto* out = reinterpret_cast<int16_t*>(frame->data[0]);
        for (int c = 0; c < m_channels; ++c) {
          const float v = std::clamp(c ? right : left, -1.0f, 1.0f);
          out[i * m_channels + c] = int16_t(std::lrint(v * 32767.0f));
        }
      } else {
        reinterpret_cast<float*>(frame->data[0])[i] = left;
        if (m_channels > 1) reinterpret_cast<float*>(frame->data[1])[i] = right;
      }
    }
    m_fifo.erase(m_fifo.begin(), m_fifo.begin() + long(available * 2));
    frame->pts = m_samplesOut;
    m_samplesOut += m_audioFrame;
    if (!m_writer.Push(std::move(frame), false)) return false;
  }
  return true;
}

// Pushes one output frame (and the sound up to its end), then reports progress. Interlaced,
// it takes the pictures of two fields, the one shown first first, and weaves them.
bool Converter::Job::EmitVideo(const FramePtr& fieldOrFrame) {
  if (!m_owner.WaitWhilePaused()) return false;
  FramePtr woven;
  if (m_interlaced) {
    if (!m_firstField) {
      m_firstField = RefFrame(fieldOrFrame.get());
      return true;
    }
    woven = MakeBlackFrame(AV_PIX_FMT_YUV420P, m_width, m_height);
    if (!woven) {
      m_failure = "out of memory for a picture";
      return false;
    }
    WeaveFields(m_firstField.get(), fieldOrFrame.get(), woven.get(), m_owner.m_fieldOrder == AV_FIELD_TT);
    m_firstField.reset();
  }
  const FramePtr& picture = m_interlaced ? woven : fieldOrFrame;
  FramePtr frame = RefFrame(picture.get());
  frame->pts = m_framesOut;
  frame->pict_type = AV_PICTURE_TYPE_NONE;
  if (!PushAudioUpTo(std::llround(double(m_framesOut + 1) / m_rate * kAudioRate))) return false;
  if (!m_writer.Push(std::move(frame), true)) return false;
  ++m_framesOut;
  QEProgress& progress = m_owner.m_progress;
  progress.framesDone = int32_t(m_framesOut);
  progress.secondsDone = double(m_framesOut) / m_rate;
  progress.percent = int32_t(std::min<int64_t>(100, m_framesOut * 100 / m_frameCount));
  if (m_owner.m_preview && (m_framesOut - 1) % m_owner.m_param.previewEvery == 0) m_owner.FillPreview(picture.get());
  if (m_framesOut % 8 == 0 || progress.preview) m_owner.Report(kQEMessageProgress, 0);
  return true;
}

// Grid slots still to fill: frames, or fields when interlaced.
int64_t Converter::Job::PicturesLeft() const {
  const int64_t frames = m_frameCount - m_framesOut;
  return m_interlaced ? 2 * frames - (m_firstField ? 1 : 0) : frames;
}

// Puts the source's pictures onto the output grid until every output frame is out; false when
// the job failed or was aborted.
bool Converter::Job::EncodeVideo() {
  bool ok = true;
  ReadVideo();
  while (ok && m_framesOut < m_frameCount && !m_owner.m_abort) {
    int repeats;
    if (m_havePending) {
      VideoFrame frame = std::move(m_pending);
      ReadVideo();
      const double next = m_havePending ? m_pending.time : frame.time + 1.0 / m_pictureRate;
      repeats = m_grid.Repeats(frame.time, next);
      if (!m_havePending) repeats = int(PicturesLeft());  // the last picture holds to the end
      if (repeats > 0) {
        m_current = m_ahead ? std::move(frame.frame) : MakePicture(frame);
        if (!m_current) {
          m_failure = "cannot scale a picture";
          return false;
        }
      }
    } else {
      if (!m_current) {
        // No picture at all (audio only, or a video source with nothing in it): black.
        m_current = MakeBlackFrame(AV_PIX_FMT_YUV420P, m_width, m_height);
      }
      repeats = int(PicturesLeft());
    }
    // A video source that failed ends the job here instead of holding its last picture.
    if (!m_failure.empty()) return false;
    for (int i = 0; i < repeats && m_framesOut < m_frameCount && ok; ++i) ok = EmitVideo(m_current);
    if (!m_failure.empty()) ok = false;
  }
  return ok;
}

// Ends the output (finished, or stopped and removed) and sends the one end report.
void Converter::Job::Finish(bool ok) {
  m_ahead.reset();  // no thread of the job outlives its end report

  std::string error;
  bool written = false;
  if (ok && !m_owner.m_abort) {
    written = m_writer.Finish(error);
  } else {
    m_writer.Stop();
    error = m_writer.Error();
  }
  if (m_failure.empty() && !error.empty()) m_failure = error;
  const bool noSpace = m_writer.NoSpace();
  const bool aborted = !written && m_failure.empty();
  // The end report gives the size of the finished file (nothing is left of a failed one).
  m_owner.m_progress.bytesWritten = written ? m_writer.BytesWritten() : 0;
  m_owner.m_writer.reset();  // closes the output file
  int code = kQEEndDone;
  if (!written) {
    RemovePartialOutput(m_owner.m_outputPath);
    code = aborted ? kQEEndAborted : (noSpace ? kQEEndNoSpace : kQEEndFailed);
    if (!aborted)
      m_owner.SetLastError(noSpace ? "no space left to write '" + m_owner.m_outputPath + "': " + m_failure
                                   : "encoding '" + m_owner.m_outputPath + "' failed: " + m_failure);
  } else {
    m_owner.m_progress.percent = 100;
  }
  m_owner.m_running = false;
  m_owner.Report(kQEMessageEnd, code);
}
