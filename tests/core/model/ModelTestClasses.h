#pragma once
// Page-object classes of the object-model tests, and a fixture that starts
// a clean object model with them registered.
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "core/model/CoreContext.h"
#include "core/model/CustomCompo.h"
#include "core/model/CustomMaker.h"
#include "core/model/Exe.h"
#include "core/model/LeafObj.h"
#include "platform/graphics/Bitmap.h"
#include "platform/system/Exception.h"
#include "tests/kinds/TestLog.h"

namespace lumora::test {

// Counts the test objects alive, to check who frees what.
inline int gAlive = 0;

// The maker of the test figures: its picture is a page-sized transparent
// bitmap with the owner drawn at its page position.
class TTestMaker : public TCustomMaker {
public:
  using TCustomMaker::TCustomMaker;
  void Open() override {}
  void Close() override {}
  TCanvas *Canvas() override;
  void Paint(TCanvas &aCanvas) override;
  void SetCenter() override;
  void Update() override;
  void UpdateDraw(const TGraphic *aGraphic) override;
  TBitmap *Bitmap() const { return static_cast<TBitmap *>(FGraphic.get()); }
};

// The executor of the test figures: records the circuit it was given and,
// when asked, ends it by freeing it.
class TTestExe : public TExe {
public:
  using TExe::TExe;
  bool Exec(TCircuit &aCircuit, TCommonObj *aAction) override;

  bool FreeCircuit = false;
  TObjList Seen;
  TCommonObj *SeenAction = nullptr;
  TRealPoint FirstCentre;
};

// A drawable leaf: a filled polygon in its face colour. Kind "テスト図形",
// mode-free.
class TTestFigure : public TRepreLeaf {
  LUMORA_OBJECT(TTestFigure, TRepreLeaf)
public:
  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam(const QString &aKind);
  ~TTestFigure() override { --gAlive; }

  void CreateMode(TSysMode aMode) override;
  bool ICan(TActKind aTask) override { return Param.ActType.Contains(aTask); }
  bool Data(const QString &aCommand, const QVariantList &aArg) override;
  using TRepreLeaf::DrawObj;
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;
  void ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aZoom) override;
  void DrawCenterCross(TCanvas &) override {}
  using TRepreLeaf::Paint;
  void Paint(TCanvas &aCanvas) override;
  TCommonObj *Search(TRealPoint aPos, TSearch aKind) override;
  void ReMake() override;
  void Update() override;
  void SetPoly(std::vector<TRealPoint> aPoints);
  void SetId(int64_t aId) { FId = aId; }

  QStringList DataLog; // the Data commands received, with their first argument
  int ReMakes = 0;

protected:
  TTestFigure() : TTestFigure(DefaultParam(QStringLiteral("テスト図形"))) {}
  explicit TTestFigure(const TObjParam &aParam) : TRepreLeaf(aParam) {
    ++gAlive;
    FVisible = true;
  }
};

// Classes of one kind for author mode, presentation mode, both, or author
// mode only; each is a TTestFigure with its own catalogue record.
#define LUMORA_TEST_FIGURE(Class, Kind, ...)                                                       \
  class Class : public TTestFigure {                                                               \
    LUMORA_OBJECT(Class, TTestFigure)                                                              \
  public:                                                                                          \
    static TObjInfo GetObjInfo() {                                                                 \
      TObjInfo info = TTestFigure::GetObjInfo();                                                   \
      info.Name = QStringLiteral(Kind);                                                            \
      info.FormType = TFormType{__VA_ARGS__};                                                      \
      return info;                                                                                 \
    }                                                                                              \
                                                                                                   \
  protected:                                                                                       \
    Class() : TTestFigure(DefaultParam(QStringLiteral(Kind))) {}                                   \
  };

LUMORA_TEST_FIGURE(TTestPairA, "テスト対", otSurface, otAuthor)
LUMORA_TEST_FIGURE(TTestPairE, "テスト対", otSurface, otExec)
LUMORA_TEST_FIGURE(TTestBoth, "テスト両方", otAuthor, otBoth)
LUMORA_TEST_FIGURE(TTestGuide, "テスト基準線", otLine, otAuthor)
LUMORA_TEST_FIGURE(TTestLaunch, "ACTローンチ", otAction)
// A kind with ASCII name, for the hand-written record fixture.
LUMORA_TEST_FIGURE(THexLeaf, "HexLeaf", otSurface)

// A class whose constructor fails.
class TTestBroken : public TTestFigure {
  LUMORA_OBJECT(TTestBroken, TTestFigure)
public:
  static TObjInfo GetObjInfo();

protected:
  TTestBroken();
};

// An action object (never hit in presentation mode).
class TTestAction : public TActionObj {
  LUMORA_OBJECT(TTestAction, TActionObj)
public:
  static TObjInfo GetObjInfo();
  using TActionObj::DrawObj;
  void DrawObj(TCanvas &, std::span<const TRealPoint>) override {}

protected:
  TTestAction();
};

// A composite that owns its children, as pages do. Kind "テスト頁".
class TTestPage : public TCustomCompo {
  LUMORA_OBJECT(TTestPage, TCustomCompo)
public:
  static TObjInfo GetObjInfo();
  ~TTestPage() override { --gAlive; }
  bool ICan(TActKind aTask) override { return Param.ActType.Contains(aTask); }
  bool RemoveObj(TCommonObj *&aObj) override;
  void SetId(int64_t aId) { FId = aId; }

protected:
  TTestPage() { ++gAlive; }
  void AfterConstruction() override;
  std::unique_ptr<TAbObjectPool> NewPool() const override;
};

// A test page whose pool only lists objects owned elsewhere (it keeps the
// children it is handed).
class TTestListPage : public TTestPage {
  LUMORA_OBJECT(TTestListPage, TTestPage)
protected:
  TTestListPage() = default;
  std::unique_ptr<TAbObjectPool> NewPool() const override;
};

// A drawable composite that owns its children. Kind "テストグループ".
class TTestGroup : public TRepreCompo {
  LUMORA_OBJECT(TTestGroup, TRepreCompo)
public:
  static TObjInfo GetObjInfo();
  ~TTestGroup() override { --gAlive; }
  bool ICan(TActKind aTask) override { return Param.ActType.Contains(aTask); }
  bool RemoveObj(TCommonObj *&aObj) override;

protected:
  TTestGroup() { ++gAlive; }
  void AfterConstruction() override;
  std::unique_ptr<TAbObjectPool> NewPool() const override;
};

// A test group whose pool only lists objects owned elsewhere (it keeps the
// children it is handed).
class TTestListGroup : public TTestGroup {
  LUMORA_OBJECT(TTestListGroup, TTestGroup)
protected:
  TTestListGroup() = default;
  std::unique_ptr<TAbObjectPool> NewPool() const override;
};

// Registers the test classes (after the core classes).
void RegisterTestClasses(TObjClassList &aList);

// A fresh object model in author mode with the core and test classes, the
// id clock pinned to one millisecond and no sleeping.
class ModelTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  TMakeInfo2 &Info() { return TMakeInfo2::Get(); }
  // A new test figure with the given polygon, layer and priority.
  std::unique_ptr<TTestFigure> Figure(const QString &aName, std::vector<TRealPoint> aPoints,
                                      uint8_t aLayer = 0, int32_t aPriority = 0);
  std::unique_ptr<TTestPage> Page(const QString &aName = QStringLiteral("page"));

  int64_t clock_ = 1'000'000;
  int sleeps_ = 0;
};

// The square (x, y) - (x + s, y + s) as four points.
std::vector<TRealPoint> Square(double x, double y, double s);

} // namespace lumora::test
