#pragma once
// A numeric edit box: takes only signs, digits and (with decimals) the
// locale's decimal separator, checks every change against the range and
// puts the last accepted text back when a change fails.
#include <QLineEdit>
#include <functional>

namespace lumora {

class TNumEdit : public QLineEdit {
  Q_OBJECT
public:
  using TValidationFailedEvent = std::function<void(TNumEdit *Sender, QString &SavedText)>;

  explicit TNumEdit(QWidget *parent = nullptr);

  // Digits after the decimal separator; 0 for whole numbers.
  int Accuracy() const { return FAccuracy; }
  void SetAccuracy(int value) { FAccuracy = value; }
  double MinValue() const { return FMinValue; }
  void SetMinValue(double value) { FMinValue = value; }
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double value) { FMaxValue = value; }
  Qt::Alignment Alignment() const { return alignment(); }
  void SetAlignment(Qt::Alignment value) { setAlignment(value); }
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool value) { FAutoSelect = value; }
  // The last accepted text.
  QString SavedText() const { return FSavedText; }

  // Empty text fails; a sign alone passes; with MinValue != MaxValue the
  // number must lie within them (a failure beeps).
  bool IsValid(const QString &text) const;

  std::function<void(TNumEdit *Sender)> OnChanged;
  TValidationFailedEvent OnValidationFailed;
  // Every accepted character but Enter; the handler may change it (a null
  // character drops it).
  std::function<void(TNumEdit *Sender, QChar &Key)> OnKeyPress;

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

private:
  bool IsKeyAllowed(QChar key) const;
  void TextChanged();
  void Accept();

  QString FSavedText;
  int FAccuracy = 0;
  double FMinValue = 0;
  double FMaxValue = 0;
  bool FAutoSelect = true;
};

} // namespace lumora
