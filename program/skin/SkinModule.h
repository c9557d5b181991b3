#pragma once

// Start and stop of the skin module, called by the program's start-up and shut-down in their
// fixed order (tests call them from a fixture). Start adds the global atom "FS_HOOK_WNDPROP"
// of the skinned scroll bars and creates the global SkinEngine (no skin folder yet: the
// start-up sets it, which loads the skin); stop frees the skin animator thread and then the
// engine, removes the scroll-function hooks and then deletes the atom. Nothing here relies on static initialisation. GUI thread.

void StartSkinModule();
void StopSkinModule();
