#include "core/pictures/BitmapUnit.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "core/geometry/Geometry.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Metafile.h"

namespace lumora {

namespace {

constexpr QImage::Format kFormat32 = QImage::Format_ARGB32_Premultiplied;

// The 24-bit RGB of a colour ($00BBGGRR, or a system colour) in pixel
// order: red and blue exchanged.
QRgb RgbOf(TColor color) {
  return ToQColor(color).rgb() & 0xFFFFFF;
}

// Sizes the bitmap and fills it with the key colour; the canvas stays open
// for drawing into it.
TCanvas &FillWithKey(TBitmap &aBitmap, int aWidth, int aHeight) {
  aBitmap.SetSize(aWidth, aHeight);
  TCanvas &canvas = aBitmap.Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(kKeyColor);
  canvas.FillRect(Rect(0, 0, aWidth, aHeight));
  return canvas;
}

// A side of a bitmap made from a real size: at least one pixel, and the
// product of both within the picture limit; false when the size is no
// size at all (zero, negative, not a number) or beyond any picture.
bool PixelSize(long double aWidth, long double aHeight, int &aW, int &aH) {
  if (!(aWidth >= 0.5L) || !(aHeight >= 0.5L)) return false;
  if (aWidth * aHeight > kMaxPicturePixels) return false;
  aW = RoundReal(aWidth);
  aH = RoundReal(aHeight);
  return int64_t(aW) * aH <= kMaxPicturePixels;
}

// One source pixel covered by a destination pixel, and the covered part of
// it along one axis.
struct TCover {
  int Index;
  double Weight;
};

// For every destination index d along one axis, the source pixels covered
// by [d * s, (d + 1) * s - 0.000001] and their covered parts: those of d
// are Items[First[d]] up to Items[First[d + 1]].
struct TCovers {
  std::vector<size_t> First;
  std::vector<TCover> Items;

  const TCover *begin(int d) const { return Items.data() + First[size_t(d)]; }
  const TCover *end(int d) const { return Items.data() + First[size_t(d) + 1]; }
};

TCovers Covers(int aSource, int aDest) {
  const double s = double(aSource) / aDest;
  TCovers covers;
  covers.First.reserve(size_t(aDest) + 1);
  covers.Items.reserve(size_t(aDest) + size_t(aSource) + 1);
  for (int d = 0; d < aDest; ++d) {
    covers.First.push_back(covers.Items.size());
    const double from = d * s;
    const double to = std::max(from, (d + 1) * s - 0.000001);
    const int first = std::min(int(from), aSource - 1);
    const int last = std::clamp(int(to), first, aSource - 1);
    for (int k = first; k <= last; ++k)
      covers.Items.push_back(
          {k, std::max(0.0, std::min(double(k + 1), to) - std::max(double(k), from))});
  }
  covers.First.push_back(covers.Items.size());
  return covers;
}

// Whether the destination pixels under aRect are all opaque, so that the
// AND and OR raster operations give the transparent result: on a
// destination with transparent pixels they would leave the key pixels
// opaque black.
bool OpaqueUnder(TCanvas &aCanvas, const TRect &aRect) {
  QPaintDevice *device = aCanvas.Device();
  if (device == nullptr || device->devType() != QInternal::Image) return false;
  const auto *image = static_cast<const QImage *>(device);
  if (!image->hasAlphaChannel()) return true;
  if (image->format() != QImage::Format_ARGB32_Premultiplied &&
      image->format() != QImage::Format_ARGB32)
    return false;
  const QRect area = aCanvas.Painter()
                         .combinedTransform()
                         .mapRect(QRectF(ToQRect(aRect).normalized()))
                         .toAlignedRect() &
                     image->rect();
  for (int y = area.top(); y <= area.bottom(); ++y) {
    const auto *row = reinterpret_cast<const QRgb *>(image->constScanLine(y));
    for (int x = area.left(); x <= area.right(); ++x)
      if (qAlpha(row[x]) != 255) return false;
  }
  return true;
}

} // namespace

void DrawGraphicEx(TCanvas &aCanvas, const TRect &aRect, const TGraphic &aGraphic, double aAngle,
                   bool aMirror, bool aUpsideDown) {
  if (aGraphic.Empty() || aRect.Width() == 0 || aRect.Height() == 0) return;
  int64_t w = std::abs(int64_t(aGraphic.Width()));
  int64_t h = std::abs(int64_t(aGraphic.Height()));
  if (w == 0 || h == 0) return;
  if (w * h > kMaxTransparentPixels) {
    const double f = std::sqrt(double(kMaxTransparentPixels) / (double(w) * double(h)));
    w = std::max<int64_t>(1, Round(w * f));
    h = std::max<int64_t>(1, Round(h * f));
    // A thread-thin picture rounds its thin side up to one pixel; the long
    // side then gives way so that the limit holds.
    if (w * h > kMaxTransparentPixels) {
      if (w > h)
        w = kMaxTransparentPixels / h;
      else
        h = kMaxTransparentPixels / w;
    }
  }

  if (!IsNoTurn(aAngle) && std::isfinite(aAngle)) {
    // The turn grows the work bitmap to its turned bounds, about twice the
    // pixels for ordinary pictures but without bound for a thin one at a
    // steep angle; such a picture is reduced further so that the turned
    // bounds stay within four times the limit.
    const double s = std::fabs(std::sin(aAngle));
    const double c = std::fabs(std::cos(aAngle));
    const double turned = (h * s + w * c) * (h * c + w * s);
    constexpr double kMaxTurned = 4.0 * kMaxTransparentPixels;
    if (turned > kMaxTurned) {
      const double f = std::sqrt(kMaxTurned / turned);
      w = std::max<int64_t>(1, Round(w * f));
      h = std::max<int64_t>(1, Round(h * f));
    }
  }

  // The 16-bit work bitmap: colours are quantised to 5-6-5, the key colour
  // stays exact.
  TBitmap work;
  work.SetPixelFormat(pf16bit);
  work.SetTransparent(true);
  work.SetTransparentColor(kKeyColor);
  FillWithKey(work, int(w), int(h)).StretchDraw(Rect(0, 0, int(w), int(h)), aGraphic);

  if (aMirror) MirrorBitmap(work);
  if (aUpsideDown) {
    const TBitmap copy = work;
    FlipBitmap(copy, work);
  }
  if (!IsNoTurn(aAngle)) RotateScaleBitmap(work, work, aAngle, 1.0);
  if (work.Empty()) return;

  if (!OpaqueUnder(aCanvas, aRect)) {
    // A recording (replayed later onto whatever), a printer or a
    // destination with transparent pixels: the raster operations would not
    // hold there. Leaving the key pixels out through alpha gives the same
    // pixels as the mask and the two operations below on an opaque image.
    aCanvas.StretchDraw(aRect, work);
    return;
  }

  // The mask: key colour white, everything else black.
  const QImage pixels = work.Image().convertToFormat(QImage::Format_RGB32);
  const QRgb key = RgbOf(kKeyColor);
  QImage maskImage(pixels.size(), QImage::Format_RGB32);
  for (int y = 0; y < pixels.height(); ++y) {
    const auto *src = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
    auto *dst = reinterpret_cast<QRgb *>(maskImage.scanLine(y));
    for (int x = 0; x < pixels.width(); ++x)
      dst[x] = (src[x] & 0xFFFFFF) == key ? 0xFFFFFFFF : 0xFF000000;
  }
  TBitmap mask;
  mask.SetPixelFormat(pf1bit);
  mask.SetImage(maskImage);
  // AND keeps the destination under the key pixels and blackens the rest.
  StretchBitmapDIB(aCanvas, aRect, mask, ropSrcAnd);

  // The inverted mask blackens the key pixels of the work bitmap, so that
  // OR leaves the destination alone there and sets the picture elsewhere.
  maskImage.invertPixels();
  mask.SetImage(maskImage);
  for (int y = 0; y < work.Height(); ++y) {
    auto *row = reinterpret_cast<uint16_t *>(work.ScanLine(y));
    const auto *m = reinterpret_cast<const QRgb *>(std::as_const(mask).ScanLine(y));
    for (int x = 0; x < work.Width(); ++x)
      if ((m[x] & 0xFFFFFF) == 0) row[x] = 0;
  }
  StretchBitmapDIB(aCanvas, aRect, work, ropSrcPaint);
}

void RotateScaleBitmap(TBitmap &aDest, const TGraphic &aSrc, double aAngle, double aScale) {
  // Everything needed from aSrc is taken before aDest changes: they may be
  // the same bitmap.
  const bool transparent = aSrc.Transparent();
  TBitmap work;
  work.SetPixelFormat(pf32bit);
  // The uncovered corners of a turn take the key colour.
  work.SetTransparentColor(kKeyColor);
  int w = 0;
  int h = 0;
  bool sized =
      !aSrc.Empty() && PixelSize(std::abs(int64_t(aSrc.Width())) * (long double)aScale,
                                 std::abs(int64_t(aSrc.Height())) * (long double)aScale, w, h);
  if (sized && !IsNoTurn(aAngle)) {
    const double s = std::fabs(std::sin(aAngle));
    const double c = std::fabs(std::cos(aAngle));
    sized = (h * s + w * c) * (h * c + w * s) <= double(kMaxPicturePixels);
  }
  if (!sized) {
    aDest.SetSize(0, 0);
    aDest.SetTransparent(transparent);
    return;
  }
  TCanvas &canvas = FillWithKey(work, w, h);
  if (const auto *metafile = dynamic_cast<const TMetafile *>(&aSrc)) {
    std::unique_ptr<TGraphic> sizedCopy = metafile->Clone();
    auto &copy = static_cast<TMetafile &>(*sizedCopy);
    copy.SetWidth(w);
    copy.SetHeight(h);
    canvas.Draw(0, 0, copy);
  } else {
    canvas.StretchDraw(Rect(0, 0, w, h), aSrc);
  }

  if (!IsNoTurn(aAngle)) RotateBitmap(work, aAngle);

  TBitmap reduced;
  TBitmap *result = &work;
  if (aScale != 1.0) {
    int rw = 0;
    int rh = 0;
    if (!PixelSize(work.Width() / (long double)aScale, work.Height() / (long double)aScale, rw,
                   rh)) {
      aDest.SetSize(0, 0);
      aDest.SetTransparent(transparent);
      return;
    }
    reduced.SetSize(rw, rh);
    ResampleBitmap(reduced, work, kKeyColor);
    result = &reduced;
  }

  result->SetTransparent(transparent);
  if (transparent) result->SetPixel(0, result->Height() - 1, kKeyColor);
  // The result covers the whole destination, so filling it with the key
  // colour first and drawing the result at (0, 0) is a copy of its pixels.
  aDest.SetSize(0, 0);
  aDest.SetImage(result->Image());
  aDest.SetTransparent(transparent);
}

void RotateBitmap(TBitmap &aBitmap, double aAngle) {
  if (aBitmap.Empty() || !std::isfinite(aAngle)) return;
  const QRgb key = 0xFF000000 | RgbOf(aBitmap.TransparentColor());
  const double s = std::sin(aAngle);
  const double c = std::cos(aAngle);
  const QImage source = aBitmap.Image().convertToFormat(kFormat32);
  const int W = source.width();
  const int H = source.height();
  const int W2 = RoundReal(std::fabs(H * s) + std::fabs(W * c));
  const int H2 = RoundReal(std::fabs(H * c) + std::fabs(W * s));

  TBitmap turned;
  turned.SetPixelFormat(pf32bit);
  turned.SetSize(W2, H2); // raises beyond the picture limit
  if (turned.Empty()) {
    aBitmap.SetSize(0, 0);
    return;
  }
  // Inverse nearest-neighbour mapping about the centres: destination pixel
  // (i, j) takes the source pixel under it before the turn.
  const double x0 = W / 2.0 - (W2 / 2.0 - 0.5) * c - (H2 / 2.0 - 0.5) * s;
  const double y0 = H / 2.0 + (W2 / 2.0 - 0.5) * s - (H2 / 2.0 - 0.5) * c;
  std::vector<const QRgb *> rows(static_cast<size_t>(H));
  for (int y = 0; y < H; ++y)
    rows[size_t(y)] = reinterpret_cast<const QRgb *>(source.constScanLine(y));
  for (int j = 0; j < H2; ++j) {
    auto *dst = reinterpret_cast<QRgb *>(turned.ScanLine(j));
    const double xj = x0 + j * s;
    const double yj = y0 + j * c;
    for (int i = 0; i < W2; ++i) {
      const double x = xj + i * c;
      const double y = yj - i * s;
      dst[i] = x >= 0 && x < W && y >= 0 && y < H
                   ? rows[size_t(y)][size_t(x)] // truncation is Floor here: x, y >= 0
                   : key;
    }
  }
  aBitmap.SetImage(turned.Image());
}

void ResampleBitmap(TBitmap &aDest, const TBitmap &aSrc, TColor aKey) {
  if (aSrc.Empty() || aDest.Empty()) return;
  // Read before aDest changes (they may be the same bitmap).
  const QImage source = aSrc.Image().convertToFormat(QImage::Format_RGB32);
  const int W = source.width();
  const int H = source.height();
  const int W2 = aDest.Width();
  const int H2 = aDest.Height();
  const double area = double(W) * H / (double(W2) * H2);
  const QRgb key = RgbOf(aKey);
  const auto xCovers = Covers(W, W2);
  const auto yCovers = Covers(H, H2);

  aDest.SetPixelFormat(pf24bit);
  // Per destination pixel of a row: the weighted channel sums, and whether
  // any covered source pixel is not of the key colour.
  std::vector<double> sums(size_t(W2) * 3);
  std::vector<char> seen(static_cast<size_t>(W2));
  for (int y = 0; y < H2; ++y) {
    std::fill(sums.begin(), sums.end(), 0.0);
    std::fill(seen.begin(), seen.end(), char(0));
    for (const TCover *row = yCovers.begin(y); row != yCovers.end(y); ++row) {
      const auto *src = reinterpret_cast<const QRgb *>(source.constScanLine(row->Index));
      for (int x = 0; x < W2; ++x) {
        double r = 0;
        double g = 0;
        double b = 0;
        for (const TCover *col = xCovers.begin(x); col != xCovers.end(x); ++col) {
          const QRgb p = src[col->Index] & 0xFFFFFF;
          if (p == key) {
            // A key pixel counts as mid grey.
            r += 128 * col->Weight;
            g += 128 * col->Weight;
            b += 128 * col->Weight;
          } else {
            seen[size_t(x)] = 1;
            r += qRed(p) * col->Weight;
            g += qGreen(p) * col->Weight;
            b += qBlue(p) * col->Weight;
          }
        }
        sums[size_t(x) * 3] += r * row->Weight;
        sums[size_t(x) * 3 + 1] += g * row->Weight;
        sums[size_t(x) * 3 + 2] += b * row->Weight;
      }
    }
    uchar *dst = aDest.ScanLine(y); // Format_RGB888: R, G, B
    for (int x = 0; x < W2; ++x) {
      uchar *p = dst + size_t(x) * 3;
      if (!seen[size_t(x)]) {
        p[0] = uchar(qRed(key));
        p[1] = uchar(qGreen(key));
        p[2] = uchar(qBlue(key));
        continue;
      }
      // Halves to even (Round); nearbyint on a double is that rounding in
      // the default mode, and far quicker than the long double form.
      for (int k = 0; k < 3; ++k)
        p[k] =
            uchar(std::clamp(std::nearbyint(sums[size_t(x) * 3 + size_t(k)] / area), 0.0, 255.0));
    }
  }
}

void MirrorBitmap(TBitmap &aBitmap) {
  if (aBitmap.Empty()) return;
  aBitmap.SetImage(aBitmap.Image().mirrored(true, false));
}

void FlipBitmap(const TBitmap &aSrc, TBitmap &aDest) {
  // Made before aDest changes (they may be the same bitmap).
  const QImage flipped = aSrc.Image().mirrored(false, true);
  if (&aDest != &aSrc) aDest = aSrc;
  aDest.SetImage(flipped);
}

void StretchBitmapDIB(TCanvas &aCanvas, const TRect &aRect, const TBitmap &aBitmap,
                      TRasterOp aRop) {
  if (aBitmap.Empty() || aRect.Width() == 0 || aRect.Height() == 0) return;
  const QImage image = aBitmap.Image().convertToFormat(QImage::Format_RGB32);
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
  if (aRop == ropSrcAnd) mode = QPainter::RasterOp_SourceAndDestination;
  if (aRop == ropSrcPaint) mode = QPainter::RasterOp_SourceOrDestination;
  QPainter &p = aCanvas.Painter();
  p.save();
  p.setCompositionMode(mode);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.translate(aRect.Left, aRect.Top);
  p.scale(double(aRect.Width()) / image.width(), double(aRect.Height()) / image.height());
  p.drawImage(QPoint(0, 0), image);
  p.restore();
}

} // namespace lumora
