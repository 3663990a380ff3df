#include "shell/startup/BaseForm.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>

#include "core/book/MetaBook.h"
#include "core/system/TempFiles.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/Exception.h"
#include "platform/system/ProcessList.h"
#include "platform/ui/MessageBox.h"

namespace lumora {

namespace {

const QString kSiblingProgram = QStringLiteral("LumoraShow.exe");

void ShowFormMessage(const QString &aText) {
  MessageBox().Show(aText, QGuiApplication::applicationDisplayName(), TMsgButtons::mbOK);
}

} // namespace

bool TBaseForm::Painting = false;

TBaseForm::TBaseForm(QWidget *aParent) : QWidget(aParent) {
  setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
  // The form paints every pixel itself from its canvas.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, ToQColor(kFormColor));
  setPalette(palette);
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(8);
  setFont(font);
  resize(kDesignWidth, kDesignHeight);
  FBuffer.SetSize(kDesignWidth, kDesignHeight);
  if (TSysContext::Started()) SysInfo().SetObjBase(this);
}

TBaseForm::~TBaseForm() {
  if (TSysContext::Started() && SysInfo().ObjBase() == this) SysInfo().SetObjBase(nullptr);
}

void TBaseForm::Invalidate(const TRect &aRect, bool) {
  update(QRect(aRect.Left, aRect.Top, aRect.Right - aRect.Left, aRect.Bottom - aRect.Top));
}

TCanvas *TBaseForm::Canvas() {
  return &FBuffer.Canvas();
}

bool TBaseForm::FormPaint() {
  if (Loading) return false;
  if (Painting) {
    // Painting was entered again from inside a paint: the flag is cleared
    // so that the next paint works.
    Painting = false;
    ShowFormMessage(QStringLiteral("Painting"));
    return false;
  }
  Painting = true;
  QString failure;
  try {
    TCanvas &canvas = FBuffer.Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(kFormColor);
    canvas.FillRect(TRect{0, 0, FBuffer.Width(), FBuffer.Height()});
    if (TMetaBook *book = CurrentBook()) book->Paint(canvas);
    // The mouse handler's grips are painted here over the page once the
    // author mouse handler exists (it brings PaintGrab).
  } catch (const Exception &e) {
    failure = e.Message();
  }
  Painting = false;
  if (!failure.isEmpty()) ShowFormMessage(failure);
  return true;
}

void TBaseForm::PaintCanvas(TCanvas &pCanvas, const TRect &pRect) {
  const QRect area(pRect.Left, pRect.Top, pRect.Right - pRect.Left, pRect.Bottom - pRect.Top);
  if (area.isEmpty()) return;
  QPaintDevice *device = pCanvas.Device();
  QImage source;
  if (auto *image = dynamic_cast<QImage *>(device)) {
    pCanvas.End();
    source = image->copy(area);
  } else if (device) {
    return; // only pictures drawn off-screen are copied
  }
  if (source.isNull()) return;
  QPainter &painter = FBuffer.Canvas().Painter();
  painter.drawImage(area.topLeft(), source);
  update(area);
}

bool TBaseForm::FormCloseQuery() {
  // The visible mode window decides here once the presentation window
  // (ExecForm CloseQuery) and the author window (AuthorForm CloseQuery)
  // exist; without either, closing is allowed.
  return true;
}

void TBaseForm::FormClose() {
  if (!checkMutex() && TTempFileList::Constructed()) TTempFileList::Get().ClearTemp();
  hide();
}

bool TBaseForm::OtherCopyRuns(const QStringList &aExeNames, const QString &aOwnName) {
  int count = 0;
  for (const QString &name : aExeNames) {
    if (name == aOwnName || name == kSiblingProgram) ++count;
  }
  return count > 1;
}

bool TBaseForm::checkMutex() const {
  const QString own = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  return OtherCopyRuns(ProcessList().ExeNames(), own);
}

void TBaseForm::paintEvent(QPaintEvent *aEvent) {
  if (!FormPaint()) return;
  QPainter painter(this);
  FBuffer.Canvas().End();
  painter.drawImage(aEvent->rect(), FBuffer.Image(), aEvent->rect());
}

void TBaseForm::resizeEvent(QResizeEvent *aEvent) {
  QWidget::resizeEvent(aEvent);
  FormResize();
}

void TBaseForm::showEvent(QShowEvent *aEvent) {
  QWidget::showEvent(aEvent);
  FormShow();
}

void TBaseForm::FormResize() {
  if (!parentWidget()) {
    hide();
    return;
  }
  if (width() > 0 && height() > 0) FBuffer.SetSize(width(), height());
  // Once the author mouse handler exists (a control laid over the form), it
  // is given the form's client height and width here.
}

void TBaseForm::FormShow() {
  if (parentWidget()) setEnabled(true);
}

} // namespace lumora
