#include "shell/input/Drag.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#include "core/book/MetaBook.h"
#include "core/model/CommonObj.h"
#include "core/model/CustomCompo.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/support/RectOps.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
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

void TDrag::SetDragRect(const TGrabRect &aRect) {
  FsetDragResult = false;
  if (aRect.empty()) {
    FDragRect.clear();
    return;
  }
  // A page that keeps its objects inside its window refuses points outside.
  TMetaBook *book = CurrentBook();
  TMetaPage *page = book ? book->WorkPage : nullptr;
  if (page && page->PageMove()) {
    const TRect window = page->WinRect();
    for (const TRealPoint &p : aRect)
      if (!(p.rx >= 0 && p.ry >= 0 && p.rx <= window.Right && p.ry <= window.Bottom)) return;
  }
  FDragRect = aRect;
  FsetDragResult = true;
}

TRealPoint TDrag::GetDragGrab(int aIndex) const {
  if (aIndex < 0 || size_t(aIndex) >= FDragRect.size()) return {-2147483647.0, -2147483647.0};
  return FDragRect[size_t(aIndex)];
}

// ---- TObjDrag ----

namespace {

// The shown objects of the root composite in front of aObj that overlap
// it.
std::vector<TCommonObj *> FrontObjects(TCommonObj *aObj) {
  const TObjList front = TMakeInfo2::Get().FrontObjs(aObj, nullptr);
  return {front.begin(), front.end()};
}

} // namespace

void TObjDrag::Open(TCommonObj *aObj) {
  TDrag::Open(aObj);
  if (FSaveRect.empty()) return;
  SetDragRect(FSaveRect);
  DropOutline();
  if (FGripGrabs) FGripGrabs->SetClipRect();
}

bool TObjDrag::CanDrag(TGrabState aState, TShiftState aShift) {
  if (!aShift.Contains(ssLeft)) return false;
  switch (aState) {
  case gsOpen:
    return true;
  case gsStandby:
  case gsMultiSelect:
    return ++DelayCount >= 1;
  default:
    return false;
  }
}

TRealPoint TObjDrag::Adjust(int aNo, TRealPoint aOffset, TShiftState aShift) {
  if (!aShift.Contains(ssShift)) return aOffset;
  IRepresent *represent = Supports<IRepresent>(FObj);
  if (!represent) return aOffset;
  const bool rotating = TSysContext::Started() && SysInfo().ObjMode() == omRotate;
  const int partner = rotating ? represent->OppositeGrab(aNo) : represent->AnchorGrab(aNo);
  if (partner < 0 || size_t(partner) >= FDragRect.size() || aNo < 0 ||
      size_t(aNo) >= FDragRect.size())
    return {0, 0};
  const TRealPoint a = FDragRect[size_t(partner)];
  const TRealPoint b = FDragRect[size_t(aNo)];
  TRealPoint c{b.rx + aOffset.rx, b.ry + aOffset.ry};
  // Near the vertical through the partner the grip moves on it, else on
  // the horizontal; exactly 45 degrees counts as horizontal.
  const double bearing = std::fabs(RealPointAngle(c, a));
  if (bearing < std::numbers::pi / 4 || bearing > 3 * std::numbers::pi / 4)
    c.rx = a.rx;
  else
    c.ry = a.ry;
  return {c.rx - b.rx, c.ry - b.ry};
}

void TObjDrag::InvalidateOutline(const TGrabRect &aRect) {
  TBaseWindow *base = TMakeInfo2::Get().Base;
  if (base && !aRect.empty()) base->InvalidateOverlay(RubberArea(aRect));
}

void TObjDrag::DropOutline() {
  InvalidateOutline(FSaveRect);
  FSaveRect.clear();
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
  PaintRubberOutline(aCanvas, FSaveRect);
}

void TObjDrag::RefreshGrabs() {
  DropOutline();
  DelayCount = 0;
  if (!FGripGrabs) return;
  if (FObj)
    FGripGrabs->CreateGrab(FObj, FDragRect, false);
  else
    FGripGrabs->Clear();
}

void TObjDrag::UpdateGrab(TCommonObj *aObj) {
  if (aObj) FObj = aObj;
  IRepresent *represent = Supports<IRepresent>(FObj);
  if (!represent) return;
  TGrabRect points(size_t(std::max(FObj->Param.Grabs, 0)));
  represent->PolygonToGrab(points);
  if (FGripGrabs) FGripGrabs->Invalidate(true);
  FDragRect = points;
  RefreshGrabs();
}

void TObjDrag::Close(bool aIndirect) {
  TAdsorb__ *snapper = FGripGrabs ? FGripGrabs->Adsorb() : nullptr;
  if (aIndirect) {
    if (FSaveRect.empty()) {
      // Nothing was dragged: the object may still snap where it stands.
      if (snapper && FObj) {
        if (!FSnapOpen) FSnapOpen = snapper->Open(FObj);
        if (FSnapOpen) {
          FSnapOpen = false;
          if (snapper->Close(FDragRect)) PolygonToGrab();
        }
      }
      return;
    }
    SetDragRect(FSaveRect);
    DropOutline();
  }
  if (!FGripGrabs || !FObj) {
    FSnapOpen = false;
    return;
  }
  FGripGrabs->SetClipRect();

  // Rebuilt out of sight: the objects in front of it are listed before,
  // and again (and re-made) once it shows at its new place.
  const bool visible = FObj->Visible();
  FObj->SetVisible(false);
  if (FObj->Maker()) FObj->Maker()->Invalidate(false);
  const std::vector<TCommonObj *> before = FrontObjects(FObj);
  if (FObj->Maker()) FObj->Maker()->ReMake(FDragRect);
  if (FSnapOpen && snapper) {
    FSnapOpen = false;
    if (snapper->Close(FDragRect)) PolygonToGrab();
  }
  FSnapOpen = false;
  if (FObj->Param.Grabs != int(FDragRect.size()) && Supports<IRepresent>(FObj)) {
    // Its shape changed its number of points.
    PolygonToGrab();
    DropOutline();
  }
  FObj->SetVisible(visible);
  // Those now in front are re-made over it.
  TObjList now;
  FObj->ReMakeFrontObj(nullptr, &now);
  const std::vector<TCommonObj *> after(now.begin(), now.end());
  // A see-through object that was in front and is no longer shows a
  // picture of what lay behind it then.
  for (TCommonObj *obj : before) {
    if (std::find(after.begin(), after.end(), obj) != after.end()) continue;
    if (obj->Param.Transparency == 0) continue;
    obj->ReMake();
    if (obj->Maker()) obj->Maker()->Invalidate(false);
  }
  if (Supports<IRepresent>(FObj)) FGripGrabs->CreateGrab(FObj, FDragRect, false);
  if (FObj->Maker()) FObj->Maker()->Invalidate(false);
}

bool TObjDrag::Rotate(int pNo, TRealPoint pOffset) {
  IRepresent *represent = Supports<IRepresent>(FObj);
  if (!represent) return false;
  TGrabRect turned = FDragRect;
  const double angle = represent->RotateAngle(pNo, pOffset, turned);
  represent->Rotate(angle, turned);
  DragDraw(turned);
  return true;
}

bool TObjDrag::Sizzing(int pNo, TRealPoint pOffset) {
  IRepresent *represent = Supports<IRepresent>(FObj);
  if (!represent) return false;
  TPoint offset{RoundReal(pOffset.rx), RoundReal(pOffset.ry)};
  TGrabRect points = FDragRect;
  if (!represent->CheckForm(pNo, points, offset)) return false;
  const TRect bounds = FObj->BoundsRect();
  DragDraw(represent->FormatGrab(pNo, offset, points, bounds.Bottom - bounds.Top + 1));
  return true;
}

} // namespace lumora
