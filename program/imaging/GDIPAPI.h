#pragma once

// Records and small routines over the GDI+ flat interface: rectangles and colours, the
// encoder list and encoder parameters, palettes, property items, and the rows of locked
// bitmap data. Plain functions and values; any thread.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdiplus/Gdiplus.h"
#include "rtl/SysTypes.h"
#include "vcl/Types.h"

static_assert(sizeof(ImageCodecInfo) == 104, "the 64-bit layout of the codec record");
static_assert(sizeof(EncoderParameter) == 32, "the 64-bit layout of an encoder parameter");

// ---- rectangles and colours -------------------------------------------------------------

GpRect MakeRect(const TRect& rect);
TRect MakeRect(int x, int y, int width, int height);
GpRectF MakeRectF(const TRect& rect);

constexpr ARGB MakeColor(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
  return (ARGB{a} << 24) | (ARGB{r} << 16) | (ARGB{g} << 8) | ARGB{b};
}
constexpr ARGB MakeColor(uint8_t r, uint8_t g, uint8_t b) { return MakeColor(255, r, g, b); }
// Alpha is dropped, red and blue change places.
constexpr COLORREF ARGBToColorRef(ARGB color) {
  return ((color >> 16) & 0xFF) | (color & 0xFF00) | ((color & 0xFF) << 16);
}
// Opaque.
constexpr ARGB ColorRefToARGB(COLORREF color) {
  return 0xFF000000u | ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// ---- encoders ---------------------------------------------------------------------------

// A codec record that owns the texts its pointers reach, so that it outlives the list it
// was copied from.
struct TImageCodecInfo {
  ImageCodecInfo Info{};
  WideString CodecName, DllName, FormatDescription, FilenameExtension, MimeType;
};
using TImageCodecInfoDynArray = std::vector<TImageCodecInfo>;

// Every encoder GDI+ offers; empty when GDI+ fails.
void GetImageEncoders(TImageCodecInfoDynArray& encoders);
TImageCodecInfoDynArray GetImageEncoders();
// The first encoder of a format; a record of zeros (no class id, no format) when none.
bool GetEncoderInfo(const GUID& formatID, TImageCodecInfo& info);
bool IsNullGuid(const GUID& guid);

// Parameters the program hands to encoders: one 32-bit value each (type Long), held in a
// block the parameter owns.
using TEncoderParameterDynArray = std::vector<EncoderParameter>;
void MakeEncoderParameters(TEncoderParameterDynArray& parameters, int count);
void SetEncoderParameterCount(TEncoderParameterDynArray& parameters, int count);
// Ignored unless 0 <= index < count.
void SetEncoderParameter(TEncoderParameterDynArray& parameters, int index, const EncoderParameter& parameter);
EncoderParameter MakeEncoderParameter(const GUID& guid, uint32_t value);
// Frees every value block and empties the array.
void FreeEncoderParameters(TEncoderParameterDynArray& parameters);
// The flat block GDI+ takes: a 32-bit count, then the parameters. Empty parameters give a
// null block.
struct TEncoderParametersBlock {
  std::unique_ptr<uint8_t[]> Bytes;
  const EncoderParameters* Get() const { return reinterpret_cast<const EncoderParameters*>(Bytes.get()); }
};
TEncoderParametersBlock BuildEncoderParameters(const TEncoderParameterDynArray& parameters);

// Owns the parameters it holds and frees them when it goes.
class TGPEncoderParameters {
 public:
  TGPEncoderParameters() = default;
  ~TGPEncoderParameters() { FreeEncoderParameters(Parameters); }
  TGPEncoderParameters(const TGPEncoderParameters&) = delete;
  TGPEncoderParameters& operator=(const TGPEncoderParameters&) = delete;
  void Add(const GUID& guid, uint32_t value) { Parameters.push_back(MakeEncoderParameter(guid, value)); }
  TEncoderParameterDynArray Parameters;
};

// ---- palettes and properties ------------------------------------------------------------

// A GDI+ ColorPalette in a byte buffer: flags, count, count ARGB entries.
class TGPColorPalette {
 public:
  // From the byte size GDI+ reports: count = (size - 8) / 4.
  explicit TGPColorPalette(int byteSize);
  ColorPalette* Palette() { return reinterpret_cast<ColorPalette*>(m_bytes.data()); }
  int ByteSize() const { return static_cast<int>(m_bytes.size()); }
  UINT Count() const;
  ARGB Entry(UINT index) const;
  void SetEntry(UINT index, ARGB color);

 private:
  std::vector<uint8_t> m_bytes;  // the allocator's alignment suits the 32-bit fields
};

// One image property, owning its value.
struct TGPPropertyItem {
  PROPID Id = 0;
  ULONG Length = 0;
  WORD Type = 0;
  std::vector<uint8_t> Value;
};

// The first value as text: byte, 16-bit and 32-bit values unsigned in decimal, ASCII up to
// its terminating zero; other types give an empty text.
AnsiString PropertyItemToStr(const TGPPropertyItem& item);
void CopyPropertyItem(const PropertyItem& source, TGPPropertyItem& dest);
// Reads one property of an image; false when the image has none of that id.
bool ReadPropertyItem(GpImage* image, PROPID id, TGPPropertyItem& item);

// ---- locked bits ------------------------------------------------------------------------

// The first byte of a row of locked bitmap data, row 0 being the top row whatever the sign
// of the stride. Signed arithmetic throughout.
inline uint8_t* GetScanLine(const BitmapData& data, int row) {
  auto* scan0 = static_cast<uint8_t*>(data.Scan0);
  const std::ptrdiff_t stride = data.Stride;
  if (stride >= 0) return scan0 + static_cast<std::ptrdiff_t>(row) * stride;
  return scan0 + (static_cast<std::ptrdiff_t>(data.Height) - 1 - row) * -stride;
}
