#include "core/book/CoreStart.h"

#include "core/book/ActBlockList.h"
#include "core/book/LmCompo.h"
#include "core/book/MetaBook.h"
#include "core/drawable/ExecServices.h"
#include "core/geometry/StyleLine.h"
#include "core/model/CoreContext.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/system/SysContext.h"
#include "core/system/TempFiles.h"
#include "core/system/Utilities.h"

namespace lumora {

void StartCore(const TCoreStartup &aStartup) {
  TCoreContext::Start();
  TCoreContext &context = TCoreContext::Get();
  if (aStartup.RegisterClasses) aStartup.RegisterClasses(context.Classes());

  context.Reserve<TSysContext>();
  if (aStartup.StartSystem) aStartup.StartSystem();
  context.Reserve<TTempFileList>();
  if (aStartup.TempFolder) TTempFileList::Construct(GetDataFolder());

  context.Put(std::make_unique<TStampMaker>());
  context.Put(std::make_unique<TStillStores>());
  context.Put(std::make_unique<TExecServices>());
  context.Put(std::make_unique<TStyleLine>());
  TActBlockList &registry = context.Put(std::make_unique<TActBlockList>());
  context.Put(std::make_unique<TCurrentBook>()).ActBlocks = &registry;
  context.Put(std::make_unique<TSaveQuestions>());
}

} // namespace lumora
