#pragma once
// Small enhanced metafiles (EMF) for tests, written through libEMF: a frame
// of a given size in pixels at 96 per inch, with filled rectangles, filled
// ellipses and lines given in those pixels. The Windows names of libEMF
// stay inside EmfWriter.cpp.
#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

#include "platform/graphics/Color.h"

namespace lumora {

class EmfWriter {
public:
  EmfWriter(int width, int height);

  // A rectangle or the ellipse inscribed in it, filled with the colour and
  // not outlined.
  EmfWriter &FillRect(const QRect &r, TColor color);
  EmfWriter &FillEllipse(const QRect &r, TColor color);
  // A solid line of the pen width.
  EmfWriter &Line(QPoint from, QPoint to, TColor color, int width = 1);
  // Text with its cell's top-left at the point, in a face 16 pixels high:
  // as characters, or as the face's glyph indices (as text laid out by a
  // shaping engine is stored).
  EmfWriter &Text(QPoint at, const QString &text, TColor color);
  EmfWriter &GlyphIndices(QPoint at, const std::vector<uint16_t> &glyphs, TColor color);
  // An image stretched into the rectangle, stored as an uncompressed 24-bit
  // bitmap (EMR_STRETCHDIBITS). Images are drawn after everything else.
  EmfWriter &Image(const QRect &r, const QImage &image);

  // The EMF file of everything added so far; empty when libEMF fails.
  QByteArray Bytes() const;

private:
  enum class Kind { Rect, Ellipse, Line, Text, Glyphs };
  struct Shape {
    Kind kind;
    QRect rect;
    QPoint from;
    QPoint to;
    TColor color;
    int width;
    std::vector<uint16_t> text; // UTF-16 units or glyph indices
  };

  struct Picture {
    QRect rect;
    QImage image;
  };

  int width_;
  int height_;
  std::vector<Shape> shapes_;
  std::vector<Picture> images_;
};

// Writes the bytes as the whole file; false when that fails.
bool WriteFileBytes(const QString &fileName, const QByteArray &bytes);

} // namespace lumora
