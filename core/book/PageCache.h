#pragma once
// The painted page kept between paints: the page's background alone, the
// background with the objects below the ones being changed, and the whole
// frame (background and objects). A change of objects marks its rectangles
// dirty; the next Frame restores them from the background (or from the
// objects below the changed ones) and paints, clipped to each, the objects
// that meet it, so that the pixels are those of a full paint. A change of
// page, zoom or size drops every image.
#include <QImage>
#include <QRegion>
#include <cstdint>
#include <functional>

#include "platform/graphics/Types.h"

namespace lumora {

class TCanvas;

class TPageCache {
public:
  // Paints the background (everything under the page's objects).
  using TPaintBack = std::function<void(TCanvas &aCanvas)>;
  // Paints, in order, the objects from the aFrom-th up to (not including)
  // the aTo-th (to the last when aTo is negative) that meet aArea (more is
  // allowed: the canvas is clipped to aArea).
  using TPaintObjects =
      std::function<void(TCanvas &aCanvas, const TRect &aArea, int aFrom, int aTo)>;
  // What the images show: a frame made for another key is dropped.
  struct TKey {
    const void *Page = nullptr;
    int64_t PageId = 0;
    double Zoom = 1.0;
    bool operator==(const TKey &) const = default;
  };

  // Drops the images: the next Frame paints in full.
  void Drop();
  // The objects changed inside aRect (page pixels).
  void Invalidate(const TRect &aRect);
  // The objects from the aFrom-th up are about to change (a drag): the
  // objects below them are kept painted over the background, so that a
  // repair paints only the changing objects and those in front of them.
  // Lift(0) ends it. While lifted, only those objects may change.
  void Lift(int aFrom);
  int Lifted() const { return FLift; }
  // The frame of aSize for aKey, brought up to date.
  const QImage &Frame(QSize aSize, const TKey &aKey, const TPaintBack &aBack,
                      const TPaintObjects &aObjects);
  bool Valid() const { return !FFrame.isNull(); }

private:
  TKey FKey;
  QImage FBack;
  QImage FBelow; // FBack and the objects below FLift; made when first needed
  QImage FFrame;
  QRegion FDirty;
  int FLift = 0;
};

} // namespace lumora
