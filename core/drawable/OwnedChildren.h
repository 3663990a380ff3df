#pragma once
// The children a container read from its own record. Containers whose pool
// only refers to objects of their page (a linked partner, the objects a pin
// holds) do not own what their pool lists; but the children stored in the
// container's record and made while it loads belong to it, and nothing else
// would free them. The container keeps those here and frees them with
// itself, whatever its pool or its link has done with them meanwhile.
#include <memory>
#include <vector>

#include "core/model/CommonObj.h"
#include "core/model/ObjPool.h"

namespace lumora {

class TOwnedChildren {
public:
  // Takes ownership of every entry of aPool that is neither aSelf nor owned
  // already. Called right after the pool was filled from the record.
  void Adopt(const TAbObjectPool &aPool, const TCommonObj *aSelf) {
    for (TCommonObj *child : aPool)
      if (child && child != aSelf && !Owns(child)) FItems.emplace_back(child);
  }
  bool Owns(const TCommonObj *aObj) const {
    for (const auto &item : FItems)
      if (item.get() == aObj) return true;
    return false;
  }
  // Frees every child kept. The pool must not list them any more.
  void Clear() { FItems.clear(); }
  int Count() const { return int(FItems.size()); }

private:
  std::vector<std::unique_ptr<TCommonObj>> FItems;
};

} // namespace lumora
