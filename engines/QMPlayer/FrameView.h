#pragma once

// A frame view: a child window that shows pictures another thread hands over (the
// converter's previews, planar YUV 4:2:0), letterboxed on black. Show copies the picture
// under m_mutex and posts kPresentMessage; the window procedure (GUI thread) converts and
// paints it. m_mutex guards m_picture and m_changed; m_back and the scaler
// belong to the GUI thread.

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "engines/QMPlayer/PictureGeometry.h"
#include "engines/QMPlayer/PlayerApi.h"

namespace player {

void RegisterFrameViewClass();

class FrameView final : public engines::EngineObject {
 public:
  // GUI thread. Throws engines::EngineError when the window cannot be made.
  static std::shared_ptr<FrameView> Create(HWND parent, const RECT& rect);
  void Close();  // GUI thread
  HWND Window() const { return m_window; }

  // Any thread. nullptr shows black. False for a picture it cannot read.
  bool Show(const QEPreviewFrame* frame);

  void OnPaint(HWND hwnd);  // GUI thread
  void OnPresent(HWND hwnd);

 private:
  FrameView() = default;

  HWND m_window = nullptr;
  std::mutex m_mutex;
  engines::media::FramePtr m_picture;  // planar 4:2:0; null shows black
  bool m_changed = true;
  std::atomic<bool> m_presentPosted{false};
  BgraBuffer m_back;
  Scaler m_scaler;
};

}  // namespace player
