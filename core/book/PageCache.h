#pragma once
// The painted page kept between paints: the page's background alone and
// the whole frame (background and objects). A change of objects marks its
// rectangles dirty; the next Frame restores them from the background and
// paints, clipped to each, the objects that meet it, so that the pixels
// are those of a full paint. A change of page, zoom or size drops both.
#include <QImage>
#include <QRegion>
#include <functional>

#include "platform/graphics/Types.h"

namespace lumora {

class TCanvas;

class TPageCache {
public:
  // Paints the background (everything under the page's objects).
  using TPaintBack = std::function<void(TCanvas &aCanvas)>;
  // Paints, in order, the objects that meet aArea (more is allowed: the
  // canvas is clipped to aArea).
  using TPaintObjects = std::function<void(TCanvas &aCanvas, const TRect &aArea)>;

  // Drops the images: the next Frame paints in full.
  void Drop();
  // The objects changed inside aRect (page pixels).
  void Invalidate(const TRect &aRect);
  // The frame of aSize, brought up to date.
  const QImage &Frame(QSize aSize, const TPaintBack &aBack, const TPaintObjects &aObjects);
  bool Valid() const { return !FFrame.isNull(); }

private:
  QImage FBack;
  QImage FFrame;
  QRegion FDirty;
};

} // namespace lumora
