#pragma once
// Leaf page objects: the leaf base, the action-object base and the drawable
// leaf TRepreLeaf, which represents itself through its polygon and grab
// record (IRepresent).
#include "core/params/ActParam.h"
#include "core/model/CommonObj.h"
#include "core/model/Interfaces.h"
#include "core/model/Link.h"

namespace lumora {

class TLeafObj : public TCommonObj {
  LUMORA_ABSTRACT_OBJECT(TLeafObj, TCommonObj)
public:
  // A leaf refers to its link partners through its link, which the classes
  // that link make in their constructor; a leaf without one answers no link
  // and no partner, and ignores a partner given.
  TLink *GetLink() override { return FLink.get(); }
  TCommonObj *GetLinkedObj() override { return FLink ? FLink->GetLinkedObj() : nullptr; }
  void SetLinkedObj(TCommonObj *aObj) override {
    if (FLink) FLink->SetLinkedObj(aObj);
  }
  // The first two move relatively (Move(aOffset, null, true)). The third
  // moves every polygon point by aOffset, or, not relative, so that the
  // first point lands on aOffset. aVList is not used here.
  void Move(TRealPoint aOffset) override;
  void Move(TRealPoint aOffset, TShiftState aShift) override;
  void Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) override;
  void Paint(TCanvas &) override {}
  using TCommonObj::Paint;
  // Every point p becomes aOrg + aRate (p - aOrg); a rate below -100 (or
  // not a number) counts as -100.
  void Scaling(double aRate, TRealPoint aOrg) override;
  // Itself when PtinSelf, else null.
  TCommonObj *Search(TRealPoint aPos, TSearch aKind) override;
  // When the object lies under aObj: draws itself into the capture (the
  // maker's picture at -aPoint at zoom 1, ZoomDraw otherwise).
  bool TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) override;
  // After loading: finds the object of the stored linked id in aCompo (its
  // whole tree for a composite, its pool otherwise; null: this object) and
  // links it.
  void UpdateLink(TCommonObj *aCompo) override;
  // Before saving: the linked object's id, or 0.
  void UpdateLinkId() override;
  void ZoomDraw(TCanvas &, double, int, int) override {}
  TRealPoint BCenter() const override { return FBCenter; }
  // Rebuilds the object after a change.
  virtual void Update();

protected:
  TLeafObj() = default;

  TRealPoint FBCenter;          // the link and snap centre
  std::unique_ptr<TLink> FLink; // the partners' keeper; null for a leaf that links nothing
};

// Base of action objects: drawn from their polygon, never hit in
// presentation mode.
class TActionObj : public TLeafObj {
  LUMORA_ABSTRACT_OBJECT(TActionObj, TLeafObj)
public:
  // What the object does to its targets; the drawable executor carries it
  // out on each of them.
  TActParam ActParam;

  using TCommonObj::DrawObj;
  void DrawObj(TCanvas &aCanvas) override;
  TCommonObj *Search(TRealPoint aPos, TSearch aKind) override;

protected:
  TActionObj() = default;
};

// The drawable leaf.
class TRepreLeaf : public TLeafObj, public IRepresent {
  LUMORA_ABSTRACT_OBJECT(TRepreLeaf, TLeafObj)
public:
  bool RedrawRequest = false;

  // ---- TCommonObj ----
  void LoadOption(TMetaStream &aStream) override;
  void LoadOption_Old(TMetaStream &aStream) override;
  using TCommonObj::DrawObj;
  // DrawObj(aCanvas, polygon), then the centre cross.
  void DrawObj(TCanvas &aCanvas) override;
  using TLeafObj::Paint;
  // The maker's Paint when there is a maker.
  void Paint(TCanvas &aCanvas) override;

  // ---- IRepresent and the drawable leaf's own operations ----
  virtual void DrawCenterCross(TCanvas &aCanvas);
  double GetAdsorbRange() override { return 23.0; }
  void SetAdsorbRange(double) override {}
  TRealPoint AdsorbPoint() override;
  void AdsorbFrom(TRealPoint aPoint, IRepresent *aObj) override;
  void UnAdsorbFrom(int aKind, TRealPoint aPoint, IRepresent *aObj) override;
  TCommonObj *MySelf() override { return this; }
  TGrabInfo *GetGrabInfo() override { return FGrabInfo.get(); }
  int OppositeGrab(int pGrab) override;
  int OutlinePoints(std::span<TRealPoint> aPoints) override;
  TCursor Cursor(int aX, int aY) override;
  // The grab that a new object's creation drag ends on; -1 for none.
  virtual int CreateAnchorGrab();
  double GetObjAngle() override;
  void SetObjAngle(double aAngle) override;
  // The polygon becomes a copy of the points.
  void SetPolygon(std::span<const TRealPoint> aObjRect) override;
  void ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aZoom) override;
  void ZoomPolygon(long double aRate) override;
  // Whether the point lies in the polygon's bounds grown by 5 pixels.
  virtual bool PtInObj(TPoint pPoint);
  bool CheckForm(int pNo, std::span<const TRealPoint> pRect, TPoint &pOffset) override;
  TGrabRect FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int pWidth) override;
  void GrabToPolygon(std::span<const TRealPoint> aGrab) override;
  void PolygonToGrab(std::span<TRealPoint> aGrab) override;
  // Copies the polygon when pObjRect has room for all of it and answers
  // its length; answers 0 otherwise.
  virtual int GetPolygon(std::span<TRealPoint> pObjRect);
  int AnchorGrab(int pGrab) override;
  int ActiveGrab(int pSequence) override;
  bool TakeColor(TPoint pPoint, TColor pColor, bool &pMore) override;
  bool DelPoint(int) override { return false; }
  bool SupPoint(TRealPoint) override { return false; }
  bool IsCreateEnd(TMouseButton pButton, int pSequence, std::span<TRealPoint> pRect,
                   TPoint pNew) override;
  int MinGrabs() override;
  void Rotate(double aAngle, std::span<TRealPoint> aPoints) override;
  double RotateAngle(int aGrabNo, TRealPoint aOffSet, TGrabRect &aRect) override;
  TRealPoint RotateCenter(int aGrabNo, TRealPoint aOffSet) override;
  using TCommonObj::ClearDraw_;
  void ClearDraw_(TCanvas *aCanvas, TPoint aOffset, double aZoom) override;
  void InitGrabInfo() override { TCommonObj::InitGrabInfo(); }
  // Mirror and upside-down turn.
  virtual void ReverseObj();
  virtual void TurnUpside();

protected:
  TRepreLeaf() = default;
  // Sets the parameters; the grab record and the companions follow in
  // AfterConstruction.
  explicit TRepreLeaf(const TObjParam &aParam);
  // InitGrabInfo, then CreateMode with the making context's mode.
  void AfterConstruction() override;
};

// The object a stored link id names: searched through a composite's whole
// tree, or in another object's pool; nullptr when none.
TCommonObj *FindLinkTarget(TCommonObj *aCompo, int64_t aId);

} // namespace lumora
