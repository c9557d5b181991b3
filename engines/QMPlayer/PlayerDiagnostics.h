#pragma once

// What the player engine counts, for benchmarks and tests: pictures shown and pictures passed
// over because they were late, over the player's life. Not part of the program's API.

#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"

ENGINE_API int32_t QMPlayerGetFrameCounts(engines::EngineHandle player, int64_t* shown, int64_t* dropped);
