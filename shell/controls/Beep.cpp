#include "shell/controls/Beep.h"

#include <QApplication>

namespace lumora {

namespace {
std::function<void()> &BeepHook() {
  static std::function<void()> hook;
  return hook;
}
} // namespace

void ControlBeep() {
  if (BeepHook())
    BeepHook()();
  else
    QApplication::beep();
}

void SetControlBeepHook(std::function<void()> hook) {
  BeepHook() = std::move(hook);
}

} // namespace lumora
