#include "core/model/LeafObj.h"

#include <climits>
#include <cmath>

#include "core/model/CustomCompo.h"
#include "core/model/CustomMaker.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/support/AbstractError.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

namespace lumora {

// ---- TLeafObj ----

void TLeafObj::Move(TRealPoint aOffset) {
  Move(aOffset, nullptr, true);
}

void TLeafObj::Move(TRealPoint aOffset, TShiftState) {
  Move(aOffset, nullptr, true);
}

void TLeafObj::Move(TRealPoint aOffset, TObjList *, bool aRelative) {
  if (FPolygon.empty()) return;
  const TRealPoint d = aRelative ? aOffset : SubRealPoint(aOffset, FPolygon[0]);
  for (TRealPoint &p : FPolygon)
    p = AddRealPoint(p, d);
}

void TLeafObj::Scaling(double aRate, TRealPoint aOrg) {
  if (std::isnan(aRate) || aRate < -100) aRate = -100;
  for (TRealPoint &p : FPolygon)
    p = {aOrg.rx + aRate * (p.rx - aOrg.rx), aOrg.ry + aRate * (p.ry - aOrg.ry)};
}

TCommonObj *TLeafObj::Search(TRealPoint aPos, TSearch aKind) {
  return PtinSelf(aPos, aKind) ? this : nullptr;
}

bool TLeafObj::TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) {
  if (!IsUnder(aObj)) return false;
  if (aZoom != 1)
    ZoomDraw(aCanvas, aZoom, -aPoint.X, -aPoint.Y);
  else if (TGraphic *graphic = Graphic())
    aCanvas.Draw(-aPoint.X, -aPoint.Y, *graphic);
  return true;
}

TCommonObj *FindLinkTarget(TCommonObj *aCompo, int64_t aId) {
  if (auto *compo = dynamic_cast<TCustomCompo *>(aCompo)) return compo->GetObjs(aId);
  return aCompo->Pool() ? aCompo->Pool()->GetObjs(aId) : nullptr;
}

void TLeafObj::UpdateLink(TCommonObj *aCompo) {
  const int64_t id = GetLinkedId();
  if (id <= 0) return;
  TCommonObj *found = FindLinkTarget(aCompo ? aCompo : this, id);
  if (found) SetLinkedObj(found);
}

void TLeafObj::UpdateLinkId() {
  TCommonObj *linked = GetLinkedObj();
  SetLinkedId(linked ? linked->Id() : 0);
}

void TLeafObj::Update() {
  AbstractCall("TLeafObj::Update");
}

// ---- TActionObj ----

void TActionObj::DrawObj(TCanvas &aCanvas) {
  DrawObj(aCanvas, FPolygon);
}

TCommonObj *TActionObj::Search(TRealPoint aPos, TSearch aKind) {
  if (GetMakeInfo().SysMode == smExec) return nullptr;
  return TLeafObj::Search(aPos, aKind);
}

// ---- TRepreLeaf ----

TRepreLeaf::TRepreLeaf(const TObjParam &aParam) {
  FRCenter = {0, 0};
  Param = aParam;
}

void TRepreLeaf::AfterConstruction() {
  TLeafObj::AfterConstruction();
  InitGrabInfo();
  CreateMode(GetMakeInfo().SysMode);
}

void TRepreLeaf::LoadOption(TMetaStream &) {}
void TRepreLeaf::LoadOption_Old(TMetaStream &aStream) {
  LoadOption(aStream);
}

void TRepreLeaf::DrawObj(TCanvas &aCanvas) {
  DrawObj(aCanvas, FPolygon);
  DrawCenterCross(aCanvas);
}

void TRepreLeaf::Paint(TCanvas &aCanvas) {
  if (FMaker) FMaker->Paint(aCanvas);
}

void TRepreLeaf::DrawCenterCross(TCanvas &) {
  AbstractCall("TRepreLeaf::DrawCenterCross");
}
TRealPoint TRepreLeaf::AdsorbPoint() {
  return {double(INT_MAX), double(INT_MAX)};
}

void TRepreLeaf::AdsorbFrom(TRealPoint aPoint, IRepresent *aObj) {
  TCommonObj::AdsorbFrom(aPoint, aObj);
}

void TRepreLeaf::UnAdsorbFrom(int aKind, TRealPoint aPoint, IRepresent *aObj) {
  TCommonObj::UnAdsorbFrom(aKind, aPoint, aObj);
}

int TRepreLeaf::OppositeGrab(int) {
  AbstractCall("TRepreLeaf::OppositeGrab");
}
int TRepreLeaf::OutlinePoints(std::span<TRealPoint>) {
  AbstractCall("TRepreLeaf::OutlinePoints");
}
TCursor TRepreLeaf::Cursor(int, int) {
  return 0;
}
int TRepreLeaf::CreateAnchorGrab() {
  AbstractCall("TRepreLeaf::CreateAnchorGrab");
}
double TRepreLeaf::GetObjAngle() {
  AbstractCall("TRepreLeaf::GetObjAngle");
}
void TRepreLeaf::SetObjAngle(double) {
  AbstractCall("TRepreLeaf::SetObjAngle");
}

void TRepreLeaf::SetPolygon(std::span<const TRealPoint> aObjRect) {
  FPolygon.assign(aObjRect.begin(), aObjRect.end());
}

void TRepreLeaf::ZMDrawObj(TCanvas &, std::span<const TRealPoint>, double) {
  AbstractCall("TRepreLeaf::ZMDrawObj");
}

void TRepreLeaf::ZoomPolygon(long double) {
  AbstractCall("TRepreLeaf::ZoomPolygon");
}

bool TRepreLeaf::PtInObj(TPoint pPoint) {
  const TRect r = RealPointsBounds(FPolygon);
  const TRect grown{r.Left - 5, r.Top - 5, r.Right + 5, r.Bottom + 5};
  return grown.Contains(pPoint);
}

bool TRepreLeaf::CheckForm(int, std::span<const TRealPoint>, TPoint &) {
  AbstractCall("TRepreLeaf::CheckForm");
}

TGrabRect TRepreLeaf::FormatGrab(int, TPoint, const TGrabRect &, int) {
  AbstractCall("TRepreLeaf::FormatGrab");
}

void TRepreLeaf::GrabToPolygon(std::span<const TRealPoint>) {
  AbstractCall("TRepreLeaf::GrabToPolygon");
}

void TRepreLeaf::PolygonToGrab(std::span<TRealPoint>) {
  AbstractCall("TRepreLeaf::PolygonToGrab");
}

int TRepreLeaf::GetPolygon(std::span<TRealPoint> pObjRect) {
  if (pObjRect.size() < FPolygon.size()) return 0;
  std::copy(FPolygon.begin(), FPolygon.end(), pObjRect.begin());
  return int(FPolygon.size());
}

int TRepreLeaf::AnchorGrab(int) {
  AbstractCall("TRepreLeaf::AnchorGrab");
}
int TRepreLeaf::ActiveGrab(int) {
  AbstractCall("TRepreLeaf::ActiveGrab");
}
bool TRepreLeaf::TakeColor(TPoint, TColor, bool &) {
  AbstractCall("TRepreLeaf::TakeColor");
}

bool TRepreLeaf::IsCreateEnd(TMouseButton, int, std::span<TRealPoint>, TPoint) {
  AbstractCall("TRepreLeaf::IsCreateEnd");
}

int TRepreLeaf::MinGrabs() {
  AbstractCall("TRepreLeaf::MinGrabs");
}

void TRepreLeaf::Rotate(double aAngle, std::span<TRealPoint> aPoints) {
  if (aPoints.empty())
    RotateRealPoints(FPolygon, FRCenter, aAngle);
  else
    RotateRealPoints(aPoints, FRCenter, aAngle);
}

double TRepreLeaf::RotateAngle(int, TRealPoint, TGrabRect &) {
  AbstractCall("TRepreLeaf::RotateAngle");
}

TRealPoint TRepreLeaf::RotateCenter(int, TRealPoint) {
  AbstractCall("TRepreLeaf::RotateCenter");
}

void TRepreLeaf::ClearDraw_(TCanvas *aCanvas, TPoint aOffset, double aZoom) {
  TCommonObj::ClearDraw_(aCanvas, aOffset, aZoom);
}

void TRepreLeaf::ReverseObj() {
  AbstractCall("TRepreLeaf::ReverseObj");
}
void TRepreLeaf::TurnUpside() {
  AbstractCall("TRepreLeaf::TurnUpside");
}

} // namespace lumora
