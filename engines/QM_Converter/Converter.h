#pragma once

// Converter: one encoding job, from a video and an audio MediaSource to a DVD-Video MPEG-2
// program stream. Set up and started on the caller's thread; runs on a thread of its own (the
// reader: sources, frame rate conversion, audio framing and the AC-3 or MP2 encoder) that
// feeds a second thread (mpeg2video and the "dvd" muxer) through a small bounded queue. The
// video source is decoded and scaled to the output frame ahead on a third thread
// (VideoReadAhead); when one object delivers both the pictures and the sound, the reader reads
// and scales them itself. The callback is called on the reader thread, always ending with one
// end report, after every other thread has ended.
//
// Thread rules: the public methods are called from one controlling thread (LastError from
// any). m_abort, m_paused and m_preview are atomics read by the worker threads; m_pauseMutex with
// m_pauseWake guards the pause wait.

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "engines/QM_Converter/ConverterApi.h"
#include "engines/media/MediaSource.h"

class DvdWriter;

class Converter final : public engines::EngineObject {
 public:
  Converter(std::shared_ptr<engines::media::MediaSource> video, std::shared_ptr<engines::media::MediaSource> audio);
  ~Converter() override;

  bool SetOutputFile(const std::string& path);
  // Checks the block and fills its defaults; false (logged) when it cannot be encoded.
  static bool Normalize(const QEEncodeParam& in, QEEncodeParam& out, std::string& error);
  bool SetParam(const QEEncodeParam& param);
  QEEncodeParam Param() const { return m_param; }

  // 0 when started; otherwise the reason is logged and nothing runs.
  int Start(double begin, double length, QECallback callback, void* userData);
  void Pause(bool paused);
  void Abort();
  void EnablePreview(bool on) { m_preview = on; }
  // Why the last refused setting, start or encoding failed (UTF-8): what an end code 2 or 3
  // came from. Empty after a start, and so after a run that finished or was aborted. Any
  // thread.
  std::string LastError() const;

 private:
  class Job;  // one run on the reader thread (Converter.cpp)

  void Run();
  void Report(int message, int code);
  bool WaitWhilePaused();
  void FillPreview(const AVFrame* frame);
  // Logs a failure and keeps it for LastError.
  void SetLastError(std::string text, bool log = true);

  std::shared_ptr<engines::media::MediaSource> m_video;
  std::shared_ptr<engines::media::MediaSource> m_audio;
  std::string m_outputPath;
  QEEncodeParam m_param{};
  double m_begin = 0.0;
  double m_length = 0.0;
  double m_display = 4.0 / 3.0;  // the output's display aspect, chosen at start
  // The output's fields, chosen at start: interlaced (AV_FIELD_TT or AV_FIELD_BB) for an
  // interlaced source, whose fields are then scaled one by one and woven back together.
  AVFieldOrder m_fieldOrder = AV_FIELD_PROGRESSIVE;
  QECallback m_callback = nullptr;
  void* m_userData = nullptr;

  std::unique_ptr<DvdWriter> m_writer;
  std::thread m_thread;
  std::atomic<bool> m_running{false};
  std::atomic<bool> m_abort{false};
  std::atomic<bool> m_paused{false};
  std::atomic<bool> m_preview{false};
  std::mutex m_pauseMutex;
  std::condition_variable m_pauseWake;

  QEProgress m_progress{};
  std::vector<uint8_t> m_previewBlock;  // a QEPreviewBlock followed by the planes

  mutable std::mutex m_errorLock;  // guards m_lastError
  std::string m_lastError;
};
