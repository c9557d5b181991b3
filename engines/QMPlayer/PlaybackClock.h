#pragma once

// The clock a playback is timed by, in seconds played from the begin of the play range. It
// runs on the steady clock; while a sound device plays, the sound thread pulls it to the
// position of the sample being heard, so the sound is the master. Any thread; m_mutex guards
// every field.

#include <chrono>
#include <cmath>
#include <mutex>

namespace player {

class PlaybackClock {
 public:
  double Position() const {
    std::lock_guard lock(m_mutex);
    return PositionLocked();
  }
  void Set(double position) {
    std::lock_guard lock(m_mutex);
    m_base = position;
    m_anchor = Clock::now();
  }
  void Pause() {
    std::lock_guard lock(m_mutex);
    if (!m_running) return;
    m_base = PositionLocked();
    m_running = false;
  }
  void Resume() {
    std::lock_guard lock(m_mutex);
    if (m_running) return;
    m_anchor = Clock::now();
    m_running = true;
  }
  // Moves the clock to `position` when it drifted further than `tolerance` seconds from it.
  void SyncTo(double position, double tolerance) {
    std::lock_guard lock(m_mutex);
    if (!m_running || std::fabs(PositionLocked() - position) <= tolerance) return;
    m_base = position;
    m_anchor = Clock::now();
  }

 private:
  using Clock = std::chrono::steady_clock;
  double PositionLocked() const {
    if (!m_running) return m_base;
    return m_base + std::chrono::duration<double>(Clock::now() - m_anchor).count();
  }

  mutable std::mutex m_mutex;
  double m_base = 0.0;
  Clock::time_point m_anchor = Clock::now();
  bool m_running = false;
};

}  // namespace player
