#include "vcl/Animate.h"

#include "platform/comctl/Animate.h"
#include "rtl/Exceptions.h"

using namespace platform;

namespace {
// The platform's resource name of each common clip.
const char16_t* ClipName(TCommonAVI clip) { return clip == aviFindFolder ? u"FindFolder" : nullptr; }
}  // namespace

void TAnimate::DescribeClass(TClassBuilder<TAnimate>& c) {
  c.Property("Active", &TAnimate::Active, &TAnimate::SetActive).Default(0);
  c.Property("CommonAVI", &TAnimate::CommonAVI, &TAnimate::SetCommonAVI).Default(aviNone);
  c.Property("Center", &TAnimate::Center, &TAnimate::SetCenter).Default(1);
  c.Property("Transparent", &TAnimate::Transparent, &TAnimate::SetTransparent).Default(1);
  c.Property("AutoSize", &TAnimate::AutoSize, &TAnimate::SetAutoSize).Default(1);
  c.Property("Repetitions", &TAnimate::Repetitions, &TAnimate::SetRepetitions).Default(0);
  c.Property("StartFrame", &TAnimate::StartFrame, &TAnimate::SetStartFrame).Default(1);
  c.Property("StopFrame", &TAnimate::StopFrame, &TAnimate::SetStopFrame).Default(0);
  c.Property("OnOpen", &TAnimate::OnOpen);
  c.Property("OnClose", &TAnimate::OnClose);
  c.Property("OnStart", &TAnimate::OnStart);
  c.Property("OnStop", &TAnimate::OnStop);
}

TAnimate::TAnimate(TComponent* owner) : TWinControl(owner) {
  SetBounds(Left(), Top(), 100, 80);
}

void TAnimate::CreateParams(TCreateParams& params) {
  InitCommonControls();
  inherited::CreateParams(params);
  CreateSubClass(params, ANIMATE_CLASSA);
  if (FCenter) params.Style |= ACS_CENTER;
  if (FTransparent) params.Style |= ACS_TRANSPARENT;
}

void TAnimate::CreateWnd() {
  inherited::CreateWnd();
  if (FCommonAVI != aviNone) OpenClip();
  if (FActive && Open()) Play(FStartFrame, FStopFrame, FRepetitions);
}

void TAnimate::DestroyWnd() {
  // The clip goes with the window; the settings stay and are applied to the next one.
  FFrameCount = FFrameWidth = FFrameHeight = 0;
  inherited::DestroyWnd();
}

void TAnimate::OpenClip() {
  CloseClip();
  if (!HandleAllocated() || FCommonAVI == aviNone) return;
  // An uncentred control sizes itself to a frame on open; AutoSize decides that here.
  const TRect bounds = BoundsRect();
  if (!Perform(ACM_OPENW, 0, reinterpret_cast<LPARAM>(ClipName(FCommonAVI))))
    throw EInvalidOperation("Cannot open the animation clip");
  int frames = 0, width = 0, height = 0;
  if (detail::AnimateClipInfo(Handle(), &frames, &width, &height)) {
    FFrameCount = frames;
    FFrameWidth = width;
    FFrameHeight = height;
  }
  if (FAutoSize) SetBounds(bounds.Left, bounds.Top, FFrameWidth, FFrameHeight);
  else SetBoundsRect(bounds);
  if (OnOpen) OnOpen(this);
}

void TAnimate::CloseClip() {
  if (!Open()) return;
  Stop();
  if (HandleAllocated()) Perform(ACM_OPENW, 0, 0);
  FFrameCount = FFrameWidth = FFrameHeight = 0;
  if (OnClose) OnClose(this);
}

void TAnimate::CheckOpen() {
  if (!Open()) throw EInvalidOperation("No animation clip is open");
}

void TAnimate::SetActive(bool value) {
  if (value == FActive) return;
  FActive = value;
  if (!HandleAllocated() || (ComponentState().Contains(csLoading))) return;
  if (value) {
    if (!Open()) {
      FActive = false;
      CheckOpen();
    }
    Play(FStartFrame, FStopFrame, FRepetitions);
  } else {
    Stop();
  }
}

void TAnimate::SetCommonAVI(TCommonAVI value) {
  if (value == FCommonAVI) return;
  FCommonAVI = value;
  if (!HandleAllocated()) return;
  const bool wasActive = FActive;
  if (value == aviNone) {
    CloseClip();
    FActive = false;
  } else {
    OpenClip();
    if (wasActive) Play(FStartFrame, FStopFrame, FRepetitions);
  }
}

void TAnimate::SetCenter(bool value) {
  if (value == FCenter) return;
  FCenter = value;
  if (HandleAllocated()) RecreateWnd();
}

void TAnimate::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  if (HandleAllocated()) RecreateWnd();
}

void TAnimate::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  if (value && Open()) SetBounds(Left(), Top(), FFrameWidth, FFrameHeight);
}

void TAnimate::Play(int fromFrame, int toFrame, int count) {
  CheckOpen();
  if (toFrame == 0) toFrame = FFrameCount;
  if (fromFrame < 1 || fromFrame > FFrameCount || toFrame < fromFrame || toFrame > FFrameCount)
    throw EInvalidOperation("Frames out of range");
  Perform(ACM_PLAY, count == 0 ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(count),
          MAKELONG(fromFrame - 1, toFrame - 1));
  FActive = fromFrame != toFrame;
}

void TAnimate::Stop() {
  if (HandleAllocated()) Perform(ACM_STOP, 0, 0);
  FActive = false;
}

void TAnimate::Seek(int frame) {
  CheckOpen();
  if (frame < 1 || frame > FFrameCount) throw EInvalidOperation("Frames out of range");
  Stop();
  Perform(ACM_PLAY, 1, MAKELONG(frame - 1, frame - 1));
}

void TAnimate::Reset() {
  Stop();
  if (Open()) Seek(1);
}

void TAnimate::Dispatch(TMessage& message) {
  if (message.Msg == CN_COMMAND) {
    TWMCommand command(message);
    if (command.NotifyCode == ACN_START) {
      if (OnStart) OnStart(this);
    } else if (command.NotifyCode == ACN_STOP) {
      FActive = false;
      if (OnStop) OnStop(this);
    }
    return;
  }
  inherited::Dispatch(message);
}
