#include "shell/input/PaletteChoice.h"

#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"

namespace lumora {

namespace {
IPaletteWindow *gPalette = nullptr;
} // namespace

IPaletteWindow *PaletteWindow() {
  return gPalette;
}

void SetPaletteWindow(IPaletteWindow *aWindow) {
  gPalette = aWindow;
}

void ErasePaletteChoice() {
  if (gPalette) {
    gPalette->EraseActive1();
    gPalette->RepaintThumbs();
  }
  if (TSysContext::Started()) {
    SysInfo().SetSelectObj(QString());
    SysInfo().SetSelectedFile(QString());
  }
}

} // namespace lumora
