#include "core/support/Instances.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "platform/system/ProcessList.h"

namespace lumora {

QString OwnProgramName() {
  // The kernel's link names the running executable even before (or without)
  // an application object.
  QString target = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
  static const QString kDeleted = QStringLiteral(" (deleted)");
  if (target.endsWith(kDeleted)) target.chop(kDeleted.size());
  if (!target.isEmpty()) return QFileInfo(target).fileName();
  return QCoreApplication::instance()
             ? QFileInfo(QCoreApplication::applicationFilePath()).fileName()
             : QString();
}

bool OtherCopyRunning(const QStringList &exeNames, const QString &ownName) {
  int copies = 0;
  for (const QString &name : exeNames)
    if ((!ownName.isEmpty() && name == ownName) || name == kSiblingProgramName) ++copies;
  return copies > 1;
}

bool OtherCopyRunning(const IProcessList &processes) {
  return OtherCopyRunning(processes.ExeNames(), OwnProgramName());
}

bool OtherCopyRunning() {
  return OtherCopyRunning(ProcessList());
}

} // namespace lumora
