#include "platform/system/Synchronize.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <exception>

namespace lumora {

void Synchronize(const std::function<void()> &fn) {
  QCoreApplication *app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    fn();
    return;
  }
  // An exception must not cross the event loop: catch it in the main thread
  // and raise it again here.
  std::exception_ptr error;
  QMetaObject::invokeMethod(
      app,
      [&] {
        try {
          fn();
        } catch (...) {
          error = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (error) std::rethrow_exception(error);
}

void ProcessMessages() {
  QCoreApplication::processEvents();
}

void WaitForMessages() {
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace lumora
