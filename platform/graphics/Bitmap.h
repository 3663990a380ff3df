#pragma once
// A bitmap: a premultiplied ARGB image with a canvas that draws into it, and
// the BMP file form. New pixels are white, as the platform's bitmaps start.
#include <QImage>
#include <memory>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

namespace lumora {

class TBitmap : public TGraphic {
public:
  TBitmap();
  TBitmap(int width, int height);
  TBitmap(const TBitmap &other);
  TBitmap &operator=(const TBitmap &other);
  ~TBitmap() override;

  bool Empty() const override;
  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }
  // Keeps the pixels that stay inside; new pixels are white.
  void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, Height()); }
  void SetHeight(int height) { SetSize(Width(), height); }

  // The canvas drawing into the bitmap, made on first use. Drawing on it
  // counts as a change (the original file bytes are dropped).
  TCanvas &Canvas();
  // The pixel as a colour ($00BBGGRR); clNone outside the bitmap.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);
  // The pixels, with any drawing finished.
  const QImage &Image() const;
  // Replaces the pixels (converted to the drawing format).
  void SetImage(const QImage &image);
  // Replaces the pixels by the graphic drawn at its own size.
  void Assign(const TGraphic &graphic);

  // Reads a BMP file; raises "Can't Create Image(bmp)" when it is not one.
  void LoadFromStream(TStream &stream) override;
  // The original BMP bytes, or a 24-bit BMP file of the pixels.
  void SaveToStream(TStream &stream) const override;
  void Draw(TCanvas &canvas, const TRect &r) const override;
  std::unique_ptr<TGraphic> Clone() const override;

private:
  void FinishDrawing() const;

  QImage image_;
  mutable std::unique_ptr<TCanvas> canvas_;
};

} // namespace lumora
