// Test main: pins the offscreen platform, the C locale and 96 dpi, so that
// drawing and measuring give the same pixels on every machine. The shell tests
// drive widgets and so need a QApplication; the others make do with a
// QGuiApplication.
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>

#ifdef LUMORA_TEST_SHELL
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#if defined(LUMORA_TEST_CORE) || defined(LUMORA_TEST_SHELL)
#include "core/geometry/Geometry.h"
#endif

int main(int argc, char **argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QT_FONT_DPI", "96", 1);
  std::setlocale(LC_ALL, "C.UTF-8");
  ::testing::InitGoogleTest(&argc, argv);
  TestApplication app(argc, argv);
#if defined(LUMORA_TEST_CORE) || defined(LUMORA_TEST_SHELL)
  lumora::SetPixelsPerInch(96);
#endif
  return RUN_ALL_TESTS();
}
