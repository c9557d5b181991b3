#pragma once

// The pictures the output job's window shows above its progress bar while it works: encoding
// ("converting.png": a film strip flowing into a disc), erasing a disc ("erasing.png": a disc
// under a sweeping arc) and burning ("burning.png": a disc under a beam, with a progress
// ring). Flat drawings centred on white in the manifest's accent and greys, without text,
// kept beside the skins in the skin folder (resources/Skin), not in a skin.

#include <string>
#include <vector>

#include "tools/skingen/Manifest.h"
#include "tools/skingen/Png.h"

namespace skingen {

constexpr int kPhasePictureWidth = 427;
constexpr int kPhasePictureHeight = 294;

enum class JobPhase { Converting, Erasing, Burning };

// "converting.png", "erasing.png" or "burning.png".
std::string PhasePictureName(JobPhase phase);
RgbaImage PhasePicture(const Manifest& manifest, JobPhase phase);
// Writes the three pictures into folder (the skin folder, created when missing); returns the
// paths written. Throws std::runtime_error naming the file on failure.
std::vector<std::string> WritePhasePictures(const Manifest& manifest, const std::string& folder);

}  // namespace skingen
