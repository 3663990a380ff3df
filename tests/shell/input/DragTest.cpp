// The drag controller (when a move drags, the Shift lock of a grip drag,
// rotating and reshaping through the figure, applying a drag on release)
// and the multi-selection tracker (its lists, select modes and moves).
#include <algorithm>
#include <numbers>
#include <optional>

#include "core/book/MetaBook.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "shell/input/Adsorb.h"
#include "shell/input/Drag.h"
#include "shell/input/Grips.h"
#include "shell/input/SimpleHandler.h"
#include "tests/shell/input/InputTestKinds.h"

namespace lumora::test {
namespace {

// A figure whose Shift partner, rotation angle and shape check the test
// sets, and which counts its re-makes.
class TDragRect : public TTestRect {
  LUMORA_OBJECT(TDragRect, TTestRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト引き");
    return info;
  }
  int AnchorGrab(int) override { return Anchor; }
  int OppositeGrab(int) override { return Opposite; }
  double RotateAngle(int, TRealPoint, TGrabRect &) override { return Angle; }
  bool CheckForm(int, std::span<const TRealPoint>, TPoint &pOffset) override {
    checked.push_back(pOffset);
    if (Correct) pOffset = *Correct;
    return Accept;
  }
  TGrabRect FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int pWidth) override {
    widths.push_back(pWidth);
    return TTestRect::FormatGrab(pNo, pOffset, pDragRect, pWidth);
  }
  // Keeps at most KeepPoints of the points it is rebuilt from.
  void GrabToPolygon(std::span<const TRealPoint> aGrab) override {
    const size_t n = std::min(aGrab.size(), KeepPoints);
    TTestRect::GrabToPolygon(aGrab.first(n));
    Param.Grabs = int32_t(n);
  }
  void ReMake() override {
    ++remakes;
    TTestRect::ReMake();
  }

  int Anchor = -1, Opposite = -1;
  double Angle = 0;
  bool Accept = true;
  std::optional<TPoint> Correct;
  size_t KeepPoints = 99;
  std::vector<TPoint> checked;
  std::vector<int> widths;
  int remakes = 0;

protected:
  TDragRect() : TTestRect(DefaultParam(QStringLiteral("テスト引き"))) {}
};

class DragTest : public InputTest {
protected:
  void SetUp() override {
    InputTest::SetUp();
    ObjClassList().Add<TDragRect>();
    ObjClassList().Add<TClickTarget>();
    ObjClassList().Add<TBookTestBook>();
    handler_ = std::make_unique<TSimpleHandler>(nullptr, &window_, [this] { return page_.get(); });
    grips_ = std::make_unique<TAuthorGrabs>(&window_, smAuthor);
    drag_ = std::make_unique<TObjDrag>(grips_.get(), [this] { return page_.get(); });
  }
  void TearDown() override {
    drag_.reset();
    grips_.reset();
    handler_.reset();
    SetCurrentBook(nullptr);
    book_.reset();
    InputTest::TearDown();
  }
  TDragRect *Figure(std::vector<TRealPoint> aPoints) { return Add<TDragRect>(std::move(aPoints)); }
  // aObj selected: dragged, its grips shown.
  void Select(TCommonObj *aObj) {
    drag_->Open(aObj);
    drag_->RefreshGrabs();
  }
  static TShiftState Left(TShiftState aMore = {}) {
    aMore.Include(ssLeft);
    return aMore;
  }
  static TGrabRect Shifted(const TGrabRect &aPoints, double dx, double dy) {
    TGrabRect moved = aPoints;
    for (TRealPoint &p : moved)
      p = {p.rx + dx, p.ry + dy};
    return moved;
  }
  // The page put in a book of 800 x 600 as its work page.
  void InBook(bool aPageMove) {
    book_ = NewObject<TBookTestBook>();
    book_->WinWidth = 800;
    book_->WinHeight = 600;
    SetCurrentBook(book_.get());
    book_->WorkPage = page_.get();
    page_->SetPageMove(aPageMove);
  }

  // The mouse handler whose mode the drag asks.
  std::unique_ptr<TSimpleHandler> handler_;
  std::unique_ptr<TAuthorGrabs> grips_;
  std::unique_ptr<TObjDrag> drag_;
  std::unique_ptr<TBookTestBook> book_;
};

TEST_F(DragTest, AMoveDragsWithTheLeftButtonAndAStandbyFromTheFirstMove) {
  Select(Figure(Corners(0, 0, 10, 10)));
  EXPECT_FALSE(drag_->CanDrag(gsOpen, {}));
  EXPECT_TRUE(drag_->CanDrag(gsOpen, Left()));
  EXPECT_FALSE(drag_->CanDrag(gsMoving, Left()));
  EXPECT_TRUE(drag_->CanDrag(gsStandby, Left()));
  EXPECT_TRUE(drag_->CanDrag(gsMultiSelect, Left()));
  drag_->RefreshGrabs();
  EXPECT_EQ(drag_->DelayCount, 0);
}

TEST_F(DragTest, ShiftLocksAGripToTheLinesThroughItsPartner) {
  // Partner 0 at (0, 0), grip 2 at (10, 10).
  TDragRect *rect = Figure(Corners(0, 0, 10, 10));
  Select(rect);
  SysInfo().SetGrabHandle(handler_.get());
  const TShiftState shift = Left(TShiftState{ssShift});
  const struct {
    TObjMode mode;
    int anchor, opposite;
    TRealPoint offset;
    TShiftState keys;
    TRealPoint expected;
  } cases[] = {
      {omNon, 0, -1, {5, 20}, shift, {-10, 20}},    // near the vertical
      {omNon, 0, -1, {20, 5}, shift, {20, -10}},    // near the horizontal
      {omNon, 0, -1, {5, 5}, shift, {5, -10}},      // exactly 45 degrees
      {omNon, -1, 0, {5, 20}, shift, {0, 0}},       // no anchor: no move
      {omRotate, -1, 0, {5, 20}, shift, {-10, 20}}, // rotating: the opposite grip
      {omNon, 0, -1, {5, 20}, Left(), {5, 20}},     // no Shift: as dragged
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.offset.rx << ", " << c.offset.ry << " mode " << c.mode);
    SysInfo().SetObjMode(c.mode);
    rect->Anchor = c.anchor;
    rect->Opposite = c.opposite;
    const TRealPoint got = drag_->Adjust(2, c.offset, c.keys);
    EXPECT_DOUBLE_EQ(got.rx, c.expected.rx);
    EXPECT_DOUBLE_EQ(got.ry, c.expected.ry);
  }
  SysInfo().SetObjMode(omNon);
}

TEST_F(DragTest, RotatingAndReshapingDrawAnOutlineAndLeaveTheFigure) {
  TDragRect *rect = Figure(Corners(0, 0, 40, 20));
  Select(rect);
  const TGrabRect points = drag_->DragRect();

  // A quarter turn of a copy: the outline stands 20 wide and 40 high.
  rect->Angle = std::numbers::pi / 2;
  EXPECT_TRUE(drag_->Rotate(2, {5, 5}));
  const TRect turned = RealPointsBounds(drag_->GetGrabs());
  EXPECT_EQ(turned.Right - turned.Left, 20);
  EXPECT_EQ(turned.Bottom - turned.Top, 40);
  EXPECT_EQ(rect->Polygon(), points);
  drag_->RefreshGrabs();

  // The offset rounded for the check, which corrects it; the new points
  // take the bounds' height plus one.
  rect->Correct = TPoint{6, 4};
  EXPECT_TRUE(drag_->Sizzing(2, {2.6, -1.4}));
  ASSERT_EQ(rect->checked.size(), 1u);
  EXPECT_EQ(rect->checked[0], (TPoint{3, -1}));
  const TRect bounds = rect->BoundsRect();
  EXPECT_EQ(rect->widths, std::vector<int>{bounds.Bottom - bounds.Top + 1});
  EXPECT_EQ(drag_->GetGrabs()[2], (TRealPoint{46, 24}));
  drag_->RefreshGrabs();

  // A refused shape draws nothing.
  rect->Accept = false;
  EXPECT_FALSE(drag_->Sizzing(2, {8, 8}));
  EXPECT_EQ(drag_->GetGrabs(), points);
  EXPECT_EQ(rect->widths.size(), 1u);
  EXPECT_EQ(rect->Polygon(), points);
}

TEST_F(DragTest, AReleaseWithoutAMoveStillSnaps) {
  Figure({{100, 100}});
  TDragRect *point = Figure({{115, 108}}); // 17 pixels off
  grips_->Adsorb()->SetAdsorbMode(true);
  grips_->Adsorb()->OpenPage(page_.get());
  Select(point);
  drag_->Close(true);
  EXPECT_EQ(point->Polygon()[0], (TRealPoint{100, 100}));
  EXPECT_EQ(drag_->DragRect()[0], (TRealPoint{100, 100}));
}

TEST_F(DragTest, APageThatKeepsItsObjectsInsideRefusesADragOutOfIt) {
  InBook(true);
  TDragRect *rect = Figure(Corners(10, 10, 30, 30));
  const TGrabRect start = rect->Polygon();
  Select(rect);
  // A point at x = -0.5: refused, the outline wiped.
  drag_->DragDraw(Shifted(start, -10.5, 0));
  window_.rects.clear();
  drag_->Close(true);
  EXPECT_FALSE(drag_->SetDragResult());
  EXPECT_EQ(rect->Polygon(), start);
  EXPECT_EQ(drag_->GetGrabs(), start);
  EXPECT_FALSE(window_.rects.empty());
  // x = 0 is inside.
  drag_->DragDraw(Shifted(start, -10, 0));
  drag_->Close(true);
  EXPECT_TRUE(drag_->SetDragResult());
  EXPECT_EQ(rect->Polygon(), Shifted(start, -10, 0));
}

TEST_F(DragTest, ClosingReloadsChangedPointCountsAndRemakesSeeThroughObjectsLeftBehind) {
  InBook(false);
  TDragRect *rect = Figure(Corners(0, 0, 20, 20));
  TDragRect *glass = Figure(Corners(10, 10, 30, 30)); // in front, see-through
  glass->Param.Transparency = 50;
  TDragRect *wall = Figure(Corners(5, 5, 25, 25)); // in front, opaque
  Select(rect);
  const int glassBefore = glass->remakes, wallBefore = wall->remakes;
  // Dragged away from both; it comes back with three points.
  rect->KeepPoints = 3;
  drag_->DragDraw(Shifted(rect->Polygon(), 200, 200));
  drag_->Close(true);
  EXPECT_EQ(rect->Param.Grabs, 3);
  EXPECT_EQ(drag_->DragRect().size(), 3u);
  EXPECT_EQ(grips_->Count(), 3);
  EXPECT_EQ(glass->remakes, glassBefore + 1);
  EXPECT_EQ(wall->remakes, wallBefore);
}

// ---- The multi-selection tracker ----

class MultiTracTest : public DragTest {
protected:
  static std::vector<TCommonObj *> Tracked(const TMultiTrac &aTrac) {
    std::vector<TCommonObj *> objs;
    for (int i = 0; i < aTrac.Count(); ++i)
      objs.push_back(aTrac.GetObjs(i));
    return objs;
  }
};

TEST_F(MultiTracTest, ShownObjectsKeepPaintOrderAndActionObjectsStandApart) {
  std::vector<TCommonObj *> shown;
  for (int i = 0; i < 4; ++i)
    shown.push_back(Figure(Corners(10 * i, 0, 10 * i + 8, 8)));
  TCommonObj *action = Add<TClickTarget>(Corners(0, 50, 8, 58));
  TAuthorMultiTrac trac(&window_);
  for (TCommonObj *obj : {shown[2], action, shown[0], shown[3], shown[1]})
    trac.AddObj(obj, handler_.get());
  EXPECT_EQ(trac.Count(), 0); // the tracked entries wait for a select mode
  trac.AltMode(0);
  EXPECT_EQ(Tracked(trac),
            (std::vector<TCommonObj *>{shown[0], shown[1], shown[2], shown[3], action}));

  const struct {
    int asked, mode, count;
  } steps[] = {{-1, 1, 4}, {-1, 2, 1}, {-1, 0, 5}, {1, 1, 4}, {0, 0, 5}, {7, 0, 5}, {2, 2, 1}};
  for (const auto &s : steps) {
    SCOPED_TRACE(s.asked);
    trac.AltMode(s.asked);
    EXPECT_EQ(trac.SelectMode(), s.mode);
    EXPECT_EQ(trac.Count(), s.count);
  }
  EXPECT_EQ(trac.GetObjs(0), action);
  // Dropping a grip set of the mode's list.
  EXPECT_EQ(trac.Remove(trac.GetGrabs(action)), 0);
  EXPECT_EQ(trac.Count(), 0);
  EXPECT_EQ(trac.ActCount(), 0);
}

TEST_F(MultiTracTest, ADragMovesTheOutlinesAndClosingRebuildsEveryObject) {
  TDragRect *a = Figure(Corners(0, 0, 10, 10));
  TDragRect *b = Figure(Corners(50, 50, 70, 60));
  TAuthorMultiTrac trac(&window_);
  trac.AddObj(a, handler_.get());
  trac.AddObj(b, handler_.get());
  trac.AltMode(0);
  const TGrabRect aStart = a->Polygon(), bStart = b->Polygon();
  EXPECT_EQ(trac.SaveRect(), (std::vector<TGrabRect>{aStart, bStart}));

  trac.Move({3, 4});
  EXPECT_EQ(trac.SaveRect()[1], Shifted(bStart, 3, 4));
  EXPECT_EQ(b->Polygon(), bStart); // nothing applied yet

  window_.rects.clear();
  trac.DragDraw(10, -5);
  EXPECT_EQ(trac.SaveRect()[0], Shifted(aStart, 10, -5));
  EXPECT_FALSE(window_.rects.empty());
  trac.CloseDrag();
  EXPECT_EQ(a->Polygon(), Shifted(aStart, 10, -5));
  EXPECT_EQ(b->Polygon(), Shifted(bStart, 10, -5));
  EXPECT_EQ(trac.GetGrabs(b)->GrabBounds(), Shifted(bStart, 10, -5));
  EXPECT_TRUE(a->Visible());
  const TRect area = trac.ClipRect();
  EXPECT_LE(area.Left, 10);
  EXPECT_GE(area.Right, 70 + 10);
}

} // namespace
} // namespace lumora::test
