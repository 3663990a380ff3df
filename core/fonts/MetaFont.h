#pragma once
// The text font of page objects: one or two faces held as logical font
// descriptions, so that text can be drawn rotated by the escapement. The
// second face, for digits and symbols, exists while the draw mode holds
// tdMathFont.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/support/EnumSet.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/LogFont.h"

namespace lumora {

class TCanvas;

enum TDrawModeItem : uint8_t { tdNon, tdMathFont, tdFraction, tdCanEdit, tdReserve2, tdReserve3 };
using TDrawMode = EnumSet<TDrawModeItem>;

// The face of the digit and symbol font: read once at start-up from the
// settings file ([フォント] 数字・記号); kDefaultMathFontName until then and
// again after the program's context is reset.
inline const QString kDefaultMathFontName = QStringLiteral("ms lumora2.0");
void SetMathFontName(const QString &name);
const QString &MathFontName();
// The character strings the digit and symbol face is meant for (81 entries).
const QStringList &MathFontCharSet();

// One face: its logical description, the stack of handles made from it (the
// top one is current), its colour and the character strings it is meant for.
class TFontInfo {
public:
  // Starts from the description of a font of that name at height -32.
  explicit TFontInfo(const QString &aName, std::optional<QStringList> aCharSet = std::nullopt);

  // Face, height, style, character set and pitch of a platform font.
  void SetSpec(const TFont &aFont);

  const TLogFont &LogFont() const { return fLogFont; }
  QString Name() const { return fLogFont.lfFaceName; }
  // At most 31 characters are kept.
  void SetName(const QString &aName);
  uint8_t Style() const;
  void SetStyle(uint8_t aStyle);
  void SetEscapement(int aTenthsOfDegree) { fLogFont.lfEscapement = aTenthsOfDegree; }
  TColor Color() const { return fColor; }
  void SetColor(TColor aColor) { fColor = aColor; }
  const std::optional<QStringList> &OwnCharSet() const { return fOwnCharSet; }

  // Makes a handle from the description at the given height and pushes it.
  HFONT PushHandle(int aHeight);
  // Removes the current handle and answers it (none when the stack is empty).
  HFONT PopHandle();
  HFONT Handle() const { return fHdl.empty() ? HFONT() : fHdl.back(); }
  int HandleCount() const { return int(fHdl.size()); }

private:
  TLogFont fLogFont;
  std::vector<HFONT> fHdl;
  TColor fColor = 0;
  std::optional<QStringList> fOwnCharSet;
};

class TMetaFont {
public:
  // One face of that name at the screen's pixels per inch, height -32.
  explicit TMetaFont(const QString &faceName);
  TMetaFont(const TMetaFont &) = delete;
  TMetaFont &operator=(const TMetaFont &) = delete;

  QString Name() const;
  void SetName(const QString &aName);
  TColor Color() const { return TxtColor; }
  // Sets every face's colour and the text colour.
  void SetColor(TColor aColor);
  // Always <= 0: the character height in pixels, negated.
  int Height() const { return FHeight; }
  void SetHeight(int aHeight);
  int Size() const;
  void SetSize(int aSize);
  uint8_t Style() const;
  void SetStyle(uint8_t aStyle);
  // Radians; every face's escapement follows it in tenths of a degree.
  double Angle() const { return FAngle; }
  void SetAngle(double aAngle);
  TDrawMode DrawMode() const { return FDrawMode; }
  void SetDrawMode(TDrawMode aMode);
  int PixelsPerInch() const { return FPixelsPerInch; }

  int FaceCount() const { return int(fLogFonts.size()); }
  const TFontInfo &Face(int index) const { return *fLogFonts.at(size_t(index)); }

  // Takes face, style, character set, pitch, colour and height from a platform font.
  void SetFontSpec(const TFont &aSource);
  // Gives a platform font the colour, height, face name, style and character set.
  void FontSpec(TFont &aDest) const;

  // Makes a handle for every face at Height, selects the first face's into
  // the canvas and answers the handle selected before. Every call must be
  // followed by one ReleaseFont with that answer.
  HFONT SetTxtFont(TCanvas &pCanvas);
  void ReleaseFont(TCanvas &pCanvas, const HFONT &pFHdl);
  // Draws the text with its top-left at (aX, aY) on a clear background.
  void TextOut(TCanvas &aCanvas, int aX, int aY, const QString &aStr) const;

  TColor TxtColor = 0;
  TColor NumColor = 0;

private:
  std::vector<std::unique_ptr<TFontInfo>> fLogFonts;
  TDrawMode FDrawMode;
  int FPixelsPerInch = 96;
  double FAngle = 0;
  int FHeight = -32;
};

} // namespace lumora
