#pragma once

// The C API of the transition manager (TransMgr.so): the transition catalogue the program
// lists, previews and applies. Transitions are grouped into types (type 0 is "Fade", starting
// with "CrossFade"); each has an identifier, ASCII of at most 63 characters, that titles store,
// so identifiers never change. The renderers that draw transitions are the C++ interface of
// TransitionRenderer.h.
//
// The catalogue answers between TMInitTransMgr and the matching TMUninitTransMgr (calls are
// counted: each init needs its own uninit); outside that the counts are 0 and identifiers "".
// Identifiers are zero-terminated UTF-8 texts owned by the library, valid while it is loaded;
// an identifier is never null. Any thread may call; no entry point throws.

#include <cstdint>

#include "engines/common/EngineApi.h"

// Makes the catalogue ready (counted). Answers 1.
ENGINE_API int32_t TMInitTransMgr();
// Releases one TMInitTransMgr. Answers 1, or 0 when the manager was not started.
ENGINE_API int32_t TMUninitTransMgr();

ENGINE_API int32_t TMGetTransTypeCount();
// The number of transitions of `type`; 0 for a type out of range.
ENGINE_API int32_t TMGetTransCount(int32_t type);
// The identifier of transition `index` of `type`; "" out of range.
ENGINE_API const char* TMGetTransID(int32_t type, int32_t index);
// The identifier of a transition chosen at random, each equally likely; "" when there is none.
ENGINE_API const char* TMGetRandomID();
