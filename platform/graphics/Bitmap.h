#pragma once
// A bitmap: an image with a canvas that draws into it, and the BMP file
// form. New pixels are white, as the platform's bitmaps start.
//
// The pixel format decides how colours are held (the QImage format of
// Image() and ScanLine()):
//   pfDevice, pf32bit  Format_ARGB32_Premultiplied (32-bit pixels)
//   pf24bit            Format_RGB888 (bytes R, G, B; no alpha)
//   pf16bit            Format_RGB16 (5-6-5: colours lose their low bits;
//                      $FF00FF, black and white stay exact)
//   pf1bit             Format_RGB32 holding only black and white, so that
//                      the canvas can draw on it; a colour becomes the
//                      nearer of the two (r + g + b > 382 gives white), also
//                      after drawing on the canvas.
// Changing the format converts the pixels. Loading a BMP file gives pfDevice.
//
// A transparent bitmap is drawn without the pixels of its transparent
// colour: the fixed colour when one was set (tmFixed), else the colour of
// its bottom-left pixel (tmAuto), as the platform picks it. Those pixels are
// left out by drawing a copy whose alpha is 0 there, stretched by picking
// pixels (never blended), so the result is the same on an image, on a
// recording (TMetafileCanvas) replayed later, and on any other device.
#include <QImage>
#include <memory>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

namespace lumora {

enum TPixelFormat { pfDevice, pf1bit, pf16bit, pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };

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

  TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat format);

  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode mode) { transparentMode_ = mode; }
  // The fixed colour (tmFixed), else the bottom-left pixel's colour; clNone
  // for an empty bitmap in tmAuto.
  TColor TransparentColor() const;
  // Sets the fixed colour and the mode tmFixed.
  void SetTransparentColor(TColor color);

  // The bytes of pixel row y, in the image's format (see Image()); writing
  // through it counts as a change.
  uchar *ScanLine(int y);
  const uchar *ScanLine(int y) const;

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
  // The size of the BMP file's picture, read from its headers alone;
  // invalid when the headers are not plausible (LoadFromStream raises).
  static QSize HeaderSize(const QByteArray &bytes);
  // The original BMP bytes, or a 24-bit BMP file of the pixels.
  void SaveToStream(TStream &stream) const override;
  void Draw(TCanvas &canvas, const TRect &r) const override;
  std::unique_ptr<TGraphic> Clone() const override;

private:
  void FinishDrawing() const;
  // The pixels as premultiplied ARGB with alpha 0 at the transparent colour.
  const QImage &Keyed() const;

  // Mutable: drawing through the canvas changes it, found out when the
  // pixels are next read (pf1bit is brought back to black and white then).
  mutable QImage image_;
  mutable std::unique_ptr<TCanvas> canvas_;
  // Keyed() made last, and what it was made from.
  mutable QImage keyed_;
  mutable qint64 keyedFrom_ = 0;
  mutable QRgb keyedColor_ = 0;
  TPixelFormat format_ = pfDevice;
  TTransparentMode transparentMode_ = tmAuto;
  TColor transparentColor_ = clNone;
};

} // namespace lumora
