#pragma once
// The character classes the text objects use for digits, operators, units
// and the private codes of the digit and symbol font. Every test compares a
// whole text with the entries of its table, so each answers True only for a
// text of exactly one listed character.
//
// Text is Unicode here, so the entries are the characters themselves, as
// code page 932 decodes them (～ is U+FF5E, ㎜ U+339C, ...). The 18 private
// font codes are the code page's user-defined characters F140 to F151, which
// decode to the private-use characters U+E0BC to U+E0CD; they stand for the
// key letters w t u i o p a s d f g h j k x v b n, in that order.
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace lumora {

// The 22 full-width symbols: ０ to ９, ＋ － × ÷ ＝ and seven unit signs.
const QStringList &FullWidthSymbols();
// The 20 digits: 0 to 9 and ０ to ９.
const QStringList &DigitTexts();
// The 68 numeric symbols, in the order of the symbol palette.
const QStringList &NumericSymbols();
// The 18 private font codes, in key-letter order.
const QStringList &PrivateFontCodes();
// The key letters of the private font codes, in the same order.
const QStringList &PrivateCodeKeys();

bool IsFullWidthSymbol(QStringView aText);
bool IsDigitText(QStringView aText);
// A digit or a numeric symbol.
bool IsNumericSymbol(QStringView aText);
bool IsPrivateFontCode(QStringView aText);
// Whether any character of the text is a private font code.
bool ContainsPrivateFontCode(QStringView aText);
// The key letter of a private font code; empty for any other text.
QString PrivateCodeToKey(QStringView aText);

// One piece of a text cut at its private font codes: a run of plain text,
// or the key letter of one private code.
struct TCodeRun {
  QString Text;
  bool IsPrivateCode = false;
  bool operator==(const TCodeRun &) const = default;
};
using TCodeRuns = std::vector<TCodeRun>;

// Cuts the text into its plain runs and its private codes, in order (empty
// runs left out); answers whether a private code was found. A text without
// codes gives one run with the whole text (none for the empty text).
bool SplitPrivateCodeRuns(QStringView aText, TCodeRuns &aRuns);

} // namespace lumora
