#pragma once

// The C API of the menu data engine (QM_DVDMenuData.so): the menu as authoring consumes it.
// A menu data object is kept current by the menu manager it is attached to (MGSetMenuData);
// it is an engines::MenuSource (engines/common/MenuSource.h), so the output control engine
// takes its handle (OCSetMenuData) and renders the pages at the job's format.
//
// Handles may be 0 or stale (the entry does nothing and answers 0).
//
//   MTCreateMenuData() -> data
//   MTDestroyMenuData(data)                    the program never calls it (tools and tests do)
//   MTGetMenuPageCount(data) -> count
//   MTGetMenuPage(data, index) -> page         0 when there is no such page
//   MTGetMenuPageAudio(page, buffer, capacity) -> length   the page's music, empty when none

#include <cstdint>

#include "engines/common/EngineApi.h"
#include "engines/common/EngineHandles.h"

using engines::EngineHandle;

ENGINE_API EngineHandle MTCreateMenuData();
ENGINE_API void MTDestroyMenuData(EngineHandle data);
ENGINE_API int32_t MTGetMenuPageCount(EngineHandle data);
ENGINE_API EngineHandle MTGetMenuPage(EngineHandle data, int32_t index);
ENGINE_API int32_t MTGetMenuPageAudio(EngineHandle page, char16_t* buffer, int32_t capacity);
