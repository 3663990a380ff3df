#pragma once
// A timer component that needs no window of its own: a Qt timer whose
// ticks go through one shared callback to the timer that started it, with
// an optional stop count. Every existing TP1Timer is kept in one
// program-wide list.
#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

namespace lumora {

class TP1Timer;

using TNotifyEvent = std::function<void(TP1Timer *Sender)>;
// Called when the stop count is reached; set pContinue to keep ticking.
using TStopCountEvent = std::function<void(TP1Timer *Sender, bool &pContinue)>;

class TP1Timer : public QObject {
public:
  // Disabled, Interval 1000, no stop count; entered in the program-wide
  // list. The owner frees the timer with itself.
  explicit TP1Timer(QObject *AOwner = nullptr);
  // Disables the timer (killing the platform timer), leaves the list and
  // clears both handlers.
  ~TP1Timer() override;

  bool Enabled() const { return FEnabled; }
  // A change restarts the timer.
  void SetEnabled(bool Value);
  // Milliseconds; 0 keeps the timer stopped although it may be enabled.
  uint32_t Interval() const { return FInterval; }
  // A change restarts the timer.
  void SetInterval(uint32_t Value);
  uint32_t StopCount() const { return FStopCount; }
  // Stored only: a running timer goes on with its count.
  void SetStopCount(uint32_t Value) { FStopCount = Value; }
  // Ticks since the last restart or since the stop count was last reached.
  uint32_t Count() const { return FCount; }
  // The running platform timer's identifier; 0 when none runs.
  int TimerID() const { return FTimerID; }

  const TNotifyEvent &OnTimer() const { return FOnTimer; }
  // Stores the handler and restarts the timer.
  void SetOnTimer(TNotifyEvent Value);
  const TStopCountEvent &OnCount() const { return FOnCount; }
  // Stores the handler and restarts the timer.
  void SetOnCount(TStopCountEvent Value);

  // One tick: nothing when disabled; Count + 1 and OnTimer; at the stop
  // count (with OnCount assigned) OnCount decides whether to go on, Count
  // starts again at 0, and unless the timer is still enabled and the
  // handler asked to continue, the platform timer stops (Enabled keeps its
  // value until the next restart).
  virtual void Timer();

protected:
  void timerEvent(QTimerEvent *event) override;

private:
  // Kills the running platform timer, Count := 0, and starts a new one
  // when the timer is enabled, has an interval and a usable handler.
  // Raises "P1Timer Create Error" when the platform gives no timer.
  void UpdateTimer();
  void KillTimer();

  int FTimerID = 0;
  bool FEnabled = false;
  uint32_t FInterval = 1000;
  uint32_t FStopCount = 0;
  uint32_t FCount = 0;
  TNotifyEvent FOnTimer;
  TStopCountEvent FOnCount;
};

// The shared callback: every listed timer whose platform timer is
// aTimerID runs Timer.
void P1TimerProc(int aTimerID);

// The program-wide list of existing timers, oldest first.
const std::vector<TP1Timer *> &P1TimerList();

} // namespace lumora
