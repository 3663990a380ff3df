#include "core/drawable/ActionObj.h"

#include <algorithm>

#include "core/model/CustomCompo.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "core/system/SysContext.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"

namespace lumora {

namespace {
// The connector circle's box relative to the port's anchor.
constexpr TRect kPortBox{0, -4, 9, 5};
} // namespace

// ---- TCustomActionObj ----

TCustomActionObj::TCustomActionObj(const TObjParam &aParam) {
  Param = aParam;
  FPolygon = {TRealPoint{0, 0}};
  FBoundsRect = {};
  FVisible = true;
}

void TCustomActionObj::AfterConstruction() {
  TActionObj::AfterConstruction();
  Param.ObjName = ObjInfo().Name;
  InitGrabInfo();
  CreateMode(GetMakeInfo().SysMode);
}

void TCustomActionObj::SetAnchor(TRealPoint aPoint) {
  if (FPolygon.empty())
    FPolygon.push_back(aPoint);
  else
    FPolygon[0] = aPoint;
}

TRect TCustomActionObj::IconRect(TRealPoint aPoint) {
  // A point near the end of the Integer range (a corrupt record) keeps its
  // icon inside the range instead of overflowing.
  TPoint topLeft = RealPointToPoint({aPoint.rx - 18.5, aPoint.ry - 11.5});
  topLeft.X = std::min(topLeft.X, INT32_MAX - kIconWidth);
  topLeft.Y = std::min(topLeft.Y, INT32_MAX - kIconHeight);
  return {topLeft.X, topLeft.Y, topLeft.X + kIconWidth, topLeft.Y + kIconHeight};
}

void TCustomActionObj::DrawPorts(TCanvas &aCanvas, const TRect &aRect, bool aBottom, bool aTop) {
  const int x = aRect.Left + Round((aRect.Right - aRect.Left) / 2.0) - 5;
  const bool single = InheritsFrom(ObjClassOf<TSingleLinkAction>());
  const TColor brushColor = aCanvas.Brush().Color();
  if (!single) aCanvas.Brush().SetColor(kMultiPortColor);
  auto port = [&](int y) {
    aCanvas.Ellipse(kPortBox.Left + x, kPortBox.Top + y, kPortBox.Right + x, kPortBox.Bottom + y);
  };
  if (aTop) port(aRect.Top);
  if (aBottom) port(aRect.Bottom - 1);
  if (!single) aCanvas.Brush().SetColor(brushColor);
}

void TCustomActionObj::DrawObj(TCanvas &aCanvas, std::span<const TRealPoint>) {
  aCanvas.Pen().SetColor(Param.LineColor);
  const TRect r = IconRect(BCenter());
  DrawPorts(aCanvas, r, true, true);
  aCanvas.Rectangle(r);
}

void TCustomActionObj::DrawDragImage(TCanvas &aCanvas, const TGrabRect &aRect) {
  if (!aRect.empty()) aCanvas.Rectangle(IconRect(aRect[0]));
}

void TCustomActionObj::DragDraw(TCanvas &aCanvas, TGrabRect &aSave, const TGrabRect &aRect) {
  TPen &pen = aCanvas.Pen();
  pen.SetStyle(psSolid);
  pen.SetMode(pmNotXor);
  pen.SetWidth(2);
  pen.SetColor(TColor(0x808080));
  // A save at (0, 0) is the state before the first image: nothing to erase.
  if (!aSave.empty() && !(aSave[0].rx == 0 && aSave[0].ry == 0)) HideDragImage(aCanvas, aSave);
  if (aRect.empty()) return;
  DrawDragImage(aCanvas, aRect);
  aSave = {aRect[0]};
}

void TCustomActionObj::Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) {
  TActionObj::Move(aOffset, aVList, aRelative);
  Update();
}

void TCustomActionObj::Update() {
  if (FMaker) FMaker->SetCenter();
  ReMake();
  if (FMaker) FMaker->Invalidate(false);
}

void TCustomActionObj::ReMake() {
  if (FMaker) FMaker->Update();
}

void TCustomActionObj::Paint(TCanvas &aCanvas) {
  if (FMaker) FMaker->Paint(aCanvas);
}

void TCustomActionObj::ReMakeFrontObj(TCommonObj *aObjList, TObjList *aOverTopList) {
  GetMakeInfo().ReMakeFrontObj(this, aObjList, aOverTopList);
}

// ---- TSingleLinkAction ----

void TSingleLinkAction::SetLinkedId(int64_t aId) {
  if (aId > 0) {
    FTargetId = aId;
    return;
  }
  TCommonObj *linked = GetLinkedObj();
  FTargetId = linked ? linked->Id() : 0;
}

void TSingleLinkAction::SaveOption(TMetaStream &aStream) {
  // The block's text reference is always written as 0 and the text itself
  // follows the block, so ActParam is written as it is.
  lumora::WriteActParam(aStream, ActParam);
  if (FLink) {
    TCommonObj *linked = GetLinkedObj();
    aStream.WriteBuffer(int64_t(linked ? linked->Id() : 0));
  }
}

void TSingleLinkAction::LoadOption(TMetaStream &aStream) {
  lumora::ReadActParam(aStream, ActParam);
  if (FLink) aStream.ReadBuffer(FTargetId);
}

void TSingleLinkAction::LoadOption_Old(TMetaStream &aStream) {
  lumora::ReadOldActParam(aStream, ActParam);
  QString name;
  aStream.ReadBuffer(name);
  LinkedName = name;
}

// ---- TMultiLinkAction ----

void TMultiLinkAction::SaveOption(TMetaStream &aStream) {
  const int32_t n = std::min(FLink ? FLink->LinkCount() : 0, FPool ? FPool->Count() : 0);
  aStream.WriteBuffer(n);
  for (int32_t i = 0; i < n; ++i)
    aStream.WriteBuffer(int64_t(FPool->Items(i)->Id()));
}

void TMultiLinkAction::LoadOption(TMetaStream &aStream) {
  int32_t n = 0;
  aStream.ReadBuffer(n);
  // The count comes from the file: it must fit in what is left before the
  // array is sized.
  CheckReadable(aStream, n, 8);
  std::vector<int64_t> ids(size_t(n), 0);
  for (int64_t &id : ids)
    aStream.ReadBuffer(id);
  FTargetId = std::move(ids);
}

void TMultiLinkAction::UpdateLink(TCommonObj *aCompo) {
  if (!aCompo) aCompo = this;
  auto *compo = dynamic_cast<TCustomCompo *>(aCompo);
  for (const int64_t id : FTargetId) {
    if (id <= 0) continue;
    TCommonObj *found = nullptr;
    if (compo)
      found = compo->GetObjs(id);
    else if (aCompo->Pool())
      found = aCompo->Pool()->GetObjs(id);
    if (found) AddObj(found);
  }
  FTargetId.clear();
}

void TMultiLinkAction::WriteActParam(TMetaStream &aStream) {
  lumora::WriteActParam(aStream, ActParam);
}

void TMultiLinkAction::ReadActParam(TMetaStream &aStream) {
  lumora::ReadActParam(aStream, ActParam);
}

// ---- TActMake ----

TActMake::TActMake(TCommonObj *aSelf)
    : TMakeObj(aSelf),
      FSysMode(TSysContext::Started() ? SysInfo().SysMode() : TMakeInfo2::Get().SysMode) {
  if (FSysMode != smExec) TMakeObj::Open();
}

void TActMake::Open() {
  if (FInfo->SysMode != smExec) TMakeObj::Open();
}

void TActMake::Paint(TCanvas &aCanvas) {
  if (FInfo->SysMode != smExec) TMakeObj::Paint(aCanvas);
}

void TActMake::Update() {
  if (FSysMode == smExec) return;
  BeginCanvas();
  DrawSelf(*FMetaCan);
  EndCanvas();
}

void TActMake::Invalidate(bool aEraseBack) {
  if (FInfo->SysMode == smExec || !FInfo->Base || !FSelf) return;
  const int w = FSelf->Param.Width / 2;
  TRect r = FSelf->BoundsRect();
  r = {r.Left - (w + 1), r.Top - (w + 5), r.Right + (w + 1), r.Bottom + (w + 5)};
  FInfo->Base->Invalidate(r, aEraseBack);
}

void TActMake::SetCenter() {
  auto *owner = dynamic_cast<TCustomActionObj *>(FSelf);
  if (!owner || owner->Polygon().empty()) return;
  const TRealPoint p = owner->Polygon()[0];
  owner->SetBCenter(p);
  owner->SetBoundsRect(owner->IconRect(p));
}

void TActMake::ReMake(const TGrabRect &aGrab) {
  auto *owner = dynamic_cast<TCustomActionObj *>(FSelf);
  if (owner && !aGrab.empty()) owner->SetAnchor(aGrab[0]);
  SetCenter();
  Update();
  Invalidate(false);
}

// ---- TActLink ----

bool TActLink::CanLink(TCommonObj *aObj) {
  return aObj && !dynamic_cast<TActionObj *>(aObj) && !aObj->ObjInfo().ActType.Contains(awCustom);
}

bool TActLink::DoLink(TCommonObj *aObj) {
  if (!aObj) return false;
  if (IsLinked(aObj)) {
    RemoveLink(aObj);
    return CanLink(aObj);
  }
  if (!GetLinkedObj()) {
    SetLinkedObj(aObj);
    return true;
  }
  return CanLink(aObj);
}

// ---- TActEx ----

bool TActEx::IsCircuitEnd(TCircuit &aCircuit, TCommonObj *) {
  if (FSelf && FSelf->GetLinkedObj() && aCircuit && aCircuit->size() < kMaxCircuit &&
      std::find(aCircuit->begin(), aCircuit->end(), FSelf) == aCircuit->end())
    return false;
  aCircuit.reset();
  return true;
}

} // namespace lumora
