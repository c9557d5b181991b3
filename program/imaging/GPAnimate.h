#pragma once

// Playing the frames of animated images (animated GIFs).
//
// TGPImageAnimator::Animate registers an image with the one image animator thread. That
// worker ticks every 50 ms, counts each image's time and, when some frame is due, posts
// WM_USER+1001 to a hidden window of its own; the GUI thread then selects the new frames in
// the GDI+ images and calls the owners' handlers. The worker never touches GDI+ objects or
// owners. The thread is made by the first registration and ends itself after 8000 ms with
// nothing to animate, or at once when the last image is removed.
//
// Threads: Animate, StopAnimate and StopAnimatorThread run on the GUI thread. The list of
// animators is guarded by its multi-read exclusive-write lock (the worker ticks under the
// read lock, changes take the write lock); the counters the worker changes are atomics.
// The list owns its animators.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "program/imaging/GPImage.h"
#include "vcl/List.h"
#include "vcl/MultiReadExclusiveWriteSynchronizer.h"
#include "vcl/Thread.h"

#include "platform/user/WinUser.h"

constexpr UINT WM_GPANIMATE_FRAMES = 0x0400 + 1001;  // WM_USER+1001

class TGPImageAnimator : public TObject {
  BRANTWELL_CLASS(TGPImageAnimator, TObject)

 public:
  explicit TGPImageAnimator(TGPImage* image);

  // Registers an image; nullptr (and no thread) for a still image. handlerCode names the
  // handler for later removal: one image has at most one animator per handler code.
  static TGPImageAnimator* Animate(TGPImage* image, TNotifyEvent handler, const void* handlerCode);
  // Removes the image's animators of that handler code (all of them for nullptr).
  static void StopAnimate(TGPImage* image, const void* handlerCode);

  void SetFrameIndex(int index);
  // Worker thread: counts 5 hundredths of a second.
  void Tick();
  // GUI thread: selects the current frame in the image.
  void UpdateFrame();
  void Invalidate();

  TGPImage* Image;
  std::atomic<int> FrameIndex{0};
  int FrameCount = 1;
  TNotifyEvent OnFrameChanged;
  const void* HandlerCode = nullptr;
  bool Animated = false;
  std::atomic<int> Elapsed{0};
  std::vector<int> FrameDelays;  // hundredths of a second
  std::atomic<bool> FrameDirty{false};
  class TGPImageList* List = nullptr;  // the list that holds it, set when added
};

class TGPImageList : public TList {
  BRANTWELL_CLASS(TGPImageList, TList)

 public:
  TGPImageList() = default;
  ~TGPImageList() override;

  void Add(TGPImageAnimator* animator);
  void Clear() override;
  void RemoveImage(TGPImage* image, bool alreadyLocked, const void* handlerCode);
  // GUI thread.
  void UpdateFrames();
  TGPImageAnimator* Animator(int index) const { return static_cast<TGPImageAnimator*>(Items(index)); }

  bool HasAnimators();

  bool OwnsObjects = true;
  std::atomic<bool> Changed{false};
  bool Updating = false;  // GUI thread: handlers are being called
  TMultiReadExclusiveWriteSynchronizer Lock;
};

class TGPAnimatorThread : public TThread {
  BRANTWELL_CLASS(TGPAnimatorThread, TThread)

 public:
  TGPAnimatorThread();
  ~TGPAnimatorThread() override;

  // False when the thread has already decided to end: the caller makes a new thread.
  bool Add(TGPImageAnimator* animator);
  void RemoveImage(TGPImage* image, const void* handlerCode);
  void TickAll();
  HWND Window() const { return FWindow; }
  // GUI thread, on WM_USER+1001: updates the frames, then frees the thread when a handler
  // removed the last image meanwhile.
  void HandleFramesMessage();

  TGPImageList ImageList;

 protected:
  void Execute() override;
  void DoTerminate() override;
  // Wakes the idle worker, so a terminated thread ends at once.
  void TerminatedSet() override { Event.SetEvent(); }

 private:
  void DestroyWindowOnGuiThread();

  HWND FWindow = nullptr;
  bool WakeHookInstalled = false;
  bool FreePending = false;
  // The manual-reset event that wakes the idle worker.
  // (platform/kernel/Synch.h and platform/user/UserTypes.h both declare WAIT_OBJECT_0, so
  // the kernel's events cannot be included next to the window manager here.)
  struct TWakeEvent {
    std::mutex Lock;
    std::condition_variable Signalled;
    bool Set = false;
    void SetEvent();
    void ResetEvent();
    void Wait(int timeoutMs);
  } Event;
};

namespace imaging::detail {
// How long the idle worker waits before it ends (8000 ms); tests shorten it.
extern std::atomic<int> AnimatorIdleExitMs;
}  // namespace imaging::detail

// The current animator thread (nullptr when none runs). GUI thread.
TGPAnimatorThread* AnimatorThread();
// Stops and frees the animator thread (at module end).
void StopAnimatorThread();
