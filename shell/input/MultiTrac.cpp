#include "shell/input/MultiTrac.h"

#include <algorithm>

#include "core/model/CommonObj.h"
#include "core/model/CustomCompo.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/model/ObjPool.h"
#include "core/support/RectOps.h"
#include "platform/graphics/Canvas.h"
#include "shell/input/Grips.h"
#include "shell/input/MouseHandler.h"

namespace lumora {

TRect RubberArea(const TGrabRect &aPoints) {
  return aPoints.empty() ? TRect() : InflateRect(RealPointsBounds(aPoints), 2, 2);
}

void PaintRubberOutline(TCanvas &aCanvas, const TGrabRect &aPoints) {
  if (aPoints.empty()) return;
  aCanvas.Pen().SetStyle(psDot);
  aCanvas.Pen().SetWidth(1);
  aCanvas.Pen().SetColor(clBlack);
  aCanvas.Brush().SetStyle(bsClear);
  std::vector<TPoint> points;
  points.reserve(aPoints.size());
  for (const TRealPoint &p : aPoints)
    points.push_back(RealPointToPoint(p));
  if (points.size() >= 2)
    aCanvas.Polygon(points);
  else
    aCanvas.Rectangle(points[0].X - 3, points[0].Y - 3, points[0].X + 4, points[0].Y + 4);
}

// ---- TMultiTrac ----

TMultiTrac::TMultiTrac(TBaseWindow *aBaseControl) : FBaseControl(aBaseControl) {}

TMultiTrac::~TMultiTrac() = default;

TGripGrabs *TMultiTrac::Own(std::unique_ptr<TGripGrabs> aGrabs) {
  FOwned.push_back(std::move(aGrabs));
  return FOwned.back().get();
}

void TMultiTrac::Clear() {
  FList.clear();
  MultiRect = TRect();
  DelayCount = -1;
}

void TMultiTrac::ClearList() {
  // The tracked entries are among the grip sets freed here.
  FList.clear();
  FShowList.clear();
  FActList.clear();
  FOwned.clear();
}

int TMultiTrac::Add(TCustomCompo *aList) {
  Clear();
  ClearList();
  if (aList && aList->Pool())
    for (TCommonObj *member : *aList->Pool())
      if (member) AddObj(member, nullptr);
  FSelectMode = 0;
  FList = FShowList;
  FList.insert(FList.end(), FActList.begin(), FActList.end());
  return Count();
}

void TMultiTrac::AltMode(int aMode) {
  if (aMode < 0)
    FSelectMode = (FSelectMode + 1) % 3;
  else
    FSelectMode = aMode > 2 ? 0 : aMode;
  switch (FSelectMode) {
  case 1:
    FList = FShowList;
    break;
  case 2:
    FList = FActList;
    break;
  default:
    FList = FShowList;
    FList.insert(FList.end(), FActList.begin(), FActList.end());
    break;
  }
}

void TMultiTrac::Copy(const TMultiTrac &aSource) {
  FList = aSource.FList;
  FBaseControl = aSource.FBaseControl;
  MultiRect = aSource.MultiRect;
  DelayCount = aSource.DelayCount;
}

int TMultiTrac::Remove(TGripGrabs *aGrabs) {
  auto take = [aGrabs](std::vector<TGripGrabs *> &aList) {
    const auto at = std::find(aList.begin(), aList.end(), aGrabs);
    if (at == aList.end()) return -1;
    const int index = int(at - aList.begin());
    aList.erase(at);
    return index;
  };
  int index = -1;
  if (FSelectMode == 0) {
    index = take(FShowList);
    if (index < 0) index = take(FActList);
  } else {
    index = take(FSelectMode == 1 ? FShowList : FActList);
  }
  // The tracked entries hold it no longer either; it is freed with the
  // tracker.
  std::erase(FList, aGrabs);
  return index;
}

int TMultiTrac::ObjIndex(TCommonObj *aObj) const {
  for (size_t i = 0; i < FList.size(); ++i)
    if (FList[i]->OwnObj() == aObj) return int(i);
  return -1;
}

TCommonObj *TMultiTrac::GetObjs(int n) const {
  TGripGrabs *grabs = Items(n);
  return grabs ? grabs->OwnObj() : nullptr;
}

TGripGrabs *TMultiTrac::Items(int n) const {
  return n >= 0 && size_t(n) < FList.size() ? FList[size_t(n)] : nullptr;
}

TGripGrabs *TMultiTrac::GetGrabs(TCommonObj *aObj) const {
  const int i = ObjIndex(aObj);
  return i < 0 ? nullptr : FList[size_t(i)];
}

void TMultiTrac::Draw() {
  for (TGripGrabs *grabs : FList)
    grabs->Show();
}

void TMultiTrac::Paint(TCanvas &aCanvas) const {
  for (TGripGrabs *grabs : FList)
    if (grabs->Visible()) grabs->Paint(aCanvas);
}

bool TMultiTrac::PtInObj(int X, int Y) const {
  const TRealPoint at{double(X), double(Y)};
  for (TGripGrabs *grabs : FList)
    if (TCommonObj *obj = grabs->OwnObj(); obj && obj->Search(at, k_allObj)) return true;
  return false;
}

void TMultiTrac::Refresh() {
  MultiRect =
      FList.empty() || !FList.front()->OwnObj() ? TRect() : FList.front()->OwnObj()->BoundsRect();
  for (TGripGrabs *grabs : FList) {
    grabs->Refresh();
    MultiRect = UnionRect(MultiRect, grabs->ClipRect());
  }
}

void TMultiTrac::Invalidate() const {
  if (FBaseControl && !MultiRect.IsEmpty())
    FBaseControl->InvalidateOverlay(InflateRect(MultiRect, 1, 1));
}

// ---- TAuthorMultiTrac ----

void TAuthorMultiTrac::AddObj(TCommonObj *aObj, TMouseEventHandler *aHandler) {
  if (!aObj) return;
  TGrabRect points;
  if (IRepresent *represent = Supports<IRepresent>(aObj)) {
    points.resize(size_t(std::max(aObj->Param.Grabs, 0)));
    represent->PolygonToGrab(points);
  } else {
    const TGrabRect &polygon = aObj->Polygon();
    const size_t n = std::min(size_t(std::max(aObj->Param.Grabs, 1)), polygon.size());
    points.assign(polygon.begin(), polygon.begin() + ptrdiff_t(n));
  }
  if (points.empty()) points.push_back(aObj->BCenter());
  auto made = std::make_unique<TAuthorGrabs>(FBaseControl, smAuthor);
  made->CreateGrab(aObj, points, true);
  auto *root = dynamic_cast<TCustomCompo *>(aHandler ? aHandler->Root() : nullptr);
  made->FIdx = root ? root->IndexOf(aObj) : -1;
  MultiRect = UnionRect(MultiRect, made->ClipRect());
  auto *grabs = static_cast<TAuthorGrabs *>(Own(std::move(made)));

  if (!aObj->ObjInfo().ActType.Contains(atShow)) {
    FActList.push_back(grabs);
    return;
  }
  // The shown objects stay in paint order, back to front.
  auto idx = [](TGripGrabs *g) { return static_cast<TAuthorGrabs *>(g)->FIdx; };
  if (FShowList.empty() || grabs->FIdx < 0) {
    FShowList.push_back(grabs);
    return;
  }
  if (idx(FShowList.back()) < 0 && root) {
    for (TGripGrabs *g : FShowList)
      static_cast<TAuthorGrabs *>(g)->FIdx = root->IndexOf(g->OwnObj());
  }
  if (idx(FShowList.back()) < grabs->FIdx) {
    FShowList.push_back(grabs);
    return;
  }
  const auto at = std::find_if(FShowList.begin(), FShowList.end(),
                               [&](TGripGrabs *g) { return idx(g) >= grabs->FIdx; });
  FShowList.insert(at, grabs);
}

void TAuthorMultiTrac::TakeGripPoints() {
  FSaveRect.clear();
  for (TGripGrabs *grabs : FList)
    FSaveRect.push_back(grabs->GrabBounds());
}

int TAuthorMultiTrac::Add(TCustomCompo *aList) {
  const int n = TMultiTrac::Add(aList);
  TakeGripPoints();
  FOutlined = false;
  return n;
}

void TAuthorMultiTrac::AltMode(int aMode) {
  if (FOutlined && FBaseControl) FBaseControl->InvalidateOverlay(OutlineArea());
  TMultiTrac::AltMode(aMode);
  TakeGripPoints();
  FOutlined = false;
}

void TAuthorMultiTrac::Copy(const TMultiTrac &aSource) {
  TMultiTrac::Copy(aSource);
  if (const auto *author = dynamic_cast<const TAuthorMultiTrac *>(&aSource))
    FSaveRect = author->FSaveRect;
}

void TAuthorMultiTrac::Move(TRealPoint aOffset) {
  FSaveRect.resize(FList.size());
  for (size_t i = 0; i < FList.size(); ++i) {
    FSaveRect[i] = FList[i]->GrabBounds();
    for (TRealPoint &p : FSaveRect[i])
      p = {p.rx + aOffset.rx, p.ry + aOffset.ry};
  }
}

TRect TAuthorMultiTrac::OutlineArea() const {
  TRect area;
  for (const TGrabRect &points : FSaveRect)
    area = UnionRect(area, RubberArea(points));
  return area;
}

void TAuthorMultiTrac::DragDraw(int aX, int aY) {
  // The outlines lie over the cached page: only where they were and where
  // they go is painted again.
  const TRect before = FOutlined ? OutlineArea() : TRect();
  Move({double(aX), double(aY)});
  FOutlined = true;
  if (!FBaseControl) return;
  if (!before.IsEmpty()) FBaseControl->InvalidateOverlay(before);
  FBaseControl->InvalidateOverlay(OutlineArea());
}

void TAuthorMultiTrac::Paint(TCanvas &aCanvas) const {
  TMultiTrac::Paint(aCanvas);
  if (!FOutlined) return;
  for (const TGrabRect &outline : FSaveRect)
    PaintRubberOutline(aCanvas, outline);
}

void TAuthorMultiTrac::CloseDrag() {
  if (FOutlined && FBaseControl) FBaseControl->InvalidateOverlay(OutlineArea());
  FOutlined = false;
  MultiRect = FList.empty() ? TRect() : FList.front()->ClipRect();
  for (size_t i = 0; i < FList.size() && i < FSaveRect.size(); ++i) {
    TCommonObj *obj = FList[i]->OwnObj();
    if (!obj) continue;
    const bool visible = obj->Visible();
    obj->SetVisible(false);
    if (obj->Maker()) obj->Maker()->ReMake(FSaveRect[i]);
    obj->SetVisible(visible);
    FList[i]->Refresh();
    MultiRect = UnionRect(MultiRect, FList[i]->ClipRect());
  }
}

} // namespace lumora
