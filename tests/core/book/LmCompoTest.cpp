// The book file: its sections at their offsets, the round trip of pages,
// objects, links and pictures, the header's version questions, previews,
// failed saves and damaged picture lists.
#include <QDir>
#include <QFile>
#include <QtEndian>
#include <functional>

#include "core/book/LmCompo.h"
#include "core/drawable/DummyDrawObj.h"
#include "core/model/ObjPool.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "core/system/TempFiles.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "platform/text/CodePage932.h"
#include "platform/ui/MessageBox.h"
#include "tests/core/book/BookTestClasses.h"

namespace lumora::test {
namespace {

const QString kReserveLine = QStringLiteral("－－－－－予備エリア－－－－－５０バイト－－－－－");

int32_t Int32At(const QByteArray &aBytes, int64_t aPos) {
  return qFromLittleEndian<int32_t>(aBytes.constData() + aPos);
}

int64_t Int64At(const QByteArray &aBytes, int64_t aPos) {
  return qFromLittleEndian<int64_t>(aBytes.constData() + aPos);
}

void PutInt32(QByteArray &aBytes, int64_t aPos, int32_t aValue) {
  qToLittleEndian<int32_t>(aValue, aBytes.data() + aPos);
}

// The bytes of the string (Int32 count, bytes) at aPos.
QByteArray StringAt(const QByteArray &aBytes, int64_t aPos) {
  return aBytes.mid(aPos + 4, Int32At(aBytes, aPos));
}

// The kind name of the object record at aPos: behind the record's size and
// version, the parameters begin with the kind as a byte string.
QString KindAt(const QByteArray &aBytes, int64_t aPos) {
  const int32_t n = Int32At(aBytes, aPos + 8);
  return FromCp932(aBytes.mid(aPos + 12, n - 1));
}

QByteArray Int32Bytes(int32_t aValue) {
  QByteArray bytes(4, '\0');
  PutInt32(bytes, 0, aValue);
  return bytes;
}

// The main index of a saved book.
struct MainIndex {
  int64_t at = 0;
  int32_t slot[7] = {};
};

MainIndex MainIndexOf(const QByteArray &aBytes) {
  MainIndex index;
  index.at = 4 + Int32At(aBytes, 0);
  for (int i = 0; i < 7; ++i)
    index.slot[i] = Int32At(aBytes, index.at + 4 * i);
  return index;
}

// A header string, the main index with the page section named at the first
// byte behind it, and a few bytes of page section.
QByteArray HeaderFile(const QString &aHeader) {
  const QByteArray text = ToCp932(aHeader);
  QByteArray bytes = Int32Bytes(int32_t(text.size())) + text;
  const int32_t first = int32_t(bytes.size()) + 28;
  for (int i = 0; i < 7; ++i)
    bytes += Int32Bytes(i == 2 ? first : 0);
  return bytes + QByteArray(16, '\0');
}

class BookFileTest : public BookTest {
protected:
  // A stamp of the picture file on aPage, with its own id.
  TTestPictureStamp *AddStampTo(TCustomCompo *aPage, const QString &aFile, double aX) {
    std::unique_ptr<TTestPictureStamp> stamp = NewObject<TTestPictureStamp>();
    stamp->Param.Text = aFile;
    CreatingStampSize() = 40;
    stamp->CreateImage();
    stamp->InitGrabInfo();
    stamp->Move({aX, 10});
    stamp->ReMake();
    stamp->ReName(0);
    return static_cast<TTestPictureStamp *>(aPage->AddObj(std::move(stamp)));
  }
};

// ---- Writing ----

TEST_F(BookFileTest, SavedBookLaysOutItsSectionsAtTheirOffsets) {
  TBookTestBook *book = NewBook(3);
  const QString path = BookPath(QStringLiteral("three.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));
  const QByteArray f = ReadFile(path);

  // 1 header, 2 main index.
  const QByteArray head = ToCp932(QStringLiteral("Vellumkit Lumora V 3.21 \r\n"));
  EXPECT_EQ(StringAt(f, 0), head);
  const MainIndex index = MainIndexOf(f);
  EXPECT_EQ(index.at, 4 + head.size());

  // 3 description: three empty lines, the page size and the reserve line.
  const QByteArray reserve = ToCp932(kReserveLine);
  EXPECT_EQ(reserve.size(), 50);
  const QByteArray description = QByteArray("\r\n\r\n\r\n800\r\n600\r\n") + reserve + "\r\n";
  EXPECT_EQ(index.slot[0], index.at + 28);
  EXPECT_EQ(StringAt(f, index.slot[0]), description);

  // 4 thumbnail: one tagged picture, up to the page section.
  const int64_t thumb = index.slot[1];
  EXPECT_EQ(thumb, index.slot[0] + 4 + description.size());
  const QByteArray tag = StringAt(f, thumb);
  EXPECT_FALSE(tag.isEmpty());
  EXPECT_EQ(index.slot[2], thumb + 4 + tag.size() + 4 + Int32At(f, thumb + 4 + tag.size()));

  // 5 page section: 3, three offsets, the book record, 3, the pages.
  const int64_t pages = index.slot[2];
  EXPECT_EQ(Int32At(f, pages), 3);
  const int64_t bookRecord = pages + 4 + 12;
  EXPECT_EQ(KindAt(f, bookRecord), QStringLiteral("テスト書籍"));
  const int64_t secondCount = bookRecord + 4 + Int32At(f, bookRecord);
  EXPECT_EQ(Int32At(f, secondCount), 3);
  int64_t expected = secondCount + 4;
  for (int i = 0; i < 3; ++i) {
    const int32_t offset = Int32At(f, pages + 4 + 4 * i);
    if (i == 0) {
      EXPECT_EQ(offset, expected);
    }
    EXPECT_GE(offset, expected) << "page " << i;
    EXPECT_EQ(KindAt(f, offset), QStringLiteral("テスト書籍頁")) << "page " << i;
    expected = offset + 4;
  }

  // 6 stamp list, 7 image list, 8 the (empty) media table.
  EXPECT_EQ(StringAt(f, index.slot[3]), QByteArray("Stamp List V 2.0"));
  EXPECT_EQ(Int32At(f, index.slot[3] + 20), 0);
  EXPECT_EQ(index.slot[4], index.slot[3] + 24);
  EXPECT_EQ(index.slot[5], index.slot[4]);
  EXPECT_EQ(StringAt(f, index.slot[5]), QByteArray("Image List V 2.0"));
  EXPECT_EQ(Int64At(f, index.slot[5] + 20), 12);
  EXPECT_EQ(Int32At(f, index.slot[5] + 28), 0);
  EXPECT_EQ(index.slot[6], index.slot[5] + 32);
  EXPECT_EQ(index.slot[6], f.size());
}

// ---- The round trip ----

TEST_F(BookFileTest, BookReadsBackWithPagesObjectsLinksAndPictures) {
  WriteProgramFile(QStringLiteral("quad.png"), QuadrantPng(40, 20));
  WriteProgramFile(QStringLiteral("blue.png"), PlainPng(12, 6, kBlue));
  WriteProgramFile(QStringLiteral("still.png"), PlainPng(30, 10, kRed));
  TBookTestBook *book = NewBook(3);
  TMetaPage *p1 = book->Pages(1);
  TMetaPage *p2 = book->Pages(2);
  AddTo(book->Pages(0), QStringLiteral("背景"), RectPoints(0, 0, 50, 50));
  TTestRect *target = AddTo(p1, QStringLiteral("的"), RectPoints(10, 10, 40, 40));
  AddTo<TTestConductor>(p1, QStringLiteral("線"), RectPoints(50, 50, 60, 60))->SetLinkedObj(target);
  AddStampTo(p1, QStringLiteral("quad.png"), 100);
  AddStampTo(p2, QStringLiteral("quad.png"), 100);
  AddStampTo(p2, QStringLiteral("blue.png"), 200);
  TStill_ *still = StillMaker()._Create(ProgramPath(QStringLiteral("still.png")));
  ASSERT_NE(still, nullptr);
  AddTo<TBookTestStill>(p2, QStringLiteral("写真"), RectPoints(0, 100, 30, 110))->Param.Text =
      still->fFilePath;
  p1->Param.FaceColor = 0x00FFFF;
  p2->SetPageMove(true);

  const QString path = BookPath(QStringLiteral("trip.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));
  // The pictures come back from the book, not from their files.
  const QString stillPath = still->fFilePath;
  ResetStampMaker();
  ResetStillMaker();
  for (const char *file : {"quad.png", "blue.png", "still.png"})
    QFile::remove(ProgramPath(QString::fromLatin1(file)));

  QString header;
  std::unique_ptr<TBookTestBook> back = Load(path, &header);
  ASSERT_TRUE(back);
  EXPECT_EQ(header, QStringLiteral("Vellumkit Lumora V 3.21 \r\n"));
  ASSERT_EQ(back->Count(), 3);
  EXPECT_EQ(back->Id(), book->Id());
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    TMetaPage *was = book->Pages(i);
    TMetaPage *is = back->Pages(i);
    EXPECT_EQ(is->Id(), was->Id());
    EXPECT_EQ(is->Name, was->Name);
    EXPECT_EQ(is->Page0(), i == 0 ? nullptr : back->Pages(0));
    EXPECT_EQ(is->PageMove(), i == 2);
    EXPECT_EQ(is->Param.FaceColor, was->Param.FaceColor);
    ASSERT_EQ(is->Count(), was->Count());
    for (int k = 0; k < is->Count(); ++k) {
      EXPECT_EQ(is->Items(k)->Param.ObjName, was->Items(k)->Param.ObjName);
      EXPECT_EQ(is->Items(k)->Id(), was->Items(k)->Id());
      EXPECT_EQ(is->Items(k)->Name, was->Items(k)->Name);
      EXPECT_EQ(is->Items(k)->Polygon(), was->Items(k)->Polygon());
    }
  }
  TCommonObj *conductor = back->Pages(1)->Items(1);
  ASSERT_NE(conductor->GetLinkedObj(), nullptr);
  EXPECT_EQ(conductor->GetLinkedObj(), back->Pages(1)->Items(0));
  EXPECT_EQ(conductor->GetLinkedObj()->Id(), target->Id());

  // Each picture is written once, and both stores hold them again.
  const QByteArray f = ReadFile(path);
  EXPECT_EQ(Int32At(f, MainIndexOf(f).slot[3] + 20), 2);
  ASSERT_EQ(StampMaker().Count(), 2);
  EXPECT_EQ(StampMaker().Items(0)->FileName(), QStringLiteral("quad.png"));
  EXPECT_EQ(StampMaker().Items(1)->FileName(), QStringLiteral("blue.png"));
  ASSERT_EQ(StillMaker().Count(), 1);
  EXPECT_EQ(StillMaker().Items(0)->fFilePath, stillPath);
  EXPECT_EQ(StillMaker().Items(0)->FWidth, 30);
}

TEST_F(BookFileTest, ABookLargerThanItsReadingWindowsReadsBackWhole) {
  // The file is read through windows of a megabyte: a page section of
  // several, whose records (each with a long text) cross the windows'
  // edges, reads back as it was written, from the file and from memory.
  TBookTestBook *book = NewBook(2);
  QString text;
  for (int i = 0; i < 1500; ++i)
    text += QChar(u'あ' + i % 80);
  for (int k = 0; k < 800; ++k) {
    TTestRect *rect = AddTo(book->Pages(k % 2), QStringLiteral("長い%1").arg(k),
                            RectPoints(k % 700, k % 500, k % 700 + 20, k % 500 + 10));
    rect->Param.Text = text.left(1000 + k);
  }
  const QString path = BookPath(QStringLiteral("large.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));
  const QByteArray bytes = ReadFile(path);
  ASSERT_GT(bytes.size(), 3 * 1024 * 1024 / 2);

  std::unique_ptr<TBookTestBook> fromFile = Load(path);
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(fromFile->ReadResult, TBookRead::brComplete);
  std::unique_ptr<TBookTestBook> fromMemory = NewObject<TBookTestBook>();
  SetCurrentBook(fromMemory.get());
  TMemoryStream memory;
  memory.SetBytes(bytes);
  QString header;
  ASSERT_TRUE(fromMemory->LoadFromBookStream(memory, QString(), header));
  for (TBookTestBook *back : {fromFile.get(), fromMemory.get()}) {
    ASSERT_EQ(back->Count(), 2);
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(i);
      TMetaPage *was = book->Pages(i);
      TMetaPage *is = back->Pages(i);
      ASSERT_EQ(is->Count(), was->Count());
      for (int k = 0; k < is->Count(); ++k) {
        EXPECT_EQ(is->Items(k)->Param.ObjName, was->Items(k)->Param.ObjName);
        EXPECT_EQ(is->Items(k)->Param.Text, was->Items(k)->Param.Text);
        EXPECT_EQ(is->Items(k)->Id(), was->Items(k)->Id());
        EXPECT_EQ(is->Items(k)->Name, was->Items(k)->Name);
        EXPECT_EQ(is->Items(k)->Polygon(), was->Items(k)->Polygon());
      }
    }
  }
}

TEST_F(BookFileTest, PageStateSaveKeepsUnusedPicturesAndAnOrdinarySaveDropsThem) {
  WriteProgramFile(QStringLiteral("quad.png"), QuadrantPng(40, 20));
  WriteProgramFile(QStringLiteral("blue.png"), PlainPng(12, 6, kBlue));
  TBookTestBook *book = NewBook(2);
  AddStampTo(book->Pages(1), QStringLiteral("quad.png"), 10);
  ASSERT_NE(StampMaker()._Create(QStringLiteral("blue.png")), nullptr);
  const QString path = BookPath(QStringLiteral("state.lmm"));

  ASSERT_TRUE(book->SaveToFile(path, QString::fromUtf16(kPageSaveOption)));
  EXPECT_EQ(StampMaker().Count(), 2);
  QByteArray f = ReadFile(path);
  EXPECT_TRUE(FromCp932(StringAt(f, 0)).endsWith(QStringLiteral("\r\n頁保存")));
  EXPECT_EQ(Int32At(f, MainIndexOf(f).slot[3] + 20), 1);

  ASSERT_TRUE(book->SaveToFile(path, QString()));
  ASSERT_EQ(StampMaker().Count(), 1);
  EXPECT_EQ(StampMaker().Items(0)->FileName(), QStringLiteral("quad.png"));
}

// ---- Reading the header ----

TEST_F(BookFileTest, HeaderVersionsAskTheirQuestions) {
  enum Asked { kNone, kOld, kNew };
  struct Case {
    QString header;
    bool answer;
    Asked asked;
    bool read;
    float version;
  };
  const Case cases[] = {
      {QStringLiteral("Vellumkit Lumora V 3.21 \r\n"), true, kNone, true, 3.21f},
      {QStringLiteral("Vellumkit X V 2.0 "), false, kNone, true, 2.0f},
      {QStringLiteral("Vellumkit X V 1.5 "), true, kOld, true, 2.0f},
      {QStringLiteral("Vellumkit X V 1.5 "), false, kOld, false, 1.5f},
      {QStringLiteral("Vellumkit X V abc"), true, kOld, true, 2.0f},
      {QStringLiteral("Vellumkit X V 5.0 "), false, kNew, false, 5.0f},
      {QStringLiteral("Vellumkit X V 5.0 "), true, kNew, true, 5.0f},
      // Single precision: a stored 4.21 lies above 4.21.
      {QStringLiteral("Vellumkit X V 4.21"), true, kNew, true, 4.21f},
      {QStringLiteral("Vellumkit X V 4.2"), true, kNone, true, 4.2f},
      {QStringLiteral("Vellumkit without a version"), true, kNone, false, 2.0f},
      {QStringLiteral("Another program"), true, kOld, true, 2.0f},
      {QStringLiteral("Another program"), false, kOld, false, 0.0f},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.header.toStdString() + (c.answer ? " OK" : " Cancel"));
    QStringList asked;
    SetVersionQuestion([&](const QString &aText) {
      asked << aText;
      return c.answer;
    });
    TMemoryStream stream;
    stream.SetBytes(HeaderFile(c.header));
    std::unique_ptr<TBookTestBook> book = NewObject<TBookTestBook>();
    QString header;
    const uint32_t pages = book->ReadHeader(stream, header, QStringLiteral("/x/本.lmm"));
    EXPECT_EQ(header, c.header);
    EXPECT_EQ(pages != 0, c.read);
    EXPECT_EQ(SysInfo().FileVersion, c.version);
    ASSERT_EQ(asked.size(), c.asked == kNone ? 0 : 1);
    if (c.asked == kOld) {
      EXPECT_EQ(asked[0], OldVersionQuestionText(QStringLiteral("本.lmm")));
    } else if (c.asked == kNew) {
      EXPECT_EQ(asked[0], NewVersionQuestionText(QStringLiteral("本.lmm"), c.version));
    }
  }
  EXPECT_EQ(OldVersionQuestionText(QStringLiteral("a.lmm")),
            QStringLiteral("このファイル(a.lmm)は\n\r以前のバージョンのLumoraで作成された\n\r"
                           "可能性があるため、正しく表示できない場合があります。\n\r"
                           "このファイルを開きますか？"));
  EXPECT_EQ(NewVersionQuestionText(QStringLiteral("a.lmm"), 4.21f),
            QStringLiteral("このファイル(a.lmm)\n\rFile Ver4.21　は\n\r開くことが出来ません。\n\r"
                           "続けますか？"));
}

TEST_F(BookFileTest, DefaultQuestionGoesThroughTheMessageBox) {
  auto box = std::make_unique<TStderrMessageBox>();
  TStderrMessageBox *shown = box.get();
  SetMessageBox(std::move(box));
  TMemoryStream stream;
  stream.SetBytes(HeaderFile(QStringLiteral("Vellumkit X V 1.0 ")));
  std::unique_ptr<TBookTestBook> book = NewObject<TBookTestBook>();
  QString header;
  EXPECT_NE(book->ReadHeader(stream, header, QStringLiteral("old.lmm")), 0u); // OK is the default
  ASSERT_EQ(shown->Shown().size(), 1);
  EXPECT_TRUE(shown->Shown()[0].startsWith(QStringLiteral("このファイル(old.lmm)は")));
}

TEST_F(BookFileTest, PreviewReadsTheThumbnailAndRefusesOtherFiles) {
  TBookTestBook *book = NewBook(2);
  book->WinWidth = 1024;
  const QString path = BookPath(QStringLiteral("preview.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));

  TFileStream file(path, fmOpenRead);
  std::unique_ptr<TBookTestBook> reader = NewObject<TBookTestBook>();
  TPicture picture;
  reader->LoadFileThumb(file, picture);
  EXPECT_GT(picture.Width(), 0);
  EXPECT_TRUE(reader->GetDescription(file).contains(QStringLiteral("\r\n1024\r\n600\r\n")));

  TMemoryStream other;
  other.SetBytes(HeaderFile(QStringLiteral("Another program")));
  try {
    reader->LoadFileThumb(other, picture);
    ADD_FAILURE() << "no error";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("これは\"Lumora\"のファイルではありません。"));
  }
}

// ---- Failures ----

TEST_F(BookFileTest, FailedSaveKeepsTheOldFileAndSaysWhy) {
  auto box = std::make_unique<TStderrMessageBox>();
  TStderrMessageBox *shown = box.get();
  SetMessageBox(std::move(box));
  TBookTestBook *book = NewBook(2);
  const QString path = BookPath(QStringLiteral("keep.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));
  const QByteArray old = ReadFile(path);

  // A page object whose record cannot be written.
  TCommonObj *broken =
      AddTo<TBookTestBroken>(book->Pages(1), QStringLiteral("x"), RectPoints(0, 0, 5, 5));
  EXPECT_FALSE(book->SaveToFile(path, QString()));
  // A folder that does not exist.
  TCommonObj *gone = broken;
  ASSERT_TRUE(book->Pages(1)->RemoveObj(gone));
  EXPECT_FALSE(book->SaveToFile(BookPath(QStringLiteral("none/keep.lmm")), QString()));

  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(shown->Shown(),
            QStringList({msg::CannotSave(path),
                         msg::CannotWrite(BookPath(QStringLiteral("none/keep.lmm")))}));
  EXPECT_TRUE(shown->Shown().at(0).startsWith(QStringLiteral("保存できません。")));
  EXPECT_TRUE(shown->Shown().at(1).startsWith(QStringLiteral("ファイルへ書けません")));
  EXPECT_EQ(QDir(bookDir_.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.lmm")});
}

TEST_F(BookFileTest, UnreadableFileIsReported) {
  auto box = std::make_unique<TStderrMessageBox>();
  TStderrMessageBox *shown = box.get();
  SetMessageBox(std::move(box));
  std::unique_ptr<TBookTestBook> book = NewObject<TBookTestBook>();
  QString header = QStringLiteral("x");
  const QString missing = BookPath(QStringLiteral("missing.lmm"));
  EXPECT_FALSE(book->LoadFromFile(missing, header));
  EXPECT_TRUE(header.isEmpty());
  EXPECT_EQ(book->ReadResult, TBookRead::brCannotOpen);
  EXPECT_EQ(shown->Shown(), QStringList{QStringLiteral("ファイルを開けません：") + missing});
}

// Damaged picture lists: what can be read is read, the pages always load.
TEST_F(BookFileTest, DamagedPictureListsLoadWhatTheirSectionsHold) {
  WriteProgramFile(QStringLiteral("quad.png"), QuadrantPng(40, 20));
  WriteProgramFile(QStringLiteral("blue.png"), PlainPng(12, 6, kBlue));
  WriteProgramFile(QStringLiteral("still.png"), PlainPng(30, 10, kRed));
  TBookTestBook *book = NewBook(2);
  AddStampTo(book->Pages(1), QStringLiteral("quad.png"), 10);
  AddStampTo(book->Pages(1), QStringLiteral("blue.png"), 100);
  TStill_ *still = StillMaker()._Create(ProgramPath(QStringLiteral("still.png")));
  ASSERT_NE(still, nullptr);
  AddTo<TBookTestStill>(book->Pages(1), QStringLiteral("写真"), RectPoints(0, 0, 9, 9))
      ->Param.Text = still->fFilePath;
  const QString path = BookPath(QStringLiteral("damaged.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));
  const QByteArray good = ReadFile(path);
  const MainIndex index = MainIndexOf(good);
  const int64_t stamps = index.slot[3] + 20; // the stamp count
  const int64_t stills = index.slot[5] + 28; // the still count
  const int32_t firstStamp = Int32At(good, stamps + 4);
  for (const char *file : {"quad.png", "blue.png", "still.png"})
    QFile::remove(ProgramPath(QString::fromLatin1(file)));

  struct Case {
    const char *what;
    std::function<void(QByteArray &)> damage;
    QStringList stamps;
    int stills;
  };
  const QStringList both = {QStringLiteral("quad.png"), QStringLiteral("blue.png")};
  const Case cases[] = {
      {"intact", [](QByteArray &) {}, both, 1},
      {"stamp count beyond its section",
       [&](QByteArray &f) { PutInt32(f, stamps, 0x7FFFFFFF); },
       {},
       1},
      {"negative stamp count", [&](QByteArray &f) { PutInt32(f, stamps, -3); }, {}, 1},
      // The writer leaves a picture it cannot read as an entry of size 0.
      {"first entry without picture",
       [&](QByteArray &f) { PutInt32(f, firstStamp + 4 + 8, 0); },
       {QStringLiteral("blue.png")},
       1},
      {"second offset outside the section",
       [&](QByteArray &f) { PutInt32(f, stamps + 8, index.slot[5] + 4); },
       {QStringLiteral("quad.png")},
       1},
      {"stamp list of another version",
       [&](QByteArray &f) { f[index.slot[3] + 4 + 13] = '1'; },
       {},
       1},
      {"still count beyond its section", [&](QByteArray &f) { PutInt32(f, stills, 1 << 30); }, both,
       0},
      {"image list length beyond the file",
       [&](QByteArray &f) { PutInt32(f, index.slot[5] + 20, 0x7FFFFFF0); }, both, 1},
      {"main index beyond the file",
       [&](QByteArray &f) {
         PutInt32(f, index.at + 12, 0x7FFFFFF0);
         PutInt32(f, index.at + 20, -1);
       },
       {},
       0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    QByteArray bytes = good;
    c.damage(bytes);
    const QString damaged = BookPath(QStringLiteral("d.lmm"));
    WriteFile(damaged, bytes);
    ResetStampMaker();
    ResetStillMaker();
    std::unique_ptr<TBookTestBook> back = Load(damaged);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Count(), 2);
    EXPECT_EQ(back->Pages(1)->Count(), 3);
    QStringList names;
    for (int i = 0; i < StampMaker().Count(); ++i)
      names << StampMaker().Items(i)->FileName();
    EXPECT_EQ(names, c.stamps);
    EXPECT_EQ(StillMaker().Count(), c.stills);
  }
}

TEST_F(BookFileTest, TruncatedBookFailsWithoutCrashing) {
  TBookTestBook *book = NewBook(3);
  AddTo(book->Pages(1), QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  const QString path = BookPath(QStringLiteral("cut.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));
  const QByteArray good = ReadFile(path);
  for (const qsizetype size :
       {qsizetype(0), qsizetype(3), qsizetype(40), good.size() / 2, good.size() - 30}) {
    SCOPED_TRACE(size);
    TMemoryStream stream;
    stream.SetBytes(good.left(size));
    std::unique_ptr<TBookTestBook> back = NewObject<TBookTestBook>();
    QString header;
    try {
      back->LoadFromBookStream(stream, QString(), header);
    } catch (const Exception &) {
      // Reported to the loader: nothing more to check.
    }
  }
}

// ---- Damaged books ----

// The offset of page aPage's entry in a saved book (the page offsets lie
// behind the page count at the page section's start).
int64_t PageAt(const QByteArray &aBytes, int aPage) {
  return Int32At(aBytes, MainIndexOf(aBytes).slot[2] + 4 + 4 * aPage);
}

// The count in front of the page entries: behind the page offsets and the
// book's own record.
int64_t SecondPageCountAt(const QByteArray &aBytes) {
  const int64_t section = MainIndexOf(aBytes).slot[2];
  const int64_t book = section + 4 + 4 * int64_t(Int32At(aBytes, section));
  return book + 4 + Int32At(aBytes, book);
}

class DamagedBookTest : public BookFileTest {
protected:
  // A saved book of the common page and pages 1 to 3, each holding a
  // figure; answers its bytes.
  QByteArray SaveFourPages(const QString &aPath) {
    TBookTestBook *book = NewBook(4);
    for (int i = 0; i < 4; ++i)
      AddTo(book->Pages(i), QStringLiteral("f%1").arg(i), RectPoints(0, 0, 10, 10));
    EXPECT_TRUE(book->SaveToFile(aPath, QString()));
    return ReadFile(aPath);
  }
};

TEST_F(DamagedBookTest, BookBreakingPartWayKeepsThePagesBeforeTheDamage) {
  const QString path = BookPath(QStringLiteral("book.lmm"));
  const QByteArray good = SaveFourPages(path);
  const int64_t page2 = PageAt(good, 2);
  struct Case {
    const char *what;
    std::function<QByteArray(QByteArray)> spoil;
    int pagesRead;
  };
  const Case cases[] = {
      {"whole", [](QByteArray b) { return b; }, 4},
      {"cut inside page 2", [&](QByteArray b) { return b.left(page2 + 40); }, 2},
      {"page 2's record size is negative",
       [&](QByteArray b) {
         PutInt32(b, page2, -16);
         return b;
       },
       2},
      {"an object record on page 2 runs past its page",
       [&](QByteArray b) {
         // Page 2's own record, its object count, then the figure's entry.
         PutInt32(b, page2 + 4 + Int32At(b, page2) + 4, 0x7FFF0000);
         return b;
       },
       2},
      {"the count in front of the pages says 2",
       [&](QByteArray b) {
         PutInt32(b, SecondPageCountAt(b), 2);
         return b;
       },
       2},
      {"the count in front of the pages says 9",
       [&](QByteArray b) {
         PutInt32(b, SecondPageCountAt(b), 9);
         return b;
       },
       4},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    const QString damaged = BookPath(QStringLiteral("damaged.lmm"));
    WriteFile(damaged, c.spoil(good));
    std::unique_ptr<TBookTestBook> book = Load(damaged);
    ASSERT_NE(book, nullptr);
    EXPECT_EQ(book->PagesRead, c.pagesRead);
    EXPECT_EQ(book->Count(), c.pagesRead);
    const bool whole = std::string(c.what) == "whole";
    EXPECT_EQ(book->ReadResult, whole ? TBookRead::brComplete : TBookRead::brDamaged);
    EXPECT_EQ(book->DamagedFile, whole ? QString() : damaged);
    // The pages read are whole.
    for (int i = 0; i < book->Count(); ++i)
      EXPECT_EQ(book->Pages(i)->Count(), 1) << i;
  }
}

TEST_F(DamagedBookTest, SavingOverTheDamagedFileAsksAndByDefaultSavesBeside) {
  const QString path = BookPath(QStringLiteral("算数.lmm"));
  const QByteArray good = SaveFourPages(path);
  const QByteArray cut = good.left(PageAt(good, 2) + 40);
  struct Case {
    TDamagedSave answer;
    bool saved;
    bool replaced;
  };
  const Case cases[] = {
      {TDamagedSave::dsBeside, true, false},
      {TDamagedSave::dsReplace, true, true},
      {TDamagedSave::dsCancel, false, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(int(c.answer));
    for (const QString &name : QDir(bookDir_.path()).entryList(QDir::Files))
      QFile::remove(bookDir_.filePath(name));
    WriteFile(path, cut);
    std::unique_ptr<TBookTestBook> book = Load(path);
    ASSERT_NE(book, nullptr);
    ASSERT_EQ(book->ReadResult, TBookRead::brDamaged);
    SysInfo().FileName = path;
    QStringList asked;
    SetDamagedSaveQuestion([&](const QString &aFile, const QString &aBeside) {
      asked << aFile << aBeside;
      return c.answer;
    });
    const QString beside = BookPath(QStringLiteral("算数（読込分）.lmm"));
    EXPECT_EQ(book->SaveToFile(path, QString()), c.saved);
    SetDamagedSaveQuestion({});
    EXPECT_EQ(asked, (QStringList{path, beside}));
    EXPECT_EQ(ReadFile(path) == cut, !c.replaced);
    EXPECT_EQ(QFile::exists(beside), c.answer == TDamagedSave::dsBeside);
    if (c.answer == TDamagedSave::dsBeside) {
      EXPECT_EQ(SysInfo().FileName, beside);
      std::unique_ptr<TBookTestBook> back = Load(beside);
      ASSERT_NE(back, nullptr);
      EXPECT_EQ(back->ReadResult, TBookRead::brComplete);
      EXPECT_EQ(back->Count(), 2);
      // Saving over the damaged file again still asks; a second name is
      // found beside the first.
      EXPECT_EQ(TLmCompo::BesideName(path), BookPath(QStringLiteral("算数（読込分2）.lmm")));
      EXPECT_TRUE(book->SaveToFile(path, QString()));
      EXPECT_EQ(ReadFile(path), cut);
    }
    if (c.answer == TDamagedSave::dsReplace) {
      // The file holds the whole book now: the next save asks nothing.
      EXPECT_TRUE(book->DamagedFile.isEmpty());
      asked.clear();
      EXPECT_TRUE(book->SaveToFile(path, QString()));
      EXPECT_TRUE(asked.isEmpty());
    }
  }
  // Through the message box the default button saves beside.
  for (const QString &name : QDir(bookDir_.path()).entryList(QDir::Files))
    QFile::remove(bookDir_.filePath(name));
  WriteFile(path, cut);
  std::unique_ptr<TBookTestBook> book = Load(path);
  ASSERT_NE(book, nullptr);
  auto box = std::make_unique<TStderrMessageBox>();
  TStderrMessageBox *shown = box.get();
  SetMessageBox(std::move(box));
  EXPECT_TRUE(book->SaveToFile(path, QString()));
  EXPECT_EQ(shown->Shown(), QStringList{msg::DamagedSaveQuestion(
                                path, BookPath(QStringLiteral("算数（読込分）.lmm")))});
  EXPECT_EQ(ReadFile(path), cut);
}

TEST_F(DamagedBookTest, StraySaveFilesOfTheBookGoWhenItIsOpenedOrSaved) {
  const QString path = BookPath(QStringLiteral("book.lmm"));
  SaveFourPages(path);
  const QString stray = path + QStringLiteral(".lumora-save-AbC123");
  const QString other = BookPath(QStringLiteral("other.lmm.lumora-save-AbC123"));
  for (const bool open : {true, false}) {
    WriteFile(stray, "x");
    WriteFile(other, "x");
    if (open) {
      ASSERT_NE(Load(path), nullptr);
    } else {
      std::unique_ptr<TBookTestBook> book = Load(path);
      QFile::remove(stray);
      WriteFile(stray, "x");
      ASSERT_TRUE(book->SaveToFile(path, QString()));
    }
    EXPECT_FALSE(QFile::exists(stray)) << open;
    EXPECT_TRUE(QFile::exists(other)) << open;
  }
}

// An object of a kind no class bears is kept as read, also after the page
// was shown (which re-makes it) and saved, on a page and on the common page.
TEST_F(DamagedBookTest, UnknownKindIsWrittenBackByteForByte) {
  TBookTestBook *book = NewBook(2);
  std::vector<TRealPoint> eight;
  for (int i = 0; i < 8; ++i)
    eight.push_back({10.0 + 5 * i, 20.0 + (i % 2) * 7});
  for (int i = 0; i < 2; ++i)
    AddTo(book->Pages(i), QStringLiteral("u%1").arg(i), eight);
  const QString path = BookPath(QStringLiteral("unknown.lmm"));
  ASSERT_TRUE(book->SaveToFile(path, QString()));
  // The figure's kind becomes one this program does not know (the same
  // number of bytes, so every offset stays).
  QByteArray bytes = ReadFile(path);
  bytes.replace(ToCp932(QStringLiteral("テスト矩形")), ToCp932(QStringLiteral("未知の種類")));
  WriteFile(path, bytes);

  auto records = [](TBookTestBook &aBook) {
    QList<QByteArray> found;
    for (int i = 0; i < 2; ++i) {
      auto *kept = dynamic_cast<TDummyDrawObj *>(aBook.Pages(i)->Pool()->Items(0));
      EXPECT_NE(kept, nullptr);
      if (kept) found << kept->StoredRecord();
    }
    return found;
  };
  std::unique_ptr<TBookTestBook> first = Load(path);
  ASSERT_NE(first, nullptr);
  const QList<QByteArray> read = records(*first);
  first->SetPage(1);
  first->WorkPage->ReMake();
  TBitmap shown(800, 600);
  first->Paint(shown.Canvas());
  const QString again = BookPath(QStringLiteral("again.lmm"));
  ASSERT_TRUE(first->SaveToFile(again, QString()));
  std::unique_ptr<TBookTestBook> second = Load(again);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(records(*second), read);
  for (const QByteArray &record : read)
    EXPECT_TRUE(bytes.contains(record));
}

// A save made while the media table is still being extracted counts the
// files in use only once the extraction has ended: a file no object uses
// is not written back.
TEST_F(BookFileTest, SaveDuringTheMediaExtractionWritesOnlyFilesInUse) {
  TTempFileList::Construct(bookDir_.path() + QStringLiteral("/data"), QStringLiteral("Temp"),
                           bookDir_.path() + u'/');
  struct FreeList {
    ~FreeList() { TTempFileList::Free(); }
  } freeList;
  NewBook(2);
  const QString path = BookPath(QStringLiteral("media.lmm"));
  ASSERT_TRUE(books_.back()->SaveToFile(path, QString()));
  QByteArray bytes = ReadFile(path);
  ASSERT_EQ(MainIndexOf(bytes).slot[6], bytes.size()); // an empty media table
  // One entry that no object of the book uses.
  const QByteArray name = ToCp932(QStringLiteral("unused.wav"));
  bytes += Int32Bytes(int32_t(name.size())) + name + Int32Bytes(5) + QByteArray("RIFF!");
  WriteFile(path, bytes);

  std::unique_ptr<TBookTestBook> book = Load(path);
  ASSERT_NE(book, nullptr);
  // No event was handled since: the extraction waits for the main thread.
  ASSERT_TRUE(TTempFileList::Get().ThreadRunning());
  const QString again = BookPath(QStringLiteral("again.lmm"));
  ASSERT_TRUE(book->SaveToFile(again, QString()));
  EXPECT_FALSE(TTempFileList::Get().ThreadRunning());
  EXPECT_EQ(TTempFileList::Get().IndexOfName(QStringLiteral("unused.wav")), 0);
  const QByteArray saved = ReadFile(again);
  EXPECT_EQ(MainIndexOf(saved).slot[6], saved.size());
}

} // namespace
} // namespace lumora::test
