#pragma once

// The output job's disc threads: TBurnDirToDisk burns a DVD folder to a disc, TBurnDirToImage
// writes it into an ISO image, TBurnEraseDisc erases a rewritable disc. Each owns one burner
// object, runs one blocking burner call, reports through synchronised calls on the GUI thread
// and frees itself when it ends. The job runs one of them at a time.
//
// Life: Create (suspended, on the GUI thread), assign OnFinish (and OnProgress), keep
// Control() when the window may have to stop or leave early, then Start. Never delete a
// started thread; it frees itself.
//
// Reporting: OnProgress(Sender, Pos, Max) for each engine progress report (Pos of 10000), and
// OnFinish(Sender, Result) exactly once, both on the GUI thread. Before OnFinish the writing
// threads move the bar to its end. During OnFinish, Sender->ErrorText() says why a failed
// call failed (the engine's reason; it is also in the log).
//
// The window and the thread meet in a TDiscThreadControl they share, so the window may go
// before the thread: Detach (GUI thread) stops every later report; Cancel (GUI thread) asks
// the engine to stop the running call, which then finishes with the cancelled code;
// Reported says whether OnFinish has run (or would have, for a detached thread), and
// WaitForReport waits for that, bounded.

#include <atomic>
#include <cstdint>
#include <memory>

#include "program/engine/QmBurner.h"
#include "rtl/SysTypes.h"
#include "vcl/Event.h"
#include "vcl/Thread.h"

class TDiscThread;

using TDiscThreadFinishEvent = TEvent<void(TDiscThread* Sender, int32_t Result)>;
using TDiscThreadProgressEvent = TEvent<void(TDiscThread* Sender, int32_t Pos, int32_t Max)>;

// The burner's answer for a call stopped by Cancel (before it reached the engine, or by the
// engine itself).
constexpr int32_t kDiscThreadCancelled = 11;

// Shared by a disc thread and its window. Every member is for the GUI thread, apart from what
// the thread itself reads (the flags are atomic for that).
class TDiscThreadControl {
 public:
  explicit TDiscThreadControl(AnsiString target) : m_target(std::move(target)) {}

  // No report of the thread reaches the window from now on.
  void Detach() { m_detached = true; }
  bool Detached() const { return m_detached; }
  // Asks the engine to stop the call on the thread's drive or image file. A call that has not
  // reached the engine yet is not made; one that the engine had not registered yet is stopped
  // by the thread itself at its next progress report. Calling it again is harmless.
  void Cancel();
  bool CancelRequested() const { return m_cancel; }
  // The thread's end has been reported to the window (or dropped, when detached): after this
  // the thread only frees itself.
  bool Reported() const { return m_reported; }
  // Runs the GUI thread's synchronised calls and dispatches its messages until the thread has
  // reported its end or `timeoutMs` has passed; true when it reported. For a window that must
  // not go while the thread can still report (after Cancel, say), with a bound in case the
  // engine never answers. GUI thread.
  bool WaitForReport(unsigned timeoutMs);
  const AnsiString& Target() const { return m_target; }

 private:
  friend class TDiscThread;
  AnsiString m_target;
  std::atomic<bool> m_detached{false};
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_reported{false};
};

class TDiscThread : public TThread {
 public:
  TDiscThreadFinishEvent OnFinish;
  TDiscThreadProgressEvent OnProgress;

  const std::shared_ptr<TDiscThreadControl>& Control() const { return m_control; }
  // The burner's result (0 success) and, after a failure, the engine's reason.
  int32_t Result() const { return FResult; }
  const AnsiString& ErrorText() const { return m_errorText; }
  int32_t Pos() const { return FPos; }
  int32_t Max() const { return FMax; }

 protected:
  // target: the drive or image file the engine's cancel names. withProgress: the burner reports
  // progress to the thread.
  TDiscThread(const AnsiString& target, bool withProgress);

  void Execute() override;
  // The one burner call of this thread, on the worker thread.
  virtual int32_t Run(TQmBurner& burner) = 0;
  // Whether the bar is moved to its end before OnFinish.
  virtual bool CompletesProgress() const { return true; }

 private:
  void BurnerProgress(TQmBurner* sender, int32_t event, int64_t* total, int64_t* done);
  void DoProgress();
  void DoFinish();

  std::shared_ptr<TDiscThreadControl> m_control;
  std::unique_ptr<TQmBurner> FBurner;
  int32_t FResult = 0;
  AnsiString m_errorText;
  int32_t FPos = 0;
  int32_t FMax = 0;
};

class TBurnDirToDisk : public TDiscThread {
 public:
  TBurnDirToDisk(const AnsiString& sourceDir, const AnsiString& drive, const AnsiString& volumeLabel);

 protected:
  int32_t Run(TQmBurner& burner) override;

 private:
  AnsiString FSourceDir, FTarget, FVolumeLabel;
};

class TBurnDirToImage : public TDiscThread {
 public:
  TBurnDirToImage(const AnsiString& sourceDir, const AnsiString& isoPath, const AnsiString& volumeLabel);

 protected:
  int32_t Run(TQmBurner& burner) override;

 private:
  AnsiString FSourceDir, FTarget, FVolumeLabel;
};

// Erases the disc in a drive. It reports no progress: the window shows its own erase bar
// (TEraseProgress).
class TBurnEraseDisc : public TDiscThread {
 public:
  explicit TBurnEraseDisc(const AnsiString& drive);

 protected:
  int32_t Run(TQmBurner& burner) override;
  bool CompletesProgress() const override { return false; }

 private:
  AnsiString FDrive;
};
