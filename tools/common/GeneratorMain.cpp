#include "tools/common/GeneratorMain.h"

#include <cstdio>

namespace toolfiles {

int RunGenerator(const char* name, int argc, char** argv, const WriteFolder& writeFolder,
                 const WriteSheet& writeSheet) {
  const auto usage = [name](const std::string& problem) {
    std::fprintf(stderr, "%s: %s\nusage: %s [--sheet SHEET.png] OUTPUT_FOLDER\n", name, problem.c_str(), name);
    return 2;
  };
  std::string folder, sheet;
  for (int n = 1; n < argc; ++n) {
    const std::string argument = argv[n];
    if (argument == "--sheet") {
      if (++n == argc) return usage("--sheet needs a file name");
      sheet = argv[n];
    } else if (!argument.empty() && argument[0] == '-') {
      return usage("unknown option " + argument);
    } else if (folder.empty()) {
      folder = argument;
    } else {
      return usage("only one output folder");
    }
  }
  if (folder.empty()) return usage("no output folder");
  std::string error;
  if (!writeFolder(folder, &error) || (!sheet.empty() && !writeSheet(folder, sheet, &error))) {
    std::fprintf(stderr, "%s: %s\n", name, error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace toolfiles
