#pragma once

// Collects the media engines' log lines in tests.

#include <mutex>
#include <string>
#include <vector>

#include "engines/media/MediaLog.h"

namespace engines::media::testing {

class LogCapture {
 public:
  LogCapture() {
    Lines().clear();
    SetLogHook(&LogCapture::Hook);
  }
  ~LogCapture() { SetLogHook(nullptr); }

  std::string Text() const {
    std::lock_guard lock(Mutex());
    std::string text;
    for (const std::string& line : Lines()) text += line + "\n";
    return text;
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static std::vector<std::string>& Lines() {
    static std::vector<std::string> lines;
    return lines;
  }
  static void Hook(const char* line) {
    std::lock_guard lock(Mutex());
    Lines().push_back(line);
  }
};

}  // namespace engines::media::testing
