#pragma once

// The media engines' side of the engines' log (engines/common/EngineLog.h): every failing
// FFmpeg call is reported by name with FFmpeg's error text and the subject it failed on, and
// av_log output (warnings and worse) is routed into the same log, whole lines only (FFmpeg may
// send a line in pieces).

#include <string>

#include "engines/common/EngineLog.h"

namespace engines::media {

using engines::LogHook;
using engines::LogLine;
using engines::SetLogHook;

// FFmpeg's text for an error code ("Invalid data found when processing input").
std::string AvErrorText(int error);
// Logs "<call> failed on '<subject>': <error text>" and returns that text.
std::string LogAvError(const char* call, int error, const std::string& subject);

// Routes av_log into the hook (level warning and worse). Idempotent.
void RouteAvLog();

}  // namespace engines::media
