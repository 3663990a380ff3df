#include "core/system/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace lumora {

QString ChangeToIniExt(const QString &aProgramFile) {
  const qsizetype slash = aProgramFile.lastIndexOf(QLatin1Char('/'));
  const qsizetype dot = aProgramFile.lastIndexOf(QLatin1Char('.'));
  // A dot that begins the file name (".lumora") is not an extension.
  const bool hasExt = dot > slash + 1;
  return (hasExt ? aProgramFile.left(dot) : aProgramFile) + QStringLiteral(".ini");
}

TProgramPaths ResolveProgramPaths(const QString &aProgramFile, const QString &aConfigFolder) {
  TProgramPaths paths;
  const QFileInfo program(aProgramFile);
  paths.ProgramFile = program.absoluteFilePath();
  paths.ProgramFolder = program.absolutePath();
  if (!paths.ProgramFolder.endsWith(QLatin1Char('/'))) paths.ProgramFolder += QLatin1Char('/');
  const QString beside = ChangeToIniExt(paths.ProgramFile);
  const QFileInfo besideInfo(beside);
  if (besideInfo.isFile() && besideInfo.isWritable())
    paths.SettingsFile = beside;
  else
    paths.SettingsFile = QDir(aConfigFolder).filePath(besideInfo.fileName());
  return paths;
}

TProgramPaths CurrentProgramPaths() {
  QString program =
      QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
  if (program.isEmpty()) program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
  const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  TProgramPaths paths = ResolveProgramPaths(program, config);
  // The settings can only be saved into a folder that exists.
  if (paths.SettingsFile != ChangeToIniExt(paths.ProgramFile)) QDir().mkpath(config);
  return paths;
}

bool EnterProgramFolder(const TProgramPaths &aPaths) {
  return !aPaths.ProgramFolder.isEmpty() && QDir::setCurrent(aPaths.ProgramFolder);
}

} // namespace lumora
