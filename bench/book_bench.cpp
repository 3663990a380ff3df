// Saving and opening a book file of 200 pages (the common page included)
// and 20,000 objects, 200 of them still pictures showing 50 different
// pictures; and, for scale, reading the same file's bytes cold (dropped
// from the page cache first) and writing them safely (temporary file,
// fsync, rename, folder fsync), so that the open and save times are given
// as ratios measured in the same run. Books of 10, 100 and 1,000 pages show
// how opening and saving grow with the page count.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <unistd.h>

#include "bench/BenchKinds.h"
#include "core/book/BookClasses.h"
#include "core/book/MetaBook.h"
#include "core/drawable/CoreClasses.h"
#include "core/geometry/Geometry.h"
#include "core/model/CoreContext.h"
#include "core/model/ObjPool.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/SafeSave.h"
#include "platform/system/Stream.h"
#include "tests/kinds/BookKinds.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

constexpr int kPages = 200;
constexpr int kObjectsPerPage = 100; // 20,000 in all
constexpr int kPictures = 50;

using bench::TBenchBook;
using bench::TBenchPage;

struct TBench {
  QTemporaryDir dir;
  QString path;
  std::unique_ptr<TBenchBook> book;
  QByteArray bytes;
  QStringList pictures;
};

// A book of aPages pages, each of 100 objects of which the first is a still
// showing one of the pictures in turn.
std::unique_ptr<TBenchBook> MakeBook(int aPages, const QStringList &aPictures) {
  std::unique_ptr<TBenchBook> book = NewObject<TBenchBook>();
  book->ReName(0);
  SetCurrentBook(book.get());
  bench::AddBenchPages<TBenchPage>(*book, aPages, kObjectsPerPage, aPictures);
  TOpenBook(book.get(), QString()).Open(nullptr);
  book->SetPage(1);
  return book;
}

TBench &Bench() {
  static TBench *bench = [] {
    static int argc = 1;
    static char name[] = "book_bench";
    static char *argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    new QGuiApplication(argc, argv);
    SetPixelsPerInch(96);
    test::StartTestCore({.RegisterClasses = bench::RegisterBenchBookClasses,
                         .SystemState = true,
                         .VersionsYes = true});

    auto *b = new TBench;
    b->path = b->dir.path() + QStringLiteral("/bench.lmm");
    b->pictures = bench::BenchPictures(b->dir.path(), kPictures);
    b->book = MakeBook(kPages, b->pictures);
    if (!b->book->SaveToFile(b->path, QString())) std::abort();
    QFile file(b->path);
    if (!file.open(QIODevice::ReadOnly)) std::abort();
    b->bytes = file.readAll();
    return b;
  }();
  return *bench;
}

// Drops the file's pages from the page cache (written back first), so that
// the next read comes from the disk.
void DropFromCache(const QString &aPath) {
  const int fd = ::open(QFile::encodeName(aPath).constData(), O_RDONLY);
  if (fd < 0) std::abort();
  ::fsync(fd);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
}

// The seconds of one run of aRun.
template <class F> double Seconds(F &&aRun) {
  const auto start = std::chrono::steady_clock::now();
  aRun();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A cold read of the whole file: the baseline of opening it.
double ColdReadSeconds(const QString &aPath) {
  DropFromCache(aPath);
  return Seconds([&] {
    QFile file(aPath);
    if (!file.open(QIODevice::ReadOnly)) std::abort();
    benchmark::DoNotOptimize(file.readAll());
  });
}

// Opens the book file into a fresh book with empty picture stores, as the
// program opens a book; the stores and the book are set aside untimed.
struct TOpened {
  std::unique_ptr<TBenchBook> book;
  double seconds = 0;
};

TOpened OpenCold(const QString &aPath) {
  ResetStillMaker();
  ResetStampMaker();
  TOpened opened;
  opened.book = NewObject<TBenchBook>();
  SetCurrentBook(opened.book.get());
  DropFromCache(aPath);
  opened.seconds = Seconds([&] {
    QString header;
    if (!opened.book->LoadFromFile(aPath, header)) std::abort();
    TOpenBook(opened.book.get(), aPath).Open(nullptr);
  });
  return opened;
}

// Paints the work page into an 800 x 600 image with the pictures of its
// stills drawn into their frames (the bench's still objects draw only
// their frame); answers the pictures drawn.
int ShowWorkPage(TBenchBook &aBook) {
  TMetaPage *page = aBook.Pages(aBook.Page());
  if (!page) std::abort();
  TBitmap image(800, 600);
  image.SetPixelFormat(pf32bit);
  TCanvas &canvas = image.Canvas();
  page->Paint(canvas);
  int drawn = 0;
  const TAbObjectPool *pool = page->Pool();
  for (int i = 0; pool && i < pool->Count(); ++i) {
    TCommonObj *obj = pool->Items(i);
    if (!dynamic_cast<bench::TBenchStill *>(obj)) continue;
    TStill_ *still = StillMaker().FindStill(obj->Param.Text);
    if (!still) continue;
    if (const TGraphic *picture = still->Graphic()) {
      const TRect r = obj->BoundsRect();
      canvas.StretchDraw(r, *picture);
      ++drawn;
    }
  }
  benchmark::DoNotOptimize(image.Width());
  return drawn;
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

// Opening the book file cold against a cold read of the same file, both
// measured in each round: open_ratio is the sum of the opens over the sum
// of the reads.
void BM_OpenBookCold(benchmark::State &state) {
  TBench &b = Bench();
  double opens = 0, reads = 0;
  for (auto _ : state) {
    reads += ColdReadSeconds(b.path);
    TOpened opened = OpenCold(b.path);
    opens += opened.seconds;
    state.SetIterationTime(opened.seconds);
    SetCurrentBook(b.book.get());
  }
  state.counters["open_ratio"] = opens / reads;
  state.counters["cold_read_ms"] = reads * 1e3 / double(state.iterations());
}
BENCHMARK(BM_OpenBookCold)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// Showing the first page: the cold open, then the page painted with the
// pictures it shows decoded, against the cold open alone.
void BM_ShowFirstPage(benchmark::State &state) {
  TBench &b = Bench();
  double shows = 0, opens = 0, reads = 0;
  int drawn = 0;
  for (auto _ : state) {
    reads += ColdReadSeconds(b.path);
    TOpened alone = OpenCold(b.path);
    opens += alone.seconds;
    alone.book.reset();
    TOpened opened = OpenCold(b.path);
    const double show = opened.seconds + Seconds([&] { drawn = ShowWorkPage(*opened.book); });
    shows += show;
    state.SetIterationTime(show);
    SetCurrentBook(b.book.get());
  }
  state.counters["show_to_open_ratio"] = shows / opens;
  state.counters["show_to_cold_read_ratio"] = shows / reads;
  state.counters["pictures_drawn"] = drawn;
}
BENCHMARK(BM_ShowFirstPage)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// Rounds of writing aBytes safely to aCopy and saving aBook to aSaved, each
// round's save the iteration's time; answers the seconds of saves and of
// writes.
std::pair<double, double> SaveRounds(benchmark::State &state, TLmCompo &aBook,
                                     const QByteArray &aBytes, const QString &aSaved,
                                     const QString &aCopy) {
  double saves = 0, writes = 0;
  for (auto _ : state) {
    writes += Seconds([&] { SaveFileSafely(aCopy, aBytes); });
    const double save = Seconds([&] {
      if (!aBook.SaveToFile(aSaved, QString())) std::abort();
    });
    saves += save;
    state.SetIterationTime(save);
  }
  return {saves, writes};
}

// Saving against writing the same bytes safely, both in each round.
void BM_SaveBookRatio(benchmark::State &state) {
  TBench &b = Bench();
  const auto [saves, writes] =
      SaveRounds(state, *b.book, b.bytes, b.dir.path() + QStringLiteral("/saved.lmm"),
                 b.dir.path() + QStringLiteral("/copy.lmm"));
  state.counters["save_ratio"] = saves / writes;
}
BENCHMARK(BM_SaveBookRatio)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

// Books of 10, 100 and 1,000 pages, made once each and kept.
struct TSizedBook {
  QString path;
  std::unique_ptr<TBenchBook> book;
  QByteArray bytes;
};

TSizedBook &SizedBook(int aPages) {
  static std::map<int, TSizedBook> books;
  TSizedBook &sized = books[aPages];
  if (sized.book) return sized;
  TBench &b = Bench();
  sized.path = b.dir.path() + QStringLiteral("/pages%1.lmm").arg(aPages);
  sized.book = MakeBook(aPages, b.pictures);
  if (!sized.book->SaveToFile(sized.path, QString())) std::abort();
  QFile file(sized.path);
  if (!file.open(QIODevice::ReadOnly)) std::abort();
  sized.bytes = file.readAll();
  SetCurrentBook(b.book.get());
  return sized;
}

// Opening by page count: per_page_ms should stay flat from 10 to 1,000.
void BM_OpenBookPages(benchmark::State &state) {
  const int pages = int(state.range(0));
  TSizedBook &sized = SizedBook(pages);
  double opens = 0, reads = 0;
  for (auto _ : state) {
    reads += ColdReadSeconds(sized.path);
    TOpened opened = OpenCold(sized.path);
    opens += opened.seconds;
    state.SetIterationTime(opened.seconds);
    SetCurrentBook(Bench().book.get());
  }
  const double n = double(state.iterations());
  state.counters["per_page_ms"] = opens * 1e3 / n / pages;
  state.counters["open_ratio"] = opens / reads;
  state.counters["file_bytes"] = double(sized.bytes.size());
}
BENCHMARK(BM_OpenBookPages)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1);

// Saving by page count, against writing the same bytes safely.
void BM_SaveBookPages(benchmark::State &state) {
  const int pages = int(state.range(0));
  TSizedBook &sized = SizedBook(pages);
  TBench &b = Bench();
  SetCurrentBook(sized.book.get());
  const auto [saves, writes] = SaveRounds(state, *sized.book, sized.bytes,
                                          b.dir.path() + QStringLiteral("/saved%1.lmm").arg(pages),
                                          b.dir.path() + QStringLiteral("/copy%1.lmm").arg(pages));
  SetCurrentBook(b.book.get());
  const double n = double(state.iterations());
  state.counters["per_page_ms"] = saves * 1e3 / n / pages;
  state.counters["save_ratio"] = saves / writes;
}
BENCHMARK(BM_SaveBookPages)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1);

} // namespace
