// The stamp picture store: finding picture files, sharing and counting
// pictures, the frame of a new stamp, and the stamp entry of the book file.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "core/model/CoreContext.h"
#include "core/pictures/StampFactory.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JpegImage.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Stream.h"
#include "tests/core/pictures/StampTestClasses.h"

namespace lumora::test {
namespace {

QString ErrorOf(const std::function<void()> &aAction) {
  try {
    aAction();
  } catch (const Exception &e) {
    return e.Message();
  }
  return QString();
}

QByteArray Hex(const char *aHex) {
  return QByteArray::fromHex(QByteArray(aHex).replace(' ', ""));
}

QByteArray Int32(int32_t aValue) {
  QByteArray bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[i] = char((uint32_t(aValue) >> (8 * i)) & 0xFF);
  return bytes;
}

// A stamp entry as the book file holds it.
QByteArray Entry(const QByteArray &aName, const QByteArray &aTagged) {
  return Int32(int32_t(aName.size())) + aName + Int32(int32_t(aTagged.size())) + aTagged;
}

QByteArray Tagged(const QByteArray &aTag, const QByteArray &aFile) {
  return Int32(int32_t(aTag.size())) + aTag + Int32(int32_t(aFile.size())) + aFile;
}

// A 1 x 1 24-bit BMP file of one red pixel.
const char *const kRedPixelBmp = "42 4d 3a 00 00 00 00 00 00 00 36 00 00 00"
                                 " 28 00 00 00 01 00 00 00 01 00 00 00 01 00 18 00"
                                 " 00 00 00 00 04 00 00 00 00 00 00 00 00 00 00 00"
                                 " 00 00 00 00 00 00 00 00"
                                 " 00 00 ff 00";

using StampStoreTest = StampTest;

// ---- Finding and loading picture files ----

TEST_F(StampStoreTest, NamesWithAFolderPartAreStoredUnderTheirBareName) {
  WriteProgramFile(QStringLiteral("Stamp/cat.bmp"), QuadrantBmp(8, 4));
  WriteProgramFile(QStringLiteral("dog.png"), QuadrantPng(6, 6));
  QTemporaryDir userFolder;
  StampFolder() = userFolder.path() + u'/';
  QFile user(userFolder.filePath(QStringLiteral("user.png")));
  ASSERT_TRUE(user.open(QIODevice::WriteOnly));
  user.write(QuadrantPng(10, 2));
  user.close();

  struct Case {
    QString asked;
    QString stored;
    int width;
  } const cases[] = {
      {QStringLiteral("Stamp\\cat.bmp"), QStringLiteral("cat.bmp"), 8},
      {QStringLiteral("C:\\Pictures\\dog.png"), QStringLiteral("dog.png"), 6},
      {QStringLiteral("user.png"), QStringLiteral("user.png"), 10},
  };
  for (const Case &c : cases) {
    TStamp_ *stamp = StampMaker()._Create(c.asked);
    ASSERT_NE(stamp, nullptr) << c.asked.toStdString();
    EXPECT_EQ(stamp->FileName(), c.stored);
    EXPECT_EQ(stamp->Width(), c.width);
    // Asked again by either name, the stored picture answers.
    EXPECT_EQ(StampMaker()._Create(c.stored), stamp);
    EXPECT_EQ(StampMaker()._Create(c.asked), stamp);
  }
  EXPECT_EQ(StampMaker().Count(), 3);
}

TEST_F(StampStoreTest, AMissingFileGivesThePlaceholderStoredOnce) {
  WriteProgramFile(QStringLiteral("Stamp/question.EMF"), QuadrantEmf(40, 20));
  TStamp_ *first = StampMaker()._Create(QStringLiteral("missing.bmp"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->FileName(), QStringLiteral("question.EMF"));
  EXPECT_EQ(first->Width(), 40);
  EXPECT_EQ(first->Height(), 20);
  EXPECT_EQ(StampMaker()._Create(QStringLiteral("Stamp\\gone.png")), first);
  EXPECT_EQ(StampMaker().Count(), 1);
}

TEST_F(StampStoreTest, FilesThatCannotBeHadRaiseAndAddNothing) {
  WriteProgramFile(QStringLiteral("broken.png"), "not a png");
  WriteProgramFile(QStringLiteral("notes.txt"), "hello");
  WriteProgramFile(QStringLiteral("empty.bmp"), "");
  struct Case {
    QString name;
    QString message;
  } const cases[] = {
      {QStringLiteral("missing.bmp"), QStringLiteral("Can't Open File(missing.bmp)")},
      {QStringLiteral("Stamp\\broken.png"), QStringLiteral("No Graphic File(Stamp\\broken.png)")},
      {QStringLiteral("notes.txt"), QStringLiteral("No Graphic File(notes.txt)")},
      {QStringLiteral("empty.bmp"), QStringLiteral("No Graphic File(empty.bmp)")},
  };
  for (const Case &c : cases)
    EXPECT_EQ(ErrorOf([&] { StampMaker()._Create(c.name); }), c.message);
  EXPECT_EQ(StampMaker()._Create(QString()), nullptr);
  EXPECT_EQ(StampMaker().Count(), 0);
}

// ---- Sharing and counting ----

TEST_F(StampStoreTest, StampsOfOnePictureShareItAndAreCountedEach) {
  WriteProgramFile(QStringLiteral("cat.bmp"), QuadrantBmp(20, 10));
  WriteProgramFile(QStringLiteral("dog.png"), QuadrantPng(20, 10));
  TTestPictureStamp *a = AddStamp(QStringLiteral("cat.bmp"));
  TTestPictureStamp *b = AddStamp(QStringLiteral("cat.bmp"), 60, 300, 300);
  StampMaker()._Create(QStringLiteral("dog.png"));
  ASSERT_EQ(StampMaker().Count(), 2);
  EXPECT_EQ(a->Picture(), b->Picture());

  // As the book writer counts before saving.
  StampMaker().ClearUseCount();
  EXPECT_EQ(StampMaker().IncUseCount(a->Param.Text), 1);
  EXPECT_EQ(StampMaker().IncUseCount(b->Param.Text), 2);
  EXPECT_EQ(StampMaker().IncUseCount(QStringLiteral("other.bmp")), 0);
  EXPECT_EQ(StampMaker().UsedStamps(), 1);
  StampMaker().PackImage();
  ASSERT_EQ(StampMaker().Count(), 1);
  EXPECT_EQ(StampMaker().Items(0)->FileName(), QStringLiteral("cat.bmp"));
  EXPECT_EQ(StampMaker().Items(0)->UseCount(), 2);

  StampMaker().ClearUseCount();
  EXPECT_EQ(StampMaker().UsedStamps(), 0);
  StampMaker().PackImage();
  EXPECT_EQ(StampMaker().Count(), 0);
}

// ---- The frame of a new stamp ----

TEST_F(StampStoreTest, StampRectFitsTheBookWindow) {
  struct Case {
    int size;
    double ratio;
    QSize window;
    TRect expected;
  } const cases[] = {
      {1000, 0.5, {800, 600}, {0, 0, 800, 400}}, // too wide
      {700, 1.0, {800, 600}, {0, 0, 600, 600}},  // too high
      {100, 0.75, {800, 600}, {0, 0, 100, 75}},  // fits
      {101, 0.5, {800, 600}, {0, 0, 101, 50}},   // 50.5: half to even
      {300, 0.5, {200, 600}, {0, 0, 200, 100}},  // another book's window
  };
  for (const Case &c : cases) {
    StampMaker().BookWindowSize = [&] { return c.window; };
    EXPECT_EQ(StampMaker().StampRect(c.size, c.ratio), c.expected) << c.size << " " << c.ratio;
  }
  ResetStampMaker();
  EXPECT_EQ(StampMaker().StampRect(1000, 0.5), (TRect{0, 0, 800, 400})); // the default book
}

// ---- Stamp entries ----

TEST_F(StampStoreTest, EntryReadsAndWritesItsExactBytes) {
  // "赤.bmp" in code page 932, then the tagged 1 x 1 BMP picture.
  const QByteArray entry = Hex("06 00 00 00 90 d4 2e 62 6d 70"
                               " 45 00 00 00"
                               " 03 00 00 00 62 6d 70 3a 00 00 00") +
                           Hex(kRedPixelBmp);
  TMemoryStream stream;
  stream.SetBytes(entry);
  TStamp_ *stamp = StampMaker()._Create(stream);
  ASSERT_NE(stamp, nullptr);
  EXPECT_EQ(stream.Position(), entry.size());
  EXPECT_EQ(stamp->FileName(), QStringLiteral("赤.bmp"));
  EXPECT_EQ(stamp->Width(), 1);
  EXPECT_EQ(stamp->Height(), 1);

  TMemoryStream written;
  stamp->SaveToStream(QStringLiteral("Stamp\\"), written);
  EXPECT_EQ(written.Bytes().toHex(' '), entry.toHex(' '));

  // An entry of a stored name keeps the stored picture.
  stream.SetPosition(0);
  EXPECT_EQ(StampMaker()._Create(stream), stamp);
  EXPECT_EQ(StampMaker().Count(), 1);
}

TEST_F(StampStoreTest, BadEntriesRaiseAndLeaveTheStreamAtTheNextOne) {
  const QByteArray name = "a.bmp";
  const QByteArray good = Entry(QByteArray("b.bmp"), Tagged("bmp", Hex(kRedPixelBmp)));
  struct Case {
    const char *what;
    QByteArray entry;
    QString message;
  } const cases[] = {
      {"size 0", Int32(5) + name + Int32(0), QStringLiteral("Can't Create Image(a.bmp)")},
      {"negative size", Int32(5) + name + Int32(-1), QStringLiteral("Can't Create Image(a.bmp)")},
      {"size beyond the stream", Int32(5) + name + Int32(1000),
       QStringLiteral("Can't Create Image(a.bmp)")},
      {"name beyond the limit", Int32(200000), QStringLiteral("Can't Create Image()")},
      {"bad picture bytes", Entry(name, Tagged("bmp", "junk")),
       QStringLiteral("Can't Create Image(a.bmp)")},
      {"unknown tag", Entry(name, Tagged("xyz", Hex(kRedPixelBmp))),
       QStringLiteral("Can't Create Image(a.bmp)")},
  };
  for (const Case &c : cases) {
    TMemoryStream stream;
    // The good entry follows, except behind a size that claims the rest.
    const bool claimsRest = QByteArray(c.what) == "size beyond the stream";
    stream.SetBytes(claimsRest ? c.entry : c.entry + good);
    EXPECT_EQ(ErrorOf([&] { StampMaker()._Create(stream); }), c.message) << c.what;
    if (claimsRest) continue;
    EXPECT_EQ(stream.Position(), c.entry.size()) << c.what;
    TStamp_ *next = StampMaker()._Create(stream);
    ASSERT_NE(next, nullptr) << c.what;
    EXPECT_EQ(next->FileName(), QStringLiteral("b.bmp"));
  }
  EXPECT_EQ(StampMaker().Count(), 1);
}

// A picture whose header reads is not decoded as its entry is read: its
// size comes from the header and agrees with the decoded picture's.
TEST_F(StampStoreTest, HeaderSizeOfEachKindIsTheDecodedSize) {
  QImage image(7, 5, QImage::Format_RGB32);
  image.fill(Qt::red);
  TMemoryStream bmp;
  {
    TBitmap bitmap;
    bitmap.SetImage(image);
    bitmap.SaveToStream(bmp);
  }
  struct Case {
    const char *tag;
    QByteArray file;
    QSize size; // from the header; invalid: decoded as read
  } const cases[] = {
      {"png", TPngImage::Encode(image), QSize(7, 5)},
      {"jpg", TJpegImage::Encode(image, 90), QSize(7, 5)},
      {"bmp", bmp.Bytes(), QSize(7, 5)},
      {"bmp", Hex(kRedPixelBmp), QSize(1, 1)},
      {"png", TPngImage::Encode(image).left(20), QSize()}, // IHDR cut short
      {"bmp", "junk", QSize()},
      {"xyz", Hex(kRedPixelBmp), QSize()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.tag);
    TMetaStream tagged;
    tagged.SetBytes(Tagged(c.tag, c.file));
    QString tag;
    EXPECT_EQ(tagged.PictHeaderSize(&tag), c.size);
    EXPECT_EQ(tag, QString::fromLatin1(c.tag));
    if (!c.size.isValid()) continue;
    TPicture decoded;
    tagged.LoadPict(&decoded);
    EXPECT_EQ(QSize(decoded.Width(), decoded.Height()), c.size);
  }
}

// A picture whose header reads but whose data does not decode is found bad
// when first drawn: the store then passes over it (the file takes its
// place), and saving still writes the entry's bytes as read.
TEST_F(StampStoreTest, PictureThatFailsAtFirstDrawKeepsItsBytes) {
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(Qt::blue);
  QByteArray png = TPngImage::Encode(image);
  png.truncate(40); // the IHDR chunk whole, the pixels gone
  const QByteArray entry = Entry("damaged.png", Tagged("png", png));
  TMemoryStream stream;
  stream.SetBytes(entry);
  TStamp_ *stamp = StampMaker()._Create(stream);
  ASSERT_NE(stamp, nullptr);
  EXPECT_EQ(stamp->Check(), TStamp_::TCheck::Unchecked);
  EXPECT_EQ(QSize(stamp->Width(), stamp->Height()), QSize(4, 3));

  EXPECT_EQ(stamp->Decoded(), nullptr);
  EXPECT_EQ(stamp->Check(), TStamp_::TCheck::Bad);
  EXPECT_EQ(StampMaker().FindStamp(QStringLiteral("damaged.png")), nullptr);
  // No file of that name: the lookup raises as for a missing picture.
  EXPECT_FALSE(ErrorOf([] { StampMaker()._Create(QStringLiteral("damaged.png")); }).isEmpty());

  StampMaker().ClearUseCount();
  EXPECT_EQ(StampMaker().IncUseCount(QStringLiteral("damaged.png")), 1);
  TMemoryStream written;
  stamp->SaveToStream(QStringLiteral("Stamp\\"), written);
  EXPECT_EQ(written.Bytes().toHex(' '), entry.toHex(' '));
}

// Of two entries of one name the first good one wins, as when every
// picture was decoded as it was read.
TEST_F(StampStoreTest, FirstGoodEntryOfANameWins) {
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(Qt::blue);
  const QByteArray good = TPngImage::Encode(image);
  TMemoryStream stream;
  stream.SetBytes(Entry("p.png", Tagged("png", good.left(40))) +
                  Entry("p.png", Tagged("png", good)));
  TStamp_ *first = StampMaker()._Create(stream);
  TStamp_ *second = StampMaker()._Create(stream);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(StampMaker().FindStamp(QStringLiteral("p.png")), second);
  ASSERT_NE(second->Decoded(), nullptr);
  EXPECT_EQ(second->Decoded()->Width(), 4);
}

TEST_F(StampStoreTest, EntryNameEndsAtItsFirstNulSoThatItReadsBackAlike) {
  TMemoryStream stream;
  stream.SetBytes(Entry(QByteArray("c.bmp\0\0x\0", 9), Tagged("bmp", Hex(kRedPixelBmp))));
  TStamp_ *stamp = StampMaker()._Create(stream);
  ASSERT_NE(stamp, nullptr);
  EXPECT_EQ(stamp->FileName(), QStringLiteral("c.bmp"));
  TMemoryStream written;
  stamp->SaveToStream(QString(), written);
  EXPECT_EQ(written.Bytes(), Entry("c.bmp", Tagged("bmp", Hex(kRedPixelBmp))));
}

TEST_F(StampStoreTest, SavingWritesTheHeldPictureEvenWhenItsFileIsGone) {
  const QByteArray bmp = QuadrantBmp(8, 4);
  WriteProgramFile(QStringLiteral("keep.bmp"), bmp);
  TStamp_ *stamp = StampMaker()._Create(QStringLiteral("keep.bmp"));
  ASSERT_NE(stamp, nullptr);
  ASSERT_TRUE(QFile::remove(ProgramPath(QStringLiteral("keep.bmp"))));

  TMemoryStream written;
  stamp->SaveToStream(QStringLiteral("Stamp\\"), written);
  EXPECT_EQ(written.Bytes(), Entry("keep.bmp", Tagged("bmp", bmp)));

  // The PNG form: a PNG picture under the name with ".png".
  TMemoryStream png;
  stamp->SavePngToStream(QStringLiteral("Stamp\\"), png);
  ResetStampMaker();
  png.SetPosition(0);
  TStamp_ *read = StampMaker()._Create(png);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->FileName(), QStringLiteral("keep.png"));
  TPicture picture;
  read->LoadImage(picture);
  auto *image = dynamic_cast<TPngImage *>(picture.Graphic());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Image().size(), QSize(8, 4));
  EXPECT_EQ(image->Image().pixelColor(1, 1), QColor(255, 0, 0));
}

TEST_F(StampStoreTest, ReloadTakesOnlyThePicturesOwnFile) {
  WriteProgramFile(QStringLiteral("pic.png"), PlainPng(4, 4, kRed));
  WriteProgramFile(QStringLiteral("gone.png"), PlainPng(4, 4, kRed));
  TMemoryStream entries;
  StampMaker()._Create(QStringLiteral("pic.png"))->SaveToStream(QString(), entries);
  StampMaker()._Create(QStringLiteral("gone.png"))->SaveToStream(QString(), entries);
  ResetStampMaker();
  WriteProgramFile(QStringLiteral("pic.png"), PlainPng(6, 2, kBlue));
  ASSERT_TRUE(QFile::remove(ProgramPath(QStringLiteral("gone.png"))));
  WriteProgramFile(QStringLiteral("Stamp/question.EMF"), QuadrantEmf(40, 20));

  ReloadPictures() = true;
  entries.SetPosition(0);
  TStamp_ *pic = StampMaker()._Create(entries);
  TStamp_ *gone = StampMaker()._Create(entries);
  ASSERT_NE(pic, nullptr);
  ASSERT_NE(gone, nullptr);
  const auto firstPixel = [](TStamp_ *aStamp) {
    TPicture picture;
    aStamp->LoadImage(picture);
    auto *png = dynamic_cast<TPngImage *>(picture.Graphic());
    return png ? png->Image().pixelColor(0, 0) : QColor();
  };
  EXPECT_EQ(firstPixel(pic), QColor(0, 0, 255)); // the file's picture
  EXPECT_EQ(pic->Width(), 6);
  EXPECT_EQ(firstPixel(gone), QColor(255, 0, 0)); // the book's, not the placeholder
  EXPECT_EQ(gone->FileName(), QStringLiteral("gone.png"));
}

} // namespace
} // namespace lumora::test
