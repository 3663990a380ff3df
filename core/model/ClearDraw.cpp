#include "core/model/ClearDraw.h"

#include <cmath>

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

TClearDraw::TClearDraw(TCommonObj *aOwner, double aZoom) : FOwner(aOwner), FZoom(aZoom) {
  TRect area = aOwner->BoundsRect();
  if (aZoom != 1) {
    area = {int32_t(std::trunc(area.Left * aZoom)), int32_t(std::trunc(area.Top * aZoom)),
            int32_t(std::ceil(area.Right * aZoom)), int32_t(std::ceil(area.Bottom * aZoom))};
  }
  Init(area);
}

TClearDraw::~TClearDraw() = default;

void TClearDraw::Init(const TRect &aArea) {
  FTopLeft = aArea.TopLeft();
  const int width = std::max(aArea.Width(), 0) + 1;
  const int height = std::max(aArea.Height(), 0) + 1;
  FBackBmp = std::make_unique<TBitmap>(width, height);
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
