#include "core/fonts/SimpleText.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

#include "core/geometry/Geometry.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace lumora {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(TextNodeTest, LinesAreAddedReadAndCleared) {
  TTextNode node;
  EXPECT_EQ(node.Font().Name(), QStringLiteral("ＭＳ ゴシック"));
  EXPECT_EQ(node.TextAlign(), TTextLayout::tlCenter);
  EXPECT_FALSE(node.AutoTurn());
  EXPECT_EQ(node.Add(QStringLiteral("一")), 0);
  EXPECT_EQ(node.Add(QStringLiteral("二")), 1);
  EXPECT_EQ(node.LineCount(), 2);
  EXPECT_EQ(node.GetStrings(1), QStringLiteral("二"));
  EXPECT_EQ(node.GetStrings(2), QString());
  EXPECT_EQ(node.GetStrings(-1), QString());
  node.Clear();
  EXPECT_EQ(node.LineCount(), 0);
  EXPECT_EQ(node.GetStrings(0), QString());
}

TEST(QvSimpleTextTest, CaptionIsTheOnlyLineWithWordWrap) {
  std::unique_ptr<IQvText> text = std::make_unique<TQvSimpleText>(QStringLiteral("角の大きさ"));
  EXPECT_TRUE(text->TextNode().AutoTurn());
  ASSERT_EQ(text->TextNode().LineCount(), 1);
  EXPECT_EQ(text->TextNode().GetStrings(0), QStringLiteral("角の大きさ"));
  text->TextNode().Add(QStringLiteral("more"));
  text->SetText(QStringLiteral("分度器"));
  ASSERT_EQ(text->TextNode().LineCount(), 1);
  EXPECT_EQ(text->TextNode().GetStrings(0), QStringLiteral("分度器"));
  EXPECT_EQ(&text->Font(), &text->TextNode().Font());
}

// BreakLine in a face whose digits all have the same width, so that the
// expected pieces follow from one character's width.
TEST(QvSimpleTextTest, BreakLineKeepsWhatFitsPlusAHalfFittingCharacter) {
  TBitmap bitmap(10, 10);
  TCanvas &canvas = bitmap.Canvas();
  TTextOutInfo info(std::make_unique<TTextNode>());
  info.TextNode().Font().SetName(QStringLiteral("DejaVu Sans Mono"));
  info.TextNode().Font().SetHeight(-20);
  const HFONT previous = info.TextNode().Font().SetTxtFont(canvas);
  info.Canvas = &canvas;
  const int cw = canvas.TextWidth(QStringLiteral("0"));
  ASSERT_GT(cw, 4);
  ASSERT_EQ(canvas.TextWidth(QStringLiteral("01234")), 5 * cw);

  struct Case {
    int width;
    const char *piece;
  };
  const Case cases[] = {
      {3 * cw, "012"},
      {3 * cw + (cw + 1) / 2, "0123"}, // the fourth digit half fits
      {3 * cw + (cw + 1) / 2 - 1, "012"},
      {0, "0"}, // at least one character
      {10 * cw, "0123456789"},
  };
  for (const Case &c : cases) {
    QString text = QStringLiteral("0123456789");
    const QString piece = info.BreakLine(c.width, text);
    EXPECT_EQ(piece, QString::fromLatin1(c.piece)) << c.width;
    EXPECT_EQ(piece + text, QStringLiteral("0123456789")) << c.width;
  }
  info.TextNode().Font().ReleaseFont(canvas, previous);
}

// A frame of w x h centred at c, turned clockwise by angle; P0 is the
// top-left corner of the unturned frame.
std::array<TRealPoint, 4> Frame(TRealPoint c, double w, double h, double angle) {
  const TRealPoint upright[4] = {
      {c.rx - w / 2, c.ry - h / 2},
      {c.rx + w / 2, c.ry - h / 2},
      {c.rx + w / 2, c.ry + h / 2},
      {c.rx - w / 2, c.ry + h / 2},
  };
  std::array<TRealPoint, 4> frame;
  for (int i = 0; i < 4; ++i)
    frame[i] = RotateRealPoint(upright[i], c, angle);
  return frame;
}

double SegmentDistance(TRealPoint p, TRealPoint a, TRealPoint b) {
  const double dx = b.rx - a.rx, dy = b.ry - a.ry;
  double t = ((p.rx - a.rx) * dx + (p.ry - a.ry) * dy) / (dx * dx + dy * dy);
  t = std::clamp(t, 0.0, 1.0);
  return RealDistance(p, {a.rx + t * dx, a.ry + t * dy});
}

bool IsDark(TColor c) {
  return std::min({GetRValue(c), GetGValue(c), GetBValue(c)}) < 160;
}

// The ink of one drawing, seen in the frame's own upright coordinates (u to
// the right along the top side, v down along the left side, from P0).
struct Ink {
  int dark = 0;         // dark pixels
  int strayOutside = 0; // non-white pixels clearly outside the frame
  double uMin = 1e9, uMax = -1e9, vMin = 1e9, vMax = -1e9;
  std::vector<int> rows; // dark pixels per upright row v (upright frames only)
};

class CaptionDrawing : public ::testing::Test {
protected:
  static constexpr int kSize = 320;
  static constexpr double kLineWidth = 2;

  CaptionDrawing() : bitmap_(kSize, kSize) {}

  Ink Draw(TQvSimpleText &text, const std::array<TRealPoint, 4> &frame) {
    text.DrawText(bitmap_.Canvas(), frame, kLineWidth);
    return Measure(frame);
  }

  Ink Measure(const std::array<TRealPoint, 4> &frame) {
    const double angle = RealPointAngle(frame[1], frame[0]) + kPi / 2;
    const double height = RealDistance(frame[0], frame[3]);
    Ink ink;
    ink.rows.assign(size_t(height) + 2, 0);
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const TColor c = bitmap_.Pixel(x, y);
        if (c == clWhite) continue;
        const TRealPoint p{x + 0.5, y + 0.5};
        if (!PtInRealPolygon(frame, p)) {
          double d = 1e9;
          for (int i = 0; i < 4; ++i)
            d = std::min(d, SegmentDistance(p, frame[i], frame[(i + 1) % 4]));
          if (d > 1.0) ++ink.strayOutside;
          continue;
        }
        if (!IsDark(c)) continue;
        const TRealPoint q = SubRealPoint(RotateRealPoint(p, frame[0], -angle), frame[0]);
        ++ink.dark;
        ink.uMin = std::min(ink.uMin, q.rx);
        ink.uMax = std::max(ink.uMax, q.rx);
        ink.vMin = std::min(ink.vMin, q.ry);
        ink.vMax = std::max(ink.vMax, q.ry);
        const int row = int(q.ry);
        if (row >= 0 && row < int(ink.rows.size())) ++ink.rows[size_t(row)];
      }
    return ink;
  }

  // Groups of inked rows separated by empty rows.
  static int Bands(const Ink &ink) {
    int bands = 0;
    bool inBand = false;
    for (int n : ink.rows) {
      if (n > 0 && !inBand) ++bands;
      inBand = n > 0;
    }
    return bands;
  }

  void Clear() {
    TCanvas &canvas = bitmap_.Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clWhite);
    canvas.FillRect({0, 0, kSize, kSize});
  }

  TBitmap bitmap_;
};

TEST_F(CaptionDrawing, ShortCaptionIsRightAlignedAndCentredInAnUprightFrame) {
  TQvSimpleText text(QStringLiteral("三角形の面積"));
  text.Font().SetHeight(20);
  const auto frame = Frame({160, 160}, 280, 100, 0);
  const Ink ink = Draw(text, frame);

  EXPECT_GT(ink.dark, 100) << "the Japanese caption is drawn";
  EXPECT_EQ(ink.strayOutside, 0);
  EXPECT_GT(ink.uMax, 280 - 6) << "lines end at the right edge of the box";
  EXPECT_GT(ink.uMin, 140) << "nothing in the left part";
  EXPECT_NEAR((ink.vMin + ink.vMax) / 2, 50, 4) << "one line centred vertically";
  EXPECT_NEAR(text.Font().Angle(), 2 * kPi, 1e-9);
}

TEST_F(CaptionDrawing, DrawingLeavesTheCanvasAndTheFontAsTheyWere) {
  TCanvas &canvas = bitmap_.Canvas();
  canvas.SetTextCharacterExtra(2);
  const TLogFont before = canvas.CurrentLogFont();
  TQvSimpleText text(QStringLiteral("面積"));
  text.Font().SetHeight(-24);
  Draw(text, Frame({160, 160}, 200, 100, kPi / 3));

  EXPECT_FALSE(canvas.HasClip());
  EXPECT_EQ(canvas.GetTextCharacterExtra(), 2);
  EXPECT_EQ(canvas.CurrentLogFont(), before);
  EXPECT_EQ(text.Font().Height(), -24);
  EXPECT_EQ(text.Font().Face(0).HandleCount(), 0);
}

TEST_F(CaptionDrawing, CjkGlyphIsDrawnNotABox) {
  TQvSimpleText text(QStringLiteral("三"));
  text.Font().SetHeight(40);
  const Ink ink = Draw(text, Frame({160, 160}, 200, 100, 0));
  EXPECT_EQ(Bands(ink), 3) << "the three strokes of 三";
}

// A caption wider than the box wraps into right-aligned lines; the block is
// placed at the top, in the middle or at the bottom of the box.
TEST_F(CaptionDrawing, WrappedLinesAreRightAlignedAndPlacedByTheLayout) {
  const auto frame = Frame({160, 160}, 120, 200, 0);
  const double boxHeight = 200 - kLineWidth;
  const QString caption(22, u'o');

  auto draw = [&](TTextLayout layout) {
    Clear();
    TQvSimpleText text(caption);
    text.Font().SetHeight(20);
    text.TextNode().SetTextAlign(layout);
    return Draw(text, frame);
  };
  const Ink top = draw(TTextLayout::tlTop);
  const int lines = Bands(top);
  ASSERT_GE(lines, 2);
  ASSERT_LT(lines * 20, boxHeight);
  EXPECT_EQ(top.strayOutside, 0);
  EXPECT_GT(top.uMax, 120 - 6);

  // Every line ends at the right edge: the rightmost ink of each band.
  for (int band = 0; band < lines; ++band) {
    double right = -1;
    const int v0 = 2 + band * 20;
    for (int y = v0; y < v0 + 20; ++y)
      for (int x = 0; x < kSize; ++x)
        if (IsDark(bitmap_.Pixel(x, int(frame[0].ry) + y)))
          right = std::max(right, x - frame[0].rx);
    EXPECT_GT(right, 120 - 6) << "line " << band;
  }

  const Ink centre = draw(TTextLayout::tlCenter);
  const Ink bottom = draw(TTextLayout::tlBootom);
  const Ink none = draw(TTextLayout::tlNone);
  EXPECT_EQ(Bands(centre), lines);
  EXPECT_NEAR(centre.vMin - top.vMin, (boxHeight - lines * 20) / 2, 1);
  EXPECT_NEAR(bottom.vMin - top.vMin, boxHeight - lines * 20, 1);
  EXPECT_NEAR(none.vMin, top.vMin, 0.5);
}

// When the lines do not all fit, the block starts at the top of the box and
// the lines below are clipped or not drawn.
TEST_F(CaptionDrawing, OverflowingCaptionStartsAtTheTop) {
  const auto frame = Frame({160, 160}, 120, 50, 0);
  auto draw = [&](TTextLayout layout) {
    Clear();
    TQvSimpleText text(QString(200, u'o'));
    text.Font().SetHeight(20);
    text.TextNode().SetTextAlign(layout);
    return Draw(text, frame);
  };
  const Ink top = draw(TTextLayout::tlTop);
  const Ink centre = draw(TTextLayout::tlCenter);
  EXPECT_EQ(centre.strayOutside, 0);
  EXPECT_NEAR(centre.vMin, top.vMin, 0.5);
  EXPECT_LE(Bands(centre), 3);
}

TEST_F(CaptionDrawing, FrameTurnedClockwiseTurnsTheText) {
  struct Case {
    double angle;
    int escapement;
  };
  const Case cases[] = {{kPi / 2, 2700}, {kPi / 6, 3300}, {-kPi / 4, 4050}, {kPi, 1800}};
  for (const Case &c : cases) {
    Clear();
    TQvSimpleText text(QStringLiteral("三角形"));
    text.Font().SetHeight(20);
    const auto frame = Frame({160, 160}, 200, 80, c.angle);
    const Ink ink = Draw(text, frame);
    EXPECT_NEAR(text.Font().Angle(), 2 * kPi - c.angle, 1e-9) << c.angle;
    EXPECT_EQ(text.Font().Face(0).LogFont().lfEscapement % 3600, c.escapement % 3600) << c.angle;
    EXPECT_GT(ink.dark, 50) << c.angle;
    EXPECT_EQ(ink.strayOutside, 0) << c.angle;
    // In the frame's own coordinates the caption sits at the right, centred.
    EXPECT_GT(ink.uMax, 200 - 7) << c.angle;
    EXPECT_GT(ink.uMin, 100) << c.angle;
    EXPECT_NEAR((ink.vMin + ink.vMax) / 2, 40, 4) << c.angle;
  }
}

TEST_F(CaptionDrawing, FrameOfFewerThanFourPointsDrawsNothing) {
  TQvSimpleText text(QStringLiteral("三角形"));
  const auto frame = Frame({160, 160}, 200, 80, 0);
  text.DrawText(bitmap_.Canvas(), std::span(frame).first(3), kLineWidth);
  const Ink ink = Measure(frame);
  EXPECT_EQ(ink.dark, 0);
  EXPECT_EQ(text.Font().Angle(), 0.0);
}

} // namespace
} // namespace lumora
