#pragma once

// The burning engine's binding ("QmBurn.dll"). Every entry returns 0 for success or an
// engine error code; every wrapper returns 1 when its entry is missing. Texts are narrow
// (UTF-8) and zero-terminated; a drive is named as the burner engine lists it ("D:"). The
// wrappers are called from the burn threads.

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

  enum Entry : size_t {
    kGetImageVolumeName, kEject, kLoad, kGetDeviceInformation, kGetDiscInformation, kGetDVDVideoSize,
    kGetDeviceCapabilities, kGetDiscSpace, kErase, kFromTreeToImage, kFromTreeToDisc, kFromImageToDisc,
    kEntryCount
  };
};
