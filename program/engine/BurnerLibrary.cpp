#include "program/engine/BurnerLibrary.h"

namespace {

constexpr int32_t kMissing = 1;
using DriveFunction = int32_t (*)(const char*);
using DriveBlockFunction = int32_t (*)(const char*, void*);
using TextFunction = int32_t (*)(char*, int32_t);
using TreeFunction = int32_t (*)(const char*, const char*, const char*, TBurnCallback, void*);

}  // namespace

TBurnerLibrary::TBurnerLibrary(AnsiString libraryName)
    : TEngineLibrary(std::move(libraryName),
                     {ByName("QmBurn_GetImageVolumeName"), ByName("QmBurn_Eject"), ByName("QmBurn_Load"),
                      ByName("QmBurn_GetDeviceInformation"), ByName("QmBurn_GetDiscInformation"),
                      ByName("QmBurn_GetDVDVideoSize"), ByName("QmBurn_GetDeviceCapabilities"),
                      ByName("QmBurn_GetDiscSpace"), ByName("QmBurn_Erase"), ByName("QmBurn_FromTreeToImage"),
                      ByName("QmBurn_FromTreeToDisc"), ByName("QmBurn_FromImageToDisc"),
                      ByName("QmBurn_GetLastError"), ByName("QmBurn_Cancel")}) {}

int32_t TBurnerLibrary::QmBurn_Eject(const char* drive) const {
  auto entry = EntryAs<DriveFunction>(kEject);
  return entry ? entry(drive) : kMissing;
}

int32_t TBurnerLibrary::QmBurn_Erase(const char* drive) const {
  auto entry = EntryAs<DriveFunction>(kErase);
  return entry ? entry(drive) : kMissing;
}

int32_t TBurnerLibrary::QmBurn_FromTreeToDisc(const char* sourceFolder, const char* drive, const char* volumeLabel,
                                              TBurnCallback callback, void* userData) const {
  auto entry = EntryAs<TreeFunction>(kFromTreeToDisc);
  return entry ? entry(sourceFolder, drive, volumeLabel, callback, userData) : kMissing;
}

int32_t TBurnerLibrary::QmBurn_FromTreeToImage(const char* sourceFolder, const char* imagePath,
                                               const char* volumeLabel, TBurnCallback callback,
                                               void* userData) const {
  auto entry = EntryAs<TreeFunction>(kFromTreeToImage);
  return entry ? entry(sourceFolder, imagePath, volumeLabel, callback, userData) : kMissing;
}

int32_t TBurnerLibrary::QmBurn_GetDiscInformation(const char* drive, void* information) const {
  auto entry = EntryAs<DriveBlockFunction>(kGetDiscInformation);
  return entry ? entry(drive, information) : kMissing;
}

int32_t TBurnerLibrary::QmBurn_GetDiscSpace(const char* drive, void* space) const {
  auto entry = EntryAs<DriveBlockFunction>(kGetDiscSpace);
  return entry ? entry(drive, space) : kMissing;
}

int32_t TBurnerLibrary::QmBurn_Cancel(const char* driveOrImageFile) const {
  auto entry = EntryAs<DriveFunction>(kCancel);
  return entry ? entry(driveOrImageFile) : kMissing;
}

int32_t TBurnerLibrary::QmBurn_GetLastError(char* buffer, int32_t capacity) const {
  auto entry = EntryAs<TextFunction>(kGetLastError);
  return entry ? entry(buffer, capacity) : 0;
}
