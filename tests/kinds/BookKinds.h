#pragma once
// Books, pages and page objects of the books the tests save and the fuzz
// target reads: the book "テスト書籍" and its page "テスト書籍頁", the tests'
// page memo and still picture, and the same kinds drawn plainly, as the
// fuzz target reads them.
#include <QString>
#include <QVariantList>

#include "core/book/MetaBook.h"
#include "core/model/ClassRegistry.h"
#include "tests/kinds/FigureKinds.h"

namespace lumora::test {

// A book (Base TMetaBook) or page (Base TMetaPage) class of the given kind
// with nothing of its own but an id a test may set.
#define LUMORA_TEST_BOOK_KIND(Class, Base, Kind)                                                   \
  class Class : public Base {                                                                      \
    LUMORA_OBJECT(Class, Base)                                                                     \
  public:                                                                                          \
    static TObjInfo GetObjInfo() {                                                                 \
      TObjInfo info;                                                                               \
      info.IndexNo = -1;                                                                           \
      info.Name = QStringLiteral(Kind);                                                            \
      return info;                                                                                 \
    }                                                                                              \
    void SetId(int64_t aId) { FId = aId; }                                                         \
                                                                                                   \
  protected:                                                                                       \
    Class() = default;                                                                             \
  };

LUMORA_TEST_BOOK_KIND(TBookTestBook, TMetaBook, "テスト書籍")
LUMORA_TEST_BOOK_KIND(TBookTestPage, TMetaPage, "テスト書籍頁")

// A page memo "Sys文字編集" standing in for the text subsystem's: its text
// is Param.Text (answered as "固有値"); painting logs "memo <Name>" into
// gLog.
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

// The plain kinds of the page objects of those books.
LUMORA_PLAIN_KIND(TPlainStill, "静止画", ({otSurface, otPicture}))
LUMORA_PLAIN_KIND(TPlainMemo, "Sys文字編集", ({otSurface}))
LUMORA_PLAIN_KIND(TPlainStamp, "スタンプ", ({otStamp}))

// Registers the book and page kinds and the plain kinds of their objects
// (figure, still, memo, stamp, picture stamp, user part), in that order.
void RegisterPlainBookKinds(TObjClassList &aList);

} // namespace lumora::test
