#include "core/fonts/SimpleText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

#include "platform/graphics/Canvas.h"

namespace lumora {

namespace {
constexpr int kInitialLineCapacity = 9;
}

// ---- TTextNode ----

TTextNode::TTextNode() : FFont(QStringLiteral("ＭＳ ゴシック")) {
  FStrList.reserve(kInitialLineCapacity);
}

int TTextNode::Add(const QString &pText) {
  FStrList.append(pText);
  return int(FStrList.size()) - 1;
}

void TTextNode::Clear() {
  FStrList.clear();
  FStrList.squeeze();
  FStrList.reserve(kInitialLineCapacity);
}

QString TTextNode::GetStrings(int Lidx) const {
  if (Lidx < 0 || Lidx >= FStrList.size()) return {};
  return FStrList.at(Lidx);
}

// ---- TTextOutInfo ----

TTextOutInfo::TTextOutInfo(std::unique_ptr<TTextNode> aTextNode)
    : FTextNode(std::move(aTextNode)) {}

TRect TTextOutInfo::ClipRect() const {
  return {RoundReal(CliprLine.rxa), RoundReal(CliprLine.rya), RoundReal(CliprLine.rxb),
          RoundReal(CliprLine.ryb)};
}

double TTextOutInfo::LineSpase() const {
  const int height = FontHeight != 0 ? FontHeight : (Canvas ? Canvas->TextHeight(" ") : 0);
  return double(height) + LineGap;
}

QString TTextOutInfo::BreakLine(int aWidth, QString &aText) const {
  const qsizetype n = aText.size();
  if (n == 0 || !Canvas) {
    QString piece = aText;
    aText.clear();
    return piece;
  }
  qsizetype count = n;
  int w = Canvas->TextWidth(aText);
  while (w > aWidth && count > 0) {
    --count;
    w = Canvas->TextWidth(aText.left(count));
  }
  // A character that half fits still goes on this line.
  if (count < n && aWidth - w >= Canvas->TextWidth(aText.mid(count, 1)) / 2.0) ++count;
  count = std::max<qsizetype>(count, 1);
  QString piece = aText.left(count);
  aText = aText.right(n - count);
  return piece;
}

void TTextOutInfo::Reset() {
  DrawRect = CliprLine;
  DrawTable.clear();
  if (!Canvas) return;

  const TTextNode &node = TextNode();
  const int width = RoundReal(std::fabs(DrawRect.rxb - DrawRect.rxa));
  for (int i = 0; i < node.LineCount(); ++i) {
    QString rest = node.GetStrings(i);
    if (node.AutoTurn()) {
      while (!rest.isEmpty())
        DrawTable.append(BreakLine(width, rest));
    } else if (!rest.isEmpty()) {
      DrawTable.append(BreakLine(width, rest));
    }
  }

  const double lineHeight = std::abs(node.Font().Height());
  const double boxHeight = DrawRect.ryb - DrawRect.rya;
  double h = lineHeight * double(std::max<qsizetype>(DrawTable.size(), 1));
  if (h > boxHeight) h = RoundReal(boxHeight);
  switch (node.TextAlign()) {
  case TTextLayout::tlCenter:
    DrawRect.rya = (DrawRect.rya + DrawRect.ryb - h) / 2;
    break;
  case TTextLayout::tlBootom:
    DrawRect.rya = DrawRect.ryb - h;
    break;
  case TTextLayout::tlNone:
  case TTextLayout::tlTop:
    break;
  }
}

// ---- TQvSimpleText ----

TQvSimpleText::TQvSimpleText(const QString &aCaption) : FTextInfo(std::make_unique<TTextNode>()) {
  FTextInfo.TextNode().SetAutoTurn(true);
  FTextInfo.TextNode().Add(aCaption);
}

void TQvSimpleText::SetText(const QString &aText) {
  FTextInfo.TextNode().Clear();
  FTextInfo.TextNode().Add(aText);
}

TMetaFont &TQvSimpleText::Font() {
  return FTextInfo.TextNode().Font();
}

TTextNode &TQvSimpleText::TextNode() {
  return FTextInfo.TextNode();
}

void TQvSimpleText::SetZoom(double aZoom) {
  FTextInfo.Zoom = aZoom;
}

void TQvSimpleText::DrawText(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon,
                             double aLWidth) {
  if (aPolygon.size() < 4) return;
  TTextOutInfo &info = FTextInfo;
  const TRealPoint p0 = aPolygon[0];
  const TRealPoint p1 = aPolygon[1];
  const TRealPoint p3 = aPolygon[3];

  // The box inside the frame's line, in the frame's upright coordinates
  // with P0 as the turning point.
  info.Canvas = &aCanvas;
  info.LineGap = 0;
  info.LWidth = aLWidth / 2;
  info.Origin = p0;
  info.Angle = RealPointAngle(p1, p0) + std::numbers::pi / 2;
  const double left = p0.rx + info.LWidth + 1;
  const double top = p0.ry + info.LWidth + 1;
  info.CliprLine = {left, top, left + RealDistance(p0, p1) - 2 * info.LWidth,
                    top + RealDistance(p0, p3) - 2 * info.LWidth};

  std::array<TPoint, 4> corners;
  for (size_t i = 0; i < corners.size(); ++i)
    corners[i] = {RoundReal(aPolygon[i].rx), RoundReal(aPolygon[i].ry)};
  aCanvas.SetClipPolygon(corners, true);

  // The font turns the other way round: escapements count counter-clockwise.
  TMetaFont &font = info.TextNode().Font();
  const int savedHeight = font.Height();
  font.SetAngle(2 * std::numbers::pi - info.Angle);
  const HFONT previous = font.SetTxtFont(aCanvas);
  const int savedExtra = aCanvas.GetTextCharacterExtra();
  info.FontHeight = std::abs(font.Height());

  info.Reset();
  TRealLine &r = info.DrawRect;
  for (const QString &piece : std::as_const(info.DrawTable)) {
    const int textWidth = aCanvas.TextWidth(piece);
    r.rxa = r.rxb - textWidth; // right-aligned
    if (RealDistance({r.rxa, r.rya}, {r.rxb, r.ryb}) <= textWidth)
      aCanvas.SetTextCharacterExtra(aCanvas.GetTextCharacterExtra() - 1);
    const TRealPoint at = RotateRealPoint({r.rxa, r.rya}, info.Origin, info.Angle);
    font.TextOut(aCanvas, RoundReal(at.rx), RoundReal(at.ry), piece);
    r.rya += info.LineSpase();
    if (r.rya >= r.ryb) break;
  }

  // The spacing is the caller's canvas state: put it back.
  aCanvas.SetTextCharacterExtra(savedExtra);
  font.ReleaseFont(aCanvas, previous);
  font.SetHeight(savedHeight);
  aCanvas.ClearClip();
}

} // namespace lumora
