#pragma once

// TFSHintWindow: the program's hint window. It is shown as the class library's hint window
// is, kept inside the desktop, owned by the desktop (so it has no task-bar button and does
// not follow the application window), and sized to its text when the text changes. A press
// on a window's frame takes it away; moving the pointer within a caption does not, so the
// hint of a caption button survives the moves over it. GUI thread.

#include "vcl/HintWindow.h"

class TFSHintWindow : public THintWindow {
  BRANTWELL_CLASS(TFSHintWindow, THintWindow)

 public:
  explicit TFSHintWindow(TComponent* owner);
  void ActivateHint(const TRect& rect, const AnsiString& hint) override;
  // True for a message that takes a showing hint away: a key, a press (the frame's presses
  // too); never a move over a window's frame.
  virtual bool IsHintMsg(const MSG& msg) const;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CMTextChanged(TMessage& m) override;

 private:
  bool FActivating = false;
  DWORD FLastActivation = 0;
};

// The hint window class the application makes its hint window of.
THintWindow* CreateFSHintWindow(TComponent* owner);
