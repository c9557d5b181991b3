#pragma once

// The pictures of the program's small windows: the about box's banner (recipe
// "about-banner", a skin item of the manifest) and the wait overlay's panel, which is not part
// of the skin but the picture data of Image1 in the overlay's form file (TProcessForm.xfm),
// rewritten whenever the skin is generated with --forms.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/skingen/Manifest.h"
#include "tools/skingen/Png.h"

namespace skingen {

constexpr int kWaitPanelWidth = 420;
constexpr int kWaitPanelHeight = 48;

// The wait overlay's picture: a white rounded panel with a one-pixel border and the accent
// activity ring at its left, on a transparent ground.
RgbaImage WaitPanelPicture(const Manifest& manifest);

// A PNG file of the picture (libpng's compression: compare decoded pixels, not bytes).
std::vector<uint8_t> EncodePng(const RgbaImage& image);
RgbaImage DecodePng(const std::vector<uint8_t>& bytes);

// The hexadecimal text a form file keeps a picture in: the picture class's name as a short
// string ("TPNGImage"), the PNG file's length (32 bits, little-endian) and its bytes, in lines
// of 64 digits indented by `indent` blanks.
std::string PngPictureDataText(const std::vector<uint8_t>& png, int indent);
// The PNG file inside such a text; throws std::runtime_error when it holds none.
std::vector<uint8_t> PngFromPictureDataText(const std::string& text);

// The text between <Data> and </Data> of Image1's picture in a form file's text; throws
// std::runtime_error (naming origin) when the form has no such element.
std::string Image1PictureData(const std::string& formText, const std::string& origin);
// Replaces that picture's data by the wait panel and writes the file back when it changed.
// Returns the file's path. Throws std::runtime_error naming the file on failure.
std::string UpdateWaitFormPicture(const Manifest& manifest, const std::string& formsFolder);

}  // namespace skingen
