#include "program/skin/ScrollHookAtom.h"

#include "platform/kernel/Atoms.h"

namespace {
constexpr const char* kName = "FS_HOOK_WNDPROP";
ATOM g_atom = 0;
}  // namespace

void AddScrollHookAtom() {
  if (!g_atom) g_atom = GlobalAddAtomA(kName);
}

void DeleteScrollHookAtom() {
  if (g_atom) GlobalDeleteAtom(g_atom);
  g_atom = 0;
}

bool ScrollHookAtomExists() { return GlobalFindAtomA(kName) != 0; }
