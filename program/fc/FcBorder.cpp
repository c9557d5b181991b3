#include "program/fc/FcBorder.h"

#include "program/fc/FcSetter.h"
#include "vcl/TypInfo.h"
#include "vcl/WinControl.h"

TFcBorder::TFcBorder(TComponent* owner) : TGraphicControl(owner) {
  SetCaption("");
  SetBounds(Left(), Top(), 50, 50);
}

TFcBorder::~TFcBorder() {
  if (FFrameController) FFrameController->RemoveControl(this);
}

void TFcBorder::DescribeClass(TClassBuilder<TFcBorder>& c) {
  using T = TFcBorder;
  c.Property("BevelWidth", &T::BevelWidth, &T::SetBevelWidth).Default(1);
  c.Property("BorderInner", &T::BorderInner, &T::SetBorderInner).Default(fsNone);
  c.Property("BorderOuter", &T::BorderOuter, &T::SetBorderOuter).Default(fsGroove);
  c.Property("BorderWidth", &T::BorderWidth, &T::SetBorderWidth).Default(0);
  c.Property("BorderColor", &T::BorderColor, &T::SetBorderColor).Type(ColorTypeInfo()).Default(clBtnFace);
  c.Property("BorderHighlight", &T::BorderHighlight, &T::SetBorderHighlight).Type(ColorTypeInfo()).Default(clBtnHighlight);
  c.Property("BorderShadow", &T::BorderShadow, &T::SetBorderShadow).Type(ColorTypeInfo()).Default(clBtnShadow);
  c.Property("BorderSides", &T::BorderSides, &T::SetBorderSides).Default(AllSides.Bits());
  c.Property("FlatColor", &T::FlatColor, &T::SetFlatColor).Type(ColorTypeInfo()).Default(clBtnShadow);
  c.Property("FlatColorAdjustment", &T::FlatColorAdjustment, &T::SetFlatColorAdjustment).Default(30);
  c.Property("FrameController", &T::FrameController, &T::SetFrameController);
  c.Property("FrameControllerNotifications", &T::FrameControllerNotifications, &T::SetFrameControllerNotifications)
      .Default(AllFrameNotifications);
}

TRect TFcBorder::ClientRect() { return FrameInset(inherited::ClientRect()); }

TRect TFcBorder::FrameInset(TRect r) {
  r = TRect(r.Left + FBorderWidth, r.Top + FBorderWidth, r.Right - FBorderWidth, r.Bottom - FBorderWidth);
  r = FrameStylesInset(r, FBorderOuter, FBorderInner, FBorderSides, FBevelWidth);
  if (r.Right < r.Left || r.Bottom < r.Top) return TRect();
  return r;
}

void TFcBorder::Paint() {
  TFrameSet f;
  f.Outer = FBorderOuter;
  f.Inner = FBorderInner;
  f.BorderWidth = FBorderWidth;
  f.Sides = FBorderSides;
  f.BevelWidth = FBevelWidth;
  f.BorderColor = FBorderColor;
  f.BorderHighlight = FBorderHighlight;
  f.BorderShadow = FBorderShadow;
  f.FlatColor = FFlatColor;
  f.FlatColorAdjustment = FFlatColorAdjustment;
  f.ControlColor = FrameControlColor();
  f.ParentColor = Parent() ? Parent()->Color() : clBtnFace;
  f.Transparent = !ControlStyle().Contains(csOpaque);
  DrawFrameSet(Canvas(), TRect(0, 0, Width(), Height()), f);
}

void TFcBorder::FrameSettingsChanged() {
  TakeFrameSettings(this, FFrameController, FFrameControllerNotifications,
                    {FBorderOuter, FBorderSides, FFlatColor, FFlatColorAdjustment, FBorderHighlight, FBorderShadow});
}

#define FC_BORDER_SETTER(Name, Type, Field) FC_DEFINE_SETTER(TFcBorder, Name, Type, Field, Invalidate())

FC_BORDER_SETTER(BevelWidth, int, FBevelWidth)
FC_BORDER_SETTER(BorderColor, TColor, FBorderColor)
FC_BORDER_SETTER(BorderHighlight, TColor, FBorderHighlight)
FC_BORDER_SETTER(BorderInner, TFrameStyleEx, FBorderInner)
FC_BORDER_SETTER(BorderOuter, TFrameStyleEx, FBorderOuter)
FC_BORDER_SETTER(BorderShadow, TColor, FBorderShadow)
FC_BORDER_SETTER(BorderSides, TSides, FBorderSides)
FC_BORDER_SETTER(BorderWidth, int, FBorderWidth)
FC_BORDER_SETTER(FlatColor, TColor, FFlatColor)
FC_BORDER_SETTER(FlatColorAdjustment, int, FFlatColorAdjustment)

#undef FC_BORDER_SETTER

void TFcBorder::SetFrameController(TFcFrameController* value) {
  ConnectFrameController(this, FFrameController, value);
}

void TFcBorder::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == FFrameController) FFrameController = nullptr;
}

void TFcBorder::CMMouseEnter(TCMMouseEnterLeave& m) {
  if (ComponentState().Contains(csDesigning)) return;
  inherited::CMMouseEnter(m);
}
