#pragma once
// Plane geometry on real-valued page points.
//
// Conventions shared by every function here:
// - Coordinates are page pixels; x grows to the right, y grows downwards.
// - Angles are radians unless the name ends in Deg. A positive rotation
//   angle turns clockwise on the screen.
// - A bearing (direction of B seen from A) is atan2(B.x - A.x, A.y - B.y):
//   0 straight up, +pi/2 to the right, +-pi down, -pi/2 to the left.
// - Points on a circle count their angle from straight down, clockwise.
// - "Left of A->B" is the side on the left when travelling from A to B as
//   seen on the screen; for a left-to-right segment it is the upper side.
// - Points are rounded to whole pixels with RoundReal (half away from zero);
//   lengths in millimetres, degrees and counts use Round (half to even).
// - Crossing parallel lines gives kParallelSentinel.
#include "platform/graphics/Color.h"
#include "platform/graphics/Types.h"

#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

namespace lumora {

class TCanvas;

struct TRealPoint {
  double rx = 0;
  double ry = 0;

  // The same bytes seen as two Int64 values.
  int64_t nx() const { return std::bit_cast<int64_t>(rx); }
  int64_t ny() const { return std::bit_cast<int64_t>(ry); }
  void SetNx(int64_t v) { rx = std::bit_cast<double>(v); }
  void SetNy(int64_t v) { ry = std::bit_cast<double>(v); }

  bool operator==(const TRealPoint &) const = default;
};

// A segment from A (rxa, rya) to B (rxb, ryb).
struct TRealLine {
  double rxa = 0;
  double rya = 0;
  double rxb = 0;
  double ryb = 0;

  TRealPoint rPointA() const { return {rxa, rya}; }
  TRealPoint rPointB() const { return {rxb, ryb}; }
  void SetPointA(TRealPoint p) {
    rxa = p.rx;
    rya = p.ry;
  }
  void SetPointB(TRealPoint p) {
    rxb = p.rx;
    ryb = p.ry;
  }

  bool operator==(const TRealLine &) const = default;
};

// An integer segment from A (xa, ya) to B (xb, yb).
struct TLine {
  int32_t xa = 0;
  int32_t ya = 0;
  int32_t xb = 0;
  int32_t yb = 0;

  TPoint PointA() const { return {xa, ya}; }
  TPoint PointB() const { return {xb, yb}; }
  void SetPointA(TPoint p) {
    xa = p.X;
    ya = p.Y;
  }
  void SetPointB(TPoint p) {
    xb = p.X;
    yb = p.Y;
  }

  bool operator==(const TLine &) const = default;
};

struct TRealRect {
  double rLeft = 0;
  double rTop = 0;
  double rRight = 0;
  double rBottom = 0;

  TRealPoint rTopLeft() const { return {rLeft, rTop}; }
  TRealPoint rBottomRight() const { return {rRight, rBottom}; }
  void SetTopLeft(TRealPoint p) {
    rLeft = p.rx;
    rTop = p.ry;
  }
  void SetBottomRight(TRealPoint p) {
    rRight = p.rx;
    rBottom = p.ry;
  }

  bool operator==(const TRealRect &) const = default;
};

using TArray4Point = std::array<TRealPoint, 4>;

// Four points; used as one cubic Bezier piece (start, handle, handle, end).
struct TReal4Point {
  double rx1 = 0, ry1 = 0;
  double rx2 = 0, ry2 = 0;
  double rx3 = 0, ry3 = 0;
  double rx4 = 0, ry4 = 0;

  TRealPoint rPointA() const { return {rx1, ry1}; }
  TRealPoint rPointB() const { return {rx2, ry2}; }
  TRealPoint rPointC() const { return {rx3, ry3}; }
  TRealPoint rPointD() const { return {rx4, ry4}; }
  // Points 1-2 and points 3-4 as segments.
  TRealLine rLineA() const { return {rx1, ry1, rx2, ry2}; }
  TRealLine rLineB() const { return {rx3, ry3, rx4, ry4}; }
  TArray4Point rPoints() const { return {rPointA(), rPointB(), rPointC(), rPointD()}; }
  void SetPoints(const TArray4Point &p) {
    rx1 = p[0].rx, ry1 = p[0].ry;
    rx2 = p[1].rx, ry2 = p[1].ry;
    rx3 = p[2].rx, ry3 = p[2].ry;
    rx4 = p[3].rx, ry4 = p[3].ry;
  }
  static TReal4Point FromPoints(const TArray4Point &p) {
    TReal4Point r;
    r.SetPoints(p);
    return r;
  }

  bool operator==(const TReal4Point &) const = default;
};

// The grab rectangle of an object: 8 entries. 0-3 are the corners top-left,
// top-right, bottom-right, bottom-left (for an unrotated rectangle); 4 is the
// middle of the left side (0-3), 5 of the right side (1-2), 6 of the top side
// (0-1), 7 of the bottom side (3-2). A grab kind 0..7 indexes this array.
using TGrabRect = std::vector<TRealPoint>;

// Line styles a TLineType can carry (stored as one byte).
enum class TLStyle : uint8_t {
  lsCustom,
  lsSolid,
  lsDot,
  lsDash,
  lsDashDot,
  lsDashDotDot,
  lsCurve,
  lsRailroad1,
  lsRailroad2,
  lsRailroad3,
  lsClear,
  lsDouble1,
  lsDouble2,
};

// Stored as one 12-byte block (Int32 width, Int32 colour, style byte, padding).
struct TLineType {
  int32_t Width = 0;
  TColor Color = 0;
  TLStyle Style = TLStyle::lsCustom;

  bool operator==(const TLineType &) const = default;
};

// Returned when crossing parallel lines; one more than the smallest Int32.
inline constexpr TRealPoint kParallelSentinel{-2147483647.0, -2147483647.0};

// ---- Rounding ----

// Half away from zero; NaN gives 0. Values beyond the Int32 range saturate.
int32_t RoundReal(long double x);
// Half to even (the platform's rounding); NaN gives 0, beyond Int32 saturates.
int32_t Round(long double x);

// ---- Pixels per millimetre ----

// Set once at start-up from the screen's pixels per inch;
// kDefaultPixelsPerInch until then and again after the program's context is
// reset.
constexpr int kDefaultPixelsPerInch = 96;
void SetPixelsPerInch(int pixelsPerInch);
double GetPixelsPerMM();

// ---- Making and converting ----

inline TRealPoint RealPoint(double x, double y) {
  return {x, y};
}
inline TRealPoint IntRealPoint(int32_t x, int32_t y) {
  return {double(x), double(y)};
}
inline TRealPoint PointToRealPoint(TPoint p) {
  return {double(p.X), double(p.Y)};
}
TPoint RealPointToPoint(TRealPoint p);
inline TRealLine RealLineXY(double xa, double ya, double xb, double yb) {
  return {xa, ya, xb, yb};
}
inline TRealLine RealLine(TRealPoint a, TRealPoint b) {
  return {a.rx, a.ry, b.rx, b.ry};
}
inline TLine MakeLine(TPoint a, TPoint b) {
  return {a.X, a.Y, b.X, b.Y};
}
inline TRealLine LineToRealLine(const TLine &l) {
  return {double(l.xa), double(l.ya), double(l.xb), double(l.yb)};
}
TLine RealLineToLine(const TRealLine &l);
void SwapInt(int32_t &a, int32_t &b);
void SwapRealPoint(TRealPoint &a, TRealPoint &b);

// ---- Point arithmetic ----

inline TRealPoint AddRealPoint(TRealPoint p, TRealPoint q) {
  return {p.rx + q.rx, p.ry + q.ry};
}
inline TRealPoint SubRealPoint(TRealPoint p, TRealPoint q) {
  return {p.rx - q.rx, p.ry - q.ry};
}
inline TPoint AddPoint(TPoint p, TPoint q) {
  return {p.X + q.X, p.Y + q.Y};
}
inline TPoint SubPoint(TPoint p, TPoint q) {
  return {p.X - q.X, p.Y - q.Y};
}
inline bool SamePoint(TPoint p, TPoint q) {
  return p.X == q.X && p.Y == q.Y;
}
// p + (B - A).
inline TRealPoint AddLineVector(TRealPoint p, const TRealLine &l) {
  return {p.rx + l.rxb - l.rxa, p.ry + l.ryb - l.rya};
}
inline TRealPoint MidRealPoint(TRealPoint p, TRealPoint q) {
  return {(p.rx + q.rx) / 2, (p.ry + q.ry) / 2};
}
inline TRealPoint RealLineMidPoint(const TRealLine &l) {
  return {(l.rxa + l.rxb) / 2, (l.rya + l.ryb) / 2};
}
// The point at distance d from A towards B; A and B must differ.
TRealPoint PointAtDistance(const TRealLine &l, double d);

// ---- Lengths and angles ----

double RealDistance(TRealPoint p, TRealPoint q);
double RealLineLength(const TRealLine &l);
// Bearing of b seen from a; 0 when it cannot be computed.
double RealPointAngle(TRealPoint a, TRealPoint b);
double RealLineAngle(const TRealLine &l);
// Clockwise angle at vertex a from ray a->c to ray a->b, in [0, 2pi).
double AngleBetweenRays(TRealPoint a, TRealPoint b, TRealPoint c);
// The point on the circle at angle a counted clockwise from straight down.
// Negative angles and angles of 2pi and more take the signs of the first
// quadrant (left and below), a rule that callers rely on.
TRealPoint CirclePoint(TRealPoint centre, double r, double a);
TRealPoint CirclePointDeg(TRealPoint centre, double r, double deg);

// ---- Lines ----

// The line moved sideways by d, to the left of A->B for positive d.
TRealLine ParallelRealLine(const TRealLine &l, double d);
TRealLine ParallelLine(const TLine &l, double d);
// Lengthened beyond A by startExt and beyond B by endExt (negative values
// shorten); a line shorter than 1 is returned unchanged.
TRealLine ExtendRealLine(const TRealLine &l, double startExt, double endExt);
// The segment perpendicular to l through A + t(B - A), reaching halfLength to
// each side; for a left-to-right segment it starts below and ends above.
TRealLine PerpendicularAt(const TRealLine &l, double halfLength, double t);
// Foot of the perpendicular from p on the infinite line; p when A = B.
TRealPoint PerpendicularFoot(const TRealLine &l, TRealPoint p);
// Signed distance of p from the infinite line, positive to the left of A->B;
// 1.0 when A = B.
double DistanceToRealLine(const TRealLine &l, TRealPoint p);
// Crossing of the infinite lines, or kParallelSentinel.
TRealPoint RealLineCrossPoint(const TRealLine &l1, const TRealLine &l2);
TRealPoint LineCrossPoint(const TLine &l1, const TLine &l2);
// The segments cross or touch (collinear overlapping segments count).
bool RealLinesIntersect(const TRealLine &l1, const TRealLine &l2);
// Solves [[m11, m12], [m21, m22]] (x, y) = (p, q); false when singular.
bool SolveLinear2(double m11, double m12, double m21, double m22, double p, double q, double &x,
                  double &y);

// ---- Rotation ----

TRealPoint RotateRealPoint(TRealPoint p, TRealPoint centre, double angle);
void RotateRealPoints(std::span<TRealPoint> points, TRealPoint centre, double angle);
// Rotates in place, rounding half to even.
void RotatePoints(std::span<TPoint> points, TRealPoint centre, double angle);

// ---- Polygons (the closing edge is implied unless stated) ----

double PolygonArea(std::span<const TRealPoint> polygon);
// The area centroid; for a degenerate polygon (|area| <= 0.1) the midpoint of
// the last and the first point.
TRealPoint PolygonCentroid(std::span<const TRealPoint> polygon);
TRealPoint TriangleCentroid(std::span<const TRealPoint> points);
TRealPoint QuadCentroid(std::span<const TRealPoint> points);
// Non-zero rule; any point within 0.5 of a vertex counts as inside.
bool PtInRealPolygon(std::span<const TRealPoint> polygon, TRealPoint p);
bool PtInPolygon(std::span<const TPoint> polygon, TPoint p);
// Even-odd rule over the consecutive edges only: no closing edge.
bool PtInRealPolygonEvenOdd(std::span<const TRealPoint> points, TRealPoint p);
// No two non-adjacent edges intersect or touch.
bool IsSimplePolygon(std::span<const TRealPoint> polygon);
// Bounds start with Left/Top at MaxInt and Right/Bottom at 0 (not at the
// smallest integer): callers rely on Right/Bottom never going below 0.
TRect PointsBounds(std::span<const TPoint> points);
TRect RealPointsBounds(std::span<const TRealPoint> points);
TRect LinesBounds(std::span<const TLine> lines);

// ---- Curves ----

TRealPoint BezierPoint(const TReal4Point &b, double t);
// Quarter q (0..3) of the ellipse centred at the origin; quarter 0 runs from
// (rx, 0) to (0, ry), the others follow clockwise on the screen.
TReal4Point EllipseQuarterBezier(int q, double rx, double ry);
TReal4Point EllipseQuarterBezierAt(int q, TRealPoint centre, double rx, double ry, double angle);

// ---- Hit tests ----

bool PtNearRealLine(const TRealLine &l, TRealPoint p, double tolerance);
// True when p lies on the segment (within 1 pixel); ratio is its position
// from A (0) to B (1), or -1 when the answer is false.
bool PtOnRealLineRatio(const TRealLine &l, TRealPoint p, double &ratio);
// Within 5 pixels of a segment of the polyline (no closing segment).
bool PtNearPolyline(std::span<const TPoint> points, TPoint p);
bool PtNearRealPolyline(std::span<const TRealPoint> points, TRealPoint p);

// ---- Grab rectangles ----

// The grab rectangle after dragging handle kind by move; keeps a rotated
// rectangle a rectangle.
TGrabRect TransformGrabRect(int kind, const TGrabRect &rect, TRealPoint move);
TGrabRect TransformGrabRectInt(int kind, const TGrabRect &rect, TPoint move);
// Makes a nearly axis-parallel rectangle exactly axis-parallel.
bool SnapGrabRect(TGrabRect &rect);
// Corner moves are projected on the diagonal (written back into move); true
// when the resulting rectangle is large enough.
bool LimitGrabMove(int kind, const TGrabRect &rect, TRealPoint &move);
bool LimitGrabMoveInt(int kind, const TGrabRect &rect, TPoint &move, bool writeBack);
// Turns a keyboard move of a corner handle into a diagonal move of the same size.
TPoint DiagonalKeyDelta(int kind, TRealPoint handle, TPoint key, TRealPoint centre);
// For figures with three corner handles (kinds 0..2).
TPoint CornerKeyDelta(int kind, TRealPoint handle, TPoint key, TRealPoint centre);

// ---- Drawing ----

// Rounds every point with RoundReal and draws them as one polyline with the
// canvas's pen.
void PolylineReal(TCanvas &canvas, std::span<const TRealPoint> points);

// Barb, tip (the end B), barb of an arrow head of the given length and
// half-angle in degrees.
std::array<TPoint, 3> ArrowHeadPoints(const TLine &l, int32_t length, double deg);

} // namespace lumora
