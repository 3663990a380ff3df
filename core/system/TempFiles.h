#pragma once
// The temporary media folder. Sound and movie files used by a book are
// embedded whole in the book file (its last section, the media table); they
// are extracted into this folder when the book is opened, played from there
// and written back into the book when it is saved. TTempFileList keeps the
// folder and the files in use; TCopyThread extracts a book's media table in
// the background.
//
// The media table: one entry per file, no count and no terminator, up to
// the end of the file; each entry is, little-endian,
//   Int32 n, the name (n code page 932 bytes, a bare file name, no NUL),
//   Int32 s, the file (s bytes).
//
// Threads: the extraction's worker only watches the file position and its
// stop request; every read and every file it writes runs in the main thread
// (Synchronize), so the list is touched by the main thread alone. Whoever
// must not race an extraction waits for it with WaitThread: opening a media
// file, clearing the folder, loading another book and writing a book.
//
// A worker blocked in Synchronize waits for the main thread, so the main
// thread joins (QThread::wait) a worker only after the worker's last step,
// which runs in the main thread and marks it ended (TCopyThread::Ended);
// until then the main thread processes events. That step also posts the
// notice that frees the worker; the notice may be handled after the worker
// has been freed by a wait and another made in its place, so workers are
// told apart by a generation number that is never reused, not by address.
#include <QString>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QObject;

namespace lumora {

class TStream;
class TTempFileList;

// One media file in use.
struct TTempFile {
  QString Name;         // the bare file name
  int32_t UseCount = 0; // how many objects of the open book refer to it
};

// Whether a media-table name may become a file in the folder: not empty or
// blank, not "." or "..", without '/', '\', ':' (a drive) or control
// characters.
bool IsBareFileName(const QString &name);

// The steps of reading the media table from a stream into a folder, entry by
// entry. A bad entry ends the reading; nothing is ever written outside the
// folder.
class TMediaTableReader {
public:
  // Runs one step, in the main thread when called from a worker.
  using TStepRunner = std::function<void(const std::function<void()> &)>;

  // Files go to tempPath (with its trailing '/'); each extracted file is
  // registered with list (when given) by Add.
  TMediaTableReader(TStream &source, QString tempPath, TTempFileList *list);

  // Reads the next name (at most 100000 bytes). An empty name, or a count
  // that is not positive or runs past the end, ends the table.
  void ReadName();
  // Reads the size and the bytes of the entry named by ReadName:
  // - size 0: nothing more;
  // - a negative size, or one running past the end of the stream: the table
  //   ends (what follows cannot be found);
  // - a name that is not a bare file name, or a file that already exists in
  //   the folder: the bytes are skipped and nothing is registered;
  // - otherwise the file is created (never through an existing entry), the
  //   bytes copied into it and the name registered.
  void CopyEntry();
  // Reads entries while the position is before the end, fewer than count
  // (when positive) have been read and stop (when given) answers false.
  // Answers the number of entries read.
  int Run(int count = -1, const std::function<bool()> &stop = {}, const TStepRunner &inMain = {});

  bool Ended() const { return ended_; }
  const QString &Name() const { return name_; }

private:
  TStream &source_;
  QString tempPath_;
  TTempFileList *list_;
  QString name_;
  bool ended_ = false;
};

// Extracts a book's media table on a worker thread at lower priority. The
// steps run in the main thread; the thread ends at the end of the table, on
// a bad entry or when asked to stop (requestInterruption), with one more
// step in the main thread that marks it ended and tells its list.
class TCopyThread : public QThread {
public:
  TCopyThread(TTempFileList &owner, QString tempPath, QString fileName, int64_t pos, int count,
              uint64_t generation = 0);

  // Which extraction of its list this is; the list never reuses a number.
  uint64_t Generation() const { return FGeneration; }
  // True once the main thread has run the worker's last step: the thread
  // needs nothing more of the main thread, so joining it cannot deadlock.
  bool Ended() const { return FEnded.load(std::memory_order_acquire); }

  // Extracts in the calling thread with the steps run directly: what the
  // worker does, for a program without an event loop.
  static void Extract(TTempFileList *owner, const QString &tempPath, const QString &fileName,
                      int64_t pos, int count, const std::function<bool()> &stop = {},
                      const TMediaTableReader::TStepRunner &inMain = {});

protected:
  void run() override;

private:
  TTempFileList &owner_;
  QString TempPath;  // the folder to extract into
  QString DataFName; // the book file
  int64_t Pos;       // where the table starts
  int Count;         // the largest number of entries, -1 for no limit
  uint64_t FGeneration;
  std::atomic<bool> FEnded{false};
};

class TTempFileList {
public:
  // The folder for the [ホルダー] Temp value tempSetting: none for exactly
  // "NO"; otherwise the value's last path part ('\' and '/' both separate)
  // as a folder under dataFolder, created with its parents; when that cannot
  // be made (or the part is not a usable folder name), "LM_Temp" in
  // programFolder; when that fails too, none. Answers the folder with a
  // trailing '/', or "" for none.
  static QString TempFolderFor(const QString &dataFolder, const QString &tempSetting,
                               const QString &programFolder);

  TTempFileList(const QString &dataFolder, const QString &tempSetting,
                const QString &programFolder);
  // Stops a running extraction and waits for it (processing events).
  ~TTempFileList();
  TTempFileList(const TTempFileList &) = delete;
  TTempFileList &operator=(const TTempFileList &) = delete;

  // The program-wide list, a store of the program's context (which must
  // have started). Construct reads Temp from the [ホルダー] section of the
  // settings file (default ".\LM_Temp") and takes the program folder of the
  // system state (which must have started); the second form takes the value
  // and the program folder as given. An existing list is freed first.
  static void Construct(const QString &dataFolder);
  static void Construct(const QString &dataFolder, const QString &tempSetting,
                        const QString &programFolder);
  // Frees the program-wide list (before the application object goes).
  static void Free();
  static bool Constructed();
  // The program-wide list; raises Exception before Construct.
  static TTempFileList &Get();

  // Registers a media file (a path, or a bare name). A name already listed
  // gets one more use; a new one is listed with one use and copied into the
  // folder from fileName itself when that file exists, else from the
  // program folder + fileName (never onto itself). A name that is empty,
  // "." or ".." is not registered.
  void Add(const QString &fileName);
  // One use less for the file's bare name (never below 0), unless another
  // copy of the program runs; files and entries stay.
  void Erase(const QString &fileName);
  // Starts extracting the media table of the book file from offset (after
  // waiting for an earlier extraction). Without an application object the
  // extraction runs at once in this thread.
  void LoadFromFile(const QString &bookFile, int64_t offset);
  // Appends the media table for every listed file with a positive use count
  // (after waiting for an extraction). A file that is missing, unreadable or
  // too large for the table (2 GiB) is left out without a message and
  // without leaving part of an entry.
  void SaveToStream(TStream &stream);
  // Waits, with the wait cursor, for a running extraction, processing
  // events.
  void WaitThread();
  // Waits for an extraction, then deletes the files the folder holds (not
  // its subfolders) and empties the list. A folder that must never be
  // emptied (a root, the home or data root or one above them, the data
  // folder itself, the program folder) is left alone.
  void ClearTemp();
  void ClearUseCount();

  int Count() const { return int(Files.size()); }
  // The position of a bare name (compared exactly), -1 when not listed.
  int IndexOfName(const QString &name) const;
  const std::vector<TTempFile> &FileList() const { return Files; }
  // The folder with its trailing '/', or "" when there is none.
  const QString &TempPath() const { return FTempPath; }
  // True from the start of an extraction until its worker has ended.
  bool ThreadRunning() const { return SaveToTempThread && !SaveToTempThread->Ended(); }
  // Whether ClearTemp would refuse to empty the folder.
  bool IsProtectedFolder(const QString &folder) const;

private:
  friend class TCopyThread;

  void CopyToTemp(const QString &fileName, const QString &bareName);
  // Called by the worker's last step, in the main thread, once the worker
  // is marked ended: posts ThreadDone (the worker cannot be joined before
  // this step has returned to it).
  void WorkerEnded(uint64_t generation);
  // Frees the worker of that generation, in the main thread; the notice of
  // one already freed is ignored.
  void ThreadDone(uint64_t generation);
  // Waits, processing events, until the worker has made its last step, then
  // joins and frees it. Afterwards there is no worker.
  void ReapThread();

  std::vector<TTempFile> Files;
  std::unique_ptr<TCopyThread> SaveToTempThread;
  uint64_t FGeneration = 0; // the last extraction started
  QString FTempPath;
  QString FDataFolder;
  QString FProgramFolder;
  // Receives the workers' end notices; goes with the list, and with it the
  // notices not yet handled.
  std::unique_ptr<QObject> FContext;
};

} // namespace lumora
