#pragma once

// The command line of a resource generator: `NAME [--sheet SHEET.png] OUTPUT_FOLDER`. Writes
// the folder, then the sheet when asked; a problem goes to stderr. Returns the exit code: 0,
// 1 when writing failed, 2 for a wrong command line.

#include <functional>
#include <string>

namespace toolfiles {

using WriteFolder = std::function<bool(const std::string& folder, std::string* error)>;
using WriteSheet = std::function<bool(const std::string& folder, const std::string& sheet, std::string* error)>;

int RunGenerator(const char* name, int argc, char** argv, const WriteFolder& writeFolder,
                 const WriteSheet& writeSheet);

}  // namespace toolfiles
