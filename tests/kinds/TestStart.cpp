#include "tests/kinds/TestStart.h"

#include "core/book/LmCompo.h"
#include "core/model/MakeInfo.h"
#include "core/system/SysContext.h"

namespace lumora::test {

TCoreStartup CoreStartup(const TTestStartup &aStartup) {
  TCoreStartup startup;
  startup.RegisterClasses = aStartup.RegisterClasses;
  if (aStartup.SystemState || !aStartup.ProgramFolder.isEmpty()) {
    startup.StartSystem = [folder = aStartup.ProgramFolder] {
      TProgramPaths paths;
      if (!folder.isEmpty()) paths.ProgramFolder = folder + u'/';
      TSysContext::Start(paths);
    };
  }
  return startup;
}

void StartTestCore(const TTestStartup &aStartup) {
  StartCore(CoreStartup(aStartup));
  if (aStartup.NoSleep) TMakeInfo2::Get().NameParent().SetSleeper([](int) {});
  if (aStartup.Silent) SetMessageBox(std::make_unique<TSilentBox>());
  if (aStartup.VersionsYes) SetVersionQuestion([](const QString &) { return true; });
}

} // namespace lumora::test
