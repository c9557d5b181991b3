#include "engines/media/MediaLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace engines::media {
namespace {

void AvLogCallback(void* object, int level, const char* format, va_list args) {
  if (level > AV_LOG_WARNING) return;
  char line[1024];
  int printPrefix = 1;
  av_log_format_line2(object, level, format, args, line, sizeof(line), &printPrefix);
  std::string text = "ffmpeg: ";
  text += line;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  LogLine(text);
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
