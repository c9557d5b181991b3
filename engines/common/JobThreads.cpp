#include "engines/common/JobThreads.h"

#include "engines/common/EngineGuard.h"

namespace engines {

JobThreads::~JobThreads() {
  std::list<Job> jobs;
  {
    std::lock_guard lock(m_mutex);
    jobs.swap(m_jobs);
  }
  for (Job& job : jobs) {
    if (job.cancel && !job.ended->load()) job.cancel();
  }
  for (Job& job : jobs) {
    if (job.thread.joinable()) job.thread.join();
  }
}

void JobThreads::Start(std::function<void()> work, std::function<void()> cancel) {
  auto ended = std::make_shared<std::atomic<bool>>(false);
  std::lock_guard lock(m_mutex);
  ReapEnded();
  Job job{{}, std::move(cancel), ended};
  job.thread = std::thread([work = std::move(work), ended] {
    // A job reports its own failures; what still escapes it is logged, never let out of
    // the thread.
    engines::Guarded("a background job", work);
    ended->store(true);
  });
  m_jobs.push_back(std::move(job));
}

void JobThreads::ReapEnded() {
  for (auto it = m_jobs.begin(); it != m_jobs.end();) {
    if (it->ended->load()) {
      if (it->thread.joinable()) it->thread.join();
      it = m_jobs.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace engines
