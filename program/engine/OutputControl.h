#pragma once

// The output control engine (QM_OutputCtrl, imported at link time) at the ends of an
// authoring job: cancelling it, learning why it failed, and freeing the controller. The
// engine's own header declares the rest (creating, setting up and starting a controller).
// GUI thread (the thread that owns the controller).

#include <cstdint>

#include "rtl/SysTypes.h"

// Stops a running authoring: the engine kills its tool and removes what it wrote, then posts
// its end (cancelled) to the registered window. Nothing for 0 or a controller not running.
void CancelOutputCtrl(uintptr_t ctrl);
// Frees the controller, cancelling a running job and waiting for its end first, and sets
// ctrl to 0, so that no later call reaches a freed controller. Nothing for 0.
void DestroyOutputCtrl(uintptr_t& ctrl);
// Why the job failed (its end state was "failed"); empty when it did not fail, or for 0.
WideString OutputCtrlLastError(uintptr_t ctrl);
