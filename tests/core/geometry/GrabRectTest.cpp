#include "core/geometry/Geometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace lumora {
namespace {

constexpr double kEps = 1e-9;

// A grab rectangle from its four corners (top-left, top-right, bottom-right,
// bottom-left), with the side middles filled in.
TGrabRect MakeGrabRect(TRealPoint c0, TRealPoint c1, TRealPoint c2, TRealPoint c3) {
  return {c0,
          c1,
          c2,
          c3,
          MidRealPoint(c0, c3),
          MidRealPoint(c1, c2),
          MidRealPoint(c0, c1),
          MidRealPoint(c3, c2)};
}

TGrabRect AxisRect(double left, double top, double width, double height) {
  return MakeGrabRect({left, top}, {left + width, top}, {left + width, top + height},
                      {left, top + height});
}

// A width x height rectangle centred at centre, turned by angle.
TGrabRect TurnedRect(TRealPoint centre, double width, double height, double angle) {
  TGrabRect r = AxisRect(centre.rx - width / 2, centre.ry - height / 2, width, height);
  RotateRealPoints(r, centre, angle);
  return r;
}

void ExpectPointNear(TRealPoint actual, TRealPoint expected, double eps = kEps) {
  EXPECT_NEAR(actual.rx, expected.rx, eps);
  EXPECT_NEAR(actual.ry, expected.ry, eps);
}

void ExpectGrabNear(const TGrabRect &actual, const TGrabRect &expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectPointNear(actual[i], expected[i]);
  }
}

void ExpectIsRectangle(const TGrabRect &r) {
  ASSERT_EQ(r.size(), 8u);
  const TRealPoint top = SubRealPoint(r[1], r[0]);
  const TRealPoint bottom = SubRealPoint(r[2], r[3]);
  const TRealPoint left = SubRealPoint(r[3], r[0]);
  const TRealPoint right = SubRealPoint(r[2], r[1]);
  ExpectPointNear(top, bottom, 1e-7);
  ExpectPointNear(left, right, 1e-7);
  EXPECT_NEAR(top.rx * left.rx + top.ry * left.ry, 0, 1e-6); // right angle
  ExpectPointNear(r[4], MidRealPoint(r[0], r[3]));
  ExpectPointNear(r[5], MidRealPoint(r[1], r[2]));
  ExpectPointNear(r[6], MidRealPoint(r[0], r[1]));
  ExpectPointNear(r[7], MidRealPoint(r[3], r[2]));
}

TEST(GrabRect, TransformAxisParallelCornerAndSide) {
  const TGrabRect r = AxisRect(0, 0, 20, 20);
  const TGrabRect corner = TransformGrabRectInt(2, r, {5, 3});
  ExpectGrabNear(corner, AxisRect(0, 0, 25, 23));
  const TGrabRect topLeft = TransformGrabRect(0, r, {-4, 6});
  ExpectGrabNear(topLeft, AxisRect(-4, 6, 24, 14));
  // A side handle takes only the move across its side.
  const TGrabRect side = TransformGrabRect(5, r, {4, 7});
  ExpectGrabNear(side, AxisRect(0, 0, 24, 20));
  const TGrabRect top = TransformGrabRect(6, r, {9, -3});
  ExpectGrabNear(top, AxisRect(0, -3, 20, 23));

  EXPECT_EQ(TransformGrabRect(8, r, {5, 5}), r);
  EXPECT_EQ(TransformGrabRect(-1, r, {5, 5}), r);
  const TGrabRect shortRect(r.begin(), r.begin() + 4);
  EXPECT_EQ(TransformGrabRect(2, shortRect, {5, 5}), shortRect);
}

TEST(GrabRect, TransformKeepsATurnedRectangleARectangle) {
  const double angles[] = {0.5236, -1.1, 2.9};
  const TRealPoint moves[] = {{7, -3}, {-4.5, 11}, {2, 2}};
  // For corner kinds the opposite corner stays; for side kinds the opposite side.
  const int opposite[8][2] = {{2, 2}, {3, 3}, {0, 0}, {1, 1}, {1, 2}, {0, 3}, {3, 2}, {0, 1}};
  const int sideCorners[4][2] = {{0, 3}, {1, 2}, {0, 1}, {3, 2}};
  for (double angle : angles)
    for (const TRealPoint &move : moves)
      for (int kind = 0; kind < 8; ++kind) {
        SCOPED_TRACE(testing::Message() << "angle " << angle << " kind " << kind << " move "
                                        << move.rx << "," << move.ry);
        const TGrabRect r = TurnedRect({100, 80}, 60, 40, angle);
        const TGrabRect t = TransformGrabRect(kind, r, move);
        ExpectIsRectangle(t);
        ExpectPointNear(t[opposite[kind][0]], r[opposite[kind][0]]);
        ExpectPointNear(t[opposite[kind][1]], r[opposite[kind][1]]);
        if (kind < 4) {
          ExpectPointNear(t[kind], AddRealPoint(r[kind], move));
        } else {
          // The dragged side passes through its moved middle.
          const TRealLine side = RealLine(t[sideCorners[kind - 4][0]], t[sideCorners[kind - 4][1]]);
          EXPECT_NEAR(DistanceToRealLine(side, AddRealPoint(r[kind], move)), 0, 1e-7);
        }
      }
}

TEST(GrabRect, SnapMakesANearlyAxisParallelRectangleExact) {
  struct Case {
    const char *name;
    TGrabRect rect;
    bool snapped;
  };
  const Case cases[] = {
      {"lean 0.5", MakeGrabRect({0, 0}, {20, 0.5}, {19.5, 20.5}, {-0.5, 20}), true},
      {"lean 1", MakeGrabRect({0, 0}, {20, 1}, {19, 21}, {-1, 20}), false},
      {"quarter turned, lean 0.5", MakeGrabRect({20, 0}, {20.5, 20}, {0.5, 20.5}, {0, 0.5}), true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TGrabRect r = c.rect;
    EXPECT_EQ(SnapGrabRect(r), c.snapped);
    if (!c.snapped) {
      EXPECT_EQ(r, c.rect);
      continue;
    }
    // Every side is now exactly horizontal or vertical.
    const bool upright = r[3].rx == r[0].rx;
    EXPECT_EQ(upright ? r[1].ry : r[1].rx, upright ? r[0].ry : r[0].rx);
    EXPECT_EQ(upright ? r[2].rx : r[2].ry, upright ? r[1].rx : r[1].ry);
    EXPECT_EQ(upright ? r[3].ry : r[3].rx, upright ? r[2].ry : r[2].rx);
  }
  // The corners follow the top-left corner and the bottom-right one; the
  // side middles take the snapped coordinate across their side only.
  const TGrabRect leaning = cases[0].rect;
  TGrabRect r = leaning;
  SnapGrabRect(r);
  const TGrabRect expected{{0, 0},  {20, 0},    {20, 20.5}, {0, 20.5},
                           {0, 10}, {20, 10.5}, {10, 0},    {9.5, 20.5}};
  EXPECT_EQ(r, expected);
  // A transform snaps its result too.
  EXPECT_EQ(TransformGrabRect(2, leaning, {0, 0}), expected);

  TGrabRect four(leaning.begin(), leaning.begin() + 4);
  EXPECT_FALSE(SnapGrabRect(four));
}

TEST(GrabRect, LimitGrabMoveKeepsProportionsAndAMinimumSize) {
  struct Case {
    const char *name;
    TGrabRect rect;
    int kind;
    TRealPoint move;
    bool allowed;
    TRealPoint finalMove;
  };
  const TGrabRect r20 = AxisRect(0, 0, 20, 20);
  const Case cases[] = {
      {"corner 2 to 5x5", r20, 2, {-15, -15}, false, {-15, -15}},
      {"corner 2 projected", r20, 2, {-10, -1}, true, {-5.5, -5.5}},
      {"corner 2 grows", r20, 2, {10, 0}, true, {5, 5}},
      {"corner 0 to 10x10", r20, 0, {10, 10}, true, {10, 10}},
      {"corner 0 to 9x9 is too small", r20, 0, {11, 11}, false, {11, 11}},
      {"right side narrower than 9", r20, 5, {-12, 0}, false, {-12, 0}},
      {"right side at 9, not projected", r20, 5, {-11, 3}, true, {-11, 3}},
      {"bottom lower than 9", r20, 7, {0, -15}, false, {0, -15}},
      {"top grows", r20, 6, {0, -30}, true, {0, -30}},
      {"a small object must still end above 90", AxisRect(0, 0, 5, 10), 5, {1, 0}, false, {1, 0}},
      {"wide and flat may grow", AxisRect(0, 0, 100, 5), 7, {0, 1}, true, {0, 1}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TRealPoint move = c.move;
    EXPECT_EQ(LimitGrabMove(c.kind, c.rect, move), c.allowed);
    ExpectPointNear(move, c.finalMove);
  }
}

TEST(GrabRect, LimitGrabMoveIntWritesBackRounded) {
  const TGrabRect r20 = AxisRect(0, 0, 20, 20);
  TPoint move{-10, -1};
  EXPECT_TRUE(LimitGrabMoveInt(2, r20, move, true));
  EXPECT_EQ(move, (TPoint{-6, -6}));
  move = {-10, -1};
  EXPECT_TRUE(LimitGrabMoveInt(2, r20, move, false));
  EXPECT_EQ(move, (TPoint{-10, -1}));

  const TGrabRect tiny = AxisRect(0, 0, 5, 5);
  move = {0, 0};
  EXPECT_TRUE(LimitGrabMoveInt(2, tiny, move, true));
  move = {1, 1};
  EXPECT_FALSE(LimitGrabMoveInt(2, tiny, move, true));
}

TEST(GrabRect, DiagonalKeyDeltaMovesCornersAlongTheDiagonal) {
  struct Case {
    const char *name;
    int kind;
    TRealPoint handle, centre;
    TPoint key, result;
  };
  const TRealPoint bottomRight{10, 10}, origin{0, 0};
  const Case cases[] = {
      {"right", 2, bottomRight, origin, {1, 0}, {1, 1}},
      {"left", 2, bottomRight, origin, {-1, 0}, {-1, -1}},
      {"down", 2, bottomRight, origin, {0, 1}, {1, 1}},
      {"up by ten", 2, bottomRight, origin, {0, -10}, {-10, -10}},
      {"three pixels stay", 2, bottomRight, origin, {3, 0}, {3, 0}},
      {"already diagonal", 2, bottomRight, origin, {1, 1}, {1, 1}},
      {"no move", 2, bottomRight, origin, {0, 0}, {0, 0}},
      {"side handle", 4, bottomRight, origin, {1, 0}, {1, 0}},
      // Bottom-left corner of a rectangle centred right-above it.
      {"bottom-left right", 3, {0, 10}, {10, 0}, {1, 0}, {1, -1}},
      {"bottom-left left", 3, {0, 10}, {10, 0}, {-1, 0}, {-1, 1}},
      {"bottom-left down", 3, {0, 10}, {10, 0}, {0, 10}, {-10, 10}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DiagonalKeyDelta(c.kind, c.handle, c.key, c.centre), c.result);
  }
  EXPECT_EQ(CornerKeyDelta(2, bottomRight, {1, 0}, origin), (TPoint{1, 1}));
  EXPECT_EQ(CornerKeyDelta(3, bottomRight, {1, 0}, origin), (TPoint{1, 0}));
}

} // namespace
} // namespace lumora
