#include "core/drawable/CoreClasses.h"

#include "core/drawable/DummyDrawObj.h"
#include "core/model/ClassRegistry.h"
#include "core/model/NullObj.h"

namespace lumora {

void RegisterCoreClasses(TObjClassList &aList) {
  aList.Add<TNullObj>();
  aList.Add<TDummyDrawObj>();
}

} // namespace lumora
