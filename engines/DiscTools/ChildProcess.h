#pragma once

// Runs an external tool as a child process, started from an argument vector (never through a
// shell), and reads what it writes with a size cap. Called on an engine's worker thread; the
// call blocks until the child has ended. A cancel flag, checked several times a second, kills
// the child. The child starts with SIGPIPE at its default, so a tool whose reader went away
// ends instead of writing into the void.

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace disctools {

struct ChildSpec {
  std::string program;                 // a name looked up in PATH, or an absolute path
  std::vector<std::string> arguments;  // without the program name
  std::vector<std::pair<std::string, std::string>> environment;  // added to ours
  std::string stdinFile;   // empty: /dev/null
  std::string stdoutFile;  // empty: stdout goes with stderr into the output we read
  // When not -1, the child's stdout instead of stdoutFile: the write end of a pipe that another
  // thread reads, say. RunChild takes it over and closes it in this process as soon as the
  // child holds it (or failed to start), so the reader sees the end of the data when the child
  // ends. Open it with O_CLOEXEC, so that no other child inherits it.
  int stdoutDescriptor = -1;
};

struct ChildResult {
  bool started = false;
  bool cancelled = false;
  int exitCode = -1;    // -1 when the child did not exit normally
  int signal = 0;       // the signal that ended it, or 0
  std::string startError;
  std::vector<std::string> errorLines;  // lines starting with "ERR:" (at most 50)
  std::string outputTail;               // the last part of the output, for messages

  // True when the child ran to its end, exited with 0 and reported no error line.
  bool Succeeded() const { return started && !cancelled && exitCode == 0 && errorLines.empty(); }
  // One line describing why it did not succeed (the first error line, the exit code ...).
  std::string FailureText(const std::string& tool) const;
};

// Called for every line the child writes (lines end with '\n' or '\r'), cut at 4 KiB.
using LineHandler = std::function<void(const std::string& line)>;

// Output kept in outputTail; everything beyond is dropped from its front.
constexpr size_t kOutputTailBytes = 16 * 1024;

ChildResult RunChild(const ChildSpec& child, const std::atomic<bool>* cancel,
                     const LineHandler& onLine = {});

// The program to run for a tool: the environment variable (for example BRANTWELL_DVDAUTHOR)
// when set and not empty, else the tool's own name. Lets a test put a stand-in in its place.
std::string ToolProgram(const char* environmentVariable, const char* tool);

}  // namespace disctools
