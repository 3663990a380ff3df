// The reader of old books (format version 3 or less): header forms and
// versions, the stamp, still and media sections, page and object records,
// the kind map, page-clear buttons, links by name, and damaged files.
#include <QFile>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "core/book/LegacyBook.h"
#include "core/drawable/DummyDrawObj.h"
#include "core/model/CoreContext.h"
#include "core/model/MakeInfo.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "core/system/TempFiles.h"
#include "platform/system/Exception.h"
#include "platform/ui/MessageBox.h"
#include "tests/core/book/BookTestClasses.h"
#include "tests/kinds/LegacyBookWriter.h"
#include "tests/kinds/LegacyKinds.h"

namespace lumora::test {
namespace {

// Ends the test program when a read does not return in time: a hang fails.
class Watchdog {
public:
  explicit Watchdog(std::chrono::seconds aLimit)
      : thread_([this, aLimit] {
          std::unique_lock lock(mutex_);
          if (!done_.wait_for(lock, aLimit, [this] { return finished_; })) {
            std::fputs("legacy book read did not end in time\n", stderr);
            std::_Exit(1);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_one();
    thread_.join();
  }

private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

class RecordingBox : public IMessageBox {
public:
  explicit RecordingBox(QStringList *aShown) : shown_(aShown) {}
  TMsgResult Show(const QString &text, const QString &, TMsgButtons buttons) override {
    *shown_ << text;
    return DefaultButton(buttons);
  }

private:
  QStringList *shown_;
};

TOldObject Rect(const QString &aName, const QString &aClick = {}) {
  TOldObject obj;
  obj.Name = aName;
  obj.Option = OldClickOption(aClick);
  return obj;
}

class LegacyBookTest : public BookTest {
protected:
  void SetUp() override {
    BookTest::SetUp();
    RegisterLegacyKinds(ObjClassList());
    SetMessageBox(std::make_unique<RecordingBox>(&shown_));
    books_.push_back(NewObject<TBookTestBook>());
    book_ = books_.back().get();
    SetCurrentBook(book_);
  }

  // Writes the bytes to "f.lmm" and reads them; the loader's answer.
  bool Read(const QByteArray &aBytes) {
    const QString path = BookPath(QStringLiteral("f.lmm"));
    WriteFile(path, aBytes);
    TLegacyBookLoader loader(book_);
    const bool read = loader.LoadFromFile(path);
    messages_ = loader.Messages();
    return read;
  }

  // A book of an empty common page and one page of aRecords.
  static QByteArray OnePage(const std::vector<QByteArray> &aRecords) {
    TOldBook book;
    book.Pages = {OldPageBody({}), OldPageBody(aRecords)};
    return OldBookBytes(book);
  }

  TMetaPage *Page(int aNo) const { return book_->Pages(aNo); }

  TBookTestBook *book_ = nullptr;
  QStringList shown_;
  QStringList messages_;
};

TEST(LegacyHeaderVersion, TakesTheTextBehindTheFirstVThatIsNotTheDataWords) {
  const struct {
    const char16_t *header;
    float version;
  } cases[] = {
      {u"Vellumkit Lumora V 1.20 ", 1.2f},
      {u"Vellumkit Lumora V 1.19 ", 1.19f},
      // A blank first keeps all nine: what follows the number spoils it.
      {u"Vellumkit Lumora V 2.5 \r\nx", 0.0f},
      // A blank first: all nine characters, blanks around the number allowed.
      {u"Vellumkit V  2.0     ", 2.0f},
      {u"Vellumkit V 1.20abcdef", 0.0f},
      // No blank among the nine characters.
      {u"Vellumkit V2.5", 2.5f},
      {u"Vellumkit V2.5xxxxxxxxx", 0.0f},
      // Only the data word's "V": the first nine characters.
      {u"Vellumkit Lumora", 0.0f},
      {u"", 0.0f},
      {u"1.5", 1.5f},
  };
  for (const auto &c : cases)
    EXPECT_EQ(OldHeaderVersion(QString::fromUtf16(c.header)), c.version)
        << QString::fromUtf16(c.header).toStdString();
}

TEST_F(LegacyBookTest, ReadsFormBPagesObjectsAndTheirRecords) {
  TOldObject rect = Rect(QStringLiteral("四角"));
  rect.Layer = 12;
  rect.Priority = 51;
  rect.FaceColor = 0x00FF00;
  rect.ObjValue = 7;
  rect.GrabForm = {1, 2, 3, 0};
  TOldBook old;
  old.Pages = {OldPageBody({OldObjectRecord(Rect(QStringLiteral("共通")))}),
               OldPageBody({OldObjectRecord(rect)}), OldPageBody({})};
  ASSERT_TRUE(Read(OldBookBytes(old)));

  EXPECT_EQ(book_->ReadResult, TBookRead::brComplete);
  ASSERT_EQ(book_->Count(), 3);
  EXPECT_EQ(book_->WorkPage, nullptr);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(Page(k)->ObjInfo().Name, QStringLiteral("ルモラ頁"));
    EXPECT_EQ(Page(k)->Param.ObjValue(), k);
  }
  ASSERT_EQ(Page(1)->Count(), 1);
  TCommonObj *obj = Page(1)->Items(0);
  EXPECT_EQ(obj->Param.ObjName, QStringLiteral("テスト矩形"));
  EXPECT_EQ(obj->Param.Layer, 12);
  EXPECT_EQ(obj->Param.Priority, 51);
  EXPECT_EQ(obj->Param.FaceColor, TColor(0x00FF00));
  EXPECT_EQ(obj->Param.ObjValue(), 7);
  EXPECT_EQ(obj->Polygon(), rect.Polygon);
  ASSERT_NE(obj->GrabInfo(), nullptr);
  EXPECT_EQ(obj->GetGrabForm(1), TGrabType(2));
  // Every object is renamed after its links were fixed.
  EXPECT_NE(obj->Name, QStringLiteral("四角"));
  EXPECT_TRUE(shown_.isEmpty());
}

TEST_F(LegacyBookTest, ReadsOrRefusesByTheHeaderVersion) {
  const QString refused = QStringLiteral("「f.lmm」はVer1.5以前と判定され読込み不能でした。");
  const struct {
    const char16_t *header;
    bool formA;
    bool read;
  } cases[] = {
      {u"Vellumkit Lumora V 1.20 ", false, true},
      {u"Vellumkit Lumora V  3.0    ", false, true},
      {u"Vellumkit Lumora V 1.19 ", false, false},
      {u"Vellumkit Lumora", false, false},
      // Form A: the string at offset 0 is empty.
      {u"Vellumkit Lumora V 1.20 ", true, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(QString::fromUtf16(c.header).toStdString() + (c.formA ? " (A)" : ""));
    shown_.clear();
    TOldBook old;
    old.Header = QString::fromUtf16(c.header);
    old.FormA = c.formA;
    old.Pages = {OldPageBody({}), OldPageBody({OldObjectRecord(Rect(QStringLiteral("a")))})};
    if (c.read) {
      EXPECT_TRUE(Read(OldBookBytes(old)));
      EXPECT_EQ(book_->Count(), 2);
      EXPECT_TRUE(shown_.isEmpty());
    } else {
      try {
        Read(OldBookBytes(old));
        ADD_FAILURE() << "read";
      } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), refused);
      }
      EXPECT_EQ(shown_, QStringList{refused});
      EXPECT_EQ(book_->Count(), 0);
    }
  }
}

TEST_F(LegacyBookTest, RefusesAHeaderWithoutTheDataWordAndPresentationMode) {
  TOldBook old;
  old.Header = QStringLiteral("V 1.20 ");
  old.Pages = {OldPageBody({})};
  EXPECT_THROW(Read(OldBookBytes(old)), Exception);

  old.Header = QStringLiteral("Vellumkit V 1.20 ");
  TMakeInfo2::Get().SysMode = smExec;
  SysInfo().SetSysMode(smExec);
  TLegacyBookLoader loader(book_);
  EXPECT_THROW(loader.LoadFromFile(BookPath(QStringLiteral("none.lmm"))), Exception);
  EXPECT_EQ(loader.Error(), QStringLiteral("V2.0以前のファイルは編集モードで読込みます。"));
  SysInfo().SetSysMode(smAuthor);
  TMakeInfo2::Get().SysMode = smAuthor;
}

TEST_F(LegacyBookTest, StampListsOfVersion13AloneCarryPictures) {
  const QByteArray entry = OldStampEntry(QStringLiteral("old.png"), BenchStampPng());
  const struct {
    const char16_t *title;
    int stamps;
  } cases[] = {{u"Stamp List V 1.3", 1}, {u"Stamp List V 1.2", 0}};
  for (const auto &c : cases) {
    SCOPED_TRACE(QString::fromUtf16(c.title).toStdString());
    ResetStampMaker();
    TOldBook old;
    old.Pages = {OldPageBody({})};
    // Two offsets, the first zero: one entry follows.
    old.StampList =
        OldString(QString::fromUtf16(c.title)) + OldInt32(2) + OldInt32(0) + OldInt32(9) + entry;
    ASSERT_TRUE(Read(OldBookBytes(old)));
    EXPECT_EQ(StampMaker().Count(), c.stamps);
    EXPECT_EQ(StampMaker().FindStamp(QStringLiteral("old.png")) != nullptr, c.stamps == 1);
  }
}

TEST_F(LegacyBookTest, ReadsTheImageListAndHandsOnTheMediaTable) {
  TTempFileList::Construct(bookDir_.path() + QStringLiteral("/data"), QStringLiteral("Temp"),
                           bookDir_.path() + u'/');
  struct FreeList {
    ~FreeList() { TTempFileList::Free(); }
  } freeList;
  const int stills = StillMaker().Count();
  for (const bool mediaPos : {true, false}) {
    SCOPED_TRACE(mediaPos);
    TOldBook old;
    old.Pages = {OldPageBody({}), OldPageBody({OldObjectRecord(Rect(QStringLiteral("a")))})};
    old.ImageList =
        OldImageList({OldStillEntry(QStringLiteral("C:\\pic\\still.png"), BenchStampPng())});
    old.MediaTable = OldMediaEntry(QStringLiteral("a.wav"), QByteArray("RIFF!"));
    old.NoMediaPos = !mediaPos;
    ASSERT_TRUE(Read(OldBookBytes(old)));
    TTempFileList::Get().WaitThread();
    EXPECT_GE(TTempFileList::Get().IndexOfName(QStringLiteral("a.wav")), 0);
    EXPECT_EQ(StillMaker().Count(), stills + 1);
    EXPECT_EQ(book_->Count(), 2);
  }
}

TEST_F(LegacyBookTest, MapsOldKindsAndKeepsUnknownOnesAsPlaceholders) {
  TOldObject ribbon = Rect(QStringLiteral("r"));
  ribbon.Kind = QStringLiteral("リボン図");
  TOldObject unknown = Rect(QStringLiteral("u"));
  unknown.Kind = QStringLiteral("謎の図");
  unknown.Text = QStringLiteral("本文");
  ASSERT_TRUE(Read(OnePage({OldObjectRecord(ribbon), OldObjectRecord(unknown)})));
  ASSERT_EQ(Page(1)->Count(), 2);
  EXPECT_EQ(Page(1)->Items(0)->ObjInfo().Name, QStringLiteral("テープ図"));
  EXPECT_EQ(Page(1)->Items(0)->Param.ObjName, QStringLiteral("テープ図"));
  TCommonObj *placeholder = Page(1)->Items(1);
  EXPECT_NE(dynamic_cast<TDummyDrawObj *>(placeholder), nullptr);
  EXPECT_EQ(placeholder->Param.ObjName, QString::fromUtf16(TDummyDrawObj::kKindName));
  EXPECT_EQ(placeholder->Param.Text, QStringLiteral("謎の図"));
  EXPECT_EQ(placeholder->Polygon(), unknown.Polygon);
}

TEST_F(LegacyBookTest, PagePropertyRecordsPassOnTheirFillAndMakeNoObject) {
  TOldObject property = Rect(QStringLiteral("p"));
  property.Kind = QStringLiteral("ページプロパティ");
  property.FaceColor = 0x123456;
  property.Coating = true;
  for (const bool classed : {false, true}) {
    SCOPED_TRACE(classed);
    if (classed) ObjClassList().Add<TLegacyPageProperty>();
    book_->Param.FaceColor = 0;
    book_->Param.Coating = false;
    ASSERT_TRUE(
        Read(OnePage({OldObjectRecord(property), OldObjectRecord(Rect(QStringLiteral("a")))})));
    ASSERT_EQ(Page(1)->Count(), 1);
    EXPECT_EQ(Page(1)->Items(0)->Param.ObjName, QStringLiteral("テスト矩形"));
    // Without a class the book takes the fill, with one the page.
    EXPECT_EQ(book_->Param.FaceColor, classed ? TColor(0) : TColor(0x123456));
    EXPECT_EQ(book_->Param.Coating, !classed);
    if (classed) {
      EXPECT_EQ(Page(1)->Param.FaceColor, TColor(0x123456));
      EXPECT_TRUE(Page(1)->Param.Coating);
    }
  }
}

TEST_F(LegacyBookTest, SixObjectsAddAHiddenPageClearButtonFiveNone) {
  for (const int n : {5, 6}) {
    SCOPED_TRACE(n);
    std::vector<QByteArray> records;
    for (int i = 0; i < n; ++i)
      records.push_back(OldObjectRecord(Rect(QString::number(i))));
    ASSERT_TRUE(Read(OnePage(records)));
    const int count = Page(1)->Count();
    ASSERT_EQ(count, n == 6 ? 7 : 5);
    if (n == 5) {
      for (int i = 0; i < count; ++i)
        EXPECT_EQ(dynamic_cast<TLegacyPageClear *>(Page(1)->Items(i)), nullptr);
      continue;
    }
    TLegacyPageClear *clear = nullptr;
    for (int i = 0; i < count && !clear; ++i)
      clear = dynamic_cast<TLegacyPageClear *>(Page(1)->Items(i));
    ASSERT_NE(clear, nullptr);
    EXPECT_FALSE(clear->Param.ActType.Contains(atShow));
    EXPECT_EQ(clear->Param.ObjValue(), 9);
    EXPECT_EQ(clear->Moved, (TRealPoint{784, 584}));
    EXPECT_EQ(clear->MadeWithStampSize, 16);
  }
}

TEST_F(LegacyBookTest, LinksByNameGoToTheFirstObjectOfThatName) {
  TOldObject group = Rect(QStringLiteral("g"));
  group.Kind = QStringLiteral("グループ");
  group.Polygon = {{5, 5}, {9, 9}};
  group.Grabs = 2;
  group.GrabForm = {0, 0};
  group.Option = OldInt32(3) + OldString(QStringLiteral("A")) +
                 OldString(QStringLiteral("どこにもない")) + OldString(QStringLiteral("B"));
  TOldObject child = Rect(QStringLiteral("k"));
  child.Option = OldClickOption(QString());
  const QByteArray childEntry =
      OldInt32(0) + OldInt32(250) + QByteArray(8, '\0') + OldObjectBody(child);
  TOldObject animator = Rect(QStringLiteral("anim"));
  animator.Kind = QStringLiteral("アニメーター");
  animator.Option = OldString(QStringLiteral("A"));
  animator.Tail = OldInt32(2) + childEntry + childEntry;

  ASSERT_TRUE(Read(OnePage({OldObjectRecord(Rect(QStringLiteral("A"))),
                            OldObjectRecord(Rect(QStringLiteral("A"))),
                            OldObjectRecord(Rect(QStringLiteral("B"), QStringLiteral("A"))),
                            OldObjectRecord(Rect(QStringLiteral("C"), QStringLiteral("無い"))),
                            OldObjectRecord(group), OldObjectRecord(animator)})));
  TMetaPage *page = Page(1);
  // The page-clear button comes first.
  ASSERT_EQ(page->Count(), 7);
  TCommonObj *firstA = page->Items(1);
  TCommonObj *b = page->Items(3);
  EXPECT_EQ(firstA->Param.Priority, 51); // the animation's link raised it
  EXPECT_EQ(page->Items(2)->Param.Priority, 50);
  EXPECT_EQ(dynamic_cast<TDrawObj *>(b)->EventParam.Click, firstA->Id());
  EXPECT_EQ(dynamic_cast<TDrawObj *>(page->Items(4))->EventParam.Click, -1);

  auto *g = dynamic_cast<TLegacyGroup *>(page->Items(5));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->Ids, (std::vector<int64_t>{firstA->Id(), b->Id()}));
  // A group's one point, no grabs.
  EXPECT_EQ(g->Polygon().size(), 1u);
  EXPECT_EQ(g->Param.Grabs, 0);

  auto *a = dynamic_cast<TLegacyAnimator *>(page->Items(6));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->LinkId, firstA->Id());
  ASSERT_EQ(a->Keys.size(), 2u);
  EXPECT_EQ(a->Keys[0].second, 250);
  EXPECT_EQ(a->Keys[0].first->Param.Priority, 51);
  EXPECT_EQ(a->Keys[1].first->Param.Priority, 50);
  EXPECT_TRUE(a->Keys[1].first->Param.ActType.Contains(atShow));

  // The missing name loses its link only, and is told once the book is read.
  EXPECT_EQ(book_->Count(), 2);
  EXPECT_EQ(messages_, QStringList{QStringLiteral("どこにもないはId異常")});
  EXPECT_EQ(shown_, QStringList{QStringLiteral("どこにもないはId異常")});
}

TEST_F(LegacyBookTest, DamagedRecordsArePassedOverAndCountsAreBounded) {
  const QByteArray good = OldObjectRecord(Rect(QStringLiteral("a")));
  TOldObject badPolygon = Rect(QStringLiteral("p"));
  TOldObject hugeGrabs = Rect(QStringLiteral("g"));
  hugeGrabs.Grabs = 0x7FFFFFF0;
  TOldObject animator = Rect(QStringLiteral("anim"));
  animator.Kind = QStringLiteral("アニメ編集");
  animator.Option = OldString(QString());
  animator.Tail = OldInt32(0x7FFFFFFF);
  QByteArray polygonRecord = OldObjectRecord(badPolygon);
  // The polygon's byte count (behind version, parameters, Int32 and name).
  const int polygonAt = 4 + 4 + OldString(badPolygon.Kind).size() + 4 + 64 + 4 + 4 + 4 +
                        OldString(QStringLiteral("p")).size();
  polygonRecord.replace(polygonAt, 4, OldInt32(0x7FFFFFF0));
  QByteArray shortRecord = OldInt32(2) + QByteArray(6, '\0');
  QByteArray longRecord = OldInt32(1 << 30) + good.mid(4);

  const struct {
    const char *what;
    std::vector<QByteArray> records;
    int objects;
  } cases[] = {
      {"polygon count", {good, polygonRecord, good}, 2},
      {"grab count", {good, OldObjectRecord(hugeGrabs), good}, 2},
      {"animation children", {good, OldObjectRecord(animator), good}, 2},
      {"record below 4", {good, shortRecord, good}, 1},
      {"record beyond the body", {good, longRecord}, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(Read(OnePage(c.records)));
    EXPECT_EQ(book_->ReadResult, TBookRead::brDamaged);
    ASSERT_EQ(book_->Count(), 2);
    EXPECT_EQ(Page(1)->Count(), c.objects);
  }

  // A last page number far beyond what the file holds, and a page body
  // beyond the file.
  TOldBook old;
  old.Pages = {OldPageBody({}), OldPageBody({good})};
  old.LastPage = 0x7FFFFFFE;
  ASSERT_TRUE(Read(OldBookBytes(old)));
  EXPECT_EQ(book_->Count(), 2);
  EXPECT_EQ(book_->ReadResult, TBookRead::brDamaged);
  old.LastPage = INT32_MIN;
  QByteArray bytes = OldBookBytes(old);
  bytes.chop(4);
  ASSERT_TRUE(Read(bytes));
  EXPECT_EQ(book_->Count(), 1);
  EXPECT_EQ(book_->ReadResult, TBookRead::brDamaged);
}

TEST_F(LegacyBookTest, EveryCutOrFlippedBookEndsWithoutACrash) {
  TOldObject group = Rect(QStringLiteral("g"));
  group.Kind = QStringLiteral("グループ");
  group.Option = OldInt32(1) + OldString(QStringLiteral("A"));
  TOldBook old;
  old.Pages = {OldPageBody({}),
               OldPageBody({OldObjectRecord(Rect(QStringLiteral("A"))), OldObjectRecord(group)})};
  old.StampList = OldStampList(QStringLiteral("Stamp List V 1.3"),
                               {OldStampEntry(QStringLiteral("s.png"), BenchStampPng())});
  const QByteArray bytes = OldBookBytes(old);
  Watchdog watchdog(std::chrono::seconds(120));
  auto readAny = [&](const QByteArray &aBytes) {
    try {
      Read(aBytes);
    } catch (const Exception &) {
    }
  };
  for (qsizetype n = 0; n < bytes.size(); ++n)
    readAny(bytes.left(n));
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    QByteArray flipped = bytes;
    flipped[i] = char(flipped[i] ^ 0xFF);
    readAny(flipped);
  }
  // Raw exception texts never reach the teacher.
  for (const QString &text : shown_)
    EXPECT_FALSE(text.contains(QStringLiteral("Stream read error"))) << text.toStdString();
}

} // namespace
} // namespace lumora::test
