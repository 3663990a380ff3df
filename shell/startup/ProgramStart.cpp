#include "shell/startup/ProgramStart.h"

#include <memory>

#include "core/book/BookClasses.h"
#include "core/drawable/CoreClasses.h"
#include "core/model/CoreContext.h"
#include "core/system/SysContext.h"
#include "shell/books/AuthorBook.h"
#include "shell/startup/Opening.h"
#include "shell/undo/AbUndo.h"

namespace lumora {

void StartShell(const TCoreStartup &aStartup) {
  StartCore(aStartup);
  TCoreContext::Get().Put(std::make_unique<TOpeningSlot>());
  StartAbUndo();
}

void RegisterProgramClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  RegisterBookClasses(aList);
  RegisterAuthorBookClasses(aList);
}

void StartProgram(const std::function<void(TObjClassList &)> &aMoreClasses) {
  TCoreStartup startup;
  startup.RegisterClasses = [aMoreClasses](TObjClassList &aList) {
    RegisterProgramClasses(aList);
    if (aMoreClasses) aMoreClasses(aList);
  };
  startup.StartSystem = StartSystemState;
  startup.TempFolder = true;
  StartShell(startup);
}

} // namespace lumora
