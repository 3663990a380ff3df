#include "core/drawable/RepreContnr.h"

#include <algorithm>
#include <array>

#include "core/model/CustomMaker.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/support/RectOps.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/system/Exception.h"

namespace lumora {

// ---- TRepreContnr ----

void TRepreContnr::DrawObj(TCanvas &aCanvas) {
  DrawObj(aCanvas, FPolygon);
}

void TRepreContnr::ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double) {
  DrawObj(aCanvas, aPolygon);
}

void TRepreContnr::DrawDragImage(TCanvas &aCanvas, const TGrabRect &aRect) {
  if (aRect.size() < 4) return;
  std::array<TPoint, 5> points;
  for (size_t i = 0; i < 4; ++i)
    points[i] = RealPointToPoint(aRect[i]);
  points[4] = points[0];
  aCanvas.Polyline(points);
}

void TRepreContnr::Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) {
  if (!FPolygon.empty()) {
    const TRealPoint d = aRelative ? aOffset : SubRealPoint(aOffset, FPolygon[0]);
    for (TRealPoint &p : FPolygon)
      p = AddRealPoint(p, d);
  }
  TRepreCompo::Move(aOffset, aVList, aRelative);
}

void TRepreContnr::ReMake() {
  TRepreCompo::ReMake();
  if (FMaker) FMaker->Update();
}

bool TRepreContnr::RemoveObj(TCommonObj *&) {
  return true;
}

int TRepreContnr::AnchorGrab(int pGrab) {
  switch (pGrab) {
  case 0:
    return 2;
  case 2:
    return 0;
  case 1:
    return 3;
  case 3:
    return 1;
  case 4:
    return 5;
  case 5:
    return 4;
  case 6:
    return 7;
  case 7:
    return 6;
  default:
    return -1;
  }
}

TGrabRect TRepreContnr::FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int) {
  TGrabRect r = pDragRect;
  if (pNo >= 0 && size_t(pNo) < r.size())
    r[size_t(pNo)] = AddRealPoint(r[size_t(pNo)], PointToRealPoint(pOffset));
  return r;
}

void TRepreContnr::GrabToPolygon(std::span<const TRealPoint> aGrab) {
  FPolygon.assign(aGrab.begin(), aGrab.end());
}

void TRepreContnr::PolygonToGrab(std::span<TRealPoint> aGrab) {
  const size_t n = std::min(aGrab.size(), FPolygon.size());
  std::copy_n(FPolygon.begin(), n, aGrab.begin());
}

bool TRepreContnr::TakeColor(TPoint, TColor pColor, bool &pMore) {
  Param.FaceColor = pColor;
  pMore = true;
  return true;
}

bool TRepreContnr::IsCreateEnd(TMouseButton pButton, int pSequence, std::span<TRealPoint> pRect,
                               TPoint pNew) {
  if (pSequence >= 1) {
    const int b = ActiveGrab(pSequence);
    if (b < 0 || size_t(b) >= pRect.size()) return false;
    TPoint offset = SubPoint(RealPointToPoint(pRect[size_t(b)]), pNew);
    return CheckForm(b, pRect, offset);
  }
  return pButton == mbRight;
}

// ---- TExContnr ----

TExContnr::TExContnr(const TObjParam &aParam) : TRepreContnr(aParam) {}

TExContnr::~TExContnr() {
  FMaker.reset();
}

std::unique_ptr<TAbObjectPool> TExContnr::NewPool() const {
  return std::make_unique<TOwnedObjPool>();
}

void TExContnr::CreateMode(TSysMode) {
  FMaker = std::make_unique<TExContnrMake>(this);
}

TRect TExContnr::GetBoundsRect() const {
  TRect r;
  for (TCommonObj *child : Children())
    r = UnionRect(r, child->BoundsRect());
  return r;
}

bool TExContnr::RemoveObj(TCommonObj *&) {
  throw Exception(QStringLiteral("不正削除"));
}

// ---- Makers ----

void TRepreMake::Update() {
  BeginCanvas();
  DrawSelf(*FMetaCan);
  EndCanvas();
}

void TExContnrMake::Paint(TCanvas &aCanvas) {
  if (FSelf) FSelf->Paint(aCanvas);
}

void TExContnrMake::SetCenter() {
  auto *owner = dynamic_cast<TCustomCompo *>(FSelf);
  if (!owner) return;
  TRect r;
  if (TAbObjectPool *pool = owner->Pool())
    for (TCommonObj *child : *pool)
      if (child && child != owner) r = UnionRect(r, child->BoundsRect());
  owner->SetBoundsRect(r);
}

void TExContnrMake::Update() {
  EndCanvas();
}

// ---- Shared operations ----

void SetPenBrush(TCanvas &aCanvas, const TObjParam &aParam) {
  TPen &pen = aCanvas.Pen();
  if (aParam.LineColor == clNone) {
    pen.SetStyle(psClear);
  } else {
    pen.SetStyle(psSolid);
    pen.SetColor(aParam.LineColor);
    pen.SetWidth(aParam.Width);
  }
  TBrush &brush = aCanvas.Brush();
  if (aParam.Coating) {
    brush.SetStyle(bsSolid);
    brush.SetColor(aParam.FaceColor);
  } else {
    brush.SetStyle(bsClear);
  }
}

bool IsInAnimator(TCommonObj *aObj, TCommonObj *aAnimator) {
  if (aAnimator) return aAnimator->IndexOf(aObj) >= 0;
  TCommonObj *root = TMakeInfo2::Get().Root();
  if (!root || !root->Pool()) return false;
  for (TCommonObj *obj : *root->Pool())
    if (obj && obj->ObjInfo().ActType.Contains(awAnimate) && obj->IndexOf(aObj) >= 0) return true;
  return false;
}

} // namespace lumora
