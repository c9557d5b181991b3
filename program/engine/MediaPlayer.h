#pragma once

// TMediaPlayer: one engine player of "QMPlayer.dll" for the clip editor. It opens a file
// through the decoders (TVideoDecoder, TAudioDecoder), keeps a play state, and turns the
// engine's notification messages into events: the first view's parent window is hooked with a
// subclass of the window's subclass chain, and the engine posts its messages there.
//
// GUI thread only. The player holds its sources (one reference each) while they are open, and
// destroys its engine player with itself. The binding record must outlive the player.

#include "platform/user/UserTypes.h"
#include "program/engine/MediaDecode.h"
#include "program/engine/MediaProcess.h"
#include "program/engine/PlayerLibrary.h"
#include "vcl/Event.h"

enum TPlayerState : int32_t { psClosed = 0, psOpened = 1, psPlaying = 2, psStopped = 3, psPaused = 4 };

// The engine's messages to the hooked window.
constexpr UINT WM_PLAYER_NOTIFY = WM_USER + 2001;      // 3025
constexpr UINT WM_PLAYER_COMPLETE = WM_USER + 4326;    // 5350
constexpr WPARAM kPlayerPositionTick = 1;            // a position tick
constexpr WPARAM kPlayerReachedEnd = 2;                 // playback reached the end

// Seek flag of the clip editor: the exact frame.
constexpr int32_t kSeekExactFrame = -1;

using TPlayerStateEvent = TEvent<void(TObject* Sender, TPlayerState State)>;
// Played time and play length in seconds.
using TPlayerProgressEvent = TEvent<void(TObject* Sender, double Position, double Length)>;

class TMediaPlayer : public TObject {
  BRANTWELL_CLASS(TMediaPlayer, TObject)

 public:
  // Uses the process-wide player record and its own library.
  TMediaPlayer();
  // Loads `library` (with `libraryName`, or its own name when null) and creates an engine
  // player. A library that cannot be loaded raises EOSError naming "QMPlayer.dll"; a library
  // without VPCreate leaves a player without engine player (Open answers False).
  TMediaPlayer(TPlayerLibrary& library, const char* libraryName);
  ~TMediaPlayer() override;
  TMediaPlayer(const TMediaPlayer&) = delete;
  TMediaPlayer& operator=(const TMediaPlayer&) = delete;

  // Views. The first view made is the main view; its parent is hooked and registered with
  // the engine for the notification messages. `size` is {width, height, 0, 1}; with
  // `useCustomSize` the view's processor outputs that size.
  TEngineHandle CreateView(HWND parentWnd, const RECT& rect, bool useCustomSize, const TPlayerSizeRecord* size);
  void DestroyView(TEngineHandle view);
  HWND GetPlayerHwnd(TEngineHandle view) const;
  int32_t GetDisplayResizeMode(TEngineHandle view) const;
  int32_t SetDisplayResizeMode(TEngineHandle view, int32_t mode) const;
  // The view's crop rectangle (left, top, right, bottom) in source pixels.
  void GetCropRect(TEngineHandle view, RECT& rect) const;
  TEngineHandle GetVideoDataProcessHandle(TEngineHandle view) const;
  // A processor object over the view's own processor; it does not own the engine's handle.
  // The caller frees it (by releasing its last reference).
  IntfPtr<TVideoMediaProcessor> GetVideoProcessor(TEngineHandle view) const;

  // Either source may be null. False without an engine player. Opening while playing plays
  // the new sources; the state ends psOpened (a source has a handle) or psClosed, and
  // OnStateChange fires even when the state stays.
  virtual bool Open(IVideoDecoder* videoSource, IAudioDecoder* audioSource);
  // Opens `fileName` through new decoders (a decoder that fails is reported through the
  // application's exception handler and the other one is still tried). True when the player
  // opened them and at least one has a handle.
  bool OpenFile(const WideString& fileName, int32_t mode, const void* videoParams, const void* audioParams);

  void Play();
  void Pause();
  void Resume();
  void Stop();
  void Seek(int32_t flag, double time);
  void Forward();
  void Update();
  int32_t SetVolume(int32_t volume);
  // Length 0: to the end; the play length then becomes the movie length.
  void SetPlayTime(double begin, double length);
  double GetMovieLength() const;
  double GetPlayedTime() const;

  // Frame views of the output job window: plain wrappers of the record.
  TEngineHandle EVCreate(HWND parentWnd, const RECT& clientRect) const;
  bool EVShowYUVImage(TEngineHandle view, const void* frame) const;
  HWND EVGetHwnd(TEngineHandle view) const;
  void EVDestroy(TEngineHandle view) const;

  TPlayerState State() const { return FState; }
  TEngineHandle Player() const { return FPlayer; }
  TEngineHandle MainView() const { return FMainView; }
  HWND HookedWindow() const { return FHookedWnd; }
  const WideString& FileName() const { return FFileName; }
  double PlayBegin() const { return FPlayBegin; }
  double PlayLength() const { return FPlayLength; }
  const TVideoInfo& VideoInfo() const { return FVideoInfo; }
  const TAudioInfo& AudioInfo() const { return FAudioInfo; }
  IVideoDecoder* VideoSource() const { return FVideoSource.get(); }
  IAudioDecoder* AudioSource() const { return FAudioSource.get(); }

  TPlayerStateEvent OnStateChange;
  TPlayerProgressEvent OnProgress;
  TNotifyEvent OnComplete;

 protected:
  // Subclasses the window; False for no window or when a window is already hooked.
  bool HookViewWindow(HWND wnd);
  void UnhookViewWindow();
  // Every message of the hooked window passes here first.
  LRESULT ViewWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT HookProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                          DWORD_PTR refData);
  void SetState(TPlayerState state);
  // Stops the engine and drops the position ticks still queued for the hooked window.
  void StopAndFlush();

  TPlayerLibrary* FLibrary;
  TEngineHandle FPlayer = 0;
  TPlayerState FState = psClosed;
  TEngineHandle FMainView = 0;
  IntfPtr<IVideoDecoder> FVideoSource;
  IntfPtr<IAudioDecoder> FAudioSource;
  WideString FFileName;
  bool FKeepFileName = false;
  double FPlayBegin = 0.0;
  double FPlayLength = 0.0;
  HWND FHookedWnd = nullptr;
  TVideoInfo FVideoInfo{};
  TAudioInfo FAudioInfo{};
};

// Shows a window with the system's minimise and restore animation off for the call.
BOOL ShowWindowNoAnimate(HWND wnd, int cmdShow);

// Takes every queued message `msg` of `wnd` out of the thread's queue and dispatches each
// (wide or narrow, as the window is a Unicode window or not) unless `discard`. True when at
// least one was found. Other windows' and other numbers' messages stay queued.
bool PumpWindowMessages(HWND wnd, UINT msg, bool discard);
