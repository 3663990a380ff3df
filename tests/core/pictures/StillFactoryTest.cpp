// The still-picture store: still entries (exact bytes, older layouts, bad
// sizes), stills made from files and the clipboard, sharing and use counts,
// the user-part board's store, finding files and rendering.
#include "core/pictures/StillFactory.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "core/book/CoreStart.h"
#include "core/model/CoreContext.h"
#include "core/pictures/BitmapUnit.h"
#include "core/system/SysContext.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Exception.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageBox.h"
#include "tests/core/stream/StreamFixture.h"
#include "tests/support/EmfWriter.h"

namespace lumora {
namespace {

using test::Hex;
using test::HexOf;

// A picture whose left half is red and right half blue.
QImage TwoColours(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::blue);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width / 2; ++x)
      image.setPixel(x, y, qRgb(255, 0, 0));
  return image;
}

QByteArray PngBytes(const QImage &image) {
  return TPngImage::Encode(image);
}

QByteArray BmpBytes(const QImage &image) {
  TBitmap bitmap;
  bitmap.SetImage(image);
  TMemoryStream bytes;
  bitmap.SaveToStream(bytes);
  return bytes.Bytes();
}

// The tagged form of picture bytes.
QByteArray Tagged(const char *tag, const QByteArray &bytes) {
  TMetaStream s;
  s.WriteBuffer(QString::fromLatin1(tag));
  s.WriteBuffer(int32_t(bytes.size()));
  s.TStream::WriteBuffer(bytes.constData(), bytes.size());
  return s.Bytes();
}

QByteArray Int32Bytes(int32_t v) {
  TMetaStream s;
  s.WriteBuffer(v);
  return s.Bytes();
}

QByteArray EntryOf(const TStill_ &still) {
  TMemoryStream out;
  still.SaveToStream(out);
  return out.Bytes();
}

class StillFactoryTest : public testing::Test {
protected:
  void SetUp() override {
    StartCore();
    ClipboardClear();
    SetStillClock([] { return QDateTime(QDate(2024, 3, 5), QTime(13, 4, 9)); });
    ASSERT_TRUE(dir_.isValid());
    savedData_ = qgetenv("LUMORA_DATA");
    hadData_ = qEnvironmentVariableIsSet("LUMORA_DATA");
    // The data root lies in the test folder; the data folder is made so
    // that no missing-folder warning is shown.
    qputenv("LUMORA_DATA", QFile::encodeName(dir_.path() + QStringLiteral("/docs")));
    QDir(dir_.path()).mkpath(QStringLiteral("docs") + TSysContext::DefaultDataFolder());
    SetCommonDocumentsWarned(false);
  }
  void TearDown() override {
    ClipboardClear();
    TCoreContext::Reset();
    if (hadData_)
      qputenv("LUMORA_DATA", savedData_);
    else
      qunsetenv("LUMORA_DATA");
  }

  QString Write(const QString &name, const QByteArray &bytes) {
    const QString path = dir_.path() + u'/' + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
  }

  QTemporaryDir dir_;
  QByteArray savedData_;
  bool hadData_ = false;
};

// An entry in the current layout, hand-written: "Info", the path, the frame
// block and a picture under the old "swf" tag. The store keeps the entry
// (it has no picture the stream reads) and writes it back byte for byte.
TEST_F(StillFactoryTest, EntryReadsAndWritesBackByteExact) {
  const QByteArray entry = Hex("04000000 496e666f"
                               "07000000 7069632e737766"
                               "02000000 01000000 0000000000000000 00 00000000000000"
                               "0d000000"
                               "03000000 737766 02000000 4142");
  TMemoryStream in;
  test::Load(in, entry);
  TStill_ *still = StillMaker()._Create(in);
  ASSERT_NE(still, nullptr);
  EXPECT_EQ(in.Position(), entry.size());
  EXPECT_EQ(still->fFilePath, QStringLiteral("pic.swf"));
  EXPECT_EQ(still->FWidth, 2);
  EXPECT_EQ(still->FHeight, 1);
  EXPECT_EQ(still->Graphic(), nullptr);
  EXPECT_EQ(HexOf(EntryOf(*still)), HexOf(entry));
}

// A still made from a file writes the bytes it read, even when the file has
// changed since: saving never reads the picture again. The entry reads back
// into an equal still.
TEST_F(StillFactoryTest, SavedEntryHoldsThePictureAsReadAndRoundTrips) {
  const QByteArray png = PngBytes(TwoColours(4, 2));
  const QString path = Write(QStringLiteral("pic.png"), png);
  TStill_ *still = StillMaker()._Create(path);
  ASSERT_NE(still, nullptr);
  EXPECT_EQ(still->GraphicClass, TStillGraphicClass::Png);
  Write(QStringLiteral("pic.png"), PngBytes(TwoColours(9, 9)));

  const QByteArray entry = EntryOf(*still);
  TMetaStream expected;
  WriteSizedString(expected, QStringLiteral("Info"));
  WriteSizedString(expected, path);
  expected.WriteBuffer(int32_t(4));
  expected.WriteBuffer(int32_t(2));
  expected.TStream::WriteBuffer(QByteArray(16, '\0').constData(), 16);
  expected.WriteBuffer(int32_t(Tagged("png", png).size()));
  const QByteArray tagged = Tagged("png", png);
  expected.TStream::WriteBuffer(tagged.constData(), tagged.size());
  EXPECT_EQ(HexOf(entry), HexOf(expected.Bytes()));

  TMemoryStream in;
  test::Load(in, entry);
  const TStill_Stream read(in);
  EXPECT_EQ(read.fFilePath, path);
  EXPECT_EQ(read.FWidth, 4);
  EXPECT_EQ(read.FHeight, 2);
  EXPECT_EQ(HexOf(EntryOf(read)), HexOf(entry));
}

// Entries written before the leading "Info": the path first, with or
// without the frame block after it. Without a block the size is the
// picture's.
TEST_F(StillFactoryTest, OlderEntryLayoutsLoad) {
  const QByteArray picture = Tagged("bmp", BmpBytes(TwoColours(6, 3)));
  struct Case {
    const char *name;
    QByteArray head;
    int width;
    int height;
  };
  const Case cases[] = {
      {"path only", Hex("05000000 612e626d70"), 6, 3},
      {"path and block",
       Hex("05000000 612e626d70 04000000 496e666f"
           "07000000 08000000 0000000000000000 00 00000000000000"),
       7, 8},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ResetStillMaker();
    TMemoryStream in;
    test::Load(in, c.head + Int32Bytes(int32_t(picture.size())) + picture);
    TStill_ *still = StillMaker()._Create(in);
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(in.Remaining(), 0);
    EXPECT_EQ(still->fFilePath, QStringLiteral("a.bmp"));
    EXPECT_EQ(still->FWidth, c.width);
    EXPECT_EQ(still->FHeight, c.height);
    EXPECT_EQ(still->GraphicClass, TStillGraphicClass::Bitmap);
    ASSERT_NE(still->Graphic(), nullptr);
    EXPECT_EQ(still->Graphic()->Width(), 6);
  }
}

// A picture size below zero or beyond the data fails that entry alone: the
// store is unchanged and the next entry still reads.
TEST_F(StillFactoryTest, BadPictureSizeFailsOnlyThatEntry) {
  const QByteArray head = Hex("04000000 496e666f 05000000 612e626d70"
                              "01000000 01000000 0000000000000000 00 00000000000000");
  const QByteArray picture = Tagged("bmp", BmpBytes(TwoColours(2, 2)));
  for (const int32_t size :
       {-1, int32_t(picture.size() + 1), std::numeric_limits<int32_t>::max()}) {
    SCOPED_TRACE(size);
    TMemoryStream in;
    test::Load(in, head + Int32Bytes(size) + picture);
    EXPECT_THROW(StillMaker()._Create(in), EReadError);
    EXPECT_EQ(StillMaker().Count(), 0);
  }
  TMemoryStream good;
  test::Load(good, head + Int32Bytes(int32_t(picture.size())) + picture);
  EXPECT_NE(StillMaker()._Create(good), nullptr);
  EXPECT_EQ(StillMaker().Count(), 1);
}

// While pictures are reloaded, a still takes its file's picture; a still
// whose file is gone keeps the picture the book holds.
TEST_F(StillFactoryTest, ReloadTakesTheFileAndKeepsTheBookWhenItIsGone) {
  const QString path = Write(QStringLiteral("r.bmp"), BmpBytes(TwoColours(4, 4)));
  TStill_File original(path);
  const QByteArray entry = EntryOf(original);
  Write(QStringLiteral("r.bmp"), BmpBytes(TwoColours(8, 2)));
  ReloadPictures() = true;

  TMemoryStream in;
  test::Load(in, entry);
  const TStill_Stream reloaded(in);
  EXPECT_EQ(reloaded.FWidth, 8);
  EXPECT_EQ(reloaded.FHeight, 2);

  QFile::remove(path);
  test::Load(in, entry);
  const TStill_Stream kept(in);
  EXPECT_EQ(kept.FWidth, 4);
  EXPECT_EQ(HexOf(EntryOf(kept)), HexOf(entry));
}

// The errors of the still kinds, with the design's messages; the store
// turns a failing file into none.
TEST_F(StillFactoryTest, FilesWithoutPicturesRaiseTheirMessages) {
  Write(QStringLiteral("bad.png"), QByteArray("not a picture"));
  Write(QStringLiteral("note.txt"), QByteArray("text"));
  struct Case {
    QString name;
    QString message;
  };
  const QString missing = dir_.path() + QStringLiteral("/missing.png");
  const QString bad = dir_.path() + QStringLiteral("/bad.png");
  const QString text = dir_.path() + QStringLiteral("/note.txt");
  const Case cases[] = {
      {missing, QStringLiteral("Can't Open File(") + missing + u')'},
      {bad, QStringLiteral("No Graphic File(") + bad + u')'},
      {text, QStringLiteral("No Graphic File(") + text + u')'},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    try {
      TStill_File still(c.name);
      ADD_FAILURE() << "no error";
    } catch (const Exception &e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(StillMaker()._Create(c.name), nullptr);
  }
  EXPECT_EQ(StillMaker().Count(), 0);
}

// Two objects of one file share one still; the use counts decide what
// packing keeps.
TEST_F(StillFactoryTest, StillsOfOneFileAreSharedAndCounted) {
  const QString a = Write(QStringLiteral("a.bmp"), BmpBytes(TwoColours(4, 4)));
  const QString b = Write(QStringLiteral("b.png"), PngBytes(TwoColours(4, 4)));
  TStillMaker &store = StillMaker();
  TStill_ *first = store._Create(a);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(store._Create(a), first);
  ASSERT_NE(store._Create(b), nullptr);
  EXPECT_EQ(store.Count(), 2);

  EXPECT_EQ(store.IncUseCount(a), 1);
  EXPECT_EQ(store.IncUseCount(a), 2);
  EXPECT_EQ(store.IncUseCount(dir_.path() + QStringLiteral("/other.bmp")), 0);
  store.ClearUseCount();
  EXPECT_EQ(store.IncUseCount(b), 1);
  store.PackImage();
  ASSERT_EQ(store.Count(), 1);
  EXPECT_EQ(store.Items(0)->fFilePath, b);
}

// The user-part board's store finds what it cannot load in the kept store
// and lists it without owning it: packing or freeing the board's store
// leaves the kept store's still intact.
TEST_F(StillFactoryTest, BoardStoreBorrowsFromTheKeptStore) {
  const QString path = Write(QStringLiteral("kept.bmp"), BmpBytes(TwoColours(4, 4)));
  TStillMaker &kept = StillMaker();
  TStill_ *still = kept._Create(path);
  ASSERT_NE(still, nullptr);
  QFile::remove(path);

  TStillMaker &board = PutBoardStillMaker();
  EXPECT_EQ(&StillMaker(), &board);
  EXPECT_EQ(board.Parent(), &kept);
  EXPECT_EQ(board._Create(path), still);
  EXPECT_EQ(board.FindStill(path), still);
  EXPECT_EQ(board._Create(dir_.path() + QStringLiteral("/nowhere.bmp")), nullptr);
  const QString own = Write(QStringLiteral("own.png"), PngBytes(TwoColours(2, 2)));
  ASSERT_NE(board._Create(own), nullptr);
  EXPECT_EQ(kept.FindStill(own), nullptr);

  board.PackImage();
  EXPECT_EQ(board.Count(), 0);
  EXPECT_EQ(board._Create(path), still);
  RestoreStillMaker();
  EXPECT_EQ(&StillMaker(), &kept);
  ASSERT_EQ(kept.Count(), 1);
  ASSERT_NE(kept.Items(0)->Graphic(), nullptr);
  EXPECT_EQ(kept.Items(0)->Graphic()->Width(), 4);
}

// The clipboard: the same bitmap twice is one still under one name; another
// picture gets a new name even within the same second; no picture gives
// the blank placeholder, which becomes the placing name.
TEST_F(StillFactoryTest, ClipboardStillsAreNamedByPicture) {
  TStillMaker &store = StillMaker();
  TBitmap picture;
  picture.SetImage(TwoColours(6, 4));
  ClipboardSetBitmap(picture);
  TStill_ *first = store._Create(QString());
  ASSERT_NE(first, nullptr);
  const QString name = first->fFilePath;
  EXPECT_TRUE(name.startsWith(QStringLiteral("ClipBoard_"))) << name.toStdString();
  EXPECT_TRUE(name.endsWith(QStringLiteral(" 13:04:09.bmp"))) << name.toStdString();
  EXPECT_EQ(first->FWidth, 6);

  ClipboardSetBitmap(picture);
  EXPECT_EQ(store._Create(QString()), first);
  EXPECT_EQ(store.Count(), 1);

  TBitmap other;
  other.SetImage(TwoColours(6, 5));
  ClipboardSetBitmap(other);
  TStill_ *second = store._Create(QString());
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(second->fFilePath, name.left(name.size() - 4) + QStringLiteral("_2.bmp"));
  EXPECT_EQ(store.Count(), 2);

  ClipboardClear();
  try {
    TStill_ClipBoard none;
    ADD_FAILURE() << "no error";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("No Graphic ClipBoard"));
  }
  TStill_ *dummy = store._Create(QString());
  ASSERT_NE(dummy, nullptr);
  EXPECT_EQ(dummy->fFilePath, QStringLiteral("no_File__Dummy"));
  EXPECT_EQ(dummy->FWidth, 50);
  EXPECT_EQ(dummy->FHeight, 50);
  EXPECT_EQ(CreatingFileName(), QStringLiteral("no_File__Dummy"));
  EXPECT_EQ(store._Create(QString()), dummy);
}

// The places a still's file is looked for, in order.
TEST_F(StillFactoryTest, FilesAreFoundInTheDataAndProgramFolders) {
  const QString program = dir_.path() + QStringLiteral("/prog/");
  TProgramPaths paths;
  paths.ProgramFolder = program;
  TSysContext::Start(paths);
  const QString data = dir_.path() + QStringLiteral("/docs") + TSysContext::DefaultDataFolder();
  Write(QStringLiteral("docs") + TSysContext::DefaultDataFolder() + QStringLiteral("/sub/d.bmp"),
        "x");
  Write(QStringLiteral("prog/Image/p.bmp"), "x");
  Write(QStringLiteral("prog/q.bmp"), "x");
  const QString current = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir_.path()));
  Write(QStringLiteral("c.bmp"), "x");

  struct Case {
    QString name;
    QString found;
  };
  const Case cases[] = {
      {dir_.path() + QStringLiteral("/c.bmp"), dir_.path() + QStringLiteral("/c.bmp")},
      {QStringLiteral("sub\\d.bmp"), data + QStringLiteral("/sub\\d.bmp")},
      {QStringLiteral("Image\\p.bmp"), program + QStringLiteral("Image\\p.bmp")},
      {QStringLiteral("C:\\old\\q.bmp"), program + QStringLiteral("q.bmp")},
      {QStringLiteral("C:\\old\\c.bmp"), dir_.path() + QStringLiteral("/c.bmp")},
      {QStringLiteral("none.bmp"), QString()},
      {QString(), QString()},
  };
  for (const Case &c : cases)
    EXPECT_EQ(StillFilePath(c.name), c.found) << c.name.toStdString();
  QDir::setCurrent(current);
}

// ---- Rendering ----

// The pixel's colour without the alpha of the bitmap's storage.
TColor At(const TBitmap &bitmap, int x, int y) {
  return bitmap.Pixel(x, y) & 0xFFFFFF;
}

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kGreen = 0x00FF00;

class StillRenderTest : public StillFactoryTest {
protected:
  // A still of a 40 x 20 picture, red on the left and blue on the right,
  // with a green 4 x 4 block at its top-left corner.
  TStill_ &Still() {
    QImage image = TwoColours(40, 20);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        image.setPixel(x, y, qRgb(0, 255, 0));
    const QString path = Write(QStringLiteral("r.bmp"), BmpBytes(image));
    TStill_ *still = StillMaker()._Create(path);
    EXPECT_NE(still, nullptr);
    return *still;
  }
};

// Mirrored, upside down and turned stills: the picture's halves land where
// the transform puts them, the key colour fills what the picture does not
// cover (and the bottom-left pixel), and it is the transparent colour.
TEST_F(StillRenderTest, RenderedStillsAreTransformedOnTheKeyColour) {
  TStill_ &still = Still();
  struct Case {
    const char *name;
    TStillInfo info;
    int width;
    int height;
    TPoint red;
    TPoint blue;
    TPoint green; // (-1, -1): not checked
    std::vector<TPoint> key;
  };
  const double quarter = std::numbers::pi / 2;
  const Case cases[] = {
      {"upright", {{}, 40, 20, 0, false, false, 0}, 40, 20, {5, 10}, {35, 10}, {1, 1}, {{0, 19}}},
      {"mirrored", {{}, 40, 20, 0, true, false, 0}, 40, 20, {35, 10}, {5, 10}, {38, 1}, {{0, 19}}},
      {"upside down",
       {{}, 40, 20, 0, false, true, 0},
       40,
       20,
       {5, 10},
       {35, 10},
       {1, 18},
       {{0, 19}}},
      {"quarter turn",
       {{}, 40, 20, quarter, false, false, 0},
       20,
       40,
       {10, 5},
       {10, 35},
       {18, 1},
       {}},
      {"mirrored quarter turn",
       {{}, 40, 20, quarter, true, false, 0},
       20,
       40,
       {10, 35},
       {10, 5},
       {18, 38},
       {}},
      {"eighth turn",
       {{}, 20, 20, quarter / 2, false, false, 0},
       28,
       28,
       {8, 14},
       {19, 14},
       {-1, -1},
       {{0, 0}, {27, 0}, {0, 27}, {27, 27}}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TGraphic> graphic;
    still.DrawBitmap(graphic, c.info);
    const auto *bitmap = dynamic_cast<const TBitmap *>(graphic.get());
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), c.width);
    ASSERT_EQ(bitmap->Height(), c.height);
    EXPECT_EQ(At(*bitmap, c.red.X, c.red.Y), kRed);
    EXPECT_EQ(At(*bitmap, c.blue.X, c.blue.Y), kBlue);
    if (c.green.X >= 0) {
      EXPECT_EQ(At(*bitmap, c.green.X, c.green.Y), kGreen);
    }
    for (const TPoint p : c.key)
      EXPECT_EQ(At(*bitmap, p.X, p.Y), kKeyColor) << p.X << "," << p.Y;
    EXPECT_EQ(bitmap->TransparentColor(), kKeyColor);
  }

  // A frame below one pixel renders nothing.
  std::unique_ptr<TGraphic> none;
  still.DrawBitmap(none, {{}, 0, 20, 0, false, false, 0});
  EXPECT_TRUE(none->Empty());
}

// A turned still drawn at zoom 1 leaves the page showing through at the
// corners of its bounds; an upright mirrored one covers its frame
// mirrored.
TEST_F(StillRenderTest, ZoomDrawLeavesTheKeyColourTransparent) {
  TStill_ &still = Still();
  TBitmap page(100, 100);

  // A 20 x 20 frame turned by an eighth about (50, 50).
  const double r = 10 * std::sqrt(2.0);
  const TRealPoint top{50, 50 - r}, right{50 + r, 50}, bottom{50, 50 + r}, left{50 - r, 50};
  const auto mid = [](TRealPoint p, TRealPoint q) {
    return TRealPoint{(p.rx + q.rx) / 2, (p.ry + q.ry) / 2};
  };
  const std::vector<TRealPoint> turned{top,
                                       right,
                                       bottom,
                                       left,
                                       mid(left, top),
                                       mid(right, bottom),
                                       mid(top, right),
                                       mid(bottom, left)};
  TStillInfo info;
  info.Angle = std::numbers::pi / 4;
  still.ZoomDraw(page.Canvas(), info, turned, 1);
  EXPECT_EQ(At(page, 37, 37), clWhite & 0xFFFFFF);
  EXPECT_EQ(At(page, 63, 63), clWhite & 0xFFFFFF);
  EXPECT_EQ(At(page, 45, 45), kRed);
  EXPECT_EQ(At(page, 55, 55), kBlue);

  // An upright 40 x 20 frame at (10, 70), mirrored.
  const std::vector<TRealPoint> upright{{10, 70}, {50, 70}, {50, 90}, {10, 90},
                                        {10, 80}, {50, 80}, {30, 70}, {30, 90}};
  info = {};
  info.Reverse = true;
  still.ZoomDraw(page.Canvas(), info, upright, 1);
  EXPECT_EQ(At(page, 15, 80), kBlue);
  EXPECT_EQ(At(page, 45, 80), kRed);
}

// An upright EMF still becomes a metafile sized to the frame (negative when
// mirrored); turned, it is rendered as a bitmap. A PNG still keeps its
// class and is mirrored when asked.
TEST_F(StillRenderTest, MetafileAndPngStillsKeepTheirClass) {
  const QByteArray emf = EmfWriter(40, 20)
                             .FillRect(QRect(0, 0, 20, 20), kRed)
                             .FillRect(QRect(20, 0, 20, 20), kBlue)
                             .Bytes();
  ASSERT_FALSE(emf.isEmpty());
  TStill_ *metafile = StillMaker()._Create(Write(QStringLiteral("m.emf"), emf));
  ASSERT_NE(metafile, nullptr);
  EXPECT_EQ(metafile->GraphicClass, TStillGraphicClass::Metafile);

  std::unique_ptr<TGraphic> graphic;
  metafile->DrawMetaFile(graphic, {{}, 80, 30, 0, true, false, 0});
  const auto *sized = dynamic_cast<const TSafetyMetafile *>(graphic.get());
  ASSERT_NE(sized, nullptr);
  EXPECT_EQ(sized->Width(), -80);
  EXPECT_EQ(sized->Height(), 30);
  metafile->DrawMetaFile(graphic, {{}, 40, 20, 0.5, false, false, 0});
  EXPECT_NE(dynamic_cast<const TBitmap *>(graphic.get()), nullptr);

  // The EMF rendered mirrored: blue on the left.
  metafile->DrawBitmap(graphic, {{}, 40, 20, 0, true, false, 0});
  const auto &bitmap = dynamic_cast<const TBitmap &>(*graphic);
  EXPECT_EQ(At(bitmap, 5, 10), kBlue);
  EXPECT_EQ(At(bitmap, 35, 10), kRed);

  TStill_ *png = StillMaker()._Create(Write(QStringLiteral("p.png"), PngBytes(TwoColours(8, 4))));
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->GraphicClass, TStillGraphicClass::Png);
  png->DrawPNG(graphic, {{}, 8, 4, 0, true, false, 0});
  const auto *mirrored = dynamic_cast<const TPngImage *>(graphic.get());
  ASSERT_NE(mirrored, nullptr);
  EXPECT_EQ(mirrored->Image().pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(mirrored->Image().pixel(7, 0) & 0xFFFFFF, 0xFF0000u);
}

} // namespace
} // namespace lumora
