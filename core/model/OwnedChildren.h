#pragma once
// The children a composite keeps itself. A composite whose pool only lists
// (a linked partner, the objects a pin holds, all objects of the page) does
// not own what its pool lists; but the children it is handed (those stored
// in its own record and made while it loads, or given to it with
// TCustomCompo::AddObj) belong to it, and nothing else would free them. The
// composite keeps those here and frees them with itself, whatever its pool
// or its link has done with them meanwhile.
#include <memory>
#include <vector>

#include "core/model/CommonObj.h"

namespace lumora {

class TOwnedChildren {
public:
  // Takes aObj over; answers it.
  TCommonObj *Keep(std::unique_ptr<TCommonObj> aObj) {
    TCommonObj *obj = aObj.get();
    if (obj) FItems.push_back(std::move(aObj));
    return obj;
  }
  // Hands aObj back; null when it is not kept here.
  std::unique_ptr<TCommonObj> Release(const TCommonObj *aObj) {
    for (auto it = FItems.begin(); it != FItems.end(); ++it)
      if (it->get() == aObj) {
        std::unique_ptr<TCommonObj> obj = std::move(*it);
        FItems.erase(it);
        return obj;
      }
    return nullptr;
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
