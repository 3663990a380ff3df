#include "shell/startup/VersionDlg.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

#include "platform/graphics/Font.h"

namespace lumora {

const std::array<const char *, kVerResourceKeyCount> kVerResourceKeyNames = {
    "Comments",     "CompanyName",    "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFilename",
    "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild"};

namespace {

constexpr int kTextLeft = 41;
const QString kMakerAddress = QStringLiteral("https://lumora.example.org/");

QFont DialogFont(const QString &aFace, int aPoints) {
  QFont font(FontFamilyFor(aFace));
  font.setPointSize(aPoints);
  return font;
}

// Writes one line with its cell's top-left at (x, y).
void Line(QPainter &aPainter, int x, int y, const QString &aText) {
  const QFontMetrics metrics(aPainter.font());
  aPainter.drawText(x, y + metrics.ascent(), aText);
}

} // namespace

TCustomVersionDlg::TCustomVersionDlg(QWidget *aParent) : QDialog(aParent) {
  setWindowTitle(QStringLiteral("バージョン情報"));
  setFixedSize(394, 225);
  setFont(DialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
  BackImage.load(QStringLiteral(":/pictures/VERBOAD.jpg"), "JPEG");
}

TCustomVersionDlg::~TCustomVersionDlg() = default;

QString TCustomVersionDlg::GetVersionInfo(TVerResourceKey KeyWord) {
  QString value;
  switch (KeyWord) {
  case vrCompanyName:
    value = QCoreApplication::organizationName();
    break;
  case vrFileDescription:
    value = QGuiApplication::applicationDisplayName();
    break;
  case vrFileVersion:
  case vrProductVersion:
    value = QCoreApplication::applicationVersion();
    break;
  case vrInternalName:
    value = QCoreApplication::applicationName();
    break;
  case vrOriginalFilename:
    value = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    break;
  case vrProductName:
    value = QCoreApplication::applicationName();
    break;
  default:
    break;
  }
  return value.left(255);
}

void TCustomVersionDlg::showEvent(QShowEvent *aEvent) {
  FormShow();
  QDialog::showEvent(aEvent);
}

void TCustomVersionDlg::FormShow() {
  Comments = GetVersionInfo(vrComments);
  CompanyName = GetVersionInfo(vrCompanyName);
  FileDescription = GetVersionInfo(vrFileDescription);
  FileVersion = GetVersionInfo(vrFileVersion);
  InternalName = GetVersionInfo(vrInternalName);
  LegalCopyright = GetVersionInfo(vrLegalCopyright);
  LegalTrademarks = GetVersionInfo(vrLegalTrademarks);
  OriginalFilename = GetVersionInfo(vrOriginalFilename);
  PrivateBuild = GetVersionInfo(vrPrivateBuild);
  ProductName = ProductTitle.isEmpty() ? QGuiApplication::applicationDisplayName() : ProductTitle;
  ProductVersion = GetVersionInfo(vrProductVersion);
  SpecialBuild = GetVersionInfo(vrSpecialBuild);
}

void TCustomVersionDlg::PaintVersion(QPainter &aPainter) {
  if (!BackImage.isNull()) aPainter.drawImage(0, 0, BackImage);
  aPainter.setPen(Qt::white);
  aPainter.setBackgroundMode(Qt::TransparentMode);
  const QString face = QStringLiteral("ＭＳ Ｐゴシック");
  TopPos = 14;
  aPainter.setFont(DialogFont(face, 11));
  Line(aPainter, kTextLeft, TopPos, QStringLiteral("発売元 ： ") + CompanyName);
  TopPos += LSpace2;
  aPainter.setFont(DialogFont(face, 9));
  Line(aPainter, kTextLeft, TopPos, kMakerAddress);
  TopPos += LSpace2;
  aPainter.setFont(DialogFont(face, 11));
  Line(aPainter, kTextLeft, TopPos, QStringLiteral("製品名 ： ") + ProductName);
  TopPos += 2 * LSpace2 - 1;
  Line(aPainter, kTextLeft, TopPos,
       QStringLiteral("製品バージョン ： ") + ProductVersion +
           QStringLiteral("     ファイル Ver. ") + FileVersion);
  TopPos += LSpace1;
}

void TCustomVersionDlg::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  PaintVersion(painter);
}

void TVersionDlg::paintEvent(QPaintEvent *) {
  LSpace1 = 23;
  LSpace2 = 18;
  QPainter painter(this);
  PaintVersion(painter);
  painter.setFont(DialogFont(QStringLiteral("ＭＳゴシック"), 11));
  const QString credits[4] = {QStringLiteral("企画・制作 ： Lumora 開発チーム"),
                              QStringLiteral("プログラム ： Lumora 開発チーム"),
                              QStringLiteral("画像 ： Lumora 開発チーム"),
                              QStringLiteral("協力 ： 小学校算数の先生方")};
  int y = TopPos + 1;
  for (int i = 0; i < 4; ++i) {
    Line(painter, i == 0 ? kTextLeft : 96, y, credits[i]);
    y += 18;
  }
}

} // namespace lumora
