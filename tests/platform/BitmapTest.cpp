// Bitmap pixel formats, the transparent colour, row access, and drawing a
// transparent bitmap onto an image and through a recording.
#include <QImage>
#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"

namespace lumora {
namespace {

constexpr TColor kKey = 0xFF00FF;

TBitmap Filled(int w, int h, TColor color) {
  TBitmap bitmap(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bitmap.SetPixel(x, y, color);
  return bitmap;
}

TEST(BitmapTest, EachFormatHoldsColoursAsItsDepthAllows) {
  struct Case {
    TPixelFormat format;
    QImage::Format image;
    TColor in;
    TColor held;
  };
  const Case cases[] = {
      {pfDevice, QImage::Format_ARGB32_Premultiplied, RGB(0x12, 0x34, 0x56), RGB(0x12, 0x34, 0x56)},
      {pf32bit, QImage::Format_ARGB32_Premultiplied, RGB(0x12, 0x34, 0x56), RGB(0x12, 0x34, 0x56)},
      {pf24bit, QImage::Format_RGB888, RGB(0x12, 0x34, 0x56), RGB(0x12, 0x34, 0x56)},
      // 5-6-5: the low bits go and the high bits are repeated into them.
      {pf16bit, QImage::Format_RGB16, RGB(0x12, 0x34, 0x56), RGB(0x10, 0x34, 0x52)},
      {pf16bit, QImage::Format_RGB16, kKey, kKey},
      {pf16bit, QImage::Format_RGB16, clWhite, clWhite},
      // Black and white: the nearer of the two.
      {pf1bit, QImage::Format_RGB32, RGB(200, 200, 200), clWhite},
      {pf1bit, QImage::Format_RGB32, clRed, clBlack},
      {pf1bit, QImage::Format_RGB32, kKey, clWhite},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(testing::Message() << "format " << k.format << " colour " << std::hex << k.in);
    // Converting existing pixels and setting new ones agree.
    TBitmap converted = Filled(3, 2, k.in);
    converted.SetPixelFormat(k.format);
    TBitmap set(3, 2);
    set.SetPixelFormat(k.format);
    set.SetPixel(1, 1, k.in);
    EXPECT_EQ(converted.PixelFormat(), k.format);
    EXPECT_EQ(converted.Image().format(), k.image);
    EXPECT_EQ(converted.Pixel(1, 1), k.held);
    EXPECT_EQ(set.Pixel(1, 1), k.held);
    EXPECT_EQ(set.Pixel(0, 0), clWhite);
  }
}

TEST(BitmapTest, DrawingOnAOneBitBitmapStaysBlackAndWhite) {
  TBitmap bitmap(6, 6);
  bitmap.SetPixelFormat(pf1bit);
  bitmap.Canvas().Brush().SetColor(RGB(250, 250, 100));
  bitmap.Canvas().FillRect(Rect(0, 0, 3, 6));
  bitmap.Canvas().Brush().SetColor(clBlue);
  bitmap.Canvas().FillRect(Rect(3, 0, 6, 6));
  EXPECT_EQ(bitmap.Pixel(1, 1), clWhite);
  EXPECT_EQ(bitmap.Pixel(4, 1), clBlack);
  // The size changes in the same format, new pixels white.
  bitmap.SetSize(8, 6);
  EXPECT_EQ(bitmap.Image().format(), QImage::Format_RGB32);
  EXPECT_EQ(bitmap.Pixel(7, 1), clWhite);
}

TEST(BitmapTest, TransparentColourIsFixedOrTheBottomLeftPixel) {
  TBitmap bitmap;
  EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
  EXPECT_EQ(bitmap.TransparentColor(), clNone);
  bitmap = Filled(4, 3, clRed);
  bitmap.SetPixel(0, 2, clLime);
  EXPECT_EQ(bitmap.TransparentColor(), clLime);
  bitmap.SetTransparentColor(clBlue);
  EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
  EXPECT_EQ(bitmap.TransparentColor(), clBlue);
  bitmap.SetTransparentMode(tmAuto);
  EXPECT_EQ(bitmap.TransparentColor(), clLime);
}

TEST(BitmapTest, CopiesKeepFormatAndTransparency) {
  TBitmap bitmap = Filled(4, 3, clRed);
  bitmap.SetPixelFormat(pf16bit);
  bitmap.SetTransparent(true);
  bitmap.SetTransparentColor(kKey);
  const TBitmap copy = bitmap;
  TBitmap assigned;
  assigned.Assign(bitmap);
  const std::unique_ptr<TGraphic> clone = bitmap.Clone();
  const TBitmap *copies[] = {&copy, &assigned, dynamic_cast<const TBitmap *>(clone.get())};
  for (const TBitmap *b : copies) {
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->PixelFormat(), pf16bit);
    EXPECT_TRUE(b->Transparent());
    EXPECT_EQ(b->TransparentMode(), tmFixed);
    EXPECT_EQ(b->TransparentColor(), kKey);
    EXPECT_EQ(b->Image().format(), QImage::Format_RGB16);
  }
}

TEST(BitmapTest, ScanLineGivesTheRowInTheImageFormat) {
  TBitmap bitmap = Filled(3, 2, clWhite);
  bitmap.SetPixelFormat(pf24bit);
  uchar *row = bitmap.ScanLine(1);
  ASSERT_NE(row, nullptr);
  row[3] = 0x11; // pixel 1: R, G, B
  row[4] = 0x22;
  row[5] = 0x33;
  EXPECT_EQ(bitmap.Pixel(1, 1), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(bitmap.Pixel(1, 0), clWhite);
  EXPECT_EQ(bitmap.ScanLine(2), nullptr);
  EXPECT_EQ(std::as_const(bitmap).ScanLine(-1), nullptr);
}

// A 4 x 2 bitmap: red, key, key, blue over green, green, key, green, with
// the key at the bottom left in one case.
TBitmap KeyedSample() {
  TBitmap bitmap(4, 2);
  const TColor top[] = {clRed, kKey, kKey, clBlue};
  const TColor bottom[] = {clLime, clLime, kKey, clLime};
  for (int x = 0; x < 4; ++x) {
    bitmap.SetPixel(x, 0, top[x]);
    bitmap.SetPixel(x, 1, bottom[x]);
  }
  bitmap.SetTransparent(true);
  bitmap.SetTransparentColor(kKey);
  return bitmap;
}

QImage Background() {
  QImage image(20, 10, QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor(50, 60, 70));
  return image;
}

// The stretched sample at (2, 2), 3 pixels a source pixel, as it must look.
void ExpectKeyedSample(const QImage &image) {
  const QRgb back = qRgb(50, 60, 70);
  const QRgb top[] = {qRgb(255, 0, 0), back, back, qRgb(0, 0, 255)};
  const QRgb bottom[] = {qRgb(0, 255, 0), qRgb(0, 255, 0), back, qRgb(0, 255, 0)};
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) {
      const int sx = (x - 2) / 3;
      const int sy = (y - 2) / 3;
      const bool inside = x >= 2 && x < 14 && y >= 2 && y < 8;
      const QRgb want = !inside ? back : sy == 0 ? top[sx] : bottom[sx];
      ASSERT_EQ(image.pixel(x, y), want) << x << "," << y;
    }
}

TEST(BitmapTest, TransparentDrawLeavesOutTheKeyOnImagesAndRecordings) {
  for (TPixelFormat format : {pfDevice, pf16bit, pf24bit}) {
    SCOPED_TRACE(testing::Message() << "format " << format);
    TBitmap sample = KeyedSample();
    sample.SetPixelFormat(format);
    const TRect target = Bounds(2, 2, 12, 6);

    QImage direct = Background();
    {
      TCanvas canvas(&direct);
      canvas.StretchDraw(target, sample);
    }
    ExpectKeyedSample(direct);

    TMetafile recorded;
    {
      TMetafileCanvas canvas(recorded);
      canvas.StretchDraw(target, sample);
    }
    QImage replayed = Background();
    {
      TCanvas canvas(&replayed);
      recorded.Play(canvas, Point(0, 0));
    }
    ExpectKeyedSample(replayed);
  }
}

TEST(BitmapTest, TransparentDrawFollowsChangesAndTheAutomaticColour) {
  TBitmap sample = KeyedSample();
  const auto drawn = [&sample] {
    QImage image = Background();
    TCanvas canvas(&image);
    canvas.StretchDraw(Bounds(2, 2, 12, 6), sample);
    canvas.End();
    return image;
  };
  ExpectKeyedSample(drawn());
  // Pixels changed after a draw are drawn changed, set directly or drawn
  // on the canvas.
  sample.SetPixel(0, 0, kKey);
  sample.Canvas().Brush().SetColor(kKey);
  sample.Canvas().FillRect(Rect(3, 0, 4, 1));
  QImage changed = drawn();
  EXPECT_EQ(changed.pixel(3, 3), qRgb(50, 60, 70));
  EXPECT_EQ(changed.pixel(12, 3), qRgb(50, 60, 70));
  EXPECT_EQ(changed.pixel(3, 6), qRgb(0, 255, 0));

  // tmAuto takes the bottom-left pixel: green goes, the key stays.
  sample.SetTransparentMode(tmAuto);
  changed = drawn();
  EXPECT_EQ(changed.pixel(3, 6), qRgb(50, 60, 70));
  EXPECT_EQ(changed.pixel(3, 3), qRgb(255, 0, 255));
}

} // namespace
} // namespace lumora
