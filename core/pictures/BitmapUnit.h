#pragma once
// Pixel-level tools every picture-bearing object draws with: mirroring,
// flipping, rotating by any angle, area-averaging reduction, transparent
// drawing through a key colour and a mask. Blending and drawing in strips
// live in core/support/BlendBitmaps.h.
//
// The key colour $FF00FF (magenta) stands for transparent pixels in every
// work bitmap; a rendered bitmap has its bottom-left pixel set to the key
// colour so that automatic transparent-colour detection picks it.
#include <cmath>
#include <cstdint>

#include "core/support/BlendBitmaps.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Types.h"

namespace lumora {

class TCanvas;
class TGraphic;

inline constexpr TColor kKeyColor = 0xFF00FF;
// A turn this small (radians) counts as none.
inline constexpr double kNoTurn = 0.01;
inline bool IsNoTurn(double aAngle) {
  return std::fabs(aAngle) <= kNoTurn;
}
// Transparent drawing works on at most this many pixels.
inline constexpr int64_t kMaxTransparentPixels = 810'000;

// Raster operations of StretchBitmapDIB: copy, AND and OR of the source
// with the destination.
enum TRasterOp { ropSrcCopy, ropSrcAnd, ropSrcPaint };

// Draws a graphic stretched into aRect, mirrored, turned upside down and
// rotated by aAngle (radians, clockwise on the screen), with the key colour
// transparent. The work bitmap is 16-bit and holds at most
// kMaxTransparentPixels pixels (a larger graphic is reduced first; a thin
// one is reduced further when its turned bounds would pass four times that).
// On an opaque image the key pixels are left out with an AND mask and OR;
// elsewhere (recordings, printers, transparent pixels) through alpha, which
// gives the same pixels.
void DrawGraphicEx(TCanvas &aCanvas, const TRect &aRect, const TGraphic &aGraphic, double aAngle,
                   bool aMirror, bool aUpsideDown);
// aDest becomes aSrc drawn at aScale on the key colour, rotated by aAngle
// and reduced back by aScale. aDest and aSrc may be the same bitmap. aDest
// keeps its pixel format and takes aSrc's transparent flag; a size below one
// pixel or beyond the picture limit (also once turned) leaves it empty.
void RotateScaleBitmap(TBitmap &aDest, const TGraphic &aSrc, double aAngle, double aScale);
// Turns the bitmap in place by aAngle (radians, a positive angle clockwise
// on the screen) about its centre; it grows to the turned bounds and the
// uncovered pixels take the bitmap's transparent colour. The pixel format
// is kept; turned bounds beyond the picture limit raise like SetSize.
void RotateBitmap(TBitmap &aBitmap, double aAngle);
// Area-averaging reduction of aSrc into aDest's size (aDest becomes
// 24-bit; aSrc is read as 24-bit colours); key-colour pixels count as mid
// grey, and a destination pixel whose source pixels are all of the key
// colour becomes the key colour. With an empty aSrc or aDest nothing
// changes.
void ResampleBitmap(TBitmap &aDest, const TBitmap &aSrc, TColor aKey);
// The same from an image (read as RGB32; a drawing surface of that format
// is read as it is).
void ResampleBitmap(TBitmap &aDest, const QImage &aSrc, TColor aKey);
// Swaps pixel x with pixel width - 1 - x in every row.
void MirrorBitmap(TBitmap &aBitmap);
// aDest becomes aSrc upside down (row r copied to row height - 1 - r),
// with aSrc's pixel format and transparency. They may be the same bitmap.
void FlipBitmap(const TBitmap &aSrc, TBitmap &aDest);
// Draws the bitmap's pixels (as 24-bit colours) stretched into aRect with
// the raster operation; rows and columns are picked, never blended. The
// operations act on raster devices (images, and recordings replayed onto
// them).
void StretchBitmapDIB(TCanvas &aCanvas, const TRect &aRect, const TBitmap &aBitmap, TRasterOp aRop);

} // namespace lumora
