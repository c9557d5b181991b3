#include "program/imaging/GPAnimate.h"

#include <cstring>

#include <chrono>
#include <thread>

namespace {

TGPAnimatorThread* g_animatorThread = nullptr;  // GUI thread only

constexpr int kTickMs = 50;

// The hidden window of the animator thread: WM_NULL runs the pending synchronised calls,
// WM_USER+1001 updates the frames. The thread object sits in GWLP_USERDATA.
LRESULT AnimatorWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NULL) {
    CheckSynchronize();
    return 0;
  }
  if (msg == WM_GPANIMATE_FRAMES) {
    auto* thread = reinterpret_cast<TGPAnimatorThread*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (thread && thread == g_animatorThread && !thread->Terminated()) thread->HandleFramesMessage();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const char16_t kWindowClass[] = u"TGPAnimatorWindow";

HWND AllocateAnimatorWindow() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = AnimatorWindowProc;
    wc.lpszClassName = reinterpret_cast<LPCWSTR>(kWindowClass);
    return RegisterClassW(&wc) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExW(0, reinterpret_cast<LPCWSTR>(kWindowClass), reinterpret_cast<LPCWSTR>(u""), 0, 0, 0, 0, 0,
                         HWND_MESSAGE, nullptr, nullptr, nullptr);
}

void ClearThreadVariable(TObject* sender) {
  if (sender == g_animatorThread) g_animatorThread = nullptr;
}

}  // namespace

std::atomic<int> imaging::detail::AnimatorIdleExitMs{8000};

// ---- TGPImageAnimator -------------------------------------------------------------------

TGPImageAnimator::TGPImageAnimator(TGPImage* image) : Image(image) {
  GpImage* native = image ? image->NativeImage() : nullptr;
  UINT dimensions = 0;
  if (native && GdipImageGetFrameDimensionsCount(native, &dimensions) == Ok && dimensions > 0) {
    std::vector<GUID> list(dimensions);
    UINT frames = 0;
    if (GdipImageGetFrameDimensionsList(native, list.data(), dimensions) == Ok) {
      for (const GUID& dimension : list)
        if (dimension == FrameDimensionTime && GdipImageGetFrameCount(native, &FrameDimensionTime, &frames) == Ok &&
            frames > 1)
          Animated = true;
    }
    if (Animated) {
      FrameCount = static_cast<int>(frames);
      FrameDelays.assign(frames, 0);
      TGPPropertyItem delays;
      if (ReadPropertyItem(native, PropertyTagFrameDelay, delays) && delays.Value.size() >= size_t{4} * frames) {
        for (UINT i = 0; i < frames; ++i) {
          uint32_t delay;
          std::memcpy(&delay, delays.Value.data() + 4 * i, 4);
          FrameDelays[i] = delay == 0 ? 10 : static_cast<int>(std::min<uint32_t>(delay, 0x7FFFFFFF));
        }
      }
    }
  }
  if (!Animated) FrameCount = 1;
  if (FrameDelays.empty()) FrameDelays.assign(static_cast<size_t>(FrameCount), 0);
}

TGPImageAnimator* TGPImageAnimator::Animate(TGPImage* image, TNotifyEvent handler, const void* handlerCode) {
  auto* animator = new TGPImageAnimator(image);
  StopAnimate(image, handlerCode);
  if (!animator->Animated) {
    delete animator;
    return nullptr;
  }
  animator->OnFrameChanged = std::move(handler);
  animator->HandlerCode = handlerCode;
  // A thread that has just decided to end refuses the animator; a new thread takes it.
  for (;;) {
    if (!g_animatorThread) {
      auto* thread = new TGPAnimatorThread();
      thread->SetFreeOnTerminate(true);
      thread->OnTerminate = TNotifyEvent(&ClearThreadVariable);
      g_animatorThread = thread;
    }
    if (g_animatorThread->Add(animator)) return animator;
    g_animatorThread = nullptr;  // the ending thread frees itself
  }
}

void TGPImageAnimator::StopAnimate(TGPImage* image, const void* handlerCode) {
  if (g_animatorThread) g_animatorThread->RemoveImage(image, handlerCode);
}

void TGPImageAnimator::SetFrameIndex(int index) {
  if (index < 0 || index > FrameCount - 1) index = 0;
  if (index != FrameIndex.load()) {
    FrameIndex = index;
    Invalidate();
  }
}

void TGPImageAnimator::Tick() {
  if (!Image || !Animated) return;
  Elapsed += 5;
  const int frame = FrameIndex.load();
  const int delay = frame >= 0 && frame < static_cast<int>(FrameDelays.size()) ? FrameDelays[static_cast<size_t>(frame)] : 0;
  if (delay <= Elapsed.load()) {
    Elapsed = 0;
    SetFrameIndex(frame + 1 > FrameCount - 1 ? 0 : frame + 1);
  }
}

void TGPImageAnimator::UpdateFrame() {
  if (!FrameDirty.load() || !Image || !Animated) return;
  Image->SelectActiveFrame(FrameDimensionTime, static_cast<UINT>(FrameIndex.load()));
  FrameDirty = false;
}

void TGPImageAnimator::Invalidate() {
  if (!Animated) return;
  FrameDirty = true;
  if (List) List->Changed = true;
}

// ---- TGPImageList -----------------------------------------------------------------------

TGPImageList::~TGPImageList() { TGPImageList::Clear(); }

void TGPImageList::Add(TGPImageAnimator* animator) {
  Lock.BeginWrite();
  try {
    RemoveImage(animator->Image, true, animator->HandlerCode);
    animator->List = this;
    TList::Add(animator);
  } catch (...) {
    Lock.EndWrite();
    throw;
  }
  Lock.EndWrite();
}

void TGPImageList::Clear() {
  Lock.BeginWrite();
  if (OwnsObjects)
    for (int i = Count() - 1; i >= 0; --i) delete Animator(i);
  TList::Clear();
  Lock.EndWrite();
}

void TGPImageList::RemoveImage(TGPImage* image, bool alreadyLocked, const void* handlerCode) {
  if (!alreadyLocked) Lock.BeginWrite();
  for (int i = Count() - 1; i >= 0; --i) {
    TGPImageAnimator* animator = Animator(i);
    if (animator->Image == image && (!handlerCode || animator->HandlerCode == handlerCode)) {
      Delete(i);
      if (OwnsObjects) delete animator;
    }
  }
  if (!alreadyLocked) Lock.EndWrite();
}

bool TGPImageList::HasAnimators() {
  Lock.BeginRead();
  const bool any = Count() > 0;
  Lock.EndRead();
  return any;
}

void TGPImageList::UpdateFrames() {
  if (!Changed.load()) return;
  Lock.BeginRead();
  Updating = true;
  try {
    // A handler may remove animators (a picture that stops animating): count again each
    // time, and call a copy of the handler, which may free its animator.
    for (int i = 0; i < Count(); ++i) {
      TGPImageAnimator* animator = Animator(i);
      if (animator->FrameDirty.load() && animator->OnFrameChanged) {
        animator->UpdateFrame();
        TNotifyEvent handler = animator->OnFrameChanged;
        handler(animator);
      }
    }
  } catch (...) {
    Updating = false;
    Lock.EndRead();
    throw;
  }
  Updating = false;
  Changed = false;
  Lock.EndRead();
}

// ---- TGPAnimatorThread ------------------------------------------------------------------

void TGPAnimatorThread::TWakeEvent::SetEvent() {
  std::lock_guard guard(Lock);
  Set = true;
  Signalled.notify_all();
}

void TGPAnimatorThread::TWakeEvent::ResetEvent() {
  std::lock_guard guard(Lock);
  Set = false;
}

void TGPAnimatorThread::TWakeEvent::Wait(int timeoutMs) {
  std::unique_lock guard(Lock);
  Signalled.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return Set; });
}

TGPAnimatorThread::TGPAnimatorThread() : TThread(true) {
  FWindow = AllocateAnimatorWindow();
  if (FWindow) SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (!WakeMainThread && FWindow) {
    HWND window = FWindow;
    WakeMainThread = [window] { PostMessageW(window, WM_NULL, 0, 0); };
    WakeHookInstalled = true;
  }
}

TGPAnimatorThread::~TGPAnimatorThread() {
  // The worker has ended here (delete stops it first); its ending destroyed the window
  // unless it never ran.
  if (IsMainThread()) DestroyWindowOnGuiThread();
  ImageList.Clear();
}

void TGPAnimatorThread::DestroyWindowOnGuiThread() {
  if (WakeHookInstalled) {
    WakeMainThread = nullptr;
    WakeHookInstalled = false;
  }
  if (!FWindow) return;
  SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
  DestroyWindow(FWindow);
  FWindow = nullptr;
}

bool TGPAnimatorThread::Add(TGPImageAnimator* animator) {
  // The worker decides to end under the write lock, so an animator is either taken by a
  // thread that keeps running or refused.
  ImageList.Lock.BeginWrite();
  const bool accepted = !Terminated();
  if (accepted) ImageList.Add(animator);
  ImageList.Lock.EndWrite();
  if (!accepted) return false;
  if (Suspended()) Start();
  else Event.SetEvent();
  return true;
}

void TGPAnimatorThread::RemoveImage(TGPImage* image, const void* handlerCode) {
  if (Terminated() || !image) return;
  ImageList.RemoveImage(image, false, handlerCode);
  if (!ImageList.HasAnimators()) {
    if (ImageList.Updating) {
      FreePending = true;  // freed when the frame update is over
      return;
    }
    // Freed at once; its termination handler clears the module's variable.
    SetFreeOnTerminate(false);
    delete this;
  }
}

void TGPAnimatorThread::HandleFramesMessage() {
  FreePending = false;
  ImageList.UpdateFrames();
  if (FreePending && !ImageList.HasAnimators()) {
    SetFreeOnTerminate(false);
    delete this;
  }
}

void TGPAnimatorThread::TickAll() {
  ImageList.Lock.BeginRead();
  for (int i = 0; i < ImageList.Count() && !Terminated(); ++i) ImageList.Animator(i)->Tick();
  ImageList.Lock.EndRead();
}

void TGPAnimatorThread::Execute() {
  while (!Terminated()) {
    while (ImageList.HasAnimators()) {
      TickAll();
      if (Terminated()) break;
      if (ImageList.Changed.load() && FWindow) PostMessageW(FWindow, WM_GPANIMATE_FRAMES, 0, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(kTickMs));
    }
    if (Terminated()) break;
    Event.Wait(imaging::detail::AnimatorIdleExitMs.load());
    ImageList.Lock.BeginWrite();
    if (ImageList.Count() == 0) Terminate();  // Add looks at Terminated under this lock
    Event.ResetEvent();
    ImageList.Lock.EndWrite();
  }
  SetReturnValue(0);
}

void TGPAnimatorThread::DoTerminate() {
  // The hidden window belongs to the GUI thread: it goes there, with the handler.
  Synchronize([this] {
    if (OnTerminate) OnTerminate(this);
    DestroyWindowOnGuiThread();
  });
}

// ----------------------------------------------------------------------------------------

TGPAnimatorThread* AnimatorThread() { return g_animatorThread; }

void StopAnimatorThread() {
  if (TGPAnimatorThread* thread = g_animatorThread) {
    thread->SetFreeOnTerminate(false);
    delete thread;
    g_animatorThread = nullptr;
  }
}
