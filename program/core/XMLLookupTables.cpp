#include "program/core/XMLLookupTables.h"

#include <array>

namespace {

struct CharClassRun {
  uint8_t classes;
  uint16_t count;
};

// The classes are stored as runs and expanded once, so that a class test is one indexed read.
constexpr CharClassRun kRuns[] = {
#include "program/core/XMLCharClassRuns.inc"
};

std::array<uint8_t, 65536> BuildCharClassTable() {
  std::array<uint8_t, 65536> table{};
  uint32_t at = 0;
  for (const CharClassRun& run : kRuns) {
    for (uint32_t i = 0; i < run.count && at < table.size(); ++i) table[at++] = run.classes;
  }
  return table;
}

}  // namespace

const uint8_t* XMLCharClasses() {
  static const std::array<uint8_t, 65536> table = BuildCharClassTable();
  return table.data();
}
