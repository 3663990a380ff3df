#pragma once
// The click link of a drawable object: one partner, the object a click on
// the owner acts on (an action object, a conductor, a function object, ...).
#include "core/model/Link.h"

namespace lumora {

class TDrawObj;

class TDrawLink : public TSingleLink {
public:
  // aOwner is the owner (not owned); a null aLinkDrawClass selects the
  // default link drawer.
  explicit TDrawLink(TDrawObj *aOwner, TLinkDrawClass aLinkDrawClass = nullptr);

  // The single-link rule, and aObj does not answer ICan(atShow).
  bool CanLink(TCommonObj *aObj) override;
  // aObj already the partner: RemoveLink, ClickAct cleared, False.
  // Otherwise aObj becomes the click target and the partner, and the owner
  // gains atAction when aObj acts (an action object, or a class whose
  // catalogue ActType holds awAction, awAnimate, awSound, awPage, awMPEG,
  // awCustom, awUser, etAll, etOrder or etOrder2); True.
  bool DoLink(TCommonObj *aObj) override;
  // The single-link removal; then the owner's Click := -1, ClickAct
  // cleared, atAction removed from the owner's Param.ActType.
  void RemoveLink(TCommonObj *aObj) override;

  // The current click target set by DoLink (null after loading until the
  // next DoLink, and after RemoveLink).
  TCommonObj *ClickAct() const { return FClickAct; }
  TDrawObj *Owner() const { return FOwner; }

protected:
  TDrawObj *FOwner;
  TCommonObj *FClickAct = nullptr;
  // Kept for the stored layout of the original link; not used.
  TCommonObj *FDblClickAct = nullptr;
  TCommonObj *FDrag_EAct = nullptr;
  TCommonObj *FDrag_SAct = nullptr;
};

} // namespace lumora
