#include "shell/controls/P1ComFunc.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/geometry/Geometry.h"
#include "core/stream/MetaStream.h"
#include "platform/text/CodePage932.h"

namespace lumora {

namespace {

QImage LoadPaletteFile() {
  QImage image;
  const QString name = QStringLiteral("Image/System/zpal256.BMP");
  if (QFileInfo::exists(name) && image.load(name)) {
    // The palette file's presence also marks a fresh random sequence.
    QRandomGenerator::global()->seed(QRandomGenerator::system()->generate());
  }
  return image;
}

QImage &PaletteBitmap() {
  static QImage bitmap = LoadPaletteFile();
  return bitmap;
}

void LoadPaletteResource() {
  QImage &bitmap = PaletteBitmap();
  if (bitmap.isNull()) bitmap.load(QStringLiteral(":/pictures/ZPAL256.bmp"));
}

int ClampByte(int v) {
  return std::clamp(v, 0, 255);
}

} // namespace

const QImage &SharedPaletteBitmap() {
  return PaletteBitmap();
}

TP1ComFunc::TP1ComFunc() {
  LoadPaletteResource();
}

QList<QRgb> TP1ComFunc::GetPalette() const {
  const QImage &bitmap = SharedPaletteBitmap();
  if (bitmap.isNull()) return {};
  if (bitmap.format() == QImage::Format_Indexed8) return bitmap.colorTable();
  return bitmap.convertToFormat(QImage::Format_Indexed8).colorTable();
}

QString TP1ComFunc::LoadPict(bool Value, TPicture &pPicture, const QString &pFileName) const {
  if (pFileName.isEmpty() || !Value) return pFileName;
  if (!QFileInfo::exists(pFileName)) return QString();
  auto graphic = CreateGraphicOfKind(FileKindOfExt(QFileInfo(pFileName).suffix()));
  if (!graphic) throw EAssertionFailed(QStringLiteral("File Read Error = \"%1\"").arg(pFileName));
  try {
    graphic->LoadFromFile(pFileName);
  } catch (const Exception &) {
    throw EAssertionFailed(QStringLiteral("File Read Error = \"%1\"").arg(pFileName));
  }
  pPicture.SetGraphic(std::move(graphic));
  return pFileName;
}

QString TP1ComFunc::LoadText(QStringList &pBuffer, const QString &pFileName) const {
  if (pFileName.isEmpty()) return pFileName;
  if (!QFileInfo::exists(pFileName)) return QString();
  QFile file(pFileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EAssertionFailed(QStringLiteral("File Read Error = \"%1\"").arg(pFileName));
  pBuffer.clear();
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw EAssertionFailed(QStringLiteral("File Read Error = \"%1\"").arg(pFileName));
  QString text = FromCp932(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  if (text.endsWith(u'\n')) text.chop(1);
  if (!text.isEmpty() || !bytes.isEmpty()) pBuffer = text.split(u'\n');
  return pFileName;
}

TPoint TP1ComFunc::CirclePoint(TPoint pCenter, int pRadius, double deg) {
  const double d = deg * std::numbers::pi / 180.0;
  int sx = -1;
  int sy = -1;
  if (deg >= 0 && deg < 90) {
    sx = -1;
    sy = 1;
  } else if (deg >= 180 && deg < 270) {
    sx = 1;
    sy = -1;
  } else if (deg >= 90 && deg < 180) {
    sx = 1;
    sy = 1;
  }
  return {pCenter.X + sx * Round(std::fabs(std::cos(d)) * pRadius),
          pCenter.Y + sy * Round(std::fabs(std::sin(d)) * pRadius)};
}

TColor TP1ComFunc::MidColor(TColor pColor, double pCoeff) {
  const TColor c = ColorToRGB(pColor);
  const int b = ClampByte(Round(GetBValue(c) * pCoeff));
  const int g = ClampByte(Round(GetGValue(c) * pCoeff));
  const int r = ClampByte(Round(GetRValue(c) * pCoeff * 1.05));
  TColor result = r + 256 * g + 65536 * b;
  if ((result & 0xFCFCFC) == (c & 0xFCFCFC)) {
    if (pCoeff > 1)
      result = c | 0xE1E1E1;
    else if (pCoeff < 1)
      result = c | 0xA4A0A0;
  }
  return result;
}

void TP1ComFunc::AutoBevel(TCanvas &pCanvas, TBevelType pType, const TRect &pRect, int pWidth,
                           TColor pColor, bool pFrame) {
  if (pType == btNon) return;
  double light = 1;
  double dark = 1;
  switch (pType) {
  case btRaised:
    light = 1.4;
    dark = 0.7;
    break;
  case btLowerd:
    light = 0.7;
    dark = 1.4;
    break;
  case btFlat:
    light = dark = 0.9;
    break;
  default:
    break;
  }
  const int l = pRect.Left;
  const int t = pRect.Top;
  const int r = pRect.Right - 1;
  const int b = pRect.Bottom - 1;
  const int w = pWidth;
  const TPen savedPen = pCanvas.Pen();
  const TBrush savedBrush = pCanvas.Brush();
  pCanvas.Pen().SetStyle(psClear);
  pCanvas.Brush().SetStyle(bsSolid);
  pCanvas.Brush().SetColor(MidColor(pColor, light));
  const TPoint lightSide[] = {{l, t},         {r, t},         {r - w, t + w},
                              {l + w, t + w}, {l + w, b - w}, {l, b}};
  pCanvas.Polygon(lightSide);
  pCanvas.Brush().SetColor(MidColor(pColor, dark));
  const TPoint darkSide[] = {{r - w, t + w}, {r, t},         {r, b},
                             {l, b},         {l + w, b - w}, {r - w, b - w}};
  pCanvas.Polygon(darkSide);
  if (pFrame) {
    TColor frame = clBlack;
    TColor line = clBlack;
    if (pType == btRaised)
      line = clWhite;
    else if (pType == btLowerd) {
      frame = clWhite;
      line = clBlack;
    }
    pCanvas.Pen().SetStyle(psSolid);
    pCanvas.Pen().SetWidth(1);
    pCanvas.Pen().SetColor(frame);
    pCanvas.Brush().SetStyle(bsClear);
    pCanvas.Rectangle(pRect);
    pCanvas.Pen().SetColor(line);
    pCanvas.MoveTo(pRect.Left, pRect.Bottom - 1);
    pCanvas.LineTo(pRect.Left, pRect.Top);
    pCanvas.LineTo(pRect.Right - 1, pRect.Top);
  }
  pCanvas.Pen() = savedPen;
  pCanvas.Brush() = savedBrush;
}

TNullBrush::TNullBrush(TColor pColor) {
  Create(pColor);
}

void TNullBrush::Create(TColor pColor) {
  const QRgb rgb = ToQColor(ColorToRGB(pColor)).rgb();
  if (!FNullBrush.isNull() && FNullBrush.pixel(0, 0) == rgb) {
    FBrushColor = pColor;
    return;
  }
  FNullBrush = QImage(8, 8, QImage::Format_ARGB32_Premultiplied);
  FNullBrush.fill(rgb);
  FBrushColor = pColor;
}

} // namespace lumora
