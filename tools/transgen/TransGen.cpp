// transgen: writes the transition pictures of the program folder (see README.md).

#include "tools/common/GeneratorMain.h"
#include "tools/transgen/Generator.h"

int main(int argc, char** argv) {
  return toolfiles::RunGenerator(
      "transgen", argc, argv,
      [](const std::string& folder, std::string* error) { return transgen::Generate(folder, error); },
      [](const std::string& folder, const std::string& sheet, std::string* error) {
        return transgen::WriteContactSheet(folder, sheet, error);
      });
}
