#include "platform/graphics/Bitmap.h"

#include <QPainter>
#include <QtEndian>

#include "platform/system/Exception.h"
#include "platform/system/LittleEndian.h"
#include "platform/system/Stream.h"

namespace lumora {

namespace {

constexpr QImage::Format kDrawFormat = QImage::Format_ARGB32_Premultiplied;

uint32_t U32(const QByteArray &b, int at) {
  return qFromLittleEndian<uint32_t>(reinterpret_cast<const uchar *>(b.constData()) + at);
}
int32_t I32(const QByteArray &b, int at) {
  return int32_t(U32(b, at));
}
uint16_t U16(const QByteArray &b, int at) {
  return qFromLittleEndian<uint16_t>(reinterpret_cast<const uchar *>(b.constData()) + at);
}

// Checks the BMP file and information headers before the decoder sees the
// bytes, so that a bad size never reaches an allocation; answers the
// picture's size, an invalid size when the headers are not plausible.
QSize PlausibleBmp(const QByteArray &bytes) {
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') return {};
  const uint32_t headerSize = U32(bytes, 14);
  int64_t width = 0;
  int64_t height = 0;
  int bitCount = 0;
  uint32_t compression = 0;
  if (headerSize == 12) {
    width = U16(bytes, 18);
    height = U16(bytes, 20);
    bitCount = U16(bytes, 24);
  } else if (headerSize >= 40 && bytes.size() >= 14 + 40) {
    width = I32(bytes, 18);
    height = I32(bytes, 22);
    if (height < 0) height = -height;
    bitCount = U16(bytes, 28);
    compression = U32(bytes, 30);
  } else {
    return {};
  }
  if (width <= 0 || height <= 0 || width * height > kMaxPicturePixels) return {};
  // Uncompressed pixels must all be there (the decoder would invent the
  // missing rows); run-length data is checked by the decoder.
  const bool plain = compression == 0 || compression == 3 || compression == 6;
  if (plain && bitCount > 0 && bitCount <= 32) {
    const int64_t stride = (width * bitCount + 31) / 32 * 4;
    if (int64_t(U32(bytes, 10)) + stride * height > bytes.size()) return {};
  }
  return QSize(int(width), int(height));
}

// Writes a 24-bit bottom-up BMP file, the form every reader takes: the
// pixels as RGB32 (24-bit images as they are), in the file's B, G, R order.
void WriteBmp(const QImage &image, TStream &stream) {
  const QImage bgr =
      (image.format() == QImage::Format_RGB888 ? image
                                               : image.convertToFormat(QImage::Format_RGB32))
          .convertToFormat(QImage::Format_BGR888);
  const int w = bgr.width();
  const int h = bgr.height();
  const uint32_t stride = uint32_t((w * 3 + 3) & ~3);
  const uint32_t dataSize = stride * uint32_t(h);
  QByteArray b;
  b.reserve(54);
  b.append("BM", 2);
  le::Append<uint32_t>(b, 54 + dataSize);
  le::Append<uint32_t>(b, 0);
  le::Append<uint32_t>(b, 54);
  le::Append<uint32_t>(b, 40);
  le::Append<uint32_t>(b, uint32_t(w));
  le::Append<uint32_t>(b, uint32_t(h));
  le::Append<uint16_t>(b, 1);
  le::Append<uint16_t>(b, 24);
  le::Append<uint32_t>(b, 0); // BI_RGB
  le::Append<uint32_t>(b, dataSize);
  le::Append<uint32_t>(b, 0);
  le::Append<uint32_t>(b, 0);
  le::Append<uint32_t>(b, 0);
  le::Append<uint32_t>(b, 0);
  stream.WriteBuffer(b.constData(), b.size());
  const size_t bytes = size_t(w) * 3;
  const char padding[3] = {0, 0, 0};
  for (int y = h - 1; y >= 0; --y) {
    stream.WriteBuffer(bgr.constScanLine(y), int64_t(bytes));
    if (stride > bytes) stream.WriteBuffer(padding, int64_t(stride - bytes));
  }
}

QImage::Format StorageFormat(TPixelFormat format) {
  switch (format) {
  case pf16bit:
    return QImage::Format_RGB16;
  case pf24bit:
    return QImage::Format_RGB888;
  case pf1bit:
    // QPainter cannot draw on Format_Mono; black and white 32-bit pixels
    // keep the canvas working.
    return QImage::Format_RGB32;
  case pfDevice:
  case pf32bit:
    break;
  }
  return kDrawFormat;
}

// The nearer of black and white.
QRgb MonoOf(QRgb c) {
  return qRed(c) + qGreen(c) + qBlue(c) > 382 ? 0xFFFFFFFF : 0xFF000000;
}

// Brings an RGB32 image to black and white.
void MakeMono(QImage &image) {
  for (int y = 0; y < image.height(); ++y) {
    auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      row[x] = MonoOf(row[x]);
  }
}

// The image in the storage form of the format.
QImage Stored(const QImage &image, TPixelFormat format) {
  QImage stored = image.convertToFormat(StorageFormat(format));
  if (format == pf1bit) MakeMono(stored);
  return stored;
}

// The RGB a colour is held as in a bitmap of the format.
QRgb StoredRgb(TColor color, TPixelFormat format) {
  const QColor q = ToQColor(color);
  QRgb c;
  if (StorageFormat(format) == QImage::Format_RGB888 && q.alpha() == 255) {
    // Held exactly; filling an image of the format would start a painter.
    c = q.rgb();
  } else {
    QImage one(1, 1, StorageFormat(format));
    one.fill(q);
    c = one.pixel(0, 0);
  }
  return (format == pf1bit ? MonoOf(c) : c) & 0xFFFFFF;
}

} // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) {
  SetSize(width, height);
}

TBitmap::TBitmap(const TBitmap &other) : TGraphic() {
  *this = other;
}

TBitmap &TBitmap::operator=(const TBitmap &other) {
  if (this != &other) {
    FinishDrawing();
    canvas_.reset();
    other.FinishDrawing(); // first: drawing since the last read drops the file bytes
    TGraphic::operator=(other);
    image_ = other.image_;
    format_ = other.format_;
    transparentMode_ = other.transparentMode_;
    transparentColor_ = other.transparentColor_;
    keyed_ = other.keyed_;
    keyedFrom_ = other.keyedFrom_;
    keyedColor_ = other.keyedColor_;
  }
  return *this;
}

TBitmap::~TBitmap() {
  canvas_.reset();
}

void TBitmap::FinishDrawing() const {
  // An open painter means the canvas was drawn on since the pixels were
  // last read.
  if (canvas_ && canvas_->Active()) {
    canvas_->End();
    Modified();
    if (format_ == pf1bit) MakeMono(image_);
  }
}

bool TBitmap::Empty() const {
  return image_.isNull();
}

void TBitmap::SetSize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == image_.width() && height == image_.height()) return;
  if (int64_t(width) * height > kMaxPicturePixels) Fail(QStringLiteral("bmp"));
  FinishDrawing();
  Modified();
  if (width == 0 || height == 0) {
    image_ = QImage();
    return;
  }
  QImage resized(width, height, StorageFormat(format_));
  if (resized.isNull()) Fail(QStringLiteral("bmp"));
  // White: all bits set in every storage format. (Filling with a colour
  // paints 24-bit images through a QPainter.)
  resized.fill(0xFFFFFFFFu);
  if (!image_.isNull()) {
    QPainter p(&resized);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, image_);
  }
  image_ = resized;
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == format_) return;
  FinishDrawing();
  const bool convert = StorageFormat(format) != StorageFormat(format_) || format == pf1bit;
  format_ = format;
  if (!convert || image_.isNull()) return;
  Modified();
  image_ = Stored(image_, format_);
}

TColor TBitmap::TransparentColor() const {
  if (transparentMode_ == tmFixed) return transparentColor_;
  if (Empty()) return clNone;
  return Pixel(0, Height() - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
  transparentColor_ = color;
  transparentMode_ = tmFixed;
}

uchar *TBitmap::ScanLine(int y) {
  FinishDrawing();
  if (y < 0 || y >= image_.height()) return nullptr;
  Modified();
  return image_.scanLine(y);
}

const uchar *TBitmap::ScanLine(int y) const {
  FinishDrawing();
  if (y < 0 || y >= image_.height()) return nullptr;
  return image_.constScanLine(y);
}

TCanvas &TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<TCanvas>(&image_);
  return *canvas_;
}

TColor TBitmap::Pixel(int x, int y) const {
  FinishDrawing();
  if (!image_.valid(x, y)) return clNone;
  return FromQColor(QColor(image_.pixel(x, y)));
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  FinishDrawing();
  if (!image_.valid(x, y)) return;
  Modified();
  const QRgb c = ToQColor(color).rgba();
  image_.setPixel(x, y, format_ == pf1bit ? MonoOf(c) : c);
}

const QImage &TBitmap::Image() const {
  FinishDrawing();
  return image_;
}

void TBitmap::SetImage(const QImage &image) {
  FinishDrawing();
  Modified();
  image_ = image.isNull() ? QImage() : Stored(image, format_);
}

void TBitmap::Assign(const TGraphic &graphic) {
  if (&graphic == this) return;
  if (const auto *bitmap = dynamic_cast<const TBitmap *>(&graphic)) {
    *this = *bitmap;
    return;
  }
  FinishDrawing();
  Modified();
  if (graphic.Empty() || graphic.Width() == 0 || graphic.Height() == 0) {
    image_ = QImage();
    return;
  }
  const int w = std::abs(graphic.Width());
  const int h = std::abs(graphic.Height());
  if (int64_t(w) * h > kMaxPicturePixels) Fail(QStringLiteral("bmp"));
  QImage image(w, h, kDrawFormat);
  image.fill(Qt::white);
  {
    TCanvas canvas(&image);
    canvas.Draw(0, 0, graphic);
  }
  image_ = Stored(image, format_);
}

QSize TBitmap::HeaderSize(const QByteArray &bytes) {
  return PlausibleBmp(bytes);
}

void TBitmap::LoadFromStream(TStream &stream) {
  FinishDrawing();
  image_ = QImage();
  original_.clear();
  const QByteArray bytes = ReadRest(stream);
  if (!PlausibleBmp(bytes).isValid()) Fail(QStringLiteral("bmp"));
  QImage image;
  if (!image.loadFromData(bytes, "BMP") || image.isNull()) Fail(QStringLiteral("bmp"));
  format_ = pfDevice;
  image_ = image.convertToFormat(kDrawFormat);
  original_ = bytes;
}

void TBitmap::SaveToStream(TStream &stream) const {
  FinishDrawing();
  if (!original_.isEmpty()) {
    stream.WriteBuffer(original_.constData(), original_.size());
    return;
  }
  if (image_.isNull()) return;
  WriteBmp(image_, stream);
}

const QImage &TBitmap::Keyed() const {
  const QRgb key = StoredRgb(TransparentColor(), format_);
  if (!keyed_.isNull() && keyedFrom_ == image_.cacheKey() && keyedColor_ == key) return keyed_;
  QImage keyed =
      image_.format() == kDrawFormat ? image_.copy() : image_.convertToFormat(kDrawFormat);
  const bool opaque = !image_.hasAlphaChannel();
  for (int y = 0; y < keyed.height(); ++y) {
    auto *row = reinterpret_cast<QRgb *>(keyed.scanLine(y));
    if (opaque) {
      // Every pixel has alpha 255: no unpremultiplying.
      for (int x = 0; x < keyed.width(); ++x)
        if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
      continue;
    }
    for (int x = 0; x < keyed.width(); ++x) {
      const QRgb c = qAlpha(row[x]) == 255 ? row[x] : qUnpremultiply(row[x]);
      if ((c & 0xFFFFFF) == key) row[x] = 0;
    }
  }
  keyed_ = keyed;
  keyedFrom_ = image_.cacheKey();
  keyedColor_ = key;
  return keyed_;
}

void TBitmap::Draw(TCanvas &canvas, const TRect &r) const {
  FinishDrawing();
  if (!transparent_ || TransparentColor() == clNone) {
    // A shallow copy: drawing onto the bitmap's own canvas detaches the target.
    const QImage image = image_;
    canvas.DrawImage(r, image);
    return;
  }
  if (image_.isNull() || r.Width() == 0 || r.Height() == 0) return;
  // The transparent pixels are left out through alpha rather than raster
  // operations, which a printer ignores and which would blacken a
  // destination with transparent pixels. Picking pixels keeps the edge of
  // what is left out sharp, as the platform's transparent stretch does.
  const QImage keyed = Keyed();
  QPainter &p = canvas.Painter();
  p.save();
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.translate(r.Left, r.Top);
  p.scale(double(r.Width()) / keyed.width(), double(r.Height()) / keyed.height());
  p.drawImage(QPoint(0, 0), keyed);
  p.restore();
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
  return std::make_unique<TBitmap>(*this);
}

} // namespace lumora
