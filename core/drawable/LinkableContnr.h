#pragma once
// Linkable containers: composites that accept a link. The partner becomes
// one of the container's children (the first in pool order); the container
// stands on the page as a small frame around its one polygon point, the
// anchor, which is also its BCenter and link position.
//
// TLinkableContnr is the linkable composite, TActContnr the action container
// built on it (an action record, a stored target id, a 37 x 23 frame),
// TActContnrMake its maker and TContnrLink its link. The object trays and
// the animation containers derive from TActContnr and TContnrLink.
//
// Ownership: the pool only lists its entries (the partner is an object of
// the page); the children read from the container's own record are kept by
// the container (TCustomCompo::AddObj) and freed with it.
//
// Option block of TActContnr: the action record (Int32 56, the 56-byte
// block with the text reference 0, the text string); then, only for a
// container with a link object, the Int64 id of the linked object (0 when
// none).
#include <cstdint>
#include <memory>

#include "core/drawable/MakeObj.h"
#include "core/params/ActParam.h"
#include "core/model/CustomCompo.h"
#include "core/model/Link.h"

namespace lumora {

class TLinkableContnr : public TCustomCompo {
  LUMORA_ABSTRACT_OBJECT(TLinkableContnr, TCustomCompo)
public:
  // ---- TCommonObj ----
  TLink *GetLink() override { return FLink.get(); }
  // The link's partner; null without a link.
  TCommonObj *GetLinkedObj() override;
  // Passed to the link; nothing without one.
  void SetLinkedObj(TCommonObj *aObj) override;
  // The frame around the first point.
  void DrawDragImage(TCanvas &aCanvas, const TGrabRect &aRect) override;
  // The container itself: unlike a plain composite it accepts links.
  TCommonObj *LinkObjFrom(TCommonObj *, int, int) override { return this; }
  using TCustomCompo::DrawObj;
  // DrawObj(aCanvas, polygon), then every child.
  void DrawObj(TCanvas &aCanvas) override;
  using TCustomCompo::Move;
  // The anchor moves by aOffset (relative) or to it; the maker's
  // SetCenter, Update and Invalidate(False); then every child moves with
  // the same arguments.
  void Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) override;
  // The maker's Update, then the children's re-make.
  void ReMake() override;
  using TCustomCompo::Paint;
  // The maker's picture, then the children in pool order.
  void Paint(TCanvas &aCanvas) override;
  TRealPoint BCenter() const override { return Anchor(); }

  // ---- Added here ----
  // The frame rectangle drawn around an anchor point.
  virtual TRect GetFrameRect(const TRealPoint &aCenter) = 0;

  TRealPoint Anchor() const { return FPolygon.empty() ? TRealPoint{0, 0} : FPolygon[0]; }
  void SetAnchor(TRealPoint aPoint);

protected:
  // The composite's construction with a copy of aParam; polygon := the
  // anchor (0, 0); empty bounds; visible. No link is made here.
  explicit TLinkableContnr(const TObjParam &aParam);
  // The composite's set-up, then the grab record.
  void AfterConstruction() override;

  std::unique_ptr<TLink> FLink; // null unless a descendant makes one
};

class TActContnr : public TLinkableContnr {
  LUMORA_OBJECT(TActContnr, TLinkableContnr)
public:
  static constexpr int kFrameWidth = 37;
  static constexpr int kFrameHeight = 23;

  // Section "アクション", kind "Nullアクション", palette 5400, FormType
  // [otAction], ActType [awAction]. The class itself is not registered; its
  // descendants are.
  static TObjInfo GetObjInfo();
  // Layer 10, priority 30, ActType [awAction], width 1, black line, no
  // face colour; the rest empty or 0.
  static TObjParam DefaultParam();

  // Frees the link and the maker, then the composite.
  ~TActContnr() override;

  TActParam ActParam;
  int64_t TargetId() const { return FTargetId; }

  // ---- TCommonObj ----
  int64_t GetLinkedId() const override { return FTargetId; }
  // A positive aId is kept; otherwise the partner's id, or 0.
  void SetLinkedId(int64_t aId) override;
  // The maker TActContnrMake in every mode; no executor here.
  void CreateMode(TSysMode aMode) override;
  // The frame only, in Param.LineColor with width 1 (the points given are
  // not used); the brush as the canvas has it.
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;
  // DrawObj(aCanvas, polygon) only: the children are not drawn.
  void DrawObj(TCanvas &aCanvas) override;
  void LoadOption(TMetaStream &aStream) override;
  void SaveOption(TMetaStream &aStream) override;
  // Itself when PtinSelf; the children are not searched.
  TCommonObj *Search(TRealPoint aPos, TSearch aKind) override;
  // False in presentation. Otherwise whether the container lies under aObj;
  // at zoom 1 its picture is drawn at -aPoint then.
  bool TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) override;
  // Links the object of the stored id found in aCompo (its tree for a
  // composite, its pool otherwise; null: this container). Nothing for an id
  // of 0 or less or one that names nothing.
  void UpdateLink(TCommonObj *aCompo) override;
  // Passed to the making context with this container.
  void ReMakeFrontObj(TCommonObj *aObjList, TObjList *aOverTopList) override;

  // ---- TCustomCompo ----
  // True; nothing is removed.
  bool RemoveObj(TCommonObj *&aObj) override;

  // ---- TLinkableContnr ----
  // 37 x 23 with Left = RoundReal(x - 18.5) and Top = RoundReal(y - 11.5).
  TRect GetFrameRect(const TRealPoint &aCenter) override;

  // The frame with its connector circles, for descendants: the ellipse
  // (0, -4, 9, 5) at (Left + 13, Top) when aTop and at (Left + 13,
  // Bottom - 1) when aBottom, then the frame over them. Pen and brush as
  // the canvas has them.
  void DrawFrame(TCanvas &aCanvas, bool aTop, bool aBottom);

protected:
  TActContnr();
  explicit TActContnr(const TObjParam &aParam);

  int64_t FTargetId = 0;
};

class TActContnrMake : public TMakeObj {
public:
  using TMakeObj::TMakeObj;

  // Nothing in presentation; otherwise the metafile maker's.
  void Paint(TCanvas &aCanvas) override;
  // The owner's anchor := aGrab[0]; SetCenter, Update, Invalidate(False).
  void ReMake(const TGrabRect &aGrab) override;
  // The owner's bounds := its frame rectangle.
  void SetCenter() override;
  // Records the owner's frame (no blending, whatever the transparency).
  void Update() override;
};

// The link of linkable containers: its partner joins the container.
class TContnrLink : public TSingleLink {
public:
  using TSingleLink::TSingleLink;

  // The single-link rule; aObj's class is no composite (otComplex) and
  // aObj can show itself.
  bool CanLink(TCommonObj *aObj) override;
  // Null: False. The partner again: unlinked, answer CanLink. No partner:
  // the owner's SetLinkedObj(aObj), True (callers ask CanLink first).
  // Another partner: nothing changes, answer CanLink (False).
  bool DoLink(TCommonObj *aObj) override;
};

} // namespace lumora
