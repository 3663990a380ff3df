#include "core/model/Link.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <unordered_set>

#include "core/model/CommonObj.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomCompo.h"
#include "core/model/ObjPool.h"
#include "core/support/RectOps.h"
#include "platform/graphics/Canvas.h"

namespace lumora {

namespace {

const QString kTrayKind = QStringLiteral("OBJ台");
const QString kConductorKind = QStringLiteral("伝送路");

// The canvas the rubber line of the link gesture is drawn on: the page
// window's; null without one.
TCanvas *LinkCanvas() {
  return TCoreContext::Started() ? TCoreContext::Get().ScreenCanvas() : nullptr;
}

// The rectangle spanned by two points; a side of no width (or height)
// counts as one pixel.
TRect SpannedRect(TPoint a, TPoint b) {
  TRect r{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
  if (r.Left == r.Right) ++r.Right;
  if (r.Top == r.Bottom) ++r.Bottom;
  return r;
}

// Whether aObj is a composite holding aPartner somewhere in its tree.
bool HoldsPartner(TCommonObj *aObj, TCommonObj *aPartner) {
  auto *compo = dynamic_cast<TCustomCompo *>(aObj);
  return compo && compo->IndexOf(aPartner) >= 0;
}

} // namespace

// ---- TConcretaLink ----

TConcretaLink::TConcretaLink(TCommonObj *aSelf, TLinkDrawClass aLinkDrawClass)
    : FLinkDrawClass(aLinkDrawClass ? aLinkDrawClass : &MakeLinkDrawer<TDrawLinkIt>), FSelf(aSelf) {
}

void TConcretaLink::DrawDragLine(TCanvas &aCanvas, const TRealPoint &aFrom) {
  if (FLinkPos.X < 0 || FLinkPos.Y < 0) return;
  aCanvas.MoveTo(Round(aFrom.rx), Round(aFrom.ry));
  aCanvas.LineTo(FLinkPos.X, FLinkPos.Y);
}

TAbObjPool *TConcretaLink::GetPartners() {
  return FSelf->ListPool();
}

void TConcretaLink::DragLinkLine(int aX, int aY) {
  TCanvas *canvas = LinkCanvas();
  if (!canvas) {
    FLinkPos = {aX, aY};
    return;
  }
  TPen &pen = canvas->Pen();
  pen.SetStyle(psSolid);
  pen.SetMode(pmNotXor);
  pen.SetWidth(1);
  pen.SetColor(FColor);
  const TRealPoint from = FSelf->BCenter();
  DrawDragLine(*canvas, from); // not-XOR: drawing the old segment again erases it
  FLinkPos = {aX, aY};
  DrawDragLine(*canvas, from);
}

TRect TConcretaLink::DrawLinkLine(TCanvas &aCanvas, const TRect &aClipRect) {
  TLink *own = FSelf->GetLink();
  if (own && own->LinkDrawing) return {};
  TRect result{INT_MAX, INT_MAX, 0, 0};
  const std::unique_ptr<TLinkedObjIterator> walker = FLinkDrawClass(FSelf, aCanvas, aClipRect);
  while (walker->HasNext()) {
    if (walker->DrawLink()) continue; // the partner is drawing further up the chain
    TCommonObj *partner = walker->Link();
    TLink *link = partner->GetLink();
    if (link && partner->GetLinkedObj()) {
      const TRect drawn = link->DrawLinkLine(aCanvas, walker->ClipRect());
      result = UnionRect(result, UnionRect(drawn, walker->ClipRect()));
    }
  }
  return UnionRect(result, walker->ClipRect());
}

void TConcretaLink::ClearPartners() {
  if (TAbObjPool *pool = GetPartners()) pool->Clear();
}

// ---- TSingleLink ----

TCommonObj *TSingleLink::GetLink(int id) {
  return id == 0 ? GetLinkedObj() : nullptr;
}

void TSingleLink::SetLink(int, TCommonObj *Value) {
  SetLinkedObj(Value);
}

TCommonObj *TSingleLink::GetLinkedObj() {
  TAbObjPool *pool = GetPartners();
  return pool && pool->Count() > 0 ? pool->Items(0) : nullptr;
}

void TSingleLink::SetLinkedObj(TCommonObj *Value) {
  if (!Value) {
    ClearPartners();
    return;
  }
  if (!GetLinkedObj()) {
    FSelf->AddObj(Value);
    return;
  }
  GetPartners()->SetParts(0, Value);
}

bool TSingleLink::IsLinked(TCommonObj *aObj) {
  TCommonObj *partner = GetLinkedObj();
  if (!partner || !aObj) return false;
  return aObj == partner || HoldsPartner(aObj, partner);
}

bool TSingleLink::CanLink(TCommonObj *aObj) {
  if (!aObj) return false;
  TCommonObj *partner = GetLinkedObj();
  return !partner || aObj == partner;
}

void TSingleLink::AddLink(TCommonObj *aObj) {
  SetLinkedObj(aObj);
}

void TSingleLink::RemoveLink(TCommonObj *aObj) {
  if (IsLinked(aObj)) ClearPartners();
}

int TSingleLink::LinkCount() {
  return GetLinkedObj() ? 1 : 0;
}

// ---- TMultiLink ----

TCommonObj *TMultiLink::GetLink(int i) {
  return i >= 0 && i < LinkCount() ? GetPartners()->Items(i) : nullptr;
}

void TMultiLink::SetLink(int i, TCommonObj *Value) {
  if (i < 0 || !Value) return;
  if (i < LinkCount())
    GetPartners()->Insert(i, Value);
  else
    AddLink(Value);
}

TCommonObj *TMultiLink::GetLinkedObj() {
  const int n = LinkCount();
  return n > 0 ? GetPartners()->Items(n - 1) : nullptr;
}

void TMultiLink::SetLinkedObj(TCommonObj *Value) {
  AddLink(Value);
}

bool TMultiLink::IsLinked(TCommonObj *aObj) {
  if (!aObj || LinkCount() == 0) return false;
  for (TCommonObj *partner : *GetPartners())
    if (partner == aObj || HoldsPartner(aObj, partner)) return true;
  return false;
}

bool TMultiLink::DoLink(TCommonObj *aObj) {
  const bool r = CanLink(aObj);
  if (r) {
    if (IsLinked(aObj))
      RemoveLink(aObj);
    else
      AddLink(aObj);
  }
  return r;
}

void TMultiLink::AddLink(TCommonObj *aObj) {
  if (!aObj) return;
  TAbObjPool *pool = GetPartners();
  if (!pool || pool->IndexOf(aObj) < 0) FSelf->AddObj(aObj);
}

void TMultiLink::RemoveLink(TCommonObj *pObj) {
  if (!pObj || LinkCount() == 0) return;
  TAbObjPool *pool = GetPartners();
  TCommonObj *target = pool->IndexOf(pObj) >= 0 ? pObj : nullptr;
  if (!target)
    for (TCommonObj *partner : *pool)
      if (HoldsPartner(pObj, partner)) {
        target = partner;
        break;
      }
  if (target) pool->Extract(target);
}

int TMultiLink::LinkCount() {
  TAbObjPool *pool = GetPartners();
  return pool ? pool->Count() : 0;
}

// ---- TDrawLinkIt ----

TDrawLinkIt::TDrawLinkIt(TCommonObj *aObj, TCanvas &aCanvas, const TRect &aClipRect)
    : TLinkedObjIterator(aObj, aClipRect), FCanvas(aCanvas) {
  if (TLink *link = FObj->GetLink()) link->LinkDrawing = true;
}

TDrawLinkIt::~TDrawLinkIt() {
  if (TLink *link = FObj->GetLink()) link->LinkDrawing = false;
}

bool TDrawLinkIt::HasNext() {
  TLink *own = FObj->GetLink();
  FinedObj = own ? own->GetLink(FId) : nullptr;
  if (!FinedObj) {
    if (FObj->ObjInfo().Name != kTrayKind) return false;
    // A tray goes on over its remaining members, passing conductors by.
    TAbObjectPool *pool = FObj->Pool();
    const int n = pool ? pool->Count() : 0;
    for (int k = FId; k < n; ++k) {
      TCommonObj *member = pool->Items(k);
      if (member->ObjInfo().Name == kConductorKind) continue;
      FinedObj = member;
      FId = k + 1;
      return true;
    }
    return false;
  }
  TLink *partnerLink = FinedObj->GetLink();
  // A partner that links back to the owner as a trace or a tray ends the
  // walk here.
  const bool linksBack = partnerLink && partnerLink->GetLinkedObj() == FObj;
  if (linksBack &&
      (FinedObj->Param.ActType.Contains(awTrace) || FinedObj->ObjInfo().ActType.Contains(awTray)))
    return false;
  ++FId;
  return partnerLink != nullptr;
}

bool TDrawLinkIt::DrawLink() {
  TLink *partnerLink = FinedObj ? FinedObj->GetLink() : nullptr;
  if (!partnerLink) return false;
  DrawLinkArrow();
  return partnerLink->LinkDrawing;
}

void TDrawLinkIt::DrawLinkArrow() {
  if (!FinedObj || FinedObj == FObj) return;
  const TFormType form = FObj->ObjInfo().FormType;
  TColor color = TColor(0x0000FF); // red
  if (form.Contains(otAction) || form.Contains(otLink))
    color = TColor(0xFF0000); // blue
  else if (form.Contains(otEvent))
    color = 0; // black
  TPen &pen = FCanvas.Pen();
  pen.SetStyle(psSolid);
  pen.SetMode(pmCopy);
  pen.SetWidth(1);
  pen.SetColor(color);
  FCanvas.Brush().SetStyle(bsSolid);
  FCanvas.Brush().SetColor(color);

  const TPoint a = RealPointToPoint(FObj->LinkPos());
  const TPoint b = RealPointToPoint(FinedObj->LinkPos());
  FCanvas.MoveTo(a.X, a.Y);
  FCanvas.LineTo(b.X, b.Y);
  const std::array<TPoint, 3> head = ArrowHeadPoints(MakeLine(a, b), 14, 15);
  FCanvas.Polygon(head);
  FClipRect = UnionRect(FClipRect, SpannedRect(a, b));

  if (!form.Contains(otLink)) return;
  // FId has already passed the partner: the first partner is "1".
  const int h = std::abs(FCanvas.Font().Height());
  const TPoint p{b.X + (a.X < b.X ? -1 : -(h / 2)), b.Y + (a.Y < b.Y ? -1 : -h)};
  FCanvas.Brush().SetColor(clWhite);
  FCanvas.TextOut(p.X, p.Y, QString::number(FId));
  FClipRect = UnionRect(FClipRect, SpannedRect(p, {p.X + h, p.Y + h}));
}

// ---- Removal ----

namespace {

void RemoveLinksIn(TCommonObj *aNode, TCommonObj *aObj, std::unordered_set<TCommonObj *> &aSeen) {
  if (!aNode || aNode == aObj || !aSeen.insert(aNode).second) return;
  // The children are taken first: a container's link may let go of them.
  TObjList children;
  if (auto *compo = dynamic_cast<TCustomCompo *>(aNode); compo && compo->Pool())
    children.assign(compo->Pool()->begin(), compo->Pool()->end());
  if (TLink *link = aNode->GetLink()) {
    // A multi link lets go of one partner per call; a composite aObj may
    // hold several of them.
    while (link->IsLinked(aObj)) {
      const int before = link->LinkCount();
      link->RemoveLink(aObj);
      if (link->LinkCount() >= before) break;
    }
  }
  for (TCommonObj *child : children)
    RemoveLinksIn(child, aObj, aSeen);
}

} // namespace

void RemoveLinksTo(TCommonObj *aRoot, TCommonObj *aObj) {
  if (!aRoot || !aObj) return;
  std::unordered_set<TCommonObj *> seen;
  RemoveLinksIn(aRoot, aObj, seen);
}

} // namespace lumora
