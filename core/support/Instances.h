#pragma once
// Whether another copy of the program runs, from the names of the running
// processes. The copies are this program itself and the sibling program
// "LumoraShow.exe"; counting this process, more than one means another copy.
#include <QString>
#include <QStringList>

namespace lumora {

class IProcessList;

// The executable file name of the sibling program that counts as a copy.
inline const QString kSiblingProgramName = QStringLiteral("LumoraShow.exe");

// The file name of this program's executable.
QString OwnProgramName();
// Whether exeNames holds more than one name equal to ownName or to the
// sibling program's name.
bool OtherCopyRunning(const QStringList &exeNames, const QString &ownName);
// The same over a process list with this program's own name.
bool OtherCopyRunning(const IProcessList &processes);
// The same over the program-wide process list.
bool OtherCopyRunning();

} // namespace lumora
