#include "engines/QMPlayer/Player.h"

#include <algorithm>
#include <atomic>

#include "engines/common/EngineGuard.h"
#include "engines/common/EngineLog.h"
#include "platform/user/WinUser.h"

using engines::media::MediaSource;

namespace player {

namespace {

// Each player marks its messages with a tag of its own in lParam, so that stopping one player
// takes back only its own messages from a window that several players report to.
LPARAM NextTag() {
  static std::atomic<LPARAM> next{0x51A0};
  return ++next;
}

constexpr int kLargestPicture = 8192;

}  // namespace

Player::Player() : m_tag(NextTag()) {}

Player::~Player() = default;

void Player::Destroy() {
  EndPlayback(true);
  std::vector<std::pair<EngineHandle, std::shared_ptr<PlayerView>>> views;
  {
    std::lock_guard lock(m_viewsMutex);
    views.swap(m_views);
  }
  for (auto& [handle, view] : views) {
    engines::UnregisterObject(handle);
    view->Close();
  }
  m_output.reset();
  m_video.reset();
  m_audio.reset();
}

void Player::SetSources(EngineHandle video, EngineHandle audio) {
  EndPlayback(true);
  m_state = State::Idle;
  m_position = 0.0;
  m_video = engines::Lookup<MediaSource>(video);
  if (m_video && !m_video->HasVideo()) m_video.reset();
  if (video && !m_video) engines::LogLine("the player's video handle is not a video source");
  m_audio = engines::Lookup<MediaSource>(audio);
  if (m_audio && !m_audio->HasAudio()) m_audio.reset();
  if (audio && !m_audio) engines::LogLine("the player's sound handle is not a sound source");
  m_videoInfo = {};
  if (m_video && m_video->VideoInfo()) m_videoInfo = *m_video->VideoInfo();
  for (const auto& view : Views()) {
    view->SetSourceInfo(m_videoInfo, m_video ? m_video->Duration() : 0.0);
    view->ShowBlack();
  }
}

void Player::SetPlayTime(double begin, double length) {
  m_begin = std::max(0.0, begin);
  m_length = std::max(0.0, length);
  RefreshState();
  if (m_state == State::Playing || m_state == State::Paused) {
    const bool paused = m_state == State::Paused;
    EndPlayback(false);
    Start(0.0, paused, false);
  } else {
    EndPlayback(false);
    m_state = State::Idle;
    m_position = 0.0;
  }
}

double Player::MovieLength() const {
  double length = 0.0;
  if (m_video) length = std::max(length, m_video->Duration());
  if (m_audio) length = std::max(length, m_audio->Duration());
  return length;
}

double Player::RangeLength() const {
  if (m_length > 0.0) return m_length;
  return std::max(0.0, MovieLength() - m_begin);
}

void Player::Start(double position, bool paused, bool tickAfterFirst) {
  if (!m_video && !m_audio) return;
  if (m_audio && !m_outputTried) {
    m_outputTried = true;
    m_output = AudioOutput::Open();
  }
  PlaybackSetup setup;
  setup.video = m_video;
  setup.audio = m_audio;
  setup.begin = m_begin;
  setup.length = m_length;
  setup.rangeLength = RangeLength();
  setup.start = position;
  setup.paused = paused;
  setup.tickAfterFirst = tickAfterFirst;
  setup.still = (m_videoInfo.dwCapsFlag & engines::media::kCapsStillPicture) != 0;
  if (m_videoInfo.frame_rate > 1.0) setup.frameDuration = 1.0 / m_videoInfo.frame_rate;
  setup.output = m_audio ? m_output.get() : nullptr;
  setup.callback = &m_callback;
  setup.tag = m_tag;
  setup.volume = &m_volume;
  setup.views = [this] { return Views(); };
  m_playback = std::make_unique<Playback>(std::move(setup));
  m_state = paused ? State::Paused : State::Playing;
}

void Player::EndPlayback(bool flushEnd) {
  if (m_playback) {
    const PlaybackStatistics statistics = m_playback->Statistics();
    m_finished.shown += statistics.shown;
    m_finished.dropped += statistics.dropped;
    m_playback.reset();
  }
  Flush(flushEnd);
}

void Player::Flush(bool flushEnd) {
  HWND window = m_callback.load();
  if (!window) return;
  // Messages of this player still queued for the callback window are taken back: a stopped
  // playback reports nothing after it stopped. An end the window has not seen yet goes with
  // its completion; a completion whose end was already delivered stays, unless the player
  // itself goes (`flushEnd`).
  std::vector<MSG> others;
  MSG message;
  bool endTaken = flushEnd;
  while (PeekMessageW(&message, window, kPlayerNotifyMessage, kPlayerNotifyMessage, PM_REMOVE)) {
    if (message.lParam != m_tag) others.push_back(message);
    else if (message.wParam == kPlayerNotifyEnd) endTaken = true;
  }
  if (endTaken) {
    while (PeekMessageW(&message, window, kPlayerCompleteMessage, kPlayerCompleteMessage, PM_REMOVE))
      if (message.lParam != m_tag) others.push_back(message);
  }
  for (const MSG& other : others) PostMessageW(other.hwnd, other.message, other.wParam, other.lParam);
}

void Player::RefreshState() {
  if (m_playback && m_playback->Ended()) m_state = State::Ended;
}

void Player::Play() {
  RefreshState();
  if (m_state == State::Paused) {
    Resume();
    return;
  }
  if (m_state == State::Playing) return;
  const double position = m_state == State::Ended ? 0.0 : m_position;
  EndPlayback(false);
  Start(position, false, false);
}

void Player::Stop() {
  EndPlayback(false);
  m_position = 0.0;
  m_state = State::Idle;
}

void Player::Pause() {
  RefreshState();
  if (m_state != State::Playing || !m_playback) return;
  m_playback->Pause();
  m_state = State::Paused;
}

void Player::Resume() {
  RefreshState();
  if (m_state != State::Paused || !m_playback) return;
  m_playback->Resume();
  m_state = State::Playing;
}

void Player::Seek(double seconds, bool /*exact*/) {
  if (!m_video && !m_audio) return;
  RefreshState();
  const double length = RangeLength();
  seconds = std::max(0.0, seconds);
  if (length > 0.0) seconds = std::min(seconds, length);
  const bool paused = m_state != State::Playing;
  EndPlayback(false);
  Start(seconds, paused, true);
}

void Player::Forward() {
  RefreshState();
  if (m_state == State::Paused && m_playback) {
    m_playback->Step();
    return;
  }
  if (m_state == State::Idle) {
    EndPlayback(false);
    Start(m_position, true, true);
  }
}

void Player::Update() {
  for (const auto& view : Views()) view->Reprocess();
}

double Player::PlayedTime() const {
  double position = m_playback ? m_playback->Position() : m_position;
  const double length = RangeLength();
  if (length > 0.0) position = std::min(position, length);
  return std::max(0.0, position);
}

void Player::SetVolume(int percent) { m_volume = std::clamp(percent, 0, 200); }

PlaybackStatistics Player::Statistics() const {
  PlaybackStatistics total = m_finished;
  if (m_playback) {
    const PlaybackStatistics running = m_playback->Statistics();
    total.shown += running.shown;
    total.dropped += running.dropped;
  }
  return total;
}

EngineHandle Player::CreateView(HWND parent, const RECT& rect, bool customSize, const TPlayerViewSize* size) {
  const int width = size ? size->width : 0, height = size ? size->height : 0;
  // A custom size of 0 leaves the source's size.
  if (customSize && (width < 0 || height < 0 || width > kLargestPicture || height > kLargestPicture))
    throw engines::EngineError("a view's picture size must lie between 0x0 and " + std::to_string(kLargestPicture) + "x" +
                               std::to_string(kLargestPicture) + ", not " + std::to_string(width) + "x" +
                               std::to_string(height));
  std::shared_ptr<PlayerView> view = PlayerView::Create(parent, rect, customSize, width, height);
  view->SetSourceInfo(m_videoInfo, m_video ? m_video->Duration() : 0.0);
  const EngineHandle handle = engines::RegisterObject(view);
  std::lock_guard lock(m_viewsMutex);
  m_views.emplace_back(handle, std::move(view));
  return handle;
}

bool Player::DestroyView(EngineHandle handle) {
  std::shared_ptr<PlayerView> view;
  {
    std::lock_guard lock(m_viewsMutex);
    const auto found = std::find_if(m_views.begin(), m_views.end(), [&](const auto& entry) { return entry.first == handle; });
    if (found == m_views.end()) return false;
    view = std::move(found->second);
    m_views.erase(found);
  }
  engines::UnregisterObject(handle);
  view->Close();
  return true;
}

std::shared_ptr<PlayerView> Player::FindView(EngineHandle handle) {
  std::lock_guard lock(m_viewsMutex);
  for (const auto& [key, view] : m_views)
    if (key == handle) return view;
  return nullptr;
}

std::vector<std::shared_ptr<PlayerView>> Player::Views() {
  std::lock_guard lock(m_viewsMutex);
  std::vector<std::shared_ptr<PlayerView>> views;
  for (const auto& entry : m_views) views.push_back(entry.second);
  return views;
}

}  // namespace player
