#include <QApplication>
#include <QMainWindow>
#include <QScreen>

#include "core/geometry/Geometry.h"

// Until the start-up sequence of the program exists, the program opens one
// empty main window under its title.
int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Lumora");
  lumora::SetPixelsPerInch(QApplication::primaryScreen()
                               ? qRound(QApplication::primaryScreen()->logicalDotsPerInch())
                               : 96);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Lumora 小学校算数"));
  window.resize(1024, 768);
  window.show();
  return app.exec();
}
