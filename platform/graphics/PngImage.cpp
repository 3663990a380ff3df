#include "platform/graphics/PngImage.h"

#include <csetjmp>
#include <cstring>
#include <png.h>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/system/Stream.h"

namespace lumora {

namespace {

// libpng reports fatal errors through the error function, which must not
// return: it jumps back to the setjmp of the function that called into the
// library. Those functions hold only plain data, so that the jump skips no
// destructor.
void OnPngError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {} // warnings are not printed

struct PngInput {
  const uint8_t *data;
  size_t size;
  size_t at;
};

void ReadPngBytes(png_structp png, png_bytep out, png_size_t count) {
  auto *in = static_cast<PngInput *>(png_get_io_ptr(png));
  if (count > in->size - in->at) png_error(png, "truncated");
  std::memcpy(out, in->data + in->at, count);
  in->at += count;
}

struct PngDecoder {
  png_structp png;
  png_infop info;
  PngInput input;
  png_uint_32 width;
  png_uint_32 height;
};

// Reads the header and sets the transforms that give 8-bit RGBA rows.
bool StartPng(PngDecoder *d) {
  d->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (d->png == nullptr) return false;
  d->info = png_create_info_struct(d->png);
  if (d->info == nullptr) return false;
  if (setjmp(png_jmpbuf(d->png))) return false;
  png_set_read_fn(d->png, &d->input, ReadPngBytes);
  png_set_user_limits(d->png, 1000000, 1000000);
  png_set_chunk_malloc_max(d->png, 64u << 20);
  png_read_info(d->png, d->info);
  d->width = png_get_image_width(d->png, d->info);
  d->height = png_get_image_height(d->png, d->info);
  const uint64_t pixels = uint64_t(d->width) * d->height;
  if (pixels == 0 || pixels > uint64_t(kMaxPicturePixels)) return false;
  const int colorType = png_get_color_type(d->png, d->info);
  png_set_expand(d->png); // palette to RGB, low-bit grey to 8 bits, tRNS to alpha
  png_set_scale_16(d->png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(d->png);
  png_set_add_alpha(d->png, 0xFF, PNG_FILLER_AFTER); // no effect when alpha exists
  png_set_interlace_handling(d->png);
  png_read_update_info(d->png, d->info);
  return png_get_rowbytes(d->png, d->info) == size_t(d->width) * 4;
}

bool ReadPngRows(PngDecoder *d, png_bytepp rows) {
  if (setjmp(png_jmpbuf(d->png))) return false;
  png_read_image(d->png, rows);
  return true;
}

// The chunks after the pixels; a file cut off there still has every pixel.
void FinishPng(PngDecoder *d) {
  if (setjmp(png_jmpbuf(d->png))) return;
  png_read_end(d->png, nullptr);
}

void WritePngBytes(png_structp png, png_bytep data, png_size_t count) {
  static_cast<QByteArray *>(png_get_io_ptr(png))
      ->append(reinterpret_cast<const char *>(data), qsizetype(count));
}

void FlushPng(png_structp) {}

struct PngEncoder {
  png_structp png;
  png_infop info;
};

bool EncodePng(PngEncoder *e, QByteArray *out, png_bytepp rows, int width, int height, bool alpha) {
  e->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (e->png == nullptr) return false;
  e->info = png_create_info_struct(e->png);
  if (e->info == nullptr) return false;
  if (setjmp(png_jmpbuf(e->png))) return false;
  png_set_write_fn(e->png, out, WritePngBytes, FlushPng);
  png_set_IHDR(e->png, e->info, png_uint_32(width), png_uint_32(height), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(e->png, e->info);
  png_write_image(e->png, rows);
  png_write_end(e->png, nullptr);
  return true;
}

} // namespace

QSize TPngImage::HeaderSize(const QByteArray &bytes) {
  // The signature, then the IHDR chunk: length 13, type, width, height
  // (big-endian), as StartPng reads them.
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 24) return {};
  const auto *d = reinterpret_cast<const uint8_t *>(bytes.constData());
  if (std::memcmp(d, kSignature, 8) != 0 || std::memcmp(d + 12, "IHDR", 4) != 0) return {};
  auto be32 = [](const uint8_t *p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
  };
  const uint32_t width = be32(d + 16);
  const uint32_t height = be32(d + 20);
  // libpng's own limit and the user limits StartPng sets.
  constexpr uint32_t kMaxSide = 1000000;
  const uint64_t pixels = uint64_t(width) * height;
  if (width > kMaxSide || height > kMaxSide || pixels == 0 || pixels > uint64_t(kMaxPicturePixels))
    return {};
  return QSize(int(width), int(height));
}

QImage TPngImage::Decode(const QByteArray &bytes) {
  PngDecoder d{};
  d.input = {reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()), 0};
  bool ok = bytes.size() >= 8 &&
            png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.constData()), 0, 8) == 0;
  ok = ok && StartPng(&d);
  QImage image;
  if (ok) {
    image = QImage(int(d.width), int(d.height), QImage::Format_RGBA8888);
    ok = !image.isNull();
  }
  if (ok) {
    std::vector<png_bytep> rows(d.height);
    for (png_uint_32 y = 0; y < d.height; ++y)
      rows[y] = image.scanLine(int(y));
    ok = ReadPngRows(&d, rows.data());
    if (ok) FinishPng(&d);
  }
  if (d.png != nullptr) png_destroy_read_struct(&d.png, d.info ? &d.info : nullptr, nullptr);
  if (!ok) Fail(QStringLiteral("png"));
  return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray TPngImage::Encode(const QImage &image) {
  if (image.isNull()) return {};
  const bool alpha = image.hasAlphaChannel();
  const QImage rows8 =
      image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
  std::vector<png_bytep> rows(size_t(rows8.height()));
  for (int y = 0; y < rows8.height(); ++y)
    rows[size_t(y)] = const_cast<png_bytep>(rows8.constScanLine(y));
  QByteArray bytes;
  PngEncoder e{};
  const bool ok = EncodePng(&e, &bytes, rows.data(), rows8.width(), rows8.height(), alpha);
  if (e.png != nullptr) png_destroy_write_struct(&e.png, e.info ? &e.info : nullptr);
  if (!ok) Fail(QStringLiteral("png"));
  return bytes;
}

void TPngImage::SetImage(const QImage &image) {
  Modified();
  image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
}

void TPngImage::Assign(const TGraphic &graphic) {
  if (&graphic == this) return;
  if (const auto *png = dynamic_cast<const TPngImage *>(&graphic)) {
    *this = *png;
    return;
  }
  Modified();
  image_ = QImage();
  image_ =
      Render(graphic, QImage::Format_ARGB32_Premultiplied, Qt::transparent, QStringLiteral("png"))
          .convertToFormat(QImage::Format_ARGB32);
}

void TPngImage::LoadFromStream(TStream &stream) {
  image_ = QImage();
  original_.clear();
  const QByteArray bytes = ReadRest(stream);
  image_ = Decode(bytes);
  original_ = bytes;
}

void TPngImage::SaveToStream(TStream &stream) const {
  if (!original_.isEmpty()) {
    stream.WriteBuffer(original_.constData(), original_.size());
    return;
  }
  if (image_.isNull()) return;
  const QByteArray bytes = Encode(image_);
  stream.WriteBuffer(bytes.constData(), bytes.size());
}

void TPngImage::Draw(TCanvas &canvas, const TRect &r) const {
  canvas.DrawImage(r, image_);
}

std::unique_ptr<TGraphic> TPngImage::Clone() const {
  return std::make_unique<TPngImage>(*this);
}

} // namespace lumora
