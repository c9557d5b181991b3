#pragma once

// VideoReadAhead: reads a video source on a thread of its own, a few pictures ahead of the
// converter's reader. A frame threaded decoder only gets its next packet when its caller
// comes back for a picture; with the decoding on this thread the decoder threads are kept
// fed while the converter's reader converts the frame rate and encodes the audio. Each
// picture also goes through `prepare` on this thread (the converter scales it to the output
// frame there), so scaling runs beside the reader instead of in it.
//
// The source must not be read by anyone else while this runs (the converter uses it only
// when the video and the audio come from different objects). Start, Read and LastError are
// called from the converter's reader thread; the destructor stops and joins the thread.
// m_mutex guards m_frames, m_ended, m_stop and m_error.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "engines/media/MediaSource.h"

class VideoReadAhead {
 public:
  // Makes a read picture ready for the reader; false (with the reason) fails the source.
  using Prepare = std::function<bool(engines::media::VideoFrame& frame, std::string& error)>;

  explicit VideoReadAhead(engines::media::MediaSource& source, Prepare prepare = {})
      : m_source(source), m_prepare(std::move(prepare)) {}
  ~VideoReadAhead();
  VideoReadAhead(const VideoReadAhead&) = delete;
  VideoReadAhead& operator=(const VideoReadAhead&) = delete;

  void Start();
  // The next picture; false at the end of the source or when it failed (see LastError).
  bool Read(engines::media::VideoFrame& out);
  std::string LastError();

 private:
  void Work();

  engines::media::MediaSource& m_source;
  Prepare m_prepare;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<engines::media::VideoFrame> m_frames;
  bool m_ended = false;
  bool m_stop = false;
  std::string m_error;
  std::thread m_thread;
};
