#pragma once
// Plane geometry on real-valued page points.
#include <cstdint>

namespace lumora {

// Pixels per millimetre: set once at start-up from the screen's pixels per inch.
void SetPixelsPerInch(int pixelsPerInch);
double GetPixelsPerMM();

} // namespace lumora
