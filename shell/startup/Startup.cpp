#include "shell/startup/Startup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMoveEvent>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "core/book/MetaBook.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CoreContext.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/graphics/Color.h"
#include "platform/system/Exception.h"
#include "platform/ui/MessageBox.h"
#include "shell/books/AuthorBook.h"
#include "shell/books/OpenFile.h"
#include "shell/input/AuthorHandler.h"
#include "shell/startup/BaseForm.h"
#include "shell/startup/Opening.h"
#include "shell/startup/P1Timer.h"
#include "shell/startup/VersionDlg.h"

namespace lumora {

namespace {

// Stands in for the author window, which will host the base form in its
// page area: a top-level window whose page area scrolls the base form, kept
// at the page's size, and whose closing runs the base form's close query
// and close.
class THostWindow : public QMainWindow {
public:
  // Takes aBase into its page area.
  THostWindow(TBaseForm *aBase, QSize aPage) : FBase(aBase), FPage(aPage) {
    auto *area = new QScrollArea(this);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(false);
    // Beyond a page smaller than the window: the form's colour, as the
    // base form paints it around the page.
    QWidget *viewport = area->viewport();
    QPalette palette = viewport->palette();
    palette.setColor(viewport->backgroundRole(), ToQColor(TBaseForm::kFormColor));
    viewport->setPalette(palette);
    area->setWidget(aBase);
    aBase->resize(aPage);
    setCentralWidget(area);
  }

  // Sizes the window to the page or, for a page larger than the screen's
  // available area, to that area (keeping room for the frame), where the
  // cut window is put.
  void FitToScreen() {
    const QScreen *screen = this->screen();
    FFrame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (!screen) {
      resize(FPage);
      return;
    }
    const QRect available = screen->availableGeometry();
    const QSize size = FittedWindowSize(FPage, available, FFrame,
                                        style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    resize(size);
    if (size != FPage) move(available.topLeft());
  }

protected:
  // A window manager frames the window only once it shows: the first move
  // that brings the frame fits the window again with the real frame (once,
  // so that the teacher's own moving and sizing stay).
  void moveEvent(QMoveEvent *aEvent) override {
    QMainWindow::moveEvent(aEvent);
    if (FFramed || !windowHandle()) return;
    const QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull()) return;
    FFramed = true;
    if (frame != FFrame) FitToScreen();
  }

  void closeEvent(QCloseEvent *aEvent) override {
    if (!FBase->FormCloseQuery()) {
      aEvent->ignore();
      return;
    }
    FBase->FormClose();
    aEvent->accept();
  }

private:
  TBaseForm *FBase;
  QSize FPage;
  // The frame the window was last fitted with, and whether the window
  // manager's frame has been seen.
  QMargins FFrame;
  bool FFramed = false;
};

// The start-up picture, painted at once, then its timer started; it frees
// itself when the timer fires or on a click.
void ShowStartupPicture() {
  auto *opening = new TOpening();
  opening->repaint();
  opening->P1Timer1->SetEnabled(true);
}

bool StartupPictureShowing() {
  return Opening() != nullptr;
}

// With LUMORA_SCREENSHOT set to a file name, the program writes a picture of
// the page as the display shows it in the window (all of it when it fits,
// else the part scrolled into view), once the start-up picture has gone and
// the page was painted, and then closes: the smoke test reads the pixels of
// a known book from it.
void ScheduleScreenshot(QMainWindow &aWindow, TBaseForm &aBase) {
  const QString target = qEnvironmentVariable("LUMORA_SCREENSHOT");
  if (target.isEmpty()) return;
  auto *poll = new QTimer(&aWindow);
  poll->setInterval(200);
  QObject::connect(poll, &QTimer::timeout, &aWindow, [poll, target, &aWindow, &aBase] {
    if (StartupPictureShowing() || !aWindow.isVisible()) return;
    poll->stop();
    aBase.repaint();
    QApplication::processEvents();
    // The base form lies in the window's scroll area: its shown part, from
    // the form's own coordinates into the window's.
    const QRect shown = aBase.visibleRegion().boundingRect();
    const QPoint at = aBase.mapTo(&aWindow, shown.topLeft());
    QScreen *screen = aWindow.screen();
    const QPixmap shot =
        screen && !shown.isEmpty()
            ? screen->grabWindow(aWindow.winId(), at.x(), at.y(), shown.width(), shown.height())
            : QPixmap();
    if (shot.isNull() || !shot.save(target)) qWarning("screenshot not written");
    aWindow.close();
  });
  poll->start();
}

} // namespace

QSize FittedWindowSize(QSize aPage, QRect aAvailable, QMargins aFrame, int aScrollBarExtent) {
  const QSize room = aAvailable.size().shrunkBy(aFrame);
  if (!aAvailable.isValid() || room.isEmpty()) return aPage; // nothing to fit to
  bool across = aPage.width() > room.width();
  bool down = aPage.height() > room.height();
  // The bar of one direction takes room from the other, which may then
  // need its own bar.
  if (across && !down) down = aPage.height() + aScrollBarExtent > room.height();
  if (down && !across) across = aPage.width() + aScrollBarExtent > room.width();
  return {std::min(aPage.width() + (down ? aScrollBarExtent : 0), room.width()),
          std::min(aPage.height() + (across ? aScrollBarExtent : 0), room.height())};
}

QString ProgramTitle() {
  return QString::fromUtf16(kProductName) + QStringLiteral(" 小学校算数");
}

void NewEmptyBook(TMetaBook &aBook) {
  SetCurrentBook(&aBook);
  aBook.WinWidth = 800;
  aBook.WinHeight = 600;
  for (int number = 0; number < 2; ++number) {
    std::unique_ptr<TAuthorPage> page = NewObject<TAuthorPage>();
    page->Name = page->CreateName(true);
    page->Param.SetObjValue(number);
    aBook.AddObj(std::move(page));
  }
  TOpenBook(&aBook, QString()).Open(nullptr);
  aBook.SetPage(1);
}

bool OpenCommandLineDocument(TMetaBook &aBook, const QString &aFileName) {
  if (TSysContext::Started()) {
    SysInfo().FileName = aFileName;
    SysInfo().SetSysMode(smAuthor);
  }
  SetCurrentBook(&aBook);
  const QString caption = QApplication::applicationDisplayName();
  auto show = [&](const QString &aText) { MessageBox().Show(aText, caption, TMsgButtons::mbOK); };
  bool opened = false;
  const QFileInfo info(aFileName);
  if (!info.exists()) {
    show(msg::FileMissing(aFileName));
  } else if (info.isDir()) {
    show(msg::IsFolder(aFileName));
  } else {
    try {
      opened = TOpenFile(aFileName, QStringLiteral("編集")).Open();
      if (opened && aBook.ReadResult == TBookRead::brDamaged && aBook.PagesRead == 0) {
        opened = false;
        show(msg::DamagedUnreadable(aFileName));
      } else if (!opened && aBook.ReadResult == TBookRead::brDamaged) {
        show(msg::DamagedUnreadable(aFileName));
      } else if (!opened && aBook.ReadResult != TBookRead::brCancelled &&
                 aBook.ReadResult != TBookRead::brCannotOpen) {
        // A file no reader took is named, so the teacher is not left with
        // a silent empty book; a version question answered Cancel was the
        // teacher's own choice.
        show(msg::NotABook(aFileName));
      }
    } catch (const Exception &e) {
      // A file of another kind, or one the readers gave up on: said in
      // our words.
      show(e.Message());
      opened = false;
    } catch (const std::exception &) {
      show(msg::DamagedUnreadable(aFileName));
      opened = false;
    }
  }
  if (!opened) {
    aBook.CloseBook();
    aBook.Clear();
    if (TSysContext::Started()) SysInfo().FileName.clear();
    NewEmptyBook(aBook);
    return false;
  }
  // The pages before the damage are shown; saving will ask before the
  // damaged file is replaced.
  if (aBook.ReadResult == TBookRead::brDamaged)
    show(msg::DamagedPartly(aFileName, aBook.PagesRead - 1, aBook.PagesStored - 1));
  return true;
}

TProgramWindows::TProgramWindows(const QString &aDocument) {
  // 1. The application object (made by main) names the program and its
  // version, which the version dialog shows.
  QApplication::setApplicationName(QString::fromUtf16(kProductName));
  QApplication::setOrganizationName(QString::fromUtf16(kProductName));
  QApplication::setApplicationVersion(QStringLiteral(LUMORA_VERSION));

  // 2. The start-up picture, painted at once; it closes itself after its
  // time or on a click.
  ShowStartupPicture();

  // 3. The palette numbers of the registry.
  QFile paletteIdx(QStringLiteral(":/texts/PALETTEIDX"));
  if (paletteIdx.open(QIODevice::ReadOnly))
    ObjClassList().LoadPaletteIdx(QString::fromUtf8(paletteIdx.readAll()));

  // 4. The title.
  QApplication::setApplicationDisplayName(ProgramTitle());

  // 5. The base form, the drawing base of the pages.
  auto base = std::make_unique<TBaseForm>();

  // ---- Objects of the subsystems still to come, created here in this
  // order once they exist:
  //   5. TTextFormDlg "タブ付きページ" (text subsystem), TUserStampEntryForm
  //      "ユーザースタンプ登録" (media), TuDimensionInputForm "数字・記号入力"
  //      (teaching tools);
  //   6. the presentation creator TExecutCreator (SysInfo().ExecutCreator),
  //      then the author creator TAuthorCreator (SysInfo().AuthorCreator),
  //      which will own the author book made below;
  //   7. the command module TUserAction, the palette window TObjSelect, then
  //      (after the version dialog) the book menu TBookMenuForm;
  //   8. without an argument, ShowBookMenuAfterSplash shows the book menu
  //      once the start-up picture has gone.
  // ---- end of the objects still to come.
  FBook = NewObject<TAuthorBook>();
  FBook->Name = FBook->CreateName(false);
  FVersionDlg = std::make_unique<TVersionDlg>();

  // 8. The document named on the command line opens in author mode;
  // without one (and while there is no book menu) the program starts with
  // an empty new book.
  if (!aDocument.isEmpty())
    OpenCommandLineDocument(*FBook, aDocument);
  else
    NewEmptyBook(*FBook);

  // 9. The author window, which hosts the base form in its page area,
  // stands in here as a plain window of the page's size, cut to the screen
  // with the page scrolling inside when the page is larger.
  FBase = base.release();
  auto window = std::make_unique<THostWindow>(FBase, QSize(FBook->WinWidth, FBook->WinHeight));
  // The author handler lies over the base form: the teacher selects,
  // moves, draws out, links and copies the objects of the page shown.
  auto *handler = new TAuthorHandler(FBase, FBase, [] { return CurrentWorkPage(); });
  handler->Construct(nullptr);
  // Copy, cut and paste from the keyboard, until the editing commands of
  // the menu bar take them over.
  const auto key = [&](QKeySequence aKey, std::function<void()> aRun) {
    auto *shortcut = new QShortcut(aKey, window.get());
    QObject::connect(shortcut, &QShortcut::activated, handler, [aRun] {
      try {
        aRun();
      } catch (const Exception &e) {
        MessageBox().Show(e.Message(), QApplication::applicationDisplayName(), TMsgButtons::mbOK);
      }
    });
  };
  key(QKeySequence::Copy, [handler] { handler->ObjectCopy(false); });
  key(QKeySequence::Cut, [handler] {
    handler->ObjectCopy(true);
    if (TCustomEvent *state = handler->MouseEvent()) state->RemoveObj();
  });
  key(QKeySequence::Paste, [handler] { handler->ObjectPaste(); });
  window->setWindowTitle(ProgramTitle());
  window->FitToScreen();
  window->show();
  FWindow = std::move(window);
}

TProgramWindows::~TProgramWindows() {
  // 10. The handler lets go of the page's objects, the book closes before
  // the windows go; the mode creators are freed here (author, then
  // presentation) once they exist.
  delete FBase->Handler();
  FBook->CloseBook();
  FBook->Clear();
  SetCurrentBook(nullptr);
  FWindow.reset();  // with the base form inside it
  delete Opening(); // when the loop ended before the picture's time
  FVersionDlg.reset();
  FBook.reset();
}

QMainWindow &TProgramWindows::Window() const {
  return *FWindow;
}

TBaseForm &TProgramWindows::Base() const {
  return *FBase;
}

int RunProgram(QApplication &aApp, const QString &aDocument) {
  TProgramWindows program(aDocument);
  ScheduleScreenshot(program.Window(), program.Base());
  // The event loop.
  return aApp.exec();
}

} // namespace lumora
