#include "platform/graphics/Font.h"

#include <cstdlib>

namespace lumora {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t p = int64_t(a) * b;
  const int64_t q = (std::llabs(p) + std::llabs(int64_t(c)) / 2) / std::llabs(int64_t(c));
  return int((p < 0) != (c < 0) ? -q : q);
}

int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int points) { height_ = -MulDiv(points, pixelsPerInch_, 72); }

} // namespace lumora
