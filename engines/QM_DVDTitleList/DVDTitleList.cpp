#include "engines/QM_DVDTitleList/DVDTitleList.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "engines/common/EngineGuard.h"
#include "engines/QM_ImageProc/QM_ImageProc.h"
#include "engines/common/EngineHandles.h"
#include "engines/common/EngineLog.h"
#include "engines/menu/MenuXml.h"

namespace {

struct TitleEntry {
  std::u16string thumbnailPath;
  int32_t thumbnailWidth = 0;
  int32_t thumbnailHeight = 0;
  std::vector<uint8_t> thumbnail;  // top-down BGRA
  std::u16string file;
  double duration = 0;
  int32_t aspect = TL_ASPECT_AS_ENCODED;
  std::vector<double> chapters;
};

// One title list; `lock` guards `titles`.
class TitleList : public engines::EngineObject {
 public:
  std::mutex lock;
  std::vector<TitleEntry> titles;
};

// Runs `action` on the entry under the list's lock; answers `missing` for a bad handle or index.
template <typename Result, typename Action>
Result WithTitle(const char* entry, uintptr_t handle, int32_t index, Result missing, Action action) {
  return engines::Guarded(entry, missing, [&]() -> Result {
    auto list = engines::Lookup<TitleList>(handle);
    if (!list) return missing;
    std::lock_guard guard(list->lock);
    if (index < 0 || index >= static_cast<int32_t>(list->titles.size())) return missing;
    return action(list->titles[static_cast<size_t>(index)]);
  });
}

// Reads the picture of a thumbnail path into `title` (top-down BGRA, opaque); leaves it without
// a picture when the path is blank or does not load.
// The longest side a thumbnail is kept at; larger pictures (a camera's photo chosen as a
// title's picture) are reduced by a whole factor, averaging the pixels they merge.
constexpr int32_t kThumbnailSide = 1024;
// Beyond this a bitmap's header is not believed.
constexpr int32_t kLargestBitmapSide = 32768;

// Copies an uncompressed 24- or 32-bit DIB (bottom-up when `signedHeight` is positive) into
// `title` as top-down opaque BGRA, reduced to fit kThumbnailSide. False for a bitmap it
// cannot take.
bool CopyBitmap(const uint8_t* bits, int32_t width, int32_t signedHeight, int bitCount, TitleEntry& title) {
  const int32_t height = signedHeight < 0 ? -signedHeight : signedHeight;
  if (!bits || (bitCount != 24 && bitCount != 32) || width <= 0 || height <= 0 || width > kLargestBitmapSide ||
      height > kLargestBitmapSide)
    return false;
  const int32_t factor = (std::max(width, height) + kThumbnailSide - 1) / kThumbnailSide;
  const int32_t outWidth = std::max(1, width / factor);
  const int32_t outHeight = std::max(1, height / factor);
  const size_t sourceStride = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
  const int bytes = bitCount / 8;
  std::vector<uint8_t> pixels(static_cast<size_t>(outWidth) * outHeight * 4);
  std::vector<uint32_t> sums(static_cast<size_t>(outWidth) * 3);
  // A side shorter than the factor gives one pixel made of what there is.
  const int32_t rowsPerPixel = std::min(factor, height);
  const int32_t columns = std::min(outWidth * factor, width);
  const int32_t columnsPerPixel = std::min(factor, width);
  for (int32_t y = 0; y < outHeight; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    for (int32_t dy = 0; dy < rowsPerPixel; ++dy) {
      const int32_t top = y * factor + dy;  // row from the top
      const int32_t sourceRow = signedHeight > 0 ? height - 1 - top : top;
      const uint8_t* row = bits + sourceStride * static_cast<size_t>(sourceRow);
      for (int32_t x = 0; x < columns; ++x) {
        const uint8_t* p = row + static_cast<size_t>(x) * bytes;
        uint32_t* sum = &sums[static_cast<size_t>(x / factor) * 3];
        sum[0] += p[0];
        sum[1] += p[1];
        sum[2] += p[2];
      }
    }
    const uint32_t count = static_cast<uint32_t>(rowsPerPixel) * columnsPerPixel;
    uint8_t* out = pixels.data() + static_cast<size_t>(y) * outWidth * 4;
    for (int32_t x = 0; x < outWidth; ++x) {
      for (int c = 0; c < 3; ++c) out[x * 4 + c] = static_cast<uint8_t>((sums[static_cast<size_t>(x) * 3 + c] + count / 2) / count);
      out[x * 4 + 3] = 255;
    }
  }
  title.thumbnail = std::move(pixels);
  title.thumbnailWidth = outWidth;
  title.thumbnailHeight = outHeight;
  return true;
}

// Reads the picture of a thumbnail path into `title`; leaves it without a picture when the
// path is blank or does not load.
void LoadThumbnail(const std::u16string& path, TitleEntry& title) {
  if (path.find_first_not_of(u' ') == std::u16string::npos) return;
  const engines::EngineHandle image = DICreate();
  if (!image) return;
  // The image engine's pictures are bottom-up 32-bit DIBs.
  if (DILoadImage32B(image, path.c_str()))
    CopyBitmap(static_cast<const uint8_t*>(DIGetBits(image)), DIGetWidth(image), DIGetHeight(image), 32, title);
  DIDestroy(image);
}

void Release(uintptr_t handle) {
  if (engines::Lookup<TitleList>(handle)) engines::UnregisterObject(handle);
}

}  // namespace

ENGINE_API uintptr_t TLCreate() {
  return engines::Guarded("TLCreate", static_cast<uintptr_t>(0), [&]() -> uintptr_t {
    return engines::RegisterObject(std::make_shared<TitleList>());
  });
}

ENGINE_API void TLRlease(uintptr_t list) { Release(list); }
ENGINE_API void TLRelease(uintptr_t list) { Release(list); }

ENGINE_API int32_t TLGetTitleCount(uintptr_t handle) {
  auto list = engines::Lookup<TitleList>(handle);
  if (!list) return 0;
  std::lock_guard guard(list->lock);
  return static_cast<int32_t>(list->titles.size());
}

ENGINE_API int32_t TLInsertTitle(uintptr_t handle, int32_t index) {
  return engines::Guarded("TLInsertTitle", static_cast<int32_t>(-1), [&]() -> int32_t {
    auto list = engines::Lookup<TitleList>(handle);
    if (!list) return -1;
    std::lock_guard guard(list->lock);
    const auto count = static_cast<int32_t>(list->titles.size());
    if (index < 0 || index > count) index = count;
    list->titles.insert(list->titles.begin() + index, TitleEntry{});
    return index;
  });
}

ENGINE_API int32_t TLRemoveTitle(uintptr_t handle, int32_t index) {
  auto list = engines::Lookup<TitleList>(handle);
  if (!list) return 0;
  std::lock_guard guard(list->lock);
  if (index < 0 || index >= static_cast<int32_t>(list->titles.size())) return 0;
  list->titles.erase(list->titles.begin() + index);
  return 1;
}

ENGINE_API int32_t TLSetTitleThumbnailPath(uintptr_t list, int32_t index, const char16_t* path) {
  return WithTitle(__func__, list, index, 0, [&](TitleEntry& t) {
    t.thumbnailPath = engines::ReadText(path);
    return 1;
  });
}

ENGINE_API int32_t TLGetTitleThumbnailPath(uintptr_t list, int32_t index, char16_t* buffer, int32_t capacity) {
  return WithTitle(__func__, list, index, 0,
                   [&](TitleEntry& t) { return engines::CopyText(t.thumbnailPath, buffer, capacity); });
}

ENGINE_API int32_t TLSetMenuXml(uintptr_t handle, const char16_t* xml) {
  return engines::Guarded("TLSetMenuXml", int32_t(0), [&]() -> int32_t {
    auto list = engines::Lookup<TitleList>(handle);
    if (!list || !xml) return 0;
    engines::menu::MenuDocument document;
    std::string error;
    if (!engines::menu::ReadMenuXml(engines::ReadText(xml), document, error)) {
      engines::LogLine("TLSetMenuXml: the thumbnails are kept: " + error);
      return 0;
    }
    // Pictures are decoded before the list is locked: decoding takes a while.
    std::vector<TitleEntry> pictures(document.thumbnails.size());
    for (size_t i = 0; i < document.thumbnails.size(); ++i) {
      pictures[i].thumbnailPath = document.thumbnails[i];
      LoadThumbnail(document.thumbnails[i], pictures[i]);
    }
    std::lock_guard guard(list->lock);
    for (size_t i = 0; i < pictures.size() && i < list->titles.size(); ++i) {
      TitleEntry& title = list->titles[i];
      title.thumbnailPath = std::move(pictures[i].thumbnailPath);
      title.thumbnail = std::move(pictures[i].thumbnail);
      title.thumbnailWidth = pictures[i].thumbnailWidth;
      title.thumbnailHeight = pictures[i].thumbnailHeight;
    }
    return 1;
  });
}

ENGINE_API int32_t TLSetTitleThumbnail(uintptr_t list, int32_t index, const void* bitmapInfo, const void* bits) {
  return engines::Guarded("TLSetTitleThumbnail", int32_t(0), [&]() -> int32_t {
    if (!bitmapInfo || !bits) return 0;
    TLBitmapInfoHeader header;
    std::memcpy(&header, bitmapInfo, sizeof header);
    TitleEntry copy;
    if (header.compression != 0 ||
        !CopyBitmap(static_cast<const uint8_t*>(bits), header.width, header.height, header.bitCount, copy))
      return 0;
    return WithTitle("TLSetTitleThumbnail", list, index, 0, [&](TitleEntry& t) {
      t.thumbnail = std::move(copy.thumbnail);
      t.thumbnailWidth = copy.thumbnailWidth;
      t.thumbnailHeight = copy.thumbnailHeight;
      return 1;
    });
  });
}

ENGINE_API int32_t TLGetTitleThumbnail(uintptr_t list, int32_t index, int32_t* width, int32_t* height, uint8_t* bgra,
                                       int32_t capacityBytes) {
  return WithTitle(__func__, list, index, 0, [&](TitleEntry& t) {
    if (width) *width = t.thumbnailWidth;
    if (height) *height = t.thumbnailHeight;
    const auto needed = static_cast<int32_t>(t.thumbnail.size());
    if (bgra && capacityBytes >= needed) std::copy(t.thumbnail.begin(), t.thumbnail.end(), bgra);
    return needed;
  });
}

ENGINE_API int32_t TLSetTitleFile(uintptr_t list, int32_t index, const char16_t* path) {
  return WithTitle(__func__, list, index, 0, [&](TitleEntry& t) {
    t.file = engines::ReadText(path);
    return 1;
  });
}

ENGINE_API int32_t TLGetTitleFile(uintptr_t list, int32_t index, char16_t* buffer, int32_t capacity) {
  return WithTitle(__func__, list, index, 0, [&](TitleEntry& t) { return engines::CopyText(t.file, buffer, capacity); });
}

ENGINE_API int32_t TLSetTitleDuration(uintptr_t list, int32_t index, double seconds) {
  return WithTitle(__func__, list, index, 0, [&](TitleEntry& t) {
    t.duration = seconds > 0 ? seconds : 0;
    return 1;
  });
}

ENGINE_API double TLGetTitleDuration(uintptr_t list, int32_t index) {
  return WithTitle(__func__, list, index, 0.0, [&](TitleEntry& t) { return t.duration; });
}

ENGINE_API int32_t TLSetTitleAspect(uintptr_t list, int32_t index, int32_t aspect) {
  if (aspect != TL_ASPECT_AS_ENCODED && aspect != TL_ASPECT_4_3 && aspect != TL_ASPECT_16_9) return 0;
  return WithTitle(__func__, list, index, 0, [&](TitleEntry& t) {
    t.aspect = aspect;
    return 1;
  });
}

ENGINE_API int32_t TLGetTitleAspect(uintptr_t list, int32_t index) {
  return WithTitle(__func__, list, index, static_cast<int32_t>(TL_ASPECT_AS_ENCODED), [&](TitleEntry& t) { return t.aspect; });
}

ENGINE_API int32_t TLSetTitleChapters(uintptr_t list, int32_t index, const double* seconds, int32_t count) {
  return engines::Guarded("TLSetTitleChapters", int32_t(0), [&]() -> int32_t {
    if (count < 0 || (count > 0 && !seconds)) return 0;
    std::vector<double> chapters(seconds, seconds + count);
    return WithTitle("TLSetTitleChapters", list, index, 0, [&](TitleEntry& t) {
      t.chapters = std::move(chapters);
      return 1;
    });
  });
}

ENGINE_API int32_t TLGetTitleChapters(uintptr_t list, int32_t index, double* seconds, int32_t capacity) {
  return WithTitle(__func__, list, index, 0, [&](TitleEntry& t) {
    for (int32_t i = 0; seconds && i < capacity && i < static_cast<int32_t>(t.chapters.size()); ++i)
      seconds[i] = t.chapters[static_cast<size_t>(i)];
    return static_cast<int32_t>(t.chapters.size());
  });
}
