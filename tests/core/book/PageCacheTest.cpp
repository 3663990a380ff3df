// The page cache: a repair of the rectangles a change dirtied gives the
// pixels of a full paint.
#include <gtest/gtest.h>

#include <vector>

#include "core/book/PageCache.h"
#include "platform/graphics/Canvas.h"

namespace lumora::test {
namespace {

struct Box {
  TRect r;
  TColor color;
};

bool Meets(const TRect &a, const TRect &b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// Overlapping boxes, some outlined in a wide pen, on a green ground.
class PageCacheTest : public ::testing::Test {
protected:
  const QImage &Show(TPageCache &aCache, const TPageCache::TKey &aKey = {}) {
    return aCache.Frame(
        QSize(120, 90), aKey,
        [](TCanvas &aCanvas) {
          aCanvas.Brush().SetColor(RGB(0, 160, 0));
          aCanvas.FillRect(TRect{0, 0, 120, 90});
          aCanvas.Pen().SetColor(clBlack);
          aCanvas.MoveTo(0, 45);
          aCanvas.LineTo(120, 45);
        },
        [this](TCanvas &aCanvas, const TRect &aArea, int aFrom, int aTo) {
          const size_t last = aTo < 0 ? boxes_.size() : size_t(aTo);
          for (size_t i = size_t(aFrom); i < last; ++i) {
            const Box &box = boxes_[i];
            if (!Meets(TRect{box.r.Left - 2, box.r.Top - 2, box.r.Right + 2, box.r.Bottom + 2},
                       aArea))
              continue;
            aCanvas.Brush().SetColor(box.color);
            aCanvas.Pen().SetWidth(3);
            aCanvas.Pen().SetColor(clNavy);
            aCanvas.Rectangle(box.r);
          }
        });
  }
  TRect Dirty(const Box &aBox) const {
    return TRect{aBox.r.Left - 2, aBox.r.Top - 2, aBox.r.Right + 2, aBox.r.Bottom + 2};
  }

  std::vector<Box> boxes_{{{10, 10, 50, 40}, clRed},
                          {{30, 20, 70, 60}, clBlue},
                          {{60, 5, 100, 35}, clYellow},
                          {{20, 50, 110, 85}, clWhite}};
};

TEST_F(PageCacheTest, RepairAfterAMoveEqualsAFullPaint) {
  // A moved box, with the boxes below the lifted one kept painted (none
  // when lift is 0) as a drag keeps them.
  struct Case {
    size_t moved;
    int dx, dy;
    int lift;
  };
  const Case cases[] = {{1, 13, -7, 0}, {0, 40, 30, 0}, {3, -15, 3, 0}, {2, 100, 100, 0},
                        {1, -9, 12, 1}, {1, 20, 4, 1},  {3, 5, -30, 2}, {0, 3, 3, 0}};
  TPageCache cache;
  Show(cache);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.moved);
    cache.Lift(c.lift);
    Box &box = boxes_[c.moved];
    cache.Invalidate(Dirty(box));
    box.r = TRect{box.r.Left + c.dx, box.r.Top + c.dy, box.r.Right + c.dx, box.r.Bottom + c.dy};
    cache.Invalidate(Dirty(box));
    const QImage repaired = Show(cache);
    TPageCache fresh;
    const QImage &full = Show(fresh);
    ASSERT_EQ(repaired.size(), full.size());
    for (int y = 0; y < full.height(); ++y)
      for (int x = 0; x < full.width(); ++x)
        ASSERT_EQ(repaired.pixel(x, y), full.pixel(x, y)) << x << ", " << y;
  }
}

TEST_F(PageCacheTest, UnreportedChangeShowsOnlyAfterADrop) {
  TPageCache cache;
  EXPECT_EQ(QColor(Show(cache).pixel(15, 15)), QColor(Qt::red));
  boxes_[0].color = clLime;
  EXPECT_EQ(QColor(Show(cache).pixel(15, 15)), QColor(Qt::red)); // kept
  cache.Drop();
  EXPECT_EQ(QColor(Show(cache).pixel(15, 15)), QColor(Qt::green));
  // Another page or zoom paints in full.
  boxes_[0].color = clYellow;
  EXPECT_EQ(QColor(Show(cache).pixel(15, 15)), QColor(Qt::green));
  int page = 0;
  EXPECT_EQ(QColor(Show(cache, {&page, 1, 1.0}).pixel(15, 15)), QColor(Qt::yellow));
  boxes_[0].color = clLime;
  EXPECT_EQ(QColor(Show(cache, {&page, 1, 2.0}).pixel(15, 15)), QColor(Qt::green));
  // A new size paints in full.
  boxes_[0].color = clRed;
  EXPECT_EQ(QColor(cache
                       .Frame(
                           QSize(60, 60), {&page, 1, 2.0}, [](TCanvas &) {},
                           [this](TCanvas &c, const TRect &, int, int) {
                             c.Brush().SetColor(boxes_[0].color);
                             c.FillRect(boxes_[0].r);
                           })
                       .pixel(15, 15)),
            QColor(Qt::red));
}

} // namespace
} // namespace lumora::test
