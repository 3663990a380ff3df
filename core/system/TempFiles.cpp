#include "core/system/TempFiles.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <filesystem>
#include <limits>

#include "core/model/CoreContext.h"
#include "core/stream/MetaStream.h"
#include "core/support/Instances.h"
#include "core/system/SysContext.h"
#include "core/system/Utilities.h"
#include "platform/system/Exception.h"
#include "platform/system/IniFile.h"
#include "platform/system/LittleEndian.h"
#include "platform/system/Stream.h"
#include "platform/system/Synchronize.h"

namespace lumora {

namespace {

constexpr int32_t kMaxNameBytes = 100000;
constexpr int64_t kChunk = 64 * 1024;

int32_t ReadInt32(TStream &stream) {
  uint8_t d[4];
  stream.ReadBuffer(d, 4);
  return le::Get<int32_t>(d);
}

void WriteInt32(TStream &stream, int32_t value) {
  uint8_t d[4];
  le::Put<int32_t>(d, value);
  stream.WriteBuffer(d, 4);
}

// Copies count bytes from the stream's position into a new file; raises on
// any failure, removing what was written.
void WriteNewFile(const QString &path, TStream &source, int64_t count) {
  QFile out(path);
  // NewOnly creates the file exclusively: it never opens an existing file or
  // follows a link planted under the name.
  if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
    throw EFOpenError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, out.errorString()));
  try {
    QByteArray chunk;
    for (int64_t left = count; left > 0;) {
      const int64_t n = std::min(left, kChunk);
      chunk.resize(n);
      source.ReadBuffer(chunk.data(), n);
      if (out.write(chunk) != n) throw EWriteError(QStringLiteral("Stream write error"));
      left -= n;
    }
    if (!out.flush()) throw EWriteError(QStringLiteral("Stream write error"));
    out.close();
    if (out.error() != QFileDevice::NoError)
      throw EWriteError(QStringLiteral("Stream write error"));
  } catch (...) {
    out.close();
    QFile::remove(path);
    throw;
  }
}

// The folder without trailing separators ("/" stays).
QString WithoutTrailingSlash(QString path) {
  while (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\')))
    path.chop(1);
  return path;
}

// Makes folder (with its parents) and answers it with a trailing '/', or ""
// when it cannot be made.
QString MadeFolder(const QString &folder) {
  if (folder.isEmpty() || !QDir().mkpath(folder) || !QFileInfo(folder).isDir()) return QString();
  return WithoutTrailingSlash(folder) + u'/';
}

// Whether a is b or a folder above b (both canonical, without trailing '/').
bool IsSameOrAbove(const QString &a, const QString &b) {
  if (a.isEmpty() || b.isEmpty()) return false;
  if (a == b || a == QStringLiteral("/")) return true;
  return b.startsWith(a + u'/');
}

QString Canonical(const QString &path) {
  return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

} // namespace

bool IsBareFileName(const QString &name) {
  const QString trimmed = TrimBlanks(name);
  if (trimmed.isEmpty() || trimmed == QStringLiteral(".") || trimmed == QStringLiteral(".."))
    return false;
  for (QChar c : name)
    if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 32) return false;
  return true;
}

// ---- TMediaTableReader ----

TMediaTableReader::TMediaTableReader(TStream &source, QString tempPath, TTempFileList *list)
    : source_(source), tempPath_(std::move(tempPath)), list_(list) {}

void TMediaTableReader::ReadName() {
  if (ended_) return;
  try {
    ReadSizedString(source_, kMaxNameBytes, name_);
  } catch (const Exception &) {
    name_.clear(); // fewer than 4 bytes left: a truncated entry
  }
  if (name_.isEmpty()) ended_ = true;
}

void TMediaTableReader::CopyEntry() {
  if (ended_) return;
  try {
    const int32_t size = ReadInt32(source_);
    if (size == 0) return;
    // A size that cannot be right leaves no way to find the next entry.
    if (!Readable(source_, size)) {
      ended_ = true;
      return;
    }
    const int64_t next = source_.Position() + size;
    const QString path = tempPath_ + name_;
    const QFileInfo info(path);
    if (tempPath_.isEmpty() || !IsBareFileName(name_) || info.exists() || info.isSymLink()) {
      source_.SetPosition(next);
      return;
    }
    try {
      WriteNewFile(path, source_, size);
    } catch (const Exception &) {
      // The file could not be written: go on with the next entry.
      source_.SetPosition(next);
      return;
    }
    // The source is the extracted file itself, so Add only registers it.
    if (list_) list_->Add(path);
  } catch (const Exception &) {
    ended_ = true; // the size itself is cut off
  }
}

int TMediaTableReader::Run(int count, const std::function<bool()> &stop,
                           const TStepRunner &inMain) {
  const TStepRunner run = inMain ? inMain : [](const std::function<void()> &fn) { fn(); };
  int n = 0;
  while (!ended_ && Readable(source_, 1) && (count <= 0 || n < count) && !(stop && stop())) {
    run([this] { ReadName(); });
    if (ended_) break;
    run([this] { CopyEntry(); });
    ++n;
  }
  return n;
}

// ---- TCopyThread ----

TCopyThread::TCopyThread(TTempFileList &owner, QString tempPath, QString fileName, int64_t pos,
                         int count, uint64_t generation)
    : owner_(owner), TempPath(std::move(tempPath)), DataFName(std::move(fileName)), Pos(pos),
      Count(count), FGeneration(generation) {}

void TCopyThread::Extract(TTempFileList *owner, const QString &tempPath, const QString &fileName,
                          int64_t pos, int count, const std::function<bool()> &stop,
                          const TMediaTableReader::TStepRunner &inMain) {
  // A missing or read-only folder disables extraction.
  const QFileInfo folder(tempPath);
  if (tempPath.isEmpty() || !folder.isDir() || !folder.isWritable()) return;
  if (pos < 0) return;
  std::unique_ptr<TFileStream> source;
  try {
    source = std::make_unique<TFileStream>(fileName, fmOpenRead);
    source->SetPosition(pos);
  } catch (const Exception &) {
    return;
  }
  TMediaTableReader reader(*source, tempPath, owner);
  try {
    reader.Run(count, stop, inMain);
  } catch (const Exception &) {
    // The steps handle bad data themselves; this is the stream failing.
  }
}

void TCopyThread::run() {
  Extract(
      &owner_, TempPath, DataFName, Pos, Count, [this] { return isInterruptionRequested(); },
      [](const std::function<void()> &fn) { Synchronize(fn); });
  // After this step the thread touches nothing the main thread owns.
  Synchronize([this] {
    FEnded.store(true, std::memory_order_release);
    owner_.WorkerEnded(FGeneration);
  });
}

// ---- TTempFileList ----

QString TTempFileList::TempFolderFor(const QString &dataFolder, const QString &tempSetting,
                                     const QString &programFolder) {
  if (tempSetting == QStringLiteral("NO")) return QString();
  // Only the last path part counts, whatever folder the value names.
  qsizetype p = tempSetting.size();
  while (p > 0 && tempSetting[p - 1] != u'/' && tempSetting[p - 1] != u'\\')
    --p;
  const QString last = tempSetting.mid(p);
  QString folder;
  // A part that names no folder of its own (empty, ".", "..") would make the
  // data folder or the one above it the temporary folder, which ClearTemp
  // empties.
  if (!dataFolder.isEmpty() && IsBareFileName(last))
    folder = MadeFolder(WithoutTrailingSlash(dataFolder) + u'/' + last);
  if (folder.isEmpty() && !programFolder.isEmpty())
    folder = MadeFolder(WithoutTrailingSlash(programFolder) + QStringLiteral("/LM_Temp"));
  return folder;
}

TTempFileList::TTempFileList(const QString &dataFolder, const QString &tempSetting,
                             const QString &programFolder)
    : FTempPath(TempFolderFor(dataFolder, tempSetting, programFolder)), FDataFolder(dataFolder),
      FProgramFolder(programFolder), FContext(std::make_unique<QObject>()) {}

TTempFileList::~TTempFileList() {
  if (SaveToTempThread) {
    SaveToTempThread->requestInterruption();
    ReapThread();
  }
  // End notices still queued go with FContext, before the rest of the list.
}

void TTempFileList::Construct(const QString &dataFolder) {
  const TIniFile ini(IniFileName());
  Construct(dataFolder,
            ini.ReadString(QStringLiteral("ホルダー"), QStringLiteral("Temp"),
                           QStringLiteral(".\\LM_Temp")),
            ProgramFolder());
}

void TTempFileList::Construct(const QString &dataFolder, const QString &tempSetting,
                              const QString &programFolder) {
  TCoreContext &context = TCoreContext::Get();
  context.Free<TTempFileList>();
  context.Put(std::make_unique<TTempFileList>(dataFolder, tempSetting, programFolder));
}

void TTempFileList::Free() {
  if (TCoreContext::Started()) TCoreContext::Get().Free<TTempFileList>();
}

bool TTempFileList::Constructed() {
  return TCoreContext::Optional<TTempFileList>() != nullptr;
}

TTempFileList &TTempFileList::Get() {
  TTempFileList *instance = TCoreContext::Optional<TTempFileList>();
  if (!instance) throw Exception(QStringLiteral("The temporary media folder has not been set up"));
  return *instance;
}

int TTempFileList::IndexOfName(const QString &name) const {
  for (size_t i = 0; i < Files.size(); ++i)
    if (Files[i].Name == name) return int(i);
  return -1;
}

void TTempFileList::Add(const QString &fileName) {
  const QString bare = BareFileName(fileName);
  if (!IsBareFileName(bare)) return;
  const int i = IndexOfName(bare);
  if (i >= 0) {
    ++Files[i].UseCount;
    return;
  }
  Files.push_back({bare, 1});
  CopyToTemp(fileName, bare);
}

void TTempFileList::CopyToTemp(const QString &fileName, const QString &bareName) {
  if (FTempPath.isEmpty()) return;
  QString source;
  if (QFileInfo(fileName).isFile())
    source = fileName;
  else if (!FProgramFolder.isEmpty() && QFileInfo(FProgramFolder + fileName).isFile())
    source = FProgramFolder + fileName;
  else
    return;
  const QString dest = FTempPath + bareName;
  // Copying a file onto itself (or onto a link to it) would empty it first.
  std::error_code ec;
  if (std::filesystem::equivalent(QFile::encodeName(source).toStdString(),
                                  QFile::encodeName(dest).toStdString(), ec))
    return;
  try {
    CopyFileByStream(dest, source);
  } catch (const Exception &) {
    // A media file that cannot be copied is simply not there to play.
  }
}

void TTempFileList::Erase(const QString &fileName) {
  if (OtherCopyRunning()) return;
  const int i = IndexOfName(BareFileName(fileName));
  if (i >= 0 && Files[i].UseCount > 0) --Files[i].UseCount;
}

void TTempFileList::LoadFromFile(const QString &bookFile, int64_t offset) {
  if (FTempPath.isEmpty()) return;
  if (!QCoreApplication::instance()) {
    TCopyThread::Extract(this, FTempPath, bookFile, offset, -1);
    return;
  }
  ReapThread();
  const uint64_t generation = ++FGeneration;
  SaveToTempThread =
      std::make_unique<TCopyThread>(*this, FTempPath, bookFile, offset, -1, generation);
  SaveToTempThread->start(QThread::LowPriority);
}

void TTempFileList::WorkerEnded(uint64_t generation) {
  QMetaObject::invokeMethod(
      FContext.get(), [this, generation] { ThreadDone(generation); }, Qt::QueuedConnection);
}

void TTempFileList::ThreadDone(uint64_t generation) {
  // The notice of a worker that a wait has already joined and freed (and
  // perhaps replaced by one at the same address) comes late: not this one's.
  if (!SaveToTempThread || SaveToTempThread->Generation() != generation) return;
  ReapThread();
}

void TTempFileList::ReapThread() {
  // Every step of the worker, its last one included, posts an event that
  // wakes this loop. The events handled here may free the worker
  // (ThreadDone) or even start another; whichever worker there is, it is
  // joined only after its last step.
  while (SaveToTempThread && !SaveToTempThread->Ended())
    WaitForMessages();
  if (!SaveToTempThread) return;
  SaveToTempThread->wait(); // returning from run(): it needs the main thread no more
  SaveToTempThread.reset();
}

void TTempFileList::WaitThread() {
  if (!SaveToTempThread) return;
  const bool cursor = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
  if (cursor) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  ReapThread();
  if (cursor) QGuiApplication::restoreOverrideCursor();
}

void TTempFileList::SaveToStream(TStream &stream) {
  if (FTempPath.isEmpty()) return;
  WaitThread();
  for (const TTempFile &file : Files) {
    if (file.UseCount <= 0) continue;
    const QString path = FTempPath + file.Name;
    if (!QFileInfo(path).isFile()) continue;
    const int64_t start = stream.Position();
    try {
      TFileStream source(path, fmOpenRead);
      const int64_t size = source.Size();
      if (size > std::numeric_limits<int32_t>::max()) continue;
      WriteSizedString(stream, file.Name);
      WriteInt32(stream, int32_t(size));
      for (int64_t left = size; left > 0;) {
        const int64_t n = std::min(left, kChunk);
        if (stream.CopyFrom(source, n) != n) throw EReadError(QStringLiteral("Stream read error"));
        left -= n;
      }
    } catch (const Exception &) {
      // Leave no part of the entry behind.
      stream.SetSize(start);
      stream.SetPosition(start);
    }
  }
}

bool TTempFileList::IsProtectedFolder(const QString &folder) const {
  // The forms a Windows-style setting could leave behind.
  if (folder.isEmpty() || folder == QStringLiteral("\\") || folder == QStringLiteral(":") ||
      folder == QStringLiteral("C:\\"))
    return true;
  const QString plain = WithoutTrailingSlash(folder);
  if (plain.size() <= 3 && plain.size() >= 2 && plain[1] == u':') return true; // a drive root
  const QString canon = Canonical(folder);
  if (canon.isEmpty() || canon == QStringLiteral("/")) return true;
  const QString guarded[] = {Canonical(QDir::homePath()), Canonical(DataRoot())};
  for (const QString &g : guarded)
    if (IsSameOrAbove(canon, g)) return true;
  const QString same[] = {Canonical(FDataFolder), Canonical(FProgramFolder)};
  for (const QString &s : same)
    if (!s.isEmpty() && canon == s) return true;
  return false;
}

void TTempFileList::ClearTemp() {
  WaitThread();
  if (IsProtectedFolder(FTempPath)) return;
  const QDir dir(FTempPath);
  const QStringList names =
      dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString &name : names)
    QFile::remove(dir.filePath(name)); // a link goes, not what it points to
  Files.clear();
}

void TTempFileList::ClearUseCount() {
  for (TTempFile &file : Files)
    file.UseCount = 0;
}

} // namespace lumora
