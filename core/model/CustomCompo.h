#pragma once
// Composite page objects: a composite holds its children in its pool,
// passes operations on to them, searches them front to back, numbers them
// in paint order, finds any object of its tree by id, and stores its
// children after its own record:
//
//   the composite's own object record
//   Int32 n: the number of child entries that follow
//   n child entries, each the child's own SaveToStream output (an object
//   record, and for a composite child its count and children in turn)
//
// Children flagged awNoSave are not written; the count is then patched.
//
// Ownership: a composite chooses its pool when it is made (NewPool). A
// pool that owns its children (TOwnedObjPool: pages, books, tables) frees
// them; a pool that only lists (TAbObjPool, the default) refers to objects
// owned elsewhere, and the children the composite is handed itself (read
// from its record, or given with AddObj(std::unique_ptr)) are kept by the
// composite (TOwnedChildren) and freed with it.
// Every walk over the children passes over an entry that is the composite
// itself (only the search by id descends into it, and stops after 50
// levels).
#include <QString>

#include "core/model/CommonObj.h"
#include "core/model/Interfaces.h"
#include "core/model/OwnedChildren.h"
#include "platform/system/Exception.h"

namespace lumora {

class TMetaStream;

// A composite's own record could not be read, but its children were read
// past: the stream stands at the end of its entry.
class EUnreadRecord : public EReadError {
  using EReadError::EReadError;
};

class TCustomCompo : public TCommonObj {
  LUMORA_ABSTRACT_OBJECT(TCustomCompo, TCommonObj)
public:
  // A pool that only lists forgets its entries before the children the
  // composite keeps are freed.
  ~TCustomCompo() override;

  // ---- Children handed over ----
  // Lists an object owned elsewhere (a link partner); see TCommonObj.
  using TCommonObj::AddObj;
  // Hands aObj to the composite, in layer and priority order: an owning
  // pool takes it; a pool that only lists lists it, and the composite
  // keeps it and frees it with itself (or at the next LoadChildren).
  // Answers the object; null for null.
  TCommonObj *AddObj(std::unique_ptr<TCommonObj> aObj);
  // The same at aIndex, outside the layer order: an object taken out (with
  // Extract) and put back at its index regains its place.
  TCommonObj *Insert(int aIndex, std::unique_ptr<TCommonObj> aObj);
  // Takes aObj out of the pool. Answers it when the composite owned it (a
  // child of an owning pool, or one the composite keeps); null when the
  // pool only listed it (nothing is freed) or does not hold it.
  std::unique_ptr<TCommonObj> Extract(TCommonObj *aObj);
  // Empties the pool: an owning pool frees its children; a pool that only
  // lists forgets its entries, and the children the composite keeps are
  // freed.
  void ClearChildren();
  // The children the composite keeps (its pool only lists).
  const TOwnedChildren &LoadedChildren() const { return FKept; }

  // ---- TCommonObj ----
  // When the value changes: its own flag and every child's.
  void SetVisible(bool aVisible) override;
  TLink *GetLink() override { return nullptr; }
  TCommonObj *GetLinkedObj() override { return nullptr; }
  void SetLinkedObj(TCommonObj *) override {}
  void SetLinkedId(int64_t aId) override;
  void Open(int aPNo) override;
  void Close() override;
  // The own record, then LoadChildren. When the own record cannot be read,
  // the children are still read (so that the stream reaches the end of the
  // entry) and EUnreadRecord is raised.
  void LoadFromStream(TStream &aStream) override;
  // The own record, the count and the children.
  void SaveToStream(TStream &aStream) override;
  // The index of aObj in the pool, else the index of the first composite
  // child that holds it somewhere; -1 when neither.
  int IndexOf(TCommonObj *aObj) override;
  // A composite accepts no link by default.
  TCommonObj *LinkObjFrom(TCommonObj *, int, int) override { return nullptr; }
  using TCommonObj::DrawObj;
  void DrawObj(TCanvas &aCanvas) override;
  void Move(TRealPoint aOffset) override;
  void Move(TRealPoint aOffset, TShiftState aShift) override;
  void Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) override;
  // Every child's maker SetCenter, then its ReMake; a child that raises is
  // passed over.
  void ReMake() override;
  // Every visible child, back (index 0) to front.
  void Paint(TCanvas &aCanvas) override;
  void Paint(TCanvas &, TCommonObj *) override {}
  void Scaling(double aRate, TRealPoint aOrg) override;
  // The children from the front (last index) to the back; the first
  // answer wins.
  TCommonObj *Search(TRealPoint aPos, TSearch aKind) override;
  bool TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) override;
  // Links resolve against this composite.
  void UpdateLink(TCommonObj *aCompo) override;
  void UpdateLinkId() override;
  void PrintObj(TCanvas &aCanvas, double aZoom, int ax, int ay) override;
  void ZoomDraw(TCanvas &pCanvas, double pZoom, int px, int py) override;
  // The position of aObj in the flattened paint order: a nested composite
  // and its first child share one number; a tray counts as one object.
  int PriorityOf(TCommonObj *aObj) override;
  // New ids and names for the composite and its whole tree.
  void ReName(int64_t aId) override;

  // ---- The composite's own operations ----
  // ClearChildren, then reads the count and the children (ReadChild),
  // each handed to the composite (AddObj).
  // A count that promises more children than the stream holds counts as a
  // read fault (TCoreContext::ReadFaults).
  virtual void LoadChildren(TStream &aStream);
  // The number of children; 0 without a pool.
  virtual int Count() const;
  // The union of the children's bounds; the own bounds when it is empty.
  virtual TRect InsideRect();
  // The id of the first child named aName exactly; 0 when none.
  virtual int64_t ObjIdx(const QString &aName);
  // Gives up a child; each composite class decides how.
  virtual bool RemoveObj(TCommonObj *&aObj);
  virtual void RotateInside(double aAngle, TRealPoint aCenter);

  // Finds the object of that id in the whole tree (the composite itself
  // included). Raises lumora::Exception with the message
  // <second composite's name> + "はリンク異常の可能性があります。" when it
  // descends more than 50 levels (a composite that contains itself).
  TCommonObj *GetObjs(int64_t aId);

  // Checks the next child entry: its size must be above 0 and the whole
  // record present. Then copies the size and the record into aRecord
  // (rewound), puts the stream back to the start of the entry and answers
  // true. Otherwise answers false with the size field consumed (or the
  // rest of a stream too short for one); a size of 0 is an empty entry,
  // any other failure counts as a read fault.
  static bool PeekObjRecord(TStream &aStream, TMetaStream &aRecord);
  // Reads the child entry at the stream's position (aRecord is scratch
  // space) and answers the object made, not yet added; null when nothing
  // was made for this entry. A kind no class of the mode bears becomes the
  // placeholder, skipped by its stored size. A known kind whose entry
  // cannot be read becomes the placeholder too, holding the entry's bytes
  // (its record, and a composite's children), when the stream still stands
  // at the entry's end; any other error reaches the caller. With aPlace
  // the object's maker sets its centre and bounds (SetCenter); without, the
  // composite's ReMake does that later.
  static std::unique_ptr<TCommonObj> ReadChild(TStream &aStream, TMetaStream &aRecord,
                                               bool aPlace = true);
  // Reads the record at the stream's position into aObj ignoring any error,
  // then sets the stream to the end of the record (start + 4 + size).
  static void LoadSkipping(TCommonObj &aObj, TStream &aStream, int64_t aStart, int32_t aSize);

protected:
  TCustomCompo();
  // Whether LoadChildren has each child's maker set its centre and bounds
  // as it is read; a composite made later as a whole (a page, made when it
  // first shows) leaves that to its ReMake.
  virtual bool PlaceChildrenOnRead() const { return true; }
  explicit TCustomCompo(const TObjParam &aParam);
  // The pool (NewPool), Param.ObjName := the class's kind name, then
  // CreateMode with the making context's mode. A plain composite makes no
  // grab record.
  void AfterConstruction() override;
  // The pool the composite holds its children in, made once when the
  // composite is made: a pool that only lists (TAbObjPool). Composites that
  // own their children answer a TOwnedObjPool.
  virtual std::unique_ptr<TAbObjectPool> NewPool() const;

  // The children other than the composite itself, in pool order (a copy,
  // so that operations may change the pool).
  TObjList Children() const;

  // The children handed to a composite whose pool only lists.
  TOwnedChildren FKept;
};

// The drawable composite.
class TRepreCompo : public TCustomCompo, public IRepresent {
  LUMORA_ABSTRACT_OBJECT(TRepreCompo, TCustomCompo)
public:
  double GetAdsorbRange() override { return 23.0; }
  void SetAdsorbRange(double) override {}
  TRealPoint AdsorbPoint() override;
  void AdsorbFrom(TRealPoint aPoint, IRepresent *aObj) override;
  void UnAdsorbFrom(int aKind, TRealPoint aPoint, IRepresent *aObj) override;
  TCommonObj *MySelf() override { return this; }
  TGrabInfo *GetGrabInfo() override { return FGrabInfo.get(); }
  TCursor Cursor(int, int) override { return 0; }
  TRealPoint RotateCenter(int, TRealPoint) override { return {0, 0}; }
  double GetObjAngle() override;
  void SetObjAngle(double aAngle) override;
  void SetPolygon(std::span<const TRealPoint> aObjRect) override;
  void ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aZoom) override;
  void ZoomPolygon(long double) override {}
  int OppositeGrab(int pGrab) override;
  int AnchorGrab(int pGrab) override;
  int ActiveGrab(int pSequence) override;
  bool CheckForm(int pNo, std::span<const TRealPoint> pRect, TPoint &pOffset) override;
  TGrabRect FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int pWidth) override;
  void GrabToPolygon(std::span<const TRealPoint> aGrab) override;
  void PolygonToGrab(std::span<TRealPoint> aGrab) override;
  void Rotate(double aAngle, std::span<TRealPoint> aPoints) override;
  double RotateAngle(int, TRealPoint, TGrabRect &) override { return 0; }
  // False without children; otherwise passed to every child that
  // implements IRepresent, in pool order, and True.
  bool TakeColor(TPoint pPoint, TColor pColor, bool &pMore) override;
  bool DelPoint(int) override { return false; }
  bool SupPoint(TRealPoint) override { return false; }
  bool IsCreateEnd(TMouseButton pButton, int pSequence, std::span<TRealPoint> pRect,
                   TPoint pNew) override;
  int MinGrabs() override { return Param.Grabs; }
  // A composite has no outline of its own.
  int OutlinePoints(std::span<TRealPoint>) override { return 0; }
  using TCommonObj::ClearDraw_;
  void ClearDraw_(TCanvas *aCanvas, TPoint aOffset, double aZoom) override;
  void InitGrabInfo() override { TCommonObj::InitGrabInfo(); }

protected:
  using TCustomCompo::TCustomCompo;
};

} // namespace lumora
