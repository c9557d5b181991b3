#pragma once

// QM_VideoLibrary.so: the video library, an indexed list of the sources the user imported.
// The program imports the entry points at link time.
//
// An item holds the source's path, its thumbnail's path, a video record (VL_VIDEO_INFO_BYTES),
// an audio record (VL_AUDIO_INFO_BYTES) and the file's change time (VL_CHANGE_TIME_BYTES: a
// FILETIME, low and high 32-bit halves). The records are the decoder manager's TVideoInfo and
// TAudioInfo; the library copies them in and out as they stand and never reads them. A new item
// has empty paths and all-zero records.
//
// Handles live in the engines' handle space: a destroyed library's handle is stale, and every
// call with it does nothing and answers 0 (-1 where an index is the answer). An index outside
// the list is treated the same way. Texts are zero-terminated UTF-16 (null reads as empty) and
// are copied at once. Every entry may be called from any thread; each library has its own lock.
// Nothing throws.
//
//   VLCreateVideoLibrary() -> handle              a new empty library (0 only when out of memory)
//   VLDestroyVideoLibrary(library)                frees it with its items
//   VLGetVideoCount(library) -> count
//   VLInsertVideoItem(library, path, index) -> the new item's index
//                                                 inserts before `index`; -1 (or any index
//                                                 outside 0..count) appends
//   VLRemoveVideoItem(library, index) -> 1/0      the items after it move up by one
//   VLSetThumbnailName(library, index, path) -> 1/0
//   VLGetFilePath(library, index, buffer, capacity) -> length of the whole path
//   VLGetThumbnailName(library, index, buffer, capacity) -> length of the whole path
//                                                 `capacity` counts the buffer's UTF-16 units,
//                                                 its terminating zero included. The buffer gets
//                                                 as much of the path as fits and is always
//                                                 terminated; an answer >= capacity means the
//                                                 path was cut, and a second call with
//                                                 answer + 1 units gets all of it. A null buffer
//                                                 or a capacity of 0 only asks for the length.
//                                                 An unknown item answers 0 and an empty text.
//   VLSetVideoInfo / VLSetAudioInfo / VLSetVideoChangeTime(library, index, record) -> 1/0
//                                                 copies the record's bytes into the item; a
//                                                 null record changes nothing and answers 0
//   VLGetVideoInfo / VLGetAudioInfo / VLGetVideoChangeTime(library, index, record) -> 1/0
//                                                 copies the item's record out; for an unknown
//                                                 item the record is filled with zeros

#include <cstdint>

#include "engines/common/EngineApi.h"

constexpr int32_t VL_VIDEO_INFO_BYTES = 40;
constexpr int32_t VL_AUDIO_INFO_BYTES = 32;
constexpr int32_t VL_CHANGE_TIME_BYTES = 8;

ENGINE_API uintptr_t VLCreateVideoLibrary();
ENGINE_API void VLDestroyVideoLibrary(uintptr_t library);
ENGINE_API int32_t VLGetVideoCount(uintptr_t library);
ENGINE_API int32_t VLInsertVideoItem(uintptr_t library, const char16_t* filePath, int32_t index);
ENGINE_API int32_t VLRemoveVideoItem(uintptr_t library, int32_t index);

ENGINE_API int32_t VLSetThumbnailName(uintptr_t library, int32_t index, const char16_t* thumbnailPath);
ENGINE_API int32_t VLGetFilePath(uintptr_t library, int32_t index, char16_t* buffer, int32_t capacity);
ENGINE_API int32_t VLGetThumbnailName(uintptr_t library, int32_t index, char16_t* buffer, int32_t capacity);

ENGINE_API int32_t VLSetVideoInfo(uintptr_t library, int32_t index, const void* videoInfo);
ENGINE_API int32_t VLGetVideoInfo(uintptr_t library, int32_t index, void* videoInfo);
ENGINE_API int32_t VLSetAudioInfo(uintptr_t library, int32_t index, const void* audioInfo);
ENGINE_API int32_t VLGetAudioInfo(uintptr_t library, int32_t index, void* audioInfo);
ENGINE_API int32_t VLSetVideoChangeTime(uintptr_t library, int32_t index, const void* fileTime);
ENGINE_API int32_t VLGetVideoChangeTime(uintptr_t library, int32_t index, void* fileTime);
