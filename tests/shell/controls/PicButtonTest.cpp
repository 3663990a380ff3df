// Picture strips and picture buttons: cell splitting, button states driven by
// the mouse, the transparency test of a press and the action binding.
#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "shell/controls/Action.h"
#include "shell/controls/PicButton.h"
#include "tests/shell/controls/ControlTestUtil.h"

namespace lumora {
namespace {

// A strip of `cells` cells of the given size, cell k filled with a colour of
// its own and with a background-coloured (white) corner at its top left.
TBitmap Strip(int width, int height, int cells) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  const int cw = width / cells;
  for (int k = 0; k < cells; ++k)
    for (int y = 0; y < height; ++y)
      for (int x = k * cw + 4; x < (k + 1) * cw; ++x)
        image.setPixel(x, y, qRgb(10 * k + 20, 100, 200 - k));
  // The strip's background is the pixel at (0, height - 1): white.
  for (int x = 0; x < 4; ++x)
    image.setPixel(x, height - 1, qRgb(255, 255, 255));
  TBitmap bitmap;
  bitmap.SetImage(image);
  return bitmap;
}

TEST(PicListTest, SplitsStripIntoCells) {
  struct Case {
    int picCount, cells, cellWidth;
  } cases[] = {{0, 5, 40}, {3, 3, 66}, {1, 1, 200}};
  for (const Case &c : cases) {
    TP1CustomPicList strip;
    strip.SetPicCount(c.picCount);
    const TBitmap bitmap = Strip(200, 40, 5);
    strip.SetPicture(&bitmap);
    EXPECT_EQ(strip.PicList().Count(), c.cells) << c.picCount;
    EXPECT_EQ(strip.PicList().Width, c.cellWidth) << c.picCount;
    EXPECT_EQ(strip.PicList().Height, 40) << c.picCount;
  }
}

TEST(PicListTest, MissingFileKeepsOwnCellsAndResetsIndex) {
  TP1CustomPicList strip;
  strip.SetPicCount(4);
  const TBitmap bitmap = Strip(160, 40, 4);
  strip.SetPicture(&bitmap);
  strip.SetPicIndex(3);
  EXPECT_FALSE(strip.LoadFromFile(QStringLiteral("/nonexistent/strip.bmp"), 2));
  EXPECT_EQ(strip.PicList().Count(), 4);
  EXPECT_EQ(strip.PicIndex(), 3);
  strip.SetPicFile(QStringLiteral(".bmp"));
  EXPECT_THROW(strip.SetPicLoad(true), EAssertionFailed);
}

TEST(PicListTest, SharesListOfAnotherControlUntilItIsDestroyed) {
  TP1CustomPicList mine;
  auto other = std::make_unique<TP1CustomPicList>();
  other->SetPicCount(3);
  const TBitmap bitmap = Strip(120, 40, 3);
  other->SetPicture(&bitmap);
  mine.SetPicExtList(other.get());
  EXPECT_EQ(mine.PicList().Count(), 3);
  EXPECT_EQ(mine.PicCount(), 3);
  other.reset();
  EXPECT_EQ(mine.PicExtList(), nullptr);
  EXPECT_EQ(mine.PicList().Count(), 0);
}

class PicButtonTest : public ::testing::Test {
protected:
  void SetUp() override {
    button.SetPicCount(3);
    const TBitmap bitmap = Strip(120, 40, 3);
    button.SetPicture(&bitmap);
    button.resize(40, 40);
    button.OnMouseDown = [this](QWidget *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
      ++downs;
    };
    button.OnClick = [this](TP1CustomPicList *) { ++clicks; };
  }
  TP1PicButton button;
  int downs = 0;
  int clicks = 0;
};

TEST_F(PicButtonTest, ButtonSpringsBackAndClicks) {
  test::SendMouse(&button, QEvent::MouseButtonPress, {20, 20});
  EXPECT_EQ(button.State(), bsDown);
  EXPECT_EQ(button.PicIndex(), 2); // the last cell shows "down"
  test::SendMouse(&button, QEvent::MouseButtonRelease, {20, 20});
  EXPECT_EQ(button.State(), bsUp);
  EXPECT_EQ(button.PicIndex(), 0);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(clicks, 1);
}

TEST_F(PicButtonTest, AltButtonTogglesAndReturnsUpAfterTwoPresses) {
  button.SetPicKind(bkAltBtn);
  test::Click(&button, {20, 20});
  EXPECT_EQ(button.State(), bsDown);
  test::Click(&button, {20, 20});
  EXPECT_EQ(button.State(), bsUp);
  EXPECT_EQ(clicks, 2);
}

TEST_F(PicButtonTest, CustomButtonOnlyShowsWhatIsSet) {
  button.SetPicKind(bkCustom);
  test::Click(&button, {20, 20});
  EXPECT_EQ(button.State(), bsUp);
  EXPECT_EQ(downs, 0);
  button.SetState(bsDown);
  EXPECT_EQ(button.PicIndex(), 2);
}

TEST_F(PicButtonTest, DisabledButtonNeverReacts) {
  for (TPicBtnKind kind : {bkButton, bkAltBtn, bkPlane}) {
    button.SetPicKind(kind);
    button.SetEnabled(false);
    EXPECT_EQ(button.State(), bsDisabled);
    EXPECT_EQ(button.PicIndex(), 1);
    EXPECT_EQ(button.NextState(bsDown), bsDisabled);
    test::Click(&button, {20, 20});
    EXPECT_EQ(button.State(), bsDisabled) << kind;
    button.SetEnabled(true);
    EXPECT_EQ(button.State(), bsUp);
  }
  EXPECT_EQ(downs, 0);
  EXPECT_EQ(clicks, 0);
}

TEST_F(PicButtonTest, RightButtonAndTransparentBackgroundAreIgnored) {
  test::Click(&button, {20, 20}, Qt::RightButton);
  EXPECT_EQ(downs, 0);
  button.SetTransparent(true);
  test::Click(&button, {1, 1}); // white corner = the strip's background
  EXPECT_EQ(button.State(), bsUp);
  EXPECT_EQ(downs, 0);
  test::Click(&button, {20, 20});
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(clicks, 1);
}

TEST(PicButtonActionTest, FollowsActionAndExecutesIt) {
  TP1PicButton button;
  button.resize(40, 40);
  TAction action(QStringLiteral("AdsorbMode"));
  action.SetHint(QStringLiteral("吸着"));
  int runs = 0;
  action.OnExecute = [&](TAction *) { ++runs; };
  button.SetAction(&action);
  EXPECT_EQ(button.toolTip(), QStringLiteral("吸着"));
  test::Click(&button, {5, 5});
  EXPECT_EQ(runs, 1);
  action.SetEnabled(false);
  EXPECT_EQ(button.State(), bsDisabled);
  test::Click(&button, {5, 5});
  EXPECT_EQ(runs, 1);
  // Re-enabling pops the button up; a checked change alone leaves it alone.
  action.SetEnabled(true);
  button.SetState(bsDown);
  action.SetChecked(true);
  EXPECT_EQ(button.State(), bsDown);
}

} // namespace
} // namespace lumora
