// The start-up picture: its form, and that it goes on a click or on its
// timer's tick and clears the program-wide reference.
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <gtest/gtest.h>

#include "core/model/CoreContext.h"
#include "shell/controls/Action.h"
#include "shell/controls/P1Graphic.h"
#include "shell/startup/Opening.h"
#include "shell/startup/P1Timer.h"
#include "shell/startup/ProgramStart.h"

namespace lumora::test {
namespace {

// A left click at aPos of aWidget, delivered the way the window system
// delivers it (to the widget, passed on to its parent when refused).
void Click(QWidget *aWidget, QPoint aPos) {
  const QPointF local(aPos);
  const QPointF global(aWidget->mapToGlobal(aPos));
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(aWidget, &press);
  QCoreApplication::sendEvent(aWidget, &release);
}

class OpeningTest : public ::testing::Test {
protected:
  void SetUp() override { StartShell({}); }
  void TearDown() override {
    delete Opening();
    QCoreApplication::processEvents();
    TCoreContext::Reset();
  }
};

TEST_F(OpeningTest, ShowsThePictureCentredAboveOtherWindows) {
  auto *form = new TOpening();
  EXPECT_EQ(Opening(), form);
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->windowTitle(), "Opening");
  EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(form->size(), QSize(400, 260));
  EXPECT_EQ(form->P1Graphic1->size(), form->size());
  EXPECT_FALSE(form->P1Graphic1->isEnabled());
  EXPECT_EQ(form->P1Graphic1->BackColor(), TColor(0x9BE8AD));
  EXPECT_EQ(form->P1Timer1->Interval(), 2300u);
  EXPECT_FALSE(form->P1Timer1->Enabled());
  const QScreen *screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const QPoint offset = form->geometry().center() - screen->geometry().center();
  EXPECT_LE(offset.manhattanLength(), 2);
}

TEST_F(OpeningTest, ClickOnThePictureClosesBeforeTheTimer) {
  auto *form = new TOpening();
  form->P1Timer1->SetEnabled(true);
  ASSERT_NE(form->P1Timer1->TimerID(), 0);
  Click(form->P1Graphic1, QPoint(200, 130));
  QCoreApplication::processEvents();
  EXPECT_EQ(Opening(), nullptr);
}

TEST_F(OpeningTest, TimerTickCloses) {
  auto *form = new TOpening();
  const QPointer<TP1Timer> timer = form->P1Timer1;
  timer->SetEnabled(true);
  P1TimerProc(timer->TimerID());
  // Closing stops the timer before the form goes.
  ASSERT_TRUE(timer);
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(timer->TimerID(), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(Opening(), nullptr);
  EXPECT_FALSE(timer);
}

// What the program's message box calls before it shows: the picture hides
// at once (and stops being the active window, which a box would take as
// its parent), then goes from the event queue.
TEST_F(OpeningTest, CloseStartupPictureHidesAndFreesIt) {
  auto *form = new TOpening();
  const QPointer<TOpening> alive = form;
  const QPointer<TP1Timer> timer = form->P1Timer1;
  timer->SetEnabled(true);
  form->activateWindow();
  QCoreApplication::processEvents();
  ASSERT_EQ(QApplication::activeWindow(), form);
  CloseStartupPicture();
  ASSERT_TRUE(alive);
  EXPECT_FALSE(form->isVisible());
  EXPECT_NE(QApplication::activeWindow(), form);
  EXPECT_FALSE(timer->Enabled());
  CloseStartupPicture(); // again before it is freed: freed once
  QCoreApplication::processEvents();
  EXPECT_FALSE(alive);
  EXPECT_EQ(Opening(), nullptr);
  CloseStartupPicture(); // no picture: nothing happens
  QCoreApplication::processEvents();
  EXPECT_EQ(Opening(), nullptr);
}

} // namespace
} // namespace lumora::test
