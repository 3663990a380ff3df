#pragma once
// The palette window as the mouse handler needs it: after a placement the
// palette drops its highlighted entry with the chosen kind and file name
// (kept in the system object) and repaints its thumbnails, so that one
// palette choice places at most one object.
namespace lumora {

class IPaletteWindow {
public:
  virtual ~IPaletteWindow() = default;
  // Clears the highlighted thumbnail, the chosen file name and the chosen
  // kind name.
  virtual void EraseActive1() = 0;
  virtual void RepaintThumbs() = 0;
};

// The one palette window; null while there is none.
IPaletteWindow *PaletteWindow();
void SetPaletteWindow(IPaletteWindow *aWindow);

// Drops the palette's choice: through the palette window when there is
// one, else in the system object itself.
void ErasePaletteChoice();

} // namespace lumora
