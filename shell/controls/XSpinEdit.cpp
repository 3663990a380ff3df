#include "shell/controls/XSpinEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>

#include "shell/controls/Beep.h"

namespace lumora {

namespace {
constexpr int kButtonWidth = 15;
constexpr int kButtonHeight = 17;

bool IsSign(const QString &text) {
  return text == QLatin1String("+") || text == QLatin1String("-");
}
} // namespace

TSpinButton::TSpinButton(QWidget *parent) : QWidget(parent) {
  resize(kButtonWidth, kButtonHeight);
  setCursor(Qt::ArrowCursor);
}

void TSpinButton::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  const int w = width();
  const int h = height();
  const int half = h / 2;
  painter.fillRect(rect(), palette().button());
  painter.setPen(palette().dark().color());
  painter.drawRect(0, 0, w - 1, half - 1);
  painter.drawRect(0, half, w - 1, h - half - 1);
  painter.setPen(Qt::NoPen);
  painter.setBrush(isEnabled() ? palette().buttonText() : palette().mid());
  const int cx = w / 2;
  const QPoint up[] = {{cx, half / 2 - 2}, {cx - 3, half / 2 + 2}, {cx + 4, half / 2 + 2}};
  const int dy = half + (h - half) / 2;
  const QPoint down[] = {{cx - 3, dy - 1}, {cx + 4, dy - 1}, {cx, dy + 3}};
  painter.drawPolygon(up, 3);
  painter.drawPolygon(down, 3);
}

void TSpinButton::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) return;
  if (event->position().y() < height() / 2) {
    if (OnUpClick) OnUpClick();
  } else if (OnDownClick) {
    OnDownClick();
  }
}

TXSpinEdit::TXSpinEdit(QWidget *parent) : QLineEdit(parent) {
  FButton = new TSpinButton(this);
  FButton->OnUpClick = [this] { UpClick(); };
  FButton->OnDownClick = [this] { DownClick(); };
  setText(QStringLiteral("0"));
  OldValue = Value();
  connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
  SetMinHeight();
  PlaceButton();
}

int TXSpinEdit::CheckValue(int value) const {
  if (FMinValue == FMaxValue) return value;
  return std::clamp(value, std::min(FMinValue, FMaxValue), std::max(FMinValue, FMaxValue));
}

int TXSpinEdit::Value() {
  bool ok = false;
  const int value = text().toInt(&ok);
  if (ok) return value;
  if (FEraseHeld) setText(QString::number(OldValue));
  return OldValue;
}

void TXSpinEdit::SetValue(int value) {
  OldValue = CheckValue(value);
  setText(QString::number(OldValue));
}

void TXSpinEdit::UpClick() {
  if (isReadOnly())
    ControlBeep();
  else
    SetValue(int(std::clamp<int64_t>(int64_t(Value()) + FIncrement, INT32_MIN, INT32_MAX)));
}

void TXSpinEdit::DownClick() {
  if (isReadOnly())
    ControlBeep();
  else
    SetValue(int(std::clamp<int64_t>(int64_t(Value()) - FIncrement, INT32_MIN, INT32_MAX)));
}

void TXSpinEdit::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Up) {
    UpClick();
    return;
  }
  if (event->key() == Qt::Key_Down) {
    DownClick();
    return;
  }
  if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) {
    if (FEditorEnabled && !isReadOnly()) QLineEdit::keyPressEvent(event);
    return;
  }
  if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) FEraseHeld = true;
  const QString text = event->text();
  if (text.size() != 1) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const QChar key = text.front();
  FSelected = hasSelectedText();
  FBackSpacePushed = key.unicode() == 8;
  const bool control = key.unicode() < 32 || key.unicode() == 127;
  bool accepted = control && key.unicode() != 13;
  if (FEditorEnabled && (key == u'+' || key == u'-' || (key >= u'0' && key <= u'9')))
    accepted = true;
  if (!accepted) {
    ControlBeep();
    return;
  }
  QLineEdit::keyPressEvent(event);
  if (!IsSign(this->text())) {
    bool ok = false;
    const int value = this->text().toInt(&ok);
    if (ok) OldValue = value;
  }
}

void TXSpinEdit::keyReleaseEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) FEraseHeld = false;
  QLineEdit::keyReleaseEvent(event);
}

void TXSpinEdit::TextChanged() {
  const QString current = text();
  if (IsSign(current)) return;
  if (OnChange) OnChange(this);
  if (current.isEmpty() && (FBackSpacePushed || !FSelected)) {
    setText(QStringLiteral("0"));
    return;
  }
  bool ok = false;
  const int value = current.toInt(&ok);
  if (ok) OldValue = value;
}

void TXSpinEdit::focusOutEvent(QFocusEvent *event) {
  QLineEdit::focusOutEvent(event);
  const int value = Value();
  if (CheckValue(value) != value) SetValue(value);
}

void TXSpinEdit::contextMenuEvent(QContextMenuEvent *event) {
  // The menu offers paste and cut, which only an editable box may do.
  if (FEditorEnabled && !isReadOnly()) QLineEdit::contextMenuEvent(event);
}

void TXSpinEdit::SetMinHeight() {
  const int fontHeight = fontMetrics().height();
  const int systemHeight = QFontMetrics(QApplication::font()).height();
  constexpr int kBorder = 1;
  setMinimumHeight(4 * kBorder + fontHeight + std::min(fontHeight, systemHeight) / 4 + 2);
}

void TXSpinEdit::PlaceButton() {
  const bool framed = hasFrame();
  const int x = width() - kButtonWidth - (framed ? 5 : 0);
  FButton->setGeometry(x, 0, kButtonWidth, std::max(kButtonHeight, height() - (framed ? 5 : 0)));
  // The text ends 2 pixels left of the button.
  setTextMargins(0, 0, width() - x + 2, 0);
}

void TXSpinEdit::resizeEvent(QResizeEvent *event) {
  QLineEdit::resizeEvent(event);
  PlaceButton();
}

void TXSpinEdit::changeEvent(QEvent *event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) SetMinHeight();
}

} // namespace lumora
