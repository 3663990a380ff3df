#include "core/drawable/DrawLink.h"

#include "core/drawable/DrawObj.h"

namespace lumora {

namespace {
// The abilities of a class whose objects act when clicked through.
const TActType kActingKinds{awAction, awAnimate, awSound, awPage,  awMPEG,
                            awCustom, awUser,    etAll,   etOrder, etOrder2};
} // namespace

TDrawLink::TDrawLink(TDrawObj *aOwner, TLinkDrawClass aLinkDrawClass)
    : TSingleLink(aOwner, aLinkDrawClass), FOwner(aOwner) {}

bool TDrawLink::CanLink(TCommonObj *aObj) {
  return TSingleLink::CanLink(aObj) && !aObj->ICan(atShow);
}

bool TDrawLink::DoLink(TCommonObj *aObj) {
  if (!aObj) return false;
  if (aObj == GetLinkedObj()) {
    RemoveLink(aObj);
    FClickAct = nullptr;
    return false;
  }
  FClickAct = aObj;
  SetLinkedObj(aObj);
  if (dynamic_cast<TActionObj *>(aObj) || !(aObj->ObjInfo().ActType * kActingKinds).Empty())
    FOwner->Param.ActType.Include(atAction);
  return true;
}

void TDrawLink::RemoveLink(TCommonObj *aObj) {
  TSingleLink::RemoveLink(aObj);
  FOwner->EventParam.Click = -1;
  FClickAct = nullptr;
  FOwner->Param.ActType.Exclude(atAction);
}

} // namespace lumora
