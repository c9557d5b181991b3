#pragma once

// Colour reduction for the GIF saver: TOctreeQuantizer turns any GDI+ image into an 8-bit
// indexed GDI+ bitmap with a palette made for it. A first pass counts every colour of the
// image into an octree, which is then cut down to the palette size; a second pass maps every
// pixel through a Stucki ditherer that scans the rows in alternating directions.
//
// A quantizer is made for one Quantize call on one thread; it owns its octree.

#include <cstdint>
#include <memory>
#include <vector>

#include "program/imaging/GPImage.h"
#include "vcl/Object.h"

class TQuantizer : public TObject {
  BRANTWELL_CLASS(TQuantizer, TObject)

 public:
  // OnePass skips the counting pass: the palette comes from what the quantizer knows already.
  explicit TQuantizer(bool OnePass) : FOnePass(OnePass) {}

  // A new 8-bit indexed bitmap (PixelFormat8bppIndexed) of the image's size, owned by the
  // caller. A failing GDI+ call raises the exception of its status (GPExceptions.h); no
  // image at all raises ArgumentException.
  std::unique_ptr<TGPBitmap> Quantize(TGPImage* Image);

  // The palette index of a pixel (32-bit ARGB) and the palette colour it stands for.
  virtual int32_t PixelIndex(uint32_t Pixel, uint32_t& Color) = 0;
  bool OnePass() const { return FOnePass; }

 protected:
  virtual void CountPixel(uint32_t /*Pixel*/) {}
  // Every pixel of the locked 32-bit ARGB rows goes to CountPixel.
  virtual void ScanColors(const BitmapData& Data, int32_t Width, int32_t Height);
  // Writes the palette index of every source pixel into Output, through a Stucki ditherer.
  // Fully transparent pixels take PixelIndex's answer as it stands and spread no error.
  virtual void MapPixels(const BitmapData& Source, TGPBitmap& Output, const GpRect& Bounds, int32_t Height,
                         int32_t Width);
  virtual void FillPalette(TGPColorPalette& Palette) = 0;

 private:
  bool FOnePass;
};

class TOctree;

// Octree quantization to at most ColorLimit - 1 colours. Palette entry ColorLimit is the
// index of fully transparent pixels (alpha 0), which are left out of the colour count: it is
// transparent (0x00000000) when the counted image had such pixels, else opaque black.
class TOctreeQuantizer : public TQuantizer {
  BRANTWELL_CLASS(TOctreeQuantizer, TQuantizer)

 public:
  // Colors from 1 to 255, Bits (the octree's depth: significant bits per channel) from 1 to
  // 8; raises Exception otherwise.
  TOctreeQuantizer(int32_t Colors, int32_t Bits);
  ~TOctreeQuantizer() override;

  int32_t PixelIndex(uint32_t Pixel, uint32_t& Color) override;
  TOctree* Tree() const { return FTree.get(); }
  int32_t ColorLimit() const { return FColorLimit; }

 protected:
  void CountPixel(uint32_t Pixel) override;
  void FillPalette(TGPColorPalette& Palette) override;

 private:
  std::unique_ptr<TOctree> FTree;
  int32_t FColorLimit;
  bool FHasTransparency = false;  // the counting pass met a pixel with alpha 0
};

class TOctreeNode;

// The colours of an image, one level per bit of each channel from the most significant down.
// Every non-leaf node sits in the list of its level, newest first: reduction folds the newest
// node of the deepest level into a leaf.
class TOctree : public TObject {
  BRANTWELL_CLASS(TOctree, TObject)

 public:
  explicit TOctree(int32_t Bits);
  ~TOctree() override;

  void Insert(uint32_t Pixel);
  // Folds nodes until at most ColorCount leaves remain (or nothing can be folded), numbers
  // the leaves depth first and returns their colours (opaque ARGB) in that order.
  std::vector<uint32_t> BuildPalette(int32_t ColorCount);
  // Folds the newest node of the deepest level; false when no node is left to fold.
  bool ReduceOne();
  // The leaf a pixel falls into: its palette index and colour. A node without children
  // answers index 0 in opaque black.
  int32_t FindIndex(uint32_t Pixel, uint32_t& Color) const;

  int32_t Leaves() const { return FLeaves; }
  int32_t Depth() const { return FDepth; }

 private:
  friend class TOctreeNode;

  int32_t FLeaves = 0;
  int32_t FDepth;
  uint32_t FLastColor = 0;
  TOctreeNode* FLevelLists[8] = {};
  TOctreeNode* FLastLeaf = nullptr;
  std::unique_ptr<TOctreeNode> FRoot;
};

class TOctreeNode : public TObject {
  BRANTWELL_CLASS(TOctreeNode, TObject)

 public:
  TOctreeNode(int32_t Level, TOctree* Tree);
  ~TOctreeNode() override;

  void Insert(uint32_t Pixel, int32_t Depth, int32_t Level, TOctree* Tree);
  // The average colour of the pixels counted here, opaque; black when none were.
  uint32_t Color() const;

  std::unique_ptr<TOctreeNode> Children[8];
  uint64_t RedSum = 0;  // 64 bits: a large one-colour picture passes 2^32 / 255 pixels
  uint64_t GreenSum = 0;
  uint64_t BlueSum = 0;
  bool IsLeaf = false;
  TOctreeNode* NextInLevel = nullptr;
  int32_t ColorIndex = 0;
  uint32_t Pixels = 0;
};

// The child of a node at Level (0 to 7) that a pixel goes to: one bit of red, green and blue.
constexpr int OctreeChildIndex(uint32_t Pixel, int Level) {
  const uint32_t mask = 0x80u >> Level;
  const int shift = 7 - Level;
  return static_cast<int>((((Pixel >> 16) & mask) >> shift) * 4 + (((Pixel >> 8) & mask) >> shift) * 2 +
                          ((Pixel & mask) >> shift));
}
