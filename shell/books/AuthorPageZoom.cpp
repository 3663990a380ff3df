#include "shell/books/AuthorPageZoom.h"

#include <algorithm>
#include <cmath>

#include "core/book/LmCompo.h"
#include "core/book/MetaBook.h"
#include "core/model/CommonObj.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/model/ObjPool.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "shell/input/MouseHandler.h"

namespace lumora {

namespace {

constexpr long double kNoZoom = 0.0005L;

bool NearOne(long double aZoom) {
  return std::fabs(aZoom - 1.0L) <= kNoZoom;
}

TOpenAuthorPage *gOpener = nullptr;

// The objects of aCompo and of the book-file compounds in it; animated
// objects keep their own geometry.
void Collect(TCommonObj *aCompo, std::vector<TOrgObj> &aList) {
  if (!aCompo || !aCompo->Pool()) return;
  for (TCommonObj *obj : *aCompo->Pool()) {
    if (!obj || obj == aCompo) continue;
    if (!obj->Param.ActType.Contains(awAnimate)) aList.emplace_back(obj);
    if (dynamic_cast<TLmCompo *>(obj)) Collect(obj, aList);
  }
}

} // namespace

TOpenAuthorPage *AuthorPageOpener() {
  return gOpener;
}

void SetAuthorPageOpener(TOpenAuthorPage *aOpener) {
  gOpener = aOpener;
}

// ---- TOrgObj ----

TOrgObj::TOrgObj(TCommonObj *aObj) : fObj(aObj), fPolygon(aObj->Polygon()) {}

void TOrgObj::UpDate(TCommonObj *aObj) {
  if (TCustomMaker *maker = aObj->Maker()) maker->Refresh();
  aObj->ReMake();
}

void TOrgObj::Zoom(long double aZoom) {
  if (NearOne(aZoom)) return;
  IRepresent *represent = Supports<IRepresent>(fObj);
  if (!represent) return;
  std::vector<TRealPoint> points = fObj->Polygon();
  for (TRealPoint &p : points)
    p = TRealPoint{double(p.rx * aZoom), double(p.ry * aZoom)};
  represent->SetPolygon(points);
  UpDate(fObj);
}

void TOrgObj::UnZoom(long double aZoom) {
  if (NearOne(aZoom)) return;
  IRepresent *represent = Supports<IRepresent>(fObj);
  if (!represent) return;
  std::vector<TRealPoint> points = fObj->Polygon();
  for (size_t i = 0; i < points.size(); ++i) {
    const TRealPoint back{double(points[i].rx / aZoom), double(points[i].ry / aZoom)};
    const bool untouched = i < fPolygon.size() &&
                           std::fabs(back.rx - fPolygon[i].rx) <= double(kNoZoom) &&
                           std::fabs(back.ry - fPolygon[i].ry) <= double(kNoZoom);
    points[i] = untouched ? fPolygon[i] : back;
  }
  represent->SetPolygon(points);
  UpDate(fObj);
}

// ---- TOpenAuthorPage ----

void TOpenAuthorPage::Open(TMetaPage *aPage) {
  if (!FOrgObjes.empty()) Close();
  if (TSysContext::Started()) {
    if (IMouseHandler *handler = SysInfo().GrabHandle()) handler->SetObjMode(omNon);
    FOpenZoom = SysInfo().Zoom();
  }
  FPage = aPage;
  Collect(aPage, FOrgObjes);
  if (NearOne(FOpenZoom)) return;
  if (TSysContext::Started()) SysInfo().ClosePage();
  for (TOrgObj &obj : FOrgObjes)
    obj.Zoom(FOpenZoom);
}

void TOpenAuthorPage::Close() {
  if (TSysContext::Started())
    if (IMouseHandler *handler = SysInfo().GrabHandle()) {
      handler->SetActiveObj(nullptr);
      handler->SetObjMode(omNon);
    }
  for (TOrgObj &obj : FOrgObjes)
    obj.UnZoom(FOpenZoom);
  FOrgObjes.clear();
  FPage = nullptr;
}

// ---- TAuthPageZoomEx ----

TAuthPageZoomEx::TAuthPageZoomEx(IGraphicPanel *aPanel, TMetaBook *aParent)
    : TPageZoom(aPanel, aParent), FPage(aParent ? std::max(aParent->Page(), 0) : 0) {}

bool TAuthPageZoomEx::ComputeZoom(long double &aDelta) {
  if (!FGraphicPanel || !FBook || !FBook->WorkPage) return false;
  const TRect client = FGraphicPanel->ClientRect();
  const long double w = CurrentWinWidth(), h = CurrentWinHeight();
  if (w <= 0 || h <= 0) return false;
  const long double a = w < h ? (client.Bottom - client.Top) / h : (client.Right - client.Left) / w;
  if (a <= 0) return false;
  TMetaPage *page = FBook->WorkPage;
  aDelta = a / page->Zoom();
  if (NearOne(aDelta)) {
    const long double system = TSysContext::Started() ? SysInfo().Zoom() : 1.0L;
    aDelta = a / system;
    if (NearOne(aDelta)) return false;
    if (TSysContext::Started()) SysInfo().SetZoom(a);
    return true;
  }
  page->SetZoom(a);
  return true;
}

void TAuthPageZoomEx::ZoomPage() {
  if (!Showing() || !FBook || !FBook->WorkPage) return;
  TMetaPage *page = FBook->WorkPage;
  long double delta = 1;
  if (ComputeZoom(delta)) {
    page->OpenMakers();
    if (TSysContext::Started()) SysInfo().UpdateAdsorb(page->Page0(), page);
  } else {
    page->OpenMakers();
  }
}

void TAuthPageZoomEx::ResizePage() {
  if (!Showing() || !FBook || !FBook->WorkPage) return;
  long double delta = 1;
  if (!ComputeZoom(delta)) return;
  TMetaPage *page = FBook->WorkPage;
  if (TSysContext::Started())
    if (auto *handler = dynamic_cast<TMouseEventHandler *>(SysInfo().GrabHandle()))
      handler->CreateNormalEvent();
  if (TMetaPage *common = page->Page0()) common->OpenMakers();
  page->OpenMakers();
  if (TSysContext::Started()) SysInfo().UpdateAdsorb(page->Page0(), page);
}

void TAuthPageZoomEx::OpenPage(TMetaPage *aPage, int aNo) {
  FPage = aNo;
  if (aPage) aPage->Open(aNo);
  ZoomPage();
}

} // namespace lumora
