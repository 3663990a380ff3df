#pragma once
// The warning sound of the edit controls, replaceable so that tests can
// count it.
#include <functional>

namespace lumora {

// Sounds the warning (QApplication::beep unless a hook is set).
void ControlBeep();
// Replaces the warning sound; an empty function restores the default.
void SetControlBeepHook(std::function<void()> hook);

} // namespace lumora
