#include "engines/TransMgr/TransitionRenderer.h"

#include <cmath>
#include <cstring>

#include "engines/TransMgr/Catalogue.h"
#include "engines/TransMgr/Renderers.h"

namespace engines::transitions {

namespace {

template <typename AnyPicture>
bool Usable(const AnyPicture& picture) {
  return picture.bits && picture.width > 0 && picture.height > 0 && picture.stride / 4 >= picture.width;
}

// The bytes a picture's pixels span.
template <typename AnyPicture>
std::pair<uintptr_t, uintptr_t> Span(const AnyPicture& picture) {
  const auto begin = reinterpret_cast<uintptr_t>(picture.bits);
  return {begin, begin + uintptr_t(picture.height - 1) * uintptr_t(picture.stride) + uintptr_t(picture.width) * 4};
}

template <typename AnyPicture>
bool Overlap(const Picture& out, const AnyPicture& picture) {
  const auto [outBegin, outEnd] = Span(out);
  const auto [begin, end] = Span(picture);
  return outBegin < end && begin < outEnd;
}

void CopyOpaque(const ConstPicture& picture, const Picture& out) {
  for (int y = 0; y < out.height; ++y) {
    const uint8_t* in = picture.bits + std::ptrdiff_t(y) * picture.stride;
    uint8_t* row = out.bits + std::ptrdiff_t(y) * out.stride;
    std::memcpy(row, in, size_t(out.width) * 4);
    for (int x = 0; x < out.width; ++x) row[4 * x + 3] = 255;
  }
}

}  // namespace

bool RenderTransition(const std::string& id, const ConstPicture& from, const ConstPicture& to, double progress,
                      const Picture& out) noexcept {
  if (!Usable(from) || !Usable(to) || !Usable(out)) return false;
  if (from.width != out.width || from.height != out.height || to.width != out.width || to.height != out.height)
    return false;
  // Drawing into a picture it reads would smear it; refuse instead.
  if (Overlap(out, from) || Overlap(out, to)) return false;
  if (!(progress > 0)) {  // NaN too
    CopyOpaque(from, out);
    return true;
  }
  if (progress >= 1) {
    CopyOpaque(to, out);
    return true;
  }
  const CatalogueEntry* entry = FindEntry(id);
  const RenderFunction render = entry ? entry->render : render::CrossFade;
  try {
    render(Frame{from, to, out, progress});
  } catch (...) {  // out of memory for a renderer's tables
    return false;
  }
  return true;
}

bool IsKnownTransition(const std::string& id) noexcept { return FindEntry(id) != nullptr; }

}  // namespace engines::transitions
