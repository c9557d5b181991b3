#pragma once

// The two pictures every transition preview plays between, drawn with cairo: a warm dusk
// landscape (sun low on the right, hills, a tree on the left) and a cool mountain lake
// (peaks on the left, water below, pines and a sail on the right), so that every transition
// reads at a glance.

#include "tools/transgen/PictureFiles.h"

namespace transgen {

constexpr int kSceneWidth = 480, kSceneHeight = 360;

Bitmap DrawDuskLandscape();
Bitmap DrawMountainLake();

}  // namespace transgen
