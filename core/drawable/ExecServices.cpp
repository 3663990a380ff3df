#include "core/drawable/ExecServices.h"

namespace lumora {

TExecServices &ExecServices() {
  static TExecServices services;
  return services;
}

} // namespace lumora
