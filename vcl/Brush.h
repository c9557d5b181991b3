#pragma once

// TBrush: the fill of shapes and of text backgrounds: a solid colour, a hatch over the
// background, a pattern bitmap, or nothing (bsClear). The HBRUSH is made on demand and
// owned. A pattern bitmap is not owned: it must outlive the brush's use of it.

#include "vcl/GraphicsObject.h"

class TBitmap;

BRANTWELL_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
               bsDiagCross)

class TBrush : public TGraphicsObject {
  BRANTWELL_CLASS(TBrush, TGraphicsObject)

 public:
  TBrush() = default;
  ~TBrush() override;

  void Assign(TPersistent* source) override;
  bool HandleAllocated() const override { return FHandle != nullptr; }

  HBRUSH Handle();
  // Takes over a brush handle and its description; the brush deletes it later.
  void SetHandle(HBRUSH value);

  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value);
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* value);

  static void DescribeClass(TClassBuilder<TBrush>& c);

 private:
  void Change();

  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
  HBRUSH FHandle = nullptr;
};
