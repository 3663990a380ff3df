#include "core/support/BlendBitmaps.h"

#include <QImage>
#include <algorithm>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace lumora {

void BlendBitmaps(const TRect &aRect, TBitmap &aDest, const TBitmap &aSrc, int aPercent) {
  QImage dest = aDest.Image().convertToFormat(QImage::Format_RGB32);
  const QImage src = aSrc.Image().convertToFormat(QImage::Format_RGB32);
  const int k = aPercent * 256 / 100;
  const int top = std::max(aRect.Top, 0);
  const int bottom = std::min({aRect.Bottom, dest.height() - 1, src.height() - 1});
  const int left = std::max(aRect.Left, 0);
  const int right = std::min(dest.width(), src.width()) - 1;
  auto mix = [k](int d, int s) { return s + (((d - s) * k) >> 8); };
  for (int y = top; y <= bottom; ++y) {
    auto *d = reinterpret_cast<QRgb *>(dest.scanLine(y));
    const auto *s = reinterpret_cast<const QRgb *>(src.constScanLine(y));
    for (int x = left; x <= right; ++x)
      d[x] = qRgb(mix(qRed(d[x]), qRed(s[x])), mix(qGreen(d[x]), qGreen(s[x])),
                  mix(qBlue(d[x]), qBlue(s[x])));
  }
  aDest.SetImage(dest);
}

void DrawBitmapInStrips(TCanvas &aCanvas, const TBitmap &aBitmap, TPoint aAt) {
  const int width = aBitmap.Width();
  const int height = aBitmap.Height();
  const int64_t n = int64_t(width) * height / 450'000;
  if (n == 0) {
    aCanvas.Draw(aAt.X, aAt.Y, aBitmap);
    return;
  }
  const QImage &image = aBitmap.Image();
  const int rows = std::max(1, int(height / n));
  for (int y = 0; y < height; y += rows) {
    const int h = std::min(rows, height - y); // the last strip takes the rows left over
    aCanvas.DrawImage(Bounds(aAt.X, aAt.Y + y, width, h),
                      image.copy(0, y, width, h).convertToFormat(QImage::Format_RGB32));
  }
}

} // namespace lumora
