// The book model: paging, the common page and its id, painting, page
// memos and system objects, the description, replacing and removing, and
// the current book.
#include <QtEndian>

#include "core/book/MetaBook.h"
#include "core/model/ObjPool.h"
#include "core/pictures/StampFactory.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/text/CodePage932.h"
#include "tests/core/book/BookTestClasses.h"
#include "tests/kinds/PartKinds.h"

namespace lumora::test {
namespace {

constexpr TColor kGreen = 0x00FF00;

TColor At(const TBitmap &aBitmap, int aX, int aY) {
  return aBitmap.Pixel(aX, aY) & 0xFFFFFF;
}

// Counts the calls the book makes on the action-block registry.
class FakeActBlocks : public IActBlockList {
public:
  void Clear() override { ++clears; }
  void UpdateLink() override { ++updates; }
  int clears = 0;
  int updates = 0;
};

using MetaBookTest = BookTest;

TEST_F(MetaBookTest, PagesAreSetByNumberWithinTheBook) {
  std::unique_ptr<TBookTestBook> empty = NewObject<TBookTestBook>();
  EXPECT_EQ(empty->StrPage(), QString());
  EXPECT_EQ(empty->Page(), -1);

  TBookTestBook *book = NewBook(12);
  int fired = 0;
  book->OnPage = [&](TMetaBook *aSender) {
    EXPECT_EQ(aSender, book);
    ++fired;
  };
  book->SetPage(3);
  EXPECT_EQ(book->StrPage(), QStringLiteral("3/11"));
  EXPECT_EQ(book->WorkPage, book->Pages(3));
  for (const int outside : {12, -1, 40}) {
    book->SetPage(outside);
    EXPECT_EQ(book->Page(), 3) << outside;
  }
  EXPECT_EQ(fired, 1);
  book->SetPage(0);
  EXPECT_EQ(book->StrPage(), QStringLiteral("共通頁"));
  EXPECT_EQ(fired, 2);
  EXPECT_EQ(book->GetPageName(12), QString());
  EXPECT_EQ(book->GetPageName(1), book->Pages(1)->Name);
  EXPECT_TRUE(book->Pages(1)->Name.startsWith(QStringLiteral("頁[")));
  EXPECT_EQ(book->GetSysObj(7), nullptr);
  EXPECT_EQ(book->GetSysObj0(0), nullptr); // page 0 has no common page
}

TEST_F(MetaBookTest, PageRecordsCarryTheCommonPageIdAndPageMove) {
  TBookTestBook *book = NewBook(3);
  TMetaPage *p1 = book->Pages(1);
  TMetaPage *p2 = book->Pages(2);
  p1->SetPageMove(true);
  TMetaStream record;
  p1->SaveToStream(record);
  EXPECT_EQ(p1->Param.Text, QString::number(book->Pages(0)->Id()));
  EXPECT_EQ(p1->Param.LineColor, TColor(0));

  // Any stored colour but clNone means the page moves.
  QByteArray bytes = record.Bytes();
  const int32_t kindBytes = qFromLittleEndian<int32_t>(bytes.constData() + 8);
  const int64_t lineColour = 8 + 4 + kindBytes + 4 + 24;
  qToLittleEndian<int32_t>(5, bytes.data() + lineColour);
  for (const auto &[stored, moves] : {std::pair{record.Bytes(), true}, std::pair{bytes, true}}) {
    TMemoryStream stream;
    stream.SetBytes(stored);
    std::unique_ptr<TBookTestPage> page = NewObject<TBookTestPage>();
    page->LoadFromStream(stream);
    EXPECT_EQ(page->PageMove(), moves);
    EXPECT_EQ(page->Page0Id(), book->Pages(0)->Id());
  }

  // Without a common page the text is empty; reading gives page 0 again.
  p2->SetPage0(nullptr);
  TMetaStream none;
  p2->SaveToStream(none);
  EXPECT_EQ(p2->Param.Text, QString());
  const QString path = BookPath(QStringLiteral("ids.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));
  std::unique_ptr<TBookTestBook> back = Load(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Pages(2)->Page0(), back->Pages(0));
  EXPECT_FALSE(back->Pages(2)->PageMove());
}

TEST_F(MetaBookTest, CommonPagesNeverLeadBackToThePage) {
  TBookTestBook *book = NewBook(3);
  TMetaPage *p0 = book->Pages(0);
  TMetaPage *p1 = book->Pages(1);
  TMetaPage *p2 = book->Pages(2);
  p1->SetPage0(p2);
  EXPECT_EQ(p1->Page0(), p2);
  p2->SetPage0(p1); // would lead back to p2
  EXPECT_EQ(p2->Page0(), p0);
  p0->SetPage0(p1); // p1 leads back through p2
  EXPECT_EQ(p0->Page0(), nullptr);

  // A file whose pages name each other as common pages.
  const QString path = BookPath(QStringLiteral("loop.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));
  QByteArray bytes = ReadFile(path);
  const QByteArray p0Id = QByteArray::number(p0->Id());
  const QByteArray p1Id = QByteArray::number(p1->Id());
  ASSERT_EQ(p0Id.size(), p1Id.size());
  const qsizetype at = bytes.lastIndexOf(p0Id); // p2's common page
  ASSERT_GT(at, 0);
  bytes.replace(at, p1Id.size(), p1Id);
  WriteFile(path, bytes);
  std::unique_ptr<TBookTestBook> back = Load(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Pages(1)->Page0(), back->Pages(2));
  EXPECT_EQ(back->Pages(2)->Page0(), back->Pages(0));
  TBitmap bitmap(20, 20);
  back->SetPage(2);
  back->Paint(bitmap.Canvas());
}

TEST_F(MetaBookTest, PagePaintsItsCommonPageUnlessItHidesIt) {
  TBookTestBook *book = NewBook(2);
  TMetaPage *p0 = book->Pages(0);
  TMetaPage *p1 = book->Pages(1);
  p0->Param.FaceColor = kGreen;
  p1->Param.FaceColor = kYellow;
  AddTo(p0, QStringLiteral("A"), RectPoints(0, 0, 40, 40)); // red
  TTestRect *b = AddTo(p1, QStringLiteral("B"), RectPoints(20, 20, 60, 60));
  b->Param.FaceColor = kBlue;
  b->ReMake();
  TTestRect *front = AddTo(p1, QStringLiteral("C"), RectPoints(50, 50, 70, 70)); // over B
  front->Param.FaceColor = kGreen;
  front->ReMake();
  book->SetPage(1);

  struct Case {
    bool hides;
    TColor back, a, b;
  };
  for (const Case &c : {Case{false, kGreen, kRed, kBlue}, Case{true, kYellow, kYellow, kBlue}}) {
    SCOPED_TRACE(c.hides);
    p1->Param.Coating = c.hides;
    TBitmap bitmap(100, 100);
    bitmap.Canvas().Brush().SetColor(clBlack);
    bitmap.Canvas().FillRect(Rect(0, 0, 100, 100));
    book->Paint(bitmap.Canvas());
    EXPECT_EQ(At(bitmap, 90, 90), c.back);
    EXPECT_EQ(At(bitmap, 10, 10), c.a);
    EXPECT_EQ(At(bitmap, 30, 30), c.b);    // the page's objects lie over the common page's
    EXPECT_EQ(At(bitmap, 55, 55), kGreen); // and in pool order, back to front
  }
  // Without a common page the page shows its own colour.
  p1->SetPage0(nullptr);
  p1->Param.Coating = false;
  TBitmap alone(100, 100);
  book->Paint(alone.Canvas());
  EXPECT_EQ(At(alone, 10, 10), kYellow);
}

// A book read from a file makes only the pages shown: the common page when
// it is opened, each other page (its common pages first) when it first
// shows or its thumbnail is drawn. Each page then paints as it does when
// every page of the book was made as soon as it was read.
TEST_F(MetaBookTest, PagesReadAreMadeWhenFirstShown) {
  TBookTestBook *book = NewBook(5);
  book->Pages(0)->Param.FaceColor = kGreen;
  AddTo(book->Pages(1), QStringLiteral("A"), RectPoints(0, 0, 40, 40)); // red
  for (int p = 2; p <= 4; ++p) {
    TTestRect *obj = AddTo(book->Pages(p), QStringLiteral("B%1").arg(p),
                           RectPoints(10 * p, 10 * p, 10 * p + 40, 10 * p + 40));
    obj->Param.FaceColor = kBlue;
    obj->ReMake();
  }
  book->Pages(2)->Param.FaceColor = kYellow;
  book->Pages(2)->Param.Coating = true;     // page 2 hides the common page
  book->Pages(3)->SetPage0(book->Pages(2)); // page 3 shows page 2 behind it
  const QString path = BookPath(QStringLiteral("lazy.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));

  auto paint = [](TMetaBook &aBook, int aPage) {
    SetCurrentBook(&aBook);
    aBook.SetPage(aPage);
    TBitmap bitmap(100, 100);
    bitmap.Canvas().Brush().SetColor(clBlack);
    bitmap.Canvas().FillRect(Rect(0, 0, 100, 100));
    aBook.Paint(bitmap.Canvas());
    bitmap.Canvas().End();
    return bitmap.Image().copy();
  };
  // Page aPage of the book read again with every page made at once.
  std::vector<std::unique_ptr<TBookTestBook>> eager;
  auto madeAtOnce = [&](int aPage) {
    eager.push_back(Load(path));
    for (int p = 0; p < eager.back()->Count(); ++p)
      eager.back()->Pages(p)->MakeIfUnmade();
    return paint(*eager.back(), aPage);
  };

  std::unique_ptr<TBookTestBook> back = Load(path);
  ASSERT_TRUE(back);
  auto unmade = [&back] {
    std::vector<bool> flags;
    for (int p = 0; p < back->Count(); ++p)
      flags.push_back(back->Pages(p)->Unmade());
    return flags;
  };
  EXPECT_EQ(unmade(), (std::vector<bool>{false, true, true, true, true}));
  // Nothing of an unmade page has been placed yet.
  EXPECT_TRUE(back->Pages(4)->Items(0)->BoundsRect().IsEmpty());

  EXPECT_EQ(paint(*back, 1), madeAtOnce(1));
  EXPECT_EQ(unmade(), (std::vector<bool>{false, false, true, true, true}));
  // Page 3 makes page 2, its common page, first: both pages' objects show
  // on page 2's colour.
  const QImage third = paint(*back, 3);
  EXPECT_EQ(third, madeAtOnce(3));
  EXPECT_EQ(QColor(third.pixel(25, 25)), QColor(Qt::blue));   // page 2's object
  EXPECT_EQ(QColor(third.pixel(65, 65)), QColor(Qt::blue));   // page 3's own
  EXPECT_EQ(QColor(third.pixel(90, 90)), QColor(Qt::yellow)); // page 2's colour
  EXPECT_EQ(unmade(), (std::vector<bool>{false, false, false, false, true}));
  // Drawing the thumbnail of an unmade page makes it.
  SetCurrentBook(back.get());
  TOpenBook(back.get(), QString()).DrawThumbnail(4);
  EXPECT_FALSE(back->Pages(4)->Unmade());
  const QImage fourth = paint(*back, 4);
  EXPECT_EQ(fourth, madeAtOnce(4));
  EXPECT_EQ(QColor(fourth.pixel(60, 60)), QColor(Qt::blue));
  EXPECT_EQ(back->Pages(4)->Items(0)->BoundsRect(), eager.back()->Pages(4)->Items(0)->BoundsRect());
  SetCurrentBook(book);
}

TEST_F(MetaBookTest, MemosOfAPageFallBackToTheCommonPage) {
  // The text subsystem's class, registered here.
  ObjClassList().Add<TBookTestMemo>();
  TBookTestBook *book = NewBook(5);
  for (int i = 0; i < 5; ++i) {
    TSysObjes *holder = book->Pages(i)->SysObjs();
    ASSERT_EQ(holder->Count(), 3); // two memos and the print settings
    for (int k = 0; k < 2; ++k) {
      auto *memo = dynamic_cast<TBookTestMemo *>(holder->Items(k));
      ASSERT_NE(memo, nullptr);
      memo->Name = QStringLiteral("p%1m%2").arg(i).arg(k);
      EXPECT_EQ(memo->Param.LineColor, clNone);
      EXPECT_EQ(memo->Layout, (QVariantList{5, true}));
    }
    EXPECT_EQ(holder->Items(2)->Param.ObjName, QString::fromUtf16(kPrintSetKind));
  }
  TBitmap bitmap(10, 10);
  struct Case {
    int page;
    QString text;
    QString painted;
  };
  const Case cases[] = {
      {4, QString(), QStringLiteral("memo p0m0")},
      {4, QStringLiteral("メモ"), QStringLiteral("memo p4m0")},
      {0, QString(), QStringLiteral("memo p0m0")},
  };
  for (const Case &c : cases) {
    book->SetPage(c.page);
    book->GetSysObj(0)->Param.Text = c.text;
    gLog.clear();
    book->MemoPaint(0, bitmap.Canvas());
    EXPECT_EQ(gLog, QStringList{c.painted}) << c.page << " " << c.text.toStdString();
  }
  book->SetPage(4);
  ASSERT_NE(book->GetSysObj0(1), nullptr);
  EXPECT_EQ(book->GetSysObj0(1)->Name, QStringLiteral("p0m1"));

  // Only the print settings survive ClearEditObj; nothing is removed alone.
  TSysObjes *holder = book->Pages(4)->SysObjs();
  holder->ClearEditObj();
  ASSERT_EQ(holder->Count(), 1);
  TCommonObj *print = holder->Items(0);
  try {
    holder->RemoveObj(print);
    ADD_FAILURE() << "no error";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("不正削除"));
  }
}

TEST_F(MetaBookTest, HolderWithoutTheTextClassHoldsOnlyThePrintSettings) {
  TObjParam param;
  std::unique_ptr<TSysObjes> common = NewObject<TSysObjes>(param);
  ASSERT_EQ(common->Count(), 1);
  EXPECT_EQ(common->Items(0)->Param.ObjName, QString::fromUtf16(kPrintSetKind));
  EXPECT_EQ(common->Param.ObjName, QString::fromUtf16(kSysHolderKind));
  param.SetObjValue(3);
  EXPECT_EQ(NewObject<TSysObjes>(param)->Count(), 0);

  TBookTestBook *book = NewBook(2);
  book->SetPage(1);
  TCommonObj *added = book->AddPrintObj();
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(book->GetSysObj0(1), added);
  book->SetPage(0);
  EXPECT_EQ(book->AddPrintObj(), nullptr); // page 0 has no common page
}

TEST_F(MetaBookTest, DescriptionGivesDocumentNamesAndPageSize) {
  struct Case {
    QString text;
    QString doc;
    int32_t width, height;
  };
  const QString reserve =
      QStringLiteral("\r\n－－－－－予備エリア－－－－－５０バイト－－－－－\r\n");
  const Case cases[] = {
      {QStringLiteral("本\r\n作者\r\n\r\n1024\r\n768") + reserve, QStringLiteral("本"), 1024, 768},
      // Exactly five lines: nothing changes.
      {QStringLiteral("本\r\n作者\r\n\r\n1024\r\n768\r\n"), QStringLiteral("keep"), 640, 480},
      {QStringLiteral("a\r\nb\r\n\r\nabc\r\n0") + reserve, QStringLiteral("a"), 800, 600},
      {QStringLiteral("a\r\nb\r\n\r\n-5\r\n$1F") + reserve, QStringLiteral("a"), 800, 31},
  };
  for (const Case &c : cases) {
    std::unique_ptr<TBookTestBook> book = NewObject<TBookTestBook>();
    book->DocName = QStringLiteral("keep");
    book->WinWidth = 640;
    book->WinHeight = 480;
    book->ParseDescription(c.text);
    EXPECT_EQ(book->DocName, c.doc) << c.text.toStdString();
    EXPECT_EQ(book->WinWidth, c.width) << c.text.toStdString();
    EXPECT_EQ(book->WinHeight, c.height) << c.text.toStdString();
  }
  // The container's own fields are written, not the book model's.
  std::unique_ptr<TBookTestBook> book = NewObject<TBookTestBook>();
  book->DocName = QStringLiteral("model");
  EXPECT_TRUE(book->DescriptionText().startsWith(QStringLiteral("\r\n\r\n\r\n800\r\n600\r\n")));
  EXPECT_EQ(ToCp932(book->DescriptionText()).size(), 6 + 5 + 5 + 50 + 2);
}

TEST_F(MetaBookTest, ExchangedPageReplacesAndFreesTheOldOne) {
  TBookTestBook *book = NewBook(3);
  book->SetPage(2);
  const int alive = gAlive; // the fixture's own objects
  book->Pages(2)->AddObj(Figure(QStringLiteral("old"), Square(0, 0, 5)));
  EXPECT_EQ(gAlive, alive + 1);
  int fired = 0;
  book->OnPage = [&](TMetaBook *) { ++fired; };

  std::unique_ptr<TBookTestPage> made = NewObject<TBookTestPage>();
  TBookTestPage *fresh = made.get();
  fresh->Param.SetObjValue(2);
  EXPECT_EQ(book->ExchangePage(std::move(made)), fresh);
  EXPECT_EQ(gAlive, alive);
  EXPECT_EQ(book->Pages(2), fresh);
  EXPECT_EQ(book->WorkPage, fresh);
  EXPECT_EQ(book->Count(), 3);
  EXPECT_EQ(fired, 1);

  // A new common page becomes the common page of the pages that had the old.
  made = NewObject<TBookTestPage>();
  TBookTestPage *common = made.get();
  common->Param.SetObjValue(0);
  book->Pages(1)->SetPage0(book->Pages(0));
  book->ExchangePage(std::move(made));
  EXPECT_EQ(book->Pages(0), common);
  EXPECT_EQ(book->Pages(1)->Page0(), common);
  EXPECT_EQ(book->Pages(1)->Page0Id(), common->Id());
  EXPECT_EQ(book->WorkPage, common);

  // A number beyond the book adds the page.
  made = NewObject<TBookTestPage>();
  TBookTestPage *extra = made.get();
  extra->Param.SetObjValue(7);
  book->ExchangePage(std::move(made));
  EXPECT_EQ(book->Count(), 4);
  EXPECT_EQ(book->Pages(3), extra);
}

TEST_F(MetaBookTest, RemovedObjectLeavesEveryLinkAndIsFreed) {
  TBookTestBook *book = NewBook(2);
  book->SetPage(1);
  TMetaPage *page = book->Pages(1);
  const int alive = gAlive; // the fixture's own objects
  TCommonObj *target = page->AddObj(Figure(QStringLiteral("t"), Square(0, 0, 5)));
  TTestConductor *direct = AddTo<TTestConductor>(page, QStringLiteral("c"), RectPoints(0, 0, 5, 5));
  direct->SetLinkedObj(target);
  std::unique_ptr<TTestGroup> group = NewObject<TTestGroup>();
  TTestConductor *inner =
      AddTo<TTestConductor>(group.get(), QStringLiteral("i"), RectPoints(0, 0, 5, 5));
  inner->SetLinkedObj(target);
  TCommonObj *nested = group->AddObj(Figure(QStringLiteral("n"), Square(9, 9, 5)));
  page->AddObj(std::move(group));
  ASSERT_EQ(gAlive, alive + 3); // the group counts too

  TCommonObj *removing = target;
  EXPECT_TRUE(book->RemoveObj(removing));
  EXPECT_EQ(removing, nullptr);
  EXPECT_EQ(direct->GetLinkedObj(), nullptr);
  EXPECT_EQ(inner->GetLinkedObj(), nullptr);
  EXPECT_EQ(gAlive, alive + 2);
  // An object inside a compound is given up by the compound.
  EXPECT_TRUE(page->RemoveObj(nested));
  EXPECT_EQ(gAlive, alive + 1);
  std::unique_ptr<TTestFigure> strangerObj = Figure(QStringLiteral("s"), Square(0, 0, 1));
  TCommonObj *stranger = strangerObj.get();
  EXPECT_FALSE(page->RemoveObj(stranger));
  EXPECT_EQ(stranger, strangerObj.get());

  // An object in a part inside a part is found at its depth.
  std::unique_ptr<TIterPart> outer = NewObject<TIterPart>();
  std::unique_ptr<TIterPart> inner2 = NewObject<TIterPart>();
  TCommonObj *deep = inner2->AddObj(Figure(QStringLiteral("d"), Square(1, 1, 2)));
  outer->AddObj(std::move(inner2));
  page->AddObj(std::move(outer));
  const int before = gAlive;
  EXPECT_TRUE(page->RemoveObj(deep));
  EXPECT_EQ(deep, nullptr);
  EXPECT_EQ(gAlive, before - 1);
}

TEST_F(MetaBookTest, ClosingTheBookFreesItsPagesAndClearsTheBlocks) {
  FakeActBlocks blocks;
  SetActBlockList(&blocks);
  TBookTestBook *book = NewBook(3);
  EXPECT_EQ(blocks.updates, 1);
  TOpenBook opener(book, QStringLiteral("/x/a.lmm"));
  EXPECT_EQ(book->Param.Text, QStringLiteral("/x/a.lmm"));
  opener.SetPage(2);
  EXPECT_EQ(book->Param.Value2(), 2);
  const int alive = gAlive; // the fixture's own objects
  book->Pages(1)->AddObj(Figure(QStringLiteral("f"), Square(0, 0, 5)));
  book->CloseBook();
  SetActBlockList(nullptr);
  EXPECT_EQ(book->Count(), 0);
  EXPECT_EQ(book->WorkPage, nullptr);
  EXPECT_EQ(gAlive, alive);
  EXPECT_TRUE(book->Param.Text.isEmpty());
  EXPECT_EQ(book->Param.Value2(), -1);
  EXPECT_EQ(blocks.clears, 1);
}

TEST_F(MetaBookTest, CurrentBookSizesPagesAndNewStamps) {
  TBookTestBook *book = NewBook(1);
  book->WinWidth = 400;
  book->WinHeight = 300;
  TBookTestPage *page = AddPage(*book);
  EXPECT_EQ(page->BoundsRect(), Rect(0, 0, 400, 300));
  page->SetZoom(1.25L);
  EXPECT_EQ(page->WinRect(), Rect(0, 0, 500, 375));
  EXPECT_EQ(StampMaker().StampRect(1000, 0.5), Rect(0, 0, 400, 200));
  book->SetPage(1);
  EXPECT_EQ(CurrentWorkPage(), page);
  EXPECT_EQ(TMakeInfo2::Get().Root(), page);
  SetCurrentBook(nullptr);
  EXPECT_EQ(CurrentWinWidth(), 800);
  EXPECT_EQ(StampMaker().StampRect(1000, 0.5), Rect(0, 0, 800, 400));
}

} // namespace
} // namespace lumora::test
