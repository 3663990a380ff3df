#include <QApplication>
#include <QFileInfo>
#include <QScreen>

#include "app/QtMessageBox.h"
#include "core/geometry/Geometry.h"
#include "core/model/CoreContext.h"
#include "shell/books/FileAlertDlg.h"
#include "shell/startup/Opening.h"
#include "shell/startup/ProgramStart.h"
#include "shell/startup/Startup.h"

// Starts the program's context, runs the entry sequence, and tears the
// context down at the end.
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

  // The program's context, in the order StartProgram documents: the
  // object model, the system state, the temporary media folder and the
  // program-wide stores. Reset frees them in the reverse order.
  lumora::StartProgram();
  // The book file's version questions ask through their own form.
  lumora::InstallFileAlertDlg();

  const int result = lumora::RunProgram(app, document);
  lumora::TCoreContext::Reset();
  lumora::SetMessageBox(nullptr);
  return result;
}
