#pragma once
// Drawable containers: page objects drawn as a shape of their own that also
// hold other objects (tables, pins, the object cutter, stamp-faced buttons,
// block-program containers). TRepreContnr is their base: a drawable
// composite with a polygon, grabs on its frame, pen and brush from its
// parameter record and children that move with it. TExContnr is a generic
// container whose bounds are those of its children and whose children
// cannot be removed one by one.
//
// Ownership: a TRepreContnr's pool only lists its entries (a pin lists the
// objects of the page it holds); the children read from its own record are
// kept by it (TCustomCompo::AddObj) and freed with it. TExContnr's pool owns
// all its children (TOwnedObjPool).
#include <memory>

#include "core/drawable/MakeObj.h"
#include "core/model/CustomCompo.h"

namespace lumora {

class TRepreContnr : public TRepreCompo {
  LUMORA_ABSTRACT_OBJECT(TRepreContnr, TRepreCompo)
public:
  // ---- TCommonObj ----
  bool ICan(TActKind aTask) override { return aTask == atShow; }
  using TRepreCompo::DrawObj;
  // DrawObj(aCanvas, polygon): the concrete class draws.
  void DrawObj(TCanvas &aCanvas) override;
  // The first four grab points, rounded half away from zero, as a closed
  // polyline.
  void DrawDragImage(TCanvas &aCanvas, const TGrabRect &aRect) override;
  using TRepreCompo::Move;
  // The polygon moves by aOffset (relative) or by aOffset minus its first
  // point; then every child moves with the same arguments.
  void Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) override;
  // The children's re-make, then the maker's Update.
  void ReMake() override;

  // ---- TCustomCompo ----
  // Answers True and removes nothing.
  bool RemoveObj(TCommonObj *&aObj) override;

  // ---- IRepresent: the grab model ----
  // DrawObj with the points given: the zoom is already in them.
  void ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aZoom) override;
  int OppositeGrab(int) override { return -1; }
  // 0<->2, 1<->3, 4<->5, 6<->7; -1 for any other grab.
  int AnchorGrab(int pGrab) override;
  int ActiveGrab(int) override { return 2; }
  bool CheckForm(int, std::span<const TRealPoint>, TPoint &) override { return true; }
  // pDragRect with grab pNo moved by pOffset.
  TGrabRect FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int pWidth) override;
  // The polygon becomes the grab points.
  void GrabToPolygon(std::span<const TRealPoint> aGrab) override;
  // The polygon points into the grab array, as far as it holds.
  void PolygonToGrab(std::span<TRealPoint> aGrab) override;
  // Face colour := pColor (the coating flag stays); pMore := True; True.
  bool TakeColor(TPoint pPoint, TColor pColor, bool &pMore) override;
  // pSequence >= 1: CheckForm of grab ActiveGrab(pSequence) with the
  // offset from pNew to that grab. Otherwise True for the right button,
  // else False.
  bool IsCreateEnd(TMouseButton pButton, int pSequence, std::span<TRealPoint> pRect,
                   TPoint pNew) override;

protected:
  explicit TRepreContnr(const TObjParam &aParam) : TRepreCompo(aParam) {}
};

// The generic container: its bounds are the union of its children's, and
// its children go with it (they cannot be removed one by one).
class TExContnr : public TRepreContnr {
  LUMORA_ABSTRACT_OBJECT(TExContnr, TRepreContnr)
public:
  // Frees the maker, then the container and its children.
  ~TExContnr() override;

  // The maker TExContnrMake in every mode.
  void CreateMode(TSysMode aMode) override;
  // The union of the children's bounds; empty without children.
  TRect GetBoundsRect() const override;
  // Raises lumora::Exception("不正削除").
  bool RemoveObj(TCommonObj *&aObj) override;

protected:
  explicit TExContnr(const TObjParam &aParam);
  // A pool that owns the children.
  std::unique_ptr<TAbObjectPool> NewPool() const override;
};

// The maker that records its owner into its metafile.
class TRepreMake : public TMakeObj {
public:
  using TMakeObj::TMakeObj;

  // BeginCanvas, the owner drawn, EndCanvas.
  void Update() override;
};

// The maker of generic containers: no picture of its own.
class TExContnrMake : public TMakeObj {
public:
  using TMakeObj::TMakeObj;

  // The owner paints itself (its children).
  void Paint(TCanvas &aCanvas) override;
  // The owner's bounds := the union of its children's (empty without).
  void SetCenter() override;
  // Only ends a recording.
  void Update() override;
};

// Pen and brush of a container from its parameters: pen clear for a line
// colour of clNone, else solid in LineColor with the width Width; brush
// solid in FaceColor when Coating, else clear.
void SetPenBrush(TCanvas &aCanvas, const TObjParam &aParam);

// Whether aObj is held by aAnimator (IndexOf >= 0); without an animator,
// whether any object of the making context's root page whose class has
// awAnimate in its catalogue ActType holds it.
bool IsInAnimator(TCommonObj *aObj, TCommonObj *aAnimator);

} // namespace lumora
