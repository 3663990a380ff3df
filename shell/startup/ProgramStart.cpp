#include "shell/startup/ProgramStart.h"

#include <memory>

#include "core/book/BookClasses.h"
#include "core/drawable/CoreClasses.h"
#include "core/model/CoreContext.h"
#include "core/system/SysContext.h"
#include "shell/books/AuthorBook.h"
#include "shell/startup/Opening.h"

namespace lumora {

void StartShell(const TCoreStartup &aStartup) {
  StartCore(aStartup);
  TCoreContext::Get().Put(std::make_unique<TOpeningSlot>());
}

void RegisterProgramClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  RegisterBookClasses(aList);
  RegisterAuthorBookClasses(aList);
}

void StartProgram() {
  TCoreStartup startup;
  startup.RegisterClasses = RegisterProgramClasses;
  startup.StartSystem = StartSystemState;
  startup.TempFolder = true;
  StartShell(startup);
}

} // namespace lumora
