#pragma once
// A PNG picture, decoded and encoded with libpng. Transparency is kept.
#include <QImage>

#include "platform/graphics/Graphic.h"

namespace lumora {

class TPngImage : public TGraphic {
public:
  TPngImage() = default;

  bool Empty() const override { return image_.isNull(); }
  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }

  const QImage &Image() const { return image_; }
  // Replaces the pixels; the file form is encoded again when written.
  void SetImage(const QImage &image);
  // Takes the graphic's pixels, drawn at its own size on transparent.
  void Assign(const TGraphic &graphic);

  // Reads a PNG file; raises "Can't Create Image(png)" on bad data.
  void LoadFromStream(TStream &stream) override;
  void SaveToStream(TStream &stream) const override;
  void Draw(TCanvas &canvas, const TRect &r) const override;
  std::unique_ptr<TGraphic> Clone() const override;

  // The codec, for callers holding plain images. Decode raises as above.
  static QImage Decode(const QByteArray &bytes);
  static QByteArray Encode(const QImage &image);
  // The size Decode gives, read from the signature and the IHDR chunk
  // alone; invalid when they are not a PNG file's or the size is beyond
  // what Decode takes.
  static QSize HeaderSize(const QByteArray &bytes);

private:
  QImage image_; // Format_ARGB32
};

} // namespace lumora
