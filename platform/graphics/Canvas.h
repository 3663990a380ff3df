#pragma once
// A drawing surface with the platform's GDI semantics over a QPainter:
// rectangles and ellipses exclude their right and bottom edges, LineTo does
// not draw its end point, text is placed by the top-left of its cell and
// turned counter-clockwise by the font's escapement, and the not-XOR pen mode
// inverts what is under the pen so that drawing twice restores it.
//
// Pen, brush and font are state objects like the platform's: change their
// fields and the next drawing uses them. Colours stay TColor up to here and
// become QColor only inside the canvas.
//
// Lines and shapes are drawn without antialiasing, as GDI draws them, so
// that pixels are exact; text may be antialiased.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <QString>
#include <memory>
#include <optional>
#include <span>
#include <utility>

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/LogFont.h"
#include "platform/graphics/Types.h"

class QPaintDevice;

namespace lumora {

class TGraphic;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// pmNotXor inverts the destination where the pen colour is black and keeps
// it where the colour is white (destination = NOT (source XOR destination)).
// It needs a raster surface: on a QImage (directly or through a bitmap) it
// really inverts; on a recording it is recorded and acts when replayed onto
// an image; other devices (printers, PDF) may ignore it.
enum TPenMode { pmCopy, pmNotXor };
enum TBrushStyle { bsSolid, bsClear };

class TPen {
public:
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  int Width() const { return width_; }
  void SetWidth(int width) { width_ = width < 1 ? 1 : width; }
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style) { style_ = style; }
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode mode) { mode_ = mode; }

  bool operator==(const TPen &) const = default;

private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

class TBrush {
public:
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style) { style_ = style; }

  bool operator==(const TBrush &) const = default;

private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

// The logical font a TFont stands for (escapement 0).
TLogFont LogFontOf(const TFont &font);
// The Qt font that draws a logical font: a negative height is the character
// (em) height in pixels, a positive one the cell height; the face goes
// through FontFamilyFor. The escapement is applied by the canvas, not here.
QFont MakeQFont(const TLogFont &logFont);

class TCanvas {
public:
  // A canvas that owns a painter on the device (a QImage, a QPicture being
  // recorded, ...). The painter is opened on first use and may be closed
  // with End() (the owner of an image does so before reading its pixels);
  // the next drawing opens it again with the same state and clip.
  explicit TCanvas(QPaintDevice *device);
  // A canvas over a painter owned by someone else (a widget's paint event).
  // The canvas changes the painter's pen, brush, font, clip and render hints.
  explicit TCanvas(QPainter *painter);
  TCanvas(const TCanvas &) = delete;
  TCanvas &operator=(const TCanvas &) = delete;
  virtual ~TCanvas();

  // Closes an owned painter (a wrapped painter stays open).
  void End();
  bool Active() const;
  // The painter, opened when owned; for drawing the canvas itself lacks.
  QPainter &Painter();
  QPaintDevice *Device() const { return device_; }

  TPen &Pen() { return pen_; }
  const TPen &Pen() const { return pen_; }
  TBrush &Brush() { return brush_; }
  const TBrush &Brush() const { return brush_; }
  // The font description; its colour is the text colour. Changing its fields
  // selects a font made from it for the next text (leaving any font selected
  // with SelectFont), as the platform's canvas does.
  TFont &Font() { return font_; }
  const TFont &Font() const { return font_; }
  // Selects a logical font and answers the one selected before; nullptr
  // (given or answered) stands for the font made from Font(). So
  // `old = SelectFont(f); ...; SelectFont(old);` restores the state.
  HFONT SelectFont(HFONT font);
  // The logical font text is drawn with now.
  TLogFont CurrentLogFont() const;

  void SetTextCharacterExtra(int extra) { charExtra_ = extra; }
  int GetTextCharacterExtra() const { return charExtra_; }

  TPoint PenPos() const { return penPos_; }
  void SetPenPos(TPoint p) { penPos_ = p; }
  void MoveTo(int x, int y) { penPos_ = {x, y}; }
  // Draws from the pen position to (x, y), without the end point, and moves
  // the pen position there.
  void LineTo(int x, int y);
  // Connected segments; the last point is not drawn.
  void Polyline(std::span<const TPoint> points);
  // A closed polygon filled with the brush (alternate filling) and outlined
  // with the pen.
  void Polygon(std::span<const TPoint> points);
  // Right and bottom are exclusive: a 1-pixel pen on (0, 0, 10, 10) covers
  // pixels 0..9. The inside is filled with the brush.
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const TRect &r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  // The ellipse inscribed in the rectangle, same bounds rule.
  void Ellipse(int left, int top, int right, int bottom);
  void Ellipse(const TRect &r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // Fills the rectangle with the brush; no pen.
  void FillRect(const TRect &r);

  // Text with (x, y) the top-left of its cell, turned about that point by
  // the font's escapement; the cell is filled with the brush first unless
  // the brush is clear. Moves the pen position to (x + TextWidth, y).
  void TextOut(int x, int y, const QString &text);
  int TextWidth(const QString &text) const;
  // The cell height: ascent plus descent.
  int TextHeight(const QString &text) const;
  QSize TextExtent(const QString &text) const;

  // Draws a graphic at (x, y) at its own size, or stretched into r.
  void Draw(int x, int y, const TGraphic &graphic);
  void StretchDraw(const TRect &r, const TGraphic &graphic);
  // Draws an image stretched into r (a mirrored r mirrors it).
  void DrawImage(const TRect &r, const QImage &image);

  void SetClipRect(const TRect &r);
  // Clips to a polygon; winding selects non-zero filling, else alternate.
  void SetClipPolygon(std::span<const TPoint> points, bool winding);
  void ClearClip();
  bool HasClip() const { return clip_.has_value(); }
  // The bounds of the clip, or of the device when there is no clip.
  TRect ClipRect() const;

private:
  friend class TMetafile;
  friend class TMetafileCanvas;

  QPainter &Open();
  void ApplyPen(QPainter &p);
  void ApplyBrush(QPainter &p);
  void ApplyMode(QPainter &p);
  QFont CurrentQFont() const;
  // Adds to the area drawn on (pixels, right and bottom exclusive).
  void Touch(const QRect &area);
  void TouchStroke(const QRect &area);

  QPaintDevice *device_ = nullptr;
  std::unique_ptr<QPainter> owned_;
  QPainter *painter_ = nullptr;

  TPen pen_;
  TBrush brush_;
  TFont font_;
  HFONT selected_;
  TFont fontAtSelect_; // Font() when selected_ was selected
  int charExtra_ = 0;
  TPoint penPos_;
  std::optional<QRegion> clip_;
  // A clip was set while drawing (a recording that clips must be replayed
  // apart from the destination's clip, which a recorded clip would undo).
  bool clipUsed_ = false;
  // The not-XOR pen was used: the drawing depends on what is under it.
  bool inverted_ = false;
  QRect drawn_; // everything drawn so far (the frame of a recording)
  // The Qt font last made, for the logical font and character extra it was
  // made from: text is measured and drawn far more often than fonts change.
  mutable std::optional<std::pair<TLogFont, int>> fontKey_;
  mutable QFont qfont_;
};

} // namespace lumora
