#pragma once
// The start-up picture: a borderless form above all other windows, centred
// on the screen, that shows the compiled-in picture "OPENING" until its
// timer runs out (2300 ms) or it is clicked, and then frees itself.
#include <QWidget>

namespace lumora {

class TP1Graphic;
class TP1Timer;

class TOpening : public QWidget {
public:
  // The form's own parts (FormCreate): the picture loaded and the control
  // and form sized to it, centred, shown (not modal). The timer stays
  // disabled until the start-up sequence has painted the form. Becomes the
  // program-wide Opening() (the program's context must have started).
  explicit TOpening(QWidget *AOwner = nullptr);
  // Clears the program-wide reference (FormDestroy).
  ~TOpening() override;

  // Disabled, so that clicks reach the form.
  TP1Graphic *P1Graphic1 = nullptr;
  // Interval 2300; its tick closes the form.
  TP1Timer *P1Timer1 = nullptr;

  static constexpr uint32_t kShowTime = 2300;

protected:
  void mouseReleaseEvent(QMouseEvent *event) override;
  // FormClose: disables the timer and has the form freed.
  void closeEvent(QCloseEvent *event) override;

private:
  void FormCreate();
  void P1Timer1Timer();
  void FormClick();
};

// The start-up picture's slot, a store of the program's context; the form
// puts itself there while it exists.
struct TOpeningSlot {
  TOpening *Form = nullptr;
};

// The start-up picture while it exists; null before and after (and without
// the program's context).
TOpening *Opening();

// Closes the start-up picture, when there is one, as its timer would: it
// hides at once and is freed from the event queue. Anything the program
// shows during start-up (a message box) calls this first, so that it does
// not lie under the picture, which stays above all other windows.
void CloseStartupPicture();

} // namespace lumora
