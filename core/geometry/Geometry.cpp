#include "core/geometry/Geometry.h"

namespace lumora {

namespace {
double gPixelsPerMM = 96.0 / 25.4;
}

void SetPixelsPerInch(int pixelsPerInch) { gPixelsPerMM = pixelsPerInch / 25.4; }
double GetPixelsPerMM() { return gPixelsPerMM; }

} // namespace lumora
