#pragma once

// TVideoPlayer: the main window's preview. One engine player of "QMPlayer.dll" with one view
// plays a whole title (through the track decoders of "TracksDecoder.dll" over a timeline
// document), a clip of it, a source file or a piece of music; a transition preview of
// "TransPreview.dll" animates one transition between two fixed pictures in a second window.
// The player, track decoder, transition preview, timeline and transition manager calls are
// imported at link time; the decoder manager and the data-process engine are reached through
// their run-time records, which must be bound (start-up does that).
//
// GUI thread only. Between Open... and Stop the object holds the sources and processors it
// made; Stop (and a new Open..., which stops first) releases each once, with the release entry
// of the engine that made it.

#include "platform/gdi/GdiTypes.h"
#include "platform/user/UserTypes.h"
#include "program/engine/EngineLibrary.h"
#include "rtl/SysTypes.h"

// The engine entries the object calls that tests replace to watch the calls; every field
// defaults to the linked import.
struct TVideoPlayerCalls {
  void (*MTDVideoDestroy)(TEngineHandle decoder);
  void (*MTDAudioDestroy)(TEngineHandle decoder);
  void (*TPSetTransID)(TEngineHandle preview, const char* id, double duration);
  int32_t (*TPSetImage)(TEngineHandle preview, const BITMAPINFO* info1, const void* bits1, const BITMAPINFO* info2,
                        const void* bits2);
  void (*TPPlay)(TEngineHandle preview);

  static TVideoPlayerCalls Linked();
};

class TVideoPlayer {
 public:
  // Keeps the three windows and creates the player with its view filling `videoWnd`, then the
  // transition preview filling `transitionWnd`. The player reports to `notifyWnd`. The
  // transition pictures are read from `transitionFolder` (empty: the program folder's
  // "Transitions").
  TVideoPlayer(HWND notifyWnd, HWND videoWnd, HWND transitionWnd, std::string transitionFolder = {},
               TVideoPlayerCalls calls = TVideoPlayerCalls::Linked());
  ~TVideoPlayer();
  TVideoPlayer(const TVideoPlayer&) = delete;
  TVideoPlayer& operator=(const TVideoPlayer&) = delete;

  TEngineHandle GetView() const { return FView; }
  TEngineHandle Player() const { return FPlayer; }
  TEngineHandle Preview() const { return FPreview; }

  // Plays a timeline document (a title, or a clip of it once the caller narrows the play
  // time): the track decoders at the video window's size, play time 0 to the title's length.
  void OpenFile(TEngineHandle document);
  // Plays a file through the decoder manager. With `audioOnly` only its sound, and `length`
  // becomes the sound's length (0.0 when the file describes none). False, with nothing
  // opened, when neither decoder opens.
  bool OpenMedia(const WideString& fileName, int32_t mode, double& length, bool audioOnly);
  // Plays what is open; the view's engine window is disabled so it takes no input.
  void Play(TEngineHandle view);
  void Resume();
  // Stops the player and releases the sources and processors.
  void Stop();
  // The length of a file's sound in seconds; 0.0 when the file has none.
  double GetAudioDuration(const WideString& fileName, int32_t mode) const;

  // Shows one transition for 2 seconds, from "TrFrom.jpg" to "TrTo.jpg". When either picture
  // cannot be read the transition is set but not played.
  void PlayTransition(const WideString& transitionId);
  void StopTransition();

  // The sources and processors in use (0 when none); the main window saves snapshots from
  // the video processor.
  TEngineHandle VideoSource() const { return FVideoSource; }
  TEngineHandle AudioSource() const { return FAudioSource; }
  TEngineHandle VideoProcessor() const { return FVideoProcessor; }
  TEngineHandle AudioProcessor() const { return FAudioProcessor; }

 private:
  HWND FNotifyWnd;
  HWND FVideoWnd;
  HWND FTransitionWnd;
  std::string FTransitionFolder;
  TVideoPlayerCalls FCalls;
  TEngineHandle FPlayer = 0;
  TEngineHandle FView = 0;
  TEngineHandle FPreview = 0;
  TEngineHandle FVideoSource = 0;
  TEngineHandle FAudioSource = 0;
  TEngineHandle FVideoProcessor = 0;
  TEngineHandle FAudioProcessor = 0;
  // The sources are the decoder manager's (OpenMedia), not track decoders (OpenFile).
  bool FSourcesFromDecoder = false;
};
