#include "tests/core/drawable/DrawTestClasses.h"

#include <algorithm>

#include "core/drawable/CoreClasses.h"
#include "core/model/ObjPool.h"
#include "core/system/SysContext.h"
#include "platform/graphics/Canvas.h"

namespace lumora::test {

namespace {

// Passes a run on to the conductor's linked object.
class TConductorExe : public TExe {
public:
  using TExe::TExe;
  bool Exec(TCircuit &aCircuit, TCommonObj *aAction) override {
    gLog << QStringLiteral("exec ") + FSelf->Name;
    if (!aCircuit) return false;
    aCircuit->push_back(FSelf);
    TCommonObj *linked = FSelf->GetLinkedObj();
    return linked && linked->Ex() && linked->Ex()->Exec(aCircuit, aAction);
  }
};

// Hands the action object to every target's executor.
class TActorExe : public TExe {
public:
  using TExe::TExe;
  bool Exec(TCircuit &aCircuit, TCommonObj *) override {
    gLog << QStringLiteral("exec ") + FSelf->Name;
    if (!aCircuit) return false;
    aCircuit->push_back(FSelf);
    const TObjList targets(FSelf->Pool()->begin(), FSelf->Pool()->end());
    for (TCommonObj *target : targets)
      if (target->Ex()) target->Ex()->Exec(aCircuit, FSelf);
    return true;
  }
};

class TActorLink : public TMultiLink {
public:
  using TMultiLink::TMultiLink;
  bool CanLink(TCommonObj *aObj) override { return aObj != nullptr; }
};

} // namespace

TObjInfo TTestConductor::GetObjInfo() {
  TObjInfo info = TTestRect::GetObjInfo();
  info.Name = QStringLiteral("伝送路");
  info.FormType = {otConductor};
  info.ActType = {};
  return info;
}

void TTestConductor::CreateMode(TSysMode aMode) {
  TDrawObj::CreateMode(aMode);
  if (aMode == smExec) FEx = std::make_unique<TConductorExe>(this);
}

// ---- TTestPoly ----

TObjInfo TTestPoly::GetObjInfo() {
  TObjInfo info = TTestRect::GetObjInfo();
  info.Name = QStringLiteral("テスト多角形");
  return info;
}

TTestPoly::TTestPoly() : TPolyObj(TTestRect::DefaultParam(QStringLiteral("テスト多角形"))) {
  FVisible = true;
}

void TTestPoly::DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) {
  PrepareCanvas(aCanvas);
  aCanvas.Polygon(ToPoints(aPolygon));
}

void TTestPoly::Place(std::vector<TRealPoint> aPoints) {
  Param.Grabs = int32_t(aPoints.size());
  SetPolygon(aPoints);
  InitGrabInfo();
  Maker()->SetCenter();
  ReMake();
}

// ---- TTestActor ----

TObjInfo TTestActor::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = 401;
  info.ClassName = QStringLiteral("アクション");
  info.Name = QStringLiteral("テスト動作");
  info.FormType = {otAction};
  info.ActType = {awAction};
  return info;
}

TTestActor::TTestActor() {
  Param.ObjName = QStringLiteral("テスト動作");
  FLink = std::make_unique<TActorLink>(this, nullptr);
}

void TTestActor::AfterConstruction() {
  TActionObj::AfterConstruction();
  CreateMode(GetMakeInfo().SysMode);
}

void TTestActor::CreateMode(TSysMode aMode) {
  if (aMode == smExec) FEx = std::make_unique<TActorExe>(this);
}

// ---- Fixture ----

void DrawTest::SetUp() {
  ModelTest::SetUp();
  TSysContext::Start({});
  TObjClassList &classes = ObjClassList();
  classes.Add<TTestRect>();
  classes.Add<TTestPin>();
  classes.Add<TTestCentre>();
  classes.Add<TTestLine>();
  classes.Add<TTestStamp>();
  classes.Add<TTestPlain>();
  classes.Add<TTestSound>();
  classes.Add<TTestConductor>();
  classes.Add<TTestPoly>();
  classes.Add<TTestActor>();
  page_ = Page();
  TMakeInfo::Construct(&window_, nullptr, nullptr, [this] { return page_.get(); });
}

void DrawTest::TearDown() {
  page_.reset();
  ModelTest::TearDown();
}

TTestActor *DrawTest::AddActor(const QString &aName, TExeType aType) {
  std::unique_ptr<TTestActor> actor = NewObject<TTestActor>();
  actor->Name = aName;
  actor->ActParam.ExeType = aType;
  return static_cast<TTestActor *>(page_->AddObj(std::move(actor)));
}

std::vector<TRealPoint> RectPoints(double l, double t, double r, double b) {
  return {{l, t}, {r, t}, {r, b}, {l, b}};
}

} // namespace lumora::test
