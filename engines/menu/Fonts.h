#pragma once

// The font families a text item may use: fontconfig's families whose names fit 31 UTF-16
// units, sorted, without duplicates. Read once; any thread.

#include <string>
#include <vector>

namespace engines::menu {

constexpr int kFontNameUnitsMax = 31;

const std::vector<std::u16string>& SupportedFontFamilies();

}  // namespace engines::menu
