#pragma once
// What the object model needs of the window that shows a page: a rectangle
// of it can be invalidated, and it has a canvas. The shell's page window
// implements this; the model never sees the widget itself.
#include "platform/graphics/Types.h"

namespace lumora {

class TCanvas;
// The mouse handler's control (the shell's), only passed around here.
class TMouseEventHandler;

class TBaseWindow {
public:
  virtual ~TBaseWindow() = default;
  // Marks the rectangle (page pixels) for repainting, erasing the
  // background first when asked.
  virtual void Invalidate(const TRect &rect, bool erase) = 0;
  virtual TCanvas *Canvas() = 0;
  // Marks the rectangle for repainting where only something drawn over the
  // page (grips, a rubber outline) changed: the page itself is kept.
  virtual void InvalidateOverlay(const TRect &rect) { Invalidate(rect, false); }
};

} // namespace lumora
