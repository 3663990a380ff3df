// The pixel-level transforms: turning, area-averaging reduction, mirroring
// and flipping, transparent drawing through the key colour (on an image and
// through a recording), and stretching with raster operations.
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "core/pictures/BitmapUnit.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"

namespace lumora {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr QRgb kKeyRgb = 0xFFFF00FF;
constexpr QRgb kBack = 0xFF506070; // what a destination holds before drawing

TBitmap Made(int w, int h, const std::function<TColor(int, int)> &color) {
  TBitmap bitmap(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bitmap.SetPixel(x, y, color(x, y));
  return bitmap;
}

// Every pixel its own colour.
TColor Distinct(int x, int y) {
  return RGB(x * 6, y * 12, 90);
}

QImage Background(int w, int h, QRgb fill = kBack) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(fill);
  return image;
}

// Draws with DrawGraphicEx straight onto an opaque image, and recorded into
// a metafile then replayed onto one; both must give the same pixels.
QImage DrawnBothWays(int w, int h, const TRect &rect, const TGraphic &graphic, double angle,
                     bool mirror, bool upsideDown) {
  QImage direct = Background(w, h);
  {
    TCanvas canvas(&direct);
    DrawGraphicEx(canvas, rect, graphic, angle, mirror, upsideDown);
  }
  TMetafile recorded;
  {
    TMetafileCanvas canvas(recorded);
    DrawGraphicEx(canvas, rect, graphic, angle, mirror, upsideDown);
  }
  QImage replayed = Background(w, h);
  {
    TCanvas canvas(&replayed);
    recorded.Play(canvas, Point(0, 0));
  }
  EXPECT_EQ(direct, replayed) << "the recording differs from the direct drawing";
  return direct;
}

TEST(RotateBitmapTest, QuarterAndHalfTurnsMovePixelsClockwise) {
  struct Case {
    double angle;
    int width, height;
    // The source pixel destination pixel (i, j) takes.
    std::function<QPoint(int, int)> from;
  };
  const Case cases[] = {
      {kPi / 2, 20, 40, [](int i, int j) { return QPoint(j, 19 - i); }},
      {-kPi / 2, 20, 40, [](int i, int j) { return QPoint(39 - j, i); }},
      {kPi, 40, 20, [](int i, int j) { return QPoint(39 - i, 19 - j); }},
  };
  const TBitmap source = Made(40, 20, Distinct);
  for (const Case &k : cases) {
    SCOPED_TRACE(testing::Message() << "angle " << k.angle);
    TBitmap bitmap = source;
    RotateBitmap(bitmap, k.angle);
    ASSERT_EQ(bitmap.Width(), k.width);
    ASSERT_EQ(bitmap.Height(), k.height);
    for (int j = 0; j < k.height; ++j)
      for (int i = 0; i < k.width; ++i) {
        const QPoint p = k.from(i, j);
        ASSERT_EQ(bitmap.Pixel(i, j), source.Pixel(p.x(), p.y())) << i << "," << j;
      }
  }
}

TEST(RotateBitmapTest, EighthTurnGrowsAndFillsTheCornersWithTheTransparentColour) {
  // tmAuto: the bottom-left pixel gives the colour of what is uncovered.
  TBitmap bitmap = Made(10, 10, [](int x, int y) { return x == 0 && y == 9 ? kKeyColor : clRed; });
  RotateBitmap(bitmap, kPi / 4);
  ASSERT_EQ(bitmap.Width(), 14);
  ASSERT_EQ(bitmap.Height(), 14);
  for (QPoint corner : {QPoint(0, 0), QPoint(13, 0), QPoint(0, 13), QPoint(13, 13)})
    EXPECT_EQ(bitmap.Pixel(corner.x(), corner.y()), kKeyColor) << corner.x() << "," << corner.y();
  EXPECT_EQ(bitmap.Pixel(7, 7), clRed);
  EXPECT_EQ(bitmap.Pixel(7, 1), clRed); // the top corner of the turned square
}

TEST(ResampleBitmapTest, AveragesByCoveredAreaAndKeepsTheKeyApart) {
  const TColor W = clWhite;
  const TColor K = kKeyColor;
  struct Case {
    const char *name;
    int sw, sh;
    std::vector<TColor> source; // row by row
    int dw, dh;
    std::vector<TColor> expected;
  };
  const Case cases[] = {
      {"all key stays key", 4, 4, std::vector<TColor>(16, K), 2, 2, {K, K, K, K}},
      // (3 * 255 + 128) / 4 = 223.25, less a hair for the 0.000001 edges.
      {"key counts as mid grey", 2, 2, {W, W, W, K}, 1, 1, {RGB(223, 223, 223)}},
      {"key beside black", 2, 1, {K, clBlack}, 1, 1, {RGB(64, 64, 64)}},
      // 1.5 source pixels a destination pixel: 100 * 0.5 / 1.5 = 33.3 and
      // (100 * 0.5 + 200) / 1.5 = 166.7.
      {"partial pixels",
       3,
       1,
       {clBlack, RGB(100, 100, 100), RGB(200, 200, 200)},
       2,
       1,
       {RGB(33, 33, 33), RGB(167, 167, 167)}},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.name);
    const TBitmap source =
        Made(k.sw, k.sh, [&k](int x, int y) { return k.source[size_t(y * k.sw + x)]; });
    TBitmap dest(k.dw, k.dh);
    ResampleBitmap(dest, source, kKeyColor);
    EXPECT_EQ(dest.PixelFormat(), pf24bit);
    ASSERT_EQ(dest.Width(), k.dw);
    ASSERT_EQ(dest.Height(), k.dh);
    for (int y = 0; y < k.dh; ++y)
      for (int x = 0; x < k.dw; ++x)
        EXPECT_EQ(dest.Pixel(x, y), k.expected[size_t(y * k.dw + x)]) << x << "," << y;
  }
}

// The area average of every destination pixel on its own: the covered
// parts of [d * s, (d + 1) * s - 0.000001] along each axis, summed along x
// for each covered row, then along y.
QImage PlainAverage(const QImage &aSource, int aWidth, int aHeight, QRgb aKey) {
  const QImage source = aSource.convertToFormat(QImage::Format_RGB32);
  const int W = source.width(), H = source.height();
  const double area = double(W) * H / (double(aWidth) * aHeight);
  auto covers = [](int aFrom, int aTo, int d) {
    const double s = double(aFrom) / aTo;
    const double from = d * s;
    const double to = std::max(from, (d + 1) * s - 0.000001);
    const int first = std::min(int(from), aFrom - 1);
    std::vector<std::pair<int, double>> out;
    for (int k = first; k <= std::clamp(int(to), first, aFrom - 1); ++k)
      out.push_back({k, std::max(0.0, std::min(double(k + 1), to) - std::max(double(k), from))});
    return out;
  };
  QImage out(aWidth, aHeight, QImage::Format_RGB32);
  for (int y = 0; y < aHeight; ++y)
    for (int x = 0; x < aWidth; ++x) {
      double sums[3] = {0, 0, 0};
      bool seen = false;
      for (const auto &[row, wy] : covers(H, aHeight, y)) {
        double along[3] = {0, 0, 0};
        for (const auto &[col, wx] : covers(W, aWidth, x)) {
          const QRgb p = source.pixel(col, row) & 0xFFFFFF;
          seen = seen || p != (aKey & 0xFFFFFF);
          const bool key = p == (aKey & 0xFFFFFF);
          along[0] += (key ? 128 : qRed(p)) * wx;
          along[1] += (key ? 128 : qGreen(p)) * wx;
          along[2] += (key ? 128 : qBlue(p)) * wx;
        }
        for (int k = 0; k < 3; ++k)
          sums[k] += along[k] * wy;
      }
      int c[3];
      for (int k = 0; k < 3; ++k)
        c[k] = int(std::clamp(std::nearbyint(sums[k] / area), 0.0, 255.0));
      out.setPixel(x, y, seen ? qRgb(c[0], c[1], c[2]) : aKey);
    }
  return out;
}

TEST(ResampleBitmapTest, DrawnPicturesGiveThePlainAverageToTheBit) {
  // Runs of one colour and of equal rows, edges of figures, thin lines and
  // a key-colour area: the reduction shares work between equal rows and
  // takes one-colour pixels whole, which must change nothing.
  struct Case {
    const char *name;
    int sw, sh, dw, dh;
    TPixelFormat format;
  } cases[] = {
      {"book thumbnail", 186, 140, 161, 121, pf24bit},
      {"page thumbnail", 188, 143, 42, 32, pf24bit},
      {"32-bit source", 120, 90, 47, 38, pf32bit},
      {"enlarged", 9, 7, 31, 23, pf24bit},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    QImage drawn = Background(c.sw, c.sh, 0xFFC0C0C0);
    {
      QPainter p(&drawn);
      p.fillRect(QRect(c.sw / 8, c.sh / 6, c.sw / 3, c.sh / 2), QColor(200, 30, 40));
      p.fillRect(QRect(c.sw / 2, c.sh / 2, c.sw / 4, c.sh / 3), QColor::fromRgb(kKeyRgb));
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(QColor(20, 40, 160), 1));
      p.drawEllipse(QRectF(c.sw * 0.55, c.sh * 0.1, c.sw * 0.3, c.sh * 0.3));
      p.drawLine(QPointF(0, c.sh * 0.8), QPointF(c.sw, c.sh * 0.9));
    }
    TBitmap source;
    source.SetPixelFormat(c.format);
    source.SetImage(drawn);
    TBitmap dest(c.dw, c.dh);
    ResampleBitmap(dest, source, kKeyColor);
    const QImage got = dest.Image().convertToFormat(QImage::Format_RGB32);
    const QImage want = PlainAverage(source.Image(), c.dw, c.dh, kKeyRgb);
    int differing = 0;
    QPoint first;
    for (int y = 0; y < c.dh; ++y)
      for (int x = 0; x < c.dw; ++x)
        if (got.pixel(x, y) != want.pixel(x, y) && differing++ == 0) first = {x, y};
    EXPECT_EQ(differing, 0) << "first at " << first.x() << "," << first.y();
  }
}

TEST(MirrorFlipTest, MirrorSwapsColumnsAndFlipSwapsRows) {
  const TBitmap source = Made(3, 2, Distinct);
  TBitmap mirrored = source;
  MirrorBitmap(mirrored);

  TBitmap styled = source;
  styled.SetPixelFormat(pf24bit);
  styled.SetTransparent(true);
  styled.SetTransparentColor(clRed);
  TBitmap flipped;
  FlipBitmap(styled, flipped);
  TBitmap flippedInPlace = styled;
  FlipBitmap(flippedInPlace, flippedInPlace);

  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(mirrored.Pixel(x, y), source.Pixel(2 - x, y));
      EXPECT_EQ(flipped.Pixel(x, y), source.Pixel(x, 1 - y));
      EXPECT_EQ(flippedInPlace.Pixel(x, y), source.Pixel(x, 1 - y));
    }
  EXPECT_EQ(styled.Pixel(0, 0), source.Pixel(0, 0)); // the source is left alone
  EXPECT_EQ(flipped.PixelFormat(), pf24bit);
  EXPECT_TRUE(flipped.Transparent());
  EXPECT_EQ(flipped.TransparentColor(), clRed);
}

TEST(RotateScaleBitmapTest, TurnsAtAScaleIntoTheSameBitmap) {
  // Left half red, right half blue, the bottom-left pixel the key colour
  // (the transparent colour the bitmap detects).
  TBitmap bitmap = Made(40, 20, [](int x, int y) {
    return x == 0 && y == 19 ? kKeyColor : x < 20 ? clRed : clBlue;
  });
  bitmap.SetTransparent(true);
  RotateScaleBitmap(bitmap, bitmap, kPi / 2, 2.0);
  ASSERT_EQ(bitmap.Width(), 20);
  ASSERT_EQ(bitmap.Height(), 40);
  EXPECT_EQ(bitmap.Pixel(10, 5), clRed); // the left half is now on top
  EXPECT_EQ(bitmap.Pixel(10, 30), clBlue);
  EXPECT_TRUE(bitmap.Transparent());
  EXPECT_EQ(bitmap.Pixel(0, 39), kKeyColor);
}

TEST(RotateScaleBitmapTest, MetafileIsSizedToTheWorkBitmap) {
  TMetafile metafile;
  {
    TMetafileCanvas canvas(metafile);
    canvas.Brush().SetColor(clRed);
    canvas.FillRect(Rect(0, 0, 30, 20));
    canvas.Brush().SetColor(clBlue);
    canvas.FillRect(Rect(30, 0, 60, 20));
  }
  TBitmap dest;
  RotateScaleBitmap(dest, metafile, 0.0, 2.0);
  ASSERT_EQ(dest.Width(), 60);
  ASSERT_EQ(dest.Height(), 20);
  EXPECT_EQ(dest.Pixel(10, 10), clRed);
  EXPECT_EQ(dest.Pixel(50, 10), clBlue);
  EXPECT_FALSE(dest.Transparent());
  EXPECT_EQ(dest.Pixel(0, 19), clRed); // an opaque result keeps its corner
}

TEST(RotateScaleBitmapTest, SizesBeyondAnyBitmapLeaveTheDestinationEmpty) {
  const TBitmap source = Made(10, 10, Distinct);
  for (double scale : {0.0, -1.0, 1e-3, 1e12, std::numeric_limits<double>::quiet_NaN()}) {
    SCOPED_TRACE(scale);
    TBitmap dest(5, 5);
    RotateScaleBitmap(dest, source, 1.0, scale);
    EXPECT_TRUE(dest.Empty());
  }
  TBitmap dest(5, 5);
  RotateScaleBitmap(dest, TBitmap(), 1.0, 1.0);
  EXPECT_TRUE(dest.Empty());

  // Within the limit unturned, far beyond it turned: refused before any
  // pixel is made.
  TMetafile wide;
  {
    TMetafileCanvas canvas(wide);
    canvas.FillRect(Rect(0, 0, 10, 10));
  }
  wide.SetWidth(100'000);
  wide.SetHeight(900);
  dest.SetSize(5, 5);
  RotateScaleBitmap(dest, wide, kPi / 4, 1.0);
  EXPECT_TRUE(dest.Empty());
}

// 20 x 10 in four quadrants: red, lime over blue, yellow (all exact in
// 16-bit colour).
TBitmap Quadrants() {
  return Made(20, 10, [](int x, int y) {
    if (y < 5) return x < 10 ? clRed : clLime;
    return x < 10 ? clBlue : clYellow;
  });
}

TEST(DrawGraphicExTest, MirrorFlipAndTurnPlaceTheQuadrants) {
  struct Case {
    const char *name;
    double angle;
    bool mirror, upsideDown;
    int w, h;
    TColor topLeft, topRight, bottomLeft, bottomRight;
  };
  const Case cases[] = {
      {"plain", 0, false, false, 40, 20, clRed, clLime, clBlue, clYellow},
      {"below 0.01 rad is no turn", 0.009, false, false, 40, 20, clRed, clLime, clBlue, clYellow},
      {"mirror", 0, true, false, 40, 20, clLime, clRed, clYellow, clBlue},
      {"upside down", 0, false, true, 40, 20, clBlue, clYellow, clRed, clLime},
      {"quarter turn clockwise", kPi / 2, false, false, 20, 40, clBlue, clRed, clYellow, clLime},
      {"mirror then turn", kPi / 2, true, false, 20, 40, clYellow, clLime, clBlue, clRed},
  };
  const TBitmap source = Quadrants();
  for (const Case &k : cases) {
    SCOPED_TRACE(k.name);
    const TRect rect = Bounds(3, 2, k.w, k.h);
    const QImage image =
        DrawnBothWays(k.w + 6, k.h + 4, rect, source, k.angle, k.mirror, k.upsideDown);
    const auto at = [&](int fx, int fy) {
      return FromQColor(QColor(image.pixel(3 + k.w * fx / 4, 2 + k.h * fy / 4)));
    };
    EXPECT_EQ(at(1, 1), k.topLeft);
    EXPECT_EQ(at(3, 1), k.topRight);
    EXPECT_EQ(at(1, 3), k.bottomLeft);
    EXPECT_EQ(at(3, 3), k.bottomRight);
    // Corners of the rectangle are covered, the ring outside is not.
    EXPECT_NE(image.pixel(3, 2), kBack);
    EXPECT_NE(image.pixel(2 + k.w, 1 + k.h), kBack);
    EXPECT_EQ(image.pixel(2, 2), kBack);
    EXPECT_EQ(image.pixel(3 + k.w, 1 + k.h), kBack);
  }
  // A small turn gives the same pixels as none.
  EXPECT_EQ(DrawnBothWays(46, 24, Bounds(3, 2, 40, 20), source, 0.009, false, false),
            DrawnBothWays(46, 24, Bounds(3, 2, 40, 20), source, 0, false, false));
}

TEST(DrawGraphicExTest, LargePictureFillsTheRectangleAndItsKeyPixelsShowThrough) {
  // 1800 x 900 red with a key-colour block in its middle third.
  QImage pixels(1800, 900, QImage::Format_RGB32);
  pixels.fill(qRgb(255, 0, 0));
  for (int y = 300; y < 600; ++y)
    for (int x = 600; x < 1200; ++x)
      pixels.setPixel(x, y, kKeyRgb);
  TBitmap picture;
  picture.SetImage(pixels);
  const TRect rect = Bounds(10, 10, 180, 90); // a tenth: the block is (70..130, 40..70)
  const QImage image = DrawnBothWays(200, 110, rect, picture, 0, false, false);
  for (int y = 0; y < 110; ++y)
    for (int x = 0; x < 200; ++x) {
      const bool inRect = x >= 10 && x < 190 && y >= 10 && y < 100;
      const bool inBlock = x >= 70 && x < 130 && y >= 40 && y < 70;
      const bool nearBlockEdge = x >= 69 && x <= 130 && y >= 39 && y <= 70;
      if (nearBlockEdge && !inBlock) continue; // picked either side of the edge
      ASSERT_EQ(image.pixel(x, y), inRect && !inBlock ? qRgb(255, 0, 0) : kBack) << x << "," << y;
    }
}

TEST(DrawGraphicExTest, TurnedCornersStayTransparentOnATransparentDestination) {
  const TBitmap square = Made(10, 10, [](int, int) { return clRed; });
  for (QRgb fill : {kBack, QRgb(0)}) {
    SCOPED_TRACE(fill);
    QImage image = Background(14, 14, fill);
    {
      TCanvas canvas(&image);
      DrawGraphicEx(canvas, Bounds(0, 0, 14, 14), square, kPi / 4, false, false);
    }
    EXPECT_EQ(image.pixel(0, 0), fill);
    EXPECT_EQ(image.pixel(13, 13), fill);
    EXPECT_EQ(image.pixel(7, 7), qRgb(255, 0, 0));
  }
}

TEST(DrawGraphicExTest, NothingOrAbsurdSizesDrawSafely) {
  QImage image = Background(20, 20);
  TCanvas canvas(&image);
  DrawGraphicEx(canvas, Bounds(0, 0, 20, 20), TBitmap(), 1.0, false, false);
  DrawGraphicEx(canvas, Bounds(5, 5, 0, 10), Quadrants(), 1.0, false, false);
  canvas.End();
  EXPECT_EQ(image, Background(20, 20));

  // A recording stretched to an absurd size is reduced within the limit.
  TMetafile thread;
  {
    TMetafileCanvas recording(thread);
    recording.Brush().SetColor(clRed);
    recording.FillRect(Rect(0, 0, 10, 10));
  }
  thread.SetWidth(2'000'000'000);
  thread.SetHeight(1);
  DrawGraphicEx(canvas, Bounds(0, 0, 20, 20), thread, 0.5, true, true);
}

TEST(StretchBitmapDIBTest, RasterOperationsCombineWithTheDestination) {
  struct Case {
    TRasterOp rop;
    TColor source;
    QRgb expected;
  };
  const Case cases[] = {
      {ropSrcCopy, RGB(0x12, 0x34, 0x56), qRgb(0x12, 0x34, 0x56)},
      {ropSrcAnd, RGB(0xF0, 0x0F, 0xFF), qRgb(0x50, 0x00, 0x70)},
      {ropSrcPaint, RGB(0x01, 0x02, 0x80), qRgb(0x51, 0x62, 0xF0)},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.rop);
    const TBitmap dot = Made(1, 1, [&k](int, int) { return k.source; });
    QImage image = Background(4, 4);
    {
      TCanvas canvas(&image);
      StretchBitmapDIB(canvas, Rect(1, 1, 3, 3), dot, k.rop);
    }
    EXPECT_EQ(image.pixel(1, 1), k.expected);
    EXPECT_EQ(image.pixel(2, 2), k.expected);
    EXPECT_EQ(image.pixel(0, 0), kBack);
    EXPECT_EQ(image.pixel(3, 3), kBack);
  }
}

} // namespace
} // namespace lumora
