// Fuzzes the extraction of a book's embedded media table: the input is the
// book file (the table starts at offset 0), extracted directly (no worker
// thread) into a folder inside a sandbox. Bad tables must end the extraction
// quietly; a crash, a read out of bounds, or any file or folder appearing
// in the sandbox outside the media folder is a finding.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "core/system/TempFiles.h"

using namespace lumora;

namespace {

// sandbox/book is the input; sandbox/a/b/media the folder, so that a name
// climbing one or two levels lands inside the sandbox where it is seen.
struct TSandbox {
  QString root, book, data, media;
  TSandbox() {
    root =
        QDir::tempPath() + QStringLiteral("/fuzz_media_table_") + QString::number(qint64(getpid()));
    QDir(root).removeRecursively();
    book = root + QStringLiteral("/book");
    data = root + QStringLiteral("/a/b");
    media = data + QStringLiteral("/media");
    if (!QDir().mkpath(media)) std::abort();
  }
  ~TSandbox() { QDir(root).removeRecursively(); }
};

TSandbox &Sandbox() {
  static TSandbox sandbox;
  return sandbox;
}

// Everything below dir, as paths.
void ListTree(const QString &dir, QStringList &out) {
  const QFileInfoList entries = QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                        QDir::System | QDir::NoDotAndDotDot);
  for (const QFileInfo &e : entries) {
    out << e.filePath();
    if (e.isDir() && !e.isSymLink()) ListTree(e.filePath(), out);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  TSandbox &box = Sandbox();
  {
    QFile f(box.book);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    f.write(reinterpret_cast<const char *>(data), qint64(size));
  }
  {
    TTempFileList list(box.data, QStringLiteral("media"), QString());
    if (list.TempPath() != box.media + u'/') std::abort();
    TCopyThread::Extract(&list, list.TempPath(), box.book, 0, -1);
    // Every listed name is a file in the folder.
    for (const TTempFile &file : list.FileList())
      if (!IsBareFileName(file.Name) || !QFileInfo(list.TempPath() + file.Name).isFile())
        std::abort();
  }
  QStringList tree;
  ListTree(box.root, tree);
  const QStringList allowed = {box.book, box.root + QStringLiteral("/a"), box.data, box.media};
  for (const QString &path : tree) {
    if (allowed.contains(path)) continue;
    const QFileInfo info(path);
    if (info.path() == box.media && (info.isFile() || info.isSymLink())) {
      QFile::remove(path);
      continue;
    }
    std::fprintf(stderr, "written outside the media folder: %s\n", qPrintable(path));
    std::abort();
  }
  return 0;
}
