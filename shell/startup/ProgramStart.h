#pragma once
// The start of the program's context for the shell: the core's stores in
// their order (StartCore), then the shell's own. TCoreContext::Reset()
// tears everything down in the reverse order.
#include <functional>

#include "core/book/CoreStart.h"

namespace lumora {

// StartCore(aStartup), then the shell's stores:
//  10. the start-up picture slot;
//  11. the author undo stack, installed as the author undo hook.
void StartShell(const TCoreStartup &aStartup);

// Registers the classes of the running program in their fixed order: the
// core's, the book's, the author book's.
void RegisterProgramClasses(TObjClassList &aList);

// The start of the running program: every class (the core's, the book's,
// the author book's), the system state of the running program (program
// paths, the program folder as the current folder, the start-up settings)
// and the temporary media folder under the data folder; then the shell's
// stores. aMoreClasses, when given, registers further classes after the
// program's (a benchmark's page objects).
void StartProgram(const std::function<void(TObjClassList &)> &aMoreClasses = {});

} // namespace lumora
