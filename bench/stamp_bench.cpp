// Drawing 1,000 turned stamps with see-through parts (a round picture on a
// transparent ground) onto a 1024 x 768 page; the counter "fps" is whole
// pages per second.
//   BM_RenderStamps: every stamp rendered straight onto the page (ZoomDraw
//     at zoom 1: oversampled, turned, reduced, drawn through the key
//     colour), as printing and page pictures draw.
//   BM_RemakeStamps: every stamp's maker records it again (its rendering
//     through the render cache), as opening a page does.
//   BM_RepaintStamps: the page painted from the makers' recordings, as a
//     window repaint does.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "core/model/CoreContext.h"
#include "core/pictures/CustomStamp.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Stream.h"
#include "tests/kinds/FigureKinds.h"
#include "tests/kinds/StampPage.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

constexpr int kStamps = 1000;
constexpr int kPageWidth = 1024;
constexpr int kPageHeight = 768;
constexpr int kStampWidth = 64;

// The 1,000 turned stamps of the page.
class StampPage : public test::TStampPage {
public:
  StampPage() : TStampPage(kStamps, kPageWidth, kPageHeight, kStampWidth) {}
};

void ClearPage(TBitmap &aPage) {
  aPage.Canvas().Brush().SetColor(clWhite);
  aPage.Canvas().FillRect(Rect(0, 0, kPageWidth, kPageHeight));
}

void BM_RenderStamps(benchmark::State &state) {
  StampPage page;
  TBitmap bitmap(kPageWidth, kPageHeight);
  for (auto _ : state) {
    ClearPage(bitmap);
    for (auto &stamp : page.Stamps())
      stamp->ZoomDraw(bitmap.Canvas(), 1, 0, 0);
    benchmark::DoNotOptimize(bitmap.Image().constBits());
  }
  state.counters["fps"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderStamps)->Unit(benchmark::kMillisecond);

void BM_RemakeStamps(benchmark::State &state) {
  StampPage page;
  for (auto _ : state) {
    for (auto &stamp : page.Stamps()) {
      stamp->StampBmp().SetEmpty();
      stamp->ReMake();
    }
  }
  state.counters["fps"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RemakeStamps)->Unit(benchmark::kMillisecond);

void BM_RepaintStamps(benchmark::State &state) {
  StampPage page;
  for (auto &stamp : page.Stamps())
    stamp->ReMake();
  TBitmap bitmap(kPageWidth, kPageHeight);
  for (auto _ : state) {
    ClearPage(bitmap);
    for (auto &stamp : page.Stamps())
      stamp->Paint(bitmap.Canvas());
    benchmark::DoNotOptimize(bitmap.Image().constBits());
  }
  state.counters["fps"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RepaintStamps)->Unit(benchmark::kMillisecond);

} // namespace
