#pragma once

// Error-diffusion dithering for the colour quantizer: a ditherer walks the pixels of one image
// row after row in alternating directions (left to right, then right to left), asks a colour
// lookup for the nearest palette colour of each pixel, and spreads the error over the pixels
// still to come. Made for one mapping pass and used by one thread.

#include <array>
#include <cstdint>
#include <vector>

#include "vcl/Object.h"

class TQuantizer;

// Finds the palette entry for a colour.
class TColorLookup : public TObject {
  BRANTWELL_CLASS(TColorLookup, TObject)

 public:
  TColorLookup() = default;
  // The palette index for (R, G, B), with the palette colour's channels.
  virtual int32_t Match(uint8_t R, uint8_t G, uint8_t B, uint8_t& OutR, uint8_t& OutG, uint8_t& OutB) = 0;
};

// Asks a quantizer (not owned) for the index of the opaque colour.
class TOctreeColorLookup : public TColorLookup {
  BRANTWELL_CLASS(TOctreeColorLookup, TColorLookup)

 public:
  explicit TOctreeColorLookup(TQuantizer* Quantizer) : FQuantizer(Quantizer) {}
  int32_t Match(uint8_t R, uint8_t G, uint8_t B, uint8_t& OutR, uint8_t& OutG, uint8_t& OutB) override;

 private:
  TQuantizer* FQuantizer;
};

// The walk over the rows: Column is the pixel being processed, Step the direction (+1 or -1).
class TDitherEngine : public TObject {
  BRANTWELL_CLASS(TDitherEngine, TObject)

 public:
  TDitherEngine(int32_t Width, TColorLookup* Lookup) : FLookup(Lookup), FWidth(Width) {}
  // The palette index for the pixel at Column, with the palette colour's channels; moves
  // Column on by Step.
  virtual int32_t DitherPixel(uint8_t R, uint8_t G, uint8_t B, uint8_t& OutR, uint8_t& OutG, uint8_t& OutB);
  // Moves Column on by Step past a pixel that is not dithered (a transparent one): the
  // lookup is not asked and no error is taken from or spread to the rows.
  void SkipPixel() { FColumn += FStep; }
  // Turns to the next row, in the other direction.
  virtual void NextRow();

  int32_t Step() const { return FStep; }
  int32_t Column() const { return FColumn; }
  int32_t Width() const { return FWidth; }

 protected:
  int32_t FStep = 1;
  int32_t FColumn = 0;
  TColorLookup* FLookup;  // not owned
  int32_t FWidth;
};

// Error diffusion over a window five pixels wide and three rows deep. Each channel keeps three
// rows of accumulators (the current row and the two below), Width + 4 entries with two spare
// at each end, so that column x is entry x + 2.
class T5by3Ditherer : public TDitherEngine {
  BRANTWELL_CLASS(T5by3Ditherer, TDitherEngine)

 public:
  T5by3Ditherer(int32_t Width, TColorLookup* Lookup);
  int32_t DitherPixel(uint8_t R, uint8_t G, uint8_t B, uint8_t& OutR, uint8_t& OutG, uint8_t& OutB) override;
  void NextRow() override;

 protected:
  // Adds Error's shares to the rows at the cursor; forward means in the scan direction,
  // which is FStep (DoubleStep two pixels on).
  virtual void Spread(int32_t* Current, int32_t* Next, int32_t Error, int32_t* AfterNext) = 0;

  int32_t FDoubleStep = 2;
  int32_t FDivisor = 1;

 private:
  enum Channel { Red, Green, Blue };
  // Per channel: the current row, the next and the one after.
  std::array<std::array<std::vector<int32_t>, 3>, 3> FRows;
  int32_t Entry() const { return FColumn + 2; }
};

// The Stucki weights, out of 42, from two columns back to two ahead in the scan direction:
//    .   .   X   8   4
//    2   4   8   4   2
//    1   2   4   2   1
class TStuckiDitherer : public T5by3Ditherer {
  BRANTWELL_CLASS(TStuckiDitherer, T5by3Ditherer)

 public:
  TStuckiDitherer(int32_t Width, TColorLookup* Lookup);

 protected:
  void Spread(int32_t* Current, int32_t* Next, int32_t Error, int32_t* AfterNext) override;
};
