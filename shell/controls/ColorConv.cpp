#include "shell/controls/ColorConv.h"

#include <algorithm>

#include "core/geometry/Geometry.h"

namespace lumora {

double ColorLuminance(TColor aColor) {
  const TColor c = ColorToRGB(aColor);
  return (0.299 * GetRValue(c) + 0.587 * GetGValue(c) + 0.114 * GetBValue(c)) / 255;
}

TYCbCr ColorToYCbCr(TColor aColor) {
  const TColor c = ColorToRGB(aColor);
  const double r = GetRValue(c);
  const double g = GetGValue(c);
  const double b = GetBValue(c);
  return {(0.299 * r + 0.587 * g + 0.114 * b) / 255, (-0.1686 * r - 0.3311 * g + 0.4997 * b) / 255,
          (0.4998 * r - 0.4185 * g - 0.0813 * b) / 255};
}

TColor YCbCrToColor(double Y, double Cb, double Cr) {
  auto channel = [](double v) { return std::clamp(int(Round(v * 255)), 0, 255); };
  const int r = channel(Y + 1.4026 * Cr);
  const int g = channel(Y - 0.3444 * Cb - 0.7114 * Cr);
  const int b = channel(Y + 1.733 * Cb);
  return r + 256 * g + 65536 * b;
}

TColor ColorWithLuminance(TColor aColor, double y) {
  const TYCbCr c = ColorToYCbCr(aColor);
  return YCbCrToColor(y, c.Cb, c.Cr);
}

} // namespace lumora
