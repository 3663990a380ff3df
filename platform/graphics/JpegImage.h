#pragma once
// A JPEG picture, decoded and encoded with libjpeg.
#include <QImage>

#include "platform/graphics/Graphic.h"

namespace lumora {

class TJpegImage : public TGraphic {
public:
  TJpegImage() = default;

  bool Empty() const override { return image_.isNull(); }
  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }

  // Quality (1..100) used when the picture is encoded from its pixels.
  int CompressionQuality() const { return quality_; }
  void SetCompressionQuality(int quality);

  const QImage &Image() const { return image_; }
  // Replaces the pixels; the file form is encoded again when written.
  void SetImage(const QImage &image);
  // Takes the graphic's pixels, drawn at its own size on white.
  void Assign(const TGraphic &graphic);

  // Reads a JPEG file; raises "Can't Create Image(jpg)" on bad data.
  void LoadFromStream(TStream &stream) override;
  void SaveToStream(TStream &stream) const override;
  void Draw(TCanvas &canvas, const TRect &r) const override;
  std::unique_ptr<TGraphic> Clone() const override;

  // The codec, for callers holding plain images. Decode raises as above.
  static QImage Decode(const QByteArray &bytes);
  static QByteArray Encode(const QImage &image, int quality);
  // The size Decode gives, read from the header alone; invalid when the
  // header cannot be read.
  static QSize HeaderSize(const QByteArray &bytes);

private:
  QImage image_; // Format_RGB32
  int quality_ = 90;
};

} // namespace lumora
