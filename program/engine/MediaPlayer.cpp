#include "program/engine/MediaPlayer.h"

#include <cstring>
#include <exception>

#include "platform/user/Subclass.h"
#include "platform/user/SystemParams.h"
#include "platform/user/WinUser.h"
#include "program/engine/EngineBinding.h"
#include "vcl/Thread.h"

namespace {

// A decoder that could not be made goes to the application's exception handler; the player
// carries on without it.
template <class Make>
auto CreateSource(TObject* sender, Make make) -> decltype(make()) {
  try {
    return make();
  } catch (...) {
    if (ApplicationHandleException) ApplicationHandleException(sender, std::current_exception());
    return nullptr;
  }
}

}  // namespace

TMediaPlayer::TMediaPlayer() : TMediaPlayer(PlayerLibrary, nullptr) {}

TMediaPlayer::TMediaPlayer(TPlayerLibrary& library, const char* libraryName) : FLibrary(&library) {
  if (FPlayer == 0 && FLibrary->Load(libraryName)) FPlayer = FLibrary->VPCreate();
  // The state event fires from the constructor in the design; no handler can be assigned
  // before construction here, so there is nothing to call.
}

TMediaPlayer::~TMediaPlayer() {
  if (FPlayer != 0) {
    StopAndFlush();
    FMainView = 0;
    FLibrary->VPDestroy(FPlayer);
    FPlayer = 0;
  }
  FVideoSource.reset();
  FAudioSource.reset();
  UnhookViewWindow();
}

// ---- Views ---------------------------------------------------------------------------------

TEngineHandle TMediaPlayer::CreateView(HWND parentWnd, const RECT& rect, bool useCustomSize,
                                       const TPlayerSizeRecord* size) {
  const TEngineHandle view = FLibrary->CreateView(FPlayer, parentWnd, &rect, useCustomSize, size);
  if (FMainView == 0) FMainView = view;
  if (HookViewWindow(parentWnd)) FLibrary->VPSetCallBack(FPlayer, parentWnd);
  return view;
}

void TMediaPlayer::DestroyView(TEngineHandle view) {
  if (FPlayer == 0) return;
  if (view == FMainView) FMainView = 0;
  FLibrary->VPDestroyView(FPlayer, view);
}

HWND TMediaPlayer::GetPlayerHwnd(TEngineHandle view) const { return FLibrary->VPGetPlayerHwnd(FPlayer, view); }

int32_t TMediaPlayer::GetDisplayResizeMode(TEngineHandle view) const {
  return FLibrary->VPGetDisplayResizeMode(FPlayer, view);
}

int32_t TMediaPlayer::SetDisplayResizeMode(TEngineHandle view, int32_t mode) const {
  return FLibrary->VPSetDisplayResizeMode(FPlayer, view, mode);
}

void TMediaPlayer::GetCropRect(TEngineHandle view, RECT& rect) const { FLibrary->VPGetCropRect(FPlayer, view, &rect); }

TEngineHandle TMediaPlayer::GetVideoDataProcessHandle(TEngineHandle view) const {
  return FLibrary->VPGetVideoDataProcessHandle(FPlayer, view);
}

IntfPtr<TVideoMediaProcessor> TMediaPlayer::GetVideoProcessor(TEngineHandle view) const {
  return IntfPtr<TVideoMediaProcessor>(new TVideoMediaProcessor(GetVideoDataProcessHandle(view), false));
}

// ---- Opening -------------------------------------------------------------------------------

bool TMediaPlayer::Open(IVideoDecoder* videoSource, IAudioDecoder* audioSource) {
  if (FPlayer == 0) return false;
  const bool wasPlaying = FState == psPlaying;
  FPlayBegin = 0.0;
  FPlayLength = 0.0;
  const TEngineHandle videoHandle = videoSource ? videoSource->GetHandle() : 0;
  const TEngineHandle audioHandle = audioSource ? audioSource->GetHandle() : 0;
  if (FState == psPlaying || FState == psPaused) StopAndFlush();
  FLibrary->SetSources(FPlayer, videoHandle, audioHandle);
  FVideoSource = IntfPtr<IVideoDecoder>(videoSource);
  FAudioSource = IntfPtr<IAudioDecoder>(audioSource);
  if (!FKeepFileName) FFileName.clear();
  FKeepFileName = false;
  if (videoSource)
    std::memcpy(&FVideoInfo, videoSource->GetVideoInfo(), sizeof FVideoInfo);
  else
    FVideoInfo = TVideoInfo{};
  if (audioSource)
    std::memcpy(&FAudioInfo, audioSource->GetAudioInfo(), sizeof FAudioInfo);
  else
    FAudioInfo = TAudioInfo{};
  FState = videoHandle != 0 || audioHandle != 0 ? psOpened : psClosed;
  if (OnStateChange) OnStateChange(this, FState);
  if (wasPlaying) Play();
  return true;
}

bool TMediaPlayer::OpenFile(const WideString& fileName, int32_t mode, const void* videoParams,
                            const void* audioParams) {
  IntfPtr<IVideoDecoder> video =
      CreateSource(this, [&] { return TVideoDecoder::Create(fileName, videoParams, mode); });
  IntfPtr<IAudioDecoder> audio =
      CreateSource(this, [&] { return TAudioDecoder::Create(fileName, audioParams, mode); });
  FFileName = fileName;
  FKeepFileName = true;
  // Without an engine player nothing was opened, whatever the decoders managed.
  if (!Open(video.get(), audio.get())) {
    FKeepFileName = false;
    return false;
  }
  return (video && video->GetHandle() != 0) || (audio && audio->GetHandle() != 0);
}

// ---- Playback ------------------------------------------------------------------------------

void TMediaPlayer::Play() {
  if (FPlayer == 0) return;
  if (FPlayLength == 0.0) FPlayLength = FLibrary->VPGetMovieLength(FPlayer);
  FLibrary->VPPlay(FPlayer);
  SetState(psPlaying);
}

void TMediaPlayer::Pause() {
  if (FPlayer == 0) return;
  FLibrary->VPPause(FPlayer);
  SetState(psPaused);
}

void TMediaPlayer::Resume() {
  if (FPlayer == 0) return;
  FLibrary->VPResume(FPlayer);
  SetState(psPlaying);
}

void TMediaPlayer::Stop() {
  FLibrary->VPStop(FPlayer);
  SetState(psStopped);
}

void TMediaPlayer::Seek(int32_t flag, double time) { FLibrary->VPSeek(FPlayer, time, flag); }
void TMediaPlayer::Forward() { FLibrary->VPForward(FPlayer); }
void TMediaPlayer::Update() { FLibrary->VPUpdate(FPlayer); }
int32_t TMediaPlayer::SetVolume(int32_t volume) { return FLibrary->VPSetVolume(FPlayer, volume); }

void TMediaPlayer::SetPlayTime(double begin, double length) {
  FLibrary->VPSetPlayTime(FPlayer, begin, length);
  FPlayBegin = begin;
  FPlayLength = length != 0.0 ? length : FLibrary->VPGetMovieLength(FPlayer);
}

double TMediaPlayer::GetMovieLength() const { return FLibrary->VPGetMovieLength(FPlayer); }
double TMediaPlayer::GetPlayedTime() const { return FLibrary->VPGetPlayedTime(FPlayer); }

TEngineHandle TMediaPlayer::EVCreate(HWND parentWnd, const RECT& clientRect) const {
  return FLibrary->EVCreate(parentWnd, &clientRect);
}
bool TMediaPlayer::EVShowYUVImage(TEngineHandle view, const void* frame) const {
  return FLibrary->EVShowYUVImage(view, frame);
}
HWND TMediaPlayer::EVGetHwnd(TEngineHandle view) const { return FLibrary->EVGetHwnd(view); }
void TMediaPlayer::EVDestroy(TEngineHandle view) const { FLibrary->EVDestroy(view); }

void TMediaPlayer::SetState(TPlayerState state) {
  if (state == FState) return;
  FState = state;
  if (OnStateChange) OnStateChange(this, state);
}

void TMediaPlayer::StopAndFlush() {
  FLibrary->VPStop(FPlayer);
  if (FHookedWnd) PumpWindowMessages(FHookedWnd, WM_PLAYER_NOTIFY, true);
}

// ---- The hooked window ---------------------------------------------------------------------

// Each player has a subclass of its own on the window: its id is the player's address.
bool TMediaPlayer::HookViewWindow(HWND wnd) {
  if (!wnd || FHookedWnd) return false;
  const auto id = reinterpret_cast<UINT_PTR>(this);
  if (GetWindowSubclass(wnd, &TMediaPlayer::HookProc, id, nullptr)) return false;
  if (!SetWindowSubclass(wnd, &TMediaPlayer::HookProc, id, reinterpret_cast<DWORD_PTR>(this))) return false;
  FHookedWnd = wnd;
  return true;
}

void TMediaPlayer::UnhookViewWindow() {
  if (!FHookedWnd) return;
  RemoveWindowSubclass(FHookedWnd, &TMediaPlayer::HookProc, reinterpret_cast<UINT_PTR>(this));
  FHookedWnd = nullptr;
}

LRESULT TMediaPlayer::HookProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  return reinterpret_cast<TMediaPlayer*>(refData)->ViewWndProc(wnd, msg, wParam, lParam);
}

LRESULT TMediaPlayer::ViewWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCDESTROY:
      if (FState != psClosed) Stop();
      UnhookViewWindow();
      break;
    case WM_PLAYER_NOTIFY:
      if (wParam == kPlayerPositionTick) {
        if (FState == psPlaying && OnProgress) OnProgress(this, GetPlayedTime(), FPlayLength);
      } else if (wParam == kPlayerReachedEnd) {
        Stop();
      }
      break;
    case WM_PLAYER_COMPLETE:
      if (OnComplete) OnComplete(this);
      break;
    default:
      break;
  }
  // The window's own handling (and any older subclass) sees every message, these included.
  return DefSubclassProc(wnd, msg, wParam, lParam);
}

// ---- Helpers -------------------------------------------------------------------------------

BOOL ShowWindowNoAnimate(HWND wnd, int cmdShow) {
  ANIMATIONINFO animation{sizeof(ANIMATIONINFO), 0};
  if (!SystemParametersInfoW(SPI_GETANIMATION, sizeof animation, &animation, 0) || animation.iMinAnimate == 0)
    return ShowWindow(wnd, cmdShow);
  // Switched off for this call only, never saved to the user's profile.
  const int saved = animation.iMinAnimate;
  animation.iMinAnimate = 0;
  SystemParametersInfoW(SPI_SETANIMATION, sizeof animation, &animation, 0);
  const BOOL result = ShowWindow(wnd, cmdShow);
  animation.iMinAnimate = saved;
  SystemParametersInfoW(SPI_SETANIMATION, sizeof animation, &animation, 0);
  return result;
}

bool PumpWindowMessages(HWND wnd, UINT msg, bool discard) {
  bool found = false;
  MSG message{};
  while (PeekMessageW(&message, wnd, msg, msg, PM_REMOVE)) {
    found = true;
    if (discard) continue;
    if (IsWindowUnicode(message.hwnd))
      DispatchMessageW(&message);
    else
      DispatchMessageA(&message);
  }
  return found;
}
