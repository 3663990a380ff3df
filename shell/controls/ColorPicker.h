#pragma once
// The colour picker: a small tool window showing a palette picture (a colour
// pentagon, a band of swatches and a brightness bar for the picked colour).
// A click in one of them picks the colour under the mouse.
#include <QCursor>
#include <QPointer>
#include <QWidget>

#include "platform/graphics/Bitmap.h"
#include "shell/controls/P1Graphic.h"

namespace lumora {

class TColorPicker : public QWidget {
  Q_OBJECT
public:
  static constexpr TColor kPaletteTransparentColor = 13882323;

  explicit TColorPicker(QWidget *parent = nullptr);
  ~TColorPicker() override;
  // The colour-picker window while one exists.
  static TColorPicker *Current();

  TColor Color() const { return FColor; }
  // Stores the colour and makes it the back colour of the colour sample.
  void SetColor(TColor value);

  // The colour sample that shows the picked colour (the mouse handler's,
  // which sets it when it is created); none by default.
  TP1Graphic *ColorSample() const { return FColorSample; }
  void SetColorSample(TP1Graphic *value) { FColorSample = value; }
  // The cursor over the pick zones (the mouse handler's dropper cursor).
  void SetDropperCursor(const QCursor &value) { FDropperCursor = value; }

  TP1Graphic *ClPalette() const { return FClPalette; }
  // Whether a palette point lies in the pentagon, the band or the
  // brightness bar.
  bool InPickZone(int x, int y) const;
  // Redraws the brightness bar for the colour of the sample (the picked
  // colour while there is no sample).
  void GradPalette();

protected:
  void showEvent(QShowEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  void DrawPalette();
  void PaletteMouseMove(int x, int y);
  void PaletteMouseUp(Qt::MouseButton button, int x, int y);

  TP1Graphic *FClPalette = nullptr;
  TColor FColor = clBlack;
  QPointer<TP1Graphic> FColorSample;
  QCursor FDropperCursor{Qt::CrossCursor};
  bool FMovedHome = false;
};

} // namespace lumora
