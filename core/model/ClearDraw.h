#pragma once
// The background keeper: captures what lies under an object and blends the
// object over it by its transparency (Param.Transparency percent: 0 shows
// the object opaque, 100 only the background). Lives for one redraw.
#include <memory>

#include "platform/graphics/Types.h"

namespace lumora {

class TBitmap;
class TCanvas;
class TCommonObj;
class TCustomMaker;

class TClearDraw {
public:
  // Zoom 1: the captured area is the owner's bounds.
  explicit TClearDraw(TCommonObj *aOwner);
  // Zoom aZoom: the owner's bounds scaled by it, left and top truncated,
  // right and bottom rounded up.
  TClearDraw(TCommonObj *aOwner, double aZoom);
  // As above, the area cut to aShown (page pixels at the zoom): only that
  // part is captured and blended. An empty aShown cuts nothing.
  TClearDraw(TCommonObj *aOwner, double aZoom, const TRect &aShown);
  ~TClearDraw();
  TClearDraw(const TClearDraw &) = delete;
  TClearDraw &operator=(const TClearDraw &) = delete;

  // Whether a usable image is held: at least 2 x 2 pixels.
  bool State() const;
  // Captures with factor 1 (or aZoom) and draws the image at aOffset plus
  // the area's top-left.
  void Draw(TCanvas &aCanvas, TPoint aOffset);
  void Draw(TCanvas &aCanvas, TPoint aOffset, double aZoom);
  // Captures with factor FZoom and hands the image to the maker.
  void Update(TCustomMaker &aMaker);

  const TBitmap *BackBmp() const { return FBackBmp.get(); }
  TPoint TopLeft() const { return FTopLeft; }
  // Whether the area was cut to what can be shown.
  bool Cut() const { return FCut; }

private:
  void Init(const TRect &aArea);
  // The root object draws what lies under the owner into the bitmap; the
  // owner is drawn onto a copy; the copy is blended in by transparency.
  void Capture(double aFactor);
  void PutImage(TCanvas &aCanvas, TPoint aOffset);

  TCommonObj *FOwner;
  double FZoom;
  std::unique_ptr<TBitmap> FBackBmp;
  TPoint FTopLeft;
  bool FCut = false;
};

} // namespace lumora
