#pragma once

// TIcon: an icon picture: one image of an ICO file (the one nearest the 32 x 32 icon size,
// then the deepest) held as a colour bitmap and a 1-bit mask, drawn through the mask (or
// with its alpha channel when the colour image has one). Files and streams are ICO; a
// loaded file is saved back as it was read. Entries stored as PNG are not read.
//
// HICON belongs to the window manager: Handle and SetHandle go through hooks, the window
// manager's icon calls unless SetIconHooks installs others.

#include "vcl/Bitmap.h"

// The window manager's icon handle; it defines the type in full.
struct HICON__;
using HICON = HICON__*;

struct TIconHooks {
  // Makes an icon from copies of a colour bitmap and a mask.
  HICON (*Create)(HBITMAP color, HBITMAP mask) = nullptr;
  void (*Destroy)(HICON icon) = nullptr;
  // Copies of an icon's bitmaps, which the caller owns; false for a bad handle.
  bool (*GetBitmaps)(HICON icon, HBITMAP* color, HBITMAP* mask) = nullptr;
};
void SetIconHooks(const TIconHooks& hooks);

class TIcon : public TGraphic {
  BRANTWELL_CLASS(TIcon, TGraphic)

 public:
  TIcon();
  ~TIcon() override;

  void Assign(TPersistent* source) override;
  void SetSize(int width, int height) override;

  // The HICON (through the window manager's hook; nullptr without it or for an empty icon).
  HICON Handle();
  // Takes over an icon handle: the icon reads its bitmaps and owns the handle.
  void SetHandle(HICON value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  HICON ReleaseHandle();

  // The picture and its mask (1 where the background shows); nullptr while empty.
  TBitmap* ColorBitmap() const { return FColor.get(); }
  TBitmap* MaskBitmap() const { return FMask.get(); }
  // Makes the icon from copies of a colour bitmap and a mask (a null mask: fully opaque).
  void SetBitmaps(TBitmap* color, TBitmap* mask);

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

 protected:
  bool GetEmpty() const override { return !FColor; }
  int GetWidth() const override { return FColor ? FColor->Width() : 0; }
  int GetHeight() const override { return FColor ? FColor->Height() : 0; }
  void SetWidthImpl(int value) override { SetSize(value, Height()); }
  void SetHeightImpl(int value) override { SetSize(Width(), value); }
  bool GetTransparent() const override { return true; }
  void Draw(TCanvas* canvas, const TRect& rect) override;

 private:
  void Clear();
  void DropHandle();

  std::unique_ptr<TBitmap> FColor;
  std::unique_ptr<TBitmap> FMask;
  RawByteString FData;  // the stream the icon was read from, written back unchanged
  HICON FHandle = nullptr;
};
