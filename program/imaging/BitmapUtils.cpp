#include "program/imaging/BitmapUtils.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/DC.h"
#include "platform/gdi/Objects.h"
#include "program/imaging/ColorBlend.h"

namespace {

// rect clipped to a bitmap of the given size; empty when nothing is left.
TRect ClipToBitmap(const TRect& rect, int width, int height) {
  TRect clipped;
  clipped.Left = std::clamp<LONG>(rect.Left, 0, width);
  clipped.Top = std::clamp<LONG>(rect.Top, 0, height);
  clipped.Right = std::clamp<LONG>(rect.Right, clipped.Left, width);
  clipped.Bottom = std::clamp<LONG>(rect.Bottom, clipped.Top, height);
  return clipped;
}

// The gray of a colour, in the rounding the skins were drawn for.
uint8_t Gray(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint8_t>((77 * red + 150 * green + 29 * blue + 128) >> 8);
}

// Colour matrix of the grayed drawing: each colour channel 0.299 R + 0.587 G + 0.114 B.
ColorMatrix GrayMatrix() {
  ColorMatrix m{};
  for (int column = 0; column < 3; ++column) {
    m.m[0][column] = 0.299f;
    m.m[1][column] = 0.587f;
    m.m[2][column] = 0.114f;
  }
  m.m[3][3] = 1;
  m.m[4][4] = 1;
  return m;
}

}  // namespace

// ---- loaders ----------------------------------------------------------------------------

TGPGraphic* LoadGPGraphicFile(const AnsiString& fileName) {
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    auto graphic = std::make_unique<TGPGraphic>();
    graphic->SetBitmapMode(true);
    graphic->LoadFromStream(stream);
    return graphic.release();
  } catch (const std::exception&) {
    return nullptr;
  }
}

TGraphic* LoadImageAsBitmap(const AnsiString& fileName) {
  auto picture = std::make_unique<TPNGImage>();
  try {
    picture->LoadFromFile(fileName);
  } catch (const std::exception&) {
    return nullptr;
  }
  TGPImage* image = picture->GetGPImage();
  if (!image) return nullptr;
  try {
    if (image->GetFrameDimensionsCount() > 1) return picture.release();
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(picture.get());
    bitmap->SetPixelFormat((image->GetFlags() & ImageFlagsHasAlpha) ? pf32bit : pf24bit);
    return bitmap.release();
  } catch (const std::exception&) {
    // A half-converted bitmap is of no use to anyone.
    return nullptr;
  }
}

TBitmap* LoadBitmapFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromStream(stream);
  bitmap->SetPixelFormat(pf24bit);
  return bitmap.release();
}

// ---- drawing ----------------------------------------------------------------------------

void DrawGraphicGrayed(TCanvas* canvas, TGraphic* graphic, const TRect& rect) {
  if (!canvas || !graphic) return;
  if (auto* picture = dynamic_cast<TGPGraphic*>(graphic)) {
    if (!picture->GetGPImage()) return;
    TGPGraphics graphics(canvas->Handle());
    TGPImageAttributes attributes;
    attributes.SetColorMatrix(GrayMatrix(), ColorAdjustTypeBitmap);
    graphics.DrawImage(picture->GetGPImage(), MakeRect(rect), 0, 0, picture->Width(), picture->Height(), UnitPixel,
                       &attributes);
    return;
  }
  TBitmap copy;
  copy.Assign(graphic);
  copy.SetPixelFormat(pf24bit);
  canvas->StretchDraw(rect, &copy);
}

void StretchDrawToDC(TGraphic* graphic, HDC dc, const TRect& rect) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  try {
    canvas.StretchDraw(rect, graphic);
  } catch (...) {
    canvas.SetHandle(nullptr);
    throw;
  }
  canvas.SetHandle(nullptr);
}

// ---- copies and alpha -------------------------------------------------------------------

void GrayBitmap(TBitmap* bitmap, TColor transparentColor) {
  if (!bitmap || bitmap->Empty()) return;
  if (bitmap->PixelFormat() != pf24bit && bitmap->PixelFormat() != pf32bit) bitmap->SetPixelFormat(pf24bit);
  const int step = bitmap->PixelFormat() == pf32bit ? 4 : 3;
  const bool all = transparentColor == clNone;
  const COLORREF key = all ? 0 : ColorToRGB(transparentColor);
  for (int y = 0; y < bitmap->Height(); ++y) {
    auto* pixel = static_cast<uint8_t*>(bitmap->ScanLine(y));
    for (int x = 0; x < bitmap->Width(); ++x, pixel += step) {
      const uint8_t blue = pixel[0], green = pixel[1], red = pixel[2];
      if (!all && static_cast<COLORREF>(red + green * 256 + blue * 65536) == key) continue;
      pixel[0] = pixel[1] = pixel[2] = Gray(red, green, blue);
    }
  }
}

TBitmap* CreatePartBitmap(TBitmap* source, const TRect& rect, int mode, TColor) {
  if (!source) return nullptr;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(mode == 2 ? pf32bit : pf24bit);
  bitmap->SetSize(std::max<LONG>(rect.Right - rect.Left, 0), std::max<LONG>(rect.Bottom - rect.Top, 0));
  if (mode == 2) {
    CopyBitmapRect32(source, bitmap.get(), rect, 0, 0);
    GrayBitmap(bitmap.get(), clNone);
  } else {
    // The copy's own transparent colour is the key, so a colour-keyed skin part stays keyed.
    bitmap->Canvas()->CopyRect(bitmap->Canvas()->ClipRect(), source->Canvas(), rect);
    GrayBitmap(bitmap.get(), bitmap->TransparentColor());
  }
  return bitmap.release();
}

void SetBitmapAlpha(TBitmap* bitmap, uint8_t alpha) {
  if (!bitmap || bitmap->PixelFormat() != pf32bit) return;
  SetBitmapAlphaRect(bitmap, TRect(0, 0, bitmap->Width(), bitmap->Height()), alpha);
}

void SetBitmapAlphaRect(TBitmap* bitmap, const TRect& rect, uint8_t alpha) {
  if (!bitmap || bitmap->PixelFormat() != pf32bit || bitmap->Empty()) return;
  const TRect r = ClipToBitmap(rect, bitmap->Width(), bitmap->Height());
  for (LONG y = r.Top; y < r.Bottom; ++y) {
    auto* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
    for (LONG x = r.Left; x < r.Right; ++x) row[x * 4 + 3] = alpha;
  }
}

void CopyBitmapPixels(TBitmap* dest, TBitmap* source) {
  if (!dest || !source || dest->Empty() || source->Empty()) return;
  if (dest->Width() != source->Width() || dest->Height() != source->Height() ||
      dest->PixelFormat() != source->PixelFormat())
    return;
  int bytes;
  if (source->PixelFormat() == pf24bit) bytes = BytesPerScanline(source->Width(), 24, 32);
  else if (source->PixelFormat() == pf32bit) bytes = source->Width() * 4;
  else return;
  for (int y = 0; y < source->Height(); ++y) std::memcpy(dest->ScanLine(y), source->ScanLine(y), static_cast<size_t>(bytes));
}

bool CopyBitmapRect(TBitmap* source, const TRect& rect, TBitmap* dest) {
  if (!source || !dest) return false;
  const int bits = PixelFormatBits(source->PixelFormat());
  if (bits == 0) return false;
  const TRect r = ClipToBitmap(rect, source->Width(), source->Height());
  const int width = r.Right - r.Left, height = r.Bottom - r.Top;
  dest->SetPixelFormat(source->PixelFormat());
  dest->SetSize(width, height);
  if (width == 0 || height == 0) return true;
  for (int i = 0; i < height; ++i) {
    const auto* from = static_cast<const uint8_t*>(source->ScanLine(r.Top + i));
    auto* to = static_cast<uint8_t*>(dest->ScanLine(i));
    if (bits >= 8) {
      std::memcpy(to, from + static_cast<size_t>(bits / 8) * r.Left, static_cast<size_t>(bits / 8) * width);
      continue;
    }
    // 1 and 4 bits: pixel by pixel, so a rectangle may start anywhere in a byte.
    const int perByte = 8 / bits, mask = (1 << bits) - 1;
    std::memset(to, 0, static_cast<size_t>(BytesPerScanline(width, bits, 32)));
    for (int x = 0; x < width; ++x) {
      const int sx = r.Left + x;
      const int value = (from[sx / perByte] >> ((perByte - 1 - sx % perByte) * bits)) & mask;
      to[x / perByte] |= static_cast<uint8_t>(value << ((perByte - 1 - x % perByte) * bits));
    }
  }
  return true;
}

void CopyBitmapRect32(TBitmap* source, TBitmap* dest, const TRect& rect, int destY, int destX) {
  if (!source || !dest || source->PixelFormat() != pf32bit || dest->PixelFormat() != pf32bit) return;
  if (source->Empty() || dest->Empty()) return;
  int sourceX = rect.Left, sourceY = rect.Top;
  int width = rect.Right - rect.Left, height = rect.Bottom - rect.Top;
  imaging::detail::ClipSpan(sourceX, destX, width, source->Width(), dest->Width());
  imaging::detail::ClipSpan(sourceY, destY, height, source->Height(), dest->Height());
  for (int i = 0; i < height && width > 0; ++i) {
    const auto* from = static_cast<const uint8_t*>(source->ScanLine(sourceY + i)) + sourceX * 4;
    auto* to = static_cast<uint8_t*>(dest->ScanLine(destY + i)) + destX * 4;
    std::memcpy(to, from, static_cast<size_t>(width) * 4);
  }
}

bool GPBitmapFromHBitmap32(HBITMAP bitmap, TGPBitmap*& gpBitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  // A whole BITMAPINFO: the header and room for masks or a 256-entry colour table, which
  // GetDIBits may fill.
  std::vector<uint8_t> infoBlock(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* info = reinterpret_cast<BITMAPINFO*>(infoBlock.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bool done = false;
  try {
    if (GetDIBits(dc, bitmap, 0, 0, nullptr, info, DIB_RGB_COLORS) != 0 && info->bmiHeader.biBitCount == 32 &&
        info->bmiHeader.biWidth > 0 && info->bmiHeader.biHeight != 0) {
      const int width = info->bmiHeader.biWidth;
      const int height = std::abs(info->bmiHeader.biHeight);
      const bool bottomUp = info->bmiHeader.biHeight > 0;
      const size_t rowBytes = static_cast<size_t>(width) * 4;
      std::vector<uint8_t> buffer(rowBytes * static_cast<size_t>(height));
      info->bmiHeader.biCompression = BI_RGB;
      if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), buffer.data(), info, DIB_RGB_COLORS) == height) {
        std::unique_ptr<TGPBitmap> result(new TGPBitmap(width, height, PixelFormat32bppARGB));
        TGPLockedBits locked(*result, GpRect{0, 0, width, height}, ImageLockModeWrite, PixelFormat32bppARGB);
        for (int i = 0; i < height; ++i) {
          const size_t sourceRow = static_cast<size_t>(bottomUp ? height - 1 - i : i);
          std::memcpy(locked.ScanLine(i), buffer.data() + sourceRow * rowBytes, rowBytes);
        }
        locked.Unlock();
        gpBitmap = result.release();
        done = true;
      }
    }
  } catch (...) {
    DeleteDC(dc);
    throw;
  }
  DeleteDC(dc);
  return done;
}
