#pragma once
// The line painter. The program has one, in its context (StyleLine() in
// core/model/CoreContext.h); polylines keep a reference to it when they are
// made; its settings are the start-up ones and nothing draws with it.
#include "core/geometry/Geometry.h"

#include <cstdint>
#include <vector>

namespace lumora {

class TStyleLine {
public:
  TLStyle Style = TLStyle::lsCustom;
  int32_t Width = 1;
  // Dash pattern: lengths of drawn and skipped pieces, in pixels.
  std::vector<int32_t> Pattern{20, 20};
  int32_t UnitLength = 40;
};

} // namespace lumora
