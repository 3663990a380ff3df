#pragma once
// The tracker of a multi-selection: one grip set per selected object, split
// into the shown objects and the action objects, and moved together. The
// tracker owns its grip sets.
#include <QPoint>
#include <memory>
#include <vector>

#include "core/geometry/Geometry.h"
#include "platform/graphics/Types.h"

namespace lumora {

class TBaseWindow;
class TCanvas;
class TCommonObj;
class TCustomCompo;
class TGripGrabs;
class TMouseEventHandler;

// The area a rubber outline of aPoints covers on the page, with room for
// its pen; empty for no points.
TRect RubberArea(const TGrabRect &aPoints);
// Draws the rubber outline of aPoints (a dotted polygon; a small square
// for a single point) over the page.
void PaintRubberOutline(TCanvas &aCanvas, const TGrabRect &aPoints);

class TMultiTrac {
public:
  explicit TMultiTrac(TBaseWindow *aBaseControl = nullptr);
  virtual ~TMultiTrac();
  TMultiTrac(const TMultiTrac &) = delete;
  TMultiTrac &operator=(const TMultiTrac &) = delete;

  virtual void SetOpenPos(QPoint) {}
  // Tracks the members of aList in pool order, all of them selected;
  // answers how many the tracker holds.
  virtual int Add(TCustomCompo *aList);
  // Adds a grip set for aObj to the show or the action list (the tracked
  // entries change with AltMode or Add).
  virtual void AddObj(TCommonObj *aObj, TMouseEventHandler *aHandler) = 0;
  // Which objects the tracker works on: 0 all, 1 the shown objects only,
  // 2 the action objects only; a negative aMode takes the next of these,
  // any value above 2 gives 0.
  virtual void AltMode(int aMode);
  // The tracked entries, base control, area and delay of aSource (its
  // grip sets stay its own).
  virtual void Copy(const TMultiTrac &aSource);
  // Shows every tracked object's outline moved by (aX, aY).
  virtual void DragDraw(int aX, int aY) = 0;
  // Rebuilds every tracked object at the points dragged to.
  virtual void CloseDrag() = 0;
  virtual void MoveFront() {}
  // The grips of every tracked object read again; the area of them all.
  virtual void Refresh();
  virtual void ReMake() {}
  // Drops aGrabs from the lists of the select mode; answers its former
  // index there (-1 when it was not there).
  virtual int Remove(TGripGrabs *aGrabs);
  // Moves every tracked object's points by aOffset (nothing is drawn).
  virtual void Move(TRealPoint aOffset) = 0;
  // The tracked entry whose grip set shows aObj; -1 when none.
  virtual int ObjIndex(TCommonObj *aObj) const;
  // The union of the selection's areas (page pixels).
  virtual TRect ClipRect() const { return MultiRect; }
  // The number of tracked entries, and the object of entry n.
  virtual int Count() const { return int(FList.size()); }
  virtual TCommonObj *GetObjs(int n) const;
  // Paints the tracker's pictures over the page: every grip set.
  virtual void Paint(TCanvas &aCanvas) const;

  // No entry tracked; the area empty; DelayCount -1.
  void Clear();
  // Empties the show and the action lists and frees their grip sets.
  void ClearList();
  // Every grip set records its grips again.
  void Draw();
  // Whether (X, Y) hits one of the tracked objects.
  bool PtInObj(int X, int Y) const;
  // Invalidates the area, one pixel wider all round, on the base control.
  void Invalidate() const;
  // The grip set of aObj; null when it is not tracked.
  TGripGrabs *GetGrabs(TCommonObj *aObj) const;
  TGripGrabs *Items(int n) const;
  int SelectMode() const { return FSelectMode; }
  int ShowCount() const { return int(FShowList.size()); }
  int ActCount() const { return int(FActList.size()); }

  int DelayCount = -1;

protected:
  // Takes ownership of a grip set made by AddObj.
  TGripGrabs *Own(std::unique_ptr<TGripGrabs> aGrabs);

  std::vector<TGripGrabs *> FList; // the entries of the select mode
  std::vector<TGripGrabs *> FShowList;
  std::vector<TGripGrabs *> FActList;
  TBaseWindow *FBaseControl;
  TRect MultiRect;
  int FSelectMode = 0;

private:
  std::vector<std::unique_ptr<TGripGrabs>> FOwned;
};

// The author handler's tracker: each object's points to rebuild it from are
// kept apart from its grips, so that a drag can show outlines and then
// apply them all.
class TAuthorMultiTrac : public TMultiTrac {
public:
  using TMultiTrac::TMultiTrac;

  void AddObj(TCommonObj *aObj, TMouseEventHandler *aHandler) override;
  int Add(TCustomCompo *aList) override;
  void AltMode(int aMode) override;
  void Copy(const TMultiTrac &aSource) override;
  void DragDraw(int aX, int aY) override;
  void CloseDrag() override;
  void Move(TRealPoint aOffset) override;
  // The grips, and the outlines while a drag shows them.
  void Paint(TCanvas &aCanvas) const override;

  const std::vector<TGrabRect> &SaveRect() const { return FSaveRect; }

private:
  // The points of entry i's grips.
  void TakeGripPoints();
  // The area of the outlines shown, with room for the pen.
  TRect OutlineArea() const;

  std::vector<TGrabRect> FSaveRect;
  bool FOutlined = false; // the outlines are shown
};

} // namespace lumora
