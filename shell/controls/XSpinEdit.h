#pragma once
// An integer edit box with a spin button: Up and Down (keys or button
// halves) step the value by Increment within MinValue..MaxValue (no bound
// when they are equal); a text that is no integer reads as the last good
// value.
#include <QLineEdit>
#include <functional>

namespace lumora {

// The two-part spin button beside the edit: the upper half steps up, the
// lower half down.
class TSpinButton : public QWidget {
  Q_OBJECT
public:
  explicit TSpinButton(QWidget *parent = nullptr);

  std::function<void()> OnUpClick;
  std::function<void()> OnDownClick;

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
};

class TXSpinEdit : public QLineEdit {
  Q_OBJECT
public:
  explicit TXSpinEdit(QWidget *parent = nullptr);

  // The text as an integer, or the last good value when it is none.
  int Value();
  // Bounded to MinValue..MaxValue, kept as the last good value and shown.
  void SetValue(int value);
  int MinValue() const { return FMinValue; }
  void SetMinValue(int value) { FMinValue = value; }
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int value) { FMaxValue = value; }
  int Increment() const { return FIncrement; }
  void SetIncrement(int value) { FIncrement = value; }
  bool EditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool value) { FEditorEnabled = value; }
  TSpinButton *Button() const { return FButton; }

  void UpClick();
  void DownClick();

  std::function<void(TXSpinEdit *Sender)> OnChange;

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  int CheckValue(int value) const;
  void TextChanged();
  void PlaceButton();
  void SetMinHeight();

  int OldValue = 0;
  int FMinValue = 0;
  int FMaxValue = 0;
  int FIncrement = 1;
  TSpinButton *FButton = nullptr;
  bool FEditorEnabled = true;
  bool FSelected = false;
  bool FBackSpacePushed = false;
  // Backspace or Delete held down.
  bool FEraseHeld = false;
};

} // namespace lumora
