#pragma once

// The log engine's entry points. The program imports them at link time; any thread may call
// them. Lines go to one log file, each written whole with one write and never buffered in
// the process, so a crash loses nothing already logged.

#include <cstdint>

#include "engines/common/EngineApi.h"

// Opens the log file `name` (UTF-16). A bare name is a file of the folder "Log" beside the
// program, created when missing; an absolute path is used as it stands; an empty or null name
// means "Log.txt". When another process holds that file, the first free name of
// "<base>(1)<ext>", "<base>(2)<ext>" ... is opened instead. The three values are reserved and
// not used. Lines logged before the first call are kept and written when the file opens.
// Calling it again closes the current file and opens the new one. Returns 1 when a log file
// is open, 0 when none could be opened (lines then go to the standard error stream).
ENGINE_API int32_t QMLogInit(const char16_t* name, int32_t reserved1, int32_t reserved2, int32_t reserved3);

// Appends one line (UTF-16; null logs an empty line).
ENGINE_API void QMLog(const char16_t* text);

// Appends one trace line (UTF-8; null logs an empty line).
ENGINE_API void QMOutput(const char* text);
