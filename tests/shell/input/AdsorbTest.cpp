// Snapping: the capture distance, which of equally near points wins, the
// points that do not snap, the author map switched off and on, and the
// presentation snapper with groups, pins and block programs.
#include "shell/input/Adsorb.h"
#include "core/book/ActBlockList.h"
#include "tests/shell/input/InputTestKinds.h"

namespace lumora::test {
namespace {

void ExpectPoint(TRealPoint aActual, TRealPoint aExpected, const char *aWhat) {
  EXPECT_NEAR(aActual.rx, aExpected.rx, 1e-9) << aWhat;
  EXPECT_NEAR(aActual.ry, aExpected.ry, 1e-9) << aWhat;
}

// Records the block programs handed to it.
class TTestAdsorbEx : public TAdsorbEx {
public:
  bool AdsorbProgram(bool aLock, TCommonObj *aObj, TRealPoint &aOffset) override {
    programs.push_back(aObj);
    return AdsorbOne(aLock, aObj, aOffset);
  }
  std::vector<TCommonObj *> programs;
};

// A block-program figure.
class TTestProgram : public TTestRect, public IFActProg {
  LUMORA_OBJECT(TTestProgram, TTestRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト命令");
    return info;
  }
  TActClass GetActClass() override { return acWork; }
  TCommonObj *GetActBlock() override { return nullptr; }
  TCommonObj *GetActWork() override { return this; }
  TCommonObj *GetActSprite() override { return nullptr; }
  void SetActSprite(TCommonObj *) override {}

protected:
  TTestProgram() : TTestRect(DefaultParam(QStringLiteral("テスト命令"))) {}
};

class AdsorbTest : public InputTest {
protected:
  void SetUp() override {
    InputTest::SetUp();
    ObjClassList().Add<TTestProgram>();
  }
  // The author snapper, switched on, with the page opened.
  TAdsorbDe &Author() {
    author_.SetAdsorbMode(true);
    author_.OpenPage(page_.get());
    return author_;
  }
  // A one-point figure.
  TTestRect *Point(double x, double y) { return Add({{x, y}}); }
  // Drags aObj by aOffset in the author snapper and drops it.
  bool Drag(TCommonObj *aObj, TRealPoint aOffset) {
    EXPECT_TRUE(author_.Open(aObj));
    aObj->Move(aOffset);
    return author_.Close(TGrabRect(aObj->Polygon()));
  }

  TAdsorbDe author_;
};

TEST_F(AdsorbTest, CaptureDistanceOf23PixelsIsInclusive) {
  const struct {
    double dx, dy;
    bool snaps;
  } cases[] = {
      {23, 0, true},         {23.000001, 0, false}, {0, -23, true},
      {0, 23.000001, false}, {16.2, 16.2, true}, // 22.91
      {16.3, 16.3, false},                       // 23.05
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.dx << ", " << c.dy);
    page_->ClearChildren();
    Point(100, 100);
    TTestRect *dragged = Point(500, 500);
    Author();
    const TRealPoint start{100 + c.dx, 100 + c.dy};
    EXPECT_EQ(Drag(dragged, SubRealPoint(start, {500, 500})), c.snaps);
    ExpectPoint(dragged->Polygon()[0], c.snaps ? TRealPoint{100, 100} : start, "dropped at");
    author_.ClosePage();
  }
}

TEST_F(AdsorbTest, OfEquallyNearPairsTheFirstMetWins) {
  // Dragged points are met in order; for each, the per-query items first,
  // then the map by bound (distance from the origin + 23), equal bounds in
  // the order they arrived.
  struct Case {
    const char *name;
    std::vector<TRealPoint> map; // one-point figures, added in this order
    double lineX;                // a per-query vertical line at x (< 0: none)
    std::vector<TRealPoint> dragged;
    TRealPoint expectedOffset;
  };
  const Case cases[] = {
      {"smaller bound first", {{110, 100}, {90, 100}}, -1, {{100, 100}}, {-10, 0}},
      {"equal bounds in arrival order", {{110, 100}, {100, 110}}, -1, {{100, 100}}, {10, 0}},
      {"equal bounds, other arrival", {{100, 110}, {110, 100}}, -1, {{100, 100}}, {0, 10}},
      {"per-query item before the map", {{90, 100}}, 110, {{100, 100}}, {10, 0}},
      {"nearest pair over first point",
       {{100, 110}, {300, 304}},
       -1,
       {{100, 100}, {300, 300}},
       {0, 4}},
      {"first dragged point on a tie",
       {{310, 300}, {100, 110}},
       -1,
       {{100, 100}, {300, 300}},
       {0, 10}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    page_->ClearChildren();
    for (TRealPoint p : c.map)
      Point(p.rx, p.ry);
    if (c.lineX >= 0) {
      TSnapLine *line = Add<TSnapLine>({{1000, 1000}});
      line->LineX = c.lineX;
      line->Param.ActType.Include(atAdsorbPos);
    }
    std::vector<TRealPoint> far;
    for (TRealPoint p : c.dragged)
      far.push_back(AddRealPoint(p, {2000, 2000}));
    TTestRect *dragged = Add(far);
    Author();
    ASSERT_TRUE(Drag(dragged, {-2000, -2000}));
    ExpectPoint(SubRealPoint(dragged->Polygon()[0], c.dragged[0]), c.expectedOffset, "offset");
    author_.ClosePage();
  }
}

TEST_F(AdsorbTest, PointWithoutAdsorbModeNeverSnapsButOthersSnapOntoIt) {
  TTestRect *a = Add({{100, 100}, {600, 600}});
  a->GrabInfo()->SetGrabMode(0, {gmMid});
  TTestRect *b = Point(110, 100);
  Author();
  // a's point 0 lies 10 from b but does not snap; point 1 has nothing near.
  EXPECT_FALSE(Drag(a, {0, 0}));
  ExpectPoint(a->Polygon()[0], {100, 100}, "a stays");
  // It still takes b.
  EXPECT_TRUE(Drag(b, {0, 0}));
  ExpectPoint(b->Polygon()[0], {100, 100}, "b snapped onto a");
}

TEST_F(AdsorbTest, CentreSnapsAndTakesSnapsWithAtCenter) {
  TTestRect *square = Add(Corners(0, 0, 40, 40)); // centre (20, 20)
  square->Param.ActType.Include(atCenter);
  TTestRect *p = Point(300, 300);
  Author();
  // A point 5 from the square's centre snaps onto it.
  EXPECT_TRUE(Drag(p, {-275, -285}));
  ExpectPoint(p->Polygon()[0], {20, 20}, "point onto the centre");
  // The square moved so that its centre lies 6 from the point snaps by its
  // centre, no corner being near.
  EXPECT_TRUE(Drag(square, {6, 0}));
  ExpectPoint(square->BCenter(), {20, 20}, "centre back onto the point");
  ExpectPoint(square->Polygon()[0], {0, 0}, "corner moved with it");
}

TEST_F(AdsorbTest, AuthorSnappingOffEmptiesTheMapAndRefusesDrags) {
  Add(Corners(0, 0, 40, 40));
  TTestRect *b = Point(45, 0);
  author_.OpenPage(page_.get());
  EXPECT_EQ(author_.Count(), 0) << "snapping starts switched off";
  EXPECT_FALSE(author_.Open(b));

  author_.SetAdsorbMode(true);
  EXPECT_EQ(author_.Count(), 5) << "refilled from the page it was opened for";
  EXPECT_TRUE(Drag(b, {0, 0}));
  ExpectPoint(b->Polygon()[0], {40, 0}, "snapped");

  author_.SetAdsorbMode(false);
  EXPECT_EQ(author_.Count(), 0);
  EXPECT_FALSE(author_.Open(b));
  author_.AddObj(b);
  EXPECT_EQ(author_.Count(), 0) << "nothing joins a switched-off map";

  author_.SetAdsorbMode(true);
  author_.RemoveObj(b);
  EXPECT_EQ(author_.Count(), 4);
  author_.SetEnabled(false);
  EXPECT_EQ(author_.Count(), 0);
  EXPECT_EQ(author_.Page(), nullptr);
  EXPECT_FALSE(author_.Close(TGrabRect{{0, 0}}));
}

TEST_F(AdsorbTest, ClosedPageForgetsAnOpenDrag) {
  TTestRect *a = Point(0, 0);
  Author();
  ASSERT_TRUE(author_.Open(a));
  author_.ClosePage();
  page_->ClearChildren();
  // The object is gone with its page: the drop touches nothing.
  EXPECT_FALSE(author_.Close(TGrabRect{{0, 0}}));
  EXPECT_EQ(author_.Count(), 0);
}

TEST_F(AdsorbTest, PresentationMapTakesOnlySnappingObjectsAndPoints) {
  TTestAdsorbEx ex;
  EXPECT_TRUE(ex.AdsorbMode());
  TTestRect *plain = Add(Corners(0, 0, 40, 40));
  TTestRect *snapping = Add(Corners(100, 0, 140, 40));
  snapping->Param.ActType.Include(atAdsorb);
  snapping->GrabInfo()->SetGrabMode(1, {gmMid});
  ex.OpenPage(page_.get());
  ASSERT_EQ(ex.Count(), 3);
  for (int i = 0; i < ex.Count(); ++i)
    EXPECT_EQ(ex.Item(i).Obj(), snapping);
  EXPECT_FALSE(ex.Open(plain));

  // The target's own capture distance (5) decides; the drop tells it.
  TSnapTarget *target = Add<TSnapTarget>({{200, 200}});
  target->Param.ActType.Include(atAdsorb);
  target->EventParam.Adsorb = 5;
  ex.AddObj(target);
  ASSERT_TRUE(ex.Open(snapping));
  snapping->Move({100 + 4, 200 - 2}); // corner 0 at (204, 198): 4.47 away
  ex.Close(false);
  ExpectPoint(snapping->Polygon()[0], {200, 200}, "snapped within its range");
  ASSERT_EQ(target->fromPoints.size(), 1u);
  ExpectPoint(target->fromPoints[0], {200, 200}, "told at");
  EXPECT_EQ(target->fromObjs[0], snapping);
  EXPECT_EQ(ex.Count(), 4) << "its points are back in the map";

  // Beyond the target's range, and locked: no snap.
  ASSERT_TRUE(ex.Open(snapping));
  snapping->Move({4, 3.1});
  ex.Close(false);
  ExpectPoint(snapping->Polygon()[0], {204, 203.1}, "beyond 5");
  ASSERT_TRUE(ex.Open(snapping));
  snapping->Move({-4, -3.1});
  snapping->Move({1, 0});
  ex.Close(true);
  ExpectPoint(snapping->Polygon()[0], {201, 200}, "locked");
}

TEST_F(AdsorbTest, PresentationGroupsSnapWithTheirMembers) {
  const struct {
    const char *kind;
    bool groupSnaps;
  } cases[] = {{"テスト容器", true}, {"留針", true}, {"テスト容器", false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << (c.groupSnaps ? "" : " not snapping"));
    page_->ClearChildren();
    TTestAdsorbEx ex;
    TSnapTarget *target = Add<TSnapTarget>({{0, 0}});
    target->Param.ActType.Include(atAdsorb);
    TTestRect *m1 = Add(Corners(500, 500, 520, 520));
    TTestRect *m2 = Add(Corners(600, 500, 620, 520));
    m1->Param.ActType.Include(atAdsorb);
    m2->Param.ActType.Include(atAdsorb);
    std::unique_ptr<TCommonObj> made = ObjClassList().CreateObject(QString::fromUtf8(c.kind));
    auto *group = static_cast<TTestHolderBase *>(made.get());
    group->Place(Corners(400, 400, 700, 600));
    if (c.groupSnaps) group->Param.ActType.Include(atAdsorb);
    group->AddObj(m1);
    group->AddObj(m2);
    page_->AddObj(std::move(made));
    ex.OpenPage(page_.get());
    const int mapped = ex.Count();
    EXPECT_EQ(mapped, 1 + 4 + 4 + (c.groupSnaps ? 4 : 0)) << "members once each";

    ASSERT_TRUE(ex.Open(group));
    EXPECT_EQ(ex.Count(), 1) << "the group's and members' points left the map";
    // Dragged so that the group's corner lies 10 from the target point.
    group->Move({-400 + 6, -400 + 8});
    ex.Close(false);
    EXPECT_EQ(ex.Count(), mapped);
    if (c.groupSnaps) {
      ExpectPoint(group->Polygon()[0], {0, 0}, "group");
      // The members moved by the group's offset once.
      ExpectPoint(m1->Polygon()[0], {100, 100}, "member 1");
      ExpectPoint(m2->Polygon()[0], {200, 100}, "member 2");
      ASSERT_EQ(target->fromObjs.size(), 1u);
      EXPECT_EQ(target->fromObjs[0], group);
    } else {
      ExpectPoint(group->Polygon()[0], {6, 8}, "group");
      ExpectPoint(m1->Polygon()[0], {106, 108}, "member 1");
      EXPECT_TRUE(target->fromObjs.empty());
    }
  }
}

TEST_F(AdsorbTest, BlockProgramsSnapThroughAdsorbProgram) {
  TTestAdsorbEx ex;
  TTestRect *target = Point(0, 0);
  target->Param.ActType.Include(atAdsorb);
  TTestProgram *prog = Add<TTestProgram>({{10, 0}});
  prog->Param.ActType.Include(atAdsorb);
  ex.OpenPage(page_.get());
  ASSERT_TRUE(ex.Open(prog));
  ex.Close(false);
  EXPECT_EQ(ex.programs, std::vector<TCommonObj *>{prog});
  ExpectPoint(prog->Polygon()[0], {0, 0}, "program");
  EXPECT_EQ(ex.Count(), 2);
}

} // namespace
} // namespace lumora::test
