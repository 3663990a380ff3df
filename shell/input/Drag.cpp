#include "shell/input/Drag.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/model/CommonObj.h"
#include "core/model/CustomCompo.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/support/RectOps.h"
#include "platform/graphics/Canvas.h"
#include "shell/input/Adsorb.h"
#include "shell/input/Grips.h"

namespace lumora {

// ---- TDrag ----

TDrag::TDrag(TGripGrabs *aGripGrabs, TRootObj aObjPool)
    : FDragRect(1), FGripGrabs(aGripGrabs), FCompo(std::move(aObjPool)) {}

TDrag::~TDrag() = default;

void TDrag::MoveGrab(TRealPoint aPoint) {
  for (TRealPoint &p : FDragRect)
    p = {p.rx + aPoint.rx, p.ry + aPoint.ry};
}

void TDrag::Open(TCommonObj *aObj) {
  FObj = aObj ? aObj : (FGripGrabs ? FGripGrabs->OwnObj() : nullptr);
  if (FGripGrabs) FGripGrabs->SetOwnObj(FObj);
  if (FObj)
    PolygonToGrab();
  else
    FDragRect.clear();
}

void TDrag::RemoveObj(TCommonObj *aObj) {
  if (!aObj) return;
  if (FGripGrabs && FGripGrabs->Adsorb()) FGripGrabs->Adsorb()->RemoveObj(aObj);
  if (aObj == FObj) FObj = nullptr;
  auto *root = dynamic_cast<TCustomCompo *>(FCompo ? FCompo() : nullptr);
  if (root && root->IndexOf(aObj) >= 0) {
    if (aObj->Maker()) aObj->Maker()->Invalidate(false);
    root->RemoveObj(aObj); // frees it
  }
}

void TDrag::PolygonToGrab() {
  if (!FObj) return;
  if (IRepresent *represent = Supports<IRepresent>(FObj)) {
    FDragRect.assign(size_t(std::max(FObj->Param.Grabs, 0)), TRealPoint{});
    represent->PolygonToGrab(FDragRect);
  } else {
    FDragRect.assign(1, FObj->BCenter());
  }
}

TGrabRect TDrag::OffsetGrabs(QPoint aOffset) const {
  TGrabRect moved = FDragRect;
  for (TRealPoint &p : moved)
    p = {p.rx + aOffset.x(), p.ry + aOffset.y()};
  return moved;
}

TRealPoint TDrag::GetDragGrab(int aIndex) const {
  if (aIndex < 0 || size_t(aIndex) >= FDragRect.size()) return {-2147483647.0, -2147483647.0};
  return FDragRect[size_t(aIndex)];
}

// ---- TObjDrag ----

bool TObjDrag::CanDrag(TGrabState, TShiftState aShift) {
  return aShift.Contains(ssLeft);
}

TRealPoint TObjDrag::Adjust(int, TRealPoint aOffset, TShiftState) {
  return aOffset;
}

void TObjDrag::InvalidateOutline(const TGrabRect &aRect) {
  if (aRect.empty()) return;
  TBaseWindow *base = TMakeInfo2::Get().Base;
  if (!base) return;
  base->InvalidateOverlay(InflateRect(RealPointsBounds(aRect), 2, 2));
}

void TObjDrag::DragDraw(const TGrabRect &aRect) {
  // The object's own snap points leave the map while it is dragged.
  if (FSaveRect.empty() && FObj && FGripGrabs && FGripGrabs->Adsorb())
    FSnapOpen = FGripGrabs->Adsorb()->Open(FObj);
  InvalidateOutline(FSaveRect);
  FSaveRect = aRect;
  InvalidateOutline(FSaveRect);
}

void TObjDrag::PaintRubber(TCanvas &aCanvas) {
  if (FSaveRect.size() < 2) return;
  aCanvas.Pen().SetStyle(psDot);
  aCanvas.Pen().SetWidth(1);
  aCanvas.Pen().SetColor(clBlack);
  aCanvas.Brush().SetStyle(bsClear);
  std::vector<TPoint> points;
  points.reserve(FSaveRect.size());
  for (const TRealPoint &p : FSaveRect)
    points.push_back(RealPointToPoint(p));
  aCanvas.Polygon(points);
}

void TObjDrag::RefreshGrabs() {
  InvalidateOutline(FSaveRect);
  FSaveRect.clear();
  if (!FGripGrabs) return;
  if (FObj)
    FGripGrabs->CreateGrab(FObj, FDragRect, false);
  else
    FGripGrabs->Clear();
}

void TObjDrag::Close(bool) {
  if (!FObj) {
    InvalidateOutline(FSaveRect);
    FSaveRect.clear();
    return;
  }
  if (!FSaveRect.empty()) {
    FDragRect = FSaveRect;
    InvalidateOutline(FSaveRect);
    FSaveRect.clear();
    if (FObj->Maker()) FObj->Maker()->ReMake(FDragRect);
  }
  if (FSnapOpen && FGripGrabs && FGripGrabs->Adsorb()) {
    FSnapOpen = false;
    FGripGrabs->Adsorb()->Close(FDragRect);
  }
  PolygonToGrab();
}

bool TObjDrag::Sizzing(int pNo, TRealPoint pOffset) {
  if (pNo < 0 || size_t(pNo) >= FDragRect.size()) return false;
  TGrabRect moved = FDragRect;
  moved[size_t(pNo)] = {moved[size_t(pNo)].rx + pOffset.rx, moved[size_t(pNo)].ry + pOffset.ry};
  DragDraw(moved);
  return true;
}

} // namespace lumora
