#include "program/skin/SkinAnimator.h"

#include <mutex>

#include "platform/gdi/WinGdi.h"
#include "platform/kernel/KernelObject.h"
#include "platform/kernel/Synch.h"
#include "platform/kernel/SysInfo.h"
#include "platform/kernel/TimeApi.h"
#include "platform/user/WinUser.h"
#include "program/imaging/BitmapUtils.h"
#include "program/imaging/ColorBlend.h"
#include "program/skin/SkinItem.h"
#include "vcl/Application.h"
#include "vcl/Control.h"

namespace {

constexpr DWORD kTickPause = 50;
constexpr DWORD kIdleWait = 8000;

std::mutex g_timingLock;
TSkinAnimatorTiming g_timing;

// The module's thread. Guarded by g_threadLock; created and freed only on the GUI thread.
std::mutex g_threadLock;
TSkinAnimatorThread* g_thread = nullptr;
// The application-window hook, installed once at the first Register (GUI thread).
bool g_hookInstalled = false;
TWindowHook g_appHook;

void WaitOn(HANDLE event, DWORD milliseconds) {
  std::function<void(HANDLE, DWORD)> wait;
  {
    std::lock_guard lock(g_timingLock);
    wait = g_timing.Wait;
  }
  if (wait) wait(event, milliseconds);
  else WaitForSingleObject(event, milliseconds);
}

bool AppHook(TMessage& message) {
  if (message.Msg != WM_ANIMATOR_UPDATE && message.Msg != WM_ANIMATOR_SYNC) return false;
  TSkinAnimatorThread* thread;
  {
    std::lock_guard lock(g_threadLock);
    thread = g_thread;
  }
  // Only this (GUI) thread frees threads, so the pointer stays good while the hook runs.
  if (!thread || thread->Terminated()) return false;
  if (message.Msg == WM_ANIMATOR_UPDATE) thread->List.UpdateAll();
  else if (auto* animator = reinterpret_cast<TSkinAnimator*>(message.WParam)) animator->DoUpdate();
  return false;
}

void InstallAppHook() {
  if (g_hookInstalled) return;
  g_appHook = &AppHook;
  Application->HookMainWindow(&g_appHook);
  g_hookInstalled = true;
}

}  // namespace

void SetSkinAnimatorTiming(TSkinAnimatorTiming timing) {
  std::lock_guard lock(g_timingLock);
  g_timing = std::move(timing);
}

DWORD SkinAnimatorTickCount() {
  std::function<DWORD()> now;
  {
    std::lock_guard lock(g_timingLock);
    now = g_timing.TickCount;
  }
  return now ? now() : GetTickCount();
}

bool SkinAnimatorThreadRunning() {
  std::lock_guard lock(g_threadLock);
  return g_thread && !g_thread->Ending();
}

void FreeSkinAnimatorThread() {
  TSkinAnimatorThread* thread;
  {
    std::lock_guard lock(g_threadLock);
    thread = g_thread;
    g_thread = nullptr;
  }
  try {
    delete thread;
  } catch (...) {
    // Shutting down: nothing left to report to.
  }
  if (g_hookInstalled) {
    Application->UnhookMainWindow(&g_appHook);
    g_hookInstalled = false;
  }
}

// ---- TSkinAnimator --------------------------------------------------------------------------

TSkinAnimator::TSkinAnimator(TObject* owner, TNotifyEvent onUpdate, bool active)
    : Owner(owner), Active(active), OnUpdate(std::move(onUpdate)) {}

TSkinAnimator::~TSkinAnimator() { SetActive(false); }

void TSkinAnimator::SetActive(bool value) {
  if (Active == value) return;
  Active = value;
  if (value) Register();
  else Unregister();
}

void TSkinAnimator::Register() {
  if (!Running || Registered) return;
  TSkinAnimatorThread* ended = nullptr;
  {
    std::lock_guard lock(g_threadLock);
    if (g_thread && g_thread->Ending()) {
      ended = g_thread;
      g_thread = nullptr;
    }
  }
  // The ended thread no longer takes the lock; waiting for it here is short.
  delete ended;
  InstallAppHook();
  std::lock_guard lock(g_threadLock);
  if (!g_thread) g_thread = TThread::Create<TSkinAnimatorThread>(Application->Handle());
  ThreadList = &g_thread->List;
  g_thread->AddAnimator(this);
  Registered = true;
}

void TSkinAnimator::Unregister() {
  if (!Registered) return;
  {
    std::lock_guard lock(g_threadLock);
    if (g_thread) g_thread->RemoveAnimator(this);
  }
  ThreadList = nullptr;
  Registered = false;
}

void TSkinAnimator::Changed() {
  if (!Running) return;
  Pending = true;
  if (!Registered) {
    DoUpdate();
    return;
  }
  if (TSkinAniImageList* list = ThreadList) list->UpdatePending = true;
}

void TSkinAnimator::DoUpdate() {
  if (Pending && OnUpdate) OnUpdate(this);
  Pending = false;
}

void TSkinAnimator::Reset() { Running = false; }

// ---- TSkinFrameAnimator ---------------------------------------------------------------------

TSkinFrameAnimator::~TSkinFrameAnimator() { SetActive(false); }

void TSkinFrameAnimator::SetSkinState(TSkinItemState* state) {
  if (state) {
    FrameCount = state->Animation.FrameCount;
    FrameDelay = state->Animation.FrameDelay;
    Running = FrameCount > 1;
    if (Active) Register();
  } else {
    Running = false;
    FrameIndex = 0;
    FrameCount = 1;
  }
}

void TSkinFrameAnimator::Tick() {
  if (!Running) return;
  const DWORD now = SkinAnimatorTickCount();
  if (static_cast<int32_t>(now - LastTick) < FrameDelay) return;
  LastTick = now;
  const int index = FrameIndex;
  SetFrame(index < FrameCount - 1 ? index + 1 : 0);
}

void TSkinFrameAnimator::Reset() {
  TSkinAnimator::Reset();
  Pending = false;
  FrameIndex = 0;
}

void TSkinFrameAnimator::SetFrame(int index) {
  if (index == FrameIndex || index < 0 || index >= FrameCount) return;
  FrameIndex = index;
  Changed();
}

TControlSkinFrameAnimator::TControlSkinFrameAnimator(TControl* control, bool active)
    : TSkinFrameAnimator(control, nullptr, active) {}

void TControlSkinFrameAnimator::DoUpdate() {
  auto* control = dynamic_cast<TControl*>(Owner);
  if (control && Pending) control->Invalidate();
  else TSkinFrameAnimator::DoUpdate();
}

// ---- TSkinFadeAnimator ----------------------------------------------------------------------

TSkinFadeAnimator::TSkinFadeAnimator(TObject* owner, TNotifyEvent onUpdate, bool active)
    : TSkinAnimator(owner, std::move(onUpdate), active),
      HotImage(std::make_unique<TBitmap>()),
      NormalImage(std::make_unique<TBitmap>()) {
  HotImage->SetPixelFormat(pf32bit);
  NormalImage->SetPixelFormat(pf32bit);
}

TSkinFadeAnimator::~TSkinFadeAnimator() {
  StopFade();
  SetActive(false);
  ReleaseCapture();
}

void TSkinFadeAnimator::SetStates(bool enabled, bool hot, bool pressed, bool focused) {
  if (pressed != Pressed || focused != Focused || enabled != Enabled) StopFade();
  else if (hot) FadeIn();
  else FadeOut();
  Enabled = enabled;
  Pressed = pressed;
  Focused = focused;
}

void TSkinFadeAnimator::SetStates(bool hot, bool pressed, bool focused) {
  if (pressed != Pressed || focused != Focused) StopFade();
  else if (hot) FadeIn();
  else FadeOut();
  Pressed = pressed;
  Focused = focused;
}

void TSkinFadeAnimator::FadeIn() {
  if (Hot) return;
  Running = false;
  Pending = false;
  StepCount = FadeInSteps;
  StepDelay = static_cast<DWORD>(FadeInDelay);
  Hot = true;
  FadingOut = false;
  StartFade();
}

void TSkinFadeAnimator::FadeOut() {
  if (!Hot) return;
  Running = false;
  Pending = false;
  StepCount = FadeOutSteps;
  StepDelay = static_cast<DWORD>(FadeOutDelay);
  Hot = false;
  FadingOut = true;
  StartFade();
}

void TSkinFadeAnimator::StartFade() {
  Step = 0;
  FirstPaint = true;
  Pending = false;
  LastTick = SkinAnimatorTickCount();
  Running = true;
  if (Active && StepCount >= 1) Register();
}

void TSkinFadeAnimator::StopFade() {
  if (!Running) return;
  Running = false;
  Step = 0;
  StepCount = 0;
  Pending = false;
}

void TSkinFadeAnimator::Tick() {
  if (!Running) return;
  const DWORD now = SkinAnimatorTickCount();
  if (now - LastTick < StepDelay) return;
  LastTick = now;
  if (Step < StepCount - 1) {
    SetStep(Step + 1);
    return;
  }
  StopFade();
  // The last blended frame is the target look only to within the blend's rounding: one more
  // paint, now without a fade, draws the target itself.
  Pending = true;
  if (TSkinAniImageList* list = ThreadList) list->UpdatePending = true;
}

void TSkinFadeAnimator::SetStep(int step) {
  if (step == Step || step < 0 || step >= StepCount) return;
  Step = step;
  Changed();
}

uint8_t TSkinFadeAnimator::CurrentAlpha() const {
  const int count = StepCount;
  if (count <= 0) return 255;
  const int alpha = MulDiv(Step + 1, 255, count);
  return static_cast<uint8_t>(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
}

void TSkinFadeAnimator::ReleaseCapture() {
  if (!MemDC) return;
  if (OldBitmap) SelectObject(MemDC, OldBitmap);
  DeleteDC(MemDC);
  MemDC = nullptr;
  OldBitmap = nullptr;
}

void TSkinFadeAnimator::DrawBlended(HDC dc, const TRect& rect) {
  TBitmap* from = FadingOut ? HotImage.get() : NormalImage.get();
  TBitmap* to = FadingOut ? NormalImage.get() : HotImage.get();
  TBitmap temp(from->Width(), from->Height(), pf32bit);
  CopyBitmapPixels(&temp, from);
  SetBitmapAlpha(&temp, 255);
  BlendBitmaps(&temp, to, 0, 0, temp.Width(), temp.Height(), 0, 0, CurrentAlpha());
  StretchDrawToDC(&temp, dc, rect);
}

bool TSkinFadeAnimator::BeginPaint(TCanvas* canvas, const TRect& rect) {
  if (!canvas) return true;
  TCanvasLock lock(canvas);
  HDC capture = nullptr;
  const bool result = BeginPaintDC(canvas->Handle(), rect, capture);
  if (result && capture) {
    Canvas = canvas;
    canvas->SetHandle(capture);
  }
  return result;
}

bool TSkinFadeAnimator::BeginPaintDC(HDC dc, const TRect& rect, HDC& captureDC) {
  TargetDC = dc;
  PaintRect = rect;
  captureDC = nullptr;
  if (Disabled) return true;
  if (!dc) return false;
  ReleaseCapture();
  const int width = rect.Right - rect.Left, height = rect.Bottom - rect.Top;
  if (Hot == LastHot && !FirstPaint && Running) {
    if (!HotImage->HandleAllocated() || !NormalImage->HandleAllocated()) return true;
    DrawBlended(dc, rect);
    return false;
  }
  TBitmap* target = Hot ? HotImage.get() : NormalImage.get();
  target->SetPixelFormat(pf32bit);
  target->SetSize(width, height);
  SetBitmapAlpha(target, 0);
  MemDC = CreateCompatibleDC(nullptr);
  if (!MemDC) return true;
  OldBitmap = SelectObject(MemDC, target->Handle());
  BitBlt(MemDC, 0, 0, width, height, dc, rect.Left, rect.Top, SRCCOPY);
  SetWindowOrgEx(MemDC, rect.Left, rect.Top, nullptr);
  Capturing = true;
  captureDC = MemDC;
  return true;
}

bool TSkinFadeAnimator::EndPaint(bool draw) {
  ReleaseCapture();
  const bool result = TargetDC != nullptr;
  if (result) {
    if (Canvas) {
      TCanvasLock lock(Canvas);
      Canvas->SetHandle(TargetDC);
    }
    if (draw && Capturing) {
      if (Hot == LastHot) {
        TBitmap* current = Hot ? HotImage.get() : NormalImage.get();
        SetBitmapAlpha(current, 255);
        StretchDrawToDC(current, TargetDC, PaintRect);
      } else {
        SetBitmapAlpha(FadingOut ? NormalImage.get() : HotImage.get(), 255);
        DrawBlended(TargetDC, PaintRect);
      }
    }
  }
  FirstPaint = false;
  LastHot = Hot;
  Capturing = false;
  TargetDC = nullptr;
  Canvas = nullptr;
  return result;
}

TControlSkinFadeAnimator::TControlSkinFadeAnimator(TControl* control, bool active)
    : TSkinFadeAnimator(control, nullptr, active) {
  if (control && control->ComponentState().Contains(csDesigning)) {
    Active = false;
    Disabled = true;
  }
}

void TControlSkinFadeAnimator::DoUpdate() {
  auto* control = dynamic_cast<TControl*>(Owner);
  if (Pending.exchange(false) && control) control->Invalidate();
}

// ---- TSkinAniImageList ----------------------------------------------------------------------

void TSkinAniImageList::Add(TSkinAnimator* animator) {
  m_lock.BeginWrite();
  m_items.push_back(animator);
  m_lock.EndWrite();
}

void TSkinAniImageList::Remove(TSkinAnimator* animator) {
  m_lock.BeginWrite();
  for (size_t i = m_items.size(); i-- > 0;)
    if (m_items[i] == animator) m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(i));
  m_lock.EndWrite();
}

void TSkinAniImageList::Clear() {
  m_lock.BeginWrite();
  m_items.clear();
  m_lock.EndWrite();
}

int TSkinAniImageList::Count() {
  m_lock.BeginRead();
  const int count = static_cast<int>(m_items.size());
  m_lock.EndRead();
  return count;
}

TSkinAnimator* TSkinAniImageList::Items(int index) {
  m_lock.BeginRead();
  TSkinAnimator* animator = index >= 0 && index < static_cast<int>(m_items.size()) ? m_items[static_cast<size_t>(index)] : nullptr;
  m_lock.EndRead();
  return animator;
}

void TSkinAniImageList::ForEach(const std::function<bool(TSkinAnimator*)>& visit) {
  m_lock.BeginRead();
  try {
    for (TSkinAnimator* animator : m_items)
      if (!visit(animator)) break;
  } catch (...) {
    m_lock.EndRead();
    throw;
  }
  m_lock.EndRead();
}

void TSkinAniImageList::UpdateAll() {
  if (!UpdatePending) return;
  ForEach([](TSkinAnimator* animator) {
    animator->DoUpdate();
    return true;
  });
  UpdatePending = false;
}

// ---- TSkinAnimatorThread --------------------------------------------------------------------

TSkinAnimatorThread::TSkinAnimatorThread(HWND appWindow)
    : TFSThread(true),
      AppWindow(appWindow),
      WakeEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

TSkinAnimatorThread::~TSkinAnimatorThread() {
  // The thread has ended (delete waits for it): whatever it listed may register again.
  {
    std::lock_guard lock(g_threadLock);
    EndAnimating();
  }
  CloseHandle(WakeEvent);
  CloseHandle(m_stopEvent);
}

void TSkinAnimatorThread::TerminatedSet() {
  SetEvent(m_stopEvent);
  SetEvent(WakeEvent);
}

void TSkinAnimatorThread::AddAnimator(TSkinAnimator* animator) {
  if (Terminated()) return;
  List.Add(animator);
  if (Suspended()) Start();
  else SetEvent(WakeEvent);
}

void TSkinAnimatorThread::RemoveAnimator(TSkinAnimator* animator) { List.Remove(animator); }

void TSkinAnimatorThread::EndAnimating() {
  m_ending = true;
  List.ForEach([](TSkinAnimator* animator) {
    animator->ThreadList = nullptr;
    animator->Registered = false;
    return true;
  });
  List.Clear();
}

void TSkinAnimatorThread::Execute() {
  try {
    while (!Terminated()) {
      while (!Terminated() && List.Count() > 0) {
        List.ForEach([this](TSkinAnimator* animator) {
          if (Terminated()) return false;
          animator->Tick();
          return true;
        });
        if (List.UpdatePending) PostMessageW(AppWindow, WM_ANIMATOR_UPDATE, 0, 0);
        WaitOn(m_stopEvent, kTickPause);
      }
      if (Terminated()) break;
      WaitOn(WakeEvent, kIdleWait);
      {
        // Decided under the module lock, so a Register either sees this thread ending (and
        // starts another) or has already put its animator in the list.
        std::lock_guard lock(g_threadLock);
        if (List.Count() == 0) {
          m_ending = true;
          return;
        }
      }
      ResetEvent(WakeEvent);
    }
  } catch (...) {
    std::lock_guard lock(g_threadLock);
    EndAnimating();
  }
}
