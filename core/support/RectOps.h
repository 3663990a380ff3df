#pragma once
// Intersection and union of integer rectangles (right and bottom exclusive).
#include <algorithm>

#include "platform/graphics/Types.h"

namespace lumora {

// Whether the two rectangles share at least one pixel.
inline bool RectsIntersect(const TRect &a, const TRect &b) {
  return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) &&
         std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

// The smallest rectangle holding both; an empty rectangle adds nothing, and
// two empty ones give the empty rectangle (0, 0, 0, 0).
inline TRect UnionRect(const TRect &a, const TRect &b) {
  if (a.IsEmpty()) return b.IsEmpty() ? TRect() : b;
  if (b.IsEmpty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

// The rectangle grown by d on every side.
inline TRect InflateRect(const TRect &r, int d) {
  return {r.Left - d, r.Top - d, r.Right + d, r.Bottom + d};
}

} // namespace lumora
