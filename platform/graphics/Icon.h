#pragma once
// An icon file (.ico): one or more images of different sizes. The icon shows
// the image nearest to 32 x 32 (the deepest colour among equals); the file
// bytes are kept whole.
#include <QImage>

#include "platform/graphics/Graphic.h"

namespace lumora {

class TIcon : public TGraphic {
public:
  TIcon() = default;

  bool Empty() const override { return image_.isNull(); }
  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }

  // The shown image (ARGB, transparent where the icon's mask is).
  const QImage &Image() const { return image_; }
  // Makes a one-image icon of the pixels.
  void SetImage(const QImage &image);

  // Reads an icon file; raises "Can't Create Image(ico)" on bad data.
  void LoadFromStream(TStream &stream) override;
  // The original bytes, or a one-image icon file of 32-bit colour and mask.
  void SaveToStream(TStream &stream) const override;
  void Draw(TCanvas &canvas, const TRect &r) const override;
  std::unique_ptr<TGraphic> Clone() const override;

private:
  QImage image_; // Format_ARGB32
};

} // namespace lumora
