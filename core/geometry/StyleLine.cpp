#include "core/geometry/StyleLine.h"

namespace lumora {

TStyleLine &StyleLine() {
  static TStyleLine instance;
  return instance;
}

} // namespace lumora
