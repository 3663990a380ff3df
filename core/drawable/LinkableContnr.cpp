#include "core/drawable/LinkableContnr.h"

#include <algorithm>
#include <cstdint>

#include "core/model/CustomMaker.h"
#include "core/model/LeafObj.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Metafile.h"

namespace lumora {

namespace {
// The connector circle's box relative to the port's anchor.
constexpr TRect kPortBox{0, -4, 9, 5};

// Whether taking aObj among aContainer's children would put the container
// inside itself: aObj is the container or a composite that holds it. Such a
// loop would make every later walk over the children (saving, painting,
// searching) run forever.
bool WouldNest(TCommonObj *aContainer, TCommonObj *aObj) {
  if (aObj == aContainer) return true;
  auto *compo = dynamic_cast<TCustomCompo *>(aObj);
  return compo && compo->IndexOf(aContainer) >= 0;
}
} // namespace

// ---- TLinkableContnr ----

TLinkableContnr::TLinkableContnr(const TObjParam &aParam) : TCustomCompo(aParam) {
  FPolygon = {TRealPoint{0, 0}};
  FBoundsRect = {0, 0, 0, 0};
  FVisible = true;
}

void TLinkableContnr::AfterConstruction() {
  TCustomCompo::AfterConstruction();
  TCommonObj::InitGrabInfo();
}

void TLinkableContnr::SetAnchor(TRealPoint aPoint) {
  if (FPolygon.empty())
    FPolygon.push_back(aPoint);
  else
    FPolygon[0] = aPoint;
}

TCommonObj *TLinkableContnr::GetLinkedObj() {
  return FLink ? FLink->GetLinkedObj() : nullptr;
}

void TLinkableContnr::SetLinkedObj(TCommonObj *aObj) {
  if (FLink) FLink->SetLinkedObj(aObj);
}

void TLinkableContnr::DrawDragImage(TCanvas &aCanvas, const TGrabRect &aRect) {
  if (!aRect.empty()) aCanvas.Rectangle(GetFrameRect(aRect[0]));
}

void TLinkableContnr::DrawObj(TCanvas &aCanvas) {
  DrawObj(aCanvas, FPolygon);
  TCustomCompo::DrawObj(aCanvas);
}

void TLinkableContnr::Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) {
  const TRealPoint anchor = Anchor();
  SetAnchor(aRelative ? AddRealPoint(anchor, aOffset) : aOffset);
  if (FMaker) {
    FMaker->SetCenter();
    FMaker->Update();
    FMaker->Invalidate(false);
  }
  TCustomCompo::Move(aOffset, aVList, aRelative);
}

void TLinkableContnr::ReMake() {
  if (FMaker) FMaker->Update();
  TCustomCompo::ReMake();
}

void TLinkableContnr::Paint(TCanvas &aCanvas) {
  if (FMaker) FMaker->Paint(aCanvas);
  TCustomCompo::Paint(aCanvas);
}

// ---- TActContnr ----

TObjInfo TActContnr::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = 5400;
  info.ClassName = QStringLiteral("アクション");
  info.Name = QStringLiteral("Nullアクション");
  info.FormType = {otAction};
  info.ActType = {awAction};
  info.Caption = QStringLiteral("テスト");
  info.Hint = QStringLiteral("表示/非表示/移動などを行う");
  info.FilePath = QStringLiteral("func_action.jpg");
  return info;
}

TObjParam TActContnr::DefaultParam() {
  TObjParam param;
  param.Layer = 10;
  param.Priority = 30;
  param.Rocking = false;
  param.ActType = {awAction};
  param.Width = 1;
  param.Grabs = 0;
  param.LineColor = 0;
  param.FaceColor = clNone;
  param.Transparency = 0;
  param.Coating = false;
  return param;
}

TActContnr::TActContnr() : TActContnr(DefaultParam()) {}

TActContnr::TActContnr(const TObjParam &aParam) : TLinkableContnr(aParam) {}

TActContnr::~TActContnr() {
  FLink.reset();
  FMaker.reset();
}

void TActContnr::SetLinkedId(int64_t aId) {
  if (aId > 0) {
    FTargetId = aId;
    return;
  }
  TCommonObj *linked = GetLinkedObj();
  FTargetId = linked ? linked->Id() : 0;
}

void TActContnr::CreateMode(TSysMode) {
  FMaker = std::make_unique<TActContnrMake>(this);
}

TRect TActContnr::GetFrameRect(const TRealPoint &aCenter) {
  // Kept inside the Integer range for a centre at its end.
  const int left = std::min(RoundReal(aCenter.rx - 18.5), INT32_MAX - kFrameWidth);
  const int top = std::min(RoundReal(aCenter.ry - 11.5), INT32_MAX - kFrameHeight);
  return {left, top, left + kFrameWidth, top + kFrameHeight};
}

void TActContnr::DrawObj(TCanvas &aCanvas) {
  DrawObj(aCanvas, FPolygon);
}

void TActContnr::DrawObj(TCanvas &aCanvas, std::span<const TRealPoint>) {
  aCanvas.Pen().SetColor(Param.LineColor);
  aCanvas.Pen().SetWidth(1);
  aCanvas.Rectangle(GetFrameRect(BCenter()));
}

void TActContnr::DrawFrame(TCanvas &aCanvas, bool aTop, bool aBottom) {
  const TRect r = GetFrameRect(BCenter());
  const int x = r.Left + Round((r.Right - r.Left) / 2.0) - 5;
  auto port = [&](int y) {
    aCanvas.Ellipse(kPortBox.Left + x, kPortBox.Top + y, kPortBox.Right + x, kPortBox.Bottom + y);
  };
  if (aTop) port(r.Top);
  if (aBottom) port(r.Bottom - 1);
  aCanvas.Rectangle(r);
}

TCommonObj *TActContnr::Search(TRealPoint aPos, TSearch aKind) {
  return PtinSelf(aPos, aKind) ? this : nullptr;
}

bool TActContnr::RemoveObj(TCommonObj *&) {
  return true;
}

void TActContnr::ReMakeFrontObj(TCommonObj *aObjList, TObjList *aOverTopList) {
  GetMakeInfo().ReMakeFrontObj(this, aObjList, aOverTopList);
}

bool TActContnr::TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) {
  if (GetMakeInfo().SysMode == smExec) return false;
  const bool under = IsUnder(aObj);
  if (under && aZoom == 1)
    if (TGraphic *graphic = Graphic()) aCanvas.Draw(-aPoint.X, -aPoint.Y, *graphic);
  return under;
}

void TActContnr::UpdateLink(TCommonObj *aCompo) {
  const int64_t id = GetLinkedId();
  if (id <= 0) return;
  TCommonObj *found = FindLinkTarget(aCompo ? aCompo : this, id);
  if (found && !WouldNest(this, found)) SetLinkedObj(found);
}

void TActContnr::SaveOption(TMetaStream &aStream) {
  WriteActParam(aStream, ActParam);
  if (FLink) {
    TCommonObj *linked = GetLinkedObj();
    aStream.WriteBuffer(int64_t(linked ? linked->Id() : 0));
  }
}

void TActContnr::LoadOption(TMetaStream &aStream) {
  ReadActParam(aStream, ActParam);
  // A block that ends after the action record keeps the id as it was.
  if (FLink && Readable(aStream, 1)) aStream.ReadBuffer(FTargetId);
}

// ---- TActContnrMake ----

void TActContnrMake::Paint(TCanvas &aCanvas) {
  if (FInfo->SysMode == smExec) return;
  TMakeObj::Paint(aCanvas);
}

void TActContnrMake::ReMake(const TGrabRect &aGrab) {
  auto *owner = dynamic_cast<TLinkableContnr *>(FSelf);
  if (owner && !aGrab.empty()) owner->SetAnchor(aGrab[0]);
  SetCenter();
  Update();
  Invalidate(false);
}

void TActContnrMake::SetCenter() {
  if (auto *owner = dynamic_cast<TLinkableContnr *>(FSelf))
    owner->SetBoundsRect(owner->GetFrameRect(owner->Anchor()));
}

void TActContnrMake::Update() {
  BeginCanvas();
  DrawSelf(*FMetaCan);
  EndCanvas();
}

// ---- TContnrLink ----

bool TContnrLink::CanLink(TCommonObj *aObj) {
  return TSingleLink::CanLink(aObj) && !aObj->ObjInfo().FormType.Contains(otComplex) &&
         aObj->ICan(atShow) && !WouldNest(FSelf, aObj);
}

bool TContnrLink::DoLink(TCommonObj *aObj) {
  if (!aObj) return false;
  const bool r = CanLink(aObj);
  if (IsLinked(aObj)) {
    RemoveLink(GetLinkedObj());
    return r;
  }
  if (!GetLinkedObj()) {
    if (WouldNest(FSelf, aObj)) return false;
    FSelf->SetLinkedObj(aObj);
    return true;
  }
  return r;
}

} // namespace lumora
