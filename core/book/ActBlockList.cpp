#include "core/book/ActBlockList.h"

#include "core/model/CoreContext.h"

#include "core/model/CommonObj.h"
#include "core/model/CustomCompo.h"
#include "core/model/Link.h"
#include "core/model/ObjPool.h"

namespace lumora {

namespace {

IFActProg *ActProg(TCommonObj *aObj) {
  return dynamic_cast<IFActProg *>(aObj);
}

// The objects of a page in pool order (a copy: registering may re-make).
TObjList PageObjects(TCustomCompo *aPage) {
  TObjList list;
  if (!aPage || !aPage->Pool()) return list;
  for (TCommonObj *obj : *aPage->Pool())
    if (obj && obj != aPage) list.push_back(obj);
  return list;
}

} // namespace

// ---- TActInfo ----

TActInfo::TActInfo(TActClass aClass, TCommonObj *aActObj)
    : FActClass(aClass), FId(aActObj ? aActObj->Id() : 0), FActObj(aActObj) {}

QString TActInfo::Name() const {
  return FActObj ? FActObj->Name : QString();
}

// ---- TActBlockList ----

TActBlockList::TActBlockList() : FNoActInfo(acInvalid, nullptr) {}

void TActBlockList::Clear() {
  FItems.clear();
}

const TActInfo &TActBlockList::Items(int aid) const {
  if (aid < 0 || aid >= Count()) return FNoActInfo;
  return *FItems[size_t(aid)];
}

bool TActBlockList::Relinks(const TActInfo &aInfo) const {
  const TActClass c = aInfo.ActClass();
  return c == acLauncher || c == acBooter || c == acTerminator;
}

void TActBlockList::UpdateLinks(bool aKeepNamed) {
  // Linking may not change the registry, but walk by index all the same.
  for (int i = 0; i < Count(); ++i) {
    const TActInfo &info = *FItems[size_t(i)];
    TCommonObj *obj = info.ActObj();
    if (!obj || !Relinks(info)) continue;
    const QString &target = obj->Param.Text;
    if (obj->Param.ObjName.isEmpty() || target.isEmpty()) continue;
    if (aKeepNamed) {
      TCommonObj *linked = obj->GetLinkedObj();
      if (linked && linked->Name == target) continue;
    }
    if (TCommonObj *named = ActObj(target)) obj->SetLinkedObj(named);
  }
}

void TActBlockList::UpdateLink() {
  UpdateLinks(false);
}

void TActBlockList::UpdateLinkEx() {
  UpdateLinks(true);
}

void TActBlockList::UpdateLink(TCommonObj *aBlock) {
  if (!aBlock) return;
  if (!Relinks(GetActInfoById(aBlock->Id())) || aBlock->Param.ObjName.isEmpty()) return;
  if (TLink *link = aBlock->GetLink(); link && link->IsLinked(aBlock)) link->RemoveLink(aBlock);
  if (TCommonObj *linked = aBlock->GetLinkedObj())
    aBlock->Param.Text = linked->Name;
  else if (!aBlock->Param.Text.isEmpty())
    aBlock->SetLinkedObj(ActObj(aBlock->Param.Text));
}

int TActBlockList::AddAct(TCommonObj *aActObj) {
  IFActProg *prog = ActProg(aActObj);
  if (!prog) return -1;
  return AddAct(prog->GetActClass(), aActObj->Name, aActObj);
}

int TActBlockList::AddAct(TActClass aClass, const QString &, TCommonObj *aActObj) {
  if (!aActObj) return -1;
  const TActInfo &found = GetActInfoById(aActObj->Id());
  if (found.ActObj() == aActObj || found.Id() == aActObj->Id()) return -1;
  FItems.push_back(std::make_unique<TActInfo>(aClass, aActObj));
  return Count() - 1;
}

void TActBlockList::RemoveInfo(TCommonObj *aActObj) {
  for (auto it = FItems.begin(); it != FItems.end(); ++it)
    if ((*it)->ActObj() == aActObj) {
      FItems.erase(it);
      return;
    }
}

void TActBlockList::RemakeBlock(TCommonObj *aActObj) {
  if (!aActObj) return;
  for (const std::unique_ptr<TActInfo> &info : FItems)
    if (info->ActObj() == aActObj) {
      aActObj->ReMake();
      return;
    }
}

void TActBlockList::PageClose(TCustomCompo *aPage) {
  for (TCommonObj *obj : PageObjects(aPage))
    RemoveInfo(obj);
}

void TActBlockList::PageReMake(TCustomCompo *aPage) {
  for (TCommonObj *obj : PageObjects(aPage))
    RemakeBlock(obj);
}

void TActBlockList::PageUpdate(TCustomCompo *aPage) {
  bool added = false;
  for (TCommonObj *obj : PageObjects(aPage)) {
    if (!ActProg(obj)) continue;
    const TActInfo &found = GetActInfoById(obj->Id());
    if (found.ActObj() == obj || found.Id() == obj->Id()) continue;
    added = AddAct(obj) >= 0 || added;
  }
  if (added) UpdateLink();
}

const TActInfo &TActBlockList::GetActInfo(const QString &aName) const {
  for (const std::unique_ptr<TActInfo> &info : FItems)
    if (info->ActObj() && info->Name() == aName) return *info;
  return FNoActInfo;
}

const TActInfo &TActBlockList::GetActInfoById(int64_t aId) const {
  for (const std::unique_ptr<TActInfo> &info : FItems)
    if (info->ActObj() && info->ActObj()->Id() == aId) return *info;
  return FNoActInfo;
}

const TActInfo *TActBlockList::GetActBlock(TCommonObj *aActObj) const {
  if (!aActObj) return nullptr;
  for (const std::unique_ptr<TActInfo> &info : FItems) {
    if (info->ActClass() != acStatement || !info->ActObj()) continue;
    if (info->ActObj() == aActObj) return info.get();
    IFActProg *prog = ActProg(info->ActObj());
    if (prog && prog->GetActWork() == aActObj) return info.get();
  }
  return nullptr;
}

const TActInfo *TActBlockList::GetActSprite(TCommonObj *aTargetObj) const {
  if (!aTargetObj) return nullptr;
  for (const std::unique_ptr<TActInfo> &info : FItems) {
    if (info->ActClass() != acSprite || !info->ActObj()) continue;
    const TAbObjectPool *pool = info->ActObj()->Pool();
    if (pool && pool->IndexOf(aTargetObj) >= 0) return info.get();
  }
  return nullptr;
}

TActBlockList &ActBlockRegistry() {
  return TCoreContext::Get().Store<TActBlockList>();
}

} // namespace lumora
