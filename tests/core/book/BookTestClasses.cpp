#include "tests/core/book/BookTestClasses.h"

#include <QFile>

#include "core/book/BookClasses.h"
#include "core/model/ObjPool.h"
#include "core/pictures/StillFactory.h"
#include "core/system/Utilities.h"
#include "platform/system/Exception.h"
#include "platform/ui/MessageBox.h"

namespace lumora::test {

// ---- Classes ----

TObjInfo TBookTestBroken::GetObjInfo() {
  TObjInfo info = TTestRect::GetObjInfo();
  info.Name = QStringLiteral("テスト故障");
  return info;
}

TBookTestBroken::TBookTestBroken() : TTestRect(DefaultParam(QStringLiteral("テスト故障"))) {}

void TBookTestBroken::WritePayload(TMetaStream &) {
  throw EWriteError(QStringLiteral("Stream write error"));
}

// ---- Fixture ----

void BookTest::SetUp() {
  StampTest::SetUp();
  ASSERT_TRUE(bookDir_.isValid());
  SetMessageBox(nullptr);
  TObjClassList &classes = ObjClassList();
  RegisterBookClasses(classes);
  classes.Add<TBookTestBook>();
  classes.Add<TBookTestPage>();
  classes.Add<TBookTestStill>();
  classes.Add<TBookTestBroken>();
  classes.Add<TTestPictureStamp>();
}

void BookTest::TearDown() {
  SetCurrentBook(nullptr);
  books_.clear();
  SetMessageBox(nullptr);
  StampTest::TearDown();
}

TBookTestBook *BookTest::NewBook(int aPages) {
  books_.push_back(NewObject<TBookTestBook>());
  TBookTestBook *book = books_.back().get();
  book->ReName(0);
  SetCurrentBook(book);
  for (int i = 0; i < aPages; ++i)
    AddPage(*book);
  TOpenBook(book, QString()).Open(nullptr);
  return book;
}

TBookTestPage *BookTest::AddPage(TMetaBook &aBook) {
  std::unique_ptr<TBookTestPage> page = NewObject<TBookTestPage>();
  page->Name = page->CreateName(true);
  return static_cast<TBookTestPage *>(aBook.AddObj(std::move(page)));
}

QString BookTest::BookPath(const QString &aName) const {
  return bookDir_.path() + u'/' + aName;
}

QByteArray BookTest::ReadFile(const QString &aPath) {
  QFile file(aPath);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << aPath.toStdString();
  return file.readAll();
}

void BookTest::WriteFile(const QString &aPath, const QByteArray &aBytes) {
  QFile file(aPath);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(aBytes), aBytes.size());
}

std::unique_ptr<TBookTestBook> BookTest::Load(const QString &aPath, QString *aHeader) {
  std::unique_ptr<TBookTestBook> book = NewObject<TBookTestBook>();
  SetCurrentBook(book.get());
  QString header;
  if (!book->LoadFromFile(aPath, header)) return nullptr;
  if (aHeader) *aHeader = header;
  TOpenBook(book.get(), aPath).Open(nullptr);
  return book;
}

} // namespace lumora::test
