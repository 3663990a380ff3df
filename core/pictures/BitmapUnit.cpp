#include "core/pictures/BitmapUnit.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
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
  std::unique_ptr<size_t[]> First;
  std::unique_ptr<TCover[]> Items;

  const TCover *begin(int d) const { return Items.get() + First[size_t(d)]; }
  const TCover *end(int d) const { return Items.get() + First[size_t(d) + 1]; }
};

TCovers Covers(int aSource, int aDest) {
  const double s = double(aSource) / aDest;
  TCovers covers;
  covers.First = std::make_unique_for_overwrite<size_t[]>(size_t(aDest) + 1);
  // Neighbouring destination pixels share at most their edge pixel, so
  // there are at most aSource + aDest - 1 items.
  covers.Items = std::make_unique_for_overwrite<TCover[]>(size_t(aSource) + size_t(aDest));
  size_t *first = covers.First.get();
  TCover *item = covers.Items.get();
  for (int d = 0; d < aDest; ++d) {
    first[d] = size_t(item - covers.Items.get());
    const double from = d * s;
    const double to = std::max(from, (d + 1) * s - 0.000001);
    const int firstIndex = std::min(int(from), aSource - 1);
    const int lastIndex = std::clamp(int(to), firstIndex, aSource - 1);
    for (int k = firstIndex; k <= lastIndex; ++k, ++item)
      *item = {k, std::max(0.0, std::min(double(k + 1), to) - std::max(double(k), from))};
  }
  first[aDest] = size_t(item - covers.Items.get());
  return covers;
}

// The area averaging of ResampleBitmap, row by row. A destination pixel
// sums its covered source pixels (weighted by the covered parts, a key
// pixel as mid grey) first along x, row by row, then along y; it is the key
// colour when every covered pixel is.
//
// Pictures drawn for reduction (thumbnails of pages) are mostly runs of one
// colour and runs of equal rows, so two shortcuts skip work without
// changing a bit of the result:
// - neighbouring source rows equal byte for byte share one "content",
//   looked at and summed along x once; a destination row over one content
//   copies the columns that need no sums from a template;
// - a destination pixel whose covered source pixels are all of one colour
//   takes that colour. Its average is that colour times the covered share
//   of its area, short of 1 only by the 0.000001 edges (a relative 2e-4 at
//   the smallest scale the shortcut is taken, under 0.06 of a level), so
//   rounding gives the colour itself.
// Every other pixel is summed along x per covered row, then along y.
class TResampler {
public:
  TResampler(const QImage &aSource, int aWidth, int aHeight, QRgb aKey)
      : FSource(aSource), W(aSource.width()), H(aSource.height()), W2(aWidth), H2(aHeight),
        FArea(double(W) * H / (double(W2) * H2)), FKey(aKey), FXCovers(Covers(W, W2)),
        FYCovers(Covers(H, H2)),
        FOneColour(double(W) / W2 >= kMinOneColourScale && double(H) / H2 >= kMinOneColourScale),
        FXFirst(FXCovers.First.get()), FXItems(FXCovers.Items.get()) {
    // Every content a destination row covers is kept at once, and one more.
    size_t rows = 1;
    for (int y = 0; y < H2; ++y)
      rows = std::max(rows, size_t(FYCovers.end(y) - FYCovers.begin(y)));
    const size_t kept = rows + 1;
    const size_t w2 = size_t(W2);
    // Few allocations: each kind of array is cut from one buffer.
    FInts = std::make_unique_for_overwrite<int[]>(size_t(H) + w2 * 3 + kept * w2);
    FDoubles = std::make_unique_for_overwrite<double[]>((kept + 1) * w2 * 3);
    FChars = std::make_unique_for_overwrite<char[]>(kept * w2 * 3 + w2 * 4);
    FKept.resize(kept);
    FRows.resize(rows);
    FContent = FInts.get();
    FFrom = FContent + H;
    FLast = FFrom + W2;
    FMixed = FLast + W2;
    auto *colours = reinterpret_cast<QRgb *>(FMixed + W2); // kept * W2 colours
    FMixedSums = FDoubles.get() + kept * w2 * 3;
    char *flags = FChars.get();
    FMixedSeen = flags + kept * w2 * 3;
    FTemplate = reinterpret_cast<uchar *>(FMixedSeen + W2);
    for (size_t i = 0; i < kept; ++i) {
      TAlong &along = FKept[i];
      along.Colour = colours + i * w2;
      along.One = flags + i * w2 * 3;
      along.Seen = along.One + W2;
      along.Done = along.Seen + W2;
      along.Sums = FDoubles.get() + i * w2 * 3;
    }
    for (int x = 0; x < W2; ++x) {
      FFrom[x] = FXItems[FXFirst[x]].Index;
      FLast[x] = FXItems[FXFirst[x + 1] - 1].Index;
    }
    const size_t lineBytes = size_t(W) * 4;
    for (int y = 0; y < H; ++y)
      FContent[y] = y > 0 && std::memcmp(FSource.constScanLine(y), FSource.constScanLine(y - 1),
                                         lineBytes) == 0
                        ? FContent[y - 1]
                        : y;
  }

  // Destination row y into aLine (R, G, B per pixel).
  void Row(int y, uchar *aLine) {
    const TCover *first = FYCovers.begin(y);
    const TCover *end = FYCovers.end(y);
    if (FContent[first->Index] == FContent[(end - 1)->Index])
      OneContentRow(first, end, aLine);
    else
      MixedRow(first, end, aLine);
  }

private:
  // Below this many source pixels a destination pixel (upscaling by more
  // than 100), the one-colour shortcut is not taken.
  static constexpr double kMinOneColourScale = 0.01;

  // One content along x: its pixels (RGB32), and per destination column
  // whether the covered pixels are all of one colour (and which), and their
  // sums along x once asked for.
  struct TAlong {
    int Content = -1;
    const QRgb *Pixels = nullptr;
    QRgb *Colour = nullptr;
    char *One = nullptr;
    char *Seen = nullptr;
    char *Done = nullptr;
    double *Sums = nullptr;
  };

  // The kept content of source row y, made when missing in place of the
  // oldest kept one (contents only grow down the picture, so that one is
  // no longer covered).
  TAlong &Along(int y) {
    const int content = FContent[y];
    TAlong *oldest = FKept.data();
    for (TAlong &along : FKept) {
      if (along.Content == content) return along;
      if (along.Content < oldest->Content) oldest = &along;
    }
    TAlong &along = *oldest;
    along.Content = content;
    along.Pixels = reinterpret_cast<const QRgb *>(FSource.constScanLine(y));
    const QRgb *pixels = along.Pixels;
    QRgb *colours = along.Colour;
    char *ones = along.One;
    for (int x = 0; x < W2; ++x) {
      const int from = FFrom[x];
      const int last = FLast[x];
      const QRgb colour = pixels[from];
      bool one = FOneColour;
      for (int i = from + 1; i <= last && one; ++i)
        one = pixels[i] == colour;
      colours[x] = colour & 0xFFFFFF;
      ones[x] = one;
    }
    std::memset(along.Done, 0, unsigned(W2)); // W2 > 0
    return along;
  }

  // The sums along x of the pixels destination column x covers in a kept
  // content.
  const double *SumsAt(TAlong &aAlong, int x) const {
    double *sums = aAlong.Sums + size_t(x) * 3;
    if (aAlong.Done[x]) return sums;
    double r = 0;
    double g = 0;
    double b = 0;
    char seen = 0;
    for (const TCover *c = FXItems + FXFirst[x], *e = FXItems + FXFirst[x + 1]; c != e; ++c) {
      const QRgb p = aAlong.Pixels[c->Index] & 0xFFFFFF;
      if (p == FKey) {
        // A key pixel counts as mid grey.
        r += 128 * c->Weight;
        g += 128 * c->Weight;
        b += 128 * c->Weight;
      } else {
        seen = 1;
        r += qRed(p) * c->Weight;
        g += qGreen(p) * c->Weight;
        b += qBlue(p) * c->Weight;
      }
    }
    sums[0] = r;
    sums[1] = g;
    sums[2] = b;
    aAlong.Seen[x] = seen;
    aAlong.Done[x] = 1;
    return sums;
  }

  // A destination pixel from its sums.
  void Put(uchar *aPixel, const double *aSums, char aSeen) const {
    if (!aSeen) {
      PutColour(aPixel, FKey);
      return;
    }
    // Halves to even (Round); nearbyint on a double is that rounding in
    // the default mode, and far quicker than the long double form.
    for (int k = 0; k < 3; ++k) {
      const double level = std::nearbyint(aSums[k] / FArea);
      aPixel[k] = uchar(level < 0.0 ? 0.0 : 255.0 < level ? 255.0 : level);
    }
  }

  static void PutColour(uchar *aPixel, QRgb aColour) {
    aPixel[0] = uchar(qRed(aColour));
    aPixel[1] = uchar(qGreen(aColour));
    aPixel[2] = uchar(qBlue(aColour));
  }

  // A destination row whose source rows are all of one content: the
  // one-colour columns come from a template made once for the content,
  // the others are summed.
  void OneContentRow(const TCover *aFirst, const TCover *aEnd, uchar *aLine) {
    const int content = FContent[aFirst->Index];
    if (FTemplateContent != content) {
      TAlong &along = Along(aFirst->Index);
      FMixedCount = 0;
      uchar *pixel = FTemplate;
      for (int x = 0; x < W2; ++x, pixel += 3) {
        if (along.One[x]) {
          PutColour(pixel, along.Colour[x]);
          continue;
        }
        const double *sums = SumsAt(along, x);
        FMixed[FMixedCount] = x;
        std::memcpy(FMixedSums + FMixedCount * 3, sums, 3 * sizeof(double));
        FMixedSeen[FMixedCount] = along.Seen[x];
        ++FMixedCount;
      }
      FTemplateContent = content;
    }
    std::memcpy(aLine, FTemplate, size_t(W2) * 3);
    const double *along = FMixedSums;
    for (size_t m = 0; m < FMixedCount; ++m, along += 3) {
      double sums[3] = {0, 0, 0};
      for (const TCover *row = aFirst; row != aEnd; ++row) {
        sums[0] += along[0] * row->Weight;
        sums[1] += along[1] * row->Weight;
        sums[2] += along[2] * row->Weight;
      }
      Put(aLine + size_t(FMixed[m]) * 3, sums, FMixedSeen[m]);
    }
  }

  // A destination row over source rows of more than one content: a pixel
  // over one colour in every covered row takes it, the others are summed.
  void MixedRow(const TCover *aFirst, const TCover *aEnd, uchar *aLine) {
    TAlong **rows = FRows.data();
    const size_t n = size_t(aEnd - aFirst);
    for (size_t i = 0; i < n; ++i)
      rows[i] = &Along(aFirst[i].Index);
    for (int x = 0; x < W2; ++x, aLine += 3) {
      const QRgb colour = rows[0]->Colour[x];
      bool one = true;
      for (size_t i = 0; i < n && one; ++i)
        one = rows[i]->One[x] && rows[i]->Colour[x] == colour;
      if (one) {
        PutColour(aLine, colour);
        continue;
      }
      double sums[3] = {0, 0, 0};
      char seen = 0;
      for (size_t i = 0; i < n; ++i) {
        const double *along = SumsAt(*rows[i], x);
        const double w = aFirst[i].Weight;
        seen |= rows[i]->Seen[x];
        sums[0] += along[0] * w;
        sums[1] += along[1] * w;
        sums[2] += along[2] * w;
      }
      Put(aLine, sums, seen);
    }
  }

  const QImage &FSource;
  const int W, H, W2, H2;
  const double FArea;
  const QRgb FKey;
  const TCovers FXCovers;
  const TCovers FYCovers;
  const bool FOneColour;
  const size_t *FXFirst;
  const TCover *FXItems;
  // The arrays below are cut from these.
  std::unique_ptr<int[]> FInts;
  std::unique_ptr<double[]> FDoubles;
  std::unique_ptr<char[]> FChars;
  // Per source row: the first row of its run of equal rows.
  int *FContent = nullptr;
  // Per destination column: its first and last covered source pixel.
  int *FFrom = nullptr;
  int *FLast = nullptr;
  // The kept contents, and the covered ones of a mixed destination row.
  std::vector<TAlong> FKept;
  std::vector<TAlong *> FRows;
  // The destination row of one content: the one-colour columns filled,
  // and the other columns with their sums along x.
  int FTemplateContent = -1;
  uchar *FTemplate = nullptr;
  size_t FMixedCount = 0;
  int *FMixed = nullptr;
  double *FMixedSums = nullptr;
  char *FMixedSeen = nullptr;
};

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
  if (aSrc.Empty()) return;
  // Read before aDest changes (they may be the same bitmap).
  ResampleBitmap(aDest, aSrc.Image(), aKey);
}

void ResampleBitmap(TBitmap &aDest, const QImage &aSrc, TColor aKey) {
  if (aSrc.isNull() || aDest.Empty()) return;
  const QImage source = aSrc.convertToFormat(QImage::Format_RGB32);
  TResampler resampler(source, aDest.Width(), aDest.Height(), RgbOf(aKey));
  aDest.SetPixelFormat(pf24bit);
  for (int y = 0; y < aDest.Height(); ++y)
    resampler.Row(y, aDest.ScanLine(y));
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
