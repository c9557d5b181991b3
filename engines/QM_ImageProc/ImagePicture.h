#pragma once

// What other engines of ours use to hand the image engine a picture they made themselves (the
// text-art engine draws into a new image with it). Not an entry point of the program: a C++
// function of QM_ImageProc.so, visible to the engines that link it.

#include <cstddef>
#include <cstdint>

#include "engines/common/EngineHandles.h"

namespace engines::imageproc {

// Replaces the picture of `image` with `width` x `height` pixels given as rows of B, G, R, A
// bytes (straight alpha), the top row first, each row `stride` bytes from the previous one
// (at least width * 4). The image then holds them as its usual bottom-up 32-bit DIB; the pixels
// are copied. False, with the image unchanged, for a stale handle, a null pointer, a size that
// is not positive or too large, or a stride that is too short. Any thread.
[[gnu::visibility("default")]] bool SetPicture(EngineHandle image, int width, int height, const uint8_t* bgraTopDown,
                                               size_t stride) noexcept;

}  // namespace engines::imageproc
