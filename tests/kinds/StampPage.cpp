#include "tests/kinds/StampPage.h"

#include <QGuiApplication>
#include <cmath>
#include <numbers>

#include "core/model/CoreContext.h"
#include "core/model/CustomMaker.h"
#include "platform/system/Stream.h"
#include "tests/kinds/TestStart.h"

namespace lumora::test {

TStampPage::TStampPage(int aStamps, int aPageWidth, int aPageHeight, int aStampWidth) {
  if (!QGuiApplication::instance()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
  }
  StartTestCore({.ProgramFolder = folder_.path()});
  TMemoryStream png;
  const QByteArray bytes = BenchStampPng();
  png.WriteBuffer(bytes.constData(), bytes.size());
  png.SaveToFile(folder_.filePath(QStringLiteral("disc.png")));

  CreatingStampSize() = aStampWidth;
  for (int i = 0; i < aStamps; ++i) {
    std::unique_ptr<TBenchStamp> stamp = NewObject<TBenchStamp>();
    stamp->Param.Text = QStringLiteral("disc.png");
    stamp->CreateImage();
    stamp->InitGrabInfo();
    stamp->Move({double((i * 97) % (aPageWidth - aStampWidth)),
                 double((i * 61) % (aPageHeight - aStampWidth))});
    // Angles spread over the whole turn, never upright.
    stamp->Rotate(0.2 + std::fmod(i * 0.37, 2 * std::numbers::pi - 0.4), {});
    stamp->Maker()->SetCenter();
    stamps_.push_back(std::move(stamp));
  }
}

TStampPage::~TStampPage() {
  stamps_.clear();
  TCoreContext::Reset();
}

} // namespace lumora::test
