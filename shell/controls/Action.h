#pragma once
// An action of the command module: a named command with the caption, hint,
// checked and enabled state that the controls bound to it show. Controls
// follow it through the Changed signal; Execute runs OnExecute.
#include <QObject>
#include <QString>
#include <functional>

namespace lumora {

class TAction : public QObject {
  Q_OBJECT
public:
  explicit TAction(QObject *owner = nullptr);
  TAction(const QString &name, QObject *owner = nullptr);

  QString Name() const { return objectName(); }
  void SetName(const QString &name) { setObjectName(name); }
  QString Caption() const { return FCaption; }
  void SetCaption(const QString &value);
  QString Hint() const { return FHint; }
  void SetHint(const QString &value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);

  // Runs OnExecute when the action is enabled and has a handler; answers
  // whether it ran.
  bool Execute();

  std::function<void(TAction *sender)> OnExecute;

signals:
  // Any of Caption, Hint, Checked, Enabled changed.
  void Changed(lumora::TAction *sender);

private:
  QString FCaption;
  QString FHint;
  bool FChecked = false;
  bool FEnabled = true;
};

} // namespace lumora
