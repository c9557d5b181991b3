#pragma once

// Animators of skinned controls and the skin animator thread. A frame animator steps through
// the frames of a state's image strip; a fade animator blends a control's normal look into
// its hot look when the pointer enters and back when it leaves. One background thread ticks
// every registered animator every 50 ms and, when something changed, posts
// WM_ANIMATOR_UPDATE to the application window, whose hook (on the GUI thread) lets the
// animators repaint their controls. The thread ends after 8000 ms with nothing to animate;
// the next animation starts a new one.
//
// Threads: Tick runs on the animator thread; everything else on the GUI thread. The fields
// both touch are atomics; the thread's list is guarded by its multi-read exclusive-write
// lock (an animator being removed waits for a running tick pass). The module's thread
// variable is guarded by one mutex; only the GUI thread creates or frees threads, so a
// thread that ended by itself is freed by the next Register or at module stop.

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "platform/kernel/WinTypes.h"
#include "platform/user/UserTypes.h"
#include "program/core/FSThread.h"
#include "vcl/Bitmap.h"
#include "vcl/Canvas.h"
#include "vcl/Event.h"
#include "vcl/MultiReadExclusiveWriteSynchronizer.h"

class TControl;
class TSkinAniImageList;
class TSkinItemState;

constexpr UINT WM_ANIMATOR_SYNC = 0x0400 + 1000;
constexpr UINT WM_ANIMATOR_UPDATE = 0x0400 + 1001;

class TSkinAnimator : public TObject {
  BRANTWELL_CLASS(TSkinAnimator, TObject)

 public:
  TSkinAnimator(TObject* owner, TNotifyEvent onUpdate, bool active);
  // Subclasses leave the thread's list in their own destructors (SetActive(false)), before
  // their fields go.
  ~TSkinAnimator() override;

  void SetActive(bool value);
  // Joins the thread's list when running and not yet registered (creating the thread).
  void Register();
  void Unregister();
  // A change to show: repaint at once when not registered, else at the next update pass.
  void Changed();

  virtual void DoUpdate();
  virtual void Tick() = 0;
  virtual void Reset();

  TObject* Owner;
  std::atomic<bool> Active{false};
  std::atomic<bool> Registered{false};
  TNotifyEvent OnUpdate;
  std::atomic<bool> Running{false};
  std::atomic<bool> Pending{false};
  // The list of the thread it is registered with (nil when not registered), so that a change
  // made during a tick pass flags the update without taking the module lock.
  std::atomic<TSkinAniImageList*> ThreadList{nullptr};
};

class TSkinFrameAnimator : public TSkinAnimator {
  BRANTWELL_CLASS(TSkinFrameAnimator, TSkinAnimator)

 public:
  using TSkinAnimator::TSkinAnimator;
  ~TSkinFrameAnimator() override;

  // The state's frame count and delay; runs when it has more than one frame. Nil stops.
  void SetSkinState(TSkinItemState* state);
  void Tick() override;
  void Reset() override;
  void SetFrame(int index);

  std::atomic<int32_t> FrameIndex{0};
  std::atomic<int32_t> FrameDelay{0};
  std::atomic<DWORD> LastTick{0};
  std::atomic<int32_t> FrameCount{0};
};

class TControlSkinFrameAnimator : public TSkinFrameAnimator {
  BRANTWELL_CLASS(TControlSkinFrameAnimator, TSkinFrameAnimator)

 public:
  TControlSkinFrameAnimator(TControl* control, bool active);
  // Invalidates the control while a frame change is pending.
  void DoUpdate() override;
};

class TSkinFadeAnimator : public TSkinAnimator {
  BRANTWELL_CLASS(TSkinFadeAnimator, TSkinAnimator)

 public:
  TSkinFadeAnimator(TObject* owner, TNotifyEvent onUpdate, bool active);
  ~TSkinFadeAnimator() override;

  // Pressed, Focused or Enabled changing stops a fade; else Hot fades in or out.
  void SetStates(bool enabled, bool hot, bool pressed, bool focused);
  void SetStates(bool hot, bool pressed, bool focused);
  void FadeIn();
  void FadeOut();
  void StartFade();
  void StopFade();
  void Tick() override;
  void SetStep(int step);
  // MulDiv(Step + 1, 255, StepCount).
  uint8_t CurrentAlpha() const;

  // False: the animator has put this frame on the screen and the control must not paint.
  // True: paint normally (into the capture context when one is given) and call EndPaint.
  bool BeginPaint(TCanvas* canvas, const TRect& rect);
  bool BeginPaintDC(HDC dc, const TRect& rect, HDC& captureDC);
  bool EndPaint(bool draw);

  std::atomic<int32_t> Step{0};
  std::atomic<int32_t> StepCount{0};
  std::atomic<DWORD> StepDelay{0};
  std::atomic<DWORD> LastTick{0};
  int32_t FadeInSteps = 4;
  int32_t FadeInDelay = 15;
  int32_t FadeOutSteps = 10;
  int32_t FadeOutDelay = 15;
  HDC TargetDC = nullptr;
  HDC MemDC = nullptr;
  HGDIOBJ OldBitmap = nullptr;
  bool Capturing = false;
  TCanvas* Canvas = nullptr;
  TRect PaintRect{0, 0, 0, 0};
  bool Enabled = false, Hot = false, Pressed = false, Focused = false;
  bool LastHot = false;
  bool FirstPaint = true;
  std::unique_ptr<TBitmap> HotImage;
  std::unique_ptr<TBitmap> NormalImage;
  std::atomic<bool> FadingOut{false};
  bool Disabled = false;

 private:
  void ReleaseCapture();
  // Blends the fade's target look onto a copy of its source look and draws it.
  void DrawBlended(HDC dc, const TRect& rect);
};

class TControlSkinFadeAnimator : public TSkinFadeAnimator {
  BRANTWELL_CLASS(TControlSkinFadeAnimator, TSkinFadeAnimator)

 public:
  // A control being designed gets an animator that never captures or registers.
  TControlSkinFadeAnimator(TControl* control, bool active);
  void DoUpdate() override;
};

// The thread's list of animators: Add, Remove and Clear take the write lock; Count, Items
// and UpdateAll the read lock.
class TSkinAniImageList : public TObject {
  BRANTWELL_CLASS(TSkinAniImageList, TObject)

 public:
  void Add(TSkinAnimator* animator);
  // Every occurrence.
  void Remove(TSkinAnimator* animator);
  void Clear();
  int Count();
  TSkinAnimator* Items(int index);
  // DoUpdate of every animator when an update is pending.
  void UpdateAll();
  // Calls visit for each animator under the read lock; stops when visit returns false.
  void ForEach(const std::function<bool(TSkinAnimator*)>& visit);

  bool OwnsObjects = false;
  std::atomic<bool> UpdatePending{false};

 private:
  TMultiReadExclusiveWriteSynchronizer m_lock;
  std::vector<TSkinAnimator*> m_items;
};

class TSkinAnimatorThread : public TFSThread {
  BRANTWELL_CLASS(TSkinAnimatorThread, TFSThread)

 public:
  // Created suspended; the first AddAnimator starts it.
  explicit TSkinAnimatorThread(HWND appWindow);
  ~TSkinAnimatorThread() override;

  void AddAnimator(TSkinAnimator* animator);
  void RemoveAnimator(TSkinAnimator* animator);
  // The thread has decided to end (idle or after an error); a Register then starts another.
  bool Ending() const { return m_ending; }

  TSkinAniImageList List;
  HWND AppWindow;
  HANDLE WakeEvent;

 protected:
  void Execute() override;
  void TerminatedSet() override;

 private:
  // Under the module lock: the animators leave the list and may register again.
  void EndAnimating();
  HANDLE m_stopEvent;
  std::atomic<bool> m_ending{false};
};

// The time the animators run on: the tick count, and the waits of the thread (the 50 ms
// pause between tick passes on the stop event, the 8000 ms idle wait on WakeEvent). Tests
// put a manual clock here; empty members mean GetTickCount and WaitForSingleObject.
struct TSkinAnimatorTiming {
  std::function<DWORD()> TickCount;
  std::function<void(HANDLE event, DWORD milliseconds)> Wait;
};
void SetSkinAnimatorTiming(TSkinAnimatorTiming timing);
DWORD SkinAnimatorTickCount();

// The module's thread: whether one is animating (not ended), and freeing it at module stop
// (also removes the application-window hook).
bool SkinAnimatorThreadRunning();
void FreeSkinAnimatorThread();
