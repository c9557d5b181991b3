#pragma once

// TQmBurner: the disc steps of the output job over the burning engine ("QmBurn.dll"): burn a
// folder tree to a disc, write it into an ISO image, erase, eject, and read a disc's state and
// space. Every operation answers the engine's status: 0 for success, an engine error code
// otherwise, 1 when the engine lacks the operation. After a failure, LastError holds the
// engine's reason (or says which entry is missing), and the log has a line with the operation,
// its code and that reason; a success empties LastError.
//
// Paths, labels and drives cross as UTF-8, so no character of a folder name is lost; the
// wide overloads convert. Drives are named as the burner engine lists them ("D:").
//
// The long operations block the calling thread until the engine is done: the job runs them on
// its worker threads, and Cancel (from any thread) stops them. OnProgress is called on the
// thread the engine reports on; a handler that touches the user interface hands the work to
// the GUI thread. Event 12 reports progress as Done of Total, handed on as the engine gave
// them (ProgressPosition turns them into a bar position); a report with a total of 0 or less
// is dropped. Other events pass unchanged.
//
// One thread at a time per burner, apart from Cancel. The library stays loaded until program
// exit.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "program/engine/EngineLibrary.h"
#include "vcl/Event.h"

class TQmBurner;

using TQmBurnProgressEvent = TEvent<void(TQmBurner* Sender, int32_t Event, int64_t* Total, int64_t* Done)>;

constexpr int32_t kQmBurnEventProgress = 12;
constexpr int32_t kQmBurnProgressScale = 10000;
// Disc status byte of the disc information block.
constexpr uint8_t kQmBurnDiscNone = 0;
constexpr uint8_t kQmBurnDiscBlank = 1;
constexpr uint8_t kQmBurnDiscHasData = 2;

#pragma pack(push, 1)
// The 33-byte disc information block.
struct TQmBurnDiscInfo {
  uint8_t Present;
  uint8_t Status;  // kQmBurnDisc*
  uint8_t IsDvd;
  uint8_t Erasable;
  int32_t Profile;
  int64_t Capacity;
  int64_t Used;
  int64_t Free;
  uint8_t TestDrive;
};
#pragma pack(pop)
static_assert(sizeof(TQmBurnDiscInfo) == 33);
static_assert(offsetof(TQmBurnDiscInfo, Status) == 1 && offsetof(TQmBurnDiscInfo, IsDvd) == 2);
static_assert(offsetof(TQmBurnDiscInfo, Erasable) == 3 && offsetof(TQmBurnDiscInfo, Profile) == 4);
static_assert(offsetof(TQmBurnDiscInfo, Capacity) == 8 && offsetof(TQmBurnDiscInfo, Used) == 16);
static_assert(offsetof(TQmBurnDiscInfo, Free) == 24 && offsetof(TQmBurnDiscInfo, TestDrive) == 32);

// The 24-byte disc space block, in bytes.
struct TQmBurnDiscSpace {
  int64_t liDiscFreeSpace;
  int64_t liDiscUsedSpace;
  int64_t liAvailableSpace;
};
static_assert(sizeof(TQmBurnDiscSpace) == 24);
static_assert(offsetof(TQmBurnDiscSpace, liDiscUsedSpace) == 8 && offsetof(TQmBurnDiscSpace, liAvailableSpace) == 16);

class TBurnerLibrary;

class TQmBurner {
 public:
  // Binds "QmBurn.dll" (EOSError when it cannot be loaded). The event may be unassigned.
  explicit TQmBurner(TQmBurnProgressEvent onProgress = nullptr);
  // The same over a given binding record, which must outlive the burner.
  TQmBurner(TBurnerLibrary& library, TQmBurnProgressEvent onProgress);
  TQmBurner(const TQmBurner&) = delete;
  TQmBurner& operator=(const TQmBurner&) = delete;

  int32_t Eject(const AnsiString& drive);
  int32_t Erase(const AnsiString& drive);
  int32_t FromTreeToDisc(const AnsiString& sourceFolder, const AnsiString& drive, const AnsiString& volumeLabel);
  int32_t FromTreeToDisc(const WideString& sourceFolder, const WideString& drive, const WideString& volumeLabel);
  int32_t FromTreeToImage(const AnsiString& sourceFolder, const AnsiString& imagePath, const AnsiString& volumeLabel);
  int32_t FromTreeToImage(const WideString& sourceFolder, const WideString& imagePath,
                          const WideString& volumeLabel);
  // Stops the operation running on a drive ("D:") or writing an image file (its path); that
  // operation then answers the engine's cancelled code. Called from another thread than the
  // operation's; touches neither LastError nor the log. The engine's status: 0 when something
  // was running there.
  int32_t Cancel(const AnsiString& target);
  int32_t Cancel(const WideString& target);
  // The caller provides the zero-filled block.
  int32_t GetDiscInformation(const AnsiString& drive, TQmBurnDiscInfo& info);
  int32_t GetDiscSpace(const AnsiString& drive, TQmBurnDiscSpace& space);

  // Done of Total as a position out of 10000, rounded half to even and clamped; nothing for a
  // total of 0 or less.
  static std::optional<int32_t> ProgressPosition(int64_t total, int64_t done);

  const TQmBurnProgressEvent& OnProgress() const { return FOnProgress; }
  // Why the last operation failed, in UTF-8; empty after a success. It is taken from the engine
  // on the thread that made the call, as it returns (the engine keeps its text per thread), so
  // any thread may read it once the operation has returned.
  const AnsiString& LastError() const { return m_lastError; }

  // The callback handed to the engine, with the burner as its user data; answers 0.
  static int32_t ProgressCallback(int32_t event, void* userData, int64_t* total, int64_t* done);

 private:
  // Keeps the engine's reason for a non-zero status (read on this thread, where the engine
  // keeps it) and logs it; answers the status unchanged.
  int32_t Finish(int32_t status, size_t entry, const char* operation, const AnsiString& target);

  TBurnerLibrary& m_library;
  TQmBurnProgressEvent FOnProgress;
  AnsiString m_lastError;
};
