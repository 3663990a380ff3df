// Makers, executors, the background keeper and re-making what lies in
// front.
#include "core/model/ClearDraw.h"
#include "core/model/NullObj.h"
#include "core/model/ObjPool.h"
#include "core/support/BlendBitmaps.h"
#include "platform/graphics/Canvas.h"
#include "tests/core/model/ModelTestClasses.h"

namespace lumora::test {
namespace {

// A page window that records what was invalidated.
class FakeWindow : public TBaseWindow {
public:
  void Invalidate(const TRect &rect, bool erase) override {
    rects.push_back(rect);
    erases.push_back(erase);
  }
  TCanvas *Canvas() override { return nullptr; }
  std::vector<TRect> rects;
  std::vector<bool> erases;
};

// A figure that fails to answer what it can do.
class Throwing : public TTestFigure {
  LUMORA_OBJECT(Throwing, TTestFigure)
public:
  bool ICan(TActKind) override { throw Exception(QStringLiteral("no")); }

protected:
  Throwing() = default;
};

class CompanionsTest : public ModelTest {
protected:
  void SetUp() override {
    ModelTest::SetUp();
    page_ = Page();
    TMakeInfo::Construct(&window_, nullptr, nullptr, [this] { return page_.get(); });
  }
  void TearDown() override {
    page_.reset();
    ModelTest::TearDown();
  }

  TTestFigure *Add(const QString &aName, std::vector<TRealPoint> aPoints, int32_t aPriority,
                   TColor aFace) {
    std::unique_ptr<TTestFigure> f = Figure(aName, std::move(aPoints), 0, aPriority);
    f->Param.FaceColor = aFace;
    f->Maker()->Update();
    return static_cast<TTestFigure *>(page_->AddObj(std::move(f)));
  }

  FakeWindow window_;
  std::unique_ptr<TTestPage> page_;
};

TEST_F(CompanionsTest, MakerInvalidatesTheBoundsGrownByHalfTheLineWidth) {
  TTestFigure *f = Add(QStringLiteral("f"), Square(10, 10, 10), 0, clRed);
  f->Param.Width = 5;
  f->Maker()->Invalidate(true);
  ASSERT_EQ(window_.rects.size(), 1u);
  EXPECT_EQ(window_.rects[0], Rect(7, 7, 23, 23));
  EXPECT_TRUE(window_.erases[0]);
}

TEST_F(CompanionsTest, MakerMovesItsOwnerInTheRootPool) {
  TTestFigure *a = Add(QStringLiteral("a"), Square(0, 0, 5), 1, clRed);
  TTestFigure *b = Add(QStringLiteral("b"), Square(0, 0, 5), 1, clRed);
  EXPECT_EQ(a->Owner(), page_->Pool());
  EXPECT_TRUE(a->Maker()->MoveFront());
  EXPECT_EQ(page_->Pool()->Items(1), a);
  a->Maker()->MoveBack(nullptr);
  EXPECT_EQ(page_->Pool()->Items(0), a);
  b->Maker()->MoveOrder(0);
  EXPECT_EQ(page_->Pool()->Items(1), b);
}

TEST_F(CompanionsTest, ReMakeFrontObjReachesOverlappingObjectsInFront) {
  TTestFigure *back = Add(QStringLiteral("back"), Square(0, 0, 20), 0, clRed);
  TTestFigure *behind = Add(QStringLiteral("behind"), Square(5, 5, 5), -1, clRed);
  TTestFigure *front = Add(QStringLiteral("front"), Square(10, 10, 20), 2, clRed);
  TTestFigure *away = Add(QStringLiteral("away"), Square(50, 50, 5), 3, clRed);
  TTestFigure *hidden = Add(QStringLiteral("hidden"), Square(0, 0, 20), 4, clRed);
  hidden->SetVisible(false);
  TObjList over;
  Info().ReMakeFrontObj(back, nullptr, &over);
  EXPECT_EQ(over, TObjList{front});
  EXPECT_EQ(front->ReMakes, 1);
  for (TTestFigure *f : {back, behind, away, hidden})
    EXPECT_EQ(f->ReMakes, 0) << f->Name.toStdString();
  EXPECT_EQ(window_.rects.size(), 1u);
}

TEST_F(CompanionsTest, ExecRootStartsACircuitWithANullObjectAtThePoint) {
  Info().SysMode = smExec;
  std::unique_ptr<TCommonObj> obj = ObjClassList().CreateObject(QStringLiteral("テスト図形"));
  auto *exe = static_cast<TTestExe *>(obj->Ex());
  ASSERT_TRUE(exe);
  for (bool freeCircuit : {false, true}) {
    exe->FreeCircuit = freeCircuit;
    exe->ExecRoot({12, 34});
    ASSERT_EQ(exe->Seen.size(), 1u);
    EXPECT_EQ(exe->FirstCentre, (TRealPoint{12, 34}));
    EXPECT_EQ(exe->SeenAction, nullptr);
  }
  TBitmap bitmap(4, 4);
  int hooked = 0;
  exe->SetExtDraw([&](TCanvas &, TCommonObj *self) { hooked += self == obj.get(); });
  exe->DrawSelf(bitmap.Canvas());
  EXPECT_EQ(hooked, 1);
}

TEST_F(CompanionsTest, FindCapableObjTakesTheLastCapableAndSurvivesErrors) {
  std::unique_ptr<TTestFigure> a = Figure(QStringLiteral("a"), Square(0, 0, 1));
  std::unique_ptr<TTestFigure> b = Figure(QStringLiteral("b"), Square(0, 0, 1));
  std::unique_ptr<Throwing> c = NewObject<Throwing>();
  b->Param.ActType = {};
  EXPECT_EQ(FindCapableObj({a.get(), b.get(), c.get()}, atShow), a.get());
  EXPECT_EQ(FindCapableObj({b.get(), c.get()}, atShow), nullptr);
}

TEST_F(CompanionsTest, BlendedRedrawByTransparency) {
  // A red square under a blue one; the blue one is drawn blended over what
  // lies under it.
  Add(QStringLiteral("red"), Square(0, 0, 40), 0, clRed);
  struct Case {
    uint8_t transparency;
    TColor expected;
  };
  const Case cases[] = {{0, clBlue}, {100, clRed}, {50, RGB(127, 0, 127)}};
  for (const Case &c : cases) {
    SCOPED_TRACE(int(c.transparency));
    std::unique_ptr<TTestFigure> blue = Figure(QStringLiteral("blue"), Square(10, 10, 10), 0, 1);
    blue->Param.FaceColor = clBlue;
    blue->Param.Transparency = c.transparency;
    TBitmap target(60, 60);
    blue->ClearDraw_(&target.Canvas(), {5, 5}, 1.0);
    EXPECT_EQ(target.Pixel(20, 20), c.expected); // inside the blue square
    EXPECT_EQ(target.Pixel(15, 15), c.expected); // its top-left pixel
    EXPECT_EQ(target.Pixel(25, 15), clRed);      // the keeper's extra column: red beneath
    EXPECT_EQ(target.Pixel(40, 40), clWhite);    // outside the keeper's area
    // Without a canvas the picture goes to the maker, at the object's size.
    blue->ClearDraw_();
    ASSERT_TRUE(blue->Graphic());
    EXPECT_EQ(blue->Graphic()->Width(), 11);
    EXPECT_EQ(static_cast<TBitmap *>(blue->Graphic())->Pixel(5, 5), c.expected);
  }
}

TEST_F(CompanionsTest, KeeperOfASinglePointHoldsNoImage) {
  std::unique_ptr<TTestFigure> dot = Figure(QStringLiteral("dot"), {{5, 5}});
  EXPECT_EQ(dot->BoundsRect(), Rect(5, 5, 5, 5));
  TClearDraw keeper(dot.get());
  EXPECT_FALSE(keeper.State());
  std::unique_ptr<TTestFigure> pixel = Figure(QStringLiteral("px"), {{5, 5}, {6, 6}});
  TClearDraw two(pixel.get());
  EXPECT_TRUE(two.State());
  TClearDraw zoomed(pixel.get(), 2.5); // (12, 12, 15, 15) plus one
  EXPECT_EQ(zoomed.TopLeft(), Point(12, 12));
  EXPECT_EQ(zoomed.BackBmp()->Width(), 4);
  // Regression: an object scaled far beyond any page asked for a bitmap of
  // the whole Integer range (and overflowed computing its width).
  std::unique_ptr<TTestFigure> huge = Figure(QStringLiteral("huge"), {{-2e9, -2e9}, {2e9, 2e9}});
  TClearDraw far(huge.get());
  EXPECT_FALSE(far.State());
  TClearDraw farZoomed(huge.get(), 1e6);
  EXPECT_FALSE(farZoomed.State());
}

TEST_F(CompanionsTest, BlendedRedrawCutToWhatIsShownKeepsItsPixels) {
  // A blue square half beyond the shown area, blended over a red one: the
  // cut image gives the pixels of the whole one where it is seen.
  Add(QStringLiteral("red"), Square(0, 0, 80), 0, clRed);
  std::unique_ptr<TTestFigure> blue = Figure(QStringLiteral("blue"), Square(20, 15, 50), 0, 1);
  blue->Param.FaceColor = clBlue;
  blue->Param.Transparency = 40;
  TBitmap whole(90, 90);
  blue->ClearDraw_(&whole.Canvas(), {3, 2}, 1.0);
  TBitmap cut(90, 90);
  cut.Canvas().SetClipRect(Rect(0, 0, 45, 40));
  blue->ClearDraw_(&cut.Canvas(), {3, 2}, 1.0);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 45; ++x)
      ASSERT_EQ(cut.Pixel(x, y), whole.Pixel(x, y)) << x << ", " << y;
  EXPECT_EQ(cut.Pixel(60, 50), clWhite); // outside the clip nothing is drawn

  TClearDraw keeper(blue.get(), 1.0, Rect(0, 0, 40, 30));
  EXPECT_TRUE(keeper.Cut());
  EXPECT_EQ(keeper.TopLeft(), Point(20, 15));
  EXPECT_EQ(keeper.BackBmp()->Width(), 21);
  EXPECT_EQ(keeper.BackBmp()->Height(), 16);
}

TEST_F(CompanionsTest, HugeBlendedObjectCostsNoMoreThanTheShownArea) {
  // Bounds of 9,001 x 9,001 pixels, just under the picture limit: only the
  // shown 60 x 50 pixels are captured and blended.
  struct Case {
    double x, y;
    TRect shown;
    TPoint topLeft;
    int width, height;
  };
  const Case cases[] = {{-4000, -4000, Rect(0, 0, 60, 50), Point(0, 0), 61, 51},
                        {10, 20, Rect(0, 0, 60, 50), Point(10, 20), 51, 31},
                        {100, 100, Rect(0, 0, 60, 50), Point(0, 0), 0, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.x);
    std::unique_ptr<TTestFigure> huge =
        Figure(QStringLiteral("huge"), Square(c.x, c.y, 9000), 0, 1);
    huge->Param.Transparency = 50;
    TClearDraw keeper(huge.get(), 1.0, c.shown);
    if (c.width == 0) {
      EXPECT_FALSE(keeper.State());
      continue;
    }
    EXPECT_EQ(keeper.TopLeft(), c.topLeft);
    EXPECT_EQ(keeper.BackBmp()->Width(), c.width);
    EXPECT_EQ(keeper.BackBmp()->Height(), c.height);
  }
  // Drawn onto a small canvas it blends only what the canvas holds.
  Add(QStringLiteral("red"), Square(0, 0, 80), 0, clRed);
  std::unique_ptr<TTestFigure> huge =
      Figure(QStringLiteral("huge"), Square(-4000, -4000, 9000), 0, 1);
  huge->Param.FaceColor = clBlue;
  huge->Param.Transparency = 100;
  TBitmap target(60, 50);
  huge->ClearDraw_(&target.Canvas(), {0, 0}, 1.0);
  EXPECT_EQ(target.Pixel(30, 30), clRed);
}

TEST(BlendBitmapsTest, EdgesAndStrips) {
  TBitmap dest(3, 2), src(3, 2);
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 2; ++y) {
      dest.SetPixel(x, y, RGB(200, 100, 0));
      src.SetPixel(x, y, RGB(0, 100, 200));
    }
  TBitmap keep(dest);
  BlendBitmaps(Rect(0, 0, 2, 1), keep, src, 100);
  EXPECT_EQ(keep.Pixel(2, 1), RGB(200, 100, 0));
  TBitmap give(dest);
  BlendBitmaps(Rect(0, 0, 2, 1), give, src, 0);
  EXPECT_EQ(give.Pixel(2, 1), RGB(0, 100, 200));
  TBitmap row(dest);
  BlendBitmaps(Rect(1, 1, 2, 1), row, src, 0); // only row 1 from column 1
  EXPECT_EQ(row.Pixel(0, 1), RGB(200, 100, 0));
  EXPECT_EQ(row.Pixel(1, 0), RGB(200, 100, 0));
  EXPECT_EQ(row.Pixel(1, 1), RGB(0, 100, 200));

  // 1000 x 1000 pixels go in two strips; every row arrives.
  TBitmap big(1000, 1001);
  big.Canvas().Brush().SetColor(clGreen);
  big.Canvas().FillRect(Rect(0, 0, 1000, 1001));
  TBitmap target(1000, 1010);
  DrawBitmapInStrips(target.Canvas(), big, {0, 5});
  for (int y : {5, 505, 1005})
    EXPECT_EQ(target.Pixel(999, y), clGreen) << y;
  EXPECT_EQ(target.Pixel(0, 4), clWhite);
  EXPECT_EQ(target.Pixel(0, 1006), clWhite);
}

} // namespace
} // namespace lumora::test
