#pragma once
// The interfaces through which mouse handling and other subsystems reach
// drawable page objects. They are asked of an object with Supports<I>
// (a dynamic_cast) and never own it: owners free objects.
#include <QByteArray>
#include <span>

#include "core/geometry/Geometry.h"
#include "core/model/GrabInfo.h"
#include "core/support/InputTypes.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Types.h"

namespace lumora {

class TCanvas;
class TCommonObj;
class IRepresent;

class IRotate {
public:
  // Rotates the points about the rotation centre by aAngle radians; an
  // empty span rotates the object's own polygon.
  virtual void Rotate(double aAngle, std::span<TRealPoint> aPoints) = 0;
  virtual double RotateAngle(int aGrabNo, TRealPoint aOffSet, TGrabRect &aRect) = 0;
  virtual TRealPoint RotateCenter(int aGrabNo, TRealPoint aOffSet) = 0;

protected:
  ~IRotate() = default;
};

class IAdsorb : public IRotate {
public:
  // The snap radius.
  virtual double GetAdsorbRange() = 0;
  virtual void SetAdsorbRange(double aRange) = 0;
  // aObj has just been snapped onto this object at aPoint.
  virtual void AdsorbFrom(TRealPoint aPoint, IRepresent *aObj) = 0;
  // A snap with aObj is released (block programs pass 8, 9 or 10 as aKind).
  virtual void UnAdsorbFrom(int aKind, TRealPoint aPoint, IRepresent *aObj) = 0;
  // The snap point; (MaxInt, MaxInt) for none.
  virtual TRealPoint AdsorbPoint() = 0;
  // The snap point offered to a dragged point at aPos. The snapper asks it
  // on every search of objects with atAdsorbPos, whose point depends on
  // where the dragged point is (a guide line answers the nearest point of
  // its line); the others answer AdsorbPoint.
  virtual TRealPoint AdsorbPointAt(TRealPoint aPos) {
    (void)aPos;
    return AdsorbPoint();
  }
  // The object behind the interface.
  virtual TCommonObj *MySelf() = 0;

protected:
  ~IAdsorb() = default;
};

class IRepresent : public IAdsorb {
public:
  virtual TGrabInfo *GetGrabInfo() = 0;
  // The cursor over a point.
  virtual TCursor Cursor(int aX, int aY) = 0;
  virtual bool CheckForm(int pNo, std::span<const TRealPoint> pRect, TPoint &pOffset) = 0;
  virtual TGrabRect FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int pWidth) = 0;
  virtual void ClearDraw_(TCanvas *aCanvas, TPoint aOffset, double aZoom) = 0;
  virtual void GrabToPolygon(std::span<const TRealPoint> aGrab) = 0;
  virtual void PolygonToGrab(std::span<TRealPoint> aGrab) = 0;
  virtual double GetObjAngle() = 0;
  virtual void SetObjAngle(double aAngle) = 0;
  virtual void SetPolygon(std::span<const TRealPoint> aObjRect) = 0;
  virtual void InitGrabInfo() = 0;
  virtual bool TakeColor(TPoint pPoint, TColor pColor, bool &pMore) = 0;
  virtual bool DelPoint(int pNo) = 0;
  virtual bool SupPoint(TRealPoint pPoint) = 0;
  virtual bool IsCreateEnd(TMouseButton pButton, int pSequence, std::span<TRealPoint> pRect,
                           TPoint pNew) = 0;
  virtual int AnchorGrab(int pGrab) = 0;
  virtual int OppositeGrab(int pGrab) = 0;
  virtual int ActiveGrab(int pSequence) = 0;
  virtual int MinGrabs() = 0;
  // Fills the outline points; answers their number.
  virtual int OutlinePoints(std::span<TRealPoint> aPoints) = 0;
  virtual void ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aZoom) = 0;
  virtual void ZoomPolygon(long double aRate) = 0;

protected:
  ~IRepresent() = default;
};

// The key object of a key-frame animation: it cannot be the source of a
// link made by hand.
class IKeyFrame {
public:
  virtual ~IKeyFrame() = default;
};

// Objects that draw and hit-test some of their own grips (form gfOwn).
class IOwnGrab {
public:
  virtual bool PtInGrab(int aNo, int X, int Y) = 0;
  virtual void DrawGrab(TCanvas &aCanvas, int aNo) = 0;
  virtual TRect GetGrabRect(int aNo) = 0;

protected:
  ~IOwnGrab() = default;
};

// Measuring tools and papers drawn to scale.
class IQvScale {
public:
  virtual void PrintObj(TCanvas &aCanvas, double aZoom, int ax, int ay) = 0;
  virtual void ScaleDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon,
                            double aZoom) = 0;

protected:
  ~IQvScale() = default;
};

// Carried by text-bearing objects; no operations.
class IText {
protected:
  virtual ~IText() = default;
};

// Offered by the placeholder: it takes over the stored bytes of an entry
// that could not be read (its object record and, for a composite, the
// child records behind it) and writes them back unchanged, so that one
// damaged object costs neither the rest of its page nor its own bytes.
class IUnreadEntry {
public:
  // aEntry: the whole entry from its size field on; its first aRecordBytes
  // bytes are the object record.
  virtual void KeepUnreadEntry(const QByteArray &aEntry, qsizetype aRecordBytes) = 0;

protected:
  ~IUnreadEntry() = default;
};

// The interface I of an object, or null when it does not offer it.
template <class I, class T> I *Supports(T *aObj) {
  return dynamic_cast<I *>(aObj);
}

} // namespace lumora
