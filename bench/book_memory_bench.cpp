// The memory that opening a book takes: a book of 1,000 pages and 100,000
// objects, 1,000 of them still pictures showing 100 different pictures, is
// opened, and its work page shown, in a fresh process (this program run
// again for the one benchmark BM_OpenBookMemoryChild), whose peak resident
// memory (VmHWM) is compared with its resident memory before the open (the
// program's base). The budget is the shown page's pictures decoded (four
// bytes a pixel) plus 1 KB an object; memory_ratio is the growth of the peak
// over that budget, and must stay at most 1.
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <set>

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
#include "tests/kinds/BookKinds.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

constexpr int kPages = 1000;
constexpr int kObjectsPerPage = 100; // 100,000 in all
constexpr int kPictures = 100;
constexpr double kBytesPerObject = 1024;

// The environment that makes this program the child that opens the book
// named there and writes what it measured into the file named there.
constexpr const char *kChildBook = "LUMORA_MEMORY_BENCH_BOOK";
constexpr const char *kChildOut = "LUMORA_MEMORY_BENCH_OUT";

using bench::TBenchBook;
using bench::TBenchPage;

void Start() {
  static const bool started = [] {
    static int argc = 1;
    static char name[] = "book_memory_bench";
    static char *argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    new QGuiApplication(argc, argv);
    SetPixelsPerInch(96);
    test::StartTestCore({.RegisterClasses = bench::RegisterBenchBookClasses,
                         .SystemState = true,
                         .VersionsYes = true});
    return true;
  }();
  (void)started;
}

// Saves the book to aPath: kPages pages of kObjectsPerPage objects, the
// first of each a still showing the pictures in turn.
void SaveBook(const QString &aFolder, const QString &aPath) {
  const QStringList pictures = bench::BenchPictures(aFolder, kPictures);
  std::unique_ptr<TBenchBook> book = NewObject<TBenchBook>();
  book->ReName(0);
  SetCurrentBook(book.get());
  bench::AddBenchPages<TBenchPage>(*book, kPages, kObjectsPerPage, pictures);
  TOpenBook(book.get(), QString()).Open(nullptr);
  book->SetPage(1);
  if (!book->SaveToFile(aPath, QString())) std::abort();
  SetCurrentBook(nullptr);
  book.reset();
  ResetStillMaker();
  ResetStampMaker();
}

// A "Vm...:" line of /proc/self/status in kB; -1 when there is none.
double StatusKb(const char *aField) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray field = QByteArray(aField) + ':';
  for (const QByteArray &line : status.readAll().split('\n'))
    if (line.startsWith(field))
      return line.mid(field.size()).trimmed().split(' ').value(0).toDouble();
  return -1;
}

// Paints the work page into an 800 x 600 bitmap, drawing the pictures of
// its stills into their frames; answers the bytes of those pictures
// decoded, each picture counted once.
double ShowWorkPage(TBenchBook &aBook) {
  TMetaPage *page = aBook.Pages(aBook.Page());
  if (!page) std::abort();
  TBitmap image(800, 600);
  image.SetPixelFormat(pf32bit);
  TCanvas &canvas = image.Canvas();
  page->Paint(canvas);
  std::set<const TGraphic *> decoded;
  double bytes = 0;
  const TAbObjectPool *pool = page->Pool();
  for (int i = 0; pool && i < pool->Count(); ++i) {
    TCommonObj *obj = pool->Items(i);
    if (!dynamic_cast<bench::TBenchStill *>(obj)) continue;
    TStill_ *still = StillMaker().FindStill(obj->Param.Text);
    if (!still) continue;
    if (const TGraphic *picture = still->Graphic()) {
      canvas.StretchDraw(obj->BoundsRect(), *picture);
      if (decoded.insert(picture).second)
        bytes += 4.0 * std::abs(picture->Width()) * std::abs(picture->Height());
    }
  }
  benchmark::DoNotOptimize(image.Width());
  return bytes;
}

// The child: opens the book and writes "base open_peak show_peak
// picture_bytes objects opened" (kB, kB, kB, bytes, count, kB: the last
// the resident memory right after the open) to the out file.
void BM_OpenBookMemoryChild(benchmark::State &state) {
  const QString path = QString::fromLocal8Bit(qgetenv(kChildBook));
  const QString out = QString::fromLocal8Bit(qgetenv(kChildOut));
  for (auto _ : state) {
    Start();
    ResetStillMaker();
    ResetStampMaker();
    std::unique_ptr<TBenchBook> book = NewObject<TBenchBook>();
    SetCurrentBook(book.get());
    // The peak from here on: the base is what the program holds now.
    {
      QFile reset(QStringLiteral("/proc/self/clear_refs"));
      if (reset.open(QIODevice::WriteOnly)) reset.write("5");
    }
    const double base = StatusKb("VmRSS");
    QString header;
    if (!book->LoadFromFile(path, header)) std::abort();
    TOpenBook(book.get(), path).Open(nullptr);
    const double openPeak = StatusKb("VmHWM");
    const double opened = StatusKb("VmRSS");
    const double pictureBytes = ShowWorkPage(*book);
    const double showPeak = StatusKb("VmHWM");
    int64_t objects = 0;
    if (const TAbObjectPool *pages = book->Pool())
      for (int i = 0; i < pages->Count(); ++i)
        if (const TAbObjectPool *pool = pages->Items(i)->Pool()) objects += pool->Count();
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly)) std::abort();
    file.write(QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                   .arg(base)
                   .arg(openPeak)
                   .arg(showPeak)
                   .arg(pictureBytes)
                   .arg(objects)
                   .arg(opened)
                   .toLatin1());
    SetCurrentBook(nullptr);
    // The process ends: the book need not be freed piece by piece.
    (void)book.release();
  }
}

// Registered only in the child, which is run with a filter naming it.
const bool gChildRegistered = [] {
  if (std::getenv(kChildBook) && std::getenv(kChildOut))
    benchmark::RegisterBenchmark("BM_OpenBookMemoryChild", BM_OpenBookMemoryChild)->Iterations(1);
  return true;
}();

void BM_OpenBookMemory(benchmark::State &state) {
  Start();
  QTemporaryDir dir;
  const QString path = dir.path() + QStringLiteral("/memory.lmm");
  const QString out = dir.path() + QStringLiteral("/measured.txt");
  SaveBook(dir.path(), path);
  const double fileBytes = double(QFile(path).size());
  double ratio = 0, kept = 0, openGrowth = 0, showGrowth = 0, budget = 0, objects = 0;
  for (auto _ : state) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildBook), path);
    env.insert(QString::fromLatin1(kChildOut), out);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral("/proc/self/exe"),
                {QStringLiteral("--benchmark_filter=^BM_OpenBookMemoryChild")});
    if (!child.waitForFinished(120000) || child.exitCode() != 0) {
      state.SkipWithError("the child that opens the book failed");
      return;
    }
    QFile file(out);
    if (!file.open(QIODevice::ReadOnly)) std::abort();
    const QList<QByteArray> v = file.readAll().trimmed().split(' ');
    if (v.size() != 6) std::abort();
    const double base = v[0].toDouble(), openPeak = v[1].toDouble(), showPeak = v[2].toDouble();
    objects = v[4].toDouble();
    kept = (v[5].toDouble() - base) * 1024;
    openGrowth = (openPeak - base) * 1024;
    showGrowth = (showPeak - base) * 1024;
    budget = v[3].toDouble() + kBytesPerObject * objects;
    ratio = std::max(openGrowth, showGrowth) / budget;
  }
  state.counters["memory_ratio"] = ratio;
  state.counters["open_growth_mb"] = openGrowth / 1048576;
  state.counters["show_growth_mb"] = showGrowth / 1048576;
  state.counters["kept_after_open_mb"] = kept / 1048576;
  state.counters["budget_mb"] = budget / 1048576;
  state.counters["objects"] = objects;
  state.counters["file_mb"] = fileBytes / 1048576;
}
BENCHMARK(BM_OpenBookMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
