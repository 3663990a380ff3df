#pragma once
// Synthetic mouse and key events for the control tests (sent straight to the
// widget, as the platform would deliver them).
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace lumora::test {

inline void SendMouse(QWidget *w, QEvent::Type type, QPoint p,
                      Qt::MouseButton button = Qt::LeftButton) {
  const QPointF local(p);
  const Qt::MouseButtons buttons =
      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, local, w->mapToGlobal(local), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

inline void Click(QWidget *w, QPoint p, Qt::MouseButton button = Qt::LeftButton) {
  SendMouse(w, QEvent::MouseButtonPress, p, button);
  SendMouse(w, QEvent::MouseButtonRelease, p, button);
}

inline void TypeText(QWidget *w, const QString &text) {
  for (QChar c : text) {
    const int key = c == u'\b' ? int(Qt::Key_Backspace) : int(c.toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
  }
}

inline void PressKey(QWidget *w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

} // namespace lumora::test
