#pragma once
// The program's message box: a modal QMessageBox over the active window,
// installed as the program-wide message box at start-up.
#include <QApplication>
#include <QMessageBox>
#include <functional>

#include "platform/ui/MessageBox.h"

namespace lumora {

class TQtMessageBox : public IMessageBox {
public:
  // Runs before every box is made: start-up closes its picture here, which
  // would otherwise lie above the box (and could be the active window the
  // box is parented to).
  std::function<void()> BeforeShow;

  TMsgResult Show(const QString &text, const QString &caption, TMsgButtons buttons) override {
    if (BeforeShow) BeforeShow();
    QMessageBox::StandardButtons set;
    switch (buttons) {
    case TMsgButtons::mbOK:
      set = QMessageBox::Ok;
      break;
    case TMsgButtons::mbOKCancel:
      set = QMessageBox::Ok | QMessageBox::Cancel;
      break;
    case TMsgButtons::mbYesNo:
      set = QMessageBox::Yes | QMessageBox::No;
      break;
    case TMsgButtons::mbYesNoCancel:
      set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      break;
    case TMsgButtons::mbYesCancel:
      set = QMessageBox::Yes | QMessageBox::Cancel;
      break;
    }
    const QString title = caption.isEmpty() ? QApplication::applicationName() : caption;
    QMessageBox box(QMessageBox::NoIcon, title, text, set, QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Ok:
      return TMsgResult::mrOk;
    case QMessageBox::Yes:
      return TMsgResult::mrYes;
    case QMessageBox::No:
      return TMsgResult::mrNo;
    default:
      return TMsgResult::mrCancel; // Cancel, or the box closed
    }
  }
};

} // namespace lumora
