#pragma once
// The start of the program's context (TCoreContext) with the stores of the
// core; TCoreContext::Reset() tears it down in the reverse order.
#include <functional>

namespace lumora {

class TObjClassList;

// What differs between the running program and a test or tool.
struct TCoreStartup {
  // Registers the page-object classes in their fixed order
  // (RegisterCoreClasses first). None when empty.
  std::function<void(TObjClassList &)> RegisterClasses;
  // Starts the system state: StartSystemState() for the running program,
  // TSysContext::Start with paths of their own for tests. None when empty.
  std::function<void()> StartSystem;
  // Makes the temporary media folder under the data folder, from the
  // settings file (the system state must be started).
  bool TempFolder = false;
};

// Makes a fresh context (an existing one is reset first) in this order:
//  1. the class registry and the making context;
//  2. the page-object classes (RegisterClasses);
//  3. the system state: program paths, settings read at start-up;
//  4. the temporary media folder;
//  5. the picture stores: the stamp store, then the still stores (with the
//     last clipboard picture);
//  6. the execution services;
//  7. the style line;
//  8. the action-block registry;
//  9. the current-book slot, with the registry installed, and the save
//     questions.
// The system state and the media folder keep their places when they are
// not made here, so a test that makes them later still has them freed in
// this order. A layer above the core (the shell) puts its own stores after
// these; later stores go after the ones they use.
void StartCore(const TCoreStartup &aStartup = {});

} // namespace lumora
