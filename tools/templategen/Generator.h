#pragma once

// Writes the default menu templates: for each one a CATEGORY/NAME folder with its INI file,
// background, preview, frame and button pictures (format in README.md).

#include <filesystem>
#include <string>

#include "tools/templategen/Catalogue.h"
#include "tools/templategen/Raster.h"

namespace templategen {

constexpr int kJpegQuality = 85;
constexpr const char* kBackgroundFile = "midbackgnd.jpg";
constexpr const char* kPreviewFile = "preview.jpg";
constexpr const char* kFrameFile = "frame.png";
constexpr const char* kPrevFile = "prev.png";
constexpr const char* kPlayFile = "play.png";
constexpr const char* kNextFile = "next.png";

// The INI file of a template, as written.
std::string IniText(const TemplateDesign& design);
// The whole page at canvas size: background, frames with stand-in pictures in every slot,
// and the three buttons.
RgbaImage ComposePage(const TemplateDesign& design);

// Each answers false with a description in `error` when a folder or file cannot be written.
bool WriteTemplate(const TemplateDesign& design, const std::filesystem::path& outputFolder, std::string* error);
bool Generate(const std::filesystem::path& outputFolder, std::string* error);
// Every composed page side by side, two a row, to look at them together.
bool WriteSheet(const std::filesystem::path& file, std::string* error);

}  // namespace templategen
