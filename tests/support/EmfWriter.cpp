#include "support/EmfWriter.h"

#include <QFile>
#include <QtEndian>
#include <cstdio>
#include <iterator>
#include <memory>

// libEMF's headers define the Windows GDI names and macros; they come last.
#include <libEMF/emf.h>

namespace lumora {

namespace {

// The frame is stored in hundredths of a millimetre.
LONG FrameUnits(int pixels) {
  return LONG((int64_t(pixels) * 2540 + 48) / 96);
}

void PutU32(QByteArray &bytes, qsizetype at, uint32_t value) {
  qToLittleEndian(value, bytes.data() + at);
}

// An EMR_STRETCHDIBITS record drawing the image into r (libEMF does not
// write bitmaps): an 80-byte record head, a BITMAPINFOHEADER and the
// bottom-up BGR rows padded to 4 bytes.
QByteArray StretchDibRecord(const QRect &r, const QImage &image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const int stride = (rgb.width() * 3 + 3) / 4 * 4;
  constexpr int kHead = 80;
  constexpr int kInfo = 40;
  const int bitsBytes = stride * rgb.height();
  QByteArray record(kHead + kInfo + bitsBytes, '\0');
  const uint32_t head[] = {81,
                           uint32_t(record.size()),
                           uint32_t(r.left()),
                           uint32_t(r.top()),
                           uint32_t(r.right()),
                           uint32_t(r.bottom()),
                           uint32_t(r.x()),
                           uint32_t(r.y()),
                           0,
                           0,
                           uint32_t(rgb.width()),
                           uint32_t(rgb.height()),
                           kHead,
                           kInfo,
                           kHead + kInfo,
                           uint32_t(bitsBytes),
                           0,           // DIB_RGB_COLORS
                           0x00CC0020u, // SRCCOPY
                           uint32_t(r.width()),
                           uint32_t(r.height())};
  for (size_t i = 0; i < std::size(head); ++i)
    PutU32(record, qsizetype(i) * 4, head[i]);
  PutU32(record, kHead, kInfo);
  PutU32(record, kHead + 4, uint32_t(rgb.width()));
  PutU32(record, kHead + 8, uint32_t(rgb.height()));
  PutU32(record, kHead + 12, 1 | (24 << 16)); // one plane, 24 bits
  for (int y = 0; y < rgb.height(); ++y) {
    const uchar *line = rgb.constScanLine(rgb.height() - 1 - y);
    char *out = record.data() + kHead + kInfo + y * stride;
    for (int x = 0; x < rgb.width(); ++x) {
      out[x * 3] = char(line[x * 3 + 2]);
      out[x * 3 + 1] = char(line[x * 3 + 1]);
      out[x * 3 + 2] = char(line[x * 3]);
    }
  }
  return record;
}

struct FileCloser {
  void operator()(FILE *file) const { std::fclose(file); }
};

} // namespace

EmfWriter::EmfWriter(int width, int height) : width_(width), height_(height) {}

EmfWriter &EmfWriter::FillRect(const QRect &r, TColor color) {
  shapes_.push_back({Kind::Rect, r, {}, {}, color, 0, {}});
  return *this;
}

EmfWriter &EmfWriter::FillEllipse(const QRect &r, TColor color) {
  shapes_.push_back({Kind::Ellipse, r, {}, {}, color, 0, {}});
  return *this;
}

EmfWriter &EmfWriter::Line(QPoint from, QPoint to, TColor color, int width) {
  shapes_.push_back({Kind::Line, {}, from, to, color, width, {}});
  return *this;
}

EmfWriter &EmfWriter::Text(QPoint at, const QString &text, TColor color) {
  std::vector<uint16_t> units(text.utf16(), text.utf16() + text.size());
  shapes_.push_back({Kind::Text, {}, at, {}, color, 0, std::move(units)});
  return *this;
}

EmfWriter &EmfWriter::GlyphIndices(QPoint at, const std::vector<uint16_t> &glyphs, TColor color) {
  shapes_.push_back({Kind::Glyphs, {}, at, {}, color, 0, glyphs});
  return *this;
}

QByteArray EmfWriter::Bytes() const {
  std::unique_ptr<FILE, FileCloser> file(std::tmpfile());
  if (!file) return {};
  const RECT frame{0, 0, FrameUnits(width_), FrameUnits(height_)};
  HDC dc = CreateEnhMetaFileWithFILEA(0, file.get(), &frame, nullptr);
  if (dc == 0) return {};

  // libEMF's reference device is not 96 dpi: logical units are made pixels
  // at 96 per inch (device units per pixel = res / size(mm) * 25.4 / 96).
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, GetDeviceCaps(dc, HORZSIZE) * 960, GetDeviceCaps(dc, VERTSIZE) * 960, nullptr);
  SetViewportExtEx(dc, GetDeviceCaps(dc, HORZRES) * 254, GetDeviceCaps(dc, VERTRES) * 254, nullptr);

  const HGDIOBJ noPen = GetStockObject(NULL_PEN);
  const HGDIOBJ noBrush = GetStockObject(NULL_BRUSH);
  static const char16_t kFace[] = u"DejaVu Sans";
  const HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                                 reinterpret_cast<LPCWSTR>(kFace));
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  for (const Shape &shape : shapes_) {
    const COLORREF color = COLORREF(shape.color) & 0xFFFFFF;
    if (shape.kind == Kind::Text || shape.kind == Kind::Glyphs) {
      SetTextColor(dc, color);
      const UINT options = shape.kind == Kind::Glyphs ? ETO_GLYPH_INDEX : 0;
      ExtTextOutW(dc, shape.from.x(), shape.from.y(), options, nullptr,
                  reinterpret_cast<LPCWSTR>(shape.text.data()), UINT(shape.text.size()), nullptr);
      continue;
    }
    if (shape.kind == Kind::Line) {
      const HPEN pen = CreatePen(PS_SOLID, shape.width, color);
      SelectObject(dc, pen);
      MoveToEx(dc, shape.from.x(), shape.from.y(), nullptr);
      LineTo(dc, shape.to.x(), shape.to.y());
      SelectObject(dc, noPen);
      DeleteObject(pen);
      continue;
    }
    const HBRUSH brush = CreateSolidBrush(color);
    SelectObject(dc, noPen);
    SelectObject(dc, brush);
    const QRect &r = shape.rect;
    if (shape.kind == Kind::Rect)
      Rectangle(dc, r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
    else
      Ellipse(dc, r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
    SelectObject(dc, noBrush);
    DeleteObject(brush);
  }
  DeleteEnhMetaFile(CloseEnhMetaFileWithFILE(dc));
  DeleteObject(font);

  if (std::fflush(file.get()) != 0 || std::fseek(file.get(), 0, SEEK_END) != 0) return {};
  const long size = std::ftell(file.get());
  if (size <= 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return {};
  QByteArray bytes(qsizetype(size), '\0');
  if (std::fread(bytes.data(), 1, size_t(size), file.get()) != size_t(size)) return {};

  // Bitmaps go in before the end record; the header counts them.
  constexpr int kEofSize = 20;
  if (bytes.size() < kEofSize ||
      qFromLittleEndian<uint32_t>(bytes.constData() + size - kEofSize) != 14)
    return {};
  for (const Picture &picture : images_) {
    bytes.insert(bytes.size() - kEofSize, StretchDibRecord(picture.rect, picture.image));
    PutU32(bytes, 52, qFromLittleEndian<uint32_t>(bytes.constData() + 52) + 1);
  }
  PutU32(bytes, 48, uint32_t(bytes.size()));
  return bytes;
}

EmfWriter &EmfWriter::Image(const QRect &r, const QImage &image) {
  images_.push_back({r, image});
  return *this;
}

bool WriteFileBytes(const QString &fileName, const QByteArray &bytes) {
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace lumora
