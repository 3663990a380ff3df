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

// The rectangle with its corners ordered: one given right to left or
// bottom to top is turned the usual way round.
inline TRect NormalizeRect(const TRect &r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
          std::max(r.Top, r.Bottom)};
}

// Grows r by d on every side and, when asked, right and bottom by one more
// pixel; sides that would leave the Integer range stay at its end.
inline TRect InflateRect(const TRect &r, int d, int extraRightBottom = 0) {
  const auto fit = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  return {fit(int64_t(r.Left) - d), fit(int64_t(r.Top) - d),
          fit(int64_t(r.Right) + d + extraRightBottom),
          fit(int64_t(r.Bottom) + d + extraRightBottom)};
}

} // namespace lumora
