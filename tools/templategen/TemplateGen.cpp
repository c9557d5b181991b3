// templategen: writes the default DVD menu templates (see README.md).

#include <cstdio>
#include <string>

#include "tools/templategen/Generator.h"

namespace {

int Usage(const char* problem) {
  std::fprintf(stderr, "templategen: %s\nusage: templategen [--sheet SHEET.png] OUTPUT_FOLDER\n", problem);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder, sheet;
  for (int n = 1; n < argc; ++n) {
    const std::string argument = argv[n];
    if (argument == "--sheet") {
      if (++n == argc) return Usage("--sheet needs a file name");
      sheet = argv[n];
    } else if (!argument.empty() && argument[0] == '-') {
      return Usage(("unknown option " + argument).c_str());
    } else if (folder.empty()) {
      folder = argument;
    } else {
      return Usage("only one output folder");
    }
  }
  if (folder.empty()) return Usage("no output folder");
  std::string error;
  if (!templategen::Generate(folder, &error) || (!sheet.empty() && !templategen::WriteSheet(sheet, &error))) {
    std::fprintf(stderr, "templategen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
