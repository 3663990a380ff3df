#pragma once
// Object pools: the ordered list of a composite's children (or a leaf's
// link partners). The order is the paint order: index 0 is drawn first (at
// the back), the last index last (in front). AddObj and InsertObj keep the
// entries ascending by Param.Layer, then Param.Priority.
//
// A pool owns its objects only when switched to owning (books own their
// pages, pages their objects, a page's system-object holder its system
// objects): an owning pool frees what it removes, clears or replaces, and
// everything it holds when it is freed. Other pools only list. Moving an
// object inside a pool never frees it.
#include <cstdint>
#include <vector>

#include "core/params/ObjTypes.h"
#include "platform/graphics/Types.h"

namespace lumora {

class TCommonObj;

class TAbObjectPool {
public:
  explicit TAbObjectPool(bool aOwnsObjects = false) : FOwnsObjects(aOwnsObjects) {}
  virtual ~TAbObjectPool();
  TAbObjectPool(const TAbObjectPool &) = delete;
  TAbObjectPool &operator=(const TAbObjectPool &) = delete;

  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool aOwns) { FOwnsObjects = aOwns; }

  // While set, AddObj and InsertObj take the pool as ordered by layer and
  // priority and find the place by binary search, which gives the place the
  // walk finds. A loader that fills an emptied pool with objects nobody
  // else changes meanwhile sets it, then clears it; raw insertions, moves to
  // an index and replacements clear it.
  void SetOrderedHint(bool aOrdered) { FOrdered = aOrdered; }
  bool OrderedHint() const { return FOrdered; }

  // ---- The list ----
  int Count() const { return int(FItems.size()); }
  TCommonObj *Items(int i) const { return FItems.at(size_t(i)); }
  int IndexOf(const TCommonObj *aObj) const;
  // Appends / inserts without regard to order.
  void Add(TCommonObj *aObj) {
    FOrdered = false;
    FItems.push_back(aObj);
  }
  void Insert(int aIndex, TCommonObj *aObj);
  // Takes aObj out without freeing it; answers it (null when absent).
  TCommonObj *Extract(TCommonObj *aObj);
  // Takes aObj out and frees it when the pool owns its objects; answers
  // the index it had (-1 when absent).
  int Remove(TCommonObj *aObj);
  void Delete(int aIndex);
  // Empties the pool, freeing the objects when it owns them.
  void Clear();
  // Moves the entry at aCurIndex to aNewIndex.
  void Move(int aCurIndex, int aNewIndex);
  std::vector<TCommonObj *>::const_iterator begin() const { return FItems.begin(); }
  std::vector<TCommonObj *>::const_iterator end() const { return FItems.end(); }

  // ---- Pool operations ----
  // The first object with that id; null when none.
  virtual TCommonObj *GetObjs(int64_t Id) const = 0;
  // When an object of that id is in the pool, Value is first taken out (if
  // it is there); then Value is added with AddObj.
  virtual void SetObjs(int64_t Id, TCommonObj *Value) = 0;
  // The object at that index; null outside 0 .. Count - 1.
  virtual TCommonObj *GetParts(int Id) const = 0;
  // Replaces the object at an index below the count (an owning pool frees
  // the one replaced); at or beyond the count adds Value with AddObj.
  virtual void SetParts(int Id, TCommonObj *Value) = 0;
  // Inserts in front of the objects of equal layer and priority; an object
  // already in the pool stays where it is. Answers aObj.
  virtual TCommonObj *AddObj(TCommonObj *aObj) = 0;
  // Inserts behind the objects of equal layer and priority.
  virtual TCommonObj *InsertObj(TCommonObj *aObj) = 0;
  // Appends, in pool order, every object not yet in pObjList whose bounds
  // intersect pRect1 or pRect2.
  virtual void GetOverlapObj(TObjList &pObjList, const TRect &pRect1, const TRect &pRect2) = 0;
  // To the back of its layer-and-priority group; nothing when absent.
  virtual void MoveBack(TCommonObj *aObj) = 0;
  // To the front of its group; False when absent.
  virtual bool MoveFront(TCommonObj *aObj) = 0;
  // aOrder <= 0: MoveFront; else to index min(aOrder, Count - 1), whatever
  // the layers; nothing when absent or already there.
  virtual void MoveOrder(TCommonObj *aObj, int aOrder) = 0;

protected:
  std::vector<TCommonObj *> FItems;
  bool FOwnsObjects;
  bool FOrdered = false;
};

// Sets a pool's ordered hint for the time a loader fills it (see
// SetOrderedHint) and clears it however the loading ends.
class TOrderedLoad {
public:
  explicit TOrderedLoad(TAbObjectPool *aPool) : FPool(aPool) {
    if (FPool) FPool->SetOrderedHint(true);
  }
  ~TOrderedLoad() {
    if (FPool) FPool->SetOrderedHint(false);
  }
  TOrderedLoad(const TOrderedLoad &) = delete;
  TOrderedLoad &operator=(const TOrderedLoad &) = delete;

private:
  TAbObjectPool *FPool;
};

class TAbObjPool : public TAbObjectPool {
public:
  using TAbObjectPool::TAbObjectPool;

  TCommonObj *GetObjs(int64_t Id) const override;
  void SetObjs(int64_t Id, TCommonObj *Value) override;
  TCommonObj *GetParts(int Id) const override;
  void SetParts(int Id, TCommonObj *Value) override;
  TCommonObj *AddObj(TCommonObj *aObj) override;
  TCommonObj *InsertObj(TCommonObj *aObj) override;
  void GetOverlapObj(TObjList &pObjList, const TRect &pRect1, const TRect &pRect2) override;
  void MoveBack(TCommonObj *aObj) override;
  bool MoveFront(TCommonObj *aObj) override;
  void MoveOrder(TCommonObj *aObj, int aOrder) override;

private:
  // The insertion index for aObj; behind selects InsertObj's rule.
  int OrderedIndex(const TCommonObj *aObj, bool behind) const;
  bool Holds(const TCommonObj *aObj) const;
};

} // namespace lumora
