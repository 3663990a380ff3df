#include "core/geometry/Geometry.h"

#include "platform/graphics/Canvas.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace lumora {

namespace {

double gPixelsPerMM = kDefaultPixelsPerInch / 25.4;

constexpr double kPi = std::numbers::pi;
constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

// An integral long double to Int32, saturating instead of overflowing.
int32_t SaturateToInt32(long double v) {
  if (v >= static_cast<long double>(kMaxInt)) return kMaxInt;
  if (v <= static_cast<long double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// The signs of CirclePoint's x and y offsets by quadrant; any quadrant number
// outside 0..3 takes quadrant 0's signs.
std::pair<double, double> QuadrantSigns(double quadrant) {
  if (quadrant == 1) return {-1, -1};
  if (quadrant == 2) return {+1, -1};
  if (quadrant == 3) return {+1, +1};
  return {-1, +1};
}

TRealPoint PointOnCircle(TRealPoint centre, double r, double a, double quadrant) {
  auto [sx, sy] = QuadrantSigns(quadrant);
  return {centre.rx + r * sx * std::fabs(std::sin(a)), centre.ry + r * sy * std::fabs(std::cos(a))};
}

// Cross product of (b - a) and (c - a).
double Cross(TRealPoint a, TRealPoint b, TRealPoint c) {
  return (b.rx - a.rx) * (c.ry - a.ry) - (b.ry - a.ry) * (c.rx - a.rx);
}

// Zero counts as either side.
bool OnDifferentSides(double d1, double d2) {
  return (d1 <= 0 && d2 >= 0) || (d1 >= 0 && d2 <= 0);
}

double GrabWidth(const TGrabRect &r) {
  return RealDistance(r[4], r[5]);
}
double GrabHeight(const TGrabRect &r) {
  return RealDistance(r[6], r[7]);
}

// The band of +-5 pixels around a segment, as a quadrilateral.
bool PtNearSegmentBand(const TRealLine &seg, TRealPoint p) {
  const TRealLine up = ParallelRealLine(seg, 5);
  const TRealLine down = ParallelRealLine(seg, -5);
  const std::array<TRealPoint, 4> band{up.rPointA(), up.rPointB(), down.rPointB(), down.rPointA()};
  return PtInRealPolygon(band, p);
}

// The thirteen points of the unit-circle Bezier table: three per quarter,
// clockwise on the screen from (1, 0), ending at (1, 0) again.
std::array<TRealPoint, 13> EllipseTable() {
  const double k = (std::numbers::sqrt2 - 1) * 4 / 3;
  std::array<TRealPoint, 13> t{};
  t[0] = {1, 0};
  t[1] = {1, k};
  t[2] = {k, 1};
  for (int i = 3; i < 13; ++i)
    t[i] = {-t[i - 3].ry, t[i - 3].rx};
  return t;
}

int QuarterIndex(int q) {
  return ((q % 4) + 4) % 4;
}

} // namespace

// ---- Rounding ----

namespace {

// SaturateToInt32 for a whole double.
int32_t SaturateWhole(double v) {
  if (v >= double(kMaxInt)) return kMaxInt;
  if (v <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Whether x holds a double within the int32 range, as nearly every
// coordinate does: it is then rounded in double arithmetic, to the same
// value, without the extended-precision library calls.
bool PlainDouble(long double x, double &d) {
  d = double(x);
  return static_cast<long double>(d) == x && std::fabs(d) < 4294967296.0;
}

} // namespace

int32_t RoundReal(long double x) {
  double d;
  if (PlainDouble(x, d)) {
    // trunc(x ± 0.5) from the whole part and the fraction, both exact.
    double whole = std::trunc(d);
    const double fraction = d - whole;
    if (fraction >= 0.5)
      whole += 1;
    else if (fraction <= -0.5)
      whole -= 1;
    return SaturateWhole(whole);
  }
  if (std::isnan(x)) return 0;
  return SaturateToInt32(std::trunc(x >= 0 ? x + 0.5L : x - 0.5L));
}

int32_t Round(long double x) {
  double d;
  if (PlainDouble(x, d)) return SaturateWhole(std::nearbyint(d));
  if (std::isnan(x)) return 0;
  return SaturateToInt32(std::nearbyint(x));
}

// ---- Pixels per millimetre ----

void SetPixelsPerInch(int pixelsPerInch) {
  gPixelsPerMM = pixelsPerInch / 25.4;
}
double GetPixelsPerMM() {
  return gPixelsPerMM;
}

// ---- Making and converting ----

TPoint RealPointToPoint(TRealPoint p) {
  return {RoundReal(p.rx), RoundReal(p.ry)};
}

TLine RealLineToLine(const TRealLine &l) {
  return {RoundReal(l.rxa), RoundReal(l.rya), RoundReal(l.rxb), RoundReal(l.ryb)};
}

void SwapInt(int32_t &a, int32_t &b) {
  std::swap(a, b);
}
void SwapRealPoint(TRealPoint &a, TRealPoint &b) {
  std::swap(a, b);
}

TRealPoint PointAtDistance(const TRealLine &l, double d) {
  const double f = d / RealLineLength(l);
  return {l.rxa + (l.rxb - l.rxa) * f, l.rya + (l.ryb - l.rya) * f};
}

// ---- Lengths and angles ----

double RealDistance(TRealPoint p, TRealPoint q) {
  return std::hypot(q.rx - p.rx, q.ry - p.ry);
}

double RealLineLength(const TRealLine &l) {
  return std::hypot(l.rxb - l.rxa, l.ryb - l.rya);
}

double RealPointAngle(TRealPoint a, TRealPoint b) {
  const double r = std::atan2(b.rx - a.rx, a.ry - b.ry);
  if (std::isnan(r)) return 0;
  return r == -kPi ? kPi : r; // the range is (-pi, pi]
}

double RealLineAngle(const TRealLine &l) {
  return RealPointAngle(l.rPointA(), l.rPointB());
}

double AngleBetweenRays(TRealPoint a, TRealPoint b, TRealPoint c) {
  double r = std::fmod(RealPointAngle(a, b) - RealPointAngle(a, c), 2 * kPi);
  if (r < 0) r += 2 * kPi;
  return r >= 2 * kPi ? 0 : r;
}

TRealPoint CirclePoint(TRealPoint centre, double r, double a) {
  return PointOnCircle(centre, r, a, std::trunc(2 * a / kPi));
}

TRealPoint CirclePointDeg(TRealPoint centre, double r, double deg) {
  const double reduced = deg - std::trunc(deg / 360) * 360;
  return PointOnCircle(centre, r, reduced * kPi / 180, std::trunc(reduced / 90));
}

// ---- Lines ----

TRealLine ParallelRealLine(const TRealLine &l, double d) {
  const double a = RealPointAngle(l.rPointB(), l.rPointA());
  const double dx = d * std::cos(a);
  const double dy = d * std::sin(a);
  return {l.rxa + dx, l.rya + dy, l.rxb + dx, l.ryb + dy};
}

TRealLine ParallelLine(const TLine &l, double d) {
  return ParallelRealLine(LineToRealLine(l), d);
}

TRealLine ExtendRealLine(const TRealLine &l, double startExt, double endExt) {
  const double len = RealLineLength(l);
  if (len < 1) return l;
  const double ux = (l.rxb - l.rxa) / len;
  const double uy = (l.ryb - l.rya) / len;
  return {l.rxa - ux * startExt, l.rya - uy * startExt, l.rxb + ux * endExt, l.ryb + uy * endExt};
}

TRealLine PerpendicularAt(const TRealLine &l, double halfLength, double t) {
  const double len = RealLineLength(l);
  const double mx = l.rxa + t * (l.rxb - l.rxa);
  const double my = l.rya + t * (l.ryb - l.rya);
  // A zero-length line has no direction: the result collapses to the point.
  const double ux = len > 0 ? (l.rxb - l.rxa) / len : 0;
  const double uy = len > 0 ? (l.ryb - l.rya) / len : 0;
  return {mx - halfLength * uy, my + halfLength * ux, mx + halfLength * uy, my - halfLength * ux};
}

TRealPoint PerpendicularFoot(const TRealLine &l, TRealPoint p) {
  const double bx = l.rxb - l.rxa;
  const double by = l.ryb - l.rya;
  double s = 0;
  double t = 0;
  if (!SolveLinear2(-by, bx, bx, by, p.rx - l.rxa, p.ry - l.rya, s, t)) return p;
  return {l.rxa + t * bx, l.rya + t * by};
}

double DistanceToRealLine(const TRealLine &l, TRealPoint p) {
  const double len = RealLineLength(l);
  if (len == 0 || std::isnan(len)) return 1.0;
  const double ax = l.rxa - p.rx, ay = l.rya - p.ry;
  const double bx = l.rxb - p.rx, by = l.ryb - p.ry;
  return (bx * ay - ax * by) / len;
}

TRealPoint RealLineCrossPoint(const TRealLine &l1, const TRealLine &l2) {
  const double det = (l1.rxb - l1.rxa) * (l2.rya - l2.ryb) - (l2.rxa - l2.rxb) * (l1.ryb - l1.rya);
  if (det == 0) return kParallelSentinel;
  const double s =
      ((l2.rxb - l2.rxa) * (l2.rya - l1.rya) + (l2.rya - l2.ryb) * (l2.rxa - l1.rxa)) / det;
  return {l1.rxa + s * (l1.rxb - l1.rxa), l1.rya + s * (l1.ryb - l1.rya)};
}

TRealPoint LineCrossPoint(const TLine &l1, const TLine &l2) {
  // Products of Int32 differences are exact in doubles.
  return RealLineCrossPoint(LineToRealLine(l1), LineToRealLine(l2));
}

bool RealLinesIntersect(const TRealLine &l1, const TRealLine &l2) {
  const double minX = std::min(l1.rxa, l1.rxb), maxX = std::max(l1.rxa, l1.rxb);
  if ((l2.rxa < minX && l2.rxb < minX) || (l2.rxa > maxX && l2.rxb > maxX)) return false;
  const double minY = std::min(l1.rya, l1.ryb), maxY = std::max(l1.rya, l1.ryb);
  if ((l2.rya < minY && l2.ryb < minY) || (l2.rya > maxY && l2.ryb > maxY)) return false;
  const TRealPoint a1 = l1.rPointA(), b1 = l1.rPointB(), a2 = l2.rPointA(), b2 = l2.rPointB();
  return OnDifferentSides(Cross(a1, b1, a2), Cross(a1, b1, b2)) &&
         OnDifferentSides(Cross(a2, b2, a1), Cross(a2, b2, b1));
}

bool SolveLinear2(double m11, double m12, double m21, double m22, double p, double q, double &x,
                  double &y) {
  const double det = m11 * m22 - m12 * m21;
  if (det == 0) return false;
  x = (m22 * p - m12 * q) / det;
  y = (-m21 * p + m11 * q) / det;
  return true;
}

// ---- Rotation ----

TRealPoint RotateRealPoint(TRealPoint p, TRealPoint centre, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double dx = p.rx - centre.rx, dy = p.ry - centre.ry;
  return {centre.rx + dx * c - dy * s, centre.ry + dx * s + dy * c};
}

void RotateRealPoints(std::span<TRealPoint> points, TRealPoint centre, double angle) {
  for (TRealPoint &p : points)
    p = RotateRealPoint(p, centre, angle);
}

void RotatePoints(std::span<TPoint> points, TRealPoint centre, double angle) {
  for (TPoint &p : points) {
    const TRealPoint r = RotateRealPoint(PointToRealPoint(p), centre, angle);
    p = {Round(r.rx), Round(r.ry)};
  }
}

// ---- Polygons ----

double PolygonArea(std::span<const TRealPoint> polygon) {
  const size_t n = polygon.size();
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    const TRealPoint &a = polygon[i];
    const TRealPoint &b = polygon[(i + 1) % n];
    sum += a.rx * b.ry - b.rx * a.ry;
  }
  return std::fabs(sum) / 2;
}

TRealPoint PolygonCentroid(std::span<const TRealPoint> polygon) {
  const size_t n = polygon.size();
  if (n == 0) return {};
  double s = 0, cx = 0, cy = 0;
  for (size_t i = 0; i < n; ++i) {
    const TRealPoint &a = polygon[i];
    const TRealPoint &b = polygon[(i + 1) % n];
    const double dx = b.rx - a.rx;
    const double dy = b.ry - a.ry;
    const double tri = dx * dy / 2;
    s += dx * a.ry + tri;
    cx += dx * a.ry * (b.rx - dx / 2) + tri * (b.rx - dx / 3);
    cy += a.rx * dy * (b.ry - dy / 2) + tri * (b.ry - dy / 3);
  }
  if (std::fabs(s) <= 0.1) return MidRealPoint(polygon[n - 1], polygon[0]);
  return {cx / s, -cy / s};
}

TRealPoint TriangleCentroid(std::span<const TRealPoint> points) {
  if (points.empty()) return {};
  if (points.size() < 3) return points[0];
  return PolygonCentroid(points.first(3));
}

TRealPoint QuadCentroid(std::span<const TRealPoint> points) {
  if (points.empty()) return {};
  if (points.size() < 4) return points[0];
  return PolygonCentroid(points.first(4));
}

bool PtInRealPolygon(std::span<const TRealPoint> polygon, TRealPoint p) {
  const size_t n = polygon.size();
  int counter = 0;
  for (size_t i = 0; i < n; ++i) {
    const TRealPoint &a = polygon[i];
    if (RealDistance(p, a) < 0.5) return true;
    const TRealPoint &b = polygon[(i + 1) % n];
    if ((a.rx < p.rx) != (b.rx < p.rx))
      counter += (p.ry - a.ry) * (b.rx - a.rx) >= (p.rx - a.rx) * (b.ry - a.ry) ? 1 : -1;
  }
  return counter != 0;
}

bool PtInPolygon(std::span<const TPoint> polygon, TPoint p) {
  std::vector<TRealPoint> real;
  real.reserve(polygon.size());
  for (TPoint q : polygon)
    real.push_back(PointToRealPoint(q));
  return PtInRealPolygon(real, PointToRealPoint(p));
}

bool PtInRealPolygonEvenOdd(std::span<const TRealPoint> points, TRealPoint p) {
  bool inside = false;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const TRealPoint &a = points[i];
    const TRealPoint &b = points[i + 1];
    if ((a.ry < p.ry) == (b.ry < p.ry)) continue;
    if (a.rx < p.rx && b.rx < p.rx) continue;
    if (a.rx >= p.rx && b.rx >= p.rx) {
      inside = !inside;
      continue;
    }
    const double x = a.rx + (p.ry - a.ry) * (b.rx - a.rx) / (b.ry - a.ry);
    if (x >= p.rx) inside = !inside;
  }
  return inside;
}

bool IsSimplePolygon(std::span<const TRealPoint> polygon) {
  const size_t n = polygon.size();
  if (n <= 3) return true;
  auto edge = [&](size_t i) { return RealLine(polygon[i % n], polygon[(i + 1) % n]); };
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 2; j <= i + n - 2; ++j)
      if (RealLinesIntersect(edge(i), edge(j))) return false;
  return true;
}

TRect PointsBounds(std::span<const TPoint> points) {
  TRect r{kMaxInt, kMaxInt, 0, 0};
  for (TPoint p : points) {
    r.Left = std::min(r.Left, p.X);
    r.Top = std::min(r.Top, p.Y);
    r.Right = std::max(r.Right, p.X);
    r.Bottom = std::max(r.Bottom, p.Y);
  }
  return r;
}

TRect RealPointsBounds(std::span<const TRealPoint> points) {
  double left = kMaxInt, top = kMaxInt, right = 0, bottom = 0;
  for (TRealPoint p : points) {
    left = std::min(left, p.rx);
    top = std::min(top, p.ry);
    right = std::max(right, p.rx);
    bottom = std::max(bottom, p.ry);
  }
  return {RoundReal(left), RoundReal(top), RoundReal(right), RoundReal(bottom)};
}

TRect LinesBounds(std::span<const TLine> lines) {
  TRect r{kMaxInt, kMaxInt, 0, 0};
  for (const TLine &l : lines) {
    r.Left = std::min({r.Left, l.xa, l.xb});
    r.Top = std::min({r.Top, l.ya, l.yb});
    r.Right = std::max({r.Right, l.xa, l.xb});
    r.Bottom = std::max({r.Bottom, l.ya, l.yb});
  }
  return r;
}

// ---- Curves ----

TRealPoint BezierPoint(const TReal4Point &b, double t) {
  const double u = 1 - t;
  const double w1 = u * u * u, w2 = 3 * t * u * u, w3 = 3 * t * t * u, w4 = t * t * t;
  return {w1 * b.rx1 + w2 * b.rx2 + w3 * b.rx3 + w4 * b.rx4,
          w1 * b.ry1 + w2 * b.ry2 + w3 * b.ry3 + w4 * b.ry4};
}

TReal4Point EllipseQuarterBezier(int q, double rx, double ry) {
  return EllipseQuarterBezierAt(q, {0, 0}, rx, ry, 0);
}

TReal4Point EllipseQuarterBezierAt(int q, TRealPoint centre, double rx, double ry, double angle) {
  static const std::array<TRealPoint, 13> table = EllipseTable();
  const int first = 3 * QuarterIndex(q);
  TArray4Point pts;
  for (int i = 0; i < 4; ++i) {
    const TRealPoint scaled{table[first + i].rx * rx, table[first + i].ry * ry};
    const TRealPoint turned = angle == 0 ? scaled : RotateRealPoint(scaled, {0, 0}, angle);
    pts[i] = AddRealPoint(turned, centre);
  }
  return TReal4Point::FromPoints(pts);
}

// ---- Hit tests ----

bool PtNearRealLine(const TRealLine &l, TRealPoint p, double tolerance) {
  const TRealPoint foot = PerpendicularFoot(l, p);
  if (RealDistance(p, foot) > tolerance) return false;
  return RealLinesIntersect(ExtendRealLine(RealLine(p, foot), tolerance, tolerance),
                            ExtendRealLine(l, tolerance, tolerance));
}

bool PtOnRealLineRatio(const TRealLine &l, TRealPoint p, double &ratio) {
  const double toA = RealDistance(p, l.rPointA());
  if (toA < 1) {
    ratio = 0;
    return true;
  }
  const double toB = RealDistance(p, l.rPointB());
  if (toB < 1) {
    ratio = 1;
    return true;
  }
  ratio = -1;
  const double len = RealLineLength(l);
  if (toA >= len || toB >= len) return false;
  if (RealDistance(p, PerpendicularFoot(l, p)) >= 1) return false;
  ratio = toA / len;
  return true;
}

bool PtNearPolyline(std::span<const TPoint> points, TPoint p) {
  const TRealPoint rp = PointToRealPoint(p);
  for (size_t i = 0; i + 1 < points.size(); ++i)
    if (PtNearSegmentBand(LineToRealLine(MakeLine(points[i], points[i + 1])), rp)) return true;
  return false;
}

bool PtNearRealPolyline(std::span<const TRealPoint> points, TRealPoint p) {
  for (size_t i = 0; i + 1 < points.size(); ++i)
    if (PtNearSegmentBand(RealLine(points[i], points[i + 1]), p)) return true;
  return false;
}

// ---- Grab rectangles ----

TGrabRect TransformGrabRect(int kind, const TGrabRect &rect, TRealPoint move) {
  if (kind < 0 || kind > 7 || rect.size() < 8) return rect;
  TGrabRect r = rect;
  if (kind <= 3) {
    // The two corners sharing a side with the dragged one.
    static constexpr int kNeighbours[4][2] = {{1, 3}, {0, 2}, {3, 1}, {0, 2}};
    const TRealPoint moved = AddRealPoint(rect[kind], move);
    for (int n : kNeighbours[kind]) {
      const TRealLine side = RealLine(rect[n], rect[kind]);
      r[n] = ParallelRealLine(side, DistanceToRealLine(side, moved)).rPointA();
    }
    r[kind] = moved;
  } else {
    // The two corners of the dragged side.
    static constexpr int kSideCorners[4][2] = {{0, 3}, {1, 2}, {0, 1}, {3, 2}};
    const int c1 = kSideCorners[kind - 4][0];
    const int c2 = kSideCorners[kind - 4][1];
    const TRealLine side = RealLine(rect[c1], rect[c2]);
    const TRealLine moved =
        ParallelRealLine(side, DistanceToRealLine(side, AddRealPoint(rect[kind], move)));
    r[c1] = moved.rPointA();
    r[c2] = moved.rPointB();
  }
  r[4] = MidRealPoint(r[0], r[3]);
  r[5] = MidRealPoint(r[1], r[2]);
  r[6] = MidRealPoint(r[0], r[1]);
  r[7] = MidRealPoint(r[3], r[2]);
  SnapGrabRect(r);
  return r;
}

TGrabRect TransformGrabRectInt(int kind, const TGrabRect &rect, TPoint move) {
  return TransformGrabRect(kind, rect, PointToRealPoint(move));
}

bool SnapGrabRect(TGrabRect &r) {
  if (r.size() < 8) return false;
  if (std::fabs(r[3].rx - r[0].rx) <= 0.9) {
    r[3].rx = r[4].rx = r[0].rx;
    r[2].rx = r[5].rx = r[1].rx;
    r[1].ry = r[6].ry = r[0].ry;
    r[3].ry = r[7].ry = r[2].ry;
    return true;
  }
  if (std::fabs(r[3].ry - r[0].ry) <= 0.9) {
    r[3].ry = r[4].ry = r[0].ry;
    r[2].ry = r[5].ry = r[1].ry;
    r[1].rx = r[6].rx = r[0].rx;
    r[3].rx = r[7].rx = r[2].rx;
    return true;
  }
  return false;
}

bool LimitGrabMove(int kind, const TGrabRect &rect, TRealPoint &move) {
  if (rect.size() < 8) return false;
  if (kind >= 0 && kind <= 3) {
    // Keep the proportions: the corner slides along its diagonal.
    const TRealLine diagonal = RealLine(rect[kind], rect[(kind + 2) % 4]);
    const TRealPoint foot = PerpendicularFoot(diagonal, AddRealPoint(rect[kind], move));
    move = SubRealPoint(foot, rect[kind]);
  }
  const double oldArea = GrabWidth(rect) * GrabHeight(rect);
  const TGrabRect moved = TransformGrabRect(kind, rect, move);
  const double newWidth = GrabWidth(moved);
  const double newHeight = GrabHeight(moved);
  const double newArea = newWidth * newHeight;
  if (newArea <= 90) return false;
  return oldArea <= newArea || (newWidth >= 9 && newHeight >= 9);
}

bool LimitGrabMoveInt(int kind, const TGrabRect &rect, TPoint &move, bool writeBack) {
  if (move.X == 0 && move.Y == 0) return true;
  TRealPoint real = PointToRealPoint(move);
  const bool allowed = LimitGrabMove(kind, rect, real);
  if (writeBack) move = RealPointToPoint(real);
  return allowed;
}

TPoint DiagonalKeyDelta(int kind, TRealPoint handle, TPoint key, TRealPoint centre) {
  if (kind >= 4 || (key.X != 0 && key.Y != 0)) return key;
  const bool vertical = key.X == 0;
  const int32_t d = vertical ? key.Y : key.X;
  if (d != 1 && d != -1 && d != 10 && d != -10) return key;
  const TPoint side = vertical ? TPoint{d, 0} : TPoint{0, d};
  const double e = RealDistance(centre, handle);
  const double g = RealDistance(centre, AddRealPoint(handle, PointToRealPoint(key)));
  const double h = RealDistance(centre, AddRealPoint(handle, PointToRealPoint(side)));
  if ((g >= e) == (h >= e)) return {d, d};
  // The side step would go the other way: flip it so that both components
  // move the handle away from the centre, or both towards it.
  return vertical ? TPoint{-d, d} : TPoint{d, -d};
}

TPoint CornerKeyDelta(int kind, TRealPoint handle, TPoint key, TRealPoint centre) {
  if (kind >= 0 && kind <= 2) return DiagonalKeyDelta(kind, handle, key, centre);
  return key;
}

// ---- Drawing ----

void PolylineReal(TCanvas &canvas, std::span<const TRealPoint> points) {
  std::vector<TPoint> pixels;
  pixels.reserve(points.size());
  for (const TRealPoint &p : points)
    pixels.push_back(RealPointToPoint(p));
  canvas.Polyline(pixels);
}

std::array<TPoint, 3> ArrowHeadPoints(const TLine &l, int32_t length, double deg) {
  const double b =
      l.xa == l.xb ? kPi / 2 : std::atan(std::fabs((double(l.ya) - l.yb) / (double(l.xa) - l.xb)));
  const double a = deg * kPi / 180;
  const int32_t sgnx = l.xb < l.xa ? -1 : 1;
  const int32_t sgny = l.yb < l.ya ? -1 : 1;
  const TPoint tip = l.PointB();
  const TPoint barb1{tip.X - sgnx * Round(length * std::cos(b - a)),
                     tip.Y - sgny * Round(length * std::sin(b - a))};
  const TPoint barb2{tip.X - sgnx * Round(length * std::cos(b + a)),
                     tip.Y - sgny * Round(length * std::sin(b + a))};
  return {barb1, tip, barb2};
}

} // namespace lumora
