// An engine library that exports some entry points of several engine families and lacks
// others, so that binding tests can load it in place of a real engine and see both the
// results of present entries and the neutral values of missing ones. Present entries ignore
// their arguments. Start and stop entries count their calls.

#include <atomic>
#include <cstdint>
#include <cstring>

#include "engines/common/EngineApi.h"

namespace {

enum Counter { kDecoderStart, kDecoderStop, kEncoderStart, kEncoderStop, kCounterCount };

std::atomic<int> g_counts[kCounterCount];

constexpr int32_t kEncoderHandle = 0x5A5A;

}  // namespace

// Log family: QMOutput is missing.
ENGINE_API int32_t QMLogInit() { return 1; }
ENGINE_API void QMLog() {}

// Decoder manager: start (ordinal 30) and stop (ordinal 31) counted; QVDCreate is missing.
ENGINE_API void ordinal_30() { ++g_counts[kDecoderStart]; }
ENGINE_API void ordinal_31() { ++g_counts[kDecoderStop]; }
ENGINE_API void QVDDestroy() {}

// Encoder manager: start (ordinal 5) returns an engine handle; stop (ordinal 6).
ENGINE_API int32_t ordinal_5() {
  ++g_counts[kEncoderStart];
  return kEncoderHandle;
}
ENGINE_API void ordinal_6() { ++g_counts[kEncoderStop]; }

// Converter: QEStart and QESetOutputFile are missing.
ENGINE_API int32_t QEPause() { return 7; }
ENGINE_API int32_t QEEnablePreview() { return -1; }

// Player: VPGetMovieLength is missing.
ENGINE_API double VPGetPlayedTime() { return 12.5; }

// Burner: QmBurn_Erase is missing.
ENGINE_API int32_t QmBurn_Eject() { return 0; }

// How often a counted entry ran: "ordinal_30", "ordinal_31", "ordinal_5" or "ordinal_6"; -1
// for any other name.
ENGINE_API int32_t TestPartialCallCount(const char* entry) {
  static constexpr const char* kNames[kCounterCount] = {"ordinal_30", "ordinal_31", "ordinal_5", "ordinal_6"};
  for (int i = 0; i < kCounterCount; ++i) {
    if (entry && std::strcmp(entry, kNames[i]) == 0) return g_counts[i].load();
  }
  return -1;
}

ENGINE_API void TestPartialResetCounts() {
  for (auto& count : g_counts) count = 0;
}

// Player views and frame views: VPCreateView is present but VPCreateViewEx is not, so the
// view wrapper falls back to the older entry. VPCreate, EVCreate and VPGetCropRect are
// missing: a media player made over this library has no engine player.
ENGINE_API uintptr_t VPCreateView() { return 0x3301; }
ENGINE_API int32_t VPSetVolume() { return 150; }
ENGINE_API int32_t EVShowYUVImage() { return 2; }

// ---- Image engine: DICreate, DIDestroy and DIGetWidth present; DICopyImage, DILoadImage32B,
// DIGetHeight, DIGetBits and DIGetBitmapInfo missing. Text art: GenerateNormalTextEx missing.

namespace {

std::atomic<int> g_imagesCreated{0};
std::atomic<int> g_imagesDestroyed{0};

}  // namespace

ENGINE_API uintptr_t DICreate() {
  ++g_imagesCreated;
  return 0x1D1D;
}
ENGINE_API void DIDestroy(uintptr_t) { ++g_imagesDestroyed; }
ENGINE_API int32_t DIGetWidth(uintptr_t) { return 64; }

// How often DICreate or DIDestroy ran since the library was loaded; -1 for any other name.
ENGINE_API int32_t TestPartialImageCallCount(const char* entry) {
  if (entry && std::strcmp(entry, "DICreate") == 0) return g_imagesCreated.load();
  if (entry && std::strcmp(entry, "DIDestroy") == 0) return g_imagesDestroyed.load();
  return -1;
}
