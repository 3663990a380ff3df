#pragma once
// Blending one bitmap into another and drawing a large bitmap in strips.
#include "platform/graphics/Types.h"

namespace lumora {

class TBitmap;
class TCanvas;

// Blends aSrc into aDest over the inclusive rectangle aRect (callers pass
// (0, 0, width - 1, height - 1)): every channel becomes
// src + ((dest - src) * k >> 8) with k = percent * 256 div 100, so 100 keeps
// aDest and 0 gives aSrc. Rows run from aRect.Top to aRect.Bottom and each
// row over aDest's width from aRect.Left; pixels outside either bitmap are
// left alone. The result is opaque.
void BlendBitmaps(const TRect &aRect, TBitmap &aDest, const TBitmap &aSrc, int aPercent);

// Draws the bitmap with its top-left at aAt. A bitmap of 450,000 pixels or
// more goes in n = pixels div 450,000 horizontal strips of height div n rows
// (the last strip takes the rows left over), bounding each transfer.
void DrawBitmapInStrips(TCanvas &aCanvas, const TBitmap &aBitmap, TPoint aAt);

} // namespace lumora
