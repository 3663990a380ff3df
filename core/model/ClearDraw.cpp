#include "core/model/ClearDraw.h"

#include <cmath>
#include <cstdint>

#include "core/model/CommonObj.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/model/MakeInfo.h"
#include "core/support/BlendBitmaps.h"
#include "platform/graphics/Bitmap.h"

namespace lumora {

TClearDraw::TClearDraw(TCommonObj *aOwner) : FOwner(aOwner), FZoom(1.0) {
  Init(aOwner->BoundsRect());
}

TClearDraw::TClearDraw(TCommonObj *aOwner, double aZoom) : TClearDraw(aOwner, aZoom, TRect{}) {}

TClearDraw::TClearDraw(TCommonObj *aOwner, double aZoom, const TRect &aShown)
    : FOwner(aOwner), FZoom(aZoom) {
  TRect area = aOwner->BoundsRect();
  if (aZoom != 1) {
    // Converted within the Integer range (NaN counts as 0).
    const auto fit = [](double v) {
      return v >= double(INT32_MAX)   ? INT32_MAX
             : v <= double(INT32_MIN) ? INT32_MIN
             : v == v                 ? int32_t(v)
                                      : 0;
    };
    area = {fit(std::trunc(area.Left * aZoom)), fit(std::trunc(area.Top * aZoom)),
            fit(std::ceil(area.Right * aZoom)), fit(std::ceil(area.Bottom * aZoom))};
  }
  // The image holds pixels Left..Right and Top..Bottom; outside aShown none
  // of them is ever seen.
  if (aShown.Right > aShown.Left && aShown.Bottom > aShown.Top) {
    const TRect cut{std::max(area.Left, aShown.Left), std::max(area.Top, aShown.Top),
                    std::min(area.Right, aShown.Right), std::min(area.Bottom, aShown.Bottom)};
    if (cut.Left != area.Left || cut.Top != area.Top || cut.Right != area.Right ||
        cut.Bottom != area.Bottom) {
      FCut = true;
      // Nothing shown: an image too small to be used.
      area = cut.Right >= cut.Left && cut.Bottom >= cut.Top ? cut : TRect{0, 0, 0, 0};
    }
  }
  Init(area);
}

TClearDraw::~TClearDraw() = default;

void TClearDraw::Init(const TRect &aArea) {
  FTopLeft = aArea.TopLeft();
  int64_t width = std::max<int64_t>(int64_t(aArea.Right) - aArea.Left, 0) + 1;
  int64_t height = std::max<int64_t>(int64_t(aArea.Bottom) - aArea.Top, 0) + 1;
  // An area larger than any picture (an object scaled far beyond the page)
  // gets no usable image instead of an allocation it cannot have.
  if (width > kMaxPicturePixels || height > kMaxPicturePixels || width * height > kMaxPicturePixels)
    width = height = 1;
  FBackBmp = std::make_unique<TBitmap>(int(width), int(height));
}

bool TClearDraw::State() const {
  return FBackBmp && FBackBmp->Width() >= 2 && FBackBmp->Height() >= 2;
}

void TClearDraw::Draw(TCanvas &aCanvas, TPoint aOffset) {
  Capture(1.0);
  PutImage(aCanvas, aOffset);
}

void TClearDraw::Draw(TCanvas &aCanvas, TPoint aOffset, double aZoom) {
  Capture(aZoom);
  PutImage(aCanvas, aOffset);
}

void TClearDraw::Update(TCustomMaker &aMaker) {
  Capture(FZoom);
  if (FCut)
    aMaker.UpdateDrawAt(FBackBmp.get(), FTopLeft);
  else
    aMaker.UpdateDraw(FBackBmp.get());
}

void TClearDraw::Capture(double aFactor) {
  if (TCommonObj *root = TMakeInfo2::Get().Root())
    root->TakeBackImage(FTopLeft, FBackBmp->Canvas(), FOwner, FZoom);

  TBitmap copy(*FBackBmp);
  std::vector<TRealPoint> points = FOwner->Polygon();
  for (TRealPoint &p : points)
    p = {p.rx * FZoom - FTopLeft.X, p.ry * FZoom - FTopLeft.Y};
  if (IRepresent *represent = Supports<IRepresent>(FOwner))
    represent->ZMDrawObj(copy.Canvas(), points, FZoom * aFactor);
  else
    FOwner->DrawObj(copy.Canvas(), points);

  BlendBitmaps(Rect(0, 0, FBackBmp->Width() - 1, FBackBmp->Height() - 1), *FBackBmp, copy,
               FOwner->Param.Transparency);
}

void TClearDraw::PutImage(TCanvas &aCanvas, TPoint aOffset) {
  const TPoint at = AddPoint(aOffset, FTopLeft);
  if (FZoom >= 5)
    DrawBitmapInStrips(aCanvas, *FBackBmp, at);
  else
    aCanvas.Draw(at.X, at.Y, *FBackBmp);
}

} // namespace lumora
