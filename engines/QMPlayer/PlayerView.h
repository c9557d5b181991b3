#pragma once

// One view of a player: a frame window inside a program window, holding the player's own
// window, which always fills the frame (also when the program makes the frame a maximised
// top-level window for full screen). The view has its own video processor of the data
// process engine over a feed of the decoded pictures; its settings apply from the next
// picture, and Reprocess runs the current picture through it again.
//
// Threads: Create, Close, SetMode, SetSourceInfo, Reprocess and the window procedure run on
// the GUI thread; Show runs on the player's presenting thread (or the GUI thread while nothing
// plays). Only the GUI thread touches the windows: Show scales into the back buffer and posts
// kPresentMessage to the player's window, whose procedure invalidates and paints it.
// m_processLock serialises reads of the processor (one reader at a time) and guards
// m_decoded; m_bufferLock guards the back buffer, m_picture, m_clientWidth/Height, m_mode and
// m_shape, and the scaler.

#include <atomic>
#include <memory>
#include <mutex>

#include "engines/QMPlayer/FeedSource.h"
#include "engines/QMPlayer/PictureGeometry.h"
#include "engines/QMPlayer/PlayerApi.h"

namespace player {

// Posted by engine threads to the engine's own windows: a new picture is ready to be painted.
constexpr UINT kPresentMessage = 0x8000 + 0x151;  // WM_APP + 0x151

// The window classes of the engine's windows, registered once.
void RegisterWindowClasses();

class PlayerView final : public engines::EngineObject {
 public:
  // Throws engines::EngineError when a window or the processor cannot be made.
  static std::shared_ptr<PlayerView> Create(HWND parent, const RECT& rect, bool customSize, int width, int height);
  ~PlayerView() override;

  // Destroys the windows and the processor. GUI thread.
  void Close();

  HWND PlayerWindow() const { return m_playerWindow; }
  EngineHandle ProcessorHandle() const { return m_processor; }
  int32_t Mode();
  void SetMode(int32_t mode);
  // The processor's crop rectangle in source pixels; an empty crop edge reads as the picture's.
  bool CropRect(RECT& rect);
  void SetSourceInfo(const engines::media::TVideoInfo& info, double duration);

  void Show(const engines::media::VideoFrame& decoded);
  void Reprocess();
  void ShowBlack();

  // Window procedure parts (GUI thread).
  void OnPaint(HWND hwnd);
  void OnPresent(HWND hwnd);
  void OnSize(int width, int height);
  void ForgetWindows();

 private:
  PlayerView() = default;
  void Process();                 // m_processLock held
  void Render(bool post);         // m_bufferLock held
  PictureShape ShapeLocked() const;

  HWND m_frameWindow = nullptr;
  HWND m_playerWindow = nullptr;
  bool m_customSize = false;
  int m_customWidth = 0, m_customHeight = 0;
  std::shared_ptr<FeedSource> m_feed;
  EngineHandle m_feedHandle = 0;
  EngineHandle m_processor = 0;
  std::shared_ptr<engines::media::MediaSource> m_processorSource;

  std::mutex m_processLock;
  engines::media::VideoFrame m_decoded;  // the current picture as decoded

  std::mutex m_bufferLock;
  engines::media::FramePtr m_picture;  // the current picture as processed
  BgraBuffer m_back;
  int m_clientWidth = 0, m_clientHeight = 0;
  int32_t m_mode = 1;
  PictureShape m_shape;
  Scaler m_scaler;
  Scaler m_placer;  // m_processLock held: custom-size placement
  std::atomic<bool> m_presentPosted{false};
  std::atomic<bool> m_loggedProcessFailure{false};
};

}  // namespace player
