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
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

constexpr int kStamps = 1000;
constexpr int kPageWidth = 1024;
constexpr int kPageHeight = 768;
constexpr int kStampWidth = 64;

class TBenchStamp : public TCustomStamp {
  LUMORA_OBJECT(TBenchStamp, TCustomStamp)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("ベンチ印影");
    info.FormType = {otStamp};
    return info;
  }
  double GetObjAngle() override { return TDrawObj::GetObjAngle(); }
  void SetObjAngle(double aAngle) override { TDrawObj::SetObjAngle(aAngle); }

protected:
  TBenchStamp() : TCustomStamp(DefaultParam()) {}

private:
  static TObjParam DefaultParam() {
    TObjParam param;
    param.ObjName = QStringLiteral("ベンチ印影");
    param.Grabs = 8;
    return param;
  }
};

// A picture of 96 x 96: a red disc with a blue bar on a transparent ground.
QByteArray StampPng() {
  QImage image(96, 96, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(220, 40, 40));
  p.setPen(Qt::NoPen);
  p.drawEllipse(4, 4, 88, 88);
  p.setBrush(QColor(40, 40, 220));
  p.drawRect(20, 40, 56, 16);
  p.end();
  return TPngImage::Encode(image);
}

// The model, a program folder holding the picture, and the stamps spread
// over the page, each turned by its own angle.
class StampPage {
public:
  StampPage() {
    if (!QGuiApplication::instance()) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
      static int argc = 1;
      static char name[] = "stamp_bench";
      static char *argv[] = {name, nullptr};
      static QGuiApplication app(argc, argv);
    }
    test::StartTestCore({.ProgramFolder = folder_.path()});
    TMemoryStream png;
    const QByteArray bytes = StampPng();
    png.WriteBuffer(bytes.constData(), bytes.size());
    png.SaveToFile(folder_.filePath(QStringLiteral("disc.png")));

    CreatingStampSize() = kStampWidth;
    for (int i = 0; i < kStamps; ++i) {
      std::unique_ptr<TBenchStamp> stamp = NewObject<TBenchStamp>();
      stamp->Param.Text = QStringLiteral("disc.png");
      stamp->CreateImage();
      stamp->InitGrabInfo();
      stamp->Move({double((i * 97) % (kPageWidth - kStampWidth)),
                   double((i * 61) % (kPageHeight - kStampWidth))});
      // Angles spread over the whole turn, never upright.
      stamp->Rotate(0.2 + std::fmod(i * 0.37, 2 * std::numbers::pi - 0.4), {});
      stamp->Maker()->SetCenter();
      stamps_.push_back(std::move(stamp));
    }
  }
  ~StampPage() {
    stamps_.clear();
    TCoreContext::Reset();
  }

  std::vector<std::unique_ptr<TBenchStamp>> &Stamps() { return stamps_; }

private:
  QTemporaryDir folder_;
  std::vector<std::unique_ptr<TBenchStamp>> stamps_;
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
