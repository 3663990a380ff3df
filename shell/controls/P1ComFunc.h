#pragma once
// The support component of the picture controls: the shared 256-colour
// palette bitmap, bevels, shaded colours, points on a circle and loading of
// pictures and text files named by the controls.
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/Types.h"
#include "platform/system/Exception.h"

namespace lumora {

// A broken assumption of the controls (an illegal file name, an unreadable
// file); its message names the file.
class EAssertionFailed : public Exception {
  using Exception::Exception;
};

enum TBevelType { btNon, btRaised, btLowerd, btFlat };

// The program-wide palette bitmap, whose palette every picture-strip cell and
// brush bitmap carries. On first use it is loaded from
// "Image/System/zpal256.BMP" below the current folder when that file exists
// (and the random number generator is seeded); the first support component
// fills it from the resource "ZPAL256" when it is still empty.
const QImage &SharedPaletteBitmap();

class TP1ComFunc {
public:
  TP1ComFunc();

  // The shared bitmap's palette (its colour table).
  QList<QRgb> GetPalette() const;
  // Loads pFileName into pPicture when Value is set and the name is not
  // empty. Answers the name, or the empty string when the file does not
  // exist; a read failure raises EAssertionFailed.
  QString LoadPict(bool Value, TPicture &pPicture, const QString &pFileName) const;
  // The same for a text file read line by line (code page 932).
  QString LoadText(QStringList &pBuffer, const QString &pFileName) const;
  static TPoint CirclePoint(TPoint pCenter, int pRadius, double deg);
  // A lighter (pCoeff > 1) or darker (pCoeff < 1) shade of pColor; a shade
  // too close to the colour to be seen becomes a fixed light or dark grey.
  static TColor MidColor(TColor pColor, double pCoeff);
  static void AutoBevel(TCanvas &pCanvas, TBevelType pType, const TRect &pRect, int pWidth,
                        TColor pColor, bool pFrame);
};

// An 8 x 8 brush bitmap filled with one colour.
class TNullBrush {
public:
  explicit TNullBrush(TColor pColor);
  // Refills the bitmap unless its pixel (0, 0) already has the colour.
  void Create(TColor pColor);
  const QImage &Bitmap() const { return FNullBrush; }
  TColor BrushColor() const { return FBrushColor; }

private:
  QImage FNullBrush;
  TColor FBrushColor = clNone;
};

} // namespace lumora
