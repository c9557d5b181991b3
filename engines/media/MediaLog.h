#pragma once

// The media engines' diagnostic log. Every failing FFmpeg call is reported here by name with
// FFmpeg's error text and the subject it failed on, and av_log output (warnings and worse) is
// routed here too. The program points the hook at its log engine; until then lines go to
// stderr. Any thread may log; the hook is called under a lock, one line at a time.

#include <string>

namespace engines::media {

using LogHook = void (*)(const char* line);

// nullptr restores the default (stderr).
void SetLogHook(LogHook hook);
void LogLine(const std::string& line);

// FFmpeg's text for an error code ("Invalid data found when processing input").
std::string AvErrorText(int error);
// Logs "<call> failed on '<subject>': <error text>" and returns that text.
std::string LogAvError(const char* call, int error, const std::string& subject);

// Routes av_log into the hook (level warning and worse). Idempotent.
void RouteAvLog();

}  // namespace engines::media
