// System colours and the font families that stand in for the documents' faces.
#include <QFontDatabase>
#include <gtest/gtest.h>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"

namespace lumora {
namespace {

TEST(ColorTest, SystemColoursResolveToFixedValues) {
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
  EXPECT_EQ(ColorToRGB(clBtnFace), RGB(240, 240, 240));
  EXPECT_EQ(ColorToRGB(clHighlight), RGB(0, 120, 215));
  EXPECT_EQ(ColorToRGB(clSystemColor | 200), clBlack); // unknown index
  EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(ColorToRGB(clNone), clNone);

  EXPECT_EQ(ToQColor(RGB(10, 20, 30)), QColor(10, 20, 30));
  EXPECT_EQ(ToQColor(clBtnShadow), QColor(160, 160, 160));
  EXPECT_EQ(ToQColor(clNone).alpha(), 0);
  EXPECT_EQ(FromQColor(QColor(10, 20, 30, 7)), RGB(10, 20, 30));
}

TEST(FontFamilyTest, DocumentFacesMapToNotoCjk) {
  const QString sans = QStringLiteral("Noto Sans CJK JP");
  const QString serif = QStringLiteral("Noto Serif CJK JP");
  const struct {
    const char *face;
    QString family;
  } cases[] = {
      {"ＭＳ ゴシック", sans},
      {"ＭＳ Ｐゴシック", sans},
      {"MS UI Gothic", sans},
      {"MS Gothic", sans},
      {"ＭＳ 明朝", serif},
      {"ＭＳ Ｐ明朝", serif},
      {"MS Sans Serif", sans},
      {"ms lumora2.0", sans},
      {"No Such Face 123", sans},
      {"@ＭＳ 明朝", serif},
      {"", sans},
  };
  for (const auto &k : cases)
    EXPECT_EQ(FontFamilyFor(QString::fromUtf8(k.face)), k.family) << k.face;

  // An installed family other than the stand-ins stays.
  for (const QString &family : QFontDatabase::families()) {
    if (family.startsWith(QStringLiteral("Noto Sans CJK")) ||
        family.startsWith(QStringLiteral("Noto Serif CJK")))
      continue;
    EXPECT_EQ(FontFamilyFor(family), family);
    break;
  }
}

TEST(FontFamilyTest, LogicalFontsBecomeQtFonts) {
  TFont font;
  font.SetName(QStringLiteral("ＭＳ 明朝"));
  font.SetHeight(-18);
  font.SetStyle(fsBold | fsItalic | fsUnderline);
  const QFont q = MakeQFont(LogFontOf(font));
  EXPECT_EQ(q.family(), QStringLiteral("Noto Serif CJK JP"));
  EXPECT_EQ(q.pixelSize(), 18);
  EXPECT_EQ(q.weight(), QFont::Bold);
  EXPECT_TRUE(q.italic());
  EXPECT_TRUE(q.underline());
  EXPECT_FALSE(q.strikeOut());
}

} // namespace
} // namespace lumora

// Regression: a font record from a corrupt file with a huge point size made
// the height computation overflow.
TEST(FontTest, MulDivAnswersMinusOneWhenTheResultDoesNotFit) {
  struct Case {
    int a, b, c, expected;
  } cases[] = {
      {10, 96, 72, 13},
      {-20, 96, 144, -13},
      {7, 1, 2, 4},
      {-7, 1, 2, -4},
      {1, 1, 0, -1},
      {INT32_MAX, 96, 72, -1},
      {INT32_MIN, 96, 72, -1},
      {INT32_MAX, 1, 1, INT32_MAX},
  };
  for (const Case &k : cases)
    EXPECT_EQ(lumora::MulDiv(k.a, k.b, k.c), k.expected) << k.a << "*" << k.b << "/" << k.c;
  lumora::TFont font;
  font.SetSize(INT32_MIN);
  EXPECT_EQ(font.Height(), 1);
}
