#include "shell/books/FileAlertDlg.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>

#include "core/book/LmCompo.h"
#include "core/model/BaseWindow.h"
#include "core/system/SysContext.h"

namespace lumora {

namespace {

constexpr int kClientWidth = 354;
constexpr int kClientHeight = 117;
constexpr int kQuestionWidth = 383;
constexpr int kButtonTop = 82;
constexpr int kButtonHeight = 27;
// The buttons' distances from the right edge, at the design width.
constexpr int kOKRight = kClientWidth - (178 + 81);
constexpr int kCancelRight = kClientWidth - (264 + 82);
constexpr int kButtonBottom = kClientHeight - (kButtonTop + kButtonHeight);

QFont Tahoma(int aPixels) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(aPixels);
  return font;
}

// The form the dialog is centred on: the base form, when it exists.
QWidget *Owner() {
  if (!TSysContext::Started()) return nullptr;
  return dynamic_cast<QWidget *>(SysInfo().ObjBase());
}

} // namespace

TFileAlertDlg::TFileAlertDlg(QWidget *aParent) : QDialog(aParent) {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("ファイル保存"));
  setFont(Tahoma(11));

  Bevel1 = new QFrame(this);
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(10, 9, 335, 59);
  IconImage = new QLabel(this);
  IconImage->setGeometry(24, 18, 34, 34);
  Label1 = new QLabel(this);
  Label1->setFont(Tahoma(12));
  Label1->move(78, 18);

  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->resize(81, kButtonHeight);
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("キャンセル"), this);
  CancelBtn->resize(82, kButtonHeight);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(kClientWidth, kClientHeight);
  AnchorButtons(size());
}

TFileAlertDlg::~TFileAlertDlg() = default;

void TFileAlertDlg::resizeEvent(QResizeEvent *aEvent) {
  AnchorButtons(aEvent->size());
  QDialog::resizeEvent(aEvent);
}

void TFileAlertDlg::AnchorButtons(QSize aSize) {
  const int top = aSize.height() - kButtonBottom - kButtonHeight;
  OKBtn->move(aSize.width() - kOKRight - OKBtn->width(), top);
  CancelBtn->move(aSize.width() - kCancelRight - CancelBtn->width(), top);
}

bool AskFileAlert(const QString &aText) {
  TFileAlertDlg dialog(Owner());
  // A label breaks at LF alone; the CR after it would show as a glyph.
  QString text = aText;
  text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  dialog.Label1->setText(text);
  dialog.Label1->adjustSize();
  // The frame and the dialog grow with the question, so that every line
  // shows whole above the buttons.
  const QRect label = dialog.Label1->geometry();
  const int width = std::max(kQuestionWidth, label.right() + 24);
  const int frameBottom = std::max(9 + 72, label.bottom() + 12);
  dialog.Bevel1->setGeometry(10, 9, width - 20, frameBottom - 9);
  dialog.setFixedSize(width, frameBottom + 14 + kButtonHeight + kButtonBottom);
  return dialog.exec() == QDialog::Accepted;
}

void InstallFileAlertDlg() {
  SetVersionQuestion(AskFileAlert);
}

} // namespace lumora
