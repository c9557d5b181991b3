#pragma once

// TBitmap: a picture of pixels held as a GDI bitmap, by default a DIB section (bottom-up,
// as the GDI creates them) whose rows are reachable through ScanLine, top row first
// whatever the orientation. Pixel formats: 1, 4 and 8 bits with a colour table, 15 and 16
// bits (5-5-5 and 5-6-5), 24 bits (blue, green, red) and 32 bits (blue, green, red, alpha);
// pfDevice is a device-dependent bitmap, turned into a 32-bit DIB section when its rows are
// asked for. Changing the format converts the pixels (to the nearest colour of the table
// for the indexed formats).
//
// The canvas draws into the bitmap through a memory DC made on demand; drawing on it
// raises the bitmap's OnChange. Files and streams are BMP: every header version and the
// RLE compressions are read, the 40-byte header is written.
//
// Transparency: a transparent bitmap is drawn without the pixels of its transparent colour:
// the colour set (tmFixed) or the colour of its bottom-left pixel (tmAuto).
//
// A bitmap is used by one thread at a time; a worker that draws on a bitmap's canvas holds
// the canvas lock.

#include "platform/gdi/PictureReader.h"
#include "vcl/Graphic.h"

BRANTWELL_ENUM(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom)
BRANTWELL_ENUM(TTransparentMode, tmAuto, tmFixed)
BRANTWELL_ENUM(TBitmapHandleType, bmDIB, bmDDB)
BRANTWELL_ENUM(TAlphaFormat, afIgnored, afDefined, afPremultiplied)

// Bytes of one row of pixelsPerScanline pixels, padded to a multiple of alignment bits.
int BytesPerScanline(int pixelsPerScanline, int bitsPerPixel, int alignment);
// Bits per pixel of a format; 0 for pfDevice and pfCustom.
int PixelFormatBits(TPixelFormat format);

class TBitmapCanvas;

class TBitmap : public TGraphic {
  BRANTWELL_CLASS(TBitmap, TGraphic)

 public:
  TBitmap();
  TBitmap(int width, int height, TPixelFormat format = pf32bit);
  ~TBitmap() override;

  void Assign(TPersistent* source) override;
  void SetSize(int width, int height) override;

  TCanvas* Canvas();
  // The bitmap handle; nullptr while the bitmap is empty.
  HBITMAP Handle();
  // Takes over a bitmap handle (DIB section or device-dependent bitmap); the bitmap
  // deletes it later. nullptr empties the bitmap.
  void SetHandle(HBITMAP value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Gives the handle to the caller, who then owns it; the bitmap becomes empty.
  HBITMAP ReleaseHandle();
  TBitmapHandleType HandleType() const { return FHandleType; }
  void SetHandleType(TBitmapHandleType value);

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat value);
  bool Monochrome() const { return FPixelFormat == pf1bit; }
  void SetMonochrome(bool value) { SetPixelFormat(value ? pf1bit : pf32bit); }
  TAlphaFormat AlphaFormat() const { return FAlphaFormat; }
  void SetAlphaFormat(TAlphaFormat value);

  // The first byte of a row; row 0 is the top row. Raises EInvalidGraphic outside the
  // bitmap ("Scan line index out of range").
  void* ScanLine(int row);
  // True when the rows lie top-down in memory.
  bool TopDown() const { return FTopDown; }

  TColor TransparentColor();
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode value);

  // Releases the canvas's memory DC; the pixels stay.
  void Dormant();
  // Nothing is kept beside the handle, so there is nothing to free.
  void FreeImage() {}

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

 protected:
  bool GetEmpty() const override { return FHandle == nullptr; }
  int GetWidth() const override { return FWidth; }
  int GetHeight() const override { return FHeight; }
  void SetWidthImpl(int value) override { SetSize(value, FHeight); }
  void SetHeightImpl(int value) override { SetSize(FWidth, value); }
  void Draw(TCanvas* canvas, const TRect& rect) override;
  // Form data: a 32-bit length, then the BMP bytes.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

 private:
  friend class TBitmapCanvas;
  void DetachCanvas();
  // Replaces the bitmap's handle with a new one it owns.
  void Adopt(HBITMAP handle);
  void CanvasChanged(TObject* sender);

  HBITMAP FHandle = nullptr;
  uint8_t* FBits = nullptr;  // DIB sections only
  int FStride = 0;
  bool FTopDown = false;
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pf32bit;
  TBitmapHandleType FHandleType = bmDIB;
  TAlphaFormat FAlphaFormat = afIgnored;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};

// The canvas of a bitmap: a memory DC with the bitmap selected, made when drawing needs it.
class TBitmapCanvas : public TCanvas {
  BRANTWELL_CLASS(TBitmapCanvas, TCanvas)

 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  TBitmapCanvas() = delete;
  ~TBitmapCanvas() override;
  // Lets go of the memory DC (the bitmap is selected out first).
  void FreeContext();

 protected:
  void CreateHandle() override;

 private:
  TBitmap* FBitmap;
  HDC FContext = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
};

namespace vcl::detail {
// Colour tables of new indexed bitmaps: black and white, the 16 standard colours, and 256
// entries (the 16, a 6x6x6 colour cube and grays).
std::vector<RGBQUAD> DefaultColorTable(int bitsPerPixel);
// Makes a DIB section; for 15/16 bits the masks of 5-5-5 or 5-6-5.
HBITMAP CreateSection(TPixelFormat format, int width, int height, bool topDown, const std::vector<RGBQUAD>& colors,
                      void** bits);
// A DIB section holding a decoded DIB in its own depth and row order; bit fields other than
// 5-5-5, 5-6-5 and 8-8-8(-8) become 32-bit pixels. Throws EOutOfResources.
HBITMAP SectionFromDib(const platform::picture::Dib& dib);
}  // namespace vcl::detail
