#pragma once
// Replacing a file so that a failed save never destroys the old one: the
// bytes go to a temporary file beside the target, every write, the flush and
// the fsync are checked, the temporary file is renamed over the target and
// the folder is synced. On any failure the temporary file is removed, the
// target is left as it was and EWriteError (or EFOpenError) is raised.
#include <QByteArray>
#include <QString>

namespace lumora {

void SaveFileSafely(const QString &fileName, const QByteArray &bytes);

// Removes the temporary files that an interrupted save of fileName left
// beside it. Answers how many were removed.
int RemoveStraySaveFiles(const QString &fileName);

} // namespace lumora
