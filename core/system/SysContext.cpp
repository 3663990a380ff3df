#include "core/system/SysContext.h"

#include "core/fonts/MetaFont.h"
#include "core/model/CoreContext.h"
#include "platform/system/Exception.h"
#include "platform/system/IniFile.h"
#include "platform/system/SafeSave.h"

namespace lumora {

namespace {
std::unique_ptr<TSysContext> &Instance() {
  static std::unique_ptr<TSysContext> instance;
  return instance;
}
} // namespace

const QString &TSysContext::DefaultDataFolder() {
  static const QString folder = QStringLiteral("/Lumora算数");
  return folder;
}

void TSysContext::Start(const TProgramPaths &aPaths) {
  Reset();
  std::unique_ptr<TSysContext> context(new TSysContext());
  context->info_ = std::make_unique<TSysInfo>();
  context->info_->SetLumoraHolder(DefaultDataFolder());
  context->paths_ = aPaths;
  Instance() = std::move(context);
  if (TCoreContext::Started())
    TCoreContext::Get().ScreenCanvas = [] { return Started() ? SysInfo().Canvas() : nullptr; };
}

void TSysContext::Reset() {
  Instance().reset();
}

bool TSysContext::Started() {
  return Instance() != nullptr;
}

TSysContext &TSysContext::Get() {
  auto &instance = Instance();
  if (!instance) throw Exception(QStringLiteral("The system state has not been started"));
  return *instance;
}

void LoadStartupSettings(const TIniFile &aIni) {
  SetMathFontName(aIni.ReadString(QStringLiteral("フォント"), QStringLiteral("数字・記号"),
                                  QStringLiteral("ms lumora2.0")));
}

void StartSystemState() {
  TSysContext::Start(CurrentProgramPaths());
  EnterProgramFolder(TSysContext::Get().Paths());
  RemoveStraySaveFiles(IniFileName());
  LoadStartupSettings(TIniFile(IniFileName()));
}

} // namespace lumora
