#pragma once
// The close prompt: asks whether to save the changed book before the
// program ends (author mode) or whether to go back to editing
// (presentation mode).
#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

namespace lumora {

// The answer of the close prompt; a prompt closed by its window's close
// box answers crCancel.
enum class TCloseResult { crOK, crNo, crCancel };

class TCloseOKDlg : public QDialog {
  Q_OBJECT
public:
  // The wording by the system mode, all three buttons active.
  explicit TCloseOKDlg(QWidget *aParent = nullptr);
  // aMessage in place of the wording by mode (when not empty); the
  // prompt cannot be cancelled.
  explicit TCloseOKDlg(const QString &aMessage, QWidget *aParent = nullptr);
  ~TCloseOKDlg() override;

  // Shows the prompt modally and answers the button pressed.
  TCloseResult Execute();

  QLabel *Label1 = nullptr;
  QLabel *Label2 = nullptr;
  QFrame *Bevel1 = nullptr;
  QPushButton *OKBtn = nullptr;
  QPushButton *Button1 = nullptr;
  QPushButton *CancelBtn = nullptr;

protected:
  void keyPressEvent(QKeyEvent *aEvent) override;

private:
  void Build();
  void FormCreate();

  QString FMessage1;
};

} // namespace lumora
