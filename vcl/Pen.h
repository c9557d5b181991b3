#pragma once

// TPen: the colour, width, style and raster mode of lines and outlines. The HPEN is made on
// demand and owned; Mode is not part of the handle: the canvas sets it as the DC's ROP2.

#include "vcl/GraphicsObject.h"

BRANTWELL_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle,
               psAlternate)
BRANTWELL_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
               pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)

// The ROP2 code of a pen mode.
int PenModeToROP2(TPenMode mode);

class TPen : public TGraphicsObject {
  BRANTWELL_CLASS(TPen, TGraphicsObject)

 public:
  TPen() = default;
  ~TPen() override;

  void Assign(TPersistent* source) override;
  bool HandleAllocated() const override { return FHandle != nullptr; }

  HPEN Handle();
  // Takes over a pen handle and its description; the pen deletes it later.
  void SetHandle(HPEN value);

  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int Width() const { return FWidth; }
  void SetWidth(int value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode value);

  static void DescribeClass(TClassBuilder<TPen>& c);

 private:
  void Change(bool dropHandle);

  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
  HPEN FHandle = nullptr;
};
