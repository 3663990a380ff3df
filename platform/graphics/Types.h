#pragma once
// Integer points and rectangles with the platform's semantics: a rectangle's
// right and bottom edges are exclusive (a 10x10 rectangle at the origin is
// (0, 0, 10, 10)), unlike QRect.
#include <QPoint>
#include <QRect>
#include <cstdint>

namespace lumora {

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TPoint &) const = default;
};

struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  TPoint TopLeft() const { return {Left, Top}; }
  TPoint BottomRight() const { return {Right, Bottom}; }
  bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  bool operator==(const TRect &) const = default;
};

inline TPoint Point(int32_t x, int32_t y) {
  return {x, y};
}
inline TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return {left, top, right, bottom};
}
inline TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {left, top, left + width, top + height};
}
// The QRect covering the same pixels.
inline QRect ToQRect(const TRect &r) {
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}
inline QPoint ToQPoint(TPoint p) {
  return QPoint(p.X, p.Y);
}

} // namespace lumora
