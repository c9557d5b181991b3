// The document, track, clip and transition entries of the C API.

#include <cstring>

#include "engines/QM_Timeline/TimelineApi.h"
#include "engines/QM_Timeline/TimelineModel.h"
#include "engines/common/EngineGuard.h"

using namespace qmtimeline;

namespace {

// Runs `body` with the element when the handle is one; otherwise answers `neutral`.
template <class Result, class Body>
Result WithElement(const char* entry, EngineHandle handle, Result neutral, Body&& body) {
  return engines::Guarded(entry, neutral, [&]() -> Result {
    auto element = FindElement(handle);
    return element ? body(*element) : neutral;
  });
}

template <class Body>
void WithElement(const char* entry, EngineHandle handle, Body&& body) {
  engines::Guarded(entry, [&] {
    if (auto element = FindElement(handle)) body(*element);
  });
}

// Copies a caller's record (which may be the element's own) or clears it on nil.
template <class Record>
void CopyRecord(std::unique_ptr<Record>& slot, const Record* from) {
  if (!from) {
    slot.reset();
    return;
  }
  auto copy = std::make_unique<Record>();
  std::memcpy(copy.get(), from, sizeof(Record));
  slot = std::move(copy);
}

const char16_t* TextOrNil(const std::optional<std::u16string>& text) { return text ? text->c_str() : nullptr; }

// Relays the event through the timeline showing the document.
void Raise(Document& doc, int32_t code, intptr_t p3, intptr_t p4) {
  if (doc.raiseEvent) doc.raiseEvent(code, p3, p4);
}

}  // namespace

// --- Documents -----------------------------------------------------------------------------

ENGINE_API double TDGetLength(EngineHandle doc) {
  return engines::Guarded("TDGetLength", 0.0, [&] {
    auto document = FindDocument(doc);
    return document ? document->video->Length() : 0.0;
  });
}

ENGINE_API EngineHandle TDGetTrack(EngineHandle doc, int32_t type, int32_t index) {
  return engines::Guarded("TDGetTrack", EngineHandle{0}, [&]() -> EngineHandle {
    auto document = FindDocument(doc);
    if (!document || type != kTimelineVideoTrack || index != 0) return 0;
    return document->video->handle;
  });
}

ENGINE_API int32_t TDGetTypeTrackCount(EngineHandle doc, int32_t type) {
  return engines::Guarded("TDGetTypeTrackCount", int32_t{0}, [&]() -> int32_t {
    return FindDocument(doc) && type == kTimelineVideoTrack ? 1 : 0;
  });
}

ENGINE_API void TDSelectAllClips(EngineHandle doc) {
  engines::Guarded("TDSelectAllClips", [&] {
    if (auto document = FindDocument(doc)) document->SelectAllClips();
  });
}

ENGINE_API void TDSelectClear(EngineHandle doc) {
  engines::Guarded("TDSelectClear", [&] {
    if (auto document = FindDocument(doc)) document->SelectClear();
  });
}

ENGINE_API void TDDeleteSelectedClips(EngineHandle doc) {
  engines::Guarded("TDDeleteSelectedClips", [&] {
    auto document = FindDocument(doc);
    if (!document) return;
    const int removed = document->DeleteSelected();
    if (removed > 0) Raise(*document, kTimelineEventDeleted, removed, 0);
  });
}

ENGINE_API void TDSetSelTrans(EngineHandle doc, const char16_t* id, HBITMAP bitmap) {
  engines::Guarded("TDSetSelTrans", [&] {
    if (auto document = FindDocument(doc)) document->SetSelectedTransitions(id, CopyBitmap(bitmap));
  });
}

// --- Tracks --------------------------------------------------------------------------------

ENGINE_API int32_t TTInsertClipIndex(EngineHandle track, EngineHandle clip, int32_t index) {
  return engines::Guarded("TTInsertClipIndex", int32_t{-1}, [&]() -> int32_t {
    auto owner = FindTrack(track);
    auto element = FindClip(clip);
    if (!owner || !element) return -1;
    return owner->Insert(element, index);
  });
}

ENGINE_API int32_t TTGetClipCount(EngineHandle track) {
  return engines::Guarded("TTGetClipCount", int32_t{0}, [&]() -> int32_t {
    auto owner = FindTrack(track);
    return owner ? static_cast<int32_t>(owner->clips.size()) : 0;
  });
}

ENGINE_API EngineHandle TTGetClip(EngineHandle track, int32_t index) {
  return engines::Guarded("TTGetClip", EngineHandle{0}, [&]() -> EngineHandle {
    auto owner = FindTrack(track);
    if (!owner || index < 0 || index >= static_cast<int32_t>(owner->clips.size())) return 0;
    return owner->clips[index]->handle;
  });
}

ENGINE_API int32_t TTGetTransClipCount(EngineHandle track) {
  return engines::Guarded("TTGetTransClipCount", int32_t{0}, [&]() -> int32_t {
    auto owner = FindTrack(track);
    return owner ? static_cast<int32_t>(owner->Transitions().size()) : 0;
  });
}

ENGINE_API EngineHandle TTGetTransClip(EngineHandle track, int32_t index) {
  return engines::Guarded("TTGetTransClip", EngineHandle{0}, [&]() -> EngineHandle {
    auto owner = FindTrack(track);
    if (!owner) return 0;
    const auto transitions = owner->Transitions();
    if (index < 0 || index >= static_cast<int32_t>(transitions.size())) return 0;
    return transitions[index]->handle;
  });
}

ENGINE_API double TTGetLength(EngineHandle track) {
  return engines::Guarded("TTGetLength", 0.0, [&] {
    auto owner = FindTrack(track);
    return owner ? owner->Length() : 0.0;
  });
}

ENGINE_API EngineHandle TTSetClipTailTransID(EngineHandle track, EngineHandle clip, const char16_t* id,
                                             double length) {
  return engines::Guarded("TTSetClipTailTransID", EngineHandle{0}, [&]() -> EngineHandle {
    auto owner = FindTrack(track);
    auto element = FindClip(clip);
    if (!owner || !element) return 0;
    auto transition = owner->SetTail(*element, id, length);
    return transition ? transition->handle : 0;
  });
}

ENGINE_API void TTSetIsMenuThumbnail(EngineHandle track, int32_t flag) {
  engines::Guarded("TTSetIsMenuThumbnail", [&] {
    if (auto owner = FindTrack(track)) owner->menuThumbnail = flag;
  });
}

ENGINE_API int32_t TTGetIsMenuThumbnail(EngineHandle track) {
  return engines::Guarded("TTGetIsMenuThumbnail", int32_t{0}, [&]() -> int32_t {
    auto owner = FindTrack(track);
    return owner ? owner->menuThumbnail : 0;
  });
}

ENGINE_API void TTAdjustClipPos(EngineHandle track) {
  engines::Guarded("TTAdjustClipPos", [&] {
    if (auto owner = FindTrack(track)) owner->Layout();
  });
}

// --- Clips and transitions -----------------------------------------------------------------

ENGINE_API EngineHandle TCCreate(int32_t type) {
  return engines::Guarded("TCCreate", EngineHandle{0}, [&]() -> EngineHandle {
    if (type != kTimelineVideoClip) {
      engines::LogLine("TCCreate: element type " + std::to_string(type) + " cannot be created");
      return 0;
    }
    return CreateElement(type)->handle;
  });
}

ENGINE_API void TCRelease(EngineHandle clip) {
  engines::Guarded("TCRelease", [&] {
    auto element = FindClip(clip);
    // The track's own reference is not the caller's to drop.
    if (!element || element->references <= (element->track ? 1 : 0)) return;
    DropReference(*element);
  });
}

ENGINE_API int32_t TCGetType(EngineHandle clip) {
  return WithElement("TCGetType", clip, int32_t{0}, [](Element& e) { return e.type; });
}

ENGINE_API const char16_t* TCGetLabel(EngineHandle clip) {
  return WithElement("TCGetLabel", clip, static_cast<const char16_t*>(nullptr),
                     [](Element& e) { return e.label.c_str(); });
}

ENGINE_API EngineHandle TCGetClipTailTrans(EngineHandle clip) {
  return WithElement("TCGetClipTailTrans", clip, EngineHandle{0},
                     [](Element& e) -> EngineHandle { return e.tail ? e.tail->handle : 0; });
}

ENGINE_API const char16_t* TRGetTransID(EngineHandle transition) {
  return engines::Guarded("TRGetTransID", static_cast<const char16_t*>(nullptr), [&]() -> const char16_t* {
    auto element = FindTransition(transition);
    return element ? element->transId.c_str() : nullptr;
  });
}

ENGINE_API void TRSetTransID(EngineHandle transition, const char16_t* id) {
  engines::Guarded("TRSetTransID", [&] {
    auto element = FindTransition(transition);
    if (!element) return;
    element->transId = engines::ReadText(id);
    element->label = element->transId;
  });
}

ENGINE_API void TCSetHBitmap(EngineHandle clip, HBITMAP bitmap) {
  WithElement("TCSetHBitmap", clip, [&](Element& e) { e.picture = CopyBitmap(bitmap); });
}

ENGINE_API void TCSetFileName(EngineHandle clip, const char16_t* path) {
  WithElement("TCSetFileName", clip, [&](Element& e) { e.SetFileName(path); });
}

ENGINE_API const char16_t* TCGetFileName(EngineHandle clip) {
  return WithElement("TCGetFileName", clip, static_cast<const char16_t*>(nullptr),
                     [](Element& e) { return TextOrNil(e.fileName); });
}

ENGINE_API void TCSetThumbnailPath(EngineHandle clip, const char16_t* path) {
  WithElement("TCSetThumbnailPath", clip, [&](Element& e) {
    if (path) e.thumbnailPath = engines::ReadText(path);
    else e.thumbnailPath.reset();
  });
}

ENGINE_API const char16_t* TCGetThumbnailPath(EngineHandle clip) {
  return WithElement("TCGetThumbnailPath", clip, static_cast<const char16_t*>(nullptr),
                     [](Element& e) { return TextOrNil(e.thumbnailPath); });
}

// The plain attributes: a setter and, where the program reads it, a getter.
#define TIMELINE_SETTER(Name, Type, field)                                         \
  ENGINE_API void TCSet##Name(EngineHandle clip, Type value) {                     \
    WithElement("TCSet" #Name, clip, [&](Element& e) { e.field = value; });        \
  }
#define TIMELINE_GETTER(Name, Type, field)                                          \
  ENGINE_API Type TCGet##Name(EngineHandle clip) {                                  \
    return WithElement("TCGet" #Name, clip, Type{}, [](Element& e) { return e.field; }); \
  }
#define TIMELINE_ATTRIBUTE(Name, Type, field) TIMELINE_SETTER(Name, Type, field) TIMELINE_GETTER(Name, Type, field)

TIMELINE_ATTRIBUTE(ClipID, int32_t, clipId)
TIMELINE_SETTER(ClipVideoWidth, int32_t, videoWidth)
TIMELINE_SETTER(ClipVideoHeight, int32_t, videoHeight)
TIMELINE_ATTRIBUTE(BeginTime, double, beginTime)
TIMELINE_ATTRIBUTE(PhysicalBegin, double, physicalBegin)
TIMELINE_SETTER(PhysicalLength, double, physicalLength)
TIMELINE_ATTRIBUTE(AudioFadeIn, double, audioFadeIn)
TIMELINE_ATTRIBUTE(AudioFadeOut, double, audioFadeOut)
TIMELINE_ATTRIBUTE(Volume, int32_t, volume)
TIMELINE_ATTRIBUTE(Brightness, int32_t, brightness)
TIMELINE_ATTRIBUTE(Contrast, int32_t, contrast)
TIMELINE_ATTRIBUTE(Saturation, int32_t, saturation)
TIMELINE_ATTRIBUTE(FilterFlag, int32_t, filterFlag)
TIMELINE_ATTRIBUTE(FlipFlag, int32_t, flipFlag)
TIMELINE_ATTRIBUTE(ResizeStyle, int32_t, resizeStyle)
TIMELINE_SETTER(Deintelace, int32_t, deinterlace)
TIMELINE_SETTER(AudioMute, int32_t, audioMute)

#undef TIMELINE_ATTRIBUTE
#undef TIMELINE_GETTER
#undef TIMELINE_SETTER

ENGINE_API void TCSetLength(EngineHandle clip, double seconds) {
  WithElement("TCSetLength", clip, [&](Element& e) {
    if (e.type == kTimelineTransition) e.requestedLength = std::max(0.0, seconds);
    else e.length = std::max(0.0, seconds);
  });
}

ENGINE_API double TCGetLength(EngineHandle clip) {
  return WithElement("TCGetLength", clip, 0.0, [](Element& e) { return e.Length(); });
}

ENGINE_API int8_t TCGetDeintelace(EngineHandle clip) {
  return WithElement("TCGetDeintelace", clip, int8_t{0},
                     [](Element& e) { return static_cast<int8_t>(e.deinterlace & 0xFF); });
}

ENGINE_API int32_t TCIsAudioMute(EngineHandle clip) {
  return WithElement("TCIsAudioMute", clip, int32_t{0}, [](Element& e) -> int32_t { return e.audioMute ? 1 : 0; });
}

ENGINE_API void TCSetCropRect(EngineHandle clip, const TTimelineCropRect* rect) {
  WithElement("TCSetCropRect", clip, [&](Element& e) { CopyRecord(e.cropRect, rect); });
}

ENGINE_API TTimelineCropRect* TCGetCropRect(EngineHandle clip) {
  return WithElement("TCGetCropRect", clip, static_cast<TTimelineCropRect*>(nullptr),
                     [](Element& e) { return e.cropRect.get(); });
}

ENGINE_API void TCSetWaterMarkData(EngineHandle clip, const TWaterMarkData* data) {
  WithElement("TCSetWaterMarkData", clip, [&](Element& e) { CopyRecord(e.waterMark, data); });
}

ENGINE_API TWaterMarkData* TCGetWaterMarkData(EngineHandle clip) {
  return WithElement("TCGetWaterMarkData", clip, static_cast<TWaterMarkData*>(nullptr),
                     [](Element& e) { return e.waterMark.get(); });
}

ENGINE_API void TCSetClipSubPicRec(EngineHandle clip, const TClipSubPicRec* record) {
  WithElement("TCSetClipSubPicRec", clip, [&](Element& e) { CopyRecord(e.subPic, record); });
}

ENGINE_API TClipSubPicRec* TCGetClipSubPicRec(EngineHandle clip) {
  return WithElement("TCGetClipSubPicRec", clip, static_cast<TClipSubPicRec*>(nullptr),
                     [](Element& e) { return e.subPic.get(); });
}
