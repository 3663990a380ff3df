#pragma once
// Mouse buttons and the shift state of an input event, as the page objects'
// operations receive them.
#include <cstdint>

#include "core/support/EnumSet.h"

namespace lumora {

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

enum TShiftStateElem : uint8_t {
  ssShift,
  ssAlt,
  ssCtrl,
  ssLeft,
  ssRight,
  ssMiddle,
  ssDouble,
  ssTouch,
  ssPen,
  ssCommand,
  ssHorizontal,
};
using TShiftState = EnumSet<TShiftStateElem, uint16_t>;

} // namespace lumora
