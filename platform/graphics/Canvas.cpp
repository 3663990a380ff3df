#include "platform/graphics/Canvas.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainterPath>
#include <QPicture>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/graphics/Graphic.h"

namespace lumora {

namespace {

// The Japanese faces of the documents had a cell exactly one em high with
// the baseline at 0.88 em; the Noto CJK families that stand in for them put
// their ideographic box at the same place, so the cell is kept at one em and
// text lands where the documents expect it.
constexpr double kCjkAscent = 0.88;

bool IsCjkStandIn(const QString &family) {
  return family == QLatin1String("Noto Sans CJK JP") ||
         family == QLatin1String("Noto Serif CJK JP");
}

struct CellMetrics {
  int ascent = 0;
  int descent = 0;
};

CellMetrics MetricsOf(const QFont &font) {
  if (IsCjkStandIn(font.family()) && font.pixelSize() > 0) {
    const int em = font.pixelSize();
    const int ascent = int(std::lround(em * kCjkAscent));
    return {ascent, em - ascent};
  }
  const QFontMetrics fm(font);
  return {fm.ascent(), fm.descent()};
}

int RoundHalfAway(double v) {
  return int(std::lround(v));
}

// The last pixel a line from a to b covers before b, on the line's major
// axis (b itself is not drawn).
QPoint PixelBeforeEnd(QPoint a, QPoint b) {
  const int dx = b.x() - a.x();
  const int dy = b.y() - a.y();
  const int n = std::max(std::abs(dx), std::abs(dy));
  const double t = double(n - 1) / n;
  return {a.x() + RoundHalfAway(dx * t), a.y() + RoundHalfAway(dy * t)};
}

QVector<qreal> DashPattern(TPenStyle style) {
  // The platform's cosmetic pen patterns, in pixels (on, off, ...).
  switch (style) {
  case psDash:
    return {18, 6};
  case psDot:
    return {3, 3};
  case psDashDot:
    return {9, 6, 3, 6};
  case psDashDotDot:
    return {9, 3, 3, 3, 3, 3};
  default:
    return {};
  }
}

QPolygon ToQPolygon(std::span<const TPoint> points) {
  QPolygon polygon;
  polygon.reserve(qsizetype(points.size()));
  for (const TPoint &p : points)
    polygon << QPoint(p.X, p.Y);
  return polygon;
}

} // namespace

TLogFont LogFontOf(const TFont &font) {
  TLogFont lf;
  lf.lfHeight = font.Height();
  lf.lfWeight = (font.Style() & fsBold) ? 700 : 400;
  lf.lfItalic = (font.Style() & fsItalic) != 0;
  lf.lfUnderline = (font.Style() & fsUnderline) != 0;
  lf.lfStrikeOut = (font.Style() & fsStrikeOut) != 0;
  lf.lfCharSet = font.Charset();
  lf.lfPitchAndFamily = font.Pitch() == TFontPitch::fpFixed      ? 1
                        : font.Pitch() == TFontPitch::fpVariable ? 2
                                                                 : 0;
  lf.lfFaceName = font.Name();
  return lf;
}

QFont MakeQFont(const TLogFont &lf) {
  QFont font(FontFamilyFor(lf.lfFaceName));
  font.setKerning(false); // the platform does not kern, so widths add up
  font.setWeight(QFont::Weight(std::clamp(lf.lfWeight == 0 ? 400 : lf.lfWeight, 1, 1000)));
  font.setItalic(lf.lfItalic);
  font.setUnderline(lf.lfUnderline);
  font.setStrikeOut(lf.lfStrikeOut);
  if (lf.lfPitchAndFamily & 1) font.setFixedPitch(true);

  const int height = lf.lfHeight == 0 ? -12 : lf.lfHeight; // 0 asks for a default size
  int em = std::min(std::abs(height), 10000);
  if (height > 0 && !IsCjkStandIn(font.family())) {
    // A positive height is the cell height: scale the em by the face's
    // cell-to-em ratio.
    QFont probe = font;
    probe.setPixelSize(1000);
    const QFontMetricsF fm(probe);
    const double cell = fm.ascent() + fm.descent();
    if (cell > 0) em = std::max(1, RoundHalfAway(height * 1000.0 / cell));
  }
  font.setPixelSize(std::max(1, em));

  if (lf.lfWidth != 0) {
    // The width is the average character width; Qt takes a stretch factor.
    const int average = QFontMetrics(font).averageCharWidth();
    if (average > 0)
      font.setStretch(std::clamp(RoundHalfAway(std::abs(lf.lfWidth) * 100.0 / average), 1, 4000));
  }
  return font;
}

TCanvas::TCanvas(QPaintDevice *device) : device_(device), owned_(std::make_unique<QPainter>()) {
  painter_ = owned_.get();
}

TCanvas::TCanvas(QPainter *painter) : device_(painter->device()), painter_(painter) {
  painter_->save(); // the owner's state, given back at destruction
  painter_->setRenderHint(QPainter::Antialiasing, false);
  painter_->save(); // the canvas's base state, below any clip it sets
}

TCanvas::~TCanvas() {
  if (owned_) {
    End();
  } else if (painter_->isActive()) {
    painter_->restore();
    painter_->restore();
  }
}

void TCanvas::End() {
  if (owned_ && owned_->isActive()) {
    owned_->restore();
    owned_->end();
  }
}

bool TCanvas::Active() const {
  return painter_->isActive();
}

QPainter &TCanvas::Painter() {
  return Open();
}

QPainter &TCanvas::Open() {
  if (owned_ && !owned_->isActive() && device_ != nullptr) {
    owned_->begin(device_);
    owned_->setRenderHint(QPainter::Antialiasing, false);
    owned_->save();
    if (clip_) owned_->setClipRegion(*clip_, Qt::IntersectClip);
  }
  return *painter_;
}

void TCanvas::ApplyMode(QPainter &p) {
  if (pen_.Mode() == pmNotXor) inverted_ = true;
  p.setCompositionMode(pen_.Mode() == pmNotXor ? QPainter::RasterOp_NotSourceXorDestination
                                               : QPainter::CompositionMode_SourceOver);
}

void TCanvas::ApplyPen(QPainter &p) {
  if (pen_.Style() == psClear || pen_.Color() == clNone) {
    p.setPen(Qt::NoPen);
    return;
  }
  QPen pen(ToQColor(pen_.Color()));
  if (pen_.Width() <= 1) {
    pen.setWidth(0); // cosmetic: one pixel, both ends covered
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    const QVector<qreal> dashes = DashPattern(pen_.Style());
    if (!dashes.isEmpty()) pen.setDashPattern(dashes);
  } else {
    // Wide pens are solid with round ends and joins, as the platform makes them.
    pen.setWidth(pen_.Width());
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
  }
  p.setPen(pen);
}

void TCanvas::ApplyBrush(QPainter &p) {
  if (brush_.Style() == bsClear || brush_.Color() == clNone)
    p.setBrush(Qt::NoBrush);
  else
    p.setBrush(ToQColor(brush_.Color()));
}

void TCanvas::Touch(const QRect &area) {
  drawn_ |= area.normalized();
}

void TCanvas::TouchStroke(const QRect &area) {
  const int grow = pen_.Width() > 1 ? pen_.Width() / 2 + 1 : 0;
  Touch(area.adjusted(-grow, -grow, grow, grow));
}

HFONT TCanvas::SelectFont(HFONT font) {
  HFONT previous = (selected_ && font_ == fontAtSelect_) ? selected_ : nullptr;
  selected_ = std::move(font);
  fontAtSelect_ = font_;
  return previous;
}

TLogFont TCanvas::CurrentLogFont() const {
  if (selected_ && font_ == fontAtSelect_) return *selected_;
  return LogFontOf(font_);
}

QFont TCanvas::CurrentQFont() const {
  std::pair<TLogFont, int> key(CurrentLogFont(), charExtra_);
  if (fontKey_ && *fontKey_ == key) return qfont_;
  QFont font = MakeQFont(key.first);
  if (charExtra_ != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, charExtra_);
  fontKey_ = std::move(key);
  qfont_ = font;
  return font;
}

void TCanvas::LineTo(int x, int y) {
  QPainter &p = Open();
  const QPoint a(penPos_.X, penPos_.Y);
  const QPoint b(x, y);
  penPos_ = {x, y};
  if (a == b) return;
  ApplyPen(p);
  ApplyMode(p);
  if (p.pen().style() == Qt::NoPen) return;
  TouchStroke(QRect(a, b).normalized());
  if (pen_.Width() <= 1) {
    // Qt covers both ends of a cosmetic line; stop one pixel short of b.
    p.drawLine(a, PixelBeforeEnd(a, b));
  } else {
    p.drawLine(a, b);
  }
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  if (points.size() < 2) return;
  if (pen_.Width() <= 1) {
    // Segment by segment, each without its end, so that every joint is
    // covered once (which matters under the not-XOR mode).
    const TPoint saved = penPos_;
    penPos_ = points[0];
    for (size_t i = 1; i < points.size(); ++i)
      LineTo(points[i].X, points[i].Y);
    penPos_ = saved;
    return;
  }
  QPainter &p = Open();
  ApplyPen(p);
  ApplyMode(p);
  p.setBrush(Qt::NoBrush);
  const QPolygon polygon = ToQPolygon(points);
  TouchStroke(polygon.boundingRect());
  p.drawPolyline(polygon);
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  if (points.empty()) return;
  QPainter &p = Open();
  ApplyPen(p);
  ApplyBrush(p);
  ApplyMode(p);
  const QPolygon polygon = ToQPolygon(points);
  TouchStroke(polygon.boundingRect());
  p.drawPolygon(polygon, Qt::OddEvenFill);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  const int w = right - left;
  const int h = bottom - top;
  if (w <= 0 || h <= 0) return;
  QPainter &p = Open();
  ApplyPen(p);
  ApplyBrush(p);
  ApplyMode(p);
  const QPen pen = p.pen();
  const QBrush brush = p.brush();
  const bool hasPen = pen.style() != Qt::NoPen;
  TouchStroke(QRect(left, top, w, h));
  // The inside and the frame are drawn apart so that no pixel is drawn twice.
  if (!hasPen) {
    // Without a pen the platform fills one pixel less to the right and below.
    if (brush.style() != Qt::NoBrush && w > 1 && h > 1) {
      p.setPen(Qt::NoPen);
      p.drawRect(QRect(left, top, w - 1, h - 1));
    }
    return;
  }
  if (pen_.Width() <= 1) {
    if (brush.style() != Qt::NoBrush && w > 2 && h > 2) {
      p.setPen(Qt::NoPen);
      p.drawRect(QRect(left + 1, top + 1, w - 2, h - 2));
      p.setPen(pen);
    }
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(left, top, w - 1, h - 1));
    return;
  }
  // A wide pen is centred on the one-pixel frame, or lies inside the bounds
  // for psInsideFrame.
  const double pw = pen_.Width();
  const QRectF path = pen_.Style() == psInsideFrame
                          ? QRectF(left + pw / 2, top + pw / 2, w - pw, h - pw)
                          : QRectF(left + 0.5, top + 0.5, w - 1, h - 1);
  const QRectF inside = path.adjusted(pw / 2, pw / 2, -pw / 2, -pw / 2);
  if (brush.style() != Qt::NoBrush && inside.width() > 0 && inside.height() > 0) {
    p.setPen(Qt::NoPen);
    p.drawRect(inside);
    p.setPen(pen);
  }
  QPen framePen = pen;
  framePen.setJoinStyle(Qt::MiterJoin);
  p.setPen(framePen);
  p.setBrush(Qt::NoBrush);
  p.drawRect(path);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  const int w = right - left;
  const int h = bottom - top;
  if (w <= 1 || h <= 1) return;
  QPainter &p = Open();
  ApplyPen(p);
  ApplyBrush(p);
  ApplyMode(p);
  TouchStroke(QRect(left, top, w, h));
  if (pen_.Width() > 1 && p.pen().style() != Qt::NoPen) {
    const double pw = pen_.Width();
    p.drawEllipse(pen_.Style() == psInsideFrame
                      ? QRectF(left + pw / 2, top + pw / 2, w - pw, h - pw)
                      : QRectF(left + 0.5, top + 0.5, w - 1, h - 1));
    return;
  }
  p.drawEllipse(QRect(left, top, w - 1, h - 1));
}

void TCanvas::FillRect(const TRect &r) {
  if (brush_.Style() == bsClear || brush_.Color() == clNone) return;
  QRect q(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::abs(r.Width()),
          std::abs(r.Height()));
  if (q.isEmpty()) return;
  QPainter &p = Open();
  ApplyMode(p);
  Touch(q);
  p.fillRect(q, ToQColor(brush_.Color()));
}

void TCanvas::TextOut(int x, int y, const QString &text) {
  const QFont font = CurrentQFont();
  const int width = QFontMetrics(font).horizontalAdvance(text);
  penPos_ = {x + width, y};
  if (text.isEmpty()) return;
  QPainter &p = Open();
  const CellMetrics m = MetricsOf(font);
  const int escapement = CurrentLogFont().lfEscapement;
  p.save();
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.translate(x, y);
  // Escapement turns counter-clockwise on the screen; Qt's y axis points
  // down, so its positive angles turn clockwise.
  if (escapement % 3600 != 0) p.rotate(-escapement / 10.0);
  Touch(p.transform().mapRect(QRectF(0, 0, width, m.ascent + m.descent)).toAlignedRect());
  if (brush_.Style() != bsClear && brush_.Color() != clNone)
    p.fillRect(QRect(0, 0, width, m.ascent + m.descent), ToQColor(brush_.Color()));
  p.setFont(font);
  p.setPen(ToQColor(font_.Color()));
  p.drawText(QPoint(0, m.ascent), text);
  p.restore();
}

int TCanvas::TextWidth(const QString &text) const {
  return QFontMetrics(CurrentQFont()).horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString &) const {
  const CellMetrics m = MetricsOf(CurrentQFont());
  return m.ascent + m.descent;
}

QSize TCanvas::TextExtent(const QString &text) const {
  return QSize(TextWidth(text), TextHeight(text));
}

void TCanvas::Draw(int x, int y, const TGraphic &graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, Bounds(x, y, graphic.Width(), graphic.Height()));
}

void TCanvas::StretchDraw(const TRect &r, const TGraphic &graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, r);
}

void TCanvas::DrawImage(const TRect &r, const QImage &image) {
  if (image.isNull() || r.Width() == 0 || r.Height() == 0) return;
  QPainter &p = Open();
  p.save();
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  const double sx = double(r.Width()) / image.width();
  const double sy = double(r.Height()) / image.height();
  if (std::abs(sx) != 1.0 || std::abs(sy) != 1.0)
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  Touch(
      QRect(QPoint(r.Left, r.Top), QPoint(r.Right, r.Bottom)).normalized().adjusted(0, 0, -1, -1));
  p.translate(r.Left, r.Top);
  p.scale(sx, sy);
  p.drawImage(QPoint(0, 0), image);
  p.restore();
}

void TCanvas::SetClipRect(const TRect &r) {
  const QRect q(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::abs(r.Width()),
                std::abs(r.Height()));
  clip_ = QRegion(q);
  clipUsed_ = true;
  QPainter &p = Open();
  p.restore();
  p.save();
  p.setClipRegion(*clip_, Qt::IntersectClip);
}

void TCanvas::SetClipPolygon(std::span<const TPoint> points, bool winding) {
  clip_ = QRegion(ToQPolygon(points), winding ? Qt::WindingFill : Qt::OddEvenFill);
  clipUsed_ = true;
  QPainter &p = Open();
  p.restore();
  p.save();
  p.setClipRegion(*clip_, Qt::IntersectClip);
}

void TCanvas::ClearClip() {
  if (!clip_) return;
  clip_.reset();
  QPainter &p = Open();
  p.restore();
  p.save();
}

TRect TCanvas::ClipRect() const {
  QRect bounds;
  if (device_ != nullptr && device_->devType() != QInternal::Picture)
    bounds = QRect(0, 0, device_->width(), device_->height());
  if (clip_) bounds = bounds.isNull() ? clip_->boundingRect() : bounds & clip_->boundingRect();
  return Rect(bounds.left(), bounds.top(), bounds.left() + bounds.width(),
              bounds.top() + bounds.height());
}

} // namespace lumora
