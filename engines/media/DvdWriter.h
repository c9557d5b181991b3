#pragma once

// DvdWriter: the encoder side of a converter. Owns the MPEG-2 video and AC-3 (or MP2) audio
// encoders and the "dvd" muxer. The video encoder (with its slice threads) and the muxer run
// on a thread of their own fed through a bounded queue of pictures and audio packets; the
// audio encoder runs on the thread that pushes (the converter's reader), which keeps the
// video encoder, the pipeline's narrowest stage, to itself. Push and Finish are called from the converter's reader thread
// only; the abort flag belongs to the converter and is read here (also by FFmpeg's interrupt
// callback).

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "engines/media/AvPtr.h"

class __attribute__((visibility("default"))) DvdWriter {
 public:
  struct Settings {
    std::string path;
    int width = 720, height = 480;
    AVRational frameRate{30000, 1001};
    AVRational sampleAspect{8, 9};
    int gopSize = 15, bFrames = 2;
    int64_t bitRate = 6000000, maxRate = 9000000, minRate = 0;
    int bufferSize = 1835008;
    bool constantRate = false;
    bool mp2Audio = false;
    int64_t audioBitRate = 192000;
    int channels = 2;
    // AV_FIELD_TT or AV_FIELD_BB: interlaced pictures (each pushed picture holds two fields,
    // the one named first shown first), encoded as such; anything else: progressive.
    AVFieldOrder fieldOrder = AV_FIELD_PROGRESSIVE;
    const std::atomic<bool>* abort = nullptr;
  };

  DvdWriter() = default;
  ~DvdWriter();

  // Opens the encoders and the output file and writes the header; false with the reason.
  bool Open(const Settings& settings, std::string& error);
  int AudioFrameSize() const { return m_audio->frame_size; }
  AVSampleFormat AudioFormat() const { return m_audio->sample_fmt; }

  void StartThread();
  // Queues a picture, or encodes an audio frame and queues its packets (pts in the encoder's
  // time base); blocks while the queue is full. False once the writer failed or the job is
  // aborted.
  bool Push(engines::media::FramePtr frame, bool video);
  // Flushes the encoders and writes the trailer, and joins the thread; true only when the
  // whole file was written (false, with an empty error, when aborted on the way).
  bool Finish(std::string& error);
  void Stop();  // joins the thread without finishing the file

  int64_t BytesWritten() const { return m_bytes.load(); }
  bool NoSpace() const { return m_noSpace.load(); }
  std::string Error() {
    std::lock_guard lock(m_mutex);
    return m_error;
  }

 private:
  struct Item {
    engines::media::FramePtr frame;    // a picture to encode, or
    engines::media::PacketPtr packet;  // an audio packet to mux, or
    bool end = false;                  // the end: flush and write the trailer
  };
  bool Enqueue(Item item);
  bool EncodeAudio(const AVFrame* frame);  // on the pushing thread; nullptr flushes
  void Work();
  bool EncodeVideo(const AVFrame* frame);  // on the writer thread; nullptr flushes
  bool Mux(AVPacket* packet, AVRational timeBase, AVStream* stream);
  bool Fail(const std::string& text);
  bool Interlaced() const {
    return m_settings.fieldOrder == AV_FIELD_TT || m_settings.fieldOrder == AV_FIELD_BB;
  }

  Settings m_settings;
  engines::media::OutputContextPtr m_output;
  engines::media::CodecContextPtr m_video;
  engines::media::CodecContextPtr m_audio;
  AVStream* m_videoStream = nullptr;
  AVStream* m_audioStream = nullptr;
  AVRational m_audioTimeBase{1, 48000};
  engines::media::PacketPtr m_packet = engines::media::MakePacket();  // the writer thread's

  std::thread m_thread;
  std::mutex m_mutex;  // guards m_queue, m_videoQueued, m_failed, m_error, m_done, m_finished
  std::condition_variable m_changed;
  std::deque<Item> m_queue;
  size_t m_videoQueued = 0;  // pictures among the queued items
  bool m_failed = false;
  bool m_done = false;
  bool m_finished = false;  // the trailer was written
  std::string m_error;
  std::atomic<int64_t> m_bytes{0};
  std::atomic<bool> m_noSpace{false};
};
