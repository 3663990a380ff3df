#pragma once
// The baseline of the painting benchmarks: one blit of a premultiplied
// image of the page's size onto another.
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>

namespace lumora::bench {

// Seconds of one blit of a aWidth x aHeight premultiplied image (the best
// of several rounds).
inline double BlitSeconds(int aWidth, int aHeight) {
  QImage source(aWidth, aHeight, QImage::Format_ARGB32_Premultiplied);
  source.fill(QColor(10, 200, 30));
  QImage target(aWidth, aHeight, QImage::Format_ARGB32_Premultiplied);
  double best = 1e9;
  for (int round = 0; round < 20; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
      QPainter p(&target);
      p.drawImage(0, 0, source);
    }
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    best = std::min(best, spent.count() / 20);
  }
  benchmark::DoNotOptimize(target.constBits());
  return best;
}

} // namespace lumora::bench
