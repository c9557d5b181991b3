#pragma once

// The catalogue's renderers, one function per transition. Each draws one in-between frame
// (0 < progress < 1) of its transition; the catalogue (Catalogue.cpp) names and orders them.

#include "engines/TransMgr/Drawing.h"

namespace engines::transitions::render {

// Fades (MaskTransitions.cpp).
void CrossFade(const Frame& frame);
void FadeThroughBlack(const Frame& frame);
void FadeThroughWhite(const Frame& frame);

// Wipes: a soft edge crossing the picture.
void WipeFromLeft(const Frame& frame);
void WipeFromRight(const Frame& frame);
void WipeFromTop(const Frame& frame);
void WipeFromBottom(const Frame& frame);
void WipeFromTopLeft(const Frame& frame);
void WipeFromTopRight(const Frame& frame);
void WipeFromBottomLeft(const Frame& frame);
void WipeFromBottomRight(const Frame& frame);
void ClockWipe(const Frame& frame);
void BarnDoorsVertical(const Frame& frame);
void BarnDoorsHorizontal(const Frame& frame);

// Shapes growing from or shrinking to the centre.
void CircleOpen(const Frame& frame);
void CircleClose(const Frame& frame);
void DiamondOpen(const Frame& frame);
void IrisBox(const Frame& frame);

// Patterns.
void BlindsHorizontal(const Frame& frame);
void BlindsVertical(const Frame& frame);
void Checkerboard(const Frame& frame);
void Dissolve(const Frame& frame);

// Slides, pushes and zooms (MotionTransitions.cpp).
void SlideFromLeft(const Frame& frame);
void SlideFromRight(const Frame& frame);
void SlideFromTop(const Frame& frame);
void SlideFromBottom(const Frame& frame);
void PushFromLeft(const Frame& frame);
void PushFromRight(const Frame& frame);
void PushFromTop(const Frame& frame);
void PushFromBottom(const Frame& frame);
void ZoomIn(const Frame& frame);
void ZoomOut(const Frame& frame);
void CrossZoom(const Frame& frame);

}  // namespace engines::transitions::render
