#include "shell/controls/PicButton.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/graphics/Bitmap.h"
#include "shell/controls/Action.h"

namespace lumora {

TP1CustomPicList::TP1CustomPicList(QWidget *parent)
    : QWidget(parent), FPicList(std::make_shared<TPicImageList>()) {
  FRandList.fill(-1);
  resize(105, 105);
}

TP1CustomPicList::~TP1CustomPicList() {
  disconnect(FExtLink);
  disconnect(FActionLink);
}

void TP1CustomPicList::SetPicture(const TGraphic *Value) {
  if (Value && Value != FPicture.Graphic()) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(*Value);
    FPicture.SetGraphic(std::move(bitmap));
  } else if (!Value) {
    FPicture.Clear();
  }
  Split();
  if (OnChange) OnChange(this);
}

void TP1CustomPicList::Split() {
  // A list shared from another control belongs to that control.
  if (!FOwnsList) return;
  FPicList->Clear();
  auto *bitmap = dynamic_cast<TBitmap *>(FPicture.Graphic());
  if (!bitmap || bitmap->Empty()) return;
  const QImage strip = bitmap->Image().convertToFormat(QImage::Format_RGB32);
  if (FPicCount < 1) FPicCount = strip.width() / strip.height();
  if (FPicCount < 1) return;
  const int cellWidth = strip.width() / FPicCount;
  const int cellHeight = strip.height();
  FPicList->Width = cellWidth;
  FPicList->Height = cellHeight;
  if (FAutoSize) resize(cellWidth, cellHeight);
  if (cellWidth < 1) return;
  const QRgb transparent = strip.pixel(0, strip.height() - 1) | 0xFF000000u;
  for (int k = 0; k < FPicCount && (k + 1) * cellWidth <= strip.width(); ++k) {
    QImage cell = strip.copy(k * cellWidth, 0, cellWidth, cellHeight);
    QImage masked = cell.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
      auto *line = reinterpret_cast<QRgb *>(masked.scanLine(y));
      for (int x = 0; x < masked.width(); ++x)
        if ((line[x] | 0xFF000000u) == transparent) line[x] = 0;
    }
    FPicList->Cells.push_back(std::move(cell));
    FPicList->Masked.push_back(masked.convertToFormat(QImage::Format_ARGB32_Premultiplied));
  }
}

bool TP1CustomPicList::LoadFromFile(const QString &FileName, int count) {
  bool loaded = false;
  TPicture picture;
  try {
    if (!MCom.LoadPict(true, picture, FileName).isEmpty() && picture.Graphic()) {
      FPicCount = count;
      SetPicture(picture.Graphic());
      loaded = true;
    }
  } catch (const Exception &) {
    loaded = false;
  }
  if (!loaded) Split();
  if (FPicIndex >= FPicCount) FPicIndex = 0;
  update();
  return loaded;
}

void TP1CustomPicList::SetPicLoad(bool value) {
  FPicLoad = value;
  if (!value || FPicFile == LdFile) return;
  if (FPicFile == QLatin1String(".bmp") || FPicFile == QLatin1String(".BMP"))
    throw EAssertionFailed(QStringLiteral("Iligal-File-Name=") + FPicFile);
  TPicture picture;
  LdFile = MCom.LoadPict(true, picture, FPicFile);
  if (picture.Graphic())
    SetPicture(picture.Graphic());
  else
    Split();
}

void TP1CustomPicList::SetPicIndex(int value) {
  FPicIndex = value;
  update();
}

void TP1CustomPicList::SetPicExtList(TP1CustomPicList *value) {
  disconnect(FExtLink);
  if (value && value != this) {
    FExtList = value;
    FOwnsList = false;
    FPicList = value->FPicList;
    FPicCount = value->FPicCount;
    FExtLink = connect(value, &QObject::destroyed, this, [this] { ExtListDestroyed(); });
  } else {
    FExtList = nullptr;
    if (!FOwnsList) ExtListDestroyed();
  }
  update();
}

void TP1CustomPicList::ExtListDestroyed() {
  FExtList = nullptr;
  FPicList = std::make_shared<TPicImageList>();
  FOwnsList = true;
  Split();
  update();
}

void TP1CustomPicList::SetAction(TAction *value) {
  disconnect(FActionLink);
  FAction = value;
  if (value) {
    FActionLink = connect(value, &TAction::Changed, this, [this] { ActionChanged(); });
    ActionChanged();
  }
}

void TP1CustomPicList::ActionChanged() {
  if (!FAction) return;
  setToolTip(FAction->Hint());
  // Only a change is passed on, so that a button keeps its shown state while
  // the action is merely re-enabled.
  if (Enabled() != FAction->Enabled()) SetEnabled(FAction->Enabled());
}

void TP1CustomPicList::SetEnabled(bool value) {
  setEnabled(value);
  update();
}

void TP1CustomPicList::Loaded() {
  if (!FPicLoad && FAction) setToolTip(FAction->Hint());
  if (FExtList)
    SetPicExtList(FExtList);
  else if (FPicLoad) {
    LdFile.clear();
    SetPicLoad(true);
  } else
    Split();
}

void TP1CustomPicList::PaintCell(QPainter &painter, int index) {
  if (index >= 0 && index < FPicList->Count())
    painter.drawImage(0, 0, FPicList->Masked[std::size_t(index)]);
}

void TP1CustomPicList::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  PaintCell(painter, FPicIndex);
  painter.end();
  if (OnPaint) OnPaint(this);
}

bool TP1CustomPicList::IsBackgroundPixel(int x, int y) const {
  if (FPicIndex < 0 || FPicIndex >= FPicList->Count()) return false;
  const QImage &cell = FPicList->Cells[std::size_t(FPicIndex)];
  if (!cell.rect().contains(x, y)) return false;
  return cell.pixel(x, y) == cell.pixel(0, cell.height() - 1);
}

void TP1CustomPicList::DoMouseDown(QMouseEvent *event) {
  const QPoint p = event->position().toPoint();
  if (FTransparent && IsBackgroundPixel(p.x(), p.y())) return;
  PMousDown = true;
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TP1CustomPicList::DoMouseUp(QMouseEvent *event) {
  if (!PMousDown) return;
  PMousDown = false;
  const QPoint p = event->position().toPoint();
  if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
  if (event->button() == Qt::LeftButton && rect().contains(p)) Click();
}

void TP1CustomPicList::Click() {
  if (OnClick)
    OnClick(this);
  else if (FAction)
    FAction->Execute();
}

void TP1CustomPicList::mousePressEvent(QMouseEvent *event) {
  DoMouseDown(event);
}

void TP1CustomPicList::mouseReleaseEvent(QMouseEvent *event) {
  DoMouseUp(event);
}

void TP1CustomPicList::mouseMoveEvent(QMouseEvent *event) {
  if (OnMouseMove) {
    const QPoint p = event->position().toPoint();
    OnMouseMove(this, event->button(), event->modifiers(), p.x(), p.y());
  }
}

TP1PicButton::TP1PicButton(QWidget *parent) : TP1CustomPicList(parent) {}

void TP1PicButton::SetPicKind(TPicBtnKind value) {
  FPicKind = value;
  update();
}

void TP1PicButton::SelectCell() {
  const int count = FPicList->Count();
  switch (FState) {
  case bsUp:
    ShowCell(0);
    break;
  case bsDisabled:
    if (count >= 2) ShowCell(1);
    break;
  case bsDown:
    if (count >= 2) ShowCell(count - 1);
    break;
  }
}

void TP1PicButton::SetState(TButtonState value) {
  FState = value;
  SelectCell();
  update();
}

void TP1PicButton::SetEnabled(bool value) {
  TP1CustomPicList::SetEnabled(value);
  SetState(value ? bsUp : bsDisabled);
}

TButtonState TP1PicButton::NextState(TButtonState request) const {
  if (FState == bsDisabled || !Enabled()) return bsDisabled;
  switch (FPicKind) {
  case bkButton:
  case bkPlane:
    return request;
  case bkAltBtn:
    if (request == bsDown) {
      if (FState == bsUp) return bsDown;
      if (FState == bsDown) return bsUp;
    }
    return FState;
  case bkCustom:
    return FState;
  }
  return FState;
}

void TP1PicButton::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  if (Transparent() && IsBackgroundPixel(p.x(), p.y())) return;
  const TButtonState next = NextState(bsDown);
  if (next == FState) return;
  SetState(next);
  repaint();
  DoMouseDown(event);
}

void TP1PicButton::mouseReleaseEvent(QMouseEvent *event) {
  DoMouseUp(event);
  if (FState == bsDown && event->button() == Qt::LeftButton) {
    SetState(NextState(bsUp));
    repaint();
  }
}

void TP1PicButton::paintEvent(QPaintEvent *event) {
  if (FPicKind == bkButton || FPicKind == bkAltBtn) SelectCell();
  TP1CustomPicList::paintEvent(event);
}

} // namespace lumora
