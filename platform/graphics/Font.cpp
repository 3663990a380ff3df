#include "platform/graphics/Font.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

namespace lumora {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t p = int64_t(a) * b;
  const int64_t q = (std::llabs(p) + std::llabs(int64_t(c)) / 2) / std::llabs(int64_t(c));
  // A result that does not fit an Integer answers -1, as the platform's
  // does; so every result can be negated.
  if (q > INT32_MAX) return -1;
  return int((p < 0) != (c < 0) ? -q : q);
}

int TFont::Size() const {
  return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int points) {
  height_ = -MulDiv(points, pixelsPerInch_, 72);
}

namespace {

const QString kSansFamily = QStringLiteral("Noto Sans CJK JP");
const QString kSerifFamily = QStringLiteral("Noto Serif CJK JP");

// The Windows faces of the documents, which this system never has installed
// under these names even when a font claims one of them as an alias.
bool IsDocumentFace(const QString &face) {
  static const QStringList faces = {
      QStringLiteral("ＭＳ ゴシック"), QStringLiteral("ＭＳ Ｐゴシック"),
      QStringLiteral("MS UI Gothic"),  QStringLiteral("MS Gothic"),
      QStringLiteral("MS PGothic"),    QStringLiteral("ＭＳ 明朝"),
      QStringLiteral("ＭＳ Ｐ明朝"),   QStringLiteral("MS Mincho"),
      QStringLiteral("MS PMincho"),    QStringLiteral("MS Sans Serif"),
      QStringLiteral("ms lumora2.0")};
  return faces.contains(face, Qt::CaseInsensitive);
}

bool IsSerifFace(const QString &face) {
  return face.contains(QStringLiteral("明朝")) ||
         face.contains(QStringLiteral("Mincho"), Qt::CaseInsensitive);
}

bool IsInstalled(const QString &family) {
  // The font database needs the GUI application; without it (decoders run
  // in tools) no family counts as installed.
  if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) == nullptr) return false;
  return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

} // namespace

QString FontFamilyFor(const QString &faceName) {
  // A leading '@' asks for the vertical form of a face; the family is the same.
  const QString face = faceName.startsWith(u'@') ? faceName.mid(1) : faceName;
  if (!face.isEmpty() && !IsDocumentFace(face) && IsInstalled(face)) return face;
  return IsSerifFace(face) ? kSerifFamily : kSansFamily;
}

} // namespace lumora
