#pragma once

// TFcBorder: a window-less control that draws a frame (outer style, a solid ring, inner
// style) and reports the area inside it as its client rectangle, so that subclasses paint
// inside the frame. It can follow a TFcFrameController (it reads the controller itself when
// told). It is the base of the colour picker.
//
// GUI thread only.

#include "program/fc/FcDraw.h"
#include "program/fc/FcFrameController.h"
#include "vcl/GraphicControl.h"

class TFcBorder : public TGraphicControl, public IFrameSettingsReceiver {
  BRANTWELL_CLASS(TFcBorder, TGraphicControl)

 public:
  explicit TFcBorder(TComponent* owner);
  ~TFcBorder() override;
  static void DescribeClass(TClassBuilder<TFcBorder>& c);

  // The control's rectangle less the frame; (0, 0, 0, 0) when the frame leaves nothing.
  TRect ClientRect() override;

  int BevelWidth() const { return FBevelWidth; }
  virtual void SetBevelWidth(int value);
  TColor BorderColor() const { return FBorderColor; }
  virtual void SetBorderColor(TColor value);
  TColor BorderHighlight() const { return FBorderHighlight; }
  virtual void SetBorderHighlight(TColor value);
  TFrameStyleEx BorderInner() const { return FBorderInner; }
  virtual void SetBorderInner(TFrameStyleEx value);
  TFrameStyleEx BorderOuter() const { return FBorderOuter; }
  virtual void SetBorderOuter(TFrameStyleEx value);
  TColor BorderShadow() const { return FBorderShadow; }
  virtual void SetBorderShadow(TColor value);
  TSides BorderSides() const { return FBorderSides; }
  virtual void SetBorderSides(TSides value);
  int BorderWidth() const { return FBorderWidth; }
  virtual void SetBorderWidth(int value);
  TColor FlatColor() const { return FFlatColor; }
  virtual void SetFlatColor(TColor value);
  int FlatColorAdjustment() const { return FFlatColorAdjustment; }
  virtual void SetFlatColorAdjustment(int value);
  TFcFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TFcFrameController* value);
  TFcFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TFcFrameControllerNotifications value) {
    FFrameControllerNotifications = value;
  }

  // Takes the frame controller's settings that the notification set names (only while the
  // controller's frame is visible).
  void FrameSettingsChanged() override;

 protected:
  // The rectangle less the frame.
  virtual TRect FrameInset(TRect rect);
  // The colour inside the frame handed to the drawing (rounded frames fill their corners
  // with it); the border draws none.
  virtual TColor FrameControlColor() { return 0x0000FFFF; }
  void Paint() override;
  void Notification(TComponent* component, TOperation operation) override;
  void CMMouseEnter(TCMMouseEnterLeave& m) override;

  int FBevelWidth = 1;
  TFrameStyleEx FBorderInner = fsNone;
  TFrameStyleEx FBorderOuter = fsGroove;
  int FBorderWidth = 0;
  TColor FBorderColor = clBtnFace;
  TColor FBorderHighlight = clBtnHighlight;
  TColor FBorderShadow = clBtnShadow;
  TSides FBorderSides = AllSides;
  TColor FFlatColor = clBtnShadow;
  int FFlatColorAdjustment = 30;
  TFcFrameController* FFrameController = nullptr;
  TFcFrameControllerNotifications FFrameControllerNotifications =
      TFcFrameControllerNotifications::FromBits(AllFrameNotifications);
};
