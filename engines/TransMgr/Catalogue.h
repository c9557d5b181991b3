#pragma once

// The transition catalogue: the types in their order, each with its transitions in order, an
// identifier and a renderer for each. Identifiers are stable: stored titles keep them, so an
// identifier is never renamed or reused. The table is constant; any thread may read it.

#include <string_view>

#include "engines/TransMgr/Drawing.h"

namespace engines::transitions {

struct CatalogueEntry {
  const char* id;  // ASCII, at most 63 characters
  int type;
  RenderFunction render;
};

int TypeCount();
const char* TypeName(int type);  // "" out of range
int TransitionCount(int type);   // 0 out of range
// nullptr out of range.
const CatalogueEntry* EntryAt(int type, int index);
// Every transition, in catalogue order.
int EntryCount();
const CatalogueEntry& EntryAt(int position);
// nullptr for an id the catalogue does not know (ids match exactly).
const CatalogueEntry* FindEntry(std::string_view id);

}  // namespace engines::transitions
