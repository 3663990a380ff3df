#include "platform/graphics/Graphic.h"

#include <cstdlib>
#include <limits>

#include "platform/graphics/Canvas.h"

#include "platform/system/Exception.h"
#include "platform/system/Stream.h"

namespace lumora {

void TGraphic::LoadFromFile(const QString &fileName) {
  TFileStream stream(fileName, fmOpenRead);
  LoadFromStream(stream);
}

QByteArray TGraphic::ReadRest(TStream &stream) {
  const int64_t count = stream.Remaining();
  // QByteArray holds at most 2^31 - 1 bytes on every platform we build for.
  if (count > std::numeric_limits<int>::max() - 64)
    throw EReadError(QStringLiteral("Picture data too large"));
  QByteArray bytes(qsizetype(count), Qt::Uninitialized);
  if (count > 0) stream.ReadBuffer(bytes.data(), count);
  return bytes;
}

void TGraphic::Fail(const QString &kind) {
  throw Exception(QStringLiteral("Can't Create Image(") + kind + QStringLiteral(")"));
}

QImage TGraphic::Render(const TGraphic &graphic, QImage::Format format, const QColor &fill,
                        const QString &kind) {
  if (graphic.Empty() || graphic.Width() == 0 || graphic.Height() == 0) return QImage();
  const int w = std::abs(graphic.Width());
  const int h = std::abs(graphic.Height());
  if (int64_t(w) * h > kMaxPicturePixels) Fail(kind);
  QImage image(w, h, format);
  image.fill(fill);
  {
    TCanvas canvas(&image);
    canvas.Draw(0, 0, graphic);
  }
  return image;
}

} // namespace lumora
