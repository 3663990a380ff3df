#include <QApplication>
#include <QFileInfo>
#include <QScreen>

#include "app/QtMessageBox.h"
#include "core/book/ActBlockList.h"
#include "core/book/BookClasses.h"
#include "core/geometry/Geometry.h"
#include "core/drawable/CoreClasses.h"
#include "core/model/CoreContext.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/system/TempFiles.h"
#include "core/system/Utilities.h"
#include "core/system/SysContext.h"
#include "shell/books/AuthorBook.h"
#include "shell/startup/Opening.h"
#include "shell/startup/Startup.h"

// Sets up the object model, the system state and the temporary media folder,
// then runs the entry sequence; the program-wide stores go at the end.
int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  // The document named on the command line, kept as a full path: start-up
  // makes the program folder the current folder.
  const QStringList arguments = QApplication::arguments();
  const QString document = arguments.size() > 1 && !arguments.at(1).isEmpty()
                               ? QFileInfo(arguments.at(1)).absoluteFilePath()
                               : QString();
  // A message shown during start-up (a missing book) closes the start-up
  // picture first, which stays above all other windows.
  auto messageBox = std::make_unique<lumora::TQtMessageBox>();
  messageBox->BeforeShow = lumora::CloseStartupPicture;
  lumora::SetMessageBox(std::move(messageBox));
  lumora::SetPixelsPerInch(QApplication::primaryScreen()
                               ? qRound(QApplication::primaryScreen()->logicalDotsPerInch())
                               : 96);

  // The object model first: the registry and the making context, then the
  // page-object classes in their fixed order.
  lumora::TCoreContext::Start();
  lumora::RegisterCoreClasses(lumora::ObjClassList());
  lumora::RegisterBookClasses(lumora::ObjClassList());
  lumora::RegisterAuthorBookClasses(lumora::ObjClassList());
  // The book clears the action-block registry when it closes and has it
  // re-link its entries after a book was read.
  lumora::SetActBlockList(&lumora::ActBlockRegistry());
  // Then the system state: program paths, the program folder as the current
  // folder, and what is read from the settings file at start-up.
  lumora::StartSystemState();
  // The temporary folder of the media files embedded in the open book, under
  // the shared data folder.
  lumora::TTempFileList::Construct(lumora::GetDataFolder());

  const int result = lumora::RunProgram(app, document);
  // The picture stores live for the whole program.
  lumora::ResetStampMaker();
  lumora::ResetStillMaker();
  lumora::TTempFileList::Free();
  lumora::TSysContext::Reset();
  lumora::SetMessageBox(nullptr);
  lumora::TCoreContext::Reset();
  return result;
}
