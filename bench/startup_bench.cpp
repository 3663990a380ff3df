// The program's start-up against a bare Qt window. In each round, (a) a
// plain window that fills itself is shown until its first paint, and (b)
// the program starts as main() starts it once the application object
// exists (message box, pixel density, the program's context, the start-up
// picture, the long-lived objects, the book named on the command line, the
// window of the page) until the base form has painted the book's first
// page; then the program is shut down and its context freed, untimed.
// startup_ratio_<pages> is the sum of the starts over the sum of the bare
// windows, for books of 10 and of 200 pages (100 objects each, one of them
// a still picture, as in book_bench) written to a temporary folder.
//
// The application object exists once per process: it is made once, and
// every start runs inside it. Run with QT_QPA_PLATFORM=offscreen (the
// default here).
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <map>

#include "bench/BenchKinds.h"
#include "core/book/MetaBook.h"
#include "core/geometry/Geometry.h"
#include "core/model/CoreContext.h"
#include "core/pictures/StillFactory.h"
#include "platform/ui/MessageBox.h"
#include "shell/books/AuthorBook.h"
#include "shell/startup/BaseForm.h"
#include "shell/startup/ProgramStart.h"
#include "shell/startup/Startup.h"
#include "tests/kinds/FigureKinds.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

constexpr int kObjectsPerPage = 100;
constexpr int kPictures = 50;
constexpr int kPageWidth = 800;
constexpr int kPageHeight = 600;

// The calls main() makes once the application object exists, with a
// message box that answers silently.
void StartContext() {
  SetMessageBox(std::make_unique<test::TSilentBox>());
  QScreen *screen = QApplication::primaryScreen();
  SetPixelsPerInch(screen ? qRound(screen->logicalDotsPerInch()) : 96);
  StartProgram(bench::RegisterBenchKinds);
}

void EndContext() {
  TCoreContext::Reset();
  SetMessageBox(nullptr);
}

// An author book of aPages pages (the common page among them) with
// kObjectsPerPage objects on each page after the common page, the first a
// still showing one of the pictures in turn; saved to aPath.
void WriteBook(const QString &aPath, int aPages, const QStringList &aPictures) {
  std::unique_ptr<TAuthorBook> book = NewObject<TAuthorBook>();
  NewEmptyBook(*book);
  book->WinWidth = kPageWidth;
  book->WinHeight = kPageHeight;
  book->Pages(0)->Param.FaceColor = 0xE0F0E0;
  for (int p = 2; p < aPages; ++p) {
    std::unique_ptr<TAuthorPage> page = NewObject<TAuthorPage>();
    page->Name = page->CreateName(true);
    page->Param.SetObjValue(p);
    book->AddObj(std::move(page));
  }
  for (int p = 1; p < aPages; ++p) {
    for (int k = 0; k < kObjectsPerPage; ++k) {
      book->Pages(p)->AddObj(bench::BenchObject(k, aPictures[p % aPictures.size()]));
    }
  }
  TOpenBook(book.get(), QString()).Open(nullptr);
  if (!book->SaveToFile(aPath, QString())) std::abort();
  book->CloseBook();
  SetCurrentBook(nullptr);
}

struct TBench {
  QTemporaryDir dir;
  std::map<int, QString> books;
};

TBench &Bench() {
  static TBench *bench = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    auto *b = new TBench;
    // The program's data folder and settings stay inside the temporary
    // folder.
    setenv("LUMORA_DATA", QFile::encodeName(b->dir.path() + "/data").constData(), 1);
    setenv("XDG_CONFIG_HOME", QFile::encodeName(b->dir.path() + "/config").constData(), 1);
    QDir().mkpath(b->dir.path() + QStringLiteral("/data/Lumora算数"));
    static int argc = 1;
    static char name[] = "startup_bench";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);

    StartContext();
    const QStringList pictures = bench::BenchPictures(b->dir.path(), kPictures);
    for (const int pages : {10, 200}) {
      const QString path = b->dir.path() + QStringLiteral("/book%1.lmm").arg(pages);
      WriteBook(path, pages, pictures);
      b->books[pages] = path;
    }
    EndContext();
    return b;
  }();
  return *bench;
}

using TClock = std::chrono::steady_clock;

// Runs the event loop's pending work until aDone, at most 10 s.
template <class F> void ProcessUntil(F &&aDone) {
  const auto limit = TClock::now() + std::chrono::seconds(10);
  while (!aDone()) {
    if (TClock::now() > limit) std::abort(); // a window that never paints
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

// A window that fills itself and notes the end of its first paint.
class TBareWindow : public QWidget {
public:
  TClock::time_point Painted;
  bool HasPainted = false;

protected:
  void paintEvent(QPaintEvent *aEvent) override {
    QPainter painter(this);
    painter.fillRect(aEvent->rect(), QColor(0xA0, 0xA0, 0xA4));
    painter.end();
    if (!HasPainted) {
      HasPainted = true;
      Painted = TClock::now();
    }
  }
};

// The seconds from making a bare window to the end of its first paint.
double BareWindowSeconds() {
  const auto start = TClock::now();
  auto *window = new TBareWindow;
  window->resize(kPageWidth, kPageHeight);
  window->show();
  ProcessUntil([&] { return window->HasPainted; });
  const double seconds = std::chrono::duration<double>(window->Painted - start).count();
  delete window;
  QApplication::processEvents();
  return seconds;
}

// Notes the end of the first paint of a base form that shows page 1 of the
// current book: the paint event is handed to the form here and the time
// taken after it.
class TFirstPagePaint : public QObject {
public:
  TClock::time_point Painted;
  bool HasPainted = false;

protected:
  bool eventFilter(QObject *aObject, QEvent *aEvent) override {
    if (HasPainted || aEvent->type() != QEvent::Paint) return false;
    auto *form = qobject_cast<TBaseForm *>(aObject);
    if (!form) return false;
    const TMetaBook *book = CurrentBook();
    const bool firstPage = book && book->Page() == 1;
    static_cast<QObject *>(form)->event(aEvent);
    if (firstPage) {
      HasPainted = true;
      Painted = TClock::now();
    }
    return true;
  }
};

// The seconds from the calls main() makes after the application object to
// the end of the first paint of the book's first page.
double StartupSeconds(const QString &aBook) {
  TFirstPagePaint watch;
  qApp->installEventFilter(&watch);
  const auto start = TClock::now();
  StartContext();
  auto program = std::make_unique<TProgramWindows>(aBook);
  ProcessUntil([&] { return watch.HasPainted; });
  const double seconds = std::chrono::duration<double>(watch.Painted - start).count();
  qApp->removeEventFilter(&watch);
  program.reset();
  QApplication::processEvents(); // the start-up picture's queued free
  EndContext();
  return seconds;
}

void BM_Startup(benchmark::State &state) {
  const int pages = int(state.range(0));
  const QString book = Bench().books.at(pages);
  double bare = 0, starts = 0;
  for (auto _ : state) {
    bare += BareWindowSeconds();
    const double start = StartupSeconds(book);
    starts += start;
    state.SetIterationTime(start);
  }
  const double n = double(state.iterations());
  state.counters["startup_ratio_" + std::to_string(pages)] = starts / bare;
  state.counters["bare_ms"] = bare * 1e3 / n;
  state.counters["startup_ms"] = starts * 1e3 / n;
}
BENCHMARK(BM_Startup)
    ->Arg(10)
    ->Arg(200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);

} // namespace
