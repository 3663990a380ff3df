#include "core/system/SysContext.h"

#include "core/fonts/MetaFont.h"
#include "core/model/CoreContext.h"
#include "platform/system/Exception.h"
#include "platform/system/IniFile.h"
#include "platform/system/SafeSave.h"

namespace lumora {

const QString &TSysContext::DefaultDataFolder() {
  static const QString folder = QStringLiteral("/Lumora算数");
  return folder;
}

void TSysContext::Start(const TProgramPaths &aPaths) {
  TCoreContext &core = TCoreContext::Get();
  core.Free<TSysContext>();
  auto context = std::make_unique<TSysContext>();
  context->info_ = std::make_unique<TSysInfo>();
  context->info_->SetLumoraHolder(DefaultDataFolder());
  context->paths_ = aPaths;
  core.Put(std::move(context));
  core.ScreenCanvas = [] { return Started() ? SysInfo().Canvas() : nullptr; };
}

void TSysContext::Reset() {
  if (TCoreContext::Started()) TCoreContext::Get().Free<TSysContext>();
}

bool TSysContext::Started() {
  return TCoreContext::Optional<TSysContext>() != nullptr;
}

TSysContext &TSysContext::Get() {
  TSysContext *context = TCoreContext::Optional<TSysContext>();
  if (!context) throw Exception(QStringLiteral("The system state has not been started"));
  return *context;
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

double SystemZoom() {
  if (!TSysContext::Started()) return 1.0;
  const long double zoom = SysInfo().Zoom();
  return zoom > 0 ? double(zoom) : 1.0;
}

} // namespace lumora
