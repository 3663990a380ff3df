#include "shell/controls/P1Graphic.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "platform/graphics/Bitmap.h"
#include "shell/controls/Action.h"

namespace lumora {

TP1CustomGraphic::TP1CustomGraphic(QWidget *parent) : QWidget(parent), MyBrush(0x009BE8AD) {
  resize(105, 105);
  setMouseTracking(true);
}

TP1CustomGraphic::~TP1CustomGraphic() {
  disconnect(FActionLink);
}

void TP1CustomGraphic::SetBackColor(TColor value) {
  FBackColor = value;
  MyBrush.Create(value);
  update();
}

TPicture &TP1CustomGraphic::Picture() {
  return FExtImage ? FExtImage->Picture() : FPicture;
}

void TP1CustomGraphic::SetPicture(const TGraphic *value) {
  if (value)
    FPicture.Assign(*value);
  else
    FPicture.Clear();
  if (FPicture.Graphic()) FPicture.Graphic()->SetTransparent(FTransparent);
  FExtImage = nullptr;
  DoAutoSize();
  update();
}

void TP1CustomGraphic::SetPicLoad(bool value) {
  FPicLoad = value;
  if (value) LoadFromFile(FPicFile);
}

bool TP1CustomGraphic::LoadFromFile(const QString &FileName) {
  TPicture picture;
  if (MCom.LoadPict(true, picture, FileName).isEmpty() || !picture.Graphic()) return false;
  SetPicture(picture.Graphic());
  return true;
}

void TP1CustomGraphic::SetPicExtImage(TP1CustomGraphic *value) {
  FExtImage = value == this ? nullptr : value;
  update();
}

void TP1CustomGraphic::SetTransparent(bool value) {
  if (FTransparent == value) return;
  FTransparent = value;
  if (FPicture.Graphic()) FPicture.Graphic()->SetTransparent(value);
  DoAutoSize();
  update();
}

TColor TP1CustomGraphic::TransparentColor() const {
  const TGraphic *graphic = FExtImage ? FExtImage->Picture().Graphic() : FPicture.Graphic();
  if (!graphic || graphic->Empty()) return FTransColor;
  if (auto *bitmap = dynamic_cast<const TBitmap *>(graphic)) return bitmap->TransparentColor();
  TBitmap copy;
  copy.Assign(*graphic);
  return copy.TransparentColor();
}

void TP1CustomGraphic::SetAutoSize(bool value) {
  FAutoSize = value;
  DoAutoSize();
}

void TP1CustomGraphic::DoAutoSize() {
  const TGraphic *graphic = FPicture.Graphic();
  if (FAutoSize && graphic && !graphic->Empty())
    resize(graphic->Width() + 1, graphic->Height() + 1);
}

void TP1CustomGraphic::SetAction(TAction *value) {
  disconnect(FActionLink);
  FAction = value;
  if (!value) return;
  auto follow = [this] {
    if (!FAction) return;
    setToolTip(FAction->Hint());
    if (Enabled() != FAction->Enabled()) SetEnabled(FAction->Enabled());
  };
  FActionLink = connect(value, &TAction::Changed, this, follow);
  follow();
}

void TP1CustomGraphic::Paint(TCanvas &canvas) {
  const TGraphic *graphic = Picture().Graphic();
  const bool isBitmap = dynamic_cast<const TBitmap *>(graphic) != nullptr;
  if (!isBitmap && !FTransparent) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(MyBrush.BrushColor());
    canvas.FillRect(Rect(0, 0, width() + 1, height() + 1));
  }
  if (graphic && !graphic->Empty()) canvas.Draw(0, 0, *graphic);
}

void TP1CustomGraphic::paintEvent(QPaintEvent *) {
  if (OnBeforePaint) OnBeforePaint(this);
  {
    // The canvas gives the painter its state back before the painter ends.
    QPainter painter(this);
    TCanvas canvas(&painter);
    Paint(canvas);
  }
  if (OnPaint) OnPaint(this);
  if (OnAfterPaint) OnAfterPaint(this);
}

void TP1CustomGraphic::mousePressEvent(QMouseEvent *event) {
  const QPoint p = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TP1CustomGraphic::mouseReleaseEvent(QMouseEvent *event) {
  const QPoint p = event->position().toPoint();
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TP1CustomGraphic::mouseMoveEvent(QMouseEvent *event) {
  const QPoint p = event->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, event->button(), event->modifiers(), p.x(), p.y());
}

TP1Graphic::TP1Graphic(QWidget *parent) : TP1CustomGraphic(parent) {}

void TP1Graphic::SetFramePen(const TPen &value) {
  FFramePen = value;
  update();
}

void TP1Graphic::SetGridColor(TColor value) {
  FGridColor = value;
  update();
}

void TP1Graphic::SetGridSize(int value) {
  FGridSize = value;
  update();
}

void TP1Graphic::SetGridEnd(TPoint value) {
  FGridEnd = value;
  update();
}

void TP1Graphic::SetGridStyle(TGridStyle value) {
  FGridStyle = value;
  update();
}

void TP1Graphic::Paint(TCanvas &canvas) {
  TP1CustomGraphic::Paint(canvas);
  DrawFrame(canvas);
  DrawGrid(canvas);
}

void TP1Graphic::DrawFrame(TCanvas &canvas) {
  const int w = FFramePen.Width();
  if (w == 0 || FFramePen.Style() == psClear) return;
  const int a = int(std::trunc(w / 2.0 + 0.5));
  const int b = a - (w % 2 == 1 ? 1 : 0);
  const int W = width();
  const int H = height();
  canvas.Pen() = FFramePen;
  const TPoint points[] = {{0, b},         {W, b},     {W - a, b}, {W - a, H},
                           {W - a, H - a}, {0, H - a}, {b, H - a}, {b, -1}};
  canvas.Polyline(points);
}

void TP1Graphic::DrawGrid(TCanvas &canvas) {
  const int W = FGridEnd.X == -1 ? width() : FGridEnd.X;
  const int H = FGridEnd.X == -1 ? height() : FGridEnd.Y;
  const int g = FGridSize;
  canvas.Pen().SetColor(FGridColor);
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetStyle(psSolid);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(FGridColor);
  switch (FGridStyle) {
  case gsLine: {
    if (g < 5) return;
    const TPoint outline[] = {{0, 0}, {W, 0}, {W, H}, {0, H}, {0, 0}};
    canvas.Polyline(outline);
    for (int y = g; y < H; y += g) {
      canvas.MoveTo(0, y);
      canvas.LineTo(W, y);
    }
    for (int x = g; x < W; x += g) {
      canvas.MoveTo(x, 0);
      canvas.LineTo(x, H);
    }
    break;
  }
  case gsPoint1:
  case gsPoint2: {
    if (g < 7) return;
    // Each dot marks the centre of a grid cell; in the staggered style the
    // dots of the even rows sit half a cell further right.
    for (int j = 1; j * g - g / 2 < H; ++j) {
      const int o = (FGridStyle == gsPoint2 && j % 2 == 0) ? 0 : g / 2;
      const int top = j * g - g / 2 - 2;
      for (int k = 1; k * g - o < W; ++k) {
        const int left = k * g - o - 2;
        canvas.FillRect(Rect(left, top, left + 5, top + 5));
      }
    }
    break;
  }
  case gsNon:
    break;
  }
}

} // namespace lumora
