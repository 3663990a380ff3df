#pragma once
// The program's one system state and the program paths, a store of the
// program's context (TCoreContext), which must have started. The start of
// the context (StartCore) makes it with StartSystemState() for the running
// program; tests call TSysContext::Start with paths of their own, or start
// without it.
#include <QString>
#include <memory>

#include "core/system/ProgramPaths.h"
#include "core/system/SysInfo.h"

namespace lumora {

class TIniFile;

class TSysContext {
public:
  // The data folder a fresh system state starts with, below the shared
  // documents folder, until the settings name another.
  static const QString &DefaultDataFolder();

  // Makes a fresh system state (an existing one is freed first) with the
  // default data folder, and keeps the paths; raises lumora::Exception when
  // the program's context has not started.
  static void Start(const TProgramPaths &aPaths);
  // Frees the system state and the paths (the context itself stays).
  static void Reset();
  static bool Started();
  // The context; raises lumora::Exception when Start() has not run.
  static TSysContext &Get();

  TSysInfo &Info() { return *info_; }
  const TProgramPaths &Paths() const { return paths_; }
  // Set once the missing shared data folder was reported, so that it is
  // reported once per run.
  bool SharedFolderReported = false;

  TSysContext() = default;
  TSysContext(const TSysContext &) = delete;
  TSysContext &operator=(const TSysContext &) = delete;

private:
  std::unique_ptr<TSysInfo> info_;
  TProgramPaths paths_;
};

// The program-wide system state.
inline TSysInfo &SysInfo() {
  return TSysContext::Get().Info();
}
// The settings file.
inline const QString &IniFileName() {
  return TSysContext::Get().Paths().SettingsFile;
}
// The program's folder, with a trailing '/'.
inline const QString &ProgramFolder() {
  return TSysContext::Get().Paths().ProgramFolder;
}

// The zoom of the page shown: 1 before the system state has started or
// while no positive zoom is set.
double SystemZoom();

// Takes what the program reads from the settings file once at start-up:
// the face of the digit and symbol font ([フォント] 数字・記号).
void LoadStartupSettings(const TIniFile &aIni);

// The start-up of the system state for the running program: the paths of
// the program and its settings file, the program folder as the current
// folder, leftovers of an interrupted save of the settings removed, and
// the start-up settings read.
void StartSystemState();

} // namespace lumora
