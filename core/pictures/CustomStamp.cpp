#include "core/pictures/CustomStamp.h"

#include <array>
#include <cmath>
#include <numbers>

#include "core/drawable/DrawExe.h"
#include "core/model/CoreContext.h"
#include "core/model/MakeInfo.h"
#include "core/pictures/BitmapUnit.h"
#include "core/stream/MetaStream.h"
#include "core/support/RectOps.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/system/Exception.h"

namespace lumora {

namespace {

constexpr double kPi = std::numbers::pi;

bool IsStampArg(const QVariant &aArg) {
  if (aArg.metaType() != QMetaType::fromType<TCommonObj *>()) return false;
  return dynamic_cast<TCustomStamp *>(aArg.value<TCommonObj *>()) != nullptr;
}

} // namespace

// ---- TCustomStamp ----

TCustomStamp::TCustomStamp(const TObjParam &aParam) : TDrawObj(aParam) {
  FPolygon = {{0, 0}, {32, 0}, {32, 32}, {0, 32}};
  FBoundsRect = RealPointsBounds(FPolygon);
  OrgRect = Rect(0, 0, 32, 32);
  FVisible = true;
  const TTransform transform = Param.Transform();
  ImageInfo.Reverse = transform.Contains(tfLineSym);
  ImageInfo.TurnUpside = transform.Contains(tfUpend);
  FStampBmp = std::make_unique<TStillbmp>(this);
}

TCustomStamp::~TCustomStamp() {
  // The maker's picture is what the cache refers to: the maker goes first.
  FMaker.reset();
  FEx.reset();
  FStampBmp.reset();
}

void TCustomStamp::CreateMode(TSysMode aMode) {
  FMaker = std::make_unique<TStampMake>(this);
  if (aMode == smExec) FEx = std::make_unique<TDrawExe>(this);
}

void TCustomStamp::DrawDragImage(TCanvas &pCanvas, const TGrabRect &pRect) {
  if (pRect.size() < 4) return;
  const std::array<TPoint, 5> outline{RealPointToPoint(pRect[0]), RealPointToPoint(pRect[1]),
                                      RealPointToPoint(pRect[2]), RealPointToPoint(pRect[3]),
                                      RealPointToPoint(pRect[0])};
  pCanvas.Polyline(outline);
}

void TCustomStamp::DrawObj(TCanvas &pCanvas, std::span<const TRealPoint> pPolygon) {
  ImageInfo.Rect = RealPointsBounds(pPolygon);
  if (TStamp_ *picture = Picture()) picture->Draw(pCanvas, *FStampBmp, ImageInfo);
}

void TCustomStamp::LoadOption(TMetaStream &aStream) {
  TDrawObj::LoadOption(aStream);
  bool flag = false;
  aStream.ReadBuffer(flag);
  ImageInfo.Reverse = flag;
  if (FVersion >= 2.0f) {
    aStream.ReadBuffer(flag);
    ImageInfo.TurnUpside = flag;
  }
  Param.Text = BareFileName(Param.Text);
}

void TCustomStamp::SaveOption(TMetaStream &aStream) {
  TDrawObj::SaveOption(aStream);
  aStream.WriteBuffer(ImageInfo.Reverse);
  aStream.WriteBuffer(ImageInfo.TurnUpside);
}

bool TCustomStamp::Data(const QString &aCommand, const QVariantList &aArg) {
  if (aCommand != QStringView(kValueCommand) || aArg.size() < 2 || !IsStampArg(aArg[0]))
    return false;
  const QString name = VarRecToStr(aArg[1]);
  if (name == Param.Text) return true;
  const QString old = Param.Text;
  Param.Text = name;
  FStampBmp->SetEmpty();
  if (FMaker) FMaker->Update();
  bool result = true;
  // A see-through stamp renders past the cache: the store is asked too.
  if (FStampBmp->Empty() && !Picture()) {
    Param.Text = old;
    if (FMaker) FMaker->Update();
    result = false;
  }
  if (FMaker) FMaker->Invalidate(false);
  return result;
}

void TCustomStamp::Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) {
  TDrawObj::Move(aOffset, aVList, aRelative);
  if (int64_t(ImageInfo.Width) * ImageInfo.Height <= 0) UpdateImageInfo();
}

void TCustomStamp::Scaling(double aRate, TRealPoint aOrg) {
  TLeafObj::Scaling(aRate, aOrg);
  // The re-make must render the new frame, not take the old one as moved.
  UpdateImageInfo();
  ReMake();
}

bool TCustomStamp::TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) {
  if (!IsUnder(aObj)) return false;
  if (aZoom == 1) {
    if (auto *maker = dynamic_cast<TStampMake *>(FMaker.get()))
      maker->PaintAt(aCanvas, SubPoint(ImageInfo.Rect.TopLeft(), aPoint));
  } else {
    ZoomDraw(aCanvas, aZoom, -aPoint.X, -aPoint.Y);
  }
  return true;
}

void TCustomStamp::ZoomDraw(TCanvas &aCanvas, double aZoom, int px, int py) {
  if (Param.Transparency != 0) {
    ClearDraw_(&aCanvas, TPoint{px, py}, aZoom);
    return;
  }
  std::vector<TRealPoint> points = FPolygon;
  for (TRealPoint &p : points)
    p = {p.rx * aZoom + px, p.ry * aZoom + py};
  ZMDrawObj(aCanvas, points, aZoom);
}

bool TCustomStamp::Value(const QString &aCommand, QVariantList &aArg) {
  if (aCommand != QStringView(kValueCommand)) return TDrawObj::Value(aCommand, aArg);
  aArg = {Param.Text};
  return true;
}

void TCustomStamp::ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aZoom) {
  if (TStamp_ *picture = Picture()) picture->ZoomDraw(aCanvas, ImageInfo, aPolygon, aZoom);
}

void TCustomStamp::ZoomPolygon(long double aRate) {
  TDrawObj::ZoomPolygon(aRate);
  if (FMaker) FMaker->SetCenter();
}

bool TCustomStamp::PtInObj(TPoint pPoint) {
  if (FPolygon.size() < 4) return false;
  std::array<TPoint, 4> corners;
  for (size_t i = 0; i < 4; ++i)
    corners[i] = RealPointToPoint(FPolygon[i]);
  return PtInPolygon(corners, pPoint);
}

bool TCustomStamp::CheckForm(int pNo, std::span<const TRealPoint> pRect, TPoint &pOffset) {
  const TGrabRect rect(pRect.begin(), pRect.end());
  return LimitGrabMoveInt(pNo, rect, pOffset, false);
}

TGrabRect TCustomStamp::FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int) {
  if (pNo < 0 || pNo > 7 || pDragRect.size() < 8) return pDragRect;
  const TRealPoint centre = MidRealPoint(pDragRect[0], pDragRect[2]);
  TRealPoint move =
      PointToRealPoint(DiagonalKeyDelta(pNo, pDragRect[size_t(pNo)], pOffset, centre));
  // A corner keeps the proportions: its move is projected on the diagonal.
  if (pNo < 4) LimitGrabMove(pNo, pDragRect, move);
  return TransformGrabRect(pNo, pDragRect, move);
}

void TCustomStamp::PolygonToGrab(std::span<TRealPoint> aGrab) {
  TDrawObj::PolygonToGrab(aGrab);
  if (aGrab.size() < 8 || FPolygon.size() < 4) return;
  aGrab[6] = MidRealPoint(FPolygon[0], FPolygon[1]);
  aGrab[5] = MidRealPoint(FPolygon[1], FPolygon[2]);
  aGrab[7] = MidRealPoint(FPolygon[2], FPolygon[3]);
  aGrab[4] = MidRealPoint(FPolygon[3], FPolygon[0]);
}

double TCustomStamp::RotateAngle(int aGrabNo, TRealPoint aOffSet, TGrabRect &aRect) {
  static constexpr int kPivot[8] = {2, 3, 0, 1, 5, 4, 7, 6};
  if (aGrabNo < 0 || aGrabNo > 7 || aRect.size() < 8) return 0;
  const TRealPoint grab = aRect[size_t(aGrabNo)];
  const TRealPoint pivot = aRect[size_t(kPivot[aGrabNo])];
  FRCenter = pivot;
  return RealPointAngle(AddRealPoint(grab, aOffSet), pivot) - RealPointAngle(grab, pivot);
}

void TCustomStamp::ReverseObj() {
  TDrawObj::ReverseObj();
  ImageInfo.Reverse = Param.Transform().Contains(tfLineSym);
  UpdateImageInfo();
}

void TCustomStamp::TurnUpside() {
  TDrawObj::TurnUpside();
  ImageInfo.TurnUpside = Param.Transform().Contains(tfUpend);
  UpdateImageInfo();
}

void TCustomStamp::CreateImage() {
  TStamp_ *picture = StampMaker()._Create(Param.Text);
  if (!picture) throw Exception(QStringLiteral("Can't Create Image"));
  // A picture without a size is laid out square.
  const double ratio = picture->Width() > 0 && picture->Height() > 0
                           ? double(picture->Height()) / picture->Width()
                           : 1.0;
  OrgRect = StampMaker().StampRect(CreatingStampSize(), ratio);
  const double l = OrgRect.Left, t = OrgRect.Top, r = OrgRect.Right, b = OrgRect.Bottom;
  const double mx = (OrgRect.Left + OrgRect.Right) / 2;
  const double my = (OrgRect.Top + OrgRect.Bottom) / 2;
  FPolygon = {{l, t}, {r, t}, {r, b}, {l, b}, {l, my}, {r, my}, {mx, t}, {mx, b}};
  if (FMaker)
    FMaker->SetCenter();
  else
    FBoundsRect = RealPointsBounds(FPolygon);
}

void TCustomStamp::UpdateImageInfo() {
  ImageInfo.Rect = RealPointsBounds(FPolygon);
  ImageInfo.Transparency = Param.Transparency;
  if (FPolygon.size() < 8) {
    ImageInfo.Width = ImageInfo.Height = 0;
    ImageInfo.Angle = 0;
    return;
  }
  ImageInfo.Width = RoundReal(RealDistance(FPolygon[4], FPolygon[5]));
  ImageInfo.Height = RoundReal(RealDistance(FPolygon[6], FPolygon[7]));
  double angle = RealPointAngle(FPolygon[7], FPolygon[6]);
  if (!IsNoTurn(angle)) {
    // The picture is flipped before it is turned.
    if (ImageInfo.TurnUpside) angle -= kPi;
    if (ImageInfo.Reverse) angle += 2 * kPi;
    // A whole turn (either way) is none.
    if (IsNoTurn(angle) || std::fabs(angle - 2 * kPi) <= kNoTurn ||
        std::fabs(angle + 2 * kPi) <= kNoTurn)
      angle = 0;
  } else {
    angle = 0;
  }
  ImageInfo.Angle = angle;
}

TStamp_ *TCustomStamp::Picture() const {
  try {
    return StampMaker()._Create(Param.Text);
  } catch (const Exception &) {
    return nullptr;
  }
}

// ---- TStampMake ----

TStampMake::TStampMake(TCommonObj *aSelf) : TDrawMake(aSelf) {
  if (!FGraphic) FGraphic = std::make_unique<TSafetyMetafile>();
}

TCustomStamp *TStampMake::Stamp() const {
  return dynamic_cast<TCustomStamp *>(FSelf);
}

void TStampMake::Close() {
  TDrawMake::Close();
  if (TCustomStamp *stamp = Stamp()) stamp->ImageInfo.Empty = true;
}

QString TStampMake::CreateName(bool aForce) {
  if (!aForce && FSelf->Id() > 0) return FSelf->Name;
  QString base = BareFileName(FSelf->Param.Text);
  const qsizetype dot = base.lastIndexOf(u'.');
  if (dot >= 0) base.truncate(dot);
  if (base.isEmpty()) base = QStringLiteral("STAMP");
  return FInfo->CreateName(*FSelf, base);
}

void TStampMake::Paint(TCanvas &aCanvas) {
  if (TCustomStamp *stamp = Stamp()) PaintAt(aCanvas, stamp->ImageInfo.Rect.TopLeft());
}

void TStampMake::PaintAt(TCanvas &aCanvas, TPoint aAt) const {
  const TMetafile *meta = Metafile();
  if (!meta) return;
  if (meta->HasRecording())
    meta->Play(aCanvas, aAt);
  else
    aCanvas.Draw(aAt.X, aAt.Y, *meta);
}

void TStampMake::SetCenter() {
  SetBounds();
  TCustomStamp *stamp = Stamp();
  if (!stamp) return;
  const TRealPoint centre = QuadCentroid(stamp->Polygon());
  stamp->SetBCenter(centre);
  stamp->SetRCenter(centre);
  stamp->UpdateImageInfo();
}

void TStampMake::Update() {
  TCustomStamp *stamp = Stamp();
  if (stamp && stamp->StampBmp().IsMove(stamp->ImageInfo)) return;
  TDrawMake::Update();
  if (stamp) stamp->ImageInfo.Empty = false;
}

void TStampMake::UpdateDraw(const TGraphic *aGraphic) {
  if (!aGraphic) {
    Update();
    return;
  }
  BeginCanvas();
  FMetaCan->Draw(0, 0, *aGraphic);
  EndCanvas();
}

void TStampMake::UpdateDrawAt(const TGraphic *aGraphic, TPoint aAt) {
  TCustomStamp *stamp = Stamp();
  if (!aGraphic || !stamp) {
    UpdateDraw(aGraphic);
    return;
  }
  BeginCanvas();
  const TPoint at = SubPoint(aAt, stamp->ImageInfo.Rect.TopLeft());
  FMetaCan->Draw(at.X, at.Y, *aGraphic);
  EndCanvas();
}

void TStampMake::ReleaseProperty() {
  TDrawMake::Update();
  Invalidate(false);
}

void TStampMake::SetBounds() {
  FSelf->SetBoundsRect(InflateRect(RealPointsBounds(FSelf->Polygon()), 0, 1));
}

} // namespace lumora
