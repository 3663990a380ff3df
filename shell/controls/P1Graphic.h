#pragma once
// Picture panels: a control that shows a picture over a back colour, and one
// that adds a frame and a grid of lines or dots (panel backgrounds, colour
// swatches, the colour picker's palette).
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Picture.h"
#include "shell/controls/Action.h"
#include "shell/controls/P1ComFunc.h"

namespace lumora {

enum TGridStyle { gsNon, gsLine, gsPoint1, gsPoint2 };

class TP1CustomGraphic : public QWidget {
  Q_OBJECT
public:
  using TNotifyEvent = std::function<void(TP1CustomGraphic *sender)>;
  using TMouseEvent = std::function<void(QWidget *sender, Qt::MouseButton button,
                                         Qt::KeyboardModifiers shift, int x, int y)>;

  explicit TP1CustomGraphic(QWidget *parent = nullptr);
  ~TP1CustomGraphic() override;

  TColor BackColor() const { return FBackColor; }
  void SetBackColor(TColor value);
  // The picture shown: that of PicExtImage when one is set.
  TPicture &Picture();
  void SetPicture(const TGraphic *value);
  QString PicFile() const { return FPicFile; }
  void SetPicFile(const QString &value) { FPicFile = value; }
  bool PicLoad() const { return FPicLoad; }
  void SetPicLoad(bool value);
  TP1CustomGraphic *PicExtImage() const { return FExtImage; }
  void SetPicExtImage(TP1CustomGraphic *value);
  QList<QRgb> PicPalette() const { return MCom.GetPalette(); }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  // The bitmap's transparent colour (for a JPEG that of a drawn copy), or
  // the colour set while there is no picture.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor value) { FTransColor = value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  TAction *Action() const { return FAction; }
  // Binds the panel to the action: it takes the action's hint and enabled
  // state and follows their changes.
  void SetAction(TAction *value);
  bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
  void SetEnabled(bool value) { setEnabled(value); }
  bool Visible() const { return isVisible(); }
  void SetVisible(bool value) { setVisible(value); }

  virtual bool LoadFromFile(const QString &FileName);

  TNotifyEvent OnPaint;
  TNotifyEvent OnBeforePaint;
  TNotifyEvent OnAfterPaint;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseEvent OnMouseMove;

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  // Draws the back colour and the picture.
  virtual void Paint(TCanvas &canvas);
  void DoAutoSize();

private:
  bool FPicLoad = false;
  QString FPicFile;
  QPointer<TP1CustomGraphic> FExtImage;
  TPicture FPicture;
  bool FTransparent = false;
  TColor FBackColor = 0x009BE8AD;
  TColor FTransColor = clNone;
  TP1ComFunc MCom;
  TNullBrush MyBrush;
  bool FAutoSize = false;
  QPointer<TAction> FAction;
  QMetaObject::Connection FActionLink;
};

class TP1Graphic : public TP1CustomGraphic {
  Q_OBJECT
public:
  explicit TP1Graphic(QWidget *parent = nullptr);

  TPen &FramePen() { return FFramePen; }
  void SetFramePen(const TPen &value);
  TColor GridColor() const { return FGridColor; }
  void SetGridColor(TColor value);
  int GridSize() const { return FGridSize; }
  void SetGridSize(int value);
  // The extent of the grid; (-1, -1) for the whole control.
  TPoint GridEnd() const { return FGridEnd; }
  void SetGridEnd(TPoint value);
  TGridStyle GridStyle() const { return FGridStyle; }
  void SetGridStyle(TGridStyle value);

protected:
  void Paint(TCanvas &canvas) override;

private:
  void DrawFrame(TCanvas &canvas);
  void DrawGrid(TCanvas &canvas);

  TPen FFramePen;
  int FGridSize = 0;
  TColor FGridColor = clBlack;
  TGridStyle FGridStyle = gsNon;
  TPoint FGridEnd{-1, -1};
};

} // namespace lumora
