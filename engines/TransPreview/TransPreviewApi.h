#pragma once

// The C API of the transition preview (TransPreview.so): a child window that animates a
// transition of the catalogue between two pictures.
//
// Entry points are called on the program's GUI thread, the thread that owns the parent window;
// the animation runs on a timer of that thread (about 30 frames a second). Every preview
// argument may be 0 or stale: the entry then does nothing and answers 0. No entry point throws.
//
// The pictures are fitted into the window with their proportions kept, black around them; the
// second picture is fitted into the first one's place. Until TPPlay the window shows the first
// picture (black before TPSetImage). TPPlay runs from the first picture to the second over the
// duration, timed from its first timer tick, and then holds the second; TPStop shows the first
// picture again. A new identifier or new pictures stop a running animation.

#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/kernel/WinTypes.h"
#include "platform/user/UserTypes.h"

using engines::EngineHandle;

// A preview window, child of `parent`, at `rect` (the parent's client coordinates). 0 when the
// window cannot be made.
ENGINE_API EngineHandle TPCreate(HWND parent, const RECT* rect);
// The transition to play (an identifier of the catalogue, UTF-8; an unknown or null one plays
// "CrossFade") and its length in seconds (not a positive number: 2 seconds).
ENGINE_API void TPSetTransID(EngineHandle preview, const char* id, double duration);
// Copies both pictures: uncompressed 24- or 32-bit DIBs (32-bit with BI_BITFIELDS in the
// standard B, G, R order too), bottom-up or top-down; the caller may free them at once.
// 1 on success; 0 (the previous pictures kept) for a missing or unreadable picture.
ENGINE_API int32_t TPSetImage(EngineHandle preview, const BITMAPINFO* info1, const void* bits1,
                              const BITMAPINFO* info2, const void* bits2);
ENGINE_API void TPPlay(EngineHandle preview);
ENGINE_API void TPStop(EngineHandle preview);
// Closes the window and frees the preview.
ENGINE_API void TPDestroy(EngineHandle preview);
