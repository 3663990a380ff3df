#include "shell/controls/NumEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>

#include "shell/controls/Beep.h"

namespace lumora {

namespace {
QChar DecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point.isEmpty() ? QChar(u'.') : point.front();
}

// Control characters other than Backspace, and Delete (127), which is an
// editing key rather than a character.
bool IsControlChar(QChar c) {
  return (c.unicode() < 32 && c.unicode() != 8) || c.unicode() == 127;
}
} // namespace

TNumEdit::TNumEdit(QWidget *parent) : QLineEdit(parent) {
  setFrame(true);
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
}

bool TNumEdit::IsKeyAllowed(QChar key) const {
  if (key == u'+' || key == u'-' || key.isDigit() || key.unicode() == 8) return key.unicode() < 128;
  if (FAccuracy != 0 && key == DecimalSeparator()) return true;
  return IsControlChar(key);
}

void TNumEdit::keyPressEvent(QKeyEvent *event) {
  const QString text = event->text();
  if (text.size() != 1) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  QChar key = text.front();
  if (!IsKeyAllowed(key)) {
    ControlBeep();
    return;
  }
  if (key.unicode() != 13 && OnKeyPress) {
    OnKeyPress(this, key);
    if (key.isNull()) return;
    if (key != text.front()) {
      QKeyEvent changed(event->type(), event->key(), event->modifiers(), QString(key));
      QLineEdit::keyPressEvent(&changed);
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void TNumEdit::TextChanged() {
  const QString current = text();
  const QChar separator = DecimalSeparator();
  bool separatorSeen = false;
  for (int i = 0; i < current.size(); ++i) {
    const QChar c = current[i];
    bool ok;
    if (c == u'+' || c == u'-')
      ok = i == 0;
    else if (c >= u'0' && c <= u'9')
      ok = true;
    else if (FAccuracy != 0 && c == separator) {
      ok = !separatorSeen;
      separatorSeen = true;
    } else
      ok = false;
    if (!ok) {
      ControlBeep();
      setText(current.left(i));
      return;
    }
  }
  if (IsValid(current)) {
    FSavedText = current;
    if (OnChanged) OnChanged(this);
  } else {
    if (OnValidationFailed) OnValidationFailed(this, FSavedText);
    setText(FSavedText);
  }
}

bool TNumEdit::IsValid(const QString &text) const {
  if (text.isEmpty()) return false;
  if (text == QLatin1String("+") || text == QLatin1String("-")) return true;
  if (FMinValue == FMaxValue) return true;
  bool ok = false;
  const double value = QLocale().toDouble(text, &ok);
  if (!ok || value < FMinValue || value > FMaxValue) {
    ControlBeep();
    return false;
  }
  return true;
}

void TNumEdit::Accept() {
  FSavedText = text();
  if (OnChanged) OnChanged(this);
}

void TNumEdit::focusInEvent(QFocusEvent *event) {
  QLineEdit::focusInEvent(event);
  FSavedText = text();
  if (FAutoSelect && QApplication::mouseButtons() == Qt::NoButton) selectAll();
}

void TNumEdit::focusOutEvent(QFocusEvent *event) {
  QLineEdit::focusOutEvent(event);
  if (text().isEmpty())
    setText(FSavedText);
  else if (text() != FSavedText)
    Accept();
}

} // namespace lumora
