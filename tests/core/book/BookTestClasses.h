#pragma once
// The book tests' fixture, with the stamp tests' program folder, fresh
// picture stores and a folder for saved books, and a figure whose record
// cannot be written. The book, page, memo and still kinds are in
// tests/kinds (the mode books and pages come later).
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "core/book/MetaBook.h"
#include "tests/core/pictures/StampTestClasses.h"
#include "tests/kinds/BookKinds.h"

namespace lumora::test {

// A figure "テスト故障" whose record cannot be written.
class TBookTestBroken : public TTestRect {
  LUMORA_OBJECT(TBookTestBroken, TTestRect)
public:
  static TObjInfo GetObjInfo();
  void WritePayload(TMetaStream &aStream) override;

protected:
  TBookTestBroken();
};

class BookTest : public StampTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // A new book with aPages pages (page 0 included), current, with the
  // common pages set as after reading.
  TBookTestBook *NewBook(int aPages);
  // A new page added to the book.
  TBookTestPage *AddPage(TMetaBook &aBook);
  // A figure of class T with its own id on aPage.
  template <class T = TTestRect>
  T *AddTo(TCustomCompo *aPage, const QString &aName, std::vector<TRealPoint> aPoints) {
    std::unique_ptr<T> obj = NewObject<T>();
    obj->ReName(0);
    obj->Name = aName;
    obj->Place(std::move(aPoints));
    return static_cast<T *>(aPage->AddObj(std::move(obj)));
  }
  // A path in the fixture's folder for books.
  QString BookPath(const QString &aName) const;
  static QByteArray ReadFile(const QString &aPath);
  static void WriteFile(const QString &aPath, const QByteArray &aBytes);
  // Reads a book file into a new book and re-links it (TOpenBook); null
  // when LoadFromFile answered false.
  std::unique_ptr<TBookTestBook> Load(const QString &aPath, QString *aHeader = nullptr);

  std::vector<std::unique_ptr<TBookTestBook>> books_;
  QTemporaryDir bookDir_;
};

} // namespace lumora::test
