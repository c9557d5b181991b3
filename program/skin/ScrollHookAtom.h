#pragma once

// The global atom "FS_HOOK_WNDPROP" that names the skinned scroll bars' window property:
// added at the skin module's start and deleted at its stop, after the scroll-function hooks
// are removed. Kept apart from the window functions' headers. GUI thread.

void AddScrollHookAtom();
void DeleteScrollHookAtom();
// Whether the global atom table holds the name.
bool ScrollHookAtomExists();
