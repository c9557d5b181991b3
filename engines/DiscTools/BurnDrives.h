#pragma once

// The disc drives the burner offers, over libburn: the real drives libburn finds, plus test
// drives named by the environment variable BRANTWELL_TEST_DRIVES ("path1;path2"), which are
// libburn "stdio:" pseudo-drives that burn into a file as a drive would. Each drive gets a
// letter from D on, in the order of the device paths, so that the same drives always get the
// same letters; the letter maps back to the device. Any thread; libburn calls are serialised
// by one lock inside this unit (hold a GrabbedDrive only on one thread at a time).

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace disctools {

struct DriveEntry {
  char letter = 0;     // 'D', 'E', ...
  std::string device;  // "/dev/sr0", or "stdio:/path/file" for a test drive
  std::string vendor;
  std::string product;
  bool testDrive = false;
  std::string DisplayName() const;  // "D: vendor product (/dev/sr0)"
};

// Single-layer DVD capacity: 2,295,104 sectors of 2048 bytes. libburn reports the host's
// free space for a pseudo-drive, so its capacity is capped to this.
constexpr int64_t kSingleLayerDvdBytes = 2295104LL * 2048;

// Scans (or, with rescan false, returns the last scan). Sorted by device path, lettered.
std::vector<DriveEntry> ListDrives(bool rescan);

// "D:", "d", "D:\" ... -> the drive of that letter in the current list (scanned if needed).
std::optional<DriveEntry> FindDrive(const std::string& driveText);

enum class DiscStatus { NoDisc, Blank, HasData, Unknown };

struct DiscState {
  DiscStatus status = DiscStatus::NoDisc;
  bool erasable = false;
  bool isDvd = false;
  int profile = 0;
  std::string profileName;
  int64_t capacity = 0;  // bytes the medium holds in all
  int64_t used = 0;      // bytes already written
  int64_t free = 0;      // bytes still writable without erasing
};

// One drive held by us for the duration of an operation (libburn "grabbed").
class GrabbedDrive {
 public:
  // Grabs the drive; on failure error() says why and drive() is null.
  explicit GrabbedDrive(const DriveEntry& entry);
  ~GrabbedDrive();
  GrabbedDrive(const GrabbedDrive&) = delete;
  GrabbedDrive& operator=(const GrabbedDrive&) = delete;

  bool ok() const { return m_drive != nullptr; }
  const std::string& error() const { return m_error; }
  const DriveEntry& entry() const { return m_entry; }
  void* drive() const { return m_drive; }  // struct burn_drive*

  DiscState Probe();
  // Erases the disc (a test drive: its file is emptied). Blocks; polls `cancel`.
  std::string Erase(const std::atomic<bool>* cancel);
  // Writes an image file as one data track. progress(doneBytes, totalBytes) is called from
  // this thread while it writes. Blocks until done; a set `cancel` stops the drive.
  std::string WriteImage(const std::string& imagePath, const std::atomic<bool>* cancel,
                         const std::function<void(int64_t, int64_t)>& progress);
  // Writes `bytes` read from `fd` (the read end of a pipe fed by a tool as it makes the
  // image) as one data track, through a buffer of libburn's. Takes `fd` over and closes it
  // before returning, so a writer still feeding it ends with a broken pipe. A stream that
  // ends before `bytes` is a failure. `bytesRead` (optional) gets what was read of it.
  std::string WriteStream(int fd, int64_t bytes, const std::atomic<bool>* cancel,
                          const std::function<void(int64_t, int64_t)>& progress, int64_t* bytesRead = nullptr);
  void EjectOnRelease() { m_eject = true; }

 private:
  // Checks the disc against `bytes`, then burns `source` (a struct burn_source*, of which
  // it takes one reference) as one data track.
  std::string WriteSource(void* source, int64_t bytes, const std::atomic<bool>* cancel,
                          const std::function<void(int64_t, int64_t)>& progress, int64_t* bytesRead);

  DriveEntry m_entry;
  void* m_infos = nullptr;  // struct burn_drive_info*
  void* m_drive = nullptr;
  std::string m_error;
  bool m_eject = false;
};

}  // namespace disctools
