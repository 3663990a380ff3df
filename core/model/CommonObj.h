#pragma once
// The root classes of every page object, page and book, and the object
// record: the size-prefixed byte form in which every object writes and
// reads itself.
//
// Object record (little-endian):
//   Int32 size of the rest of the record
//   Single version (GetVersion; 3.2 in the base)
//   the TObjParam block
//   Int32 10 (no reader uses it)
//   Int64 id
//   text string Name
//   payload (WritePayload): the polygon as a point array, then, for objects
//     that implement IRepresent, the grab block
//   option block (SaveOption; empty in the base)
// A reader always moves the outer stream by 4 + size, however much the
// class reads.
//
// Operations the design leaves abstract in the base raise EAbstractError
// unless a descendant gives them.
#include <QString>
#include <QVariantList>
#include <memory>
#include <span>
#include <vector>

#include "core/geometry/Geometry.h"
#include "core/model/GrabInfo.h"
#include "core/model/ObjClass.h"
#include "core/params/ObjParam.h"
#include "core/params/ObjTypes.h"
#include "core/support/InputTypes.h"
#include "platform/graphics/Types.h"

namespace lumora {

// The largest page coordinate a stored polygon may hold (in pixels).
constexpr double kMaxCoordinate = 1e7;

class IRepresent;
class TAbObjPool;
class TAbObjectPool;
class TCanvas;
class TCustomMaker;
class TExe;
class TGraphic;
class TLink;
class TMakeInfo2;
class TMetaStream;
class TMouseEventHandler;
class TOwnedObjPool;
class TStream;
// A mouse-state class of the shell; page objects only pass it on.
class TObjEventClass;

// The root: class identity, two-phase construction, the operations every
// object has even without a polygon.
class TCommonObj_ {
public:
  using Inherited = void;
  static constexpr bool kConcreteObjClass = false;
  static constexpr const char *kObjClassName = "TCommonObj_";

  virtual ~TCommonObj_() = default;
  TCommonObj_(const TCommonObj_ &) = delete;
  TCommonObj_ &operator=(const TCommonObj_ &) = delete;

  // The descriptor of the object's class.
  virtual const TObjClass &ClassType() const;
  // The catalogue record of a class: empty for base classes; every
  // registered class gives its own. It must not call ObjClassOf.
  static TObjInfo GetObjInfo() { return {}; }
  // The catalogue record of the object's class (ObjClass set).
  const TObjInfo &ObjInfo() const { return ClassType().GetObjInfo(); }
  bool InheritsFrom(const TObjClass &aClass) const { return ClassType().InheritsFrom(aClass); }

  // Makes the companions for the mode; nothing in the base.
  virtual void CreateMode(TSysMode aMode);
  // Reads and writes the class's option block; nothing in the base.
  virtual void LoadOption(TMetaStream &aStream);
  virtual void SaveOption(TMetaStream &aStream);

protected:
  TCommonObj_() = default;
  // The second phase of construction, run by NewObject right after the
  // constructor, so that it reaches the most derived class. Overrides call
  // the inherited one first.
  virtual void AfterConstruction() {}

  friend class TObjectFactory;
};

class TCommonObj : public TCommonObj_ {
  LUMORA_ABSTRACT_OBJECT(TCommonObj, TCommonObj_)
public:
  // Frees the executor, the maker, then the grab record and the pool.
  ~TCommonObj() override;

  QString Name; // default: kind name + "[" + id text + "]"
  TObjParam Param;

  // ---- Properties ----
  bool Visible() const { return GetVisible(); }
  TLink *Link() { return GetLink(); }
  TCommonObj *LinkedObj() { return GetLinkedObj(); }
  TRect BoundsRect() const { return GetBoundsRect(); }
  TGraphic *Graphic() const { return GetGraphic(); }
  TRealPoint LinkPos() const { return GetLinkPos(); }
  TCustomMaker *Maker() const { return GetMaker(); }
  int64_t Id() const { return FId; }
  int Points() const { return GetPoints(); }
  TRealPoint RCenter() const { return GetRCenter(); }
  void SetRCenter(TRealPoint aCenter) { FRCenter = aCenter; }
  // The pool of the making context's root object; null without one.
  TAbObjectPool *Owner() const;
  TExe *Ex() const { return FEx.get(); }
  // The record version last read (0 for an object never read).
  float Version() const { return FVersion; }
  const std::vector<TRealPoint> &Polygon() const { return FPolygon; }
  TGrabInfo *GrabInfo() const { return FGrabInfo.get(); }

  // ---- Virtual operations ----
  virtual bool GetVisible() const;
  virtual void SetVisible(bool aVisible);
  virtual TLink *GetLink();
  virtual TCommonObj *GetLinkedObj();
  virtual void SetLinkedObj(TCommonObj *aObj);
  // The stored id of the linked object; -1 (none) in the base.
  virtual int64_t GetLinkedId() const;
  virtual void SetLinkedId(int64_t aId);
  // The rubber-band outline; nothing in the base.
  virtual void DrawDragImage(TCanvas &aCanvas, const TGrabRect &aRect);
  // Draws the saved outline again (the pen is not-XOR, so this erases it).
  virtual void HideDragImage(TCanvas &aCanvas, const TGrabRect &aSave);
  virtual void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon);
  // Whether aPos (rounded half away from zero) lies in BoundsRect, unless
  // the search kind passes the object by (SkipSearch).
  virtual bool PtinSelf(TRealPoint aPos, TSearch aKind);
  virtual void Open(int aPNo);
  virtual void Close();
  // Reads an object record from any stream: the outer stream always moves
  // by 4 + the stored size; a size of 0 reads nothing more, a size larger
  // than what remains (or negative) reads nothing and leaves the stream
  // behind the size field.
  virtual void LoadFromStream(TStream &aStream);
  virtual void SaveToStream(TStream &aStream);
  // The record's fields, from a stream holding the record at its position.
  virtual void LoadFromMStream(TMetaStream &aStream);
  virtual void SaveToMStream(TMetaStream &aStream);
  virtual int IndexOf(TCommonObj *aObj);
  virtual bool ICan(TActKind aTask);
  // The object a link drawn from aObj at (aX, aY) attaches to: itself.
  virtual TCommonObj *LinkObjFrom(TCommonObj *aObj, int aX, int aY);
  virtual void DrawObj(TCanvas &aCanvas);
  // String commands: Data sets, Value gets; False for a command the object
  // does not handle. LoadFromStream of the making context sends
  // Data("ファイル名", {Text}) before a record is read.
  virtual bool Data(const QString &aCommand, const QVariantList &aArg);
  virtual bool Value(const QString &aCommand, QVariantList &aArg);
  // Rubber band: solid not-XOR pen, width 2, $808080; erases the saved
  // outline when there is one, draws aRect and saves it.
  virtual void DragDraw(TCanvas &aCanvas, TGrabRect &aSave, const TGrabRect &aRect);
  virtual void Move(TRealPoint aOffset);
  virtual void Move(TRealPoint aOffset, TShiftState aShift);
  virtual void Move(TRealPoint aOffset, TObjList *aVList, bool aRelative);
  virtual void ReMake();
  virtual void Paint(TCanvas &aCanvas);
  virtual void Paint(TCanvas &aCanvas, TCommonObj *aObj);
  virtual void Scaling(double aRate, TRealPoint aOrg);
  virtual TCommonObj *Search(TRealPoint aPos, TSearch aKind);
  // Draws the object into a background capture when it lies under aObj.
  virtual bool TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom);
  virtual void UpdateLink(TCommonObj *aCompo);
  virtual void UpdateLinkId();
  virtual void PrintObj(TCanvas &aCanvas, double aZoom, int ax, int ay);
  virtual void ZoomDraw(TCanvas &pCanvas, double pZoom, int px, int py);
  // The mouse-state class the object wants instead of aEvent; none.
  virtual const TObjEventClass *OwnEvent(TMouseEventHandler *aHandle, const TObjEventClass *aEvent);
  // The link and snap centre; (0, 0) in the base.
  virtual TRealPoint BCenter() const;
  virtual void AdsorbFrom(TRealPoint aPoint, IRepresent *aObj);
  virtual void UnAdsorbFrom(int aKind, TRealPoint aPoint, IRepresent *aObj);
  // Redraws the maker's picture blended over the background at zoom 1.
  virtual void ClearDraw_();
  // The same at aZoom onto aCanvas at aOffset, or, without a canvas, into
  // the maker's picture.
  virtual void ClearDraw_(TCanvas *aCanvas, TPoint aOffset, double aZoom);
  virtual TRect GetBoundsRect() const;
  // For the root object: the part of the page that can be shown at the
  // current zoom, which bounds the images made for it. Empty: no bound.
  virtual TRect ShownArea() const { return {}; }
  virtual void SetBoundsRect(const TRect &aRect);
  virtual TGrabType GetGrabForm(int Id) const;
  virtual void SetGrabForm(int Id, TGrabType Value);
  virtual TGraphic *GetGraphic() const;
  virtual int GetPoints() const;
  virtual TCustomMaker *GetMaker() const;
  virtual TRealPoint GetLinkPos() const;
  virtual TRealPoint GetRCenter() const;
  // The class part of the record.
  virtual void ReadPayload(TMetaStream &aStream);
  virtual void WritePayload(TMetaStream &aStream);
  // Lists aObj (a link partner, a target) in the object's pool in layer
  // and priority order, never taking it over; answers aObj. A leaf's pool
  // is made on first use and only lists. A composite whose pool owns its
  // children lists nothing and answers null: children are handed to a
  // composite with TCustomCompo::AddObj(std::unique_ptr).
  virtual TCommonObj *AddObj(TCommonObj *aObj);
  // A copy through the record, of the record's kind for the current mode,
  // with the same id and name. aId is not used.
  virtual std::unique_ptr<TCommonObj> CopySelf(int64_t aId);
  virtual void ReMakeFrontObj(TCommonObj *aObjList, TObjList *aOverTopList);
  virtual void LoadOption_Old(TMetaStream &aStream);
  virtual bool CanDrag(TCommonObj *aObj);
  // The version written into the record.
  virtual float GetVersion() const;
  // The position of aObj in the flattened paint order; -1 in the base.
  virtual int PriorityOf(TCommonObj *aObj);
  // A new id and the default name; then FId := aId when aId > 0.
  virtual void ReName(int64_t aId);
  virtual void UnZoom(long double aZoom);

  // ---- Non-virtual operations ----
  // Sets the rubber-band pen and erases aRect.
  void EraseDraw(TCanvas &aCanvas, const TGrabRect &aRect);
  TCommonObj *MySelf() { return this; }
  // The pool, for reading and moving its entries; null without one.
  TAbObjectPool *Pool() const { return FPool.get(); }
  // The pool when it only lists (a leaf's partners, a container that
  // refers to objects of its page); else null.
  TAbObjPool *ListPool() const;
  // The pool when it owns its objects (a page's, a book's); else null.
  TOwnedObjPool *OwnedPool() const;
  // Mutual link: with aObj, aObj when it is in the pool; with null, the
  // first pool member that has this object in its own pool; else null.
  TCommonObj *相互Link(TCommonObj *aObj);
  // The program-wide making context.
  static TMakeInfo2 &GetMakeInfo();
  // Makes the grab record when there is none, then InitGrabs(Param.Grabs).
  void InitGrabInfo();
  // Whether the object lies at or under aObj (not above it by layer and
  // priority), is visible, and overlaps it.
  bool IsUnder(TCommonObj *aObj);
  // Whether a search of kind aKind passes the object by.
  bool SkipSearch(TSearch aKind);
  // The name through the maker (Maker.CreateName): the current name unless
  // aForce or the object has no id, else a new id and the default name.
  // Objects without a maker get the same answer directly.
  QString CreateName(bool aForce);

protected:
  TCommonObj();

  std::unique_ptr<TGrabInfo> FGrabInfo;
  std::unique_ptr<TAbObjectPool> FPool;
  bool FVisible = false;
  std::unique_ptr<TCustomMaker> FMaker;
  int64_t FId = 0;
  TRect FBoundsRect;
  TRealPoint FRCenter;
  float FVersion = 0;
  std::unique_ptr<TExe> FEx;
  std::vector<TRealPoint> FPolygon;

  friend class TMakeInfo2;
};

} // namespace lumora
