#pragma once

// The burning engine's binding ("QmBurn.dll"). Every operation returns 0 for success or an
// engine error code, and its wrapper returns 1 when its entry is missing; QmBurn_GetLastError
// then gives the engine's reason, which it keeps per thread, so it is read on the thread that
// made the failing call. Texts are narrow (UTF-8) and zero-terminated; a drive is named as
// the burner engine lists it ("D:"). The wrappers are called from the burn threads.

#include "program/engine/EngineLibrary.h"

// Progress of a burn: (event, user data, total, done); event 12 reports done of total bytes.
using TBurnCallback = int32_t (*)(int32_t event, void* userData, int64_t* total, int64_t* done);

class TBurnerLibrary : public TEngineLibrary {
 public:
  explicit TBurnerLibrary(AnsiString libraryName = "QmBurn.dll");
  ~TBurnerLibrary() override = default;

  int32_t QmBurn_Eject(const char* drive) const;
  int32_t QmBurn_Erase(const char* drive) const;
  int32_t QmBurn_FromTreeToDisc(const char* sourceFolder, const char* drive, const char* volumeLabel,
                                TBurnCallback callback, void* userData) const;
  int32_t QmBurn_FromTreeToImage(const char* sourceFolder, const char* imagePath, const char* volumeLabel,
                                 TBurnCallback callback, void* userData) const;
  int32_t QmBurn_GetDiscInformation(const char* drive, void* information) const;
  int32_t QmBurn_GetDiscSpace(const char* drive, void* space) const;
  // Stops the operation running on a drive ("D:") or image file; it then answers the engine's
  // cancelled code. Any thread. 1 when the entry is missing.
  int32_t QmBurn_Cancel(const char* driveOrImageFile) const;
  // The engine's text for the calling thread's last failure, copied into buffer (capacity
  // bytes, zero-terminated, cut when short); answers the text's full length in bytes, 0 when
  // the entry is missing.
  int32_t QmBurn_GetLastError(char* buffer, int32_t capacity) const;

  enum Entry : size_t {
    kGetImageVolumeName, kEject, kLoad, kGetDeviceInformation, kGetDiscInformation, kGetDVDVideoSize,
    kGetDeviceCapabilities, kGetDiscSpace, kErase, kFromTreeToImage, kFromTreeToDisc, kFromImageToDisc,
    kGetLastError, kCancel, kEntryCount
  };
};
