#include "core/system/SymbolChars.h"

#include <gtest/gtest.h>

#include "platform/text/CodePage932.h"

namespace lumora {
namespace {

QString Code(int i) {
  return PrivateFontCodes().at(i);
}

TEST(SymbolCharsTest, TablesHoldCodePage932CharactersOnly) {
  EXPECT_EQ(FullWidthSymbols().size(), 22);
  EXPECT_EQ(DigitTexts().size(), 20);
  EXPECT_EQ(NumericSymbols().size(), 68);
  EXPECT_EQ(PrivateFontCodes().size(), 18);
  EXPECT_EQ(PrivateCodeKeys().size(), 18);
  // Text comes from books in code page 932, so every entry must be a
  // character that the code page decodes to, one or two bytes long.
  for (const QStringList *table :
       {&FullWidthSymbols(), &DigitTexts(), &NumericSymbols(), &PrivateFontCodes()}) {
    for (const QString &entry : *table) {
      SCOPED_TRACE(entry.toStdString());
      const QByteArray bytes = ToCp932(entry);
      EXPECT_TRUE(bytes.size() == 1 || bytes.size() == 2);
      if (entry != QStringLiteral("?")) {
        EXPECT_NE(bytes, QByteArray("?"));
      }
      EXPECT_EQ(FromCp932(bytes), entry);
    }
  }
  // The private codes are the user-defined characters F140 to F151.
  EXPECT_EQ(Code(0), FromCp932(QByteArray("\xF1\x40")));
  EXPECT_EQ(Code(17), FromCp932(QByteArray("\xF1\x51")));
  // A few entries the design gives in byte form, by their code page bytes.
  EXPECT_EQ(NumericSymbols().at(25), FromCp932(QByteArray("\x87\x71"))); // ㎞
  EXPECT_EQ(NumericSymbols().at(61), FromCp932(QByteArray("\x81\x60"))); // ～
  EXPECT_EQ(NumericSymbols().at(67), FromCp932(QByteArray("\x81\xE0"))); // ≒
}

TEST(SymbolCharsTest, ClassifiesWholeTexts) {
  struct Case {
    QString text;
    bool fullWidth, digit, numeric, privateCode;
  };
  const Case cases[] = {
      {QStringLiteral("５"), true, true, true, false},
      {QStringLiteral("5"), false, true, true, false},
      {QStringLiteral("－"), true, false, true, false},
      {QStringLiteral("-"), false, false, false, false},
      {QStringLiteral("㎡"), true, false, true, false},
      {QStringLiteral("～"), false, false, true, false},
      {QStringLiteral("~"), false, false, false, false},
      {QStringLiteral("("), false, false, true, false},
      {QStringLiteral("w"), false, false, true, false},
      {QStringLiteral("W"), false, false, false, false},
      {QStringLiteral("♀"), false, false, true, false},
      {QStringLiteral("55"), false, false, false, false},
      {QString(), false, false, false, false},
      {Code(0), false, false, false, true},
      {Code(17), false, false, false, true},
      {Code(0) + Code(1), false, false, false, false},
      {QString(QChar(0xE0BB)), false, false, false, false}, // F13F, just before
      {QString(QChar(0xE0CE)), false, false, false, false}, // F152, just after
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    EXPECT_EQ(IsFullWidthSymbol(c.text), c.fullWidth);
    EXPECT_EQ(IsDigitText(c.text), c.digit);
    EXPECT_EQ(IsNumericSymbol(c.text), c.numeric);
    EXPECT_EQ(IsPrivateFontCode(c.text), c.privateCode);
  }
}

TEST(SymbolCharsTest, PrivateCodesAnswerTheirKeyLetters) {
  EXPECT_EQ(PrivateCodeToKey(Code(0)), QStringLiteral("w"));
  EXPECT_EQ(PrivateCodeToKey(Code(14)), QStringLiteral("x"));
  EXPECT_EQ(PrivateCodeToKey(Code(17)), QStringLiteral("n"));
  EXPECT_EQ(PrivateCodeToKey(u"w"), QString());
  EXPECT_EQ(PrivateCodeToKey(Code(0) + Code(0)), QString());

  EXPECT_TRUE(ContainsPrivateFontCode(QStringLiteral("ab") + Code(5) + QStringLiteral("c")));
  EXPECT_FALSE(ContainsPrivateFontCode(u"abc５㎝"));
  EXPECT_FALSE(ContainsPrivateFontCode(u""));
}

TEST(SymbolCharsTest, SplitsTextAtPrivateCodes) {
  struct Case {
    QString text;
    bool found;
    TCodeRuns runs;
  };
  const Case cases[] = {
      {QString(), false, {}},
      {QStringLiteral("12＋3"), false, {{QStringLiteral("12＋3"), false}}},
      {QStringLiteral("3") + Code(0) + QStringLiteral("㎝") + Code(1) + Code(2),
       true,
       {{QStringLiteral("3"), false},
        {QStringLiteral("w"), true},
        {QStringLiteral("㎝"), false},
        {QStringLiteral("t"), true},
        {QStringLiteral("u"), true}}},
      {Code(17) + QStringLiteral("ab"),
       true,
       {{QStringLiteral("n"), true}, {QStringLiteral("ab"), false}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    TCodeRuns runs{{QStringLiteral("left over"), true}};
    EXPECT_EQ(SplitPrivateCodeRuns(c.text, runs), c.found);
    EXPECT_EQ(runs, c.runs);
  }
}

} // namespace
} // namespace lumora
