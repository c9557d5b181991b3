#include "engines/QM_Converter/VideoReadAhead.h"

namespace {

// Pictures decoded ahead: enough to ride out the reader's work on one picture, few enough
// that large sources do not pile up memory.
constexpr size_t kAheadLimit = 6;

}  // namespace

VideoReadAhead::~VideoReadAhead() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
  }
  m_changed.notify_all();
  if (m_thread.joinable()) m_thread.join();
}

void VideoReadAhead::Start() { m_thread = std::thread([this] { Work(); }); }

bool VideoReadAhead::Read(engines::media::VideoFrame& out) {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [&] { return !m_frames.empty() || m_ended; });
  if (m_frames.empty()) return false;
  out = std::move(m_frames.front());
  m_frames.pop_front();
  m_changed.notify_all();
  return true;
}

std::string VideoReadAhead::LastError() {
  std::lock_guard lock(m_mutex);
  return m_error;
}

void VideoReadAhead::Work() {
  for (;;) {
    engines::media::VideoFrame frame;
    std::string error;
    bool read = m_source.ReadVideo(frame);
    if (!read) error = m_source.LastError();
    if (read && m_prepare && !m_prepare(frame, error)) read = false;
    std::unique_lock lock(m_mutex);
    if (!read) {
      m_ended = true;
      m_error = error;
      m_changed.notify_all();
      return;
    }
    m_changed.wait(lock, [&] { return m_frames.size() < kAheadLimit || m_stop; });
    if (m_stop) return;
    m_frames.push_back(std::move(frame));
    m_changed.notify_all();
  }
}
