#pragma once

// Marks the extern "C" entry points an engine exports. No C++ exception crosses an engine
// boundary: entry points catch everything and return their failure value.

#define ENGINE_API extern "C" __attribute__((visibility("default")))

#if defined(BRANTWELL_ENGINES_COMMON_BUILD)
#define ENGINES_COMMON_API __attribute__((visibility("default")))
#else
#define ENGINES_COMMON_API
#endif
