#include "program/imaging/NineGrid.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/gdi/DcGuards.h"
#include "program/imaging/ColorBlend.h"

using imaging::detail::NineGridAxis;

namespace {

// ---- small owners of GDI objects ----------------------------------------------------------

using OwnedBitmap = platform::OwnedGdiObject<HBITMAP>;
using MemoryDC = platform::BitmapDc;

// A top-down 32-bit DIB section, so that AlphaBlendDC can blend in its memory.
HBITMAP CreateBitmap32(int width, int height) {
  const BITMAPINFO info = platform::TopDownBitmapInfo32(width, height);
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// Moves a DC's window origin for a scope, and puts it back on every way out.
class WindowOriginScope {
 public:
  WindowOriginScope(HDC dc, int x, int y) : m_dc(dc) {
    m_saved = GetWindowOrgEx(dc, &m_previous) != FALSE;
    SetWindowOrgEx(dc, x, y, nullptr);
  }
  ~WindowOriginScope() {
    if (m_saved) SetWindowOrgEx(m_dc, m_previous.x, m_previous.y, nullptr);
  }
  WindowOriginScope(const WindowOriginScope&) = delete;
  WindowOriginScope& operator=(const WindowOriginScope&) = delete;

 private:
  HDC m_dc;
  POINT m_previous{};
  bool m_saved = false;
};

class WindowOffsetScope {
 public:
  WindowOffsetScope(HDC dc, int dx, int dy) : m_dc(dc), m_dx(dx), m_dy(dy) { OffsetWindowOrgEx(dc, dx, dy, nullptr); }
  ~WindowOffsetScope() { OffsetWindowOrgEx(m_dc, -m_dx, -m_dy, nullptr); }
  WindowOffsetScope(const WindowOffsetScope&) = delete;
  WindowOffsetScope& operator=(const WindowOffsetScope&) = delete;

 private:
  HDC m_dc;
  int m_dx;
  int m_dy;
};

constexpr uint32_t kPerPixelAlpha = BlendFunctionValue({AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});

// ---- the grid ----------------------------------------------------------------------------

enum class Cell { TopLeft, TopRight, BottomLeft, BottomRight, Center, TopEdge, LeftEdge, RightEdge, BottomEdge };

struct Box {
  int x, y, width, height;
};

struct CellCopy {
  Box dest;
  Box source;
};

bool PieceIn(uint8_t piece, std::initializer_list<uint8_t> pieces) {
  return std::find(pieces.begin(), pieces.end(), piece) != pieces.end();
}

bool CellDrawn(Cell cell, uint8_t piece) {
  using namespace NineGridPiece;
  switch (cell) {
    case Cell::TopLeft: return PieceIn(piece, {All, Frame, LeftColumn, TopRow});
    case Cell::TopRight: return PieceIn(piece, {All, Frame, RightColumn, TopRow});
    case Cell::BottomLeft: return PieceIn(piece, {All, Frame, LeftColumn, BottomRow});
    case Cell::BottomRight: return PieceIn(piece, {All, Frame, RightColumn, BottomRow});
    case Cell::Center: return PieceIn(piece, {All, Center, MiddleColumn, MiddleRow});
    case Cell::TopEdge: return PieceIn(piece, {All, Frame, MiddleColumn, TopRow});
    case Cell::LeftEdge: return PieceIn(piece, {All, Frame, LeftColumn, MiddleRow});
    case Cell::RightEdge: return PieceIn(piece, {All, Frame, RightColumn, MiddleRow});
    case Cell::BottomEdge: return PieceIn(piece, {All, Frame, MiddleColumn, BottomRow});
  }
  return false;
}

// The grid after the margins were fitted to the destination: W x H is the destination size.
struct Grid {
  int width, height;
  TNineGridMargins source, dest;
  int sourceMiddleWidth, sourceMiddleHeight;
};

CellCopy CellGeometry(const Grid& grid, Cell cell, uint8_t piece) {
  using namespace NineGridPiece;
  const int W = grid.width, H = grid.height;
  const int DL = grid.dest.Left, DR = grid.dest.Right, DT = grid.dest.Top, DB = grid.dest.Bottom;
  const int SL = grid.source.Left, SR = grid.source.Right, ST = grid.source.Top, SB = grid.source.Bottom;
  const int midW = grid.sourceMiddleWidth, midH = grid.sourceMiddleHeight;

  // The destination area of the piece.
  int bL = 0, bT = 0, bR = W, bB = H;
  if (piece == LeftColumn) bR = DL;
  if (piece == RightColumn) bL = W - DR;
  if (piece == TopRow) bB = DT;
  if (piece == BottomRow) bT = H - DB;

  // A margin is used on a side where a corner is drawn; the middle column keeps its top and
  // bottom margins, the middle row its left and right ones.
  const bool leftCorner = CellDrawn(Cell::TopLeft, piece) || CellDrawn(Cell::BottomLeft, piece);
  const bool rightCorner = CellDrawn(Cell::TopRight, piece) || CellDrawn(Cell::BottomRight, piece);
  const bool topCorner = CellDrawn(Cell::TopLeft, piece) || CellDrawn(Cell::TopRight, piece);
  const bool bottomCorner = CellDrawn(Cell::BottomLeft, piece) || CellDrawn(Cell::BottomRight, piece);
  const int uL = leftCorner || piece == MiddleRow ? DL : 0;
  const int uR = rightCorner || piece == MiddleRow ? DR : 0;
  const int uT = topCorner || piece == MiddleColumn ? DT : 0;
  const int uB = bottomCorner || piece == MiddleColumn ? DB : 0;
  const int mW = std::max(0, W - uL - uR);
  const int mH = std::max(0, H - uT - uB);

  switch (cell) {
    case Cell::TopLeft: return {{bL, bT, DL, DT}, {0, 0, SL, ST}};
    case Cell::TopRight: return {{bR - DR, bT, DR, DT}, {SL + midW, 0, SR, ST}};
    case Cell::BottomLeft: return {{bL, bB - DB, DL, DB}, {0, ST + midH, SL, SB}};
    case Cell::BottomRight: return {{bR - DR, bB - DB, DR, DB}, {SL + midW, ST + midH, SR, SB}};
    case Cell::Center: return {{bL + uL, bT + uT, mW, mH}, {SL, ST, midW, midH}};
    case Cell::TopEdge: return {{bL + uL, bT, mW, DT}, {SL, 0, midW, ST}};
    case Cell::LeftEdge: return {{bL, bT + uT, DL, mH}, {0, ST, SL, midH}};
    case Cell::RightEdge: return {{bR - DR, bT + uT, DR, mH}, {SL + midW, ST, SR, midH}};
    case Cell::BottomEdge: return {{bL + uL, bB - DB, mW, DB}, {SL, ST + midH, midW, SB}};
  }
  return {};
}

// The order each mode draws its cells in.
constexpr std::array<Cell, 9> kCopyOrder{Cell::TopLeft, Cell::TopRight, Cell::BottomLeft, Cell::BottomRight,
                                         Cell::Center,  Cell::TopEdge,  Cell::LeftEdge,   Cell::RightEdge,
                                         Cell::BottomEdge};
constexpr std::array<Cell, 9> kColorKeyOrder{Cell::TopLeft, Cell::TopRight, Cell::BottomLeft, Cell::BottomRight,
                                             Cell::TopEdge, Cell::LeftEdge, Cell::Center,     Cell::RightEdge,
                                             Cell::BottomEdge};
constexpr std::array<Cell, 9> kAlphaOrder{Cell::TopLeft,    Cell::TopRight, Cell::BottomLeft, Cell::BottomRight,
                                          Cell::TopEdge,    Cell::BottomEdge, Cell::LeftEdge, Cell::RightEdge,
                                          Cell::Center};

// Copies every drawn cell with `copy` (dest box, source box) in `order`. A cell with nothing
// in it is no copy. Gives the success of the last copy; true when there was none.
template <class Copy>
bool DrawCells(const Grid& grid, uint8_t piece, const std::array<Cell, 9>& order, Copy copy) {
  bool result = true;
  for (Cell cell : order) {
    if (!CellDrawn(cell, piece)) continue;
    CellCopy c = CellGeometry(grid, cell, piece);
    if (c.dest.width < 1 || c.dest.height < 1 || c.source.width < 1 || c.source.height < 1) continue;
    result = copy(c.dest, c.source);
  }
  return result;
}

bool DrawPlain(HDC dc, const TRect& destRect, HDC sourceDC, const TRect& sourceRect, uint8_t mode,
               COLORREF transparentColor) {
  const int destWidth = destRect.Width(), destHeight = destRect.Height();
  const int sourceWidth = sourceRect.Width(), sourceHeight = sourceRect.Height();
  switch (mode) {
    case NineGridMode::Copy:
      return StretchBlt(dc, destRect.Left, destRect.Top, destWidth, destHeight, sourceDC, sourceRect.Left,
                        sourceRect.Top, sourceWidth, sourceHeight, SRCCOPY) != FALSE;
    case NineGridMode::ColorKey:
      return StretchBltColorKey(dc, destRect.Left, destRect.Top, destWidth, destHeight, sourceDC, sourceRect.Left,
                                sourceRect.Top, sourceWidth, sourceHeight, transparentColor);
    case NineGridMode::Alpha: {
      if (sourceWidth < 1 || sourceHeight < 1) return false;
      // Blend at the source's own size on a copy of what lies under the destination, then
      // stretch the result into place.
      OwnedBitmap buffer(CreateBitmap32(sourceWidth, sourceHeight));
      MemoryDC bufferDC(buffer.get());
      if (!bufferDC.Ready()) return false;
      SetStretchBltMode(bufferDC.get(), GetStretchBltMode(dc));
      StretchBlt(bufferDC.get(), 0, 0, sourceWidth, sourceHeight, dc, destRect.Left, destRect.Top, destWidth,
                 destHeight, SRCCOPY);
      AlphaBlendDC(bufferDC.get(), 0, 0, sourceWidth, sourceHeight, sourceDC, sourceRect.Left, sourceRect.Top,
                   sourceWidth, sourceHeight, kPerPixelAlpha);
      return StretchBlt(dc, destRect.Left, destRect.Top, destWidth, destHeight, bufferDC.get(), 0, 0, sourceWidth,
                        sourceHeight, SRCCOPY) != FALSE;
    }
    default: return false;
  }
}

bool DrawGrid(HDC dc, const Grid& grid, HDC sourceDC, uint8_t mode, COLORREF transparentColor, uint8_t piece) {
  switch (mode) {
    case NineGridMode::Copy:
      return DrawCells(grid, piece, kCopyOrder, [&](const Box& d, const Box& s) {
        return StretchBlt(dc, d.x, d.y, d.width, d.height, sourceDC, s.x, s.y, s.width, s.height, SRCCOPY) != FALSE;
      });
    case NineGridMode::ColorKey:
      return DrawCells(grid, piece, kColorKeyOrder, [&](const Box& d, const Box& s) {
        return StretchBltColorKey(dc, d.x, d.y, d.width, d.height, sourceDC, s.x, s.y, s.width, s.height,
                                  transparentColor);
      });
    case NineGridMode::Alpha: {
      OwnedBitmap buffer(CreateBitmap32(grid.width, grid.height));
      MemoryDC bufferDC(buffer.get());
      if (!bufferDC.Ready()) return false;
      SetStretchBltMode(bufferDC.get(), GetStretchBltMode(dc));
      BitBlt(bufferDC.get(), 0, 0, grid.width, grid.height, dc, 0, 0, SRCCOPY);
      DrawCells(grid, piece, kAlphaOrder, [&](const Box& d, const Box& s) {
        return AlphaBlendDC(bufferDC.get(), d.x, d.y, d.width, d.height, sourceDC, s.x, s.y, s.width, s.height,
                            kPerPixelAlpha);
      });
      return BitBlt(dc, 0, 0, grid.width, grid.height, bufferDC.get(), 0, 0, SRCCOPY) != FALSE;
    }
    default: return false;
  }
}

}  // namespace

// ---- margins ------------------------------------------------------------------------------

NineGridAxis imaging::detail::MakeNineGridAxis(int sourceLength, int sourceFirst, int sourceLast, int destLength,
                                               int destFirst, int destLast) {
  return {sourceFirst, sourceLast, std::max(0, sourceLength - sourceFirst - sourceLast),
          destLength,  destFirst,  destLast,
          destLength - destFirst - destLast};
}

void imaging::detail::ShrinkNineGridMargins(NineGridAxis& axis) {
  const int margins = axis.destFirst + axis.destLast;
  // The proportion divides by the margins: without positive margins there is nothing to
  // shrink.
  if (axis.destMiddle >= 0 || margins <= 0) return;
  const double ratio = static_cast<double>(-axis.destMiddle) / margins;
  auto shrink = [ratio](int& value) { value -= static_cast<int>(std::nearbyint(value * ratio)); };
  shrink(axis.sourceFirst);
  shrink(axis.sourceLast);
  axis.sourceMiddle += -axis.destMiddle;
  shrink(axis.destFirst);
  shrink(axis.destLast);
  axis.destMiddle = 0;
  if (axis.destLength - axis.sourceFirst - axis.sourceLast > 0) {
    ++axis.sourceFirst;
    ++axis.destFirst;
  }
}

// ---- drawing ------------------------------------------------------------------------------

bool DrawBitmapPart(HDC DC, const TRect& DestRect, HBITMAP Bitmap, const TRect& SrcRect,
                    const TNineGridMargins& SrcMargins, const TNineGridMargins& DestMargins, uint8_t Mode,
                    COLORREF TransparentColor, uint8_t Piece, const TRect* ClipRect) {
  MemoryDC sourceDC(Bitmap);
  if (!sourceDC.Ready()) return false;
  SetStretchBltMode(DC, COLORONCOLOR);
  if (DestRect.Width() <= 0 || DestRect.Height() <= 0) return false;
  if (Mode > NineGridMode::Alpha || Piece > NineGridPiece::BottomRow) return false;

  // Tiles and parts drawn by the plain path honour the clip rectangle as the grid does; the
  // clipping stays on the DC for the caller's further drawing.
  if (ClipRect) IntersectClipRect(DC, ClipRect->Left, ClipRect->Top, ClipRect->Right, ClipRect->Bottom);

  if (Piece == NineGridPiece::All && SrcMargins.Left == 0 && SrcMargins.Right == 0 && SrcMargins.Top == 0 &&
      SrcMargins.Bottom == 0)
    return DrawPlain(DC, DestRect, sourceDC.get(), SrcRect, Mode, TransparentColor);

  using namespace imaging::detail;
  using namespace NineGridPiece;
  NineGridAxis across = MakeNineGridAxis(SrcRect.Width(), SrcMargins.Left, SrcMargins.Right, DestRect.Width(),
                                         DestMargins.Left, DestMargins.Right);
  NineGridAxis down = MakeNineGridAxis(SrcRect.Height(), SrcMargins.Top, SrcMargins.Bottom, DestRect.Height(),
                                       DestMargins.Top, DestMargins.Bottom);
  if (PieceIn(Piece, {All, Frame, TopRow, MiddleRow, BottomRow})) ShrinkNineGridMargins(across);
  if (PieceIn(Piece, {All, Frame, LeftColumn, MiddleColumn, RightColumn})) ShrinkNineGridMargins(down);

  Grid grid{DestRect.Width(),
            DestRect.Height(),
            {across.sourceFirst, across.sourceLast, down.sourceFirst, down.sourceLast},
            {across.destFirst, across.destLast, down.destFirst, down.destLast},
            across.sourceMiddle,
            down.sourceMiddle};

  // The cells address the source relative to SrcRect's corner: logical (0, 0) of the source
  // DC is device (SrcRect.Left, SrcRect.Top), as logical (0, 0) of the target is DestRect's.
  WindowOriginScope sourceOrigin(sourceDC.get(), -SrcRect.Left, -SrcRect.Top);
  WindowOffsetScope destOrigin(DC, -DestRect.Left, -DestRect.Top);
  return DrawGrid(DC, grid, sourceDC.get(), Mode, TransparentColor, Piece);
}

bool StretchBltColorKey(HDC DestDC, int X, int Y, int DestWidth, int DestHeight, HDC SrcDC, int SrcX, int SrcY,
                        int SrcWidth, int SrcHeight, COLORREF TransparentColor) {
  if (DestWidth < 1 || DestHeight < 1 || SrcWidth < 1 || SrcHeight < 1) return false;
  HDC screen = CreateCompatibleDC(nullptr);
  const int depth = screen ? GetDeviceCaps(screen, BITSPIXEL) : 32;
  if (screen) DeleteDC(screen);

  // The source's colours, and a mask with 1 where they equal the transparent colour.
  OwnedBitmap colors(CreateBitmap(SrcWidth, SrcHeight, 1, depth, nullptr));
  OwnedBitmap mask(CreateBitmap(SrcWidth, SrcHeight, 1, 1, nullptr));
  OwnedBitmap stretchedMask(CreateBitmap(DestWidth, DestHeight, 1, depth, nullptr));
  OwnedBitmap stretchedColors(CreateBitmap(DestWidth, DestHeight, 1, depth, nullptr));
  MemoryDC colorsDC(colors.get());
  MemoryDC maskDC(mask.get());
  MemoryDC stretchedMaskDC(stretchedMask.get());
  MemoryDC stretchedColorsDC(stretchedColors.get());
  if (!colorsDC.Ready() || !maskDC.Ready() || !stretchedMaskDC.Ready() || !stretchedColorsDC.Ready()) return false;

  if (!BitBlt(colorsDC.get(), 0, 0, SrcWidth, SrcHeight, SrcDC, SrcX, SrcY, SRCCOPY)) return false;
  if (!PatBlt(maskDC.get(), 0, 0, SrcWidth, SrcHeight, BLACKNESS)) return false;
  SetBkColor(colorsDC.get(), TransparentColor);
  if (!BitBlt(maskDC.get(), 0, 0, SrcWidth, SrcHeight, colorsDC.get(), 0, 0, SRCINVERT)) return false;
  // Transparent pixels become black in the colour copy, so that they add nothing below.
  SetBkColor(colorsDC.get(), RGB(0, 0, 0));
  SetTextColor(colorsDC.get(), RGB(255, 255, 255));
  if (!BitBlt(colorsDC.get(), 0, 0, SrcWidth, SrcHeight, maskDC.get(), 0, 0, SRCAND)) return false;

  // The mask stretched: transparent pixels white, the others black.
  SetStretchBltMode(stretchedMaskDC.get(), COLORONCOLOR);
  if (!StretchBlt(stretchedMaskDC.get(), 0, 0, DestWidth, DestHeight, maskDC.get(), 0, 0, SrcWidth, SrcHeight,
                  SRCCOPY))
    return false;
  if (!StretchBlt(stretchedColorsDC.get(), 0, 0, DestWidth, DestHeight, colorsDC.get(), 0, 0, SrcWidth, SrcHeight,
                  SRCCOPY))
    return false;

  if (!BitBlt(DestDC, X, Y, DestWidth, DestHeight, stretchedMaskDC.get(), 0, 0, SRCAND)) return false;
  return BitBlt(DestDC, X, Y, DestWidth, DestHeight, stretchedColorsDC.get(), 0, 0, SRCPAINT) != FALSE;
}
