#include "platform/system/Synchronize.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

namespace lumora {

namespace {

// A step a worker waits on. It lives on the worker's stack until done is set.
struct TMainThreadStep {
  const std::function<void()> *fn;
  std::exception_ptr error;
  bool done = false;
  std::condition_variable ended;
};

// The steps posted to the main thread, in posting order, and the lock that
// hands each one over and back. The order between the two threads is kept
// by this standard lock, not by Qt's event queue, so that it is plain to see
// (and to the thread sanitizer, which does not see Qt's own locks).
struct TStepQueue {
  std::mutex lock;
  std::deque<TMainThreadStep *> steps;
};

TStepQueue &Steps() {
  static TStepQueue queue;
  return queue;
}

// Runs the oldest posted step, in the main thread. One call is posted per
// step and the event carries no data: the step is taken from the queue
// under the lock.
void RunPostedStep() {
  TStepQueue &queue = Steps();
  std::unique_lock lock(queue.lock);
  if (queue.steps.empty()) return;
  TMainThreadStep *step = queue.steps.front();
  queue.steps.pop_front();
  lock.unlock();
  // An exception must not cross the event loop: keep it for the worker.
  std::exception_ptr error;
  try {
    (*step->fn)();
  } catch (...) {
    error = std::current_exception();
  }
  lock.lock();
  step->error = error;
  step->done = true;
  // Still under the lock: the worker cannot leave (and free the step) first.
  step->ended.notify_one();
}

} // namespace

void Synchronize(const std::function<void()> &fn) {
  QCoreApplication *app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    fn();
    return;
  }
  TMainThreadStep step{&fn, {}, false, {}};
  TStepQueue &queue = Steps();
  std::unique_lock lock(queue.lock);
  queue.steps.push_back(&step);
  // Posted under the lock, so the main thread takes the step only once this
  // thread waits, after everything it did before. The lambda holds nothing
  // the main thread would read before it takes the lock.
  if (!QMetaObject::invokeMethod(
          app, [] { RunPostedStep(); }, Qt::QueuedConnection)) {
    queue.steps.pop_back();
    return;
  }
  step.ended.wait(lock, [&step] { return step.done; });
  if (step.error) std::rethrow_exception(step.error);
}

void ProcessMessages() {
  QCoreApplication::processEvents();
}

void WaitForMessages() {
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace lumora
