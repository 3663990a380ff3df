// The close prompt's wording by mode and its answers, and the file alert
// form asking the book file's version questions; every modal dialog is
// answered from inside its own loop by a scripted timer.
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

#include "core/book/LmCompo.h"
#include "core/model/CoreContext.h"
#include "core/system/SysContext.h"
#include "shell/books/CloseOKDlg.h"
#include "shell/books/FileAlertDlg.h"
#include "tests/kinds/TestStart.h"

namespace lumora::test {
namespace {

// Runs aScript on the next modal dialog once its loop runs. A dialog the
// script leaves open is closed by the guard after a few seconds, so that a
// failing test ends instead of waiting.
class TScriptedModal {
public:
  explicit TScriptedModal(std::function<void(QWidget *aModal)> aScript) {
    script_.setSingleShot(true);
    guard_.setSingleShot(true);
    QObject::connect(&script_, &QTimer::timeout, [this, aScript] {
      QWidget *modal = QApplication::activeModalWidget();
      if (!modal) return;
      Ran = true;
      aScript(modal);
    });
    QObject::connect(&guard_, &QTimer::timeout, [] {
      if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
        ADD_FAILURE() << "the dialog was still open";
        dialog->done(-1);
      }
    });
    script_.start(0);
    guard_.start(5000);
  }
  bool Ran = false;

private:
  QTimer script_;
  QTimer guard_;
};

void PressEscape(QWidget *aWidget) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(aWidget, &press);
}

class CloseOKDlgTest : public ::testing::Test {
protected:
  void SetUp() override { StartTestCore({.SystemState = true}); }
  void TearDown() override { TCoreContext::Reset(); }
};

TEST_F(CloseOKDlgTest, WordingByModeAndMessage) {
  struct Case {
    TSysMode mode;
    std::optional<QString> message;
    QString label1;
    QString label2; // empty: Label2 hidden
  };
  const QString given = QStringLiteral("ページを閉じますか。");
  const Case cases[] = {
      {smAuthor, std::nullopt, QStringLiteral("b.lmm2 は変更されています。"),
       QStringLiteral("保存しますか。")},
      {smExec, std::nullopt, QStringLiteral("終わる前に編集へ戻りますか。"), {}},
      {smExec, given, given, {}},
      {smAuthor, given, given, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.label1.toStdString());
    SysInfo().SetSysMode(c.mode);
    SysInfo().FileName = QStringLiteral("/home/先生/教材/b.lmm2");
    const std::unique_ptr<TCloseOKDlg> dialog =
        c.message ? std::make_unique<TCloseOKDlg>(*c.message) : std::make_unique<TCloseOKDlg>();
    EXPECT_EQ(dialog->windowTitle(), QGuiApplication::applicationDisplayName());
    EXPECT_EQ(dialog->Label1->text(), c.label1);
    EXPECT_EQ(dialog->Label2->isHidden(), c.label2.isEmpty());
    if (!c.label2.isEmpty()) {
      EXPECT_EQ(dialog->Label2->text(), c.label2);
    }
    EXPECT_EQ(dialog->OKBtn->text(), "はい");
    EXPECT_TRUE(dialog->OKBtn->isDefault());
    EXPECT_EQ(dialog->Button1->text(), "いいえ");
    EXPECT_EQ(dialog->CancelBtn->text(), "キャンセル");
    // A given message cannot be cancelled.
    EXPECT_EQ(dialog->CancelBtn->isEnabled(), !c.message.has_value());
    EXPECT_GE(dialog->width(), 293);
  }
}

TEST_F(CloseOKDlgTest, AnswersTheButtonPressed) {
  struct Case {
    const char *name;
    bool withMessage;
    std::function<void(TCloseOKDlg &)> act;
    TCloseResult answer;
  };
  const Case cases[] = {
      {"はい", false, [](TCloseOKDlg &d) { d.OKBtn->click(); }, TCloseResult::crOK},
      {"いいえ", false, [](TCloseOKDlg &d) { d.Button1->click(); }, TCloseResult::crNo},
      {"キャンセル", false, [](TCloseOKDlg &d) { d.CancelBtn->click(); }, TCloseResult::crCancel},
      {"Escape", false, [](TCloseOKDlg &d) { PressEscape(&d); }, TCloseResult::crCancel},
      // Neither the disabled button nor Escape ends a prompt with a
      // message; only then does "いいえ" answer.
      {"disabled キャンセル", true,
       [](TCloseOKDlg &d) {
         d.CancelBtn->click();
         PressEscape(&d);
         EXPECT_TRUE(d.isVisible());
         d.Button1->click();
       },
       TCloseResult::crNo},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const std::unique_ptr<TCloseOKDlg> dialog =
        c.withMessage ? std::make_unique<TCloseOKDlg>(QStringLiteral("閉じます。"))
                      : std::make_unique<TCloseOKDlg>();
    TScriptedModal script([&](QWidget *aModal) {
      ASSERT_EQ(aModal, dialog.get());
      c.act(*dialog);
    });
    EXPECT_EQ(dialog->Execute(), c.answer);
    EXPECT_TRUE(script.Ran);
  }
}

TEST_F(CloseOKDlgTest, FileAlertAsksTheVersionQuestion) {
  InstallFileAlertDlg();
  struct Case {
    const char *button;
    bool answer;
  };
  for (const Case c : {Case{"OK", true}, Case{"キャンセル", false}}) {
    SCOPED_TRACE(c.button);
    TScriptedModal script([&](QWidget *aModal) {
      auto *dialog = qobject_cast<TFileAlertDlg *>(aModal);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->windowTitle(), "ファイル保存");
      // The lines joined by LF CR show as lines.
      EXPECT_EQ(dialog->Label1->text(), "このファイル(本.lmm)は\n開きますか？");
      // Widened for the question, every line inside the frame and the
      // buttons below it at the right edge.
      EXPECT_GE(dialog->width(), 383);
      EXPECT_TRUE(dialog->Bevel1->geometry().contains(dialog->Label1->geometry()));
      EXPECT_GT(dialog->CancelBtn->geometry().top(), dialog->Bevel1->geometry().bottom());
      EXPECT_EQ(dialog->CancelBtn->geometry().right(), dialog->width() - 9);
      EXPECT_LT(dialog->OKBtn->geometry().right(), dialog->CancelBtn->geometry().left());
      QPushButton *pressed = QString(c.button) == "OK" ? dialog->OKBtn : dialog->CancelBtn;
      EXPECT_EQ(pressed->text(), c.button);
      pressed->click();
    });
    EXPECT_EQ(AskVersionQuestion(QStringLiteral("このファイル(本.lmm)は\n\r開きますか？")),
              c.answer);
    EXPECT_TRUE(script.Ran);
  }
}

} // namespace
} // namespace lumora::test
