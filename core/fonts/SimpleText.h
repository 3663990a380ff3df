#pragma once
// A caption drawn inside a rotated four-point frame: right-aligned lines,
// word wrap, vertical alignment and clipping to the frame.
#include <QString>
#include <QStringList>
#include <memory>
#include <span>

#include "core/fonts/MetaFont.h"
#include "core/geometry/Geometry.h"

namespace lumora {

class TCanvas;

// Vertical placement of the block of lines in the box.
enum class TTextLayout : uint8_t { tlNone, tlTop, tlCenter, tlBootom };

// The caption's text: one string per line and the font it is drawn with.
class TTextNode {
public:
  TTextNode();

  // Answers the index of the new line.
  int Add(const QString &pText);
  void Clear();
  // The line, or the empty text when Lidx is out of range.
  QString GetStrings(int Lidx) const;
  int LineCount() const { return int(FStrList.size()); }

  TMetaFont &Font() { return FFont; }
  const TMetaFont &Font() const { return FFont; }
  TTextLayout TextAlign() const { return FTextAlign; }
  void SetTextAlign(TTextLayout aAlign) { FTextAlign = aAlign; }
  // Long lines are wrapped into pieces that fit the box.
  bool AutoTurn() const { return FAutoTurn; }
  void SetAutoTurn(bool aAutoTurn) { FAutoTurn = aAutoTurn; }

private:
  QStringList FStrList;
  TMetaFont FFont;
  bool FAutoTurn = false;
  TTextLayout FTextAlign = TTextLayout::tlCenter;
};

// The layout state of one drawing. The box (CliprLine) and the place of the
// next line (DrawRect) are in the frame's own upright coordinates; a point is
// turned about Origin by Angle to reach the canvas.
class TTextOutInfo {
public:
  explicit TTextOutInfo(std::unique_ptr<TTextNode> aTextNode);

  TTextNode &TextNode() { return *FTextNode; }
  const TTextNode &TextNode() const { return *FTextNode; }

  const TRealLine &NextRect() const { return DrawRect; }
  const TRealLine &ClipLine() const { return CliprLine; }
  // The box rounded to whole pixels.
  TRect ClipRect() const;
  // The distance from one line to the next: the font height (or, when it is
  // 0, the canvas's text height) plus LineGap. Needs Canvas.
  double LineSpase() const;

  // Places DrawRect at the box and fills DrawTable from the node's lines
  // with the font selected into Canvas.
  void Reset();
  // Answers the first piece of aText that fits aWidth pixels and leaves the
  // rest in aText; at least one character.
  QString BreakLine(int aWidth, QString &aText) const;

  double LWidth = 0; // half the frame's line width
  TRealLine DrawRect;
  TCanvas *Canvas = nullptr;
  TRealPoint Origin;
  double Angle = 0;
  TRealLine CliprLine;
  int LineGap = 0;
  int FontHeight = 0;
  QStringList DrawTable;
  double Zoom = 1.0; // kept for the callers; drawing does not use it

private:
  std::unique_ptr<TTextNode> FTextNode;
};

class IQvText {
public:
  virtual ~IQvText() = default;
  // The node is cleared and the text becomes its only line.
  virtual void SetText(const QString &aText) = 0;
  virtual TMetaFont &Font() = 0;
  virtual TTextNode &TextNode() = 0;
  virtual void SetZoom(double aZoom) = 0;
  // aPolygon: the frame's corners, P0 the top-left of the text, P1 along its
  // top side, P2, P3 along its left side; aLWidth: the frame's line width.
  virtual void DrawText(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aLWidth) = 0;
};

class TQvSimpleText : public IQvText {
public:
  // Word wrap on, the caption as the only line.
  explicit TQvSimpleText(const QString &aCaption);

  void SetText(const QString &aText) override;
  TMetaFont &Font() override;
  TTextNode &TextNode() override;
  void SetZoom(double aZoom) override;
  // Draws nothing for a frame of fewer than four points.
  void DrawText(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aLWidth) override;

  TTextOutInfo &TextInfo() { return FTextInfo; }

private:
  TTextOutInfo FTextInfo;
};

} // namespace lumora
