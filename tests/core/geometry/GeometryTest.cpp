#include "core/geometry/Geometry.h"
#include "platform/graphics/Canvas.h"

#include <QImage>

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <vector>

namespace lumora {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kEps = 1e-9;

#define EXPECT_POINT_NEAR(actual, ex, ey)                                                          \
  do {                                                                                             \
    const TRealPoint p_ = (actual);                                                                \
    EXPECT_NEAR(p_.rx, (ex), kEps);                                                                \
    EXPECT_NEAR(p_.ry, (ey), kEps);                                                                \
  } while (0)

TEST(GeometryRounding, RoundRealIsHalfAwayFromZeroAndRoundIsHalfToEven) {
  struct Case {
    long double x;
    int32_t awayFromZero;
    int32_t toEven;
  };
  const Case cases[] = {
      {2.5L, 3, 2},
      {-2.5L, -3, -2},
      {3.5L, 4, 4},
      {0.4999999L, 0, 0},
      {-0.5L, -1, 0},
      {1.5L, 2, 2},
      {-7.2L, -7, -7},
      {1e20L, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()},
      {-1e20L, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(double(c.x));
    EXPECT_EQ(RoundReal(c.x), c.awayFromZero);
    EXPECT_EQ(Round(c.x), c.toEven);
  }
  EXPECT_EQ(RoundReal(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(Round(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(RealPointToPoint({-2.5, 2.5}), (TPoint{-3, 3}));
}

TEST(GeometryRounding, RotatePointsRoundsHalfToEven) {
  // (0, 0) turned a quarter about (1.25, 1.25) lands on (2.5, 0).
  std::vector<TPoint> pts{{0, 0}};
  RotatePoints(pts, {1.25, 1.25}, kPi / 2);
  EXPECT_EQ(pts[0], (TPoint{2, 0}));
  EXPECT_EQ(RealPointToPoint(RotateRealPoint({0, 0}, {1.25, 1.25}, kPi / 2)), (TPoint{3, 0}));
}

TEST(GeometryAngles, BearingsCountClockwiseFromStraightUp) {
  struct Case {
    TRealPoint b;
    double bearing;
  };
  const Case cases[] = {
      {{0, -1}, 0}, {{1, 0}, kPi / 2}, {{0, 1}, kPi}, {{-1, 0}, -kPi / 2}, {{1, -1}, kPi / 4},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.b.rx << "," << c.b.ry);
    EXPECT_NEAR(RealPointAngle({0, 0}, c.b), c.bearing, kEps);
    EXPECT_NEAR(RealLineAngle(RealLine({5, 5}, AddRealPoint({5, 5}, c.b))), c.bearing, kEps);
  }
  EXPECT_EQ(RealPointAngle({3, 3}, {3, 3}), 0);
}

TEST(GeometryAngles, AngleBetweenRaysIsClockwiseFromSecondRay) {
  const TRealPoint a{0, 0}, up{0, -5}, right{5, 0}, left{-5, 0};
  EXPECT_NEAR(AngleBetweenRays(a, right, up), kPi / 2, kEps);
  EXPECT_NEAR(AngleBetweenRays(a, up, right), 3 * kPi / 2, kEps);
  EXPECT_NEAR(AngleBetweenRays(a, left, up), 3 * kPi / 2, kEps);
  EXPECT_NEAR(AngleBetweenRays(a, up, up), 0, kEps);
}

TEST(GeometryAngles, CirclePointCountsFromStraightDownWithQuadrantRule) {
  const TRealPoint c{100, 50};
  struct Case {
    double angle;
    double dx, dy;
  };
  const double s = std::sin(0.1), co = std::cos(0.1);
  const Case cases[] = {
      {0, 0, 10},
      {kPi / 2, -10, 0},
      {kPi, 0, -10},
      {3 * kPi / 2, 10, 0},
      {kPi / 4, -10 * std::sqrt(0.5), 10 * std::sqrt(0.5)},
      // Negative angles take the first quadrant's signs: left of the centre.
      {-0.1, -10 * s, 10 * co},
      // So do angles of 2pi and beyond.
      {2 * kPi + 0.1, -10 * s, 10 * co},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.angle);
    EXPECT_POINT_NEAR(CirclePoint(c, 10, k.angle), c.rx + k.dx, c.ry + k.dy);
  }
}

TEST(GeometryAngles, CirclePointDegReducesKeepingTheSign) {
  const TRealPoint c{0, 0};
  const double s = std::sin(10 * kPi / 180), co = std::cos(10 * kPi / 180);
  struct Case {
    double deg;
    double x, y;
  };
  const Case cases[] = {
      {0, 0, 10},
      {90, -10, 0},
      {180, 0, -10},
      {270, 10, 0},
      {370, -10 * s, 10 * co},
      {-10, -10 * s, 10 * co},  // negative: quadrant 0's signs
      {-350, -10 * s, 10 * co}, // reduced to -350, still quadrant 0's signs
      {280, 10 * co, 10 * s},   // quadrant 3: right and below
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.deg);
    EXPECT_POINT_NEAR(CirclePointDeg(c, 10, k.deg), k.x, k.y);
  }
}

TEST(GeometryLines, ParallelLineAndSignedDistanceAgreeOnTheLeftSide) {
  const TRealLine up = ParallelRealLine(RealLineXY(0, 0, 10, 0), 3);
  EXPECT_POINT_NEAR(up.rPointA(), 0, -3);
  EXPECT_POINT_NEAR(up.rPointB(), 10, -3);
  EXPECT_NEAR(DistanceToRealLine(RealLineXY(0, 0, 10, 0), {5, -3}), 3, kEps);
  EXPECT_NEAR(DistanceToRealLine(RealLineXY(10, 0, 0, 0), {5, -3}), -3, kEps);
  EXPECT_EQ(DistanceToRealLine(RealLineXY(4, 4, 4, 4), {0, 0}), 1.0);

  // On any slant, moving by d puts the line at signed distance d.
  const TRealLine slant = RealLineXY(3, 7, -20, 12);
  for (double d : {-4.0, 2.5}) {
    const TRealLine moved = ParallelRealLine(slant, d);
    EXPECT_NEAR(DistanceToRealLine(slant, moved.rPointA()), d, kEps);
    EXPECT_NEAR(DistanceToRealLine(slant, moved.rPointB()), d, kEps);
  }
  const TRealLine fromInt = ParallelLine(TLine{0, 0, 0, 10}, 2);
  EXPECT_NEAR(fromInt.rxa, 2, kEps); // downward segment: its left is +x
  EXPECT_NEAR(fromInt.rxb, 2, kEps);
}

TEST(GeometryLines, ExtendPerpendicularAndFoot) {
  const TRealLine l = RealLineXY(0, 0, 30, 40); // length 50
  const TRealLine e = ExtendRealLine(l, 5, 10);
  EXPECT_POINT_NEAR(e.rPointA(), -3, -4);
  EXPECT_POINT_NEAR(e.rPointB(), 36, 48);
  EXPECT_POINT_NEAR(ExtendRealLine(l, -5, -5).rPointB(), 27, 36);
  const TRealLine tiny = RealLineXY(1, 1, 1.5, 1.5);
  EXPECT_EQ(ExtendRealLine(tiny, 10, 10), tiny);

  const TRealLine perp = PerpendicularAt(RealLineXY(0, 0, 10, 0), 2, 0.25);
  EXPECT_POINT_NEAR(perp.rPointA(), 2.5, 2); // starts below
  EXPECT_POINT_NEAR(perp.rPointB(), 2.5, -2);

  EXPECT_POINT_NEAR(PerpendicularFoot(l, {50, 0}), 18, 24);
  EXPECT_POINT_NEAR(PerpendicularFoot(RealLineXY(0, 0, 10, 0), {-5, 3}), -5, 0); // not clamped
  EXPECT_POINT_NEAR(PerpendicularFoot(RealLineXY(2, 2, 2, 2), {7, 9}), 7, 9);
  EXPECT_POINT_NEAR(PointAtDistance(l, 10), 6, 8);
}

TEST(GeometryLines, CrossPointOfInfiniteLinesOrSentinel) {
  EXPECT_POINT_NEAR(RealLineCrossPoint(RealLineXY(0, 0, 1, 1), RealLineXY(10, 0, 9, 1)), 5, 5);
  EXPECT_POINT_NEAR(LineCrossPoint(TLine{0, 0, 10, 0}, TLine{3, 5, 3, 7}), 3, 0);
  const TRealPoint parallel = RealLineCrossPoint(RealLineXY(0, 0, 10, 0), RealLineXY(0, 5, 3, 5));
  EXPECT_EQ(parallel, (TRealPoint{-2147483647.0, -2147483647.0}));
  EXPECT_EQ(LineCrossPoint(TLine{0, 0, 2, 2}, TLine{1, 0, 3, 2}), kParallelSentinel);
}

TEST(GeometryLines, SegmentsIntersectWhenCrossingOrTouching) {
  struct Case {
    const char *name;
    TRealLine a, b;
    bool intersect;
  };
  const Case cases[] = {
      {"crossing", RealLineXY(0, 0, 10, 10), RealLineXY(0, 10, 10, 0), true},
      {"touching ends", RealLineXY(0, 0, 10, 0), RealLineXY(10, 0, 20, 5), true},
      {"T touch", RealLineXY(0, 0, 10, 0), RealLineXY(5, 0, 5, 8), true},
      {"collinear overlap", RealLineXY(0, 0, 10, 10), RealLineXY(5, 5, 15, 15), true},
      {"collinear apart", RealLineXY(0, 0, 10, 10), RealLineXY(11, 11, 15, 15), false},
      {"vertical collinear apart", RealLineXY(0, 0, 0, 10), RealLineXY(0, 11, 0, 15), false},
      {"parallel", RealLineXY(0, 0, 10, 0), RealLineXY(0, 1, 10, 1), false},
      {"lines cross beyond segment", RealLineXY(0, 0, 10, 0), RealLineXY(12, -5, 12, 5), false},
      {"near miss inside box", RealLineXY(0, 0, 10, 10), RealLineXY(0, 10, 4.9, 5.2), false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RealLinesIntersect(c.a, c.b), c.intersect);
    EXPECT_EQ(RealLinesIntersect(c.b, c.a), c.intersect);
  }
}

TEST(GeometryPolygons, SimplePolygonRejectsBowTie) {
  const std::vector<TRealPoint> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  const std::vector<TRealPoint> bowTie{{0, 0}, {10, 10}, {10, 0}, {0, 10}};
  const std::vector<TRealPoint> touching{{0, 0}, {10, 0}, {5, 5}, {10, 10}, {0, 10}, {5, 5}};
  const std::vector<TRealPoint> triangle{{0, 0}, {10, 0}, {5, 5}};
  EXPECT_TRUE(IsSimplePolygon(square));
  EXPECT_FALSE(IsSimplePolygon(bowTie));
  EXPECT_FALSE(IsSimplePolygon(touching));
  EXPECT_TRUE(IsSimplePolygon(triangle));
}

TEST(GeometryPolygons, PointInPolygonNonZeroWithVertexTolerance) {
  const std::vector<TRealPoint> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  std::vector<TRealPoint> reversed(square.rbegin(), square.rend());
  // A five-pointed star drawn in one stroke: its centre is wound twice.
  std::vector<TRealPoint> star;
  for (int i = 0; i < 5; ++i)
    star.push_back(CirclePoint({50, 50}, 40, (i * 2 % 5) * 2 * kPi / 5));
  struct Case {
    const char *name;
    const std::vector<TRealPoint> *polygon;
    TRealPoint p;
    bool inside;
  };
  const Case cases[] = {
      {"inside", &square, {5, 5}, true},
      {"inside reversed", &reversed, {5, 5}, true},
      {"outside above", &square, {5, -3}, false},
      {"outside left", &square, {-3, 5}, false},
      {"0.4 from a vertex, outside", &square, {-0.3, -0.25}, true},
      {"0.6 from a vertex, outside", &square, {-0.5, -0.34}, false},
      {"star centre", &star, {50, 50}, true},
      {"star point", &star, CirclePoint({50, 50}, 35, 0), true},
      {"outside star", &star, {50, 5}, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PtInRealPolygon(*c.polygon, c.p), c.inside);
  }
  const std::vector<TPoint> intSquare{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_TRUE(PtInPolygon(intSquare, {9, 9}));
  EXPECT_FALSE(PtInPolygon(intSquare, {11, 9}));

  // Even-odd: the star's doubly wound centre is outside; the closing edge
  // must be given explicitly.
  std::vector<TRealPoint> closedStar = star;
  closedStar.push_back(star[0]);
  EXPECT_FALSE(PtInRealPolygonEvenOdd(closedStar, {50, 50}));
  EXPECT_TRUE(PtInRealPolygonEvenOdd(closedStar, CirclePoint({50, 50}, 35, 0)));
  std::vector<TRealPoint> closedSquare = square;
  closedSquare.push_back(square[0]);
  EXPECT_TRUE(PtInRealPolygonEvenOdd(closedSquare, {5, 5}));
  EXPECT_FALSE(PtInRealPolygonEvenOdd(closedSquare, {15, 5}));
  // Without the closing edge the triangle's right side is missing.
  std::vector<TRealPoint> open{{10, 0}, {0, 5}, {10, 10}};
  EXPECT_FALSE(PtInRealPolygonEvenOdd(open, {8, 4}));
  open.push_back(open[0]);
  EXPECT_TRUE(PtInRealPolygonEvenOdd(open, {8, 4}));
}

TEST(GeometryPolygons, AreaAndCentroid) {
  const std::vector<TRealPoint> triangle{{0, 0}, {9, 0}, {0, 6}};
  const std::vector<TRealPoint> reversed(triangle.rbegin(), triangle.rend());
  EXPECT_NEAR(PolygonArea(triangle), 27, kEps);
  EXPECT_POINT_NEAR(PolygonCentroid(triangle), 3, 2);
  EXPECT_POINT_NEAR(PolygonCentroid(reversed), 3, 2);
  EXPECT_POINT_NEAR(TriangleCentroid(triangle), 3, 2);

  // An L made of a 2x15 and a 10x5 box: the centroid weights them by area.
  const std::vector<TRealPoint> ell{{0, 0}, {2, 0}, {2, 15}, {10, 15}, {10, 20}, {0, 20}};
  EXPECT_NEAR(PolygonArea(ell), 80, kEps);
  EXPECT_POINT_NEAR(PolygonCentroid(ell), (30 * 1 + 50 * 5) / 80.0, (30 * 7.5 + 50 * 17.5) / 80.0);

  // A kite: two equal triangles with centroids at x = 16/3, so the area
  // centroid is not the mean of the corners (4.5, 0).
  const std::vector<TRealPoint> kite{{0, 0}, {2, -2}, {14, 0}, {2, 2}};
  EXPECT_POINT_NEAR(QuadCentroid(kite), 16 / 3.0, 0);

  // Degenerate: the midpoint of the last and the first point.
  const std::vector<TRealPoint> collinear{{0, 0}, {5, 5}, {10, 10}};
  EXPECT_POINT_NEAR(PolygonCentroid(collinear), 5, 5);
  const std::vector<TRealPoint> collinear2{{2, 0}, {10, 0}, {6, 0}};
  EXPECT_POINT_NEAR(PolygonCentroid(collinear2), 4, 0);

  const std::vector<TRealPoint> two{{7, 8}, {1, 1}};
  EXPECT_POINT_NEAR(TriangleCentroid(two), 7, 8);
  EXPECT_POINT_NEAR(QuadCentroid(triangle), 0, 0);
}

TEST(GeometryPolygons, BoundsStartAtMaxIntAndZero) {
  const std::vector<TPoint> pts{{3, 9}, {-4, 12}, {8, 1}};
  EXPECT_EQ(PointsBounds(pts), (TRect{-4, 1, 8, 12}));
  const std::vector<TPoint> negative{{-5, 3}, {-2, 7}};
  EXPECT_EQ(PointsBounds(negative), (TRect{-5, 3, 0, 7}));

  const std::vector<TRealPoint> real{{-5.5, 2.5}, {-2.4, 7.5}};
  EXPECT_EQ(RealPointsBounds(real), (TRect{-6, 3, 0, 8}));
  const std::vector<TRealPoint> positive{{1.5, 2.4}, {10.5, 20.49}};
  EXPECT_EQ(RealPointsBounds(positive), (TRect{2, 2, 11, 20}));

  const std::vector<TLine> lines{{5, 5, 1, 9}, {20, -3, 7, 7}};
  EXPECT_EQ(LinesBounds(lines), (TRect{1, -3, 20, 9}));
}

TEST(GeometryCurves, EllipseQuartersJoinClockwiseAndStayOnTheEllipse) {
  const double rx = 40, ry = 25;
  // Ends of quarters 0..3: right, bottom, left, top, right.
  const TRealPoint ends[] = {{rx, 0}, {0, ry}, {-rx, 0}, {0, -ry}, {rx, 0}};
  for (int q = 0; q < 4; ++q) {
    SCOPED_TRACE(q);
    const TReal4Point b = EllipseQuarterBezier(q, rx, ry);
    EXPECT_POINT_NEAR(b.rPointA(), ends[q].rx, ends[q].ry);
    EXPECT_POINT_NEAR(b.rPointD(), ends[q + 1].rx, ends[q + 1].ry);
    EXPECT_POINT_NEAR(BezierPoint(b, 0), ends[q].rx, ends[q].ry);
    EXPECT_POINT_NEAR(BezierPoint(b, 1), ends[q + 1].rx, ends[q + 1].ry);
    // The curve's middle lies on the ellipse.
    const TRealPoint m = BezierPoint(b, 0.5);
    EXPECT_NEAR(m.rx * m.rx / (rx * rx) + m.ry * m.ry / (ry * ry), 1, 1e-9);
  }
  // Turned a quarter clockwise and moved: quarter 0 starts below the centre.
  const TReal4Point t = EllipseQuarterBezierAt(0, {100, 100}, rx, ry, kPi / 2);
  EXPECT_POINT_NEAR(t.rPointA(), 100, 140);
  EXPECT_POINT_NEAR(t.rPointD(), 75, 100);
}

TEST(GeometryHitTests, PtNearRealLineNeedsTheFootWithinTheLengthenedSegment) {
  const TRealLine l = RealLineXY(0, 0, 100, 0);
  struct Case {
    TRealPoint p;
    double tol;
    bool near;
  };
  const Case cases[] = {
      {{50, 0}, 3, true},    {{50, -2.9}, 3, true}, {{50, 3.5}, 3, false}, {{-2, 1}, 3, true},
      {{102.5, 0}, 3, true}, {{104, 0}, 3, false},  {{-3.5, 1}, 3, false}, {{0.5, 0.5}, 1, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.p.rx << "," << c.p.ry << " tol " << c.tol);
    EXPECT_EQ(PtNearRealLine(l, c.p, c.tol), c.near);
  }
}

TEST(GeometryHitTests, PtOnRealLineRatio) {
  const TRealLine l = RealLineXY(0, 0, 100, 0);
  struct Case {
    TRealPoint p;
    bool on;
    double ratio;
  };
  const Case cases[] = {
      {{0.5, 0.5}, true, 0},  {{99.5, 0}, true, 1},  {{25, 0.5}, true, 0.25},
      {{25, 1.5}, false, -1}, {{120, 0}, false, -1}, {{-5, 0}, false, -1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.p.rx << "," << c.p.ry);
    double ratio = 99;
    EXPECT_EQ(PtOnRealLineRatio(l, c.p, ratio), c.on);
    EXPECT_NEAR(ratio, c.ratio, 1e-3);
  }
}

TEST(GeometryHitTests, PolylineBandIsFivePixelsEachSide) {
  const std::vector<TPoint> pts{{0, 0}, {100, 0}, {100, 100}};
  EXPECT_TRUE(PtNearPolyline(pts, {50, 4}));
  EXPECT_TRUE(PtNearPolyline(pts, {96, 50}));
  EXPECT_FALSE(PtNearPolyline(pts, {50, 6}));
  EXPECT_FALSE(PtNearPolyline(pts, {50, 50})); // no closing segment
  const std::vector<TRealPoint> real{{0, 0}, {100, 100}};
  EXPECT_TRUE(PtNearRealPolyline(real, {50, 56}));
  EXPECT_FALSE(PtNearRealPolyline(real, {50, 58}));
  const std::vector<TPoint> one{{10, 10}};
  EXPECT_FALSE(PtNearPolyline(one, {10, 10}));
}

TEST(GeometryDrawing, ArrowHeadBarbsPointBackFromTheTip) {
  struct Case {
    const char *name;
    TLine line;
    std::array<TPoint, 3> head;
  };
  const Case cases[] = {
      {"to the right", {0, 0, 100, 0}, {{{91, 5}, {100, 0}, {91, -5}}}},
      {"to the left", {100, 0, 0, 0}, {{{9, 5}, {0, 0}, {9, -5}}}},
      {"downwards", {0, 0, 0, 100}, {{{-5, 91}, {0, 100}, {5, 91}}}},
      {"up and left", {10, 10, 0, 0}, {{{10, 3}, {0, 0}, {3, 10}}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ArrowHeadPoints(c.line, 10, 30), c.head);
  }
}

TEST(GeometryDrawing, PolylineRealRoundsHalfAwayFromZero) {
  QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    TCanvas canvas(&image);
    const std::vector<TRealPoint> pts{{2.5, 5.4}, {15.4, 5.4}, {15.4, 12.5}};
    PolylineReal(canvas, pts);
    canvas.End();
  }
  auto black = [&](int x, int y) { return image.pixelColor(x, y) == QColor(Qt::black); };
  EXPECT_FALSE(black(2, 5)); // 2.5 went to 3, not to the even 2
  EXPECT_TRUE(black(3, 5));
  EXPECT_TRUE(black(10, 5));
  EXPECT_FALSE(black(10, 4));
  EXPECT_FALSE(black(10, 6));
  EXPECT_TRUE(black(15, 9));
  EXPECT_FALSE(black(14, 9));
}

} // namespace
} // namespace lumora
