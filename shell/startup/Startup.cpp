#include "shell/startup/Startup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>

#include "core/book/MetaBook.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CoreContext.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/system/Exception.h"
#include "platform/ui/MessageBox.h"
#include "shell/books/AuthorBook.h"
#include "shell/startup/BaseForm.h"
#include "shell/startup/Opening.h"
#include "shell/startup/P1Timer.h"
#include "shell/startup/VersionDlg.h"

namespace lumora {

namespace {

// Stands in for the author window, which will host the base form in its
// page area: a plain top-level window of the page's size whose closing runs
// the base form's close query and close.
class THostWindow : public QMainWindow {
public:
  explicit THostWindow(TBaseForm *aBase) : FBase(aBase) {}

protected:
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
// its window, as the display shows it, once the start-up picture has gone
// and the page was painted, and then closes: the smoke test reads the
// pixels of a known book from it.
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
    const QPoint at = aBase.mapTo(&aWindow, QPoint(0, 0));
    QScreen *screen = aWindow.screen();
    const QPixmap shot =
        screen ? screen->grabWindow(aWindow.winId(), at.x(), at.y(), aBase.width(), aBase.height())
               : QPixmap();
    if (shot.isNull() || !shot.save(target)) qWarning("screenshot not written");
    aWindow.close();
  });
  poll->start();
}

} // namespace

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
    aBook.AddObj(page.release());
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
  bool opened = false;
  const QString caption = QApplication::applicationDisplayName();
  if (!QFileInfo::exists(aFileName)) {
    MessageBox().Show(QStringLiteral("ファイルがありません：") + aFileName, caption,
                      TMsgButtons::mbOK);
  } else {
    try {
      QString header;
      opened = aBook.LoadFromFile(aFileName, header);
      if (opened) TOpenBook(&aBook, aFileName).Open(nullptr);
      // A file the reader refused (not a book of this program, cut off, or
      // a version question answered with Cancel) is named as the book
      // loader names it, so the teacher is not left with a silent empty
      // book.
      else
        MessageBox().Show(QStringLiteral("このファイルは開きません。"), caption, TMsgButtons::mbOK);
    } catch (const Exception &e) {
      MessageBox().Show(e.Message(), caption, TMsgButtons::mbOK);
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
  const QFileInfo file(aFileName);
  aBook.DocName = file.completeBaseName();
  aBook.FilePath = file.absolutePath();
  aBook.SetPage(aBook.Pages(1) ? 1 : 0);
  // The objects read from the file get their drawings made before the page
  // first shows (the opener re-makes only the common page).
  if (aBook.WorkPage) aBook.WorkPage->ReMake();
  return true;
}

int RunProgram(QApplication &aApp, const QString &aDocument) {
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
  std::unique_ptr<TAuthorBook> book = NewObject<TAuthorBook>();
  book->Name = book->CreateName(false);
  auto versionDlg = std::make_unique<TVersionDlg>();

  // 8. The document named on the command line opens in author mode;
  // without one (and while there is no book menu) the program starts with
  // an empty new book.
  if (!aDocument.isEmpty())
    OpenCommandLineDocument(*book, aDocument);
  else
    NewEmptyBook(*book);

  // 9. The event loop. The author window, which hosts the base form in its
  // page area, stands in here as a plain window of the page's size.
  int result = 0;
  {
    THostWindow window(base.get());
    window.setWindowTitle(ProgramTitle());
    window.setCentralWidget(base.release());
    auto *form = static_cast<TBaseForm *>(window.centralWidget());
    window.resize(book->WinWidth, book->WinHeight);
    window.show();
    ScheduleScreenshot(window, *form);
    result = aApp.exec();
    // 10. The book closes before the windows go; the mode creators are
    // freed here (author, then presentation) once they exist.
    book->CloseBook();
    book->Clear();
    SetCurrentBook(nullptr);
  }
  delete Opening(); // when the loop ended before the picture's time
  versionDlg.reset();
  book.reset();
  return result;
}

} // namespace lumora
