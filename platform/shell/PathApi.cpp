#include "platform/shell/PathApi.h"

namespace {

template <typename Char>
const Char* NextComponent(const Char* path) {
  if (!path || !*path) return nullptr;
  const Char* at = path;
  while (*at && *at != Char('/') && *at != Char('\\')) ++at;
  return *at ? at + 1 : at;
}

}  // namespace

LPCWSTR PathFindNextComponentW(LPCWSTR path) { return NextComponent(path); }
LPCSTR PathFindNextComponentA(LPCSTR path) { return NextComponent(path); }
