#include "shell/controls/ColorPicker.h"

#include <QEvent>
#include <QPolygon>
#include <cmath>
#include <numbers>

#include "core/geometry/Geometry.h"
#include "core/system/SysContext.h"
#include "shell/controls/ColorConv.h"

namespace lumora {

namespace {
constexpr int kClientWidth = 213;
constexpr int kClientHeight = 321;

const QPolygon &Pentagon() {
  static const QPolygon pentagon({{108, 9}, {207, 72}, {207, 190}, {108, 248}, {5, 190}});
  return pentagon;
}

constexpr TRect kBand{23, 252, 189, 288};

// The swatch band: two rows of twelve colours, greys on top.
constexpr TColor kSwatches[2][12] = {
    {0x000000, 0x333333, 0x555555, 0x777777, 0x999999, 0xBBBBBB, 0xDDDDDD, 0xFFFFFF, 0x0000C0,
     0x00C0C0, 0xC00000, 0x00C000},
    {0x4080FF, 0x80FFFF, 0x80FF80, 0xFFFF80, 0xFF8080, 0xFF80FF, 0x004080, 0x408000, 0x804000,
     0x800040, 0x400080, 0x008040},
};
} // namespace

namespace {
TColorPicker *gCurrentPicker = nullptr;
} // namespace

TColorPicker *TColorPicker::Current() {
  return gCurrentPicker;
}

TColorPicker::~TColorPicker() {
  if (gCurrentPicker == this) gCurrentPicker = nullptr;
}

TColorPicker::TColorPicker(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  gCurrentPicker = this;
  setWindowTitle(QStringLiteral("カラーピッカー"));
  setToolTip(QStringLiteral("色選択"));
  setFixedSize(kClientWidth, kClientHeight);
  FClPalette = new TP1Graphic(this);
  FClPalette->setGeometry(0, 0, kClientWidth, kClientHeight);
  FClPalette->SetBackColor(clSilver);
  FClPalette->SetTransparentColor(kPaletteTransparentColor);
  FClPalette->FramePen().SetStyle(psClear);
  DrawPalette();
  FClPalette->SetTransparent(true);
  FClPalette->OnMouseMove = [this](QWidget *, Qt::MouseButton, Qt::KeyboardModifiers, int x,
                                   int y) { PaletteMouseMove(x, y); };
  FClPalette->OnMouseUp = [this](QWidget *, Qt::MouseButton button, Qt::KeyboardModifiers, int x,
                                 int y) { PaletteMouseUp(button, x, y); };
}

void TColorPicker::DrawPalette() {
  TBitmap bitmap(kClientWidth, kClientHeight);
  QImage image(kClientWidth, kClientHeight, QImage::Format_RGB32);
  image.fill(ToQColor(kPaletteTransparentColor));
  // The pentagon: hue around its centre, from white at the centre to the
  // full colour at the rim.
  const QPointF centre(108, 135);
  const double radius = 126;
  const QRect box = Pentagon().boundingRect();
  for (int y = box.top(); y <= box.bottom(); ++y)
    for (int x = box.left(); x <= box.right(); ++x) {
      if (!Pentagon().containsPoint(QPoint(x, y), Qt::OddEvenFill)) continue;
      const double dx = x - centre.x();
      const double dy = y - centre.y();
      double hue = std::atan2(dy, dx) / (2 * std::numbers::pi);
      if (hue < 0) hue += 1;
      const double saturation = std::min(1.0, std::hypot(dx, dy) / radius);
      image.setPixelColor(x, y, QColor::fromHsvF(float(hue), float(saturation), 1.0f));
    }
  // The swatch band.
  const int cellWidth = kBand.Width() / 12;
  const int cellHeight = kBand.Height() / 2;
  for (int row = 0; row < 2; ++row)
    for (int col = 0; col < 12; ++col) {
      const QRect cell(kBand.Left + col * cellWidth, kBand.Top + row * cellHeight, cellWidth,
                       cellHeight);
      for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
          image.setPixelColor(x, y, ToQColor(kSwatches[row][col]));
    }
  bitmap.SetImage(image);
  FClPalette->SetPicture(&bitmap);
  GradPalette();
}

void TColorPicker::GradPalette() {
  TPicture &picture = FClPalette->Picture();
  auto *bitmap = dynamic_cast<TBitmap *>(picture.Graphic());
  if (!bitmap) return;
  const int h = FClPalette->height();
  TCanvas &canvas = bitmap->Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(kPaletteTransparentColor);
  canvas.FillRect(Rect(3, h - 28, 207, h - 3));
  const TYCbCr sample = ColorToYCbCr(FColorSample ? FColorSample->BackColor() : FColor);
  const int m = Round((1 - sample.Y) / 0.005);
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetWidth(1);
  for (int i = 1; i <= 200; ++i) {
    canvas.Pen().SetColor(YCbCrToColor(1 - (i - 1) * 0.005, sample.Cb, sample.Cr));
    if (i == m) {
      canvas.Pen().SetWidth(3);
      canvas.MoveTo(i + 5, h - 26);
    } else {
      canvas.Pen().SetWidth(1);
      canvas.MoveTo(i + 5, h - 23);
    }
    canvas.LineTo(i + 5, h - 5);
  }
  canvas.Pen().SetWidth(1);
  FClPalette->update();
}

bool TColorPicker::InPickZone(int x, int y) const {
  const TPoint p{x, y};
  return Pentagon().containsPoint(QPoint(x, y), Qt::OddEvenFill) || kBand.Contains(p) ||
         Rect(5, 300, 205, FClPalette->height() - 5).Contains(p);
}

void TColorPicker::SetColor(TColor value) {
  FColor = value;
  if (FColorSample) FColorSample->SetBackColor(value);
}

void TColorPicker::PaletteMouseMove(int x, int y) {
  if (InPickZone(x, y))
    FClPalette->setCursor(FDropperCursor);
  else
    FClPalette->unsetCursor();
}

void TColorPicker::PaletteMouseUp(Qt::MouseButton, int x, int y) {
  if (!InPickZone(x, y)) return;
  auto *bitmap = dynamic_cast<TBitmap *>(FClPalette->Picture().Graphic());
  if (!bitmap || x < 0 || y < 0 || x >= bitmap->Width() || y >= bitmap->Height()) return;
  SetColor(bitmap->Pixel(x, y));
  if (!Rect(5, 293, 205, FClPalette->height() - 5).Contains({x, y})) GradPalette();
}

void TColorPicker::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  GradPalette();
}

void TColorPicker::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange || !isActiveWindow()) return;
  // The first activation moves the window to the home position the active
  // window reports.
  if (!FMovedHome && TSysContext::Started() && SysInfo().GetHomeRect) {
    FMovedHome = true;
    const TRect home = SysInfo().GetHomeRect(this);
    move(home.Left, home.Top);
  }
  raise();
}

} // namespace lumora
