#pragma once
// Snapping ("吸着"): a map of the snap points of the objects on the shown
// page, against which a dragged object's own snap points are matched when
// its drag ends, so that it jumps onto the nearest point within the capture
// distance.
//
// The map is ordered by each item's bound (its distance from the origin
// plus its capture distance); the search is linear, and the order only
// decides which of two equally near pairs is met first: that one wins.
// Items of objects that compute their snap point per query (atAdsorbPos)
// are asked before all others.
//
// TAdsorbDe is the author snapper (every grab point of every drawable
// object on the page, only while the user has snapping switched on);
// TAdsorbEx the presentation snapper (only objects with atAdsorb, only their
// grab points with gmAdsorb, each with its own capture distance, groups and
// pins snapping with their members). The map refers to page objects it does
// not own: objects leaving the page are taken out with RemoveObj, and a page
// that closes is forgotten with ClosePage.
#include <memory>
#include <unordered_set>
#include <vector>

#include "core/geometry/Geometry.h"
#include "core/system/SysInterfaces.h"

namespace lumora {

class IAdsorb;
class TCommonObj;

// The capture distance of the author map, in pixels.
inline constexpr double kAdsorbRange = 23.0;
// A point that takes no part in snapping.
inline constexpr double kNoAdsorbPos = 2147483647.0;

// One snap point of the map.
class TAdsorbItem {
public:
  // aOwnPos: the object gives its point for each query (Pos is then
  // (0, 0) and Bound -1 until asked).
  TAdsorbItem(IAdsorb *aGrabs, TRealPoint aPos, bool aOwnPos);
  virtual ~TAdsorbItem() = default;
  TAdsorbItem(const TAdsorbItem &) = delete;
  TAdsorbItem &operator=(const TAdsorbItem &) = delete;

  // Whether aPos lies within the capture distance of the item's point;
  // aDist is the distance. A per-query item first asks its object for the
  // point offered to aPos and keeps it as Pos.
  virtual bool IsInAdsorbBound(TRealPoint aPos, double &aDist);

  TRealPoint Pos() const { return FPos; }
  IAdsorb *Grabs() const { return FGrabs; }
  // The object the point belongs to, taken when the item was made, so that
  // the map can drop it without calling into the object.
  TCommonObj *Obj() const { return FObj; }
  double Bound() const { return FBound; }

protected:
  // The capture distance used by the test and the bound.
  virtual double Range() const { return kAdsorbRange; }
  // Sets the bound from Pos and Range; a per-query item keeps -1.
  void InitBound(bool aOwnPos);

  TRealPoint FPos;
  IAdsorb *FGrabs;
  TCommonObj *FObj;
  double FBound = -1;
};

// A snap point with its object's own capture distance (GetAdsorbRange).
class TAdsorbItemEx : public TAdsorbItem {
public:
  TAdsorbItemEx(IAdsorb *aGrabs, TRealPoint aPos, bool aOwnPos);

protected:
  double Range() const override { return FRange; }

private:
  double FRange;
};

class TAdsorb__ : public IAdsorbMap {
public:
  TAdsorb__();
  ~TAdsorb__() override;
  TAdsorb__(const TAdsorb__ &) = delete;
  TAdsorb__ &operator=(const TAdsorb__ &) = delete;

  // ---- Virtual operations ----
  // Adds an object's snap points to the map.
  virtual void AddGrabs(TCommonObj *aObj) = 0;
  // The best item for the dragged points (Grabs), null without a dragged
  // object or when no pair lies within its capture distance; aOffset is
  // AdsorPos minus the dragged point of the best pair.
  virtual TAdsorbItem *SearchNearest(TRealPoint &aOffset);
  // Moves the object by aOffset, lets its maker recompute the centre and
  // re-makes it.
  virtual void ApplyOffset(TCommonObj *aObj, TRealPoint aOffset);
  virtual void SetAdsorbMode(bool Value) { FAdsorbMode = Value; }
  // Adds every object of the page's pool that has atAdsorb (when enabled).
  void OpenPage(TCommonObj *aPage) override;
  // Empties the map and forgets the dragged object.
  void ClosePage() override;
  void UpdateMap(TCommonObj *aPage0, TCommonObj *aPage) override = 0;
  // Starts a drag: the object becomes the dragged object when it takes
  // part in snapping, and its own items leave the map meanwhile.
  virtual bool Open(TCommonObj *aObj);
  // Ends a drag (presentation): snaps the dragged object unless aLock.
  virtual void Close(bool aLock) = 0;
  // Ends a drag (author): snaps the dragged object whose grab points are
  // now aGrabs; answers whether it snapped.
  virtual bool Close(const TGrabRect &aGrabs) = 0;

  // ---- Map maintenance ----
  // AddGrabs for a non-null object.
  void AddObj(TCommonObj *aObj) override;
  // Every item of aObj leaves the map; aObj stops being the dragged object.
  void RemoveObj(TCommonObj *aObj);
  // Switching off also closes the page.
  void SetEnabled(bool Value);
  // Grabs := aGrabs, every point whose grab of aObj lacks gmAdsorb masked.
  void SetTargetGrabs(const TGrabRect &aGrabs, TCommonObj *aObj);
  // Appends aObj's centre to Grabs when it has atCenter.
  void AddTargetCenter(TCommonObj *aObj);
  // Inserted before the first item of a greater bound.
  void InsertItem(std::unique_ptr<TAdsorbItem> aItem);

  // ---- Properties ----
  const TGrabRect &Grabs() const { return FGrabs; }
  bool AdsorbMode() const { return FAdsorbMode; }
  TRealPoint AdsorPos() const { return FAdsorPos; }
  bool Enabled() const { return FEnabled; }
  TCommonObj *Target() const { return FTarget; }
  int Count() const { return int(FGrabMap.size()); }
  const TAdsorbItem &Item(int i) const { return *FGrabMap.at(size_t(i)); }

protected:
  // Takes every item of aObj out of the map.
  void RemoveItems(TCommonObj *aObj);
  // Empties the map.
  void ClearMap() { FGrabMap.clear(); }

  TGrabRect FGrabs;
  bool FAdsorbMode = false;
  TRealPoint FAdsorPos;
  bool FEnabled = true;
  std::vector<std::unique_ptr<TAdsorbItem>> FGrabMap;
  TCommonObj *FTarget = nullptr;
};

// The author snapper.
class TAdsorbDe : public TAdsorb__ {
public:
  // Every grab point of a drawable object (atAdsorbPos: per query; with
  // atCenter also its centre); masks do not apply here.
  void AddGrabs(TCommonObj *aObj) override;
  // On: the map is built again from the page it was opened for; off: the
  // map is emptied.
  void SetAdsorbMode(bool Value) override;
  // Remembers the page; with snapping on, adds every object of its pool.
  void OpenPage(TCommonObj *aPage) override;
  void ClosePage() override;
  // The map built again from the common page and the page.
  void UpdateMap(TCommonObj *aPage0, TCommonObj *aPage) override;
  void Close(bool) override {}
  bool Close(const TGrabRect &aGrabs) override;

  TCommonObj *Page() const { return FPage; }

private:
  TCommonObj *FPage = nullptr;
};

// The presentation snapper (made with snapping on).
class TAdsorbEx : public TAdsorb__ {
public:
  TAdsorbEx();

  // Snapping objects only (IsAdsorbable); grab points without gmAdsorb are
  // left out; items with the object's own capture distance.
  void AddGrabs(TCommonObj *aObj) override;
  // Every snapping object of the page, descending into groups and pins.
  void OpenPage(TCommonObj *aPage) override;
  void UpdateMap(TCommonObj *aPage0, TCommonObj *aPage) override;
  // A group opens its members; it is dragged when it or a member snaps.
  bool Open(TCommonObj *aObj) override;
  void Close(bool aLock) override;
  bool Close(const TGrabRect &) override { return false; }

  // Snaps one object (unless aLock) and tells the object snapped onto;
  // answers whether it snapped, aOffset the move (zero when not).
  virtual bool AdsorbOne(bool aLock, TCommonObj *aObj, TRealPoint &aOffset);
  // Snaps a block-program object (one offering IFActProg).
  virtual bool AdsorbProgram(bool aLock, TCommonObj *aObj, TRealPoint &aOffset) = 0;
  // The object exists, has atAdsorb and offers IRepresent.
  virtual bool IsAdsorbable(TCommonObj *aObj);

  // A composite or a pin ("留針"): it snaps with its members.
  static bool IsGroup(TCommonObj *aObj);

private:
  // The objects a group snaps with: its pool's entries, and theirs for
  // nested groups, each replaced by its linked object when it is a tray;
  // every object once, the group's own snapping object left out.
  void CollectMembers(TCommonObj *aGroup, std::vector<TCommonObj *> &aMembers,
                      std::unordered_set<TCommonObj *> &aSeen);
  void GroupSnap(bool aLock, TCommonObj *aGroup);
  void AddPageObjects(TCommonObj *aCompo, std::unordered_set<TCommonObj *> &aSeen);
};

} // namespace lumora
