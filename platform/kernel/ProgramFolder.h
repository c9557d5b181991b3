#pragma once

// The program folder: where the executable, the engine libraries and the data folders live.
// It is the folder of the running executable, unless the environment variable
// BRANTWELL_PROGRAM_DIR names another (tests run from their own folder and point it at the
// built program folder). Any thread.

#include <string>

namespace platform {

// Absolute UTF-8 path without a trailing delimiter.
std::string ProgramFolder();
// Absolute UTF-8 path of the running executable.
std::string ExecutablePath();

}  // namespace platform
