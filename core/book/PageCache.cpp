#include "core/book/PageCache.h"

#include <QPainter>

#include "platform/graphics/Canvas.h"

namespace lumora {

void TPageCache::Drop() {
  FBack = QImage();
  FFrame = QImage();
  FDirty = QRegion();
}

void TPageCache::Invalidate(const TRect &aRect) {
  if (FFrame.isNull() || aRect.Right <= aRect.Left || aRect.Bottom <= aRect.Top) return;
  FDirty += QRect(aRect.Left, aRect.Top, aRect.Right - aRect.Left, aRect.Bottom - aRect.Top) &
            FFrame.rect();
}

const QImage &TPageCache::Frame(QSize aSize, const TPaintBack &aBack,
                                const TPaintObjects &aObjects) {
  if (FFrame.size() != aSize) Drop();
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
    aObjects(canvas, TRect{0, 0, aSize.width(), aSize.height()});
    return FFrame;
  }
  for (const QRect &r : FDirty) {
    {
      QPainter p(&FFrame);
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(r.topLeft(), FBack, r);
    }
    TCanvas canvas(&FFrame);
    const TRect area{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    canvas.SetClipRect(area);
    aObjects(canvas, area);
  }
  FDirty = QRegion();
  return FFrame;
}

} // namespace lumora
