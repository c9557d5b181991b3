#pragma once

// A device-independent bitmap in the program's own memory: a header block (BITMAPINFOHEADER
// followed by the colour table, or by the three bit-field masks of a 16- or 32-bit picture) and
// a pixel block of the picture's rows, each padded to whole 32-bit words, in the order the
// header's height says (positive: bottom-up; negative: top-down). Read from a ".bmp" file or
// created blank; the pixel block has 1024 spare zero bytes past the picture.
//
// Any thread; one object is not for two threads at once. The object owns both blocks.

#include <cstdint>
#include <memory>

#include "platform/gdi/GdiTypes.h"
#include "rtl/SysTypes.h"

namespace DibImage {

class TDibImage {
 public:
  // The largest picture held: sides and the size of its rows.
  static constexpr int64_t kMaxSide = 32768;
  static constexpr int64_t kMaxImageBytes = int64_t{256} << 20;
  static constexpr size_t kSpareBytes = 1024;

  // An empty image: no header, no bits.
  TDibImage() = default;
  ~TDibImage() { Clear(); }
  TDibImage(const TDibImage&) = delete;
  TDibImage& operator=(const TDibImage&) = delete;

  // Frees both blocks; the image is empty again.
  void Clear();

  // A zero-filled picture. An image that already has this width, height and bit count is kept
  // as it is. A negative height makes a top-down picture. False, and the image unchanged, for a
  // width below 1, a height of 0, a bit count other than 1, 4, 8, 16, 24 or 32, or a picture
  // larger than kMaxSide or kMaxImageBytes.
  bool CreateBlank(int32_t width, int32_t height, int32_t bitCount);

  // Reads an uncompressed or bit-field ".bmp" file with any Windows header version. The header
  // block gets the file's BITMAPINFOHEADER (biSize 40, biSizeImage the size of the rows), its
  // colour table or masks; the pixel block its rows in the file's order. A file cut short leaves
  // the missing colours and pixels zero. False, with the reason in LoadError() and the image
  // unchanged, for a file that cannot be opened, is no BMP, or declares a picture it cannot hold.
  bool LoadBmpFile(const WideString& fileName);
  // Why the last LoadBmpFile failed ("'x.bmp': unsupported compression"); empty after a success.
  const AnsiString& LoadError() const { return m_loadError; }

  BITMAPINFO* GetBitmapInfoPtr() const { return reinterpret_cast<BITMAPINFO*>(FHeader.get()); }
  void* GetBitsPtr() const { return FBits.get(); }
  // The header's fields; 0 when there is no header.
  int32_t GetDibWidth() const;
  int32_t GetDibHeight() const;
  int32_t GetBitCount() const;
  uint32_t GetSizeImage() const;
  int32_t GetStride() const { return FStride; }
  size_t HeaderBlockSize() const { return m_headerSize; }
  size_t BitsBlockSize() const { return m_bitsSize; }

  // Bytes per row: ((width x bitsPerPixel + 31) with the low five bits cleared) / 8.
  static int32_t CalcDibStride(int32_t width, int32_t bitsPerPixel);

 private:
  BITMAPINFOHEADER Header() const;

  int32_t FStride = 0;
  std::unique_ptr<uint8_t[]> FBits;
  std::unique_ptr<uint8_t[]> FHeader;
  size_t m_bitsSize = 0;
  size_t m_headerSize = 0;
  AnsiString m_loadError;
};

}  // namespace DibImage
