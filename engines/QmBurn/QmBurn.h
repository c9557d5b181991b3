#pragma once

// QmBurn.so: disc work for the output job. Writes a DVD-Video folder into an ISO image
// (genisoimage with the UDF bridge players need, then checked with libdvdread), burns a
// folder to a disc (genisoimage's image streamed through a pipe into libburn as one track, so
// no image file is written anywhere; the disc is then read back with libdvdread and must be
// the folder's DVD), erases and ejects discs, and reports a disc's state and
// space.
//
// Drives are named by letter and colon ("D:"), as the burner engine QM_DVDBurner lists them;
// paths and labels are UTF-8. Every entry answers 0 on success or a QMBURN_ERR_* code; the
// long ones block the calling thread and call the progress callback on it with event 12,
// Total and Done in hundredths of a percent (Total is 10000, Done never above it). The
// callback's answer is ignored. QmBurn_GetLastError gives the calling thread's last failure
// as text. Any thread; one operation per drive or image at a time.
//
//   QmBurn_GetDiscInformation(drive, info)   info: the 33-byte QmBurnDiscInfo
//   QmBurn_GetDiscSpace(drive, space)        space: the 24-byte QmBurnDiscSpace
//   QmBurn_Erase(drive)
//   QmBurn_Eject(drive)
//   QmBurn_FromTreeToImage(folder, imageFile, label, callback, userData)
//   QmBurn_FromTreeToDisc(folder, drive, label, callback, userData)
//   QmBurn_FromImageToDisc(imageFile, drive, callback, userData)
//   QmBurn_Cancel(driveOrImageFile)          stops the running operation on it; it then
//                                            answers QMBURN_ERR_CANCELLED (an image being
//                                            written is removed)
//   QmBurn_GetLastError(buffer, capacity) -> length (UTF-8, zero-terminated)

#include <cstddef>
#include <cstdint>

#include "engines/common/EngineApi.h"

enum QmBurnError : int32_t {
  QMBURN_OK = 0,
  QMBURN_ERR_ARGUMENT = 2,    // a missing or unusable argument
  QMBURN_ERR_NO_DRIVE = 3,    // no drive has that letter
  QMBURN_ERR_NO_DISC = 4,
  QMBURN_ERR_NOT_DVD = 5,
  QMBURN_ERR_NOT_BLANK = 6,   // the disc holds data; erase it first
  QMBURN_ERR_TOO_SMALL = 7,   // the image does not fit on the disc
  QMBURN_ERR_SOURCE = 8,      // the folder is not a sound DVD-Video folder
  QMBURN_ERR_IMAGE = 9,       // the image could not be made or read back
  QMBURN_ERR_WRITE = 10,      // the drive failed to write or erase
  QMBURN_ERR_CANCELLED = 11,
  QMBURN_ERR_NOT_ERASABLE = 12,
  QMBURN_ERR_INTERNAL = 13,
};

constexpr int32_t QMBURN_EVENT_PROGRESS = 12;
constexpr int64_t QMBURN_PROGRESS_TOTAL = 10000;

// Progress callback: (event, user data, &total, &done); answers are ignored.
using QmBurnProgress = int32_t (*)(int32_t event, void* userData, int64_t* total, int64_t* done);

enum QmBurnDiscStatus : uint8_t { QMBURN_DISC_NONE = 0, QMBURN_DISC_BLANK = 1, QMBURN_DISC_HAS_DATA = 2, QMBURN_DISC_UNKNOWN = 3 };

#pragma pack(push, 1)
struct QmBurnDiscInfo {
  uint8_t present;    // 0: a disc is in the drive
  uint8_t status;     // 1: QmBurnDiscStatus
  uint8_t isDvd;      // 2
  uint8_t erasable;   // 3
  int32_t profile;    // 4: the drive's media profile number
  int64_t capacity;   // 8: bytes (a single-layer DVD at most for a test drive)
  int64_t used;       // 16
  int64_t free;       // 24
  uint8_t testDrive;  // 32
};
#pragma pack(pop)
static_assert(sizeof(QmBurnDiscInfo) == 33);
static_assert(offsetof(QmBurnDiscInfo, status) == 1 && offsetof(QmBurnDiscInfo, erasable) == 3);

struct QmBurnDiscSpace {
  int64_t freeSpace;       // 0: writable without erasing
  int64_t usedSpace;       // 8
  int64_t availableSpace;  // 16: what a job can use, after erasing when the disc can be erased
};
static_assert(sizeof(QmBurnDiscSpace) == 24);

ENGINE_API int32_t QmBurn_GetDiscInformation(const char* drive, void* info);
ENGINE_API int32_t QmBurn_GetDiscSpace(const char* drive, void* space);
ENGINE_API int32_t QmBurn_Erase(const char* drive);
ENGINE_API int32_t QmBurn_Eject(const char* drive);
ENGINE_API int32_t QmBurn_FromTreeToImage(const char* folder, const char* imageFile, const char* label,
                                          QmBurnProgress callback, void* userData);
ENGINE_API int32_t QmBurn_FromTreeToDisc(const char* folder, const char* drive, const char* label,
                                         QmBurnProgress callback, void* userData);
ENGINE_API int32_t QmBurn_FromImageToDisc(const char* imageFile, const char* drive, QmBurnProgress callback,
                                          void* userData);
ENGINE_API int32_t QmBurn_Cancel(const char* driveOrImageFile);
ENGINE_API int32_t QmBurn_GetLastError(char* buffer, int32_t capacity);
