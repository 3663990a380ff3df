#pragma once
// The drag controller of a mouse handler: holds the drag points of the
// selected object (its grab points), moves them while the user drags,
// shows the rubber outline over the page, and when the drag ends rebuilds
// the object at the new points, lets the grip set's snapper pull it onto a
// snap point and shows the grips again.
#include <QPoint>

#include "core/geometry/Geometry.h"
#include "core/model/MakeInfo.h"
#include "core/support/InputTypes.h"
#include "core/system/SysInterfaces.h"

namespace lumora {

class TCanvas;
class TCommonObj;
class TCustomCompo;
class TGripGrabs;
class TMouseEventHandler;

class TDrag {
public:
  TDrag(TGripGrabs *aGripGrabs, TRootObj aObjPool);
  virtual ~TDrag();
  TDrag(const TDrag &) = delete;
  TDrag &operator=(const TDrag &) = delete;

  virtual void PrepareDrag() = 0;
  // Adds aPoint to every drag point.
  virtual void MoveGrab(TRealPoint aPoint);
  // Drags aObj (the grips' owner when null): it owns the grips and its grab
  // points are loaded; no object empties the drag points.
  virtual void Open(TCommonObj *aObj);
  virtual bool CanDrag(TGrabState aState, TShiftState aShift) = 0;
  // The offset a grip drag really moves by.
  virtual TRealPoint Adjust(int aNo, TRealPoint aOffset, TShiftState aShift) = 0;
  // Shows aRect as the rubber outline.
  virtual void DragDraw(const TGrabRect &aRect) = 0;
  // Shows the grips at the drag points.
  virtual void RefreshGrabs() = 0;
  // Ends the drag: the object is rebuilt at the points dragged to.
  virtual void Close(bool aIndirect) = 0;
  // Takes the object out of the snap map and out of the root composite.
  virtual void RemoveObj(TCommonObj *aObj);
  virtual bool Rotate(int, TRealPoint) { return false; }
  virtual bool Sizzing(int, TRealPoint) { return false; }
  // Paints the rubber outline over the page (nothing when none is shown).
  virtual void PaintRubber(TCanvas &) {}

  // Reloads the drag points from the object: its grab points, or its
  // centre as the only point.
  void PolygonToGrab();
  // A copy of the drag points moved by aOffset.
  TGrabRect OffsetGrabs(QPoint aOffset) const;
  // Drag point aIndex, or (-2147483647, -2147483647) out of range.
  TRealPoint GetDragGrab(int aIndex) const;
  const TGrabRect &DragRect() const { return FDragRect; }
  void SetDragRect(const TGrabRect &aRect) { FDragRect = aRect; }
  TCommonObj *Obj() const { return FObj; }

protected:
  TGrabRect FDragRect;
  TCommonObj *FObj = nullptr;
  TGripGrabs *FGripGrabs;
  TRootObj FCompo;
};

// The page editor's drag.
class TObjDrag : public TDrag {
public:
  TObjDrag(TGripGrabs *aGripGrabs, TRootObj aObjPool) : TDrag(aGripGrabs, std::move(aObjPool)) {}

  void PrepareDrag() override {}
  // The left button must be down.
  bool CanDrag(TGrabState aState, TShiftState aShift) override;
  TRealPoint Adjust(int aNo, TRealPoint aOffset, TShiftState aShift) override;
  void DragDraw(const TGrabRect &aRect) override;
  void RefreshGrabs() override;
  void Close(bool aIndirect) override;
  // Moves grip aNo of the drag points by pOffset (from where the grip
  // drag started).
  bool Sizzing(int pNo, TRealPoint pOffset) override;
  void PaintRubber(TCanvas &aCanvas) override;
  // The rubber outline's points, else the drag points.
  TGrabRect GetGrabs() const { return FSaveRect.empty() ? FDragRect : FSaveRect; }

  int DelayCount = 0;

private:
  // The outline's area on the page, with room for its pen.
  void InvalidateOutline(const TGrabRect &aRect);

  TGrabRect FSaveRect; // the outline last drawn; empty when none
  bool FSnapOpen = false;
};

// The tracker of a multi-selection: one grip set per selected object,
// split into shown objects and action objects, moved together.
class TMultiTrac {
public:
  virtual ~TMultiTrac() = default;
  // Adds the objects of aList; answers how many the tracker holds.
  virtual int Add(TCustomCompo *aList) = 0;
  virtual void AddObj(TCommonObj *aObj, TMouseEventHandler *aHandler) = 0;
  // Which objects the tracker works on: 0 all, 1 the shown objects only,
  // 2 the action objects only.
  virtual void AltMode(int aMode) = 0;
  // The union of the selection's areas (page pixels).
  virtual TRect ClipRect() const = 0;
};

} // namespace lumora
