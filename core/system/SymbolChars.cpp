#include "core/system/SymbolChars.h"

namespace lumora {

namespace {

constexpr char16_t kFirstPrivateCode = 0xE0BC; // code page 932 F140
constexpr int kPrivateCodeCount = 18;

QStringList Chars(QStringView chars) {
  QStringList list;
  for (QChar c : chars)
    list << QString(c);
  return list;
}

bool InTable(const QStringList &table, QStringView text) {
  if (text.size() != 1) return false; // every entry is one character
  for (const QString &entry : table)
    if (entry == text) return true;
  return false;
}

int PrivateCodeIndex(QChar c) {
  const int i = int(c.unicode()) - int(kFirstPrivateCode);
  return i >= 0 && i < kPrivateCodeCount ? i : -1;
}

} // namespace

const QStringList &FullWidthSymbols() {
  static const QStringList table = Chars(u"０１２３４５６７８９＋－×÷＝㎜㎝㎞㎎㎏㏄㎡");
  return table;
}

const QStringList &DigitTexts() {
  static const QStringList table = Chars(u"0123456789０１２３４５６７８９");
  return table;
}

const QStringList &NumericSymbols() {
  static const QStringList table =
      Chars(u"０１２３４５６７８９＋－×÷＝(){}[].°:%㎞w㎝㎜t㎡uiopasdfghjk㏄㎏x㎎vbn"
            u"○●◎□■△▲♂♀!?～<>≦≧≠≒");
  return table;
}

const QStringList &PrivateFontCodes() {
  static const QStringList table = [] {
    QStringList list;
    for (int i = 0; i < kPrivateCodeCount; ++i)
      list << QString(QChar(char16_t(kFirstPrivateCode + i)));
    return list;
  }();
  return table;
}

const QStringList &PrivateCodeKeys() {
  static const QStringList table = Chars(u"wtuiopasdfghjkxvbn");
  return table;
}

bool IsFullWidthSymbol(QStringView aText) {
  return InTable(FullWidthSymbols(), aText);
}

bool IsDigitText(QStringView aText) {
  return InTable(DigitTexts(), aText);
}

bool IsNumericSymbol(QStringView aText) {
  return IsDigitText(aText) || InTable(NumericSymbols(), aText);
}

bool IsPrivateFontCode(QStringView aText) {
  return aText.size() == 1 && PrivateCodeIndex(aText[0]) >= 0;
}

bool ContainsPrivateFontCode(QStringView aText) {
  for (QChar c : aText)
    if (PrivateCodeIndex(c) >= 0) return true;
  return false;
}

QString PrivateCodeToKey(QStringView aText) {
  return IsPrivateFontCode(aText) ? PrivateCodeKeys().at(PrivateCodeIndex(aText[0])) : QString();
}

bool SplitPrivateCodeRuns(QStringView aText, TCodeRuns &aRuns) {
  aRuns.clear();
  bool found = false;
  QString pending;
  for (QChar c : aText) {
    const int code = PrivateCodeIndex(c);
    if (code < 0) {
      pending += c;
      continue;
    }
    if (!pending.isEmpty()) aRuns.push_back({pending, false});
    aRuns.push_back({PrivateCodeKeys().at(code), true});
    pending.clear();
    found = true;
  }
  if (!pending.isEmpty()) aRuns.push_back({pending, false});
  return found;
}

} // namespace lumora
