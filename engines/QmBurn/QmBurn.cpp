#include "engines/QmBurn/QmBurn.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

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

// genisoimage's arguments for the image of a DVD-Video folder, without where it goes.
// genisoimage's -quiet would drop its percentage lines and its closing count of what it
// wrote; without it they come on stderr.
std::vector<std::string> ImageArguments(const std::string& label) {
  return {"-dvd-video", "-udf", "-input-charset", "utf-8", "-V", label};
}

std::optional<Failure> CheckSourceFolder(const std::string& folder, disctools::DvdCheck& source) {
  if (!fs::is_directory(fs::path(folder) / "VIDEO_TS"))
    return Failure{QMBURN_ERR_SOURCE, "'" + folder + "' holds no VIDEO_TS folder"};
  source = disctools::InspectDvd(folder);
  if (!source.ok) return Failure{QMBURN_ERR_SOURCE, "'" + folder + "' is not a sound DVD-Video folder: " + source.error};
  return std::nullopt;
}

// Reads a count genisoimage writes as "<prefix><number>" (or "<number><suffix>").
std::optional<int64_t> FindCount(const std::string& line, const char* format) {
  long long count = 0;
  char rest = 0;
  if (std::sscanf(line.c_str(), format, &count, &rest) >= 1 && count >= 0) return count;
  return std::nullopt;
}

// The size of the folder's image in 2048-byte sectors, from a -print-size pass of genisoimage
// (which reads the folder's tree and writes nothing).
std::optional<Failure> ImageSectors(const std::string& folder, const std::string& label,
                                    const std::atomic<bool>& cancel, int64_t& sectors) {
  disctools::ChildSpec child;
  child.program = disctools::ToolProgram("BRANTWELL_GENISOIMAGE", "genisoimage");
  child.arguments = ImageArguments(label);
  child.arguments.insert(child.arguments.end(), {"-print-size", folder});
  std::optional<int64_t> scheduled, bare;
  const disctools::ChildResult result = disctools::RunChild(child, &cancel, [&](const std::string& line) {
    if (auto count = FindCount(line, "Total extents scheduled to be written = %lld%c")) scheduled = count;
    // Printed alone on stdout as well.
    if (line.find_first_not_of("0123456789") == std::string::npos) bare = FindCount(line, "%lld%c");
  });
  if (result.cancelled || cancel.load()) return Failure{QMBURN_ERR_CANCELLED, "burning was cancelled"};
  if (!result.Succeeded()) return Failure{QMBURN_ERR_IMAGE, result.FailureText("genisoimage")};
  const std::optional<int64_t> count = scheduled ? scheduled : bare;
  if (!count || *count <= 0)
    return Failure{QMBURN_ERR_IMAGE, "genisoimage did not tell the size of the image of '" + folder + "'"};
  sectors = *count;
  return std::nullopt;
}

// Makes `image` from a DVD-Video folder and checks that it reads back as the same DVD.
std::optional<Failure> MakeImage(const std::string& folder, const std::string& image, const std::string& label,
                                 const std::atomic<bool>& cancel, ProgressReporter& progress) {
  disctools::DvdCheck source;
  if (auto failure = CheckSourceFolder(folder, source)) return failure;

  const std::string part = image + ".part";
  disctools::ChildSpec child;
  child.program = disctools::ToolProgram("BRANTWELL_GENISOIMAGE", "genisoimage");
  child.arguments = ImageArguments(label);
  child.arguments.insert(child.arguments.end(), {"-o", part, folder});
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

// A blank DVD with room for `bytes`, or why the disc in the drive will not do.
std::optional<Failure> CheckDisc(const disctools::DriveEntry& entry, const disctools::DiscState& state, int64_t bytes) {
  if (state.status == disctools::DiscStatus::NoDisc) return Failure{QMBURN_ERR_NO_DISC, "no disc in " + entry.DisplayName()};
  if (!state.isDvd) return Failure{QMBURN_ERR_NOT_DVD, "the disc in " + entry.DisplayName() + " is not a DVD"};
  if (state.status != disctools::DiscStatus::Blank)
    return Failure{QMBURN_ERR_NOT_BLANK, "the disc in " + entry.DisplayName() + " holds data; erase it first"};
  if (bytes > state.capacity)
    return Failure{QMBURN_ERR_TOO_SMALL, "the DVD needs " + std::to_string(bytes) + " bytes, the disc holds " +
                                             std::to_string(state.capacity)};
  return std::nullopt;
}

std::optional<Failure> WriteToDisc(const std::string& image, const disctools::DriveEntry& entry,
                                   const std::atomic<bool>& cancel, ProgressReporter& progress) {
  disctools::GrabbedDrive drive(entry);
  if (!drive.ok()) return Failure{QMBURN_ERR_NO_DRIVE, drive.error()};
  struct stat info{};
  const int64_t bytes = stat(image.c_str(), &info) == 0 ? info.st_size : 0;
  if (auto failure = CheckDisc(entry, drive.Probe(), bytes)) return failure;
  const std::string error = drive.WriteImage(image, &cancel, [&](int64_t done, int64_t total) {
    if (total > 0) progress.Fraction(double(done) / double(total));
  });
  if (cancel.load()) return Failure{QMBURN_ERR_CANCELLED, "burning was cancelled; the disc is incomplete"};
  if (!error.empty()) return Failure{QMBURN_ERR_WRITE, error};
  return std::nullopt;
}

// Reads the disc just burned (a pseudo-drive's file, or the drive's device) back with
// libdvdread: it must be the DVD the folder holds, or the burn failed, whatever the drive said.
std::optional<Failure> CheckBurnedDisc(const disctools::DriveEntry& entry, const disctools::DvdSummary& expected) {
  constexpr std::string_view kPseudoDrive = "stdio:";
  const std::string path =
      entry.device.rfind(kPseudoDrive, 0) == 0 ? entry.device.substr(kPseudoDrive.size()) : entry.device;
  const disctools::DvdCheck burned = disctools::InspectDvd(path);
  if (!burned.ok)
    return Failure{QMBURN_ERR_WRITE, "the disc in " + entry.DisplayName() + " does not read back as a DVD: " + burned.error};
  if (!(burned.summary == expected))
    return Failure{QMBURN_ERR_WRITE, "the disc in " + entry.DisplayName() + " reads back as " +
                                         disctools::DescribeSummary(burned.summary) + " instead of " +
                                         disctools::DescribeSummary(expected)};
  return std::nullopt;
}

// Burns the image of a DVD-Video folder as genisoimage makes it: genisoimage writes into a
// pipe that the drive reads, so the image never touches the disk. Its size, which the drive
// needs before it starts, comes from a -print-size pass first.
std::optional<Failure> StreamToDisc(const std::string& folder, const std::string& label,
                                    const disctools::DriveEntry& entry, const std::atomic<bool>& cancel,
                                    ProgressReporter& progress) {
  disctools::DvdCheck source;
  if (auto failure = CheckSourceFolder(folder, source)) return failure;
  int64_t sectors = 0;
  if (auto failure = ImageSectors(folder, label, cancel, sectors)) return failure;
  const int64_t bytes = sectors * 2048;

  // Held while burning, released before the disc is read back.
  std::optional<disctools::GrabbedDrive> grabbed;
  grabbed.emplace(entry);
  disctools::GrabbedDrive& drive = *grabbed;
  if (!drive.ok()) return Failure{QMBURN_ERR_NO_DRIVE, drive.error()};
  if (auto failure = CheckDisc(entry, drive.Probe(), bytes)) return failure;

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0)
    return Failure{QMBURN_ERR_INTERNAL, std::string("cannot make a pipe for the image: ") + std::strerror(errno)};
  disctools::ChildSpec child;
  child.program = disctools::ToolProgram("BRANTWELL_GENISOIMAGE", "genisoimage");
  child.arguments = ImageArguments(label);
  child.arguments.push_back(folder);
  child.stdoutDescriptor = pipeFds[1];  // RunChild closes our copy once the child has it

  // genisoimage runs on a thread of its own while this one feeds the drive. The drive closes
  // the pipe's read end when it is done, whatever happened, so the child cannot be left
  // blocked on a full pipe and the join below always returns; a cancel kills the child.
  disctools::ChildResult made;
  std::optional<int64_t> written;
  std::string burnError;
  int64_t streamed = 0;
  const std::function<void(int64_t, int64_t)> onBurnProgress = [&](int64_t done, int64_t total) {
    if (total > 0) progress.Fraction(double(done) / double(total));
  };
  std::jthread maker;
  try {
    maker = std::jthread([&] {
      made = disctools::RunChild(child, &cancel, [&](const std::string& line) {
        if (auto count = FindCount(line, "%lld extents written%c")) written = count;
      });
    });
  } catch (const std::system_error& e) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return Failure{QMBURN_ERR_INTERNAL, std::string("cannot start writing the image: ") + e.what()};
  }
  burnError = drive.WriteStream(pipeFds[0], bytes, &cancel, onBurnProgress, &streamed);
  maker.join();

  if (made.cancelled || cancel.load())
    return Failure{QMBURN_ERR_CANCELLED, "burning was cancelled; the disc is incomplete"};
  const Failure imageFailure{QMBURN_ERR_IMAGE,
                             "the image of '" + folder + "' could not be made: " + made.FailureText("genisoimage")};
  // When genisoimage failed on its own, its reason is the burn's; a broken pipe only means the
  // drive stopped reading first, and the drive's reason follows below.
  if (!made.Succeeded() && made.signal != SIGPIPE) return imageFailure;
  if (!burnError.empty()) {
    const bool cutShort = made.Succeeded() && streamed < bytes;
    return Failure{cutShort ? QMBURN_ERR_IMAGE : QMBURN_ERR_WRITE,
                   cutShort ? "genisoimage ended the image early: " + burnError : burnError};
  }
  if (!made.Succeeded()) return imageFailure;
  if (written && *written != sectors)
    return Failure{QMBURN_ERR_IMAGE, "genisoimage wrote " + std::to_string(*written) + " sectors where it announced " +
                                         std::to_string(sectors) + "; did the folder change during the burn?"};
  grabbed.reset();
  return CheckBurnedDisc(entry, source.summary);
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
    // The whole is reported only once the disc has read back.
    ProgressReporter progress(callback, userData, 0, QMBURN_PROGRESS_TOTAL - 100);
    if (auto failure = StreamToDisc(folder, VolumeLabel(label), entry, operation.cancel, progress))
      return Report(*failure);
    ProgressReporter(callback, userData, 0, QMBURN_PROGRESS_TOTAL).Fraction(1);
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
