#pragma once

// THintWindow: the small top-most window that shows a control's hint. The application
// makes one (of HintWindowClass) and moves it to the pointer; CalcHintRect measures a text.
// GUI thread only.

#include "vcl/GraphicControl.h"

// The part of a hint before "|" (shown in the hint window), and the part after it.
AnsiString GetShortHint(const AnsiString& hint);
AnsiString GetLongHint(const AnsiString& hint);

class THintWindow : public TCustomControl {
  BRANTWELL_CLASS(THintWindow, TCustomControl)

 public:
  explicit THintWindow(TComponent* owner);
  // Shows `hint` in `rect` (screen), without taking the activation.
  virtual void ActivateHint(const TRect& rect, const AnsiString& hint);
  // The size the text needs, at most maxWidth wide: (0, 0, width, height).
  virtual TRect CalcHintRect(int maxWidth, const AnsiString& hint);
  // Whether a queued message takes a showing hint away: a button press, a key, a
  // non-client press.
  virtual bool IsHintMsg(const MSG& msg) const;
  void ReleaseHandle();

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void WMEraseBkgnd(TWMEraseBkgnd& m) override;
  void CMHitTest(TMessage& m) override;
};
