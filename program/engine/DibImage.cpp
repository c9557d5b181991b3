#include "program/engine/DibImage.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "platform/gdi/PictureReader.h"
#include "platform/kernel/FileApi.h"
#include "platform/kernel/KernelObject.h"
#include "platform/kernel/Unicode.h"
#include "platform/kernel/UniqueHandle.h"

namespace DibImage {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kLargestInfoHeader = 124;  // BITMAPV5HEADER
constexpr size_t kMaskBytes = 12;

void CloseFile(HANDLE file) { CloseHandle(file); }
using FileHandle = platform::UniqueHandle<HANDLE, CloseFile>;

int64_t Stride64(int64_t width, int64_t bitsPerPixel) { return ((width * bitsPerPixel + 31) & ~int64_t{31}) / 8; }

bool KnownBitCount(int64_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Room after the BITMAPINFOHEADER: the colour table of an indexed picture, the bit-field masks
// of a 16- or 32-bit one.
size_t TableBytes(int bits) {
  if (bits <= 8) return size_t{4} << bits;
  return bits == 16 || bits == 32 ? kMaskBytes : 0;
}

// The picture's size when it can be held: sides within kMaxSide, rows within kMaxImageBytes.
bool FitsLimits(int64_t width, int64_t height, int64_t bits, int64_t* imageBytes) {
  const int64_t rows = height < 0 ? -height : height;
  if (width > TDibImage::kMaxSide || rows > TDibImage::kMaxSide) return false;
  *imageBytes = Stride64(width, bits) * rows;
  return *imageBytes <= TDibImage::kMaxImageBytes;
}

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Reads up to `count` bytes from the file's position; fewer at the end of the file.
size_t ReadUpTo(HANDLE file, uint8_t* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, size_t{1} << 30));
    DWORD read = 0;
    if (!ReadFile(file, buffer + done, chunk, &read, nullptr) || read == 0) break;
    done += read;
  }
  return done;
}

}  // namespace

void TDibImage::Clear() {
  FBits.reset();
  FHeader.reset();
  FStride = 0;
  m_bitsSize = 0;
  m_headerSize = 0;
}

BITMAPINFOHEADER TDibImage::Header() const {
  BITMAPINFOHEADER header{};
  if (FHeader) std::memcpy(&header, FHeader.get(), sizeof header);
  return header;
}

int32_t TDibImage::GetDibWidth() const { return Header().biWidth; }
int32_t TDibImage::GetDibHeight() const { return Header().biHeight; }
int32_t TDibImage::GetBitCount() const { return Header().biBitCount; }
uint32_t TDibImage::GetSizeImage() const { return Header().biSizeImage; }

int32_t TDibImage::CalcDibStride(int32_t width, int32_t bitsPerPixel) {
  return static_cast<int32_t>(Stride64(width, bitsPerPixel));
}

bool TDibImage::CreateBlank(int32_t width, int32_t height, int32_t bitCount) {
  int64_t imageBytes = 0;
  if (width <= 0 || height == 0 || !KnownBitCount(bitCount) || !FitsLimits(width, height, bitCount, &imageBytes))
    return false;
  if (FHeader) {
    const BITMAPINFOHEADER old = Header();
    if (old.biWidth == width && old.biHeight == height && old.biBitCount == bitCount) return true;
  }
  Clear();
  m_headerSize = kInfoHeaderSize + TableBytes(bitCount);
  m_bitsSize = static_cast<size_t>(imageBytes) + kSpareBytes;
  FHeader = std::make_unique<uint8_t[]>(m_headerSize);
  FBits = std::make_unique<uint8_t[]>(m_bitsSize);
  FStride = CalcDibStride(width, bitCount);
  BITMAPINFOHEADER header{};
  header.biSize = kInfoHeaderSize;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bitCount);
  header.biSizeImage = static_cast<DWORD>(imageBytes);
  std::memcpy(FHeader.get(), &header, sizeof header);
  return true;
}

bool TDibImage::LoadBmpFile(const WideString& fileName) {
  m_loadError.clear();
  auto fail = [&](const std::string& reason) {
    m_loadError = "'" + platform::Utf16ToUtf8(fileName) + "': " + reason;
    return false;
  };
  HANDLE opened = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (!opened || opened == INVALID_HANDLE_VALUE) return fail("cannot open the file");
  FileHandle file(opened);
  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(file.get(), &fileSize)) return fail("cannot read the file");

  // The headers; bytes a short file lacks read as zero.
  uint8_t head[kFileHeaderSize + kLargestInfoHeader] = {};
  ReadUpTo(file.get(), head, sizeof head);
  if (head[0] != 'B' || head[1] != 'M') return fail("not a BMP file");
  const uint32_t pixelOffset = U32(head + 10);
  const uint8_t* info = head + kFileHeaderSize;
  const uint32_t infoSize = U32(info);
  const int64_t width = static_cast<int32_t>(U32(info + 4));
  const int64_t height = static_cast<int32_t>(U32(info + 8));
  const uint16_t planes = U16(info + 12);
  const uint16_t bits = U16(info + 14);
  const uint32_t compression = U32(info + 16);
  const uint32_t sizeImage = U32(info + 20);
  const uint32_t colorsUsed = U32(info + 32);

  if (infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124)
    return fail("unsupported bitmap header of " + std::to_string(infoSize) + " bytes");
  if (width <= 0) return fail("bad width " + std::to_string(width));
  if (height == 0) return fail("bad height 0");
  if (planes != 1) return fail(std::to_string(planes) + " planes");
  if (!KnownBitCount(bits)) return fail("unsupported bit count " + std::to_string(bits));
  if (compression != BI_RGB && compression != BI_BITFIELDS)
    return fail("unsupported compression " + std::to_string(compression));
  if (compression == BI_BITFIELDS && bits != 16 && bits != 32) return fail("bit fields need 16 or 32 bits");
  if (uint64_t{colorsUsed} > (uint64_t{1} << bits))
    return fail(std::to_string(colorsUsed) + " colours for " + std::to_string(bits) + " bits");
  int64_t imageBytes = 0;
  if (!FitsLimits(width, height, bits, &imageBytes)) return fail("picture too large");
  if (int64_t{sizeImage} > imageBytes + int64_t{kSpareBytes}) return fail("more pixel data than the picture holds");

  // Where the reader takes the pixels from: where the file header says when that lies past the
  // header and masks, else straight after the colour table.
  const int64_t masksEnd = int64_t{kFileHeaderSize} + infoSize +
                           (compression == BI_BITFIELDS && infoSize == kInfoHeaderSize ? int64_t{kMaskBytes} : 0);
  const int64_t entries = bits <= 8 ? (colorsUsed ? colorsUsed : int64_t{1} << bits) : 0;
  const int64_t tablesEnd = masksEnd + 4 * entries;
  const int64_t pixelStart = pixelOffset >= masksEnd ? int64_t{pixelOffset} : tablesEnd;
  if (pixelStart > fileSize.QuadPart && pixelStart > tablesEnd) return fail("pixel data outside the file");

  // What the reader gets: the headers and tables as stored, then the rows. A gap the file header
  // skips is left out (its pixel offset then points right after the tables), so memory stays
  // within the picture's size whatever the file says. A short file reads as zeros past its end.
  const int64_t front = std::min(pixelStart, tablesEnd);
  std::vector<uint8_t> bytes(static_cast<size_t>(front + imageBytes), 0);
  auto readAt = [&](int64_t offset, uint8_t* to, int64_t count) {
    LARGE_INTEGER position{};
    position.QuadPart = offset;
    if (count > 0 && SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN))
      ReadUpTo(file.get(), to, static_cast<size_t>(count));
  };
  readAt(0, bytes.data(), front);
  readAt(pixelStart, bytes.data() + front, imageBytes);
  file.reset();
  if (pixelStart > front) {
    const uint32_t offset = static_cast<uint32_t>(front);
    for (int i = 0; i < 4; ++i) bytes[10 + i] = static_cast<uint8_t>(offset >> (8 * i));
  }

  platform::picture::Dib dib;
  const platform::picture::PictureResult result =
      platform::picture::ReadBmp(std::span<const uint8_t>(bytes.data(), bytes.size()), &dib);
  if (!result) return fail(result.reason);

  // New blocks, zero from the start: nothing of an earlier picture survives.
  const size_t headerSize = kInfoHeaderSize + TableBytes(bits);
  auto header = std::make_unique<uint8_t[]>(headerSize);
  auto pixels = std::make_unique<uint8_t[]>(static_cast<size_t>(imageBytes) + kSpareBytes);
  BITMAPINFOHEADER fields;
  std::memcpy(&fields, info, sizeof fields);
  fields.biSize = kInfoHeaderSize;
  fields.biSizeImage = static_cast<DWORD>(imageBytes);
  std::memcpy(header.get(), &fields, sizeof fields);
  if (compression == BI_BITFIELDS) std::memcpy(header.get() + kInfoHeaderSize, dib.masks, kMaskBytes);
  if (bits <= 8) {
    const size_t count = std::min<size_t>(dib.palette.size(), size_t{1} << bits);
    std::memcpy(header.get() + kInfoHeaderSize, dib.palette.data(), count * 4);
  }
  const int32_t stride = CalcDibStride(static_cast<int32_t>(width), bits);
  for (int y = 0; y < dib.height; ++y) {
    const int stored = height < 0 ? y : dib.height - 1 - y;
    std::memcpy(pixels.get() + static_cast<size_t>(stored) * stride, dib.Row(y), static_cast<size_t>(stride));
  }

  Clear();
  FHeader = std::move(header);
  FBits = std::move(pixels);
  m_headerSize = headerSize;
  m_bitsSize = static_cast<size_t>(imageBytes) + kSpareBytes;
  FStride = stride;
  return true;
}

}  // namespace DibImage
