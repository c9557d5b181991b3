#pragma once

// The log engine's one log file. Any thread may call every method; m_mutex guards every
// field and is held across each write, so lines of concurrent threads never interleave.
//
// The file is opened for appending and held with an exclusive open-file-description lock
// (F_OFD_SETLK on the whole file): a second running copy of the program fails to take the
// lock and moves on to the next numbered name, and the platform layer's share-mode emulation
// sees the file as in use.

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

namespace qmlog {

enum class LineKind { Log, Trace };

class Logger {
 public:
  // Opens the log (see QMLogInit for the naming rules). True when a file is open.
  bool Open(std::string name);
  void Write(LineKind kind, std::string_view utf8Text);

  // "Log.txt" -> "Log(3).txt"; a name without extension takes ".txt".
  static std::string NumberedName(const std::string& name, int number);
  // The record written for one line: timestamp, thread, kind, the text; embedded line
  // breaks become continuation lines that start with a tab; ends with one "\n".
  static std::string FormatRecord(LineKind kind, std::string_view utf8Text);

 private:
  void CloseLocked();
  void EmitLocked(const std::string& record);

  std::mutex m_mutex;
  int m_fd = -1;
  bool m_opened = false;               // QMLogInit has run at least once
  std::deque<std::string> m_pending;   // records logged before the first Open
  size_t m_droppedPending = 0;         // records beyond the pending cap
};

}  // namespace qmlog
