#pragma once

// Writes the program's transition pictures into a folder: the two preview pictures
// "TrFrom.jpg" and "TrTo.jpg", and in "Thumbnail/" one "<id>.bmp" per catalogue transition
// (the transition half way, 100x75, with a thin grey border) and the stand-in "trans.bmp".
// The output is the same on every run.

#include <filesystem>
#include <string>

#include "tools/transgen/PictureFiles.h"

namespace transgen {

constexpr int kThumbnailWidth = 100, kThumbnailHeight = 75;

// The thumbnail of transition `id` between the two scenes.
Bitmap MakeThumbnail(const std::string& id, const Bitmap& from, const Bitmap& to);
// The stand-in for a transition without a thumbnail: two overlapping rounded squares.
Bitmap MakePlaceholder();
// Shrinks a picture by averaging the area each output pixel covers.
Bitmap Shrink(const Bitmap& picture, int width, int height);

// False with `error` when a file cannot be written.
bool Generate(const std::filesystem::path& folder, std::string* error);

// A PNG of every thumbnail in `folder`'s "Thumbnail/" in catalogue order, each captioned with
// its identifier, to look at them all at once.
bool WriteContactSheet(const std::filesystem::path& folder, const std::filesystem::path& sheet, std::string* error);

}  // namespace transgen
