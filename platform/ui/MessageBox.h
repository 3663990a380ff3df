#pragma once
// The one way model and platform code asks the user something: a message box
// behind a small interface. The program installs a window-system
// implementation at start-up; until then (and in tests) the default one
// writes each message to stderr, keeps it, and answers the default button.
#include <QString>
#include <QStringList>
#include <memory>

namespace lumora {

enum class TMsgButtons { mbOK, mbOKCancel, mbYesNo, mbYesNoCancel, mbYesCancel };
enum class TMsgResult { mrOk, mrCancel, mrYes, mrNo };

class IMessageBox {
public:
  virtual ~IMessageBox() = default;
  // Shows text under caption with the buttons and answers the one chosen.
  virtual TMsgResult Show(const QString &text, const QString &caption,
                          TMsgButtons buttons = TMsgButtons::mbOK) = 0;
};

// The answer of the first button of a set (what Enter chooses).
TMsgResult DefaultButton(TMsgButtons buttons);

// Prints every message to stderr, keeps its text and answers the default
// button, for a program without windows.
class TStderrMessageBox : public IMessageBox {
public:
  TMsgResult Show(const QString &text, const QString &caption, TMsgButtons buttons) override;
  // The texts shown so far, oldest first.
  const QStringList &Shown() const { return shown_; }

private:
  QStringList shown_;
};

// The program-wide message box (a TStderrMessageBox until one is installed).
IMessageBox &MessageBox();
// Installs box as the program-wide message box; nullptr puts back a fresh
// default one.
void SetMessageBox(std::unique_ptr<IMessageBox> box);

} // namespace lumora
