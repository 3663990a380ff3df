#pragma once
// The offscreen application the fuzz targets need: objects read from stored
// data measure and draw text (the placeholder of an unknown kind writes its
// note), which needs Qt's font database. Each target is one translation
// unit and includes this once: it defines the target's initialiser.
#include <QGuiApplication>
#include <cstdlib>

#include "core/geometry/Geometry.h"

namespace lumora::fuzz {

inline void StartApplication(int *argc, char ***argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QT_FONT_DPI", "96", 1);
  static QGuiApplication *app = new QGuiApplication(*argc, *argv);
  (void)app;
  SetPixelsPerInch(96);
}

} // namespace lumora::fuzz

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  lumora::fuzz::StartApplication(argc, argv);
  return 0;
}

// A run allocates a few megabytes at most, so a 64 MB quarantine still holds
// every block a run frees until the run ends, and use after free is caught.
// The default 256 MB makes almost every allocation touch fresh pages, a
// third of the book target's time. Each allocation records the four
// innermost frames of its caller rather than thirty: a report still shows
// the whole stack of the bad access, and the book target runs a fifth
// faster. ASAN_OPTIONS still overrides this.
extern "C" const char *__asan_default_options() {
  return "quarantine_size_mb=64:malloc_context_size=4";
}
