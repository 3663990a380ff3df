#include "tests/core/drawable/ActionTestClasses.h"

#include <algorithm>

#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/Exception.h"

namespace lumora::test::act {

namespace {
TObjInfo Info(int aIndex, const char16_t *aKind, TFormType aForm, TActType aAct) {
  TObjInfo info;
  info.IndexNo = aIndex;
  info.ClassName = QStringLiteral("テスト");
  info.Name = QString::fromUtf16(aKind);
  info.FormType = aForm;
  info.ActType = aAct;
  return info;
}
} // namespace

TObjParam ActionParam(const QString &aKind) {
  TObjParam param;
  param.ObjName = aKind;
  param.Layer = 10;
  param.Priority = 30;
  param.ActType = {atAction};
  param.Width = 1;
  param.Grabs = 1;
  param.LineColor = clBlack;
  param.FaceColor = clNone;
  return param;
}

// ---- Actions ----

TObjInfo TTestSingleAct::GetObjInfo() {
  return Info(400, u"テスト単動作", {otAction}, {awAction});
}

void TTestSingleAct::CreateMode(TSysMode) {
  FMaker = std::make_unique<TActMake>(this);
  FLink = std::make_unique<TActLink>(this, nullptr);
}

TObjInfo TTestMultiAct::GetObjInfo() {
  return Info(401, u"テスト複動作", {otAction}, {awAction});
}

void TTestMultiAct::CreateMode(TSysMode) {
  FMaker = std::make_unique<TActMake>(this);
  FLink = std::make_unique<TTestMultiLink>(this, nullptr);
}

void TTestMultiAct::SaveOption(TMetaStream &aStream) {
  WriteActParam(aStream);
  TMultiLinkAction::SaveOption(aStream);
}

void TTestMultiAct::LoadOption(TMetaStream &aStream) {
  ReadActParam(aStream);
  TMultiLinkAction::LoadOption(aStream);
}

// ---- Containers ----

TObjInfo TTestTray::GetObjInfo() {
  TObjInfo info = TActContnr::GetObjInfo();
  info.Name = QStringLiteral("テストトレイ");
  return info;
}

TTestTray::TTestTray() {
  FLink = std::make_unique<TContnrLink>(this, nullptr);
}

TObjInfo TTestHolder::GetObjInfo() {
  return Info(402, u"テスト容器", {otSurface}, {atShow});
}

TTestHolder::TTestHolder() : TRepreContnr(ActionParam(QStringLiteral("テスト容器"))) {
  FVisible = true;
}

void TTestHolder::CreateMode(TSysMode) {
  FMaker = std::make_unique<TRepreMake>(this);
}

void TTestHolder::DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) {
  if (aPolygon.size() >= 3)
    aCanvas.Rectangle(RoundReal(aPolygon[0].rx), RoundReal(aPolygon[0].ry),
                      RoundReal(aPolygon[2].rx), RoundReal(aPolygon[2].ry));
}

TObjInfo TTestExContnr::GetObjInfo() {
  return Info(403, u"テスト一括", {otSurface}, {atShow});
}

TTestExContnr::TTestExContnr() : TExContnr(ActionParam(QStringLiteral("テスト一括"))) {
  FVisible = true;
}

TObjInfo TTestCustomActor::GetObjInfo() {
  TObjInfo info = TTestFigure::GetObjInfo();
  info.Name = QStringLiteral("テスト独自");
  info.ActType = {atShow, awCustom};
  return info;
}

TObjInfo TTestAnimator::GetObjInfo() {
  TObjInfo info = TTestGroup::GetObjInfo();
  info.Name = QStringLiteral("テスト動画");
  info.ActType = {awAnimate};
  return info;
}

// ---- TTestCell ----

TObjInfo TTestCell::GetObjInfo() {
  return Info(404, u"テストセル", {otSurface}, {atShow});
}

TTestCell::TTestCell() {
  ++Alive;
  Param.ObjName = QStringLiteral("テストセル");
  Param.Layer = 10;
  Param.Priority = 50;
  Param.Width = 1;
  Param.Grabs = 4;
  Param.LineColor = clBlack;
  Param.FaceColor = kWhite;
  Param.Coating = true;
  FVisible = true;
}

void TTestCell::CreateMode(TSysMode) {
  FMaker = std::make_unique<TTestMaker>(this);
}

bool TTestCell::Data(const QString &aCommand, const QVariantList &aArg) {
  if (aCommand != QStringLiteral("固有値") || aArg.size() < 2) return false;
  CellValue = VarRecToStr(aArg[1]);
  gLog << Name + QLatin1Char('=') + CellValue;
  return true;
}

bool TTestCell::Value(const QString &aCommand, QVariantList &aArg) {
  if (aCommand != QStringLiteral("固有値")) return false;
  aArg = {CellValue};
  return true;
}

void TTestCell::SaveOption(TMetaStream &aStream) {
  aStream.WriteBuffer(CellValue);
}

void TTestCell::LoadOption(TMetaStream &aStream) {
  QString value;
  aStream.ReadBuffer(value);
  CellValue = value;
}

std::unique_ptr<TCommonObj> TTestCell::CopySelf(int64_t aId) {
  if (CopyFault == 1) return nullptr;
  if (CopyFault == 2) throw Exception(QStringLiteral("copy failed"));
  return TRepreLeaf::CopySelf(aId);
}

void TTestCell::DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) {
  if (aPolygon.size() < 3) return;
  aCanvas.Pen().SetStyle(psClear);
  aCanvas.Brush().SetStyle(bsSolid);
  aCanvas.Brush().SetColor(Param.FaceColor);
  aCanvas.FillRect({RoundReal(aPolygon[0].rx), RoundReal(aPolygon[0].ry), RoundReal(aPolygon[2].rx),
                    RoundReal(aPolygon[2].ry)});
}

void TTestCell::ReMake() {
  FBoundsRect = RealPointsBounds(FPolygon);
}

void TTestCell::ZoomPolygon(long double aRate) {
  for (TRealPoint &p : FPolygon)
    p = {double(p.rx * aRate), double(p.ry * aRate)};
}

bool TTestCell::TakeColor(TPoint, TColor pColor, bool &pMore) {
  Param.FaceColor = pColor;
  pMore = true;
  return true;
}

void TTestCell::Place(const TRect &aRect) {
  FPolygon = {IntRealPoint(aRect.Left, aRect.Top), IntRealPoint(aRect.Right, aRect.Top),
              IntRealPoint(aRect.Right, aRect.Bottom), IntRealPoint(aRect.Left, aRect.Bottom)};
  FBoundsRect = aRect;
}

// ---- TTestTable ----

TObjInfo TTestTable::GetObjInfo() {
  return Info(405, u"テスト表", {otSurface, otTable}, {atShow});
}

TTestTable::TTestTable() : TCustomTable(ActionParam(QStringLiteral("テスト表"))) {
  ++Alive;
  Param.Grabs = 8;
  Param.FaceColor = kYellow;
  Param.Coating = true;
}

std::unique_ptr<TCommonObj> TTestTable::NewCell() {
  return NewObject<TTestCell>();
}

void TTestTable::ReLayout(int aColCount) {
  ReLayouts.push_back(aColCount);
  SetColCount(aColCount);
  LayoutCells();
}

void TTestTable::CellRect(TCommonObj *aCell, TRect &aRect) {
  const int i = IndexOf(aCell);
  const int cols = std::max(ColCount(), 1);
  const TPoint origin = FPolygon.empty() ? TPoint{0, 0} : RealPointToPoint(FPolygon[0]);
  const int x = origin.X + (i % cols) * kCellW, y = origin.Y + (i / cols) * kCellH;
  aRect = {x, y, x + kCellW, y + kCellH};
}

void TTestTable::DrawRules(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) {
  if (aPolygon.size() < 4) return;
  for (size_t i = 7; i + 1 < aPolygon.size(); ++i) {
    const TPoint top = RealPointToPoint(aPolygon[i]);
    aCanvas.MoveTo(top.X, top.Y);
    aCanvas.LineTo(top.X, RoundReal(aPolygon[3].ry));
  }
}

void TTestTable::SetColCount(int aCount) {
  Param.Grabs = aCount + 7;
  RebuildFrame();
}

void TTestTable::SetRowCount(int aCount) {
  while (RowCount() < aCount)
    for (int c = 0; c < ColCount(); ++c)
      AddCell();
  while (RowCount() > aCount)
    DeleteRow(RowCount() - 1);
}

void TTestTable::LayoutCells() {
  for (TCommonObj *child : Children()) {
    TRect r;
    CellRect(child, r);
    static_cast<TTestCell *>(child)->Place(r);
  }
}

void TTestTable::DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) {
  if (aPolygon.size() < 3) return;
  SetPenBrush(aCanvas, Param);
  aCanvas.Rectangle(RoundReal(aPolygon[0].rx), RoundReal(aPolygon[0].ry), RoundReal(aPolygon[2].rx),
                    RoundReal(aPolygon[2].ry));
  DrawRules(aCanvas, aPolygon);
}

void TTestTable::RebuildFrame() {
  const TRealPoint o = FPolygon.empty() ? TRealPoint{10, 10} : FPolygon[0];
  const int cols = ColCount();
  const double w = std::max(cols, 0) * kCellW, h = std::max(RowCount(), 1) * kCellH;
  FPolygon = {o,
              {o.rx + w, o.ry},
              {o.rx + w, o.ry + h},
              {o.rx, o.ry + h},
              {o.rx, o.ry + h / 2},
              {o.rx + w, o.ry + h / 2}};
  for (int k = 0; k <= cols; ++k)
    FPolygon.push_back({o.rx + k * kCellW, o.ry});
  InitGrabInfo();
}

void TTestTable::Build(int aCols, int aRows, TRealPoint aOrigin, int aCells) {
  FPolygon = {aOrigin};
  Param.Grabs = aCols + 7;
  const int n = aCells < 0 ? aCols * aRows : aCells;
  for (int i = 0; i < n; ++i) {
    auto *cell = static_cast<TTestCell *>(AddCell());
    cell->Name = QStringLiteral("cell%1").arg(i);
    cell->CellValue = QStringLiteral("r%1c%2").arg(i / aCols).arg(i % aCols);
  }
  RebuildFrame();
  LayoutCells();
  if (FMaker) FMaker->SetCenter();
}

// ---- Fixture ----

void ActTest::SetUp() {
  ModelTest::SetUp();
  TTestCell::Alive = 0;
  TTestTable::Alive = 0;
  TObjClassList &list = ObjClassList();
  list.Add<TTestSingleAct>();
  list.Add<TTestMultiAct>();
  list.Add<TTestTray>();
  list.Add<TTestCell>();
  list.Add<TTestTable>();
  list.Add<TTestHolder>();
  list.Add<TTestExContnr>();
  list.Add<TTestConductor>();
  list.Add<TTestOrigInput>();
  list.Add<TTestCustomActor>();
  list.Add<TTestAnimator>();
}

void ActTest::TearDown() {
  ModelTest::TearDown();
  EXPECT_EQ(TTestCell::Alive, 0) << "cells left alive";
  EXPECT_EQ(TTestTable::Alive, 0) << "tables left alive";
}

std::unique_ptr<TBitmap> ActTest::WhiteBitmap(int aWidth, int aHeight) {
  auto bitmap = std::make_unique<TBitmap>(aWidth, aHeight);
  TCanvas &canvas = bitmap->Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(kWhite);
  canvas.FillRect({0, 0, aWidth, aHeight});
  canvas.Brush().SetColor(kYellow);
  return bitmap;
}

} // namespace lumora::test::act
