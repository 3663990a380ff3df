#include "platform/graphics/Icon.h"

#include <QtEndian>
#include <cstdlib>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Exception.h"
#include "platform/system/LittleEndian.h"
#include "platform/system/Stream.h"

namespace lumora {

namespace {

// Icons larger than this on a side are not icons; refused before decoding.
constexpr int kMaxIconSide = 4096;

const QString kKind = QStringLiteral("ico");

class Reader {
public:
  explicit Reader(const QByteArray &bytes) : bytes_(bytes) {}
  bool Has(int64_t at, int64_t count) const {
    return at >= 0 && count >= 0 && at + count <= bytes_.size();
  }
  uint8_t U8(int64_t at) const { return uint8_t(bytes_[qsizetype(at)]); }
  uint16_t U16(int64_t at) const { return qFromLittleEndian<uint16_t>(Ptr(at)); }
  uint32_t U32(int64_t at) const { return qFromLittleEndian<uint32_t>(Ptr(at)); }

private:
  const uchar *Ptr(int64_t at) const {
    return reinterpret_cast<const uchar *>(bytes_.constData()) + at;
  }
  const QByteArray &bytes_;
};

struct Entry {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  uint32_t size = 0;
  uint32_t offset = 0;
};

// One device-independent bitmap of an icon: the colour image (height
// doubled in its header) followed by the 1-bit transparency mask.
QImage DecodeDib(const QByteArray &dib) {
  const Reader r(dib);
  if (!r.Has(0, 40)) return {};
  const uint32_t headerSize = r.U32(0);
  const int32_t width = int32_t(r.U32(4));
  const int32_t doubledHeight = int32_t(r.U32(8));
  const int bitCount = r.U16(14);
  const uint32_t compression = r.U32(16);
  const uint32_t colorsUsed = r.U32(32);
  if (headerSize < 40 || headerSize > uint32_t(dib.size()) || compression != 0) return {};
  const int height = doubledHeight / 2;
  if (width <= 0 || width > kMaxIconSide || height <= 0 || height > kMaxIconSide) return {};
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
    return {};
  int64_t at = headerSize;
  const int paletteSize =
      bitCount <= 8
          ? (colorsUsed == 0 || colorsUsed > (1u << bitCount) ? 1 << bitCount : int(colorsUsed))
          : 0;
  if (!r.Has(at, int64_t(paletteSize) * 4)) return {};
  QList<QRgb> palette;
  for (int i = 0; i < paletteSize; ++i, at += 4)
    palette << qRgb(r.U8(at + 2), r.U8(at + 1), r.U8(at));
  const int64_t xorStride = (int64_t(width) * bitCount + 31) / 32 * 4;
  const int64_t andStride = (int64_t(width) + 31) / 32 * 4;
  if (!r.Has(at, xorStride * height)) return {};
  const int64_t maskAt = at + xorStride * height;
  // 32-bit images carry alpha; some writers leave the mask out for them.
  const bool hasMask = r.Has(maskAt, andStride * height);
  if (!hasMask && bitCount != 32) return {};

  QImage image(width, height, QImage::Format_ARGB32);
  if (image.isNull()) return {};
  bool anyAlpha = false;
  for (int y = 0; y < height; ++y) {
    const int64_t row = at + int64_t(height - 1 - y) * xorStride; // bottom-up
    QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      QRgb c = 0;
      switch (bitCount) {
      case 32: {
        const int64_t p = row + int64_t(x) * 4;
        c = qRgba(r.U8(p + 2), r.U8(p + 1), r.U8(p), r.U8(p + 3));
        anyAlpha = anyAlpha || qAlpha(c) != 0;
        break;
      }
      case 24: {
        const int64_t p = row + int64_t(x) * 3;
        c = qRgb(r.U8(p + 2), r.U8(p + 1), r.U8(p));
        break;
      }
      default: {
        const int64_t bit = int64_t(x) * bitCount;
        const int shift = 8 - bitCount - int(bit % 8);
        const int index = (r.U8(row + bit / 8) >> shift) & ((1 << bitCount) - 1);
        c = index < palette.size() ? palette[index] : qRgb(0, 0, 0);
        break;
      }
      }
      out[x] = c;
    }
  }
  if (bitCount == 32 && anyAlpha) return image;
  for (int y = 0; y < height; ++y) {
    QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(y));
    const int64_t row = maskAt + int64_t(height - 1 - y) * andStride;
    for (int x = 0; x < width; ++x) {
      const bool transparent = hasMask && ((r.U8(row + x / 8) >> (7 - x % 8)) & 1);
      out[x] = transparent ? qRgba(0, 0, 0, 0) : (out[x] | 0xFF000000u);
    }
  }
  return image;
}

QImage DecodeIcon(const QByteArray &bytes) {
  const Reader r(bytes);
  if (!r.Has(0, 6) || r.U16(0) != 0) return {};
  const int type = r.U16(2);
  const int count = r.U16(4);
  if ((type != 1 && type != 2) || count == 0 || !r.Has(6, int64_t(count) * 16)) return {};
  // The shown image: nearest to 32 x 32, then the deepest colour.
  Entry best;
  int bestDistance = -1;
  for (int i = 0; i < count; ++i) {
    const int64_t at = 6 + int64_t(i) * 16;
    Entry e;
    e.width = r.U8(at) == 0 ? 256 : r.U8(at);
    e.height = r.U8(at + 1) == 0 ? 256 : r.U8(at + 1);
    e.bitCount = r.U16(at + 6);
    e.size = r.U32(at + 8);
    e.offset = r.U32(at + 12);
    if (!r.Has(e.offset, e.size)) return {};
    const int distance = std::abs(e.width - 32) + std::abs(e.height - 32);
    if (bestDistance < 0 || distance < bestDistance ||
        (distance == bestDistance && e.bitCount > best.bitCount)) {
      best = e;
      bestDistance = distance;
    }
  }
  const QByteArray data = bytes.mid(best.offset, best.size);
  if (data.startsWith("\x89PNG")) {
    try {
      const QImage png = TPngImage::Decode(data);
      return png.width() <= kMaxIconSide && png.height() <= kMaxIconSide ? png : QImage();
    } catch (const Exception &) {
      return {};
    }
  }
  return DecodeDib(data);
}

// A one-image icon file with a 32-bit image and its mask, the form every
// icon reader takes.
QByteArray EncodeIcon(const QImage &source) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  const int w = image.width();
  const int h = image.height();
  const uint32_t andStride = uint32_t((w + 31) / 32 * 4);
  const uint32_t dibSize = 40 + uint32_t(w) * 4 * uint32_t(h) + andStride * uint32_t(h);
  QByteArray b;
  le::Append<uint16_t>(b, 0);
  le::Append<uint16_t>(b, 1);
  le::Append<uint16_t>(b, 1);
  b.append(char(w >= 256 ? 0 : w));
  b.append(char(h >= 256 ? 0 : h));
  b.append('\0');
  b.append('\0');
  le::Append<uint16_t>(b, 1);
  le::Append<uint16_t>(b, 32);
  le::Append<uint32_t>(b, dibSize);
  le::Append<uint32_t>(b, 6 + 16);
  le::Append<uint32_t>(b, 40);
  le::Append<uint32_t>(b, uint32_t(w));
  le::Append<uint32_t>(b, uint32_t(h) * 2);
  le::Append<uint16_t>(b, 1);
  le::Append<uint16_t>(b, 32);
  for (int i = 0; i < 6; ++i)
    le::Append<uint32_t>(b, 0);
  for (int y = h - 1; y >= 0; --y) {
    const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      b.append(char(qBlue(row[x])));
      b.append(char(qGreen(row[x])));
      b.append(char(qRed(row[x])));
      b.append(char(qAlpha(row[x])));
    }
  }
  for (int y = h - 1; y >= 0; --y) {
    const QRgb *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    QByteArray mask(int(andStride), '\0');
    for (int x = 0; x < w; ++x)
      if (qAlpha(row[x]) == 0) mask[x / 8] = char(uint8_t(mask[x / 8]) | (0x80 >> (x % 8)));
    b.append(mask);
  }
  return b;
}

} // namespace

void TIcon::SetImage(const QImage &image) {
  Modified();
  image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
}

void TIcon::LoadFromStream(TStream &stream) {
  image_ = QImage();
  original_.clear();
  const QByteArray bytes = ReadRest(stream);
  QImage image = DecodeIcon(bytes);
  if (image.isNull()) Fail(kKind);
  image_ = image;
  original_ = bytes;
}

void TIcon::SaveToStream(TStream &stream) const {
  if (!original_.isEmpty()) {
    stream.WriteBuffer(original_.constData(), original_.size());
    return;
  }
  if (image_.isNull()) return;
  const QByteArray bytes = EncodeIcon(image_);
  stream.WriteBuffer(bytes.constData(), bytes.size());
}

void TIcon::Draw(TCanvas &canvas, const TRect &r) const {
  canvas.DrawImage(r, image_);
}

std::unique_ptr<TGraphic> TIcon::Clone() const {
  return std::make_unique<TIcon>(*this);
}

} // namespace lumora
