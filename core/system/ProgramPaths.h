#pragma once
// Where the program and its settings file are. The settings file is named
// after the program file with the extension ".ini" (/opt/lumora/lumora gives
// lumora.ini). It is used beside the program when it exists there and may
// be written; otherwise it is the file of that name in the user's
// configuration folder.
#include <QString>

namespace lumora {

struct TProgramPaths {
  QString ProgramFile;   // absolute
  QString ProgramFolder; // with a trailing '/'
  QString SettingsFile;
};

// The program file's path with its extension replaced by ".ini".
QString ChangeToIniExt(const QString &aProgramFile);
// The paths for a program file, with aConfigFolder as the place of the
// settings file when the one beside the program cannot be used.
TProgramPaths ResolveProgramPaths(const QString &aProgramFile, const QString &aConfigFolder);
// The paths of the running program; the configuration folder is the
// application's one under the XDG configuration home, made when it is
// chosen and missing.
TProgramPaths CurrentProgramPaths();
// Makes the program folder the current folder, as start-up does so that
// the program's own relative files are found. Answers whether it could.
bool EnterProgramFolder(const TProgramPaths &aPaths);

} // namespace lumora
