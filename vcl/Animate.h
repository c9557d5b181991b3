#pragma once

// TAnimate: the standard animation control over the platform's "SysAnimate32". It plays one
// of the common clips (only aviFindFolder, the searching clip, is offered), frames numbered
// from 1; Active plays from StartFrame to StopFrame (0: the last) Repetitions times (0: for
// ever). Center centres the frame in the control; Transparent shows the parent's colour
// through the clip; AutoSize sizes the control to one frame when a clip opens. What is set
// before the window exists is applied when it is made.
//
// GUI thread only.

#include "vcl/WinControl.h"

BRANTWELL_ENUM(TCommonAVI, aviNone, aviFindFolder)

class TAnimate : public TWinControl {
  BRANTWELL_CLASS(TAnimate, TWinControl)

 public:
  explicit TAnimate(TComponent* owner);
  static void DescribeClass(TClassBuilder<TAnimate>& c);

  bool Active() const { return FActive; }
  void SetActive(bool value);
  TCommonAVI CommonAVI() const { return FCommonAVI; }
  void SetCommonAVI(TCommonAVI value);
  bool Center() const { return FCenter; }
  void SetCenter(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  int Repetitions() const { return FRepetitions; }
  void SetRepetitions(int value) { FRepetitions = value < 0 ? 0 : value; }
  int StartFrame() const { return FStartFrame; }
  void SetStartFrame(int value) { FStartFrame = value < 1 ? 1 : value; }
  int StopFrame() const { return FStopFrame; }
  void SetStopFrame(int value) { FStopFrame = value < 0 ? 0 : value; }

  // The open clip's frames and frame size; 0 without a clip.
  bool Open() const { return FFrameCount > 0; }
  int FrameCount() const { return FFrameCount; }
  int FrameWidth() const { return FFrameWidth; }
  int FrameHeight() const { return FFrameHeight; }

  // Plays frames From to To (1-based; To 0 for the last) Count times (0: for ever). Raises
  // EInvalidOperation without an open clip.
  void Play(int fromFrame, int toFrame, int count);
  void Stop();
  // Shows one frame (1-based) without playing.
  void Seek(int frame);
  // Stops and shows the first frame.
  void Reset();

  TNotifyEvent OnOpen;
  TNotifyEvent OnClose;
  TNotifyEvent OnStart;
  TNotifyEvent OnStop;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& message) override;

 private:
  void OpenClip();
  void CloseClip();
  void CheckOpen();

  bool FActive = false;
  TCommonAVI FCommonAVI = aviNone;
  bool FCenter = true;
  bool FTransparent = true;
  bool FAutoSize = true;
  int FRepetitions = 0;
  int FStartFrame = 1;
  int FStopFrame = 0;
  int FFrameCount = 0;
  int FFrameWidth = 0;
  int FFrameHeight = 0;
};
