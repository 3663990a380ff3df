#include "platform/system/SafeSave.h"

#include "platform/system/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

// Whether path still names the file described by file (not removed, nor
// replaced by another file).
bool NamesFile(const QByteArray &path, const struct stat &file) {
  struct stat named {};
  return ::lstat(path.constData(), &named) == 0 && named.st_dev == file.st_dev &&
         named.st_ino == file.st_ino;
}

int FlockRetrying(int fd, int operation) {
  int result;
  do
    result = ::flock(fd, operation);
  while (result != 0 && errno == EINTR);
  return result;
}

struct TemporaryFile {
  QByteArray path;
  int fd;
};

// Creates the temporary file of a save and takes the exclusive lock that
// tells RemoveStraySaveFiles the save is running. A sweep may remove the file
// between its creation and the lock; the file is then made again under a new
// name.
TemporaryFile CreateLockedTemporary(const QString &fileName, const QByteArray &templBase) {
  constexpr int kAttempts = 8;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    TemporaryFile temp{templBase, -1};
    temp.fd = ::mkostemp(temp.path.data(), O_CLOEXEC);
    if (temp.fd < 0)
      throw EFOpenError(QStringLiteral("ファイルを作れません (%1): %2").arg(fileName, ErrnoText()));
    if (FlockRetrying(temp.fd, LOCK_EX) != 0) {
      const QString error = ErrnoText();
      ::unlink(temp.path.constData());
      ::close(temp.fd);
      throw EFOpenError(QStringLiteral("ファイルを作れません (%1): %2").arg(fileName, error));
    }
    struct stat opened {};
    if (::fstat(temp.fd, &opened) == 0 && NamesFile(temp.path, opened)) return temp;
    // The name no longer is ours; whatever it names now is left alone.
    ::close(temp.fd);
  }
  throw EFOpenError(
      QStringLiteral("ファイルを作れません (%1): 一時ファイルが消されました").arg(fileName));
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
  const QByteArray targetPath = QFile::encodeName(target.absoluteFilePath());
  const QByteArray templBase =
      QFile::encodeName(folder + QLatin1Char('/') + target.fileName() + kSaveMarker + "XXXXXX");
  TemporaryFile temp = CreateLockedTemporary(fileName, templBase);
  auto cleanUp = [&] {
    // Removed while still locked, so that the name cannot meanwhile have
    // been swept and taken by another save.
    ::unlink(temp.path.constData());
    ::close(temp.fd);
  };
  try {
    // mkstemp makes the file private; a replaced file keeps its own mode and a
    // new one gets the usual mode under the umask.
    struct stat old {};
    mode_t mode;
    if (::stat(targetPath.constData(), &old) == 0) {
      mode = old.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    if (::fchmod(temp.fd, mode) != 0) Fail(fileName, ErrnoText());
    if (!WriteAll(temp.fd, bytes.constData(), bytes.size())) Fail(fileName, ErrnoText());
    if (::fsync(temp.fd) != 0) Fail(fileName, ErrnoText());
    if (::rename(temp.path.constData(), targetPath.constData()) != 0) Fail(fileName, ErrnoText());
  } catch (...) {
    cleanUp();
    throw;
  }
  // The lock is held until the rename is done. The bytes are on disk (fsync
  // succeeded) and the file is in place, so a failing close no longer
  // matters.
  ::close(temp.fd);
  SyncFolder(folder);
}

int RemoveStraySaveFiles(const QString &fileName) {
  const QFileInfo target(fileName);
  const QByteArray folder = QFile::encodeName(target.absolutePath());
  const QByteArray prefix = QFile::encodeName(target.fileName() + kSaveMarker);
  int removed = 0;
  // The folder's names are read as stored, without a text or a status
  // call for each: this runs when a book opens, and its folder may hold
  // many files.
  DIR *dir = ::opendir(folder.constData());
  if (!dir) return 0;
  while (const dirent *entry = ::readdir(dir)) {
    // mkstemp replaces exactly six characters.
    const size_t length = std::strlen(entry->d_name);
    if (length != size_t(prefix.size()) + 6 ||
        std::memcmp(entry->d_name, prefix.constData(), size_t(prefix.size())) != 0)
      continue;
    const QByteArray path = folder + '/' + entry->d_name;
    // Only regular files are opened: opening a FIFO would wait for a writer
    // and opening a device may act on it. O_NONBLOCK covers a name replaced
    // by a FIFO after the check.
    struct stat named {};
    if (::lstat(path.constData(), &named) != 0 || !S_ISREG(named.st_mode)) continue;
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat opened {};
    // A save that is still running holds the lock on its temporary file.
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && NamesFile(path, opened) &&
        ::unlink(path.constData()) == 0)
      ++removed;
    ::close(fd); // releases the lock
  }
  ::closedir(dir);
  return removed;
}

} // namespace lumora
