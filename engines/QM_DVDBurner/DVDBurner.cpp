#include "engines/QM_DVDBurner/DVDBurner.h"

#include <libburn/libburn.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>

#include "engines/DiscTools/BurnDrives.h"
#include "engines/common/EngineGuard.h"
#include "engines/common/EngineHandles.h"
#include "engines/common/JobThreads.h"
#include "engines/common/WindowPoster.h"
#include "platform/kernel/Unicode.h"

namespace {

std::atomic<uintptr_t> messageWindow{0};

// Names handed out stay valid for the life of the process: callers keep the pointer.
std::mutex namesLock;
std::deque<std::u16string> names;

const char16_t* KeepName(std::u16string name) {
  std::lock_guard guard(namesLock);
  for (const auto& kept : names)
    if (kept == name) return kept.c_str();
  names.push_back(std::move(name));
  return names.back().c_str();
}

void Post(uint32_t event, intptr_t lParam) {
  engines::PostToWindow(messageWindow.load(), WM_DVDBURNER_EVENT, event, lParam);
}

// The drive scans and disc checks still running; unloading the library waits for them.
// Declared after everything they use, so it is destroyed first.
engines::JobThreads jobs;

int32_t CheckDisc(const disctools::DriveEntry& entry) {
  disctools::GrabbedDrive drive(entry);
  if (!drive.ok()) return BN_DISC_NO_DRIVE;
  const disctools::DiscState state = drive.Probe();
  if (state.status == disctools::DiscStatus::NoDisc) return BN_DISC_NONE;
  if (!state.isDvd) return BN_DISC_NOT_DVD;
  if (state.status != disctools::DiscStatus::Blank && !state.erasable) return BN_DISC_NOT_ERASABLE;
  const int64_t room = state.erasable ? state.capacity : state.free;
  if (room <= 1000000000) return BN_DISC_TOO_SMALL;
  return BN_DISC_USABLE;
}

}  // namespace

ENGINE_API void BNRegisterMsgHwnd(uintptr_t window) { messageWindow.store(window); }

ENGINE_API int32_t BNCheckBurnEngineVersion() {
  int major = 0, minor = 0, micro = 0;
  burn::burn_version(&major, &minor, &micro);
  return major >= 1 ? 1 : 0;
}

ENGINE_API int32_t BNCheckBurnDriver() {
  return engines::Guarded("BNCheckBurnDriver", static_cast<int32_t>(0), [&]() -> int32_t {
    jobs.Start([] {
      engines::Guarded("BNCheckBurnDriver: drive scan", [] { disctools::ListDrives(true); });
      Post(BN_EVENT_DRIVE_LIST, 0);
    });
    return 1;
  });
}

ENGINE_API int32_t BNGetBurnDriverCount() {
  return engines::Guarded("BNGetBurnDriverCount", static_cast<int32_t>(0), [&]() -> int32_t {
    return static_cast<int32_t>(disctools::ListDrives(false).size());
  });
}

ENGINE_API const char16_t* BNGetBurnDriverName(int32_t index) {
  return engines::Guarded("BNGetBurnDriverName", static_cast<const char16_t*>(nullptr), [&]() -> const char16_t* {
    const auto drives = disctools::ListDrives(false);
    if (index < 0 || index >= static_cast<int32_t>(drives.size())) return nullptr;
    return KeepName(platform::Utf8ToUtf16(drives[static_cast<size_t>(index)].DisplayName()));
  });
}

ENGINE_API int32_t BNGetDriveDevice(int32_t index, char16_t* buffer, int32_t capacity) {
  return engines::Guarded("BNGetDriveDevice", static_cast<int32_t>(0), [&]() -> int32_t {
    const auto drives = disctools::ListDrives(false);
    if (index < 0 || index >= static_cast<int32_t>(drives.size())) return engines::CopyText(u"", buffer, capacity);
    return engines::CopyText(platform::Utf8ToUtf16(drives[static_cast<size_t>(index)].device), buffer, capacity);
  });
}

ENGINE_API int32_t BNGetDiskInfo(int32_t index) {
  return engines::Guarded("BNGetDiskInfo", static_cast<int32_t>(0), [&]() -> int32_t {
    jobs.Start([index] {
      const int32_t reason = engines::Guarded("BNGetDiskInfo: disc check", int32_t(BN_DISC_NO_DRIVE), [&] {
        const auto drives = disctools::ListDrives(false);
        if (index < 0 || index >= static_cast<int32_t>(drives.size())) return int32_t(BN_DISC_NO_DRIVE);
        return CheckDisc(drives[static_cast<size_t>(index)]);
      });
      Post(BN_EVENT_DISC_INFO, reason);
    });
    return 1;
  });
}
