// Painting a page of turned stamps with see-through parts (as
// stamp_bench.cpp builds it) on a 1024 x 768 page, for 50 and 1,000
// stamps. Every figure is also given as the counter "x_blit": its time over
// that of one blit of a 1024 x 768 premultiplied image, measured in the
// same run.
//   BM_PageFromCache: the whole page repainted from the page cache.
//   BM_MoveOne: one stamp moved, the page cache repaired and shown.
//   BM_MoveOneLifted: the same with the stamps below it kept painted.
//   BM_PaintObjects: every stamp painted from its maker's image.
//   BM_RemakeObjects: every stamp's maker made again.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "bench/Blit.h"
#include "core/book/PageCache.h"
#include "core/model/CoreContext.h"
#include "core/pictures/CustomStamp.h"
#include "core/support/RectOps.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Stream.h"
#include "tests/kinds/FigureKinds.h"
#include "tests/kinds/StampPage.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

constexpr int kPageWidth = 1024;
constexpr int kPageHeight = 768;
constexpr int kStampWidth = 64;

using test::TBenchStamp;

// The given number of turned stamps on the page.
class StampPage : public test::TStampPage {
public:
  explicit StampPage(int aStamps) : TStampPage(aStamps, kPageWidth, kPageHeight, kStampWidth) {}
};

double BlitSeconds() {
  return bench::BlitSeconds(kPageWidth, kPageHeight);
}

// Runs aStep for the state and reports its time over a blit's.
template <class F> void Measure(benchmark::State &state, F aStep) {
  const double blit = BlitSeconds();
  double spent = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    aStep();
    spent += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["x_blit"] = spent / double(state.iterations()) / blit;
}

TRect Painted(TBenchStamp &aStamp) {
  return InflateRect(aStamp.BoundsRect(), 3, 3);
}

bool Meets(const TRect &a, const TRect &b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// A page of remade stamps and its cache, shown on a window image.
struct CachedPage {
  explicit CachedPage(int aStamps) : page(aStamps) {
    for (auto &stamp : page.Stamps())
      stamp->ReMake();
    window.fill(Qt::gray);
  }
  void Show() {
    const QImage &frame = cache.Frame(
        QSize(kPageWidth, kPageHeight), {},
        [](TCanvas &aCanvas) {
          aCanvas.Brush().SetColor(clWhite);
          aCanvas.FillRect(Rect(0, 0, kPageWidth, kPageHeight));
        },
        [this](TCanvas &aCanvas, const TRect &aArea, int aFrom, int aTo) {
          const auto &stamps = page.Stamps();
          const size_t last = aTo < 0 ? stamps.size() : std::min(size_t(aTo), stamps.size());
          for (size_t i = size_t(aFrom); i < last; ++i)
            if (Meets(Painted(*stamps[i]), aArea)) stamps[i]->Paint(aCanvas);
        });
    QPainter p(&window);
    p.drawImage(0, 0, frame);
  }
  StampPage page;
  TPageCache cache;
  QImage window{kPageWidth, kPageHeight, QImage::Format_ARGB32_Premultiplied};
};

void BM_PageFromCache(benchmark::State &state) {
  CachedPage page(int(state.range(0)));
  page.Show();
  Measure(state, [&] { page.Show(); });
}
BENCHMARK(BM_PageFromCache)->Arg(50)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Moves the stamp by aStep both ways (aStep changes sign), as a drag
// reports it: where it was and where it is are dirty; then shows the page.
void MoveAndShow(CachedPage &aPage, TBenchStamp &aMoved, double &aStep) {
  aPage.cache.Invalidate(Painted(aMoved));
  aMoved.Move({aStep, aStep});
  aMoved.ReMake();
  aPage.cache.Invalidate(Painted(aMoved));
  aStep = -aStep;
  aPage.Show();
}

void BM_MoveOne(benchmark::State &state) {
  CachedPage page(int(state.range(0)));
  page.Show();
  TBenchStamp &moved = *page.page.Stamps()[page.page.Stamps().size() / 2];
  double step = 7;
  Measure(state, [&] { MoveAndShow(page, moved, step); });
}
BENCHMARK(BM_MoveOne)->Arg(50)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The same move while a drag holds it: the stamps below the moved one stay
// painted in the cache, so a repair paints only it and those in front.
void BM_MoveOneLifted(benchmark::State &state) {
  CachedPage page(int(state.range(0)));
  page.Show();
  const size_t index = page.page.Stamps().size() / 2;
  TBenchStamp &moved = *page.page.Stamps()[index];
  page.cache.Lift(int(index));
  double step = 7;
  Measure(state, [&] { MoveAndShow(page, moved, step); });
}
BENCHMARK(BM_MoveOneLifted)->Arg(50)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_PaintObjects(benchmark::State &state) {
  CachedPage page(int(state.range(0)));
  TBitmap bitmap(kPageWidth, kPageHeight);
  Measure(state, [&] {
    bitmap.Canvas().Brush().SetColor(clWhite);
    bitmap.Canvas().FillRect(Rect(0, 0, kPageWidth, kPageHeight));
    for (auto &stamp : page.page.Stamps())
      stamp->Paint(bitmap.Canvas());
    benchmark::DoNotOptimize(bitmap.Image().constBits());
  });
}
BENCHMARK(BM_PaintObjects)->Arg(50)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_RemakeObjects(benchmark::State &state) {
  StampPage page(int(state.range(0)));
  Measure(state, [&] {
    for (auto &stamp : page.Stamps()) {
      stamp->StampBmp().SetEmpty();
      stamp->ReMake();
    }
  });
}
BENCHMARK(BM_RemakeObjects)->Arg(50)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
