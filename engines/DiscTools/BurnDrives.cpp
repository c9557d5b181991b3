#include "engines/DiscTools/BurnDrives.h"

#include <libburn/libburn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>

using namespace burn;

namespace disctools {
namespace {

// libburn keeps process-wide drive state; every call into it goes through this lock.
std::mutex& LibburnLock() {
  static std::mutex lock;
  return lock;
}

std::vector<DriveEntry>& CachedDrives() {
  static std::vector<DriveEntry> drives;
  return drives;
}
bool scanned = false;

void EnsureLibburn() {
  static const bool ready = [] {
    const int ok = burn_initialize();
    // libburn's own messages stay in its queue; we report failures ourselves.
    burn_msgs_set_severities(const_cast<char*>("NEVER"), const_cast<char*>("NEVER"), const_cast<char*>("brantwell"));
    return ok != 0;
  }();
  (void)ready;
}

std::string Trim(const char* text) {
  std::string s(text);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.erase(0, 1);
  return s;
}

std::vector<std::string> TestDrivePaths() {
  std::vector<std::string> paths;
  const char* value = std::getenv("BRANTWELL_TEST_DRIVES");
  if (!value) return paths;
  std::string list(value);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    const std::string path = Trim(list.substr(start, end - start).c_str());
    if (!path.empty()) paths.push_back(path);
    start = end + 1;
  }
  return paths;
}

std::vector<DriveEntry> Scan() {
  EnsureLibburn();
  std::vector<DriveEntry> drives;
  // Real drives are looked for unless the test settings say there are none to look for.
  const char* scanReal = std::getenv("BRANTWELL_SCAN_REAL_DRIVES");
  if (!scanReal || std::string(scanReal) != "0") {
    burn_drive_info* infos = nullptr;
    unsigned int count = 0;
    int state = 0;
    for (int attempt = 0; attempt < 1000 && (state = burn_drive_scan(&infos, &count)) == 0; ++attempt) usleep(10000);
    if (state > 0 && infos) {
      for (unsigned int i = 0; i < count; ++i) {
        char address[BURN_DRIVE_ADR_LEN] = {};
        if (burn_drive_get_adr(&infos[i], address) <= 0) continue;
        DriveEntry entry;
        entry.device = address;
        entry.vendor = Trim(infos[i].vendor);
        entry.product = Trim(infos[i].product);
        drives.push_back(entry);
      }
      burn_drive_info_free(infos);
    }
  }
  for (const std::string& path : TestDrivePaths()) {
    DriveEntry entry;
    entry.device = "stdio:" + path;
    entry.vendor = "Test";
    entry.product = "file drive";
    entry.testDrive = true;
    drives.push_back(entry);
  }
  std::sort(drives.begin(), drives.end(), [](const DriveEntry& a, const DriveEntry& b) { return a.device < b.device; });
  drives.erase(std::unique(drives.begin(), drives.end(),
                           [](const DriveEntry& a, const DriveEntry& b) { return a.device == b.device; }),
               drives.end());
  // Letters D to Z: 23 drives at most.
  if (drives.size() > 23) drives.resize(23);
  for (size_t i = 0; i < drives.size(); ++i) drives[i].letter = static_cast<char>('D' + i);
  return drives;
}

int64_t FileSize(const std::string& path) {
  struct stat info{};
  return stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
}

// Waits until the drive is idle again, polling the cancel flag and reporting progress.
bool WaitIdle(burn_drive* drive, const std::atomic<bool>* cancel,
              const std::function<void(const burn_progress&)>& onProgress) {
  bool cancelled = false;
  burn_progress progress{};
  while (burn_drive_get_status(drive, &progress) == BURN_DRIVE_SPAWNING) usleep(1000);
  while (burn_drive_get_status(drive, &progress) != BURN_DRIVE_IDLE) {
    if (cancel && cancel->load() && !cancelled) {
      cancelled = true;
      burn_drive_cancel(drive);
    }
    if (onProgress) onProgress(progress);
    usleep(50000);
  }
  return !cancelled;
}

}  // namespace

std::string DriveEntry::DisplayName() const {
  std::string name = std::string(1, letter) + ": " + vendor;
  if (!product.empty()) name += " " + product;
  return name + " (" + (testDrive ? device.substr(6) : device) + ")";
}

std::vector<DriveEntry> ListDrives(bool rescan) {
  std::lock_guard lock(LibburnLock());
  if (rescan || !scanned) {
    CachedDrives() = Scan();
    scanned = true;
  }
  return CachedDrives();
}

std::optional<DriveEntry> FindDrive(const std::string& driveText) {
  std::string text = Trim(driveText.c_str());
  if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return std::nullopt;
  if (text.size() > 1 && text[1] != ':') return std::nullopt;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  for (const DriveEntry& entry : ListDrives(false))
    if (entry.letter == letter) return entry;
  return std::nullopt;
}

GrabbedDrive::GrabbedDrive(const DriveEntry& entry) : m_entry(entry) {
  std::lock_guard lock(LibburnLock());
  EnsureLibburn();
  burn_drive_info* infos = nullptr;
  std::string address = entry.device;
  const int result = burn_drive_scan_and_grab(&infos, address.data(), 1);
  if (result != 1 || !infos) {
    m_error = "cannot open the drive " + entry.DisplayName();
    if (infos) burn_drive_info_free(infos);
    return;
  }
  m_infos = infos;
  m_drive = infos[0].drive;
}

GrabbedDrive::~GrabbedDrive() {
  std::lock_guard lock(LibburnLock());
  if (m_drive) burn_drive_release(static_cast<burn_drive*>(m_drive), m_eject && !m_entry.testDrive ? 1 : 0);
  if (m_infos) burn_drive_info_free(static_cast<burn_drive_info*>(m_infos));
}

DiscState GrabbedDrive::Probe() {
  DiscState state;
  if (!m_drive) return state;
  std::lock_guard lock(LibburnLock());
  auto* drive = static_cast<burn_drive*>(m_drive);
  char name[80] = {};
  burn_disc_get_profile(drive, &state.profile, name);
  state.profileName = name;
  if (m_entry.testDrive) {
    // A test drive behaves as a rewritable DVD: an empty file is a blank disc, a file with
    // content a disc holding data that can be erased.
    const int64_t size = FileSize(m_entry.device.substr(6));
    const int64_t hostFree = burn_disc_available_space(drive, nullptr);
    state.isDvd = true;
    state.capacity = std::min<int64_t>(kSingleLayerDvdBytes, size + std::max<int64_t>(hostFree, 0));
    state.used = std::min(size, state.capacity);
    state.status = size > 0 ? DiscStatus::HasData : DiscStatus::Blank;
    state.erasable = true;
    state.free = size > 0 ? 0 : state.capacity;
    return state;
  }
  switch (burn_disc_get_status(drive)) {
    case BURN_DISC_BLANK: state.status = DiscStatus::Blank; break;
    case BURN_DISC_APPENDABLE:
    case BURN_DISC_FULL: state.status = DiscStatus::HasData; break;
    case BURN_DISC_EMPTY: state.status = DiscStatus::NoDisc; return state;
    default: state.status = DiscStatus::Unknown; break;
  }
  state.isDvd = state.profile >= 0x10 && state.profile <= 0x2b;
  state.erasable = burn_disc_erasable(drive) != 0;
  state.free = std::max<int64_t>(burn_disc_available_space(drive, nullptr), 0);
  // The used part is what the free space leaves of the medium's size; with no better figure
  // from the drive, a DVD is taken as single layer unless it reports more room.
  state.capacity = std::max<int64_t>(state.free, kSingleLayerDvdBytes);
  state.used = state.status == DiscStatus::HasData ? state.capacity - state.free : 0;
  return state;
}

std::string GrabbedDrive::Erase(const std::atomic<bool>* cancel) {
  if (!m_drive) return m_error;
  if (m_entry.testDrive) {
    if (truncate(m_entry.device.substr(6).c_str(), 0) != 0 && FileSize(m_entry.device.substr(6)) != 0)
      return "cannot erase the test drive " + m_entry.DisplayName();
    return {};
  }
  auto* drive = static_cast<burn_drive*>(m_drive);
  {
    std::lock_guard lock(LibburnLock());
    if (burn_disc_erasable(drive) == 0) return "the disc in " + m_entry.DisplayName() + " cannot be erased";
    burn_disc_erase(drive, 1);
  }
  if (!WaitIdle(drive, cancel, {})) return "erasing was cancelled";
  std::lock_guard lock(LibburnLock());
  if (burn_drive_wrote_well(drive) == 0) return "erasing the disc in " + m_entry.DisplayName() + " failed";
  return {};
}

std::string GrabbedDrive::WriteImage(const std::string& imagePath, const std::atomic<bool>* cancel,
                                     const std::function<void(int64_t, int64_t)>& progress) {
  if (!m_drive) return m_error;
  const int64_t imageBytes = FileSize(imagePath);
  if (imageBytes <= 0) return "the image '" + imagePath + "' is empty or missing";
  burn_source* source = nullptr;
  {
    std::lock_guard lock(LibburnLock());
    source = burn_file_source_new(imagePath.c_str(), nullptr);
  }
  if (!source) return "cannot read the image '" + imagePath + "'";
  return WriteSource(source, imageBytes, cancel, progress, nullptr);
}

std::string GrabbedDrive::WriteStream(int fd, int64_t bytes, const std::atomic<bool>* cancel,
                                      const std::function<void(int64_t, int64_t)>& progress, int64_t* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  burn_source* source = nullptr;
  if (m_drive && bytes > 0) {
    std::lock_guard lock(LibburnLock());
    // The descriptor source closes the descriptor when it is freed.
    burn_source* pipe = burn_fd_source_new(fd, -1, bytes);
    if (pipe) {
      // 8 MiB of buffer between the tool and the drive, so that a pause of the tool does not
      // starve the drive at once.
      source = burn_fifo_source_new(pipe, 2048, 4096, 1);
      burn_source_free(pipe);
      if (!source) return "cannot set up the buffer for the image stream";
    }
  }
  if (!source) {
    close(fd);
    if (!m_drive) return m_error;
    return bytes > 0 ? "cannot read the image stream" : "the image stream is empty";
  }
  return WriteSource(source, bytes, cancel, progress, bytesRead);
}

std::string GrabbedDrive::WriteSource(void* sourcePointer, int64_t bytes, const std::atomic<bool>* cancel,
                                      const std::function<void(int64_t, int64_t)>& progress, int64_t* bytesRead) {
  struct Parts {
    burn_source* source = nullptr;
    burn_disc* disc = nullptr;
    burn_session* session = nullptr;
    burn_track* track = nullptr;
    burn_write_opts* options = nullptr;
    ~Parts() {
      std::lock_guard lock(LibburnLock());
      if (options) burn_write_opts_free(options);
      if (track) burn_track_free(track);
      if (session) burn_session_free(session);
      if (disc) burn_disc_free(disc);
      if (source) burn_source_free(source);
    }
  } parts;
  parts.source = static_cast<burn_source*>(sourcePointer);
  auto* drive = static_cast<burn_drive*>(m_drive);
  const DiscState state = Probe();
  if (state.status == DiscStatus::NoDisc) return "no disc in " + m_entry.DisplayName();
  if (!state.isDvd) return "the disc in " + m_entry.DisplayName() + " is not a DVD";
  if (state.status != DiscStatus::Blank) return "the disc in " + m_entry.DisplayName() + " holds data; erase it first";
  if (bytes > state.capacity)
    return "the image needs " + std::to_string(bytes) + " bytes, the disc holds " + std::to_string(state.capacity);

  {
    std::lock_guard lock(LibburnLock());
    parts.disc = burn_disc_create();
    parts.session = burn_session_create();
    burn_disc_add_session(parts.disc, parts.session, BURN_POS_END);
    parts.track = burn_track_create();
    burn_track_define_data(parts.track, 0, 0, 0, BURN_MODE1);
    if (burn_track_set_source(parts.track, parts.source) != BURN_SOURCE_OK) return "cannot use the image as a track";
    burn_session_add_track(parts.session, parts.track, BURN_POS_END);
    parts.options = burn_write_opts_new(drive);
    char reasons[BURN_REASONS_LEN] = {};
    if (burn_write_opts_auto_write_type(parts.options, parts.disc, reasons, 0) == BURN_WRITE_NONE)
      return std::string("the drive cannot write this disc: ") + reasons;
    burn_write_opts_set_underrun_proof(parts.options, 1);
    burn_disc_write(parts.options, parts.disc);
  }
  const bool finished = WaitIdle(drive, cancel, [&](const burn_progress& p) {
    if (progress && p.sectors > 0) progress(int64_t(p.sector) * 2048, int64_t(p.sectors) * 2048);
  });
  if (!finished) return "burning was cancelled; the disc is incomplete";
  std::lock_guard lock(LibburnLock());
  off_t read = 0, written = 0;
  burn_track_get_counters(parts.track, &read, &written);
  if (bytesRead) *bytesRead = read;
  // libburn pads a track whose source ends early; a disc cut short is no success.
  if (read < bytes)
    return "the image ended after " + std::to_string(read) + " of " + std::to_string(bytes) + " bytes";
  if (burn_drive_wrote_well(drive) == 0) return "burning to " + m_entry.DisplayName() + " failed";
  if (progress) progress(bytes, bytes);
  return {};
}

}  // namespace disctools
