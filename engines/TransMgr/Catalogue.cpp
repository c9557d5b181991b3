#include "engines/TransMgr/Catalogue.h"

#include <array>
#include <iterator>

#include "engines/TransMgr/Renderers.h"

namespace engines::transitions {

namespace {

// Type order and the order within each type are what the program's list shows.
constexpr const char* kTypeNames[] = {"Fade", "Wipe", "Slide", "Zoom", "Shape", "Pattern"};

constexpr CatalogueEntry kEntries[] = {
    {"CrossFade", 0, render::CrossFade},
    {"FadeThroughBlack", 0, render::FadeThroughBlack},
    {"FadeThroughWhite", 0, render::FadeThroughWhite},

    {"WipeFromLeft", 1, render::WipeFromLeft},
    {"WipeFromRight", 1, render::WipeFromRight},
    {"WipeFromTop", 1, render::WipeFromTop},
    {"WipeFromBottom", 1, render::WipeFromBottom},
    {"WipeFromTopLeft", 1, render::WipeFromTopLeft},
    {"WipeFromTopRight", 1, render::WipeFromTopRight},
    {"WipeFromBottomLeft", 1, render::WipeFromBottomLeft},
    {"WipeFromBottomRight", 1, render::WipeFromBottomRight},
    {"ClockWipe", 1, render::ClockWipe},
    {"BarnDoorsVertical", 1, render::BarnDoorsVertical},
    {"BarnDoorsHorizontal", 1, render::BarnDoorsHorizontal},

    {"SlideFromLeft", 2, render::SlideFromLeft},
    {"SlideFromRight", 2, render::SlideFromRight},
    {"SlideFromTop", 2, render::SlideFromTop},
    {"SlideFromBottom", 2, render::SlideFromBottom},
    {"PushFromLeft", 2, render::PushFromLeft},
    {"PushFromRight", 2, render::PushFromRight},
    {"PushFromTop", 2, render::PushFromTop},
    {"PushFromBottom", 2, render::PushFromBottom},

    {"ZoomIn", 3, render::ZoomIn},
    {"ZoomOut", 3, render::ZoomOut},
    {"CrossZoom", 3, render::CrossZoom},

    {"CircleOpen", 4, render::CircleOpen},
    {"CircleClose", 4, render::CircleClose},
    {"DiamondOpen", 4, render::DiamondOpen},
    {"IrisBox", 4, render::IrisBox},

    {"BlindsHorizontal", 5, render::BlindsHorizontal},
    {"BlindsVertical", 5, render::BlindsVertical},
    {"Checkerboard", 5, render::Checkerboard},
    {"Dissolve", 5, render::Dissolve},
};

constexpr int kTypeCount = static_cast<int>(std::size(kTypeNames));
constexpr int kEntryCount = static_cast<int>(std::size(kEntries));

// Where each type's transitions start in kEntries (entries are grouped by type, in order).
constexpr std::array<int, kTypeCount + 1> kTypeStarts = [] {
  std::array<int, kTypeCount + 1> starts{};
  int position = 0;
  for (int type = 0; type < kTypeCount; ++type) {
    starts[type] = position;
    while (position < kEntryCount && kEntries[position].type == type) ++position;
  }
  starts[kTypeCount] = position;
  return starts;
}();
static_assert(kTypeStarts[kTypeCount] == kEntryCount, "entries are grouped by type, in type order");

}  // namespace

int TypeCount() { return kTypeCount; }

const char* TypeName(int type) { return type >= 0 && type < kTypeCount ? kTypeNames[type] : ""; }

int TransitionCount(int type) {
  return type >= 0 && type < kTypeCount ? kTypeStarts[type + 1] - kTypeStarts[type] : 0;
}

const CatalogueEntry* EntryAt(int type, int index) {
  if (index < 0 || index >= TransitionCount(type)) return nullptr;
  return &kEntries[kTypeStarts[type] + index];
}

int EntryCount() { return kEntryCount; }

const CatalogueEntry& EntryAt(int position) { return kEntries[position]; }

const CatalogueEntry* FindEntry(std::string_view id) {
  for (const CatalogueEntry& entry : kEntries)
    if (id == entry.id) return &entry;
  return nullptr;
}

}  // namespace engines::transitions
