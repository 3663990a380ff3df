#include "core/drawable/ExecServices.h"

#include "core/model/CoreContext.h"

namespace lumora {

TExecServices &ExecServices() {
  return TCoreContext::Get().Store<TExecServices>();
}

} // namespace lumora
