#include "platform/system/SafeSave.h"

#include "platform/system/Exception.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace lumora {
namespace {

using Strings = std::vector<std::string>;

class SafeSaveTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  QString Path(const QString &name) const { return dir_.filePath(name); }
  QByteArray NativePath(const QString &name) const { return QFile::encodeName(Path(name)); }

  void WriteBytes(const QString &name, const QByteArray &bytes) const {
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }

  QByteArray ReadBytes(const QString &name) const {
    QFile f(Path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }

  // The names in the folder, sorted; as standard strings so that a failure
  // prints them readably.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const QString &name :
         QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
      names.push_back(name.toStdString());
    return names;
  }

  QTemporaryDir dir_;
};

TEST_F(SafeSaveTest, AStrayTemporaryIsRemovedButOneLockedByARunningSaveIsKept) {
  WriteBytes(QStringLiteral("book.lum"), "book");
  WriteBytes(QStringLiteral("book.lum.lumora-save-a1B2c3"), "left by a killed save");
  // An open file description of our own with the lock stands for a save
  // running in another process.
  const int running = ::open(NativePath(QStringLiteral("book.lum.lumora-save-Zz9Zz9")).constData(),
                             O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  ASSERT_GE(running, 0);
  ASSERT_EQ(::flock(running, LOCK_EX), 0);

  EXPECT_EQ(RemoveStraySaveFiles(Path(QStringLiteral("book.lum"))), 1);
  EXPECT_EQ(Names(), Strings({"book.lum", "book.lum.lumora-save-Zz9Zz9"}));

  // Once the save has ended without renaming its file, the file is a stray.
  ::close(running);
  EXPECT_EQ(RemoveStraySaveFiles(Path(QStringLiteral("book.lum"))), 1);
  EXPECT_EQ(Names(), Strings({"book.lum"}));
  EXPECT_EQ(ReadBytes(QStringLiteral("book.lum")), QByteArray("book"));
}

TEST_F(SafeSaveTest, FilesThatOnlyResembleATemporaryAreKept) {
  const QString lookAlikes[] = {
      QStringLiteral("book.lum.lumora-save-a1B2c"),   // five characters
      QStringLiteral("book.lum.lumora-save-a1B2c3d"), // seven characters
      QStringLiteral("book.lum.lumora-save-"),
      QStringLiteral("xbook.lum.lumora-save-a1B2c3"), // another file's
      QStringLiteral("Book.lum.lumora-save-a1B2c3"),
      QStringLiteral("book.lum.lumora-savea1B2c3d"), // right length, no dash
  };
  for (const QString &name : lookAlikes)
    WriteBytes(name, "x");
  // Matching names that are no regular file: a FIFO (opening it would wait
  // for a writer) and a link to a file elsewhere.
  ASSERT_EQ(::mkfifo(NativePath(QStringLiteral("book.lum.lumora-save-fifo01")).constData(), 0600),
            0);
  WriteBytes(QStringLiteral("elsewhere"), "x");
  ASSERT_EQ(::symlink(NativePath(QStringLiteral("elsewhere")).constData(),
                      NativePath(QStringLiteral("book.lum.lumora-save-link01")).constData()),
            0);
  const std::vector<std::string> before = Names();

  EXPECT_EQ(RemoveStraySaveFiles(Path(QStringLiteral("book.lum"))), 0);
  EXPECT_EQ(Names(), before);
  EXPECT_EQ(ReadBytes(QStringLiteral("elsewhere")), QByteArray("x"));
}

TEST_F(SafeSaveTest, SavingCreatesOrReplacesTheFileAndLeavesNoTemporary) {
  const QString path = Path(QStringLiteral("新しい本.lum"));
  SaveFileSafely(path, "first");
  EXPECT_EQ(ReadBytes(QStringLiteral("新しい本.lum")), QByteArray("first"));
  SaveFileSafely(path, QByteArray());
  EXPECT_EQ(ReadBytes(QStringLiteral("新しい本.lum")), QByteArray());
  SaveFileSafely(path, "second");
  EXPECT_EQ(ReadBytes(QStringLiteral("新しい本.lum")), QByteArray("second"));
  EXPECT_EQ(Names(), Strings({"新しい本.lum"}));
}

TEST_F(SafeSaveTest, SavesRunningWhileAnotherCopySweepsAllSucceed) {
  const QString path = Path(QStringLiteral("book.lum"));
  constexpr int kSaves = 150;
  std::atomic<bool> done{false};
  int failures = 0;
  QString firstError;
  std::thread saver([&] {
    for (int i = 0; i < kSaves; ++i) {
      try {
        SaveFileSafely(path, QByteArray::number(i));
      } catch (const Exception &e) {
        if (failures++ == 0) firstError = e.Message();
      }
    }
    done = true;
  });
  // Sweeps as each opening or saving of the book does, as often as it can.
  while (!done)
    RemoveStraySaveFiles(path);
  saver.join();

  EXPECT_EQ(failures, 0) << firstError.toStdString();
  EXPECT_EQ(ReadBytes(QStringLiteral("book.lum")), QByteArray::number(kSaves - 1));
  EXPECT_EQ(Names(), Strings({"book.lum"}));
}

} // namespace
} // namespace lumora
