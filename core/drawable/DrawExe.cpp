#include "core/drawable/DrawExe.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/drawable/ExecServices.h"
#include "core/model/BaseWindow.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/model/LeafObj.h"
#include "core/model/MakeInfo.h"
#include "core/model/NullObj.h"
#include "core/model/ObjPool.h"
#include "core/support/RectOps.h"
#include "core/system/SysContext.h"

namespace lumora {

namespace {

const QString kCopyPasteKind = QStringLiteral("コピー＆複数ペースト");
const QString kPinKind = QStringLiteral("留針");

// The tracer follows a rotation in steps of this angle.
constexpr double kTraceStep = std::numbers::pi / 32;
// An angle read from a book may be anything: beyond this many steps (a
// hundred turns) the tracer goes the rest of the way in one move.
constexpr double kMaxTraceSteps = 6400;
// A grab count read from a book is not trusted for an allocation.
constexpr int kMaxGrabs = 1 << 20;

// The object's grab points (Param.Grabs of them, from its polygon).
std::vector<TRealPoint> GrabPoints(TCommonObj *aObj, IRepresent &aRep) {
  std::vector<TRealPoint> grabs(size_t(std::clamp(aObj->Param.Grabs, 0, kMaxGrabs)));
  aRep.PolygonToGrab(grabs);
  return grabs;
}

// The object takes the grab points: through its maker (centre, picture,
// invalidation) when it has one.
void ReMakeFrom(TCommonObj *aObj, IRepresent &aRep, const std::vector<TRealPoint> &aGrabs) {
  if (TCustomMaker *maker = aObj->Maker())
    maker->ReMake(aGrabs);
  else
    aRep.GrabToPolygon(aGrabs);
}

} // namespace

TDrawExe::TDrawExe(TCommonObj *aSelf) : TDrawingExe(aSelf) {}

bool TDrawExe::IsCircuitEnd(TCircuit &aCircuit, TCommonObj *aAction) {
  bool goesOn = false;
  if (aCircuit) {
    TCommonObj *linked = FSelf->GetLinkedObj();
    bool passes = linked != nullptr;
    // An action passed along goes on only through a conductor or a copy
    // and multiple paste.
    if (passes && aAction && aCircuit->size() > 1)
      passes = linked->ObjInfo().FormType.Contains(otConductor) ||
               linked->Param.ObjName == kCopyPasteKind;
    const bool startedByClick =
        !aCircuit->empty() && dynamic_cast<TNullObj *>(aCircuit->front()) != nullptr;
    const bool visited = std::find(aCircuit->begin(), aCircuit->end(), FSelf) != aCircuit->end();
    goesOn = passes && startedByClick && !visited;
  }
  if (goesOn) return false;
  aCircuit.reset();
  return true;
}

bool TDrawExe::Exec(TCircuit &aCircuit, TCommonObj *aAction) {
  if (aAction) DoAct(aAction);
  if (IsCircuitEnd(aCircuit, aAction)) return false;
  TCommonObj *linked = FSelf->GetLinkedObj();
  if (!linked) return false;
  aCircuit->push_back(FSelf);
  TExe *next = linked->Ex();
  return next && next->Exec(aCircuit, aAction);
}

bool TDrawExe::ActRotate(const TActParam &aParam) {
  if (aParam.Angle == 0) return true;
  IRepresent *rep = Supports<IRepresent>(FSelf);
  if (!rep) return false;
  // An angle that is not a number would leave the polygon without
  // coordinates.
  if (!std::isfinite(aParam.Angle)) return false;
  InvalidateArea();
  std::vector<TRealPoint> grabs = GrabPoints(FSelf, *rep);
  TRealPoint centre;
  if (!PinCenter(centre)) return false;
  RotateRealPoints(grabs, centre, aParam.Angle);
  ReMakeFrom(FSelf, *rep, grabs);
  InvalidateArea();
  if (TCommonObj *tracer = Tracer()) RotateTracer(tracer, aParam.Angle, centre);
  return true;
}

bool TDrawExe::ActScale(double aRate) {
  auto *leaf = dynamic_cast<TRepreLeaf *>(FSelf);
  if (!leaf) return false;
  InvalidateArea();
  leaf->Scaling(aRate, leaf->BCenter());
  if (TCustomMaker *maker = leaf->Maker()) {
    maker->SetCenter();
    maker->Update();
  }
  InvalidateArea();
  return true;
}

bool TDrawExe::ActMirror() {
  auto *leaf = dynamic_cast<TRepreLeaf *>(FSelf);
  if (!leaf) return false;
  if (IExecUndo *undo = ExecServices().Undo) undo->Edit(kExecUndoTransform, leaf, 0);
  InvalidateArea();
  leaf->ReverseObj();
  if (TCustomMaker *maker = leaf->Maker()) {
    maker->SetCenter();
    maker->Update();
  }
  InvalidateArea();
  return true;
}

bool TDrawExe::ActTurnUpside() {
  auto *leaf = dynamic_cast<TRepreLeaf *>(FSelf);
  if (!leaf) return false;
  if (IExecUndo *undo = ExecServices().Undo) undo->Edit(kExecUndoTransform, leaf, 0);
  InvalidateArea();
  leaf->TurnUpside();
  if (TCustomMaker *maker = leaf->Maker()) {
    maker->SetCenter();
    maker->Update();
  }
  InvalidateArea();
  return true;
}

void TDrawExe::DoAct(TCommonObj *aClient) {
  auto *action = dynamic_cast<TActionObj *>(aClient);
  if (!action) return;
  const TActParam p = action->ActParam;
  bool r = true;
  if (p.ExeType.Contains(exShow) || p.ExeType.Contains(exHide) || p.ExeType.Contains(exAlt))
    r = OnOff(p.ExeType);
  if (p.ExeType.Contains(exMove)) Move(p);
  if (p.ExeType.Contains(exRotate)) r = ActRotate(p);
  if (p.ExeType.Contains(exLineSymm)) ActMirror();
  if (p.ExeType.Contains(exTurnUpside)) ActTurnUpside();
  if (p.ExeType.Contains(exScaling)) ActScale(p.Scaling);

  const TExecServices &services = ExecServices();
  if (services.SpriteLayer && services.SpriteLayer->Active())
    services.SpriteLayer->RePaintBack(FSelf);

  IExecGrips *grips = services.Grips;
  if (!r || !grips || !grips->Showing()) return;
  if (!FSelf->Visible()) {
    grips->HideGrips();
    return;
  }
  TCommonObj *owner = grips->GripObj();
  bool mine = owner == FSelf;
  if (!owner && TSysContext::Started())
    mine = SysInfo().ActiveObj() == FSelf || SysInfo().LastActive() == FSelf;
  if (mine) grips->UpdateGrab();
}

void TDrawExe::Move(const TActParam &ActValue) {
  IRepresent *rep = Supports<IRepresent>(FSelf);
  if (!rep) return;
  TRealPoint offset = ActValue.MovePos;
  if (ActValue.ExeType.Contains(exPosition) && !FSelf->Polygon().empty())
    offset = SubRealPoint(ActValue.MovePos, FSelf->Polygon().front());
  TCustomMaker *maker = FSelf->Maker();
  const double zoom = SystemZoom();

  if (std::fabs(zoom - 1) <= 0.001) {
    if (maker) maker->Invalidate(false);
    std::vector<TRealPoint> grabs = GrabPoints(FSelf, *rep);
    for (TRealPoint &g : grabs)
      g = AddRealPoint(g, offset);
    ReMakeFrom(FSelf, *rep, grabs);
    if (maker) maker->Invalidate(false);
    return;
  }

  offset = {offset.rx * zoom, offset.ry * zoom};
  if (std::fabs(offset.rx) < 0.01 && std::fabs(offset.ry) < 0.01) return;
  if (maker) maker->Invalidate(false);
  FSelf->ReMakeFrontObj(nullptr, nullptr);
  std::vector<TRealPoint> grabs = GrabPoints(FSelf, *rep);
  for (TRealPoint &g : grabs)
    g = AddRealPoint(g, offset);
  ReMakeFrom(FSelf, *rep, grabs);
  if (maker) maker->Invalidate(false);
  if (TCommonObj *tracer = Tracer()) tracer->Move(offset, TShiftState{ssMiddle});
}

bool TDrawExe::OnOff(TExeType pExec) {
  const bool wasShown = FSelf->Param.ActType.Contains(atShow);
  if (pExec.Contains(exShow)) FSelf->SetVisible(true);
  if (pExec.Contains(exHide)) FSelf->SetVisible(false);
  if (pExec.Contains(exAlt)) FSelf->SetVisible(!wasShown);
  const bool visible = FSelf->Visible();
  if (visible)
    FSelf->Param.ActType.Include(atShow);
  else
    FSelf->Param.ActType.Exclude(atShow);
  // A see-through picture is captured again over what lies under it now.
  if (visible && FSelf->Param.Transparency != 0) FSelf->ReMake();
  InvalidateArea();
  return true;
}

bool TDrawExe::PinCenter(TRealPoint &aCenter) {
  aCenter = FSelf->RCenter();
  TAbObjectPool *pool = FSelf->Pool();
  if (!pool) return true;
  int pins = 0;
  for (TCommonObj *obj : *pool)
    if (obj && obj->Param.ObjName == kPinKind) {
      aCenter = obj->RCenter();
      ++pins;
    }
  return pins < 2;
}

void TDrawExe::Move(TRealPoint pOffset) {
  IRepresent *rep = Supports<IRepresent>(FSelf);
  if (!rep) return;
  std::vector<TRealPoint> points = FSelf->Polygon();
  for (TRealPoint &p : points)
    p = AddRealPoint(p, pOffset);
  rep->SetPolygon(points);
  if (TCustomMaker *maker = FSelf->Maker()) maker->Update();
}

void TDrawExe::InvalidateArea() {
  TBaseWindow *base = FInfo ? FInfo->Base : nullptr;
  if (!base) return;
  const int grow = Round(FSelf->Param.Width / 2.0 + 0.1);
  TRect r = InflateRect(FSelf->BoundsRect(), grow);
  if (IExecGrips *grips = ExecServices().Grips) {
    const TPoint o = grips->ControlOrigin();
    r = {r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y};
  }
  base->Invalidate(r, false);
}

TCommonObj *TDrawExe::Tracer() {
  TCommonObj *linked = FSelf->GetLinkedObj();
  return linked && linked->Param.ActType.Contains(awTrace) ? linked : nullptr;
}

void TDrawExe::RotateTracer(TCommonObj *aTracer, double aAngle, TRealPoint aCenter) {
  const TRealPoint start = aTracer->BCenter();
  const double steps = std::trunc(aAngle / kTraceStep);
  const int n = steps > 0 ? int(std::min(steps, kMaxTraceSteps)) : 0;
  for (int i = 0; i < n; ++i) {
    const TRealPoint c = aTracer->BCenter();
    aTracer->Move(SubRealPoint(RotateRealPoint(c, aCenter, kTraceStep), c), TShiftState{ssRight});
  }
  const TRealPoint c = aTracer->BCenter();
  aTracer->Move(SubRealPoint(RotateRealPoint(start, aCenter, aAngle), c), TShiftState{ssRight});
  if (TCustomMaker *maker = aTracer->Maker()) maker->Invalidate(false);
}

} // namespace lumora
