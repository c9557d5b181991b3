#pragma once

// What the engine tools share while they run one encoding: the signal that ends a run, stderr
// shared by the progress line and the engines' log, and the converter's callback that reports
// progress and the end. One copy per tool (everything here is inline).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "engines/QM_Converter/ConverterApi.h"

namespace engine_tools {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// A tool's name and usage text: a refused command line names the tool, says why and repeats
// the usage on stderr.
struct Usage {
  const char* tool;
  const char* text;

  void Print(std::FILE* to) const { std::fputs(text, to); }
  int Refuse(const std::string& why) const {
    std::fprintf(stderr, "%s: %s\n", tool, why.c_str());
    Print(stderr);
    return kExitUsage;
  }
};

inline std::atomic<int> g_signal{0};

inline void OnSignal(int number) { g_signal.store(number); }

// stderr, shared by the progress line (rewritten in place with '\r') and the engines' log
// lines, which start on a line of their own. Called from the main thread, the converter's
// thread and any engine thread that logs.
class Terminal {
 public:
  static void Progress(const std::string& text) {
    std::lock_guard lock(Mutex());
    std::fprintf(stderr, "\r%s", text.c_str());
    std::fflush(stderr);
    Open() = true;
  }
  static void Line(const std::string& text) {
    std::lock_guard lock(Mutex());
    if (Open()) std::fputc('\n', stderr);
    Open() = false;
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  static void EndProgress() {
    std::lock_guard lock(Mutex());
    if (Open()) std::fputc('\n', stderr);
    Open() = false;
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static bool& Open() {
    static bool open = false;
    return open;
  }
};

// The engines' log. While the input is being opened its lines are held back, so that one
// reason is printed once (the file is opened for each stream) and a missing stream can be
// told as a note; afterwards they are printed as they come.
class EngineLog {
 public:
  static void Hook(const char* line) {
    std::lock_guard lock(Mutex());
    if (Holding()) {
      Held().push_back(line);
    } else {
      Terminal::Line(line);
    }
  }
  static void Hold() {
    std::lock_guard lock(Mutex());
    Holding() = true;
    Held().clear();
  }
  // The lines held since Hold, and the log printed from now on.
  static std::vector<std::string> Release() {
    std::lock_guard lock(Mutex());
    Holding() = false;
    return std::move(Held());
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static bool& Holding() {
    static bool holding = false;
    return holding;
  }
  static std::vector<std::string>& Held() {
    static std::vector<std::string> held;
    return held;
  }
};

inline std::string ProgressText(const QEProgress& progress) {
  char text[96];
  std::snprintf(text, sizeof(text), "%3d%%  %6.1f s  %lld KiB", progress.percent, progress.secondsDone,
                static_cast<long long>(progress.bytesWritten / 1024));
  return text;
}

struct Job {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  int code = -1;
  int lastPercent = -1;
};

inline int32_t OnProgress(void* userData, int32_t message, int32_t code, QEProgress* progress) {
  auto* job = static_cast<Job*>(userData);
  if (message == kQEMessageProgress && progress && progress->percent != job->lastPercent) {
    job->lastPercent = progress->percent;
    Terminal::Progress(ProgressText(*progress));
  } else if (message == kQEMessageEnd) {
    // A finished file reports 100 % with its size; the line ends here either way.
    if (code == kQEEndDone && progress) Terminal::Progress(ProgressText(*progress));
    Terminal::EndProgress();
    std::lock_guard lock(job->mutex);
    job->done = true;
    job->code = code;
    job->ended.notify_all();
  }
  return -1;
}

// Waits for the converter's end, aborting it once when a signal arrives; the end's code.
inline int WaitForEnd(engines::EngineHandle converter, Job& job) {
  std::unique_lock lock(job.mutex);
  bool aborted = false;
  while (!job.done) {
    job.ended.wait_for(lock, std::chrono::milliseconds(100));
    if (g_signal.load() != 0 && !aborted) {
      aborted = true;
      lock.unlock();
      QEAbort(converter, 0, 0);
      lock.lock();
    }
  }
  return job.code;
}

// Runs a converter that is set up to its end, with the progress line; says on stderr, under the
// tool's name, why an encoding did not start or did not finish (an abort says nothing: the
// caller reports the signal). True when the output was written.
inline bool RunEncoding(engines::EngineHandle converter, const char* tool, const std::string& output) {
  Job job;
  if (QEStart(converter, 0.0, 0.0, 0, &OnProgress, &job) != 0) {
    Terminal::Line(std::string(tool) + ": the encoding of '" + output + "' did not start");
    return false;
  }
  const int code = WaitForEnd(converter, job);
  if (code == kQEEndNoSpace) {
    Terminal::Line(std::string(tool) + ": no space left for '" + output + "'");
  } else if (code != kQEEndDone && code != kQEEndAborted) {
    Terminal::Line(std::string(tool) + ": the encoding of '" + output + "' failed");
  }
  return code == kQEEndDone;
}

}  // namespace engine_tools
