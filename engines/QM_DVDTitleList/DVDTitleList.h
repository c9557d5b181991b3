#pragma once

// QM_DVDTitleList.so: the title list of a disc. The menu model creates one list and inserts
// an entry for each storyboard title at its storyboard index; the output control engine takes
// the list's handle and reads the entries when it authors.
//
// Entry points (extern "C"; texts are zero-terminated UTF-16; any thread, each list has its own
// lock). Calls with a stale handle or an index outside the list do nothing and return 0 (or
// -1 where an index is the answer). Nothing throws.
//
//   TLCreate() -> handle                        a new empty list
//   TLRlease(list) / TLRelease(list)            frees it (the first is the spelling the program uses)
//   TLGetTitleCount(list) -> count
//   TLInsertTitle(list, index) -> index         inserts an empty entry; an index outside 0..count
//                                               appends; answers the entry's index
//   TLRemoveTitle(list, index) -> 1/0
//   TLSetTitleThumbnailPath(list, index, path) -> 1/0
//   TLGetTitleThumbnailPath(list, index, buffer, capacity) -> length of the path
//                                               at most capacity - 1 units and a terminator; a
//                                               null buffer or capacity 0 copies nothing
//   TLSetTitleThumbnail(list, index, bitmapInfo, bits) -> 1/0
//                                               copies a 24- or 32-bit uncompressed device-
//                                               independent bitmap (BITMAPINFOHEADER layout,
//                                               bottom-up when the height is positive); a
//                                               picture larger than 1024 on a side is kept
//                                               reduced by a whole factor
//   TLGetTitleThumbnail(list, index, &width, &height, bgra, capacityBytes) -> bytes needed
//                                               top-down BGRA, 4 bytes a pixel; a null buffer
//                                               or a small capacity copies nothing
//   TLSetMenuXml(list, xml) -> 1/0              the thumbnail paths of a menu XML (the menu
//                                               manager's MGGetXmlText) for the titles the list
//                                               has, with their pictures loaded from those files
//                                               (a path that does not load leaves the title no
//                                               picture); 0 for a null or damaged text, and then
//                                               nothing changes
//   TLSetTitleFile / TLGetTitleFile(list, index, buffer, capacity)
//                                               the title's MPEG-2 program stream; empty means
//                                               authoring uses the job's encoded file for it
//   TLSetTitleDuration / TLGetTitleDuration     seconds (double)
//   TLSetTitleAspect / TLGetTitleAspect         TL_ASPECT_* (as encoded, 4:3, 16:9)
//   TLSetTitleChapters(list, index, seconds, count) -> 1/0
//   TLGetTitleChapters(list, index, seconds, capacity) -> count
//                                               chapter starts in seconds from the title's start;
//                                               an empty set means one chapter every 5 minutes

#include <cstdint>

#include "engines/common/EngineApi.h"

// The buffer the program passes for a thumbnail path (a path may be longer: it is then cut).
constexpr int TL_PATH_UNITS = 260;

enum TLAspect : int32_t { TL_ASPECT_AS_ENCODED = -1, TL_ASPECT_4_3 = 0, TL_ASPECT_16_9 = 1 };

// The 40-byte header of a device-independent bitmap, as the program hands it over.
struct TLBitmapInfoHeader {
  uint32_t size;
  int32_t width;
  int32_t height;
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;
  uint32_t sizeImage;
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t colorsUsed;
  uint32_t colorsImportant;
};
static_assert(sizeof(TLBitmapInfoHeader) == 40);

ENGINE_API uintptr_t TLCreate();
ENGINE_API void TLRlease(uintptr_t list);
ENGINE_API void TLRelease(uintptr_t list);
ENGINE_API int32_t TLGetTitleCount(uintptr_t list);
ENGINE_API int32_t TLInsertTitle(uintptr_t list, int32_t index);
ENGINE_API int32_t TLRemoveTitle(uintptr_t list, int32_t index);
ENGINE_API int32_t TLSetTitleThumbnailPath(uintptr_t list, int32_t index, const char16_t* path);
ENGINE_API int32_t TLGetTitleThumbnailPath(uintptr_t list, int32_t index, char16_t* buffer, int32_t capacity);
ENGINE_API int32_t TLSetMenuXml(uintptr_t list, const char16_t* xml);
ENGINE_API int32_t TLSetTitleThumbnail(uintptr_t list, int32_t index, const void* bitmapInfo, const void* bits);
ENGINE_API int32_t TLGetTitleThumbnail(uintptr_t list, int32_t index, int32_t* width, int32_t* height,
                                       uint8_t* bgra, int32_t capacityBytes);
ENGINE_API int32_t TLSetTitleFile(uintptr_t list, int32_t index, const char16_t* path);
ENGINE_API int32_t TLGetTitleFile(uintptr_t list, int32_t index, char16_t* buffer, int32_t capacity);
ENGINE_API int32_t TLSetTitleDuration(uintptr_t list, int32_t index, double seconds);
ENGINE_API double TLGetTitleDuration(uintptr_t list, int32_t index);
ENGINE_API int32_t TLSetTitleAspect(uintptr_t list, int32_t index, int32_t aspect);
ENGINE_API int32_t TLGetTitleAspect(uintptr_t list, int32_t index);
ENGINE_API int32_t TLSetTitleChapters(uintptr_t list, int32_t index, const double* seconds, int32_t count);
ENGINE_API int32_t TLGetTitleChapters(uintptr_t list, int32_t index, double* seconds, int32_t capacity);
