#include "shell/input/Adsorb.h"

#include <algorithm>
#include <exception>

#include "core/book/ActBlockList.h"
#include "core/model/CommonObj.h"
#include "core/model/CustomCompo.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/model/ObjPool.h"

namespace lumora {

namespace {

// The initial room of the map; it grows beyond.
constexpr size_t kMapCapacity = 140;

// The grab points of a drawable object: aCount of them from its polygon.
// An object that cannot give them (an abstract grab model) gives none, so
// that one such object does not stop the map of a whole page.
bool ReadGrabPoints(IRepresent *aRep, int aCount, TGrabRect &aPoints) {
  aPoints.assign(size_t(std::max(aCount, 0)), TRealPoint{});
  try {
    aRep->PolygonToGrab(aPoints);
  } catch (const std::exception &) {
    aPoints.clear();
    return false;
  }
  return true;
}

// The entries of an object's pool other than the object itself.
std::vector<TCommonObj *> PoolEntries(TCommonObj *aObj) {
  std::vector<TCommonObj *> entries;
  if (!aObj || !aObj->Pool()) return entries;
  for (TCommonObj *entry : *aObj->Pool())
    if (entry && entry != aObj) entries.push_back(entry);
  return entries;
}

bool IsPin(TCommonObj *aObj) {
  return aObj && aObj->Param.ObjName == QStringLiteral("留針");
}

// Inside a group a tray stands for the object it carries.
TCommonObj *TrayTarget(TCommonObj *aObj) {
  if (aObj && aObj->ICan(awTray)) return aObj->LinkedObj();
  return aObj;
}

} // namespace

// ---- TAdsorbItem ----

TAdsorbItem::TAdsorbItem(IAdsorb *aGrabs, TRealPoint aPos, bool aOwnPos)
    : FPos(aOwnPos ? TRealPoint{0, 0} : aPos), FGrabs(aGrabs),
      FObj(aGrabs ? aGrabs->MySelf() : nullptr) {
  InitBound(aOwnPos);
}

void TAdsorbItem::InitBound(bool aOwnPos) {
  FBound = aOwnPos ? -1 : RealDistance(FPos, TRealPoint{0, 0}) + Range();
}

bool TAdsorbItem::IsInAdsorbBound(TRealPoint aPos, double &aDist) {
  if (FBound < 0 && FGrabs) FPos = FGrabs->AdsorbPointAt(aPos);
  aDist = RealDistance(FPos, aPos);
  return aDist <= Range();
}

TAdsorbItemEx::TAdsorbItemEx(IAdsorb *aGrabs, TRealPoint aPos, bool aOwnPos)
    : TAdsorbItem(aGrabs, aPos, aOwnPos), FRange(aGrabs ? aGrabs->GetAdsorbRange() : 0) {
  // The base constructor set the bound with the base range.
  InitBound(aOwnPos);
}

// ---- TAdsorb__ ----

TAdsorb__::TAdsorb__() {
  FGrabMap.reserve(kMapCapacity);
}

TAdsorb__::~TAdsorb__() = default;

TAdsorbItem *TAdsorb__::SearchNearest(TRealPoint &aOffset) {
  aOffset = {0, 0};
  if (!FTarget) return nullptr;
  // Per-query items carry the bound -1 and so stand at the front of the
  // map: walking the map in order asks them first.
  double best = 2147483647.0;
  TAdsorbItem *found = nullptr;
  TRealPoint dragged;
  for (const TRealPoint &point : FGrabs) {
    if (point.rx >= kNoAdsorbPos) continue;
    for (const std::unique_ptr<TAdsorbItem> &item : FGrabMap) {
      double dist = 0;
      if (item->IsInAdsorbBound(point, dist) && dist < best) {
        best = dist;
        found = item.get();
        FAdsorPos = item->Pos();
        dragged = point;
      }
    }
  }
  if (found) aOffset = SubRealPoint(FAdsorPos, dragged);
  return found;
}

void TAdsorb__::ApplyOffset(TCommonObj *aObj, TRealPoint aOffset) {
  if (!aObj) return;
  aObj->Move(aOffset);
  if (aObj->Maker()) aObj->Maker()->SetCenter();
  aObj->ReMake();
}

void TAdsorb__::OpenPage(TCommonObj *aPage) {
  if (!FEnabled) return;
  for (TCommonObj *obj : PoolEntries(aPage))
    if (obj->Param.ActType.Contains(atAdsorb)) AddGrabs(obj);
}

void TAdsorb__::ClosePage() {
  ClearMap();
  // The page's objects are about to go: a drag still open on one of them
  // must not be closed onto it.
  FTarget = nullptr;
}

bool TAdsorb__::Open(TCommonObj *aObj) {
  FTarget = nullptr;
  if (!FAdsorbMode || !aObj || !Supports<IRepresent>(aObj)) return false;
  FTarget = aObj;
  RemoveItems(aObj);
  return true;
}

void TAdsorb__::AddObj(TCommonObj *aObj) {
  if (aObj) AddGrabs(aObj);
}

void TAdsorb__::RemoveObj(TCommonObj *aObj) {
  RemoveItems(aObj);
  if (FTarget == aObj) FTarget = nullptr;
}

void TAdsorb__::SetEnabled(bool Value) {
  FEnabled = Value;
  if (!Value) ClosePage();
}

void TAdsorb__::SetTargetGrabs(const TGrabRect &aGrabs, TCommonObj *aObj) {
  FGrabs = aGrabs;
  IRepresent *rep = Supports<IRepresent>(aObj);
  TGrabInfo *info = rep ? rep->GetGrabInfo() : nullptr;
  if (!info) return;
  for (size_t i = 0; i < FGrabs.size(); ++i)
    if (!info->GetGrabMode(int(i)).Contains(gmAdsorb)) FGrabs[i] = {kNoAdsorbPos, kNoAdsorbPos};
}

void TAdsorb__::AddTargetCenter(TCommonObj *aObj) {
  if (aObj && aObj->Param.ActType.Contains(atCenter)) FGrabs.push_back(aObj->BCenter());
}

void TAdsorb__::InsertItem(std::unique_ptr<TAdsorbItem> aItem) {
  const double bound = aItem->Bound();
  auto at = std::find_if(FGrabMap.begin(), FGrabMap.end(),
                         [bound](const auto &item) { return item->Bound() > bound; });
  FGrabMap.insert(at, std::move(aItem));
}

void TAdsorb__::RemoveItems(TCommonObj *aObj) {
  std::erase_if(FGrabMap, [aObj](const auto &item) { return item->Obj() == aObj; });
}

// ---- TAdsorbDe ----

void TAdsorbDe::AddGrabs(TCommonObj *aObj) {
  // With snapping switched off the author map stays empty.
  if (!FEnabled || !FAdsorbMode || !aObj) return;
  IRepresent *rep = Supports<IRepresent>(aObj);
  if (!rep) return;
  TGrabRect points;
  if (!ReadGrabPoints(rep, aObj->Param.Grabs, points)) return;
  const bool ownPos = aObj->Param.ActType.Contains(atAdsorbPos);
  for (const TRealPoint &p : points)
    InsertItem(std::make_unique<TAdsorbItem>(rep, p, ownPos));
  if (aObj->Param.ActType.Contains(atCenter))
    InsertItem(std::make_unique<TAdsorbItem>(rep, aObj->BCenter(), ownPos));
}

void TAdsorbDe::SetAdsorbMode(bool Value) {
  FAdsorbMode = Value;
  ClearMap();
  if (Value && FPage) OpenPage(FPage);
}

void TAdsorbDe::OpenPage(TCommonObj *aPage) {
  FPage = aPage;
  if (!FEnabled) return;
  for (TCommonObj *obj : PoolEntries(aPage))
    // An object being dragged joins the map when its drag ends.
    if (obj != FTarget) AddGrabs(obj);
}

void TAdsorbDe::ClosePage() {
  TAdsorb__::ClosePage();
  FPage = nullptr;
}

void TAdsorbDe::UpdateMap(TCommonObj *aPage0, TCommonObj *aPage) {
  ClearMap();
  if (aPage0) OpenPage(aPage0);
  OpenPage(aPage);
}

bool TAdsorbDe::Close(const TGrabRect &aGrabs) {
  TCommonObj *obj = FTarget;
  if (!FEnabled || !obj) {
    FTarget = nullptr;
    return false;
  }
  SetTargetGrabs(aGrabs, obj);
  AddTargetCenter(obj);
  TRealPoint offset;
  const bool snapped = SearchNearest(offset) != nullptr;
  if (snapped) ApplyOffset(obj, offset);
  FTarget = nullptr;
  AddGrabs(obj);
  return snapped;
}

// ---- TAdsorbEx ----

TAdsorbEx::TAdsorbEx() {
  FAdsorbMode = true;
}

bool TAdsorbEx::IsGroup(TCommonObj *aObj) {
  return dynamic_cast<TCustomCompo *>(aObj) != nullptr || IsPin(aObj);
}

bool TAdsorbEx::IsAdsorbable(TCommonObj *aObj) {
  return aObj && aObj->Param.ActType.Contains(atAdsorb) && Supports<IRepresent>(aObj);
}

void TAdsorbEx::AddGrabs(TCommonObj *aObj) {
  if (!FEnabled || !IsAdsorbable(aObj)) return;
  IRepresent *rep = Supports<IRepresent>(aObj);
  TGrabInfo *info = rep->GetGrabInfo();
  TGrabRect points;
  if (!ReadGrabPoints(rep, info ? info->Count() : aObj->Param.Grabs, points)) return;
  const bool ownPos = aObj->Param.ActType.Contains(atAdsorbPos);
  for (size_t i = 0; i < points.size(); ++i) {
    // A point that does not snap offers nothing to others either.
    if (info && !info->GetGrabMode(int(i)).Contains(gmAdsorb)) continue;
    InsertItem(std::make_unique<TAdsorbItemEx>(rep, points[i], ownPos));
  }
  if (aObj->Param.ActType.Contains(atCenter))
    InsertItem(std::make_unique<TAdsorbItemEx>(rep, aObj->BCenter(), ownPos));
}

void TAdsorbEx::AddPageObjects(TCommonObj *aCompo, std::unordered_set<TCommonObj *> &aSeen) {
  for (TCommonObj *obj : PoolEntries(aCompo)) {
    // A pin lists objects of the page, which the page lists too: each
    // object joins the map once, and a group that holds itself ends here.
    if (!aSeen.insert(obj).second) continue;
    AddGrabs(obj);
    if (IsGroup(obj)) AddPageObjects(obj, aSeen);
  }
}

void TAdsorbEx::OpenPage(TCommonObj *aPage) {
  if (!FEnabled || !aPage) return;
  std::unordered_set<TCommonObj *> seen{aPage};
  AddPageObjects(aPage, seen);
}

void TAdsorbEx::UpdateMap(TCommonObj *aPage0, TCommonObj *aPage) {
  ClearMap();
  if (aPage0) OpenPage(aPage0);
  OpenPage(aPage);
}

void TAdsorbEx::CollectMembers(TCommonObj *aGroup, std::vector<TCommonObj *> &aMembers,
                               std::unordered_set<TCommonObj *> &aSeen) {
  for (TCommonObj *entry : PoolEntries(aGroup)) {
    if (!aSeen.insert(entry).second) continue;
    TCommonObj *member = TrayTarget(entry);
    if (member && member != entry && !aSeen.insert(member).second) continue;
    if (member) aMembers.push_back(member);
    if (IsGroup(entry)) CollectMembers(entry, aMembers, aSeen);
  }
}

bool TAdsorbEx::Open(TCommonObj *aObj) {
  FTarget = nullptr;
  if (!aObj) return false;
  // The objects taken out of the map here are exactly those Close puts
  // back: for a group, its snapping object (a tray's carried object) and
  // its members.
  std::vector<TCommonObj *> objects;
  if (IsGroup(aObj)) {
    std::unordered_set<TCommonObj *> seen{aObj};
    TCommonObj *self = TrayTarget(aObj);
    if (self) {
      seen.insert(self);
      objects.push_back(self);
    }
    CollectMembers(aObj, objects, seen);
  } else {
    objects.push_back(aObj);
  }
  bool snaps = false;
  for (TCommonObj *obj : objects)
    if (IsAdsorbable(obj)) {
      RemoveItems(obj);
      snaps = true;
    }
  if (snaps) FTarget = aObj;
  return snaps;
}

void TAdsorbEx::Close(bool aLock) {
  TCommonObj *obj = FTarget;
  if (FEnabled && obj) {
    if (IsGroup(obj)) {
      GroupSnap(aLock, obj);
    } else {
      TRealPoint offset;
      if (dynamic_cast<IFActProg *>(obj))
        AdsorbProgram(aLock, obj, offset);
      else
        AdsorbOne(aLock, obj, offset);
      AddGrabs(obj);
    }
  }
  FTarget = nullptr;
}

bool TAdsorbEx::AdsorbOne(bool aLock, TCommonObj *aObj, TRealPoint &aOffset) {
  aOffset = {0, 0};
  IRepresent *rep = IsAdsorbable(aObj) ? Supports<IRepresent>(aObj) : nullptr;
  if (!rep) return false;
  TGrabRect points;
  ReadGrabPoints(rep, aObj->Param.Grabs, points);
  SetTargetGrabs(points, aObj);
  AddTargetCenter(aObj);
  if (aLock) return false;
  TRealPoint offset;
  TAdsorbItem *item = SearchNearest(offset);
  if (!item) return false;
  IAdsorb *target = item->Grabs();
  ApplyOffset(aObj, offset);
  aOffset = offset;
  if (target) target->AdsorbFrom(FAdsorPos, rep);
  return true;
}

void TAdsorbEx::GroupSnap(bool aLock, TCommonObj *aGroup) {
  TCommonObj *self = TrayTarget(aGroup);
  std::unordered_set<TCommonObj *> seen{aGroup};
  if (self) seen.insert(self);
  std::vector<TCommonObj *> members;
  CollectMembers(aGroup, members, seen);

  const bool takesPart = IsAdsorbable(self);
  TRealPoint offset{0, 0};
  if (takesPart) {
    AdsorbOne(aLock, self, offset);
    AddGrabs(self);
  }
  const bool follow = takesPart && !IsPin(self) && (offset.rx != 0 || offset.ry != 0);
  // Objects already moved this time: a composite's own move carries the
  // objects it holds, which must not move a second time.
  std::vector<TCommonObj *> moved;
  if (follow) moved.push_back(self);
  const auto carried = [&moved](TCommonObj *aMember) {
    return std::any_of(moved.begin(), moved.end(), [aMember](TCommonObj *aMoved) {
      auto *compo = dynamic_cast<TCustomCompo *>(aMoved);
      return compo && compo->IndexOf(aMember) >= 0;
    });
  };
  for (TCommonObj *member : members) {
    if (!IsAdsorbable(member)) continue;
    if (follow && !carried(member)) {
      ApplyOffset(member, offset);
      moved.push_back(member);
    }
    AddGrabs(member);
  }
}

} // namespace lumora
