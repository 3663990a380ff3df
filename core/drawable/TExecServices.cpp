#include "core/drawable/TExecServices.h"

namespace lumora {

TExecServices &ExecServices() {
  static TExecServices services;
  return services;
}

} // namespace lumora
