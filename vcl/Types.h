#pragma once

// The class library's geometry records: TPoint, TSize and TRect, laid out as the GDI's
// POINT, SIZE and RECT so that they pass to the GDI as they are. A rectangle includes its
// left and top edges and excludes its right and bottom edges.

#include "platform/kernel/WinTypes.h"

struct TPoint {
  LONG X = 0;
  LONG Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(LONG x, LONG y) : X(x), Y(y) {}
  constexpr TPoint(const POINT& p) : X(p.x), Y(p.y) {}
  constexpr operator POINT() const { return {X, Y}; }
  bool operator==(const TPoint&) const = default;
};
static_assert(sizeof(TPoint) == sizeof(POINT));

struct TSize {
  LONG cx = 0;
  LONG cy = 0;
  constexpr TSize() = default;
  constexpr TSize(LONG width, LONG height) : cx(width), cy(height) {}
  constexpr TSize(const SIZE& s) : cx(s.cx), cy(s.cy) {}
  bool operator==(const TSize&) const = default;
};

struct TRect {
  LONG Left = 0;
  LONG Top = 0;
  LONG Right = 0;
  LONG Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(LONG left, LONG top, LONG right, LONG bottom) : Left(left), Top(top), Right(right), Bottom(bottom) {}
  constexpr TRect(const RECT& r) : Left(r.left), Top(r.top), Right(r.right), Bottom(r.bottom) {}
  constexpr operator RECT() const { return {Left, Top, Right, Bottom}; }
  constexpr LONG Width() const { return Right - Left; }
  constexpr LONG Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool operator==(const TRect&) const = default;
  // The RECT view of this rectangle, for GDI calls that take a pointer.
  RECT* AsRect() { return reinterpret_cast<RECT*>(this); }
  const RECT* AsRect() const { return reinterpret_cast<const RECT*>(this); }
};
static_assert(sizeof(TRect) == sizeof(RECT));

constexpr TRect Rect(LONG left, LONG top, LONG right, LONG bottom) { return {left, top, right, bottom}; }
constexpr TRect Bounds(LONG left, LONG top, LONG width, LONG height) { return {left, top, left + width, top + height}; }
constexpr TPoint Point(LONG x, LONG y) { return {x, y}; }
