#include "platform/system/SafeSave.h"

#include "platform/system/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumora {

namespace {

// Temporary files are named "<target name>.lumora-save-XXXXXX" so that
// RemoveStraySaveFiles can find them without touching anything else.
const QString kSaveMarker = QStringLiteral(".lumora-save-");

QString ErrnoText() {
  return QString::fromLocal8Bit(std::strerror(errno));
}

[[noreturn]] void Fail(const QString &fileName, const QString &what) {
  throw EWriteError(QStringLiteral("ファイルへ書けません (%1): %2").arg(fileName, what));
}

bool WriteAll(int fd, const char *data, qsizetype size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size_t(size));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= n;
  }
  return true;
}

void SyncFolder(const QString &folder) {
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return; // the rename has happened; a folder we cannot open is not a failed save
  ::fsync(fd);
  ::close(fd);
}

} // namespace

void SaveFileSafely(const QString &fileName, const QByteArray &bytes) {
  const QFileInfo target(fileName);
  const QString folder = target.absolutePath();
  QByteArray templ =
      QFile::encodeName(folder + QLatin1Char('/') + target.fileName() + kSaveMarker + "XXXXXX");
  const int fd = ::mkstemp(templ.data());
  if (fd < 0)
    throw EFOpenError(QStringLiteral("ファイルを作れません (%1): %2").arg(fileName, ErrnoText()));
  bool closed = false;
  auto cleanUp = [&] {
    if (!closed) ::close(fd);
    ::unlink(templ.constData());
  };
  try {
    // mkstemp makes the file private; a replaced file keeps its own mode and a
    // new one gets the usual mode under the umask.
    struct stat old {};
    mode_t mode;
    if (::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &old) == 0) {
      mode = old.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) Fail(fileName, ErrnoText());
    if (!WriteAll(fd, bytes.constData(), bytes.size())) Fail(fileName, ErrnoText());
    if (::fsync(fd) != 0) Fail(fileName, ErrnoText());
    closed = true;
    if (::close(fd) != 0) Fail(fileName, ErrnoText());
    if (::rename(templ.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
      Fail(fileName, ErrnoText());
  } catch (...) {
    cleanUp();
    throw;
  }
  SyncFolder(folder);
}

int RemoveStraySaveFiles(const QString &fileName) {
  const QFileInfo target(fileName);
  QDir folder(target.absolutePath());
  const QString prefix = target.fileName() + kSaveMarker;
  int removed = 0;
  const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString &name : names) {
    // mkstemp replaces exactly six characters.
    if (name.size() == prefix.size() + 6 && name.startsWith(prefix) && folder.remove(name))
      ++removed;
  }
  return removed;
}

} // namespace lumora
