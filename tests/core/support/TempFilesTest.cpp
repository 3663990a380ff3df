// The temporary media folder: where it is made, the list of media files with
// their use counts, the media table written into a book and extracted from
// it (on the worker thread and directly), and the bad tables that must
// neither crash nor write outside the folder.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

#include "core/book/CoreStart.h"
#include "core/model/CoreContext.h"
#include "core/stream/MetaStream.h"
#include "core/support/Instances.h"
#include "core/system/SysContext.h"
#include "core/system/TempFiles.h"
#include "core/system/Utilities.h"
#include "platform/system/LittleEndian.h"
#include "platform/system/ProcessList.h"
#include "platform/text/CodePage932.h"

namespace lumora {
namespace {

class TFakeProcesses : public IProcessList {
public:
  explicit TFakeProcesses(QStringList names) : names_(std::move(names)) {}
  QStringList ExeNames() const override { return names_; }

private:
  QStringList names_;
};

QByteArray ReadAll(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  ASSERT_EQ(f.write(bytes), bytes.size());
}

// One media-table entry as the book stores it.
QByteArray Entry(const QByteArray &name, const QByteArray &content) {
  QByteArray e;
  le::Append<int32_t>(e, int32_t(name.size()));
  e += name;
  le::Append<int32_t>(e, int32_t(content.size()));
  e += content;
  return e;
}

QByteArray Int32(int32_t v) {
  QByteArray e;
  le::Append<int32_t>(e, v);
  return e;
}

// A data folder and a program folder under a temporary root; no other copy
// of the program runs unless a test says so.
class TempFilesTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(root_.isValid());
    data_ = root_.filePath(QStringLiteral("data"));
    program_ = root_.filePath(QStringLiteral("prog")) + u'/';
    ASSERT_TRUE(QDir().mkpath(data_));
    ASSERT_TRUE(QDir().mkpath(program_));
    Processes({OwnProgramName()});
    StartCore();
  }
  void TearDown() override {
    TCoreContext::Reset();
    SetProcessList(nullptr);
  }

  void Processes(const QStringList &names) {
    SetProcessList(std::make_unique<TFakeProcesses>(names));
  }
  std::unique_ptr<TTempFileList> MakeList(const QString &setting = QStringLiteral(".\\LM_Temp")) {
    return std::make_unique<TTempFileList>(data_, setting, program_);
  }
  QString Book(const QByteArray &prefix, const QByteArray &table) {
    const QString path = root_.filePath(QStringLiteral("book.lmm3"));
    WriteAll(path, prefix + table);
    return path;
  }
  // Every file below the root, outside the folder given.
  QStringList FilesOutside(const QString &folder) const {
    QStringList found;
    QDir root(root_.path());
    const QStringList all = root.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &f : all)
      if (f != QStringLiteral("book.lmm3")) found << f;
    for (const QString &dir : {data_, program_}) {
      const QStringList entries = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
      for (const QString &f : entries)
        if (QDir(dir).filePath(f) != folder) found << dir + u'/' + f;
    }
    return found;
  }

  QTemporaryDir root_;
  QString data_, program_;
};

TEST_F(TempFilesTest, TheTempSettingNamesAFolderUnderTheDataFolder) {
  struct Case {
    const char *setting;
    const char *folder; // relative to the root; "" for none
  };
  const Case cases[] = {
      {".\\LM_Temp", "data/LM_Temp/"},
      {"NO", ""},
      {"no", "data/no/"},
      {"D:\\Work\\Media", "data/Media/"},
      {"/var/tmp/Clips", "data/Clips/"},
      // Parts that name no folder of their own fall back to the program's.
      {"", "prog/LM_Temp/"},
      {"Media\\", "prog/LM_Temp/"},
      {"..", "prog/LM_Temp/"},
      {"a/.", "prog/LM_Temp/"},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.setting);
    const QString expected = *k.folder ? root_.filePath(QString::fromUtf8(k.folder)) : QString();
    EXPECT_EQ(TTempFileList::TempFolderFor(data_, QString::fromUtf8(k.setting), program_),
              expected);
    EXPECT_TRUE(expected.isEmpty() || QFileInfo(expected).isDir());
  }
}

TEST_F(TempFilesTest, AFolderThatCannotBeMadeFallsBackToTheProgramFolderThenToNone) {
  const QString blocked = root_.filePath(QStringLiteral("file"));
  WriteAll(blocked, "x"); // a file where the folder would go
  EXPECT_EQ(TTempFileList::TempFolderFor(blocked, QStringLiteral("Media"), program_),
            program_ + QStringLiteral("LM_Temp/"));
  EXPECT_EQ(TTempFileList::TempFolderFor(blocked, QStringLiteral("Media"), blocked), QString());
}

TEST_F(TempFilesTest, ConstructReadsTheSettingsFile) {
  const QString ini = root_.filePath(QStringLiteral("lumora.ini"));
  TSysContext::Start({root_.filePath(QStringLiteral("prog/lumora")), program_, ini});
  WriteAll(ini, "[ホルダー]\nTemp=C:\\Lumora\\Clips\n");
  TTempFileList::Construct(data_);
  EXPECT_EQ(TTempFileList::Get().TempPath(), data_ + QStringLiteral("/Clips/"));
  WriteAll(ini, "[ホルダー]\nTemp=NO\n");
  TTempFileList::Construct(data_);
  EXPECT_EQ(TTempFileList::Get().TempPath(), QString());
  WriteAll(ini, "[データー]\n");
  TTempFileList::Construct(data_);
  EXPECT_EQ(TTempFileList::Get().TempPath(), data_ + QStringLiteral("/LM_Temp/"));
  TTempFileList::Free();
  TSysContext::Reset();
  EXPECT_FALSE(TTempFileList::Constructed());
}

TEST_F(TempFilesTest, AddCountsUsesAndCopiesOnce) {
  auto list = MakeList();
  list->Add(QStringLiteral("C:\\Sounds\\bell.wav"));
  list->Add(QStringLiteral("C:\\Sounds\\bell.wav"));
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->FileList()[0].Name, QStringLiteral("bell.wav"));
  EXPECT_EQ(list->FileList()[0].UseCount, 2);

  // An existing file is copied in; a bare name is looked for in the program
  // folder.
  const QString source = root_.filePath(QStringLiteral("drum.wav"));
  WriteAll(source, "drum");
  WriteAll(program_ + QStringLiteral("gong.wav"), "gong");
  list->Add(source);
  list->Add(QStringLiteral("gong.wav"));
  EXPECT_EQ(ReadAll(list->TempPath() + QStringLiteral("drum.wav")), "drum");
  EXPECT_EQ(ReadAll(list->TempPath() + QStringLiteral("gong.wav")), "gong");

  // Names that are no file are not listed.
  for (const char *bad : {"", "dir/", "..", "a/.", "C:"})
    list->Add(QString::fromUtf8(bad));
  EXPECT_EQ(list->Count(), 3);
}

TEST_F(TempFilesTest, AFileIsNeverCopiedOntoItself) {
  auto list = MakeList();
  const QString inFolder = list->TempPath() + QStringLiteral("voice.wav");
  WriteAll(inFolder, "voice");
  list->Add(inFolder);
  EXPECT_EQ(ReadAll(inFolder), "voice");
  // Nor through a link to it.
  const QString link = root_.filePath(QStringLiteral("clip.wav"));
  const QString target = list->TempPath() + QStringLiteral("clip.wav");
  WriteAll(target, "clip");
  ASSERT_TRUE(QFile::link(target, link));
  list->Add(link);
  EXPECT_EQ(ReadAll(target), "clip");
}

TEST_F(TempFilesTest, EraseLowersTheCountOnlyWhileNoOtherCopyRuns) {
  auto list = MakeList();
  list->Add(QStringLiteral("C:\\Sounds\\bell.wav"));
  list->Add(QStringLiteral("bell.wav"));
  Processes({OwnProgramName(), OwnProgramName()});
  list->Erase(QStringLiteral("bell.wav"));
  EXPECT_EQ(list->FileList()[0].UseCount, 2);
  Processes({OwnProgramName(), kSiblingProgramName});
  list->Erase(QStringLiteral("bell.wav"));
  EXPECT_EQ(list->FileList()[0].UseCount, 2);
  Processes({OwnProgramName(), QStringLiteral("bash")});
  list->Erase(QStringLiteral("D:\\bell.wav"));
  EXPECT_EQ(list->FileList()[0].UseCount, 1);
  list->Erase(QStringLiteral("bell.wav"));
  list->Erase(QStringLiteral("bell.wav"));
  EXPECT_EQ(list->FileList()[0].UseCount, 0);
  list->Erase(QStringLiteral("other.wav"));
  EXPECT_EQ(list->Count(), 1);
}

TEST(InstancesTest, OtherCopyRunning) {
  struct Case {
    QStringList names;
    bool other;
  };
  const Case cases[] = {
      {{"lumora"}, false},          {{"lumora", "bash", "init"}, false},
      {{"lumora", "lumora"}, true}, {{"lumora", "LumoraShow.exe"}, true},
      {{"LumoraShow.exe"}, false},  {{"Lumora", "lumora.bin"}, false},
  };
  for (const Case &k : cases)
    EXPECT_EQ(OtherCopyRunning(k.names, QStringLiteral("lumora")), k.other)
        << k.names.join(u',').toStdString();
}

TEST_F(TempFilesTest, SaveToStreamWritesTheUsedFilesThatStillExist) {
  auto list = MakeList();
  const QString folder = list->TempPath();
  WriteAll(folder + QStringLiteral("a.wav"), "AAA");
  WriteAll(folder + QStringLiteral("b.wav"), "BB");
  WriteAll(folder + QStringLiteral("c.wav"), "C");
  WriteAll(folder + QStringLiteral("音.wav"), "");
  for (const char *name : {"a.wav", "b.wav", "c.wav", "gone.wav", "音.wav"})
    list->Add(QString::fromUtf8(name));
  list->ClearUseCount();
  list->Add(QStringLiteral("a.wav"));
  list->Add(QStringLiteral("c.wav"));
  list->Add(QStringLiteral("gone.wav"));
  list->Add(QStringLiteral("音.wav"));
  ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("gone.wav"))); // not a file
  TMemoryStream out;
  out.Write("HEAD", 4);
  list->SaveToStream(out);
  const QByteArray expected =
      "HEAD" + Entry("a.wav", "AAA") + Entry("c.wav", "C") + Entry(ToCp932(u"音.wav"), "");
  EXPECT_EQ(out.Bytes().toHex(' '), expected.toHex(' '));

  // Without a folder nothing is written.
  auto none = MakeList(QStringLiteral("NO"));
  none->Add(QStringLiteral("a.wav"));
  TMemoryStream empty;
  none->SaveToStream(empty);
  EXPECT_EQ(empty.Size(), 0);
}

// Processes events until done() holds; false when that takes too long.
bool WaitUntil(const std::function<bool()> &done) {
  QDeadlineTimer deadline(10000);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// Sends the posted events, round by round, until done() holds; false when
// that takes too long. An event posted while a round runs waits for the next
// round, so what the last round's events posted is still queued.
bool SendPostedUntil(const std::function<bool()> &done) {
  QDeadlineTimer deadline(10000);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::sendPostedEvents();
    QThread::yieldCurrentThread();
  }
  return true;
}

// Ends the test program when its scope is not left within the limit: a main
// thread stuck waiting for a worker cannot report a failure itself.
class TWatchdog {
public:
  explicit TWatchdog(std::chrono::seconds limit = std::chrono::seconds(60))
      : thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (!left_.wait_for(lock, limit, [this] { return done_; })) {
            std::fprintf(stderr, "%s: still waiting after %llds, deadlocked\n",
                         testing::UnitTest::GetInstance()->current_test_info()->name(),
                         static_cast<long long>(limit.count()));
            std::abort();
          }
        }) {}
  ~TWatchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    left_.notify_one();
    thread_.join();
  }

private:
  std::mutex mutex_;
  std::condition_variable left_;
  bool done_ = false;
  std::thread thread_;
};

TEST_F(TempFilesTest, ABookRoundTripsItsMediaThroughTheWorker) {
  const TWatchdog watchdog;
  auto writer = MakeList();
  WriteAll(writer->TempPath() + QStringLiteral("a.wav"), QByteArray(200000, 'a'));
  WriteAll(writer->TempPath() + QStringLiteral("かね.wav"), "bell");
  writer->Add(QStringLiteral("a.wav"));
  writer->Add(QStringLiteral("かね.wav"));
  TMemoryStream table;
  writer->SaveToStream(table);
  const QString book = Book("0123456789", table.Bytes());

  auto reader = MakeList(QStringLiteral("Other"));
  reader->LoadFromFile(book, 10);
  EXPECT_TRUE(reader->ThreadRunning());
  ASSERT_TRUE(WaitUntil([&] { return !reader->ThreadRunning(); }));
  EXPECT_EQ(ReadAll(reader->TempPath() + QStringLiteral("a.wav")), QByteArray(200000, 'a'));
  EXPECT_EQ(ReadAll(reader->TempPath() + QStringLiteral("かね.wav")), "bell");
  ASSERT_EQ(reader->Count(), 2);
  EXPECT_EQ(reader->FileList()[0].UseCount, 1);
  EXPECT_EQ(reader->FileList()[1].Name, QStringLiteral("かね.wav"));
}

TEST_F(TempFilesTest, WaitThreadHoldsBackUntilTheExtractionsEnd) {
  const TWatchdog watchdog;
  QByteArray table;
  for (int i = 0; i < 40; ++i)
    table += Entry(QByteArray("s") + QByteArray::number(i) + ".wav", QByteArray(5000, 'x'));
  const QString book = Book(QByteArray(), table);
  auto list = MakeList();
  list->LoadFromFile(book, 0);
  // A second book while the first is extracted waits for it.
  const QString second = root_.filePath(QStringLiteral("second.lmm3"));
  WriteAll(second, Entry("late.wav", "late"));
  list->LoadFromFile(second, 0);
  list->WaitThread();
  EXPECT_FALSE(list->ThreadRunning());
  EXPECT_EQ(list->Count(), 41);
  EXPECT_EQ(ReadAll(list->TempPath() + QStringLiteral("late.wav")), "late");

  // Freeing the list stops a running extraction without hanging.
  auto other = MakeList(QStringLiteral("Stopped"));
  other->LoadFromFile(book, 0);
  other.reset();
}

// The notice that frees an ended worker is a queued event, which can still
// be waiting after a wait has joined and freed that worker and the next one
// has been made, often at the same address. That late notice must leave the
// running worker alone: joining a worker that waits for the main thread to
// run a step never returns.
TEST_F(TempFilesTest, TheLateEndOfAFreedWorkerLeavesTheNextOneRunning) {
  const TWatchdog watchdog;
  // An empty table: its worker makes only its last step.
  const QString empty = root_.filePath(QStringLiteral("empty.lmm3"));
  WriteAll(empty, QByteArray());
  const QString book = Book(QByteArray(), Entry("a.wav", "A") + Entry("b.wav", "BB"));
  const QByteArray saved = Entry("a.wav", "A") + Entry("b.wav", "BB");
  struct Case {
    const char *what;
    std::function<void(std::unique_ptr<TTempFileList> &)> finish;
    int count; // files listed afterwards
  };
  const Case cases[] = {
      {"WaitThread", [](auto &list) { list->WaitThread(); }, 2},
      {"SaveToStream",
       [&](auto &list) {
         TMemoryStream out;
         list->SaveToStream(out);
         EXPECT_EQ(out.Bytes().toHex(' '), saved.toHex(' '));
       },
       2},
      {"ClearTemp", [](auto &list) { list->ClearTemp(); }, 0},
      {"LoadFromFile",
       [&](auto &list) {
         list->LoadFromFile(book, 0); // the files are there: only skipped
         list->WaitThread();
       },
       2},
      {"destructor", [](auto &list) { list.reset(); }, -1},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.what);
    // Several rounds, so that some worker surely reuses its predecessor's
    // address.
    for (int round = 0; round < 8; ++round) {
      auto list = MakeList(QStringLiteral("Late"));
      list->ClearTemp();
      list->LoadFromFile(empty, 0);
      // Runs the worker's last step, not the notice it posts.
      ASSERT_TRUE(SendPostedUntil([&] { return !list->ThreadRunning(); }));
      // Joins the ended worker while its notice is still queued.
      list->LoadFromFile(book, 0);
      ASSERT_TRUE(list->ThreadRunning());
      k.finish(list);
      if (!list) continue;
      EXPECT_FALSE(list->ThreadRunning());
      ASSERT_EQ(list->Count(), k.count);
      // The queued notices, handled now, change nothing.
      QCoreApplication::processEvents();
      EXPECT_EQ(list->Count(), k.count);
      if (k.count > 0) EXPECT_EQ(ReadAll(list->TempPath() + QStringLiteral("b.wav")), "BB");
    }
  }
}

// Reads a table from memory into a fresh folder, directly.
class MediaTableTest : public TempFilesTest {
protected:
  void Extract(const QByteArray &table) {
    list_ = MakeList();
    list_->ClearTemp(); // what an earlier case extracted
    stream_.SetBytes(table);
    stream_.SetPosition(0);
    TMediaTableReader reader(stream_, list_->TempPath(), list_.get());
    reader.Run();
  }
  QStringList Extracted() const {
    return QDir(list_->TempPath()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  }
  std::unique_ptr<TTempFileList> list_;
  TMemoryStream stream_;
};

TEST_F(MediaTableTest, ExtractionStopsAtAnEmptyName) {
  Extract(Entry("a.wav", "A") + Int32(0) + Entry("b.wav", "B"));
  EXPECT_EQ(Extracted(), QStringList({"a.wav"}));
  EXPECT_EQ(list_->Count(), 1);
}

TEST_F(MediaTableTest, BadSizesAndTruncatedEntriesEndTheExtraction) {
  struct Case {
    const char *what;
    QByteArray tail;
  };
  const Case cases[] = {
      {"size past the end", Entry("b.wav", "").left(9) + Int32(1000) + "0123456789"},
      {"negative size", QByteArray("\x05\0\0\0b.wav", 9) + Int32(-4) + Entry("c.wav", "C")},
      {"cut-off size", QByteArray("\x05\0\0\0b.wav\x01\x00", 11)},
      {"cut-off name count", QByteArray("\x05\0", 2)},
      {"name count past the end", QByteArray("\x50\0\0\0b.wav", 9)},
      {"name count above the limit", Int32(100001) + QByteArray(100001, 'n') + Int32(1) + "x"},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.what);
    Extract(Entry("a.wav", "A") + k.tail);
    EXPECT_EQ(Extracted(), QStringList({"a.wav"}));
    EXPECT_EQ(list_->Count(), 1);
  }
}

TEST_F(MediaTableTest, AnEmptyFileIsNotMadeAndTheNextEntryIsRead) {
  Extract(Entry("z.wav", "") + Entry("b.wav", "B"));
  EXPECT_EQ(Extracted(), QStringList({"b.wav"}));
}

TEST_F(MediaTableTest, AnExistingFileIsSkippedAndNotRegistered) {
  list_ = MakeList();
  WriteAll(list_->TempPath() + QStringLiteral("a.wav"), "old");
  stream_.SetBytes(Entry("a.wav", "new content") + Entry("b.wav", "B"));
  stream_.SetPosition(0);
  TMediaTableReader(stream_, list_->TempPath(), list_.get()).Run();
  EXPECT_EQ(ReadAll(list_->TempPath() + QStringLiteral("a.wav")), "old");
  EXPECT_EQ(list_->IndexOfName(QStringLiteral("a.wav")), -1);
  EXPECT_EQ(ReadAll(list_->TempPath() + QStringLiteral("b.wav")), "B");
  EXPECT_EQ(list_->IndexOfName(QStringLiteral("b.wav")), 0);
}

TEST_F(MediaTableTest, NamesThatAreNotBareFileNamesAreSkipped) {
  const char *names[] = {
      "../evil.wav", "..\\evil.wav", "sub/evil.wav", "C:evil.wav", "/tmp/evil.wav",
      ".",           "..",           "  ",           "a\tb.wav"};
  QByteArray table;
  for (const char *n : names)
    table += Entry(n, "EVIL");
  Extract(table + Entry("ok.wav", "OK"));
  EXPECT_EQ(Extracted(), QStringList({"ok.wav"}));
  EXPECT_EQ(list_->Count(), 1);
  EXPECT_EQ(FilesOutside(list_->TempPath() + QStringLiteral("ok.wav")), QStringList());
  EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/tmp/evil.wav")));
}

TEST_F(MediaTableTest, ALinkInTheFolderIsNotWrittenThrough) {
  list_ = MakeList();
  const QString outside = root_.filePath(QStringLiteral("outside.wav"));
  ASSERT_TRUE(QFile::link(outside, list_->TempPath() + QStringLiteral("link.wav")));
  stream_.SetBytes(Entry("link.wav", "EVIL") + Entry("b.wav", "B"));
  stream_.SetPosition(0);
  TMediaTableReader(stream_, list_->TempPath(), list_.get()).Run();
  EXPECT_FALSE(QFileInfo::exists(outside));
  EXPECT_EQ(list_->Count(), 1);
}

TEST_F(TempFilesTest, ClearTempDeletesTheFolderFilesOnly) {
  auto list = MakeList();
  const QString folder = list->TempPath();
  WriteAll(folder + QStringLiteral("a.wav"), "A");
  WriteAll(folder + QStringLiteral(".hidden"), "H");
  ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("sub")));
  WriteAll(folder + QStringLiteral("sub/kept.wav"), "K");
  const QString outside = root_.filePath(QStringLiteral("target.wav"));
  WriteAll(outside, "T");
  ASSERT_TRUE(QFile::link(outside, folder + QStringLiteral("link.wav")));
  list->Add(QStringLiteral("a.wav"));
  list->ClearTemp();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_EQ(
      QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
      QStringList({"sub"}));
  EXPECT_EQ(ReadAll(folder + QStringLiteral("sub/kept.wav")), "K");
  EXPECT_EQ(ReadAll(outside), "T");
}

TEST_F(TempFilesTest, FoldersThatMustNeverBeEmptied) {
  auto list = MakeList();
  const QString protectedFolders[] = {
      QString(),
      QStringLiteral("\\"),
      QStringLiteral(":"),
      QStringLiteral("C:\\"),
      QStringLiteral("D:/"),
      QStringLiteral("/"),
      QDir::homePath(),
      QDir::homePath() + QStringLiteral("/.."),
      data_,
      program_,
      DataRoot(),
  };
  for (const QString &f : protectedFolders)
    EXPECT_TRUE(list->IsProtectedFolder(f)) << f.toStdString();
  EXPECT_FALSE(list->IsProtectedFolder(list->TempPath()));
}

} // namespace
} // namespace lumora
