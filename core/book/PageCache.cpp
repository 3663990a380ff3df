#include "core/book/PageCache.h"

#include <QPainter>
#include <algorithm>

#include "platform/graphics/Canvas.h"

namespace lumora {

void TPageCache::Drop() {
  FBack = QImage();
  FBelow = QImage();
  FFrame = QImage();
  FDirty = QRegion();
}

void TPageCache::Invalidate(const TRect &aRect) {
  if (FFrame.isNull() || aRect.Right <= aRect.Left || aRect.Bottom <= aRect.Top) return;
  FDirty += QRect(aRect.Left, aRect.Top, aRect.Right - aRect.Left, aRect.Bottom - aRect.Top) &
            FFrame.rect();
}

void TPageCache::Lift(int aFrom) {
  aFrom = std::max(aFrom, 0);
  if (aFrom == FLift) return;
  FLift = aFrom;
  FBelow = QImage();
}

const QImage &TPageCache::Frame(QSize aSize, const TKey &aKey, const TPaintBack &aBack,
                                const TPaintObjects &aObjects) {
  if (FFrame.size() != aSize || !(FKey == aKey)) Drop();
  FKey = aKey;
  const TRect whole{0, 0, aSize.width(), aSize.height()};
  if (FFrame.isNull()) {
    if (aSize.isEmpty()) return FFrame;
    FBack = QImage(aSize, QImage::Format_ARGB32_Premultiplied);
    FBack.fill(Qt::white);
    {
      TCanvas canvas(&FBack);
      aBack(canvas);
    }
    FFrame = FBack;
    FFrame.detach();
    TCanvas canvas(&FFrame);
    aObjects(canvas, whole, 0, -1);
    return FFrame;
  }
  if (FDirty.isEmpty()) return FFrame;
  if (FLift > 0 && FBelow.isNull()) {
    FBelow = FBack;
    FBelow.detach();
    TCanvas canvas(&FBelow);
    aObjects(canvas, whole, 0, FLift);
  }
  const QImage &under = FLift > 0 ? FBelow : FBack;
  for (const QRect &r : FDirty) {
    {
      QPainter p(&FFrame);
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(r.topLeft(), under, r);
    }
    TCanvas canvas(&FFrame);
    const TRect area{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    canvas.SetClipRect(area);
    aObjects(canvas, area, FLift, -1);
  }
  FDirty = QRegion();
  return FFrame;
}

} // namespace lumora
