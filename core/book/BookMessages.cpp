#include "core/book/BookMessages.h"

#include <QStringList>
#include <cmath>
#include <iterator>

#include "core/book/LmCompo.h"
#include "core/system/Utilities.h"

namespace lumora {

QString NotThisProgramsFileMessage() {
  return QStringLiteral("これは\"") + QString::fromUtf16(kProductName) +
         QStringLiteral("\"のファイルではありません。");
}

QString OldVersionQuestionText(const QString &aFile) {
  const QString lines[] = {QStringLiteral("このファイル(") + aFile + QStringLiteral(")は"),
                           QStringLiteral("以前のバージョンのLumoraで作成された"),
                           QStringLiteral("可能性があるため、正しく表示できない場合があります。"),
                           QStringLiteral("このファイルを開きますか？")};
  return QStringList(std::begin(lines), std::end(lines)).join(QStringLiteral("\n\r"));
}

QString NewVersionQuestionText(const QString &aFile, float aVersion) {
  const double shown = std::trunc(double(aVersion) * 10000) / 10000;
  const QString lines[] = {QStringLiteral("このファイル(") + aFile + QStringLiteral(")"),
                           QStringLiteral("File Ver") + FloatToStr(shown) + QStringLiteral("　は"),
                           QStringLiteral("開くことが出来ません。"),
                           QStringLiteral("続けますか？")};
  return QStringList(std::begin(lines), std::end(lines)).join(QStringLiteral("\n\r"));
}

namespace msg {

QString FileMissing(const QString &aPath) {
  return QStringLiteral("ファイルがありません：") + aPath;
}

QString IsFolder(const QString &aPath) {
  return QStringLiteral("ファイルではなくフォルダーです：") + aPath;
}

QString CannotOpen(const QString &aPath) {
  return QStringLiteral("ファイルを開けません：") + aPath;
}

QString NotABook(const QString &aPath) {
  return QStringLiteral("このファイルは開きません。\n") + aPath;
}

QString DamagedUnreadable(const QString &aPath) {
  return QStringLiteral("このファイルは壊れているため、開けません。\n") + aPath;
}

QString DamagedPartly(const QString &aPath, int aPagesRead, int aPages) {
  const QString read =
      aPagesRead > 0 ? QStringLiteral("全%1ページのうち、%2ページまで読み込みました。")
                           .arg(aPages)
                           .arg(aPagesRead)
                     : QStringLiteral("全%1ページのうち、共通頁だけを読み込みました。").arg(aPages);
  return QStringLiteral("このファイルは壊れています。\n") + aPath + u'\n' + read;
}

QString CannotWrite(const QString &aPath) {
  return QStringLiteral("ファイルへ書けません：") + aPath;
}

QString CannotSave(const QString &aPath) {
  return QStringLiteral("保存できません。\n") + aPath;
}

QString DamagedSaveQuestion(const QString &aPath, const QString &aBeside) {
  return QStringLiteral("「") + BareFileName(aPath) +
         QStringLiteral("」は壊れていたため、一部のページしか読み込めていません。\n"
                        "このまま保存すると、元のファイルが読み込めたページだけになります。\n\n"
                        "元のファイルを残して「") +
         BareFileName(aBeside) +
         QStringLiteral("」という名前で保存しますか？\n"
                        "（「いいえ」を選ぶと、元のファイルを置き換えます）");
}

} // namespace msg
} // namespace lumora
