#include "shell/startup/Opening.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

#include "core/model/CoreContext.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Picture.h"
#include "shell/controls/Action.h"
#include "shell/controls/P1Graphic.h"
#include "shell/startup/P1Timer.h"

namespace lumora {

namespace {

// The back colour shown around the picture.
constexpr TColor kOpeningBackColor = 10217645; // $9BE8AD

} // namespace

TOpening *Opening() {
  const TOpeningSlot *slot = TCoreContext::Optional<TOpeningSlot>();
  return slot ? slot->Form : nullptr;
}

void CloseStartupPicture() {
  if (TOpening *form = Opening()) form->close();
}

TOpening::TOpening(QWidget *AOwner)
    : QWidget(AOwner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  TCoreContext::Get().Store<TOpeningSlot>().Form = this;
  setWindowTitle(QStringLiteral("Opening"));
  P1Graphic1 = new TP1Graphic(this);
  P1Graphic1->SetBackColor(kOpeningBackColor);
  P1Graphic1->SetEnabled(false);
  P1Timer1 = new TP1Timer(this);
  P1Timer1->SetInterval(kShowTime);
  P1Timer1->SetOnTimer([this](TP1Timer *) { P1Timer1Timer(); });
  FormCreate();
}

TOpening::~TOpening() {
  TOpeningSlot *slot = TCoreContext::Optional<TOpeningSlot>();
  if (slot && slot->Form == this) slot->Form = nullptr;
}

void TOpening::FormCreate() {
  TPicture picture;
  LoadPictureResource(picture, QStringLiteral("OPENING.jpg"));
  P1Graphic1->SetPicture(picture.Graphic());
  P1Graphic1->setGeometry(0, 0, picture.Width(), picture.Height());
  setFixedSize(P1Graphic1->size());
  if (QScreen *screen = QGuiApplication::primaryScreen()) {
    QRect frame = rect();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
  }
  show();
}

void TOpening::P1Timer1Timer() {
  close();
}

void TOpening::FormClick() {
  close();
}

void TOpening::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    FormClick();
  QWidget::mouseReleaseEvent(event);
}

void TOpening::closeEvent(QCloseEvent *event) {
  P1Timer1->SetEnabled(false);
  event->accept();
  // Freed through the application's queue rather than deleteLater: the
  // start-up sequence waits for the form with processEvents before the main
  // loop runs, and a deferred delete would wait for that loop.
  QMetaObject::invokeMethod(
      qApp, [form = QPointer<TOpening>(this)] { delete form.data(); }, Qt::QueuedConnection);
}

} // namespace lumora
