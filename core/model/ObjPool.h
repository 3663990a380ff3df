#pragma once
// Object pools: the ordered list of a composite's children (or a leaf's
// link partners). The order is the paint order: index 0 is drawn first (at
// the back), the last index last (in front). AddObj and InsertObj keep the
// entries ascending by Param.Layer, then Param.Priority.
//
// Whether a pool owns what it holds is its type:
//   TAbObjectPool  the ordered list every pool shares, with the operations
//                  that read it and move entries inside it. It neither adds
//                  nor takes out, and never frees.
//   TAbObjPool     a pool that only lists (link partners, the references of
//                  a container, a selection): it takes raw pointers, and
//                  taking out, clearing or freeing it never frees an entry.
//   TOwnedObjPool  a pool that owns its objects (a book's pages, a page's
//                  objects, a table's cells): it is handed objects as
//                  std::unique_ptr, hands them back as std::unique_ptr when
//                  they are taken out (they keep their id, links and Param),
//                  and frees what it removes, clears or replaces, and
//                  everything it holds when it is freed.
// Moving an object inside a pool never frees it.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/params/ObjTypes.h"
#include "platform/graphics/Types.h"

namespace lumora {

class TCommonObj;
class TAbObjPool;
class TOwnedObjPool;

class TAbObjectPool {
public:
  virtual ~TAbObjectPool() = default;
  TAbObjectPool(const TAbObjectPool &) = delete;
  TAbObjectPool &operator=(const TAbObjectPool &) = delete;

  // The pool as a listing pool; null for a pool that owns its objects.
  virtual TAbObjPool *AsListing() { return nullptr; }
  // The pool as an owning pool; null for a pool that only lists.
  virtual TOwnedObjPool *AsOwned() { return nullptr; }

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
  std::vector<TCommonObj *>::const_iterator begin() const { return FItems.begin(); }
  std::vector<TCommonObj *>::const_iterator end() const { return FItems.end(); }
  // Moves the entry at aCurIndex to aNewIndex.
  void Move(int aCurIndex, int aNewIndex);

  // ---- Reading ----
  // The first object with that id; null when none.
  TCommonObj *GetObjs(int64_t Id) const;
  // The object at that index; null outside 0 .. Count - 1.
  TCommonObj *GetParts(int Id) const;
  // Appends, in pool order, every object not yet in pObjList whose bounds
  // intersect pRect1 or pRect2.
  void GetOverlapObj(TObjList &pObjList, const TRect &pRect1, const TRect &pRect2) const;

  // ---- Moving ----
  // To the back of its layer-and-priority group; nothing when absent.
  void MoveBack(TCommonObj *aObj);
  // To the front of its group; False when absent.
  bool MoveFront(TCommonObj *aObj);
  // aOrder <= 0: MoveFront; else to index min(aOrder, Count - 1), whatever
  // the layers; nothing when absent or already there.
  void MoveOrder(TCommonObj *aObj, int aOrder);

protected:
  TAbObjectPool() = default;

  // The insertion index for aObj: in front of the objects of equal layer
  // and priority (AddObj), or behind them (InsertObj, behind).
  int OrderedIndex(const TCommonObj *aObj, bool behind) const;
  // Whether aObj is listed (where the order would put it, when ordered).
  bool Holds(const TCommonObj *aObj) const;
  // Called after the entry at aFrom was taken out and put in again at aTo
  // (an index of the list without it) by a move of this class.
  virtual void Moved(int /*aFrom*/, int /*aTo*/) {}

  std::vector<TCommonObj *> FItems;
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

// The pool that only lists: what it is given stays its owner's, and nothing
// it does frees an entry.
class TAbObjPool : public TAbObjectPool {
public:
  TAbObjPool() = default;

  TAbObjPool *AsListing() override { return this; }

  // Appends / inserts without regard to order.
  void Add(TCommonObj *aObj);
  void Insert(int aIndex, TCommonObj *aObj);
  // Takes aObj out; answers it (null when absent).
  TCommonObj *Extract(TCommonObj *aObj);
  // Takes aObj out; answers the index it had (-1 when absent).
  int Remove(TCommonObj *aObj);
  void Delete(int aIndex);
  // Forgets every entry.
  void Clear();
  // When an object of that id is listed, Value is first taken out (if it
  // is there); then Value is added with AddObj.
  void SetObjs(int64_t Id, TCommonObj *Value);
  // Puts Value in place of the entry at an index below the count; at or
  // beyond the count adds Value with AddObj.
  void SetParts(int Id, TCommonObj *Value);
  // Inserts in front of the objects of equal layer and priority; an object
  // already listed stays where it is. Answers aObj.
  TCommonObj *AddObj(TCommonObj *aObj);
  // Inserts behind the objects of equal layer and priority.
  TCommonObj *InsertObj(TCommonObj *aObj);
};

// The pool that owns its objects. The entries are held as std::unique_ptr
// in pool order; the list of the base mirrors them for reading.
class TOwnedObjPool : public TAbObjectPool {
public:
  TOwnedObjPool() = default;
  // Frees every object, in pool order.
  ~TOwnedObjPool() override;

  TOwnedObjPool *AsOwned() override { return this; }

  // Appends / inserts without regard to order; answers the object (null
  // for null).
  TCommonObj *Add(std::unique_ptr<TCommonObj> aObj);
  TCommonObj *Insert(int aIndex, std::unique_ptr<TCommonObj> aObj);
  // Takes aObj out and hands it over; null when absent.
  std::unique_ptr<TCommonObj> Extract(TCommonObj *aObj);
  // Takes out the entry at aIndex and hands it over.
  std::unique_ptr<TCommonObj> ExtractAt(int aIndex);
  // Takes aObj out and frees it; answers the index it had (-1 when absent).
  int Remove(TCommonObj *aObj);
  // Takes out the entry at aIndex and frees it.
  void Delete(int aIndex);
  // Empties the pool, freeing the objects in pool order (each taken out
  // first, so that none sees itself in the pool while it is freed).
  void Clear();
  // Value is added with AddObj (Id is not used: an object handed over
  // cannot be in the pool already).
  TCommonObj *SetObjs(int64_t Id, std::unique_ptr<TCommonObj> Value);
  // Puts Value in place of the entry at an index below the count and hands
  // back the object replaced (a null Value changes nothing); at or beyond
  // the count adds Value with AddObj and answers null.
  std::unique_ptr<TCommonObj> SetParts(int Id, std::unique_ptr<TCommonObj> Value);
  // Inserts in front of the objects of equal layer and priority; answers
  // the object (null for null).
  TCommonObj *AddObj(std::unique_ptr<TCommonObj> aObj);
  // Inserts behind the objects of equal layer and priority.
  TCommonObj *InsertObj(std::unique_ptr<TCommonObj> aObj);

protected:
  void Moved(int aFrom, int aTo) override;

private:
  TCommonObj *PutAt(int aIndex, std::unique_ptr<TCommonObj> aObj);

  // The objects themselves, index for index as FItems lists them.
  std::vector<std::unique_ptr<TCommonObj>> FOwned;
};

} // namespace lumora
