// Drawing of drawable objects, checked on the pixels of a bitmap at 96 dpi:
// the maker's recorded picture, turns, mirror turns, zoomed drawing and
// printing, see-through drawing and the centre cross.
#include <numbers>

#include "core/drawable/MakeObj.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "tests/core/drawable/DrawTestClasses.h"

namespace lumora::test {
namespace {

class DrawPaintTest : public DrawTest {
protected:
  // A white bitmap with aObj painted (its recorded picture replayed).
  static TBitmap Painted(TDrawObj &aObj) {
    TBitmap bitmap = White();
    aObj.Paint(bitmap.Canvas());
    return bitmap;
  }
  static TBitmap White() {
    TBitmap bitmap(80, 80);
    bitmap.Canvas().Brush().SetColor(clWhite);
    bitmap.Canvas().FillRect(Rect(0, 0, 80, 80));
    return bitmap;
  }
  // Expects each point in aColor.
  static void ExpectPixels(const TBitmap &aBitmap, std::initializer_list<TPoint> aPoints,
                           TColor aColor) {
    for (TPoint p : aPoints)
      EXPECT_EQ(aBitmap.Pixel(p.X, p.Y), aColor) << "at (" << p.X << ", " << p.Y << ")";
  }
};

TEST_F(DrawPaintTest, PaintReplaysTheRecordingMadeByTheLastUpdate) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 10, 30, 30));
  auto *maker = static_cast<TDrawMake *>(a->Maker());
  ASSERT_NE(maker->Metafile(), nullptr);
  EXPECT_FALSE(maker->Recording());
  TBitmap before = Painted(*a);
  ExpectPixels(before, {{20, 20}, {12, 28}}, kFace);
  ExpectPixels(before, {{10, 20}, {20, 10}}, kLine);
  ExpectPixels(before, {{5, 5}, {32, 20}, {45, 20}}, clWhite);

  // A move changes the model; the picture follows only when re-made.
  a->Move({25, 0});
  ExpectPixels(Painted(*a), {{20, 20}}, kFace);
  ExpectPixels(Painted(*a), {{45, 20}}, clWhite);
  a->ReMake();
  ExpectPixels(Painted(*a), {{45, 20}}, kFace);
  ExpectPixels(Painted(*a), {{20, 20}}, clWhite);

  maker->Close();
  EXPECT_EQ(maker->Metafile(), nullptr);
  ExpectPixels(Painted(*a), {{45, 20}}, clWhite);
  a->ReMake(); // recording again makes a new metafile
  ExpectPixels(Painted(*a), {{45, 20}}, kFace);
}

TEST_F(DrawPaintTest, TurnedFigureIsDrawnTurned) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 30, 50, 40));
  ExpectPixels(Painted(*a), {{30, 35}, {15, 35}}, kFace);
  ExpectPixels(Painted(*a), {{30, 15}, {30, 55}}, clWhite);
  a->SetRCenter({30, 35});
  a->SetObjAngle(std::numbers::pi / 2);
  a->ReMake();
  ExpectPixels(Painted(*a), {{30, 35}, {30, 17}, {30, 53}}, kFace);
  ExpectPixels(Painted(*a), {{15, 35}, {45, 35}}, clWhite);
}

TEST_F(DrawPaintTest, MirroredAndUpturnedFiguresAreDrawnSo) {
  // A right-angled triangle with its right angle at the top left.
  const std::vector<TRealPoint> triangle{{10, 10}, {50, 10}, {10, 50}};
  TTestPoly *p = Add<TTestPoly>(QStringLiteral("p"), triangle);
  ExpectPixels(Painted(*p), {{15, 40}, {40, 15}}, kFace);
  ExpectPixels(Painted(*p), {{45, 40}, {40, 45}}, clWhite);

  p->ReverseObj();
  p->ReMake();
  ExpectPixels(Painted(*p), {{45, 40}, {20, 15}}, kFace);
  ExpectPixels(Painted(*p), {{15, 40}}, clWhite);

  p->ReverseObj();
  p->TurnUpside();
  p->ReMake();
  ExpectPixels(Painted(*p), {{40, 45}, {15, 20}}, kFace);
  ExpectPixels(Painted(*p), {{40, 15}}, clWhite);
}

TEST_F(DrawPaintTest, ZoomDrawAndPrintObjDrawAtTheZoomAndOffset) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 10, 20, 20));
  a->Param.Width = 2;
  const std::vector<TRealPoint> polygon = a->Polygon();

  TBitmap zoomed = White();
  a->ZoomDraw(zoomed.Canvas(), 2, 5, 5); // (25, 25) - (45, 45), line width 4
  ExpectPixels(zoomed, {{35, 35}, {28, 42}}, kFace);
  ExpectPixels(zoomed, {{45, 35}, {35, 44}, {35, 25}}, kLine);
  ExpectPixels(zoomed, {{22, 35}, {35, 49}, {15, 15}}, clWhite);
  EXPECT_EQ(a->Param.Width, 2);
  EXPECT_EQ(a->Polygon(), polygon);

  a->Place(RectPoints(20, 20, 60, 60));
  TBitmap printed = White();
  a->PrintObj(printed.Canvas(), 0.5, 0, 0); // (10, 10) - (30, 30)
  ExpectPixels(printed, {{20, 20}}, kFace);
  ExpectPixels(printed, {{10, 20}, {30, 20}}, kLine);
  ExpectPixels(printed, {{35, 35}, {50, 50}}, clWhite);
}

TEST_F(DrawPaintTest, ZMDrawObjDrawsThePointsGiven) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 10, 20, 20));
  TBitmap bitmap = White();
  const std::vector<TRealPoint> points = RectPoints(40, 40, 70, 70);
  a->ZMDrawObj(bitmap.Canvas(), points, 3);
  ExpectPixels(bitmap, {{55, 55}}, kFace);
  ExpectPixels(bitmap, {{15, 15}}, clWhite);
}

TEST_F(DrawPaintTest, SeeThroughFigureIsBlendedOverWhatLiesUnder) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 10, 30, 30));
  a->Param.Transparency = 50;
  a->ReMake();
  TBitmap zoomed = White();
  a->ZoomDraw(zoomed.Canvas(), 1, 0, 0);
  // Half red over white, painted from the recording and drawn at a zoom.
  for (const TColor c : {Painted(*a).Pixel(20, 20), zoomed.Pixel(20, 20)}) {
    EXPECT_EQ(c & 0xFF, 0xFFu);
    EXPECT_NEAR(int((c >> 8) & 0xFF), 128, 2);
    EXPECT_NEAR(int((c >> 16) & 0xFF), 128, 2);
  }

  // Not coated: drawn itself, no blend.
  a->Param.Coating = false;
  a->ReMake();
  ExpectPixels(Painted(*a), {{20, 20}}, clWhite);
  ExpectPixels(Painted(*a), {{10, 20}}, kLine);
}

TEST_F(DrawPaintTest, SnappingOntoASeeThroughFigureCapturesItsBackgroundAgain) {
  // The green figure lies under the see-through one, hidden at first.
  TTestRect *under = Add(QStringLiteral("under"), RectPoints(0, 0, 40, 40));
  under->Param.FaceColor = 0x00FF00;
  under->ReMake();
  under->SetVisible(false);
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 10, 30, 30));
  a->Param.Transparency = 50;
  a->ReMake();
  under->SetVisible(true);
  const TColor before = Painted(*a).Pixel(20, 20);
  EXPECT_NEAR(int((before >> 8) & 0xFF), 128, 2); // half red over white

  a->Param.Coating = false;
  a->AdsorbFrom({20, 20}, under);
  EXPECT_EQ(Painted(*a).Pixel(20, 20), before); // not coated: not re-made
  a->Param.Coating = true;
  a->AdsorbFrom({20, 20}, under);
  const TColor after = Painted(*a).Pixel(20, 20);
  // Half red over green now.
  EXPECT_NEAR(int(after & 0xFF), 128, 2);
  EXPECT_NEAR(int((after >> 8) & 0xFF), 128, 2);
  EXPECT_EQ((after >> 16) & 0xFF, 0u);
}

TEST_F(DrawPaintTest, CentreCrossOnlyWithAtCenterOnASurface) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 10, 31, 31));
  a->SetBCenter({20.5, 19.5}); // rounded half away from zero: (21, 20)
  a->ReMake();
  ExpectPixels(Painted(*a), {{17, 20}, {21, 16}}, kFace);

  a->Param.ActType.Include(atCenter);
  a->ReMake();
  ExpectPixels(Painted(*a), {{17, 20}, {25, 20}, {21, 16}, {21, 24}}, kLine);
  ExpectPixels(Painted(*a), {{18, 18}, {15, 20}}, kFace);

  TTestLine *line = Add<TTestLine>(QStringLiteral("l"), RectPoints(40, 10, 61, 31));
  line->Param.ActType.Include(atCenter);
  line->ReMake();
  ExpectPixels(Painted(*line), {{47, 20}}, kFace);
}

TEST_F(DrawPaintTest, UpdateDrawRecordsAGraphicAtTheBoundsTopLeft) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 10, 30, 30));
  TBitmap green(4, 4);
  green.Canvas().Brush().SetColor(0x00FF00);
  green.Canvas().FillRect(Rect(0, 0, 4, 4));
  a->Maker()->UpdateDraw(&green);
  ExpectPixels(Painted(*a), {{10, 10}, {13, 13}}, 0x00FF00);
  ExpectPixels(Painted(*a), {{20, 20}}, clWhite);
  a->Maker()->UpdateDraw(nullptr); // draws itself again
  ExpectPixels(Painted(*a), {{20, 20}}, kFace);
}

} // namespace
} // namespace lumora::test
