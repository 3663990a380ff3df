#pragma once
// The book tests' classes and fixture: a book and page class of their own
// (the mode books and pages come later), a page memo standing in for the
// text subsystem's "Sys文字編集", a still-picture kind, and a fixture with
// the stamp tests' program folder, fresh picture stores and a folder for
// saved books.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "core/book/MetaBook.h"
#include "tests/core/pictures/StampTestClasses.h"

namespace lumora::test {

// A book "テスト書籍".
class TBookTestBook : public TMetaBook {
  LUMORA_OBJECT(TBookTestBook, TMetaBook)
public:
  static TObjInfo GetObjInfo();

protected:
  TBookTestBook() = default;
};

// A page "テスト書籍頁".
class TBookTestPage : public TMetaPage {
  LUMORA_OBJECT(TBookTestPage, TMetaPage)
public:
  static TObjInfo GetObjInfo();
  void SetId(int64_t aId) { FId = aId; }

protected:
  TBookTestPage() = default;
};

// A page memo "Sys文字編集": its text is Param.Text (answered as "固有値");
// painting logs "memo <Name>" into gLog.
class TBookTestMemo : public TTestRect {
  LUMORA_OBJECT(TBookTestMemo, TTestRect)
public:
  static TObjInfo GetObjInfo();
  bool Value(const QString &aCommand, QVariantList &aArg) override;
  bool Data(const QString &aCommand, const QVariantList &aArg) override;
  using TTestRect::Paint;
  void Paint(TCanvas &aCanvas) override;

  QVariantList Layout; // the "レイアウト" arguments received

protected:
  TBookTestMemo();
};

// A still-picture object "静止画" (its picture is named by Param.Text).
LUMORA_DRAW_TEST_KIND(TBookTestStill, "静止画", ({otSurface, otPicture}), ({atShow}))

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
