// Saving and opening a book file of 200 pages (the common page included)
// and 20,000 objects, 200 of them still pictures showing 50 different
// pictures; and, for scale, reading the same file's bytes and writing them
// safely (temporary file, fsync, rename), so that the open and save times
// can be given as ratios.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

#include "core/book/BookClasses.h"
#include "core/book/MetaBook.h"
#include "core/drawable/CoreClasses.h"
#include "core/geometry/Geometry.h"
#include "core/model/CoreContext.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "platform/system/SafeSave.h"
#include "platform/system/Stream.h"
#include "tests/kinds/BookKinds.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

constexpr int kPages = 200;
constexpr int kObjectsPerPage = 100; // 20,000 in all
constexpr int kPictures = 50;

LUMORA_TEST_BOOK_KIND(TBenchBook, TMetaBook, "ベンチ書籍")
LUMORA_TEST_BOOK_KIND(TBenchPage, TMetaPage, "ベンチ頁")

// A filled quadrilateral, as figures are stored.
class TBenchRect : public test::TPlainRect {
  LUMORA_OBJECT(TBenchRect, test::TPlainRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = test::TPlainRect::GetObjInfo();
    info.Name = QStringLiteral("ベンチ矩形");
    return info;
  }
  void Place(double x, double y) {
    FPolygon = {{x, y}, {x + 40, y}, {x + 40, y + 30}, {x, y + 30}};
    Param.Grabs = 4;
    InitGrabInfo();
    FBoundsRect = RealPointsBounds(FPolygon);
  }

protected:
  explicit TBenchRect(const QString &aKind = QStringLiteral("ベンチ矩形")) {
    Param.ObjName = aKind;
    Param.ActType = {atShow};
    Param.Width = 1;
    Param.FaceColor = 0x40A0F0;
    Param.Coating = true;
    FVisible = true;
  }
};

// A still picture: its picture is named by Param.Text.
class TBenchStill : public TBenchRect {
  LUMORA_OBJECT(TBenchStill, TBenchRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TBenchRect::GetObjInfo();
    info.Name = QStringLiteral("静止画");
    info.FormType = {otSurface, otPicture};
    return info;
  }

protected:
  TBenchStill() : TBenchRect(QStringLiteral("静止画")) {}
};

void RegisterClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  RegisterBookClasses(aList);
  aList.Add<TBenchBook>();
  aList.Add<TBenchPage>();
  aList.Add<TBenchRect>();
  aList.Add<TBenchStill>();
}

// A picture of 320 x 240 with a gradient and a disc, different for each i.
QImage Picture(int i) {
  QImage image(320, 240, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient gradient(0, 0, 320, 240);
  gradient.setColorAt(0, QColor::fromHsv((i * 37) % 360, 200, 230));
  gradient.setColorAt(1, QColor::fromHsv((i * 71 + 120) % 360, 160, 90));
  p.fillRect(image.rect(), gradient);
  p.setBrush(QColor::fromHsv((i * 53) % 360, 255, 255));
  p.drawEllipse(QPoint(60 + i * 4, 120), 50, 40);
  return image;
}

struct TBench {
  QTemporaryDir dir;
  QString path;
  std::unique_ptr<TBenchBook> book;
  QByteArray bytes;
};

TBench &Bench() {
  static TBench *bench = [] {
    static int argc = 1;
    static char name[] = "book_bench";
    static char *argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    new QGuiApplication(argc, argv);
    SetPixelsPerInch(96);
    test::StartTestCore(
        {.RegisterClasses = RegisterClasses, .SystemState = true, .VersionsYes = true});

    auto *b = new TBench;
    b->path = b->dir.path() + QStringLiteral("/bench.lmm");
    QStringList pictures;
    for (int i = 0; i < kPictures; ++i) {
      const QString file = b->dir.path() + QStringLiteral("/picture%1.png").arg(i);
      Picture(i).save(file);
      TStill_ *still = StillMaker()._Create(file);
      pictures << (still ? still->fFilePath : file);
    }
    b->book = NewObject<TBenchBook>();
    b->book->ReName(0);
    SetCurrentBook(b->book.get());
    for (int p = 0; p < kPages; ++p) {
      std::unique_ptr<TBenchPage> page = NewObject<TBenchPage>();
      page->Name = page->CreateName(true);
      TBenchPage *added = page.get();
      b->book->AddObj(std::move(page));
      for (int k = 0; k < kObjectsPerPage; ++k) {
        std::unique_ptr<TBenchRect> obj =
            k == 0 ? std::unique_ptr<TBenchRect>(NewObject<TBenchStill>())
                   : NewObject<TBenchRect>();
        obj->ReName(0);
        obj->Place(10 + (k % 10) * 70, 10 + (k / 10) * 50);
        if (k == 0) obj->Param.Text = pictures[p % kPictures];
        added->AddObj(std::move(obj));
      }
    }
    TOpenBook(b->book.get(), QString()).Open(nullptr);
    b->book->SetPage(1);
    if (!b->book->SaveToFile(b->path, QString())) std::abort();
    QFile file(b->path);
    if (!file.open(QIODevice::ReadOnly)) std::abort();
    b->bytes = file.readAll();
    return b;
  }();
  return *bench;
}

void BM_ReadFileBytes(benchmark::State &state) {
  TBench &b = Bench();
  for (auto _ : state) {
    QFile file(b.path);
    if (!file.open(QIODevice::ReadOnly)) std::abort();
    benchmark::DoNotOptimize(file.readAll());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * b.bytes.size());
  state.counters["file_bytes"] = double(b.bytes.size());
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

void BM_WriteFileBytesSafely(benchmark::State &state) {
  TBench &b = Bench();
  const QString copy = b.dir.path() + QStringLiteral("/copy.lmm");
  for (auto _ : state)
    SaveFileSafely(copy, b.bytes);
  state.SetBytesProcessed(int64_t(state.iterations()) * b.bytes.size());
}
BENCHMARK(BM_WriteFileBytesSafely)->Unit(benchmark::kMillisecond);

void BM_SaveBook(benchmark::State &state) {
  TBench &b = Bench();
  const QString copy = b.dir.path() + QStringLiteral("/saved.lmm");
  for (auto _ : state)
    if (!b.book->SaveToFile(copy, QString())) std::abort();
  state.SetBytesProcessed(int64_t(state.iterations()) * b.bytes.size());
}
BENCHMARK(BM_SaveBook)->Unit(benchmark::kMillisecond);

// The book file's thumbnail of the work page (100 objects, one of them a
// still picture) as a save makes it: drawn into the picture and stored.
void BM_SaveThumbnail(benchmark::State &state) {
  TBench &b = Bench();
  for (auto _ : state) {
    TMemoryStream out;
    b.book->SaveThumbnail(out);
    benchmark::DoNotOptimize(out.Size());
  }
}
BENCHMARK(BM_SaveThumbnail)->Unit(benchmark::kMicrosecond);

// Reading the file and re-linking the book (TOpenBook), with the picture
// stores emptied before each open so that every picture is read again.
void BM_OpenBook(benchmark::State &state) {
  TBench &b = Bench();
  for (auto _ : state) {
    state.PauseTiming();
    ResetStillMaker();
    ResetStampMaker();
    std::unique_ptr<TBenchBook> book = NewObject<TBenchBook>();
    SetCurrentBook(book.get());
    state.ResumeTiming();
    QString header;
    if (!book->LoadFromFile(b.path, header)) std::abort();
    TOpenBook(book.get(), b.path).Open(nullptr);
    state.PauseTiming();
    SetCurrentBook(b.book.get());
    book.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * b.bytes.size());
  state.counters["pictures_read"] = double(StillMaker().Count());
}
BENCHMARK(BM_OpenBook)->Unit(benchmark::kMillisecond);

// The same from the file's bytes in memory, as presentation mode reads the
// book from the shared memory stream.
void BM_OpenBookFromMemory(benchmark::State &state) {
  TBench &b = Bench();
  for (auto _ : state) {
    state.PauseTiming();
    ResetStillMaker();
    ResetStampMaker();
    std::unique_ptr<TBenchBook> book = NewObject<TBenchBook>();
    SetCurrentBook(book.get());
    TMemoryStream stream;
    stream.SetBytes(b.bytes);
    state.ResumeTiming();
    QString header;
    if (!book->LoadFromBookStream(stream, QString(), header)) std::abort();
    TOpenBook(book.get(), QString()).Open(nullptr);
    state.PauseTiming();
    SetCurrentBook(b.book.get());
    book.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * b.bytes.size());
}
BENCHMARK(BM_OpenBookFromMemory)->Unit(benchmark::kMillisecond);

} // namespace
