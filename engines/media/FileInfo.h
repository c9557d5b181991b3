#pragma once

// File information as the decoder manager hands it to the program: one block per call, owned
// by the engine until FreeFileInfo is called with it. Any thread.

#include <string>

#include "engines/media/MediaRecords.h"

namespace engines::media {

// nullptr when the file cannot be read (the reason is logged and stored in `error`).
TMediaFileInfo* CreateFileInfo(const std::string& path, std::string& error);
// Frees a block CreateFileInfo returned; an unknown pointer or nullptr is ignored.
void FreeFileInfo(TMediaFileInfo* info);

// Copies UTF-8 text into a fixed UTF-16 field, cut to capacity - 1 units and zero-terminated
// (never splitting a surrogate pair).
void CopyToField(const std::string& text, char16_t* field, size_t capacity);

}  // namespace engines::media
