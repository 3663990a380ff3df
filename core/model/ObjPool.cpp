#include "core/model/ObjPool.h"

#include <algorithm>

#include "core/model/CommonObj.h"
#include "core/support/RectOps.h"

namespace lumora {

TAbObjectPool::~TAbObjectPool() {
  Clear();
}

int TAbObjectPool::IndexOf(const TCommonObj *aObj) const {
  const auto it = std::find(FItems.begin(), FItems.end(), aObj);
  return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TAbObjectPool::Insert(int aIndex, TCommonObj *aObj) {
  FOrdered = false;
  aIndex = std::clamp(aIndex, 0, Count());
  FItems.insert(FItems.begin() + aIndex, aObj);
}

TCommonObj *TAbObjectPool::Extract(TCommonObj *aObj) {
  const int i = IndexOf(aObj);
  if (i < 0) return nullptr;
  FItems.erase(FItems.begin() + i);
  return aObj;
}

int TAbObjectPool::Remove(TCommonObj *aObj) {
  const int i = IndexOf(aObj);
  if (i >= 0) Delete(i);
  return i;
}

void TAbObjectPool::Delete(int aIndex) {
  TCommonObj *obj = FItems.at(size_t(aIndex));
  FItems.erase(FItems.begin() + aIndex);
  if (FOwnsObjects) delete obj;
}

void TAbObjectPool::Clear() {
  // Taken out first, so that an object freed here no longer sees itself
  // in the pool.
  std::vector<TCommonObj *> items;
  items.swap(FItems);
  if (FOwnsObjects)
    for (TCommonObj *obj : items)
      delete obj;
}

void TAbObjectPool::Move(int aCurIndex, int aNewIndex) {
  if (aCurIndex == aNewIndex) return;
  FOrdered = false;
  TCommonObj *obj = FItems.at(size_t(aCurIndex));
  FItems.erase(FItems.begin() + aCurIndex);
  FItems.insert(FItems.begin() + std::clamp(aNewIndex, 0, Count()), obj);
}

TCommonObj *TAbObjPool::GetObjs(int64_t Id) const {
  for (TCommonObj *obj : FItems)
    if (obj && obj->Id() == Id) return obj;
  return nullptr;
}

void TAbObjPool::SetObjs(int64_t Id, TCommonObj *Value) {
  if (GetObjs(Id)) Extract(Value);
  AddObj(Value);
}

TCommonObj *TAbObjPool::GetParts(int Id) const {
  return Id >= 0 && Id < Count() ? FItems[size_t(Id)] : nullptr;
}

void TAbObjPool::SetParts(int Id, TCommonObj *Value) {
  if (Id >= 0 && Id < Count()) {
    FOrdered = false;
    TCommonObj *old = FItems[size_t(Id)];
    FItems[size_t(Id)] = Value;
    if (FOwnsObjects && old != Value) delete old;
  } else {
    AddObj(Value);
  }
}

int TAbObjPool::OrderedIndex(const TCommonObj *aObj, bool behind) const {
  const uint8_t layer = aObj->Param.Layer;
  const int32_t priority = aObj->Param.Priority;
  // AddObj passes by the entries of lower layer, and of the same layer and
  // equal or lower priority; InsertObj only by those of lower priority.
  auto skipped = [&](const TCommonObj *entry) {
    const TObjParam &p = entry->Param;
    if (p.Layer != layer) return p.Layer < layer;
    return behind ? p.Priority < priority : p.Priority <= priority;
  };
  if (FOrdered) // the skipped entries form a prefix
    return int(std::partition_point(FItems.begin(), FItems.end(), skipped) - FItems.begin());
  for (int i = 0; i < Count(); ++i)
    if (!skipped(FItems[size_t(i)])) return i;
  return Count();
}

bool TAbObjPool::Holds(const TCommonObj *aObj) const {
  if (!FOrdered) return IndexOf(aObj) >= 0;
  // In an ordered pool an object stands among its equals.
  const auto first = FItems.begin() + OrderedIndex(aObj, true);
  const auto last = FItems.begin() + OrderedIndex(aObj, false);
  return std::find(first, last, aObj) != last;
}

TCommonObj *TAbObjPool::AddObj(TCommonObj *aObj) {
  if (!aObj || Holds(aObj)) return aObj;
  FItems.insert(FItems.begin() + OrderedIndex(aObj, false), aObj);
  return aObj;
}

TCommonObj *TAbObjPool::InsertObj(TCommonObj *aObj) {
  if (!aObj || Holds(aObj)) return aObj;
  FItems.insert(FItems.begin() + OrderedIndex(aObj, true), aObj);
  return aObj;
}

void TAbObjPool::GetOverlapObj(TObjList &pObjList, const TRect &pRect1, const TRect &pRect2) {
  for (TCommonObj *obj : FItems) {
    if (std::find(pObjList.begin(), pObjList.end(), obj) != pObjList.end()) continue;
    const TRect r = obj->BoundsRect();
    if (RectsIntersect(r, pRect1) || RectsIntersect(r, pRect2)) pObjList.push_back(obj);
  }
}

void TAbObjPool::MoveBack(TCommonObj *aObj) {
  if (!aObj || !Extract(aObj)) return;
  InsertObj(aObj);
}

bool TAbObjPool::MoveFront(TCommonObj *aObj) {
  if (!aObj || !Extract(aObj)) return false;
  AddObj(aObj);
  return true;
}

void TAbObjPool::MoveOrder(TCommonObj *aObj, int aOrder) {
  if (aOrder <= 0) {
    MoveFront(aObj);
    return;
  }
  const int i = IndexOf(aObj);
  if (i < 0) return;
  const int target = std::min(aOrder, Count() - 1);
  if (target != i) Move(i, target);
}

} // namespace lumora
