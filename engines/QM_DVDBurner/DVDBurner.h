#pragma once

// QM_DVDBurner.so: the burner drives as the main window and the job window see them. The
// drive list (each drive named by a letter from D on, stable in device-path order: "D: vendor
// product (/dev/sr0)"), the asynchronous disc check, and the window that receives the
// engine's messages. Test drives are libburn "stdio:" files named in BRANTWELL_TEST_DRIVES
// ("path1;path2"); BRANTWELL_SCAN_REAL_DRIVES=0 leaves the real drives out.
//
//   BNRegisterMsgHwnd(window)        the window for WM_DVDBURNER_EVENT (0: none)
//   BNCheckBurnEngineVersion() -> 1  when libburn is usable
//   BNCheckBurnDriver() -> 1         looks for drives again on a thread of its own, then posts
//                                    BN_EVENT_DRIVE_LIST
//   BNGetBurnDriverCount() -> count  (looks for drives first if it never did)
//   BNGetBurnDriverName(index)       the drive's name, UTF-16, owned by the engine and valid
//                                    until the process ends; null for a bad index
//   BNGetDriveDevice(index, buffer, capacity) -> length
//                                    the device behind a drive ("/dev/sr0", "stdio:/file")
//   BNGetDiskInfo(index) -> 1        checks the disc on a thread of its own and posts
//                                    BN_EVENT_DISC_INFO with lParam 0 when the disc is usable
//                                    (a DVD, blank or erasable, and holding more than
//                                    1,000,000,000 bytes) or a BN_DISC_* reason
//
// WM_DVDBURNER_EVENT (WM_USER+1701): the low byte of wParam is the BN_EVENT_* code.

#include <cstdint>

#include "engines/common/EngineApi.h"

constexpr uint32_t WM_DVDBURNER_EVENT = 0x0400 + 1701;

enum BNEvent : uint32_t {
  BN_EVENT_DRIVE_LIST = 0,
  BN_EVENT_ISO_WRITTEN = 3,  // reserved for the job window; this engine never burns by itself
  BN_EVENT_DISC_BURNT = 4,
  BN_EVENT_DISC_INFO = 8,
};

enum BNDiscReason : int32_t {
  BN_DISC_USABLE = 0,
  BN_DISC_NO_DRIVE = 1,
  BN_DISC_NONE = 2,
  BN_DISC_NOT_DVD = 3,
  BN_DISC_NOT_ERASABLE = 4,  // holds data that cannot be erased
  BN_DISC_TOO_SMALL = 5,
};

ENGINE_API void BNRegisterMsgHwnd(uintptr_t window);
ENGINE_API int32_t BNCheckBurnEngineVersion();
ENGINE_API int32_t BNCheckBurnDriver();
ENGINE_API int32_t BNGetBurnDriverCount();
ENGINE_API const char16_t* BNGetBurnDriverName(int32_t index);
ENGINE_API int32_t BNGetDriveDevice(int32_t index, char16_t* buffer, int32_t capacity);
ENGINE_API int32_t BNGetDiskInfo(int32_t index);
