#pragma once
// Colour conversions for lighter and darker shades of an object's colour:
// luminance and the YCbCr form of a TColor, all channels in 0..1.
#include "platform/graphics/Color.h"

namespace lumora {

struct TYCbCr {
  double Y = 0;
  double Cb = 0;
  double Cr = 0;
};

double ColorLuminance(TColor aColor);
TYCbCr ColorToYCbCr(TColor aColor);
// Each channel rounded and clamped to 0..255.
TColor YCbCrToColor(double Y, double Cb, double Cr);
// The colour with its luminance replaced by y.
TColor ColorWithLuminance(TColor aColor, double y);

} // namespace lumora
