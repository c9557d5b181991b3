// The timeline entries of the C API: windows, callbacks, palette and texts.

#include "engines/QM_Timeline/Timeline.h"
#include "engines/QM_Timeline/TimelineApi.h"
#include "engines/common/EngineGuard.h"

using namespace qmtimeline;

namespace {

// Runs `body` with a live timeline; `neutral` otherwise.
template <class Result, class Body>
Result WithTimeline(const char* entry, EngineHandle handle, Result neutral, Body&& body) {
  return engines::Guarded(entry, neutral, [&]() -> Result {
    auto timeline = FindTimeline(handle);
    return timeline && timeline->Alive() ? body(*timeline) : neutral;
  });
}

template <class Body>
void WithTimeline(const char* entry, EngineHandle handle, Body&& body) {
  engines::Guarded(entry, [&] {
    auto timeline = FindTimeline(handle);
    if (timeline && timeline->Alive()) body(*timeline);
  });
}

}  // namespace

ENGINE_API EngineHandle CreateTimeline(HWND parent, const RECT* rect, const int32_t*, intptr_t) {
  return engines::Guarded("CreateTimeline", EngineHandle{0}, [&]() -> EngineHandle {
    if (!rect) {
      engines::LogLine("CreateTimeline: no rectangle");
      return 0;
    }
    return Timeline::Create(parent, *rect)->handle;
  });
}

ENGINE_API int32_t InitTimeline(EngineHandle timeline) {
  return WithTimeline("InitTimeline", timeline, int32_t{0}, [](Timeline&) { return int32_t{1}; });
}

ENGINE_API void DestroyTimeline(EngineHandle timeline) {
  WithTimeline("DestroyTimeline", timeline, [](Timeline& t) { t.Destroy(); });
}

ENGINE_API HWND GetTimelineHwnd(EngineHandle timeline) {
  return WithTimeline("GetTimelineHwnd", timeline, static_cast<HWND>(nullptr), [](Timeline& t) { return t.hwnd; });
}

ENGINE_API void UpdateTimeline(EngineHandle timeline) {
  WithTimeline("UpdateTimeline", timeline, [](Timeline& t) { t.Update(); });
}

ENGINE_API EngineHandle GetTimelineDoc(EngineHandle timeline) {
  return WithTimeline("GetTimelineDoc", timeline, EngineHandle{0}, [](Timeline& t) { return t.doc->handle; });
}

ENGINE_API intptr_t SendTimelineCommand(EngineHandle timeline, int32_t command, intptr_t, const void* lParam) {
  return WithTimeline("SendTimelineCommand", timeline, intptr_t{0}, [&](Timeline& t) -> intptr_t {
    if (command != kTimelineCommandLayout || !lParam) return 0;
    t.SetMetrics(static_cast<const int32_t*>(lParam));
    return 1;
  });
}

ENGINE_API void SetTimelineEventCallback(EngineHandle timeline, TimelineEventProc callback, intptr_t data) {
  WithTimeline("SetTimelineEventCallback", timeline, [&](Timeline& t) {
    t.eventCallback = callback;
    t.eventData = data;
  });
}

ENGINE_API void SetTimelineDrawCallback(EngineHandle timeline, TimelineDrawProc callback, intptr_t data) {
  WithTimeline("SetTimelineDrawCallback", timeline, [&](Timeline& t) {
    t.drawCallback = callback;
    t.drawData = data;
  });
}

ENGINE_API void SetTimelineQueryCallback(TimelineQueryProc callback, intptr_t data) {
  engines::Guarded("SetTimelineQueryCallback", [&] { SetQueryCallback(callback, data); });
}

ENGINE_API void SetColors(int32_t index, uint32_t argb) {
  engines::Guarded("SetColors", [&] {
    if (index < 0 || index >= kTimelineColorCount) return;
    Palette()[index] = argb & 0xFFFFFF;
  });
}

ENGINE_API void SetLanguageText(int32_t id, const char16_t* text) {
  engines::Guarded("SetLanguageText", [&] { SetText(id, text); });
}
