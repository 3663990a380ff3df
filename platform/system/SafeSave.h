#pragma once
// Replacing a file so that a failed save never destroys the old one: the
// bytes go to a temporary file beside the target, every write, the flush and
// the fsync are checked, the temporary file is renamed over the target and
// the folder is synced. On any failure the temporary file is removed, the
// target is left as it was and EWriteError (or EFOpenError) is raised.
//
// While a save runs it holds an exclusive flock() on its temporary file, so
// that RemoveStraySaveFiles, called by this or another copy of the program,
// never removes the file of a save that is still running.
#include <QByteArray>
#include <QString>

namespace lumora {

void SaveFileSafely(const QString &fileName, const QByteArray &bytes);

// Removes the temporary files that an interrupted save of fileName left
// beside it: regular files named "<name>.lumora-save-" plus six characters
// that no running save holds locked. Answers how many were removed.
int RemoveStraySaveFiles(const QString &fileName);

} // namespace lumora
