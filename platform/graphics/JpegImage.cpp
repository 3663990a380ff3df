#include "platform/graphics/JpegImage.h"

#include <QPainter>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/system/Stream.h"

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace lumora {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the setjmp of the function that called into the library.
// Those functions hold only plain data, so that the jump skips no destructor.
struct JpegErrorManager {
  jpeg_error_mgr mgr;
  jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) {
  auto *err = reinterpret_cast<JpegErrorManager *>(cinfo->err);
  std::longjmp(err->jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {} // warnings are not printed

// A source over the bytes in memory. At the end of the data it supplies an
// end marker, as libjpeg's own memory source does; when the decoder then
// finds data missing (it warns), the file was cut short and decoding fails
// instead of filling the rest with grey. A file that lacks only its end
// marker still decodes.
struct JpegSource {
  jpeg_source_mgr mgr;
  bool endSupplied;
};

const JOCTET kEndMarker[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto *src = reinterpret_cast<JpegSource *>(cinfo->src);
  src->endSupplied = true;
  src->mgr.next_input_byte = kEndMarker;
  src->mgr.bytes_in_buffer = 2;
  return TRUE;
}

void OnJpegDecodeMessage(j_common_ptr cinfo, int level) {
  auto *d = reinterpret_cast<j_decompress_ptr>(cinfo);
  const auto *src = reinterpret_cast<const JpegSource *>(d->src);
  if (level < 0 && src != nullptr && src->endSupplied) OnJpegError(cinfo);
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto *src = reinterpret_cast<JpegSource *>(cinfo->src);
  while (size_t(count) > src->mgr.bytes_in_buffer) {
    count -= long(src->mgr.bytes_in_buffer);
    FillInputBuffer(cinfo);
  }
  src->mgr.next_input_byte += count;
  src->mgr.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

struct JpegDecoder {
  jpeg_decompress_struct cinfo;
  JpegErrorManager err;
  JpegSource src;
  bool created;
};

// Reads the header and, unless aHeaderOnly, starts decompression. Plain
// data only (see above).
bool StartJpeg(JpegDecoder *d, const uint8_t *data, size_t size, bool aHeaderOnly = false) {
  d->cinfo.err = jpeg_std_error(&d->err.mgr);
  d->err.mgr.error_exit = OnJpegError;
  d->err.mgr.emit_message = OnJpegDecodeMessage;
  if (setjmp(d->err.jump)) return false;
  jpeg_create_decompress(&d->cinfo);
  d->created = true;
  // Bounds what libjpeg may allocate for its own buffers (progressive files
  // keep every coefficient of the picture).
  d->cinfo.mem->max_memory_to_use = 1L << 30;
  d->src.mgr.init_source = InitSource;
  d->src.mgr.fill_input_buffer = FillInputBuffer;
  d->src.mgr.skip_input_data = SkipInputData;
  d->src.mgr.resync_to_restart = jpeg_resync_to_restart;
  d->src.mgr.term_source = TermSource;
  d->src.mgr.next_input_byte = data;
  d->src.mgr.bytes_in_buffer = size;
  d->src.endSupplied = false;
  d->cinfo.src = &d->src.mgr;
  if (jpeg_read_header(&d->cinfo, TRUE) != JPEG_HEADER_OK) return false;
  const uint64_t pixels = uint64_t(d->cinfo.image_width) * d->cinfo.image_height;
  if (pixels == 0 || pixels > uint64_t(kMaxPicturePixels)) return false;
  if (aHeaderOnly) return true;
  switch (d->cinfo.jpeg_color_space) {
  case JCS_GRAYSCALE:
    d->cinfo.out_color_space = JCS_GRAYSCALE;
    break;
  case JCS_CMYK:
  case JCS_YCCK:
    d->cinfo.out_color_space = JCS_CMYK;
    break;
  default:
    d->cinfo.out_color_space = JCS_RGB;
    break;
  }
  jpeg_start_decompress(&d->cinfo);
  return true;
}

// Reads every scan line into rows (one pointer per output row).
bool ReadJpegRows(JpegDecoder *d, JSAMPROW *rows) {
  if (setjmp(d->err.jump)) return false;
  while (d->cinfo.output_scanline < d->cinfo.output_height) {
    JSAMPROW row = rows[d->cinfo.output_scanline];
    if (jpeg_read_scanlines(&d->cinfo, &row, 1) != 1) return false;
  }
  jpeg_finish_decompress(&d->cinfo);
  return true;
}

struct JpegEncoder {
  jpeg_compress_struct cinfo;
  JpegErrorManager err;
  unsigned char *buffer;
  unsigned long size;
  bool created;
};

// Encodes RGB rows of the given size. Plain data only (see above).
bool EncodeJpeg(JpegEncoder *e, JSAMPROW *rows, int width, int height, int quality) {
  e->cinfo.err = jpeg_std_error(&e->err.mgr);
  e->err.mgr.error_exit = OnJpegError;
  e->err.mgr.emit_message = OnJpegMessage;
  if (setjmp(e->err.jump)) return false;
  jpeg_create_compress(&e->cinfo);
  e->created = true;
  jpeg_mem_dest(&e->cinfo, &e->buffer, &e->size);
  e->cinfo.image_width = JDIMENSION(width);
  e->cinfo.image_height = JDIMENSION(height);
  e->cinfo.input_components = 3;
  e->cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&e->cinfo);
  jpeg_set_quality(&e->cinfo, quality, TRUE);
  e->cinfo.dct_method = JDCT_ISLOW;
  jpeg_start_compress(&e->cinfo, TRUE);
  while (e->cinfo.next_scanline < e->cinfo.image_height) {
    JSAMPROW row = rows[e->cinfo.next_scanline];
    jpeg_write_scanlines(&e->cinfo, &row, 1);
  }
  jpeg_finish_compress(&e->cinfo);
  return true;
}

QImage Opaque(const QImage &image) {
  if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB32);
  // A picture with transparency is put on white: JPEG has no alpha.
  QImage flat(image.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  QPainter p(&flat);
  p.drawImage(0, 0, image);
  p.end();
  return flat;
}

} // namespace

QSize TJpegImage::HeaderSize(const QByteArray &bytes) {
  JpegDecoder d{};
  const bool read = StartJpeg(&d, reinterpret_cast<const uint8_t *>(bytes.constData()),
                              size_t(bytes.size()), true);
  const QSize size = read ? QSize(int(d.cinfo.image_width), int(d.cinfo.image_height)) : QSize();
  if (d.created) jpeg_destroy_decompress(&d.cinfo);
  return size;
}

QImage TJpegImage::Decode(const QByteArray &bytes) {
  JpegDecoder d{};
  const bool started =
      StartJpeg(&d, reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
  QImage image;
  bool ok = started;
  if (ok) {
    const int w = int(d.cinfo.output_width);
    const int h = int(d.cinfo.output_height);
    const int components = d.cinfo.output_components;
    const bool cmyk = d.cinfo.out_color_space == JCS_CMYK;
    ok = (components == 1 || components == 3 || (cmyk && components == 4));
    if (ok) {
      // Grey and RGB rows land in the image itself; CMYK rows in a buffer.
      image = QImage(w, h, components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
      ok = !image.isNull();
    }
    std::vector<uint8_t> cmykRows;
    std::vector<JSAMPROW> rows;
    if (ok) {
      rows.resize(size_t(h));
      if (cmyk) {
        cmykRows.resize(size_t(w) * 4 * size_t(h));
        for (int y = 0; y < h; ++y)
          rows[size_t(y)] = cmykRows.data() + size_t(y) * w * 4;
      } else {
        for (int y = 0; y < h; ++y)
          rows[size_t(y)] = image.scanLine(y);
      }
      ok = ReadJpegRows(&d, rows.data());
    }
    if (ok && cmyk) {
      // Adobe's files store CMYK inverted; others plainly.
      const bool inverted = d.cinfo.saw_Adobe_marker;
      for (int y = 0; y < h; ++y) {
        const uint8_t *src = rows[size_t(y)];
        uchar *dst = image.scanLine(y);
        for (int x = 0; x < w; ++x, src += 4, dst += 3) {
          int c = src[0], m = src[1], yy = src[2], k = src[3];
          if (!inverted) c = 255 - c, m = 255 - m, yy = 255 - yy, k = 255 - k;
          dst[0] = uchar(c * k / 255);
          dst[1] = uchar(m * k / 255);
          dst[2] = uchar(yy * k / 255);
        }
      }
    }
  }
  if (d.created) jpeg_destroy_decompress(&d.cinfo);
  if (!ok) Fail(QStringLiteral("jpg"));
  return image.convertToFormat(QImage::Format_RGB32);
}

QByteArray TJpegImage::Encode(const QImage &image, int quality) {
  if (image.isNull()) return {};
  const QImage rgb = Opaque(image).convertToFormat(QImage::Format_RGB888);
  std::vector<JSAMPROW> rows(size_t(rgb.height()));
  for (int y = 0; y < rgb.height(); ++y)
    rows[size_t(y)] = const_cast<JSAMPROW>(rgb.constScanLine(y));
  JpegEncoder e{};
  const bool ok =
      EncodeJpeg(&e, rows.data(), rgb.width(), rgb.height(), std::clamp(quality, 1, 100));
  QByteArray bytes;
  if (ok && e.buffer != nullptr)
    bytes = QByteArray(reinterpret_cast<const char *>(e.buffer), qsizetype(e.size));
  if (e.created) jpeg_destroy_compress(&e.cinfo);
  std::free(e.buffer); // allocated by libjpeg's memory destination
  if (!ok) Fail(QStringLiteral("jpg"));
  return bytes;
}

void TJpegImage::SetCompressionQuality(int quality) {
  quality_ = std::clamp(quality, 1, 100);
}

void TJpegImage::SetImage(const QImage &image) {
  Modified();
  image_ = image.isNull() ? QImage() : Opaque(image);
}

void TJpegImage::Assign(const TGraphic &graphic) {
  if (&graphic == this) return;
  if (const auto *jpeg = dynamic_cast<const TJpegImage *>(&graphic)) {
    *this = *jpeg;
    return;
  }
  Modified();
  image_ = Render(graphic, QImage::Format_RGB32, Qt::white, QStringLiteral("jpg"));
}

void TJpegImage::LoadFromStream(TStream &stream) {
  image_ = QImage();
  original_.clear();
  const QByteArray bytes = ReadRest(stream);
  image_ = Decode(bytes);
  original_ = bytes;
}

void TJpegImage::SaveToStream(TStream &stream) const {
  if (!original_.isEmpty()) {
    stream.WriteBuffer(original_.constData(), original_.size());
    return;
  }
  if (image_.isNull()) return;
  const QByteArray bytes = Encode(image_, quality_);
  stream.WriteBuffer(bytes.constData(), bytes.size());
}

void TJpegImage::Draw(TCanvas &canvas, const TRect &r) const {
  canvas.DrawImage(r, image_);
}

std::unique_ptr<TGraphic> TJpegImage::Clone() const {
  return std::make_unique<TJpegImage>(*this);
}

} // namespace lumora
