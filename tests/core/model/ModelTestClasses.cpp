#include "tests/core/model/ModelTestClasses.h"

#include <QImage>
#include <QPolygonF>

#include "core/book/CoreStart.h"
#include "core/drawable/CoreClasses.h"
#include "core/model/ObjPool.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/Exception.h"
#include "tests/kinds/FigureKinds.h"

namespace lumora::test {

// ---- TTestMaker ----

TCanvas *TTestMaker::Canvas() {
  return Bitmap() ? &Bitmap()->Canvas() : nullptr;
}

void TTestMaker::Paint(TCanvas &aCanvas) {
  DrawSelf(aCanvas);
}

void TTestMaker::SetCenter() {
  FSelf->SetBoundsRect(RealPointsBounds(FSelf->Polygon()));
}

void TTestMaker::Update() {
  SetCenter();
  if (FSelf->Param.Transparency != 0) {
    DrawBlended();
    return;
  }
  const TRect r = FSelf->BoundsRect();
  QImage image(std::max(r.Right, 1), std::max(r.Bottom, 1), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetImage(image);
  DrawSelf(bitmap->Canvas());
  FGraphic = std::move(bitmap);
}

void TTestMaker::UpdateDraw(const TGraphic *aGraphic) {
  if (!aGraphic) {
    FGraphic.reset();
    return;
  }
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->Assign(*aGraphic);
  FGraphic = std::move(bitmap);
}

// ---- TTestExe ----

bool TTestExe::Exec(TCircuit &aCircuit, TCommonObj *aAction) {
  Seen = *aCircuit;
  SeenAction = aAction;
  if (!Seen.empty()) FirstCentre = Seen.front()->RCenter();
  if (FreeCircuit) aCircuit.reset();
  return true;
}

// ---- TTestFigure ----

TObjInfo TTestFigure::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = 100;
  info.ClassName = QStringLiteral("テスト");
  info.Name = QStringLiteral("テスト図形");
  info.FormType = {otSurface};
  info.ActType = {atShow, atDrag};
  return info;
}

TObjParam TTestFigure::DefaultParam(const QString &aKind) {
  TObjParam param;
  param.ObjName = aKind;
  param.Layer = 10;
  param.Priority = 50;
  param.ActType = {atShow};
  param.Width = 1;
  param.Grabs = 4;
  param.LineColor = clBlack;
  param.FaceColor = clWhite;
  param.Coating = true;
  return param;
}

void TTestFigure::CreateMode(TSysMode aMode) {
  FMaker = std::make_unique<TTestMaker>(this);
  if (aMode == smExec) FEx = std::make_unique<TTestExe>(this);
}

bool TTestFigure::Data(const QString &aCommand, const QVariantList &aArg) {
  DataLog << aCommand + QLatin1Char('=') + (aArg.isEmpty() ? QString() : aArg[0].toString());
  return true;
}

void TTestFigure::DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) {
  aCanvas.Pen().SetStyle(psClear);
  aCanvas.Brush().SetStyle(bsSolid);
  aCanvas.Brush().SetColor(Param.FaceColor);
  const std::vector<TPoint> points = ToPoints(aPolygon);
  aCanvas.Polygon(points);
}

void TTestFigure::ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double) {
  DrawObj(aCanvas, aPolygon);
}

void TTestFigure::Paint(TCanvas &aCanvas) {
  gLog << QStringLiteral("paint ") + Name;
  TRepreLeaf::Paint(aCanvas);
}

TCommonObj *TTestFigure::Search(TRealPoint aPos, TSearch aKind) {
  gLog << QStringLiteral("search ") + Name;
  return TRepreLeaf::Search(aPos, aKind);
}

void TTestFigure::ReMake() {
  ++ReMakes;
  FBoundsRect = RealPointsBounds(FPolygon);
}

void TTestFigure::Update() {
  if (FMaker) FMaker->Update();
}

void TTestFigure::SetPoly(std::vector<TRealPoint> aPoints) {
  FPolygon = std::move(aPoints);
  FBoundsRect = RealPointsBounds(FPolygon);
}

// ---- TTestBroken, TTestAction ----

TObjInfo TTestBroken::GetObjInfo() {
  TObjInfo info = TTestFigure::GetObjInfo();
  info.Name = QStringLiteral("テスト例外");
  return info;
}

TTestBroken::TTestBroken() {
  throw Exception(QStringLiteral("cannot make"));
}

TObjInfo TTestAction::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = 300;
  info.ClassName = QStringLiteral("アクション");
  info.Name = QStringLiteral("テストアクション");
  info.FormType = {otAction};
  return info;
}

TTestAction::TTestAction() {
  Param.ObjName = QStringLiteral("テストアクション");
  FVisible = true;
}

// ---- TTestPage, TTestGroup ----

TObjInfo TTestPage::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.ClassName = QStringLiteral("ウィンドウ");
  info.Name = QStringLiteral("テスト頁");
  return info;
}

void TTestPage::AfterConstruction() {
  TCustomCompo::AfterConstruction();
  FVisible = true;
  Param.ActType = {atShow};
}

std::unique_ptr<TAbObjectPool> TTestPage::NewPool() const {
  return std::make_unique<TOwnedObjPool>();
}

bool TTestPage::RemoveObj(TCommonObj *&aObj) {
  if (OwnedPool()->Remove(aObj) < 0) return false;
  aObj = nullptr;
  return true;
}

TObjInfo TTestGroup::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = 200;
  info.ClassName = QStringLiteral("アクション");
  info.Name = QStringLiteral("テストグループ");
  info.FormType = {otComplex};
  return info;
}

void TTestGroup::AfterConstruction() {
  TRepreCompo::AfterConstruction();
  FVisible = true;
  Param.ActType = {atShow};
}

std::unique_ptr<TAbObjectPool> TTestGroup::NewPool() const {
  return std::make_unique<TOwnedObjPool>();
}

bool TTestGroup::RemoveObj(TCommonObj *&aObj) {
  // An owning pool frees it; a pool that only lists forgets it.
  if (TOwnedObjPool *owned = OwnedPool()) {
    if (owned->Remove(aObj) < 0) return false;
  } else if (ListPool()->Remove(aObj) < 0) {
    return false;
  }
  aObj = nullptr;
  return true;
}

// ---- TTestListPage, TTestListGroup ----

std::unique_ptr<TAbObjectPool> TTestListPage::NewPool() const {
  return std::make_unique<TAbObjPool>();
}

std::unique_ptr<TAbObjectPool> TTestListGroup::NewPool() const {
  return std::make_unique<TAbObjPool>();
}

void RegisterTestClasses(TObjClassList &aList) {
  aList.Add<TTestFigure>();
  aList.Add<TTestPairA>();
  aList.Add<TTestPairE>();
  aList.Add<TTestBoth>();
  aList.Add<TTestGuide>();
  aList.Add<TTestLaunch>();
  aList.Add<THexLeaf>();
  aList.Add<TTestBroken>();
  aList.Add<TTestAction>();
  aList.Add<TTestPage>();
  aList.Add<TTestGroup>();
}

// ---- Fixture ----

void ModelTest::SetUp() {
  gAlive = 0;
  gLog.clear();
  TCoreStartup startup;
  startup.RegisterClasses = [](TObjClassList &aList) {
    RegisterCoreClasses(aList);
    RegisterTestClasses(aList);
  };
  StartCore(startup);
  Info().NameParent().SetClock([this] { return clock_; });
  Info().NameParent().SetSleeper([this](int) {
    ++sleeps_;
    ++clock_;
  });
}

void ModelTest::TearDown() {
  TCoreContext::Reset();
  EXPECT_EQ(gAlive, 0) << "test objects left alive";
}

std::unique_ptr<TTestFigure> ModelTest::Figure(const QString &aName,
                                               std::vector<TRealPoint> aPoints, uint8_t aLayer,
                                               int32_t aPriority) {
  std::unique_ptr<TTestFigure> figure = NewObject<TTestFigure>();
  figure->Name = aName;
  figure->Param.Layer = aLayer;
  figure->Param.Priority = aPriority;
  figure->Param.Grabs = int32_t(aPoints.size());
  figure->SetPoly(std::move(aPoints));
  figure->InitGrabInfo();
  return figure;
}

std::unique_ptr<TTestPage> ModelTest::Page(const QString &aName) {
  std::unique_ptr<TTestPage> page = NewObject<TTestPage>();
  page->Name = aName;
  return page;
}

std::vector<TRealPoint> Square(double x, double y, double s) {
  return {{x, y}, {x + s, y}, {x + s, y + s}, {x, y + s}};
}

} // namespace lumora::test
