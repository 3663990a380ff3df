// The object clipboard over the real clipboard (offscreen): repeated
// pastes and their shift, cut, another page, edit cells, links and trays
// among copied objects, the private block's bytes and its damage, the
// Ctrl+drag copies, and text, pictures and files from other programs.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <memory>
#include <set>

#include "core/drawable/DrawLink.h"
#include "core/model/CustomMaker.h"
#include "core/model/ObjPool.h"
#include "core/support/RectOps.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "platform/system/Exception.h"
#include "platform/ui/Clipboard.h"
#include "shell/clipboard/Copier.h"
#include "shell/input/MultiTrac.h"
#include "shell/input/SimpleHandler.h"
#include "tests/shell/input/InputTestKinds.h"

namespace lumora::test {
namespace {

LUMORA_DRAW_TEST_KIND(TClipEditCell, "編集セル", ({otSurface}), ({atShow}))

// Stands in for the objects of later subsystems: made at (0, 0) - (30, 20);
// keeps the file handed to it and the text its "固有値" command gave it.
class TClipStandIn : public TTestRect {
  LUMORA_ABSTRACT_OBJECT(TClipStandIn, TTestRect)
public:
  bool Data(const QString &aCommand, const QVariantList &aArg) override {
    if (aCommand == QStringLiteral("ファイル名") && !aArg.isEmpty()) {
      File = VarRecToStr(aArg[0]);
      return true;
    }
    if (aCommand != QStringLiteral("固有値") || aArg.size() < 2 ||
        aArg[0].value<TCommonObj *>() != this)
      return TTestRect::Data(aCommand, aArg);
    Text = VarRecToStr(aArg[1]);
    return true;
  }
  QString File, Text;

protected:
  explicit TClipStandIn(const QString &aKind) : TTestRect(DefaultParam(aKind)) {}
  void AfterConstruction() override {
    TTestRect::AfterConstruction();
    Place(Corners(0, 0, 30, 20));
  }
};

#define LUMORA_CLIP_KIND(Class, Kind)                                                              \
  class Class : public TClipStandIn {                                                              \
    LUMORA_OBJECT(Class, TClipStandIn)                                                             \
  public:                                                                                          \
    static TObjInfo GetObjInfo() {                                                                 \
      TObjInfo info = TTestRect::GetObjInfo();                                                     \
      info.IndexNo = -1;                                                                           \
      info.Name = QStringLiteral(Kind);                                                            \
      return info;                                                                                 \
    }                                                                                              \
                                                                                                   \
  protected:                                                                                       \
    Class() : TClipStandIn(QStringLiteral(Kind)) {}                                                \
  };

LUMORA_CLIP_KIND(TClipMemo, "メモ")
LUMORA_CLIP_KIND(TClipTextBox, "文字編集")
LUMORA_CLIP_KIND(TClipSound, "音声")

// The still picture: its maker takes the clipboard's picture.
class TClipStill : public TClipStandIn {
  LUMORA_OBJECT(TClipStill, TClipStandIn)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.IndexNo = -1;
    info.Name = QStringLiteral("静止画");
    return info;
  }
  void CreateMode(TSysMode aMode) override {
    TClipStandIn::CreateMode(aMode);
    FMaker = std::make_unique<TStillMake>(this);
  }
  TPicture Picture;

protected:
  TClipStill() : TClipStandIn(QStringLiteral("静止画")) {}

private:
  class TStillMake : public TDrawMake {
  public:
    using TDrawMake::TDrawMake;
    bool LoadFromClipBoard(QClipboard *) override {
      return ClipboardGetPicture(static_cast<TClipStill *>(FSelf)->Picture);
    }
  };
};

// The text table: its resize makes rows x columns memo cells.
class TClipTable : public TTestHolderBase, public ITextTableResize {
  LUMORA_OBJECT(TClipTable, TTestHolderBase)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.IndexNo = -1;
    info.Name = QStringLiteral("文字表");
    info.FormType = {otSurface, otTable};
    return info;
  }
  void Rs_TableXY(int aRows, int aCols) override {
    Rows = aRows;
    Cols = aCols;
    for (int i = 0; i < aRows * aCols; ++i)
      AddObj(ObjClassList().CreateObject(QStringLiteral("メモ")));
  }
  QString CellText(int aCol, int aRow) const {
    return static_cast<TClipMemo *>(Pool()->Items(aRow * Cols + aCol))->Text;
  }
  int Rows = 0, Cols = 0;

protected:
  TClipTable() : TTestHolderBase(QStringLiteral("文字表")) {}
  void AfterConstruction() override {
    TTestHolderBase::AfterConstruction();
    Place({{0, 0}});
  }
};

// A tray: it does not show itself as an object (ICan(atShow) is false) and
// carries the object linked to it, which links back, when it moves.
class TClipTray : public TTestRect {
  LUMORA_OBJECT(TClipTray, TTestRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.IndexNo = -1;
    info.Name = QStringLiteral("テスト台");
    info.ActType = {awTray};
    return info;
  }
  bool ICan(TActKind aTask) override { return aTask != atShow && TTestRect::ICan(aTask); }
  using TTestRect::Move;
  void Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) override {
    TTestRect::Move(aOffset, aVList, aRelative);
    if (TCommonObj *held = GetLinkedObj(); held && held->GetLinkedObj() == this)
      held->Move(aOffset, aVList, aRelative);
  }

protected:
  TClipTray() : TTestRect(DefaultParam(QStringLiteral("テスト台"))) {
    Param.ActType.Include(awTray);
  }
};

class CopierTest : public InputTest {
protected:
  void SetUp() override {
    InputTest::SetUp();
    for (const TObjClass *objClass :
         {&ObjClassOf<TClipEditCell>(), &ObjClassOf<TClipMemo>(), &ObjClassOf<TClipTextBox>(),
          &ObjClassOf<TClipSound>(), &ObjClassOf<TClipStill>(), &ObjClassOf<TClipTable>(),
          &ObjClassOf<TClipTray>()})
      ObjClassList().Add(*objClass);
    other_ = NewObject<TBookTestPage>();
    handler_ = std::make_unique<TSimpleHandler>(nullptr, &window_, [this] { return page_.get(); });
    copier_ = std::make_unique<TCopier>(page_.get());
    copier_->RequestNewObj = [this] { return handler_->MakeNewObj(); };
    ClipboardClear();
  }
  void TearDown() override {
    ClipboardClear();
    copier_.reset();
    handler_.reset();
    other_.reset();
    InputTest::TearDown();
  }

  TTestRect *Rect(double x, double y) {
    TTestRect *rect = Add(Corners(x, y, x + 50, y + 30));
    rect->ReName(0);
    return rect;
  }
  static TRealPoint First(const TCommonObj *aObj) { return aObj->Polygon().front(); }
  // The objects a multi-paste onto the page gives, kept by the caller.
  std::vector<TCommonObj *> MultiPaste(TCustomCompo *aPage) {
    TMultiCopy copy(aPage, copier_.get());
    copy.Paste(aPage);
    copy.Regist(aPage);
    return std::vector<TCommonObj *>(copy.Pool()->begin(), copy.Pool()->end());
  }
  // The records of aObjs written one after another.
  static QByteArray Records(std::initializer_list<TCommonObj *> aObjs) {
    TMetaStream records;
    for (TCommonObj *obj : aObjs)
      obj->SaveToStream(records);
    return records.Bytes();
  }
  static void OfferFiles(const QStringList &aFiles) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &file : aFiles)
      urls << QUrl::fromLocalFile(file);
    data->setUrls(urls);
    QGuiApplication::clipboard()->setMimeData(data.release());
  }

  std::unique_ptr<TBookTestPage> other_;
  std::unique_ptr<TSimpleHandler> handler_;
  std::unique_ptr<TCopier> copier_;
};

TEST_F(CopierTest, RepeatedPastesShiftByFiveWithNewIdsAndNames) {
  TTestRect *rect = Rect(10, 20);
  copier_->Copy(rect, false);
  EXPECT_EQ(ClipboardFormat(), kClipExData);
  EXPECT_EQ(copier_->Count(), 1);

  std::set<int64_t> ids{rect->Id()};
  TRect shifted;
  std::set<QString> names{rect->Name};
  std::vector<std::unique_ptr<TCommonObj>> pasted;
  for (int n = 1; n <= 3; ++n) {
    std::unique_ptr<TCommonObj> copy = copier_->Paste(page_.get());
    ASSERT_NE(copy, nullptr) << n;
    EXPECT_EQ(First(copy.get()), (TRealPoint{10.0 + 5 * n, 20.0 + 5 * n})) << n;
    EXPECT_EQ(page_->IndexOf(copy.get()), -1) << "the caller adds it";
    ids.insert(copy->Id());
    names.insert(copy->Name);
    shifted = UnionRect(shifted, copy->BoundsRect());
    // The first paste took the block off the clipboard; the copier pastes on.
    EXPECT_EQ(ClipboardFormat(), kClipNone);
    EXPECT_EQ(copier_->Count(), 1);
    pasted.push_back(std::move(copy));
  }
  EXPECT_EQ(ids.size(), 4u);
  EXPECT_EQ(names.size(), 4u);
  EXPECT_EQ(copier_->ClipRect(), shifted);
  EXPECT_FALSE(shifted.IsEmpty());
}

TEST_F(CopierTest, CutPastesInPlaceThenShiftsAndAnotherPageKeepsThePosition) {
  TTestRect *rect = Rect(10, 20);
  copier_->Copy(rect, true);
  page_->Extract(rect); // the cut removes it

  const struct {
    TCustomCompo *page;
    TRealPoint at;
  } steps[] = {
      {page_.get(), {10, 20}},                           // where it was cut from
      {page_.get(), {15, 25}},                           // again: shifted
      {other_.get(), {10, 20}},                          // another page: as stored
      {other_.get(), {15, 25}}, {page_.get(), {10, 20}}, // back: counted anew
  };
  for (const auto &s : steps) {
    std::unique_ptr<TCommonObj> copy = copier_->Paste(s.page);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(First(copy.get()), s.at) << (s.page == other_.get() ? "other" : "page");
  }
}

TEST_F(CopierTest, EditCellsAreNotCopiedAndAHandlerTakingOverKeepsTheRecords) {
  TCommonObj *cell = Add<TClipEditCell>(Corners(0, 0, 10, 10));
  copier_->Copy(cell, false);
  EXPECT_EQ(copier_->Count(), 0);
  EXPECT_EQ(ClipboardFormat(), kClipNone);
  EXPECT_EQ(copier_->Paste(page_.get()), nullptr);

  TTestRect *a = Rect(0, 0);
  TTestRect *b = Rect(100, 0);
  TMultiCopy(page_.get(), copier_.get()).Copy({a, cell, b}, false);
  EXPECT_EQ(ClipboardExData(), Records({a, b}));
  EXPECT_EQ(copier_->Count(), 2);

  TCopier next(page_.get());
  next.Clear(copier_.get());
  EXPECT_EQ(ClipboardFormat(), kClipNone);
  EXPECT_EQ(next.Count(), 2);
  TMultiCopy copy(page_.get(), &next);
  copy.Paste(page_.get());
  EXPECT_EQ(copy.Count(), 2);
}

// The block is the records one after another; a composite's record carries
// its children but counts as one.
TEST_F(CopierTest, TheBlockIsTheRecordsAndEveryOneIsPastedOnce) {
  TTestRect *a = Rect(0, 0);
  TTestHolder *holder = Add<TTestHolder>({{200, 200}});
  holder->AddObj(NewObject<TTestRect>())->ReName(0);
  TTestRect *b = Rect(100, 0);
  TMultiCopy(page_.get(), copier_.get()).Copy({a, holder, b}, false);
  EXPECT_EQ(ClipboardExData(), Records({a, holder, b}));
  EXPECT_EQ(copier_->Count(), 3);

  const int before = page_->Count();
  std::vector<TCommonObj *> first = MultiPaste(page_.get());
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(page_->Count(), before + 3);
  EXPECT_EQ(First(first[0]), (TRealPoint{5, 5}));
  EXPECT_EQ(first[1]->ObjInfo().Name, QStringLiteral("テスト容器"));
  EXPECT_EQ(static_cast<TCustomCompo *>(first[1])->Count(), 1);
  // The records went back on the clipboard: the next paste gives all three
  // again, shifted once more.
  EXPECT_EQ(copier_->Count(), 3);
  std::vector<TCommonObj *> second = MultiPaste(page_.get());
  ASSERT_EQ(second.size(), 3u);
  EXPECT_EQ(First(second[2]), (TRealPoint{110, 10}));
  EXPECT_EQ(page_->Count(), before + 6);
}

TEST_F(CopierTest, CopiesOfLinkedObjectsLinkToEachOther) {
  TTestRect *a = Rect(0, 0);
  TTestRect *b = Rect(100, 0);
  ASSERT_TRUE(a->DrawLink()->DoLink(b));
  TMultiCopy(page_.get(), copier_.get()).Copy({a, b}, false);
  std::vector<TCommonObj *> copies = MultiPaste(page_.get());
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(copies[0]->GetLinkedObj(), copies[1]);
  EXPECT_EQ(copies[0]->GetLinkedId(), copies[1]->Id());
  EXPECT_NE(copies[1]->Id(), b->Id());
  EXPECT_EQ(a->GetLinkedObj(), b);

  // Copied alone, the copy links to nothing.
  copier_->Copy(a, false);
  std::unique_ptr<TCommonObj> alone = copier_->Paste(page_.get());
  ASSERT_NE(alone, nullptr);
  EXPECT_EQ(alone->GetLinkedObj(), nullptr);
  EXPECT_NE(alone->GetLinkedId(), b->Id());
}

// The tray moves what it holds; the copier does not move a held object a
// second time, whichever comes first, unless its tray was not copied.
TEST_F(CopierTest, ObjectsHeldByACopiedTrayKeepTheirPlaceOnIt) {
  TCommonObj *tray = Add<TClipTray>(Corners(0, 0, 200, 100));
  tray->ReName(0);
  TTestRect *held = Rect(20, 20);
  held->Param.ActType.Include(awTray);
  ASSERT_TRUE(static_cast<TClipTray *>(tray)->DrawLink()->DoLink(held));
  ASSERT_TRUE(held->DrawLink()->DoLink(tray));

  const struct {
    const char *name;
    std::vector<TCommonObj *> copied;
    TRealPoint heldAt;
  } cases[] = {
      {"tray first", {tray, held}, {25, 25}},
      {"held first", {held, tray}, {25, 25}},
      {"without its tray", {held}, {25, 25}},
  };
  for (const auto &c : cases) {
    TMultiCopy(page_.get(), copier_.get()).Copy(c.copied, false);
    std::vector<TCommonObj *> copies = MultiPaste(page_.get());
    ASSERT_EQ(copies.size(), c.copied.size()) << c.name;
    for (size_t i = 0; i < copies.size(); ++i) {
      const bool isTray = c.copied[i] == tray;
      const TRealPoint at = isTray ? TRealPoint{5, 5} : c.heldAt;
      EXPECT_EQ(First(copies[i]), at) << c.name;
      if (c.copied.size() == 2) {
        EXPECT_EQ(copies[i]->GetLinkedObj(), copies[1 - i]) << c.name;
      }
    }
  }
}

TEST_F(CopierTest, AMultiCopyListsWithoutOwningAndRefusesRemoval) {
  TTestRect *a = Rect(0, 0);
  TTestRect *b = Rect(100, 100);
  Rect(300, 300);
  TMultiCopy copy(page_.get(), copier_.get());
  EXPECT_EQ(copy.ObjInfo().Name, QStringLiteral("複数選択"));
  copy.CreateObjList({-10, -10, 160, 160});
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Pool()->Items(0), a);
  EXPECT_EQ(copy.Pool()->Items(1), b);
  TCommonObj *member = a;
  try {
    copy.RemoveObj(member);
    ADD_FAILURE() << "no exception";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("コピー 不正削除"));
  }
  EXPECT_EQ(copy.Count(), 2);

  // Copies never handed over go with the multi-copy (the leak check sees
  // them otherwise); the page is untouched.
  copy.Copy({a, b}, false);
  const int before = page_->Count();
  {
    TMultiCopy pasted(page_.get(), copier_.get());
    pasted.Paste(page_.get());
    EXPECT_EQ(pasted.Count(), 2);
  }
  EXPECT_EQ(page_->Count(), before);
}

TEST_F(CopierTest, CtrlDragCopiesLandAtTheDragOffset) {
  TTestRect *a = Rect(10, 20);
  TTestRect *b = Rect(100, 20);
  ASSERT_TRUE(a->DrawLink()->DoLink(b));
  QGuiApplication::clipboard()->setText(QStringLiteral("emptied by the copy"));

  std::unique_ptr<TCommonObj> one = TCopier::Copipe(page_.get(), a, QPoint(30, 40));
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(First(one.get()), (TRealPoint{40, 60}));
  EXPECT_NE(one->Id(), a->Id());
  EXPECT_NE(one->Name, a->Name);
  EXPECT_EQ(one->GetLinkedObj(), nullptr);
  EXPECT_EQ(ClipboardFormat(), kClipNone);

  TMultiCopy selection(page_.get(), copier_.get());
  selection.CreateObjList({0, 0, 200, 100});
  TAuthorMultiTrac trac;
  ASSERT_EQ(trac.Add(&selection), 2);
  const int before = page_->Count();
  TMultiCopy::Copipe(page_.get(), trac, QPoint(30, 40));
  EXPECT_EQ(page_->Count(), before + 2);
  ASSERT_EQ(trac.Count(), 2);
  TCommonObj *copyA =
      trac.GetObjs(0)->Polygon().front().rx < 100 ? trac.GetObjs(0) : trac.GetObjs(1);
  TCommonObj *copyB = copyA == trac.GetObjs(0) ? trac.GetObjs(1) : trac.GetObjs(0);
  EXPECT_EQ(First(copyA), (TRealPoint{40, 60}));
  EXPECT_EQ(First(copyB), (TRealPoint{130, 60}));
  EXPECT_EQ(copyA->GetLinkedObj(), copyB);
  EXPECT_NE(page_->IndexOf(copyA), -1);
}

// A block cut short or damaged pastes the records before the bad one and
// nothing after it; counting stops there too.
TEST_F(CopierTest, ADamagedBlockPastesNothingPastTheBadRecord) {
  TTestRect *a = Rect(0, 0);
  TTestRect *b = Rect(100, 0);
  TTestRect *c = Rect(200, 0);
  TTestRect *far = Rect(0, 0);
  far->Place(Corners(2e7, 0, 2e7 + 50, 30)); // beyond any page: refused when read
  const QByteArray whole = Records({a, b, c});
  const qsizetype first = Records({a}).size();
  auto withSecondSize = [&](int32_t size) {
    QByteArray block = whole;
    for (int i = 0; i < 4; ++i)
      block[first + i] = char(uint32_t(size) >> (8 * i));
    return block;
  };
  const struct {
    const char *name;
    QByteArray block;
    int count, pasted;
  } cases[] = {
      {"whole", whole, 3, 3},
      {"cut in the third", whole.left(whole.size() - 10), 2, 2},
      {"cut in the size of the third", whole.left(whole.size() - Records({c}).size() + 2), 2, 2},
      {"second size beyond the block", withSecondSize(0x7fffffff), 1, 1},
      {"second size zero", withSecondSize(0), 1, 1},
      {"second size negative", withSecondSize(-8), 1, 1},
      {"second unreadable", Records({a, far, c}), 3, 1},
      {"first unreadable", Records({far, a}), 2, 0},
      {"garbage",
       QByteArray("\x05\x00\x00\x00"
                  "abcde",
                  9),
       0, 0},
      {"empty", QByteArray(), 0, 0},
  };
  for (const auto &k : cases) {
    ClipboardSetExData(k.block);
    EXPECT_EQ(copier_->Count(), k.count) << k.name;
    TMultiCopy copy(page_.get(), copier_.get());
    copy.Paste(page_.get());
    EXPECT_EQ(copy.Count(), k.pasted) << k.name;

    ClipboardSetExData(k.block);
    std::unique_ptr<TCommonObj> single = copier_->Paste(page_.get());
    EXPECT_EQ(single != nullptr, k.pasted > 0) << k.name;
  }
}

TEST_F(CopierTest, TextBecomesAMemoAtTheLastClick) {
  QGuiApplication::clipboard()->setText(QStringLiteral("たしざん"));
  copier_->LastClick = QPoint(30, 40);
  EXPECT_EQ(copier_->Count(), 1);
  std::unique_ptr<TCommonObj> memo = copier_->Paste(page_.get());
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->ObjInfo().Name, QStringLiteral("メモ"));
  EXPECT_EQ(static_cast<TClipMemo *>(memo.get())->Text, QStringLiteral("たしざん"));
  EXPECT_EQ(First(memo.get()), (TRealPoint{30, 40}));
  EXPECT_EQ(page_->IndexOf(memo.get()), -1);
}

TEST_F(CopierTest, TextBecomesATextTableOfItsRowsAndTabs) {
  const struct {
    const char *name;
    QString text;
  } cases[] = {
      {"CR LF", QStringLiteral("1\t2\t3\r\n4\t5\t6\r\n")},
      {"last line without a line end", QStringLiteral("1\t2\t3\r\n4\t5\t6")},
      {"LF", QStringLiteral("1\t2\t3\n4\t5\t6\n")},
  };
  copier_->LastClick = QPoint(50, 60);
  for (const auto &c : cases) {
    QGuiApplication::clipboard()->setText(c.text);
    std::unique_ptr<TCommonObj> made = copier_->PasteToTextTable(page_.get());
    auto *table = dynamic_cast<TClipTable *>(made.get());
    ASSERT_NE(table, nullptr) << c.name;
    EXPECT_EQ(table->Cols, 3) << c.name;
    EXPECT_EQ(table->Rows, 2) << c.name;
    EXPECT_EQ(table->CellText(0, 0), QStringLiteral("1")) << c.name;
    EXPECT_EQ(table->CellText(2, 1), QStringLiteral("6")) << c.name;
    EXPECT_EQ(First(table), (TRealPoint{50, 60})) << c.name;
  }
  // A text of more cells than a page holds makes no table.
  QGuiApplication::clipboard()->setText(QString(QStringLiteral("x\t"))
                                            .repeated(100)
                                            .append(QString(QStringLiteral("\n")).repeated(101)));
  EXPECT_EQ(copier_->PasteToTextTable(page_.get()), nullptr);
  // The private format is no text.
  copier_->Copy(Rect(0, 0), false);
  EXPECT_EQ(copier_->PasteToTextTable(page_.get()), nullptr);
}

TEST_F(CopierTest, APictureBecomesAStillPicture) {
  TBitmap bitmap;
  bitmap.SetSize(7, 4);
  ClipboardSetBitmap(bitmap);
  copier_->LastClick = QPoint(5, 6);
  std::unique_ptr<TCommonObj> made = copier_->Paste(page_.get());
  auto *still = dynamic_cast<TClipStill *>(made.get());
  ASSERT_NE(still, nullptr);
  EXPECT_EQ(still->Picture.Width(), 7);
  EXPECT_EQ(First(still), (TRealPoint{5, 6}));
}

TEST_F(CopierTest, DroppedFilesByKindUntilAFileOfAnotherKind) {
  copier_->LastClick = QPoint(100, 50);
  OfferFiles({QStringLiteral("/tmp/a.PNG"), QStringLiteral("/tmp/b.txt"),
              QStringLiteral("/tmp/c.wav"), QStringLiteral("/tmp/d.mp4"),
              QStringLiteral("/tmp/e.bmp")});
  EXPECT_EQ(copier_->Count(), 5);
  const int before = page_->Count();
  TMultiCopy copy(page_.get(), copier_.get());
  copy.Paste(page_.get());
  EXPECT_EQ(page_->Count(), before) << "made on the page, taken back";
  const struct {
    const char *kind;
    const char *file;
  } expected[] = {{"静止画", "/tmp/a.PNG"}, {"文字編集", "/tmp/b.txt"}, {"音声", "/tmp/c.wav"}};
  ASSERT_EQ(copy.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    auto *obj = static_cast<TClipStandIn *>(copy.Pool()->Items(i));
    EXPECT_EQ(obj->ObjInfo().Name, QString::fromUtf8(expected[i].kind));
    EXPECT_EQ(obj->File, QString::fromUtf8(expected[i].file));
    EXPECT_EQ(First(obj), (TRealPoint{100, 50}));
  }
  copy.Regist(page_.get());
  EXPECT_EQ(page_->Count(), before + 3);
  copy.Regist(page_.get());
  EXPECT_EQ(page_->Count(), before + 3);

  // One file through Paste: not left on the page; a first file of no kind
  // in the list makes nothing.
  OfferFiles({QStringLiteral("/tmp/f.txt")});
  std::unique_ptr<TCommonObj> one = copier_->Paste(page_.get());
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->ObjInfo().Name, QStringLiteral("文字編集"));
  EXPECT_EQ(page_->Count(), before + 3);
  OfferFiles({QStringLiteral("/tmp/g.avi"), QStringLiteral("/tmp/h.png")});
  EXPECT_EQ(copier_->Paste(page_.get()), nullptr);
  TMultiCopy none(page_.get(), copier_.get());
  none.Paste(page_.get());
  EXPECT_EQ(none.Count(), 0);
}

} // namespace
} // namespace lumora::test
