#pragma once
// The alert form the book file asks its version questions through: a
// question under the caption "ファイル保存" with the buttons OK and Cancel.
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

namespace lumora {

class TFileAlertDlg : public QDialog {
  Q_OBJECT
public:
  explicit TFileAlertDlg(QWidget *aParent = nullptr);
  ~TFileAlertDlg() override;

  QFrame *Bevel1 = nullptr;
  QLabel *IconImage = nullptr; // stays empty
  QLabel *Label1 = nullptr;
  QPushButton *OKBtn = nullptr;
  QPushButton *CancelBtn = nullptr;

protected:
  // Keeps the buttons at their distance from the right and bottom edges.
  void resizeEvent(QResizeEvent *aEvent) override;

private:
  void AnchorButtons(QSize aSize);
};

// Asks aText (lines joined by LF CR) through a TFileAlertDlg owned by the
// base form when there is one, widened for the question; true for OK,
// false for anything else.
bool AskFileAlert(const QString &aText);

// Makes AskFileAlert the book file's version question.
void InstallFileAlertDlg();

} // namespace lumora
