// One step of dragging an object on a page of 50 and of 2,000 figures in
// the program's base form: the plain handler moves the rubber outline over
// the cached page, and the form paints what the step made dirty. Given as
// "x_blit", the step's time over one blit of the whole 1024 x 768 page
// image, measured in the same run.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>

#include "bench/Blit.h"
#include "core/book/MetaBook.h"
#include "core/model/CoreContext.h"
#include "platform/ui/MessageBox.h"
#include "shell/books/AuthorBook.h"
#include "shell/input/SimpleHandler.h"
#include "shell/startup/BaseForm.h"
#include "shell/startup/ProgramStart.h"
#include "shell/startup/Startup.h"
#include "tests/kinds/FigureKinds.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

constexpr int kPageWidth = 1024;
constexpr int kPageHeight = 768;

QApplication &App() {
  static QApplication *app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "drag_bench";
    static char *argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *app;
}

double BlitSeconds() {
  return bench::BlitSeconds(kPageWidth, kPageHeight);
}

void BM_DragStep(benchmark::State &state) {
  App();
  QTemporaryDir dir;
  SetMessageBox(std::make_unique<test::TSilentBox>());
  StartShell(test::CoreStartup({.RegisterClasses =
                                    [](TObjClassList &aList) {
                                      RegisterProgramClasses(aList);
                                      aList.Add<test::TTestRect>();
                                    },
                                .SystemState = true,
                                .ProgramFolder = dir.path()}));
  {
    std::unique_ptr<TAuthorBook> book = NewObject<TAuthorBook>();
    NewEmptyBook(*book);
    book->WinWidth = kPageWidth;
    book->WinHeight = kPageHeight;
    // Overlapping figures all over the page; the one dragged lies in the
    // middle of the paint order.
    const int count = int(state.range(0));
    test::TTestRect *dragged = nullptr;
    for (int i = 0; i < count; ++i) {
      auto *rect =
          static_cast<test::TTestRect *>(book->WorkPage->AddObj(NewObject<test::TTestRect>()));
      const double x = 20 + (i * 37) % (kPageWidth - 140), y = 20 + (i * 53) % (kPageHeight - 100);
      rect->Place({{x, y}, {x + 80, y}, {x + 80, y + 50}, {x, y + 50}});
      if (i == count / 2) dragged = rect;
    }
    QWidget window;
    window.resize(kPageWidth, kPageHeight);
    auto *form = new TBaseForm(&window);
    form->setGeometry(window.rect());
    auto *handler = new TSimpleHandler(form, form, [] { return CurrentWorkPage(); });
    handler->Construct(nullptr);
    form->FormPaint();

    // Press on the figure, then move back and forth: each move is a step.
    const TRect at = dragged->BoundsRect();
    const int x0 = at.Left + 2, y0 = at.Top + 2;
    TShiftState left;
    left.Include(ssLeft);
    handler->MouseDown(mbLeft, left, x0, y0);
    handler->MouseUp(mbLeft, {}, x0, y0);
    handler->MouseDown(mbLeft, left, x0, y0);
    handler->MouseMove(left, x0 + 1, y0);
    handler->MouseMove(left, x0 + 2, y0);
    form->FormPaint();

    const double blit = BlitSeconds();
    double spent = 0;
    int step = 0;
    for (auto _ : state) {
      const auto start = std::chrono::steady_clock::now();
      step = (step + 7) % 100;
      handler->MouseMove(left, x0 + step, y0 + step / 2);
      form->FormPaint();
      spent += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    handler->MouseUp(mbLeft, {}, x0 + step, y0 + step / 2);
    state.counters["x_blit"] = spent / double(state.iterations()) / blit;
    delete form;
    book->CloseBook();
    SetCurrentBook(nullptr);
  }
  TCoreContext::Reset();
  SetMessageBox(nullptr);
}
BENCHMARK(BM_DragStep)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace
