#include "platform/system/ProcessList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lumora {

namespace {
std::unique_ptr<IProcessList> &Instance() {
  static std::unique_ptr<IProcessList> instance;
  return instance;
}

bool IsPid(const QString &name) {
  if (name.isEmpty()) return false;
  for (QChar c : name)
    if (!c.isDigit()) return false;
  return true;
}
} // namespace

TProcProcessList::TProcProcessList(QString procRoot) : procRoot_(std::move(procRoot)) {}

QStringList TProcProcessList::ExeNames() const {
  QStringList names;
  const QStringList entries = QDir(procRoot_).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString &entry : entries) {
    if (!IsPid(entry)) continue;
    const QString dir = procRoot_ + QLatin1Char('/') + entry;
    QString target = QFileInfo(dir + QStringLiteral("/exe")).symLinkTarget();
    // The kernel marks a replaced or removed program file in the link.
    static const QString kDeleted = QStringLiteral(" (deleted)");
    if (target.endsWith(kDeleted)) target.chop(kDeleted.size());
    QString name = QFileInfo(target).fileName();
    if (name.isEmpty()) {
      QFile comm(dir + QStringLiteral("/comm"));
      if (comm.open(QIODevice::ReadOnly)) name = QString::fromUtf8(comm.readAll()).trimmed();
    }
    // A process that ended while the folder was read leaves no name.
    if (!name.isEmpty()) names.append(name);
  }
  return names;
}

const IProcessList &ProcessList() {
  auto &instance = Instance();
  if (!instance) instance = std::make_unique<TProcProcessList>();
  return *instance;
}

void SetProcessList(std::unique_ptr<IProcessList> list) {
  Instance() = std::move(list);
}

} // namespace lumora
