#include "core/model/ObjPool.h"

#include <algorithm>

#include "core/model/CommonObj.h"
#include "core/support/RectOps.h"

namespace lumora {

// ---- TAbObjectPool ----

int TAbObjectPool::IndexOf(const TCommonObj *aObj) const {
  const auto it = std::find(FItems.begin(), FItems.end(), aObj);
  return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TAbObjectPool::Move(int aCurIndex, int aNewIndex) {
  if (aCurIndex == aNewIndex) return;
  FOrdered = false;
  TCommonObj *obj = FItems.at(size_t(aCurIndex));
  FItems.erase(FItems.begin() + aCurIndex);
  const int to = std::clamp(aNewIndex, 0, Count());
  FItems.insert(FItems.begin() + to, obj);
  Moved(aCurIndex, to);
}

TCommonObj *TAbObjectPool::GetObjs(int64_t Id) const {
  for (TCommonObj *obj : FItems)
    if (obj && obj->Id() == Id) return obj;
  return nullptr;
}

TCommonObj *TAbObjectPool::GetParts(int Id) const {
  return Id >= 0 && Id < Count() ? FItems[size_t(Id)] : nullptr;
}

int TAbObjectPool::OrderedIndex(const TCommonObj *aObj, bool behind) const {
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

bool TAbObjectPool::Holds(const TCommonObj *aObj) const {
  if (!FOrdered) return IndexOf(aObj) >= 0;
  // In an ordered pool an object stands among its equals.
  const auto first = FItems.begin() + OrderedIndex(aObj, true);
  const auto last = FItems.begin() + OrderedIndex(aObj, false);
  return std::find(first, last, aObj) != last;
}

void TAbObjectPool::GetOverlapObj(TObjList &pObjList, const TRect &pRect1,
                                  const TRect &pRect2) const {
  for (TCommonObj *obj : FItems) {
    if (std::find(pObjList.begin(), pObjList.end(), obj) != pObjList.end()) continue;
    const TRect r = obj->BoundsRect();
    if (RectsIntersect(r, pRect1) || RectsIntersect(r, pRect2)) pObjList.push_back(obj);
  }
}

void TAbObjectPool::MoveBack(TCommonObj *aObj) {
  const int i = aObj ? IndexOf(aObj) : -1;
  if (i < 0) return;
  FItems.erase(FItems.begin() + i);
  // A second entry of the same object (only a listing pool can have one)
  // keeps its place; this one is gone then.
  if (Holds(aObj)) return;
  const int to = OrderedIndex(aObj, true);
  FItems.insert(FItems.begin() + to, aObj);
  Moved(i, to);
}

bool TAbObjectPool::MoveFront(TCommonObj *aObj) {
  const int i = aObj ? IndexOf(aObj) : -1;
  if (i < 0) return false;
  FItems.erase(FItems.begin() + i);
  if (Holds(aObj)) return true; // as in MoveBack
  const int to = OrderedIndex(aObj, false);
  FItems.insert(FItems.begin() + to, aObj);
  Moved(i, to);
  return true;
}

void TAbObjectPool::MoveOrder(TCommonObj *aObj, int aOrder) {
  if (aOrder <= 0) {
    MoveFront(aObj);
    return;
  }
  const int i = IndexOf(aObj);
  if (i < 0) return;
  const int target = std::min(aOrder, Count() - 1);
  if (target != i) Move(i, target);
}

// ---- TAbObjPool ----

void TAbObjPool::Add(TCommonObj *aObj) {
  FOrdered = false;
  FItems.push_back(aObj);
}

void TAbObjPool::Insert(int aIndex, TCommonObj *aObj) {
  FOrdered = false;
  aIndex = std::clamp(aIndex, 0, Count());
  FItems.insert(FItems.begin() + aIndex, aObj);
}

TCommonObj *TAbObjPool::Extract(TCommonObj *aObj) {
  const int i = IndexOf(aObj);
  if (i < 0) return nullptr;
  FItems.erase(FItems.begin() + i);
  return aObj;
}

int TAbObjPool::Remove(TCommonObj *aObj) {
  const int i = IndexOf(aObj);
  if (i >= 0) Delete(i);
  return i;
}

void TAbObjPool::Delete(int aIndex) {
  FItems.at(size_t(aIndex));
  FItems.erase(FItems.begin() + aIndex);
}

void TAbObjPool::Clear() {
  FItems.clear();
}

void TAbObjPool::SetObjs(int64_t Id, TCommonObj *Value) {
  if (GetObjs(Id)) Extract(Value);
  AddObj(Value);
}

void TAbObjPool::SetParts(int Id, TCommonObj *Value) {
  if (Id >= 0 && Id < Count()) {
    FOrdered = false;
    FItems[size_t(Id)] = Value;
  } else {
    AddObj(Value);
  }
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

// ---- TOwnedObjPool ----

TOwnedObjPool::~TOwnedObjPool() {
  Clear();
}

TCommonObj *TOwnedObjPool::PutAt(int aIndex, std::unique_ptr<TCommonObj> aObj) {
  TCommonObj *obj = aObj.get();
  FItems.insert(FItems.begin() + aIndex, obj);
  FOwned.insert(FOwned.begin() + aIndex, std::move(aObj));
  return obj;
}

void TOwnedObjPool::Moved(int aFrom, int aTo) {
  std::unique_ptr<TCommonObj> obj = std::move(FOwned[size_t(aFrom)]);
  FOwned.erase(FOwned.begin() + aFrom);
  FOwned.insert(FOwned.begin() + aTo, std::move(obj));
}

TCommonObj *TOwnedObjPool::Add(std::unique_ptr<TCommonObj> aObj) {
  if (!aObj) return nullptr;
  FOrdered = false;
  return PutAt(Count(), std::move(aObj));
}

TCommonObj *TOwnedObjPool::Insert(int aIndex, std::unique_ptr<TCommonObj> aObj) {
  if (!aObj) return nullptr;
  FOrdered = false;
  return PutAt(std::clamp(aIndex, 0, Count()), std::move(aObj));
}

std::unique_ptr<TCommonObj> TOwnedObjPool::Extract(TCommonObj *aObj) {
  const int i = IndexOf(aObj);
  return i < 0 ? nullptr : ExtractAt(i);
}

std::unique_ptr<TCommonObj> TOwnedObjPool::ExtractAt(int aIndex) {
  FItems.at(size_t(aIndex));
  std::unique_ptr<TCommonObj> obj = std::move(FOwned[size_t(aIndex)]);
  FItems.erase(FItems.begin() + aIndex);
  FOwned.erase(FOwned.begin() + aIndex);
  return obj;
}

int TOwnedObjPool::Remove(TCommonObj *aObj) {
  const int i = IndexOf(aObj);
  if (i >= 0) Delete(i);
  return i;
}

void TOwnedObjPool::Delete(int aIndex) {
  ExtractAt(aIndex); // freed here, out of the pool
}

void TOwnedObjPool::Clear() {
  // Taken out first, so that an object freed here no longer sees itself
  // in the pool.
  std::vector<std::unique_ptr<TCommonObj>> owned;
  owned.swap(FOwned);
  FItems.clear();
  for (std::unique_ptr<TCommonObj> &obj : owned)
    obj.reset();
}

TCommonObj *TOwnedObjPool::SetObjs(int64_t, std::unique_ptr<TCommonObj> Value) {
  return AddObj(std::move(Value));
}

std::unique_ptr<TCommonObj> TOwnedObjPool::SetParts(int Id, std::unique_ptr<TCommonObj> Value) {
  if (Id < 0 || Id >= Count()) {
    AddObj(std::move(Value));
    return nullptr;
  }
  if (!Value) return nullptr;
  FOrdered = false;
  FItems[size_t(Id)] = Value.get();
  std::swap(FOwned[size_t(Id)], Value);
  return Value;
}

TCommonObj *TOwnedObjPool::AddObj(std::unique_ptr<TCommonObj> aObj) {
  if (!aObj) return nullptr;
  const int at = OrderedIndex(aObj.get(), false);
  return PutAt(at, std::move(aObj));
}

TCommonObj *TOwnedObjPool::InsertObj(std::unique_ptr<TCommonObj> aObj) {
  if (!aObj) return nullptr;
  const int at = OrderedIndex(aObj.get(), true);
  return PutAt(at, std::move(aObj));
}

} // namespace lumora
