#include "core/drawable/DrawObj.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/drawable/DrawExe.h"
#include "core/drawable/DrawLink.h"
#include "core/drawable/MakeObj.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "core/system/SysContext.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Canvas.h"

namespace lumora {

namespace {

const QString kConductorKind = QStringLiteral("伝送路");
const QString kOriginalInKind = QStringLiteral("オリジ入力");
const QString kOriginalOutKind = QStringLiteral("オリジ出力");
const QString kPinKind = QStringLiteral("留針");

// A grab count read from a book is not trusted for an allocation: no
// drawable object has nearly this many outline points.
constexpr int kMaxOutlinePoints = 1 << 20;

int OppositeOf(int aGrab) {
  static constexpr int kOpposite[8] = {2, 3, 0, 1, 5, 4, 7, 6};
  return aGrab >= 0 && aGrab < 8 ? kOpposite[aGrab] : -1;
}

// Mirrors one coordinate of every point about the middle of its extent.
template <class Coord> void MirrorPoints(std::vector<TRealPoint> &aPolygon, Coord aCoord) {
  if (aPolygon.empty()) return;
  double lo = 2147483647.0;
  double hi = -2147483647.0;
  for (TRealPoint &p : aPolygon) {
    lo = std::min(lo, aCoord(p));
    hi = std::max(hi, aCoord(p));
  }
  const double axis = lo + (hi - lo) / 2;
  for (TRealPoint &p : aPolygon)
    aCoord(p) = axis - (aCoord(p) - axis);
}

} // namespace

bool IsTransmitObj(TCommonObj *aObj) {
  if (!aObj) return false;
  const QString &kind = aObj->Param.ObjName;
  return kind == kConductorKind || kind == kOriginalInKind || kind == kOriginalOutKind;
}

bool HasPlainLinkTarget(TCommonObj *aObj) {
  if (!aObj) return false;
  TCommonObj *linked = aObj->GetLinkedObj();
  if (!linked) return false;
  if (IsTransmitObj(linked) || linked->Param.ObjName == kPinKind) return false;
  return !linked->Param.ActType.Contains(awTray);
}

// ---- TDrawObj ----

TDrawObj::TDrawObj() : TDrawObj(TObjParam{}) {}

TDrawObj::TDrawObj(const TObjParam &aParam) : TRepreLeaf(aParam) {
  EventParam.Adsorb = TObjOption::kDefaultAdsorb;
  FLink = std::make_unique<TDrawLink>(this);
}

TDrawObj::~TDrawObj() {
  FEx.reset();
  FMaker.reset();
  FLink.reset();
}

TDrawLink *TDrawObj::DrawLink() const {
  return dynamic_cast<TDrawLink *>(FLink.get());
}

int64_t TDrawObj::GetLinkedId() const {
  return EventParam.Click;
}

void TDrawObj::SetLinkedId(int64_t aId) {
  if (aId > 0) {
    EventParam.Click = aId;
  } else {
    TCommonObj *linked = GetLinkedObj();
    EventParam.Click = linked ? linked->Id() : 0;
  }
  if (EventParam.Click <= 0) Param.ActType.Exclude(atAction);
}

void TDrawObj::CreateMode(TSysMode aMode) {
  FMaker = std::make_unique<TDrawMake>(this);
  if (aMode == smExec) FEx = std::make_unique<TDrawExe>(this);
}

void TDrawObj::LoadOption(TMetaStream &aStream) {
  if (FVersion >= 2.0f) {
    EventParam.Read(aStream);
    return;
  }
  // The oldest event form: the click target's name and three strings no
  // longer used.
  FOldEvent = std::make_unique<TOldEvent>(this);
  QString click;
  aStream.ReadBuffer(click);
  FOldEvent->Click = click;
  for (int i = 0; i < 3; ++i) {
    QString skipped;
    aStream.ReadBuffer(skipped);
  }
}

void TDrawObj::SaveOption(TMetaStream &aStream) {
  // The click target counts only while it is still the partner: a target
  // replaced through SetLinkedObj may have been freed since.
  if (TDrawLink *link = DrawLink()) {
    TCommonObj *act = link->ClickAct();
    if (act && act == link->GetLinkedObj()) EventParam.Click = act->Id();
  }
  EventParam.Write(aStream);
}

bool TDrawObj::ICan(TActKind aTask) {
  if (aTask > awNoSave) return false;
  return ObjInfo().ActType.Contains(aTask);
}

bool TDrawObj::Data(const QString &aCommand, const QVariantList &aArg) {
  if (aCommand != QStringView(kValueCommand)) return TRepreLeaf::Data(aCommand, aArg);
  bool result = false;
  const double target = aArg.size() > 1 ? VarRecToFloat(aArg[1]) : 0;
  const double area = Area();
  // Without an area there is nothing to scale from.
  if (target > 0 && area > 0) {
    const double ppmm = GetPixelsPerMM();
    const double rate = std::sqrt(target * ppmm * ppmm * 100 / area);
    // A figure scaled beyond any page (a sliver asked for a large area) is
    // refused: its coordinates would leave the range painting can hold.
    bool fits = std::isfinite(rate);
    for (const TRealPoint &p : FPolygon)
      fits = fits && std::abs(FBCenter.rx + rate * (p.rx - FBCenter.rx)) <= kMaxCoordinate &&
             std::abs(FBCenter.ry + rate * (p.ry - FBCenter.ry)) <= kMaxCoordinate;
    if (fits) {
      Scaling(rate, FBCenter);
      result = true;
    }
  }
  if (FMaker) FMaker->Refresh();
  return result;
}

void TDrawObj::Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) {
  if (std::fabs(aOffset.rx) < 0.001 && std::fabs(aOffset.ry) < 0.001) return;
  TRepreLeaf::Move(aOffset, aVList, aRelative);
  if (FMaker) FMaker->SetCenter();
}

void TDrawObj::ReMake() {
  if (FMaker) FMaker->Update();
}

void TDrawObj::Paint(TCanvas &aCanvas, TCommonObj *) {
  TRepreLeaf::Paint(aCanvas);
}

TCommonObj *TDrawObj::Search(TRealPoint aPos, TSearch aKind) {
  TCommonObj *found = TRepreLeaf::Search(aPos, aKind);
  return found && PtInObj(RealPointToPoint(aPos)) ? found : nullptr;
}

void TDrawObj::PrintObj(TCanvas &aCanvas, double aZoom, int ax, int ay) {
  ZoomDraw(aCanvas, aZoom, ax, ay);
}

void TDrawObj::ZoomDraw(TCanvas &pCanvas, double pZoom, int px, int py) {
  // The width is the zoomed one for this call only, whatever happens.
  struct WidthRestore {
    TObjParam &param;
    uint8_t width;
    ~WidthRestore() { param.Width = width; }
  } restore{Param, Param.Width};
  // The stored width is a byte: a zoomed width beyond it draws at 255.
  Param.Width = uint8_t(std::clamp(RoundReal(pZoom * Param.Width), 1, 255));
  pCanvas.Pen().SetStyle(psClear);
  if (Param.Coating && Param.Transparency != 0) {
    ClearDraw_(&pCanvas, TPoint{px, py}, pZoom);
    return;
  }
  std::vector<TRealPoint> points = FPolygon;
  for (TRealPoint &p : points)
    p = {p.rx * pZoom + px, p.ry * pZoom + py};
  ZMDrawObj(pCanvas, points, pZoom);
}

void TDrawObj::AdsorbFrom(TRealPoint aPoint, IRepresent *aObj) {
  TRepreLeaf::AdsorbFrom(aPoint, aObj);
  if (Param.Coating && Param.Transparency != 0) ReMake();
}

void TDrawObj::ReMakeFrontObj(TCommonObj *aObjList, TObjList *aOverTopList) {
  GetMakeInfo().ReMakeFrontObj(this, aObjList, aOverTopList);
}

bool TDrawObj::Value(const QString &aCommand, QVariantList &aArg) {
  if (aCommand != QStringView(kValueCommand)) return TRepreLeaf::Value(aCommand, aArg);
  const double ppmm = GetPixelsPerMM();
  const double mm2 = Area() / (ppmm * ppmm);
  if (mm2 > 0)
    aArg = {double(int64_t(std::nearbyint(mm2))) / 100.0};
  else
    aArg = {QVariant(qint64(ObjInfo().Origin64))};
  return true;
}

void TDrawObj::Update() {
  ReMake();
  if (FMaker) FMaker->Invalidate(false);
}

void TDrawObj::DrawCenterCross(TCanvas &aCanvas) {
  if (!Param.ActType.Contains(atCenter) || !ObjInfo().FormType.Contains(otSurface)) return;
  // Kept inside the Integer range so that the cross's ends can be computed.
  const int x = std::clamp(RoundReal(FBCenter.rx), INT32_MIN + 5, INT32_MAX - 5);
  const int y = std::clamp(RoundReal(FBCenter.ry), INT32_MIN + 5, INT32_MAX - 5);
  aCanvas.Pen().SetWidth(Param.Width);
  aCanvas.Pen().SetColor(Param.LineColor);
  aCanvas.MoveTo(x - 5, y);
  aCanvas.LineTo(x + 5, y);
  aCanvas.MoveTo(x, y - 5);
  aCanvas.LineTo(x, y + 5);
}

double TDrawObj::GetAdsorbRange() {
  return EventParam.Adsorb * SystemZoom();
}

void TDrawObj::SetAdsorbRange(double aRange) {
  EventParam.Adsorb = aRange;
}

int TDrawObj::OppositeGrab(int pGrab) {
  return OppositeOf(pGrab);
}

int TDrawObj::OutlinePoints(std::span<TRealPoint> aPoints) {
  const TFormType form = ObjInfo().FormType;
  int count = 0;
  if (form.Contains(otLine) || form.Contains(otAtLine))
    count = Param.Grabs;
  else if (form.Contains(otStamp) || form.Contains(otText))
    count = 4;
  else if (form.Contains(otAction))
    count = 0;
  else if (form.Contains(otSurface))
    count = Param.Grabs;
  if (count <= 0) return count;
  // Only points the polygon has are copied.
  count = int(std::min({size_t(count), aPoints.size(), FPolygon.size()}));
  std::copy_n(FPolygon.begin(), count, aPoints.begin());
  return count;
}

int TDrawObj::CreateAnchorGrab() {
  return 2;
}

void TDrawObj::SetPolygon(std::span<const TRealPoint> aObjRect) {
  TRepreLeaf::SetPolygon(aObjRect);
}

void TDrawObj::ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aZoom) {
  if (IQvScale *scale = Supports<IQvScale>(this))
    scale->ScaleDrawObj(aCanvas, aPolygon, aZoom);
  else
    DrawObj(aCanvas, aPolygon);
}

void TDrawObj::ZoomPolygon(long double aRate) {
  for (TRealPoint &p : FPolygon)
    p = {double(p.rx * aRate), double(p.ry * aRate)};
}

void TDrawObj::GrabToPolygon(std::span<const TRealPoint> aGrab) {
  FPolygon.assign(aGrab.begin(), aGrab.end());
}

void TDrawObj::PolygonToGrab(std::span<TRealPoint> aGrab) {
  const size_t n = std::min(aGrab.size(), FPolygon.size());
  std::copy_n(FPolygon.begin(), n, aGrab.begin());
}

int TDrawObj::AnchorGrab(int pGrab) {
  return OppositeOf(pGrab);
}

int TDrawObj::ActiveGrab(int pSequence) {
  return OppositeGrab(pSequence);
}

bool TDrawObj::TakeColor(TPoint, TColor pColor, bool &pMore) {
  Param.FaceColor = pColor;
  if (pColor != clNone) Param.Coating = true;
  pMore = true;
  return true;
}

bool TDrawObj::IsCreateEnd(TMouseButton pButton, int pSequence, std::span<TRealPoint> pRect,
                           TPoint pNew) {
  return IsCreateEnd_(pSequence, pRect, pNew) || pButton == mbRight;
}

int TDrawObj::MinGrabs() {
  return 8;
}

double TDrawObj::RotateAngle(int aGrabNo, TRealPoint aOffSet, TGrabRect &aRect) {
  const int p = OppositeGrab(aGrabNo);
  if (p < 0) return 0;
  const auto n = int(aRect.size());
  if (aGrabNo < 0 || aGrabNo >= n || p >= n) return 0;
  const TRealPoint moved = AddRealPoint(aRect[size_t(aGrabNo)], aOffSet);
  FRCenter = aRect[size_t(p)];
  return AngleAroundCenter(moved, FRCenter) -
         RealPointAngle(aRect[size_t(aGrabNo)], aRect[size_t(p)]);
}

TRealPoint TDrawObj::RotateCenter(int aGrabNo, TRealPoint) {
  const int p = OppositeGrab(aGrabNo);
  if (p < 0 || Param.Grabs <= p || Param.Grabs > kMaxOutlinePoints) return {0, 0};
  std::vector<TRealPoint> grabs(size_t(Param.Grabs));
  PolygonToGrab(grabs);
  return grabs[size_t(p)];
}

double TDrawObj::GetObjAngle() {
  if (FPolygon.size() < 2) return 0;
  const double bearing = RealPointAngle(FPolygon[0], FPolygon[1]);
  return (bearing - std::numbers::pi / 2) / (2 * std::numbers::pi) * 360;
}

void TDrawObj::SetObjAngle(double aAngle) {
  RotateRealPoints(FPolygon, FRCenter, aAngle);
}

void TDrawObj::PrepareCanvas(TCanvas &aCanvas) {
  if (Param.Coating) {
    aCanvas.Brush().SetStyle(bsSolid);
    aCanvas.Brush().SetColor(Param.FaceColor);
  } else {
    aCanvas.Brush().SetStyle(bsClear);
  }
  if (Param.LineColor == clNone)
    aCanvas.Pen().SetStyle(psClear);
  else if (TSysContext::Started())
    SysInfo().SetPen(aCanvas, Param);
  else
    TSysInfo::ApplyPen(aCanvas, Param.LineColor, clNone, Param.Width);
}

bool TDrawObj::IsCreateEnd_(int pSequence, std::span<TRealPoint> pRect, TPoint pNew) {
  if (pSequence < 1) return false;
  const int b = CreateAnchorGrab();
  if (b == -1) return true;
  if (b < 0 || size_t(b) >= pRect.size()) return false;
  TPoint offset = SubPoint(RealPointToPoint(pRect[size_t(b)]), pNew);
  return CheckForm(b, pRect, offset);
}

double TDrawObj::AngleAroundCenter(TRealPoint aPoint, TRealPoint &aCenter) {
  if (FPool)
    for (TCommonObj *obj : *FPool)
      if (obj && obj != this && obj->ObjInfo().FormType.Contains(otCenter)) {
        aCenter = obj->RCenter();
        break;
      }
  return RealPointAngle(aPoint, aCenter);
}

void TDrawObj::ReverseObj() {
  TTransform t = Param.Transform();
  if (t.Contains(tfLineSym))
    t.Exclude(tfLineSym);
  else
    t.Include(tfLineSym);
  Param.SetTransform(t);
  MirrorPoints(FPolygon, [](TRealPoint &p) -> double & { return p.rx; });
}

void TDrawObj::TurnUpside() {
  TTransform t = Param.Transform();
  if (t.Contains(tfUpend))
    t.Exclude(tfUpend);
  else
    t.Include(tfUpend);
  Param.SetTransform(t);
  MirrorPoints(FPolygon, [](TRealPoint &p) -> double & { return p.ry; });
}

double TDrawObj::Area() {
  const int n = Param.Grabs;
  if (n < 3 || n > kMaxOutlinePoints) return 0;
  std::vector<TRealPoint> points(static_cast<size_t>(n));
  PolygonToGrab(points);
  int b = OutlinePoints(points);
  if (b <= 0) return 0;
  if (b > n) {
    points.resize(size_t(std::min(b, kMaxOutlinePoints)));
    b = OutlinePoints(points);
    if (b <= 0) return 0;
  }
  points.resize(std::min(size_t(b), points.size()));
  return PolygonArea(points);
}

// ---- TPolyObj ----

void TPolyObj::CreateMode(TSysMode aMode) {
  FMaker = std::make_unique<TPolyObjMake>(this);
  if (aMode == smExec) FEx = std::make_unique<TDrawExe>(this);
}

bool TPolyObj::Value(const QString &aCommand, QVariantList &aArg) {
  return TDrawObj::Value(aCommand, aArg);
}

bool TPolyObj::CheckForm(int, std::span<const TRealPoint>, TPoint &) {
  return true;
}

TGrabRect TPolyObj::FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int) {
  TGrabRect result = pDragRect;
  if (pNo >= 0 && size_t(pNo) < result.size())
    result[size_t(pNo)] = AddRealPoint(result[size_t(pNo)], PointToRealPoint(pOffset));
  return result;
}

void TPolyObj::GrabToPolygon(std::span<const TRealPoint> aGrab) {
  const size_t n = std::min(aGrab.size(), size_t(std::max(Param.Grabs, 0)));
  FPolygon.assign(aGrab.begin(), aGrab.begin() + std::ptrdiff_t(n));
}

} // namespace lumora
