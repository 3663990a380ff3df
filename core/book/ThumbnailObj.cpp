#include "core/book/ThumbnailObj.h"

#include <QVariant>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "core/model/CoreContext.h"
#include "core/pictures/BitmapUnit.h"
#include "core/system/SysContext.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace lumora {

namespace {

// A 24-bit bitmap of that size filled with a colour.
void FillBitmap(TBitmap &aBitmap, int aWidth, int aHeight, TColor aColor) {
  aBitmap.SetPixelFormat(pf24bit);
  aBitmap.SetSize(aWidth, aHeight);
  TCanvas &canvas = aBitmap.Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(aColor);
  canvas.FillRect({0, 0, aWidth, aHeight});
}

// No render bitmap grows beyond this many pixels a side; picture areas of
// thumbnails are far below it.
constexpr int kMaxRenderSide = 2048;

} // namespace

// ---- TThumbnail ----

TObjInfo TThumbnail::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.ClassName = QString::fromUtf16(kKindName);
  info.Name = QString::fromUtf16(kKindName);
  info.FormType = {otSurface, otPicture};
  info.ActType = {atShow, atSize};
  return info;
}

TObjParam TThumbnail::DefaultParam() {
  TObjParam param;
  param.ObjName = QString::fromUtf16(kKindName);
  param.Layer = 1;
  param.ActType = {atShow};
  param.Width = 1;
  param.Grabs = 4;
  param.LineColor = clNone;
  param.FaceColor = 0xC0C0C0;
  param.Coating = true;
  param.Text = QString::fromUtf16(kKindName);
  return param;
}

TThumbnail::TThumbnail(const TObjParam &aParam, std::vector<TRealPoint> aCell) : TDrawObj(aParam) {
  Param.ObjName = QString::fromUtf16(kKindName);
  EventParam.Adsorb = 0;
  FMaker = std::make_unique<TMakeThumbnail>(this);
  SetCell(aCell);
  FVisible = true;
}

void TThumbnail::SetCell(std::span<const TRealPoint> aPoints) {
  FPolygon.assign(aPoints.begin(), aPoints.begin() + std::min<size_t>(aPoints.size(), 4));
  FPolygon.resize(4);
  FBoundsRect = RealPointsBounds(FPolygon);
  FBCenter = {(FPolygon[0].rx + FPolygon[1].rx) / 2, (FPolygon[0].ry + FPolygon[1].ry) / 2};
}

TRect TThumbnail::PictureRect() const {
  if (FPolygon.size() < 4) return {};
  const TPoint a = RealPointToPoint(FPolygon[2]);
  const TPoint b = RealPointToPoint(FPolygon[3]);
  return {a.X, a.Y, b.X, b.Y};
}

bool TThumbnail::Data(const QString &aCommand, const QVariantList &aArg) {
  if (aCommand == QStringView(kFrameColorCommand)) {
    if (!aArg.isEmpty()) WakuColor = TColor(aArg.first().toLongLong());
    return true;
  }
  return false;
}

void TThumbnail::ReMake() {
  if (auto *maker = dynamic_cast<TMakeThumbnail *>(FMaker.get())) maker->Render();
}

TCommonObj *TThumbnail::Search(TRealPoint aPos, TSearch) {
  if (!Visible()) return nullptr;
  return PictureRect().Contains(RealPointToPoint(aPos)) ? this : nullptr;
}

// ---- TSmallThumb ----

std::vector<TRealPoint> TSmallThumb::DefaultCell() {
  return {{0, 0}, {59, 69}, {9, 7}, {50, 48}};
}

TSmallThumb::TSmallThumb() : TSmallThumb(DefaultParam()) {}

TSmallThumb::TSmallThumb(const TObjParam &aParam) : TThumbnail(aParam, DefaultCell()) {}

// ---- TMakeThumbnail ----

TMakeThumbnail::TMakeThumbnail(TThumbnail *aSelf) : TMakeBmpObj(aSelf) {}

TThumbnail *TMakeThumbnail::Thumb() const {
  return static_cast<TThumbnail *>(FSelf);
}

void TMakeThumbnail::ReMake(const TGrabRect &aGrab) {
  Thumb()->SetCell(aGrab);
  SetCenter();
  Render();
}

void TMakeThumbnail::SetCenter() {
  Thumb()->SetCell(Thumb()->Polygon());
}

void TMakeThumbnail::Update() {
  SetCenter();
  Invalidate(false);
}

void TMakeThumbnail::Render() {
  TThumbnail *thumb = Thumb();
  TCommonObj *obj = thumb->GetLinkedObj();
  if (!obj) return;
  const TRect area = thumb->PictureRect();
  const TRect bounds = obj->BoundsRect();
  const double W = std::min(double(int64_t(area.Right) - area.Left), double(kMaxRenderSide));
  const double H = std::min(double(int64_t(area.Bottom) - area.Top), double(kMaxRenderSide));
  // In 64 bits: the bounds of a damaged object may span the whole Integer
  // range.
  const double w = double(int64_t(bounds.Right) - bounds.Left);
  const double h = double(int64_t(bounds.Bottom) - bounds.Top);
  // Nothing to draw into, or nothing to draw.
  if (W < 1 || H < 1 || w < 1 || h < 1) return;

  const double aspect = w / h;
  int targetW, targetH;
  double s;
  if (aspect >= 1) {
    targetW = int(W);
    targetH = RoundReal(W / aspect);
    s = W / w;
  } else {
    targetW = RoundReal(W * aspect);
    targetH = int(H);
    s = H / h;
  }
  s /= SystemZoom();
  targetW = std::clamp(targetW, 1, kMaxRenderSide);
  targetH = std::clamp(targetH, 1, kMaxRenderSide);

  const TColor back = thumb->Param.FaceColor == clNone ? kKeyColor : thumb->Param.FaceColor;
  TBitmap picture;
  picture.SetTransparent(true);
  const int px = int(std::min<int64_t>(-int64_t(bounds.Left), INT32_MAX));
  const int py = int(std::min<int64_t>(-int64_t(bounds.Top), INT32_MAX));
  if (s >= 1) {
    FillBitmap(picture, targetW + 1, targetH + 1, back);
    obj->ZoomDraw(picture.Canvas(), s, px, py);
  } else {
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(targetW + 1, targetH + 1);
    // Drawn larger and averaged down, so that thin lines stay visible. The
    // larger drawing is an RGB32 surface, the form the averaging reads.
    const double k = std::clamp(
        std::min(0.23 / s, double(kMaxRenderSide) / (std::max(targetW, targetH) + 1)), 1.0, 5.0);
    QImage large(RoundReal(k * picture.Width()), RoundReal(k * picture.Height()),
                 QImage::Format_RGB32);
    if (large.isNull()) return;
    {
      TCanvas canvas(&large);
      canvas.Brush().SetStyle(bsSolid);
      canvas.Brush().SetColor(back);
      canvas.FillRect({0, 0, large.width(), large.height()});
      canvas.SetClipRect({0, 0, large.width(), large.height()});
      obj->ZoomDraw(canvas, s * k, RoundReal(k * px), RoundReal(k * py));
      canvas.ClearClip();
    }
    ResampleBitmap(picture, large, kKeyColor);
  }
  picture.SetPixel(0, picture.Height() - 1, kKeyColor);
  FitPicture(picture);
}

void TMakeThumbnail::FitPicture(const TBitmap &aPicture) {
  TThumbnail *thumb = Thumb();
  const TRect area = thumb->PictureRect();
  const int fw = area.Width(), fh = area.Height();
  const int w = aPicture.Width(), h = aPicture.Height();
  if (fw < 1 || fh < 1 || w < 1 || h < 1) return;
  const double c = std::min(double(fh) / h, double(fw) / w);
  const int fittedW = Round(c * w), fittedH = Round(c * h);
  const int offX = std::abs(fw - fittedW) / 2, offY = std::abs(fh - fittedH) / 2;
  if (offX == 0 && offY == 0) {
    Bitmap()->Assign(aPicture);
    return;
  }
  const TColor back = thumb->Param.FaceColor == clNone ? kKeyColor : thumb->Param.FaceColor;
  TBitmap fitted;
  FillBitmap(fitted, fw, fh, back);
  fitted.Canvas().StretchDraw({offX, offY, offX + fittedW, offY + fittedH}, aPicture);
  Bitmap()->Assign(fitted);
}

} // namespace lumora
