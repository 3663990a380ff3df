#pragma once
// Picture strips and picture buttons: a control that shows one cell of a
// picture strip cut into equal cells, and a button whose state selects the
// cell (up, disabled, down).
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics/Picture.h"
#include "shell/controls/Action.h"
#include "shell/controls/P1ComFunc.h"

namespace lumora {

enum TButtonState { bsUp, bsDisabled, bsDown };
enum TPicBtnKind { bkButton, bkAltBtn, bkCustom, bkPlane };

// The cells of a strip, all of one size. Each cell is kept opaque (for the
// pixel tests of a press) and masked by the strip's transparent colour (for
// drawing).
struct TPicImageList {
  int Width = 0;
  int Height = 0;
  std::vector<QImage> Cells;
  std::vector<QImage> Masked;
  int Count() const { return int(Cells.size()); }
  void Clear() {
    Cells.clear();
    Masked.clear();
  }
};

class TP1CustomPicList : public QWidget {
  Q_OBJECT
public:
  using TMouseEvent = std::function<void(QWidget *sender, Qt::MouseButton button,
                                         Qt::KeyboardModifiers shift, int x, int y)>;

  explicit TP1CustomPicList(QWidget *parent = nullptr);
  ~TP1CustomPicList() override;

  const TPicture &Picture() const { return FPicture; }
  // Takes the strip and splits it into cells (see Split).
  void SetPicture(const TGraphic *Value);
  QString PicFile() const { return FPicFile; }
  void SetPicFile(const QString &value) { FPicFile = value; }
  bool PicLoad() const { return FPicLoad; }
  void SetPicLoad(bool value);
  int PicCount() const { return FPicCount; }
  void SetPicCount(int value) { FPicCount = value; }
  int PicIndex() const { return FPicIndex; }
  void SetPicIndex(int value);
  TP1CustomPicList *PicExtList() const { return FExtList; }
  void SetPicExtList(TP1CustomPicList *value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value) { FTransparent = value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value) { FAutoSize = value; }
  TAction *Action() const { return FAction; }
  // Binds the control to the action: it takes the action's hint and enabled
  // state, follows their changes, and a click executes the action.
  void SetAction(TAction *value);
  // Its own enabled flag, not the one inherited from the parent.
  bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
  virtual void SetEnabled(bool value);
  bool Visible() const { return isVisible(); }
  void SetVisible(bool value) { setVisible(value); }
  int Tag() const { return FTag; }
  void SetTag(int value) { FTag = value; }
  // The cells shown (the own list, or the list of PicExtList).
  const TPicImageList &PicList() const { return *FPicList; }

  // Loads the strip from a file and splits it into count cells. Answers
  // false when the file is missing or unreadable (the own picture is then
  // split again).
  bool LoadFromFile(const QString &FileName, int count);
  // Applies the stored settings the way a control read from a form does:
  // the action's hint, then the external list, the file or the own picture.
  void Loaded();

  std::function<void(TP1CustomPicList *sender)> OnPaint;
  std::function<void(TP1CustomPicList *sender)> OnChange;
  std::function<void(TP1CustomPicList *sender)> OnClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseEvent OnMouseMove;

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;

  // The press and release handling of the strip (the pixel test, the mouse
  // events and the click); buttons call them after their own state logic.
  void DoMouseDown(QMouseEvent *event);
  void DoMouseUp(QMouseEvent *event);
  // Whether the pixel at (x, y) of the cell shown is the strip's background,
  // the pixel at (0, height - 1).
  bool IsBackgroundPixel(int x, int y) const;
  virtual void Click();
  void PaintCell(QPainter &painter, int index);
  virtual void ActionChanged();
  // Selects the cell shown without repainting (for use while painting).
  void ShowCell(int index) { FPicIndex = index; }

  std::shared_ptr<TPicImageList> FPicList;

private:
  void Split();
  void ExtListDestroyed();

  TPicture FPicture;
  QString FPicFile;
  QString LdFile;
  bool FPicLoad = false;
  QPointer<TP1CustomPicList> FExtList;
  int FPicCount = 2;
  std::array<int, 10> FRandList;
  TP1ComFunc MCom;
  bool FTransparent = false;
  bool PMousDown = false;
  int FPicIndex = 0;
  bool FOwnsList = true;
  bool FAutoSize = false;
  QPointer<TAction> FAction;
  QMetaObject::Connection FActionLink;
  QMetaObject::Connection FExtLink;
  int FTag = 0;
};

class TP1PicButton : public TP1CustomPicList {
  Q_OBJECT
public:
  explicit TP1PicButton(QWidget *parent = nullptr);

  TPicBtnKind PicKind() const { return FPicKind; }
  void SetPicKind(TPicBtnKind value);
  TButtonState State() const { return FState; }
  // Stores the state and shows its cell.
  void SetState(TButtonState value);
  // Also sets the state: bsUp when enabled, bsDisabled when disabled.
  void SetEnabled(bool value) override;

  // The state the button takes on a request (bsDown on a press, bsUp on a
  // release), by its kind.
  TButtonState NextState(TButtonState request) const;

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  void SelectCell();

  TPicBtnKind FPicKind = bkButton;
  TButtonState FState = bsUp;
};

} // namespace lumora
