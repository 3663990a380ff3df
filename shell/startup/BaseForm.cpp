#include "shell/startup/BaseForm.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>

#include "core/book/MetaBook.h"
#include "core/model/CoreContext.h"
#include "core/model/MakeInfo.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "core/system/TempFiles.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/Exception.h"
#include "platform/system/ProcessList.h"
#include "platform/ui/MessageBox.h"
#include "shell/input/MouseHandler.h"

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
  // Makers report what they change to the page window, so that the cached
  // page is repaired there; a mouse handler that takes the page over later
  // names the same form.
  if (TCoreContext::Started() && !TMakeInfo2::Get().Base) TMakeInfo2::Get().Base = this;
}

TBaseForm::~TBaseForm() {
  if (TSysContext::Started() && SysInfo().ObjBase() == this) SysInfo().SetObjBase(nullptr);
  if (TCoreContext::Started() && TMakeInfo2::Get().Base == this) TMakeInfo2::Get().Base = nullptr;
}

void TBaseForm::Invalidate(const TRect &aRect, bool) {
  FCache.Invalidate(aRect);
  update(QRect(aRect.Left, aRect.Top, aRect.Right - aRect.Left, aRect.Bottom - aRect.Top));
}

void TBaseForm::InvalidateOverlay(const TRect &aRect) {
  update(QRect(aRect.Left, aRect.Top, aRect.Right - aRect.Left, aRect.Bottom - aRect.Top));
}

TMouseEventHandler *TBaseForm::Handler() const {
  return findChild<TMouseEventHandler *>(QString(), Qt::FindDirectChildrenOnly);
}

void TBaseForm::DropPageCache() {
  FCache.Drop();
  update();
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
    const TRect whole{0, 0, FBuffer.Width(), FBuffer.Height()};
    const auto fillForm = [&whole](TCanvas &aCanvas) {
      aCanvas.Brush().SetStyle(bsSolid);
      aCanvas.Brush().SetColor(kFormColor);
      aCanvas.FillRect(whole);
    };
    TMetaBook *book = CurrentBook();
    TMetaPage *page = book ? book->WorkPage : nullptr;
    if (!page) {
      FCache.Drop();
      fillForm(canvas);
    } else {
      const QImage &frame = FCache.Frame(
          QSize(FBuffer.Width(), FBuffer.Height()), {page, page->Id(), SystemZoom()},
          [&](TCanvas &aCanvas) {
            fillForm(aCanvas);
            page->PaintBack(aCanvas);
          },
          [page](TCanvas &aCanvas, const TRect &aArea, int aFrom, int aTo) {
            page->PaintObjects(aCanvas, aArea, aFrom, aTo);
          });
      QPainter &painter = canvas.Painter();
      painter.save();
      painter.setCompositionMode(QPainter::CompositionMode_Source);
      painter.drawImage(0, 0, frame);
      painter.restore();
    }
    // The mouse handler's grips and rubber outline, over the page.
    if (TMouseEventHandler *handler = Handler()) handler->PaintGrab(canvas);
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
  // The mouse handler laid over the form covers its client area.
  if (TMouseEventHandler *handler = Handler()) handler->setGeometry(rect());
}

void TBaseForm::FormShow() {
  if (parentWidget()) setEnabled(true);
}

} // namespace lumora
