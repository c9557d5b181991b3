#include "engines/QmBurn/QmBurn.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "engines/DiscTools/BurnDrives.h"
#include "engines/DiscTools/ChildProcess.h"
#include "engines/DiscTools/DvdVerifier.h"

namespace fs = std::filesystem;

namespace {

thread_local std::string lastError;

struct Failure {
  int32_t code;
  std::string text;
};

int32_t Report(const Failure& failure) {
  lastError = failure.text;
  return failure.code;
}

int32_t Succeed() {
  lastError.clear();
  return QMBURN_OK;
}

// Running operations by target ("D:" or the image path), so that QmBurn_Cancel finds them.
class Operations {
 public:
  static Operations& Instance() {
    static Operations operations;
    return operations;
  }
  // False when the target is busy.
  bool Begin(const std::string& target, std::atomic<bool>* flag) {
    std::lock_guard guard(m_lock);
    return m_running.emplace(target, flag).second;
  }
  void End(const std::string& target) {
    std::lock_guard guard(m_lock);
    m_running.erase(target);
  }
  bool Cancel(const std::string& target) {
    std::lock_guard guard(m_lock);
    const auto found = m_running.find(target);
    if (found == m_running.end()) return false;
    found->second->store(true);
    return true;
  }

 private:
  std::mutex m_lock;
  std::map<std::string, std::atomic<bool>*> m_running;
};

class Operation {
 public:
  explicit Operation(std::string target) : m_target(std::move(target)) {
    m_registered = Operations::Instance().Begin(m_target, &cancel);
  }
  ~Operation() {
    if (m_registered) Operations::Instance().End(m_target);
  }
  bool registered() const { return m_registered; }
  std::atomic<bool> cancel{false};

 private:
  std::string m_target;
  bool m_registered = false;
};

std::string DriveKey(const std::string& drive) {
  return drive.empty() ? drive : std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])))) + ":";
}

// Reports progress in hundredths of a percent; never with a total of 0, never beyond it.
class ProgressReporter {
 public:
  ProgressReporter(QmBurnProgress callback, void* userData, int from, int to)
      : m_callback(callback), m_userData(userData), m_from(from), m_to(to) {}
  void Fraction(double fraction) {
    if (!m_callback) return;
    fraction = std::clamp(fraction, 0.0, 1.0);
    int64_t done = m_from + static_cast<int64_t>((m_to - m_from) * fraction);
    done = std::clamp<int64_t>(done, 0, QMBURN_PROGRESS_TOTAL);
    if (done == m_last) return;
    m_last = done;
    int64_t total = QMBURN_PROGRESS_TOTAL;
    m_callback(QMBURN_EVENT_PROGRESS, m_userData, &total, &done);
  }

 private:
  QmBurnProgress m_callback;
  void* m_userData;
  int m_from, m_to;
  int64_t m_last = -1;
};

std::optional<Failure> FindDrive(const char* drive, disctools::DriveEntry& entry) {
  if (!drive || !*drive) return Failure{QMBURN_ERR_ARGUMENT, "no drive was given"};
  auto found = disctools::FindDrive(drive);
  if (!found) {
    disctools::ListDrives(true);  // the drives may have changed since the last look
    found = disctools::FindDrive(drive);
  }
  if (!found) return Failure{QMBURN_ERR_NO_DRIVE, std::string("there is no drive ") + drive};
  entry = *found;
  return std::nullopt;
}

// Volume labels are at most 32 bytes; cut on a character boundary.
std::string VolumeLabel(const char* label) {
  std::string text = label && *label ? label : "DVD_VIDEO";
  if (text.size() > 32) {
    size_t cut = 32;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
  }
  return text;
}

// Makes `image` from a DVD-Video folder and checks that it reads back as the same DVD.
std::optional<Failure> MakeImage(const std::string& folder, const std::string& image, const std::string& label,
                                 const std::atomic<bool>& cancel, ProgressReporter& progress) {
  if (!fs::is_directory(fs::path(folder) / "VIDEO_TS"))
    return Failure{QMBURN_ERR_SOURCE, "'" + folder + "' holds no VIDEO_TS folder"};
  const disctools::DvdCheck source = disctools::InspectDvd(folder);
  if (!source.ok) return Failure{QMBURN_ERR_SOURCE, "'" + folder + "' is not a sound DVD-Video folder: " + source.error};

  const std::string part = image + ".part";
  disctools::ChildSpec child;
  child.program = disctools::ToolProgram("BRANTWELL_GENISOIMAGE", "genisoimage");
  child.arguments = {"-dvd-video", "-udf", "-input-charset", "utf-8", "-V", label, "-quiet", "-o", part, folder};
  // genisoimage's -quiet drops its percentage lines; without it they come on stderr.
  child.arguments.erase(std::find(child.arguments.begin(), child.arguments.end(), "-quiet"));
  const disctools::ChildResult result = disctools::RunChild(child, &cancel, [&](const std::string& line) {
    double percent = 0;
    if (std::sscanf(line.c_str(), " %lf%% done", &percent) == 1) progress.Fraction(percent / 100);
  });
  std::error_code ignored;
  if (result.cancelled || cancel.load()) {
    fs::remove(part, ignored);
    return Failure{QMBURN_ERR_CANCELLED, "writing the image was cancelled"};
  }
  if (!result.Succeeded()) {
    fs::remove(part, ignored);
    return Failure{QMBURN_ERR_IMAGE, result.FailureText("genisoimage")};
  }
  const disctools::DvdCheck written = disctools::InspectDvd(part);
  if (!written.ok || !(written.summary == source.summary)) {
    fs::remove(part, ignored);
    return Failure{QMBURN_ERR_IMAGE, "the image does not read back as the DVD folder: " +
                                         (written.ok ? disctools::DescribeSummary(written.summary) + " instead of " +
                                                           disctools::DescribeSummary(source.summary)
                                                     : written.error)};
  }
  std::error_code failure;
  fs::rename(part, image, failure);
  if (failure) {
    fs::remove(part, ignored);
    return Failure{QMBURN_ERR_IMAGE, "cannot write '" + image + "': " + failure.message()};
  }
  progress.Fraction(1);
  return std::nullopt;
}

std::optional<Failure> WriteToDisc(const std::string& image, const disctools::DriveEntry& entry,
                                   const std::atomic<bool>& cancel, ProgressReporter& progress) {
  disctools::GrabbedDrive drive(entry);
  if (!drive.ok()) return Failure{QMBURN_ERR_NO_DRIVE, drive.error()};
  const disctools::DiscState state = drive.Probe();
  struct stat info{};
  const int64_t bytes = stat(image.c_str(), &info) == 0 ? info.st_size : 0;
  if (state.status == disctools::DiscStatus::NoDisc) return Failure{QMBURN_ERR_NO_DISC, "no disc in " + entry.DisplayName()};
  if (!state.isDvd) return Failure{QMBURN_ERR_NOT_DVD, "the disc in " + entry.DisplayName() + " is not a DVD"};
  if (state.status != disctools::DiscStatus::Blank)
    return Failure{QMBURN_ERR_NOT_BLANK, "the disc in " + entry.DisplayName() + " holds data; erase it first"};
  if (bytes > state.capacity)
    return Failure{QMBURN_ERR_TOO_SMALL, "the DVD needs " + std::to_string(bytes) + " bytes, the disc holds " +
                                             std::to_string(state.capacity)};
  const std::string error = drive.WriteImage(image, &cancel, [&](int64_t done, int64_t total) {
    if (total > 0) progress.Fraction(double(done) / double(total));
  });
  if (cancel.load()) return Failure{QMBURN_ERR_CANCELLED, "burning was cancelled; the disc is incomplete"};
  if (!error.empty()) return Failure{QMBURN_ERR_WRITE, error};
  return std::nullopt;
}

template <typename Body>
int32_t Guarded(Body body) {
  try {
    return body();
  } catch (const std::exception& e) {
    return Report({QMBURN_ERR_INTERNAL, e.what()});
  } catch (...) {
    return Report({QMBURN_ERR_INTERNAL, "unexpected failure"});
  }
}

}  // namespace

ENGINE_API int32_t QmBurn_GetDiscInformation(const char* drive, void* info) {
  return Guarded([&] {
    if (!info) return Report({QMBURN_ERR_ARGUMENT, "no information block was given"});
    disctools::DriveEntry entry;
    if (auto failure = FindDrive(drive, entry)) return Report(*failure);
    disctools::GrabbedDrive grabbed(entry);
    if (!grabbed.ok()) return Report({QMBURN_ERR_NO_DRIVE, grabbed.error()});
    const disctools::DiscState state = grabbed.Probe();
    QmBurnDiscInfo block{};
    block.present = state.status != disctools::DiscStatus::NoDisc;
    block.status = state.status == disctools::DiscStatus::Blank     ? QMBURN_DISC_BLANK
                   : state.status == disctools::DiscStatus::HasData ? QMBURN_DISC_HAS_DATA
                   : state.status == disctools::DiscStatus::NoDisc  ? QMBURN_DISC_NONE
                                                                    : QMBURN_DISC_UNKNOWN;
    block.isDvd = state.isDvd;
    block.erasable = state.erasable;
    block.profile = state.profile;
    block.capacity = state.capacity;
    block.used = state.used;
    block.free = state.free;
    block.testDrive = entry.testDrive;
    std::memcpy(info, &block, sizeof block);
    if (!block.present) return Report({QMBURN_ERR_NO_DISC, "no disc in " + entry.DisplayName()});
    return Succeed();
  });
}

ENGINE_API int32_t QmBurn_GetDiscSpace(const char* drive, void* space) {
  return Guarded([&] {
    if (!space) return Report({QMBURN_ERR_ARGUMENT, "no space block was given"});
    disctools::DriveEntry entry;
    if (auto failure = FindDrive(drive, entry)) return Report(*failure);
    disctools::GrabbedDrive grabbed(entry);
    if (!grabbed.ok()) return Report({QMBURN_ERR_NO_DRIVE, grabbed.error()});
    const disctools::DiscState state = grabbed.Probe();
    if (state.status == disctools::DiscStatus::NoDisc) return Report({QMBURN_ERR_NO_DISC, "no disc in " + entry.DisplayName()});
    QmBurnDiscSpace block{state.free, state.used, state.erasable ? state.capacity : state.free};
    std::memcpy(space, &block, sizeof block);
    return Succeed();
  });
}

ENGINE_API int32_t QmBurn_Erase(const char* drive) {
  return Guarded([&] {
    disctools::DriveEntry entry;
    if (auto failure = FindDrive(drive, entry)) return Report(*failure);
    Operation operation(DriveKey(drive));
    if (!operation.registered()) return Report({QMBURN_ERR_ARGUMENT, std::string("the drive ") + drive + " is busy"});
    disctools::GrabbedDrive grabbed(entry);
    if (!grabbed.ok()) return Report({QMBURN_ERR_NO_DRIVE, grabbed.error()});
    const disctools::DiscState state = grabbed.Probe();
    if (state.status == disctools::DiscStatus::NoDisc) return Report({QMBURN_ERR_NO_DISC, "no disc in " + entry.DisplayName()});
    if (!state.erasable) return Report({QMBURN_ERR_NOT_ERASABLE, "the disc in " + entry.DisplayName() + " cannot be erased"});
    const std::string error = grabbed.Erase(&operation.cancel);
    if (operation.cancel.load()) return Report({QMBURN_ERR_CANCELLED, "erasing was cancelled"});
    if (!error.empty()) return Report({QMBURN_ERR_WRITE, error});
    return Succeed();
  });
}

ENGINE_API int32_t QmBurn_Eject(const char* drive) {
  return Guarded([&] {
    disctools::DriveEntry entry;
    if (auto failure = FindDrive(drive, entry)) return Report(*failure);
    disctools::GrabbedDrive grabbed(entry);
    if (!grabbed.ok()) return Report({QMBURN_ERR_NO_DRIVE, grabbed.error()});
    grabbed.EjectOnRelease();
    return Succeed();
  });
}

ENGINE_API int32_t QmBurn_FromTreeToImage(const char* folder, const char* imageFile, const char* label,
                                          QmBurnProgress callback, void* userData) {
  return Guarded([&] {
    if (!folder || !*folder || !imageFile || !*imageFile)
      return Report({QMBURN_ERR_ARGUMENT, "the folder or the image file is missing"});
    Operation operation(imageFile);
    if (!operation.registered()) return Report({QMBURN_ERR_ARGUMENT, std::string("'") + imageFile + "' is being written"});
    ProgressReporter progress(callback, userData, 0, QMBURN_PROGRESS_TOTAL);
    if (auto failure = MakeImage(folder, imageFile, VolumeLabel(label), operation.cancel, progress)) return Report(*failure);
    return Succeed();
  });
}

ENGINE_API int32_t QmBurn_FromImageToDisc(const char* imageFile, const char* drive, QmBurnProgress callback,
                                          void* userData) {
  return Guarded([&] {
    if (!imageFile || !*imageFile) return Report({QMBURN_ERR_ARGUMENT, "no image file was given"});
    disctools::DriveEntry entry;
    if (auto failure = FindDrive(drive, entry)) return Report(*failure);
    Operation operation(DriveKey(drive));
    if (!operation.registered()) return Report({QMBURN_ERR_ARGUMENT, std::string("the drive ") + drive + " is busy"});
    ProgressReporter progress(callback, userData, 0, QMBURN_PROGRESS_TOTAL);
    if (auto failure = WriteToDisc(imageFile, entry, operation.cancel, progress)) return Report(*failure);
    progress.Fraction(1);
    return Succeed();
  });
}

ENGINE_API int32_t QmBurn_FromTreeToDisc(const char* folder, const char* drive, const char* label,
                                         QmBurnProgress callback, void* userData) {
  return Guarded([&] {
    if (!folder || !*folder) return Report({QMBURN_ERR_ARGUMENT, "no folder was given"});
    disctools::DriveEntry entry;
    if (auto failure = FindDrive(drive, entry)) return Report(*failure);
    Operation operation(DriveKey(drive));
    if (!operation.registered()) return Report({QMBURN_ERR_ARGUMENT, std::string("the drive ") + drive + " is busy"});
    // The image goes beside the folder (never inside it, where it would image itself), or
    // into the system's temporary folder when the parent cannot be written.
    std::string parent = fs::path(folder).lexically_normal().parent_path().string();
    if (fs::path(folder).lexically_normal().filename().empty())
      parent = fs::path(folder).lexically_normal().parent_path().parent_path().string();
    std::string pattern = parent + "/.brantwell-burn-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
      pattern = (fs::temp_directory_path() / ".brantwell-burn-XXXXXX").string();
      fd = mkstemp(pattern.data());
    }
    if (fd < 0) return Report({QMBURN_ERR_IMAGE, "cannot create a temporary image file"});
    close(fd);
    struct Remove {
      std::string path;
      ~Remove() {
        std::error_code ignored;
        fs::remove(path, ignored);
        fs::remove(path + ".part", ignored);
      }
    } remove{pattern};
    ProgressReporter imageProgress(callback, userData, 0, 3000);
    if (auto failure = MakeImage(folder, pattern, VolumeLabel(label), operation.cancel, imageProgress))
      return Report(*failure);
    ProgressReporter burnProgress(callback, userData, 3000, QMBURN_PROGRESS_TOTAL);
    if (auto failure = WriteToDisc(pattern, entry, operation.cancel, burnProgress)) return Report(*failure);
    burnProgress.Fraction(1);
    return Succeed();
  });
}

ENGINE_API int32_t QmBurn_Cancel(const char* driveOrImageFile) {
  if (!driveOrImageFile || !*driveOrImageFile) return QMBURN_ERR_ARGUMENT;
  const std::string target = driveOrImageFile;
  const bool isDrive = target.size() <= 3 && std::isalpha(static_cast<unsigned char>(target[0])) &&
                       (target.size() == 1 || target[1] == ':');
  return Operations::Instance().Cancel(isDrive ? DriveKey(target) : target) ? QMBURN_OK : QMBURN_ERR_ARGUMENT;
}

ENGINE_API int32_t QmBurn_GetLastError(char* buffer, int32_t capacity) {
  const auto length = static_cast<int32_t>(lastError.size());
  if (buffer && capacity > 0) {
    const int32_t copied = std::min(length, capacity - 1);
    std::memcpy(buffer, lastError.data(), static_cast<size_t>(copied));
    buffer[copied] = 0;
  }
  return length;
}
