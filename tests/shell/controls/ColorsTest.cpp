// Shaded colours, colour conversions, bevels, the picture panel's frame and
// grid, and the colour picker.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/graphics/Bitmap.h"
#include "shell/controls/ColorConv.h"
#include "shell/controls/ColorPicker.h"
#include "shell/controls/P1ComFunc.h"
#include "shell/controls/P1Graphic.h"
#include "tests/shell/controls/ControlTestUtil.h"

namespace lumora {
namespace {

TColor PixelAt(const QImage &image, int x, int y) {
  return FromQColor(image.pixelColor(x, y));
}

TEST(ComFuncTest, MidColor) {
  struct Case {
    TColor color;
    double coeff;
    TColor expected;
  } cases[] = {
      {clBlack, 1.4, 0xE1E1E1},
      {clBlack, 0.7, 0xA4A0A0},
      {clBlack, 1.0, 0x000000},
      {RGB(100, 100, 100), 1.4, RGB(147, 140, 140)}, // red gets 5 % more
      {RGB(200, 200, 200), 0.5, RGB(105, 100, 100)},
      {clWhite, 1.4, 0xFFFFFF},   // clamped, and unchanged: or-ed with $E1E1E1
      {clBtnFace, 1.0, 0xF0F0FC}, // system colours are resolved first
  };
  for (const Case &c : cases)
    EXPECT_EQ(TP1ComFunc::MidColor(c.color, c.coeff), c.expected)
        << std::hex << c.color << " " << c.coeff;
}

TEST(ComFuncTest, CirclePointQuadrants) {
  const TPoint centre{100, 100};
  EXPECT_EQ(TP1ComFunc::CirclePoint(centre, 10, 0), (TPoint{90, 100}));
  EXPECT_EQ(TP1ComFunc::CirclePoint(centre, 10, 90), (TPoint{100, 110}));
  EXPECT_EQ(TP1ComFunc::CirclePoint(centre, 10, 180), (TPoint{110, 100}));
  EXPECT_EQ(TP1ComFunc::CirclePoint(centre, 10, 270), (TPoint{100, 90}));
}

TEST(ComFuncTest, AutoBevelRaisedFrame) {
  QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  {
    TCanvas canvas(&image);
    TP1ComFunc::AutoBevel(canvas, btRaised, Rect(0, 0, 20, 20), 3, clGray, true);
  }
  EXPECT_EQ(PixelAt(image, 1, 5), TP1ComFunc::MidColor(clGray, 1.4));   // left: light
  EXPECT_EQ(PixelAt(image, 18, 10), TP1ComFunc::MidColor(clGray, 0.7)); // right: dark
  EXPECT_EQ(PixelAt(image, 0, 10), clWhite);                            // left edge line
  EXPECT_EQ(PixelAt(image, 19, 10), clBlack);                           // frame
  EXPECT_EQ(PixelAt(image, 10, 10), clWhite);                           // inside untouched
}

TEST(ComFuncTest, LoadTextAndPict) {
  TP1ComFunc com;
  QStringList lines;
  EXPECT_EQ(com.LoadText(lines, QStringLiteral("/nonexistent/x.txt")), QString());
  const QString file = QStringLiteral(LUMORA_FIXTURES "/no-such-dir-file.txt");
  EXPECT_EQ(com.LoadText(lines, QString()), QString());
  TPicture picture;
  EXPECT_EQ(com.LoadPict(false, picture, file), file); // not asked to load
  EXPECT_EQ(picture.Graphic(), nullptr);
  // The palette bitmap comes from the program's resources.
  EXPECT_EQ(com.GetPalette().size(), 256);
}

TEST(ColorConvTest, RoundTripsAndLuminance) {
  EXPECT_DOUBLE_EQ(ColorLuminance(clWhite), 1.0);
  EXPECT_DOUBLE_EQ(ColorLuminance(clBlack), 0.0);
  for (TColor c : {clRed, clLime, clBlue, RGB(12, 200, 99), clGray}) {
    const TYCbCr y = ColorToYCbCr(c);
    const TColor back = YCbCrToColor(y.Y, y.Cb, y.Cr);
    EXPECT_NEAR(GetRValue(back), GetRValue(c), 1) << std::hex << c;
    EXPECT_NEAR(GetGValue(back), GetGValue(c), 1) << std::hex << c;
    // The blue coefficient (1.733) leaves full blue a little short.
    EXPECT_NEAR(GetBValue(back), GetBValue(c), 5) << std::hex << c;
  }
  const TYCbCr blue = ColorToYCbCr(clBlue);
  EXPECT_EQ(YCbCrToColor(blue.Y, blue.Cb, blue.Cr), RGB(0, 0, 250));
  EXPECT_EQ(ColorWithLuminance(clGray, 1.0), clWhite);
  // The hue stays, the luminance becomes the one asked for.
  const TColor darker = ColorWithLuminance(RGB(40, 120, 200), 0.3);
  EXPECT_NEAR(ColorLuminance(darker), 0.3, 0.01);
  EXPECT_GT(GetBValue(darker), GetRValue(darker));
}

QImage Render(QWidget &w) {
  QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::magenta);
  w.render(&image);
  return image;
}

TEST(P1GraphicTest, FrameAndLineGrid) {
  TP1Graphic panel;
  panel.resize(50, 40);
  panel.SetBackColor(clWhite);
  panel.SetGridStyle(gsLine);
  panel.SetGridSize(10);
  panel.SetGridColor(clRed);
  const QImage image = Render(panel);
  EXPECT_EQ(PixelAt(image, 5, 10), clRed);    // horizontal line y = 10
  EXPECT_EQ(PixelAt(image, 20, 5), clRed);    // vertical line x = 20
  EXPECT_EQ(PixelAt(image, 5, 5), clWhite);   // inside a cell
  EXPECT_EQ(PixelAt(image, 49, 15), clBlack); // the frame's right edge
  EXPECT_EQ(PixelAt(image, 15, 39), clBlack); // and bottom edge
}

TEST(P1GraphicTest, DotGrids) {
  TP1Graphic panel;
  panel.resize(40, 40);
  panel.SetBackColor(clWhite);
  panel.FramePen().SetStyle(psClear);
  panel.SetGridColor(clBlue);
  panel.SetGridSize(10);
  panel.SetGridStyle(gsPoint1);
  QImage image = Render(panel);
  // Dots of 5 x 5 at the cell centres: top-left (k*10 - 7, j*10 - 7).
  EXPECT_EQ(PixelAt(image, 3, 3), clBlue);
  EXPECT_EQ(PixelAt(image, 7, 7), clBlue);
  EXPECT_EQ(PixelAt(image, 8, 8), clWhite);
  EXPECT_EQ(PixelAt(image, 13, 13), clBlue);
  // Staggered: the second row sits half a cell further right.
  panel.SetGridStyle(gsPoint2);
  image = Render(panel);
  EXPECT_EQ(PixelAt(image, 3, 3), clBlue);
  EXPECT_EQ(PixelAt(image, 3, 13), clWhite);
  EXPECT_EQ(PixelAt(image, 8, 13), clBlue);
  // Grids need a minimum cell size.
  panel.SetGridSize(6);
  image = Render(panel);
  EXPECT_EQ(PixelAt(image, 3, 3), clWhite);
}

TEST(ColorPickerTest, PickSetsColorAndSample) {
  TColorPicker picker;
  TP1Graphic sample;
  picker.SetColorSample(&sample);
  TP1Graphic *palette = picker.ClPalette();
  const auto *bitmap = dynamic_cast<const TBitmap *>(palette->Picture().Graphic());
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(palette->size(), QSize(213, 321));
  const TColor swatch = bitmap->Pixel(30, 260);
  test::Click(palette, {30, 260});
  EXPECT_EQ(picker.Color(), swatch);
  EXPECT_EQ(sample.BackColor(), swatch);
  // The brightness bar now runs from white down through the picked hue.
  EXPECT_EQ(bitmap->Pixel(6, 310), clWhite);
  EXPECT_EQ(bitmap->Pixel(205, 310),
            YCbCrToColor(1 - 199 * 0.005, ColorToYCbCr(swatch).Cb, ColorToYCbCr(swatch).Cr));
  // A pick in the pentagon takes its pixel; outside the zones nothing happens.
  const TColor hue = bitmap->Pixel(180, 120);
  test::Click(palette, {180, 120});
  EXPECT_EQ(picker.Color(), hue);
  test::Click(palette, {2, 2});
  EXPECT_EQ(picker.Color(), hue);
  EXPECT_FALSE(picker.InPickZone(2, 2));
}

} // namespace
} // namespace lumora
