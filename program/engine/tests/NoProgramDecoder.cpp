// A decoder manager for the clip tasks' tests: it starts, and describes every file as one of
// 12.5 seconds with no program entry (a block the program must not take as information).

#include <cstdint>
#include <cstring>

#include "program/engine/MediaInfo.h"

#define STAND_IN_API extern "C" __attribute__((visibility("default")))

STAND_IN_API void ordinal_30() {}
STAND_IN_API void ordinal_31() {}

STAND_IN_API void* ordinal_1(const char16_t*, int32_t) {
  auto* info = new TMediaFileInfo{};
  info->Size = sizeof(TMediaFileInfo);
  info->Duration = 12.5;
  info->ProgramCount = 0;
  info->Programs = nullptr;
  return info;
}

STAND_IN_API void ordinal_2(void* info) { delete static_cast<TMediaFileInfo*>(info); }
