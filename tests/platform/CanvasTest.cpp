// Drawing with the platform's GDI semantics into bitmaps at 96 dpi: the
// pixels on, inside and just outside the edges that the rules decide.
#include <QFontDatabase>
#include <algorithm>
#include <array>
#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"

namespace lumora {
namespace {

// The bounds of every pixel that differs from the background (within the
// rows above bottom).
QRect InkBounds(const TBitmap &bitmap, TColor background, int bottom = 1 << 20) {
  QRect bounds;
  for (int y = 0; y < std::min(bottom, bitmap.Height()); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      if (bitmap.Pixel(x, y) != background) bounds |= QRect(x, y, 1, 1);
  return bounds;
}

TEST(CanvasTest, RectangleExcludesRightAndBottom) {
  TBitmap bmp(20, 20);
  TCanvas &c = bmp.Canvas();
  c.Brush().SetColor(clRed);
  c.Rectangle(Rect(2, 3, 10, 9));
  EXPECT_EQ(bmp.Pixel(2, 3), clBlack);
  EXPECT_EQ(bmp.Pixel(9, 3), clBlack);
  EXPECT_EQ(bmp.Pixel(2, 8), clBlack);
  EXPECT_EQ(bmp.Pixel(9, 8), clBlack);
  EXPECT_EQ(bmp.Pixel(10, 5), clWhite);
  EXPECT_EQ(bmp.Pixel(5, 9), clWhite);
  EXPECT_EQ(bmp.Pixel(3, 4), clRed);
  EXPECT_EQ(bmp.Pixel(8, 7), clRed);

  // Without a pen the fill stops one pixel short on the right and below.
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(clBlue);
  c.Rectangle(12, 12, 16, 16);
  EXPECT_EQ(bmp.Pixel(12, 12), clBlue);
  EXPECT_EQ(bmp.Pixel(14, 14), clBlue);
  EXPECT_EQ(bmp.Pixel(15, 14), clWhite);
  EXPECT_EQ(bmp.Pixel(14, 15), clWhite);
}

TEST(CanvasTest, LineToLeavesOutTheEndPointInEveryDirection) {
  struct Case {
    TPoint from, to, beforeEnd;
  };
  const Case cases[] = {
      {{10, 10}, {18, 10}, {17, 10}}, {{10, 10}, {2, 10}, {3, 10}},
      {{10, 10}, {10, 18}, {10, 17}}, {{10, 10}, {10, 2}, {10, 3}},
      {{10, 10}, {16, 16}, {15, 15}}, {{10, 10}, {4, 4}, {5, 5}},
      {{10, 10}, {18, 6}, {17, 6}},   {{10, 10}, {6, 18}, {6, 17}},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(testing::Message() << "to " << k.to.X << "," << k.to.Y);
    TBitmap bmp(20, 20);
    TCanvas &c = bmp.Canvas();
    c.MoveTo(k.from.X, k.from.Y);
    c.LineTo(k.to.X, k.to.Y);
    EXPECT_EQ(c.PenPos(), k.to);
    EXPECT_EQ(bmp.Pixel(k.from.X, k.from.Y), clBlack);
    EXPECT_EQ(bmp.Pixel(k.beforeEnd.X, k.beforeEnd.Y), clBlack);
    EXPECT_EQ(bmp.Pixel(k.to.X, k.to.Y), clWhite);
  }
}

TEST(CanvasTest, FillRectUsesTheBrushOnlyAndHonoursClear) {
  TBitmap bmp(10, 10);
  TCanvas &c = bmp.Canvas();
  c.Brush().SetColor(clGreen);
  c.FillRect(Rect(1, 1, 4, 4));
  EXPECT_EQ(bmp.Pixel(1, 1), clGreen);
  EXPECT_EQ(bmp.Pixel(3, 3), clGreen);
  EXPECT_EQ(bmp.Pixel(4, 3), clWhite);
  EXPECT_EQ(bmp.Pixel(3, 4), clWhite);
  c.Brush().SetStyle(bsClear);
  c.FillRect(Rect(5, 5, 9, 9));
  EXPECT_EQ(bmp.Pixel(6, 6), clWhite);
}

TEST(CanvasTest, EllipseStaysInsideItsBounds) {
  TBitmap bmp(30, 30);
  TCanvas &c = bmp.Canvas();
  c.Brush().SetColor(clRed);
  c.Ellipse(0, 0, 21, 21);
  EXPECT_EQ(bmp.Pixel(10, 10), clRed);
  EXPECT_EQ(bmp.Pixel(1, 1), clWhite);  // corner of the bounds
  EXPECT_EQ(bmp.Pixel(0, 10), clBlack); // leftmost of the frame
  EXPECT_EQ(bmp.Pixel(20, 10), clBlack);
  EXPECT_EQ(bmp.Pixel(10, 20), clBlack);
  EXPECT_EQ(bmp.Pixel(21, 10), clWhite);
  EXPECT_EQ(bmp.Pixel(10, 21), clWhite);
}

TEST(CanvasTest, PolygonFillsAlternately) {
  TBitmap bmp(30, 30);
  TCanvas &c = bmp.Canvas();
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(clBlue);
  // Two laps around the same square: the inner square is covered twice.
  const std::array<TPoint, 10> twice = {
      {{2, 2}, {27, 2}, {27, 27}, {2, 27}, {2, 2}, {8, 8}, {21, 8}, {21, 21}, {8, 21}, {8, 8}}};
  c.Polygon(twice);
  EXPECT_EQ(bmp.Pixel(4, 4), clBlue);
  EXPECT_EQ(bmp.Pixel(15, 15), clWhite);
  EXPECT_EQ(bmp.Pixel(28, 15), clWhite);
}

TEST(CanvasTest, PolygonClipLimitsDrawingUntilCleared) {
  TBitmap bmp(20, 20);
  TCanvas &c = bmp.Canvas();
  const std::array<TPoint, 3> triangle = {{{0, 0}, {20, 0}, {0, 20}}};
  c.SetClipPolygon(triangle, false);
  c.Brush().SetColor(clRed);
  c.FillRect(Rect(0, 0, 20, 20));
  EXPECT_EQ(bmp.Pixel(3, 3), clRed);
  EXPECT_EQ(bmp.Pixel(16, 16), clWhite);
  EXPECT_EQ(c.ClipRect(), Rect(0, 0, 20, 20));

  c.SetClipRect(Rect(10, 10, 15, 15));
  EXPECT_EQ(c.ClipRect(), Rect(10, 10, 15, 15));
  c.Brush().SetColor(clBlue);
  c.FillRect(Rect(0, 0, 20, 20));
  EXPECT_EQ(bmp.Pixel(3, 3), clRed); // the new clip replaced the triangle
  EXPECT_EQ(bmp.Pixel(12, 12), clBlue);
  EXPECT_EQ(bmp.Pixel(16, 16), clWhite);

  c.ClearClip();
  c.Brush().SetColor(clGreen);
  c.FillRect(Rect(16, 16, 18, 18));
  EXPECT_EQ(bmp.Pixel(16, 16), clGreen);
}

TEST(CanvasTest, NotXorDrawnTwiceRestoresTheImage) {
  TBitmap bmp(40, 40);
  TCanvas &c = bmp.Canvas();
  c.Brush().SetColor(RGB(30, 160, 90));
  c.FillRect(Rect(0, 0, 20, 40));
  const QImage before = bmp.Image().copy();

  const std::array<TPoint, 4> path = {{{3, 3}, {30, 5}, {12, 33}, {35, 35}}};
  const auto draw = [&](int penWidth) {
    c.Pen().SetMode(pmNotXor);
    c.Pen().SetColor(RGB(128, 128, 128));
    c.Pen().SetWidth(penWidth);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(5, 5, 30, 25);
    c.Ellipse(8, 10, 36, 38);
    c.Polyline(path);
    c.Polygon(path);
    c.MoveTo(0, 39);
    c.LineTo(39, 0);
  };
  for (int width : {1, 2}) {
    SCOPED_TRACE(width);
    draw(width);
    EXPECT_NE(bmp.Image(), before);
    draw(width);
    EXPECT_EQ(bmp.Image(), before);
  }

  // Joints of a thin polyline are covered once: inverted, not restored.
  TBitmap white(40, 40);
  white.Canvas().Pen().SetMode(pmNotXor);
  white.Canvas().Polyline(path);
  EXPECT_EQ(white.Pixel(30, 5), clBlack);
  EXPECT_EQ(white.Pixel(12, 33), clBlack);
}

class CanvasTextTest : public testing::Test {
protected:
  void SetUp() override {
    if (!QFontDatabase::families().contains(QStringLiteral("Noto Sans CJK JP")))
      GTEST_SKIP() << "fonts-noto-cjk is not installed";
  }
  static HFONT Font(int height, int escapement) {
    TLogFont lf;
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    lf.lfFaceName = QStringLiteral("ＭＳ ゴシック");
    return CreateFontIndirect(lf);
  }
};

TEST_F(CanvasTextTest, TextCellStartsAtThePointAndTurnsCounterClockwise) {
  const QString text = QStringLiteral("漢字ABC");
  struct Case {
    int escapement;
    // Where the ink must lie relative to the point (60, 60).
    bool right, left, above, below;
  };
  const Case cases[] = {
      {0, true, false, false, true},
      {900, true, false, true, false},  // going up, cell to the right
      {-900, false, true, false, true}, // going down, cell to the left
      {1800, false, true, true, false},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.escapement);
    TBitmap bmp(120, 120);
    TCanvas &c = bmp.Canvas();
    c.Brush().SetStyle(bsClear);
    c.SelectFont(Font(-20, k.escapement));
    const int width = c.TextWidth(text);
    c.TextOut(60, 60, text);
    const QRect ink = InkBounds(bmp, clWhite);
    ASSERT_FALSE(ink.isEmpty());
    if (k.right) {
      EXPECT_GE(ink.left(), 59);
    }
    if (k.left) {
      EXPECT_LE(ink.right(), 61);
    }
    if (k.above) {
      EXPECT_LE(ink.bottom(), 61);
    }
    if (k.below) {
      EXPECT_GE(ink.top(), 59);
    }
    // The long side of the ink follows the advance.
    const bool upright = k.escapement % 1800 == 0;
    const int along = upright ? ink.width() : ink.height();
    EXPECT_GT(along, width * 3 / 4);
    EXPECT_LE(along, width + 2);
    EXPECT_LE(upright ? ink.height() : ink.width(), 21);
  }
}

TEST_F(CanvasTextTest, OpaqueBrushFillsTheCellAndClearDoesNot) {
  TBitmap bmp(100, 60);
  TCanvas &c = bmp.Canvas();
  c.Font().SetColor(clBlue); // before selecting: a font change takes over
  c.SelectFont(Font(-20, 0));
  c.Brush().SetColor(clYellow);
  c.TextOut(10, 10, QStringLiteral("A"));
  EXPECT_EQ(c.TextHeight(QStringLiteral("A")), 20);
  EXPECT_EQ(bmp.Pixel(10, 10), clYellow);
  EXPECT_EQ(bmp.Pixel(10, 29), clYellow);
  EXPECT_EQ(bmp.Pixel(10, 30), clWhite);
  EXPECT_EQ(c.PenPos(), Point(10 + c.TextWidth(QStringLiteral("A")), 10));

  c.Brush().SetStyle(bsClear);
  c.TextOut(50, 10, QStringLiteral("A"));
  EXPECT_EQ(bmp.Pixel(50, 10), clWhite);
  bool blue = false;
  for (int y = 10; y < 30; ++y)
    for (int x = 50; x < 70; ++x)
      blue = blue || bmp.Pixel(x, y) == clBlue;
  EXPECT_TRUE(blue);
}

TEST_F(CanvasTextTest, CharacterExtraWidensEveryCharacter) {
  TBitmap bmp(10, 10);
  TCanvas &c = bmp.Canvas();
  const int plain = c.TextWidth(QStringLiteral("ABCD"));
  c.SetTextCharacterExtra(3);
  EXPECT_EQ(c.GetTextCharacterExtra(), 3);
  EXPECT_EQ(c.TextWidth(QStringLiteral("ABCD")), plain + 12);
}

TEST_F(CanvasTextTest, SelectFontAnswersThePreviousAndFontChangesTakeOver) {
  TBitmap bmp(10, 10);
  TCanvas &c = bmp.Canvas();
  EXPECT_EQ(c.TextHeight(QStringLiteral("A")), 12); // the default font, -12
  const HFONT big = Font(-40, 0);
  EXPECT_EQ(c.SelectFont(big), nullptr);
  EXPECT_EQ(c.TextHeight(QStringLiteral("A")), 40);
  EXPECT_EQ(c.SelectFont(nullptr), big);
  EXPECT_EQ(c.TextHeight(QStringLiteral("A")), 12);

  // A positive height is the cell height.
  c.SelectFont(Font(30, 0));
  EXPECT_EQ(c.TextHeight(QStringLiteral("A")), 30);
  // Changing the font object selects a font made from it.
  c.Font().SetHeight(-16);
  EXPECT_EQ(c.TextHeight(QStringLiteral("A")), 16);
  EXPECT_EQ(c.SelectFont(big), nullptr);
}

TEST(CanvasMetafileTest, RecordingReplaysAtAnOffsetAndStretched) {
  TMetafile meta;
  EXPECT_TRUE(meta.Empty());
  {
    TMetafileCanvas rec(meta);
    rec.Brush().SetColor(clRed);
    rec.Rectangle(0, 0, 10, 10);
  }
  EXPECT_FALSE(meta.Empty());
  EXPECT_EQ(meta.Width(), 10);
  EXPECT_EQ(meta.Height(), 10);

  TBitmap bmp(40, 40);
  meta.Play(bmp.Canvas(), Point(5, 7));
  EXPECT_EQ(bmp.Pixel(5, 7), clBlack);
  EXPECT_EQ(bmp.Pixel(14, 16), clBlack);
  EXPECT_EQ(bmp.Pixel(15, 16), clWhite);
  EXPECT_EQ(bmp.Pixel(10, 10), clRed);

  TBitmap big(40, 40);
  big.Canvas().StretchDraw(Rect(0, 0, 20, 20), meta);
  EXPECT_EQ(big.Pixel(12, 12), clRed);
  EXPECT_EQ(big.Pixel(25, 25), clWhite);
}

TEST(CanvasMetafileTest, RecordedClipsStayInsideTheDestinationClip) {
  // A recording that changes its own clip replays without lifting the clip
  // of the canvas it is drawn on.
  TMetafile meta;
  {
    TMetafileCanvas rec(meta);
    rec.Brush().SetColor(clRed);
    rec.SetClipRect(Rect(0, 0, 30, 30));
    rec.FillRect(Rect(0, 0, 40, 40));
    rec.ClearClip();
    rec.FillRect(Rect(0, 32, 40, 40));
  }
  TBitmap bmp(40, 40);
  TCanvas &c = bmp.Canvas();
  c.SetClipRect(Rect(10, 10, 20, 40));
  meta.Play(c, Point(0, 0));
  EXPECT_EQ(bmp.Pixel(15, 15), clRed);
  EXPECT_EQ(bmp.Pixel(15, 35), clRed);
  EXPECT_EQ(bmp.Pixel(5, 5), clWhite);
  EXPECT_EQ(bmp.Pixel(25, 35), clWhite);
  EXPECT_EQ(bmp.Pixel(15, 31), clWhite); // the recording's own clip held too

  // Without a destination clip the recording's clips act alone.
  TBitmap free(40, 40);
  meta.Play(free.Canvas(), Point(0, 0));
  EXPECT_EQ(free.Pixel(5, 5), clRed);
  EXPECT_EQ(free.Pixel(35, 5), clWhite);
  EXPECT_EQ(free.Pixel(35, 35), clRed);
}

TEST(CanvasMetafileTest, RecordedTextAndNotXorActWhenReplayed) {
  TMetafile meta;
  {
    TMetafileCanvas rec(meta);
    rec.Brush().SetStyle(bsClear);
    rec.TextOut(10, 10, QStringLiteral("漢A"));
    rec.Pen().SetMode(pmNotXor);
    rec.MoveTo(0, 35);
    rec.LineTo(40, 35);
  }
  TBitmap direct(60, 40);
  direct.Canvas().Brush().SetStyle(bsClear);
  direct.Canvas().TextOut(10, 10, QStringLiteral("漢A"));
  TBitmap replayed(60, 40);
  replayed.Canvas().Brush().SetColor(clBlack);
  replayed.Canvas().FillRect(Rect(0, 34, 20, 36));
  meta.Play(replayed.Canvas(), Point(0, 0));
  EXPECT_EQ(InkBounds(replayed, clWhite, 30), InkBounds(direct, clWhite));
  EXPECT_EQ(replayed.Pixel(5, 35), clWhite); // black inverted
  EXPECT_EQ(replayed.Pixel(25, 35), clBlack);
}

} // namespace
} // namespace lumora
