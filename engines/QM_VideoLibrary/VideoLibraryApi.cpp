#include "engines/QM_VideoLibrary/VideoLibraryApi.h"

#include <array>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "engines/common/EngineGuard.h"
#include "engines/common/EngineHandles.h"

namespace {

struct VideoItem {
  std::u16string filePath;
  std::u16string thumbnailPath;
  std::array<uint8_t, VL_VIDEO_INFO_BYTES> videoInfo{};
  std::array<uint8_t, VL_AUDIO_INFO_BYTES> audioInfo{};
  std::array<uint8_t, VL_CHANGE_TIME_BYTES> changeTime{};
};

// One library; `lock` guards `items`.
class VideoLibrary : public engines::EngineObject {
 public:
  std::mutex lock;
  std::vector<VideoItem> items;
};

// Runs `action` on the item under its library's lock; answers `missing` for a stale handle or
// an index outside the list.
template <typename Action>
int32_t WithItem(const char* entry, uintptr_t handle, int32_t index, int32_t missing, Action action) {
  return engines::Guarded(entry, missing, [&]() -> int32_t {
    auto library = engines::Lookup<VideoLibrary>(handle);
    if (!library) return missing;
    std::lock_guard guard(library->lock);
    if (index < 0 || index >= static_cast<int32_t>(library->items.size())) return missing;
    return action(library->items[static_cast<size_t>(index)]);
  });
}

template <size_t Size>
int32_t SetRecord(const char* entry, uintptr_t handle, int32_t index, const void* record,
                  std::array<uint8_t, Size> VideoItem::*field) {
  if (!record) return 0;
  return WithItem(entry, handle, index, 0, [&](VideoItem& item) {
    std::memcpy((item.*field).data(), record, Size);
    return 1;
  });
}

// An unknown item gives a zero record, so a caller never reads what its buffer held before.
template <size_t Size>
int32_t GetRecord(const char* entry, uintptr_t handle, int32_t index, void* record,
                  std::array<uint8_t, Size> VideoItem::*field) {
  if (!record) return 0;
  const int32_t found = WithItem(entry, handle, index, 0, [&](VideoItem& item) {
    std::memcpy(record, (item.*field).data(), Size);
    return 1;
  });
  if (!found) std::memset(record, 0, Size);
  return found;
}

int32_t GetText(const char* entry, uintptr_t handle, int32_t index, char16_t* buffer, int32_t capacity,
                std::u16string VideoItem::*field) {
  const int32_t found = WithItem(entry, handle, index, -1, [&](VideoItem& item) {
    return engines::CopyText(item.*field, buffer, capacity);
  });
  if (found >= 0) return found;
  engines::CopyText(std::u16string(), buffer, capacity);
  return 0;
}

}  // namespace

ENGINE_API uintptr_t VLCreateVideoLibrary() {
  return engines::Guarded("VLCreateVideoLibrary", static_cast<uintptr_t>(0), [&]() -> uintptr_t {
    return engines::RegisterObject(std::make_shared<VideoLibrary>());
  });
}

ENGINE_API void VLDestroyVideoLibrary(uintptr_t library) {
  engines::Guarded("VLDestroyVideoLibrary", [&] {
    // Only a library's handle: another engine's object is not ours to free.
    if (engines::Lookup<VideoLibrary>(library)) engines::UnregisterObject(library);
  });
}

ENGINE_API int32_t VLGetVideoCount(uintptr_t handle) {
  return engines::Guarded("VLGetVideoCount", static_cast<int32_t>(0), [&]() -> int32_t {
    auto library = engines::Lookup<VideoLibrary>(handle);
    if (!library) return 0;
    std::lock_guard guard(library->lock);
    return static_cast<int32_t>(library->items.size());
  });
}

ENGINE_API int32_t VLInsertVideoItem(uintptr_t handle, const char16_t* filePath, int32_t index) {
  return engines::Guarded("VLInsertVideoItem", static_cast<int32_t>(-1), [&]() -> int32_t {
    auto library = engines::Lookup<VideoLibrary>(handle);
    if (!library) return -1;
    VideoItem item;
    item.filePath = engines::ReadText(filePath);
    std::lock_guard guard(library->lock);
    const auto count = static_cast<int32_t>(library->items.size());
    if (index < 0 || index > count) index = count;
    library->items.insert(library->items.begin() + index, std::move(item));
    return index;
  });
}

ENGINE_API int32_t VLRemoveVideoItem(uintptr_t handle, int32_t index) {
  return engines::Guarded("VLRemoveVideoItem", static_cast<int32_t>(0), [&]() -> int32_t {
    auto library = engines::Lookup<VideoLibrary>(handle);
    if (!library) return 0;
    std::lock_guard guard(library->lock);
    if (index < 0 || index >= static_cast<int32_t>(library->items.size())) return 0;
    library->items.erase(library->items.begin() + index);
    return 1;
  });
}

ENGINE_API int32_t VLSetThumbnailName(uintptr_t library, int32_t index, const char16_t* thumbnailPath) {
  return WithItem("VLSetThumbnailName", library, index, 0, [&](VideoItem& item) {
    item.thumbnailPath = engines::ReadText(thumbnailPath);
    return 1;
  });
}

ENGINE_API int32_t VLGetFilePath(uintptr_t library, int32_t index, char16_t* buffer, int32_t capacity) {
  return GetText("VLGetFilePath", library, index, buffer, capacity, &VideoItem::filePath);
}

ENGINE_API int32_t VLGetThumbnailName(uintptr_t library, int32_t index, char16_t* buffer, int32_t capacity) {
  return GetText("VLGetThumbnailName", library, index, buffer, capacity, &VideoItem::thumbnailPath);
}

ENGINE_API int32_t VLSetVideoInfo(uintptr_t library, int32_t index, const void* videoInfo) {
  return SetRecord("VLSetVideoInfo", library, index, videoInfo, &VideoItem::videoInfo);
}

ENGINE_API int32_t VLGetVideoInfo(uintptr_t library, int32_t index, void* videoInfo) {
  return GetRecord("VLGetVideoInfo", library, index, videoInfo, &VideoItem::videoInfo);
}

ENGINE_API int32_t VLSetAudioInfo(uintptr_t library, int32_t index, const void* audioInfo) {
  return SetRecord("VLSetAudioInfo", library, index, audioInfo, &VideoItem::audioInfo);
}

ENGINE_API int32_t VLGetAudioInfo(uintptr_t library, int32_t index, void* audioInfo) {
  return GetRecord("VLGetAudioInfo", library, index, audioInfo, &VideoItem::audioInfo);
}

ENGINE_API int32_t VLSetVideoChangeTime(uintptr_t library, int32_t index, const void* fileTime) {
  return SetRecord("VLSetVideoChangeTime", library, index, fileTime, &VideoItem::changeTime);
}

ENGINE_API int32_t VLGetVideoChangeTime(uintptr_t library, int32_t index, void* fileTime) {
  return GetRecord("VLGetVideoChangeTime", library, index, fileTime, &VideoItem::changeTime);
}
