#include "engines/media/MediaLog.h"

#include <cstdarg>
#include <cstdio>
#include <string>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace engines::media {
namespace {

// FFmpeg often sends one line in pieces ("Packet corrupt (stream = 0, dts = 7)" and then
// ".\n"). Each thread keeps the line it has begun until its newline comes, so the log gets
// whole lines; the prefix ("[mov @ 0x...] ") is printed only at the start of a line.
struct PartialLine {
  std::string text;
  int printPrefix = 1;
};
thread_local PartialLine t_partial;

// A line that never ends is cut here rather than held without bound.
constexpr size_t kMaxLine = 4096;

void AvLogCallback(void* object, int level, const char* format, va_list args) {
  if (level > AV_LOG_WARNING) return;
  PartialLine& partial = t_partial;
  char piece[1024];
  av_log_format_line2(object, level, format, args, piece, sizeof(piece), &partial.printPrefix);
  partial.text += piece;
  size_t end;
  while ((end = partial.text.find('\n')) != std::string::npos) {
    std::string line = partial.text.substr(0, end);
    partial.text.erase(0, end + 1);
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) LogLine("ffmpeg: " + line);
  }
  if (partial.text.size() > kMaxLine) {
    LogLine("ffmpeg: " + partial.text);
    partial.text.clear();
    partial.printPrefix = 1;
  }
}

}  // namespace

std::string AvErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof(text));
  return text;
}

std::string LogAvError(const char* call, int error, const std::string& subject) {
  std::string text = std::string(call) + " failed on '" + subject + "': " + AvErrorText(error);
  LogLine(text);
  return text;
}

void RouteAvLog() { av_log_set_callback(AvLogCallback); }

}  // namespace engines::media
