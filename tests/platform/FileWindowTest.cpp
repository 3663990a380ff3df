#include "platform/system/FileWindow.h"

#include "platform/system/Exception.h"
#include "platform/system/Stream.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumora {
namespace {

// A file of n bytes, byte i being i * 7 + 3 (mod 256).
QByteArray Pattern(int n) {
  QByteArray bytes(n, Qt::Uninitialized);
  for (int i = 0; i < n; ++i)
    bytes[i] = char(i * 7 + 3);
  return bytes;
}

class FileWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    path_ = dir_.filePath(QStringLiteral("bytes.bin"));
    bytes_ = Pattern(1000);
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes_), bytes_.size());
  }

  QTemporaryDir dir_;
  QString path_;
  QByteArray bytes_;
};

TEST_F(FileWindowTest, ReadsLikeTheFileThroughASmallWindow) {
  TFileWindowStream stream(path_, 16);
  EXPECT_EQ(stream.Size(), 1000);
  EXPECT_EQ(stream.FileName(), path_);
  // Reads of every size, crossing the window's edges, and one larger than
  // the window.
  QByteArray read;
  for (int count : {1, 3, 15, 16, 17, 40, 5, 100, 2}) {
    QByteArray part(count, Qt::Uninitialized);
    stream.ReadBuffer(part.data(), count);
    read += part;
  }
  EXPECT_EQ(read, bytes_.left(read.size()));
  EXPECT_EQ(stream.Position(), read.size());
}

TEST_F(FileWindowTest, ReadsComeShortAtTheEndAndBufferReadsRaise) {
  TFileWindowStream stream(path_, 64);
  stream.SetPosition(990);
  char buffer[32];
  EXPECT_EQ(stream.Read(buffer, 32), 10);
  EXPECT_EQ(QByteArray(buffer, 10), bytes_.right(10));
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  stream.SetPosition(995);
  EXPECT_THROW(stream.ReadBuffer(buffer, 6), EReadError);
  stream.SetPosition(2000); // beyond the end: nothing to read
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  EXPECT_EQ(stream.Remaining(), 0);
}

TEST_F(FileWindowTest, PeekShowsTheNextBytesWithoutMoving) {
  TFileWindowStream stream(path_, 16);
  stream.SetPosition(10);
  // More than the window: the window grows for it.
  const char *bytes = stream.Peek(100);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(QByteArray(bytes, 100), bytes_.mid(10, 100));
  EXPECT_EQ(stream.Position(), 10);
  // Backwards, and across what the window held.
  stream.SetPosition(5);
  bytes = stream.Peek(20);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(QByteArray(bytes, 20), bytes_.mid(5, 20));
  stream.SetPosition(100);
  bytes = stream.Peek(20);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(QByteArray(bytes, 20), bytes_.mid(100, 20));
  // Nothing beyond the end, and no negative count.
  stream.SetPosition(990);
  EXPECT_NE(stream.Peek(10), nullptr);
  EXPECT_EQ(stream.Peek(11), nullptr);
  EXPECT_EQ(stream.Peek(-1), nullptr);
  EXPECT_EQ(stream.Position(), 990);
}

TEST_F(FileWindowTest, ASectionIsAStreamOfItsOwnCutToTheFile) {
  TFileWindowStream file(path_, 16);
  TFileWindowStream section(file, 100, 50, 8);
  EXPECT_EQ(section.Size(), 50);
  QByteArray read(50, Qt::Uninitialized);
  section.ReadBuffer(read.data(), 50);
  EXPECT_EQ(read, bytes_.mid(100, 50));
  char byte;
  EXPECT_EQ(section.Read(&byte, 1), 0);
  // A section of a section; one reaching past the file ends with it.
  TFileWindowStream inner(section, 10, 5);
  ASSERT_NE(inner.Peek(5), nullptr);
  EXPECT_EQ(QByteArray(inner.Peek(5), 5), bytes_.mid(110, 5));
  EXPECT_EQ(TFileWindowStream(file, 990, 100).Size(), 10);
  EXPECT_EQ(TFileWindowStream(file, 2000, 100).Size(), 0);
}

TEST_F(FileWindowTest, AFileShorterThanWhenOpenedReadsShort) {
  TFileWindowStream stream(path_, 16);
  QFile file(path_);
  ASSERT_TRUE(file.resize(500));
  stream.SetPosition(490);
  char buffer[20];
  EXPECT_EQ(stream.Read(buffer, 20), 10);
  EXPECT_EQ(QByteArray(buffer, 10), bytes_.mid(490, 10));
  stream.SetPosition(495);
  EXPECT_EQ(stream.Peek(10), nullptr);
  EXPECT_THROW(stream.ReadBuffer(buffer, 10), EReadError);
}

TEST_F(FileWindowTest, OpeningAMissingFileRaisesAndWritingFails) {
  EXPECT_THROW(TFileWindowStream(dir_.filePath(QStringLiteral("none.bin"))), EFOpenError);
  TFileWindowStream stream(path_);
  EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
  EXPECT_THROW(stream.SetSize(0), EWriteError);
}

TEST(MemoryStreamViewTest, PeekAndViewReadInPlaceAndWritingCopies) {
  const QByteArray source = Pattern(64);
  TMemoryStream stream;
  stream.SetView(source.constData(), source.size());
  EXPECT_EQ(stream.Size(), 64);
  stream.SetPosition(60);
  EXPECT_EQ(stream.Peek(4), source.constData() + 60);
  EXPECT_EQ(stream.Peek(5), nullptr);
  EXPECT_EQ(stream.Peek(-1), nullptr);
  stream.SetPosition(70);
  EXPECT_EQ(stream.Peek(0), nullptr);
  // A write goes into a copy: the viewed bytes stay as they are.
  stream.SetPosition(0);
  stream.WriteBuffer("zz", 2);
  EXPECT_EQ(source, Pattern(64));
  EXPECT_EQ(QByteArray(stream.Memory(), 4), QByteArray("zz") + source.mid(2, 2));
}

} // namespace
} // namespace lumora
