#pragma once

// A transition preview: a child window that shows the first of two pictures and, when played,
// animates the chosen transition to the second on a timer. GUI thread only: the object, its
// window and its timer belong to the thread that created the window. The handle table owns the
// object; the window keeps a plain pointer to it (a window property), removed when either goes.

#include <cstdint>
#include <memory>
#include <string>

#include "engines/TransPreview/DibPicture.h"
#include "engines/common/EngineHandles.h"
#include "platform/kernel/WinTypes.h"
#include "platform/user/UserTypes.h"

namespace transpreview {

class TransitionPreview final : public engines::EngineObject {
 public:
  // Throws engines::EngineError when the window cannot be made.
  static std::shared_ptr<TransitionPreview> Create(HWND parent, const RECT& rect);
  ~TransitionPreview() override;

  void SetTransition(std::string id, double seconds);
  // False with the reason when a picture cannot be read; the old pictures stay.
  bool SetPictures(const BITMAPINFO* info1, const void* bits1, const BITMAPINFO* info2, const void* bits2,
                   std::string* why);
  void Play();
  void Stop();
  void Close();  // destroys the window

  HWND Window() const { return m_window; }
  bool Playing() const { return m_playing; }

  // From the window procedure and the timer.
  void OnPaint();
  void OnSize();
  void OnTick(DWORD now);
  void OnWindowGone();

 private:
  TransitionPreview() = default;

  // Draws the frame at `progress` into m_frame and has it painted.
  void ShowProgress(double progress);
  // Fits the pictures into the window's client area again (after a new size or new pictures).
  void Fit();

  HWND m_window = nullptr;
  std::string m_id;
  double m_seconds = 2.0;
  BgraPicture m_first, m_second;          // as the caller gave them
  BgraPicture m_firstFitted, m_secondFitted;  // scaled to m_place's size
  RECT m_place{};                          // where the pictures lie in the client area
  BgraPicture m_frame;                     // the client area as shown
  double m_progress = 0;
  bool m_playing = false;
  bool m_clockStarted = false;
  DWORD m_startTime = 0;
};

}  // namespace transpreview
