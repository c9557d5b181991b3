// Bitmaps and DIB sections, the DIB pixel formats and the DIB transfer calls.

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/gdi/GdiInternal.h"

namespace platform::detail {

namespace {

constexpr int kMaxDimension = 32768;

int MaskShift(DWORD mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

int MaskBits(DWORD mask) {
  int bits = 0;
  for (; mask; mask &= mask - 1) ++bits;
  return bits;
}

uint8_t ExtractChannel(DWORD value, DWORD mask) {
  if (!mask) return 0;
  const DWORD raw = (value & mask) >> MaskShift(mask);
  const int bits = MaskBits(mask);
  if (bits >= 8) return static_cast<uint8_t>(raw >> (bits - 8));
  const DWORD max = (1u << bits) - 1;
  return static_cast<uint8_t>((raw * 255 + max / 2) / max);
}

DWORD PackChannel(uint8_t channel, DWORD mask) {
  if (!mask) return 0;
  const int bits = MaskBits(mask);
  const DWORD value = bits >= 8 ? static_cast<DWORD>(channel) << (bits - 8) : (channel * ((1u << bits) - 1) + 127) / 255;
  return (value << MaskShift(mask)) & mask;
}

uint8_t NearestIndex(const std::vector<RGBQUAD>& colors, uint32_t pixel) {
  const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
  int best = 0;
  int bestDistance = 1 << 30;
  for (size_t i = 0; i < colors.size(); ++i) {
    const int dr = colors[i].rgbRed - r, dg = colors[i].rgbGreen - g, db = colors[i].rgbBlue - b;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<int>(i);
      if (distance == 0) break;
    }
  }
  return static_cast<uint8_t>(best);
}

void DefaultMasks(int bitsPerPixel, DWORD* masks) {
  if (bitsPerPixel == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else {
    masks[0] = 0xFF0000;
    masks[1] = 0x00FF00;
    masks[2] = 0x0000FF;
  }
}

DibFormat FormatOf(const BitmapObject& bitmap) {
  DibFormat format;
  format.width = bitmap.width;
  format.height = bitmap.height;
  format.topDown = bitmap.topDown;
  format.bitsPerPixel = bitmap.bitsPerPixel;
  format.stride = bitmap.stride;
  format.colors = bitmap.colors;
  std::memcpy(format.masks, bitmap.masks, sizeof(format.masks));
  format.bitfields = bitmap.bitfields;
  return format;
}

}  // namespace

void BitmapObject::LoadShadow() {
  shadow.resize(static_cast<size_t>(width) * height);
  const DibFormat format = FormatOf(*this);
  for (int y = 0; y < height; ++y) ReadDibRow(format, NativeRow(y), &shadow[static_cast<size_t>(y) * width], width);
}

void BitmapObject::StoreShadow() {
  const DibFormat format = FormatOf(*this);
  for (int y = 0; y < height; ++y) WriteDibRow(format, &shadow[static_cast<size_t>(y) * width], NativeRow(y), width);
}

bool ParseBitmapInfo(const BITMAPINFO* info, UINT usage, DibFormat* format) {
  if (!info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || usage != DIB_RGB_COLORS) {
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "unsupported bitmap header");
    return false;
  }
  const BITMAPINFOHEADER& header = info->bmiHeader;
  const int bits = header.biBitCount;
  const bool knownDepth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  const bool bitfields = header.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32);
  if (!knownDepth || (header.biCompression != BI_RGB && !bitfields) || header.biWidth <= 0 || header.biHeight == 0 ||
      header.biWidth > kMaxDimension || std::abs(header.biHeight) > kMaxDimension) {
    SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "unsupported bitmap depth, compression or size");
    return false;
  }
  format->width = header.biWidth;
  format->height = std::abs(header.biHeight);
  format->topDown = header.biHeight < 0;
  format->bitsPerPixel = bits;
  format->stride = DibStride(header.biWidth, bits);
  format->bitfields = bitfields;
  const uint8_t* table = reinterpret_cast<const uint8_t*>(info) + header.biSize;
  if (bitfields) {
    // Version 2 and later headers hold the masks themselves; the original header is followed
    // by them.
    const auto* masks = header.biSize >= 52 ? reinterpret_cast<const uint8_t*>(info) + sizeof(BITMAPINFOHEADER) : table;
    std::memcpy(format->masks, masks, sizeof(format->masks));
    if (header.biSize < 52) table += sizeof(format->masks);
  } else {
    DefaultMasks(bits, format->masks);
  }
  if (bits <= 8) {
    const size_t count = header.biClrUsed ? std::min<size_t>(header.biClrUsed, 1u << bits) : (1u << bits);
    format->colors.assign(reinterpret_cast<const RGBQUAD*>(table), reinterpret_cast<const RGBQUAD*>(table) + count);
  }
  return true;
}

void ReadDibRow(const DibFormat& format, const uint8_t* row, uint32_t* out, int count) {
  auto color = [&](unsigned index) -> uint32_t {
    if (index >= format.colors.size()) return 0;
    const RGBQUAD& q = format.colors[index];
    return (static_cast<uint32_t>(q.rgbRed) << 16) | (static_cast<uint32_t>(q.rgbGreen) << 8) | q.rgbBlue;
  };
  switch (format.bitsPerPixel) {
    case 1:
      for (int x = 0; x < count; ++x) out[x] = color((row[x >> 3] >> (7 - (x & 7))) & 1);
      break;
    case 4:
      for (int x = 0; x < count; ++x) out[x] = color((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
      break;
    case 8:
      for (int x = 0; x < count; ++x) out[x] = color(row[x]);
      break;
    case 16:
      for (int x = 0; x < count; ++x) {
        const DWORD value = row[2 * x] | (row[2 * x + 1] << 8);
        out[x] = (static_cast<uint32_t>(ExtractChannel(value, format.masks[0])) << 16) |
                 (static_cast<uint32_t>(ExtractChannel(value, format.masks[1])) << 8) |
                 ExtractChannel(value, format.masks[2]);
      }
      break;
    case 24:
      for (int x = 0; x < count; ++x) {
        out[x] = row[3 * x] | (row[3 * x + 1] << 8) | (static_cast<uint32_t>(row[3 * x + 2]) << 16);
      }
      break;
    case 32:
      if (!format.bitfields || (format.masks[0] == 0xFF0000 && format.masks[1] == 0xFF00 && format.masks[2] == 0xFF)) {
        std::memcpy(out, row, static_cast<size_t>(count) * 4);
      } else {
        for (int x = 0; x < count; ++x) {
          DWORD value;
          std::memcpy(&value, row + 4 * x, 4);
          out[x] = (static_cast<uint32_t>(ExtractChannel(value, format.masks[0])) << 16) |
                   (static_cast<uint32_t>(ExtractChannel(value, format.masks[1])) << 8) |
                   ExtractChannel(value, format.masks[2]);
        }
      }
      break;
  }
}

void WriteDibRow(const DibFormat& format, const uint32_t* in, uint8_t* row, int count) {
  uint32_t lastPixel = 0xFFFFFFFF;
  uint8_t lastIndex = 0;
  auto index = [&](uint32_t pixel) {
    pixel &= 0xFFFFFF;
    if (pixel != lastPixel) {
      lastPixel = pixel;
      lastIndex = NearestIndex(format.colors, pixel);
    }
    return lastIndex;
  };
  switch (format.bitsPerPixel) {
    case 1:
      for (int x = 0; x < count; ++x) {
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        if (index(in[x]) & 1) row[x >> 3] |= bit; else row[x >> 3] &= static_cast<uint8_t>(~bit);
      }
      break;
    case 4:
      for (int x = 0; x < count; ++x) {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(15 << shift)) | ((index(in[x]) & 15) << shift));
      }
      break;
    case 8:
      for (int x = 0; x < count; ++x) row[x] = index(in[x]);
      break;
    case 16:
      for (int x = 0; x < count; ++x) {
        const DWORD value = PackChannel((in[x] >> 16) & 0xFF, format.masks[0]) |
                            PackChannel((in[x] >> 8) & 0xFF, format.masks[1]) | PackChannel(in[x] & 0xFF, format.masks[2]);
        row[2 * x] = static_cast<uint8_t>(value);
        row[2 * x + 1] = static_cast<uint8_t>(value >> 8);
      }
      break;
    case 24:
      for (int x = 0; x < count; ++x) {
        row[3 * x] = static_cast<uint8_t>(in[x]);
        row[3 * x + 1] = static_cast<uint8_t>(in[x] >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(in[x] >> 16);
      }
      break;
    case 32:
      if (!format.bitfields || (format.masks[0] == 0xFF0000 && format.masks[1] == 0xFF00 && format.masks[2] == 0xFF)) {
        std::memcpy(row, in, static_cast<size_t>(count) * 4);
      } else {
        for (int x = 0; x < count; ++x) {
          const DWORD value = PackChannel((in[x] >> 16) & 0xFF, format.masks[0]) |
                              PackChannel((in[x] >> 8) & 0xFF, format.masks[1]) |
                              PackChannel(in[x] & 0xFF, format.masks[2]);
          std::memcpy(row + 4 * x, &value, 4);
        }
      }
      break;
  }
}

}  // namespace platform::detail

using namespace platform::detail;

static bool ValidSize(int width, int height) {
  return width >= 0 && height >= 0 && width <= 32768 && height <= 32768;
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (!ValidSize(width, height) || planes != 1 || bitsPerPixel == 0 || bitsPerPixel > 32) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // A 0x0 bitmap is the 1x1 monochrome stock bitmap on Windows; we give a fresh one.
  if (width == 0 || height == 0) {
    width = height = 1;
    bitsPerPixel = 1;
  }
  const bool mono = bitsPerPixel == 1;
  const int stride = mono ? DibStride(width, 1) : width * 4;
  auto bitmap = std::shared_ptr<BitmapObject>();
  {
    auto made = std::make_shared<BitmapObject>();
    made->width = width;
    made->height = height;
    made->bitsPerPixel = mono ? 1 : 32;
    made->stride = stride;
    const size_t bytes = static_cast<size_t>(stride) * height;
    uint8_t* pixels = static_cast<uint8_t*>(std::aligned_alloc(16, (std::max<size_t>(bytes, 16) + 15) / 16 * 16));
    if (!pixels) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    std::memset(pixels, 0, bytes);
    made->storage = {pixels, std::free};
    made->colors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    made->masks[0] = 0xFF0000;
    made->masks[1] = 0xFF00;
    made->masks[2] = 0xFF;
    bitmap = std::move(made);
  }
  HBITMAP handle = reinterpret_cast<HBITMAP>(AddGdiObject(bitmap));
  if (bits) {
    // Input rows are WORD-aligned, as the documented layout of device-dependent bitmaps.
    const int sourceStride = ((width * static_cast<int>(bitsPerPixel) + 15) / 16) * 2;
    for (int y = 0; y < height; ++y) {
      const uint8_t* row = static_cast<const uint8_t*>(bits) + static_cast<size_t>(y) * sourceStride;
      if (mono) {
        std::memcpy(bitmap->NativeRow(y), row, static_cast<size_t>(sourceStride));
      } else {
        DibFormat format;
        format.bitsPerPixel = static_cast<int>(bitsPerPixel);
        DefaultMasks(format.bitsPerPixel, format.masks);
        if (bitsPerPixel == 8 || bitsPerPixel == 4) {
          for (unsigned i = 0; i < (1u << bitsPerPixel); ++i) {
            const BYTE v = static_cast<BYTE>(i * 255 / ((1u << bitsPerPixel) - 1));
            format.colors.push_back({v, v, v, 0});
          }
        }
        ReadDibRow(format, row, reinterpret_cast<uint32_t*>(bitmap->NativeRow(y)), width);
      }
    }
  }
  return handle;
}

HBITMAP CreateBitmapIndirect(const BITMAP* bitmap) {
  if (!bitmap) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateBitmap(bitmap->bmWidth, bitmap->bmHeight, bitmap->bmPlanes, bitmap->bmBitsPixel, bitmap->bmBits);
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  auto context = GetDc(dc);
  if (!context) return nullptr;
  // A memory DC's compatible bitmap has the depth of the bitmap selected into it.
  const bool mono = context->type == DcType::Memory && context->state.bitmap &&
                    context->state.bitmap->bitsPerPixel == 1 && !context->state.bitmap->dib;
  return CreateBitmap(width, height, 1, mono ? 1 : 32, nullptr);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits) *bits = nullptr;
  DibFormat format;
  if (section || !ParseBitmapInfo(info, usage, &format)) {
    if (section) SetLastErrorWithDetail(ERROR_INVALID_PARAMETER, "file-mapping sections are not supported");
    return nullptr;
  }
  auto bitmap = std::make_shared<BitmapObject>();
  bitmap->width = format.width;
  bitmap->height = format.height;
  bitmap->bitsPerPixel = format.bitsPerPixel;
  bitmap->dib = true;
  bitmap->topDown = format.topDown;
  bitmap->stride = format.stride;
  bitmap->colors = format.colors;
  if (format.bitsPerPixel <= 8) bitmap->colors.resize(1u << format.bitsPerPixel, RGBQUAD{0, 0, 0, 0});
  std::memcpy(bitmap->masks, format.masks, sizeof(bitmap->masks));
  bitmap->bitfields = format.bitfields;
  const size_t bytes = static_cast<size_t>(format.stride) * format.height;
  uint8_t* pixels = static_cast<uint8_t*>(std::aligned_alloc(16, (std::max<size_t>(bytes, 16) + 15) / 16 * 16));
  if (!pixels) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memset(pixels, 0, bytes);
  bitmap->storage = {pixels, std::free};
  if (bits) *bits = pixels;
  return reinterpret_cast<HBITMAP>(AddGdiObject(std::move(bitmap)));
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage) {
  if (!header) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HBITMAP bitmap = CreateBitmap(header->biWidth, std::abs(header->biHeight), 1, header->biBitCount == 1 ? 1 : 32, nullptr);
  if (bitmap && (init & CBM_INIT) && bits) {
    if (!SetDIBits(dc, bitmap, 0, static_cast<UINT>(std::abs(header->biHeight)), bits, info, usage)) {
      DeleteObject(bitmap);
      return nullptr;
    }
  }
  return bitmap;
}

LONG GetBitmapBits(HBITMAP handle, LONG size, void* bits) {
  auto bitmap = GetGdi<BitmapObject>(handle, GdiKind::Bitmap);
  if (!bitmap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  // Rows top-down, WORD-aligned, in the bitmap's own depth.
  const int rowBytes = ((bitmap->width * bitmap->bitsPerPixel + 15) / 16) * 2;
  const LONG total = static_cast<LONG>(rowBytes) * bitmap->height;
  if (!bits) return total;
  LONG copied = 0;
  for (int y = 0; y < bitmap->height && copied < size; ++y) {
    const LONG count = std::min<LONG>(rowBytes, size - copied);
    std::memcpy(static_cast<uint8_t*>(bits) + copied, bitmap->NativeRow(y), static_cast<size_t>(count));
    copied += count;
  }
  return copied;
}

LONG SetBitmapBits(HBITMAP handle, DWORD size, const void* bits) {
  auto bitmap = GetGdi<BitmapObject>(handle, GdiKind::Bitmap);
  if (!bitmap || !bits) {
    SetLastError(bitmap ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return 0;
  }
  const int rowBytes = ((bitmap->width * bitmap->bitsPerPixel + 15) / 16) * 2;
  LONG copied = 0;
  for (int y = 0; y < bitmap->height && static_cast<DWORD>(copied) < size; ++y) {
    const LONG count = std::min<LONG>(rowBytes, static_cast<LONG>(size) - copied);
    std::memcpy(bitmap->NativeRow(y), static_cast<const uint8_t*>(bits) + copied, static_cast<size_t>(count));
    copied += count;
  }
  return copied;
}

int GetDIBits(HDC dc, HBITMAP handle, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
  auto bitmap = GetGdi<BitmapObject>(handle, GdiKind::Bitmap);
  if (!GetDc(dc) || !bitmap || !info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  BITMAPINFOHEADER& header = info->bmiHeader;
  if (header.biBitCount == 0) {
    // Fill in the header from the bitmap and report its size.
    header.biWidth = bitmap->width;
    header.biHeight = bitmap->topDown && bitmap->dib ? -bitmap->height : bitmap->height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitmap->bitsPerPixel);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(DibStride(bitmap->width, bitmap->bitsPerPixel) * bitmap->height);
    header.biClrUsed = 0;
    return bits ? 0 : bitmap->height;
  }
  DibFormat format;
  if (!ParseBitmapInfo(info, usage, &format)) return 0;
  if (format.bitsPerPixel <= 8) {
    // The colour table comes from the bitmap when the depth matches, else a grey ramp.
    format.colors = bitmap->colors.size() == (1u << format.bitsPerPixel) ? bitmap->colors : std::vector<RGBQUAD>{};
    if (format.colors.empty()) {
      const unsigned count = 1u << format.bitsPerPixel;
      for (unsigned i = 0; i < count; ++i) {
        const BYTE v = static_cast<BYTE>(i * 255 / (count - 1));
        format.colors.push_back({v, v, v, 0});
      }
    }
    std::memcpy(info->bmiColors, format.colors.data(), format.colors.size() * sizeof(RGBQUAD));
  }
  if (!bits) return bitmap->height;
  if (format.width != bitmap->width) format.width = bitmap->width;
  const int height = bitmap->height;
  if (start >= static_cast<UINT>(height)) return 0;
  lines = std::min<UINT>(lines, static_cast<UINT>(height) - start);
  std::vector<uint32_t> row(static_cast<size_t>(bitmap->width));
  DibFormat source;
  source.width = bitmap->width;
  source.bitsPerPixel = bitmap->bitsPerPixel;
  source.colors = bitmap->colors;
  std::memcpy(source.masks, bitmap->masks, sizeof(source.masks));
  source.bitfields = bitmap->bitfields;
  for (UINT i = 0; i < lines; ++i) {
    // Scan line numbers count from the bottom for bottom-up output, from the top otherwise.
    const int scan = static_cast<int>(start + i);
    const int pictureRow = format.topDown ? scan : height - 1 - scan;
    ReadDibRow(source, bitmap->NativeRow(pictureRow), row.data(), bitmap->width);
    WriteDibRow(format, row.data(), static_cast<uint8_t*>(bits) + static_cast<size_t>(i) * format.stride, bitmap->width);
  }
  return static_cast<int>(lines);
}

int SetDIBits(HDC, HBITMAP handle, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  auto bitmap = GetGdi<BitmapObject>(handle, GdiKind::Bitmap);
  DibFormat format;
  if (!bitmap || !bits) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!ParseBitmapInfo(info, usage, &format)) return 0;
  const int height = bitmap->height;
  if (start >= static_cast<UINT>(height)) return 0;
  lines = std::min<UINT>(lines, static_cast<UINT>(std::min(height, format.height)) - std::min<UINT>(start, format.height));
  const int width = std::min(format.width, bitmap->width);
  std::vector<uint32_t> row(static_cast<size_t>(bitmap->width));
  DibFormat target;
  target.bitsPerPixel = bitmap->bitsPerPixel;
  target.colors = bitmap->colors;
  std::memcpy(target.masks, bitmap->masks, sizeof(target.masks));
  target.bitfields = bitmap->bitfields;
  for (UINT i = 0; i < lines; ++i) {
    const int scan = static_cast<int>(start + i);
    const int pictureRow = format.topDown ? scan : height - 1 - scan;
    ReadDibRow(format, static_cast<const uint8_t*>(bits) + static_cast<size_t>(i) * format.stride, row.data(), width);
    WriteDibRow(target, row.data(), bitmap->NativeRow(pictureRow), width);
  }
  return static_cast<int>(lines);
}

BOOL GetBitmapDimensionEx(HBITMAP handle, SIZE* size) {
  auto bitmap = GetGdi<BitmapObject>(handle, GdiKind::Bitmap);
  if (!bitmap || !size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *size = bitmap->dimension;
  return TRUE;
}

static std::shared_ptr<BitmapObject> SelectedDib(HDC dc) {
  auto context = GetDc(dc);
  if (!context || !context->state.bitmap || !context->state.bitmap->dib) return nullptr;
  return context->state.bitmap;
}

UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* colors) {
  auto bitmap = SelectedDib(dc);
  if (!bitmap || !colors || start >= bitmap->colors.size()) return 0;
  count = std::min<UINT>(count, static_cast<UINT>(bitmap->colors.size()) - start);
  std::memcpy(colors, &bitmap->colors[start], count * sizeof(RGBQUAD));
  return count;
}

UINT SetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colors) {
  auto bitmap = SelectedDib(dc);
  if (!bitmap || !colors || start >= bitmap->colors.size()) return 0;
  count = std::min<UINT>(count, static_cast<UINT>(bitmap->colors.size()) - start);
  std::memcpy(&bitmap->colors[start], colors, count * sizeof(RGBQUAD));
  return count;
}
