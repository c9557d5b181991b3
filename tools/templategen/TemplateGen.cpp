// templategen: writes the default DVD menu templates (see README.md).

#include "tools/common/GeneratorMain.h"
#include "tools/templategen/Generator.h"

int main(int argc, char** argv) {
  return toolfiles::RunGenerator(
      "templategen", argc, argv,
      [](const std::string& folder, std::string* error) { return templategen::Generate(folder, error); },
      [](const std::string&, const std::string& sheet, std::string* error) {
        return templategen::WriteSheet(sheet, error);
      });
}
