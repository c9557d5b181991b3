#include "engines/TracksDecoder/TrackSources.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engines/TransMgr/TransitionRenderer.h"
#include "engines/media/Placement.h"

using namespace engines::media;

namespace tracks {

namespace {

// How long before its first picture the next clip is opened.
constexpr double kOpenAhead = 0.5;
// Sound is mixed in blocks of a tenth of a second.
constexpr size_t kAudioBlock = kAudioRate / 10;

const TransitionPlan* TransitionAt(const TitlePlan& plan, double t) {
  for (const TransitionPlan& transition : plan.transitions)
    if (t >= transition.begin && t < transition.End()) return &transition;
  return nullptr;
}

// The clip shown at `t` outside transitions: the last one that has begun.
size_t ClipAt(const TitlePlan& plan, double t) {
  size_t found = 0;
  for (size_t i = 0; i < plan.clips.size(); ++i)
    if (plan.clips[i].begin <= t + 1e-9) found = i;
  return found;
}

engines::transitions::ConstPicture ConstView(const AVFrame* frame) {
  return {frame->data[0], frame->width, frame->height, frame->linesize[0]};
}

}  // namespace

VideoTrack::VideoTrack(TitlePlan plan, int width, int height, double fps, bool outputFrame)
    : m_plan(std::move(plan)),
      m_width(width),
      m_height(height),
      m_fps(fps),
      m_outputFrame(outputFrame),
      m_display(outputFrame ? 4.0 / 3.0 : double(width) / height) {
  m_frameCount = std::llround(m_plan.length * m_fps);
  Describe();
}

void VideoTrack::Describe() {
  m_info = {};
  m_info.Width = m_width;
  m_info.Height = m_height;
  m_info.frame_rate = m_fps;
  m_info.total_frames = int32_t(m_frameCount);
  int num = 0, den = 0;
  if (std::fabs(m_display - 16.0 / 9.0) < 0.01) num = 16, den = 9;
  else if (std::fabs(m_display - 4.0 / 3.0) < 0.01) num = 4, den = 3;
  else av_reduce(&num, &den, std::llround(m_display * 10000), 10000, 1 << 16);
  m_info.xratio = num;
  m_info.yratio = den;
  m_info.nBitsDepth = 24;
}

void VideoTrack::SetOutputFormat(int width, int height, double displayAspect) {
  if (width < 2 || height < 2 || width > 4096 || height > 4096) return;
  m_width = width;
  m_height = height;
  m_display = displayAspect > 0.0 ? displayAspect : double(width) / height;
  Describe();
}

bool VideoTrack::Seek(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0.0) {
    m_error = "cannot seek the title to " + std::to_string(seconds) + " s";
    return false;
  }
  m_error.clear();
  m_nextFrame = std::min<int64_t>(m_frameCount, int64_t(std::ceil(seconds * m_fps - 1e-6)));
  m_readers.clear();
  m_openedAhead = SIZE_MAX;
  return true;
}

ClipVideo* VideoTrack::Reader(size_t index, double t) {
  auto found = m_readers.find(index);
  if (found != m_readers.end()) return found->second.get();
  const ClipPlan& clip = m_plan.clips[index];
  auto reader = ClipVideo::Open(clip, std::max(0.0, t - clip.begin), m_outputFrame, m_error);
  if (!reader) return nullptr;
  return m_readers.emplace(index, std::move(reader)).first->second.get();
}

void VideoTrack::KeepReaders(double t) {
  for (auto it = m_readers.begin(); it != m_readers.end();) {
    const ClipPlan& clip = m_plan.clips[it->first];
    const bool needed = t < clip.End() && t >= clip.begin - kOpenAhead;
    it = needed ? std::next(it) : m_readers.erase(it);
  }
  // The next clip opens ahead of its first picture.
  for (size_t i = 0; i < m_plan.clips.size(); ++i) {
    const ClipPlan& clip = m_plan.clips[i];
    if (clip.begin > t && clip.begin - t <= kOpenAhead) {
      if (!m_readers.count(i) && m_openedAhead != i) {
        m_openedAhead = i;  // tried once; a failure is reported when the clip's picture is due
        std::string ignored;
        if (auto reader = ClipVideo::Open(clip, 0.0, m_outputFrame, ignored)) m_readers.emplace(i, std::move(reader));
      }
      break;
    }
  }
}

FramePtr VideoTrack::PlaceClip(size_t index, double t, AVPixelFormat format) {
  ClipVideo* reader = Reader(index, t);
  if (!reader) return nullptr;
  const ClipPlan& clip = m_plan.clips[index];
  const double local = std::clamp(t - clip.begin, 0.0, std::max(0.0, clip.length));
  VideoFrame picture;
  if (!reader->PictureAt(local, picture, m_error)) return nullptr;
  FramePtr out = MakeBlackFrame(format, m_width, m_height);
  if (!out || !PlaceInto(m_converter, picture.frame.get(), picture.style, picture.Aspect(), m_display, out.get())) {
    m_error = "cannot place a picture of '" + clip.path + "' into the title's frame";
    return nullptr;
  }
  return out;
}

FramePtr VideoTrack::Compose(double t) {
  const TransitionPlan* transition = TransitionAt(m_plan, t);
  if (!transition) return PlaceClip(ClipAt(m_plan, t), t, AV_PIX_FMT_YUV420P);
  FramePtr from = PlaceClip(transition->from, t, AV_PIX_FMT_BGRA);
  if (!from) return nullptr;
  FramePtr to = transition->intoBlack ? MakeBlackFrame(AV_PIX_FMT_BGRA, m_width, m_height)
                                      : PlaceClip(transition->from + 1, t, AV_PIX_FMT_BGRA);
  if (!to) return nullptr;
  FramePtr out = MakeBlackFrame(AV_PIX_FMT_BGRA, m_width, m_height);
  const double progress = (t - transition->begin) / transition->length;
  AVFrame* o = out.get();
  if (!engines::transitions::RenderTransition(transition->id, ConstView(from.get()), ConstView(to.get()), progress,
                                              {o->data[0], o->width, o->height, o->linesize[0]})) {
    m_error = "cannot draw the transition '" + transition->id + "'";
    return nullptr;
  }
  return out;
}

bool VideoTrack::ReadVideo(VideoFrame& out) {
  if (m_nextFrame >= m_frameCount || !m_error.empty()) return false;
  const double t = double(m_nextFrame) / m_fps;
  KeepReaders(t);
  FramePtr frame = Compose(t);
  if (!frame) {
    m_readers.clear();
    return false;
  }
  out = VideoFrame{};
  out.frame = std::move(frame);
  out.time = t;
  out.displayAspect = m_display;
  out.style = ResizeStyle::Stretch;
  out.composed = true;
  ++m_nextFrame;
  return true;
}

AudioTrack::AudioTrack(TitlePlan plan) : m_plan(std::move(plan)) {
  m_sampleCount = std::llround(m_plan.length * kAudioRate);
  m_info.sample_rate = kAudioRate;
  m_info.channels = kAudioChannels;
  m_info.bitspersample = 32;
  m_info.bytespersecond = kAudioRate * kAudioChannels * 4;
  m_info.length = m_plan.length;
}

bool AudioTrack::Seek(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0.0) {
    m_error = "cannot seek the title to " + std::to_string(seconds) + " s";
    return false;
  }
  m_error.clear();
  m_nextSample = std::min(m_sampleCount, int64_t(std::llround(seconds * kAudioRate)));
  m_readers.clear();
  return true;
}

double AudioTrack::Gain(size_t index, int64_t n) const {
  const ClipPlan& clip = m_plan.clips[index];
  const double t = double(n) / kAudioRate;
  const double sinceBegin = t - clip.begin, untilEnd = clip.End() - t;
  double gain = 1.0;
  if (clip.fadeIn > 0.0 && sinceBegin < clip.fadeIn) gain *= std::max(0.0, sinceBegin / clip.fadeIn);
  if (clip.fadeOut > 0.0 && untilEnd < clip.fadeOut) gain *= std::max(0.0, untilEnd / clip.fadeOut);
  // Equal power over each transition: the clip going out by the cosine, the one coming in by the sine.
  for (const TransitionPlan& transition : m_plan.transitions) {
    if (t < transition.begin || t >= transition.End()) continue;
    const double angle = std::clamp((t - transition.begin) / transition.length, 0.0, 1.0) * std::numbers::pi / 2;
    if (transition.from == index) gain *= std::cos(angle);
    else if (transition.from + 1 == index && !transition.intoBlack) gain *= std::sin(angle);
  }
  return gain;
}

bool AudioTrack::MixClip(size_t index, int64_t from, size_t count, float* out) {
  const ClipPlan& clip = m_plan.clips[index];
  const int64_t first = std::llround(clip.begin * kAudioRate), end = std::llround(clip.End() * kAudioRate);
  const int64_t begin = std::max(first, from), stop = std::min(end, from + int64_t(count));
  if (begin >= stop) return true;
  auto found = m_readers.find(index);
  if (found == m_readers.end()) {
    auto reader = ClipAudio::Open(clip, double(begin - first) / kAudioRate, m_error);
    if (!reader) return false;
    found = m_readers.emplace(index, std::move(reader)).first;
  }
  const size_t n = size_t(stop - begin);
  m_scratch.resize(n * kAudioChannels);
  if (!found->second->Take(begin - first, n, m_scratch.data(), m_error)) return false;
  float* into = out + (begin - from) * kAudioChannels;
  for (size_t k = 0; k < n; ++k) {
    const float gain = float(Gain(index, begin + int64_t(k)));
    into[k * 2] += m_scratch[k * 2] * gain;
    into[k * 2 + 1] += m_scratch[k * 2 + 1] * gain;
  }
  return true;
}

bool AudioTrack::ReadAudio(AudioBlock& out) {
  if (m_nextSample >= m_sampleCount || !m_error.empty()) return false;
  const size_t count = size_t(std::min<int64_t>(kAudioBlock, m_sampleCount - m_nextSample));
  out.samples.assign(count * kAudioChannels, 0.0f);
  out.time = double(m_nextSample) / kAudioRate;
  const int64_t blockEnd = m_nextSample + int64_t(count);
  for (auto it = m_readers.begin(); it != m_readers.end();) {
    const bool over = std::llround(m_plan.clips[it->first].End() * kAudioRate) <= m_nextSample;
    it = over ? m_readers.erase(it) : std::next(it);
  }
  for (size_t i = 0; i < m_plan.clips.size(); ++i) {
    const ClipPlan& clip = m_plan.clips[i];
    if (std::llround(clip.begin * kAudioRate) >= blockEnd) break;
    if (!MixClip(i, m_nextSample, count, out.samples.data())) {
      m_readers.clear();
      return false;
    }
  }
  for (float& sample : out.samples) sample = std::clamp(sample, -1.0f, 1.0f);
  m_nextSample = blockEnd;
  return true;
}

}  // namespace tracks
