// TBitmap's BMP reader and writer.

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/gdi/DcGuards.h"
#include "vcl/Bitmap.h"

namespace {

constexpr WORD kBitmapSignature = 0x4D42;  // "BM"

[[noreturn]] void Invalid(const std::string& why) {
  throw EInvalidGraphic(AnsiString("Bitmap image is not valid: ") + why);
}

}  // namespace

HBITMAP vcl::detail::SectionFromDib(const platform::picture::Dib& dib) {
  const uint32_t* masks = dib.masks;
  TPixelFormat format;
  bool convert = false;
  switch (dib.bitsPerPixel) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16:
      if (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) {
        format = pf15bit;
      } else if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) {
        format = pf16bit;
      } else {
        format = pf32bit;
        convert = true;
      }
      break;
    case 24: format = pf24bit; break;
    default:
      format = pf32bit;
      convert = !(masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF &&
                  (masks[3] == 0 || masks[3] == 0xFF000000));
      break;
  }
  std::vector<RGBQUAD> colors(dib.palette.size());
  for (size_t i = 0; i < colors.size(); ++i) {
    const uint32_t c = dib.palette[i];
    colors[i] = RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
  }
  void* bits = nullptr;
  HBITMAP section = CreateSection(format, dib.width, dib.height, dib.topDown, colors, &bits);
  auto* out = static_cast<uint8_t*>(bits);
  const int outStride = BytesPerScanline(dib.width, PixelFormatBits(format), 32);
  // Converted pixels carry no alpha unless the picture has an alpha mask, as GDI writes them.
  const std::vector<uint32_t> argb = convert ? platform::picture::DibToArgb(dib, 0) : std::vector<uint32_t>{};
  for (int y = 0; y < dib.height; ++y) {
    uint8_t* to = out + static_cast<size_t>(dib.topDown ? y : dib.height - 1 - y) * outStride;
    if (convert)
      std::memcpy(to, argb.data() + static_cast<size_t>(y) * dib.width, static_cast<size_t>(dib.width) * 4);
    else
      std::memcpy(to, dib.Row(y), static_cast<size_t>(std::min(outStride, dib.stride)));
  }
  return section;
}

void TBitmap::LoadFromStream(TStream& stream) {
  const int64_t available = stream.Size() - stream.Position();
  if (available <= 0) {
    Adopt(nullptr);
    Changed(this);
    return;
  }
  if (available > std::numeric_limits<int32_t>::max()) Invalid("file too large");
  std::vector<uint8_t> bytes(static_cast<size_t>(available));
  if (stream.Read(bytes.data(), static_cast<int32_t>(available)) != available) Invalid("file too short");
  platform::picture::Dib dib;
  if (const platform::picture::PictureResult result = platform::picture::ReadBmp(bytes, &dib); !result)
    Invalid(result.reason);
  Adopt(vcl::detail::SectionFromDib(dib));
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
    const platform::BitmapDc dc(source->FHandle);
    RGBQUAD table[256];
    const UINT count = GetDIBColorTable(dc.get(), 0, 256, table);
    colors.assign(table, table + count);
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
