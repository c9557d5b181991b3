#pragma once

// The resources compiled into the program (resources/embedded/): the picture viewer's hand
// cursors "ImageHandleUp" (open hand) and "ImageHandleDown" (closed hand), 32 x 32 with alpha
// and the hot spot in the middle, the program's icon "MAINICON" at 16, 32 and 48 pixels, and
// the live update's icon "QMLiveUpdate" (a circular arrow) at 16 and 32 pixels;
// the drag cursors "Drag" (one page) and "DragMultiIcon" (hot spot at the arrow's tip) and
// "AutoScrollUp/Down/Left/Right" (hot spot in the middle); the generic file-type icons
// "GenericFolder/File/Video/Audio/Picture" at 16 and 32 pixels; the photo view's failed
// thumbnail "PhotoError" and the animation's "FindFolder" strip, both PNG (RCDATA).
// Each entry is an uncompressed 32-bit picture (PNG files with stored deflate blocks), so the
// files come out the same byte for byte whatever the libraries in use.

#include <cstdint>
#include <string>
#include <vector>

namespace skingen {

// Writes every file into folder (created when missing) and returns their names in order.
// Throws std::runtime_error naming the file on failure.
std::vector<std::string> GenerateEmbedded(const std::string& folder);

// The frames of the "FindFolder" strip: kFindFolderFrames pictures side by side.
constexpr int kFindFolderFrames = 16;
constexpr int kFindFolderFrameWidth = 48;
constexpr int kFindFolderFrameHeight = 40;
constexpr int kFindFolderFrameTimeMs = 80;

// The bytes of each file, by name, as GenerateEmbedded writes them.
std::vector<std::pair<std::string, std::vector<uint8_t>>> EmbeddedFiles();

}  // namespace skingen
