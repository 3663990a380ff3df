#include "shell/startup/P1Timer.h"

#include <QPointer>
#include <QTimerEvent>
#include <algorithm>
#include <limits>

#include "platform/system/Exception.h"

namespace lumora {

namespace {

std::vector<TP1Timer *> &TimerList() {
  static std::vector<TP1Timer *> list;
  return list;
}

bool IsListed(TP1Timer *aTimer) {
  const std::vector<TP1Timer *> &list = TimerList();
  return std::find(list.begin(), list.end(), aTimer) != list.end();
}

} // namespace

const std::vector<TP1Timer *> &P1TimerList() {
  return TimerList();
}

void P1TimerProc(int aTimerID) {
  if (aTimerID == 0) return;
  // A handler may free timers (its own included), so walk a copy and ask
  // the list before each call.
  const std::vector<TP1Timer *> timers = TimerList();
  for (TP1Timer *timer : timers)
    if (IsListed(timer) && timer->TimerID() == aTimerID) timer->Timer();
}

TP1Timer::TP1Timer(QObject *AOwner) : QObject(AOwner) {
  TimerList().push_back(this);
}

TP1Timer::~TP1Timer() {
  SetEnabled(false);
  KillTimer();
  std::vector<TP1Timer *> &list = TimerList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  FOnTimer = nullptr;
  FOnCount = nullptr;
}

void TP1Timer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TP1Timer::SetInterval(uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TP1Timer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = std::move(Value);
  UpdateTimer();
}

void TP1Timer::SetOnCount(TStopCountEvent Value) {
  FOnCount = std::move(Value);
  UpdateTimer();
}

void TP1Timer::KillTimer() {
  if (FTimerID != 0) killTimer(FTimerID);
  FTimerID = 0;
}

void TP1Timer::UpdateTimer() {
  KillTimer();
  FCount = 0;
  const bool usableCount = FOnCount && FStopCount > 0;
  if (FInterval == 0 || !FEnabled || (!FOnTimer && !usableCount)) return;
  // Qt takes the interval as int; a longer one waits as long as Qt can.
  const int interval = int(std::min<uint32_t>(FInterval, std::numeric_limits<int>::max()));
  FTimerID = startTimer(interval);
  if (FTimerID == 0) throw Exception(QStringLiteral("P1Timer Create Error"));
}

void TP1Timer::Timer() {
  if (!FEnabled) return;
  // The handlers may free the timer (a form closing with its timer).
  const QPointer<TP1Timer> self(this);
  ++FCount;
  if (FOnTimer) FOnTimer(this);
  if (!self) return;
  if (FStopCount > 0 && FCount >= FStopCount && FOnCount) {
    bool pContinue = false;
    FOnCount(this, pContinue);
    if (!self) return;
    FCount = 0;
    if (!(FEnabled && pContinue)) KillTimer();
  }
}

void TP1Timer::timerEvent(QTimerEvent *event) {
  P1TimerProc(event->timerId());
}

} // namespace lumora
