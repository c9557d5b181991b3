// TBitmap's BMP reader and writer.

#include <algorithm>
#include <cstring>
#include <vector>

#include "vcl/Bitmap.h"

namespace {

constexpr WORD kBitmapSignature = 0x4D42;  // "BM"
constexpr int kMaxSide = 32768;
constexpr DWORD kAlphaBitfields = 6;

[[noreturn]] void Invalid(const char* why) { throw EInvalidGraphic(AnsiString("Bitmap image is not valid: ") + why); }

template <class T> T Read(const std::vector<uint8_t>& bytes, size_t offset) {
  T value{};
  if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

void ReadExactly(TStream& stream, void* buffer, int64_t count, const char* what) {
  if (count <= 0) return;
  if (stream.Read(buffer, static_cast<int32_t>(count)) != count) Invalid(what);
}

struct Header {
  int width = 0;
  int height = 0;  // negative: top-down
  int bits = 0;
  DWORD compression = BI_RGB;
  DWORD sizeImage = 0;
  DWORD colorsUsed = 0;
  DWORD masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  bool core = false;              // 12-byte header: 3-byte colour entries
};

int MaskShift(DWORD mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

// A channel of a masked pixel, scaled to 0..255.
uint8_t Channel(DWORD pixel, DWORD mask) {
  if (!mask) return 0;
  const int shift = MaskShift(mask);
  const DWORD max = mask >> shift;
  return static_cast<uint8_t>(((pixel & mask) >> shift) * 255 / max);
}

// Expands RLE8 / RLE4 data into bottom-up rows of 8 or 4 bits.
void DecodeRle(const std::vector<uint8_t>& data, int bits, int width, int height, int stride, uint8_t* out) {
  int x = 0, y = 0;  // y counts rows from the bottom
  size_t i = 0;
  auto put = [&](int index) {
    if (x >= width || y >= height) return;
    uint8_t* row = out + static_cast<size_t>(y) * stride;
    if (bits == 8) {
      row[x] = static_cast<uint8_t>(index);
    } else {
      const int shift = (x & 1) ? 0 : 4;
      row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0xF << shift)) | ((index & 0xF) << shift));
    }
    ++x;
  };
  while (i + 1 < data.size() && y < height) {
    const int count = data[i];
    const int value = data[i + 1];
    i += 2;
    if (count > 0) {
      for (int n = 0; n < count; ++n) put(bits == 8 ? value : (n & 1 ? value & 0xF : value >> 4));
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return;
    } else if (value == 2) {  // delta
      if (i + 1 >= data.size()) Invalid("truncated run-length data");
      x += data[i];
      y += data[i + 1];
      i += 2;
    } else {  // a run of literal pixels, padded to a 16-bit boundary
      const int bytes = bits == 8 ? value : (value + 1) / 2;
      if (i + bytes > data.size()) Invalid("truncated run-length data");
      for (int n = 0; n < value; ++n) put(bits == 8 ? data[i + n] : (n & 1 ? data[i + n / 2] & 0xF : data[i + n / 2] >> 4));
      i += bytes + (bytes & 1);
    }
  }
}

}  // namespace

void TBitmap::LoadFromStream(TStream& stream) {
  const int64_t start = stream.Position();
  const int64_t available = stream.Size() - start;
  if (available <= 0) {
    Adopt(nullptr);
    Changed(this);
    return;
  }
  BITMAPFILEHEADER file{};
  ReadExactly(stream, &file, sizeof(file), "file header too short");
  if (file.bfType != kBitmapSignature) Invalid("no BM signature");
  DWORD headerSize = 0;
  ReadExactly(stream, &headerSize, sizeof(headerSize), "bitmap header too short");
  if (headerSize != 12 && (headerSize < 16 || headerSize > 124)) Invalid("unknown bitmap header");
  std::vector<uint8_t> raw(headerSize);
  std::memcpy(raw.data(), &headerSize, 4);
  ReadExactly(stream, raw.data() + 4, headerSize - 4, "bitmap header too short");

  Header h;
  if (headerSize == 12) {
    h.core = true;
    h.width = Read<WORD>(raw, 4);
    h.height = Read<WORD>(raw, 6);
    h.bits = Read<WORD>(raw, 10);
  } else {
    h.width = Read<LONG>(raw, 4);
    h.height = Read<LONG>(raw, 8);
    h.bits = Read<WORD>(raw, 14);
    h.compression = Read<DWORD>(raw, 16);
    h.sizeImage = Read<DWORD>(raw, 20);
    h.colorsUsed = Read<DWORD>(raw, 32);
    // The 64-byte OS/2 header uses 3 for Huffman coding, not bit fields.
    if (headerSize == 64 && h.compression == BI_BITFIELDS) Invalid("unsupported compression");
  }
  if (h.compression == BI_BITFIELDS || h.compression == kAlphaBitfields) {
    const int count = h.compression == kAlphaBitfields ? 4 : 3;
    if (headerSize >= 52) {
      for (int i = 0; i < 3; ++i) h.masks[i] = Read<DWORD>(raw, 40 + 4 * i);
      if (headerSize >= 56) h.masks[3] = Read<DWORD>(raw, 52);
    } else {
      ReadExactly(stream, h.masks, 4 * count, "bit-field masks missing");
    }
    h.compression = BI_BITFIELDS;
  } else if (headerSize >= 56) {
    h.masks[3] = Read<DWORD>(raw, 52);
  }

  const bool knownDepth = h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 || h.bits == 32;
  if (!knownDepth) Invalid("unsupported bits per pixel");
  if (h.width <= 0 || h.height == 0 || h.width > kMaxSide || h.height > kMaxSide || h.height < -kMaxSide)
    Invalid("bad size");
  const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
  if (h.compression == BI_RLE8 && h.bits != 8) Invalid("RLE8 needs 8 bits per pixel");
  if (h.compression == BI_RLE4 && h.bits != 4) Invalid("RLE4 needs 4 bits per pixel");
  if (rle && h.height < 0) Invalid("top-down bitmaps cannot be compressed");
  if (h.compression == BI_BITFIELDS && h.bits != 16 && h.bits != 32) Invalid("bit fields need 16 or 32 bits");
  if (h.compression != BI_RGB && h.compression != BI_BITFIELDS && !rle) Invalid("unsupported compression");

  std::vector<RGBQUAD> colors;
  if (h.bits <= 8) {
    const DWORD capacity = 1u << h.bits;
    DWORD count = h.colorsUsed ? std::min(h.colorsUsed, 256u) : capacity;
    const int entry = h.core ? 3 : 4;
    // The table cannot reach into the pixels (older writers leave out unused entries).
    const int64_t tableStart = stream.Position() - start;
    if (file.bfOffBits > tableStart)
      count = std::min<DWORD>(count, static_cast<DWORD>((file.bfOffBits - tableStart) / entry));
    std::vector<uint8_t> table(static_cast<size_t>(count) * entry);
    ReadExactly(stream, table.data(), static_cast<int64_t>(table.size()), "colour table too short");
    for (DWORD i = 0; i < std::min(count, capacity); ++i)
      colors.push_back(RGBQUAD{table[i * entry], table[i * entry + 1], table[i * entry + 2], 0});
  }
  // The pixels start where the file header says (colour profiles may lie in between).
  const int64_t consumed = stream.Position() - start;
  if (file.bfOffBits > consumed) {
    if (file.bfOffBits > available) Invalid("pixel data outside the file");
    stream.SetPosition(start + file.bfOffBits);
  }

  const int width = h.width;
  const int height = std::abs(h.height);
  const bool topDown = h.height < 0;
  const int fileStride = BytesPerScanline(width, h.bits, 32);
  const int64_t dataSize = static_cast<int64_t>(fileStride) * height;

  TPixelFormat format;
  bool convertMasks = false;
  switch (h.bits) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16:
      if (h.compression != BI_BITFIELDS || (h.masks[0] == 0x7C00 && h.masks[1] == 0x03E0 && h.masks[2] == 0x001F)) {
        format = pf15bit;
      } else if (h.masks[0] == 0xF800 && h.masks[1] == 0x07E0 && h.masks[2] == 0x001F) {
        format = pf16bit;
      } else {
        format = pf32bit;
        convertMasks = true;
      }
      break;
    case 24: format = pf24bit; break;
    default:
      format = pf32bit;
      convertMasks = h.compression == BI_BITFIELDS &&
                     !(h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF &&
                       (h.masks[3] == 0 || h.masks[3] == 0xFF000000));
      break;
  }

  void* bits = nullptr;
  HBITMAP created = vcl::detail::CreateSection(format, width, height, topDown, colors, &bits);
  try {
    auto* out = static_cast<uint8_t*>(bits);
    const int outStride = BytesPerScanline(width, PixelFormatBits(format), 32);
    if (rle) {
      int64_t size = h.sizeImage ? static_cast<int64_t>(h.sizeImage) : stream.Size() - stream.Position();
      size = std::min<int64_t>(size, stream.Size() - stream.Position());
      std::vector<uint8_t> data(static_cast<size_t>(std::max<int64_t>(size, 0)));
      ReadExactly(stream, data.data(), static_cast<int64_t>(data.size()), "pixel data too short");
      std::memset(out, 0, static_cast<size_t>(outStride) * height);
      DecodeRle(data, h.bits, width, height, outStride, out);
    } else if (!convertMasks) {
      ReadExactly(stream, out, dataSize, "pixel data too short");
    } else {
      std::vector<uint8_t> data(static_cast<size_t>(dataSize));
      ReadExactly(stream, data.data(), dataSize, "pixel data too short");
      const int bytesPerPixel = h.bits / 8;
      for (int y = 0; y < height; ++y) {
        const uint8_t* from = data.data() + static_cast<size_t>(y) * fileStride;
        uint8_t* to = out + static_cast<size_t>(y) * outStride;
        for (int x = 0; x < width; ++x) {
          DWORD pixel = 0;
          std::memcpy(&pixel, from + x * bytesPerPixel, bytesPerPixel);
          to[4 * x] = Channel(pixel, h.masks[2]);
          to[4 * x + 1] = Channel(pixel, h.masks[1]);
          to[4 * x + 2] = Channel(pixel, h.masks[0]);
          to[4 * x + 3] = Channel(pixel, h.masks[3]);
        }
      }
    }
  } catch (...) {
    DeleteObject(created);
    throw;
  }
  Adopt(created);
  Changed(this);
}

void TBitmap::SaveToStream(TStream& stream) {
  if (!FHandle) return;
  // A device-dependent bitmap is written as the 32-bit DIB it shows.
  TBitmap copy;
  TBitmap* source = this;
  if (FHandleType == bmDDB) {
    copy.Assign(this);
    copy.SetPixelFormat(FPixelFormat == pf1bit ? pf1bit : pf32bit);
    source = &copy;
  }
  source->DetachCanvas();
  const int bits = PixelFormatBits(source->FPixelFormat);
  const int stride = BytesPerScanline(FWidth, bits, 32);
  std::vector<RGBQUAD> colors;
  if (bits <= 8) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, source->FHandle);
    RGBQUAD table[256];
    const UINT count = GetDIBColorTable(dc, 0, 256, table);
    colors.assign(table, table + count);
    SelectObject(dc, previous);
    DeleteDC(dc);
  }
  const DWORD masksSize = source->FPixelFormat == pf16bit ? 12 : 0;
  const DWORD offset = static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + masksSize +
                                          colors.size() * sizeof(RGBQUAD));
  const DWORD imageSize = static_cast<DWORD>(stride) * static_cast<DWORD>(FHeight);

  BITMAPFILEHEADER file{};
  file.bfType = kBitmapSignature;
  file.bfSize = offset + imageSize;
  file.bfOffBits = offset;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = FWidth;
  header.biHeight = FHeight;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bits);
  header.biCompression = masksSize ? BI_BITFIELDS : BI_RGB;
  header.biSizeImage = imageSize;
  header.biClrUsed = static_cast<DWORD>(colors.size());
  stream.WriteBuffer(&file, sizeof(file));
  stream.WriteBuffer(&header, sizeof(header));
  if (masksSize) {
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    stream.WriteBuffer(masks, sizeof(masks));
  }
  if (!colors.empty()) stream.WriteBuffer(colors.data(), static_cast<int32_t>(colors.size() * sizeof(RGBQUAD)));
  // Bottom-up rows, as a positive height says.
  for (int y = FHeight - 1; y >= 0; --y) stream.WriteBuffer(source->ScanLine(y), stride);
}
