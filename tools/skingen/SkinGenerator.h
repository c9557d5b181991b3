#pragma once

// Draws the default skin from its manifest: one PNG per sheet (each part a row, each state a
// column) and one skin file per manifest file, in the skin file format the skin reader reads.

#include <string>
#include <vector>

#include "tools/skingen/Manifest.h"

namespace skingen {

// The text of the skin's SystemColors.ini: one "NAME=#RRGGBB" key per system colour.
std::string SystemColorsText(const Manifest& manifest);
// Writes every skin file and image of the manifest and the system colours into folder
// (created when missing) and returns the names of the files written, in order. Throws on any
// failure, naming the file.
std::vector<std::string> GenerateSkin(const Manifest& manifest, const std::string& folder);

// A picture of every image of a generated skin folder, twice enlarged, over the window colour
// and over white, for a person to look at.
void WriteContactSheet(const Manifest& manifest, const std::string& skinFolder, const std::string& path);

}  // namespace skingen
