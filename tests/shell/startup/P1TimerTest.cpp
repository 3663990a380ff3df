// The timer component: when it runs, the stop count, and ticks through the
// shared callback (driven directly, so no test waits for the clock except
// the one that checks a real Qt tick arrives).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <gtest/gtest.h>

#include "shell/startup/P1Timer.h"

namespace lumora::test {
namespace {

bool Listed(TP1Timer *aTimer) {
  const std::vector<TP1Timer *> &list = P1TimerList();
  return std::find(list.begin(), list.end(), aTimer) != list.end();
}

TEST(P1TimerTest, NewTimerIsListedAndDoesNotRun) {
  auto timer = std::make_unique<TP1Timer>();
  int ticks = 0;
  timer->SetOnTimer([&](TP1Timer *) { ++ticks; });
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 1000u);
  EXPECT_EQ(timer->StopCount(), 0u);
  EXPECT_EQ(timer->TimerID(), 0);
  EXPECT_TRUE(Listed(timer.get()));
  // A direct tick of a disabled timer does nothing either.
  timer->Timer();
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(timer->Count(), 0u);
  TP1Timer *raw = timer.get();
  timer.reset();
  EXPECT_FALSE(Listed(raw));
}

TEST(P1TimerTest, RunsOnlyEnabledWithIntervalAndUsableHandler) {
  struct Case {
    const char *name;
    bool enabled;
    uint32_t interval;
    bool onTimer;
    bool onCount;
    uint32_t stopCount;
    bool runs;
  };
  const Case cases[] = {
      {"enabled with OnTimer", true, 1000, true, false, 0, true},
      {"disabled", false, 1000, true, false, 0, false},
      {"interval 0", true, 0, true, false, 0, false},
      {"no handler", true, 1000, false, false, 3, false},
      {"OnCount without stop count", true, 1000, false, true, 0, false},
      {"OnCount with stop count", true, 1000, false, true, 3, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TP1Timer timer;
    timer.SetStopCount(c.stopCount);
    if (c.onTimer) timer.SetOnTimer([](TP1Timer *) {});
    if (c.onCount) timer.SetOnCount([](TP1Timer *, bool &) {});
    timer.SetInterval(c.interval);
    timer.SetEnabled(c.enabled);
    EXPECT_EQ(timer.TimerID() != 0, c.runs);
  }
}

// Ticks the running timer through the shared callback.
void Tick(TP1Timer &aTimer, int aTimes) {
  for (int i = 0; i < aTimes; ++i)
    P1TimerProc(aTimer.TimerID());
}

TEST(P1TimerTest, StopCountStopsOrContinuesAsTheHandlerSays) {
  for (const bool goOn : {false, true}) {
    SCOPED_TRACE(goOn ? "continue" : "stop");
    TP1Timer timer;
    int ticks = 0;
    int counts = 0;
    timer.SetStopCount(3);
    timer.SetOnTimer([&](TP1Timer *) { ++ticks; });
    timer.SetOnCount([&](TP1Timer *, bool &pContinue) {
      EXPECT_FALSE(pContinue);
      ++counts;
      pContinue = goOn;
    });
    timer.SetEnabled(true);
    const int id = timer.TimerID();
    ASSERT_NE(id, 0);

    Tick(timer, 2);
    EXPECT_EQ(timer.Count(), 2u);
    EXPECT_EQ(counts, 0);
    Tick(timer, 1);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(counts, 1);
    EXPECT_EQ(timer.Count(), 0u);
    EXPECT_TRUE(timer.Enabled());
    if (goOn) {
      EXPECT_EQ(timer.TimerID(), id);
      Tick(timer, 4);
      EXPECT_EQ(counts, 2);
      EXPECT_EQ(timer.Count(), 1u);
    } else {
      EXPECT_EQ(timer.TimerID(), 0);
      P1TimerProc(id); // the old timer reaches nobody
      EXPECT_EQ(ticks, 3);
    }
  }
}

TEST(P1TimerTest, IntervalZeroStopsAndStopCountDoesNotRestart) {
  TP1Timer timer;
  timer.SetOnTimer([](TP1Timer *) {});
  timer.SetEnabled(true);
  const int id = timer.TimerID();
  Tick(timer, 2);

  timer.SetStopCount(5);
  EXPECT_EQ(timer.TimerID(), id);
  EXPECT_EQ(timer.Count(), 2u);

  timer.SetInterval(0);
  EXPECT_EQ(timer.TimerID(), 0);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Count(), 0u);

  timer.SetInterval(500);
  EXPECT_NE(timer.TimerID(), 0);
  Tick(timer, 1);
  // A new handler restarts with Count 0.
  timer.SetOnTimer([](TP1Timer *) {});
  EXPECT_EQ(timer.Count(), 0u);
}

TEST(P1TimerTest, HandlerMayFreeItsOwnTimer) {
  auto *timer = new TP1Timer();
  bool counted = false;
  timer->SetStopCount(1);
  timer->SetOnTimer([](TP1Timer *aSender) { delete aSender; });
  timer->SetOnCount([&](TP1Timer *, bool &) { counted = true; });
  timer->SetEnabled(true);
  P1TimerProc(timer->TimerID());
  EXPECT_FALSE(Listed(timer));
  EXPECT_FALSE(counted);
}

TEST(P1TimerTest, QtTimerTicksReachTheHandler) {
  TP1Timer timer;
  int ticks = 0;
  timer.SetInterval(5);
  timer.SetOnTimer([&](TP1Timer *) { ++ticks; });
  timer.SetEnabled(true);
  QElapsedTimer clock;
  clock.start();
  while (ticks < 2 && clock.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  EXPECT_GE(ticks, 2);
}

} // namespace
} // namespace lumora::test
