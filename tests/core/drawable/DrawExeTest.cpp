// Click runs in presentation mode: the circuit of linked objects and the
// actions an action object has its drawable targets carry out.
#include <functional>
#include <numbers>

#include "core/drawable/DrawLink.h"
#include "core/system/SysContext.h"
#include "tests/core/drawable/DrawTestClasses.h"

namespace lumora::test {
namespace {

constexpr double kPi = std::numbers::pi;

void ExpectPoints(const std::vector<TRealPoint> &aActual,
                  const std::vector<TRealPoint> &aExpected) {
  ASSERT_EQ(aActual.size(), aExpected.size());
  for (size_t i = 0; i < aExpected.size(); ++i) {
    EXPECT_NEAR(aActual[i].rx, aExpected[i].rx, 1e-9) << "point " << i;
    EXPECT_NEAR(aActual[i].ry, aExpected[i].ry, 1e-9) << "point " << i;
  }
}

class DrawExeTest : public DrawTest {
protected:
  void SetUp() override {
    DrawTest::SetUp();
    SysInfo().SetSysMode(smExec);
    ExecServices() = {&services_, &services_, &services_};
  }

  // A button "btn" whose click runs the action object "x" of aType on
  // aTarget.
  TTestActor *Wire(TTestRect *aTarget, TExeType aType) {
    button_ = Add(QStringLiteral("btn"), RectPoints(100, 100, 120, 120));
    TTestActor *actor = AddActor(QStringLiteral("x"), aType);
    EXPECT_TRUE(button_->DrawLink()->DoLink(actor));
    actor->AddTarget(aTarget);
    return actor;
  }
  void Click(TCommonObj *aObj) {
    gLog.clear();
    aObj->Ex()->ExecRoot(RealPointToPoint(aObj->BCenter()));
  }
  void Click() { Click(button_); }
  static TDrawExe &Exe(TCommonObj *aObj) { return *static_cast<TDrawExe *>(aObj->Ex()); }

  FakeServices services_;
  TTestRect *button_ = nullptr;
};

TEST_F(DrawExeTest, ClickRunAroundALoopVisitsEachObjectOnce) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  TTestRect *b = Add(QStringLiteral("b"), RectPoints(20, 0, 30, 10));
  a->SetLinkedObj(b);
  b->SetLinkedObj(a);
  Click(a);
  EXPECT_EQ(gLog, QStringList({"exec a", "exec b", "exec a"}));
  // No action was passed: nothing changed.
  EXPECT_EQ(a->Polygon(), RectPoints(0, 0, 10, 10));
}

TEST_F(DrawExeTest, ActionsOfTheActionRecord) {
  struct Case {
    const char *name;
    TExeType type;
    std::function<void(TActParam &, TTestRect *)> prepare;
    int clicks;
    std::function<void(TTestRect *)> check;
  };
  const auto hide = [](TActParam &, TTestRect *t) {
    t->SetVisible(false);
    t->Param.ActType.Exclude(atShow);
  };
  const auto none = [](TActParam &, TTestRect *) {};
  const auto shown = [](bool aShown) {
    return [aShown](TTestRect *t) {
      EXPECT_EQ(t->Visible(), aShown);
      EXPECT_EQ(t->Param.ActType.Contains(atShow), aShown);
    };
  };
  const Case cases[] = {
      {"show", {exShow}, hide, 1, shown(true)},
      {"hide", {exHide}, none, 1, shown(false)},
      {"toggle", {exAlt}, none, 1, shown(false)},
      {"toggle twice", {exAlt}, none, 2, shown(true)},
      {"toggle a hidden one", {exAlt}, hide, 1, shown(true)},
      {"show and toggle a showing one", {exShow, exAlt}, none, 1, shown(false)},
      {"move",
       {exMove},
       [](TActParam &p, TTestRect *) {
         p.MovePos = {10, -5};
       },
       1,
       [](TTestRect *t) { ExpectPoints(t->Polygon(), RectPoints(20, 5, 40, 25)); }},
      {"move to a position",
       {exMove, exPosition},
       [](TActParam &p, TTestRect *) {
         p.MovePos = {100, 50};
       },
       1,
       [](TTestRect *t) { ExpectPoints(t->Polygon(), RectPoints(100, 50, 120, 70)); }},
      {"rotate",
       {exRotate},
       [](TActParam &p, TTestRect *t) {
         p.Angle = kPi / 2;
         t->SetRCenter({10, 10});
       },
       1,
       [](TTestRect *t) {
         ExpectPoints(t->Polygon(), {{10, 10}, {10, 30}, {-10, 30}, {-10, 10}});
       }},
      {"mirror",
       {exLineSymm},
       [](TActParam &, TTestRect *t) {
         t->Place({{10, 10}, {30, 10}, {30, 30}, {12, 30}});
       },
       1,
       [](TTestRect *t) {
         ExpectPoints(t->Polygon(), {{30, 10}, {10, 10}, {10, 30}, {28, 30}});
         EXPECT_TRUE(t->Param.Transform().Contains(tfLineSym));
       }},
      {"turn upside down",
       {exTurnUpside},
       [](TActParam &, TTestRect *t) {
         t->Place({{10, 10}, {30, 10}, {30, 30}, {10, 32}});
       },
       1,
       [](TTestRect *t) {
         ExpectPoints(t->Polygon(), {{10, 32}, {30, 32}, {30, 12}, {10, 10}});
         EXPECT_TRUE(t->Param.Transform().Contains(tfUpend));
       }},
      {"scale",
       {exScaling},
       [](TActParam &p, TTestRect *) { p.Scaling = 2; },
       1,
       [](TTestRect *t) { ExpectPoints(t->Polygon(), RectPoints(0, 0, 40, 40)); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TTestRect *t = Add(QStringLiteral("t"), RectPoints(10, 10, 30, 30));
    TTestActor *actor = Wire(t, c.type);
    c.prepare(actor->ActParam, t);
    for (int i = 0; i < c.clicks; ++i)
      Click();
    c.check(t);
    // The run passed from the button through the action to the target.
    EXPECT_EQ(gLog, QStringList({"exec btn", "exec x", "exec t"}));
  }
}

TEST_F(DrawExeTest, MirrorAndTurnAreRecordedForUndoFirst) {
  TTestRect *t = Add(QStringLiteral("t"), RectPoints(10, 10, 30, 30));
  Wire(t, {exLineSymm, exTurnUpside, exScaling})->ActParam.Scaling = 1;
  Click();
  ASSERT_EQ(services_.edits.size(), 2u);
  for (const FakeServices::EditCall &e : services_.edits) {
    EXPECT_EQ(e.op, 105);
    EXPECT_EQ(e.obj, t);
    EXPECT_EQ(e.value, 0);
  }
}

TEST_F(DrawExeTest, PassedActionStopsAtAFigureButGoesThroughAConductor) {
  TTestRect *t = Add(QStringLiteral("t"), RectPoints(0, 0, 10, 10));
  TTestRect *u = Add(QStringLiteral("u"), RectPoints(50, 0, 60, 10));
  Wire(t, {exMove})->ActParam.MovePos = {1, 0};
  t->SetLinkedObj(u);
  Click();
  EXPECT_EQ(gLog, QStringList({"exec btn", "exec x", "exec t"}));
  EXPECT_EQ(u->Polygon()[0], TRealPoint({50, 0}));

  TTestConductor *c = Add<TTestConductor>(QStringLiteral("c"), RectPoints(20, 0, 30, 10));
  t->SetLinkedObj(c);
  c->SetLinkedObj(u);
  Click();
  EXPECT_EQ(gLog, QStringList({"exec btn", "exec x", "exec t", "exec c", "exec u"}));
  EXPECT_EQ(t->Polygon()[0], TRealPoint({2, 0}));
  EXPECT_EQ(u->Polygon()[0], TRealPoint({51, 0}));
}

TEST_F(DrawExeTest, ActionLoopEndsAtTheObjectAlreadyInTheCircuit) {
  TTestRect *t = Add(QStringLiteral("t"), RectPoints(0, 0, 10, 10));
  TTestConductor *c = Add<TTestConductor>(QStringLiteral("c"), RectPoints(20, 0, 30, 10));
  Wire(t, {exMove})->ActParam.MovePos = {1, 0};
  t->SetLinkedObj(c);
  c->SetLinkedObj(t);
  Click();
  EXPECT_EQ(gLog, QStringList({"exec btn", "exec x", "exec t", "exec c", "exec t"}));
  // Reached again, the target acts before the run ends at it.
  EXPECT_EQ(t->Polygon()[0], TRealPoint({2, 0}));
}

TEST_F(DrawExeTest, RunNotStartedByAClickEndsAtTheFirstDrawable) {
  TTestRect *t = Add(QStringLiteral("t"), RectPoints(0, 0, 10, 10));
  TTestConductor *c = Add<TTestConductor>(QStringLiteral("c"), RectPoints(20, 0, 30, 10));
  TTestActor *actor = AddActor(QStringLiteral("x"), {exMove});
  actor->ActParam.MovePos = {3, 0};
  t->SetLinkedObj(c);
  TCircuit circuit = std::make_unique<TObjList>(TObjList{actor});
  EXPECT_FALSE(t->Ex()->Exec(circuit, actor));
  EXPECT_EQ(circuit, nullptr);
  EXPECT_EQ(gLog, QStringList({"exec t"}));
  EXPECT_EQ(t->Polygon()[0], TRealPoint({3, 0}));
  // Without a circuit the object acts and the run ends at once.
  EXPECT_FALSE(t->Ex()->Exec(circuit, actor));
  EXPECT_EQ(t->Polygon()[0], TRealPoint({6, 0}));
}

TEST_F(DrawExeTest, RotationTurnsAboutAPinAndTwoPinsForbidIt) {
  const struct {
    int pins;
    std::vector<TRealPoint> expected;
  } cases[] = {{0, {{10, 10}, {10, 30}, {-10, 30}, {-10, 10}}},
               {1, {{-10, 10}, {-10, 30}, {-30, 30}, {-30, 10}}}, // about the pin at (0, 0)
               {2, RectPoints(10, 10, 30, 30)}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.pins);
    TTestRect *t = Add(QStringLiteral("t"), RectPoints(10, 10, 30, 30));
    t->SetRCenter({10, 10});
    for (int i = 0; i < c.pins; ++i) {
      TTestPin *pin = Add<TTestPin>(QStringLiteral("pin"), RectPoints(-2, -2, 2, 2));
      pin->SetRCenter(i == 0 ? TRealPoint{0, 0} : TRealPoint{5, 5});
      t->AddObj(pin);
    }
    Wire(t, {exRotate})->ActParam.Angle = kPi / 2;
    services_.gripsShowing = true;
    services_.gripObj = t;
    services_.gripUpdates = 0;
    Click();
    ExpectPoints(t->Polygon(), c.expected);
    // A refused rotation leaves the grips alone.
    EXPECT_EQ(services_.gripUpdates, c.pins < 2 ? 1 : 0);
    TActParam p;
    p.Angle = kPi / 2;
    EXPECT_EQ(Exe(t).ActRotate(p), c.pins < 2);
  }
}

TEST_F(DrawExeTest, RotationWithoutAngleOrWithABadOneChangesNothing) {
  TTestRect *t = Add(QStringLiteral("t"), RectPoints(10, 10, 30, 30));
  for (double angle : {0.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    TActParam p;
    p.Angle = angle;
    Exe(t).ActRotate(p);
    EXPECT_EQ(t->Polygon(), RectPoints(10, 10, 30, 30)) << angle;
  }
}

TEST_F(DrawExeTest, TracerFollowsARotationInStepsOfPiOver32) {
  const struct {
    double angle;
    size_t moves;
  } cases[] = {{kPi / 2, 17}, {kPi / 32 * 2.5, 3}, {-kPi / 2, 1}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.angle);
    TTestRect *t = Add(QStringLiteral("t"), RectPoints(10, 10, 30, 30));
    TTestRect *tracer = Add(QStringLiteral("tr"), RectPoints(40, 18, 44, 22));
    tracer->Param.ActType.Include(awTrace);
    t->SetLinkedObj(tracer);
    t->SetRCenter({20, 20});
    Wire(t, {exRotate})->ActParam.Angle = c.angle;
    Click();
    EXPECT_EQ(tracer->ShiftMoves.size(), c.moves);
    for (TShiftState s : tracer->ShiftMoves)
      EXPECT_EQ(s, TShiftState{ssRight});
    const TRealPoint end = RotateRealPoint({42, 20}, {20, 20}, c.angle);
    EXPECT_NEAR(tracer->BCenter().rx, end.rx, 1e-9);
    EXPECT_NEAR(tracer->BCenter().ry, end.ry, 1e-9);
  }
}

TEST_F(DrawExeTest, MovesAtAZoomAreScaledAndTinyOnesIgnored) {
  const struct {
    double zoom;
    TRealPoint move;
    TRealPoint firstPoint;
    bool tracerMoves;
  } cases[] = {{2, {0.004, 0.003}, {10, 10}, false},
               {2, {5, -1}, {20, 8}, true},
               {1, {0.004, 0.003}, {10.004, 10.003}, false},
               {1, {5, -1}, {15, 9}, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.zoom);
    SysInfo().SetZoom(c.zoom);
    TTestRect *t = Add(QStringLiteral("t"), RectPoints(10, 10, 30, 30));
    TTestRect *tracer = Add(QStringLiteral("tr"), RectPoints(40, 18, 44, 22));
    tracer->Param.ActType.Include(awTrace);
    t->SetLinkedObj(tracer);
    Wire(t, {exMove})->ActParam.MovePos = c.move;
    Click();
    EXPECT_NEAR(t->Polygon()[0].rx, c.firstPoint.rx, 1e-12);
    EXPECT_NEAR(t->Polygon()[0].ry, c.firstPoint.ry, 1e-12);
    EXPECT_EQ(tracer->ShiftMoves.size(), c.tracerMoves ? 1u : 0u);
    if (c.tracerMoves) {
      EXPECT_EQ(tracer->ShiftMoves[0], TShiftState{ssMiddle});
      EXPECT_EQ(tracer->Polygon()[0], TRealPoint({50, 16}));
    }
  }
}

TEST_F(DrawExeTest, SpritesAndGripsFollowTheAction) {
  TTestRect *t = Add(QStringLiteral("t"), RectPoints(10, 10, 30, 30));
  TTestRect *other = Add(QStringLiteral("o"), RectPoints(50, 50, 60, 60));
  TTestActor *actor = Wire(t, {exMove});
  actor->ActParam.MovePos = {1, 0};

  Click(); // nothing showing, no sprites
  EXPECT_TRUE(services_.repainted.empty());
  EXPECT_EQ(services_.gripUpdates + services_.hides, 0);

  services_.spritesActive = true;
  services_.gripsShowing = true;
  services_.gripObj = other;
  Click();
  EXPECT_EQ(services_.repainted, TObjList({t}));
  EXPECT_EQ(services_.gripUpdates, 0); // the grips are another object's

  services_.gripObj = nullptr;
  SysInfo().SetLastActive(t);
  ASSERT_EQ(SysInfo().LastActive(), t);
  Click();
  EXPECT_EQ(services_.gripUpdates, 1);

  actor->ActParam.ExeType = {exHide};
  Click();
  EXPECT_EQ(services_.hides, 1);
  EXPECT_FALSE(services_.gripsShowing);
}

TEST_F(DrawExeTest, InvalidatedAreaIsShiftedByTheGripControl) {
  TTestRect *t = Add(QStringLiteral("t"), RectPoints(10, 10, 30, 30));
  services_.origin = {100, 200};
  window_.rects.clear();
  window_.erases.clear();
  EXPECT_TRUE(Exe(t).OnOff({exShow}));
  // The bounds (10, 10, 31, 31) grown by 1 (width 1: 0.6 rounds to 1).
  EXPECT_EQ(window_.rects, std::vector<TRect>({Rect(109, 209, 132, 232)}));
  EXPECT_EQ(window_.erases, std::vector<bool>({false}));
}

TEST_F(DrawExeTest, DirectMoveShiftsThePolygonAndReRecords) {
  TTestRect *t = Add(QStringLiteral("t"), RectPoints(10, 10, 30, 30));
  window_.rects.clear();
  Exe(t).Move(TRealPoint{2.5, -1});
  ExpectPoints(t->Polygon(), RectPoints(12.5, 9, 32.5, 29));
  EXPECT_TRUE(window_.rects.empty());
}

} // namespace
} // namespace lumora::test
