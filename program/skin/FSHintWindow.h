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
  // True for a message that takes a showing hint away: the class library's (a key, a press)
  // and every press on a window's frame; never a move over a frame.
  bool IsHintMsg(const MSG& msg) const override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CMTextChanged(TMessage& m) override;

 private:
  bool FActivating = false;
  DWORD FLastActivation = 0;
};

// The hint window class the application makes its hint window of.
THintWindow* CreateFSHintWindow(TComponent* owner);
