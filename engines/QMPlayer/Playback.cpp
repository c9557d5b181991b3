#include "engines/QMPlayer/Playback.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "engines/common/EngineGuard.h"
#include "engines/common/EngineLog.h"
#include "platform/user/WinUser.h"

using engines::media::AudioBlock;
using engines::media::kAudioChannels;
using engines::media::kAudioRate;
using engines::media::VideoFrame;

namespace player {

namespace {

constexpr size_t kQueuedPictures = 6;
constexpr double kSoundAhead = 0.2;       // seconds of sound queued ahead of the device
constexpr double kClockTolerance = 0.03;  // drift the sound clock tolerates before pulling
constexpr auto kTickInterval = std::chrono::milliseconds(200);

}  // namespace

Playback::Playback(PlaybackSetup setup) : m_setup(std::move(setup)) {
  m_sameSource = m_setup.video && m_setup.video == m_setup.audio;
  m_paused = m_setup.paused;
  const double at = m_setup.begin + m_setup.start;
  if (m_setup.video && !m_setup.video->Seek(at))
    engines::LogLine("cannot position the video at " + std::to_string(at) + " s: " + m_setup.video->LastError());
  if (m_setup.audio && !m_sameSource && !m_setup.audio->Seek(at))
    engines::LogLine("cannot position the sound at " + std::to_string(at) + " s: " + m_setup.audio->LastError());
  m_clock.Set(m_setup.start);
  if (m_setup.output) {
    m_setup.output->Clear();
    m_setup.output->Pause(m_paused);
  }
  if (!m_paused) m_clock.Resume();
  if (!m_setup.video) m_videoEnded = true;
  if (!m_setup.audio) m_audioDone = true;
  if (!m_setup.video && m_setup.tickAfterFirst) Post(kPlayerNotifyMessage, kPlayerNotifyTick);
  // A failure inside a thread ends that part of the run: the video or the sound is taken as
  // ended, and the presenting thread reports the end, so the program is never left waiting.
  if (m_setup.video)
    m_videoThread = std::thread([this] {
      try {
        VideoWork();
      } catch (...) {
        engines::LogCurrentException("the player's video reader");
        std::lock_guard lock(m_mutex);
        m_videoEnded = true;
        m_changed.notify_all();
      }
    });
  if (m_setup.audio)
    m_audioThread = std::thread([this] {
      try {
        AudioWork();
      } catch (...) {
        engines::LogCurrentException("the player's sound thread");
        std::lock_guard lock(m_mutex);
        m_audioDone = true;
        m_changed.notify_all();
      }
    });
  m_presentThread = std::thread([this] {
    try {
      PresentWork();
    } catch (...) {
      engines::LogCurrentException("the player's presenting thread");
      if (!m_ended.exchange(true)) {
        Post(kPlayerNotifyMessage, kPlayerNotifyEnd);
        Post(kPlayerCompleteMessage, 0);
      }
    }
  });
}

Playback::~Playback() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_changed.notify_all();
  for (std::thread* thread : {&m_videoThread, &m_audioThread, &m_presentThread})
    if (thread->joinable()) thread->join();
  if (m_setup.output) {
    m_setup.output->Pause(true);
    m_setup.output->Clear();
  }
}

void Playback::Pause() {
  {
    std::lock_guard lock(m_mutex);
    if (m_paused) return;
    m_paused = true;
  }
  m_clock.Pause();
  if (m_setup.output) m_setup.output->Pause(true);
  m_changed.notify_all();
}

void Playback::Resume() {
  {
    std::lock_guard lock(m_mutex);
    if (!m_paused) return;
    m_paused = false;
    m_steps = 0;
  }
  m_clock.Resume();
  if (m_setup.output) m_setup.output->Pause(false);
  m_changed.notify_all();
}

void Playback::Step() {
  {
    std::lock_guard lock(m_mutex);
    if (!m_paused) return;
    ++m_steps;
  }
  m_changed.notify_all();
}

bool Playback::WaitFor(std::unique_lock<std::mutex>& lock, double seconds) {
  if (m_stop) return false;
  seconds = std::clamp(seconds, 0.001, 0.05);
  m_changed.wait_for(lock, std::chrono::duration<double>(seconds));
  return !m_stop;
}

void Playback::Post(UINT message, WPARAM wParam) {
  HWND window = m_setup.callback ? m_setup.callback->load() : nullptr;
  // A null window would post to the calling thread's own queue.
  if (window) PostMessageW(window, message, wParam, m_setup.tag);
}

bool Playback::ReadVideo(VideoFrame& frame) {
  if (!m_sameSource) return m_setup.video->ReadVideo(frame);
  std::lock_guard lock(m_sourceMutex);
  return m_setup.video->ReadVideo(frame);
}

bool Playback::ReadAudio(AudioBlock& block) {
  if (!m_sameSource) return m_setup.audio->ReadAudio(block);
  std::lock_guard lock(m_sourceMutex);
  return m_setup.audio->ReadAudio(block);
}

void Playback::VideoWork() {
  const double from = m_setup.begin + m_setup.start;
  const double to = m_setup.length > 0.0 ? m_setup.begin + m_setup.length : std::numeric_limits<double>::infinity();
  for (;;) {
    {
      std::lock_guard lock(m_mutex);
      if (m_stop) return;
    }
    VideoFrame frame;
    if (!ReadVideo(frame)) {
      const std::string error = m_setup.video->LastError();
      if (!error.empty()) engines::LogLine("the player stops reading the video: " + error);
      break;
    }
    if (!frame.frame) continue;
    if (!m_setup.still) {
      if (frame.time >= to - 1e-6) break;
      // A picture that ends before the start is not shown (sources position exactly; this
      // covers one that lands a little early).
      if (frame.time + m_setup.frameDuration <= from + 1e-6) continue;
    }
    std::unique_lock lock(m_mutex);
    while (!m_stop && m_frames.size() >= kQueuedPictures) m_changed.wait(lock);
    if (m_stop) return;
    m_frames.push_back(std::move(frame));
    m_changed.notify_all();
    if (m_setup.still) break;
  }
  std::lock_guard lock(m_mutex);
  m_videoEnded = true;
  m_changed.notify_all();
}

void Playback::AudioWork() {
  const double from = m_setup.begin + m_setup.start;
  const double to = m_setup.length > 0.0 ? m_setup.begin + m_setup.length : std::numeric_limits<double>::infinity();
  AudioOutput* output = m_setup.output;
  double lastEnd = m_setup.start;  // seconds of the range at the end of the sound handed on
  std::vector<float> samples;
  for (bool more = true; more;) {
    AudioBlock block;
    if (!ReadAudio(block)) {
      const std::string error = m_setup.audio->LastError();
      if (!error.empty()) engines::LogLine("the player stops reading the sound: " + error);
      break;
    }
    const size_t count = block.SampleCount();
    size_t first = 0, last = count;
    if (block.time < from) first = std::min(count, size_t(std::llround((from - block.time) * kAudioRate)));
    if (block.time + double(count) / kAudioRate > to) {
      last = std::clamp<size_t>(size_t(std::max(0.0, std::round((to - block.time) * kAudioRate))), first, count);
      more = false;
    }
    if (first >= last) {
      std::lock_guard lock(m_mutex);
      if (m_stop) return;
      continue;
    }
    const double volume = (m_setup.volume ? m_setup.volume->load() : 100) / 100.0;
    samples.assign(block.samples.begin() + first * kAudioChannels, block.samples.begin() + last * kAudioChannels);
    if (volume != 1.0)
      for (float& sample : samples) sample = std::clamp(float(sample * volume), -1.0f, 1.0f);
    const double start = block.time + double(first) / kAudioRate - m_setup.begin;
    const double end = start + double(last - first) / kAudioRate;
    std::unique_lock lock(m_mutex);
    if (output) {
      while (output->QueuedSeconds() > kSoundAhead)
        if (!WaitFor(lock, 0.005)) return;
      if (m_stop) return;
      output->Queue(samples.data(), last - first);
      const double queued = output->QueuedSeconds();
      if (!m_paused && queued > 0.0) m_clock.SyncTo(end - queued, kClockTolerance);
    } else {
      // The null sink takes the sound as the clock passes it.
      while (m_clock.Position() < start - kSoundAhead)
        if (!WaitFor(lock, start - kSoundAhead - m_clock.Position())) return;
    }
    lastEnd = end;
    if (m_stop) return;
  }
  std::unique_lock lock(m_mutex);
  // Done when the last sample has been heard (or, silently, its time has passed).
  for (;;) {
    if (output) {
      const double queued = output->QueuedSeconds();
      if (queued <= 0.0) break;
      if (!m_paused) m_clock.SyncTo(lastEnd - queued, kClockTolerance);
    } else if (m_clock.Position() >= lastEnd) {
      break;
    }
    if (!WaitFor(lock, 0.005)) return;
  }
  m_audioDone = true;
  m_changed.notify_all();
}

void Playback::PresentWork() {
  using Steady = std::chrono::steady_clock;
  auto lastTick = Steady::now();
  bool firstShown = false;
  double lastDue = 0.0;
  std::unique_lock lock(m_mutex);
  for (;;) {
    if (m_stop) return;
    if (!m_paused && Steady::now() - lastTick >= kTickInterval) {
      lastTick = Steady::now();
      lock.unlock();
      Post(kPlayerNotifyMessage, kPlayerNotifyTick);
      lock.lock();
      continue;
    }
    const bool wanted = !m_paused || !firstShown || m_steps > 0;
    if (!m_frames.empty() && wanted) {
      const double due = m_frames.front().time - m_setup.begin;
      if (!m_paused && firstShown) {
        const double now = m_clock.Position();
        if (due > now + 0.002) {
          if (!WaitFor(lock, due - now)) return;
          continue;
        }
        // Late: when the next picture is due too, this one is passed over.
        if (m_frames.size() > 1 && m_frames[1].time - m_setup.begin <= now) {
          m_frames.pop_front();
          ++m_dropped;
          m_changed.notify_all();
          continue;
        }
      }
      VideoFrame frame = std::move(m_frames.front());
      m_frames.pop_front();
      const bool step = m_paused && firstShown;
      if (step) {
        --m_steps;
        m_clock.Set(std::max(0.0, due));
      }
      const bool tick = step || (!firstShown && m_setup.tickAfterFirst);
      firstShown = true;
      lastDue = due;
      m_changed.notify_all();
      lock.unlock();
      if (m_setup.views)
        for (const auto& view : m_setup.views()) view->Show(frame);
      ++m_shown;
      if (tick) {
        Post(kPlayerNotifyMessage, kPlayerNotifyTick);
        lastTick = Steady::now();
      }
      lock.lock();
      continue;
    }
    if (m_paused) {
      // A step past the last picture has nothing to show.
      if (m_steps > 0 && m_frames.empty() && m_videoEnded) m_steps = 0;
      if (!WaitFor(lock, 0.05)) return;
      continue;
    }
    if (m_videoEnded && m_frames.empty() && m_audioDone) {
      double end = 0.0;
      if (m_setup.still) end = m_setup.rangeLength;
      else if (firstShown) end = lastDue + m_setup.frameDuration;
      if (m_setup.length > 0.0) end = std::min(end, m_setup.length);
      const double now = m_clock.Position();
      if (now >= end - 0.001) {
        m_ended = true;
        lock.unlock();
        m_clock.Pause();
        Post(kPlayerNotifyMessage, kPlayerNotifyEnd);
        Post(kPlayerCompleteMessage, 0);
        return;
      }
      if (!WaitFor(lock, end - now)) return;
      continue;
    }
    if (!WaitFor(lock, 0.01)) return;
  }
}

}  // namespace player
