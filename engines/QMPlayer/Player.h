#pragma once

// A player of the engine: one video source and one audio source of the handle space played
// over a play range into the player's views, reporting to one callback window.
//
// Every public member is called on the GUI thread (the entry points). A playback runs as a
// Playback object with three threads of its own: the video reader, the sound thread and the
// presenting thread (Playback.h). Starting, seeking and stopping replace or end that object;
// ending it joins its threads, so nothing of a stopped playback runs or posts afterwards.
// m_viewsMutex guards m_views (the presenting thread reads it); everything else belongs to
// the GUI thread.

#include <memory>
#include <mutex>
#include <vector>

#include "engines/QMPlayer/AudioOutput.h"
#include "engines/QMPlayer/Playback.h"
#include "engines/QMPlayer/PlayerView.h"

namespace player {

class Player final : public engines::EngineObject {
 public:
  Player();
  ~Player() override;

  void Destroy();  // stops, closes the views and the sound device
  void SetSources(EngineHandle video, EngineHandle audio);
  void SetPlayTime(double begin, double length);
  void Play();
  void Stop();
  void Pause();
  void Resume();
  void Seek(double seconds, bool exact);
  void Forward();
  void Update();
  void SetCallback(HWND window) { m_callback = window; }
  PlaybackStatistics Statistics() const;
  double PlayedTime() const;
  double MovieLength() const;
  void SetVolume(int percent);

  EngineHandle CreateView(HWND parent, const RECT& rect, bool customSize, const TPlayerViewSize* size);
  bool DestroyView(EngineHandle view);
  std::shared_ptr<PlayerView> FindView(EngineHandle view);

  // Views as the presenting thread sees them.
  std::vector<std::shared_ptr<PlayerView>> Views();

 private:
  enum class State { Idle, Playing, Paused, Ended };

  // Starts a playback at `position` seconds of the range; `paused` shows its first picture
  // and waits.
  void Start(double position, bool paused, bool tickAfterFirst);
  // Ends the playback; `flushEnd` also takes back end messages it already posted.
  void EndPlayback(bool flushEnd);
  void Flush(bool flushEnd);
  void RefreshState();
  double RangeLength() const;

  std::shared_ptr<engines::media::MediaSource> m_video, m_audio;
  engines::media::TVideoInfo m_videoInfo{};
  double m_begin = 0.0, m_length = 0.0;
  double m_position = 0.0;  // while no playback runs
  std::atomic<HWND> m_callback{nullptr};
  std::atomic<int> m_volume{100};
  State m_state = State::Idle;
  std::unique_ptr<Playback> m_playback;
  PlaybackStatistics m_finished;  // of the runs that ended
  std::unique_ptr<AudioOutput> m_output;
  bool m_outputTried = false;
  LPARAM m_tag;  // marks this player's messages in the callback window's queue

  std::mutex m_viewsMutex;
  std::vector<std::pair<EngineHandle, std::shared_ptr<PlayerView>>> m_views;
};

}  // namespace player
