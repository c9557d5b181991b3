#pragma once

// TTimer: calls OnTimer every Interval milliseconds while Enabled, through a hidden window
// of its own and the window manager's timers (so it runs on the GUI thread, from the
// message loop). A timer without OnTimer or with Interval 0 does not run.
//
// AllocateHWnd gives any object such a hidden window with a method as its procedure.
// GUI thread only.

#include <functional>

#include "vcl/Component.h"
#include "vcl/GraphicsObject.h"
#include "vcl/Messages.h"

using TWndMethod = std::function<void(TMessage& message)>;
// A hidden window whose messages go to `method`; free it with DeallocateHWnd.
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND window);

// EOutOfResources comes from vcl/GraphicsObject.h.

class TTimer : public TComponent {
  BRANTWELL_CLASS(TTimer, TComponent)

 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  static void DescribeClass(TClassBuilder<TTimer>& c);

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent value);

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& message);

  bool FEnabled = true;
  uint32_t FInterval = 1000;
  TNotifyEvent FOnTimer;
  HWND FWindowHandle = nullptr;
};
