#pragma once
// Page objects and the fixture of the grip and snapping tests: a program
// context with a system state, a page as the root object and a page window
// that records what was invalidated.
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "core/drawable/CoreClasses.h"
#include "core/drawable/RepreContnr.h"
#include "core/model/BaseWindow.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CoreContext.h"
#include "core/model/Interfaces.h"
#include "core/model/MakeInfo.h"
#include "platform/graphics/Canvas.h"
#include "tests/kinds/BookKinds.h"
#include "tests/kinds/FigureKinds.h"
#include "tests/kinds/TestStart.h"

namespace lumora::test {

// A page window that records what was invalidated.
class TInvalidations : public TBaseWindow {
public:
  void Invalidate(const TRect &rect, bool) override { rects.push_back(rect); }
  TCanvas *Canvas() override { return nullptr; }
  std::vector<TRect> rects;
};

// A figure that gives its snap point per query: the point of the vertical
// line x = LineX level with the dragged point, like a guide line.
class TSnapLine : public TTestRect {
  LUMORA_OBJECT(TSnapLine, TTestRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト縦線");
    return info;
  }
  TRealPoint AdsorbPointAt(TRealPoint aPos) override { return {LineX, aPos.ry}; }
  double LineX = 0;

protected:
  TSnapLine() : TTestRect(DefaultParam(QStringLiteral("テスト縦線"))) {}
};

// A figure that records what was snapped onto it.
class TSnapTarget : public TTestRect {
  LUMORA_OBJECT(TSnapTarget, TTestRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト受け");
    return info;
  }
  void AdsorbFrom(TRealPoint aPoint, IRepresent *aObj) override {
    fromPoints.push_back(aPoint);
    fromObjs.push_back(aObj ? aObj->MySelf() : nullptr);
    TTestRect::AdsorbFrom(aPoint, aObj);
  }
  std::vector<TRealPoint> fromPoints;
  std::vector<TCommonObj *> fromObjs;

protected:
  TSnapTarget() : TTestRect(DefaultParam(QStringLiteral("テスト受け"))) {}
};

// A figure that draws and hit-tests its gfOwn grips itself: a 5 x 5 square
// in OwnColor, hit only on its grab point exactly.
class TOwnGripRect : public TTestRect, public IOwnGrab {
  LUMORA_OBJECT(TOwnGripRect, TTestRect)
public:
  static constexpr TColor OwnColor = 0x00FF00; // lime
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト自前");
    return info;
  }
  bool PtInGrab(int aNo, int X, int Y) override {
    return RealPointToPoint(Polygon().at(size_t(aNo))) == TPoint{X, Y};
  }
  void DrawGrab(TCanvas &aCanvas, int aNo) override {
    const TPoint p = RealPointToPoint(Polygon().at(size_t(aNo)));
    aCanvas.Brush().SetStyle(bsSolid);
    aCanvas.Brush().SetColor(OwnColor);
    aCanvas.FillRect({p.X - 2, p.Y - 2, p.X + 3, p.Y + 3});
  }
  TRect GetGrabRect(int) override { return {-2, -2, 3, 3}; }

protected:
  TOwnGripRect() : TTestRect(DefaultParam(QStringLiteral("テスト自前"))) {}
};

// A drawable container whose pool lists the objects it holds; its kind
// is "テスト容器", or "留針" (a pin) for TTestPinHolder.
class TTestHolderBase : public TRepreContnr {
  LUMORA_ABSTRACT_OBJECT(TTestHolderBase, TRepreContnr)
public:
  void CreateMode(TSysMode) override { FMaker = std::make_unique<TRepreMake>(this); }
  using TRepreContnr::DrawObj;
  void DrawObj(TCanvas &, std::span<const TRealPoint>) override {}
  void Place(std::vector<TRealPoint> aPoints) {
    Param.Grabs = int32_t(aPoints.size());
    SetPolygon(aPoints);
    InitGrabInfo();
    Maker()->SetCenter();
  }

protected:
  explicit TTestHolderBase(const QString &aKind) : TRepreContnr(KindParam(aKind)) {
    FVisible = true;
  }
  static TObjParam KindParam(const QString &aKind) {
    TObjParam param;
    param.ObjName = aKind;
    param.ActType = {atShow};
    return param;
  }
};

#define LUMORA_HOLDER_KIND(Class, Kind)                                                            \
  class Class : public TTestHolderBase {                                                           \
    LUMORA_OBJECT(Class, TTestHolderBase)                                                          \
  public:                                                                                          \
    static TObjInfo GetObjInfo() {                                                                 \
      TObjInfo info;                                                                               \
      info.IndexNo = -1;                                                                           \
      info.Name = QStringLiteral(Kind);                                                            \
      info.FormType = {otSurface};                                                                 \
      return info;                                                                                 \
    }                                                                                              \
                                                                                                   \
  protected:                                                                                       \
    Class() : TTestHolderBase(QStringLiteral(Kind)) {}                                             \
  };

LUMORA_HOLDER_KIND(TTestHolder, "テスト容器")
LUMORA_HOLDER_KIND(TTestPinHolder, "留針")

class InputTest : public ::testing::Test {
protected:
  void SetUp() override {
    StartTestCore({.RegisterClasses =
                       [](TObjClassList &aList) {
                         RegisterCoreClasses(aList);
                         aList.Add<TBookTestPage>();
                         aList.Add<TTestRect>();
                         aList.Add<TSnapLine>();
                         aList.Add<TSnapTarget>();
                         aList.Add<TOwnGripRect>();
                         aList.Add<TTestHolder>();
                         aList.Add<TTestPinHolder>();
                       },
                   .SystemState = true,
                   .NoSleep = true});
    page_ = NewObject<TBookTestPage>();
    TMakeInfo::Construct(&window_, nullptr, nullptr, [this] { return page_.get(); });
  }
  void TearDown() override {
    page_.reset();
    TCoreContext::Reset();
  }

  // A new figure of class T on the page with the given grab points.
  template <class T = TTestRect> T *Add(std::vector<TRealPoint> aPoints) {
    std::unique_ptr<T> obj = NewObject<T>();
    obj->Place(std::move(aPoints));
    return static_cast<T *>(page_->AddObj(std::move(obj)));
  }

  TInvalidations window_;
  std::unique_ptr<TBookTestPage> page_;
};

// The rectangle (l, t) - (r, b) as four corners, clockwise from top-left.
inline std::vector<TRealPoint> Corners(double l, double t, double r, double b) {
  return {{l, t}, {r, t}, {r, b}, {l, b}};
}

} // namespace lumora::test
