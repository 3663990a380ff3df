#include "shell/books/CloseOKDlg.h"

#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/system/SysContext.h"

namespace lumora {

namespace {

constexpr int kMinWidth = 293;
constexpr int kMargin = 8;
constexpr int kLabel1Top = 14;
constexpr int kLabelGap = 7;

// Dialog results of the three buttons; exec() answers QDialog::Rejected
// (0) when the window is closed otherwise.
constexpr int kResultOK = 1;
constexpr int kResultNo = 2;
constexpr int kResultCancel = 3;

} // namespace

TCloseOKDlg::TCloseOKDlg(QWidget *aParent) : QDialog(aParent) {
  Build();
  FormCreate();
}

TCloseOKDlg::TCloseOKDlg(const QString &aMessage, QWidget *aParent)
    : QDialog(aParent), FMessage1(aMessage) {
  Build();
  FormCreate();
  CancelBtn->setEnabled(false);
}

TCloseOKDlg::~TCloseOKDlg() = default;

void TCloseOKDlg::Build() {
  setObjectName(QStringLiteral("ダイアログ"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  Bevel1 = new QFrame(this);
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setMinimumWidth(kMinWidth - 2 * kMargin);
  Label1 = new QLabel(QStringLiteral("  終わりますか"), Bevel1);
  Label2 = new QLabel(QStringLiteral("終わる前に保存しますか。"), Bevel1);
  auto *labels = new QVBoxLayout(Bevel1);
  const int frame = Bevel1->frameWidth();
  labels->setContentsMargins(kMargin, kLabel1Top - kMargin - frame, kMargin, kMargin);
  labels->setSpacing(kLabelGap);
  labels->addWidget(Label1, 0, Qt::AlignHCenter);
  labels->addWidget(Label2, 0, Qt::AlignHCenter);

  OKBtn = new QPushButton(QStringLiteral("はい"), this);
  OKBtn->setDefault(true);
  Button1 = new QPushButton(QStringLiteral("いいえ"), this);
  CancelBtn = new QPushButton(QStringLiteral("キャンセル"), this);
  connect(OKBtn, &QPushButton::clicked, this, [this] { done(kResultOK); });
  connect(Button1, &QPushButton::clicked, this, [this] { done(kResultNo); });
  connect(CancelBtn, &QPushButton::clicked, this, [this] { done(kResultCancel); });
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(Button1);
  buttons->addWidget(CancelBtn);
  buttons->addStretch();

  auto *form = new QVBoxLayout(this);
  form->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  form->setSizeConstraint(QLayout::SetFixedSize);
  form->addWidget(Bevel1);
  form->addLayout(buttons);
}

void TCloseOKDlg::FormCreate() {
  setWindowTitle(QGuiApplication::applicationDisplayName());
  if (SysInfo().SysMode() != smAuthor) {
    Label1->setText(FMessage1.isEmpty() ? QStringLiteral("終わる前に編集へ戻りますか。")
                                        : FMessage1);
    Label2->hide();
  } else if (!FMessage1.isEmpty()) {
    Label1->setText(FMessage1);
    Label2->hide();
  } else {
    Label1->setText(QFileInfo(SysInfo().FileName).fileName() +
                    QStringLiteral(" は変更されています。"));
    Label2->setText(QStringLiteral("保存しますか。"));
  }
  // Auto-sized to the wording, centred on the screen whatever the owner.
  layout()->activate();
  if (const QScreen *screen = this->screen())
    move(screen->availableGeometry().center() - rect().center());
}

TCloseResult TCloseOKDlg::Execute() {
  switch (exec()) {
  case kResultOK:
    return TCloseResult::crOK;
  case kResultNo:
    return TCloseResult::crNo;
  default:
    return TCloseResult::crCancel;
  }
}

void TCloseOKDlg::keyPressEvent(QKeyEvent *aEvent) {
  // Escape presses the cancel button, which a prompt with a given message
  // has disabled.
  if (aEvent->key() == Qt::Key_Escape && aEvent->modifiers() == Qt::NoModifier &&
      !CancelBtn->isEnabled()) {
    aEvent->accept();
    return;
  }
  QDialog::keyPressEvent(aEvent);
}

} // namespace lumora
