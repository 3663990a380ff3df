#include "core/fonts/MetaFont.h"

#include <climits>
#include <gtest/gtest.h>
#include <numbers>

#include "core/geometry/Geometry.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace lumora {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(MetaFontTest, NewFontHasOneFaceAtHeightMinus32) {
  TMetaFont font(QStringLiteral("ＭＳ ゴシック"));
  EXPECT_EQ(font.Name(), QStringLiteral("ＭＳ ゴシック"));
  EXPECT_EQ(font.FaceCount(), 1);
  EXPECT_EQ(font.Height(), -32);
  EXPECT_EQ(font.Size(), 32); // points counted at 96 per inch
  EXPECT_EQ(font.Angle(), 0.0);
  EXPECT_TRUE(font.DrawMode().Empty());
  EXPECT_EQ(font.TxtColor, 0);
  EXPECT_EQ(font.NumColor, 0);
  EXPECT_EQ(font.PixelsPerInch(), 96);
  EXPECT_EQ(font.Face(0).LogFont().lfHeight, -32);
  EXPECT_EQ(font.Face(0).LogFont().lfWeight, 400);
  EXPECT_FALSE(font.Face(0).OwnCharSet().has_value());
}

TEST(MetaFontTest, HeightIsStoredNegated) {
  TMetaFont font(QStringLiteral("Arial"));
  for (int value : {20, -20}) {
    font.SetHeight(value);
    EXPECT_EQ(font.Height(), -20) << value;
  }
  font.SetHeight(0);
  EXPECT_EQ(font.Height(), 0);
  font.SetHeight(INT_MIN);
  EXPECT_EQ(font.Height(), -INT_MAX);
}

TEST(MetaFontTest, SizeConvertsAtTheScreensPixelsPerInch) {
  SetPixelsPerInch(144);
  TMetaFont font(QStringLiteral("Arial"));
  SetPixelsPerInch(96);
  EXPECT_EQ(font.PixelsPerInch(), 144);
  font.SetHeight(20);
  EXPECT_EQ(font.Size(), 13); // -MulDiv(-20, 96, 144)
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -18);

  TMetaFont screen(QStringLiteral("Arial"));
  screen.SetSize(12);
  EXPECT_EQ(screen.Height(), -12);
  screen.SetSize(-12);
  EXPECT_EQ(screen.Height(), -12);
}

TEST(MetaFontTest, AngleSetsEveryFacesEscapementRoundingHalfToEven) {
  struct Case {
    double tenths; // the angle in tenths of a degree
    int escapement;
  };
  const Case cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {300, 300}, {2700, 2700}};
  TMetaFont font(QStringLiteral("Arial"));
  font.SetDrawMode({tdMathFont});
  ASSERT_EQ(font.FaceCount(), 2);
  for (const Case &c : cases) {
    font.SetAngle(c.tenths * kPi / 1800);
    for (int i = 0; i < font.FaceCount(); ++i)
      EXPECT_EQ(font.Face(i).LogFont().lfEscapement, c.escapement) << c.tenths << " face " << i;
  }
  font.SetAngle(kPi / 6);
  EXPECT_EQ(font.Face(0).LogFont().lfEscapement, 300);
  EXPECT_EQ(font.Face(1).LogFont().lfEscapement, 300);
  EXPECT_DOUBLE_EQ(font.Angle(), kPi / 6);
}

TEST(MetaFontTest, NameKeepsAtMost31Characters) {
  TMetaFont font(QStringLiteral("Arial"));
  const QString longName = QString(40, u'字');
  font.SetName(longName);
  EXPECT_EQ(font.Name(), longName.left(31));
  TMetaFont made(longName);
  EXPECT_EQ(made.Name(), longName.left(31));
}

TEST(MetaFontTest, StyleBitsMapToWeightItalicUnderlineStrikeOut) {
  TMetaFont font(QStringLiteral("Arial"));
  for (uint8_t style = 0; style < 16; ++style) {
    font.SetStyle(style);
    const TLogFont &lf = font.Face(0).LogFont();
    EXPECT_EQ(lf.lfWeight, (style & fsBold) ? 700 : 400) << int(style);
    EXPECT_EQ(lf.lfItalic, (style & fsItalic) != 0) << int(style);
    EXPECT_EQ(lf.lfUnderline, (style & fsUnderline) != 0) << int(style);
    EXPECT_EQ(lf.lfStrikeOut, (style & fsStrikeOut) != 0) << int(style);
    EXPECT_EQ(font.Style(), style);
  }
}

TEST(MetaFontTest, ColorSetsEveryFaceAndTheTextColour) {
  TMetaFont font(QStringLiteral("Arial"));
  font.SetDrawMode({tdMathFont});
  font.SetColor(clRed);
  EXPECT_EQ(font.Color(), clRed);
  EXPECT_EQ(font.TxtColor, clRed);
  EXPECT_EQ(font.Face(0).Color(), clRed);
  EXPECT_EQ(font.Face(1).Color(), clRed);
}

TEST(MetaFontTest, MathFontCharSetHasTheSymbolsThenTheSpecialPairs) {
  const QStringList &list = MathFontCharSet();
  ASSERT_EQ(list.size(), 81);
  EXPECT_EQ(list[0], QStringLiteral("０"));
  EXPECT_EQ(list[11], QStringLiteral("－"));
  EXPECT_EQ(list[15], QStringLiteral("㎜"));
  EXPECT_EQ(list[16], QStringLiteral("("));
  EXPECT_EQ(list[23], QStringLiteral("°"));
  EXPECT_EQ(list[29], QStringLiteral("㎏"));
  for (int i = 0; i < 30; ++i)
    EXPECT_EQ(list[i].size(), 1) << i;
  for (int i = 30; i < 62; ++i)
    EXPECT_TRUE(list[i].isEmpty()) << i;
  for (int i = 0; i < 18; ++i) {
    const QString pair = list[62 + i];
    ASSERT_EQ(pair.size(), 2);
    EXPECT_EQ(pair[0].unicode(), 0x00F1);
    EXPECT_EQ(pair[1].unicode(), 0x40 + i);
  }
  EXPECT_TRUE(list[80].isEmpty());
}

TEST(MetaFontTest, MathFontModeAddsTheSymbolFaceOnceAndRemovesIt) {
  TMetaFont font(QStringLiteral("Arial"));
  font.SetDrawMode({tdMathFont});
  font.SetDrawMode({tdMathFont, tdFraction});
  ASSERT_EQ(font.FaceCount(), 2);
  EXPECT_EQ(font.Face(1).Name(), QStringLiteral("ms lumora2.0"));
  ASSERT_TRUE(font.Face(1).OwnCharSet().has_value());
  EXPECT_EQ(*font.Face(1).OwnCharSet(), MathFontCharSet());
  EXPECT_EQ(font.DrawMode(), (TDrawMode{tdMathFont, tdFraction}));

  font.SetDrawMode({tdFraction});
  EXPECT_EQ(font.FaceCount(), 1);
  EXPECT_EQ(font.Name(), QStringLiteral("Arial"));
  EXPECT_EQ(font.DrawMode(), TDrawMode{tdFraction});
}

TEST(MetaFontTest, MathFontModeUsesTheConfiguredFace) {
  SetMathFontName(QStringLiteral("Lumora Digits"));
  TMetaFont font(QStringLiteral("Arial"));
  font.SetDrawMode({tdMathFont});
  SetMathFontName(QStringLiteral("ms lumora2.0"));
  ASSERT_EQ(font.FaceCount(), 2);
  EXPECT_EQ(font.Face(1).Name(), QStringLiteral("Lumora Digits"));
}

// A text face that is itself the symbol face is never removed with the mode.
TEST(MetaFontTest, MathFontModeKeepsATextFaceOfTheSameName) {
  TMetaFont font(MathFontName());
  font.SetDrawMode({tdMathFont});
  EXPECT_EQ(font.FaceCount(), 1);
  font.SetDrawMode({});
  ASSERT_EQ(font.FaceCount(), 1);
  EXPECT_EQ(font.Name(), MathFontName());
}

TEST(MetaFontTest, SetFontSpecTakesTheFirstFaceFromAPlatformFont) {
  struct Case {
    const char *name;
    TFontPitch pitch;
    const char *face;
    uint8_t pitchAndFamily;
  };
  const Case cases[] = {
      {"default", TFontPitch::fpVariable, "MS Sans Serif", 2},
      {"DEFAULT", TFontPitch::fpFixed, "MS Sans Serif", 1},
      {"Arial", TFontPitch::fpDefault, "Arial", 0},
  };
  for (const Case &c : cases) {
    TMetaFont font(QStringLiteral("ＭＳ ゴシック"));
    TFont source;
    source.SetName(QString::fromUtf8(c.name));
    source.SetPitch(c.pitch);
    source.SetHeight(16);
    source.SetColor(clBlue);
    source.SetStyle(fsBold | fsUnderline);
    source.SetCharset(SHIFTJIS_CHARSET);
    font.SetFontSpec(source);
    const TLogFont &lf = font.Face(0).LogFont();
    EXPECT_EQ(font.Name(), QString::fromUtf8(c.face)) << c.name;
    EXPECT_EQ(lf.lfPitchAndFamily, c.pitchAndFamily) << c.name;
    EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.Style(), fsBold | fsUnderline);
    EXPECT_EQ(font.TxtColor, clBlue);
    EXPECT_EQ(font.Height(), -16);
  }
}

// SetFontSpec resets the face's escapement; the font's angle must still be
// what is drawn, or a later SetAngle with the same value would leave the
// text unturned.
TEST(MetaFontTest, SetFontSpecKeepsTheEscapementOfTheAngle) {
  TMetaFont font(QStringLiteral("Arial"));
  font.SetAngle(kPi / 6);
  TFont source;
  source.SetName(QStringLiteral("Arial"));
  font.SetFontSpec(source);
  font.SetAngle(kPi / 6);
  EXPECT_EQ(font.Face(0).LogFont().lfEscapement, 300);
}

TEST(MetaFontTest, FontSpecGivesColourHeightFaceStyleAndCharset) {
  TMetaFont font(QStringLiteral("ＭＳ 明朝"));
  font.SetColor(clGreen);
  font.SetHeight(-21);
  font.SetStyle(fsItalic | fsStrikeOut);
  TFont dest;
  dest.SetPitch(TFontPitch::fpFixed);
  font.FontSpec(dest);
  EXPECT_EQ(dest.Name(), QStringLiteral("ＭＳ 明朝"));
  EXPECT_EQ(dest.Color(), clGreen);
  EXPECT_EQ(dest.Height(), -21);
  EXPECT_EQ(dest.Style(), fsItalic | fsStrikeOut);
  EXPECT_EQ(dest.Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(dest.Pitch(), TFontPitch::fpFixed);

  TMetaFont back(QStringLiteral("Arial"));
  back.SetFontSpec(dest);
  EXPECT_EQ(back.Name(), font.Name());
  EXPECT_EQ(back.Height(), font.Height());
  EXPECT_EQ(back.Style(), font.Style());
  EXPECT_EQ(back.TxtColor, font.TxtColor);
}

TEST(MetaFontTest, SetTxtFontSelectsTheFirstFaceAndReleaseFontRestores) {
  TBitmap bitmap(20, 20);
  TCanvas &canvas = bitmap.Canvas();
  const TLogFont before = canvas.CurrentLogFont();

  TMetaFont font(QStringLiteral("Arial"));
  font.SetDrawMode({tdMathFont});
  font.SetHeight(-18);
  font.SetColor(clRed);
  font.SetAngle(kPi / 2);

  const HFONT previous = font.SetTxtFont(canvas);
  EXPECT_EQ(canvas.Font().Color(), clRed);
  const TLogFont selected = canvas.CurrentLogFont();
  EXPECT_EQ(selected.lfFaceName, QStringLiteral("Arial"));
  EXPECT_EQ(selected.lfHeight, -18);
  EXPECT_EQ(selected.lfEscapement, 900);
  ASSERT_EQ(font.Face(0).HandleCount(), 1);
  ASSERT_EQ(font.Face(1).HandleCount(), 1);
  EXPECT_EQ(font.Face(1).Handle()->lfHeight, -18);
  // The description itself keeps its own height.
  EXPECT_EQ(font.Face(0).LogFont().lfHeight, -32);

  // Nested use pushes a second handle and gives back the first.
  {
    const TLogFont *first = font.Face(0).Handle().get();
    const HFONT inner = font.SetTxtFont(canvas);
    EXPECT_EQ(inner.get(), first);
    EXPECT_EQ(font.Face(0).HandleCount(), 2);
    font.ReleaseFont(canvas, inner);
    EXPECT_EQ(font.Face(0).HandleCount(), 1);
    EXPECT_EQ(canvas.CurrentLogFont().lfHeight, -18);
  }

  std::weak_ptr<const TLogFont> made = font.Face(0).Handle();
  font.ReleaseFont(canvas, previous);
  EXPECT_EQ(font.Face(0).HandleCount(), 0);
  EXPECT_EQ(font.Face(1).HandleCount(), 0);
  EXPECT_TRUE(made.expired()) << "the released handle is deleted";
  TLogFont after = canvas.CurrentLogFont();
  EXPECT_EQ(after.lfHeight, before.lfHeight);
  EXPECT_EQ(after.lfFaceName, before.lfFaceName);
  EXPECT_EQ(after.lfEscapement, 0);
}

} // namespace
} // namespace lumora
