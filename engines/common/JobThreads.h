#pragma once

// JobThreads: the background threads of one engine library. An entry point that answers
// at once and finishes its work later (a drive scan, an authoring job) starts it here
// instead of on a detached thread. Each engine keeps one JobThreads as a static object of its
// own library, so the object is destroyed when the library is unloaded or the process ends;
// the destructor asks every job still running to stop (its `cancel`) and waits for its
// thread, so no thread is left running code of an unmapped library.
//
// Thread rules: Start may be called from any thread; m_mutex guards m_jobs. A job's cancel is
// called at most once, from the destructor, on the thread that destroys the object.

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "engines/common/EngineApi.h"

namespace engines {

class ENGINES_COMMON_API JobThreads {
 public:
  JobThreads() = default;
  ~JobThreads();
  JobThreads(const JobThreads&) = delete;
  JobThreads& operator=(const JobThreads&) = delete;

  // Runs `work` on a thread of its own. Throws std::system_error when no thread can be made.
  void Start(std::function<void()> work, std::function<void()> cancel = {});

 private:
  struct Job {
    std::thread thread;
    std::function<void()> cancel;
    std::shared_ptr<std::atomic<bool>> ended;
  };
  // Joins the threads whose work has returned. Called with m_mutex held.
  void ReapEnded();

  std::mutex m_mutex;
  std::list<Job> m_jobs;
};

}  // namespace engines
