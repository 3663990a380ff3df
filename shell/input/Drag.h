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
#include "shell/input/MultiTrac.h"

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
  // Whether a move in grab state aState with the buttons of aShift drags.
  virtual bool CanDrag(TGrabState aState, TShiftState aShift) = 0;
  // The offset a grip drag really moves by (Shift locks it to the
  // horizontal or vertical through the grip's partner).
  virtual TRealPoint Adjust(int aNo, TRealPoint aOffset, TShiftState aShift) = 0;
  // Snaps aObj onto the dragged object by move (0), reshape (1) or scale
  // (2) within aDist.
  virtual void Adsorb(TCommonObj *aObj, double aDist, int aMode) = 0;
  virtual double AngleByPin(TPoint aPos, TRealPoint aOffset) = 0;
  // Shows aRect as the rubber outline.
  virtual void DragDraw(const TGrabRect &aRect) = 0;
  // Shows the grips at the drag points.
  virtual void RefreshGrabs() = 0;
  // Reads the object's grab points again and shows the grips there.
  virtual void UpdateGrab(TCommonObj *aObj) = 0;
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
  // Takes aRect as the drag points, unless the work page keeps its objects
  // inside its window (PageMove) and a point lies outside it: the old
  // points then stay and SetDragResult() is false.
  void SetDragRect(const TGrabRect &aRect);
  bool SetDragResult() const { return FsetDragResult; }
  TCommonObj *Obj() const { return FObj; }

protected:
  bool FsetDragResult = false;
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
  // The base Open; a pending outline becomes the drag points.
  void Open(TCommonObj *aObj) override;
  // The left button must be down; an open grab drags at once, a standby
  // or multi-selection one from the first move after the grips were shown.
  bool CanDrag(TGrabState aState, TShiftState aShift) override;
  TRealPoint Adjust(int aNo, TRealPoint aOffset, TShiftState aShift) override;
  // A snapping object made for one drag of two objects has no grab pair
  // and never snaps: nothing changes.
  void Adsorb(TCommonObj *, double, int) override {}
  double AngleByPin(TPoint, TRealPoint) override { return 0; }
  void DragDraw(const TGrabRect &aRect) override;
  void RefreshGrabs() override;
  void UpdateGrab(TCommonObj *aObj) override;
  void Close(bool aIndirect) override;
  // Turns the drag points by the angle the object works out for grip pNo
  // dragged by pOffset, and shows them as the outline.
  bool Rotate(int pNo, TRealPoint pOffset) override;
  // Reshapes grip pNo by pOffset when the object accepts the shape, and
  // shows the new points as the outline; answers the acceptance.
  bool Sizzing(int pNo, TRealPoint pOffset) override;
  void PaintRubber(TCanvas &aCanvas) override;
  // The rubber outline's points, else the drag points.
  TGrabRect GetGrabs() const { return FSaveRect.empty() ? FDragRect : FSaveRect; }

  int DelayCount = 0;

private:
  // The outline's area on the page, with room for its pen.
  void InvalidateOutline(const TGrabRect &aRect);
  // Drops the outline from the screen.
  void DropOutline();

  TGrabRect FSaveRect; // the outline last drawn; empty when none
  bool FSnapOpen = false;
};

} // namespace lumora
