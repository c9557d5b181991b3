#include "program/job/DiscThreads.h"

#include <chrono>

#include "platform/user/WinUser.h"


void TDiscThreadControl::Cancel() {
  m_cancel = true;
  // Nothing may be running there yet; the thread then stops itself (see the header).
  TQmBurner burner;
  burner.Cancel(m_target);
}

bool TDiscThreadControl::WaitForReport(unsigned timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!m_reported) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    MSG msg;
    bool busy = false;
    // A few messages at a time, so the thread's calls are not starved by a busy queue.
    for (int i = 0; i < 16 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
      busy = true;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    busy = CheckSynchronize(busy ? 0 : static_cast<int>(std::min<int64_t>(left.count(), 20))) || busy;
  }
  return true;
}

TDiscThread::TDiscThread(const AnsiString& target, bool withProgress)
    : TThread(true), m_control(std::make_shared<TDiscThreadControl>(target)) {
  if (withProgress)
    FBurner = std::make_unique<TQmBurner>(TQmBurnProgressEvent(this, &TDiscThread::BurnerProgress));
  else
    FBurner = std::make_unique<TQmBurner>();
  SetFreeOnTerminate(true);
}

void TDiscThread::Execute() {
  if (m_control->m_cancel) {
    FResult = kDiscThreadCancelled;
    m_errorText = "the operation was cancelled before it started";
  } else {
    FResult = Run(*FBurner);
    // The burner took the engine's reason on this thread, as the call returned.
    if (FResult != 0) m_errorText = FBurner->LastError();
  }
  Synchronize([this] { DoFinish(); });
}

// On the thread the engine reports on (this worker).
void TDiscThread::BurnerProgress(TQmBurner*, int32_t event, int64_t* total, int64_t* done) {
  if (event != kQmBurnEventProgress || !total || !done) return;
  if (m_control->m_cancel) {
    // A cancel that came before the engine had registered the call reaches it now.
    FBurner->Cancel(m_control->m_target);
    return;
  }
  const std::optional<int32_t> position = TQmBurner::ProgressPosition(*total, *done);
  if (!position) return;
  FPos = *position;
  FMax = kQmBurnProgressScale;
  Synchronize([this] { DoProgress(); });
}

void TDiscThread::DoProgress() {
  if (m_control->m_detached) return;
  if (OnProgress) OnProgress(this, FPos, FMax);
}

void TDiscThread::DoFinish() {
  // Runs on the GUI thread, where Detach is called too, so a window that detached before this
  // point hears nothing, and one that did not hears the end exactly once.
  if (!m_control->m_detached) {
    if (CompletesProgress() && FMax > FPos) {
      FPos = FMax;
      DoProgress();
    }
    if (!m_control->m_detached && OnFinish) OnFinish(this, FResult);
  }
  m_control->m_reported = true;
}

TBurnDirToDisk::TBurnDirToDisk(const AnsiString& sourceDir, const AnsiString& drive, const AnsiString& volumeLabel)
    : TDiscThread(drive, true), FSourceDir(sourceDir), FTarget(drive), FVolumeLabel(volumeLabel) {}

int32_t TBurnDirToDisk::Run(TQmBurner& burner) { return burner.FromTreeToDisc(FSourceDir, FTarget, FVolumeLabel); }

TBurnDirToImage::TBurnDirToImage(const AnsiString& sourceDir, const AnsiString& isoPath,
                                 const AnsiString& volumeLabel)
    : TDiscThread(isoPath, true), FSourceDir(sourceDir), FTarget(isoPath), FVolumeLabel(volumeLabel) {}

int32_t TBurnDirToImage::Run(TQmBurner& burner) { return burner.FromTreeToImage(FSourceDir, FTarget, FVolumeLabel); }

TBurnEraseDisc::TBurnEraseDisc(const AnsiString& drive) : TDiscThread(drive, false), FDrive(drive) {}

int32_t TBurnEraseDisc::Run(TQmBurner& burner) { return burner.Erase(FDrive); }
