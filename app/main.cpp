#include <QApplication>
#include <QMainWindow>
#include <QScreen>

#include "core/geometry/Geometry.h"
#include "core/model/CoreClasses.h"
#include "core/model/CoreContext.h"

// Until the start-up sequence of the program exists, the program sets up the
// object model and opens one empty main window under its title.
int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Lumora");
  lumora::SetPixelsPerInch(QApplication::primaryScreen()
                               ? qRound(QApplication::primaryScreen()->logicalDotsPerInch())
                               : 96);

  // The object model first: the registry and the making context, then the
  // page-object classes in their fixed order.
  lumora::TCoreContext::Start();
  lumora::RegisterCoreClasses(lumora::ObjClassList());

  int result = 0;
  {
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Lumora 小学校算数"));
    window.resize(1024, 768);
    window.show();
    result = app.exec();
  }
  lumora::TCoreContext::Reset();
  return result;
}
