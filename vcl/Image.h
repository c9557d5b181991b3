#pragma once

// TImage: a control without a window that shows a picture: at its natural size in the top
// left corner, centred, stretched to the control, or shrunk keeping its proportions. With
// Transparent the picture's own transparency shows what lies behind. The picture is read
// from form files like any other published property.
//
// Owns its picture. GUI thread only.

#include <memory>

#include "vcl/GraphicControl.h"
#include "vcl/Picture.h"

class TImage : public TGraphicControl {
  BRANTWELL_CLASS(TImage, TGraphicControl)

 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  static void DescribeClass(TClassBuilder<TImage>& c);

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* value) { FPicture->Assign(value); }
  bool Center() const { return FCenter; }
  void SetCenter(bool value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

  // Where the picture goes in the control's client area.
  TRect DestRect() const;

 protected:
  void Paint() override;

 private:
  void PictureChanged(TObject* sender);

  std::unique_ptr<TPicture> FPicture;
  bool FCenter = false;
  bool FStretch = false;
  bool FProportional = false;
  bool FTransparent = false;
};
