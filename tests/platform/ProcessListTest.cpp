// The process names read from a /proc-like folder, the main-thread helper
// and the default message box.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#include "platform/system/Exception.h"
#include "platform/system/ProcessList.h"
#include "platform/system/Synchronize.h"
#include "platform/ui/MessageBox.h"

namespace lumora {
namespace {

void WriteFile(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

TEST(ProcessListTest, NamesComeFromTheExeLinkOrElseComm) {
  QTemporaryDir proc;
  ASSERT_TRUE(proc.isValid());
  QDir root(proc.path());
  for (const char *d : {"12", "34", "56", "78", "self", "sys"})
    ASSERT_TRUE(root.mkdir(QString::fromLatin1(d)));
  ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin/lumora"), root.filePath("12/exe")));
  // A replaced program file is marked in the link.
  ASSERT_TRUE(
      QFile::link(QStringLiteral("/opt/LumoraShow.exe (deleted)"), root.filePath("34/exe")));
  // No readable link: the command name.
  WriteFile(root.filePath("56/comm"), "kworker/0:1\n");
  // Folders that are not process ids are not processes.
  ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin/other"), root.filePath("self/exe")));
  QStringList names = TProcProcessList(proc.path()).ExeNames();
  names.sort();
  EXPECT_EQ(names, QStringList({"LumoraShow.exe", "kworker/0:1", "lumora"}));
}

TEST(ProcessListTest, TheRealListHoldsThisProgram) {
  const QStringList names = TProcProcessList().ExeNames();
  EXPECT_TRUE(names.contains(QStringLiteral("platform_tests")));
}

TEST(ProcessListTest, AnInstalledListReplacesTheReader) {
  struct TFake : IProcessList {
    QStringList ExeNames() const override { return {QStringLiteral("x")}; }
  };
  SetProcessList(std::make_unique<TFake>());
  EXPECT_EQ(ProcessList().ExeNames(), QStringList({"x"}));
  SetProcessList(nullptr);
  EXPECT_NE(dynamic_cast<const TProcProcessList *>(&ProcessList()), nullptr);
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

TEST(SynchronizeTest, AWorkerRunsItsStepInTheMainThreadAndGetsItsError) {
  QThread *main = QThread::currentThread();
  std::atomic<bool> finished{false};
  QThread *ranIn = nullptr;
  QString error;
  std::thread worker([&] {
    Synchronize([&] { ranIn = QThread::currentThread(); });
    try {
      Synchronize([] { throw Exception(QStringLiteral("step failed")); });
    } catch (const Exception &e) {
      error = e.Message();
    }
    finished = true;
  });
  const bool done = WaitUntil([&] { return finished.load(); });
  worker.join();
  ASSERT_TRUE(done);
  EXPECT_EQ(ranIn, main);
  EXPECT_EQ(error, QStringLiteral("step failed"));

  // In the main thread the step runs at once.
  bool ran = false;
  Synchronize([&] { ran = true; });
  EXPECT_TRUE(ran);
}

TEST(MessageBoxTest, TheDefaultBoxKeepsTheTextAndAnswersTheFirstButton) {
  auto box = std::make_unique<TStderrMessageBox>();
  TStderrMessageBox *b = box.get();
  SetMessageBox(std::move(box));
  EXPECT_EQ(MessageBox().Show(QStringLiteral("保存しますか？"), QStringLiteral("Lumora"),
                              TMsgButtons::mbYesNoCancel),
            TMsgResult::mrYes);
  EXPECT_EQ(MessageBox().Show(QStringLiteral("ok"), QString(), TMsgButtons::mbOKCancel),
            TMsgResult::mrOk);
  EXPECT_EQ(b->Shown(), QStringList({QStringLiteral("保存しますか？"), QStringLiteral("ok")}));
  SetMessageBox(nullptr);
  EXPECT_NE(dynamic_cast<TStderrMessageBox *>(&MessageBox()), nullptr);
}

} // namespace
} // namespace lumora
