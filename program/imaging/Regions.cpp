#include "program/imaging/Regions.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "vcl/Bitmap.h"

namespace {

class OwnedRegion {
 public:
  explicit OwnedRegion(HRGN region) : m_region(region) {}
  ~OwnedRegion() {
    if (m_region) DeleteObject(m_region);
  }
  OwnedRegion(const OwnedRegion&) = delete;
  OwnedRegion& operator=(const OwnedRegion&) = delete;
  HRGN Get() const { return m_region; }

 private:
  HRGN m_region;
};

// A region of the given rectangles, made in one call.
HRGN RegionOfRects(const std::vector<RECT>& rects) {
  std::vector<uint8_t> block(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(block.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(rects.size());
  data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  RECT bounds{0, 0, 0, 0};
  for (const RECT& rect : rects) {
    bounds.left = std::min(bounds.left, rect.left);
    bounds.top = std::min(bounds.top, rect.top);
    bounds.right = std::max(bounds.right, rect.right);
    bounds.bottom = std::max(bounds.bottom, rect.bottom);
  }
  data->rdh.rcBound = bounds;
  if (!rects.empty()) std::memcpy(block.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), data);
}

// One axis of the stretch: where a source coordinate lands on the target.
class AxisMap {
 public:
  explicit AxisMap(const imaging::detail::NineGridAxis& axis) : m_axis(axis) {
    m_first = Scale(axis.destFirst, axis.sourceFirst);
    m_middle = Scale(axis.destMiddle, axis.sourceMiddle);
    m_last = Scale(axis.destLast, axis.sourceLast);
  }

  LONG operator()(LONG v) const {
    const auto& a = m_axis;
    if (v < a.sourceFirst) return Round(v * m_first);
    if (v < a.sourceFirst + a.sourceMiddle) return Round((v - a.sourceFirst) * m_middle) + a.destFirst;
    return a.destFirst + a.destMiddle + a.destLast -
           Round((static_cast<double>(a.sourceFirst) + a.sourceMiddle + a.sourceLast - v) * m_last);
  }

 private:
  static double Scale(int dest, int source) { return source == 0 ? 1.0 : static_cast<double>(dest) / source; }
  // Halves to even, as the drawing rounds.
  static LONG Round(double value) { return static_cast<LONG>(std::nearbyint(value)); }

  imaging::detail::NineGridAxis m_axis;
  double m_first, m_middle, m_last;
};

}  // namespace

TRegionData BitmapToRegionData(TBitmap* Bitmap, const TRect& Rect, TColor TransparentColor) {
  if (!Bitmap) return nullptr;
  const TPixelFormat format = Bitmap->PixelFormat();
  if (format != pf24bit && format != pf32bit) return nullptr;
  if (Bitmap->Width() == 0 || Bitmap->Height() == 0) return nullptr;

  // A rectangle read from a skin file may reach past its bitmap: only the pixels that exist
  // are read.
  const TRect area(std::max<LONG>(Rect.Left, 0), std::max<LONG>(Rect.Top, 0),
                   std::min<LONG>(Rect.Right, Bitmap->Width()), std::min<LONG>(Rect.Bottom, Bitmap->Height()));
  const int width = area.Width();
  const int height = area.Height();
  if (width <= 0 || height <= 0) return nullptr;

  const bool alphaTest = format == pf32bit && TransparentColor == clNone;
  const COLORREF key = alphaTest ? 0 : ColorToRGB(TransparentColor);
  const int bytesPerPixel = format == pf32bit ? 4 : 3;
  auto transparent = [&](const uint8_t* pixel) {
    if (alphaTest) return pixel[3] == 0;
    return (pixel[2] | (pixel[1] << 8) | (pixel[0] << 16)) == static_cast<int64_t>(key);
  };

  std::vector<RECT> holes;
  for (int y = 0; y < height; ++y) {
    const auto* row = static_cast<const uint8_t*>(Bitmap->ScanLine(area.Top + y)) + area.Left * bytesPerPixel;
    int x = 0;
    while (x < width) {
      if (!transparent(row + x * bytesPerPixel)) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < width && transparent(row + x * bytesPerPixel)) ++x;
      holes.push_back({start, y, x, y + 1});
    }
  }

  // One pixel wider and taller than the rectangle: window shapes are made from this extra
  // column and row.
  OwnedRegion region(CreateRectRgn(0, 0, width + 1, height + 1));
  if (!region.Get()) return nullptr;
  if (!holes.empty()) {
    OwnedRegion cut(RegionOfRects(holes));
    if (!cut.Get() || CombineRgn(region.Get(), region.Get(), cut.Get(), RGN_DIFF) == ERROR) return nullptr;
  }

  const DWORD size = GetRegionData(region.Get(), 0, nullptr);
  if (size < 1) return nullptr;
  TRegionData data(static_cast<RGNDATA*>(std::malloc(size)));
  if (!data || GetRegionData(region.Get(), size, data.get()) != size) return nullptr;
  return data;
}

uint32_t GetRegionDataSize(const RGNDATA* Data) {
  if (!Data || Data->rdh.iType != RDH_RECTANGLES) return 0;
  return Data->rdh.dwSize + static_cast<uint32_t>(sizeof(RECT)) * Data->rdh.nCount;
}

bool StretchRegionData(RGNDATA* Data, const TRect& SrcRect, const TNineGridMargins& SrcMargins,
                       const TNineGridMargins& DestMargins, int Width, int Height) {
  if (!Data || Data->rdh.iType != RDH_RECTANGLES) return true;
  using namespace imaging::detail;
  NineGridAxis across = MakeNineGridAxis(SrcRect.Width(), SrcMargins.Left, SrcMargins.Right, Width, DestMargins.Left,
                                         DestMargins.Right);
  NineGridAxis down = MakeNineGridAxis(SrcRect.Height(), SrcMargins.Top, SrcMargins.Bottom, Height, DestMargins.Top,
                                       DestMargins.Bottom);
  ShrinkNineGridMargins(across);
  ShrinkNineGridMargins(down);
  const AxisMap mapX(across);
  const AxisMap mapY(down);

  auto* rects = reinterpret_cast<RECT*>(reinterpret_cast<uint8_t*>(Data) + Data->rdh.dwSize);
  for (DWORD i = 0; i < Data->rdh.nCount; ++i) {
    RECT& rect = rects[i];
    rect.left = mapX(rect.left);
    rect.right = mapX(rect.right);
    rect.top = mapY(rect.top);
    rect.bottom = mapY(rect.bottom);
  }
  return true;
}
