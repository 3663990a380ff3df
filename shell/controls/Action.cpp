#include "shell/controls/Action.h"

namespace lumora {

TAction::TAction(QObject *owner) : QObject(owner) {}

TAction::TAction(const QString &name, QObject *owner) : QObject(owner) {
  setObjectName(name);
}

void TAction::SetCaption(const QString &value) {
  if (FCaption == value) return;
  FCaption = value;
  emit Changed(this);
}

void TAction::SetHint(const QString &value) {
  if (FHint == value) return;
  FHint = value;
  emit Changed(this);
}

void TAction::SetChecked(bool value) {
  if (FChecked == value) return;
  FChecked = value;
  emit Changed(this);
}

void TAction::SetEnabled(bool value) {
  if (FEnabled == value) return;
  FEnabled = value;
  emit Changed(this);
}

bool TAction::Execute() {
  if (!FEnabled || !OnExecute) return false;
  OnExecute(this);
  return true;
}

} // namespace lumora
