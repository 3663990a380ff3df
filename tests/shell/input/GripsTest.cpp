// Grips: their squares and hit areas by mode, colours, kinds by grab form,
// the recording the handler paints, and which grip a point finds.
#include <QImage>
#include <typeinfo>

#include "shell/input/Grips.h"
#include "tests/shell/input/InputTestKinds.h"

namespace lumora::test {
namespace {

// A grip set that asks for small grips, as the presentation multi-selection
// does.
class TSmallGrabs : public TGrabs {
public:
  using TGrabs::TGrabs;
  bool SmallGrabs() const override { return true; }
};

class GripsTest : public InputTest {
protected:
  // The grip set's recording replayed onto a white 200 x 200 image.
  static QImage Painted(const TGripGrabs &aGrips) {
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    TCanvas canvas(&image);
    aGrips.Paint(canvas);
    canvas.End();
    return image;
  }
  static TColor Pixel(const QImage &aImage, int X, int Y) {
    return FromQColor(aImage.pixelColor(X, Y));
  }
};

TEST_F(GripsTest, SquaresAndHitAreasByMode) {
  const struct {
    const char *name;
    TSysMode mode;
    bool small;
    TRect square;
    int reach; // how far from the point a hit reaches
  } cases[] = {
      {"author", smAuthor, false, {47, 37, 54, 44}, 3},
      {"custom", smCustom, false, {47, 37, 54, 44}, 3},
      {"presentation", smExec, false, {44, 34, 57, 47}, 6 + 5},
      {"presentation, small", smExec, true, {47, 37, 54, 44}, 3 + 5},
  };
  TTestRect *rect = Add(Corners(50, 40, 150, 140));
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TGrabs> grips = c.small ? std::make_unique<TSmallGrabs>(&window_, c.mode)
                                            : std::make_unique<TGrabs>(&window_, c.mode);
    grips->CreateGrab(rect, rect->Polygon(), false);
    ASSERT_EQ(grips->Count(), 4);
    EXPECT_TRUE(grips->Visible());
    EXPECT_EQ(grips->GetGrab(0)->BoundsRect(), c.square);
    EXPECT_EQ(grips->ClipRect(),
              (TRect{c.square.Left, c.square.Top, c.square.Right + 100, c.square.Bottom + 100}));
    TGrab *first = grips->GetGrab(0);
    EXPECT_EQ(grips->PtInGrab(50 - c.reach, 40), first);
    EXPECT_EQ(grips->PtInGrab(50 + c.reach, 40 + c.reach), first);
    EXPECT_EQ(grips->PtInGrab(50 - c.reach - 1, 40), nullptr);
    EXPECT_EQ(grips->PtInGrab(50, 40 + c.reach + 1), nullptr);
    // Drawn at the square only.
    const QImage image = Painted(*grips);
    EXPECT_EQ(Pixel(image, c.square.Left, c.square.Top), 0x0000FF);
    EXPECT_EQ(Pixel(image, c.square.Right - 1, c.square.Bottom - 1), 0x0000FF);
    EXPECT_EQ(Pixel(image, c.square.Right, 40), clWhite);
  }
}

TEST_F(GripsTest, ColoursRepeatEveryNineGrips) {
  const TColor expected[9] = {0x0000FF, 0xFF0000, 0x008000, 0x800080, 0x008080,
                              0x808000, 0x000080, 0xFFFF00, 0x000000};
  std::vector<TRealPoint> points;
  for (int i = 0; i < 20; ++i)
    points.push_back({10.0 + 9 * i, 100});
  TTestRect *poly = Add(points);
  TGrabs grips(&window_, smAuthor);
  grips.CreateGrab(poly, poly->Polygon(), false);
  ASSERT_EQ(grips.Count(), 20);
  const QImage image = Painted(grips);
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(grips.GetGrab(i)->Color(), expected[i % 9]);
    EXPECT_EQ(grips.GetGrab(i)->Tag(), i);
    EXPECT_EQ(Pixel(image, 10 + 9 * i, 100), expected[i % 9]);
  }
}

TEST_F(GripsTest, ObjectWithoutGrabPointsShowsOneFrame) {
  TTestRect *shown = Add(Corners(10, 10, 20, 20));
  TTestRect *action = Add(Corners(60, 50, 100, 70));
  TGrabs grips(&window_, smAuthor);
  grips.CreateGrab(shown, shown->Polygon(), false);
  action->Param.Grabs = 0;
  grips.CreateGrab(action, {}, false);
  ASSERT_EQ(grips.Count(), 1);
  TGrab *frame = grips.GetGrab(0);
  EXPECT_EQ(typeid(*frame), typeid(TActionGrab));
  // The object's size around its centre (80, 60).
  const TRect r = frame->BoundsRect();
  EXPECT_EQ(r.Width(), action->BoundsRect().Width());
  EXPECT_EQ(r.Height(), action->BoundsRect().Height());
  EXPECT_NEAR((r.Left + r.Right) / 2.0, 80, 1);
  EXPECT_NEAR((r.Top + r.Bottom) / 2.0, 60, 1);
  EXPECT_EQ(grips.ClipRect(), r);
  EXPECT_EQ(grips.PtInGrab(80, 60), nullptr) << "never hit";
  // The recording is the frame's, not the grips shown before.
  const QImage image = Painted(grips);
  EXPECT_EQ(Pixel(image, r.Left, r.Top + 5), 0x0000FF);
  EXPECT_EQ(Pixel(image, r.Left + 5, r.Top + 5), clWhite);
  EXPECT_EQ(Pixel(image, 10, 10), clWhite);

  // Refresh keeps the frame around the object's centre as it moves.
  action->Move({10, 0});
  grips.Refresh();
  EXPECT_EQ(grips.GetGrab(0)->BoundsRect(), (TRect{r.Left + 10, r.Top, r.Right + 10, r.Bottom}));

  // And the next object with grab points gets grips again.
  grips.CreateGrab(shown, shown->Polygon(), false);
  EXPECT_EQ(grips.Count(), 4);
  EXPECT_EQ(typeid(*grips.GetGrab(0)), typeid(TRectGrab));
}

TEST_F(GripsTest, GripKindsFollowTheGrabFormsAndAreKept) {
  TTestRect *rect = Add(Corners(20, 20, 120, 120));
  rect->GrabInfo()->SetGrabForm(1, TGrabType::gfCircle);
  rect->GrabInfo()->SetGrabForm(2, TGrabType::gfCross);
  rect->GrabInfo()->SetGrabMode(3, {gmShow});
  rect->GrabInfo()->SetCursor(3, 7);
  TGrabs grips(&window_, smAuthor);
  grips.CreateGrab(rect, rect->Polygon(), false);
  ASSERT_EQ(grips.Count(), 4);
  EXPECT_EQ(typeid(*grips.GetGrab(0)), typeid(TRectGrab));
  EXPECT_EQ(typeid(*grips.GetGrab(1)), typeid(TCircleGrab));
  EXPECT_EQ(typeid(*grips.GetGrab(2)), typeid(TCrossGrab));
  EXPECT_EQ(grips.GetGrab(1)->Form(), TGrabType::gfCircle);
  EXPECT_EQ(grips.GetGrab(3)->Mode(), TGrabMode{gmShow});
  EXPECT_EQ(grips.GetGrab(3)->Cursor(), 7);
  EXPECT_EQ(grips.GetGrab(0)->Cursor(), 0);
  TGrab *circle = grips.GetGrab(1);

  // The same forms keep the grips; a changed form makes a new grip there.
  grips.CreateGrab(rect, rect->Polygon(), false);
  EXPECT_EQ(grips.GetGrab(1), circle);
  rect->GrabInfo()->SetGrabForm(2, TGrabType::gfRect);
  grips.CreateGrab(rect, rect->Polygon(), false);
  ASSERT_EQ(grips.Count(), 4);
  EXPECT_EQ(grips.GetGrab(1), circle);
  EXPECT_EQ(typeid(*grips.GetGrab(2)), typeid(TRectGrab));
  EXPECT_EQ(grips.GetGrab(3)->Pos().rx, 20);

  // Fewer points drop the grips at the end.
  grips.CreateGrab(rect, TGrabRect(rect->Polygon().begin(), rect->Polygon().begin() + 2), false);
  EXPECT_EQ(grips.Count(), 2);
  EXPECT_EQ(grips.GetGrab(1), circle);
}

TEST_F(GripsTest, OwnGripsAreDrawnAndHitByTheObject) {
  TOwnGripRect *rect = Add<TOwnGripRect>(Corners(20, 20, 120, 120));
  rect->GrabInfo()->SetGrabForm(1, TGrabType::gfOwn);
  TGrabs grips(&window_, smAuthor);
  grips.CreateGrab(rect, rect->Polygon(), false);
  TGrab *own = grips.GetGrab(1);
  ASSERT_EQ(typeid(*own), typeid(TOwnerGrab));
  EXPECT_EQ(own->BoundsRect(), (TRect{118, 18, 123, 23}));
  EXPECT_EQ(grips.PtInGrab(120, 20), own);
  EXPECT_EQ(grips.PtInGrab(121, 20), nullptr) << "the object answers, not the square";
  const QImage image = Painted(grips);
  EXPECT_EQ(Pixel(image, 122, 22), TOwnGripRect::OwnColor);
  EXPECT_EQ(Pixel(image, 20, 20), 0x0000FF);
}

TEST_F(GripsTest, ActiveGripOpaqueOthersOutlined) {
  TTestRect *rect = Add(Corners(20, 20, 120, 120));
  TGrabs grips(&window_, smAuthor);
  grips.CreateGrab(rect, rect->Polygon(), false);
  grips.SetActiveGrab(grips.GetGrab(1));
  grips.Refresh();
  QImage image = Painted(grips);
  EXPECT_EQ(Pixel(image, 120, 20), 0xFF0000) << "active grip filled";
  EXPECT_EQ(Pixel(image, 20, 20), clWhite) << "others hollow";
  EXPECT_EQ(Pixel(image, 17, 20), 0x0000FF) << "outline";
  EXPECT_EQ(Pixel(image, 123, 120), 0x008000);

  // Rebuilding the grips while one is active keeps the outlines.
  grips.CreateGrab(rect, rect->Polygon(), false);
  image = Painted(grips);
  EXPECT_EQ(Pixel(image, 20, 20), clWhite);
  EXPECT_EQ(Pixel(image, 120, 20), 0xFF0000);

  // A grip dropped by a rebuild is no longer active.
  grips.CreateGrab(rect, TGrabRect{rect->Polygon()[0]}, false);
  EXPECT_EQ(grips.ActiveGrab(), nullptr);

  grips.SetActiveGrab(nullptr);
  grips.CreateGrab(rect, rect->Polygon(), true);
  image = Painted(grips);
  EXPECT_EQ(Pixel(image, 120, 20), clWhite) << "all outlined when asked";
  EXPECT_EQ(Pixel(image, 123, 20), 0xFF0000);

  // Another object clears the active grip.
  grips.SetActiveGrab(grips.GetGrab(0));
  TTestRect *other = Add(Corners(150, 150, 180, 180));
  grips.CreateGrab(other, other->Polygon(), false);
  EXPECT_EQ(grips.ActiveGrab(), nullptr);
  EXPECT_EQ(grips.OwnObj(), other);
}

TEST_F(GripsTest, PointLookupsPreferTheLaterGrip) {
  // Grips 1 and 2 overlap and lie at the same distance from (52, 50).
  TTestRect *fig = Add({{10, 10}, {50, 50}, {54, 50}, {100, 100}});
  TGrabs grips(&window_, smAuthor);
  grips.CreateGrab(fig, fig->Polygon(), false);
  EXPECT_EQ(grips.PtInGrab(52, 50), grips.GetGrab(2));
  EXPECT_EQ(grips.PtInGrab(48, 50), grips.GetGrab(1));

  EXPECT_EQ(grips.NearGrab(52, 50, 10), grips.GetGrab(2)) << "a tie goes to the later grip";
  EXPECT_EQ(grips.NearGrab(51, 50, 10), grips.GetGrab(1));
  EXPECT_EQ(grips.NearGrab(10, 15, 5), nullptr) << "strictly closer than the range";
  EXPECT_EQ(grips.NearGrab(10, 15, 5.01), grips.GetGrab(0));
}

TEST_F(GripsTest, ShowHideClearAndRefreshInvalidateTheGrips) {
  TTestRect *rect = Add(Corners(20, 20, 120, 120));
  TGrabs grips(&window_, smAuthor);
  grips.CreateGrab(rect, rect->Polygon(), false);
  const TRect clip{17, 17, 124, 124};
  EXPECT_EQ(grips.ClipRect(), clip);

  window_.rects.clear();
  grips.HideGrab();
  EXPECT_FALSE(grips.Visible());
  EXPECT_EQ(window_.rects, std::vector<TRect>{clip});
  EXPECT_EQ(Pixel(Painted(grips), 20, 20), clWhite) << "hidden grips paint nothing";
  grips.HideGrab();
  EXPECT_EQ(window_.rects.size(), 1u) << "hiding twice invalidates once";

  rect->Move({10, 5});
  grips.Refresh();
  EXPECT_TRUE(grips.Visible());
  EXPECT_EQ(grips.ClipRect(), (TRect{27, 22, 134, 129}));
  EXPECT_EQ(grips.GrabBounds(), TGrabRect(rect->Polygon()));
  EXPECT_EQ(Pixel(Painted(grips), 30, 25), 0x0000FF);

  grips.Clear();
  EXPECT_EQ(grips.OwnObj(), nullptr);
  EXPECT_FALSE(grips.Visible());
  EXPECT_EQ(window_.rects.back(), (TRect{27, 22, 134, 129}));
}

TEST_F(GripsTest, AuthorGripsShowLinkLinesAndOwnTheAuthorSnapper) {
  TTestRect *a = Add(Corners(10, 10, 30, 30));
  TTestRect *b = Add(Corners(150, 150, 170, 170));
  a->SetLinkedObj(b);
  TAuthorGrabs grips(&window_, smAuthor);
  ASSERT_NE(grips.Adsorb(), nullptr);
  grips.CreateGrab(a, a->Polygon(), false);
  const TRect clip = grips.ClipRect();
  EXPECT_LE(clip.Left, 7);
  EXPECT_GE(clip.Right, 155) << "the link line's area joins the clip rectangle";
  EXPECT_GE(clip.Bottom, 155);
  EXPECT_EQ(window_.rects.back(), clip);

  TGrabs plain(&window_, smAuthor);
  EXPECT_EQ(plain.Adsorb(), nullptr);
  plain.CreateGrab(a, a->Polygon(), false);
  EXPECT_EQ(plain.ClipRect(), (TRect{7, 7, 34, 34}));
}

} // namespace
} // namespace lumora::test
