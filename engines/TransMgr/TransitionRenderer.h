#pragma once

// The transition catalogue's renderers, for the engines that draw transitions (the title
// compositor, the transition preview) and for the tool that draws the catalogue's pictures.
// Thread-safe: a renderer keeps no state between calls, so any thread may render any frame.

#include <cstdint>
#include <string>

namespace engines::transitions {

// A BGRA picture (straight alpha ignored: transitions work on opaque pictures; what they draw
// is opaque, alpha 255), rows of `stride` bytes from the top.
struct Picture {
  uint8_t* bits = nullptr;
  int width = 0, height = 0, stride = 0;
};

struct ConstPicture {
  const uint8_t* bits = nullptr;
  int width = 0, height = 0, stride = 0;
};

// Draws the transition `id` between `from` and `to` (both of `out`'s size) at `progress`
// (0 = `from`, 1 = `to`; clamped) into `out`, which may not alias either input. An unknown or
// empty id draws "CrossFade". Deterministic: the same arguments give the same picture.
// Returns false when the pictures' sizes differ, a picture is missing or its stride is shorter
// than a row, `out` overlaps an input, or memory runs out.
[[gnu::visibility("default")]] bool RenderTransition(const std::string& id, const ConstPicture& from,
                                                     const ConstPicture& to, double progress,
                                                     const Picture& out) noexcept;

// Whether the catalogue knows `id`.
[[gnu::visibility("default")]] bool IsKnownTransition(const std::string& id) noexcept;

}  // namespace engines::transitions
