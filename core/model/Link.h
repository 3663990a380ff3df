#pragma once
// Links: a page object (the owner) tied to one or more partner objects, a
// drawable object to the object its click acts on, an action object to its
// targets, a container to the object it carries.
//
// The partners are held in the owner's own pool (TCommonObj::Pool; for a
// composite owner that is its child list), never owned: the partner list is
// a pool that only lists (TAbObjPool), so taking a partner out of a link
// never frees it. An owner whose pool owns its objects has no partner list.
// In the file the partners are stored as object ids (UpdateLinkId before
// saving, UpdateLink after the page is loaded).
//
// TLink is the abstract link, TConcretaLink the common implementation with
// its two styles TSingleLink (one partner, entry 0 of the pool) and
// TMultiLink (every pool entry, in pool order), TNullLink the link that does
// nothing. TLinkedObjIterator walks an owner's partners while its link lines
// are drawn; TDrawLinkIt is the default walker, drawing arrows coloured by the
// owner's kind and numbered for link objects.
#include <memory>

#include "core/geometry/Geometry.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Types.h"

namespace lumora {

class TAbObjPool;
class TCanvas;
class TCommonObj;
class TLinkedObjIterator;

// Makes the walker that draws an owner's link lines: the walker class of a
// link. The walker marks the owner's link as drawing for as long as it lives.
using TLinkDrawClass = std::unique_ptr<TLinkedObjIterator> (*)(TCommonObj *aObj, TCanvas &aCanvas,
                                                               const TRect &aClipRect);

// The walker class T as a TLinkDrawClass.
template <class T>
std::unique_ptr<TLinkedObjIterator> MakeLinkDrawer(TCommonObj *aObj, TCanvas &aCanvas,
                                                   const TRect &aClipRect) {
  return std::make_unique<T>(aObj, aCanvas, aClipRect);
}

class TLink {
public:
  virtual ~TLink() = default;
  TLink(const TLink &) = delete;
  TLink &operator=(const TLink &) = delete;

  // True while this link's lines are being drawn; it breaks cycles when
  // links are drawn along chains.
  bool LinkDrawing = false;

  // Draws the rubber segment from aFrom to the loose end of the rubber line.
  virtual void DrawDragLine(TCanvas &aCanvas, const TRealPoint &aFrom) = 0;
  // Partner number id (null outside the range) and its setter.
  virtual TCommonObj *GetLink(int id) = 0;
  virtual void SetLink(int id, TCommonObj *Value) = 0;
  // The partner (single) or the last partner (multiple).
  virtual TCommonObj *GetLinkedObj() = 0;
  // Sets or adds the partner.
  virtual void SetLinkedObj(TCommonObj *Value) = 0;
  // The partner list: the owner's pool when it only lists (null until the
  // owner has one, and for an owner whose pool owns its objects).
  virtual TAbObjPool *GetPartners() = 0;
  // Whether aObj, or a composite holding a partner, is linked.
  virtual bool IsLinked(TCommonObj *aObj) = 0;
  // Whether aObj may be linked now.
  virtual bool CanLink(TCommonObj *aObj) = 0;
  // The user's link gesture: links or unlinks aObj.
  virtual bool DoLink(TCommonObj *aObj) = 0;
  // Moves the rubber line's loose end to (aX, aY) on the system canvas; a
  // negative coordinate only erases the line drawn last.
  virtual void DragLinkLine(int aX, int aY) = 0;
  virtual void AddLink(TCommonObj *aObj) = 0;
  virtual void RemoveLink(TCommonObj *aObj) = 0;
  // Draws the link arrows, and those of the partners down the chain; answers
  // the area touched ((0, 0, 0, 0) for none).
  virtual TRect DrawLinkLine(TCanvas &aCanvas, const TRect &aClipRect) = 0;
  virtual int LinkCount() = 0;

protected:
  TLink() = default;
};

class TConcretaLink : public TLink {
public:
  // aSelf is the owner (not owned); a null aLinkDrawClass selects
  // TDrawLinkIt.
  TConcretaLink(TCommonObj *aSelf, TLinkDrawClass aLinkDrawClass);

  // Only while the loose end is set (both coordinates 0 or more): a line
  // from aFrom (rounded half to even) to the loose end.
  void DrawDragLine(TCanvas &aCanvas, const TRealPoint &aFrom) override;
  TAbObjPool *GetPartners() override;
  // Not-XOR, width 1, in the rubber colour, from the owner's BCenter: erases
  // the segment drawn last, moves the loose end, draws the new segment.
  void DragLinkLine(int aX, int aY) override;
  TRect DrawLinkLine(TCanvas &aCanvas, const TRect &aClipRect) override;

  TCommonObj *Self() const { return FSelf; }
  // The loose end of the rubber line; (-1, -1) until the first
  // DragLinkLine.
  TPoint LinkPos() const { return FLinkPos; }

protected:
  TColor FColor = 0; // the rubber line: black
  TLinkDrawClass FLinkDrawClass;
  TCommonObj *FSelf;
  TPoint FLinkPos{-1, -1};

  // Takes every partner out of the partner list (which frees nothing).
  void ClearPartners();
};

// One partner: entry 0 of the owner's pool. Each descendant gives DoLink.
class TSingleLink : public TConcretaLink {
public:
  using TConcretaLink::TConcretaLink;

  // Entry 0 for id 0; null for any other id.
  TCommonObj *GetLink(int id) override;
  // SetLinkedObj(Value), whatever the id.
  void SetLink(int id, TCommonObj *Value) override;
  TCommonObj *GetLinkedObj() override;
  // Without a partner adds Value to the owner (AddObj); with one, Value
  // takes entry 0 in its place (other entries stay). Null unlinks.
  void SetLinkedObj(TCommonObj *Value) override;
  bool IsLinked(TCommonObj *aObj) override;
  // aObj is not null, and there is no partner yet or aObj is the partner.
  bool CanLink(TCommonObj *aObj) override;
  void AddLink(TCommonObj *aObj) override;
  // Unlinks when aObj is the partner or a composite holding it.
  void RemoveLink(TCommonObj *aObj) override;
  int LinkCount() override;
};

// Any number of partners: the owner's pool in pool order. Each descendant
// gives CanLink.
class TMultiLink : public TConcretaLink {
public:
  using TConcretaLink::TConcretaLink;

  TCommonObj *GetLink(int i) override;
  // i < 0: nothing; i < LinkCount: Value is inserted before partner i,
  // outside the layer order; otherwise AddLink(Value).
  void SetLink(int i, TCommonObj *Value) override;
  TCommonObj *GetLinkedObj() override;
  void SetLinkedObj(TCommonObj *Value) override;
  bool IsLinked(TCommonObj *aObj) override;
  // Unlinks aObj when it is linked, links it otherwise; only when CanLink.
  bool DoLink(TCommonObj *aObj) override;
  // The owner's AddObj, unless aObj is already a partner.
  void AddLink(TCommonObj *aObj) override;
  // Takes out aObj when it is a partner, else the first partner that the
  // composite aObj holds.
  void RemoveLink(TCommonObj *pObj) override;
  int LinkCount() override;
};

// The link of an object that links nothing.
class TNullLink : public TLink {
public:
  TNullLink() = default;
  // Keeps no owner.
  TNullLink(TCommonObj *, TLinkDrawClass) {}

  void DrawDragLine(TCanvas &, const TRealPoint &) override {}
  TCommonObj *GetLink(int) override { return nullptr; }
  void SetLink(int, TCommonObj *) override {}
  TCommonObj *GetLinkedObj() override { return nullptr; }
  void SetLinkedObj(TCommonObj *) override {}
  TAbObjPool *GetPartners() override { return nullptr; }
  bool IsLinked(TCommonObj *) override { return false; }
  bool CanLink(TCommonObj *) override { return false; }
  bool DoLink(TCommonObj *) override { return false; }
  void DragLinkLine(int, int) override {}
  void AddLink(TCommonObj *) override {}
  void RemoveLink(TCommonObj *) override {}
  TRect DrawLinkLine(TCanvas &, const TRect &) override { return {}; }
  int LinkCount() override { return 0; }
};

// Walks the partners of an object while its link lines are drawn.
class TLinkedObjIterator {
public:
  virtual ~TLinkedObjIterator() = default;
  TLinkedObjIterator(const TLinkedObjIterator &) = delete;
  TLinkedObjIterator &operator=(const TLinkedObjIterator &) = delete;

  // Moves to the next partner to draw; false when the walk ends.
  virtual bool HasNext() = 0;
  // The partner found last.
  virtual TCommonObj *GetLink() = 0;
  // Draws the arrow to the partner found last; answers whether that
  // partner's own lines are being drawn further up the chain.
  virtual bool DrawLink() = 0;

  TCommonObj *Link() { return GetLink(); }
  int LinkNo() const { return FId; }
  // The caller's clip rectangle grown by every area drawn.
  const TRect &ClipRect() const { return FClipRect; }

protected:
  TLinkedObjIterator(TCommonObj *aObj, const TRect &aClipRect) : FObj(aObj), FClipRect(aClipRect) {}

  TCommonObj *FObj;
  TCommonObj *FinedObj = nullptr;
  int FId = 0;
  TRect FClipRect;
};

// The default walker: an arrow from the owner's LinkPos to each partner's,
// blue for action and link objects, black for event objects, red for the
// others; a link object's arrows are numbered from "1".
//
// The walk over an object tray ("OBJ台") goes on, once its link answers no
// further partner, over the tray's remaining members, passing conductors
// ("伝送路") by. A partner with awTrace (or of a tray class) that links back
// to the owner ends the walk.
class TDrawLinkIt : public TLinkedObjIterator {
public:
  // Sets the owner's LinkDrawing; the destructor clears it.
  TDrawLinkIt(TCommonObj *aObj, TCanvas &aCanvas, const TRect &aClipRect);
  ~TDrawLinkIt() override;

  bool HasNext() override;
  TCommonObj *GetLink() override { return FinedObj; }
  bool DrawLink() override;
  // The arrow to the partner found last (nothing when it is the owner),
  // with its number for a link object; grows ClipRect by the line's and
  // the number's areas.
  void DrawLinkArrow();

protected:
  TCanvas &FCanvas;
};

// Takes aObj out of every link in the tree of aRoot that holds it (or, for
// a composite aObj, any object it holds), before aObj leaves the page. The
// links of aObj and of the objects inside it are left alone: they go with
// it. Composites are walked through their children; a composite that holds
// itself is visited once.
void RemoveLinksTo(TCommonObj *aRoot, TCommonObj *aObj);

} // namespace lumora
