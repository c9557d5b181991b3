#pragma once

// One run of a player's sources from a position to the end of the play range, on three
// threads: the video reader (decodes a few pictures ahead into a bounded queue), the sound
// thread (reads the sound, applies the volume, feeds the device or, without one, consumes it
// on the clock) and the presenting thread (shows each picture when the clock reaches it,
// drops pictures that are late, posts the position ticks and the end).
//
// Made, paused, resumed, stepped and destroyed on the GUI thread; the destructor stops and
// joins the threads, so nothing of the run is read, drawn or posted after it returns.
// m_mutex guards m_frames, m_videoEnded, m_audioDone, m_paused, m_steps and m_stop.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engines/QMPlayer/AudioOutput.h"
#include "engines/QMPlayer/PlaybackClock.h"
#include "engines/QMPlayer/PlayerView.h"

namespace player {

struct PlaybackSetup {
  std::shared_ptr<engines::media::MediaSource> video, audio;
  double begin = 0.0;        // the play range's begin in source seconds
  double length = 0.0;       // the play range's length; 0 = to the end of the sources
  double rangeLength = 0.0;  // the length as known (from the sources' durations when `length` is 0)
  double start = 0.0;        // seconds from the begin to start at
  bool paused = false;       // show the first picture and wait
  bool tickAfterFirst = false;
  bool still = false;            // the video is one picture held for the range
  double frameDuration = 0.04;   // of the video's pictures
  AudioOutput* output = nullptr;  // null: the null sink
  const std::atomic<HWND>* callback = nullptr;
  LPARAM tag = 0;
  const std::atomic<int>* volume = nullptr;
  std::function<std::vector<std::shared_ptr<PlayerView>>()> views;
};

struct PlaybackStatistics {
  int64_t shown = 0, dropped = 0;
};

class Playback {
 public:
  explicit Playback(PlaybackSetup setup);
  ~Playback();
  Playback(const Playback&) = delete;
  Playback& operator=(const Playback&) = delete;

  double Position() const { return m_clock.Position(); }
  void Pause();
  void Resume();
  void Step();  // shows the next picture while paused
  bool Ended() const { return m_ended; }
  PlaybackStatistics Statistics() const { return {m_shown, m_dropped}; }

 private:
  void VideoWork();
  void AudioWork();
  void PresentWork();
  bool ReadVideo(engines::media::VideoFrame& frame);
  bool ReadAudio(engines::media::AudioBlock& block);
  void Post(UINT message, WPARAM wParam);
  // Waits on m_changed for at most `seconds`; false once stopping. `lock` holds m_mutex.
  bool WaitFor(std::unique_lock<std::mutex>& lock, double seconds);

  PlaybackSetup m_setup;
  bool m_sameSource;
  std::mutex m_sourceMutex;  // one reader at a time when the video and the sound are one object
  PlaybackClock m_clock;

  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<engines::media::VideoFrame> m_frames;
  bool m_videoEnded = false;
  bool m_audioDone = false;
  bool m_paused = false;
  int m_steps = 0;
  bool m_stop = false;

  std::atomic<bool> m_ended{false};
  std::atomic<int64_t> m_shown{0}, m_dropped{0};
  std::thread m_videoThread, m_audioThread, m_presentThread;
};

}  // namespace player
