#pragma once
// Drawable test figures and the fixture of the drawable-object tests: a
// clean object model with them registered, a system state, a page as the
// root object and a page window that records what was invalidated. The
// four-cornered figure "テスト矩形" itself is in tests/kinds.
#include <QStringList>
#include <memory>
#include <vector>

#include "core/drawable/DrawExe.h"
#include "core/drawable/DrawObj.h"
#include "core/drawable/ExecServices.h"
#include "core/model/BaseWindow.h"
#include "tests/core/model/ModelTestClasses.h"
#include "tests/kinds/FigureKinds.h"

namespace lumora::test {

// The push pin: its rotation centre holds the objects whose pool it is in.
LUMORA_DRAW_TEST_KIND(TTestPin, "留針", ({otSurface}), ({atShow}))
// A centre object: author rotations of the objects holding it turn about it.
LUMORA_DRAW_TEST_KIND(TTestCentre, "テスト中心", ({otSurface, otCenter}), ({atShow}))
LUMORA_DRAW_TEST_KIND(TTestLine, "テスト線", ({otLine}), ({atShow}))
LUMORA_DRAW_TEST_KIND(TTestStamp, "テストスタンプ", ({otStamp}), ({atShow}))
LUMORA_DRAW_TEST_KIND(TTestPlain, "テスト無形", ({}), ({}))
// Abilities that make a click on a drawable act through it.
LUMORA_DRAW_TEST_KIND(TTestSound, "テスト音", ({otSurface}), ({awSound}))

// The conductor "伝送路": passes a run on to its linked object.
class TTestConductor : public TTestRect {
  LUMORA_OBJECT(TTestConductor, TTestRect)
public:
  static TObjInfo GetObjInfo();
  void CreateMode(TSysMode aMode) override;

protected:
  TTestConductor() : TTestRect(DefaultParam(QStringLiteral("伝送路"))) {}
};

// A free polygon "テスト多角形".
class TTestPoly : public TPolyObj {
  LUMORA_OBJECT(TTestPoly, TPolyObj)
public:
  static TObjInfo GetObjInfo();
  using TDrawObj::DrawObj;
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;
  void Place(std::vector<TRealPoint> aPoints);

protected:
  TTestPoly();
};

// An action object "テスト動作": hands its action record to every target
// (its pool) in presentation mode.
class TTestActor : public TActionObj {
  LUMORA_OBJECT(TTestActor, TActionObj)
public:
  static TObjInfo GetObjInfo();
  void CreateMode(TSysMode aMode) override;
  using TActionObj::DrawObj;
  void DrawObj(TCanvas &, std::span<const TRealPoint>) override {}
  void ReMake() override {}
  void AddTarget(TCommonObj *aObj) { FLink->AddLink(aObj); }

protected:
  TTestActor();
  void AfterConstruction() override;
};

// Stand-ins for the presentation services.
class FakeServices : public ISpriteLayer, public IExecUndo, public IExecGrips {
public:
  bool Active() const override { return spritesActive; }
  void RePaintBack(TCommonObj *aObj) override { repainted.push_back(aObj); }
  void Edit(int aOperator, TCommonObj *aObj, int aValue) override {
    edits.push_back({aOperator, aObj, aValue});
  }
  TPoint ControlOrigin() const override { return origin; }
  bool Showing() const override { return gripsShowing; }
  TCommonObj *GripObj() const override { return gripObj; }
  void HideGrips() override {
    gripsShowing = false;
    ++hides;
  }
  void UpdateGrab() override { ++gripUpdates; }

  struct EditCall {
    int op;
    TCommonObj *obj;
    int value;
  };
  bool spritesActive = false;
  std::vector<TCommonObj *> repainted;
  std::vector<EditCall> edits;
  TPoint origin{0, 0};
  bool gripsShowing = false;
  TCommonObj *gripObj = nullptr;
  int hides = 0;
  int gripUpdates = 0;
};

// A page window that records what was invalidated.
class RecordingWindow : public TBaseWindow {
public:
  void Invalidate(const TRect &rect, bool erase) override {
    rects.push_back(rect);
    erases.push_back(erase);
  }
  TCanvas *Canvas() override { return nullptr; }
  std::vector<TRect> rects;
  std::vector<bool> erases;
};

class DrawTest : public ModelTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // A new figure of class T on the page with the given corners.
  template <class T = TTestRect> T *Add(const QString &aName, std::vector<TRealPoint> aPoints) {
    std::unique_ptr<T> obj = NewObject<T>();
    obj->Name = aName;
    obj->Place(std::move(aPoints));
    return static_cast<T *>(page_->AddObj(std::move(obj)));
  }
  TTestActor *AddActor(const QString &aName, TExeType aType);

  RecordingWindow window_;
  std::unique_ptr<TTestPage> page_;
};

// The rectangle (l, t) - (r, b) as four corners, clockwise from top-left.
std::vector<TRealPoint> RectPoints(double l, double t, double r, double b);

} // namespace lumora::test
